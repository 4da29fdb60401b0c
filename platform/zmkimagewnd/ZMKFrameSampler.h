// SPDX-License-Identifier: Apache-2.0
#pragma once
// Turns a full-resolution frame into device pixels of the 2D view in one pass: nearest sampling at
// zoom 1 and above, an area average of each device pixel's footprint below, so a large frame shown
// fitted is never converted at full resolution first.
//
// What the average promises when shrinking: every column of a footprint counts (skipping columns
// saves no memory traffic). Lines count too while the footprint's bytes stay within a read budget
// of 32 bytes per device pixel: 8-bit grey shrunk up to about five times, 16-bit grey four, RGB
// about 2.6, 32-bit colour two. Beyond it a footprint reads only an even number (at least two) of
// adjacent whole lines around its middle; a Bayer mosaic (beyond about four times) whole cell
// lines, at least one. So, shrunk that far:
// - smooth pictures look as the plain area average does, within a grey level;
// - detail alternating from one pixel or line to the next (checkerboards, interlaced lines) shows
//   as its mean, as the plain average shows it; a mosaic shows each cell's own colour;
// - coarser detail that still varies within a footprint's height (periods of about 3 lines up to
//   twice the footprint, for a mosaic also detail alternating by cell line) is sampled rather than
//   averaged vertically and can show as moiré, as nearest sampling would.
// The read-out, histogram, measurements and saves never use these pictures: they read the frame.
#include <QImage>
#include <QRect>
#include <cstdint>
#include <functional>

class ZMKFrameSampler {
public:
    enum class Kind { None, Grey8, Grey16, Rgb24, Bgr24, Argb32, Bayer };

    struct Source {
        Kind kind = Kind::None;
        const uchar* data = nullptr;
        qsizetype stride = 0;
        int width = 0;
        int height = 0;
        // Grey16: 16-bit value -> device pixel (opaque RGB32), 65536 entries: the display range,
        // gamma and saturation colour in one lookup.
        const quint32* wideColours = nullptr;
        // Bayer: position of the red site in every 2x2 cell.
        int redX = 0;
        int redY = 0;
    };

    // Image x maps to device x * scaleX + originX (and likewise for y).
    struct Mapping {
        double scaleX = 1.0;
        double scaleY = 1.0;
        double originX = 0.0;
        double originY = 0.0;
    };

    // Called with n before the sampler reads source rows below n; lets the caller copy rows into
    // the source just ahead of the sampler while they are still in cache. n reaches the height last.
    using RowsNeeded = std::function<void(int)>;

    static bool decimates(const Mapping& m) { return m.scaleX < 1.0 || m.scaleY < 1.0; }

    // Fills the deviceRect-sized top-left area of `target` (RGB32 or premultiplied ARGB32).
    static void sample(const Source& source, QImage* target, const QRect& deviceRect, const Mapping& mapping,
                       const RowsNeeded& rowsNeeded = {});
};
