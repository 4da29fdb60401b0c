#pragma once
// Display label for 8-bit and colour-coded range images, with optional scroll bars and an
// XYZ read-out for range images.
//
// Every call returns 0 on success and -1 on failure (also before create() and after destroy()).
// Images are fitted to the label (aspect kept) until the user zooms with the wheel; a new image
// size or clearBackground() returns to fitting. showToolbar() is accepted and ignored. With pixel
// info enabled a status line at the bottom shows the pixel under the cursor, or in range mode
// with setRangeDisplayXYZ(true) its X, Y (mm, from the intervals) and Z (sample * scale + offset).
#include <QWidget>

#include "NuvImage.h"
#include "NuvRangeImage.h"

class ImageWndLabelView;

class ImageWndLabel : public QWidget {
    Q_OBJECT
public:
    explicit ImageWndLabel(QWidget* parent = nullptr);
    ~ImageWndLabel() override;

    int create(bool fitOnFirstImage, int style, bool enableZoom, bool enablePixelInfo);
    int destroy(bool releaseImage, bool releaseView);
    int showToolbar(bool show);
    int showScrollbar(bool show);
    int setRangeDisplayXYZ(bool enable);
    // The next backgrounds are colour codings of `range`; the read-out shows its XYZ values.
    int setRangeImageMode(bool enable, const NuvRangeImage& range);
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
