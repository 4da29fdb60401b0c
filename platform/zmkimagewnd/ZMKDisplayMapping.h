// SPDX-License-Identifier: Apache-2.0
#pragma once
// The display range of one view at work: counts what the current mode needs of each deep frame while
// the frame is copied (row by row, while the rows are in cache), resolves the levels and keeps the
// 64K lookup of 16-bit value -> device pixel the sampler maps through. The lookup is rebuilt only
// when the levels, gamma or saturation marking change, in place: its address never changes, so a
// sampler that took it before the frame's last row was counted reads the finished table.
#include <QtGlobal>
#include <vector>

#include "ZMKDisplayRange.h"

class ZMKDisplayMapping {
public:
    ZMKDisplayMapping();

    // False (nothing changes) for an invalid range. AutoOnce is armed again by every call.
    bool setRange(const ZMKDisplayRange& range);
    // The settings, minimum and maximum being the levels in use.
    ZMKDisplayRange range() const;
    int low() const { return m_low; }
    int high() const { return m_high; }

    // Whether the next frame has to be counted (the automatic modes; an AutoOnce not yet resolved).
    bool needsFrame() const;
    void beginFrame(int width, int height);
    void countRow(const quint16* row, int y);
    // Resolves the levels of the frame counted (when it was) and brings the lookup up to date.
    void endFrame();
    // Counts and resolves a whole frame at once.
    void countFrame(const uchar* data, qsizetype stride, int width, int height);

    const quint32* colours() const { return m_colours.data(); }

private:
    void resolve();
    void rebuild();

    ZMKDisplayRange m_range;
    bool m_armed = false;  // AutoOnce waits for a frame
    int m_low = 0;
    int m_high = 65535;

    // Statistics of the frame being counted.
    bool m_counting = false;
    int m_width = 0;
    int m_frameLow = 65535;
    int m_frameHigh = 0;
    int m_step = 1;  // every step-th pixel of every step-th row goes into the histogram
    // Percentile histogram: four partial tables, so runs of equal values do not wait on one counter.
    std::vector<quint32> m_counts;

    // What the lookup was last built for.
    bool m_built = false;
    int m_builtLow = -1;
    int m_builtHigh = -1;
    double m_builtGamma = 0.0;
    bool m_builtMark = false;
    QRgb m_builtColour = 0;
    std::vector<quint32> m_colours;
};
