// SPDX-License-Identifier: Apache-2.0
#pragma once
// Fixed (not editable, not selectable) overlay drawn from one NuvOverlayPath with one pen.
// Circles smaller than a screen pixel are drawn as points so dense contours stay visible.
#include <QGraphicsItem>
#include <QPainterPath>
#include <QPen>
#include <QVector>

#include "NuvOverlay.h"

class ZMKOverlayItem : public QGraphicsItem {
public:
    ZMKOverlayItem(int id, int layer, const QPen& pen, const NuvOverlayPath& path);

    int id() const { return m_id; }
    int layer() const { return m_layer; }
    // Number of primitives taken from the path (primitives with non-finite coordinates are skipped).
    int primitiveCount() const { return m_primitives; }
    void setViewScale(double scale);

    QRectF boundingRect() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

private:
    struct Circle {
        QPointF centre;
        double radius;
    };

    int m_id;
    int m_layer;
    QPen m_pen;
    QPainterPath m_path;
    QVector<Circle> m_circles;
    QRectF m_bounds;
    int m_primitives = 0;
    double m_viewScale = 1.0;
};
