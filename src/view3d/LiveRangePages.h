#pragma once
#include <QObject>
#include <QTimer>
#include <cstdint>
#include <memory>

#include "NuvImage.h"
#include "NuvRangeImage.h"
#include "NuvRangeLUT16.h"
#include "RangeStreamer.h"

class ImageWndLabel;

// Lets the range and grey pages grow line by line while a scan streams, as the 3D page does: a
// timer copies the lines converted since its last tick (and only those) into the pages, at most
// 20 times a second. Heights are coloured over the camera's height range, so a height keeps its
// colour from scan to scan; the finished image uses the same colouring.
class LiveRangePages : public QObject {
    Q_OBJECT
public:
    static constexpr int kRedrawIntervalMs = 50;
    // NuvColorMap of the range page.
    static constexpr int kColorMap = 0;

    LiveRangePages(std::shared_ptr<RangeStreamer> streamer, ImageWndLabel* rangeLabel,
                   ImageWndLabel* greyLabel, QObject* parent = nullptr);

    // GUI thread: a batch was queued for conversion; keeps the redraw timer running.
    void batchArrived();
    // Stops growing and forgets the lines shown (the pages are cleared by their owner).
    void clear();
    // Lines shown so far, -1 for none.
    int rowsShown() const { return m_rowsShown; }
    bool isGrowing() const { return m_timer.isActive(); }

    // `count` raw samples of the format to RGB bytes over [minimum, maximum]; invalid ones black.
    static void colourRows(const uint8_t* raw, size_t count, const RangeStreamer::Format& format,
                           float minimum, float maximum, NuvRangeLUT16* lut, uint8_t* rgb);
    // The whole image coloured the same way into an RGB8 image.
    bool colourImage(const NuvRangeImage& range, const RangeStreamer::Format& format, float minimum,
                     float maximum, NuvImage* rgb);

public slots:
    // One redraw step (the timer calls it).
    void redraw();

private:
    std::shared_ptr<RangeStreamer> m_streamer;
    ImageWndLabel* m_rangeLabel;
    ImageWndLabel* m_greyLabel;
    QTimer m_timer;
    int m_rowsShown = -1;
    uint64_t m_setUpCount = 0;
    NuvRangeLUT16 m_lut;  // GUI thread only
};
