// SPDX-License-Identifier: Apache-2.0
#include "ZMKLineItem.h"

#include <QLineF>
#include <QPainter>
#include <algorithm>

ZMKLineItem::ZMKLineItem(int id, int layer, const QPen& pen, const QPointF& start, const QPointF& stop)
    : ZMKShapeItem(id, layer, pen), m_start(start), m_stop(stop), m_editStart(start), m_editStop(stop) {}

NuvROI ZMKLineItem::roi() const {
    NuvROI r;
    r.GenLine(NuvPoint(m_start.x(), m_start.y()), NuvPoint(m_stop.x(), m_stop.y()));
    return r;
}

QVector<QPointF> ZMKLineItem::handles() const {
    return {m_start, m_stop};
}

int ZMKLineItem::gripAt(const QPointF& pos, double tolerance) const {
    // A short line keeps its middle for moving it.
    const double reach = std::min(tolerance, QLineF(m_start, m_stop).length() / 4.0);
    if (QLineF(pos, m_start).length() <= reach) return 0;
    if (QLineF(pos, m_stop).length() <= reach) return 1;
    return -1;
}

bool ZMKLineItem::hitTest(const QPointF& pos, double tolerance) const {
    const QPointF ab = m_stop - m_start;
    const double len2 = ab.x() * ab.x() + ab.y() * ab.y();
    double t = 0.0;
    if (len2 > 0.0) {
        t = std::clamp(((pos.x() - m_start.x()) * ab.x() + (pos.y() - m_start.y()) * ab.y()) / len2, 0.0,
                       1.0);
    }
    return QLineF(pos, m_start + t * ab).length() <= tolerance;
}

void ZMKLineItem::beginEdit() {
    m_editStart = m_start;
    m_editStop = m_stop;
}

bool ZMKLineItem::apply(const QPointF& start, const QPointF& stop) {
    if (start == m_start && stop == m_stop) return false;
    geometryWillChange();
    m_start = start;
    m_stop = stop;
    update();
    return true;
}

bool ZMKLineItem::moveFromStart(const QPointF& delta) {
    return apply(m_editStart + delta, m_editStop + delta);
}

bool ZMKLineItem::dragHandle(int index, const QPointF& pos) {
    if (index == 0) return apply(pos, m_editStop);
    if (index == 1) return apply(m_editStart, pos);
    return false;
}

QRectF ZMKLineItem::geometryBounds() const {
    return QRectF(m_start, m_stop).normalized();
}

void ZMKLineItem::paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) {
    painter->setPen(cosmeticPen());
    painter->drawLine(QLineF(m_start, m_stop));
    paintLabel(painter);
    if (isShapeSelected()) paintHandles(painter);
}
