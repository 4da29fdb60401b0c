#pragma once
#include <QColor>
#include <QMainWindow>
#include <QPoint>
#include <QSet>
#include <QString>

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QListWidgetItem;
class NuvViewerImageWnd;
class CameraPanel;
class CorrectionHostPanel;
class SaveSettingsPanel;
class QTabWidget;

// Demo host: the viewer in the centre, the simulated cameras on the left with connect toggles,
// layout and language selectors that go through the business layer's events, and below them the
// host's panels: the current pane's camera, the save settings and the profiler calibration.
class DemoWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit DemoWindow(QWidget* parent = nullptr);
    ~DemoWindow() override;
    // Connects every simulated camera (and starts acquisition): for screenshots and quick looks.
    void connectAll(bool startGrab);
    // Unticks every camera, as a user releasing them would.
    void disconnectAll();
    void selectLayout(int layout);
    // Presses multi-frame save on the profiler pane and record on the area-scan pane.
    void startSaving();
    void selectLanguage(const QString& language);
    void pushTestFrame();
    void setPixelReadoutVisible(bool visible);
    CorrectionHostPanel* correctionPanel() const { return m_correction; }
    CameraPanel* cameraPanel() const { return m_camera; }
    SaveSettingsPanel* saveSettingsPanel() const { return m_saveSettings; }
    NuvViewerImageWnd* viewer() const { return m_viewer; }
    // Brings a panel to the front: 0 camera, 1 save settings, 2 calibration.
    void showPanel(int index);
    // Lists GenICam cameras beside the simulated ones: real ones (GigE Vision, USB3 Vision) or
    // Aravis's in-process fake camera. False when this build has no GenICam backend.
    bool addGenICamCameras(bool realCameras);
    // Serves Aravis's GigE Vision fake camera on the loopback address and lists it; false when this
    // build has no GenICam support or the address is taken.
    bool addLoopbackGigECamera();

protected:
    void changeEvent(QEvent* event) override;

private:
    void retranslateUi();
    // The hint box: how to start while no camera is bound, where a camera went that the layout hides.
    void updateHint();
    void addCameraItem(const QString& key, bool profiler);
    void onItemChanged(QListWidgetItem* item);
    void onButtonClicked(int wndId, const QString& camId, int type);
    void onCameraBound(int wndId);
    void onMouseMoveInfo(int wndId, QPoint pos, QColor color, float zoom);
    // The camera panel shows the camera of the current pane.
    void followCurrentPane();

    NuvViewerImageWnd* m_viewer = nullptr;
    QListWidget* m_devices = nullptr;
    QComboBox* m_layout = nullptr;
    QComboBox* m_language = nullptr;
    QLabel* m_hint = nullptr;
    QLabel* m_devicesLabel = nullptr;
    QLabel* m_layoutLabel = nullptr;
    QLabel* m_languageLabel = nullptr;
    QTabWidget* m_panels = nullptr;
    QPushButton* m_push = nullptr;
    QCheckBox* m_readout = nullptr;
    QLabel* m_pixelInfo = nullptr;
    CorrectionHostPanel* m_correction = nullptr;
    CameraPanel* m_camera = nullptr;
    SaveSettingsPanel* m_saveSettings = nullptr;
    QSet<QString> m_bound;   // keys of the cameras bound to a pane
    QString m_hiddenCamera;  // bound to a pane the single-pane layout does not show
    int m_hiddenPane = 0;
    int m_pushedFrames = 0;
};
