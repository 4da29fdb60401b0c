#include "HostWindow.h"

#include <QComboBox>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>
#include <QWidget>

#include <NuvViewer/NuvViewerImageWnd.h>
#include <NuvViewer/sim/ZavizoZoz3.h>
#include <NuvViewer/sim/ZavizoZoz3Control.h>

namespace Control = ZavizoZoz3::Control;

HostWindow::HostWindow() {
    setWindowTitle(tr("Minimal viewer host"));
    auto* centre = new QWidget(this);
    setCentralWidget(centre);
    // The five lines a host writes: a parent widget, the viewer on it, and the signals it wants.
    m_viewer = new NuvViewerImageWnd(centre);
    connect(m_viewer, &NuvViewerImageWnd::wndButtonclick, this,
            [this](int, const QString& camera, NuvViewerImageWnd::ButtonType type) {
                if (camera.isEmpty()) return;
                if (type == NuvViewerImageWnd::StartGrab) start(camera);
                if (type == NuvViewerImageWnd::StopGrab) ZavizoZoz3::StopGrab(camera.toStdString());
                Control::postDeviceList(1);  // the panes follow the camera's grab state
            });
    connect(m_viewer, &NuvViewerImageWnd::selectWndChanged, this,
            [this](int pane) { statusBar()->showMessage(tr("Pane %1 selected").arg(pane)); });

    auto* layouts = new QComboBox(this);
    layouts->addItem(tr("1 pane"), NuvViewerImageWnd::Layout1x1);
    layouts->addItem(tr("2 panes"), NuvViewerImageWnd::Layout1x2);
    layouts->addItem(tr("4 panes"), NuvViewerImageWnd::Layout2x2);
    connect(layouts, qOverload<int>(&QComboBox::currentIndexChanged), this, [this, layouts](int index) {
        m_viewer->setWndLayout(static_cast<NuvViewerImageWnd::WndLayout>(layouts->itemData(index).toInt()));
    });
    addToolBar(tr("Layout"))->addWidget(layouts);
    statusBar()->showMessage(tr("Starting the simulated profiler"));
    resize(1000, 700);

    Control::installPayloadEncoder();
    m_camera = Control::addCamera(Control::CameraKind::LaserProfiler, "LP-3200");
}

HostWindow::~HostWindow() {
    if (!m_camera.empty()) ZavizoZoz3::StopGrab(m_camera);
    delete m_viewer;  // before the business layer goes: the viewer unregisters its listeners
    Control::reset();
}

void HostWindow::startProfiler() {
    Control::setConnected(m_camera, true);
    Control::setOpen(m_camera, true);
    Control::postDeviceList(1);
    Control::waitIdle();
    // The device list reaches the viewer queued on this thread; start once it has bound the camera.
    QMetaObject::invokeMethod(
        this,
        [this]() {
            start(QString::fromStdString(m_camera));
            Control::postDeviceList(1);
            statusBar()->showMessage(tr("%1 streams into pane 1").arg(QString::fromStdString(m_camera)));
        },
        Qt::QueuedConnection);
}

void HostWindow::start(const QString& camera) {
    const std::string key = camera.toStdString();
    // A 3D scan needs its buffers sized from the camera before the first batch arrives.
    if (ZavizoZoz3::GetCameraImageMode(key) == 2) m_viewer->initRangeImageDisplay(camera);
    ZavizoZoz3::StartGrab(key);
}
