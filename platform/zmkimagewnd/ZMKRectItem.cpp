// SPDX-License-Identifier: Apache-2.0
#include "ZMKRectItem.h"

#include <QLineF>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {
constexpr double kDegToRad = 0.017453292519943295;
// Screen distance of the rotation grip beyond the rectangle's edge.
constexpr double kGripOffset = 20.0;
// Handle order: four corners as NuvROI::corners(), then the edge midpoints top, right, bottom, left.
constexpr int kSignX[8] = {-1, 1, 1, -1, 0, 1, 0, -1};
constexpr int kSignY[8] = {-1, -1, 1, 1, -1, 0, 1, 0};
constexpr int kRotationHandle = 8;

double dot(const QPointF& a, const QPointF& b) {
    return a.x() * b.x() + a.y() * b.y();
}

double distanceToSegment(const QPointF& p, const QPointF& a, const QPointF& b) {
    const QPointF ab = b - a;
    const double len2 = dot(ab, ab);
    const double t = len2 > 0.0 ? std::clamp(dot(p - a, ab) / len2, 0.0, 1.0) : 0.0;
    return QLineF(p, a + t * ab).length();
}
}  // namespace

ZMKRectItem::ZMKRectItem(int id, int layer, const QPen& pen, const NuvROI& roi)
    : ZMKShapeItem(id, layer, pen) {
    if (roi.type() == NuvROI::Rect2) {
        NuvPoint c;
        m_rotated = true;
        roi.GetRect2(&c, &m_geo.angle, &m_geo.length1, &m_geo.length2);
        m_geo.centre = QPointF(c.x, c.y);
    } else {
        NuvPoint a, b;
        roi.GetRect(&a, &b);
        m_geo.p1 = QPointF(a.x, a.y);
        m_geo.p2 = QPointF(b.x, b.y);
    }
    m_start = m_geo;
}

ZMKRectItem::ZMKRectItem(int id, int layer, const QPen& pen, const QPointF& p1, const QPointF& p2)
    : ZMKShapeItem(id, layer, pen) {
    setCorners(p1, p2);
    m_start = m_geo;
}

void ZMKRectItem::setCorners(const QPointF& p1, const QPointF& p2) {
    Geometry g = m_geo;
    g.p1 = QPointF(std::min(p1.x(), p2.x()), std::min(p1.y(), p2.y()));
    g.p2 = QPointF(std::max(p1.x(), p2.x()), std::max(p1.y(), p2.y()));
    apply(g);
}

QPointF ZMKRectItem::axisU(double angleDeg) {
    const double a = angleDeg * kDegToRad;
    return QPointF(std::cos(a), -std::sin(a));
}

QPointF ZMKRectItem::axisV(double angleDeg) {
    const double a = angleDeg * kDegToRad;
    return QPointF(std::sin(a), std::cos(a));
}

bool ZMKRectItem::apply(const Geometry& g) {
    if (g == m_geo) return false;
    geometryWillChange();
    m_geo = g;
    update();
    return true;
}

QPolygonF ZMKRectItem::polygon() const {
    QPolygonF poly;
    if (!m_rotated) {
        poly << m_geo.p1 << QPointF(m_geo.p2.x(), m_geo.p1.y()) << m_geo.p2
             << QPointF(m_geo.p1.x(), m_geo.p2.y());
        return poly;
    }
    const QPointF u = axisU(m_geo.angle), v = axisV(m_geo.angle);
    const double hx = m_geo.length1 / 2.0, hy = m_geo.length2 / 2.0;
    for (int i = 0; i < 4; ++i)
        poly << m_geo.centre + kSignX[i] * hx * u + kSignY[i] * hy * v;
    return poly;
}

NuvROI ZMKRectItem::roi() const {
    NuvROI r;
    if (m_rotated) {
        r.GenRect2(NuvPoint(m_geo.centre.x(), m_geo.centre.y()), m_geo.length1, m_geo.length2, m_geo.angle);
    } else {
        r.GenRect(NuvPoint(m_geo.p1.x(), m_geo.p1.y()), NuvPoint(m_geo.p2.x(), m_geo.p2.y()));
    }
    return r;
}

QVector<QPointF> ZMKRectItem::handles() const {
    const QPolygonF poly = polygon();
    QVector<QPointF> h;
    for (int i = 0; i < 4; ++i)
        h << poly[i];
    for (int i = 0; i < 4; ++i)
        h << (poly[i] + poly[(i + 1) % 4]) / 2.0;
    if (m_rotated) {
        const QPointF u = axisU(m_geo.angle);
        h << m_geo.centre + (m_geo.length1 / 2.0 + kGripOffset / viewScale()) * u;
    }
    return h;
}

int ZMKRectItem::gripAt(const QPointF& pos, double tolerance) const {
    // On a shape only a few grips wide the middle stays free for moving it.
    const double reach =
        std::min(tolerance, std::min(std::fabs(m_rotated ? m_geo.length1 : m_geo.p2.x() - m_geo.p1.x()),
                                     std::fabs(m_rotated ? m_geo.length2 : m_geo.p2.y() - m_geo.p1.y())) /
                                4.0);
    const QPolygonF poly = polygon();
    for (int i = 0; i < 4; ++i) {
        if (QLineF(pos, poly[i]).length() <= reach) return i;
    }
    for (int i = 0; i < 4; ++i) {
        if (distanceToSegment(pos, poly[i], poly[(i + 1) % 4]) <= reach) return 4 + i;
    }
    return -1;
}

bool ZMKRectItem::isRotationHandle(int index) const {
    return m_rotated && index == kRotationHandle;
}

bool ZMKRectItem::hitTest(const QPointF& pos, double tolerance) const {
    const QPolygonF poly = polygon();
    if (poly.containsPoint(pos, Qt::OddEvenFill)) return true;
    for (int i = 0; i < 4; ++i) {
        if (distanceToSegment(pos, poly[i], poly[(i + 1) % 4]) <= tolerance) return true;
    }
    return false;
}

void ZMKRectItem::beginEdit() {
    m_start = m_geo;
}

bool ZMKRectItem::moveFromStart(const QPointF& delta) {
    Geometry g = m_start;
    g.p1 += delta;
    g.p2 += delta;
    g.centre += delta;
    return apply(g);
}

bool ZMKRectItem::dragHandle(int index, const QPointF& pos) {
    Geometry g = m_start;
    if (!m_rotated) {
        if (index < 0 || index >= 8) return false;
        // Move the grabbed corner or edge; the opposite one stays where it was.
        double x1 = g.p1.x(), y1 = g.p1.y(), x2 = g.p2.x(), y2 = g.p2.y();
        if (kSignX[index] < 0) x1 = pos.x();
        if (kSignX[index] > 0) x2 = pos.x();
        if (kSignY[index] < 0) y1 = pos.y();
        if (kSignY[index] > 0) y2 = pos.y();
        g.p1 = QPointF(std::min(x1, x2), std::min(y1, y2));
        g.p2 = QPointF(std::max(x1, x2), std::max(y1, y2));
        return apply(g);
    }
    if (index == kRotationHandle) {
        const QPointF d = pos - g.centre;
        if (d.x() == 0.0 && d.y() == 0.0) return false;
        g.angle = std::atan2(-d.y(), d.x()) / kDegToRad;
        return apply(g);
    }
    if (index < 0 || index > kRotationHandle) return false;
    // Work in the rectangle's own frame: the grabbed side follows the mouse, the opposite side stays.
    const QPointF u = axisU(g.angle), v = axisV(g.angle);
    const QPointF local(dot(pos - g.centre, u), dot(pos - g.centre, v));
    double offU = 0.0, offV = 0.0;
    if (kSignX[index] != 0) {
        const double opposite = -kSignX[index] * g.length1 / 2.0;
        g.length1 = std::fabs(local.x() - opposite);
        offU = (local.x() + opposite) / 2.0;
    }
    if (kSignY[index] != 0) {
        const double opposite = -kSignY[index] * g.length2 / 2.0;
        g.length2 = std::fabs(local.y() - opposite);
        offV = (local.y() + opposite) / 2.0;
    }
    g.centre += offU * u + offV * v;
    return apply(g);
}

QRectF ZMKRectItem::geometryBounds() const {
    return polygon().boundingRect();
}

void ZMKRectItem::paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) {
    painter->setPen(cosmeticPen());
    painter->setBrush(Qt::NoBrush);
    const QPolygonF poly = polygon();
    painter->drawPolygon(poly);
    paintLabel(painter);
    if (!isShapeSelected()) return;
    if (m_rotated) {
        // Grip line from the edge the angle points to, so the orientation is visible.
        const QVector<QPointF> h = handles();
        QPen thin = cosmeticPen();
        thin.setWidth(1);
        painter->setPen(thin);
        painter->drawLine(QLineF((poly[1] + poly[2]) / 2.0, h.last()));
    }
    paintHandles(painter);
}
