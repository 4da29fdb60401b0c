// SPDX-License-Identifier: Apache-2.0
#include "NuvViewerImageWnd.h"

#include <QPushButton>
#include <QStringList>
#include <QVariant>
#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

#include "DisplayRangeTool.h"
#include "Image3DWnd.h"
#include "ImageWnd.h"
#include "ImageWndManager.h"
#include "NuvRangeImage.h"
#include "RangeStreamer.h"
#include "StreamHealthMonitor.h"

namespace {
const char* const kModeNames[] = {"auto-once", "auto", "fixed", "percentile"};

// The host's and the display widget's ranges carry the same fields; only the mode's type differs.
template <typename To, typename From>
To convertRange(const From& from) {
    To to;
    to.mode = static_cast<decltype(to.mode)>(from.mode);
    to.minimum = from.minimum;
    to.maximum = from.maximum;
    to.lowPercent = from.lowPercent;
    to.highPercent = from.highPercent;
    to.gamma = from.gamma;
    to.markSaturated = from.markSaturated;
    to.saturationColour = from.saturationColour;
    return to;
}

ZMKDisplayRange toDisplay(const NuvViewerImageWnd::DisplayRange& r) {
    return convertRange<ZMKDisplayRange>(r);
}

bool validMode(int mode) {
    return mode >= NuvViewerImageWnd::DisplayRange::AutoOnce &&
           mode <= NuvViewerImageWnd::DisplayRange::Percentile;
}

NuvViewerImageWnd::DisplayRange toPublic(const ZMKDisplayRange& d) {
    return convertRange<NuvViewerImageWnd::DisplayRange>(d);
}
}  // namespace

NuvViewerImageWnd::NuvViewerImageWnd(QWidget* parent) : QObject(parent) {
    // Hosts may connect our signals queued or spy on them: their enum arguments must be known.
    qRegisterMetaType<NuvViewerImageWnd::ButtonType>("NuvViewerImageWnd::ButtonType");
    qRegisterMetaType<NuvViewerImageWnd::WndLayout>("NuvViewerImageWnd::WndLayout");
    qRegisterMetaType<NuvViewerImageWnd::ImageWndMode>("NuvViewerImageWnd::ImageWndMode");
    qRegisterMetaType<NuvViewerImageWnd::DisplayRange>("NuvViewerImageWnd::DisplayRange");
    m_manager = new ImageWndManager(this, parent);
    for (int wndId = 1; wndId <= 4; ++wndId) {
        if (ImageWnd* pane = this->pane(wndId)) {
            connect(pane->displayRangeTool(), &DisplayRangeTool::rangeChanged, this,
                    [this, wndId](const ZMKDisplayRange& range) {
                        emit displayRangeChanged(wndId, toPublic(range));
                    });
        }
    }
    connect(m_manager, &ImageWndManager::buttonClicked, this,
            [this](int wndId, QString camId, NuvViewerImageWnd::ButtonType type) {
                emit wndButtonclick(wndId, camId, type);
            });
}

NuvViewerImageWnd::~NuvViewerImageWnd() {
    // A host that re-parented the viewer may have deleted it with its new parent already.
    delete m_manager.data();
}

QWidget* NuvViewerImageWnd::manager() const {
    return m_manager.data();
}

ImageWnd* NuvViewerImageWnd::pane(int wndId) const {
    return m_manager ? m_manager->pane(wndId) : nullptr;
}

void NuvViewerImageWnd::setImageWndParent(QWidget* parent) {
    if (m_manager) m_manager->setParent(parent);
}

int NuvViewerImageWnd::setImageWndMode(int wndId, ImageWndMode mode) {
    ImageWnd* pane = this->pane(wndId);
    if (pane == nullptr) return -1;
    const int result = pane->setImageWndMode(static_cast<int>(mode));
    if (m_manager) m_manager->setPaneMode(wndId, static_cast<int>(mode), result == 0);
    return result;
}

void NuvViewerImageWnd::setWndLayout(WndLayout layout, QVector<int> wndIds) {
    if (m_manager) m_manager->setWndLayout(static_cast<int>(layout), wndIds);
}

NuvViewerImageWnd::WndLayout NuvViewerImageWnd::getWndLayout() const {
    return static_cast<WndLayout>(m_manager ? m_manager->getWndLayout() : 0);
}

void NuvViewerImageWnd::setCurrentWnd(int wndId) {
    if (m_manager) m_manager->setCurrentWnd(wndId);
}

int NuvViewerImageWnd::getCurrentWnd() const {
    return m_manager ? m_manager->getCurrentWnd() : -1;
}

int NuvViewerImageWnd::setImageWndTitle(int wndId, QString title) {
    ImageWnd* pane = this->pane(wndId);
    return pane ? pane->setImageWndTitle(title) : -1;
}

int NuvViewerImageWnd::getImageWndTitle(int wndId, QString* title) const {
    ImageWnd* pane = this->pane(wndId);
    return pane ? pane->getImageWndTitle(title) : -1;
}

void NuvViewerImageWnd::show2DImage(int wndId, QImage& image) {
    if (ImageWnd* pane = this->pane(wndId)) pane->show2DImage(image, false);
}

void NuvViewerImageWnd::show2DImage(int wndId, NuvImage& image) {
    ImageWnd* pane = this->pane(wndId);
    if (pane != nullptr && pane->imageWndMode() == Mode2D) pane->show2DImage(image);
}

int NuvViewerImageWnd::get2DImage(int wndId, QImage* image) const {
    if (!m_manager) return -1;
    ImageWnd* pane = this->pane(wndId);
    if (pane == nullptr) return 0;
    if (pane->imageWndMode() != Mode2D) return -1;
    pane->get2DImage(image);
    return 0;
}

int NuvViewerImageWnd::get2DImage(int wndId, NuvImage* image) const {
    if (!m_manager) return -1;
    ImageWnd* pane = this->pane(wndId);
    if (pane == nullptr) return 0;
    if (pane->imageWndMode() != Mode2D) return -1;
    pane->get2DImage(image);
    return 0;
}

namespace {
// The pane's button for an action, in the 2D view and in the profiler view.
QStringList buttonsFor(NuvViewerImageWnd::WndAction action) {
    switch (action) {
        case NuvViewerImageWnd::ActionZoomFit:
            return {QStringLiteral("btnZoomFit"), QStringLiteral("btn3DZoomReset")};
        case NuvViewerImageWnd::ActionZoom100:
            return {QStringLiteral("btnRestore"), QStringLiteral("btn3DRestore")};
        case NuvViewerImageWnd::ActionZoomIn:
            return {QStringLiteral("btnZoomIn"), QStringLiteral("btn3DZoomIn")};
        case NuvViewerImageWnd::ActionZoomOut:
            return {QStringLiteral("btnZoomOut"), QStringLiteral("btn3DZoomOut")};
        case NuvViewerImageWnd::ActionStartGrab:
            return {QStringLiteral("btnStartGrab"), QStringLiteral("btn3DStartGrab")};
        case NuvViewerImageWnd::ActionStopGrab:
            return {QStringLiteral("btnStopGrab"), QStringLiteral("btn3DStopGrab")};
        case NuvViewerImageWnd::ActionSingleSave:
            return {QStringLiteral("btnSingleSave")};
    }
    return {};
}

// A button the user could press now: enabled, on the strip or parked in its overflow menu, in the
// view the pane shows (the other view is kept hidden).
bool offered(const QPushButton* button, const QWidget* pane) {
    if (!button->isEnabled()) return false;
    if (button->isHidden() && !button->property("inMenu").toBool()) return false;
    for (const QWidget* w = button->parentWidget(); w != nullptr && w != pane; w = w->parentWidget()) {
        if (w->isHidden()) return false;
    }
    return true;
}
}  // namespace

int NuvViewerImageWnd::triggerWndAction(int wndId, WndAction action) {
    ImageWnd* pane = this->pane(wndId);
    if (pane == nullptr) return -1;
    for (const QString& name : buttonsFor(action)) {
        for (QPushButton* button : pane->findChildren<QPushButton*>(name)) {
            if (!offered(button, pane)) continue;
            button->click();
            return 0;
        }
    }
    return -1;
}

int NuvViewerImageWnd::showRangeImage(int wndId, const NuvRangeImage& image) {
    ImageWnd* pane = this->pane(wndId);
    if (pane == nullptr || pane->imageWndMode() != Mode3D || image.isEmpty() ||
        image.width() > RangeStreamer::kMaxPointsPerLine || image.TypeCode() == NuvRangeImage::TypeFloat64)
        return -1;
    Image3DWnd* view = pane->view3D();
    if (view == nullptr) return -1;
    // The image's own scale, not the camera's: heights, colours and the shown height range follow it.
    const bool wide = image.bytesPerPoint() == 4;
    RangeStreamer::Format format = RangeStreamer::formatFor(wide ? 1 : 0, 0);
    format.heightScale = image.heightScale();
    format.heightOffset = -static_cast<int>(std::lround(image.heightOffset()));
    int64_t low = std::numeric_limits<int64_t>::max();
    int64_t high = std::numeric_limits<int64_t>::min();
    for (int row = 0; row < image.height(); ++row) {
        for (int col = 0; col < image.width(); ++col) {
            const int64_t raw =
                wide ? (image.sample(row, col) & NuvRangeImage::kSample32Mask) : image.sample(row, col);
            if (raw == 0) continue;
            low = std::min(low, raw);
            high = std::max(high, raw);
        }
    }
    const std::shared_ptr<RangeStreamer> streamer = view->streamer();
    RangeStreamer::DisplaySettings settings = streamer->displaySettings();
    if (low <= high) {
        const double a = (static_cast<double>(low) - format.heightOffset) * format.heightScale;
        const double b = (static_cast<double>(high) - format.heightOffset) * format.heightScale;
        settings.heightMin = static_cast<float>(std::min(a, b) - 0.001);
        settings.heightMax = static_cast<float>(std::max(a, b) + 0.001);
    }
    settings.xInterval = image.xInterval();
    settings.yInterval = image.yInterval();
    // No camera's settings replace these while the image is shown.
    streamer->setSettingsProvider([](RangeStreamer::DisplaySettings*) { return false; });
    streamer->setDisplaySettings(settings);
    if (!streamer->prepare(image.height(), image.height(), image.width(), format, image.xInterval(),
                           settings.displayMode))
        return -1;
    pane->setRangeStreaming(new NuvRangeImage(image.clone()));
    return 0;
}

// The per-button operations are reserved: hosts control grab buttons through the business layer.
int NuvViewerImageWnd::setButtonEnable(int, ButtonType, bool) {
    return -1;
}
int NuvViewerImageWnd::buttonIsEnable(int, ButtonType, bool*) const {
    return -1;
}
int NuvViewerImageWnd::setButtonHidden(int, ButtonType, bool) {
    return -1;
}
int NuvViewerImageWnd::buttonIsHidden(int, ButtonType, bool*) const {
    return -1;
}

int NuvViewerImageWnd::initRangeImageDisplay(QString camId) {
    ImageWnd* pane = m_manager ? m_manager->paneOf(camId) : nullptr;
    if (pane == nullptr || pane->imageWndMode() != Mode3D) return -1;
    return pane->prepareRangeAcquisition();
}

void NuvViewerImageWnd::setPixelReadoutVisible(bool visible) {
    for (int wndId = 1; wndId <= 4; ++wndId) {
        if (ImageWnd* pane = this->pane(wndId)) pane->setPixelReadoutVisible(visible);
    }
}

bool NuvViewerImageWnd::isWndShown(int wndId) const {
    return m_manager && m_manager->shownList().contains(wndId);
}

int NuvViewerImageWnd::getStreamHealth(int wndId, StreamHealth* health) const {
    ImageWnd* pane = this->pane(wndId);
    if (pane == nullptr || health == nullptr) return -1;
    const StreamHealthMonitor::Figures f = pane->streamHealth()->figures();
    health->framesShown = f.framesShown;
    health->framesPerSecond = f.framesPerSecond;
    health->lostOnTransport = f.lostOnTransport;
    health->droppedInViewer = f.droppedInViewer;
    health->countsPackets = f.countsPackets;
    health->resentPackets = f.resentPackets;
    health->missingPackets = f.missingPackets;
    return 0;
}

int NuvViewerImageWnd::getStreamHealth(QString camId, StreamHealth* health) const {
    return m_manager ? getStreamHealth(m_manager->paneIndexOf(camId), health) : -1;
}

// ---- display range -------------------------------------------------------------------------

QString NuvViewerImageWnd::DisplayRange::toString() const {
    const QString mode = validMode(this->mode) ? QString::fromLatin1(kModeNames[this->mode]) : QString();
    // QString::number writes a '.' decimal point in every locale.
    return QStringLiteral("mode=%1;min=%2;max=%3;low=%4;high=%5;gamma=%6;saturation=%7;colour=%8")
        .arg(mode)
        .arg(minimum)
        .arg(maximum)
        .arg(QString::number(lowPercent, 'g', 10))
        .arg(QString::number(highPercent, 'g', 10))
        .arg(QString::number(gamma, 'g', 10))
        .arg(markSaturated ? 1 : 0)
        .arg(saturationColour.name());
}

bool NuvViewerImageWnd::DisplayRange::fromString(const QString& text, DisplayRange* range) {
    if (range == nullptr) return false;
    DisplayRange r;
    for (const QString& item : text.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const int eq = item.indexOf(QLatin1Char('='));
        if (eq < 0) return false;
        const QString key = item.left(eq).trimmed();
        const QString value = item.mid(eq + 1).trimmed();
        bool ok = true;
        if (key == QLatin1String("mode")) {
            ok = false;
            for (int m = AutoOnce; m <= Percentile; ++m) {
                if (value == QLatin1String(kModeNames[m])) r.mode = static_cast<Mode>(m), ok = true;
            }
        } else if (key == QLatin1String("min")) {
            r.minimum = value.toInt(&ok);
        } else if (key == QLatin1String("max")) {
            r.maximum = value.toInt(&ok);
        } else if (key == QLatin1String("low")) {
            r.lowPercent = value.toDouble(&ok);  // QString reads the '.' decimal point in every locale
        } else if (key == QLatin1String("high")) {
            r.highPercent = value.toDouble(&ok);
        } else if (key == QLatin1String("gamma")) {
            r.gamma = value.toDouble(&ok);
        } else if (key == QLatin1String("saturation")) {
            ok = value == QLatin1String("0") || value == QLatin1String("1");
            r.markSaturated = value == QLatin1String("1");
        } else if (key == QLatin1String("colour")) {
            r.saturationColour = QColor(value);
            ok = r.saturationColour.isValid() && value.startsWith(QLatin1Char('#'));
        } else {
            ok = false;
        }
        if (!ok) return false;
    }
    if (!toDisplay(r).isValid()) return false;
    *range = r;
    return true;
}

bool NuvViewerImageWnd::DisplayRange::operator==(const DisplayRange& other) const {
    return toDisplay(*this) == toDisplay(other);
}

int NuvViewerImageWnd::getDisplayRange(int wndId, DisplayRange* range) const {
    ImageWnd* pane = this->pane(wndId);
    if (pane == nullptr || range == nullptr) return -1;
    *range = toPublic(pane->displayRangeTool()->range());
    return 0;
}

int NuvViewerImageWnd::setDisplayRange(int wndId, const DisplayRange& range) {
    ImageWnd* pane = this->pane(wndId);
    if (pane == nullptr || !validMode(range.mode)) return -1;
    return pane->displayRangeTool()->setRange(toDisplay(range)) ? 0 : -1;
}
