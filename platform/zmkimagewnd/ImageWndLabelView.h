#pragma once
// View inside ImageWndLabel: the 2D view with a read-out that, for colour-coded range images,
// shows the XYZ of the range sample under the cursor instead of the displayed colour.
#include "NuvRangeImage.h"
#include "ZMKImageView.h"

class ImageWndLabelView : public ZMKImageView {
    Q_OBJECT
public:
    explicit ImageWndLabelView(QWidget* parent = nullptr);

    // Takes its own copy: the owner keeps filling its range buffer for the next scan.
    void setRangeImage(const NuvRangeImage& range);
    void clearRangeImage();
    bool hasRangeImage() const { return !m_range.isEmpty(); }
    size_t rangeImageBytes() const { return m_range.byteSize(); }
    void setXYZEnabled(bool enabled) { m_xyz = enabled; }
    bool isXYZEnabled() const { return m_xyz; }

protected:
    QString readoutText(int x, int y) const override;

private:
    NuvRangeImage m_range;
    bool m_xyz = false;
};
