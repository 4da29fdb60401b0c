#pragma once
// The viewer's one exported class: a host creates it on a parent widget and gets a grid of up
// to four display panes bound to the cameras of the business layer.
#include <QColor>
#include <QImage>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <QVector>
#include <QtGlobal>

#if defined(NUVVIEWER_LIBRARY)
#define NUVVIEWER_EXPORT Q_DECL_EXPORT
#else
#define NUVVIEWER_EXPORT Q_DECL_IMPORT
#endif

class QWidget;
class NuvImage;
class ImageWndManager;
class ImageWnd;

class NUVVIEWER_EXPORT NuvViewerImageWnd : public QObject {
    Q_OBJECT
public:
    enum ButtonType : qint32 { StartGrab = 1, StopGrab = 2 };
    Q_ENUM(ButtonType)

    enum WndLayout : qint32 { Layout1x1 = 1, Layout1x2 = 2, Layout2x2 = 4, Layout3x3 = 9, Layout4x4 = 16 };
    Q_ENUM(WndLayout)

    enum ImageWndMode : qint32 { ModeNone = 0, Mode2D = 1, Mode3D = 2 };
    Q_ENUM(ImageWndMode)

    // Fills `parent` with the pane grid. A parent without a layout gets a margin-free horizontal
    // layout holding only the viewer. A parent that already has a layout keeps it, with all its
    // items: the viewer's widget (manager()) is appended with QLayout::addWidget, so in a box
    // layout it comes last and in a grid layout it takes the next free cell; a host that wants it
    // elsewhere moves manager() within its layout. The parent must be a valid widget.
    explicit NuvViewerImageWnd(QWidget* parent);
    ~NuvViewerImageWnd() override;

    // Plain re-parenting: no layout is created in the new parent. If the host then deletes that
    // parent, the viewer's widget goes with it and every later call fails (-1, or no effect).
    void setImageWndParent(QWidget* parent);
    int setImageWndMode(int wndId, ImageWndMode mode);
    void setWndLayout(WndLayout layout, QVector<int> wndIds = QVector<int>());
    WndLayout getWndLayout();
    void setCurrentWnd(int wndId);
    int getCurrentWnd();
    int setImageWndTitle(int wndId, QString title);
    int getImageWndTitle(int wndId, QString* title);
    void show2DImage(int wndId, QImage& image);
    void show2DImage(int wndId, NuvImage& image);
    int get2DImage(int wndId, QImage* image);
    int get2DImage(int wndId, NuvImage* image);
    int setButtonEnable(int wndId, ButtonType type, bool enable);
    int buttonIsEnable(int wndId, ButtonType type, bool* enable);
    int setButtonHidden(int wndId, ButtonType type, bool hidden);
    int buttonIsHidden(int wndId, ButtonType type, bool* hidden);
    int initRangeImageDisplay(QString camId);
    // Shows a line with the pixel under the mouse (position, value or RGB, zoom) on the 2D
    // images of every pane; off by default. wndMouseMoveInfo is emitted either way.
    void setPixelReadoutVisible(bool visible);
    // Whether the pane is in the grid on screen (a single-pane layout shows one of the four).
    bool isWndShown(int wndId);

    // The pane manager widget, for hosts that embed or inspect it; null once it is gone.
    ImageWndManager* manager() const;

signals:
    void wndLayoutChanged(NuvViewerImageWnd::WndLayout layout);
    void dropWndSuccess(int winId);
    void selectWndChanged(int winId);
    // The pixel under the mouse in a pane's 2D image: colour pixels as RGB; grey pixels with
    // r = g = b, a pixel of a 16-bit image carrying its true value in QColor::rgba64().
    void wndMouseMoveInfo(int winId, QPoint pos, QColor color, float zoom);
    void wndButtonclick(int winId, QString camId, NuvViewerImageWnd::ButtonType type);

private:
    ImageWnd* pane(int wndId) const;

    // Owned, but a widget: a host that moved it into another parent with setImageWndParent may
    // delete it with that parent. Every call then fails as for a missing pane.
    QPointer<ImageWndManager> m_manager;
};
