// SPDX-License-Identifier: Apache-2.0
#pragma once
// Display label for 8-bit and colour-coded range images, with optional scroll bars and an
// XYZ read-out for range images.
//
// Every call returns 0 on success and -1 on failure (also before create() and after destroy()).
// Images are fitted to the label (aspect kept) until the user zooms with the wheel; a new image
// size or clearBackground() returns to fitting. showToolbar() is accepted and ignored. With pixel
// info enabled a status line at the bottom shows the pixel under the cursor, or in range mode
// with setRangeDisplayXYZ(true) its X, Y (mm, from the intervals) and Z (sample * scale + offset).
// A background may be a reduced picture of a larger image: with a full-resolution source the
// read-out maps the cursor into that image and shows its sample there.
#include <QWidget>
#include <cstdint>
#include <functional>

#include "NuvImage.h"
#include "NuvRangeImage.h"

class ImageWndLabelView;

class ImageWndLabel : public QWidget {
    Q_OBJECT
public:
    // The full-resolution image behind the background, read where the read-out needs it.
    struct Source {
        QSize size;  // of the full-resolution image
        // Sample at point x of line y; false where the image has none (yet).
        std::function<bool(int x, int y, int64_t* sample)> sampler;
        // Samples are raw heights, read out as XYZ with this scale (see NuvRangeImage).
        bool range = false;
        double heightScale = 1.0;
        double heightOffset = 0.0;
        double xInterval = 1.0;
        double xOffset = 0.0;
        double yInterval = 1.0;
        double yOffset = 0.0;
    };

    explicit ImageWndLabel(QWidget* parent = nullptr);
    ~ImageWndLabel() override;

    int create(bool fitOnFirstImage, int style, bool enableZoom, bool enablePixelInfo);
    int destroy(bool releaseImage, bool releaseView);
    int showToolbar(bool show);
    int showScrollbar(bool show);
    int setRangeDisplayXYZ(bool enable);
    // The next backgrounds are colour codings of `range`; the read-out shows its XYZ values.
    int setRangeImageMode(bool enable, const NuvRangeImage& range);
    // The read-out reads `source` (a source without sampler reads the shown pixels again); the
    // label keeps no copy of the image. -1 for a sampler without size.
    int setFullResolutionSource(const Source& source);
    int setBackground(const NuvImage* image, int layer);
    int clearBackground();
    bool hasBackground() const;
    // Replaces lines firstRow.. of the background (same width and format) without copying the
    // rest, for images that grow line by line.
    int updateBackgroundRows(const NuvImage* rows, int firstRow);
    // Bytes of the images the label holds.
    size_t heldBytes() const;

    // The inner view (null before create and after destroy).
    QWidget* viewWidget() const;
    // The read-out line for the pixel under the cursor (empty off the image).
    QString readoutText() const;

private:
    ImageWndLabelView* m_view = nullptr;
    bool m_fitOnFirstImage = true;
    bool m_rangeMode = false;
};
