// SPDX-License-Identifier: Apache-2.0
#pragma once
// 2D display widget: draws an image (Mono8, Mono16, RGB), editable shapes (layer 1) and fixed
// overlays (layer 0) into a host widget, with zoom, scroll bars and a pixel read-out.
//
// Every call returns 0 on success and -1 on failure (also before create() and after destory()).
// Notes on behaviour:
// - showToolbar() is accepted and ignored (there is no tool bar); showStatusbar(true) shows a
//   one-line overlay at the bottom of the view with the pixel under the cursor and the zoom.
// - Mono16 frames are shown through a display range (setDisplayRange; by default stretched over
//   each frame's own min..max); imgInfo reports true values.
// - setBackground(QImage) copies the frame. setBackground(NuvImage) shares a frame that owns its
//   pixels (the caller must not write into it afterwards, as with the save worker) and copies one
//   that wraps foreign memory; getBackground always returns a copy.
// - Pens are cosmetic: the width is in screen pixels, 0 means 1 pixel.
// - zoomFitWnd() keeps fitting (on resize and new frame sizes) until another zoom command.
// - drawRect(): the next left press-drag-release draws a rectangle (clamped to the image). It
//   becomes a selected layer-1 shape; shapeClicked(id) and then shapeResized(id) are emitted.
//   A drag of zero width or height creates nothing and ends the drawing mode; Escape cancels it.
// - displayOverlayPath() returns the overlay's id (>= 0), which removeShape() also accepts.
// - Shapes on layer 0 are fixed; setShapeMovable(id, false) also locks the size.
// - A press on the edge or corner of a movable shape resizes it, a press inside moves it.
//   Rectangles keep their size at the picture's border: a drag pushing them out stops there.
#include <QColor>
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QtGlobal>

#include "NuvImage.h"
#include "NuvOverlay.h"
#include "NuvROI.h"
#include "ZMKDisplayRange.h"

class QWidget;
class ZMKImageView;

class ZMKImageWnd : public QObject {
    Q_OBJECT
public:
    enum Layer { LayerOverlay = 0, LayerShape = 1 };

    explicit ZMKImageWnd(QObject* parent = nullptr);
    ~ZMKImageWnd() override;

    // host is a QWidget* passed as a 64-bit handle; the view becomes its child.
    int create(qint64 host);
    int destory();
    int move(int x, int y, int width, int height);
    int showToolbar(bool show);
    int showStatusbar(bool show);
    int showScrollbar(bool show);
    int enablePixelVisible(bool enable);
    // Only rows first .. first + count - 1 of the image hold camera data: the pixel read-out says
    // "no data" over the others. A negative count (the default) makes every row data.
    int setDataRows(int first, int count);

    int setBackground(const QImage& image);
    int setBackground(const NuvImage& image);
    int getBackground(QImage* image) const;
    int getBackground(NuvImage* image) const;
    int clear();
    // How deep grey frames map to the screen (see ZMKDisplayRange); -1 for an invalid range. The
    // frame shown is repainted with it.
    int setDisplayRange(const ZMKDisplayRange& range);
    // The settings with the levels in use; the default range without a view.
    ZMKDisplayRange displayRange() const;

    int zoomIn();
    int zoomOut();
    int zoomReset();
    int zoomFitWnd();
    int zoom(double factor);
    double zoomFactor() const;

    int setPen(quint8 red, quint8 green, quint8 blue, unsigned width);
    // Returns the new shape's id (>= 0), or -1 on failure.
    int displayROI(const NuvROI& roi, Layer layer);
    int removeShape(int id);
    int selectShape(int id);
    int setShapeMovable(int id, bool movable);
    int setShapeSelectable(int id, bool selectable);
    int getROIShape(int id, NuvROI* roi) const;
    // Names the shape on the picture in its pen's colour, at the top left of its bounds or, with
    // Qt::AlignHCenter, at the top centre; an empty text removes the label.
    int setShapeLabel(int id, const QString& text, Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignTop);
    QString shapeLabel(int id) const;
    int drawRect();
    int displayOverlayPath(const NuvOverlayPath& path, Layer layer);
    int clearLayer(Layer layer);

    // The view widget (null before create); for hosts that need geometry or tests.
    QWidget* widget() const;
    // The view's viewport, where mouse presses on the image land (null before create).
    QWidget* viewport() const;

signals:
    void mouseClicked(double x, double y);
    void shapeClicked(long id);
    void shapeMoved(long id);
    void shapeResized(long id);
    // A right press (or the menu key) on a selectable shape, which is now selected.
    void shapeContextMenu(long id, const QPoint& globalPos);
    void imgInfo(double x, double y, int v1, int v2, int v3, float value);
    void displayLevelsChanged(int low, int high);

private:
    // The host owns the view as a child widget and may delete it first.
    QPointer<ZMKImageView> m_view;
    QColor m_penColor = QColor(255, 0, 0);
    int m_penWidth = 0;
};
