// SPDX-License-Identifier: Apache-2.0
#include "ZMKShapeItem.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>

namespace {
// Labels are drawn in screen pixels: this far inside the shape's corner, with this much padding.
constexpr double kLabelInset = 3.0;
constexpr double kLabelPadding = 2.0;

QFont labelFont() {
    QFont font;
    font.setPixelSize(13);
    font.setBold(true);
    return font;
}
}  // namespace

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

void ZMKShapeItem::setLabel(const QString& text, Qt::Alignment alignment) {
    if (text == m_label && alignment == m_labelAlignment) return;
    prepareGeometryChange();
    m_label = text;
    m_labelAlignment = alignment;
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
    const QRectF bounds = geometryBounds().adjusted(-m, -m, m, m);
    return m_label.isEmpty() ? bounds : bounds.united(labelRect());
}

QRectF ZMKShapeItem::labelRect() const {
    const QSizeF text = QFontMetricsF(labelFont()).size(Qt::TextSingleLine, m_label);
    const QSizeF box = (text + QSizeF(2.0 * kLabelPadding, 2.0 * kLabelPadding)) / m_viewScale;
    const QRectF g = geometryBounds();
    const double inset = kLabelInset / m_viewScale;
    const double x =
        (m_labelAlignment & Qt::AlignHCenter) ? g.center().x() - box.width() / 2.0 : g.left() + inset;
    return QRectF(QPointF(x, g.top() + inset), box);
}

void ZMKShapeItem::paintLabel(QPainter* painter) const {
    if (m_label.isEmpty()) return;
    // Screen-sized text that stays readable at any zoom, on a dark plate over bright pictures.
    const QRectF box = painter->worldTransform().mapRect(labelRect());
    painter->save();
    painter->resetTransform();
    painter->setPen(Qt::NoPen);
    painter->setBrush(QColor(0, 0, 0, 150));
    painter->drawRect(box);
    painter->setFont(labelFont());
    painter->setPen(m_pen.color());
    painter->drawText(box, Qt::AlignCenter, m_label);
    painter->restore();
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
