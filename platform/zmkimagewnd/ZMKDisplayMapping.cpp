// SPDX-License-Identifier: Apache-2.0
#include "ZMKDisplayMapping.h"

#include <algorithm>
#include <cmath>
#include <limits>

#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__) && defined(__linux__)
__attribute__((target_clones("avx2", "default"))) __attribute__((noinline))
#endif
// Smallest and largest sample of a 16-bit row; flipping the sign bit lets signed 16-bit lanes do it.
void zmkRowRange16(const quint16* v, size_t n, int* lo, int* hi) {
    qint16 l = std::numeric_limits<qint16>::max(), h = std::numeric_limits<qint16>::min();
    for (size_t i = 0; i < n; ++i) {
        const auto s = static_cast<qint16>(v[i] ^ 0x8000u);
        l = std::min(l, s);
        h = std::max(h, s);
    }
    *lo = int(l) + 32768;
    *hi = int(h) + 32768;
}

namespace {
constexpr size_t kBins = 65536;
constexpr int kPartials = 4;
// A percentile needs no more than about a million samples; larger frames are counted on a grid.
constexpr qint64 kHistogramSamples = qint64(1) << 20;

quint32 opaqueGrey(int v) {
    return 0xFF000000u | (quint32(v) << 16) | (quint32(v) << 8) | quint32(v);
}
}  // namespace

ZMKDisplayMapping::ZMKDisplayMapping() : m_colours(kBins, 0xFF000000u) {
    rebuild();
}

bool ZMKDisplayMapping::setRange(const ZMKDisplayRange& range) {
    if (!range.isValid()) return false;
    m_range = range;
    m_armed = range.mode == ZMKDisplayRange::Mode::AutoOnce;
    if (range.mode == ZMKDisplayRange::Mode::Fixed) {
        m_low = range.minimum;
        m_high = range.maximum;
    }
    rebuild();
    return true;
}

ZMKDisplayRange ZMKDisplayMapping::range() const {
    ZMKDisplayRange r = m_range;
    r.minimum = m_low;
    r.maximum = m_high;
    return r;
}

bool ZMKDisplayMapping::needsFrame() const {
    switch (m_range.mode) {
        case ZMKDisplayRange::Mode::AutoOnce:
            return m_armed;
        case ZMKDisplayRange::Mode::Fixed:
            return false;
        default:
            return true;
    }
}

void ZMKDisplayMapping::beginFrame(int width, int height) {
    m_counting = needsFrame() && width > 0 && height > 0;
    if (!m_counting) return;
    m_width = width;
    m_frameLow = 65535;
    m_frameHigh = 0;
    if (m_range.mode == ZMKDisplayRange::Mode::Percentile) {
        m_counts.assign(kBins * kPartials, 0);
        m_step = 1;
        while (qint64(width / m_step) * qint64(height / m_step) > kHistogramSamples)
            ++m_step;
    }
}

void ZMKDisplayMapping::countRow(const quint16* row, int y) {
    if (!m_counting) return;
    if (m_range.mode != ZMKDisplayRange::Mode::Percentile) {
        int lo = 0, hi = 0;
        zmkRowRange16(row, size_t(m_width), &lo, &hi);
        m_frameLow = std::min(m_frameLow, lo);
        m_frameHigh = std::max(m_frameHigh, hi);
        return;
    }
    if (y % m_step != 0) return;
    quint32* c = m_counts.data();
    const int step = m_step;
    int x = 0;
    for (; x + 3 * step < m_width; x += 4 * step) {
        ++c[row[x]];
        ++c[kBins + row[x + step]];
        ++c[2 * kBins + row[x + 2 * step]];
        ++c[3 * kBins + row[x + 3 * step]];
    }
    for (; x < m_width; x += step)
        ++c[row[x]];
}

void ZMKDisplayMapping::endFrame() {
    if (m_counting) resolve();
    m_counting = false;
    rebuild();
}

void ZMKDisplayMapping::countFrame(const uchar* data, qsizetype stride, int width, int height) {
    beginFrame(width, height);
    for (int y = 0; y < height && m_counting; ++y)
        countRow(reinterpret_cast<const quint16*>(data + y * stride), y);
    endFrame();
}

void ZMKDisplayMapping::resolve() {
    if (m_range.mode != ZMKDisplayRange::Mode::Percentile) {
        m_low = m_frameLow;
        m_high = m_frameHigh;
    } else {
        quint32* c = m_counts.data();
        quint64 total = 0;
        for (size_t v = 0; v < kBins; ++v) {
            c[v] += c[kBins + v] + c[2 * kBins + v] + c[3 * kBins + v];
            total += c[v];
        }
        if (total == 0) return;
        // Ranks of the nearest samples inside the percentiles: the lowest kept and the highest kept.
        const auto last = double(total - 1);
        const auto lowRank = quint64(std::floor(m_range.lowPercent / 100.0 * last));
        const auto highRank = quint64(std::ceil(m_range.highPercent / 100.0 * last));
        quint64 seen = 0;
        int lo = -1, hi = 65535;
        for (size_t v = 0; v < kBins; ++v) {
            seen += c[v];
            if (lo < 0 && seen > lowRank) lo = int(v);
            if (seen > highRank) {
                hi = int(v);
                break;
            }
        }
        m_low = lo;
        m_high = hi;
        m_counts.clear();
        m_counts.shrink_to_fit();
    }
    m_armed = false;
}

void ZMKDisplayMapping::rebuild() {
    const QRgb colour = m_range.saturationColour.rgb();
    if (m_built && m_builtLow == m_low && m_builtHigh == m_high && m_builtGamma == m_range.gamma &&
        m_builtMark == m_range.markSaturated && m_builtColour == colour)
        return;
    m_built = true;
    m_builtLow = m_low;
    m_builtHigh = m_high;
    m_builtGamma = m_range.gamma;
    m_builtMark = m_range.markSaturated;
    m_builtColour = colour;
    quint32* t = m_colours.data();
    const int lo = m_low, hi = m_high;
    if (hi <= lo) {
        // A flat frame: one grey, nothing to call saturated.
        std::fill(t, t + kBins, opaqueGrey(lo / 256));
        return;
    }
    std::fill(t, t + lo, opaqueGrey(0));
    if (m_range.gamma == 1.0) {
        // The same rounding as a linear conversion of the whole frame.
        const double alpha = 255.0 / (hi - lo), beta = -lo * alpha;
        for (int v = lo; v <= hi; ++v)
            t[v] = opaqueGrey(std::clamp(int(std::lrint(v * alpha + beta)), 0, 255));
    } else {
        // 255 * t^(1/gamma) reaches grey k from t = ((k - 0.5) / 255)^gamma: 256 powers, not one per value.
        int from = lo;
        for (int k = 0; k < 256 && from <= hi; ++k) {
            int to = hi + 1;
            if (k < 255) {
                const double edge = lo + (hi - lo) * std::pow((k + 0.5) / 255.0, m_range.gamma);
                to = std::clamp(int(std::ceil(edge)), from, hi + 1);
            }
            std::fill(t + from, t + to, opaqueGrey(k));
            from = to;
        }
    }
    std::fill(t + hi + 1, t + kBins, opaqueGrey(255));
    if (m_range.markSaturated) std::fill(t + hi, t + kBins, 0xFF000000u | colour);
}
