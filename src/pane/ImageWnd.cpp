// SPDX-License-Identifier: Apache-2.0
#include "ImageWnd.h"

#include <QAction>
#include <QCursor>
#include <QDataStream>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QSet>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <cstdlib>

#include "CameraRoiTool.h"
#include "CorrectionTool.h"
#include "DisplayRangeTool.h"
#include "GreyHistogramTool.h"
#include "Image2DWnd.h"
#include "Image3DWnd.h"
#include "MeasureTool.h"
#include "NuvNumberParse.h"
#include "OverlayTool.h"
#include "PaneDragFeedback.h"
#include "PaneSaveCommands.h"
#include "RangeBatchSink.h"
#include "RangeStreamer.h"
#include "StreamHealthMonitor.h"
#include "ZMKImageWnd.h"
#include "ZavizoZoz3.h"
#include "ui_ImageWnd.h"

namespace {
// The pane's own sheet is set again whenever the selection border comes or goes (ImageWndManager).
// Image rules in it would then be parsed anew each time, and every new icon leaves its pixmaps in
// Qt's pixmap cache until that is full: the enlarge and restore buttons carry their images in
// sheets of their own, parsed once.
const char* const kPaneStyle = "QLabel#lbWndMessageShow{background-color: rgb(255,255,255);}";
const char* const kEnlargeStyle =
    "QPushButton{border:none;image:url(:/Resource/icons/fullScreen/wndZoomInNormal.svg);}"
    "QPushButton:hover{image:url(:/Resource/icons/fullScreen/wndZoomInHover.svg);}"
    "QPushButton:pressed{image:url(:/Resource/icons/fullScreen/wndZoomInClicked.svg);}";
const char* const kRestoreStyle =
    "QPushButton{border:none;image:url(:/Resource/icons/fullScreen/wndZoomOutNormal.svg);}"
    "QPushButton:hover{image:url(:/Resource/icons/fullScreen/wndZoomOutHover.svg);}"
    "QPushButton:pressed{image:url(:/Resource/icons/fullScreen/wndZoomOutClicked.svg);}";

std::string nodeValue(const QString& key, const char* feature) {
    std::string value;
    if (ZavizoZoz3::GetCameraNodeValue(key.toStdString(), feature, value) != 0) return {};
    return value;
}

// Deletes every image of `images` that `kept` does not hold, each once even when it sits under
// several keys.
void deleteImages(const QMap<int, NuvImage*>& images, const QMap<int, NuvImage*>& kept) {
    QSet<NuvImage*> gone(images.begin(), images.end());
    for (NuvImage* image : kept)
        gone.remove(image);
    qDeleteAll(gone);
}
}  // namespace

ImageWnd::ImageWnd(QWidget* parent)
    : QFrame(parent),
      m_roiTool(std::make_unique<CameraRoiTool>(&m_cameraKey, [this]() { return imageWndTitle(); })),
      m_ui(new Ui::ImageWnd) {
    m_rangeSink = std::make_shared<RangeBatchSink>();
    m_ui->setupUi(this);
    m_health = new StreamHealthMonitor(m_ui->horizontalLayoutTitle, 1, this);
    // Before anyone else hears the press, so the grab it starts is counted from its first frame.
    connect(this, &ImageWnd::buttonClick, m_health, [this](ButtonType type) {
        if (type == StartGrab) m_health->grabStarting();
    });
    setAcceptDrops(true);
    setAttribute(Qt::WA_Hover);
    setStyleSheet(QString::fromLatin1(kPaneStyle));
    m_ui->btnWndTransformIn->setStyleSheet(QString::fromLatin1(kEnlargeStyle));
    m_ui->btnWndTransformOut->setStyleSheet(QString::fromLatin1(kRestoreStyle));

    m_logo.load(QStringLiteral(":/Resource/icons/HLXLogo.png"));
    if (!m_logo.isNull()) {
        m_ui->lbWndMessageShow->setPixmap(
            QPixmap::fromImage(m_logo.scaled(200, 200, Qt::IgnoreAspectRatio, Qt::FastTransformation)));
    }
    m_logoSize = QSize(200, 200);
    connect(m_ui->btnWndTransformIn, &QPushButton::clicked, this, [this]() { emit buttonClick(EnlargeWnd); });
    connect(m_ui->btnWndTransformOut, &QPushButton::clicked, this,
            [this]() { emit buttonClick(RestoreWnd); });
    m_ui->lbImageWndTitle->installEventFilter(this);
    m_save = new PaneSaveCommands(this);
    connect(m_save, &PaneSaveCommands::saveStarted, this, &ImageWnd::saveImageStart);
    connect(m_save, &PaneSaveCommands::stopGrabRequested, this, [this]() { emit buttonClick(StopGrab); });
    m_dragFeedback = new PaneDragFeedback(this);
    m_histogramTool = new GreyHistogramTool(this);
    m_overlayTool = new OverlayTool(this);
    m_measureTool = new MeasureTool(this);
    m_correctionTool = new CorrectionTool(this);
    m_displayRangeTool = new DisplayRangeTool(this);

    setImageWndMode(0);
    retranslate();
}

ImageWnd::~ImageWnd() {
    delete m_save;  // ends any run quietly; the worker completes the frames it accepted
    m_save = nullptr;
    delete m_histogramTool;
    m_histogramTool = nullptr;
    delete m_measureTool;
    m_measureTool = nullptr;
    delete m_overlayTool;
    m_overlayTool = nullptr;
    delete m_correctionTool;
    m_correctionTool = nullptr;
    delete m_displayRangeTool;
    m_displayRangeTool = nullptr;
    onGrabStopped();
    m_rangeSink->setStreamer(nullptr);
    delete m_view2D;
    m_view2D = nullptr;
    delete m_view3D;
    m_view3D = nullptr;
    deleteImages(m_rangeImages, {});
    m_rangeImages.clear();
    delete m_ui;
}

// ---- mode and views ----------------------------------------------------------------------

int ImageWnd::setImageWndMode(int mode) {
    if (m_view3D != nullptr) {
        m_rangeSink->setStreamer(nullptr);
        m_save->detach3DView();
        m_view3D->hide();
        m_view3D->deleteLater();
        m_view3D = nullptr;
    }
    m_imageWidth = -1;
    m_imageHeight = -1;
    m_roiTool->attach(nullptr, false);
    if (mode != 1 && m_histogramTool) m_histogramTool->close();
    if (mode != 1) closeOverlays();

    switch (mode) {
        case 0:
            m_ui->wdgTitle->hide();
            showLogo();
            break;
        case 1:
            m_ui->wdgTitle->show();
            // A 2D view kept from earlier left the body's layout when the profiler took it.
            if (m_view2D == nullptr) {
                create2DView();
            } else {
                placeInBody(m_view2D);
            }
            m_roiTool->attach(m_view2D->displayWidget(), true);
            m_view2D->show();
            break;
        case 2:
            m_ui->wdgTitle->show();
            if (m_view2D != nullptr) m_view2D->hide();
            create3DView();
            break;
        default:
            return -1;
    }
    if (mode != 1 && m_view2D != nullptr) m_view2D->hide();
    m_mode = mode;
    m_modeShared = mode;
    return 0;
}

std::shared_ptr<RangeStreamer> ImageWnd::rangeStreamer() const {
    return m_rangeSink->streamer();
}

void ImageWnd::placeInBody(QWidget* view) {
    QLabel* body = m_ui->lbWndMessageShow;
    // The views' tool strips are translucent: the logo must not shine through them.
    body->clear();
    if (QLayout* old = body->layout()) {
        // Keep the views themselves: only the layout goes.
        while (QLayoutItem* item = old->takeAt(0))
            delete item;
        delete old;
    }
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view);
}

void ImageWnd::create2DView() {
    m_view2D = new Image2DWnd(m_ui->lbWndMessageShow);
    m_view2D->setCameraName(m_cameraKey);
    placeInBody(m_view2D);
    m_view2D->wdg2DImageWnd->installEventFilter(this);
    connect(m_view2D, &Image2DWnd::pixelHovered, this, &ImageWnd::pixelHovered);
    if (m_view2D->displayWidget()) m_view2D->displayWidget()->showStatusbar(m_pixelReadout);
    show2DGrabButtons(false);
    m_view2D->btnSingleSave->setEnabled(false);
    m_view2D->btnGreyHistogram->setEnabled(false);
    m_save->attach2DView(m_view2D);
    m_view2D->btnStartGrab->setEnabled(!m_cameraKey.isEmpty());
    m_histogramTool->attachView(m_view2D);
    m_overlayTool->attachView(m_view2D);
    m_measureTool->attachView(m_view2D);
    m_displayRangeTool->attachView(m_view2D);
    connect(m_view2D->btnStartGrab, &QPushButton::clicked, this, [this]() { emit buttonClick(StartGrab); });
    connect(m_view2D->btnStopGrab, &QPushButton::clicked, this, [this]() { emit buttonClick(StopGrab); });
    connect(m_view2D->btnZoomIn, &QPushButton::clicked, m_view2D, &Image2DWnd::ZoomIn);
    connect(m_view2D->btnZoomOut, &QPushButton::clicked, m_view2D, &Image2DWnd::ZoomOut);
    connect(m_view2D->btnRestore, &QPushButton::clicked, m_view2D, &Image2DWnd::Zoom100);
    connect(m_view2D->btnZoomFit, &QPushButton::clicked, m_view2D, &Image2DWnd::ZoomFitWnd);
    connect(m_view2D, &Image2DWnd::mousePress, this, [this]() {
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(this, &press);
    });
    if (ZMKImageWnd* display = m_view2D->displayWidget()) {
        connect(display, &ZMKImageWnd::mouseClicked, this, &ImageWnd::onWndMouseClicked);
        connect(display, &ZMKImageWnd::shapeClicked, this, &ImageWnd::roiClicked);
        connect(display, &ZMKImageWnd::shapeResized, this, &ImageWnd::roiShapeChange);
        connect(display, &ZMKImageWnd::shapeMoved, this, &ImageWnd::roiShapeChange);
        connect(display, &ZMKImageWnd::shapeContextMenu, this, &ImageWnd::roiShapeMenu);
    }
}

void ImageWnd::create3DView() {
    m_view3D = new Image3DWnd(m_ui->lbWndMessageShow);
    m_view3D->setCameraKeyRef(&m_cameraKey);
    m_rangeSink->setStreamer(m_view3D->streamer());
    placeInBody(m_view3D);
    connect(m_view3D, &Image3DWnd::pixelHovered, this, &ImageWnd::pixelHovered);
    if (m_view3D->displayWidget()) m_view3D->displayWidget()->showStatusbar(m_pixelReadout);
    if (ZMKImageWnd* display = m_view3D->displayWidget()) {
        connect(display, &ZMKImageWnd::shapeResized, this, &ImageWnd::roiShapeChange);
        connect(display, &ZMKImageWnd::shapeMoved, this, &ImageWnd::roiShapeChange);
        connect(display, &ZMKImageWnd::shapeContextMenu, this, &ImageWnd::roiShapeMenu);
    }
    m_roiTool->attach(m_view3D->displayWidget(), false);
    setButtonEnable(SingleGrab, true);
    setButtonEnable(StartGrab, true);
    setButtonEnable(StopGrab, false);
    wire3DView();
    m_view3D->btn3DMode->click();
    m_view3D->installEventFilter(this);
    m_save->attach3DView(m_view3D);
    m_view3D->show();
}

void ImageWnd::wire3DView() {
    Image3DWnd* v = m_view3D;
    connect(v->btnSingleGrab, &QPushButton::clicked, this, [this]() {
        ZavizoZoz3::SetCameraInfo(m_cameraKey.toStdString(), ZavizoZoz3::CAM_INFO_SINGLE_GRAB, "1");
        startGrab();
    });
    connect(v->btn3DStartGrab, &QPushButton::clicked, this, &ImageWnd::startGrab);
    connect(v->btn3DStopGrab, &QPushButton::clicked, this, [this]() { emit buttonClick(StopGrab); });
    for (QPushButton* b : {v->btnContourMode, v->btn2DMode, v->btn3DMode, v->btn3DShow,
                           v->btn2DRangeImageShow, v->btnGreyImageShow, v->btn3DRender}) {
        connect(b, &QPushButton::clicked, this, &ImageWnd::on3DShowModeChanged);
    }
}

int ImageWnd::setImageWndTitle(const QString& title) {
    m_ui->lbImageWndTitle->setText(title);
    return 0;
}

int ImageWnd::getImageWndTitle(QString* title) const {
    if (title) *title = m_ui->lbImageWndTitle->text();
    return 0;
}

QString ImageWnd::imageWndTitle() const {
    return m_ui->lbImageWndTitle->text();
}

int ImageWnd::setCameraName(const QString& key) {
    m_cameraKey = key;
    m_health->setCameraKey(key);
    if (m_view2D) {
        m_view2D->setCameraName(key);
        m_view2D->btnStartGrab->setEnabled(!key.isEmpty());
    }
    // A newly bound camera is idle: its grab buttons follow whether there is one.
    const bool idle = m_view3D == nullptr || !m_view3D->btn3DStopGrab->isEnabled();
    setButtonEnable(SingleGrab, idle);
    setButtonEnable(StartGrab, idle);
    m_save->setCameraBound(!key.isEmpty());
    return 0;
}

bool ImageWnd::isEnlargeButtonVisible() const {
    return !m_ui->btnWndTransformIn->isHidden();
}
bool ImageWnd::isRestoreButtonVisible() const {
    return !m_ui->btnWndTransformOut->isHidden();
}

// ---- camera life cycle ---------------------------------------------------------------------

void ImageWnd::initRangeImageDisplay() {
    if (m_view3D == nullptr) return;
    const float zUp = NuvNumberParse::valueOr(nodeValue(m_cameraKey, "ZUpSizeInfo"), 0.0f);
    const float zDown = NuvNumberParse::valueOr(nodeValue(m_cameraKey, "ZDownSizeInfo"), 0.0f);
    const float xSize = NuvNumberParse::valueOr(nodeValue(m_cameraKey, "XSizeInfo"), 0.0f);
    m_view3D->setHeightRange(zDown, zUp);
    m_view3D->setWidthRange(xSize);
    emit m_view3D->btnContourMode->clicked(true);
    m_view3D->btnContourMode->setChecked(true);
    m_view3D->setStripButtonHidden(m_view3D->btnSingleGrab, true);
    m_view3D->setStripButtonHidden(m_view3D->btn3DRestore, false);
    m_view3D->setStripButtonHidden(m_view3D->btn3DZoomReset, false);
    m_view3D->relayoutToolBar();
}

int ImageWnd::prepareRangeAcquisition() {
    return m_view3D ? m_view3D->prepareScan(m_cameraKey) : -1;
}

void ImageWnd::resetCamera() {
    onGrabStopped();
    m_histogramTool->close();
    closeOverlays();
    m_correctionTool->close();
    if (m_view3D) m_view3D->reset();
    setImageWndTitle(tr("No Camera"));
    m_cameraKey.clear();
    m_health->setCameraKey(QString());
    if (m_view2D) {
        m_view2D->setCameraName(QString());
        m_view2D->showLogo();
        m_view2D->btnSingleSave->setEnabled(false);
        m_view2D->btnGreyHistogram->setEnabled(false);
        m_view2D->btnStartGrab->setEnabled(false);
    }
    setButtonEnable(SingleGrab, true);
    setButtonEnable(StartGrab, true);
    setButtonEnable(StopGrab, false);
    if (m_view3D) {
        m_view3D->setModeButtonsLocked(false);
    }
    m_save->setCameraBound(false);
    m_roiTool->reset();
    deleteImages(m_rangeImages, {});
    m_rangeImages.clear();
    m_shownImageKey = 0;
    m_rangeStreaming = false;
    m_imageWidth = -1;
    m_imageHeight = -1;
    if (m_view3D) m_view3D->relayoutToolBar();
}

// ---- grab control and buttons --------------------------------------------------------------

void ImageWnd::startGrab() {
    int mode = 2;
    if (m_view3D != nullptr) {
        if (m_view3D->btnContourMode->isChecked()) {
            mode = 1;
        } else if (m_view3D->btn2DMode->isChecked()) {
            mode = 0;
        }
    }
    ZavizoZoz3::SetCameraImageMode(m_cameraKey.toStdString(), mode, false);
    emit buttonClick(StartGrab);
}

void ImageWnd::onGrabStarted() {
    m_health->grabStarted();
    m_roiTool->setShapesEditable(false);
    if (m_view3D != nullptr) {
        m_view3D->setModeButtonsLocked(true);
        m_view3D->btn3DRender->setEnabled(false);
    }
    setButtonEnable(SingleGrab, false);
    setButtonEnable(StartGrab, false);
    setButtonEnable(StopGrab, true);
    setButtonEnable(Render3D, false);
    show2DGrabButtons(true);
}

void ImageWnd::onGrabStopped() {
    m_health->grabStopped();
    m_roiTool->setShapesEditable(true);
    if (m_view3D != nullptr) {
        m_view3D->setModeButtonsLocked(false);
        m_view3D->btn3DRender->setEnabled(true);
    }
    setButtonEnable(SingleGrab, true);
    setButtonEnable(StartGrab, true);
    setButtonEnable(StopGrab, false);
    setButtonEnable(Render3D, true);
    show2DGrabButtons(false);
    if (m_save) m_save->onGrabStopped();
}

// The 2D view swaps its start and stop buttons; the profiler view keeps both and only
// enables one of them, so this must not go through setButtonHidden, which hides in both.
void ImageWnd::show2DGrabButtons(bool grabbing) {
    if (m_view2D == nullptr) return;
    if (grabbing && m_view2D->btnStartGrab->isVisible()) m_view2D->ZoomFitWnd();
    m_view2D->btnStartGrab->setHidden(grabbing);
    m_view2D->btnStopGrab->setHidden(!grabbing);
}

void ImageWnd::syncImageMode() {
    if (m_view3D == nullptr) return;
    QPushButton* button = nullptr;
    switch (ZavizoZoz3::GetCameraImageMode(m_cameraKey.toStdString())) {
        case 0:
            button = m_view3D->btn2DMode;
            break;
        case 1:
            button = m_view3D->btnContourMode;
            break;
        case 2:
            button = m_view3D->btn3DMode;
            break;
        default:
            return;
    }
    emit button->clicked(true);
    button->setChecked(true);
}

int ImageWnd::setButtonEnable(ButtonType type, bool enable) {
    // Grabbing needs a camera.
    if ((type == SingleGrab || type == StartGrab) && m_cameraKey.isEmpty()) enable = false;
    switch (type) {
        case SingleGrab:
            if (m_view3D) m_view3D->btnSingleGrab->setEnabled(enable);
            break;
        case StartGrab:
            if (m_view3D) m_view3D->btn3DStartGrab->setEnabled(enable);
            break;
        case StopGrab:
            if (m_view3D) m_view3D->btn3DStopGrab->setEnabled(enable);
            break;
        case EnlargeWnd:
            m_ui->btnWndTransformIn->setEnabled(enable);
            break;
        case RestoreWnd:
            m_ui->btnWndTransformOut->setEnabled(enable);
            break;
        case Render3D:
            if (m_view3D) {
                m_view3D->btn3DRender->setEnabled(enable);
                m_view3D->btn3DRender->setChecked(false);
                if (QAction* action = m_view3D->renderAction()) action->setEnabled(!enable);
            }
            break;
    }
    return 0;
}

int ImageWnd::setButtonHidden(ButtonType type, bool hidden) {
    switch (type) {
        case SingleGrab:
            if (m_view3D) m_view3D->setStripButtonHidden(m_view3D->btnSingleGrab, hidden);
            break;
        case StartGrab:
            if (m_view2D) {
                if (m_view2D->btnStartGrab->isVisible()) m_view2D->ZoomFitWnd();
                m_view2D->btnStartGrab->setHidden(hidden);
            }
            if (m_view3D) m_view3D->setStripButtonHidden(m_view3D->btn3DStartGrab, hidden);
            break;
        case StopGrab:
            if (m_view2D) m_view2D->btnStopGrab->setHidden(hidden);
            if (m_view3D) m_view3D->setStripButtonHidden(m_view3D->btn3DStopGrab, hidden);
            break;
        case EnlargeWnd:
            m_ui->btnWndTransformIn->setHidden(hidden);
            break;
        case RestoreWnd:
            m_ui->btnWndTransformOut->setHidden(hidden);
            break;
        default:
            break;
    }
    return 0;
}

void ImageWnd::on3DShowModeChanged() {
    Image3DWnd* v = m_view3D;
    if (v == nullptr) return;
    QObject* s = sender();
    const std::string key = m_cameraKey.toStdString();
    int modeButton = -1;  // 0 contour, 1 picture, 2 3D
    if (s == v->btnContourMode) {
        v->setStripButtonHidden(v->btnSingleGrab, true);
        v->stackedWidget->setCurrentIndex(0);
        v->setStripButtonHidden(v->btn3DRestore, true);
        v->setStripButtonHidden(v->btn3DZoomReset, false);
        ZavizoZoz3::SetCameraImageMode(key, 1, true);
        modeButton = 0;
    } else if (s == v->btn2DMode) {
        v->setStripButtonHidden(v->btnSingleGrab, true);
        v->stackedWidget->setCurrentIndex(1);
        v->setStripButtonHidden(v->btn3DRestore, false);
        v->setStripButtonHidden(v->btn3DZoomReset, false);
        ZavizoZoz3::SetCameraImageMode(key, 0, true);
        modeButton = 1;
    } else if (s == v->btn3DMode) {
        v->setStripButtonHidden(v->btnSingleGrab, false);
        if (v->btn3DShow->isChecked()) {
            v->stackedWidget->setCurrentIndex(2);
        } else if (v->btn2DRangeImageShow->isChecked()) {
            v->stackedWidget->setCurrentIndex(3);
        } else if (v->btnGreyImageShow->isChecked()) {
            v->stackedWidget->setCurrentIndex(4);
        } else if (v->btn3DRender->isChecked()) {
            v->stackedWidget->setCurrentIndex(2);
        }
        v->setStripButtonHidden(v->btn3DRestore, true);
        v->setStripButtonHidden(v->btn3DZoomReset, true);
        ZavizoZoz3::SetCameraImageMode(key, 2, true);
        modeButton = 2;
    } else if (s == v->btn3DShow) {
        v->stackedWidget->setCurrentIndex(2);
        v->setStripButtonHidden(v->btn3DRender, false);
        v->setStripButtonHidden(v->line_3, false);
        return;
    } else if (s == v->btn2DRangeImageShow || s == v->btnGreyImageShow) {
        v->stackedWidget->setCurrentIndex(s == v->btn2DRangeImageShow ? 3 : 4);
        v->btn3DRender->setChecked(false);
        v->setStripButtonHidden(v->btn3DRender, true);
        v->setStripButtonHidden(v->line_3, true);
        return;
    } else if (s == v->btn3DRender) {
        v->stackedWidget->setCurrentIndex(2);
        v->btn3DShow->setChecked(true);
        v->render3D();
        return;
    } else {
        return;
    }
    const bool is3D = modeButton == 2;
    for (QWidget* w : {static_cast<QWidget*>(v->btn3DShow), static_cast<QWidget*>(v->btn2DRangeImageShow),
                       static_cast<QWidget*>(v->btnGreyImageShow), static_cast<QWidget*>(v->line_2),
                       static_cast<QWidget*>(v->btn3DRender), static_cast<QWidget*>(v->line_3)}) {
        v->setStripButtonHidden(w, !is3D);
    }
    v->setStripButtonHidden(v->btn3DZoomIn, is3D);
    v->setStripButtonHidden(v->btn3DZoomOut, is3D);
    if (!is3D) {
        for (QPushButton* b : {v->btn3DShow, v->btn2DRangeImageShow, v->btnGreyImageShow, v->btn3DRender}) {
            b->setProperty("inMenu", false);
        }
    }
    v->relayoutToolBar();
}

// ---- images --------------------------------------------------------------------------------

void ImageWnd::show2DImage(QImage& image, bool redrawOnly) {
    // By mode: a 2D view kept from an earlier switch is hidden and gets nothing.
    if (m_mode == 2 && m_view3D != nullptr) m_view3D->show2DImage(image);
    if (m_mode != 1 || m_view2D == nullptr) return;
    if (redrawOnly) {
        QImage current;
        m_view2D->getBackground(&current);
        m_view2D->setBackground(current.copy());
        return;
    }
    m_view2D->setBackground(image);
    if (!m_view2D->btnSingleSave->isEnabled()) m_view2D->btnSingleSave->setEnabled(true);
    m_save->onPicture(image);
    m_histogramTool->onFrameShown(image);
    reportResolution(image.width(), image.height());
}

// Frames a host pushes as NuvImage are not shown by the pane.
void ImageWnd::show2DImage(NuvImage&) {}

void ImageWnd::get2DImage(QImage* image) const {
    if (image == nullptr) return;
    if (m_mode == 1 && m_view2D) {
        m_view2D->getBackground(image);
    } else if (m_view3D) {
        m_view3D->getBackground(image);
    }
}

void ImageWnd::get2DImage(NuvImage* image) const {
    if (image == nullptr) return;
    if (m_mode == 1 && m_view2D) {
        m_view2D->getBackground(image);
    } else if (m_view3D) {
        m_view3D->getBackground(image);
    }
}

void ImageWnd::showImage(NuvImage* image, QVector<qreal> profile) {
    if (image == nullptr) return;
    if (m_mode == 1 && m_view2D != nullptr) {
        // An area-scan camera bound to a 2D pane: its frames go straight to the view (a running save
        // took them from the stream already).
        m_view2D->setBackground(*image);
        if (!m_view2D->btnSingleSave->isEnabled()) m_view2D->btnSingleSave->setEnabled(true);
        m_histogramTool->onFrameShown(*image);
        reportResolution(image->width(), image->height());
        return;
    }
    if (m_view3D == nullptr) return;
    m_view3D->showImageWithProfile(*image, profile);
    reportResolution(image->width(), image->height());
}

void ImageWnd::showImage(QImage* image, QVector<qreal> profile) {
    if (image == nullptr || m_view3D == nullptr) return;
    m_view3D->showImageWithProfile(*image, profile);
    if (reportResolution(image->width(), image->height())) m_roiTool->onNewPictureSize();
}

void ImageWnd::showProfile(const QVector<qreal>& profile, const QVector<uint8_t>& brightness) {
    if (m_view3D == nullptr || m_correctionTool->takeContour(profile)) return;
    m_view3D->showContour(profile, brightness);
}

void ImageWnd::showRangeLines(INT32* rangeData, size_t imgId, int frameIndex, bool isEnd) {
    if (m_view3D) m_view3D->onBatchArrived(rangeData, imgId, frameIndex, isEnd);
}

void ImageWnd::setRangeStreaming(NuvRangeImage* rangeImage) {
    std::unique_ptr<NuvRangeImage> owned(rangeImage);
    m_rangeStreaming = rangeImage != nullptr;
    if (m_view3D) m_view3D->showRangeImage(std::move(owned));
}

void ImageWnd::showRangeImages(QMap<int, NuvImage*> images) {
    // The new set may repeat images of the old one: only those it drops go.
    deleteImages(m_rangeImages, images);
    m_rangeImages = images;
    selectShownImage(m_shownImageKey);
}

void ImageWnd::selectShownImage(int key) {
    m_shownImageKey = key;
    NuvImage empty;
    NuvImage* shown = m_rangeImages.value(key, nullptr);
    if (shown == nullptr && m_view3D) m_view3D->clearRangePages();
    showImage(shown ? shown : &empty, QVector<qreal>());
}

void ImageWnd::saveImageArrayFrame(bool hasRange) {
    NuvRangeImage range;
    const std::shared_ptr<RangeStreamer> streamer = rangeStreamer();
    const bool copied = hasRange && streamer && streamer->copyRangeImage(&range);
    m_save->saveImageArrayFrame(m_rangeImages, m_shownImageKey, copied ? &range : nullptr);
}

void ImageWnd::openCorrection(int type, float value, void* info) {
    m_correctionTool->open(type, value, info);
}

void ImageWnd::refreshFromCamera() {
    if (m_view3D) m_view3D->refreshFromCamera(m_cameraKey);
}

int ImageWnd::rangeDataKind() const {
    const std::shared_ptr<RangeStreamer> streamer = rangeStreamer();
    return streamer ? streamer->format().dataType : 0;
}

int ImageWnd::drawROI(int x1, int y1, int x2, int y2, int, int kind, int index) {
    return m_roiTool->drawROI(x1, y1, x2, y2, kind, index);
}

int ImageWnd::updateROI(int index, int x1, int y1, int x2, int y2) {
    return m_roiTool->updateROI(index, x1, y1, x2, y2);
}

int ImageWnd::removeROI(int index) {
    return m_roiTool->removeROI(index);
}

void ImageWnd::roiClicked(int id) {
    // The shape stays as it is: the drag this press starts is written when it ends.
    if (m_view2D != nullptr && m_selectedShapeId < 0 && !m_measureTool->ownsShape(id)) m_selectedShapeId = id;
}

void ImageWnd::roiShapeChange(int id) {
    if (m_roiTool->ownsShape(id)) m_selectedShapeId = m_roiTool->onShapeChanged(id);
}

void ImageWnd::roiShapeMenu(long id, const QPoint& globalPos) {
    if (m_roiTool->ownsShape(int(id))) m_selectedShapeId = m_roiTool->showShapeMenu(int(id), globalPos);
}

bool ImageWnd::reportResolution(int width, int height) {
    if (width == m_imageWidth && height == m_imageHeight) return false;
    m_imageWidth = width;
    m_imageHeight = height;
    m_roiTool->setPictureSize(width, height);
    m_overlayTool->onImageSizeChanged();
    // The business layer is keyed by the title the host gave the pane (the camera name).
    ZavizoZoz3::SetCameraInfo(imageWndTitle().toStdString(), ZavizoZoz3::CAM_INFO_RESOLUTION,
                              QStringLiteral("%1 * %2").arg(width).arg(height).toStdString());
    return true;
}

void ImageWnd::onWndMouseClicked(double, double) {}

void ImageWnd::closeOverlays() {
    if (m_measureTool) m_measureTool->close();
    if (m_overlayTool) m_overlayTool->reset();
}

void ImageWnd::setLogoSize(QSize size) {
    if (size.isEmpty()) return;
    m_logoSize = size;
    if (m_mode == 0) showLogo();
}

void ImageWnd::showLogo() {
    if (m_logo.isNull() || m_logoSize.isEmpty()) return;
    m_ui->lbWndMessageShow->setPixmap(
        QPixmap::fromImage(m_logo.scaled(m_logoSize, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
}

void ImageWnd::retranslate() {
    if (m_view2D) m_view2D->retranslate();  // a hidden one too: it may be shown again
    m_histogramTool->retranslate();
    m_measureTool->retranslate();
    m_roiTool->retranslate();
    m_correctionTool->retranslate();
    m_displayRangeTool->retranslate();
    if (m_view3D) m_view3D->retranslate();
    m_save->retranslate();
    m_health->retranslate();
    if (m_cameraKey.isEmpty()) setImageWndTitle(tr("No Camera"));
    m_ui->btnWndTransformIn->setToolTip(tr("Enlarge"));
    m_ui->btnWndTransformOut->setToolTip(tr("Restore Layout"));
}

// ---- drag and drop -------------------------------------------------------------------------

bool ImageWnd::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_ui->lbImageWndTitle) {
        switch (event->type()) {
            case QEvent::MouseButtonPress:
                m_titlePressed = true;
                break;
            case QEvent::MouseButtonRelease:
                m_titlePressed = false;
                break;
            case QEvent::MouseMove:
                if (m_titlePressed && m_dragAllowed) startTitleDrag();
                break;
            default:
                break;
        }
    }
    return QFrame::eventFilter(watched, event);
}

void ImageWnd::startTitleDrag() {
    m_titlePressed = false;
    auto* mime = new QMimeData();
    mime->setData(QStringLiteral("WndId"), QByteArray());
    mime->setText(QString::number(m_wndId));
    auto* drag = new QDrag(this);
    QLabel* title = m_ui->lbImageWndTitle;
    QPoint hotSpot = QCursor::pos() - title->mapToGlobal(title->pos());
    drag->setPixmap(m_dragFeedback->dragImage(&hotSpot));
    drag->setMimeData(mime);
    drag->setHotSpot(hotSpot);
    drag->exec(Qt::MoveAction);
}

void ImageWnd::dragEnterEvent(QDragEnterEvent* event) {
    const QMimeData* mime = event->mimeData();
    if (mime &&
        (mime->hasFormat(QStringLiteral("ItemMimeData")) || mime->hasFormat(QStringLiteral("WndId")))) {
        if (event->source() == this) {
            event->setDropAction(Qt::MoveAction);
            event->accept();
        } else {
            event->acceptProposedAction();
            m_dragFeedback->setDropHighlighted(true);
        }
        return;
    }
    event->ignore();
}

void ImageWnd::dragLeaveEvent(QDragLeaveEvent* event) {
    m_dragFeedback->setDropHighlighted(false);
    QFrame::dragLeaveEvent(event);
}

void ImageWnd::setPixelReadoutVisible(bool visible) {
    m_pixelReadout = visible;
    for (ZMKImageWnd* display :
         {m_view2D ? m_view2D->displayWidget() : nullptr, m_view3D ? m_view3D->displayWidget() : nullptr}) {
        if (display) display->showStatusbar(visible);
    }
}

void ImageWnd::setDropHighlighted(bool highlighted) {
    m_dragFeedback->setDropHighlighted(highlighted);
}

void ImageWnd::dropEvent(QDropEvent* event) {
    m_dragFeedback->setDropHighlighted(false);
    const QMimeData* mime = event->mimeData();
    if (mime == nullptr || !mime->hasFormat(QStringLiteral("HLXCAMERASN"))) {
        event->ignore();
        return;
    }
    QByteArray data = mime->data(QStringLiteral("HLXCAMERASN"));
    QDataStream stream(&data, QIODevice::ReadOnly);
    QString serial;
    stream >> serial;
    Q_UNUSED(mime->colorData());
    if (event->source() == this) {
        event->setDropAction(Qt::MoveAction);
        event->accept();
    } else {
        event->acceptProposedAction();
    }
}

void ImageWnd::mouseDoubleClickEvent(QMouseEvent* event) {
    if (m_mode != 0) {
        if (!m_ui->btnWndTransformIn->isHidden()) {
            m_ui->btnWndTransformIn->click();
            return;
        }
        if (!m_ui->btnWndTransformOut->isHidden()) {
            m_ui->btnWndTransformOut->click();
            return;
        }
    }
    QFrame::mouseDoubleClickEvent(event);
}
