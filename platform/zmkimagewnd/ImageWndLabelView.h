// SPDX-License-Identifier: Apache-2.0
#pragma once
// View inside ImageWndLabel: the 2D view with a read-out that, for colour-coded range images,
// shows the XYZ of the range sample under the cursor instead of the displayed colour, and for a
// reduced picture the sample of the full-resolution image under the cursor.
#include <memory>

#include "ImageWndLabel.h"
#include "NuvRangeImage.h"
#include "ZMKImageView.h"

class ImageWndLabelView : public ZMKImageView {
    Q_OBJECT
public:
    explicit ImageWndLabelView(QWidget* parent = nullptr);

    // Takes its own copy: the owner keeps filling its range buffer for the next scan.
    void setRangeImage(const NuvRangeImage& range);
    void clearRangeImage();
    bool hasRangeImage() const { return m_source.range && m_source.sampler; }
    size_t rangeImageBytes() const { return m_ownRange ? m_ownRange->byteSize() : 0; }
    // The read-out reads `source` from now on (see ImageWndLabel::setFullResolutionSource).
    void setSource(const ImageWndLabel::Source& source);
    void setXYZEnabled(bool enabled) { m_xyz = enabled; }
    bool isXYZEnabled() const { return m_xyz; }

protected:
    QString readoutTextAt(const QPointF& imagePos, int x, int y) const override;

private:
    ImageWndLabel::Source m_source;
    std::shared_ptr<const NuvRangeImage> m_ownRange;  // the copy setRangeImage() reads from
    bool m_xyz = false;
};
