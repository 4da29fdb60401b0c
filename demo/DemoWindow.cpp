// SPDX-License-Identifier: Apache-2.0
#include "DemoWindow.h"

#include "CameraPanel.h"
#include "CorrectionHostPanel.h"
#include "DeviceListWidget.h"
#include "SaveSettingsPanel.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QSettings>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include "CMessageBox.h"
#include "ModalSeam.h"
#include "NuvViewerImageWnd.h"
#include "SavedFileReader.h"
#include "ZavizoZoz3.h"
#include "ZavizoZoz3Control.h"

namespace Control = ZavizoZoz3::Control;

DemoWindow::DemoWindow(QWidget* parent) : QMainWindow(parent) {
    auto* splitter = new QSplitter(this);
    m_splitter = splitter;
    splitter->setObjectName(QStringLiteral("mainSplitter"));

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
    setWindowIcon(QIcon(QStringLiteral(":/app/nuvviewer.svg")));
    createActions();
    retranslateUi();
    resize(1280, 800);
}

void DemoWindow::retranslateUi() {
    setWindowTitle(tr("NuvViewer"));
    m_fileMenu->setTitle(tr("&File"));
    m_viewMenu->setTitle(tr("&View"));
    m_layoutMenu->setTitle(tr("Layout"));
    m_languageMenu->setTitle(tr("Language"));
    m_helpMenu->setTitle(tr("&Help"));
    m_toolBar->setWindowTitle(tr("Current pane"));
    for (const ActionText& entry : m_actionTexts) {
        const QString text = tr(entry.text);
        entry.action->setText(text);
        const QKeySequence keys = entry.action->shortcut();
        entry.action->setToolTip(keys.isEmpty() ? QString(text).remove(QLatin1Char('&'))
                                                : tr("%1 (%2)").arg(QString(text).remove(QLatin1Char('&')),
                                                                    keys.toString(QKeySequence::NativeText)));
    }
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
        // A picture opened from a file has no camera: an 8-bit one widens each value v to v * 257.
        const bool wide = m_bound.contains(title)
                              ? QString::fromStdString(format).startsWith(QLatin1String("Mono1"))
                              : color.rgba64().red() != color.red() * 257;
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

// ---- menus and shortcuts --------------------------------------------------------------------

QAction* DemoWindow::addMenuAction(QMenu* menu, const char* name, const char* text, const QKeySequence& keys,
                                   const std::function<void()>& triggered) {
    auto* action = new QAction(this);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(keys);
    // Also on the window itself, so the keys work in full screen and wherever the focus is.
    addAction(action);
    if (menu != nullptr) menu->addAction(action);
    connect(action, &QAction::triggered, this, triggered);
    m_actionTexts.append({action, text});
    return action;
}

void DemoWindow::createActions() {
    m_fileMenu = menuBar()->addMenu(QString());
    m_viewMenu = menuBar()->addMenu(QString());
    m_helpMenu = menuBar()->addMenu(QString());
    m_toolBar = addToolBar(QString());
    m_toolBar->setObjectName(QStringLiteral("paneToolBar"));
    m_toolBar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    using Wnd = NuvViewerImageWnd;

    m_toolBar->addAction(addMenuAction(m_fileMenu, "actionOpen", QT_TR_NOOP("&Open..."), QKeySequence::Open,
                                       [this]() { chooseFileToOpen(); }));
    m_toolBar->addAction(addMenuAction(m_fileMenu, "actionSave", QT_TR_NOOP("&Save current frame"),
                                       QKeySequence::Save, [this]() { paneAction(Wnd::ActionSingleSave); }));
    m_toolBar->addAction(addMenuAction(m_fileMenu, "actionCopy", QT_TR_NOOP("&Copy frame"),
                                       QKeySequence::Copy, [this]() { copyCurrentFrame(); }));
    m_fileMenu->addSeparator();
    addMenuAction(m_fileMenu, "actionQuit", QT_TR_NOOP("&Quit"), QKeySequence::Quit, [this]() { close(); });

    m_toolBar->addSeparator();
    const struct {
        const char* name;
        const char* text;
        QKeySequence keys;
        int action;
    } zoom[] = {
        {"actionZoomFit", QT_TR_NOOP("Fit"), QKeySequence(Qt::CTRL | Qt::Key_0), Wnd::ActionZoomFit},
        {"actionZoom100", QT_TR_NOOP("1:1"), QKeySequence(Qt::CTRL | Qt::Key_1), Wnd::ActionZoom100},
        {"actionZoomIn", QT_TR_NOOP("Zoom in"), QKeySequence(QKeySequence::ZoomIn), Wnd::ActionZoomIn},
        {"actionZoomOut", QT_TR_NOOP("Zoom out"), QKeySequence(QKeySequence::ZoomOut), Wnd::ActionZoomOut},
        {"actionStartGrab", QT_TR_NOOP("Start"), QKeySequence(Qt::Key_F5), Wnd::ActionStartGrab},
        {"actionStopGrab", QT_TR_NOOP("Stop"), QKeySequence(Qt::SHIFT | Qt::Key_F5), Wnd::ActionStopGrab},
    };
    for (const auto& z : zoom) {
        const int action = z.action;
        m_toolBar->addAction(
            addMenuAction(m_viewMenu, z.name, z.text, z.keys, [this, action]() { paneAction(action); }));
        if (action == Wnd::ActionZoomOut) m_viewMenu->addSeparator();
    }
    m_viewMenu->addSeparator();
    QAction* full = addMenuAction(m_viewMenu, "actionFullScreen", QT_TR_NOOP("Full screen"),
                                  QKeySequence(Qt::Key_F11), [this]() { toggleFullScreen(); });
    full->setCheckable(true);
    m_toolBar->addSeparator();
    m_toolBar->addAction(full);

    m_layoutMenu = m_viewMenu->addMenu(QString());
    auto* layouts = new QActionGroup(this);
    for (int i = 0; i < m_layout->count(); ++i) {
        QAction* choice = m_layoutMenu->addAction(m_layout->itemText(i));
        choice->setObjectName(QStringLiteral("actionLayout%1").arg(m_layout->itemData(i).toInt()));
        choice->setCheckable(true);
        choice->setChecked(i == m_layout->currentIndex());
        layouts->addAction(choice);
        connect(choice, &QAction::triggered, this, [this, i]() { m_layout->setCurrentIndex(i); });
        connect(m_layout, QOverload<int>::of(&QComboBox::currentIndexChanged), choice,
                [choice, i](int index) { choice->setChecked(index == i); });
    }
    m_languageMenu = m_viewMenu->addMenu(QString());
    auto* languages = new QActionGroup(this);
    for (int i = 0; i < m_language->count(); ++i) {
        // Named in itself, as in the side panel's list.
        QAction* choice = m_languageMenu->addAction(m_language->itemText(i));
        choice->setObjectName(QStringLiteral("actionLanguage_") + m_language->itemData(i).toString());
        choice->setCheckable(true);
        choice->setChecked(i == m_language->currentIndex());
        languages->addAction(choice);
        connect(choice, &QAction::triggered, this, [this, i]() { m_language->setCurrentIndex(i); });
        connect(m_language, QOverload<int>::of(&QComboBox::currentIndexChanged), choice,
                [choice, i](int index) { choice->setChecked(index == i); });
    }
    addMenuAction(m_helpMenu, "actionAbout", QT_TR_NOOP("&About NuvViewer"), QKeySequence(),
                  [this]() { showAbout(); });
}

int DemoWindow::targetPane() const {
    const int current = m_viewer->getCurrentWnd();
    if (current >= 1 && current <= 4 && m_viewer->isWndShown(current)) return current;
    for (int pane = 1; pane <= 4; ++pane) {
        if (m_viewer->isWndShown(pane)) return pane;
    }
    return 1;
}

void DemoWindow::paneAction(int action) {
    const int pane = targetPane();
    if (m_viewer->triggerWndAction(pane, static_cast<NuvViewerImageWnd::WndAction>(action)) != 0)
        statusBar()->showMessage(tr("Pane %1 cannot do that now").arg(pane), 3000);
}

void DemoWindow::toggleFullScreen() {
    setWindowState(windowState() ^ Qt::WindowFullScreen);
    if (auto* full = findChild<QAction*>(QStringLiteral("actionFullScreen")))
        full->setChecked(isFullScreen());
}

void DemoWindow::showMessage(const QString& title, const QString& text, int level) {
    CMessageBox box(title, text, level, this);
    box.setButtonText(0, tr("OK"));
    box.setButtonHidden(1, true);
    box.exec();
}

void DemoWindow::showAbout() {
    showMessage(tr("About NuvViewer"),
                tr("NuvViewer %1\n\nShows, records and saves the images of area-scan cameras and laser "
                   "profilers, and opens saved frames again.\n\nLicensed under the Apache License 2.0.")
                    .arg(QCoreApplication::applicationVersion()),
                CMessageBox::Information);
}

bool DemoWindow::copyCurrentFrame() {
    const int pane = targetPane();
    QImage frame;
    if (m_viewer->get2DImage(pane, &frame) != 0 || frame.isNull()) {
        statusBar()->showMessage(tr("Pane %1 shows no picture to copy").arg(pane), 4000);
        return false;
    }
    QGuiApplication::clipboard()->setImage(frame);
    statusBar()->showMessage(tr("Picture of pane %1 copied").arg(pane), 3000);
    return true;
}

// ---- opening saved files --------------------------------------------------------------------

void DemoWindow::chooseFileToOpen() {
    const QString start =
        m_lastFolder.isEmpty()
            ? QString::fromStdString(ZavizoZoz3::GetParamterInfo(ZavizoZoz3::PARAMETER_SAVE_DIR))
            : m_lastFolder;
    const QString path =
        ModalSeam::getOpenFileName(this, tr("Open a saved frame"), start, SavedFileReader::dialogFilter());
    if (path.isEmpty()) return;  // cancelled
    m_lastFolder = QFileInfo(path).absolutePath();
    openFile(path);
}

int DemoWindow::openFile(const QString& path) {
    const SavedFileReader::Result file = SavedFileReader::read(path);
    if (file.kind == SavedFileReader::Unreadable) {
        showMessage(tr("Open"), file.error, CMessageBox::Warning);
        return -1;
    }
    // A pane with a camera keeps it: the file goes to a free one, on screen if possible.
    const auto free = [this](int pane) {
        QString title;
        return m_viewer->getImageWndTitle(pane, &title) == 0 && !m_bound.contains(title);
    };
    int pane = targetPane();
    for (int candidate = 1; !free(pane) && candidate <= 4; ++candidate) {
        if (free(candidate) && m_viewer->isWndShown(candidate)) pane = candidate;
    }
    for (int candidate = 1; !free(pane) && candidate <= 4; ++candidate) {
        if (free(candidate)) pane = candidate;
    }
    if (!free(pane)) {
        showMessage(tr("Open"),
                    tr("Every pane shows a camera: release one to open %1").arg(QFileInfo(path).fileName()),
                    CMessageBox::Warning);
        return -1;
    }
    if (!m_viewer->isWndShown(pane)) selectLayout(pane <= 2 ? 2 : 4);
    if (file.kind == SavedFileReader::Picture) {
        m_viewer->setImageWndMode(pane, NuvViewerImageWnd::Mode2D);
        QImage picture = file.picture;
        m_viewer->show2DImage(pane, picture);
    } else {
        m_viewer->setImageWndMode(pane, NuvViewerImageWnd::Mode3D);
        if (m_viewer->showRangeImage(pane, file.range) != 0) {
            showMessage(tr("Open"), tr("%1 is too large to show").arg(QFileInfo(path).fileName()),
                        CMessageBox::Warning);
            return -1;
        }
    }
    m_viewer->setCurrentWnd(pane);
    statusBar()->showMessage(tr("%1 opened in pane %2").arg(QFileInfo(path).fileName()).arg(pane), 4000);
    return pane;
}

// ---- settings -------------------------------------------------------------------------------

void DemoWindow::closeEvent(QCloseEvent* event) {
    // Written back only when read at the start: a run with the defaults leaves them alone.
    if (m_settingsRestored) saveSettings();
    QMainWindow::closeEvent(event);
}

void DemoWindow::saveSettings() const {
    QSettings settings;
    settings.setValue(QStringLiteral("window/geometry"), saveGeometry());
    settings.setValue(QStringLiteral("window/state"), saveState());
    settings.setValue(QStringLiteral("window/splitter"), m_splitter->saveState());
    settings.setValue(QStringLiteral("window/panel"), m_panels->currentIndex());
    settings.setValue(QStringLiteral("view/layout"), m_layout->currentData().toInt());
    settings.setValue(QStringLiteral("view/language"), m_language->currentData().toString());
    settings.setValue(QStringLiteral("view/readout"), m_readout->isChecked());
    settings.setValue(QStringLiteral("files/lastFolder"), m_lastFolder);
    settings.beginGroup(QStringLiteral("save"));
    settings.remove(QString());
    const QMap<int, QString> values = m_saveSettings->values();
    for (auto it = values.constBegin(); it != values.constEnd(); ++it)
        settings.setValue(QString::number(it.key()), it.value());
    settings.endGroup();
    settings.beginGroup(QStringLiteral("panes"));
    for (int pane = 1; pane <= 4; ++pane) {
        QString title;
        m_viewer->getImageWndTitle(pane, &title);
        // Only a camera's key; a pane showing an opened file or a host frame has none.
        settings.setValue(QString::number(pane), m_bound.contains(title) ? title : QString());
    }
    settings.endGroup();
    // How each pane shows deep images, as the user set it in the pane's "Display range" popup.
    settings.beginGroup(QStringLiteral("displayRange"));
    for (int pane = 1; pane <= 4; ++pane) {
        NuvViewerImageWnd::DisplayRange range;
        if (m_viewer->getDisplayRange(pane, &range) == 0)
            settings.setValue(QString::number(pane), range.toString());
    }
    settings.endGroup();
}

void DemoWindow::restoreSettings() {
    m_settingsRestored = true;
    QSettings settings;
    // A file the settings cannot parse reads as empty: every value below keeps its default.
    restoreGeometry(settings.value(QStringLiteral("window/geometry")).toByteArray());
    restoreState(settings.value(QStringLiteral("window/state")).toByteArray());
    m_splitter->restoreState(settings.value(QStringLiteral("window/splitter")).toByteArray());
    showPanel(settings.value(QStringLiteral("window/panel"), 0).toInt());
    selectLayout(settings.value(QStringLiteral("view/layout"), 1).toInt());
    selectLanguage(settings.value(QStringLiteral("view/language")).toString());
    setPixelReadoutVisible(settings.value(QStringLiteral("view/readout"), false).toBool());
    m_lastFolder = settings.value(QStringLiteral("files/lastFolder")).toString();
    settings.beginGroup(QStringLiteral("save"));
    QMap<int, QString> values;
    for (const QString& key : settings.childKeys()) {
        bool ok = false;
        const int item = key.toInt(&ok);
        if (ok) values.insert(item, settings.value(key).toString());
    }
    settings.endGroup();
    m_saveSettings->apply(values);
    for (int pane = 1; pane <= 4; ++pane) {
        NuvViewerImageWnd::DisplayRange range;
        // A damaged entry keeps the pane's default.
        if (NuvViewerImageWnd::DisplayRange::fromString(
                settings.value(QStringLiteral("displayRange/%1").arg(pane)).toString(), &range))
            m_viewer->setDisplayRange(pane, range);
    }
    // In pane order, so each camera goes back to its pane when the panes before it are taken too.
    for (int pane = 1; pane <= 4; ++pane) {
        const QString key = settings.value(QStringLiteral("panes/%1").arg(pane)).toString();
        const QList<QListWidgetItem*> items =
            key.isEmpty() ? QList<QListWidgetItem*>() : m_devices->findItems(key, Qt::MatchStartsWith);
        for (QListWidgetItem* item : items) {
            if (item->data(Qt::UserRole).toString() == key) item->setCheckState(Qt::Checked);
        }
    }
}
