// SPDX-License-Identifier: Apache-2.0
#include "PaneSaveCommands.h"

#include <QClipboard>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPushButton>
#include <QStorageInfo>
#include <QTimer>
#include <QUrl>
#include <QVariant>
#include <cstdlib>

#include "CMessageBox.h"
#include "COperationTipWidget.h"
#include "CameraFolderName.h"
#include "Image2DWnd.h"
#include "Image3DWnd.h"
#include "ImageFileWriter.h"
#include "ImageMultiSaveInfoWidget.h"
#include "ImageWnd.h"
#include "ModalSeam.h"
#include "NuvNumberParse.h"
#include "RangeStreamer.h"
#include "SaveSettings.h"
#include "SaveWorkerKeeper.h"
#include "VideoRecordWriter.h"
#include "ZavizoZoz3.h"

namespace {
constexpr int kStripSize = 200;
constexpr int kTipLifeMs = 1500;
const char* const kSelected = "SelectedStatus";

QString savingButtonStyle(const char* folder, bool disabledImage) {
    QString style = QStringLiteral(
                        "QPushButton{image: url(:/Resource/icons/%1/normal.svg);}"
                        "QPushButton:hover{image: url(:/Resource/icons/%1/hover.svg);}"
                        "QPushButton:click{image: url(:/Resource/icons/%1/clicked.svg);}")
                        .arg(QLatin1String(folder));
    if (disabledImage) {
        style += QStringLiteral("QPushButton:disabled{image: url(:/Resource/icons/%1/disable.svg);}")
                     .arg(QLatin1String(folder));
    }
    return style;
}

int nodeInt(const QString& key, const char* feature, int fallback) {
    std::string text;
    if (ZavizoZoz3::GetCameraNodeValue(key.toStdString(), feature, text) != 0) return fallback;
    const int value = NuvNumberParse::valueOr(text, 0);
    return value > 0 ? value : fallback;
}

QString parameter(ZavizoZoz3::PARAMETER_INFO item) {
    return QString::fromStdString(ZavizoZoz3::GetParamterInfo(item));
}
}  // namespace

PaneSaveCommands::PaneSaveCommands(ImageWnd* pane) : QObject(pane), m_pane(pane) {
    connect(&m_worker, &SaveImageTool::saveInfoUpdate, this, &PaneSaveCommands::multiSaveInfoUpdate,
            Qt::QueuedConnection);
    connect(&m_worker, &SaveImageTool::saveFinish, this, &PaneSaveCommands::onSaveFinish,
            Qt::QueuedConnection);
}

PaneSaveCommands::~PaneSaveCommands() {
    // The strips belong to the views. The worker writes the frames it accepted on its own
    // thread; the pane does not wait for it.
    if (m_view3D) m_view3D->setSaver(nullptr);
    // The camera's tool may outlive the pane by a frame: it no longer reaches the worker.
    m_streamFeed->disarm();
    delete m_multiSaveStrip;
    delete m_recordingStrip;
    m_worker.disconnect(this);
    SaveWorkerKeeper::adopt(std::move(m_workerOwner));
}

// ---- views and camera ----------------------------------------------------------------------

void PaneSaveCommands::attach2DView(Image2DWnd* view) {
    m_view2D = view;
    connect(view->btnSingleSave, &QPushButton::clicked, this, &PaneSaveCommands::singleSave);
    connect(view->btnMultiSave, &QPushButton::clicked, this, &PaneSaveCommands::multiSave2D);
    connect(view->btnRecording, &QPushButton::clicked, this, &PaneSaveCommands::recordingClicked);
    setCameraBound(m_cameraBound);
}

void PaneSaveCommands::attach3DView(Image3DWnd* view) {
    m_view3D = view;
    connect(view->btnSingleSave, &QPushButton::clicked, this, &PaneSaveCommands::singleSave);
    connect(view->btnMultiSave, &QPushButton::clicked, this, &PaneSaveCommands::multiSave);
    m_worker.setFrameInfo(view->frameInfo());
    view->setSaver(&m_worker);
    setCameraBound(m_cameraBound);
}

void PaneSaveCommands::detach3DView() {
    if (m_multiSaving && m_multiSaveButton && m_view3D && m_multiSaveButton == m_view3D->btnMultiSave) {
        endMultiSave(false);
    }
    if (m_view3D) m_view3D->setSaver(nullptr);
    m_view3D = nullptr;
    m_worker.setFrameInfo(nullptr);
}

void PaneSaveCommands::setCameraBound(bool bound) {
    m_cameraBound = bound;
    if (!bound) {
        if (m_multiSaving) endMultiSave(false);
        if (m_recording) endRecording();
    }
    if (m_view2D) {
        m_view2D->btnRecording->setEnabled(bound && !m_multiSaving);
        m_view2D->btnMultiSave->setEnabled(bound && !m_recording);
    }
    if (m_view3D) {
        m_view3D->setStripButtonHidden(m_view3D->btnSingleSave, !bound);
        m_view3D->setStripButtonHidden(m_view3D->btnMultiSave, !bound);
        m_view3D->relayoutToolBar();
    }
}

void PaneSaveCommands::onGrabStopped() {
    if (m_multiSaving) endMultiSave(true);
}

void PaneSaveCommands::retranslate() {
    for (ImageMultiSaveInfoWidget* strip : {m_multiSaveStrip.data(), m_recordingStrip.data()}) {
        if (strip) strip->refreshTexts();
    }
}

// ---- boxes and tips ------------------------------------------------------------------------

void PaneSaveCommands::showBox(Box box) {
    struct Spec {
        const char* text;
        const char* title;
        int level;
        const char* button0;  // null: hidden
        const char* button1;
    };
    static const Spec specs[] = {
        {QT_TR_NOOP("Dir is not exist"), QT_TR_NOOP("Info"), 0, QT_TR_NOOP("Confirm"), QT_TR_NOOP("Cancel")},
        {QT_TR_NOOP("Create dir failed!"), QT_TR_NOOP("Info"), 0, QT_TR_NOOP("Confirm"),
         QT_TR_NOOP("Cancel")},
        {QT_TR_NOOP("Create dir failed!"), QT_TR_NOOP("Info"), 0, nullptr, QT_TR_NOOP("Cancel")},
        {QT_TR_NOOP("Disk path error, please reselect."), QT_TR_NOOP("Error"), 3, QT_TR_NOOP("Confirm"),
         nullptr},
        {QT_TR_NOOP("Disk is full, please reselect."), QT_TR_NOOP("Error"), 3, QT_TR_NOOP("Confirm"),
         nullptr},
        {QT_TR_NOOP("Save image failed. (Error cause: no valid data)"), QT_TR_NOOP("Error"), 3,
         QT_TR_NOOP("I know"), nullptr},
        {QT_TR_NOOP("Save image failed. (Error cause: not start grab)"), QT_TR_NOOP("Error"), 3,
         QT_TR_NOOP("I know"), nullptr},
        {QT_TR_NOOP("Recording failure, current frame rate is zero."), QT_TR_NOOP("Info"), 0,
         QT_TR_NOOP("Confirm"), nullptr},
        {QT_TR_NOOP("Save video failed. (Error cause: no valid data)"), QT_TR_NOOP("Error"), 3,
         QT_TR_NOOP("I know"), nullptr},
        {QT_TR_NOOP("This sensor measures 32-bit heights, which JXR cannot hold. Choose another range "
                    "height format (TIF keeps all 32 bits)."),
         QT_TR_NOOP("Error"), 3, QT_TR_NOOP("I know"), nullptr},
        {QT_TR_NOOP("Recordings cannot be saved as video on this system: its OpenCV has no FFmpeg video "
                    "writer for FFV1. Choose a folder of frames as the recording format."),
         QT_TR_NOOP("Error"), 3, QT_TR_NOOP("I know"), nullptr},
    };
    const Spec& s = specs[box];
    showMessage(tr(s.title), tr(s.text), s.level, s.button0 ? tr(s.button0) : QString(),
                s.button1 ? tr(s.button1) : QString());
}

// An empty button text hides the button.
int PaneSaveCommands::showMessage(const QString& title, const QString& text, int level,
                                  const QString& button0, const QString& button1) {
    CMessageBox message(title, text, level, m_pane);
    const QString buttons[] = {button0, button1};
    for (int i = 0; i < 2; ++i) {
        if (!buttons[i].isEmpty()) {
            message.setButtonText(i, buttons[i]);
        } else {
            message.setButtonHidden(i, true);
        }
    }
    return message.exec();
}

void PaneSaveCommands::showLossBox(const SaveImageTool::RunSummary& summary) {
    QStringList parts{tr("%1 of %2 frames saved").arg(summary.saved).arg(summary.offered())};
    if (summary.discarded > 0) parts << tr("%1 discarded: the disk could not keep up").arg(summary.discarded);
    if (summary.failed > 0)
        parts << tr("%1 failed: they could not be written, see the log").arg(summary.failed);
    if (summary.cutShort) parts << tr("the recording stopped at the first frame it could not write");
    showMessage(tr("Error"), parts.join(QStringLiteral("; ")), 3, tr("I know"), QString());
}

void PaneSaveCommands::showTip(bool success, bool video, const QString& path) {
    showTip(success,
            success ? (video ? tr("Video saved.") : tr("Picture saved.")) : tr("Picture saving failure!"),
            path);
}

void PaneSaveCommands::showTip(bool success, const QString& text, const QString& path) {
    auto* tip = new COperationTipWidget(m_pane);
    tip->setText(text);
    if (success) {
        tip->setPixmap(QPixmap(QStringLiteral(":/Resource/icons/tipStatus/right.svg")));
        tip->setLinkInfo(tr("View"), path);
        // Queued: the tip may close while the fallback box runs, and must not be on the stack then.
        tip->setOpenLinkExternally(false);
        connect(tip, &COperationTipWidget::linkActivated, this, &PaneSaveCommands::viewFolder,
                Qt::QueuedConnection);
    } else {
        tip->setPixmap(QPixmap(QStringLiteral(":/Resource/icons/tipStatus/error.svg")));
    }
    tip->show();
    QTimer::singleShot(kTipLifeMs, tip, &COperationTipWidget::closeTip);
}

void PaneSaveCommands::viewFolder(const QString& path) {
    if (path.isEmpty()) return;
    const QFileInfo info(path);
    const QString folder = info.isDir() ? info.absoluteFilePath() : info.absolutePath();
    if (ModalSeam::openUrl(QUrl::fromLocalFile(folder))) return;
    // No file manager is registered (a bare desktop): the path is all the user can take along.
    const int pressed = showMessage(tr("Info"),
                                    tr("No file manager is available to open %1. Copy the path to the "
                                       "clipboard instead?")
                                        .arg(QDir::toNativeSeparators(folder)),
                                    0, tr("Copy path"), tr("Cancel"));
    if (pressed == 0) QGuiApplication::clipboard()->setText(QDir::toNativeSeparators(folder));
}

// ---- targets -------------------------------------------------------------------------------

QString PaneSaveCommands::singleSaveTarget(const QString& filter) {
    const bool autoName = SaveSettings::autoNaming();
    if (autoName) {
        const QString dir = parameter(ZavizoZoz3::PARAMETER_SAVE_DIR);
        if (dir.isEmpty() || !QDir(dir).exists()) {
            showBox(DirNotExist);
            return QString();
        }
        if (!QFileInfo(dir).isWritable()) {
            showBox(DiskPathError);
            return QString();
        }
        m_saveDirectory = dir;
        return dir;
    }
    QString name;
    if (!filter.isEmpty()) {
        name = ModalSeam::getSaveFileName(m_pane, tr("Save File"), QStringLiteral("image"), filter);
    }
    // A cancelled dialog leaves no directory to write into.
    const QString dir = name.isEmpty() ? QString() : QFileInfo(name).absolutePath();
    if (dir.isEmpty() || !QFileInfo(dir).isDir() || !QFileInfo(dir).isWritable()) {
        showBox(DiskPathError);
        return QString();
    }
    if (QStorageInfo(dir).bytesAvailable() < 1024) {
        showBox(DiskFull);
        return QString();
    }
    return name;
}

QString PaneSaveCommands::runFolder(bool autoName, int dirItem, bool recording) {
    QString base;
    if (autoName) {
        base = parameter(ZavizoZoz3::PARAMETER_INFO(dirItem));
        if (base.isEmpty() || !QDir(base).exists()) {
            showBox(DirNotExist);
            return QString();
        }
    } else {
        base = ModalSeam::getExistingDirectory(nullptr, tr("Select a folder"), QString());
        if (base.isEmpty()) return QString();
    }
    // One sub-folder per camera, named after the pane's title (a camera name from the network).
    const QString name = CameraFolderName::fromCameraName(m_pane->imageWndTitle());
    const QString folder = base + '/' + name;
    if (!QDir(folder).exists() && !QDir(base).mkdir(name)) {
        showBox(recording && !autoName ? CreateDirFailedChosen : CreateDirFailed);
        return QString();
    }
    if (!QFileInfo(folder).isWritable()) {
        showBox(DiskPathError);
        return QString();
    }
    return folder;
}

// ---- commands ------------------------------------------------------------------------------

void PaneSaveCommands::singleSave() {
    if (m_worker.isSaving()) return;  // one run at a time
    const QString key = m_pane->cameraName();
    if (m_view2D && m_view2D->isVisible()) {
        NuvImage image;
        m_view2D->getBackground(&image);
        const QString target = singleSaveTarget(tr("BMP(*.bmp);;JPG(*.jpg);;PNG(*.png);;TIF(*.tif)"));
        if (target.isEmpty()) return;
        m_worker.setSavePath(target);
        if (image.isEmpty() || m_pane->imageSize().width() < 1) {
            showBox(NoValidData);
            return;
        }
        m_worker.addImage(image.clone());
        m_worker.setSaveType(SaveImageTool::ImageType);
        startRun(SaveImageTool::SingleSave);
        return;
    }
    Image3DWnd* v = m_view3D;
    if (v == nullptr) return;
    QString filter;
    if (v->btnContourMode->isChecked()) {
        filter = tr("CSV(*.csv);;BIN(*.bin);;PCD(*.pcd);;SRT(*.srt)");
    } else if (v->btn2DMode->isChecked()) {
        filter = tr("BMP(*.bmp);;JPG(*.jpg);;PNG(*.png);;TIF(*.tif)");
    } else if (v->btn3DMode->isChecked()) {
        filter = tr("BMP(*.bmp);;JPG(*.jpg);;PNG(*.png);;TIF(*.tif);;SRT(*.srt);;PCD(*.pcd);;PLY(*.ply)") +
                 QStringLiteral(" \t\t\t\t\t") +
                 tr(";;CSV(*.csv);;BIN(*.bin);;OBJ(*.obj);;ECD(*.ecd);;JXR(*.jxr)");
    }
    const QString target = singleSaveTarget(filter);
    if (target.isEmpty()) return;
    m_worker.setSavePath(target);

    bool frame = false;
    if (v->btnContourMode->isChecked()) {
        const QVector<qreal> heights = v->lastProfile();
        if (!heights.isEmpty()) {
            m_worker.addProfile(heights, v->lastBrightness());
            m_worker.setSaveType(SaveImageTool::ProfileType);
            frame = true;
        }
    } else if (v->btn2DMode->isChecked()) {
        // As the view forwards pictures to a multi-frame save: a profile sensor's picture shows its
        // window within the sensor, any other camera's picture is its frame.
        const int width = nodeInt(key, "WidthMax", 2048);
        const int height = nodeInt(key, "HeightMax", 1024);
        NuvImage grey;
        if (ZavizoZoz3::GetCameraInfo(key.toStdString(), ZavizoZoz3::CAM_INFO_DEVICE_KIND) ==
            ZavizoZoz3::kDeviceKindProfiler) {
            QImage picture;
            if (v->hasPicture()) v->getBackground(&picture);
            grey = SaveImageTool::sensorPicture(picture, width, height);
        } else {
            NuvImage picture;
            if (v->hasPicture()) v->getBackground(&picture);
            grey = SaveImageTool::firstChannel(picture, width, height);
        }
        if (!grey.isEmpty()) {
            m_worker.addImage(grey);
            m_worker.setSaveType(SaveImageTool::ImageType);
            frame = true;
        }
    } else if (v->btn3DMode->isChecked()) {
        NuvRangeImage range;
        if (v->streamer()->hasImage() && v->streamer()->copyRangeImage(&range) && range.width() >= 1) {
            std::vector<uint8_t> grey;
            int w = 0;
            int h = 0;
            NuvImage greyImage;
            if (v->streamer()->copyGreyImage(&grey, &w, &h) && w > 0 && h > 0) {
                greyImage = NuvImage(w, h, NuvPixelFormat::Mono8, grey.data(), static_cast<size_t>(w), true);
            }
            if (refusesWideScan(range.bytesPerPoint() == 4, SaveImageTool::SingleSave, target)) return;
            m_worker.addRangeImage(range, greyImage);
            m_worker.setSaveType(SaveImageTool::RangeType);
            frame = true;
        }
    }
    if (!frame) {
        showBox(NoValidData);
        return;
    }
    startRun(SaveImageTool::SingleSave);
}

bool PaneSaveCommands::refusesWideScan(bool wideSamples, int mode, const QString& target) {
    if (!wideSamples) return false;
    ImageFileWriter names;
    names.setRun(SaveSettings::read(), mode, target, nullptr);
    const QStringList files = names.fileList(SaveImageTool::RangeType, 0, QDateTime::currentDateTime());
    for (const QString& file : files) {
        if (QFileInfo(file).suffix().compare(QLatin1String("jxr"), Qt::CaseInsensitive) == 0) {
            showBox(WideHeightsFormat);
            return true;
        }
    }
    return false;
}

std::shared_ptr<const ProfileFrameInfo> PaneSaveCommands::runFrameInfo() const {
    if (m_view3D == nullptr) return nullptr;
    if (m_worker.saveType() != SaveImageTool::ProfileType) return m_view3D->frameInfo();
    // The view learns the sample layout when a scan is prepared; a contour may be saved before any.
    ProfileFrameInfo::Values values = m_view3D->frameInfo()->values();
    const std::string key = m_pane->cameraName().toStdString();
    std::string scaler;
    if (ZavizoZoz3::GetCameraNodeValue(key, "Scaler", scaler) == 0 &&
        NuvNumberParse::valueOr(scaler, 0) > 0) {
        const bool wide = ZavizoZoz3::GetCameraInfo(key, ZavizoZoz3::CAM_INFO_RANGE_BITS) != "16";
        const RangeStreamer::Format f =
            RangeStreamer::formatFor(wide ? 1 : 0, NuvNumberParse::valueOr(scaler, 0));
        values.brightnessStride = f.bytesPerPoint;
        values.profileHeightOffset = f.profileHeightOffset;
        values.profileScaleDivisor = f.profileScaleDivisor;
    }
    auto info = std::make_shared<ProfileFrameInfo>();
    info->setValues(values);
    return info;
}

void PaneSaveCommands::startRun(int mode) {
    if (m_view3D) m_worker.setFrameInfo(runFrameInfo());
    m_worker.setCameraKey(m_pane->cameraName());
    m_worker.setSaveMode(mode);
    m_worker.start();
    emit saveStarted();
}

void PaneSaveCommands::feedStream(StreamSaveFeed::Conversion conversion) {
    const QString key = m_pane->cameraName();
    m_streamFeed->arm(&m_worker, conversion, nodeInt(key, "WidthMax", 2048), nodeInt(key, "HeightMax", 1024));
}

// Both views: a second press ends the run; the first one checks the folder and starts it.
bool PaneSaveCommands::toggleMultiSave(QPushButton* button) {
    if (button->property(kSelected).toBool()) {
        endMultiSave(true);
        return false;
    }
    if (m_worker.isSaving()) return false;
    const bool autoName = SaveSettings::autoNaming();
    m_saveDirectory = runFolder(autoName, ZavizoZoz3::PARAMETER_SAVE_DIR, false);
    return !m_saveDirectory.isEmpty();
}

void PaneSaveCommands::startMultiSave(QPushButton* button, QWidget* stripParent, int stripTop) {
    button->setStyleSheet(QStringLiteral("image: url(:/Resource/icons/multiSave/hover.svg);"));
    if (m_multiSaveStrip && m_multiSaveStrip->isFinishing()) delete m_multiSaveStrip;  // an earlier run's
    if (!m_multiSaveStrip) {
        m_multiSaveStrip = new ImageMultiSaveInfoWidget(stripParent);
        m_multiSaveStrip->resize(kStripSize, kStripSize);
        m_multiSaveStrip->move(stripParent->width() - kStripSize, stripTop);
        m_multiSaveStrip->show();
        m_multiSaveStrip->raise();
    }
    button->setProperty(kSelected, true);
    m_multiSaveButton = button;
    m_multiSaving = true;
    m_worker.setSavePath(m_saveDirectory);
    startRun(SaveImageTool::MultiFrameSave);
}

void PaneSaveCommands::multiSave() {
    Image3DWnd* v = m_view3D;
    if (v == nullptr) return;
    const bool starting = !v->btnMultiSave->property(kSelected).toBool() && !m_worker.isSaving();
    const bool wideScan =
        v->btn3DMode->isChecked() && ZavizoZoz3::GetCameraInfo(m_pane->cameraName().toStdString(),
                                                               ZavizoZoz3::CAM_INFO_RANGE_BITS) != "16";
    if (starting && refusesWideScan(wideScan, SaveImageTool::MultiFrameSave, QStringLiteral("/"))) return;
    if (!toggleMultiSave(v->btnMultiSave)) return;
    v->setSaveForwarding(true);
    if (v->btnContourMode->isChecked()) m_worker.setSaveType(SaveImageTool::ProfileType);
    if (v->btn2DMode->isChecked()) m_worker.setSaveType(SaveImageTool::ImageType);
    if (v->btn3DMode->isChecked()) m_worker.setSaveType(SaveImageTool::RangeType);
    const int stripTop = v->btn3DMode->isChecked() ? 85 : 40;
    startMultiSave(v->btnMultiSave, v, stripTop);
    // Sensor pictures are saved as a single save writes them.
    if (v->btn2DMode->isChecked()) feedStream(StreamSaveFeed::Conversion::SensorGrey);
    // The view keeps it beside, not over, the legend of the page it shows.
    v->placeSaveStrip(m_multiSaveStrip, stripTop);
}

void PaneSaveCommands::multiSave2D() {
    Image2DWnd* v = m_view2D;
    if (v == nullptr || !toggleMultiSave(v->btnMultiSave)) return;
    m_worker.setSaveType(SaveImageTool::ImageType);
    v->btnRecording->setEnabled(false);
    startMultiSave(v->btnMultiSave, v->wdg2DImageWnd, 0);
    feedStream(StreamSaveFeed::Conversion::AsIs);
}

void PaneSaveCommands::endMultiSave(bool withBox) {
    m_streamFeed->disarm();
    if (m_view3D) m_view3D->setSaveForwarding(false);
    if (m_multiSaveButton) {
        m_multiSaveButton->setStyleSheet(savingButtonStyle("multiSave", false));
        m_multiSaveButton->setProperty(kSelected, false);
    }
    if (m_view2D) m_view2D->btnRecording->setEnabled(m_cameraBound);
    m_multiSaveButton = nullptr;
    m_multiSaving = false;
    m_worker.stop();
    finishStrip(m_multiSaveStrip);
    if (!withBox || m_worker.processedCount() > 0 || m_worker.holdsFrame()) return;
    const bool grabStopped =
        m_view3D ? m_view3D->btn3DStartGrab->isEnabled() : (m_view2D && !m_view2D->btnStartGrab->isHidden());
    showBox(grabStopped ? NotStartGrab : NoValidData);
}

void PaneSaveCommands::recordingClicked() {
    Image2DWnd* v = m_view2D;
    if (v == nullptr) return;
    if (v->btnRecording->property(kSelected).toBool()) {
        endRecording();
        return;
    }
    if (m_worker.isSaving()) return;
    const QString key = m_pane->cameraName();
    const double rate = NuvNumberParse::valueOr(
        ZavizoZoz3::GetCameraInfo(key.toStdString(), ZavizoZoz3::CAM_INFO_FRAME_RATE), 0.0);
    if (!(rate > 0)) {
        showBox(FrameRateZero);
        return;
    }
    if (SaveSettings::read().recordingFormat == SaveSettings::RecordVideo &&
        !VideoRecordWriter::available()) {
        showBox(VideoUnavailable);
        return;
    }
    const bool autoName = SaveSettings::recordingAutoNaming();
    const QString folder = runFolder(autoName, ZavizoZoz3::PARAMETER_RECORD_DIR, true);
    if (folder.isEmpty()) return;
    m_saveDirectory = folder;
    if (m_recordingStrip && m_recordingStrip->isFinishing()) delete m_recordingStrip;  // an earlier run's
    if (!m_recordingStrip) {
        m_recordingStrip = new ImageMultiSaveInfoWidget(v->wdg2DImageWnd);
        m_recordingStrip->resize(kStripSize, kStripSize);
        m_recordingStrip->move(v->wdg2DImageWnd->width() - kStripSize, 0);
        m_recordingStrip->show();
        m_recordingStrip->raise();
        m_recordingStrip->startElapsedClock();
    }
    v->btnRecording->setStyleSheet(QStringLiteral("image: url(:/Resource/icons/recording/hover.svg);"));
    v->btnRecording->setProperty(kSelected, true);
    v->btnMultiSave->setEnabled(false);
    m_recording = true;
    m_worker.setSavePath(m_saveDirectory);
    m_worker.setFrameRate(rate);
    startRun(SaveImageTool::Recording);
    feedStream(StreamSaveFeed::Conversion::AsIs);
}

void PaneSaveCommands::endRecording() {
    m_streamFeed->disarm();
    if (m_view2D) {
        m_view2D->btnRecording->setStyleSheet(savingButtonStyle("recording", true));
        m_view2D->btnRecording->setProperty(kSelected, false);
        m_view2D->btnMultiSave->setEnabled(m_cameraBound);
    }
    m_recording = false;
    m_worker.stop();
    finishStrip(m_recordingStrip);
}

void PaneSaveCommands::finishStrip(QPointer<ImageMultiSaveInfoWidget>& strip) {
    if (!strip) return;
    const int pending = m_worker.isSaving() ? m_worker.pendingCount() : 0;
    if (pending > 0) {
        strip->setFinishing(pending);
    } else {
        delete strip;
    }
}

// ---- frames and progress -------------------------------------------------------------------

void PaneSaveCommands::onPicture(const QImage& image) {
    if (m_multiSaving) m_worker.addQImage(image);
    if (m_recording) m_worker.addQImage(image);
}

void PaneSaveCommands::saveImageArrayFrame(const QMap<int, NuvImage*>& images, int shownKey,
                                           NuvRangeImage* range) {
    if (!m_multiSaving) return;
    QMap<int, NuvImage*> copies;
    const bool all = parameter(ZavizoZoz3::PARAMETER_SAVE_ALL_IMAGES) != QLatin1String("0");
    for (auto it = images.constBegin(); it != images.constEnd(); ++it) {
        if (it.value() && (all || it.key() == shownKey))
            copies.insert(it.key(), new NuvImage(it.value()->clone()));
    }
    m_worker.addSLFrame(copies, range ? range->clone() : NuvRangeImage());
}

void PaneSaveCommands::multiSaveInfoUpdate(uint total, uchar usageRate, int dealCount, int discardCount) {
    for (ImageMultiSaveInfoWidget* strip : {m_multiSaveStrip.data(), m_recordingStrip.data()}) {
        if (strip && strip->isFinishing()) strip->setFinishing(m_worker.pendingCount());
    }
    if (m_multiSaveStrip) {
        m_multiSaveStrip->setTotalCount(static_cast<int>(total));
    } else if (!m_recordingStrip) {
        return;
    }
    ImageMultiSaveInfoWidget* strip = m_multiSaveStrip ? m_multiSaveStrip.data() : m_recordingStrip.data();
    strip->setUsageRate(usageRate);
    strip->setDealCount(dealCount);
    strip->setDiscardCount(discardCount);
}

void PaneSaveCommands::onSaveFinish(bool status, QString path) {
    if (m_multiSaving && m_multiSaveButton && m_multiSaveButton->property(kSelected).toBool()) {
        endMultiSave(true);
        // Acquisition goes on after a run that reached its limit, unless the start button is
        // hidden: the 2D view hides it while grabbing, the profiler view only disables it (a
        // button parked in the overflow menu is not hidden).
        QPushButton* start =
            m_view3D ? m_view3D->btn3DStartGrab : (m_view2D ? m_view2D->btnStartGrab : nullptr);
        if (start && start->isHidden() && !start->property("inMenu").toBool()) emit stopGrabRequested();
    }
    // A recording that reached its frame limit is over as well: the button and strip follow.
    if (m_recording && m_worker.saveMode() == SaveImageTool::Recording && !m_worker.isSaving())
        endRecording();
    // A stopped run has written its last frame.
    for (QPointer<ImageMultiSaveInfoWidget>* strip : {&m_multiSaveStrip, &m_recordingStrip}) {
        if (*strip && (*strip)->isFinishing()) delete strip->data();
    }
    const SaveImageTool::RunSummary summary = m_worker.lastRunSummary();
    if (m_worker.saveMode() != SaveImageTool::SingleSave && summary.lost()) {
        showLossBox(summary);
        return;
    }
    switch (m_worker.saveMode()) {
        case SaveImageTool::SingleSave:
            showTip(status, false, path);
            break;
        case SaveImageTool::MultiFrameSave:
            if (!status) {
                showTip(false, false, path);
            } else if (m_worker.processedCount() >= 1) {
                // How many frames went where: the run's folder, one per camera.
                const int n = m_worker.processedCount();
                const QString folder = QDir::toNativeSeparators(m_saveDirectory);
                showTip(true,
                        n == 1 ? tr("1 frame saved to %1").arg(folder)
                               : tr("%1 frames saved to %2").arg(n).arg(folder),
                        m_saveDirectory);
            }
            break;
        default:
            // A recording that wrote nothing saved no video.
            if (status && m_worker.processedCount() > 0) {
                showTip(true, true, path);
            } else {
                showBox(VideoNoValidData);
            }
            break;
    }
}
