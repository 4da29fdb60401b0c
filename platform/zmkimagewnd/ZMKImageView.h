// SPDX-License-Identifier: Apache-2.0
#pragma once
// Graphics view behind ZMKImageWnd and ImageWndLabel: a background frame, editable shapes and
// fixed overlays in image coordinates, zoom, panning, a pixel read-out and an optional status line.
//
// Mouse: the wheel zooms around the cursor; a middle drag, or a left drag on empty space, pans;
// a left press on a shape selects it (if selectable) and drags it (if movable): a press on its edge
// or corner resizes it, one inside moves it; the handles of a selected, movable shape (a rotated
// rectangle's rotation grip among them) work too. Rectangles stay inside the picture while dragged,
// without changing size. A right press on a selectable shape selects it and asks for its context
// menu. Shapes that are neither movable nor selectable ignore the mouse.
#include <QGraphicsView>
#include <QPen>
#include <map>
#include <utility>

#include "NuvImage.h"
#include "NuvOverlay.h"
#include "NuvROI.h"
#include "ZMKDisplayRange.h"

class ZMKImageItem;
class ZMKShapeItem;
class ZMKOverlayItem;
class ZMKRectItem;

class ZMKImageView : public QGraphicsView {
    Q_OBJECT
public:
    static constexpr double kMinZoom = 0.02;
    static constexpr double kMaxZoom = 50.0;
    static constexpr double kZoomStep = 1.25;

    explicit ZMKImageView(QWidget* parent = nullptr);
    ~ZMKImageView() override;

    // Background. Setters return false for a null image or an unsupported format (the old frame stays).
    bool setBackground(const QImage& image);
    bool setBackground(const NuvImage& image);
    // Deep copies of the frame shown, converted when it was set as the other type.
    bool background(QImage* image) const;
    bool background(NuvImage* image) const;
    void clearBackground();
    bool hasBackground() const;
    // Replaces lines of the frame in place (see ZMKImageItem::updateRows).
    bool updateBackgroundRows(const NuvImage& rows, int firstRow);
    size_t backgroundBytes() const;
    QSize imageSize() const;
    // Display range of deep grey frames (see ZMKDisplayRange); false for an invalid range.
    bool setDisplayRange(const ZMKDisplayRange& range);
    ZMKDisplayRange displayRange() const;

    // Zoom. The fit mode of zoomFitWnd() stays until another zoom command and refits on resize
    // and on frames of a new size.
    void zoomIn();
    void zoomOut();
    void zoomReset();
    void zoomFitWnd();
    // False for a non-finite or non-positive factor; other factors are clamped to kMinZoom..kMaxZoom.
    bool setZoom(double factor);
    double zoomFactor() const { return m_zoom; }
    bool isFitMode() const { return m_fitMode; }

    // Shapes and overlays share one id sequence; ids are never reused. Layer 0 items are fixed.
    int addShape(const NuvROI& roi, int layer, const QPen& pen);
    int addOverlay(const NuvOverlayPath& path, int layer, const QPen& pen);
    bool removeItem(int id);
    bool selectShape(int id);
    bool setShapeMovable(int id, bool movable);
    bool setShapeSelectable(int id, bool selectable);
    bool shapeROI(int id, NuvROI* roi) const;
    bool setShapeLabel(int id, const QString& text, Qt::Alignment alignment);
    // The shape's label; empty for unknown ids.
    QString shapeLabel(int id) const;
    void clearLayer(int layer);
    // The next left drag on the view draws a rectangle that becomes a layer-1 shape with `pen`.
    void startDrawRect(const QPen& pen);
    void cancelDrawRect();
    bool isDrawingRect() const { return m_drawArmed; }
    int selectedShape() const;
    int itemCount(int layer) const;

    void setScrollBarsVisible(bool visible);
    void setStatusVisible(bool visible);
    bool isStatusVisible() const { return m_statusVisible; }
    void setPixelInfoEnabled(bool enabled) { m_pixelInfo = enabled; }
    void setWheelZoomEnabled(bool enabled) { m_wheelZoom = enabled; }
    // Rows first .. first + count - 1 hold data; the status line says "No data" over the others.
    // A negative count (the default) makes every row data.
    void setDataRows(int first, int count);
    // Text of the status line for the pixel under the cursor (empty when it is off the image).
    QString statusText() const { return m_statusText; }

    QPointF mapToImage(const QPoint& viewportPos) const;
    QPoint mapFromImage(const QPointF& imagePos) const;
    // True while the view is inside one of its own event handlers (signals may be on the stack).
    bool isBusy() const { return m_eventDepth > 0; }

signals:
    void mouseClicked(double x, double y);
    void shapeClicked(long id);
    void shapeMoved(long id);
    void shapeResized(long id);
    void shapeContextMenu(long id, const QPoint& globalPos);
    void imgInfo(double x, double y, int v1, int v2, int v3, float value);
    void zoomChanged(double factor);
    // The levels a deep frame is shown with changed (a new frame in an automatic mode, a new range).
    void displayLevelsChanged(int low, int high);

protected:
    // Status line for pixel (x, y) of the image; the default shows the position and pixel value.
    virtual QString readoutText(int x, int y) const;
    // The same for the exact image position under the cursor (pixel (x, y) contains it), for
    // views whose picture stands for a larger image.
    virtual QString readoutTextAt(const QPointF& imagePos, int x, int y) const;
    const ZMKImageItem* backgroundItem() const { return m_background; }

    bool viewportEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void drawForeground(QPainter* painter, const QRectF& rect) override;

private:
    enum class Drag { None, Pan, Move, Handle, DrawRect };

    void applyZoom(double factor);
    void applyFit();
    void afterFrameChange(const QSize& oldSize);
    void reportLevels();
    ZMKShapeItem* shapeById(int id) const;
    ZMKShapeItem* shapeAt(const QPoint& pos) const;
    std::pair<ZMKShapeItem*, int> handleAt(const QPoint& pos) const;
    // The smallest movable shape with an edge or corner at `pos`, and that grip's handle index.
    std::pair<ZMKShapeItem*, int> gripAt(const QPoint& pos) const;
    void updateCursor(const QPoint& pos);
    // The part of `delta` that keeps a rectangle dragged from m_dragStartBounds inside the picture.
    QPointF confinedDelta(const QPointF& delta) const;
    void deselectAll();
    QPointF clampToImage(const QPointF& p) const;
    void updateReadout(const QPoint& pos);
    void finishDrawRect();

    QGraphicsScene* m_scene = nullptr;
    ZMKImageItem* m_background = nullptr;
    std::map<int, ZMKShapeItem*> m_shapes;
    std::map<int, ZMKOverlayItem*> m_overlays;
    int m_nextId = 0;
    double m_zoom = 1.0;
    bool m_fitMode = false;
    bool m_pixelInfo = true;
    bool m_wheelZoom = true;
    bool m_statusVisible = false;
    int m_dataFirst = 0;
    int m_dataCount = -1;
    QString m_statusText;
    int m_eventDepth = 0;
    int m_reportedLow = -1;
    int m_reportedHigh = -1;

    Drag m_drag = Drag::None;
    int m_dragId = -1;
    int m_dragHandle = -1;
    bool m_dragChanged = false;
    QPoint m_lastPos;
    QPointF m_pressImagePos;
    QRectF m_dragStartBounds;
    bool m_dragConfined = false;

    bool m_drawArmed = false;
    QPen m_drawPen;
    ZMKRectItem* m_rubber = nullptr;
};
