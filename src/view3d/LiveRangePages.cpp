#include "LiveRangePages.h"

#include <cstring>

#include "ImageWndLabel.h"
#include "NuvColorMap.h"

LiveRangePages::LiveRangePages(std::shared_ptr<RangeStreamer> streamer, ImageWndLabel* rangeLabel,
                               ImageWndLabel* greyLabel, QObject* parent)
    : QObject(parent), m_streamer(std::move(streamer)), m_rangeLabel(rangeLabel), m_greyLabel(greyLabel) {
    m_timer.setInterval(kRedrawIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &LiveRangePages::redraw);
}

void LiveRangePages::batchArrived() {
    if (!m_timer.isActive()) m_timer.start();
}

void LiveRangePages::clear() {
    m_timer.stop();
    m_rowsShown = -1;
}

void LiveRangePages::colourRows(const uint8_t* raw, size_t count, const RangeStreamer::Format& f,
                                float minimum, float maximum, NuvRangeLUT16* lut, uint8_t* rgb) {
    if (f.bytesPerPoint == 2) {
        NuvRangeConversion conversion;
        conversion.scale = f.heightScale;
        conversion.offset = -static_cast<double>(f.heightOffset) * f.heightScale;
        conversion.minHeight = minimum;
        conversion.maxHeight = maximum;
        conversion.colorMap = kColorMap;
        if ((!lut->isBuilt() || !lut->conversion().sameAs(conversion)) && !lut->build(conversion)) return;
        for (size_t i = 0; i < count; ++i) {
            uint16_t sample;
            std::memcpy(&sample, raw + 2 * i, sizeof sample);
            const NuvColor c = lut->color(sample);  // invalid: black
            rgb[3 * i] = c.r, rgb[3 * i + 1] = c.g, rgb[3 * i + 2] = c.b;
        }
        return;
    }
    const NuvColor* table = NuvColorMap::table(kColorMap);
    for (size_t i = 0; i < count; ++i) {
        uint32_t sample;
        std::memcpy(&sample, raw + 4 * i, sizeof sample);
        sample &= f.rawMask;
        const auto h = static_cast<float>((static_cast<double>(sample) - f.heightOffset) * f.heightScale);
        const bool valid = sample != 0 && NuvColorMap::inRange(h, minimum, maximum);
        const NuvColor c = valid ? table[NuvColorMap::index(h, minimum, maximum)] : NuvColor(0, 0, 0);
        rgb[3 * i] = c.r, rgb[3 * i + 1] = c.g, rgb[3 * i + 2] = c.b;
    }
}

bool LiveRangePages::colourImage(const NuvRangeImage& range, const RangeStreamer::Format& format,
                                 float minimum, float maximum, NuvImage* rgb) {
    if (range.isEmpty() || range.bytesPerPoint() != format.bytesPerPoint || !range.mat().isContinuous())
        return false;
    NuvImage image(range.width(), range.height(), NuvPixelFormat::RGB8);
    colourRows(range.data(), range.mat().total(), format, minimum, maximum, &m_lut, image.data());
    *rgb = image;
    return true;
}

void LiveRangePages::redraw() {
    // A new set-up (next image, refresh) starts the pages over from the first line.
    const uint64_t setUps = m_streamer->setUpCount();
    const int last = m_streamer->lastRowAppended();
    if (setUps != m_setUpCount || last < m_rowsShown) {
        m_setUpCount = setUps;
        m_rowsShown = -1;
    }
    if (last <= m_rowsShown) {
        if (last >= 0 && last + 1 >= m_streamer->totalLines()) m_timer.stop();
        return;
    }
    const int first = m_rowsShown + 1;
    NuvImage colours;
    NuvImage grey;
    int width = 0;
    const bool read =
        m_streamer->readRows(first, last,
                             [&](const uint8_t* range, const uint8_t* greyRows, int rows, int points,
                                 const RangeStreamer::Format& f, const RangeStreamer::DisplaySettings& s) {
                                 width = points;
                                 colours = NuvImage(points, rows, NuvPixelFormat::RGB8);
                                 colourRows(range, static_cast<size_t>(rows) * static_cast<size_t>(points), f,
                                            s.heightMin, s.heightMax, &m_lut, colours.data());
                                 if (greyRows)
                                     grey = NuvImage(points, rows, NuvPixelFormat::Mono8, greyRows, 0, true);
                             });
    if (!read) return;
    if (first == 0) {
        // Start from black pages of the scan's size; the read-out of the previous image goes too.
        const int total = m_streamer->totalLines();
        const NuvImage blankColours(width, total, NuvPixelFormat::RGB8);
        m_rangeLabel->setRangeImageMode(false, NuvRangeImage());
        m_rangeLabel->setBackground(&blankColours, 0);
        const NuvImage blankGrey(width, total, NuvPixelFormat::Mono8);
        m_greyLabel->setBackground(&blankGrey, 0);
    }
    m_rangeLabel->updateBackgroundRows(&colours, first);
    if (!grey.isEmpty()) m_greyLabel->updateBackgroundRows(&grey, first);
    m_rowsShown = last;
}
