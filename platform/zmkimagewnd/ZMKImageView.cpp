// SPDX-License-Identifier: Apache-2.0
#include "ZMKImageView.h"

#include <QContextMenuEvent>
#include <QGraphicsScene>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "ZMKImageItem.h"
#include "ZMKLineItem.h"
#include "ZMKOverlayItem.h"
#include "ZMKRectItem.h"

namespace {
// Hit tolerance around shape outlines, in screen pixels.
constexpr double kHitTolerance = 4.0;
constexpr double kStatusHeight = 20.0;

bool isFinitePoint(const NuvPoint& p) {
    return std::isfinite(p.x) && std::isfinite(p.y);
}
}  // namespace

ZMKImageView::ZMKImageView(QWidget* parent) : QGraphicsView(parent) {
    m_scene = new QGraphicsScene(this);
    // Few items that change often: a spatial index costs more than it saves.
    m_scene->setItemIndexMethod(QGraphicsScene::NoIndex);
    m_background = new ZMKImageItem;
    m_scene->addItem(m_background);
    setScene(m_scene);
    setSceneRect(QRectF(0, 0, 1, 1));
    setFrameShape(QFrame::NoFrame);
    setBackgroundBrush(QColor(55, 56, 58));
    setAlignment(Qt::AlignCenter);
    setTransformationAnchor(QGraphicsView::AnchorViewCenter);
    setResizeAnchor(QGraphicsView::AnchorViewCenter);
    // The frame is re-sampled into one cached device image, so full repaints are a cheap blit and
    // avoid stale pixels from cosmetic pens and the status line.
    setViewportUpdateMode(QGraphicsView::FullViewportUpdate);
    setOptimizationFlag(QGraphicsView::DontAdjustForAntialiasing, true);
    setCacheMode(QGraphicsView::CacheNone);
    setDragMode(QGraphicsView::NoDrag);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFocusPolicy(Qt::ClickFocus);
    setMouseTracking(true);
    viewport()->setMouseTracking(true);
}

ZMKImageView::~ZMKImageView() = default;

// ---------------------------------------------------------------- background

bool ZMKImageView::updateBackgroundRows(const NuvImage& rows, int firstRow) {
    return m_background->updateRows(rows, firstRow);
}

size_t ZMKImageView::backgroundBytes() const {
    return m_background->heldBytes();
}

bool ZMKImageView::setBackground(const QImage& image) {
    const QSize old = imageSize();
    if (!m_background->setImage(image)) return false;
    afterFrameChange(old);
    return true;
}

bool ZMKImageView::setBackground(const NuvImage& image) {
    const QSize old = imageSize();
    if (!m_background->setImage(image)) return false;
    afterFrameChange(old);
    return true;
}

void ZMKImageView::afterFrameChange(const QSize& oldSize) {
    const QSize size = imageSize();
    if (size != oldSize) {
        setSceneRect(QRectF(0, 0, size.width(), size.height()));
        if (m_fitMode) applyFit();
    }
    viewport()->update();
    reportLevels();
}

bool ZMKImageView::setDisplayRange(const ZMKDisplayRange& range) {
    if (!m_background->setDisplayRange(range)) return false;
    viewport()->update();
    reportLevels();
    return true;
}

ZMKDisplayRange ZMKImageView::displayRange() const {
    return m_background->displayRange();
}

void ZMKImageView::reportLevels() {
    const ZMKDisplayRange r = m_background->displayRange();
    if (r.minimum == m_reportedLow && r.maximum == m_reportedHigh) return;
    m_reportedLow = r.minimum;
    m_reportedHigh = r.maximum;
    emit displayLevelsChanged(r.minimum, r.maximum);
}

bool ZMKImageView::background(QImage* image) const {
    if (image == nullptr) return false;
    *image = QImage();
    if (m_background->isEmpty()) return false;
    if (m_background->hasQImage()) {
        *image = m_background->qimage().copy();
        return true;
    }
    const NuvImage& nuv = m_background->nuvImage();
    const cv::Mat& m = nuv.mat();
    QImage::Format format = QImage::Format_Invalid;
    switch (nuv.pixelFormat()) {
        case NuvPixelFormat::Mono8:
            format = QImage::Format_Grayscale8;
            break;
        case NuvPixelFormat::Mono16:
        case NuvPixelFormat::Coord3D_C16:
            format = QImage::Format_Grayscale16;
            break;
        case NuvPixelFormat::RGB8:
            format = QImage::Format_RGB888;
            break;
        case NuvPixelFormat::BGR8:
            format = QImage::Format_BGR888;
            break;
        default:
            return false;  // 32-bit samples have no QImage counterpart
    }
    *image = QImage(m.data, m.cols, m.rows, static_cast<qsizetype>(m.step), format).copy();
    return !image->isNull();
}

bool ZMKImageView::background(NuvImage* image) const {
    if (image == nullptr) return false;
    *image = NuvImage();
    if (m_background->isEmpty()) return false;
    if (m_background->hasNuvImage()) {
        *image = m_background->nuvImage().clone();
        return true;
    }
    QImage q = m_background->qimage();
    uint32_t format = 0;
    switch (q.format()) {
        case QImage::Format_Grayscale8:
            format = NuvPixelFormat::Mono8;
            break;
        case QImage::Format_Grayscale16:
            format = NuvPixelFormat::Mono16;
            break;
        case QImage::Format_BGR888:
            format = NuvPixelFormat::BGR8;
            break;
        default:
            q = q.convertToFormat(QImage::Format_RGB888);
            format = NuvPixelFormat::RGB8;
            break;
    }
    if (q.isNull()) return false;
    *image =
        NuvImage(q.width(), q.height(), format, q.constBits(), static_cast<size_t>(q.bytesPerLine()), true);
    return !image->isEmpty();
}

void ZMKImageView::clearBackground() {
    m_background->clear();
    m_statusText.clear();
    viewport()->update();
}

bool ZMKImageView::hasBackground() const {
    return !m_background->isEmpty();
}

QSize ZMKImageView::imageSize() const {
    return m_background->imageSize();
}

// ---------------------------------------------------------------- zoom

void ZMKImageView::applyZoom(double factor) {
    m_zoom = std::clamp(factor, kMinZoom, kMaxZoom);
    setTransform(QTransform::fromScale(m_zoom, m_zoom));
    for (auto& s : m_shapes)
        s.second->setViewScale(m_zoom);
    for (auto& o : m_overlays)
        o.second->setViewScale(m_zoom);
    if (m_rubber != nullptr) m_rubber->setViewScale(m_zoom);
    viewport()->update();
    emit zoomChanged(m_zoom);
}

void ZMKImageView::applyFit() {
    const QSize size = imageSize();
    if (size.isEmpty()) return;
    const QSize area = maximumViewportSize();
    if (area.width() <= 0 || area.height() <= 0) return;
    double f = std::min(static_cast<double>(area.width()) / size.width(),
                        static_cast<double>(area.height()) / size.height());
    // Never a hair too large, or rounding would bring up scroll bars.
    while (f > 0.0 && (size.width() * f > area.width() || size.height() * f > area.height())) {
        f = std::nextafter(f, 0.0);
    }
    applyZoom(f);
    centerOn(QPointF(size.width() / 2.0, size.height() / 2.0));
}

void ZMKImageView::zoomIn() {
    m_fitMode = false;
    applyZoom(m_zoom * kZoomStep);
}

void ZMKImageView::zoomOut() {
    m_fitMode = false;
    applyZoom(m_zoom / kZoomStep);
}

void ZMKImageView::zoomReset() {
    m_fitMode = false;
    applyZoom(1.0);
    horizontalScrollBar()->setValue(horizontalScrollBar()->minimum());
    verticalScrollBar()->setValue(verticalScrollBar()->minimum());
}

void ZMKImageView::zoomFitWnd() {
    m_fitMode = true;
    applyFit();
}

bool ZMKImageView::setZoom(double factor) {
    if (!std::isfinite(factor) || factor <= 0.0) return false;
    m_fitMode = false;
    applyZoom(factor);
    return true;
}

// ---------------------------------------------------------------- shapes

int ZMKImageView::addShape(const NuvROI& roi, int layer, const QPen& pen) {
    if (layer != 0 && layer != 1) return -1;
    const NuvPointArray corners = roi.corners();
    if (corners.empty() || !std::all_of(corners.begin(), corners.end(), isFinitePoint)) return -1;
    ZMKShapeItem* item = nullptr;
    const int id = m_nextId;
    switch (roi.type()) {
        case NuvROI::Rect:
        case NuvROI::Rect2:
            item = new ZMKRectItem(id, layer, pen, roi);
            break;
        case NuvROI::Line: {
            NuvPoint a, b;
            roi.GetLine(&a, &b);
            item = new ZMKLineItem(id, layer, pen, QPointF(a.x, a.y), QPointF(b.x, b.y));
            break;
        }
        default:
            return -1;
    }
    ++m_nextId;
    // Fixed overlays on layer 0 never react to the mouse.
    item->setMovable(layer == 1);
    item->setSelectable(layer == 1);
    item->setViewScale(m_zoom);
    item->setZValue(layer == 1 ? 2.0 : 1.0);
    m_scene->addItem(item);
    m_shapes[id] = item;
    viewport()->update();
    return id;
}

int ZMKImageView::addOverlay(const NuvOverlayPath& path, int layer, const QPen& pen) {
    if (layer != 0 && layer != 1) return -1;
    auto* item = new ZMKOverlayItem(m_nextId, layer, pen, path);
    if (item->primitiveCount() == 0) {
        delete item;
        return -1;
    }
    const int id = m_nextId++;
    item->setViewScale(m_zoom);
    item->setZValue(layer == 1 ? 2.0 : 1.0);
    m_scene->addItem(item);
    m_overlays[id] = item;
    viewport()->update();
    return id;
}

bool ZMKImageView::removeItem(int id) {
    if (auto s = m_shapes.find(id); s != m_shapes.end()) {
        m_scene->removeItem(s->second);
        delete s->second;
        m_shapes.erase(s);
    } else if (auto o = m_overlays.find(id); o != m_overlays.end()) {
        m_scene->removeItem(o->second);
        delete o->second;
        m_overlays.erase(o);
    } else {
        return false;
    }
    viewport()->update();
    return true;
}

ZMKShapeItem* ZMKImageView::shapeById(int id) const {
    const auto it = m_shapes.find(id);
    return it == m_shapes.end() ? nullptr : it->second;
}

bool ZMKImageView::selectShape(int id) {
    ZMKShapeItem* item = shapeById(id);
    if (item == nullptr || !item->isSelectable()) return false;
    deselectAll();
    item->setShapeSelected(true);
    viewport()->update();
    return true;
}

bool ZMKImageView::setShapeMovable(int id, bool movable) {
    ZMKShapeItem* item = shapeById(id);
    if (item == nullptr) return false;
    item->setMovable(movable);
    viewport()->update();
    return true;
}

bool ZMKImageView::setShapeSelectable(int id, bool selectable) {
    ZMKShapeItem* item = shapeById(id);
    if (item == nullptr) return false;
    item->setSelectable(selectable);
    viewport()->update();
    return true;
}

bool ZMKImageView::shapeROI(int id, NuvROI* roi) const {
    const ZMKShapeItem* item = shapeById(id);
    if (item == nullptr || roi == nullptr) return false;
    *roi = item->roi();
    return true;
}

bool ZMKImageView::setShapeLabel(int id, const QString& text, Qt::Alignment alignment) {
    ZMKShapeItem* item = shapeById(id);
    if (item == nullptr) return false;
    item->setLabel(text, alignment);
    viewport()->update();
    return true;
}

QString ZMKImageView::shapeLabel(int id) const {
    const ZMKShapeItem* item = shapeById(id);
    return item == nullptr ? QString() : item->label();
}

void ZMKImageView::clearLayer(int layer) {
    for (auto it = m_shapes.begin(); it != m_shapes.end();) {
        if (it->second->layer() == layer) {
            m_scene->removeItem(it->second);
            delete it->second;
            it = m_shapes.erase(it);
        } else {
            ++it;
        }
    }
    for (auto it = m_overlays.begin(); it != m_overlays.end();) {
        if (it->second->layer() == layer) {
            m_scene->removeItem(it->second);
            delete it->second;
            it = m_overlays.erase(it);
        } else {
            ++it;
        }
    }
    viewport()->update();
}

void ZMKImageView::startDrawRect(const QPen& pen) {
    m_drawArmed = true;
    m_drawPen = pen;
    viewport()->setCursor(Qt::CrossCursor);
}

void ZMKImageView::cancelDrawRect() {
    if (m_rubber != nullptr) {
        m_scene->removeItem(m_rubber);
        delete m_rubber;
        m_rubber = nullptr;
    }
    if (m_drag == Drag::DrawRect) m_drag = Drag::None;
    m_drawArmed = false;
    viewport()->unsetCursor();
    viewport()->update();
}

int ZMKImageView::selectedShape() const {
    for (const auto& s : m_shapes) {
        if (s.second->isShapeSelected()) return s.first;
    }
    return -1;
}

int ZMKImageView::itemCount(int layer) const {
    int n = 0;
    for (const auto& s : m_shapes)
        n += s.second->layer() == layer ? 1 : 0;
    for (const auto& o : m_overlays)
        n += o.second->layer() == layer ? 1 : 0;
    return n;
}

void ZMKImageView::deselectAll() {
    for (auto& s : m_shapes)
        s.second->setShapeSelected(false);
}

// ---------------------------------------------------------------- display options

void ZMKImageView::setScrollBarsVisible(bool visible) {
    const Qt::ScrollBarPolicy policy = visible ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff;
    setHorizontalScrollBarPolicy(policy);
    setVerticalScrollBarPolicy(policy);
    if (m_fitMode) applyFit();
}

void ZMKImageView::setDataRows(int first, int count) {
    m_dataFirst = first;
    m_dataCount = count;
}

void ZMKImageView::setStatusVisible(bool visible) {
    m_statusVisible = visible;
    viewport()->update();
}

QPointF ZMKImageView::mapToImage(const QPoint& viewportPos) const {
    return mapToScene(viewportPos);
}

QPoint ZMKImageView::mapFromImage(const QPointF& imagePos) const {
    return mapFromScene(imagePos);
}

QPointF ZMKImageView::clampToImage(const QPointF& p) const {
    const QSize size = imageSize();
    if (size.isEmpty()) return p;
    return QPointF(std::clamp(p.x(), 0.0, static_cast<double>(size.width())),
                   std::clamp(p.y(), 0.0, static_cast<double>(size.height())));
}

QString ZMKImageView::readoutText(int x, int y) const {
    int v1 = 0, v2 = 0, v3 = 0;
    float value = 0.0f;
    if (!m_background->pixelAt(x, y, &v1, &v2, &v3, &value)) return QString();
    const QString zoom = tr("Zoom: %1%").arg(m_zoom * 100.0, 0, 'f', 1);
    if (m_dataCount >= 0 && (y < m_dataFirst || y - m_dataFirst >= m_dataCount))
        return tr("X: %1  Y: %2  no data").arg(x).arg(y) + QStringLiteral("  ") + zoom;
    if (v1 == v2 && v2 == v3 && static_cast<float>(v1) == value) {
        return tr("X: %1  Y: %2  Value: %3").arg(x).arg(y).arg(v1) + QStringLiteral("  ") + zoom;
    }
    return tr("X: %1  Y: %2  RGB: %3, %4, %5").arg(x).arg(y).arg(v1).arg(v2).arg(v3) + QStringLiteral("  ") +
           zoom;
}

QString ZMKImageView::readoutTextAt(const QPointF&, int x, int y) const {
    return readoutText(x, y);
}

void ZMKImageView::updateReadout(const QPoint& pos) {
    const QPointF p = mapToImage(pos);
    const QString before = m_statusText;
    m_statusText.clear();
    if (std::isfinite(p.x()) && std::isfinite(p.y()) && p.x() >= 0.0 && p.y() >= 0.0) {
        const int x = static_cast<int>(std::floor(p.x()));
        const int y = static_cast<int>(std::floor(p.y()));
        int v1 = 0, v2 = 0, v3 = 0;
        float value = 0.0f;
        if (m_background->pixelAt(x, y, &v1, &v2, &v3, &value)) {
            m_statusText = readoutTextAt(p, x, y);
            if (m_pixelInfo) emit imgInfo(x, y, v1, v2, v3, value);
        }
    }
    if (m_statusVisible && m_statusText != before) viewport()->update();
}

// ---------------------------------------------------------------- mouse

bool ZMKImageView::viewportEvent(QEvent* event) {
    ++m_eventDepth;
    const bool result = QGraphicsView::viewportEvent(event);
    --m_eventDepth;
    return result;
}

std::pair<ZMKShapeItem*, int> ZMKImageView::handleAt(const QPoint& pos) const {
    const double reach = ZMKShapeItem::kHandleSize / 2.0 + 2.0;
    for (auto it = m_shapes.rbegin(); it != m_shapes.rend(); ++it) {
        ZMKShapeItem* s = it->second;
        if (!s->isShapeSelected() || !s->isMovable()) continue;
        const QVector<QPointF> hs = s->handles();
        for (int i = 0; i < hs.size(); ++i) {
            const QPointF d = mapFromScene(hs[i]) - QPointF(pos);
            if (std::fabs(d.x()) <= reach && std::fabs(d.y()) <= reach) return {s, i};
        }
    }
    return {nullptr, -1};
}

std::pair<ZMKShapeItem*, int> ZMKImageView::gripAt(const QPoint& pos) const {
    const QPointF p = mapToImage(pos);
    const double reach = (ZMKShapeItem::kHandleSize / 2.0 + 2.0) / m_zoom;
    // As for presses inside shapes, the smallest shape wins: its edges may lie inside a larger one.
    std::pair<ZMKShapeItem*, int> best{nullptr, -1};
    double bestArea = 0.0;
    for (auto it = m_shapes.rbegin(); it != m_shapes.rend(); ++it) {
        ZMKShapeItem* s = it->second;
        if (!s->isMovable()) continue;
        const int grip = s->gripAt(p, reach);
        if (grip < 0) continue;
        const QRectF bounds = s->shapeBounds();
        const double area = bounds.width() * bounds.height();
        if (best.first == nullptr || area < bestArea) {
            best = {s, grip};
            bestArea = area;
        }
    }
    return best;
}

void ZMKImageView::updateCursor(const QPoint& pos) {
    if (m_drawArmed) return;
    std::pair<ZMKShapeItem*, int> grip = handleAt(pos);
    if (grip.first == nullptr) grip = gripAt(pos);
    Qt::CursorShape shape = Qt::ArrowCursor;
    if (grip.first != nullptr) {
        const auto* r = dynamic_cast<const ZMKRectItem*>(grip.first);
        // Axis-aligned rectangles: corners top left and bottom right, the other two, then the edges.
        static constexpr Qt::CursorShape kRectCursors[8] = {
            Qt::SizeFDiagCursor, Qt::SizeBDiagCursor, Qt::SizeFDiagCursor, Qt::SizeBDiagCursor,
            Qt::SizeVerCursor,   Qt::SizeHorCursor,   Qt::SizeVerCursor,   Qt::SizeHorCursor};
        if (grip.first->isRotationHandle(grip.second))
            shape = Qt::PointingHandCursor;
        else if (r != nullptr && !r->isRotated() && grip.second < 8)
            shape = kRectCursors[grip.second];
        else
            shape = Qt::CrossCursor;
    } else if (ZMKShapeItem* s = shapeAt(pos); s != nullptr && s->isMovable()) {
        shape = Qt::SizeAllCursor;
    }
    if (shape == Qt::ArrowCursor)
        viewport()->unsetCursor();
    else
        viewport()->setCursor(shape);
}

QPointF ZMKImageView::confinedDelta(const QPointF& delta) const {
    const QSize size = imageSize();
    const QRectF& b = m_dragStartBounds;
    // A shape already reaching over the border may come back, but goes no further out.
    const double dx =
        std::clamp(delta.x(), std::min(0.0, -b.left()), std::max(0.0, size.width() - b.right()));
    const double dy =
        std::clamp(delta.y(), std::min(0.0, -b.top()), std::max(0.0, size.height() - b.bottom()));
    return QPointF(dx, dy);
}

ZMKShapeItem* ZMKImageView::shapeAt(const QPoint& pos) const {
    const QPointF p = mapToImage(pos);
    const double tolerance = kHitTolerance / m_zoom;
    // Later shapes are drawn on top and win among equals, but the smallest shape under the
    // press wins over larger ones: a band over the whole picture must not hide the shapes in it.
    ZMKShapeItem* best = nullptr;
    double bestArea = 0.0;
    for (auto it = m_shapes.rbegin(); it != m_shapes.rend(); ++it) {
        ZMKShapeItem* s = it->second;
        if (!s->isMovable() && !s->isSelectable()) continue;
        if (!s->hitTest(p, tolerance)) continue;
        const QRectF bounds = s->boundingRect();
        const double area = bounds.width() * bounds.height();
        if (best == nullptr || area < bestArea) {
            best = s;
            bestArea = area;
        }
    }
    return best;
}

void ZMKImageView::mousePressEvent(QMouseEvent* event) {
    m_lastPos = event->pos();
    m_pressImagePos = mapToImage(event->pos());
    m_dragChanged = false;
    if (event->button() == Qt::MiddleButton) {
        m_drag = Drag::Pan;
        event->accept();
        return;
    }
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    event->accept();
    if (m_drawArmed) {
        m_drag = Drag::DrawRect;
        const QPointF start = clampToImage(m_pressImagePos);
        m_pressImagePos = start;
        if (m_rubber == nullptr) {
            m_rubber = new ZMKRectItem(-1, 1, m_drawPen, start, start);
            m_rubber->setZValue(3.0);
            m_rubber->setViewScale(m_zoom);
            m_scene->addItem(m_rubber);
        }
        m_rubber->setCorners(start, start);
        return;
    }
    // Signals go out last: a slot may remove shapes or even the view.
    std::pair<ZMKShapeItem*, int> grip = handleAt(event->pos());
    if (grip.first == nullptr) grip = gripAt(event->pos());
    if (grip.first != nullptr) {
        ZMKShapeItem* item = grip.first;
        if (item->isSelectable() && !item->isShapeSelected()) {
            deselectAll();
            item->setShapeSelected(true);
        }
        m_drag = Drag::Handle;
        m_dragId = item->id();
        m_dragHandle = grip.second;
        item->beginEdit();
        m_dragStartBounds = item->shapeBounds();
        m_dragConfined = item->isConfinedToImage() && hasBackground();
        viewport()->update();
        emit shapeClicked(m_dragId);
        return;
    }
    const QPointF clickPos = m_pressImagePos;
    ZMKShapeItem* shape = shapeAt(event->pos());
    int clickedId = -1;
    if (shape != nullptr) {
        clickedId = shape->id();
        if (shape->isSelectable()) {
            deselectAll();
            shape->setShapeSelected(true);
        }
        if (shape->isMovable()) {
            m_drag = Drag::Move;
            m_dragId = clickedId;
            shape->beginEdit();
            m_dragStartBounds = shape->shapeBounds();
            m_dragConfined = shape->isConfinedToImage() && hasBackground();
        } else {
            m_drag = Drag::Pan;
        }
    } else {
        deselectAll();
        m_drag = Drag::Pan;
    }
    viewport()->update();
    emit mouseClicked(clickPos.x(), clickPos.y());
    if (clickedId >= 0) emit shapeClicked(clickedId);
}

void ZMKImageView::mouseDoubleClickEvent(QMouseEvent* event) {
    // The second press of a double click acts like any other press.
    mousePressEvent(event);
}

void ZMKImageView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint pos = event->pos();
    const QPoint delta = pos - m_lastPos;
    m_lastPos = pos;
    const QPointF imagePos = mapToImage(pos);
    switch (m_drag) {
        case Drag::Pan:
            horizontalScrollBar()->setValue(horizontalScrollBar()->value() - delta.x());
            verticalScrollBar()->setValue(verticalScrollBar()->value() - delta.y());
            break;
        case Drag::Move:
            if (ZMKShapeItem* s = shapeById(m_dragId)) {
                QPointF delta = imagePos - m_pressImagePos;
                if (m_dragConfined) delta = confinedDelta(delta);
                m_dragChanged = s->moveFromStart(delta) || m_dragChanged;
            }
            break;
        case Drag::Handle:
            if (ZMKShapeItem* s = shapeById(m_dragId)) {
                const bool confine = m_dragConfined && !s->isRotationHandle(m_dragHandle);
                m_dragChanged =
                    s->dragHandle(m_dragHandle, confine ? clampToImage(imagePos) : imagePos) || m_dragChanged;
            }
            break;
        case Drag::DrawRect:
            if (m_rubber != nullptr) m_rubber->setCorners(m_pressImagePos, clampToImage(imagePos));
            break;
        case Drag::None:
            updateCursor(pos);
            break;
    }
    if (m_drag != Drag::None) viewport()->update();
    event->accept();
    updateReadout(pos);
}

void ZMKImageView::finishDrawRect() {
    NuvROI roi;
    bool valid = false;
    if (m_rubber != nullptr) {
        roi = m_rubber->roi();
        NuvPoint a, b;
        roi.GetRect(&a, &b);
        valid = b.x > a.x && b.y > a.y;
    }
    cancelDrawRect();
    if (!valid) return;
    const int id = addShape(roi, 1, m_drawPen);
    if (id < 0) return;
    selectShape(id);
    emit shapeClicked(id);
    emit shapeResized(id);
}

void ZMKImageView::mouseReleaseEvent(QMouseEvent* event) {
    const bool left = event->button() == Qt::LeftButton;
    const bool middle = event->button() == Qt::MiddleButton;
    if (!left && !middle) {
        event->ignore();
        return;
    }
    event->accept();
    const Drag drag = m_drag;
    const int id = m_dragId;
    const bool changed = m_dragChanged;
    // A middle release ends only a middle pan.
    if (middle && drag != Drag::Pan) return;
    m_drag = Drag::None;
    m_dragId = -1;
    m_dragHandle = -1;
    m_dragChanged = false;
    if (drag == Drag::DrawRect) {
        finishDrawRect();
    } else if (drag == Drag::Move && changed && shapeById(id) != nullptr) {
        emit shapeMoved(id);
    } else if (drag == Drag::Handle && changed && shapeById(id) != nullptr) {
        emit shapeResized(id);
    }
}

void ZMKImageView::wheelEvent(QWheelEvent* event) {
    if (!m_wheelZoom) {
        event->ignore();
        return;
    }
    const int steps = event->angleDelta().y();
    if (steps == 0) {
        event->ignore();
        return;
    }
    event->accept();
    // Keep the image point under the cursor where it is.
    const QPoint pos = event->position().toPoint();
    const QPointF anchor = mapToImage(pos);
    m_fitMode = false;
    applyZoom(m_zoom * std::pow(kZoomStep, steps / 120.0));
    const QPoint moved = mapFromImage(anchor) - pos;
    horizontalScrollBar()->setValue(horizontalScrollBar()->value() + moved.x());
    verticalScrollBar()->setValue(verticalScrollBar()->value() + moved.y());
}

void ZMKImageView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && m_drawArmed) {
        cancelDrawRect();
        event->accept();
        return;
    }
    QGraphicsView::keyPressEvent(event);
}

void ZMKImageView::resizeEvent(QResizeEvent* event) {
    QGraphicsView::resizeEvent(event);
    if (m_fitMode) applyFit();
}

void ZMKImageView::leaveEvent(QEvent* event) {
    QGraphicsView::leaveEvent(event);
    if (!m_statusText.isEmpty()) {
        m_statusText.clear();
        if (m_statusVisible) viewport()->update();
    }
}

void ZMKImageView::contextMenuEvent(QContextMenuEvent* event) {
    ZMKShapeItem* shape = m_drag == Drag::None ? shapeAt(event->pos()) : nullptr;
    if (shape == nullptr || !shape->isSelectable()) {
        event->ignore();
        return;
    }
    event->accept();
    deselectAll();
    shape->setShapeSelected(true);
    viewport()->update();
    emit shapeContextMenu(shape->id(), event->globalPos());
}

void ZMKImageView::drawForeground(QPainter* painter, const QRectF& rect) {
    QGraphicsView::drawForeground(painter, rect);
    if (!m_statusVisible || m_statusText.isEmpty()) return;
    painter->save();
    painter->resetTransform();
    const QRectF bar(0, viewport()->height() - kStatusHeight, viewport()->width(), kStatusHeight);
    painter->fillRect(bar, QColor(0, 0, 0, 160));
    painter->setPen(Qt::white);
    painter->drawText(bar.adjusted(6, 0, -6, 0), Qt::AlignVCenter | Qt::AlignLeft, m_statusText);
    painter->restore();
}
