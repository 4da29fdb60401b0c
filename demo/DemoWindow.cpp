#include "DemoWindow.h"

#include "CameraPanel.h"
#include "CorrectionHostPanel.h"
#include "DeviceListWidget.h"
#include "SaveSettingsPanel.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "NuvViewerImageWnd.h"
#include "ZavizoZoz3.h"
#include "ZavizoZoz3Control.h"

namespace Control = ZavizoZoz3::Control;

DemoWindow::DemoWindow(QWidget* parent) : QMainWindow(parent) {
    auto* splitter = new QSplitter(this);

    auto* side = new QWidget(splitter);
    auto* sideLayout = new QVBoxLayout(side);
    m_hint = new QLabel(side);
    m_hint->setWordWrap(true);
    m_hint->setStyleSheet(
        QStringLiteral("QLabel{background: #FFF4CE; border: 1px solid #E0C060; padding: 6px;}"));
    sideLayout->addWidget(m_hint);
    m_devicesLabel = new QLabel(side);
    sideLayout->addWidget(m_devicesLabel);
    m_devices = new DeviceListWidget(side);
    sideLayout->addWidget(m_devices, 1);
    m_layoutLabel = new QLabel(side);
    sideLayout->addWidget(m_layoutLabel);
    m_layout = new QComboBox(side);
    m_layout->addItem(QStringLiteral("1"), 1);
    m_layout->addItem(QStringLiteral("1x2"), 2);
    m_layout->addItem(QStringLiteral("2x2"), 4);
    sideLayout->addWidget(m_layout);
    m_languageLabel = new QLabel(side);
    sideLayout->addWidget(m_languageLabel);
    m_language = new QComboBox(side);
    m_language->setObjectName(QStringLiteral("comboBoxLanguage"));
    // Each language is named in itself, so a user who cannot read the other one still finds it.
    m_language->addItem(QStringLiteral("English"), QStringLiteral("en"));
    m_language->addItem(QStringLiteral("\u4e2d\u6587"), QStringLiteral("zh_CN"));
    sideLayout->addWidget(m_language);
    m_push = new QPushButton(side);
    sideLayout->addWidget(m_push);
    connect(m_push, &QPushButton::clicked, this, &DemoWindow::pushTestFrame);
    m_readout = new QCheckBox(side);
    sideLayout->addWidget(m_readout);
    connect(m_readout, &QCheckBox::toggled, this, &DemoWindow::setPixelReadoutVisible);
    m_panels = new QTabWidget(side);
    sideLayout->addWidget(m_panels);

    auto* host = new QWidget(splitter);
    host->setObjectName(QStringLiteral("viewerHost"));
    host->setMinimumSize(640, 480);
    m_viewer = new NuvViewerImageWnd(host);
    splitter->addWidget(side);
    splitter->addWidget(host);
    splitter->setStretchFactor(1, 1);
    // Wide enough for the panels' labels and values side by side.
    splitter->setSizes({390, 890});
    setCentralWidget(splitter);
    // There from the start, so nothing moves when the first message comes.
    m_pixelInfo = new QLabel(this);
    statusBar()->addPermanentWidget(m_pixelInfo);

    Control::installPayloadEncoder();
    // The business layer's ROI draw events must reach the viewer on this (the GUI) thread.
    Control::setRoiDrawScheduler([]() {
        QMetaObject::invokeMethod(
            qApp, []() { Control::deliverRoiDraws(); }, Qt::QueuedConnection);
    });
    const std::string profiler = Control::addCamera(Control::CameraKind::LaserProfiler, "LP-3200");
    // A starting set-up to edit on the 2D picture: a band of 600 rows and the first mask on.
    ZavizoZoz3::SetCameraNodeValue(profiler, "Height", "600");
    ZavizoZoz3::SetCameraNodeValue(profiler, "OffsetY", "200");
    ZavizoZoz3::SetCameraNodeValue(profiler, "ImageMaskerSelector", "ImageMasker0");
    ZavizoZoz3::SetCameraNodeValue(profiler, "ImageMask", "1");
    Control::deliverRoiDraws();
    m_camera = new CameraPanel();
    m_saveSettings = new SaveSettingsPanel();
    m_correction = new CorrectionHostPanel(profiler);
    // Scrolled, so that a small window still reaches every row.
    for (QWidget* panel : {static_cast<QWidget*>(m_camera), static_cast<QWidget*>(m_saveSettings),
                           static_cast<QWidget*>(m_correction)}) {
        auto* scroll = new QScrollArea(m_panels);
        scroll->setWidgetResizable(true);
        scroll->setFrameShape(QFrame::NoFrame);
        scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        scroll->setWidget(panel);
        m_panels->addTab(scroll, QString());
    }
    addCameraItem(QString::fromStdString(profiler), true);
    addCameraItem(QString::fromStdString(Control::addCamera(Control::CameraKind::AreaScan, "AS-2048")),
                  false);

    connect(m_devices, &QListWidget::itemChanged, this, &DemoWindow::onItemChanged);
    connect(m_layout, QOverload<int>::of(&QComboBox::currentIndexChanged), this, [this](int index) {
        Control::postLayout(static_cast<ZavizoZoz3::LAYOUT_TYPE>(m_layout->itemData(index).toInt()));
    });
    // A layout change or a drop may bring the hidden pane into view at any time.
    auto* hintTimer = new QTimer(this);
    connect(hintTimer, &QTimer::timeout, this, [this]() {
        if (!m_hiddenCamera.isEmpty()) updateHint();
        followCurrentPane();
    });
    hintTimer->start(500);
    connect(m_language, QOverload<int>::of(&QComboBox::currentIndexChanged), this, [this](int index) {
        Control::postLanguage(m_language->itemData(index).toString().toStdString());
    });
    connect(m_viewer, &NuvViewerImageWnd::wndButtonclick, this,
            [this](int wndId, QString camId, NuvViewerImageWnd::ButtonType type) {
                onButtonClicked(wndId, camId, static_cast<int>(type));
            });
    connect(m_viewer, &NuvViewerImageWnd::dropWndSuccess, this, &DemoWindow::onCameraBound);
    connect(m_viewer, &NuvViewerImageWnd::selectWndChanged, this, [this](int wndId) {
        statusBar()->showMessage(tr("Pane %1 selected").arg(wndId), 3000);
        followCurrentPane();
    });
    connect(m_viewer, &NuvViewerImageWnd::wndMouseMoveInfo, this, &DemoWindow::onMouseMoveInfo);
    retranslateUi();
    resize(1280, 800);
}

void DemoWindow::retranslateUi() {
    setWindowTitle(tr("Camera Viewer Demo"));
    updateHint();
    m_devicesLabel->setText(tr("Devices"));
    m_layoutLabel->setText(tr("Layout"));
    m_languageLabel->setText(tr("Language"));
    m_push->setText(tr("Push frame to current pane"));
    m_push->setToolTip(tr("Shows a host-made frame in the selected pane (switched to the 2D view)"));
    m_readout->setText(tr("Pixel read-out on the image"));
    m_panels->setTabText(0, tr("Camera"));
    m_panels->setTabText(1, tr("Save settings"));
    m_panels->setTabText(2, tr("Calibration"));
    for (int i = 0; i < m_devices->count(); ++i) {
        QListWidgetItem* item = m_devices->item(i);
        const QString kind = item->data(Qt::UserRole + 1).toBool() ? tr("laser profiler") : tr("area scan");
        item->setText(QStringLiteral("%1 (%2)").arg(item->data(Qt::UserRole).toString(), kind));
    }
}

void DemoWindow::showPanel(int index) {
    if (index >= 0 && index < m_panels->count()) m_panels->setCurrentIndex(index);
}

void DemoWindow::followCurrentPane() {
    // The pane's title is its camera's key; a pane without a camera names none. A current pane
    // the layout hides gives way to the first shown pane with a camera: the panel is for what the
    // user looks at.
    const auto cameraOf = [this](int pane) {
        QString title;
        return m_viewer->getImageWndTitle(pane, &title) == 0 ? title : QString();
    };
    const int current = m_viewer->getCurrentWnd();
    QString title = m_viewer->isWndShown(current) ? cameraOf(current) : QString();
    for (int pane = 1; title.isEmpty() && !m_viewer->isWndShown(current) && pane <= 4; ++pane) {
        if (m_viewer->isWndShown(pane)) title = cameraOf(pane);
    }
    if (title != m_camera->camera() || title.isEmpty()) m_camera->setCamera(title);
}

void DemoWindow::changeEvent(QEvent* event) {
    // The viewer installs its translator when the business layer changes the language.
    if (event->type() == QEvent::LanguageChange) retranslateUi();
    QMainWindow::changeEvent(event);
}

void DemoWindow::onCameraBound(int wndId) {
    QString title;
    m_viewer->getImageWndTitle(wndId, &title);
    const std::string kind = ZavizoZoz3::GetCameraInfo(title.toStdString(), ZavizoZoz3::CAM_INFO_DEVICE_KIND);
    // Area-scan cameras get the 2D view; profilers keep the profiler view every pane starts with.
    if (kind == ZavizoZoz3::kDeviceKindAreaScan)
        m_viewer->setImageWndMode(wndId, NuvViewerImageWnd::Mode2D);
    else
        Control::raiseRoiDraws(title.toStdString());  // its ROI, masks and column window
    const bool hidden = !m_viewer->isWndShown(wndId);
    m_bound.insert(title);
    if (hidden) {
        // Stays in the hint box until the layout shows more panes or the camera goes.
        m_hiddenCamera = title;
        m_hiddenPane = wndId;
    }
    updateHint();
    statusBar()->showMessage(tr("%1 is shown in pane %2").arg(title).arg(wndId), 4000);
}

void DemoWindow::updateHint() {
    if (m_bound.isEmpty()) {
        m_hint->setText(tr("Tick a camera to connect it"));
    } else if (!m_hiddenCamera.isEmpty() && m_bound.contains(m_hiddenCamera) &&
               !m_viewer->isWndShown(m_hiddenPane)) {
        m_hint->setText(
            tr("%1 is in pane %2, which layout 1 does not show: choose layout 1x2 or 2x2, or drag "
               "the camera from the list onto the view")
                .arg(m_hiddenCamera)
                .arg(m_hiddenPane));
    } else {
        m_hiddenCamera.clear();
        m_hint->hide();
        return;
    }
    m_hint->show();
}

void DemoWindow::onMouseMoveInfo(int wndId, QPoint pos, QColor color, float zoom) {
    QString value;
    if (!color.isValid()) {
        value = tr("no data");
    } else if (color.red() == color.green() && color.green() == color.blue()) {
        // A camera with more than 8 bits per pixel sends its true value in the 16-bit channels.
        QString title;
        m_viewer->getImageWndTitle(wndId, &title);
        std::string format;
        ZavizoZoz3::GetCameraNodeValue(title.toStdString(), "PixelFormat", format);
        const bool wide = QString::fromStdString(format).startsWith(QLatin1String("Mono1"));
        value = tr("Value: %1").arg(wide ? color.rgba64().red() : color.red());
    } else {
        value = tr("RGB: %1, %2, %3").arg(color.red()).arg(color.green()).arg(color.blue());
    }
    m_pixelInfo->setText(tr("Pane %1  X: %2  Y: %3  %4  Zoom: %5%")
                             .arg(wndId)
                             .arg(pos.x())
                             .arg(pos.y())
                             .arg(value)
                             .arg(zoom * 100.0, 0, 'f', 0));
}

void DemoWindow::setPixelReadoutVisible(bool visible) {
    if (m_readout->isChecked() != visible) m_readout->setChecked(visible);
    m_viewer->setPixelReadoutVisible(visible);
}

void DemoWindow::selectLanguage(const QString& language) {
    const int index = m_language->findData(language);
    if (index >= 0) m_language->setCurrentIndex(index);
}

DemoWindow::~DemoWindow() {
    delete m_viewer;
    Control::reset();
}

void DemoWindow::pushTestFrame() {
    int wnd = m_viewer->getCurrentWnd();
    if (wnd < 1 || wnd > 4) {
        wnd = 1;
        statusBar()->showMessage(tr("No pane selected: the frame goes to pane 1"), 4000);
    }
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
    // The panes' own buttons, found by name as a user finds them: the profiler view's multi-frame
    // save (maybe parked in its overflow menu) and the 2D view's record button.
    for (QPushButton* button : findChildren<QPushButton*>(QStringLiteral("btnMultiSave"))) {
        QWidget* view = button->parentWidget();
        while (view != nullptr && !view->inherits("Image3DWnd"))
            view = view->parentWidget();
        const bool shown = !button->isHidden() || button->property("inMenu").toBool();
        if (view != nullptr && view->isVisible() && shown) button->click();
    }
    for (QPushButton* button : findChildren<QPushButton*>(QStringLiteral("btnRecording"))) {
        if (button->isVisible() && button->isEnabled()) button->click();
    }
}

void DemoWindow::addCameraItem(const QString& key, bool profiler) {
    auto* item = new QListWidgetItem(key, m_devices);
    item->setData(Qt::UserRole, key);
    item->setData(Qt::UserRole + 1, profiler);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable | Qt::ItemIsDragEnabled);
    item->setCheckState(Qt::Unchecked);
}

bool DemoWindow::addGenICamCameras(bool realCameras) {
    if (!Control::genicamAvailable()) return false;
    const auto scan = realCameras ? Control::GenICamScan::RealCameras : Control::GenICamScan::FakeOnly;
    for (const std::string& key : Control::scanGenICamCameras(scan)) {
        if (m_devices->findItems(QString::fromStdString(key), Qt::MatchExactly).isEmpty())
            addCameraItem(QString::fromStdString(key), false);
    }
    retranslateUi();
    return true;
}

bool DemoWindow::addLoopbackGigECamera() {
    if (!Control::serveLoopbackGigECamera(true)) return false;
    const std::string key = Control::addGigECameraByAddress(Control::kLoopbackAddress);
    if (key.empty()) return false;
    if (m_devices->findItems(QString::fromStdString(key), Qt::MatchExactly).isEmpty())
        addCameraItem(QString::fromStdString(key), false);
    retranslateUi();
    return true;
}

void DemoWindow::onItemChanged(QListWidgetItem* item) {
    const std::string key = item->data(Qt::UserRole).toString().toStdString();
    const bool connect = item->checkState() == Qt::Checked;
    Control::setConnected(key, connect);
    Control::setOpen(key, connect);
    Control::postDeviceList(1);
    if (!connect) {
        m_bound.remove(QString::fromStdString(key));
        updateHint();
        if (m_camera->camera() == item->data(Qt::UserRole).toString()) m_camera->setCamera(QString());
    }
}

void DemoWindow::disconnectAll() {
    for (int i = 0; i < m_devices->count(); ++i)
        m_devices->item(i)->setCheckState(Qt::Unchecked);
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
    statusBar()->showMessage(type == NuvViewerImageWnd::StartGrab
                                 ? tr("Pane %1: acquisition started").arg(wndId)
                                 : tr("Pane %1: acquisition stopped").arg(wndId),
                             3000);
}
