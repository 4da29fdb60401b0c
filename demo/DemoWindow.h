#pragma once
#include <QMainWindow>

class QComboBox;
class QListWidget;
class QPushButton;
class QListWidgetItem;
class NuvViewerImageWnd;

// Demo host: the viewer in the centre, the simulated cameras on the left with connect toggles,
// layout and language selectors that go through the business layer's events.
class DemoWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit DemoWindow(QWidget* parent = nullptr);
    ~DemoWindow() override;
    // Connects every simulated camera (and starts acquisition): for screenshots and quick looks.
    void connectAll(bool startGrab);
    void selectLayout(int layout);

private:
    void addCameraItem(const QString& key, const QString& kind);
    void onItemChanged(QListWidgetItem* item);
    void onButtonClicked(int wndId, const QString& camId, int type);
    void pushTestFrame();

    NuvViewerImageWnd* m_viewer = nullptr;
    QListWidget* m_devices = nullptr;
    QComboBox* m_layout = nullptr;
    QComboBox* m_language = nullptr;
    int m_pushedFrames = 0;
};
