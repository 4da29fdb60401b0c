// SPDX-License-Identifier: Apache-2.0
#pragma once
// Background item of the 2D view: holds the frame as it was set (for read-back and the pixel
// read-out) and paints it straight into device pixels (see ZMKFrameSampler), so QPainter never
// scales a large frame itself and only what the view shows is converted.
#include <QGraphicsItem>
#include <QImage>
#include <opencv2/core.hpp>
#include <vector>

#include "NuvImage.h"
#include "ZMKDisplayMapping.h"
#include "ZMKFrameSampler.h"

class ZMKImageItem : public QGraphicsItem {
public:
    ZMKImageItem();

    // Both return false (and keep the previous frame) for a null image or an unknown format.
    // A QImage is copied; a NuvImage with pixels of its own is shared (its giver must not write into
    // it afterwards), one wrapping foreign memory is copied.
    bool setImage(const QImage& image);
    bool setImage(const NuvImage& image);
    void clear();
    // Writes `rows` over lines firstRow.. of a frame set as an 8-bit grey or RGB NuvImage of the
    // same width and format, and repaints just them; false (nothing changes) otherwise.
    bool updateRows(const NuvImage& rows, int firstRow);
    // Bytes of the frame, its display copies and the paint cache.
    size_t heldBytes() const;

    // How deep grey frames map to the screen; false (nothing changes) for an invalid range. The frame
    // shown is repainted with it.
    bool setDisplayRange(const ZMKDisplayRange& range);
    // The settings with the levels in use as minimum and maximum.
    ZMKDisplayRange displayRange() const { return m_mapping.range(); }

    bool isEmpty() const { return m_width == 0; }
    QSize imageSize() const { return QSize(m_width, m_height); }
    bool hasQImage() const { return !m_qimage.isNull(); }
    bool hasNuvImage() const { return !m_nuv.isEmpty(); }
    const QImage& qimage() const { return m_qimage; }
    const NuvImage& nuvImage() const { return m_nuv; }

    // Pixel at integer image coordinates: grey images give v1 = v2 = v3 = value (true 16-bit
    // value for Mono16), colour images r, g, b and the luminance. False outside the image.
    bool pixelAt(int x, int y, int* v1, int* v2, int* v3, float* value) const;

    // Fills `target` (Format_RGB32 or premultiplied ARGB32) with the frame as it appears at
    // device rect `deviceRect`, where image x maps to device x * scaleX + originX.
    void sample(QImage* target, const QRect& deviceRect, double scaleX, double scaleY, double originX,
                double originY) const;

    QRectF boundingRect() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

private:
    using Kind = ZMKFrameSampler::Kind;

    void resetSource();
    bool setGreyFromWide(const cv::Mat& wide);
    // Copies a frame of `height` rows of `rowBytes` into the source buffer set up in m_source; when
    // the last paint decimated a frame of this size, the display cache is refreshed in the same pass.
    void copyFrame(const uchar* src, qsizetype srcStride, size_t rowBytes, bool sameSize);
    void frameChanged(int width, int height);

    // The frame as set: exactly one of the two is non-empty.
    QImage m_qimage;
    NuvImage m_nuv;
    // Display data when the original cannot be sampled directly (32-bit grey, exotic QImage formats).
    cv::Mat m_displayMat;
    QImage m_displayImage;
    // 16-bit grey value -> device pixel, by the display range.
    ZMKDisplayMapping m_mapping;

    ZMKFrameSampler::Source m_source;
    bool m_hasAlpha = false;
    int m_width = 0;
    int m_height = 0;

    // Last sampled device area, reused while frame, scale and origin stay the same.
    QImage m_cache;
    QRect m_cacheRect;
    quint64 m_serial = 0;
    quint64 m_cacheSerial = 0;
    double m_cacheScaleX = 0.0;
    double m_cacheScaleY = 0.0;
    double m_cacheOriginX = 0.0;
    double m_cacheOriginY = 0.0;
};
