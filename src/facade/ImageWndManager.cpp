// SPDX-License-Identifier: Apache-2.0
#include "ImageWndManager.h"

#include <QCoreApplication>
#include <QDropEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QMimeData>
#include <QMouseEvent>
#include <QMutexLocker>
#include <QResizeEvent>
#include <QSet>
#include <algorithm>
#include <cmath>

#include "CameraIdUpdate.h"
#include "CorrectionUpdate.h"
#include "DeviceListUpdate.h"
#include "FinishFlag.h"
#include "FocusUpdate.h"
#include "FreedMemoryTrimmer.h"
#include "ImageModeUpdate.h"
#include "ImageUpdateManager.h"
#include "ImportUpdate.h"
#include "LanguageUpdate.h"
#include "LatestFrameSlot.h"
#include "LayoutUpdate.h"
#include "PaneSaveCommands.h"
#include "ROIUpdate.h"
#include "RangeStreamer.h"
#include "SLImageShowModeUpdate.h"
#include "StreamHealthMonitor.h"
#include "Wnd3DImageTransTool.h"

namespace {
const char* const kSelectionBorder = "#ImageWnd{border:1px solid rgb(0, 255, 0);}";
constexpr int kPaneCount = 4;
constexpr int kMaxLogoSide = 1174;

bool isValidLayout(int layout) {
    return layout == 1 || layout == 2 || layout == 4 || layout == 9 || layout == 16;
}

int columnsFor(int layout) {
    return static_cast<int>(std::ceil(std::sqrt(static_cast<double>(layout))));
}
}  // namespace

ImageWndManager::ImageWndManager(NuvViewerImageWnd* facade, QWidget* parent)
    : QWidget(parent), m_facade(facade) {
    m_deviceListUpdate = new DeviceListUpdate();
    m_focusUpdate = new FocusUpdate();
    m_layoutUpdate = new LayoutUpdate();
    m_imageUpdate = new ImageUpdateManager();
    m_memoryTrimmer = new FreedMemoryTrimmer(this);
    m_cameraIdUpdate = new CameraIdUpdate();
    m_languageUpdate = new LanguageUpdate();
    m_roiUpdate = new ROIUpdate(this);
    m_correctionUpdate = new CorrectionUpdate();
    m_importUpdate = new ImportUpdate();
    m_imageModeUpdate = new ImageModeUpdate();
    m_slImageShowModeUpdate = new SLImageShowModeUpdate();

    setAcceptDrops(true);
    setFocusPolicy(Qt::StrongFocus);
    if (parent != nullptr) {
        // The host's own layout and the widgets in it stay: we join it as its last item.
        if (QLayout* existing = parent->layout()) {
            existing->addWidget(this);
        } else {
            auto* hostLayout = new QHBoxLayout(parent);
            hostLayout->addWidget(this);
            hostLayout->setContentsMargins(0, 0, 0, 0);
        }
        parent->setAcceptDrops(true);
    }

    createPanes();
    setWndLayout(1, QVector<int>());
    BridgeMetaTypes::registerAll();
    connectListeners();
    // Registered last so no callback can reach a half-built manager.
    registerListeners();
}

ImageWndManager::~ImageWndManager() {
    // A device-list callback may be waiting for this (GUI) thread, and unregistering waits for
    // it: let it go first, or closing freezes until the callback gives up.
    m_deviceListUpdate->abandonWaits();
    unregisterListeners();
    if (m_translatorInstalled) QCoreApplication::removeTranslator(&m_translator);
    delete m_deviceListUpdate;
    delete m_focusUpdate;
    delete m_layoutUpdate;
    delete m_cameraIdUpdate;
    delete m_languageUpdate;
    delete m_roiUpdate;
    delete m_correctionUpdate;
    delete m_importUpdate;
    delete m_imageModeUpdate;
    delete m_slImageShowModeUpdate;
    // The dispatcher owns the transform tools, which point back at us: it goes before the panes.
    delete m_imageUpdate;
    m_imageUpdate = nullptr;
    QMap<int, ImageWnd*> panes;
    {
        QMutexLocker lock(&m_cameraMapMutex);
        panes.swap(m_panes);
        m_cameras.clear();
    }
    qDeleteAll(panes);
}

void ImageWndManager::createPanes() {
    for (int index = 1; index <= kPaneCount; ++index) {
        auto* pane = new ImageWnd(nullptr);
        pane->setObjectName(QStringLiteral("ImageWnd"));
        pane->setWndId(index);
        pane->setImageWndMode(2);
        {
            QMutexLocker lock(&m_cameraMapMutex);
            m_panes.insert(index, pane);
        }
        connect(pane, &ImageWnd::buttonClick, this, &ImageWndManager::onImageWndButtonClicked);
        connect(pane, &ImageWnd::pixelHovered, this, [this, index](QPoint pos, QColor color, float zoom) {
            emit m_facade->wndMouseMoveInfo(index, pos, color, zoom);
        });
        pane->installEventFilter(this);
    }
}

void ImageWndManager::registerListeners() {
    using namespace ZavizoZoz3;
    RegisterDeviceListUpdateListener(m_deviceListUpdate);
    RegisterFocusUpdateListener(m_focusUpdate);
    RegisterLayoutUpdateListener(m_layoutUpdate);
    RegisterImageUpdateListener("VUR", m_imageUpdate);
    RegisterCameraIdUpdateListener(m_cameraIdUpdate);
    RegisterLangUpdateListener(m_languageUpdate);
    RegisterROIUpdateListener(m_roiUpdate);
    RegisterCorrectionUpdateListener(m_correctionUpdate);
    RegisterImportUpdateListener(m_importUpdate);
    RegisterImageModeUpdateListener(m_imageModeUpdate);
    RegisterSLImageShowModeUpdateListener(m_slImageShowModeUpdate);
}

void ImageWndManager::unregisterListeners() {
    using namespace ZavizoZoz3;
    UnRegisterDeviceListUpdateListener(m_deviceListUpdate);
    UnRegisterFocusUpdateListener(m_focusUpdate);
    UnRegisterLayoutUpdateListener(m_layoutUpdate);
    UnRegisterImageUpdateListener("VUR", m_imageUpdate);
    UnRegisterCameraIdUpdateListener(m_cameraIdUpdate);
    UnRegisterLangUpdateListener(m_languageUpdate);
    UnRegisterROIUpdateListener(m_roiUpdate);
    UnRegisterCorrectionUpdateListener(m_correctionUpdate);
    UnRegisterImportUpdateListener(m_importUpdate);
    UnRegisterImageModeUpdateListener(m_imageModeUpdate);
    UnRegisterSLImageShowModeUpdateListener(m_slImageShowModeUpdate);
}

void ImageWndManager::connectListeners() {
    connect(m_deviceListUpdate, &DeviceListUpdate::ValueUpdate, this, &ImageWndManager::onDeviceListUpdate,
            Qt::QueuedConnection);
    connect(m_focusUpdate, &FocusUpdate::ValueUpdate, this, &ImageWndManager::onFocusUpdate);
    connect(m_layoutUpdate, &LayoutUpdate::ValueUpdate, this, &ImageWndManager::onLayoutUpdate);
    connect(m_cameraIdUpdate, &CameraIdUpdate::cameraIdChanged, this, &ImageWndManager::onCameraIdUpdate);
    connect(m_languageUpdate, &LanguageUpdate::languageChanged, this, &ImageWndManager::onLanguageChanged);
    connect(m_correctionUpdate, &CorrectionUpdate::correctionNotify, this,
            &ImageWndManager::onCorrectionUpdate);
    connect(m_importUpdate, &ImportUpdate::importUpdate, this, &ImageWndManager::onImportChanged);
    connect(m_imageModeUpdate, &ImageModeUpdate::imageModeChanged, this,
            &ImageWndManager::onLPImageModeUpdate);
    connect(m_slImageShowModeUpdate, &SLImageShowModeUpdate::imageShowModeChanged, this,
            &ImageWndManager::onSLShowImageModeUpdate);

    using Dispatch = ImageUpdateManager;
    connect(m_imageUpdate,
            static_cast<void (Dispatch::*)(QString, QSharedPointer<QImage>, QSharedPointer<bool>, bool)>(
                &Dispatch::imageUpdate),
            this, &ImageWndManager::onImageUpdate);
    connect(m_imageUpdate,
            static_cast<void (Dispatch::*)(QString, QSharedPointer<QImage>, QSharedPointer<bool>)>(
                &Dispatch::imageUpdate),
            this, [this](QString id, QSharedPointer<QImage> img, QSharedPointer<bool> finish) {
                onImageUpdate(id, img, finish, false);
            });
    connect(m_imageUpdate, &Dispatch::nuvimageUpdate, this, &ImageWndManager::onnuvimageUpdate);
    connect(m_imageUpdate, &Dispatch::pictureReady, this, &ImageWndManager::onPictureReady);
    connect(m_imageUpdate, &Dispatch::profileUpdate, this, &ImageWndManager::onProfileUpdate);
    connect(m_imageUpdate, &Dispatch::rangeImageUpdate, this, &ImageWndManager::onRangeImageUpdate);
    connect(m_imageUpdate, &Dispatch::imageArrayUpdate, this, &ImageWndManager::onImageArrayUpdate);
    connect(m_imageUpdate, &Dispatch::imageArrayUpdateEx, this, &ImageWndManager::onImageArrayUpdateEx);
}

QGridLayout* ImageWndManager::gridLayout() const {
    return qobject_cast<QGridLayout*>(layout());
}

void ImageWndManager::setWndLayout(int layout, QVector<int> wndIds) {
    if (QGridLayout* grid = gridLayout()) {
        while (QLayoutItem* item = grid->takeAt(0)) {
            if (QWidget* w = item->widget()) w->setParent(nullptr);
            delete item;
        }
        delete grid;
    }
    if (wndIds.isEmpty()) m_hostLayout = layout;

    if (layout != 1) {
        for (ImageWnd* pane : qAsConst(m_panes)) {
            pane->setButtonHidden(ImageWnd::EnlargeWnd, false);
            pane->setButtonHidden(ImageWnd::RestoreWnd, true);
        }
    } else if (!wndIds.isEmpty()) {
        if (m_hostLayout != 1) {
            for (int index : qAsConst(m_occupied)) {
                if (ImageWnd* pane = m_panes.value(index, nullptr)) {
                    pane->setButtonHidden(ImageWnd::EnlargeWnd, true);
                    pane->setButtonHidden(ImageWnd::RestoreWnd, false);
                }
            }
        }
    } else {
        for (ImageWnd* pane : qAsConst(m_panes)) {
            pane->setButtonHidden(ImageWnd::EnlargeWnd, true);
            pane->setButtonHidden(ImageWnd::RestoreWnd, true);
        }
    }

    if (!isValidLayout(layout)) return;

    auto* grid = new QGridLayout(this);
    grid->setSpacing(0);
    grid->setContentsMargins(0, 0, 0, 0);
    const int columns = columnsFor(layout);

    QVector<ImageWnd*> order;
    auto appendFrom = [&](const QVector<int>& indices) {
        for (int index : indices) {
            if (order.size() >= layout) return;
            ImageWnd* pane = m_panes.value(index, nullptr);
            if (pane != nullptr && !order.contains(pane)) order.append(pane);
        }
    };
    appendFrom(wndIds.isEmpty() ? m_occupied : wndIds);
    appendFrom(QVector<int>{1, 2, 3, 4});

    m_shown.clear();
    for (ImageWnd* pane : qAsConst(order))
        m_shown.append(pane->wndId());
    if (layout != 1) m_savedArrangement = m_shown;
    m_layout = layout;
    // Showing a pane activates the layouts up to the host's window at once: the panes must carry
    // their new cell size by then, or the host grows to fit the sizes of the previous grid.
    relayoutPanes(size());
    for (int k = 0; k < order.size(); ++k) {
        const QPoint cell(k / columns, k % columns);
        ImageWnd* pane = order.at(k);
        m_cells.insert(pane->wndId(), cell);
        grid->addWidget(pane, cell.x(), cell.y());
        pane->show();
    }
}

// The panes are sized from our size, never the other way round: a grid of fixed-size panes must
// not become a minimum that keeps the host's window from shrinking.
QSize ImageWndManager::minimumSizeHint() const {
    return QSize(0, 0);
}

void ImageWndManager::relayoutPanes(QSize size) {
    if (m_shown.isEmpty()) return;
    const int columns = columnsFor(m_layout);
    const int width = size.width() / columns;
    const int height = m_layout == 2 ? size.height() : size.height() / columns;
    const int logoSide = std::min(static_cast<int>(width - 0.2 * width), kMaxLogoSide);
    for (int index : qAsConst(m_shown)) {
        if (ImageWnd* pane = m_panes.value(index, nullptr)) {
            pane->setFixedSize(width, height);
            pane->setLogoSize(QSize(logoSide, logoSide));
        }
    }
}

void ImageWndManager::setCurrentWnd(int wndId) {
    if (wndId == m_currentWnd) return;
    const QString border = QString::fromLatin1(kSelectionBorder);
    if (ImageWnd* old =
            (m_currentWnd >= 1 && m_currentWnd <= kPaneCount) ? m_panes.value(m_currentWnd) : nullptr) {
        QString sheet = old->styleSheet();
        const int pos = sheet.indexOf(border);
        if (pos > 0) {
            sheet.truncate(pos);
            old->setStyleSheet(sheet);
        }
    }
    if (wndId >= 1 && wndId <= 16) {
        if (ImageWnd* pane = m_panes.value(wndId, nullptr)) {
            if (!pane->styleSheet().contains(border)) pane->setStyleSheet(pane->styleSheet() + border);
        }
    }
    m_currentWnd = wndId;
    if (wndId >= 1 && wndId <= kPaneCount) emit m_facade->selectWndChanged(wndId);
}

void ImageWndManager::setPaneMode(int wndId, int mode, bool accepted) {
    if (!accepted) return;
    if (mode == 1 || mode == 2) {
        if (!m_occupied.contains(wndId)) m_occupied.append(wndId);
    } else {
        m_occupied.removeAll(wndId);
    }
}

int ImageWndManager::paneIndexOf(const QString& cameraKey) const {
    return m_cameras.value(cameraKey, 0);
}

void ImageWndManager::onImageWndButtonClicked(ImageWnd::ButtonType type) {
    auto* pane = qobject_cast<ImageWnd*>(sender());
    if (pane == nullptr) return;
    const int index = pane->wndId();
    switch (type) {
        case ImageWnd::StartGrab:
            emit buttonClicked(index, pane->cameraName(), NuvViewerImageWnd::StartGrab);
            break;
        case ImageWnd::StopGrab:
            emit buttonClicked(index, pane->cameraName(), NuvViewerImageWnd::StopGrab);
            break;
        case ImageWnd::EnlargeWnd:
        case ImageWnd::RestoreWnd:
            if (m_layout == 1) {
                const QVector<int> saved = m_savedArrangement;
                setWndLayout(saved.size(), saved);
                pane->setButtonHidden(ImageWnd::RestoreWnd, true);
                pane->setButtonHidden(ImageWnd::EnlargeWnd, false);
                QCoreApplication::postEvent(pane, new QEvent(QEvent::HoverEnter));
            } else {
                setWndLayout(1, QVector<int>{index});
                pane->setButtonHidden(ImageWnd::EnlargeWnd, true);
                pane->setButtonHidden(ImageWnd::RestoreWnd, false);
            }
            break;
        default:
            break;
    }
}

bool ImageWndManager::eventFilter(QObject* watched, QEvent* event) {
    if (watched->objectName() == QLatin1String("ImageWnd")) {
        auto* pane = qobject_cast<ImageWnd*>(watched);
        if (pane != nullptr && event->type() == QEvent::MouseButtonPress) {
            const QString key = pane->cameraName();
            if (ZavizoZoz3::GetCameraInfo(key.toStdString(), ZavizoZoz3::CAM_INFO_DEVICE_KIND) == "4") {
                ZavizoZoz3::SetFocus(ZavizoZoz3::FOCUS_CAMERA, key.toStdString());
            }
            setCurrentWnd(pane->wndId());
        } else if (pane != nullptr && event->type() == QEvent::Drop) {
            pane->setDropHighlighted(false);
            handleDrop(pane, static_cast<QDropEvent*>(event));
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void ImageWndManager::resizeEvent(QResizeEvent* event) {
    relayoutPanes(event->size());
    QWidget::resizeEvent(event);
}

bool ImageWndManager::handleDrop(ImageWnd* target, QDropEvent* event) {
    const QMimeData* mime = event->mimeData();
    if (mime == nullptr) return false;
    ImageWnd* source = nullptr;
    if (mime->hasFormat(QStringLiteral("WndId"))) {
        source = m_panes.value(mime->text().toInt(), nullptr);
    } else {
        const QString key = mime->text();
        if (!m_cameras.contains(key)) return false;
        const int index = m_cameras.value(key);
        if (m_layout == 1) {
            setWndLayout(1, QVector<int>{index});
            return true;
        }
        source = m_panes.value(index, nullptr);
    }
    if (source == nullptr || source == target) return false;
    // A pane outside the current grid has only a stale cell; swapping it in would show a pane
    // the user cannot see being moved, so such drops are ignored.
    if (!m_shown.contains(source->wndId()) || !m_shown.contains(target->wndId())) return false;
    swapCells(source->wndId(), target->wndId());
    event->acceptProposedAction();
    return true;
}

void ImageWndManager::swapCells(int sourceIndex, int targetIndex) {
    QGridLayout* grid = gridLayout();
    ImageWnd* source = m_panes.value(sourceIndex);
    ImageWnd* target = m_panes.value(targetIndex);
    if (grid == nullptr || source == nullptr || target == nullptr) return;
    const QPoint a = m_cells.value(sourceIndex);
    const QPoint b = m_cells.value(targetIndex);
    for (const QPoint& cell : {a, b}) {
        if (QLayoutItem* item = grid->itemAtPosition(cell.x(), cell.y())) {
            grid->removeItem(item);
            delete item;
        }
    }
    grid->addWidget(target, a.x(), a.y());
    grid->addWidget(source, b.x(), b.y());
    m_cells.insert(targetIndex, a);
    m_cells.insert(sourceIndex, b);
    m_savedArrangement.clear();
    for (int row = 0; row < grid->rowCount(); ++row) {
        for (int col = 0; col < grid->columnCount(); ++col) {
            QLayoutItem* item = grid->itemAtPosition(row, col);
            if (auto* pane = item ? qobject_cast<ImageWnd*>(item->widget()) : nullptr) {
                m_savedArrangement.append(pane->wndId());
            }
        }
    }
    m_shown = m_savedArrangement;
}

// ---- routing -------------------------------------------------------------------------------

void ImageWndManager::onDeviceListUpdate(int source, QStringList cardList, QStringList camList,
                                         QSharedPointer<bool> finishPointer) {
    Q_UNUSED(cardList);
    if (source != 1) {
        FinishFlag::set(finishPointer);
        return;
    }
    for (const QString& key : qAsConst(camList)) {
        const std::string k = key.toStdString();
        const int index = paneIndexOf(key);
        const std::string grabbing = ZavizoZoz3::GetCameraInfo(k, ZavizoZoz3::CAM_INFO_GRABBING);
        const bool connected = ZavizoZoz3::GetCameraInfo(k, ZavizoZoz3::CAM_INFO_CONNECTED) == "1";
        const bool open = ZavizoZoz3::GetCameraInfo(k, ZavizoZoz3::CAM_INFO_OPEN) == "1";
        if (index < 1) {
            if (connected) addCamera(key);
            continue;
        }
        ImageWnd* pane = m_panes.value(index, nullptr);
        if (pane == nullptr) continue;
        if (connected && open) {
            if (grabbing == "1") {
                pane->onGrabStarted();
            } else if (grabbing == "0") {
                pane->onGrabStopped();
            }
        } else {
            releaseCamera(key, pane);
        }
    }
    FinishFlag::set(finishPointer);
}

void ImageWndManager::addCamera(const QString& key) {
    int index = 0;
    const QList<int> taken = m_cameras.values();
    for (int candidate = 1; candidate <= kPaneCount; ++candidate) {
        if (!taken.contains(candidate)) {
            index = candidate;
            break;
        }
    }
    if (index == 0) return;
    {
        QMutexLocker lock(&m_cameraMapMutex);
        m_cameras.insert(key, index);
    }
    setCurrentWnd(index);
    ImageWnd* pane = m_panes.value(index, nullptr);
    if (pane == nullptr) return;
    const std::string k = key.toStdString();
    pane->setImageWndTitle(QString::fromStdString(ZavizoZoz3::GetCameraInfo(k, ZavizoZoz3::CAM_INFO_TITLE)));
    pane->setCameraName(key);
    pane->initRangeImageDisplay();
    if (!m_occupied.contains(index)) m_occupied.append(index);
    ZavizoZoz3::SetFocus(ZavizoZoz3::FOCUS_CAMERA, k);
    auto* tool = new Wnd3DImageTransTool(m_imageUpdate, this, key, pane->rangeBatchSink());
    tool->setStreamCounters(pane->streamHealth()->counters());
    const auto slot = std::make_shared<LatestFrameSlot>();
    m_pictureSlots.insert(key, slot);
    tool->setPictureRoute(slot, pane->saveCommands()->streamFeed());
    m_imageUpdate->addTool(key, tool);
    emit m_facade->dropWndSuccess(index);
    emit m_facade->selectWndChanged(index);
}

void ImageWndManager::releaseCamera(const QString& key, ImageWnd* pane) {
    // The tool goes first so no conversion writes into the pane while it resets.
    m_imageUpdate->removeTool(key);
    m_pictureSlots.remove(key);
    pane->resetCamera();
    {
        QMutexLocker lock(&m_cameraMapMutex);
        m_cameras.remove(key);
    }
    m_occupied.removeAll(pane->wndId());
    m_memoryTrimmer->schedule();
}

void ImageWndManager::onFocusUpdate(ZavizoZoz3::FOCUS_TYPE type, QString id) {
    if (type != ZavizoZoz3::FOCUS_CAMERA) {
        setCurrentWnd(-1);
        return;
    }
    const int index = paneIndexOf(id);
    if (index == 0 || index == m_currentWnd) return;
    if (m_layout == 1) setWndLayout(1, QVector<int>{index});
    setCurrentWnd(index);
}

void ImageWndManager::onCameraIdUpdate(QString srcName, QString dstName) {
    if (ImageWnd* pane = paneOf(srcName)) pane->setImageWndTitle(dstName);
}

void ImageWndManager::onLayoutUpdate(ZavizoZoz3::LAYOUT_TYPE type) {
    setWndLayout(static_cast<int>(type), {});
}

ImageWnd* ImageWndManager::countShown(ImageWnd* pane) {
    pane->streamHealth()->counters()->countShown();
    return pane;
}

void ImageWndManager::onImageUpdate(QString id, QSharedPointer<QImage> img, QSharedPointer<bool> isFinish,
                                    bool isCopyImage) {
    if (ImageWnd* pane = paneOf(id)) {
        if (img) countShown(pane)->show2DImage(*img, isCopyImage);
    }
    FinishFlag::set(isFinish);
}

void ImageWndManager::onnuvimageUpdate(QString id, QSharedPointer<NuvImage> img) {
    if (ImageWnd* pane = paneOf(id)) {
        if (img) pane->show2DImage(*img);
    }
}

void ImageWndManager::onROIPosChanged(std::string id, int leftX, int leftY, int rightX, int rightY,
                                      int operation, int& roiId, bool& status, int roiType, int drawType) {
    if (ImageWnd* pane = paneOf(QString::fromStdString(id))) {
        if (operation == 0) {
            roiId = pane->drawROI(leftX, leftY, rightX, rightY, roiType, drawType, roiId);
        } else if (operation == 1) {
            pane->updateROI(roiId, leftX, leftY, rightX, rightY);
        } else {
            pane->removeROI(roiId);
        }
    }
    status = roiId >= 0;
}

void ImageWndManager::onImportChanged(QString id) {
    if (ImageWnd* pane = paneOf(id)) pane->syncImageMode();
}

void ImageWndManager::onPictureReady(QString id) {
    const std::shared_ptr<LatestFrameSlot> slot = m_pictureSlots.value(id);
    ImageWnd* pane = paneOf(id);
    if (!slot || pane == nullptr) return;
    const LatestFrameSlot::Frame frame = slot->take();
    if (frame.picture) {
        countShown(pane)->showImage(frame.picture.data(), frame.profile);
    } else if (frame.image) {
        countShown(pane)->showImage(frame.image.data(), frame.profile);
    }
}

void ImageWndManager::onProfileUpdate(QString id, QVector<qreal> profile, QVector<uint8_t> brightness) {
    if (ImageWnd* pane = paneOf(id)) countShown(pane)->showProfile(profile, brightness);
}

void ImageWndManager::onRangeImageUpdate(QString id, INT32* rangeData, size_t imgId, int frameIndex,
                                         bool isEnd) {
    if (ImageWnd* pane = paneOf(id)) countShown(pane)->showRangeLines(rangeData, imgId, frameIndex, isEnd);
}

void ImageWndManager::onImageArrayUpdate(QString id, QMap<int, NuvImage*> imgMap, INT32* rangeData,
                                         size_t imgId, int frameIndex, bool isEnd) {
    ImageWnd* pane = paneOf(id);
    if (pane == nullptr) {
        qDeleteAll(QSet<NuvImage*>(imgMap.begin(), imgMap.end()));
        return;
    }
    countShown(pane)->showRangeImages(imgMap);
    pane->showRangeLines(rangeData, imgId, frameIndex, isEnd);
    pane->saveImageArrayFrame(rangeData != nullptr);
}

void ImageWndManager::onImageArrayUpdateEx(QString id, QMap<int, NuvImage*> imgMap,
                                           NuvRangeImage* rangeImage) {
    // The images and the range image belong to the receiver.
    ImageWnd* pane = paneOf(id);
    if (pane == nullptr) {
        qDeleteAll(QSet<NuvImage*>(imgMap.begin(), imgMap.end()));
        delete rangeImage;
        return;
    }
    countShown(pane)->showRangeImages(imgMap);
    pane->setRangeStreaming(rangeImage);
    pane->saveImageArrayFrame(rangeImage != nullptr);
}

void ImageWndManager::onCorrectionUpdate(QString id, int correctionType, float curCorrectionValue,
                                         void* ext) {
    if (ImageWnd* pane = paneOf(id)) pane->openCorrection(correctionType, curCorrectionValue, ext);
}

void ImageWndManager::onLPImageModeUpdate(QString id, int mode) {
    if (mode != 3) return;
    if (ImageWnd* pane = paneOf(id)) pane->refreshFromCamera();
}

void ImageWndManager::onSLShowImageModeUpdate(QString id, int mode) {
    if (ImageWnd* pane = paneOf(id)) pane->selectShownImage(mode);
}

void ImageWndManager::loadTranslation(const QString& language) {
    if (m_translatorInstalled) {
        QCoreApplication::removeTranslator(&m_translator);
        m_translatorInstalled = false;
    }
    const QString lower = language.toLower();
    const bool chinese = lower.startsWith(QLatin1String("zh")) || lower.contains(QLatin1String("chinese")) ||
                         language.contains(QStringLiteral("\u4e2d\u6587"));
    if (chinese && m_translator.load(QStringLiteral(":/i18n/nuvviewer_zh_CN.qm"))) {
        m_translatorInstalled = QCoreApplication::installTranslator(&m_translator);
    }
    // Any other language shows the English source texts.
}

void ImageWndManager::onLanguageChanged(int language) {
    Q_UNUSED(language);
    loadTranslation(m_languageUpdate->language());
    for (int index = 1; index <= kPaneCount; ++index) {
        if (ImageWnd* pane = m_panes.value(index, nullptr)) pane->retranslate();
    }
}

// ---- lookups for the transform tools (business-layer threads) ----------------------------

ImageWnd* ImageWndManager::modeTwoPaneLocked(const QString& cameraKey) const {
    ImageWnd* pane = m_panes.value(m_cameras.value(cameraKey, 0), nullptr);
    return (pane != nullptr && pane->imageWndModeAtomic() == 2) ? pane : nullptr;
}

int ImageWndManager::rangeDataKind(const QString& cameraKey) const {
    QMutexLocker lock(&m_cameraMapMutex);
    ImageWnd* pane = modeTwoPaneLocked(cameraKey);
    return pane ? pane->rangeDataKind() : 2;
}
