#include "ZMKShapeItem.h"

#include <QPainter>
#include <algorithm>

ZMKShapeItem::ZMKShapeItem(int id, int layer, const QPen& pen) : m_id(id), m_layer(layer), m_pen(pen) {
    setAcceptedMouseButtons(Qt::NoButton);
}

void ZMKShapeItem::setSelectable(bool selectable) {
    m_selectable = selectable;
    if (!selectable) setShapeSelected(false);
}

void ZMKShapeItem::setShapeSelected(bool selected) {
    if (selected == m_selected) return;
    // Handles (and the rotation grip) widen the painted area.
    prepareGeometryChange();
    m_selected = selected;
    update();
}

void ZMKShapeItem::setViewScale(double scale) {
    if (scale <= 0.0 || scale == m_viewScale) return;
    prepareGeometryChange();
    m_viewScale = scale;
}

QRectF ZMKShapeItem::boundingRect() const {
    // Cosmetic pen and handles are sized in screen pixels; convert them to image pixels.
    const double screenMargin = std::max<double>(m_pen.widthF(), 1.0) / 2.0 + kHandleSize + 2.0 +
                                (m_selected ? 3.0 * kHandleSize : 0.0);
    const double m = screenMargin / m_viewScale;
    return geometryBounds().adjusted(-m, -m, m, m);
}

QPen ZMKShapeItem::cosmeticPen() const {
    QPen p = m_pen;
    p.setCosmetic(true);
    return p;
}

void ZMKShapeItem::paintHandles(QPainter* painter) const {
    const QTransform t = painter->worldTransform();
    painter->save();
    painter->resetTransform();
    painter->setPen(QPen(Qt::white, 1));
    painter->setBrush(m_pen.color());
    const double h = kHandleSize;
    for (const QPointF& p : handles()) {
        const QPointF d = t.map(p);
        painter->drawRect(QRectF(d.x() - h / 2.0, d.y() - h / 2.0, h, h));
    }
    painter->restore();
}
