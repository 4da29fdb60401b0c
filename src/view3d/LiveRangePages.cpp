// SPDX-License-Identifier: Apache-2.0
#include "LiveRangePages.h"

#include <cstring>
#include <vector>

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

void LiveRangePages::showAll() {
    m_streamer->waitUntilIdle();
    redraw();
}

void LiveRangePages::clear() {
    m_timer.stop();
    m_rowsShown = -1;
    m_points = m_lines = 0;
    m_reduction = 1;
    for (ImageWndLabel* label : {m_rangeLabel, m_greyLabel})
        label->setFullResolutionSource(ImageWndLabel::Source());
}

int LiveRangePages::reductionFor(int width, int height) {
    if (width <= 0 || height <= 0) return 1;
    int factor = 1;
    while ((int64_t(width) + factor - 1) / factor * ((int64_t(height) + factor - 1) / factor) >
           kMaxDisplayPixels)
        ++factor;
    return factor;
}

QSize LiveRangePages::displaySize() const {
    return QSize((m_points + m_reduction - 1) / m_reduction, (m_lines + m_reduction - 1) / m_reduction);
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

void LiveRangePages::reduceRows(const uint8_t* range, const uint8_t* grey, int rows, int points,
                                const RangeStreamer::Format& f, const RangeStreamer::DisplaySettings& s,
                                NuvImage* colours, NuvImage* greyOut) {
    const int factor = m_reduction;
    const size_t rowBytes = static_cast<size_t>(points) * static_cast<size_t>(f.bytesPerPoint);
    if (factor == 1) {
        *colours = NuvImage(points, rows, NuvPixelFormat::RGB8);
        colourRows(range, static_cast<size_t>(rows) * static_cast<size_t>(points), f, s.heightMin,
                   s.heightMax, &m_lut, colours->data());
        if (grey) *greyOut = NuvImage(points, rows, NuvPixelFormat::Mono8, grey, 0, true);
        return;
    }
    const int width = (points + factor - 1) / factor;
    const int height = (rows + factor - 1) / factor;
    *colours = NuvImage(width, height, NuvPixelFormat::RGB8);
    if (grey) *greyOut = NuvImage(width, height, NuvPixelFormat::Mono8);
    std::vector<uint8_t> rgb(static_cast<size_t>(points) * 3);
    std::vector<uint32_t> colourSums(static_cast<size_t>(width) * 3);
    std::vector<uint32_t> greySums(static_cast<size_t>(width));
    for (int d = 0; d < height; ++d) {
        const int first = d * factor;
        const int end = std::min(rows, first + factor);
        std::fill(colourSums.begin(), colourSums.end(), 0u);
        std::fill(greySums.begin(), greySums.end(), 0u);
        for (int r = first; r < end; ++r) {
            colourRows(range + static_cast<size_t>(r) * rowBytes, static_cast<size_t>(points), f, s.heightMin,
                       s.heightMax, &m_lut, rgb.data());
            const uint8_t* greyRow =
                grey ? grey + static_cast<size_t>(r) * static_cast<size_t>(points) : nullptr;
            for (int b = 0, x = 0; b < width; ++b) {
                const int blockEnd = std::min(points, x + factor);
                uint32_t red = 0, green = 0, blue = 0, level = 0;
                for (; x < blockEnd; ++x) {
                    red += rgb[3 * x];
                    green += rgb[3 * x + 1];
                    blue += rgb[3 * x + 2];
                    if (greyRow) level += greyRow[x];
                }
                colourSums[3 * b] += red;
                colourSums[3 * b + 1] += green;
                colourSums[3 * b + 2] += blue;
                greySums[b] += level;
            }
        }
        uint8_t* colourOut = colours->data() + static_cast<size_t>(d) * colours->step();
        uint8_t* greyLine = grey ? greyOut->data() + static_cast<size_t>(d) * greyOut->step() : nullptr;
        for (int b = 0; b < width; ++b) {
            // Rounded block means; blocks at the right and bottom edges may be smaller.
            const uint32_t n = static_cast<uint32_t>(end - first) *
                               static_cast<uint32_t>(std::min(points, (b + 1) * factor) - b * factor);
            for (int c = 0; c < 3; ++c)
                colourOut[3 * b + c] = static_cast<uint8_t>((colourSums[3 * b + c] + n / 2) / n);
            if (greyLine) greyLine[b] = static_cast<uint8_t>((greySums[b] + n / 2) / n);
        }
    }
}

bool LiveRangePages::sampleAt(int x, int y, bool grey, int64_t* sample) const {
    if (y > m_rowsShown) return false;
    bool found = false;
    m_streamer->readRows(y, y,
                         [&](const uint8_t* range, const uint8_t* greyRow, int, int points,
                             const RangeStreamer::Format& f, const RangeStreamer::DisplaySettings&) {
                             if (x < 0 || x >= points || points != m_points) return;
                             if (grey) {
                                 if (greyRow == nullptr) return;
                                 *sample = greyRow[x];
                             } else if (f.bytesPerPoint == 2) {
                                 uint16_t raw;
                                 std::memcpy(&raw, range + 2 * static_cast<size_t>(x), sizeof raw);
                                 *sample = raw;
                             } else {
                                 uint32_t raw;
                                 std::memcpy(&raw, range + 4 * static_cast<size_t>(x), sizeof raw);
                                 *sample = raw & f.rawMask;
                             }
                             found = true;
                         });
    return found;
}

void LiveRangePages::attachReadouts(const RangeStreamer::Format& f, const RangeStreamer::DisplaySettings& s) {
    ImageWndLabel::Source range;
    range.size = QSize(m_points, m_lines);
    range.range = true;
    range.heightScale = f.heightScale;
    range.heightOffset = -static_cast<double>(f.heightOffset);
    range.xInterval = s.xInterval;
    range.yInterval = s.yInterval;
    range.sampler = [this](int x, int y, int64_t* sample) { return sampleAt(x, y, false, sample); };
    m_rangeLabel->setFullResolutionSource(range);
    ImageWndLabel::Source grey;
    grey.size = range.size;
    grey.sampler = [this](int x, int y, int64_t* sample) { return sampleAt(x, y, true, sample); };
    m_greyLabel->setFullResolutionSource(grey);
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
    if (first == 0) {
        m_points = m_streamer->pointsPerLine();
        m_lines = m_streamer->totalLines();
        m_reduction = reductionFor(m_points, m_lines);
    }
    // A block shown in part is averaged again with its new lines.
    const int firstBlock = first / m_reduction;
    NuvImage colours;
    NuvImage grey;
    RangeStreamer::Format format;
    RangeStreamer::DisplaySettings settings;
    const bool read =
        m_streamer->readRows(firstBlock * m_reduction, last,
                             [&](const uint8_t* range, const uint8_t* greyRows, int rows, int points,
                                 const RangeStreamer::Format& f, const RangeStreamer::DisplaySettings& s) {
                                 if (points != m_points)
                                     return;  // another geometry: the next set-up starts over
                                 format = f;
                                 settings = s;
                                 reduceRows(range, greyRows, rows, points, f, s, &colours, &grey);
                             });
    if (!read || colours.isEmpty()) return;
    if (first == 0) {
        // Start from black pages of the scan's size; the read-out of the previous image goes too.
        const QSize size = displaySize();
        const NuvImage blankColours(size.width(), size.height(), NuvPixelFormat::RGB8);
        m_rangeLabel->setRangeImageMode(false, NuvRangeImage());
        m_rangeLabel->setBackground(&blankColours, 0);
        const NuvImage blankGrey(size.width(), size.height(), NuvPixelFormat::Mono8);
        m_greyLabel->setBackground(&blankGrey, 0);
    }
    m_rangeLabel->updateBackgroundRows(&colours, firstBlock);
    if (!grey.isEmpty()) m_greyLabel->updateBackgroundRows(&grey, firstBlock);
    m_rowsShown = last;
    if (first == 0) attachReadouts(format, settings);
}
