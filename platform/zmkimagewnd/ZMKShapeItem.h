// SPDX-License-Identifier: Apache-2.0
#pragma once
// Base of the shapes drawn on a 2D view. Geometry is kept in image (scene) coordinates so it
// survives zooming; pens are cosmetic (their width is in screen pixels, 0 meaning 1 pixel).
// The view does all mouse handling: items only answer hit tests and apply edits.
#include <QGraphicsItem>
#include <QPen>
#include <QString>
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

    // A name drawn on the picture beside the shape, so that shapes of different kinds can be told
    // apart; `alignment` places it inside the shape's bounds (left or centred, at the top).
    void setLabel(const QString& text, Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignTop);
    const QString& label() const { return m_label; }

    virtual NuvROI roi() const = 0;
    // Tight bounds of the geometry in image coordinates.
    QRectF shapeBounds() const { return geometryBounds(); }
    // Handle positions in image coordinates (only meaningful while selected).
    virtual QVector<QPointF> handles() const = 0;
    // Index of the handle whose corner or edge lies at `pos` (within `tolerance` image pixels), so
    // that an edge or corner can be dragged without selecting the shape first; -1 for none.
    virtual int gripAt(const QPointF& pos, double tolerance) const = 0;
    // True for handles that turn the shape rather than move its outline.
    virtual bool isRotationHandle(int index) const {
        Q_UNUSED(index);
        return false;
    }
    // Areas (rectangles) stay inside the picture when dragged; lines may leave it.
    virtual bool isConfinedToImage() const { return false; }
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
    // Draws the label (if any) at its place inside the shape's bounds.
    void paintLabel(QPainter* painter) const;
    // Call before any geometry change.
    void geometryWillChange() { prepareGeometryChange(); }

private:
    // The label's box in image coordinates at the current view scale.
    QRectF labelRect() const;

    int m_id;
    int m_layer;
    QPen m_pen;
    bool m_movable = true;
    bool m_selectable = true;
    bool m_selected = false;
    double m_viewScale = 1.0;
    QString m_label;
    Qt::Alignment m_labelAlignment = Qt::AlignLeft | Qt::AlignTop;
};
