#pragma once
// One window of a host application: the viewer fills its centre, a combo box picks the layout and
// a simulated laser profiler streams into the first pane.
#include <QMainWindow>
#include <QString>
#include <string>

class NuvViewerImageWnd;

class HostWindow : public QMainWindow {
    Q_OBJECT
public:
    HostWindow();
    ~HostWindow() override;

    // Connects the simulated profiler; the viewer binds it to the lowest free pane. Then starts it.
    void startProfiler();

private:
    void start(const QString& camera);

    NuvViewerImageWnd* m_viewer = nullptr;
    std::string m_camera;
};
