// SPDX-License-Identifier: Apache-2.0
#include "Image2DWnd.h"

#include <QEvent>
#include <QResizeEvent>

#include "PixelReport.h"
#include "ToolStripStyle.h"
#include "ZMKImageWnd.h"
#include "ZavizoZoz3.h"
#include "ui_Image2DWnd.h"

namespace {
constexpr double kLogoZoom = 0.189;

}  // namespace

Image2DWnd::Image2DWnd(QWidget* parent) : QWidget(parent), m_ui(new Ui::Image2DWnd) {
    m_ui->setupUi(this);
    btnGreyHistogram = m_ui->btnGreyHistogram;
    btnMultiSave = m_ui->btnMultiSave;
    btnRecording = m_ui->btnRecording;
    btnRestore = m_ui->btnRestore;
    btnZoomFit = m_ui->btnZoomFit;
    btnSingleSave = m_ui->btnSingleSave;
    btnStartGrab = m_ui->btnStartGrab;
    btnStopGrab = m_ui->btnStopGrab;
    btnCross = m_ui->btnCross;
    btnGrid = m_ui->btnGrid;
    btnMeasure = m_ui->btnMeasure;
    btnCrossConfig = m_ui->btnCrossConfig;
    btnGridConfig = m_ui->btnGridConfig;
    btnZoomIn = m_ui->btnZoomIn;
    btnZoomOut = m_ui->btnZoomOut;
    btnDisplayRange = m_ui->btnDisplayRange;
    verticalLayout = m_ui->verticalLayout;
    wdg2DToolSingle = m_ui->wdg2DToolSingle;
    wdg2DImageWnd = m_ui->wdg2DImageWnd;

    wdg2DToolSingle->setAttribute(Qt::WA_StyledBackground, true);
    wdg2DToolSingle->setStyleSheet(ToolStripStyle::image2DStrip());
    btnRecording->setEnabled(false);
    btnDisplayRange->hide();

    m_display = new ZMKImageWnd();
    m_display->create(reinterpret_cast<qint64>(wdg2DImageWnd));
    m_display->showToolbar(false);
    m_display->showStatusbar(false);
    m_display->zoomReset();
    m_display->enablePixelVisible(true);

    m_logo.load(QStringLiteral(":/Resource/icons/HLXLogo.png"));
    showLogo();

    connect(m_display, &ZMKImageWnd::imgInfo, this, &Image2DWnd::onImgInfo);
    wdg2DImageWnd->installEventFilter(this);
    // The display's view takes the presses on the image itself: watch its viewport too.
    m_displayViewport = m_display->viewport();
    if (m_displayViewport) m_displayViewport->installEventFilter(this);
    retranslate();
}

Image2DWnd::~Image2DWnd() {
    destroyDisplay();
    wdg2DToolSingle->deleteLater();
    delete m_ui;
}

void Image2DWnd::destroyDisplay() {
    if (m_display == nullptr) return;
    m_display->destory();
    delete m_display;
    m_display = nullptr;
    m_displayViewport = nullptr;
}

void Image2DWnd::showLogo() {
    if (m_display == nullptr) return;
    m_display->clear();
    m_display->setBackground(m_logo);
    m_display->zoom(kLogoZoom);
    m_showingLogo = true;
    setWideGrey(false);
    setPictureToolsEnabled(false);
    // The next camera's first deep frame sets levels of its own.
    if (m_display->displayRange().mode == ZMKDisplayRange::Mode::AutoOnce)
        m_display->setDisplayRange(m_display->displayRange());
}

void Image2DWnd::setWideGrey(bool wide) {
    m_wideGrey = wide;
    // 8-bit and colour frames are shown as they are: no range to set (32-bit grey is set apart).
    btnDisplayRange->setVisible(wide);
}

void Image2DWnd::setPictureToolsEnabled(bool enabled) {
    // Overlays, measuring and zooming work on a picture: over the empty pane's logo they would do
    // nothing, so they wait for the first frame as the grab-dependent buttons wait for a camera.
    for (QPushButton* button : {btnCross, btnCrossConfig, btnGrid, btnGridConfig, btnMeasure, btnZoomIn,
                                btnZoomOut, btnRestore, btnZoomFit})
        button->setEnabled(enabled);
}

void Image2DWnd::pictureShown() {
    if (!m_showingLogo) return;
    m_showingLogo = false;
    m_display->zoomFitWnd();
    setPictureToolsEnabled(true);
}

void Image2DWnd::setBackground(const QImage& image) {
    setWideGrey(image.format() == QImage::Format_Grayscale16);
    if (m_display && m_display->setBackground(image) == 0) pictureShown();
}

void Image2DWnd::setBackground(const NuvImage& image) {
    setWideGrey(image.mat().depth() != CV_8U);
    btnDisplayRange->setVisible(image.mat().type() == CV_16UC1);
    if (m_display && m_display->setBackground(image) == 0) pictureShown();
}

void Image2DWnd::getBackground(QImage* image) const {
    if (m_display) m_display->getBackground(image);
}

void Image2DWnd::getBackground(NuvImage* image) const {
    if (m_display) m_display->getBackground(image);
}

void Image2DWnd::ZoomIn() {
    if (m_display) m_display->zoomIn();
}

void Image2DWnd::ZoomOut() {
    if (m_display) m_display->zoomOut();
}

void Image2DWnd::Zoom100() {
    if (m_display) m_display->zoom(1.0);
}

void Image2DWnd::ZoomFit() {
    if (m_display) m_display->zoom(kLogoZoom);
}

void Image2DWnd::ZoomFitWnd() {
    if (m_display) m_display->zoomFitWnd();
}

void Image2DWnd::retranslate() {
    btnStartGrab->setToolTip(tr("Start Grab"));
    btnStopGrab->setToolTip(tr("Stop Grab"));
    btnSingleSave->setToolTip(tr("Single Save"));
    btnMultiSave->setToolTip(tr("Multiframe Save"));
    btnRecording->setToolTip(tr("Record"));
    btnGreyHistogram->setToolTip(tr("Histogram"));
    btnCross->setToolTip(tr("Show Cross"));
    btnGrid->setToolTip(tr("Show Grid"));
    btnMeasure->setToolTip(tr("Measure"));
    btnZoomIn->setToolTip(tr("Zoom In"));
    btnZoomOut->setToolTip(tr("Zoom Out"));
    btnRestore->setToolTip(tr("1:1 Show"));
    btnZoomFit->setToolTip(tr("Fit"));
    btnDisplayRange->setToolTip(tr("Display range"));
}

bool Image2DWnd::eventFilter(QObject* watched, QEvent* event) {
    if (watched == wdg2DImageWnd) {
        if (event->type() == QEvent::Resize && m_display) {
            m_display->move(0, 0, wdg2DImageWnd->width(), wdg2DImageWnd->height());
        } else if (event->type() == QEvent::MouseButtonPress) {
            emit mousePress();
        }
    } else if (watched == m_displayViewport && event->type() == QEvent::MouseButtonPress) {
        emit mousePress();
    }
    return QWidget::eventFilter(watched, event);
}

void Image2DWnd::onImgInfo(double x, double y, int a, int b, int c, float value) {
    if (!m_showingLogo && m_display) {
        emit pixelHovered(QPoint(static_cast<int>(x), static_cast<int>(y)),
                          PixelReport::hostColor(a, b, c, value, m_wideGrey),
                          static_cast<float>(m_display->zoomFactor()));
    }
    // At most one report per 50 ms: the business layer updates its status bar from these.
    const auto now = std::chrono::steady_clock::now();
    if (!m_reportClockStarted) {
        m_reportClockStarted = true;
        m_lastReport = now;
        return;
    }
    if (now - m_lastReport < std::chrono::milliseconds(kPixelReportIntervalMs)) return;
    m_lastReport = now;
    if (m_display) m_display->blockSignals(true);
    PixelReport::send(m_cameraName, x, y, a, b, c, value);
    if (m_display) m_display->blockSignals(false);
}
