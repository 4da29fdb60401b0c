#pragma once
// Base of the shapes drawn on a 2D view. Geometry is kept in image (scene) coordinates so it
// survives zooming; pens are cosmetic (their width is in screen pixels, 0 meaning 1 pixel).
// The view does all mouse handling: items only answer hit tests and apply edits.
#include <QGraphicsItem>
#include <QPen>
#include <QVector>

#include "NuvROI.h"

class ZMKShapeItem : public QGraphicsItem {
public:
    // Handle squares are this many screen pixels wide.
    static constexpr double kHandleSize = 8.0;

    ZMKShapeItem(int id, int layer, const QPen& pen);

    int id() const { return m_id; }
    int layer() const { return m_layer; }
    const QPen& pen() const { return m_pen; }

    bool isMovable() const { return m_movable; }
    void setMovable(bool movable) { m_movable = movable; }
    bool isSelectable() const { return m_selectable; }
    void setSelectable(bool selectable);
    bool isShapeSelected() const { return m_selected; }
    void setShapeSelected(bool selected);

    // Screen pixels per image pixel of the view; keeps cosmetic margins and handles right.
    void setViewScale(double scale);
    double viewScale() const { return m_viewScale; }

    virtual NuvROI roi() const = 0;
    // Handle positions in image coordinates (only meaningful while selected).
    virtual QVector<QPointF> handles() const = 0;
    // True when `pos` lies on the shape; `tolerance` is in image pixels.
    virtual bool hitTest(const QPointF& pos, double tolerance) const = 0;
    // Remembers the geometry a drag starts from.
    virtual void beginEdit() = 0;
    // Moves the remembered geometry by `delta`; returns true when the geometry changed.
    virtual bool moveFromStart(const QPointF& delta) = 0;
    // Drags handle `index` to `pos`; returns true when the geometry changed.
    virtual bool dragHandle(int index, const QPointF& pos) = 0;

    QRectF boundingRect() const override;

protected:
    // Tight bounds of the geometry in image coordinates.
    virtual QRectF geometryBounds() const = 0;
    QPen cosmeticPen() const;
    // Draws the handles as screen-sized squares.
    void paintHandles(QPainter* painter) const;
    // Call before any geometry change.
    void geometryWillChange() { prepareGeometryChange(); }

private:
    int m_id;
    int m_layer;
    QPen m_pen;
    bool m_movable = true;
    bool m_selectable = true;
    bool m_selected = false;
    double m_viewScale = 1.0;
};
