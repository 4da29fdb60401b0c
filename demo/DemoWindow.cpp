#include "DemoWindow.h"

#include "DeviceListWidget.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

#include "Image2DWnd.h"
#include "Image3DWnd.h"
#include "NuvViewerImageWnd.h"
#include "ZavizoZoz3.h"
#include "ZavizoZoz3Control.h"

namespace Control = ZavizoZoz3::Control;

DemoWindow::DemoWindow(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(tr("Camera Viewer Demo"));
    auto* splitter = new QSplitter(this);

    auto* side = new QWidget(splitter);
    auto* sideLayout = new QVBoxLayout(side);
    sideLayout->addWidget(new QLabel(tr("Devices"), side));
    m_devices = new DeviceListWidget(side);
    sideLayout->addWidget(m_devices, 1);
    sideLayout->addWidget(new QLabel(tr("Layout"), side));
    m_layout = new QComboBox(side);
    m_layout->addItem(QStringLiteral("1"), 1);
    m_layout->addItem(QStringLiteral("1x2"), 2);
    m_layout->addItem(QStringLiteral("2x2"), 4);
    sideLayout->addWidget(m_layout);
    sideLayout->addWidget(new QLabel(tr("Language"), side));
    m_language = new QComboBox(side);
    m_language->addItem(QStringLiteral("English"), QStringLiteral("en"));
    m_language->addItem(QStringLiteral("\u4e2d\u6587"), QStringLiteral("zh_CN"));
    sideLayout->addWidget(m_language);
    auto* push = new QPushButton(tr("Push frame to current pane"), side);
    push->setToolTip(tr("Shows a host-made frame in the selected pane (switched to the 2D view)"));
    sideLayout->addWidget(push);
    connect(push, &QPushButton::clicked, this, &DemoWindow::pushTestFrame);
    // Where the save buttons of the panes write (the business layer's save settings).
    auto* saveHint = new QLabel(
        tr("Saved files go to:\n%1\nRecordings to:\n%2")
            .arg(QString::fromStdString(ZavizoZoz3::GetParamterInfo(ZavizoZoz3::PARAMETER_SAVE_DIR)),
                 QString::fromStdString(ZavizoZoz3::GetParamterInfo(ZavizoZoz3::PARAMETER_RECORD_DIR))),
        side);
    saveHint->setWordWrap(true);
    saveHint->setTextInteractionFlags(Qt::TextSelectableByMouse);
    sideLayout->addWidget(saveHint);

    auto* host = new QWidget(splitter);
    host->setMinimumSize(640, 480);
    m_viewer = new NuvViewerImageWnd(host);
    splitter->addWidget(side);
    splitter->addWidget(host);
    splitter->setStretchFactor(1, 1);
    setCentralWidget(splitter);

    Control::installPayloadEncoder();
    addCameraItem(QString::fromStdString(Control::addCamera(Control::CameraKind::LaserProfiler, "LP-3200")),
                  tr("laser profiler"));
    addCameraItem(QString::fromStdString(Control::addCamera(Control::CameraKind::AreaScan, "AS-2048")),
                  tr("area scan"));

    connect(m_devices, &QListWidget::itemChanged, this, &DemoWindow::onItemChanged);
    connect(m_layout, QOverload<int>::of(&QComboBox::currentIndexChanged), this, [this](int index) {
        Control::postLayout(static_cast<ZavizoZoz3::LAYOUT_TYPE>(m_layout->itemData(index).toInt()));
    });
    connect(m_language, QOverload<int>::of(&QComboBox::currentIndexChanged), this, [this](int index) {
        Control::postLanguage(m_language->itemData(index).toString().toStdString());
    });
    connect(m_viewer, &NuvViewerImageWnd::wndButtonclick, this,
            [this](int wndId, QString camId, NuvViewerImageWnd::ButtonType type) {
                onButtonClicked(wndId, camId, static_cast<int>(type));
            });
    // Area-scan cameras get the 2D view; profilers keep the profiler view every pane starts with.
    connect(m_viewer, &NuvViewerImageWnd::dropWndSuccess, this, [this](int wndId) {
        QString title;
        m_viewer->getImageWndTitle(wndId, &title);
        const std::string kind =
            ZavizoZoz3::GetCameraInfo(title.toStdString(), ZavizoZoz3::CAM_INFO_DEVICE_KIND);
        if (kind == ZavizoZoz3::kDeviceKindAreaScan)
            m_viewer->setImageWndMode(wndId, NuvViewerImageWnd::Mode2D);
    });
    connect(m_viewer, &NuvViewerImageWnd::selectWndChanged, this,
            [this](int wndId) { statusBar()->showMessage(tr("Pane %1 selected").arg(wndId), 3000); });
    resize(1280, 800);
}

DemoWindow::~DemoWindow() {
    delete m_viewer;
    Control::reset();
}

void DemoWindow::pushTestFrame() {
    int wnd = m_viewer->getCurrentWnd();
    if (wnd < 1 || wnd > 4) wnd = 4;
    m_viewer->setImageWndMode(wnd, NuvViewerImageWnd::Mode2D);
    QImage frame(1280, 960, QImage::Format_RGB888);
    QPainter painter(&frame);
    QLinearGradient gradient(0, 0, 1280, 960);
    gradient.setColorAt(0, QColor(30, 40, 60));
    gradient.setColorAt(1, QColor(200, 210, 230));
    painter.fillRect(frame.rect(), gradient);
    painter.setPen(QPen(Qt::yellow, 6));
    painter.drawEllipse(QPoint(640 + (m_pushedFrames * 37) % 400 - 200, 480), 180, 180);
    painter.setFont(QFont(QStringLiteral("DejaVu Sans"), 48));
    painter.drawText(frame.rect(), Qt::AlignCenter, tr("Host frame %1").arg(++m_pushedFrames));
    painter.end();
    m_viewer->show2DImage(wnd, frame);
}

void DemoWindow::selectLayout(int layout) {
    const int index = m_layout->findData(layout);
    if (index >= 0) m_layout->setCurrentIndex(index);
}

void DemoWindow::connectAll(bool startGrab) {
    for (int i = 0; i < m_devices->count(); ++i)
        m_devices->item(i)->setCheckState(Qt::Checked);
    if (!startGrab) return;
    // Once the business layer has bound the cameras, start them as a user would.
    QTimer::singleShot(300, this, [this]() {
        for (int i = 0; i < m_devices->count(); ++i) {
            const QString key = m_devices->item(i)->data(Qt::UserRole).toString();
            onButtonClicked(i + 1, key, NuvViewerImageWnd::StartGrab);
        }
    });
}

void DemoWindow::startSaving() {
    for (Image3DWnd* view : findChildren<Image3DWnd*>()) {
        if (view->isVisible() && !view->btnMultiSave->isHidden()) view->btnMultiSave->click();
    }
    for (Image2DWnd* view : findChildren<Image2DWnd*>()) {
        if (view->isVisible()) view->btnRecording->click();
    }
}

void DemoWindow::addCameraItem(const QString& key, const QString& kind) {
    auto* item = new QListWidgetItem(QStringLiteral("%1 (%2)").arg(key, kind), m_devices);
    item->setData(Qt::UserRole, key);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable | Qt::ItemIsDragEnabled);
    item->setCheckState(Qt::Unchecked);
}

void DemoWindow::onItemChanged(QListWidgetItem* item) {
    const std::string key = item->data(Qt::UserRole).toString().toStdString();
    const bool connect = item->checkState() == Qt::Checked;
    Control::setConnected(key, connect);
    Control::setOpen(key, connect);
    Control::postDeviceList(1);
}

void DemoWindow::onButtonClicked(int wndId, const QString& camId, int type) {
    if (camId.isEmpty()) return;
    const std::string key = camId.toStdString();
    if (type == NuvViewerImageWnd::StartGrab) {
        // A 3D scan needs its buffers sized from the camera before the first batch arrives.
        if (ZavizoZoz3::GetCameraImageMode(key) == 2) m_viewer->initRangeImageDisplay(camId);
        ZavizoZoz3::StartGrab(key);
    } else {
        ZavizoZoz3::StopGrab(key);
    }
    Control::postDeviceList(1);
    statusBar()->showMessage(tr("Pane %1: %2").arg(wndId).arg(type == 1 ? tr("start") : tr("stop")), 3000);
}
