// SPDX-License-Identifier: Apache-2.0
#pragma once
#include <QColor>
#include <QImage>
#include <QList>
#include <QPoint>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QVector>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <utility>

#include "NuvImage.h"
#include "NuvRangeImage.h"
#include "ProfileFrameInfo.h"

namespace Ui {
class Image3DWnd;
}
class QAction;
class QButtonGroup;
class QFrame;
class QPushButton;
class QStackedWidget;
class ImageWndLabel;
class ProfilePlot;
class ZMKImageWnd;
class RangeStreamer;
class SaveImageTool;
class HeightColourBar;
class LiveRangePages;
class ScanAxis;
class ScanArrivals;

// View of a laser line-profile sensor: contour, 2D picture, 3D window, range image and grey
// image pages under one tool strip with an overflow menu.
class Image3DWnd : public QWidget {
    Q_OBJECT
public:
    explicit Image3DWnd(QWidget* parent = nullptr);
    ~Image3DWnd() override;

    // The owning pane's camera key; pixel reports are sent only while it is set.
    void setCameraKeyRef(const QString* key) { m_cameraKey = key; }

    void show2DImage(const QImage& image);
    void getBackground(QImage* image) const;
    void getBackground(NuvImage* image) const;
    void showLogo();
    void clearAll();
    void reset();
    void setContourXSpan(float span);
    float contourXSpan() const { return m_contourXSpan; }
    void setContourYRange(float minimum, float maximum);
    float contourYMin() const { return m_contourYMin; }
    float contourYMax() const { return m_contourYMax; }
    void setHeightRange(float zDown, float zUp) { setContourYRange(zDown, zUp); }
    void setWidthRange(float width) { setContourXSpan(width); }
    void relayoutToolBar(int width);
    void relayoutToolBar();
    // Hides or shows a strip button for the owner; a hidden one never comes back through overflow.
    void setStripButtonHidden(QWidget* button, bool hidden);
    void setShapesEditable(bool editable);
    // Mode buttons are locked while the camera acquires; their tool tips then say why.
    void setModeButtonsLocked(bool locked);
    void showContour(const QVector<qreal>& profile, const QVector<uint8_t>& brightness = QVector<uint8_t>());
    // Camera picture with the detected profile points drawn over it.
    void showImageWithProfile(const QImage& image, const QVector<qreal>& profile);
    void showImageWithProfile(const NuvImage& image, const QVector<qreal>& profile);

    // Range streaming: set up a scan for the camera, announce written batches, refresh.
    // 0, or -1 (logged) when the scan the camera reports is out of bounds or out of memory.
    int prepareScan(const QString& cameraKey);
    // A finished range image from a multi-image frame: drawn in 3D and on the range page.
    void showRangeImage(std::unique_ptr<NuvRangeImage> image);
    void clearRangePages();
    void onBatchArrived(const void* data, uint64_t imageId, int batch, bool isEnd);
    void refreshFromCamera(const QString& cameraKey);
    std::shared_ptr<RangeStreamer> streamer() const { return m_streamer; }
    int64_t window3D() const { return m_window3D; }
    QVector<qreal> lastProfile() const { return m_lastProfile; }
    QVector<uint8_t> lastBrightness() const { return m_lastBrightness; }
    bool hasPicture() const { return m_hasPicture; }
    // The saver takes contours and finished scans while forwarding is on; a run of pictures is fed
    // from the camera stream (StreamSaveFeed).
    void setSaver(SaveImageTool* saver) { m_saver = saver; }
    void setSaveForwarding(bool on) { m_saveForwarding = on; }
    std::shared_ptr<const ProfileFrameInfo> frameInfo() const { return m_frameInfo; }
    void retranslate();
    void render3D();

    ZMKImageWnd* displayWidget() const { return m_display; }
    ProfilePlot* profilePlot() const { return m_profilePlot; }
    ImageWndLabel* rangeLabel() const { return m_rangeLabel; }
    ImageWndLabel* greyLabel() const { return m_greyLabel; }
    // Height legends beside the range page and the 3D page (hidden without a scan).
    HeightColourBar* rangeColourBar() const { return m_rangeBar; }
    HeightColourBar* colourBar3D() const { return m_bar3D; }
    // Grey-level legend beside the grey page and the range page's millimetre rulers.
    HeightColourBar* greyLevelBar() const { return m_greyBar; }
    ScanAxis* rangeAxis(Qt::Orientation orientation) const {
        return orientation == Qt::Horizontal ? m_xAxis : m_yAxis;
    }
    // Keeps a save progress strip at the top right of the page shown, `top` pixels down, clear of
    // the page's legend, through resizes and page changes.
    void placeSaveStrip(QWidget* strip, int top);
    LiveRangePages* livePages() const { return m_livePages; }
    ScanArrivals* arrivals() const { return m_arrivals; }
    QAction* renderAction() const { return m_actions.value(6, nullptr); }
    QList<QWidget*> menuWidgets() const { return m_menuWidgets; }
    QVector<int>& shapeIds(int list) { return m_shapeIds[list < 0 || list > 2 ? 0 : list]; }

    QStackedWidget* stackedWidget = nullptr;
    QWidget* wdg3DToolSingle = nullptr;
    QWidget* wdg2DImageWnd = nullptr;
    QWidget* wdgContourWnd = nullptr;
    QWidget* wdg3DImageWnd = nullptr;
    QPushButton* btnContourMode = nullptr;
    QPushButton* btn2DMode = nullptr;
    QPushButton* btn3DMode = nullptr;
    QPushButton* btn3DShow = nullptr;
    QPushButton* btn2DRangeImageShow = nullptr;
    QPushButton* btnGreyImageShow = nullptr;
    QPushButton* btn3DRender = nullptr;
    QFrame* line_2 = nullptr;
    QFrame* line_3 = nullptr;
    QPushButton* btnSingleGrab = nullptr;
    QPushButton* btn3DStartGrab = nullptr;
    QPushButton* btn3DStopGrab = nullptr;
    QPushButton* btnSingleSave = nullptr;
    QPushButton* btnMultiSave = nullptr;
    QPushButton* btn3DZoomIn = nullptr;
    QPushButton* btn3DZoomOut = nullptr;
    QPushButton* btn3DRestore = nullptr;
    QPushButton* btn3DZoomReset = nullptr;
    QPushButton* btnShowMenu = nullptr;

signals:
    void initRangeImageFinish();
    // A move over the 2D page's picture: position, pixel (PixelReport::hostColor) and zoom.
    void pixelHovered(QPoint pos, QColor color, float zoom);

public slots:
    void onShowModeChanged();
    void onZoomChanged();
    void onInitRangeImageFinish();
    void onShowMenuButtonClicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createActions();
    void onImgInfo(double x, double y, int a, int b, int c, float value);
    void drawProfilePoints(const QVector<qreal>& profile, int imageHeight);
    // The rows of the shown picture that hold camera data (count -1: all), for the read-outs.
    void setDataRows(int first, int count);
    void showFinishedScan();
    void updateColourBars();
    void layoutPage(QWidget* page);
    void placeSaveStrip();

    const QString* m_cameraKey = nullptr;
    ZMKImageWnd* m_display = nullptr;
    QWidget* m_displayViewport = nullptr;
    QSet<QObject*> m_pressSources;  // children of the 3D, range and grey pages
    ImageWndLabel* m_rangeLabel = nullptr;
    ImageWndLabel* m_greyLabel = nullptr;
    HeightColourBar* m_rangeBar = nullptr;
    HeightColourBar* m_bar3D = nullptr;
    HeightColourBar* m_greyBar = nullptr;
    ScanAxis* m_xAxis = nullptr;
    ScanAxis* m_yAxis = nullptr;
    QPointer<QWidget> m_saveStrip;
    int m_saveStripTop = 0;
    LiveRangePages* m_livePages = nullptr;
    ScanArrivals* m_arrivals = nullptr;
    ProfilePlot* m_profilePlot = nullptr;
    QImage m_logo;
    float m_contourXSpan = 28.0f;
    float m_contourYMax = 9.0f;
    float m_contourYMin = -9.0f;
    bool m_renderFlag = false;
    bool m_modeButtonsLocked = false;
    bool m_showingLogo = false;  // the 2D page shows the idle logo, not a picture
    // Rows of the 2D page's picture that hold camera data: first and count, -1 all of them.
    std::pair<int, int> m_dataRows{0, -1};
    QList<QPushButton*> m_stripButtons;
    QList<QAction*> m_actions;
    QList<QWidget*> m_menuWidgets;
    QButtonGroup* m_modeGroup = nullptr;
    QButtonGroup* m_showGroup = nullptr;
    QVector<int> m_shapeIds[3];
    int64_t m_window3D = 0;
    std::shared_ptr<RangeStreamer> m_streamer;
    QVector<qreal> m_lastProfile;
    QVector<uint8_t> m_lastBrightness;
    bool m_hasPicture = false;
    SaveImageTool* m_saver = nullptr;
    bool m_saveForwarding = false;
    std::shared_ptr<ProfileFrameInfo> m_frameInfo = std::make_shared<ProfileFrameInfo>();
    Ui::Image3DWnd* m_ui;
};
