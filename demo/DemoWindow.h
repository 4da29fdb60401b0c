// SPDX-License-Identifier: Apache-2.0
#pragma once
#include <QColor>
#include <QMainWindow>
#include <QPoint>
#include <QSet>
#include <QString>
#include <QVector>
#include <functional>

class QAction;
class QCheckBox;
class QKeySequence;
class QMenu;
class QSplitter;
class QToolBar;
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

// The application's main window: the viewer in the centre, the cameras (simulated ones by default)
// on the left with connect toggles, layout and language selectors that go through the business
// layer's events, and below them the panels: the current pane's camera, the save settings and the
// profiler calibration. Menus and keyboard shortcuts act on the current pane; the user's set-up
// persists between runs (saveSettings / restoreSettings).
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

    // Opens a saved file into a pane without a camera (the current pane first): a picture into a
    // 2D pane, a range image or point cloud into a profiler pane's range page. A file that cannot
    // be read, or no free pane, is explained in a message box. @return the pane, or -1.
    int openFile(const QString& path);
    // File > Open: asks for a file, then openFile().
    void chooseFileToOpen();
    // Copies the picture of the current pane to the clipboard; false (with a status message) when
    // the pane shows none.
    bool copyCurrentFrame();
    void toggleFullScreen();
    void showAbout();
    // The user's set-up in QSettings (the application's organisation and name): layout, language,
    // save settings, read-out, shown panel, window geometry and the camera of each pane.
    void saveSettings() const;
    // Applies what saveSettings() stored; anything missing or not understood keeps its default.
    // Cameras still present are connected again, in pane order.
    void restoreSettings();
    // The pane menus and shortcuts act on: the current pane while it is on screen, else the first
    // shown pane.
    int targetPane() const;

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // A menu action with its untranslated text; the tooltip names its shortcut.
    struct ActionText {
        QAction* action;
        const char* text;
    };
    void createActions();
    QAction* addMenuAction(QMenu* menu, const char* name, const char* text, const QKeySequence& keys,
                           const std::function<void()>& triggered);
    void paneAction(int action);
    void showMessage(const QString& title, const QString& text, int level);
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
    QSplitter* m_splitter = nullptr;
    QMenu* m_fileMenu = nullptr;
    QMenu* m_viewMenu = nullptr;
    QMenu* m_layoutMenu = nullptr;
    QMenu* m_languageMenu = nullptr;
    QMenu* m_helpMenu = nullptr;
    QToolBar* m_toolBar = nullptr;
    QVector<ActionText> m_actionTexts;
    QString m_lastFolder;  // where the last opened file was
    bool m_settingsRestored = false;
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
