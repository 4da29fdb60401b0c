// SPDX-License-Identifier: Apache-2.0
#include "ZMKOverlayItem.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {
bool isFinitePoint(const NuvPoint& p) {
    return std::isfinite(p.x) && std::isfinite(p.y);
}
}  // namespace

ZMKOverlayItem::ZMKOverlayItem(int id, int layer, const QPen& pen, const NuvOverlayPath& path)
    : m_id(id), m_layer(layer), m_pen(pen) {
    setAcceptedMouseButtons(Qt::NoButton);
    m_pen.setCosmetic(true);
    for (const NuvOverlay& o : path.overlays()) {
        const NuvPointArray& pts = o.points();
        if (pts.empty() || !std::all_of(pts.begin(), pts.end(), isFinitePoint)) continue;
        switch (o.kind()) {
            case NuvOverlay::Circle:
                if (!std::isfinite(o.radius())) continue;
                m_circles.push_back({QPointF(pts[0].x, pts[0].y), std::fabs(o.radius())});
                break;
            case NuvOverlay::Line:
            case NuvOverlay::Polyline:
                m_path.moveTo(pts[0].x, pts[0].y);
                for (size_t i = 1; i < pts.size(); ++i)
                    m_path.lineTo(pts[i].x, pts[i].y);
                break;
            case NuvOverlay::Cross: {
                if (!std::isfinite(o.radius())) continue;
                // The size is the full width of the cross.
                const double h = std::fabs(o.radius()) / 2.0;
                m_path.moveTo(pts[0].x - h, pts[0].y);
                m_path.lineTo(pts[0].x + h, pts[0].y);
                m_path.moveTo(pts[0].x, pts[0].y - h);
                m_path.lineTo(pts[0].x, pts[0].y + h);
                break;
            }
        }
        ++m_primitives;
    }
    m_bounds = m_path.controlPointRect();
    for (const Circle& c : m_circles) {
        const QRectF r(c.centre.x() - c.radius, c.centre.y() - c.radius, 2 * c.radius, 2 * c.radius);
        m_bounds = m_bounds.isNull() ? r : m_bounds.united(r);
    }
}

void ZMKOverlayItem::setViewScale(double scale) {
    if (scale <= 0.0 || scale == m_viewScale) return;
    prepareGeometryChange();
    m_viewScale = scale;
}

QRectF ZMKOverlayItem::boundingRect() const {
    const double m = (std::max<double>(m_pen.widthF(), 1.0) + 2.0) / m_viewScale;
    return m_bounds.adjusted(-m, -m, m, m);
}

void ZMKOverlayItem::paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) {
    painter->setPen(m_pen);
    painter->setBrush(Qt::NoBrush);
    if (!m_path.isEmpty()) painter->drawPath(m_path);
    if (m_circles.isEmpty()) return;
    const double scale = std::sqrt(std::fabs(painter->worldTransform().determinant()));
    QVector<QPointF> dots;
    for (const Circle& c : m_circles) {
        if (c.radius * scale < 1.0) {
            dots << c.centre;
        } else {
            painter->drawEllipse(c.centre, c.radius, c.radius);
        }
    }
    if (!dots.isEmpty()) painter->drawPoints(dots.constData(), dots.size());
}
