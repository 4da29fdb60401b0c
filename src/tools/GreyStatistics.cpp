// SPDX-License-Identifier: Apache-2.0
#include "GreyStatistics.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace {
using Region = GreyStatistics::Region;
using Series = GreyStatistics::Series;

// [minimum, maximum, average, deviation] of a count table over `bins` values, n > 0 samples.
template <typename Count>
QVector<double> summarize(const Count* counts, int bins, uint64_t n) {
    int lo = 0;
    while (lo < bins - 1 && counts[lo] == 0)
        ++lo;
    int hi = bins - 1;
    while (hi > lo && counts[hi] == 0)
        --hi;
    uint64_t sum = 0;
    for (int i = lo; i <= hi; ++i)
        sum += static_cast<uint64_t>(i) * counts[i];
    const uint64_t average = sum / n;
    uint64_t squares = 0;
    for (int i = lo; i <= hi; ++i) {
        const int64_t d = static_cast<int64_t>(i) - static_cast<int64_t>(average);
        squares += static_cast<uint64_t>(d * d) * counts[i];
    }
    return {double(lo), double(hi), double(average), std::sqrt(double(squares) / double(n))};
}

Series histogramSeries(const uint32_t* counts) {
    QVector<double> x(256), y(256);
    for (int i = 0; i < 256; ++i) {
        x[i] = i;
        y[i] = counts[i];
    }
    return {x, y};
}

// Four partial tables per pass so consecutive equal values do not wait on each other's increment.
void countGrey8(const QImage& image, const Region& r, uint32_t* out) {
    alignas(64) uint32_t t[4][256] = {};
    const size_t width = r.endColumn - r.startColumn;
    for (uint32_t row = r.startRow; row < r.endRow; ++row) {
        const uchar* p = image.constScanLine(static_cast<int>(row)) + r.startColumn;
        size_t x = 0;
        for (; x + 8 <= width; x += 8) {
            uint64_t v;
            std::memcpy(&v, p + x, 8);
            ++t[0][v & 0xFF];
            ++t[1][(v >> 8) & 0xFF];
            ++t[2][(v >> 16) & 0xFF];
            ++t[3][(v >> 24) & 0xFF];
            ++t[0][(v >> 32) & 0xFF];
            ++t[1][(v >> 40) & 0xFF];
            ++t[2][(v >> 48) & 0xFF];
            ++t[3][v >> 56];
        }
        for (; x < width; ++x)
            ++t[x & 3][p[x]];
    }
    for (int i = 0; i < 256; ++i)
        out[i] = t[0][i] + t[1][i] + t[2][i] + t[3][i];
}

// Two partial tables per channel, alternating pixel by pixel; out is [3][256] in byte order.
void countColour(const QImage& image, const Region& r, uint32_t (*out)[256]) {
    alignas(64) uint32_t t[2][3][256] = {};
    const size_t width = r.endColumn - r.startColumn;
    for (uint32_t row = r.startRow; row < r.endRow; ++row) {
        const uchar* p = image.constScanLine(static_cast<int>(row)) + size_t(r.startColumn) * 3;
        size_t x = 0;
        for (; x + 2 <= width; x += 2, p += 6) {
            ++t[0][0][p[0]];
            ++t[0][1][p[1]];
            ++t[0][2][p[2]];
            ++t[1][0][p[3]];
            ++t[1][1][p[4]];
            ++t[1][2][p[5]];
        }
        if (x < width) {
            ++t[0][0][p[0]];
            ++t[0][1][p[1]];
            ++t[0][2][p[2]];
        }
    }
    for (int c = 0; c < 3; ++c)
        for (int i = 0; i < 256; ++i)
            out[c][i] = t[0][c][i] + t[1][c][i];
}

void histogram16(const QImage& image, const Region& r, GreyStatistics::Result* out) {
    std::vector<uint32_t> counts(65536, 0);
    for (uint32_t row = r.startRow; row < r.endRow; ++row) {
        const auto* p = reinterpret_cast<const uint16_t*>(image.constScanLine(static_cast<int>(row)));
        for (uint32_t c = r.startColumn; c < r.endColumn; ++c)
            ++counts[p[c]];
    }
    const uint64_t n = uint64_t(r.endColumn - r.startColumn) * (r.endRow - r.startRow);
    const QVector<double> stats = summarize(counts.data(), 65536, n);
    const int lo = int(stats[0]), hi = int(stats[1]);
    int shift = 0;
    while ((hi >> shift) - (lo >> shift) > 255)
        ++shift;
    const int first = lo >> shift;
    const int bins = std::min(256, (65535 >> shift) - first + 1);
    QVector<double> x(bins), y(bins, 0.0);
    for (int b = 0; b < bins; ++b)
        x[b] = double((first + b) << shift);
    for (int v = lo; v <= hi; ++v)
        y[(v >> shift) - first] += counts[v];
    out->red = {x, y};
    out->calResult = {stats};
}

// One row (line profile) or one column (column profile) of every channel.
void profile(const QImage& image, int bytes, bool line, int position, bool bgr, GreyStatistics::Result* out) {
    const int length = line ? image.width() : image.height();
    const int channels = bytes == 3 ? 3 : 1;
    QVector<double> x(length);
    QVector<double> y[3];
    for (int c = 0; c < channels; ++c)
        y[c].resize(length);
    for (int i = 0; i < length; ++i) {
        x[i] = i;
        const int row = line ? position : i;
        const int col = line ? i : position;
        const uchar* p = image.constScanLine(row);
        if (bytes == 2) {
            y[0][i] = reinterpret_cast<const uint16_t*>(p)[col];
        } else {
            for (int c = 0; c < channels; ++c)
                y[c][i] = p[size_t(col) * bytes + c];
        }
    }
    if (bgr) std::swap(y[0], y[2]);
    Series* series[3] = {&out->red, &out->green, &out->blue};
    for (int c = 0; c < channels; ++c) {
        double lo = y[c].isEmpty() ? 0 : y[c][0], hi = lo;
        uint64_t sum = 0;
        for (double v : y[c]) {
            lo = std::min(lo, v);
            hi = std::max(hi, v);
            sum += uint64_t(v);
        }
        // The same floor average and exact squared deviations as the histogram's region.
        const uint64_t average = sum / uint64_t(length);
        uint64_t squares = 0;
        for (double v : y[c]) {
            const int64_t d = static_cast<int64_t>(v) - static_cast<int64_t>(average);
            squares += static_cast<uint64_t>(d * d);
        }
        *series[c] = {x, y[c]};
        out->calResult.append({lo, hi, double(average), std::sqrt(double(squares) / double(length))});
    }
}
}  // namespace

int GreyStatistics::sampleBytes(QImage::Format format) {
    switch (format) {
        case QImage::Format_Grayscale8:
        case QImage::Format_Indexed8:
        case QImage::Format_Alpha8:
            return 1;
        case QImage::Format_Grayscale16:
            return 2;
        case QImage::Format_RGB888:
        case QImage::Format_BGR888:
            return 3;
        default:
            return 0;
    }
}

bool GreyStatistics::compute(const QImage& image, int viewMode, int linePosition, int columnPosition,
                             Region r, Result* out) {
    if (out == nullptr || image.isNull()) return false;
    *out = Result();
    const auto w = static_cast<uint32_t>(image.width());
    const auto h = static_cast<uint32_t>(image.height());
    if (r.startColumn > w) r.startColumn = 0;
    if (r.endColumn > w) r.endColumn = w;
    if (r.startRow > h) r.startRow = 0;
    if (r.endRow > h) r.endRow = h;
    if (r.endColumn <= r.startColumn || r.endRow <= r.startRow) return false;
    if (viewMode < Histogram || viewMode > ColumnProfile) return false;
    const int bytes = sampleBytes(image.format());
    if (bytes == 0) return true;  // nothing this computation can read: empty results
    const bool bgr = image.format() == QImage::Format_BGR888;
    if (viewMode == LineProfile) {
        if (linePosition < 0 || linePosition >= image.height()) return false;
        profile(image, bytes, true, linePosition, bgr, out);
        return true;
    }
    if (viewMode == ColumnProfile) {
        if (columnPosition < 0 || columnPosition >= image.width()) return false;
        profile(image, bytes, false, columnPosition, bgr, out);
        return true;
    }
    const uint64_t n = uint64_t(r.endColumn - r.startColumn) * (r.endRow - r.startRow);
    if (bytes == 2) {
        histogram16(image, r, out);
    } else if (bytes == 1) {
        uint32_t counts[256];
        countGrey8(image, r, counts);
        out->red = histogramSeries(counts);
        out->calResult = {summarize(counts, 256, n)};
    } else {
        uint32_t counts[3][256];
        countColour(image, r, counts);
        const int red = bgr ? 2 : 0, blue = bgr ? 0 : 2;
        out->red = histogramSeries(counts[red]);
        out->green = histogramSeries(counts[1]);
        out->blue = histogramSeries(counts[blue]);
        out->calResult = {summarize(counts[red], 256, n), summarize(counts[1], 256, n),
                          summarize(counts[blue], 256, n)};
    }
    return true;
}
