// SPDX-License-Identifier: Apache-2.0
#pragma once
// Editable line with a handle on each end point.
#include "ZMKShapeItem.h"

class ZMKLineItem : public ZMKShapeItem {
public:
    ZMKLineItem(int id, int layer, const QPen& pen, const QPointF& start, const QPointF& stop);

    NuvROI roi() const override;
    QVector<QPointF> handles() const override;
    int gripAt(const QPointF& pos, double tolerance) const override;
    bool hitTest(const QPointF& pos, double tolerance) const override;
    void beginEdit() override;
    bool moveFromStart(const QPointF& delta) override;
    bool dragHandle(int index, const QPointF& pos) override;

    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

protected:
    QRectF geometryBounds() const override;

private:
    bool apply(const QPointF& start, const QPointF& stop);

    QPointF m_start;
    QPointF m_stop;
    QPointF m_editStart;
    QPointF m_editStop;
};
