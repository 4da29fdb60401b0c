#pragma once
// Display label for 8-bit and colour-coded range images, with optional scroll bars and an
// XYZ read-out for range images.
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
};
