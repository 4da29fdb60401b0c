// SPDX-License-Identifier: Apache-2.0
#pragma once
#include <QColor>
#include <QFrame>
#include <QImage>
#include <QMap>
#include <QPoint>
#include <QString>
#include <QVector>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

#include "BridgeMetaTypes.h"
#include "NuvImage.h"
#include "NuvROI.h"
#include "NuvRangeImage.h"

namespace Ui {
class ImageWnd;
}
class CameraRoiTool;
class CorrectionTool;
class DisplayRangeTool;
class Image2DWnd;
class Image3DWnd;
class PaneSaveCommands;
class GreyHistogramTool;
class MeasureTool;
class OverlayTool;
class RangeStreamer;
class RangeBatchSink;
class PaneDragFeedback;
class StreamHealthMonitor;

// One display pane of the grid: title bar, body view (2D image view or laser-profiler view),
// the pane's camera and the state of its buttons.
class ImageWnd : public QFrame {
    Q_OBJECT
public:
    enum ButtonType : qint32 {
        SingleGrab = 1,
        StartGrab = 2,
        StopGrab = 3,
        EnlargeWnd = 11,
        RestoreWnd = 12,
        Render3D = 13,
    };
    Q_ENUM(ButtonType)

    explicit ImageWnd(QWidget* parent = nullptr);
    ~ImageWnd() override;

    void setWndId(int wndId) { m_wndId = wndId; }
    int wndId() const { return m_wndId; }
    int imageWndMode() const { return m_mode; }
    int setImageWndMode(int mode);
    int setImageWndTitle(const QString& title);
    int getImageWndTitle(QString* title) const;
    QString imageWndTitle() const;
    int setCameraName(const QString& key);
    QString cameraName() const { return m_cameraKey; }

    void initRangeImageDisplay();
    // 0, or -1 (logged) when the scan the camera reports cannot be prepared.
    int prepareRangeAcquisition();
    void resetCamera();
    void onGrabStarted();
    void onGrabStopped();
    void syncImageMode();
    int setButtonEnable(ButtonType type, bool enable);
    int setButtonHidden(ButtonType type, bool hidden);

    void show2DImage(QImage& image, bool redrawOnly);
    void show2DImage(NuvImage& image);
    void get2DImage(QImage* image) const;
    void get2DImage(NuvImage* image) const;
    void showImage(NuvImage* image, QVector<qreal> profile);
    void showImage(QImage* image, QVector<qreal> profile);
    void showProfile(const QVector<qreal>& profile, const QVector<uint8_t>& brightness);
    void showRangeLines(INT32* rangeData, size_t imgId, int frameIndex, bool isEnd);
    // Takes ownership of rangeImage and hands it to the profiler view.
    void setRangeStreaming(NuvRangeImage* rangeImage);
    void showRangeImages(QMap<int, NuvImage*> images);
    void selectShownImage(int key);
    void saveImageArrayFrame(bool hasRange);
    void openCorrection(int type, float value, void* info);
    void refreshFromCamera();

    // Any thread: the sample width the profiler view's scan was prepared with (0 16-bit, 1 32-bit).
    int rangeDataKind() const;
    // Any thread: the streamer of the profiler view, kept alive by the caller while it writes.
    std::shared_ptr<RangeStreamer> rangeStreamer() const;
    // Where the camera's transform tool writes range batches: follows the profiler view.
    std::shared_ptr<RangeBatchSink> rangeBatchSink() const { return m_rangeSink; }
    // Any thread: the pane's mode.
    int imageWndModeAtomic() const { return m_modeShared.load(); }

    int drawROI(int x1, int y1, int x2, int y2, int roiType, int kind, int index);
    int updateROI(int index, int x1, int y1, int x2, int y2);
    int removeROI(int index);
    CameraRoiTool* roiTool() const { return m_roiTool.get(); }

    void setLogoSize(QSize size);
    void retranslate();

    Image2DWnd* view2D() const { return m_view2D; }
    Image3DWnd* view3D() const { return m_view3D; }
    PaneSaveCommands* saveCommands() const { return m_save; }
    GreyHistogramTool* histogramTool() const { return m_histogramTool; }
    OverlayTool* overlayTool() const { return m_overlayTool; }
    MeasureTool* measureTool() const { return m_measureTool; }
    StreamHealthMonitor* streamHealth() const { return m_health; }
    CorrectionTool* correctionTool() const { return m_correctionTool; }
    DisplayRangeTool* displayRangeTool() const { return m_displayRangeTool; }
    QSize imageSize() const { return QSize(m_imageWidth, m_imageHeight); }
    bool isEnlargeButtonVisible() const;
    bool isRestoreButtonVisible() const;
    // The cell that will receive a drop is highlighted; the manager ends it when it takes the drop.
    void setDropHighlighted(bool highlighted);
    // A read-out line of the pixel under the mouse on the 2D image itself (off by default).
    void setPixelReadoutVisible(bool visible);

signals:
    void wndLayoutTransformTrigger();
    void buttonClick(ImageWnd::ButtonType type);
    // The pixel under the mouse in the view's 2D image (see PixelReport::hostColor).
    void pixelHovered(QPoint pos, QColor color, float zoom);
    void saveImageStart();

private slots:
    void roiClicked(int id);
    void roiShapeChange(int id);
    void roiShapeMenu(long id, const QPoint& globalPos);
    void onWndMouseClicked(double x, double y);
    void on3DShowModeChanged();
    void startGrab();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void create2DView();
    void create3DView();
    void wire3DView();
    void placeInBody(QWidget* view);
    void show2DGrabButtons(bool grabbing);
    bool reportResolution(int width, int height);
    void startTitleDrag();
    void showLogo();
    // The measurement, grid and cross leave the image (camera gone, view hidden).
    void closeOverlays();

    // Camera ROI, mask and column-window shapes with their pending redraws.
    std::unique_ptr<CameraRoiTool> m_roiTool;
    Image3DWnd* m_view3D = nullptr;
    QMap<int, NuvImage*> m_rangeImages;
    int m_shownImageKey = 0;
    bool m_rangeStreaming = false;
    int m_wndId = 0;
    int m_mode = 0;
    Image2DWnd* m_view2D = nullptr;
    int m_imageWidth = -1;
    int m_imageHeight = -1;
    int m_selectedShapeId = -1;
    QString m_cameraKey;
    bool m_titlePressed = false;
    bool m_dragAllowed = true;
    QImage m_logo;
    QSize m_logoSize;
    PaneDragFeedback* m_dragFeedback = nullptr;
    bool m_pixelReadout = false;
    std::atomic<int> m_modeShared{0};
    std::shared_ptr<RangeBatchSink> m_rangeSink;     // shared with the camera's transform tool
    PaneSaveCommands* m_save = nullptr;              // the save commands and the save worker
    GreyHistogramTool* m_histogramTool = nullptr;    // the 2D view's histogram (owned, a child)
    OverlayTool* m_overlayTool = nullptr;            // grid and cross-hair (owned, a child)
    MeasureTool* m_measureTool = nullptr;            // length measurement (owned, a child)
    StreamHealthMonitor* m_health = nullptr;         // frame rate and losses in the title bar (a child)
    CorrectionTool* m_correctionTool = nullptr;      // tilt and height correction (owned, a child)
    DisplayRangeTool* m_displayRangeTool = nullptr;  // how deep 2D frames are shown (owned, a child)
    Ui::ImageWnd* m_ui;
};
