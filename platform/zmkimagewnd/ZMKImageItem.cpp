// SPDX-License-Identifier: Apache-2.0
#include "ZMKImageItem.h"

#include <QPaintDevice>
#include <QPainter>
#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <utility>
#include <vector>

namespace {
// Copies one row with stores that bypass the cache: a large frame is written once and read rarely
// (read-out, saves), so pulling its lines into the cache first would only cost memory traffic.
void streamRow(uchar* dst, const uchar* src, size_t n) {
#if defined(__SSE2__) || defined(_M_X64)
    const size_t head = std::min(n, size_t((16 - (reinterpret_cast<quintptr>(dst) & 15)) & 15));
    std::memcpy(dst, src, head);
    size_t i = head;
    for (; i + 64 <= n; i += 64) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i + 16));
        const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i + 32));
        const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i + 48));
        _mm_stream_si128(reinterpret_cast<__m128i*>(dst + i), a);
        _mm_stream_si128(reinterpret_cast<__m128i*>(dst + i + 16), b);
        _mm_stream_si128(reinterpret_cast<__m128i*>(dst + i + 32), c);
        _mm_stream_si128(reinterpret_cast<__m128i*>(dst + i + 48), d);
    }
    std::memcpy(dst + i, src + i, n - i);
#else
    std::memcpy(dst, src, n);
#endif
}

float luminance(int r, int g, int b) {
    return 0.299f * r + 0.587f * g + 0.114f * b;
}

// Bayer formats: where the red site sits in every 2x2 cell (GenICam names the pattern by its first row).
bool bayerRed(uint32_t format, int* redX, int* redY) {
    switch (format) {
        case NuvPixelFormat::BayerRG8:
            *redX = 0, *redY = 0;
            return true;
        case NuvPixelFormat::BayerGR8:
            *redX = 1, *redY = 0;
            return true;
        case NuvPixelFormat::BayerGB8:
            *redX = 0, *redY = 1;
            return true;
        case NuvPixelFormat::BayerBG8:
            *redX = 1, *redY = 1;
            return true;
        default:
            return false;
    }
}

ZMKFrameSampler::Kind kindOf(QImage::Format format) {
    switch (format) {
        case QImage::Format_Grayscale8:
            return ZMKFrameSampler::Kind::Grey8;
        case QImage::Format_Grayscale16:
            return ZMKFrameSampler::Kind::Grey16;
        case QImage::Format_RGB888:
            return ZMKFrameSampler::Kind::Rgb24;
        case QImage::Format_BGR888:
            return ZMKFrameSampler::Kind::Bgr24;
        case QImage::Format_RGB32:
        case QImage::Format_ARGB32_Premultiplied:
            return ZMKFrameSampler::Kind::Argb32;
        default:
            return ZMKFrameSampler::Kind::None;
    }
}
}  // namespace

ZMKImageItem::ZMKImageItem() {
    setZValue(-1.0);
    setAcceptedMouseButtons(Qt::NoButton);
}

void ZMKImageItem::resetSource() {
    m_qimage = QImage();
    m_nuv = NuvImage();
    m_displayMat.release();
    m_displayImage = QImage();
    m_source = ZMKFrameSampler::Source();
    m_hasAlpha = false;
}

void ZMKImageItem::frameChanged(int width, int height) {
    if (width != m_width || height != m_height) {
        prepareGeometryChange();
        m_width = width;
        m_height = height;
    }
    ++m_serial;
    update();
}

bool ZMKImageItem::setGreyFromWide(const cv::Mat& wide) {
    // 32-bit grey frames are shown stretched over their own range; the read-out still uses `wide`.
    double lo = 0.0, hi = 0.0;
    cv::minMaxLoc(wide, &lo, &hi);
    if (hi > lo) {
        wide.convertTo(m_displayMat, CV_8U, 255.0 / (hi - lo), -lo * 255.0 / (hi - lo));
    } else {
        m_displayMat = cv::Mat(wide.size(), CV_8UC1, cv::Scalar(std::clamp(lo, 0.0, 255.0)));
    }
    m_source.kind = Kind::Grey8;
    m_source.data = m_displayMat.data;
    m_source.stride = static_cast<qsizetype>(m_displayMat.step);
    return true;
}

void ZMKImageItem::copyFrame(const uchar* src, qsizetype srcStride, size_t rowBytes, bool sameSize) {
    uchar* dst = const_cast<uchar*>(m_source.data);
    const qsizetype dstStride = m_source.stride;
    const bool wide = m_source.kind == Kind::Grey16;
    // 16-bit grey is counted for its display range while its rows are in cache, where the range's
    // mode needs it (a fixed or held range does not).
    const bool counting = wide && m_mapping.needsFrame();
    if (counting) m_mapping.beginFrame(m_source.width, m_source.height);
    // A shared frame is its own source: its rows are only read (for the display range).
    const bool copying = dst != src;
    int copied = 0;
    const auto copyRows = [&](int upTo) {
        if (!copying && !counting) copied = upTo;
        for (; copied < upTo; ++copied) {
            const uchar* from = src + copied * srcStride;
            if (copying) streamRow(dst + copied * dstStride, from, rowBytes);
            if (counting) m_mapping.countRow(reinterpret_cast<const quint16*>(from), copied);
        }
        if (copied == m_source.height && wide) m_mapping.endFrame();
    };
    const ZMKFrameSampler::Mapping last{m_cacheScaleX, m_cacheScaleY, m_cacheOriginX, m_cacheOriginY};
    const QImage::Format cacheFormat =
        m_hasAlpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
    // Frames of one size stream in at one zoom: the next paint will want the same device area.
    if (sameSize && !m_cacheRect.isEmpty() && m_cache.format() == cacheFormat &&
        ZMKFrameSampler::decimates(last)) {
        // The copy bypasses the cache, so the sampler reads the caller's rows the copy just loaded.
        ZMKFrameSampler::Source incoming = m_source;
        incoming.data = src;
        incoming.stride = srcStride;
        ZMKFrameSampler::sample(incoming, &m_cache, m_cacheRect, last, copyRows);
        m_cacheSerial = m_serial + 1;  // the serial frameChanged() is about to give this frame
    } else {
        copyRows(m_source.height);
    }
#if defined(__SSE2__) || defined(_M_X64)
    _mm_sfence();  // the streamed rows are visible before anyone reads the frame
#endif
}

bool ZMKImageItem::setImage(const QImage& image) {
    if (image.isNull() || image.width() <= 0 || image.height() <= 0) return false;
    const Kind kind = kindOf(image.format());
    if (kind != Kind::None) {
        // Own copy (the caller may reuse its buffer), into the previous frame's buffer when it fits.
        const bool sameSize = image.size() == QSize(m_width, m_height);
        QImage own = m_qimage;
        if (own.size() != image.size() || own.format() != image.format()) own = QImage();
        resetSource();
        if (!own.isNull() && !own.isDetached()) own = QImage();
        if (own.isNull()) own = QImage(image.size(), image.format());
        if (own.isNull()) {
            frameChanged(0, 0);
            return false;
        }
        m_qimage = std::move(own);  // a second reference would make bits() copy the old frame
        m_hasAlpha = image.format() == QImage::Format_ARGB32_Premultiplied;
        m_source.kind = kind;
        m_source.data = m_qimage.bits();
        m_source.stride = m_qimage.bytesPerLine();
        m_source.width = image.width();
        m_source.height = image.height();
        if (kind == Kind::Grey16) m_source.wideColours = m_mapping.colours();
        const size_t rowBytes = static_cast<size_t>(image.width()) * static_cast<size_t>(image.depth() / 8);
        copyFrame(image.constBits(), image.bytesPerLine(), rowBytes, sameSize);
        frameChanged(image.width(), image.height());
        return true;
    }
    // Other formats are rare: convert the whole frame once.
    const QImage copy = image.copy();
    if (copy.isNull()) return false;
    resetSource();
    m_qimage = copy;
    m_hasAlpha = m_qimage.hasAlphaChannel();
    m_displayImage =
        m_qimage.convertToFormat(m_hasAlpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    if (m_displayImage.isNull()) {
        resetSource();
        frameChanged(0, 0);
        return false;
    }
    m_source.kind = Kind::Argb32;
    m_source.data = m_displayImage.constBits();
    m_source.stride = m_displayImage.bytesPerLine();
    m_source.width = m_qimage.width();
    m_source.height = m_qimage.height();
    frameChanged(m_qimage.width(), m_qimage.height());
    return true;
}

bool ZMKImageItem::setImage(const NuvImage& image) {
    if (image.isEmpty()) return false;
    const int type = image.mat().type();
    const uint32_t format = image.pixelFormat();
    Kind kind = Kind::None;
    int redX = 0, redY = 0;
    switch (format) {
        case NuvPixelFormat::Mono8:
            if (type == CV_8UC1) kind = Kind::Grey8;
            break;
        case NuvPixelFormat::Mono16:
        case NuvPixelFormat::Coord3D_C16:
            if (type == CV_16UC1) kind = Kind::Grey16;
            break;
        case NuvPixelFormat::Coord3D_C32:
            if (type == CV_32SC1) {
                resetSource();
                m_nuv = image.clone();
                setGreyFromWide(m_nuv.mat());
                m_source.width = m_nuv.width();
                m_source.height = m_nuv.height();
                frameChanged(m_nuv.width(), m_nuv.height());
                return true;
            }
            break;
        case NuvPixelFormat::RGB8:
            if (type == CV_8UC3) kind = Kind::Rgb24;
            break;
        case NuvPixelFormat::BGR8:
            if (type == CV_8UC3) kind = Kind::Bgr24;
            break;
        default:
            // A mosaic needs whole 2x2 cells.
            if (type == CV_8UC1 && bayerRed(format, &redX, &redY) && image.width() >= 2 &&
                image.height() >= 2)
                kind = Kind::Bayer;
            break;
    }
    if (kind == Kind::None) return false;
    const bool sameSize = image.width() == m_width && image.height() == m_height;
    // A frame with pixels of its own (as the business layer hands every frame over) is shared, not
    // copied: its giver no longer writes into it. One wrapping foreign memory (a camera buffer that
    // is recycled after this call) is copied, into the previous frame's buffer when that is ours alone.
    const bool share = image.mat().u != nullptr;
    NuvImage own = share ? image : m_nuv;
    resetSource();
    const cv::Mat& held = own.mat();
    const bool reusable = !own.isEmpty() && own.pixelFormat() == format &&
                          held.size() == image.mat().size() && held.type() == type && held.u != nullptr &&
                          held.u->refcount == 1;
    if (!share && !reusable) own = NuvImage(image.width(), image.height(), format);
    m_nuv = own;
    m_source.kind = kind;
    m_source.data = m_nuv.data();
    m_source.stride = static_cast<qsizetype>(m_nuv.step());
    m_source.width = image.width();
    m_source.height = image.height();
    m_source.redX = redX;
    m_source.redY = redY;
    if (kind == Kind::Grey16) m_source.wideColours = m_mapping.colours();
    const size_t rowBytes = static_cast<size_t>(image.width()) * image.mat().elemSize();
    copyFrame(image.data(), static_cast<qsizetype>(image.step()), rowBytes, sameSize);
    frameChanged(image.width(), image.height());
    return true;
}

bool ZMKImageItem::updateRows(const NuvImage& rows, int firstRow) {
    const bool directSource = m_source.kind == Kind::Grey8 || m_source.kind == Kind::Rgb24;
    if (m_nuv.isEmpty() || !directSource || rows.isEmpty() || rows.mat().type() != m_nuv.mat().type() ||
        rows.pixelFormat() != m_nuv.pixelFormat() || rows.width() != m_width || firstRow < 0 ||
        rows.height() > m_height - firstRow)
        return false;
    // A frame shared with its giver is never written into: the rows go into a copy of our own.
    const cv::Mat& held = m_nuv.mat();
    if (held.u == nullptr || held.u->refcount > 1) {
        m_nuv = m_nuv.clone();
        m_source.data = m_nuv.data();
        m_source.stride = static_cast<qsizetype>(m_nuv.step());
    }
    rows.mat().copyTo(m_nuv.mat().rowRange(firstRow, firstRow + rows.height()));
    ++m_serial;
    update(QRectF(0, firstRow, m_width, rows.height()));
    return true;
}

size_t ZMKImageItem::heldBytes() const {
    const auto matBytes = [](const cv::Mat& m) { return m.total() * m.elemSize(); };
    return static_cast<size_t>(m_qimage.sizeInBytes() + m_displayImage.sizeInBytes() +
                               m_cache.sizeInBytes()) +
           matBytes(m_nuv.mat()) + matBytes(m_displayMat);
}

void ZMKImageItem::clear() {
    resetSource();
    m_cache = QImage();
    m_cacheRect = QRect();
    frameChanged(0, 0);
}

bool ZMKImageItem::setDisplayRange(const ZMKDisplayRange& range) {
    if (!m_mapping.setRange(range)) return false;
    if (m_source.kind == Kind::Grey16) {
        // The frame shown answers a range that needs one (a user's "auto once" on a stopped camera).
        if (m_mapping.needsFrame())
            m_mapping.countFrame(m_source.data, m_source.stride, m_source.width, m_source.height);
        ++m_serial;
        update();
    }
    return true;
}

bool ZMKImageItem::pixelAt(int x, int y, int* v1, int* v2, int* v3, float* value) const {
    if (isEmpty() || x < 0 || y < 0 || x >= m_width || y >= m_height) return false;
    int r = 0, g = 0, b = 0;
    bool grey = true;
    double v = 0.0;
    if (!m_nuv.isEmpty()) {
        const cv::Mat& m = m_nuv.mat();
        switch (m.type()) {
            case CV_8UC1:
                v = m.at<uchar>(y, x);
                break;
            case CV_16UC1:
                v = m.at<quint16>(y, x);
                break;
            case CV_32SC1:
                v = m.at<qint32>(y, x);
                break;
            default: {
                const cv::Vec3b p = m.at<cv::Vec3b>(y, x);
                grey = false;
                const bool bgr = m_nuv.pixelFormat() == NuvPixelFormat::BGR8;
                r = bgr ? p[2] : p[0];
                g = p[1];
                b = bgr ? p[0] : p[2];
                break;
            }
        }
    } else if (m_qimage.format() == QImage::Format_Grayscale8) {
        v = m_qimage.constScanLine(y)[x];
    } else if (m_qimage.format() == QImage::Format_Grayscale16) {
        v = reinterpret_cast<const quint16*>(m_qimage.constScanLine(y))[x];
    } else {
        const QRgb c = m_qimage.pixel(x, y);
        grey = false;
        r = qRed(c);
        g = qGreen(c);
        b = qBlue(c);
    }
    if (grey) {
        *v1 = *v2 = *v3 = static_cast<int>(v);
        *value = static_cast<float>(v);
    } else {
        *v1 = r;
        *v2 = g;
        *v3 = b;
        *value = luminance(r, g, b);
    }
    return true;
}

void ZMKImageItem::sample(QImage* target, const QRect& deviceRect, double scaleX, double scaleY,
                          double originX, double originY) const {
    if (isEmpty()) return;
    ZMKFrameSampler::sample(m_source, target, deviceRect, {scaleX, scaleY, originX, originY});
}

QRectF ZMKImageItem::boundingRect() const {
    return QRectF(0, 0, m_width, m_height);
}

void ZMKImageItem::paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) {
    if (isEmpty() || painter->device() == nullptr) return;
    const QTransform t = painter->worldTransform();
    const QImage::Format format = m_hasAlpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
    if (t.type() > QTransform::TxScale || t.m11() <= 0.0 || t.m22() <= 0.0) {
        // Rotated or mirrored painters (never used by the view): sample 1:1 and let QPainter map it.
        QImage full(m_width, m_height, format);
        sample(&full, QRect(0, 0, m_width, m_height), 1.0, 1.0, 0.0, 0.0);
        painter->drawImage(QPointF(0, 0), full);
        return;
    }
    const QRect deviceRect(0, 0, painter->device()->width(), painter->device()->height());
    const QRectF mapped = t.mapRect(boundingRect()).intersected(QRectF(deviceRect).adjusted(-1, -1, 1, 1));
    if (mapped.isEmpty()) return;
    const QRect visible = QRect(QPoint(qRound(mapped.left()), qRound(mapped.top())),
                                QPoint(qRound(mapped.right()) - 1, qRound(mapped.bottom()) - 1)) &
                          deviceRect;
    if (visible.isEmpty()) return;
    const double sx = t.m11(), sy = t.m22(), ox = t.dx(), oy = t.dy();
    const bool reusable = m_cacheSerial == m_serial && m_cacheScaleX == sx && m_cacheScaleY == sy &&
                          m_cacheOriginX == ox && m_cacheOriginY == oy && m_cacheRect.contains(visible);
    if (!reusable) {
        if (m_cache.size() != visible.size() || m_cache.format() != format) {
            m_cache = QImage(visible.size(), format);
        }
        sample(&m_cache, visible, sx, sy, ox, oy);
        m_cacheRect = visible;
        m_cacheSerial = m_serial;
        m_cacheScaleX = sx;
        m_cacheScaleY = sy;
        m_cacheOriginX = ox;
        m_cacheOriginY = oy;
    }
    // The cache is already in device pixels: blit it without any transformation.
    painter->save();
    painter->resetTransform();
    painter->drawImage(m_cacheRect.topLeft(), m_cache);
    painter->restore();
}
