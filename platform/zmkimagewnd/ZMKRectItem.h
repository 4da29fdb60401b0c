// SPDX-License-Identifier: Apache-2.0
#pragma once
// Editable rectangle: axis-aligned (corner and edge handles) or rotated (the same handles in
// the rectangle's own frame plus a rotation grip beyond the edge the angle points to).
#include <QPolygonF>

#include "ZMKShapeItem.h"

class ZMKRectItem : public ZMKShapeItem {
public:
    // `roi` must be of type Rect or Rect2.
    ZMKRectItem(int id, int layer, const QPen& pen, const NuvROI& roi);
    // Axis-aligned rectangle from two corners in any order.
    ZMKRectItem(int id, int layer, const QPen& pen, const QPointF& p1, const QPointF& p2);

    bool isRotated() const { return m_rotated; }
    void setCorners(const QPointF& p1, const QPointF& p2);
    // Corners in the order of NuvROI::corners().
    QPolygonF polygon() const;

    NuvROI roi() const override;
    QVector<QPointF> handles() const override;
    int gripAt(const QPointF& pos, double tolerance) const override;
    bool isRotationHandle(int index) const override;
    bool isConfinedToImage() const override { return true; }
    bool hitTest(const QPointF& pos, double tolerance) const override;
    void beginEdit() override;
    bool moveFromStart(const QPointF& delta) override;
    bool dragHandle(int index, const QPointF& pos) override;

    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

protected:
    QRectF geometryBounds() const override;

private:
    struct Geometry {
        // Axis-aligned: the two corners exactly as given (so read-back is exact).
        QPointF p1;
        QPointF p2;
        // Rotated: centre, full lengths along and across the angle, angle in degrees (counter-clockwise).
        QPointF centre;
        double length1 = 0.0;
        double length2 = 0.0;
        double angle = 0.0;
        bool operator==(const Geometry& o) const {
            return p1 == o.p1 && p2 == o.p2 && centre == o.centre && length1 == o.length1 &&
                   length2 == o.length2 && angle == o.angle;
        }
    };
    // Unit vectors of the rotated frame in image coordinates (y grows downwards).
    static QPointF axisU(double angleDeg);
    static QPointF axisV(double angleDeg);
    bool apply(const Geometry& g);

    bool m_rotated = false;
    Geometry m_geo;
    Geometry m_start;
};
