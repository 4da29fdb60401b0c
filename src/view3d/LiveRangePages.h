// SPDX-License-Identifier: Apache-2.0
#pragma once
#include <QObject>
#include <QSize>
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
// The pages hold pictures at display resolution: a scan larger than kMaxDisplayPixels is shown
// reduced by a whole factor (averages of factor x factor blocks), so a long scan costs the pages
// megabytes, not a full-resolution colour copy. Their read-outs read the full-resolution samples
// from the streamer's buffers.
class LiveRangePages : public QObject {
    Q_OBJECT
public:
    static constexpr int kRedrawIntervalMs = 50;
    // NuvColorMap of the range page.
    static constexpr int kColorMap = 0;
    static constexpr int64_t kMaxDisplayPixels = int64_t(4) << 20;

    LiveRangePages(std::shared_ptr<RangeStreamer> streamer, ImageWndLabel* rangeLabel,
                   ImageWndLabel* greyLabel, QObject* parent = nullptr);

    // GUI thread: a batch was queued for conversion; keeps the redraw timer running.
    void batchArrived();
    // Draws every line converted so far, once the streamer's workers are done (end of a scan).
    void showAll();
    // Stops growing and forgets the lines shown (the pages are cleared by their owner).
    void clear();
    // Lines shown so far, -1 for none.
    int rowsShown() const { return m_rowsShown; }
    bool isGrowing() const { return m_timer.isActive(); }
    // The reduction of the scan shown (1: full resolution) and the size of its pictures.
    int reduction() const { return m_reduction; }
    QSize displaySize() const;
    // The smallest whole factor that brings a width x height image within kMaxDisplayPixels.
    static int reductionFor(int width, int height);

    // `count` raw samples of the format to RGB bytes over [minimum, maximum]; invalid ones black.
    static void colourRows(const uint8_t* raw, size_t count, const RangeStreamer::Format& format,
                           float minimum, float maximum, NuvRangeLUT16* lut, uint8_t* rgb);

public slots:
    // One redraw step (the timer calls it).
    void redraw();

private:
    // Colours and reduces `rows` lines starting on a block boundary into the page pictures.
    void reduceRows(const uint8_t* range, const uint8_t* grey, int rows, int points,
                    const RangeStreamer::Format& format, const RangeStreamer::DisplaySettings& settings,
                    NuvImage* colours, NuvImage* greyOut);
    // The read-outs of both pages read the streamer's samples of the lines shown.
    void attachReadouts(const RangeStreamer::Format& format, const RangeStreamer::DisplaySettings& settings);
    bool sampleAt(int x, int y, bool grey, int64_t* sample) const;

    std::shared_ptr<RangeStreamer> m_streamer;
    ImageWndLabel* m_rangeLabel;
    ImageWndLabel* m_greyLabel;
    QTimer m_timer;
    int m_rowsShown = -1;
    int m_reduction = 1;
    int m_points = 0;
    int m_lines = 0;
    uint64_t m_setUpCount = 0;
    NuvRangeLUT16 m_lut;  // GUI thread only
};
