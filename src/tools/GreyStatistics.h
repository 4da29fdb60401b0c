// SPDX-License-Identifier: Apache-2.0
#pragma once
// Grey-value statistics of one image: the histogram of a region, or the values along one row (line
// profile) or one column (column profile), with minimum, maximum, average and standard deviation per
// channel. Used by the statistics worker; free of threads and widgets so it can be measured alone.
//
// Images: 8-bit formats (Grayscale8, Indexed8, Alpha8) are grey; RGB888 and BGR888 are colour (each
// channel reported under its real name whatever the byte order); Grayscale16 is 16-bit grey. Other
// formats (32-bit and 16-bit colour among them) give four empty results. Rows are addressed by their
// real bytes per line, so padded rows are read correctly.
//
// Averages are integer sums divided by the pixel count, rounded down; the standard deviation is the
// root of the mean squared deviation from that average, summed exactly in 64 bits, for a region and
// for the values along a profile alike.
//
// 16-bit histogram binning: counts are taken over all 65536 values (so the statistics are exact), then
// folded into at most 256 bins of width 2^s, s being the smallest shift for which the region's minimum
// and maximum fall at most 255 bins apart. The first bin starts at the minimum rounded down to a
// multiple of 2^s; each x value is the first grey value of its bin. A region of 8-bit-range values
// (0..255) therefore keeps one bin per value.
#include <QImage>
#include <QVector>
#include <cstdint>

class GreyStatistics {
public:
    using Series = QVector<QVector<double>>;
    enum ViewMode { Histogram = 0, LineProfile = 1, ColumnProfile = 2 };

    // Region of the histogram: columns and rows, end exclusive.
    struct Region {
        uint32_t startColumn = 0;
        uint32_t endColumn = 0;
        uint32_t startRow = 0;
        uint32_t endRow = 0;
    };

    // What the histogram panel shows: red, green, blue each empty or [x values, y values] (grey data in
    // red alone); calResult one [minimum, maximum, average, deviation] per channel.
    struct Result {
        Series red;
        Series green;
        Series blue;
        Series calResult;
    };

    // Fails (returns false, nothing to show) for a null image, a region empty after clamping to the
    // image (in every view mode), a profile position outside the image or an unknown view mode. A
    // region start beyond the image becomes 0 and an end beyond it the image's edge.
    static bool compute(const QImage& image, int viewMode, int linePosition, int columnPosition,
                        Region region, Result* out);

    // Bytes per pixel the computation understands for a format: 1 grey, 2 16-bit grey, 3 colour, 0 none.
    static int sampleBytes(QImage::Format format);
};
