// SPDX-License-Identifier: Apache-2.0
#include "GreyHistogramTool.h"

#include <QPushButton>
#include <cmath>
#include <cstdlib>
#include <utility>

#include "GreyHistogramDialog.h"
#include "GreyHistogramWidget.h"
#include "HistogramSubFrame.h"
#include "Image2DWnd.h"
#include "ImageWnd.h"
#include "NuvNumberParse.h"
#include "NuvPixelFormat.h"
#include "ZMKImageWnd.h"
#include "ZavizoZoz3.h"

namespace {
constexpr int kMarkerHalfLength = 40 / 2;
constexpr int kSubFrameMargin = 5;

int nodeInt(bool card, const std::string& key, const char* feature) {
    std::string value;
    const int rc = card ? ZavizoZoz3::GetCardNodeValue(key, feature, value)
                        : ZavizoZoz3::GetCameraNodeValue(key, feature, value);
    return rc == 0 ? NuvNumberParse::valueOr(value, 0) : 0;
}
}  // namespace

GreyHistogramTool::GreyHistogramTool(ImageWnd* pane) : QObject(pane), m_pane(pane) {}

GreyHistogramTool::~GreyHistogramTool() {
    const QPointer<GreyHistogramDialog> dialog = m_dialog;
    close();
    // The pane is going: its dialog and worker end now, not at the next event loop turn.
    delete dialog.data();
}

GreyHistogramDialog* GreyHistogramTool::dialog() const {
    return m_dialog.data();
}

HistogramSubFrame* GreyHistogramTool::subFrame() const {
    return m_subFrame.data();
}

GreyHistogramWidget* GreyHistogramTool::panel() const {
    return m_dialog ? m_dialog->panel() : nullptr;
}

ZMKImageWnd* GreyHistogramTool::display() const {
    return m_view ? m_view->displayWidget() : nullptr;
}

bool GreyHistogramTool::inProfileView() const {
    GreyHistogramWidget* p = panel();
    return p != nullptr && p->currentView() != 0;
}

void GreyHistogramTool::attachView(Image2DWnd* view) {
    m_view = view;
    if (view == nullptr) return;
    connect(view->btnGreyHistogram, &QPushButton::clicked, this, &GreyHistogramTool::histogramButtonClicked);
    if (ZMKImageWnd* d = view->displayWidget()) {
        connect(d, &ZMKImageWnd::mouseClicked, this, &GreyHistogramTool::onWndMouseClicked);
        connect(d, &ZMKImageWnd::shapeClicked, this, &GreyHistogramTool::onShapeClicked);
        connect(d, &ZMKImageWnd::shapeResized, this, &GreyHistogramTool::onShapeChanged);
        connect(d, &ZMKImageWnd::shapeMoved, this, &GreyHistogramTool::onShapeChanged);
    }
}

QImage GreyHistogramTool::sharedImage(const NuvImage& image) {
    if (image.isEmpty()) return QImage();
    static const std::pair<uint32_t, QImage::Format> kFormats[] = {
        {NuvPixelFormat::Mono8, QImage::Format_Grayscale8},
        {NuvPixelFormat::Mono16, QImage::Format_Grayscale16},
        {NuvPixelFormat::RGB8, QImage::Format_RGB888},
        {NuvPixelFormat::BGR8, QImage::Format_BGR888}};
    QImage::Format format = QImage::Format_Invalid;
    for (const auto& [pixelFormat, imageFormat] : kFormats) {
        if (image.pixelFormat() == pixelFormat) format = imageFormat;
    }
    if (format == QImage::Format_Invalid) {
        if (image.mat().elemSize() != 4) return QImage();
        format = QImage::Format_RGBA8888;
    }
    // The image keeps a reference to the matrix, released with its last copy on whichever thread.
    auto* keep = new cv::Mat(image.mat());
    return QImage(
        static_cast<const uchar*>(keep->data), keep->cols, keep->rows, static_cast<qsizetype>(keep->step),
        format, [](void* m) { delete static_cast<cv::Mat*>(m); }, keep);
}

void GreyHistogramTool::onFrameShown(const NuvImage& image) {
    onFrameShown(sharedImage(image));
}

void GreyHistogramTool::onFrameShown(const QImage& image) {
    if (m_view == nullptr || image.isNull()) return;
    if (!m_view->btnGreyHistogram->isEnabled()) m_view->btnGreyHistogram->setEnabled(true);
    m_lastFrame = image;
    GreyHistogramWidget* p = panel();
    if (p == nullptr) return;
    if (p->imageSize() != image.size()) p->setImageSize(image.width(), image.height());
    p->addImage(image);
}

QSize GreyHistogramTool::sensorSize() const {
    const std::string key = m_pane->cameraName().toStdString();
    QSize size;
    if (!key.empty()) {
        const bool card = ZavizoZoz3::GetCameraInfo(key, ZavizoZoz3::CAM_INFO_DEVICE_KIND) == "4";
        const std::string source = card ? ZavizoZoz3::GetCameraInfo(key, ZavizoZoz3::CAM_INFO_MODEL) : key;
        size = QSize(nodeInt(card, source, "Width"), nodeInt(card, source, "Height"));
    }
    // Frames pushed by the host, or a camera that does not tell: the shown frame gives the size.
    if (size.width() < 1 || size.height() < 1) size = m_lastFrame.size();
    return size;
}

void GreyHistogramTool::histogramButtonClicked() {
    if (m_view == nullptr) return;
    if (m_open) {
        close();
    } else {
        open();
    }
}

void GreyHistogramTool::open() {
    QPushButton* button = m_view->btnGreyHistogram;
    button->setProperty("SelectedStatus", true);
    button->setStyleSheet(QStringLiteral("image: url(:/Resource/icons/greyHistogram/hover.svg);"));
    m_open = true;
    m_dialog = new GreyHistogramDialog(m_pane);
    m_dialog->setTitle(tr("Histogram"));
    m_dialog->resize(920, 580);
    connect(m_dialog.data(), &CBaseDialog::onCloseButtonClicked, this,
            &GreyHistogramTool::histogramButtonClicked);
    GreyHistogramWidget* p = m_dialog->panel();
    const QSize size = sensorSize();
    p->setImageSize(size.width(), size.height());
    m_dialog->show();
    connect(p, &GreyHistogramWidget::selectROIShape, this, &GreyHistogramTool::onHistogramROIClicked);
    connect(p, &GreyHistogramWidget::ROIChanged, this, &GreyHistogramTool::onHistogramROIInfoUpdate);
    connect(p, &GreyHistogramWidget::PosChanged, this, &GreyHistogramTool::onHistogramPosInfoUpdate);
    connect(p, &GreyHistogramWidget::quitHistogramWidt, this, &GreyHistogramTool::histogramButtonClicked);
    // The shown frame is where the statistics start, also when the camera is not streaming.
    if (!m_lastFrame.isNull()) onFrameShown(m_lastFrame);
}

void GreyHistogramTool::close() {
    if (!m_open) return;
    m_open = false;
    m_roiDrawing = false;
    m_awaitingShape = false;
    removeMarkers();
    closeSubFrame(false);
    if (m_view) {
        m_view->btnGreyHistogram->setProperty("SelectedStatus", false);
        m_view->btnGreyHistogram->setStyleSheet(QString());
    }
    if (m_dialog) {
        // Closing may come from the dialog's own buttons: it goes once their signals have returned.
        m_dialog->disconnect(this);
        if (GreyHistogramWidget* p = m_dialog->panel()) p->disconnect(this);
        m_dialog->hide();
        m_dialog->deleteLater();
        m_dialog.clear();
    }
}

void GreyHistogramTool::retranslate() {
    if (m_dialog == nullptr) return;
    m_dialog->setTitle(tr("Histogram"));
    m_dialog->panel()->retranslate();
}

void GreyHistogramTool::onHistogramROIClicked(bool isGlobalROI) {
    ZMKImageWnd* d = display();
    if (!isGlobalROI && m_lastFrame.height() >= 1 && d != nullptr) {
        showSubFrame();
        m_roiDrawing = true;
        m_awaitingShape = true;
        d->setPen(0, 0, 255, 0);
        d->drawRect();
        return;
    }
    m_roiDrawing = false;
    m_awaitingShape = false;
    if (d && m_regionId >= 0) d->removeShape(m_regionId);
    m_regionId = -1;
}

void GreyHistogramTool::onHistogramROIInfoUpdate(uint centerX, uint centerY, uint width, uint height) {
    removeMarkers();
    if (!m_roiDrawing) return;
    const uint x1 = centerX - width / 2, y1 = centerY - height / 2;
    const uint x2 = centerX + width / 2 + (width & 1u), y2 = centerY + height / 2 + (height & 1u);
    NuvROI rect;
    rect.GenRect(NuvPoint(x1, y1), NuvPoint(x2, y2));
    drawRegion(rect);
}

int GreyHistogramTool::drawRegion(const NuvROI& rect) {
    ZMKImageWnd* d = display();
    if (d == nullptr) return -1;
    d->setPen(0, 0, 255, 0);
    m_regionId = d->displayROI(rect, ZMKImageWnd::LayerShape);
    if (m_regionId >= 0) {
        d->selectShape(m_regionId);
        m_lastRegion = rect;
    }
    return m_regionId;
}

void GreyHistogramTool::onHistogramPosInfoUpdate(uint posX, uint posY) {
    // The cross marks a profile position; the histogram view has none.
    if (!inProfileView()) return;
    removeMarkers();
    ZMKImageWnd* d = display();
    if (d == nullptr) return;
    const double x = posX, y = posY;
    d->setPen(255, 255, 255, 5);
    NuvROI horizontal, vertical;
    horizontal.GenLine(NuvPoint(x - kMarkerHalfLength, y), NuvPoint(x + kMarkerHalfLength, y));
    vertical.GenLine(NuvPoint(x, y - kMarkerHalfLength), NuvPoint(x, y + kMarkerHalfLength));
    m_markerIds[0] = d->displayROI(horizontal, ZMKImageWnd::LayerOverlay);
    m_markerIds[1] = d->displayROI(vertical, ZMKImageWnd::LayerOverlay);
}

void GreyHistogramTool::onWndMouseClicked(double x, double y) {
    // A press that lands here did not start a rectangle: drawing is over.
    m_awaitingShape = false;
    if (!m_open || !inProfileView()) return;
    if (!(x >= 0.0 && y >= 0.0 && x < m_lastFrame.width() && y < m_lastFrame.height())) return;
    const int px = static_cast<int>(x), py = static_cast<int>(y);
    onHistogramPosInfoUpdate(uint(px), uint(py));
    if (GreyHistogramWidget* p = panel()) p->setPos(px, py);
}

void GreyHistogramTool::removeMarkers() {
    ZMKImageWnd* d = display();
    for (int* id : {&m_regionId, &m_markerIds[0], &m_markerIds[1]}) {
        if (d && *id >= 0) d->removeShape(*id);
        *id = -1;
    }
}

void GreyHistogramTool::onShapeClicked(long id) {
    if (m_awaitingShape && m_roiDrawing && id != m_regionId) {
        m_awaitingShape = false;
        m_regionId = static_cast<int>(id);
    }
}

// The region was drawn, moved or resized: its clamped rectangle goes to the panel, which answers with
// the region it keeps (at least 10 pixels each way) and the tool draws that one.
void GreyHistogramTool::onShapeChanged(long id) {
    ZMKImageWnd* d = display();
    if (d == nullptr || id != m_regionId || !m_roiDrawing) return;
    NuvROI roi;
    NuvPoint p1, p2;
    if (d->getROIShape(static_cast<int>(id), &roi) != 0 || !roi.GetRect(&p1, &p2)) return;
    const double maxX = m_lastFrame.width() - 1, maxY = m_lastFrame.height() - 1;
    p1 = NuvPoint(qBound(0.0, p1.x, maxX), qBound(0.0, p1.y, maxY));
    p2 = NuvPoint(qBound(0.0, p2.x, maxX), qBound(0.0, p2.y, maxY));
    d->removeShape(static_cast<int>(id));
    m_regionId = -1;
    if (p2.x - p1.x < 1.0 || p2.y - p1.y < 1.0) {
        if (!m_lastRegion.isEmpty()) drawRegion(m_lastRegion);
        return;
    }
    NuvROI clamped;
    clamped.GenRect(p1, p2);
    drawRegion(clamped);
    if (GreyHistogramWidget* p = panel()) {
        p->setROIInfo(int(std::lround((p1.x + p2.x) / 2)), int(std::lround((p1.y + p2.y) / 2)),
                      int(std::lround(p2.x - p1.x)), int(std::lround(p2.y - p1.y)));
    }
}

void GreyHistogramTool::showSubFrame() {
    GreyHistogramWidget* p = panel();
    if (m_subFrame || p == nullptr || m_view == nullptr) return;
    QWidget* area = m_view->wdg2DImageWnd;
    m_subFrame = new HistogramSubFrame(area);
    m_subFrame->addWidget(p->takePlot());
    // At most a quarter of the image area, so the picture stays free to draw on.
    m_subFrame->resize(qBound(160, area->width() / 2, m_subFrame->width()),
                       qBound(110, area->height() / 2, m_subFrame->height()));
    m_subFrame->move(qMax(0, area->width() - m_subFrame->width() - kSubFrameMargin),
                     qMax(0, area->height() - m_subFrame->height() - kSubFrameMargin));
    m_subFrame->show();
    m_subFrame->raise();
    m_dialog->hide();
    connect(m_subFrame.data(), &HistogramSubFrame::enlargeButtonClicked, this,
            [this]() { closeSubFrame(true); });
}

void GreyHistogramTool::closeSubFrame(bool showDialog) {
    if (m_subFrame == nullptr) return;
    QWidget* plot = m_subFrame->takeWidget();
    if (GreyHistogramWidget* p = panel()) p->returnPlot(plot);
    m_subFrame->hide();
    // The enlarge button's own click may be running: the frame goes afterwards.
    m_subFrame->deleteLater();
    m_subFrame.clear();
    if (showDialog && m_dialog) m_dialog->show();
}
