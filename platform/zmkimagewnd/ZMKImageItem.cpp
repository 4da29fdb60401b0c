#include "ZMKImageItem.h"

#include <QPaintDevice>
#include <QPainter>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <vector>

namespace {
// Grey value -> opaque RGB32, built once.
const std::array<quint32, 256>& greyTable() {
    static const std::array<quint32, 256> table = [] {
        std::array<quint32, 256> t{};
        for (quint32 v = 0; v < 256; ++v)
            t[v] = 0xFF000000u | (v << 16) | (v << 8) | v;
        return t;
    }();
    return table;
}

int clampedIndex(double position, int size) {
    return static_cast<int>(std::clamp(std::floor(position), 0.0, static_cast<double>(size - 1)));
}

float luminance(int r, int g, int b) {
    return 0.299f * r + 0.587f * g + 0.114f * b;
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
    m_kind = SourceKind::None;
    m_data = nullptr;
    m_stride = 0;
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
    // Wide grey frames are shown stretched over their own range; the read-out still uses `wide`.
    double lo = 0.0, hi = 0.0;
    cv::minMaxLoc(wide, &lo, &hi);
    if (hi > lo) {
        wide.convertTo(m_displayMat, CV_8U, 255.0 / (hi - lo), -lo * 255.0 / (hi - lo));
    } else {
        const double flat = wide.depth() == CV_16U ? std::floor(lo / 256.0) : std::clamp(lo, 0.0, 255.0);
        m_displayMat = cv::Mat(wide.size(), CV_8UC1, cv::Scalar(flat));
    }
    m_kind = SourceKind::Grey8;
    m_data = m_displayMat.data;
    m_stride = static_cast<qsizetype>(m_displayMat.step);
    return true;
}

bool ZMKImageItem::setImage(const QImage& image) {
    if (image.isNull() || image.width() <= 0 || image.height() <= 0) return false;
    // Deep copy: the caller may hand us a QImage over a buffer it reuses for the next frame.
    const QImage copy = image.copy();
    if (copy.isNull()) return false;
    resetSource();
    m_qimage = copy;
    const uchar* bits = m_qimage.constBits();
    const qsizetype bpl = m_qimage.bytesPerLine();
    switch (m_qimage.format()) {
        case QImage::Format_Grayscale8:
            m_kind = SourceKind::Grey8;
            m_data = bits;
            m_stride = bpl;
            break;
        case QImage::Format_Grayscale16:
            setGreyFromWide(cv::Mat(m_qimage.height(), m_qimage.width(), CV_16UC1, const_cast<uchar*>(bits),
                                    static_cast<size_t>(bpl)));
            break;
        case QImage::Format_RGB888:
            m_kind = SourceKind::Rgb24;
            m_data = bits;
            m_stride = bpl;
            break;
        case QImage::Format_BGR888:
            m_kind = SourceKind::Bgr24;
            m_data = bits;
            m_stride = bpl;
            break;
        case QImage::Format_RGB32:
        case QImage::Format_ARGB32_Premultiplied:
            m_kind = SourceKind::Argb32;
            m_data = bits;
            m_stride = bpl;
            m_hasAlpha = m_qimage.format() == QImage::Format_ARGB32_Premultiplied;
            break;
        default:
            m_hasAlpha = m_qimage.hasAlphaChannel();
            m_displayImage = m_qimage.convertToFormat(m_hasAlpha ? QImage::Format_ARGB32_Premultiplied
                                                                 : QImage::Format_RGB32);
            if (m_displayImage.isNull()) {
                resetSource();
                frameChanged(0, 0);
                return false;
            }
            m_kind = SourceKind::Argb32;
            m_data = m_displayImage.constBits();
            m_stride = m_displayImage.bytesPerLine();
            break;
    }
    frameChanged(m_qimage.width(), m_qimage.height());
    return true;
}

bool ZMKImageItem::setImage(const NuvImage& image) {
    if (image.isEmpty()) return false;
    const int type = image.mat().type();
    SourceKind kind = SourceKind::None;
    bool wide = false;
    switch (image.pixelFormat()) {
        case NuvPixelFormat::Mono8:
            if (type == CV_8UC1) kind = SourceKind::Grey8;
            break;
        case NuvPixelFormat::Mono16:
        case NuvPixelFormat::Coord3D_C16:
            wide = type == CV_16UC1;
            break;
        case NuvPixelFormat::Coord3D_C32:
            wide = type == CV_32SC1;
            break;
        case NuvPixelFormat::RGB8:
            if (type == CV_8UC3) kind = SourceKind::Rgb24;
            break;
        case NuvPixelFormat::BGR8:
            if (type == CV_8UC3) kind = SourceKind::Bgr24;
            break;
        default:
            break;
    }
    if (kind == SourceKind::None && !wide) return false;
    resetSource();
    // Own copy: a NuvImage may wrap a camera buffer that is recycled after this call.
    m_nuv = image.clone();
    if (wide) {
        setGreyFromWide(m_nuv.mat());
    } else {
        m_kind = kind;
        m_data = m_nuv.data();
        m_stride = static_cast<qsizetype>(m_nuv.step());
    }
    frameChanged(m_nuv.width(), m_nuv.height());
    return true;
}

bool ZMKImageItem::updateRows(const NuvImage& rows, int firstRow) {
    const bool directSource = m_kind == SourceKind::Grey8 || m_kind == SourceKind::Rgb24;
    if (m_nuv.isEmpty() || !directSource || rows.isEmpty() || rows.mat().type() != m_nuv.mat().type() ||
        rows.pixelFormat() != m_nuv.pixelFormat() || rows.width() != m_width || firstRow < 0 ||
        rows.height() > m_height - firstRow)
        return false;
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
    const int tw = deviceRect.width();
    const int th = deviceRect.height();
    if (isEmpty() || m_data == nullptr || tw <= 0 || th <= 0 || target->width() < tw ||
        target->height() < th) {
        return;
    }
    const int bpp = m_kind == SourceKind::Grey8 ? 1 : (m_kind == SourceKind::Argb32 ? 4 : 3);
    // Source byte offset of every target column, computed once per frame area.
    std::vector<int> columns(static_cast<size_t>(tw));
    for (int i = 0; i < tw; ++i) {
        columns[static_cast<size_t>(i)] =
            clampedIndex((deviceRect.left() + i + 0.5 - originX) / scaleX, m_width) * bpp;
    }
    const auto& grey = greyTable();
    uchar* out = target->bits();
    const qsizetype outStride = target->bytesPerLine();
    const int* cols = columns.data();
    int previousRow = -1;
    for (int j = 0; j < th; ++j) {
        auto* d = reinterpret_cast<quint32*>(out + j * outStride);
        const int row = clampedIndex((deviceRect.top() + j + 0.5 - originY) / scaleY, m_height);
        if (row == previousRow) {
            // Magnified rows repeat: copy the line above instead of sampling again.
            std::memcpy(d, out + (j - 1) * outStride, static_cast<size_t>(tw) * 4);
            continue;
        }
        previousRow = row;
        const uchar* src = m_data + row * m_stride;
        switch (m_kind) {
            case SourceKind::Grey8:
                for (int i = 0; i < tw; ++i)
                    d[i] = grey[src[cols[i]]];
                break;
            case SourceKind::Rgb24:
                for (int i = 0; i < tw; ++i) {
                    const uchar* p = src + cols[i];
                    d[i] = 0xFF000000u | (quint32(p[0]) << 16) | (quint32(p[1]) << 8) | p[2];
                }
                break;
            case SourceKind::Bgr24:
                for (int i = 0; i < tw; ++i) {
                    const uchar* p = src + cols[i];
                    d[i] = 0xFF000000u | (quint32(p[2]) << 16) | (quint32(p[1]) << 8) | p[0];
                }
                break;
            case SourceKind::Argb32:
                for (int i = 0; i < tw; ++i)
                    std::memcpy(d + i, src + cols[i], 4);
                break;
            case SourceKind::None:
                break;
        }
    }
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
