// SPDX-License-Identifier: Apache-2.0
#include "Image3DWnd.h"

#include <QAction>
#include <QButtonGroup>
#include <QMenu>
#include <QMouseEvent>
#include <QResizeEvent>
#include <QStackedWidget>
#include <algorithm>
#include <cstdlib>
#include <string>

#include "FreedMemoryTrimmer.h"
#include "HeightColourBar.h"
#include "ImageWndLabel.h"
#include "LiveRangePages.h"
#include "ModalSeam.h"
#include "Nuv3DGraphics.h"
#include "NuvNumberParse.h"
#include "NuvOverlay.h"
#include "PixelReport.h"
#include "ProfilePlot.h"
#include "RangeStreamer.h"
#include "SaveImageTool.h"
#include "ScanArrivals.h"
#include "ScanAxis.h"
#include "ToolStripStyle.h"
#include "ZMKImageView.h"
#include "ZMKImageWnd.h"
#include "ZavizoZoz3.h"
#include "ui_Image3DWnd.h"

namespace {
constexpr double kLogoZoom = 0.189;
constexpr int kStripSlot = 37;  // 32-pixel buttons plus 5 pixels spacing

struct ActionInfo {
    const char* text;
    const char* folder;
};
// In the order of the strip button list.
const ActionInfo kActionInfo[] = {
    {QT_TRANSLATE_NOOP("Image3DWnd", "Contour Mode"), "ContourMode"},
    {QT_TRANSLATE_NOOP("Image3DWnd", "2D Mode"), "2DMode"},
    {QT_TRANSLATE_NOOP("Image3DWnd", "3D Mode"), "3DMode"},
    {QT_TRANSLATE_NOOP("Image3DWnd", "3D Show"), "3DShow"},
    {QT_TRANSLATE_NOOP("Image3DWnd", "2D RangeImage Show"), "2DRangeImageShow"},
    {QT_TRANSLATE_NOOP("Image3DWnd", "Grey Show"), "greyShow"},
    {QT_TRANSLATE_NOOP("Image3DWnd", "3D Rendering"), "3dRender"},
    {QT_TRANSLATE_NOOP("Image3DWnd", "Single Grab"), "singleGrab"},
    {QT_TRANSLATE_NOOP("Image3DWnd", "Start Grab"), "start"},
    {QT_TRANSLATE_NOOP("Image3DWnd", "Stop Grab"), "stop"},
    {QT_TRANSLATE_NOOP("Image3DWnd", "Single Save"), "singleSave"},
    {QT_TRANSLATE_NOOP("Image3DWnd", "Multiframe Save"), "multiSave"},
    {QT_TRANSLATE_NOOP("Image3DWnd", "Zoom In"), "zoomIn"},
    {QT_TRANSLATE_NOOP("Image3DWnd", "Zoom Out"), "zoomOut"},
    {QT_TRANSLATE_NOOP("Image3DWnd", "1:1 Show"), "restore"},
    {QT_TRANSLATE_NOOP("Image3DWnd", "Fit"), "zoomReset"},
};

}  // namespace

Image3DWnd::Image3DWnd(QWidget* parent) : QWidget(parent), m_ui(new Ui::Image3DWnd) {
    m_ui->setupUi(this);
    stackedWidget = m_ui->stackedWidget;
    wdg3DToolSingle = m_ui->wdg3DToolSingle;
    wdg2DImageWnd = m_ui->wdg2DImageWnd;
    wdgContourWnd = m_ui->wdgContourWnd;
    wdg3DImageWnd = m_ui->wdg3DImageWnd;
    btnContourMode = m_ui->btnContourMode;
    btn2DMode = m_ui->btn2DMode;
    btn3DMode = m_ui->btn3DMode;
    btn3DShow = m_ui->btn3DShow;
    btn2DRangeImageShow = m_ui->btn2DRangeImageShow;
    btnGreyImageShow = m_ui->btnGreyImageShow;
    btn3DRender = m_ui->btn3DRender;
    line_2 = m_ui->line_2;
    line_3 = m_ui->line_3;
    btnSingleGrab = m_ui->btnSingleGrab;
    btn3DStartGrab = m_ui->btn3DStartGrab;
    btn3DStopGrab = m_ui->btn3DStopGrab;
    btnSingleSave = m_ui->btnSingleSave;
    btnMultiSave = m_ui->btnMultiSave;
    btn3DZoomIn = m_ui->btn3DZoomIn;
    btn3DZoomOut = m_ui->btn3DZoomOut;
    btn3DRestore = m_ui->btn3DRestore;
    btn3DZoomReset = m_ui->btn3DZoomReset;
    btnShowMenu = m_ui->btnShowMenu;
    m_profilePlot = m_ui->wdgContourWnd;

    wdg3DToolSingle->setAttribute(Qt::WA_StyledBackground, true);
    wdg3DToolSingle->setStyleSheet(ToolStripStyle::image3DStrip());
    m_stripButtons = {btnContourMode,      btn2DMode,        btn3DMode,     btn3DShow,
                      btn2DRangeImageShow, btnGreyImageShow, btn3DRender,   btnSingleGrab,
                      btn3DStartGrab,      btn3DStopGrab,    btnSingleSave, btnMultiSave,
                      btn3DZoomIn,         btn3DZoomOut,     btn3DRestore,  btn3DZoomReset};
    createActions();
    connect(btn3DRender, &QPushButton::toggled, this, [this]() { m_renderFlag = !m_renderFlag; });

    for (QPushButton* b : {btn3DZoomIn, btn3DZoomOut, btn3DRestore, btn3DZoomReset}) {
        connect(b, &QPushButton::clicked, this, &Image3DWnd::onZoomChanged);
    }
    connect(btnShowMenu, &QPushButton::clicked, this, &Image3DWnd::onShowMenuButtonClicked);

    m_display = new ZMKImageWnd();
    m_display->create(reinterpret_cast<qint64>(wdg2DImageWnd));
    m_display->showToolbar(false);
    m_display->showScrollbar(true);
    m_display->showStatusbar(false);
    m_display->zoomReset();
    m_display->enablePixelVisible(true);
    m_logo.load(QStringLiteral(":/Resource/icons/HLXLogo.png"));
    showLogo();
    connect(m_display, &ZMKImageWnd::imgInfo, this, &Image3DWnd::onImgInfo);
    // The picture's view takes the presses itself; watch them so a click there selects the pane.
    m_displayViewport = m_display->viewport();
    if (m_displayViewport) m_displayViewport->installEventFilter(this);

    m_window3D = NuvCreate3DWnd(reinterpret_cast<int64_t>(wdg3DImageWnd));
    NuvSet3DBackgroundColor(m_window3D, 55, 56, 58, 255);
    NuvSet3DToolbarVisible(m_window3D, 0x80000000u | 0x800000u | 0x8000u | 0x40000u, true);
    NuvSet3DToolbarVisible(m_window3D, 0x4000u | 0x1000u, false);
    NuvSet3DStatusBarLogLevel(m_window3D, 0);
    Nuv3DZoomFitWnd(m_window3D);

    m_rangeLabel = new ImageWndLabel(m_ui->wdg2DRangImageWnd);
    m_rangeLabel->create(true, 0, true, true);
    m_rangeLabel->showToolbar(false);
    m_rangeLabel->setRangeDisplayXYZ(true);
    m_greyLabel = new ImageWndLabel(m_ui->wdg2DGreyImageWnd);
    m_greyLabel->create(true, 0, true, true);
    m_greyLabel->showToolbar(false);
    m_greyLabel->showScrollbar(true);

    m_modeGroup = new QButtonGroup(this);
    m_modeGroup->setExclusive(true);
    for (QPushButton* b : {btnContourMode, btn2DMode, btn3DMode})
        m_modeGroup->addButton(b);
    m_showGroup = new QButtonGroup(this);
    m_showGroup->setExclusive(true);
    for (QPushButton* b : {btn3DShow, btn2DRangeImageShow, btnGreyImageShow})
        m_showGroup->addButton(b);
    btn3DShow->click();

    for (QWidget* w : {wdg3DToolSingle, static_cast<QWidget*>(m_profilePlot), wdg2DImageWnd, wdg3DImageWnd,
                       m_ui->wdg2DRangImageWnd, m_ui->wdg2DGreyImageWnd}) {
        w->installEventFilter(this);
    }
    // The 3D window, range and grey pages take presses in their own children (rotation, panning):
    // watch those too so a press anywhere in the view selects the pane.
    for (QWidget* page : {wdg3DImageWnd, m_ui->wdg2DRangImageWnd, m_ui->wdg2DGreyImageWnd}) {
        for (QWidget* child : page->findChildren<QWidget*>()) {
            child->installEventFilter(this);
            m_pressSources.insert(child);
        }
    }
    m_streamer = std::make_shared<RangeStreamer>(m_window3D);
    m_livePages = new LiveRangePages(m_streamer, m_rangeLabel, m_greyLabel, this);
    m_arrivals = new ScanArrivals(
        m_streamer,
        [this](int batch) {
            m_livePages->batchArrived();
            if (batch == 0) updateColourBars();
        },
        [this] { showFinishedScan(); }, this);
    m_rangeBar = new HeightColourBar(m_ui->wdg2DRangImageWnd);
    m_bar3D = new HeightColourBar(wdg3DImageWnd);
    m_greyBar = new HeightColourBar(m_ui->wdg2DGreyImageWnd);
    m_greyBar->setGreyLevels();
    m_xAxis = new ScanAxis(Qt::Horizontal, m_ui->wdg2DRangImageWnd);
    m_yAxis = new ScanAxis(Qt::Vertical, m_ui->wdg2DRangImageWnd);
    m_xAxis->setView(qobject_cast<ZMKImageView*>(m_rangeLabel->viewWidget()));
    m_yAxis->setView(qobject_cast<ZMKImageView*>(m_rangeLabel->viewWidget()));
    for (QWidget* w : std::initializer_list<QWidget*>{m_rangeBar, m_bar3D, m_greyBar, m_xAxis, m_yAxis})
        w->hide();
    connect(stackedWidget, &QStackedWidget::currentChanged, this, [this]() { placeSaveStrip(); });
    connect(this, &Image3DWnd::initRangeImageFinish, this, &Image3DWnd::onInitRangeImageFinish,
            Qt::QueuedConnection);
    setContourXSpan(m_contourXSpan);
    setContourYRange(m_contourYMin, m_contourYMax);
    retranslate();
}

Image3DWnd::~Image3DWnd() {
    if (m_display) {
        m_display->destory();
        delete m_display;
        m_display = nullptr;
    }
    for (ImageWndLabel** label : {&m_rangeLabel, &m_greyLabel}) {
        (*label)->destroy(true, true);
        delete *label;
        *label = nullptr;
    }
    // Workers first: they append to the 3D window, which goes next.
    m_streamer->stop();
    NuvDestory3DWnd(m_window3D);
    delete m_ui;
}

void Image3DWnd::createActions() {
    for (int i = 0; i < m_stripButtons.size(); ++i) {
        auto* action = new QAction(this);
        action->setIcon(QIcon(QStringLiteral(":/Resource/icons/%1/normal.svg").arg(kActionInfo[i].folder)));
        QPushButton* button = m_stripButtons.at(i);
        button->setProperty("Action", QVariant::fromValue(static_cast<QObject*>(action)));
        connect(action, &QAction::triggered, button, &QPushButton::click);
        m_actions.append(action);
    }
}

void Image3DWnd::retranslate() {
    for (int i = 0; i < m_stripButtons.size(); ++i) {
        const QString text = tr(kActionInfo[i].text);
        QPushButton* button = m_stripButtons.at(i);
        const bool locked = m_modeButtonsLocked && (button == btnContourMode || button == btn2DMode ||
                                                    button == btn3DMode || button == btn3DRender);
        button->setToolTip(locked ? tr("%1 (stop the acquisition to change it)").arg(text) : text);
        m_actions.at(i)->setText(text);
    }
}

void Image3DWnd::setModeButtonsLocked(bool locked) {
    m_modeButtonsLocked = locked;
    for (QPushButton* b : {btnContourMode, btn2DMode, btn3DMode})
        b->setEnabled(!locked);
    retranslate();
}

void Image3DWnd::show2DImage(const QImage& image) {
    if (m_display && m_display->setBackground(image) == 0) m_showingLogo = false;
    setDataRows(0, -1);
}

void Image3DWnd::setDataRows(int first, int count) {
    m_dataRows = {first, count};
    if (m_display) m_display->setDataRows(first, count);
}

void Image3DWnd::getBackground(QImage* image) const {
    if (m_display) m_display->getBackground(image);
}

void Image3DWnd::getBackground(NuvImage* image) const {
    if (m_display) m_display->getBackground(image);
}

void Image3DWnd::showLogo() {
    if (!m_display) return;
    // The laser line belongs to the picture it was found in.
    m_display->clearLayer(ZMKImageWnd::LayerOverlay);
    m_display->setBackground(m_logo);
    m_display->zoom(kLogoZoom);
    setDataRows(0, -1);
    m_hasPicture = false;
    m_showingLogo = true;
}

void Image3DWnd::clearAll() {
    m_arrivals->clear();
    m_livePages->clear();
    // The read-out's copy of the range image goes with the picture.
    if (m_rangeLabel) m_rangeLabel->setRangeImageMode(false, NuvRangeImage());
    // clear() empties the background, so the idle logo goes in after it.
    if (m_display) m_display->clear();
    showLogo();
    for (ImageWndLabel* label : {m_rangeLabel, m_greyLabel}) {
        if (label) label->clearBackground();
    }
    m_profilePlot->setSamples(QVector<QPointF>());
    m_streamer->clear();
    // The scan's batches and colour arrays were freed on the workers' threads: their arenas keep
    // the pages unless asked to return them.
    FreedMemoryTrimmer::trimNow();
    updateColourBars();
}

void Image3DWnd::reset() {
    clearAll();
    for (QVector<int>& ids : m_shapeIds)
        ids.clear();
}

void Image3DWnd::setContourXSpan(float span) {
    m_contourXSpan = span;
    m_profilePlot->setXRange(-span / 2.0, span / 2.0, true);
}

void Image3DWnd::setContourYRange(float minimum, float maximum) {
    m_contourYMin = minimum;
    m_contourYMax = maximum;
    m_profilePlot->setYRange(minimum, maximum, true);
}

void Image3DWnd::showContour(const QVector<qreal>& profile, const QVector<uint8_t>& brightness) {
    m_lastProfile = profile;
    m_lastBrightness = brightness;
    if (m_saveForwarding && m_saver) m_saver->addProfile(profile, brightness);
    const int n = profile.size();
    QVector<double> x(n);
    QVector<double> y(n);
    for (int i = 0; i < n; ++i) {
        x[i] = -m_contourXSpan / 2.0 + i * static_cast<double>(m_contourXSpan) / n;
        y[i] = profile.at(i);
    }
    m_profilePlot->setData(x, y);
    if (m_cameraKey == nullptr) return;
    const std::string key = m_cameraKey->toStdString();
    if (ZavizoZoz3::GetCameraInfo(key, ZavizoZoz3::CAM_INFO_RANGE_PROBE) != "1") return;
    // A range probe: report the span of the heights inside the current y range, then stop.
    double hi = m_contourYMax;
    double lo = m_contourYMin;
    bool first = true;
    for (qreal h : profile) {
        if (!(h > m_contourYMin && h < m_contourYMax)) continue;
        if (first) {
            hi = lo = h;
            first = false;
        } else {
            hi = std::max<double>(hi, h);
            lo = std::min<double>(lo, h);
        }
    }
    ZavizoZoz3::SetCameraInfo(key, ZavizoZoz3::CAM_INFO_RANGE_PROBE, "0");
    ZavizoZoz3::SetCameraInfo(key, ZavizoZoz3::CAM_INFO_HEIGHT_MAX,
                              QString::number(hi, 'f', 6).toStdString());
    ZavizoZoz3::SetCameraInfo(key, ZavizoZoz3::CAM_INFO_HEIGHT_MIN,
                              QString::number(lo, 'f', 6).toStdString());
    emit btn3DStopGrab->clicked(false);
}

void Image3DWnd::showImageWithProfile(const QImage& image, const QVector<qreal>& profile) {
    if (!m_display) return;
    if (image.isNull()) {
        showLogo();
        return;
    }
    // A run saves the camera's pictures as they arrive, not as the display keeps up with them.
    m_hasPicture = true;
    m_display->clearLayer(ZMKImageWnd::LayerOverlay);
    m_display->setBackground(image);
    // The rows outside the camera's window are coloured: the read-out has no data there.
    const std::pair<int, int> band = SaveImageTool::sensorRowBand(image);
    setDataRows(band.first, band.second);
    m_showingLogo = false;
    drawProfilePoints(profile, image.height());
}

void Image3DWnd::showImageWithProfile(const NuvImage& image, const QVector<qreal>& profile) {
    if (!m_display) return;
    if (image.isEmpty()) {
        showLogo();
        return;
    }
    m_hasPicture = true;
    m_display->clearLayer(ZMKImageWnd::LayerOverlay);
    m_display->setBackground(image);
    setDataRows(0, -1);
    m_showingLogo = false;
    drawProfilePoints(profile, image.height());
}

void Image3DWnd::drawProfilePoints(const QVector<qreal>& profile, int imageHeight) {
    NuvOverlayPath path;
    for (int i = 0; i < profile.size(); ++i) {
        // Columns without a point (NaN) or with a row outside the picture get no mark.
        const qreal row = profile.at(i);
        if (row >= 0 && row < imageHeight) path.addCircle(NuvPoint(i, row), 0.15);
    }
    if (path.empty()) return;
    m_display->setPen(0, 255, 0, 0);
    m_display->displayOverlayPath(path, ZMKImageWnd::LayerOverlay);
}

namespace {
std::string nodeText(const std::string& key, const char* feature) {
    std::string value;
    return ZavizoZoz3::GetCameraNodeValue(key, feature, value) == 0 ? value : std::string();
}

// What the 3D set-up reads from the camera; unreadable values keep the previous ones.
bool readDisplaySettings(const std::string& key, RangeStreamer::DisplaySettings* s) {
    double yInterval = 0;
    if (NuvNumberParse::read(ZavizoZoz3::GetCameraInfo(key, ZavizoZoz3::CAM_INFO_Y_INTERVAL), &yInterval) &&
        yInterval > 0)
        s->yInterval = yInterval;
    double xInterval = 0;
    if (NuvNumberParse::read(nodeText(key, "XInterval"), &xInterval) && xInterval > 0)
        s->xInterval = xInterval / 1000.0;
    NuvNumberParse::read(ZavizoZoz3::GetCameraInfo(key, ZavizoZoz3::CAM_INFO_HEIGHT_MAX), &s->heightMax);
    NuvNumberParse::read(ZavizoZoz3::GetCameraInfo(key, ZavizoZoz3::CAM_INFO_HEIGHT_MIN), &s->heightMin);
    int ratio = 0;
    if (NuvNumberParse::read(ZavizoZoz3::GetCameraInfo(key, ZavizoZoz3::CAM_INFO_SAMPLING_RATIO), &ratio) &&
        ratio > 0)
        s->samplingRatio = ratio;
    const std::string mode = ZavizoZoz3::GetCameraInfo(key, ZavizoZoz3::CAM_INFO_DISPLAY_MODE);
    if (!mode.empty()) s->displayMode = mode == "0" ? 3 : 1;
    return true;
}
}  // namespace

int Image3DWnd::prepareScan(const QString& cameraKey) {
    const std::string key = cameraKey.toStdString();
    const int total = NuvNumberParse::valueOr(nodeText(key, "AcquisitionLineCount"), 0);
    const int perBatch = NuvNumberParse::valueOr(nodeText(key, "BatchNumber"), 0);
    const int scaler = NuvNumberParse::valueOr(nodeText(key, "Scaler"), 0);
    const int dataType = ZavizoZoz3::GetCameraInfo(key, ZavizoZoz3::CAM_INFO_RANGE_BITS) == "16" ? 0 : 1;
    double xInterval = 0;
    const bool xRead = NuvNumberParse::read(nodeText(key, "XInterval"), &xInterval);
    xInterval = xRead && xInterval > 0 ? xInterval / 1000.0 : m_contourXSpan / 3200.0;
    int points = NuvNumberParse::valueOr(nodeText(key, "PointsNum"), 0);
    if (points <= 0) points = 3200;
    const int displayMode = ZavizoZoz3::GetCameraInfo(key, ZavizoZoz3::CAM_INFO_DISPLAY_MODE) == "0" ? 3 : 1;
    Nuv3DZoomFitWnd(m_window3D);
    m_streamer->setSettingsProvider(
        [key](RangeStreamer::DisplaySettings* s) { return readDisplaySettings(key, s); });
    const RangeStreamer::Format format = RangeStreamer::formatFor(dataType, scaler);
    m_arrivals->clear();
    const bool prepared = m_streamer->prepare(total, perBatch, points, format, xInterval, displayMode);
    // The legends show the camera's height range from the first line on.
    RangeStreamer::DisplaySettings settings = m_streamer->displaySettings();
    readDisplaySettings(key, &settings);
    m_streamer->setDisplaySettings(settings);
    m_frameInfo->setValues({points, format.bytesPerPoint, format.heightOffset, format.profileHeightOffset,
                            format.heightScale, format.profileScaleDivisor, xInterval, settings.yInterval});
    updateColourBars();
    if (prepared) return 0;
    ZavizoZoz3::VLogError(
        "Image3DWnd",
        QStringLiteral("scan of %1 lines x %2 points refused: beyond %3 MiB or out of memory")
            .arg(total)
            .arg(points)
            .arg(RangeStreamer::kMaxScanBytes >> 20)
            .toStdString(),
        0);
    return -1;
}

void Image3DWnd::showRangeImage(std::unique_ptr<NuvRangeImage> image) {
    const bool has = image != nullptr;
    m_streamer->replaceRangeImage(std::move(image));
    if (has) showFinishedScan();
}

void Image3DWnd::clearRangePages() {
    for (ImageWndLabel* label : {m_rangeLabel, m_greyLabel})
        label->clearBackground();
}

void Image3DWnd::onBatchArrived(const void* data, uint64_t imageId, int batch, bool isEnd) {
    if (data == nullptr) return;
    m_arrivals->arrive(imageId, batch, isEnd);
}

void Image3DWnd::showFinishedScan() {
    // The pages draw what is left at display resolution; only a save takes a full copy.
    m_livePages->showAll();
    if (!m_saveForwarding || m_saver == nullptr) return;
    NuvRangeImage range;
    if (!m_streamer->copyRangeImage(&range)) return;
    const RangeStreamer::Format f = m_streamer->format();
    const RangeStreamer::DisplaySettings s = m_streamer->displaySettings();
    range.SetInfo(f.heightScale, -f.heightOffset, s.xInterval, 0, s.yInterval, 0);
    std::vector<uint8_t> grey;
    int width = 0;
    int height = 0;
    if (m_streamer->copyGreyImage(&grey, &width, &height) && width > 0 && height > 0) {
        m_saver->addRangeImage(range, NuvImage(width, height, NuvPixelFormat::Mono8, grey.data(),
                                               static_cast<size_t>(width), true));
    } else {
        m_saver->addRangeImage(range, NuvImage());
    }
}

void Image3DWnd::refreshFromCamera(const QString& cameraKey) {
    RangeStreamer::DisplaySettings settings = m_streamer->displaySettings();
    readDisplaySettings(cameraKey.toStdString(), &settings);
    m_streamer->refresh(settings);
    updateColourBars();
}

void Image3DWnd::updateColourBars() {
    const RangeStreamer::DisplaySettings s = m_streamer->displaySettings();
    const bool scan = m_streamer->hasImage();
    m_rangeBar->setScale(LiveRangePages::kColorMap, s.heightMin, s.heightMax);
    m_bar3D->setScale(RangeStreamer::kColorMap, s.heightMin, s.heightMax);
    m_xAxis->setLength(m_streamer->pointsPerLine() * s.xInterval);
    m_yAxis->setLength(m_streamer->totalLines() * s.yInterval);
    for (QWidget* w : std::initializer_list<QWidget*>{m_rangeBar, m_greyBar, m_xAxis, m_yAxis})
        w->setVisible(scan);
    m_bar3D->setVisible(scan && s.displayMode == 3);
    for (QWidget* page : {wdg3DImageWnd, m_ui->wdg2DRangImageWnd, m_ui->wdg2DGreyImageWnd})
        layoutPage(page);
}

void Image3DWnd::layoutPage(QWidget* page) {
    const bool grey = page == m_ui->wdg2DGreyImageWnd;
    HeightColourBar* bar = page == wdg3DImageWnd ? m_bar3D : grey ? m_greyBar : m_rangeBar;
    if (bar == nullptr || m_xAxis == nullptr) return;  // still being built
    const int barWidth = !bar->isHidden() ? HeightColourBar::kWidth : 0;
    const int width = std::max(0, page->width() - barWidth);
    bar->setGeometry(width, 0, HeightColourBar::kWidth, page->height());
    if (page == wdg3DImageWnd) {
        NuvMove3DWnd(m_window3D, 0, 0, width, page->height());
    } else if (grey) {
        m_greyLabel->setGeometry(0, 0, width, page->height());
    } else {
        // The rulers take the range picture's left and bottom edges while a scan is shown.
        const int ruler = m_xAxis->isHidden() ? 0 : ScanAxis::kThickness;
        const int height = std::max(0, page->height() - ruler);
        m_rangeLabel->setGeometry(ruler, 0, std::max(0, width - ruler), height);
        m_yAxis->setGeometry(0, 0, ruler, page->height());  // down into the corner below it
        m_xAxis->setGeometry(ruler, height, std::max(0, width - ruler), ruler);
    }
    placeSaveStrip();
}

void Image3DWnd::placeSaveStrip(QWidget* strip, int top) {
    m_saveStrip = strip;
    m_saveStripTop = top;
    placeSaveStrip();
}

void Image3DWnd::placeSaveStrip() {
    if (!m_saveStrip || m_saveStrip->parentWidget() != this) return;
    // The page's right edge less its legend, whichever page shows.
    QWidget* page = stackedWidget->currentWidget();
    HeightColourBar* bar = page == wdg3DImageWnd             ? m_bar3D
                           : page == m_ui->wdg2DRangImageWnd ? m_rangeBar
                           : page == m_ui->wdg2DGreyImageWnd ? m_greyBar
                                                             : nullptr;
    const int right = page ? page->mapTo(this, QPoint(page->width(), 0)).x() : width();
    const int legend = bar && !bar->isHidden() ? HeightColourBar::kWidth : 0;
    m_saveStrip->move(std::max(0, right - legend - m_saveStrip->width()), m_saveStripTop);
}

void Image3DWnd::render3D() {
    stackedWidget->setCurrentIndex(2);
    m_streamer->redisplay(m_renderFlag);
}

void Image3DWnd::onShowModeChanged() {
    QObject* s = sender();
    int page = -1;
    if (s == btnContourMode) page = 0;
    if (s == btn2DMode) page = 1;
    if (s == btn3DMode) page = 2;
    if (page < 0) return;
    stackedWidget->setCurrentIndex(page);
    const bool is3D = page == 2;
    setStripButtonHidden(btn3DZoomIn, is3D);
    setStripButtonHidden(btn3DZoomOut, is3D);
    setStripButtonHidden(btn3DRestore, is3D);
}

void Image3DWnd::onZoomChanged() {
    QObject* s = sender();
    const bool contour = btnContourMode->isChecked();
    const bool picture = btn2DMode->isChecked();
    if (s == btn3DZoomIn) {
        if (contour) m_profilePlot->zoomIn();
        if (picture && m_display) m_display->zoomIn();
    } else if (s == btn3DZoomOut) {
        if (contour) m_profilePlot->zoomOut();
        if (picture && m_display) m_display->zoomOut();
    } else if (s == btn3DRestore) {
        if (picture && m_display) m_display->zoomReset();
    } else if (s == btn3DZoomReset) {
        if (picture && m_display) m_display->zoomFitWnd();
        if (contour) {
            setContourXSpan(m_contourXSpan);
            setContourYRange(m_contourYMin, m_contourYMax);
        }
    }
}

void Image3DWnd::setStripButtonHidden(QWidget* button, bool hidden) {
    if (button == nullptr) return;
    if (hidden) {
        // Hidden by the owner: it stays hidden, not parked in the overflow menu.
        button->setProperty("inMenu", false);
        m_menuWidgets.removeAll(button);
    }
    button->setHidden(hidden);
}

void Image3DWnd::relayoutToolBar() {
    relayoutToolBar(wdg3DToolSingle->width());
}

void Image3DWnd::relayoutToolBar(int width) {
    QList<QWidget*> collected;
    for (QPushButton* b : qAsConst(m_stripButtons)) {
        // Widgets the owner hid stay hidden; the ones we moved into the menu come back.
        if (b->isHidden() && !b->property("inMenu").toBool()) continue;
        collected.append(b);
    }
    const int fit = width / kStripSlot;
    if (fit < collected.size()) {
        m_menuWidgets.clear();
        for (int i = 0; i < collected.size(); ++i) {
            QWidget* w = collected.at(i);
            const bool inStrip = i < fit;
            w->setVisible(inStrip);
            w->setProperty("inMenu", !inStrip);
            if (!inStrip) m_menuWidgets.append(w);
        }
        btnShowMenu->show();
    } else {
        btnShowMenu->hide();
        for (QWidget* w : qAsConst(collected)) {
            if (w->property("Action").isValid()) {
                w->show();
                w->setProperty("inMenu", false);
            }
        }
        m_menuWidgets.clear();
    }
}

void Image3DWnd::onShowMenuButtonClicked() {
    QMenu menu(this);
    for (QWidget* w : qAsConst(m_menuWidgets)) {
        auto* action = qobject_cast<QAction*>(w->property("Action").value<QObject*>());
        if (action == nullptr) continue;
        action->setEnabled(w->isEnabled());
        menu.addAction(action);
    }
    menu.setStyleSheet(QStringLiteral(
        "QMenu::item{font-size: 14px;padding-top: 0px;padding-bottom: 0px;padding-left: 30px;padding-right: "
        "15px;}QMenu{background-color: rgb(95,96,97);color: white;}QMenu:disabled{color: gray;}"));
    ModalSeam::execMenu(&menu, btnShowMenu->mapToGlobal(QPoint(0, btnShowMenu->height())));
}

void Image3DWnd::onInitRangeImageFinish() {}

void Image3DWnd::setShapesEditable(bool editable) {
    if (!m_display) return;
    for (const QVector<int>& ids : m_shapeIds) {
        for (int id : ids) {
            m_display->setShapeMovable(id, editable);
            m_display->setShapeSelectable(id, editable);
        }
    }
}

bool Image3DWnd::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();

    const bool fromPlot = watched == m_profilePlot;
    const bool fromPicture = (m_display && watched == m_displayViewport) || m_pressSources.contains(watched);
    if ((fromPlot && (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick)) ||
        (fromPicture && type == QEvent::MouseButtonPress)) {
        // The pane selects itself on presses anywhere in its body.
        if (QWidget* pane = parentWidget()) {
            auto* me = static_cast<QMouseEvent*>(event);
            QMouseEvent copy(type, pane->mapFromGlobal(me->globalPos()), me->windowPos(), me->screenPos(),
                             me->button(), me->buttons(), me->modifiers());
            QCoreApplication::sendEvent(pane, &copy);
        }
    } else if (type == QEvent::Resize) {
        if (watched == wdg3DImageWnd || watched == m_ui->wdg2DRangImageWnd ||
            watched == m_ui->wdg2DGreyImageWnd) {
            layoutPage(static_cast<QWidget*>(watched));
        } else if (watched == wdg2DImageWnd && m_display) {
            m_display->move(0, 0, wdg2DImageWnd->width(), wdg2DImageWnd->height());
        } else if (watched == wdg3DToolSingle) {
            relayoutToolBar(static_cast<QResizeEvent*>(event)->size().width());
        }
    }
    return QWidget::eventFilter(watched, event);
}

void Image3DWnd::onImgInfo(double x, double y, int a, int b, int c, float value) {
    // The idle logo is no camera picture: nothing to read out.
    // Outside the camera's window there is no pixel: the host gets an invalid colour.
    const int row = static_cast<int>(y);
    const bool noData =
        m_dataRows.second >= 0 && (row < m_dataRows.first || row - m_dataRows.first >= m_dataRows.second);
    if (m_display && !m_showingLogo) {
        emit pixelHovered(QPoint(static_cast<int>(x), row),
                          noData ? QColor() : PixelReport::hostColor(a, b, c, value, false),
                          static_cast<float>(m_display->zoomFactor()));
    }
    if (m_cameraKey == nullptr || noData) return;
    PixelReport::send(*m_cameraKey, x, y, a, b, c, value);
}
