// SPDX-License-Identifier: Apache-2.0
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

#include "NuvExport.h"

class QWidget;
class NuvImage;
class NuvRangeImage;
class ImageWndManager;
class ImageWnd;

/**
 * The image window a host embeds: a grid of up to four panes, each bound by the business layer
 * (ZavizoZoz3) to a connected camera and showing its live output.
 *
 * Panes are named by their index 1 to 4; -1 means no pane. Status results are 0 for success and -1
 * for failure; nothing throws. Every call must be made on the GUI thread, and every signal is
 * emitted there. Business-layer callbacks arrive on the business layer's threads and are handed to
 * the GUI thread by the viewer itself.
 */
class NUV_EXPORT NuvViewerImageWnd : public QObject {
    Q_OBJECT
public:
    /// A grab button a pane reports through wndButtonclick().
    enum ButtonType : qint32 {
        StartGrab = 1,  ///< the user pressed a pane's start button
        StopGrab = 2    ///< the user pressed a pane's stop button, or a recording ended the grab
    };
    Q_ENUM(ButtonType)

    /// Grid layouts; the value is the number of cells, filled row by row.
    enum WndLayout : qint32 {
        Layout1x1 = 1,  ///< one pane filling the area
        Layout1x2 = 2,  ///< two panes side by side
        Layout2x2 = 4,  ///< two rows of two
        Layout3x3 = 9,  ///< three rows of three (only four panes exist; the other cells stay empty)
        Layout4x4 = 16  ///< four rows of four (likewise)
    };
    Q_ENUM(WndLayout)

    /// What a pane shows.
    enum ImageWndMode : qint32 {
        ModeNone = 0,  ///< no view: the logo, no title bar
        Mode2D = 1,    ///< a 2D image view for area-scan cameras and host frames
        Mode3D = 2     ///< the laser-profiler view: contour, sensor picture, 3D, range and grey images
    };
    Q_ENUM(ImageWndMode)

    /// What a host triggers on a pane as the pane's own tool button does (menus, keyboard shortcuts).
    enum WndAction : qint32 {
        ActionZoomFit = 1,    ///< fit the picture (or the contour) into the pane
        ActionZoom100 = 2,    ///< one image pixel per screen pixel
        ActionZoomIn = 3,     ///< one zoom step in
        ActionZoomOut = 4,    ///< one zoom step out
        ActionStartGrab = 5,  ///< the start button: wndButtonclick(StartGrab) follows
        ActionStopGrab = 6,   ///< the stop button: wndButtonclick(StopGrab) follows
        ActionSingleSave = 7  ///< save the frame shown, as the pane's single save
    };
    Q_ENUM(WndAction)

    /// Stream health of a pane's camera, counted from the start of the running (or last) grab;
    /// all zero for a pane without a camera. The pane shows the same figures in its title bar.
    struct StreamHealth {
        quint64 framesShown = 0;       ///< frames of the camera the viewer handed to the pane
        double framesPerSecond = 0.0;  ///< frames shown per second, measured over about the last second
        quint64 lostOnTransport = 0;   ///< frames the camera's transport lost (its stream statistics)
        quint64 droppedInViewer = 0;   ///< frames the viewer received but could not turn into a display
        bool countsPackets = false;    ///< the transport counts packets (GigE Vision); the two below apply
        quint64 resentPackets = 0;     ///< packets the camera resent on request
        quint64 missingPackets = 0;    ///< packets that never arrived, even after resend requests
    };

    /**
     * How a pane maps deep grey frames (Mono10, Mono12, Mono16: more than 8 bits per pixel) to the
     * screen; 8-bit and colour frames are shown as they are. Values are in the frame's own units
     * (0 to 4095 for a 12-bit camera). The pixel read-out and the histogram always show true values.
     * A host persists it per pane with toString() and fromString().
     */
    struct NUV_EXPORT DisplayRange {
        /// How the range's ends are found.
        enum Mode : qint32 {
            AutoOnce = 0,        ///< levels from the next frame (or the one shown), then held
            AutoContinuous = 1,  ///< every frame stretched over its own minimum and maximum
            Fixed = 2,           ///< minimum and maximum as given
            Percentile = 3       ///< every frame from lowPercent to highPercent of its pixels
        };
        Mode mode = AutoOnce;        ///< new panes take their levels once, from their first deep frame
        int minimum = 0;             ///< Fixed: black; read back in the other modes: the levels in use
        int maximum = 65535;         ///< Fixed: white; above minimum, at most 65535
        double lowPercent = 0.1;     ///< Percentile: share of pixels shown black, 0 to 100
        double highPercent = 99.9;   ///< Percentile: above lowPercent, at most 100
        double gamma = 1.0;          ///< 0.1 to 10; above 1 brightens the dark part of the range
        bool markSaturated = false;  ///< pixels at or above the top of the range in saturationColour
        QColor saturationColour = QColor(255, 0, 0);  ///< colour of saturated pixels when marked

        /// One line such as
        /// "mode=fixed;min=0;max=4095;low=0.1;high=99.9;gamma=1;saturation=0;colour=#ff0000".
        QString toString() const;
        /// Reads what toString() wrote (missing keys keep their defaults). @return false, leaving
        /// @p range untouched, for a null @p range, an unknown key or value, or a range out of bounds.
        static bool fromString(const QString& text, DisplayRange* range);
        /// @return whether every field is equal.
        bool operator==(const DisplayRange& other) const;
        /// @return whether a field differs.
        bool operator!=(const DisplayRange& other) const { return !(*this == other); }
    };

    /**
     * Fills @p parent with the pane grid and registers the viewer's listeners with the business
     * layer. A parent without a layout gets a margin-free layout holding only the viewer. A parent
     * that already has a layout keeps it with all its items: the viewer's widget (manager()) is
     * appended with QLayout::addWidget, so in a box layout it comes last and in a grid layout it
     * takes the next free cell. @p parent must be a valid widget. GUI thread.
     */
    explicit NuvViewerImageWnd(QWidget* parent);
    /// Unregisters the listeners, then deletes the panes. Delete the viewer before the business
    /// layer shuts down. GUI thread.
    ~NuvViewerImageWnd() override;

    /// Moves the viewer's widget into @p parent (no layout is created there). If the host then
    /// deletes that parent, the widget goes with it and every later call fails (-1, or no effect).
    void setImageWndParent(QWidget* parent);
    /// Switches pane @p wndId to @p mode. @return 0, or -1 for an unknown pane or mode.
    int setImageWndMode(int wndId, ImageWndMode mode);
    /// Shows @p layout, placing the panes of @p wndIds first in that order, then the others.
    /// The host window keeps its size.
    void setWndLayout(WndLayout layout, QVector<int> wndIds = QVector<int>());
    /// @return the layout last applied (Layout1x1 after construction).
    WndLayout getWndLayout() const;
    /// Makes pane @p wndId the current one (green border); emits selectWndChanged().
    void setCurrentWnd(int wndId);
    /// @return the current pane, or -1 when none was selected yet.
    int getCurrentWnd() const;
    /// Sets the title of pane @p wndId. @return 0, or -1 for an unknown pane.
    int setImageWndTitle(int wndId, QString title);
    /// Copies the title of pane @p wndId into @p title. @return 0, or -1 for an unknown pane.
    int getImageWndTitle(int wndId, QString* title) const;
    /// Shows a frame the host made itself in pane @p wndId; ignored for an unknown pane.
    void show2DImage(int wndId, QImage& image);
    /// Reserved form for NuvImage frames of a pane in Mode2D; shows nothing.
    void show2DImage(int wndId, NuvImage& image);
    /// Copies the image shown by pane @p wndId into @p image.
    /// @return 0 (also for an unknown pane, leaving @p image untouched), -1 if the pane is not in Mode2D.
    int get2DImage(int wndId, QImage* image) const;
    /// As get2DImage(int, QImage*), writing a NuvImage.
    int get2DImage(int wndId, NuvImage* image) const;
    /// Reserved: the grab buttons follow the business layer's grab state. @return always -1.
    int setButtonEnable(int wndId, ButtonType type, bool enable);
    /// Reserved. @return always -1; @p enable is not written.
    int buttonIsEnable(int wndId, ButtonType type, bool* enable) const;
    /// Reserved. @return always -1.
    int setButtonHidden(int wndId, ButtonType type, bool hidden);
    /// Reserved. @return always -1; @p hidden is not written.
    int buttonIsHidden(int wndId, ButtonType type, bool* hidden) const;
    /**
     * Sizes the 3D and range displays of the pane bound to camera @p camId from the camera's line
     * count, batch size, scaler and data width. Call it before starting a 3D scan.
     * @return 0, or -1 if no pane holds the camera, the pane is not in Mode3D or the scan is too large.
     */
    int initRangeImageDisplay(QString camId);
    /// Shows a line with the pixel under the mouse (position, value or RGB, zoom) on the 2D images
    /// of every pane; off by default. wndMouseMoveInfo() is emitted either way.
    void setPixelReadoutVisible(bool visible);
    /**
     * Triggers @p action on pane @p wndId exactly as the pane's button for it would, with the
     * same checks: nothing happens while that button is disabled or the pane's current view has
     * none (zoom without a picture, start while grabbing, 1:1 on the 3D page).
     * @return 0 when the button took it, -1 otherwise (also for an unknown pane or action).
     */
    int triggerWndAction(int wndId, WndAction action);
    /**
     * Shows a whole range image (a scan read back from a file) on the range, grey and 3D pages of
     * pane @p wndId, which must be in Mode3D; the image is copied. The pages show it until the
     * next scan of the pane's camera.
     * @return 0, or -1 for an unknown pane, a pane not in Mode3D or an empty or too wide image.
     */
    int showRangeImage(int wndId, const NuvRangeImage& image);
    /// @return whether pane @p wndId is in the grid on screen (a single-pane layout shows one of four).
    bool isWndShown(int wndId) const;
    /// Copies the stream health of pane @p wndId into @p health.
    /// @return 0, or -1 for an unknown pane or a null @p health (left untouched).
    int getStreamHealth(int wndId, StreamHealth* health) const;
    /// Copies the stream health of the pane bound to camera @p camId into @p health.
    /// @return 0, or -1 if no pane holds the camera or @p health is null (left untouched).
    int getStreamHealth(QString camId, StreamHealth* health) const;

    /// Copies the display range of pane @p wndId into @p range (also while the pane shows no deep frame).
    /// @return 0, or -1 for an unknown pane or a null @p range (left untouched).
    int getDisplayRange(int wndId, DisplayRange* range) const;
    /// Sets the display range of pane @p wndId; the picture shown follows at once. AutoOnce takes
    /// the levels from the frame shown, or else from the next one. Not reported by displayRangeChanged().
    /// @return 0, or -1 for an unknown pane or an invalid range (nothing changes).
    int setDisplayRange(int wndId, const DisplayRange& range);

    /// The pane grid widget, for hosts that place it in their own layout; null once it is gone.
    QWidget* manager() const;

signals:
    /// Declared for hosts; the viewer does not emit it.
    void wndLayoutChanged(NuvViewerImageWnd::WndLayout layout);
    /// A newly connected camera was bound to pane @p winId; selectWndChanged() follows.
    void dropWndSuccess(int winId);
    /// Pane @p winId (1 to 4) became the current pane.
    void selectWndChanged(int winId);
    /// The pointer moved over a 2D image of pane @p winId: image position @p pos, the pixel
    /// @p color and the display @p zoom. Colour pixels come as RGB; grey pixels with r = g = b, a
    /// pixel of a 16-bit image carrying its true value in QColor::rgba64(). An invalid colour
    /// means no camera data there (rows outside the camera's window on the profiler's picture).
    void wndMouseMoveInfo(int winId, QPoint pos, QColor color, float zoom);
    /// The start or stop button of pane @p winId was pressed; @p camId is the pane's camera key
    /// (empty without a camera). The host starts or stops acquisition in the business layer.
    void wndButtonclick(int winId, QString camId, NuvViewerImageWnd::ButtonType type);
    /// The user changed the display range of pane @p winId in its "Display range" panel.
    void displayRangeChanged(int winId, NuvViewerImageWnd::DisplayRange range);

private:
    ImageWnd* pane(int wndId) const;

    // Owned, but a widget: a host that moved it into another parent with setImageWndParent may
    // delete it with that parent. Every call then fails as for a missing pane.
    QPointer<ImageWndManager> m_manager;
};

Q_DECLARE_METATYPE(NuvViewerImageWnd::DisplayRange)
