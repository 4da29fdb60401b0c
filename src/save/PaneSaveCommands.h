// SPDX-License-Identifier: Apache-2.0
#pragma once
#include <QImage>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>

#include <QPushButton>

#include "Image2DWnd.h"
#include "Image3DWnd.h"
#include "ImageMultiSaveInfoWidget.h"
#include "NuvImage.h"
#include "NuvRangeImage.h"
#include "SaveImageTool.h"
#include "StreamSaveFeed.h"

class ImageWnd;

// The save commands of a pane: single save, multi-frame save and recording with their checks and
// boxes, the progress strips and the result tips. Owns the pane's save worker and feeds it the
// frames the pane shows while a run is active.
class PaneSaveCommands : public QObject {
    Q_OBJECT
public:
    explicit PaneSaveCommands(ImageWnd* pane);
    ~PaneSaveCommands() override;

    SaveImageTool& worker() { return m_worker; }
    bool isMultiSaving() const { return m_multiSaving; }
    bool isRecording() const { return m_recording; }
    QString saveDirectory() const { return m_saveDirectory; }
    ImageMultiSaveInfoWidget* multiSaveStrip() const { return m_multiSaveStrip; }
    ImageMultiSaveInfoWidget* recordingStrip() const { return m_recordingStrip; }

    // The pane's views come and go with its mode.
    void attach2DView(Image2DWnd* view);
    void attach3DView(Image3DWnd* view);
    // The profiler view is being dropped: a run that feeds on it ends.
    void detach3DView();
    // The save buttons of the profiler view are there only while a camera is bound.
    void setCameraBound(bool bound);
    void onGrabStopped();
    // Pictures a host hands the pane, saved while a multi-frame save or a recording runs.
    void onPicture(const QImage& image);
    // The camera stream's pictures reach a run through this, on the thread that converts them.
    std::shared_ptr<StreamSaveFeed> streamFeed() const { return m_streamFeed; }
    void saveImageArrayFrame(const QMap<int, NuvImage*>& images, int shownKey, NuvRangeImage* range);
    void retranslate();

public slots:
    void singleSave();
    void multiSave();
    void recordingClicked();
    void multiSaveInfoUpdate(uint total, uchar usageRate, int dealCount, int discardCount);
    void onSaveFinish(bool status, QString path);
    // "View" in a save tip: opens the folder of `path` in the desktop's file manager or, where none
    // is registered, says so and offers to copy the folder's path to the clipboard.
    void viewFolder(const QString& path);

signals:
    void saveStarted();
    void stopGrabRequested();

private:
    enum Box {
        DirNotExist,
        CreateDirFailed,
        CreateDirFailedChosen,
        DiskPathError,
        DiskFull,
        NoValidData,
        NotStartGrab,
        FrameRateZero,
        VideoNoValidData,
        WideHeightsFormat,
        VideoUnavailable
    };
    void showBox(Box box);
    // The pressed button (0 or 1, -1 dismissed); the boxes of the checks end their command whatever it is.
    int showMessage(const QString& title, const QString& text, int level, const QString& button0,
                    const QString& button1);
    // The box of a run that lost frames: how many of how many were written, and why.
    void showLossBox(const SaveImageTool::RunSummary& summary);
    // A stopped run's strip stays, counting the frames still to write, until the run's end.
    void finishStrip(QPointer<ImageMultiSaveInfoWidget>& strip);
    // The folder of a run: chosen or configured, plus one sub-folder per camera. Empty when a
    // check failed (its box was shown) or the dialog was cancelled.
    QString runFolder(bool autoName, int dirItem, bool recording);
    QString singleSaveTarget(const QString& filter);
    void multiSave2D();
    // Ends a running multi-frame save, or checks and prepares a new one (true: start it).
    bool toggleMultiSave(QPushButton* button);
    void startMultiSave(QPushButton* button, QWidget* stripParent, int stripTop);
    void startRun(int mode);
    // The stream's pictures go to the run just started, converted as `conversion` says.
    void feedStream(StreamSaveFeed::Conversion conversion);
    void endMultiSave(bool withBox);
    void endRecording();
    void showTip(bool success, bool video, const QString& path);
    // A success tip links "View" to the folder of `path`.
    void showTip(bool success, const QString& text, const QString& path);
    // A scan of 32-bit samples into a range format that holds 16 bits: refused with its box.
    bool refusesWideScan(bool wideSamples, int mode, const QString& target);
    // The frame information of a run: profiles follow the camera's own sample width and scale.
    std::shared_ptr<const ProfileFrameInfo> runFrameInfo() const;
    void enableSaveButtons();

    ImageWnd* m_pane;
    QPointer<Image2DWnd> m_view2D;
    QPointer<Image3DWnd> m_view3D;
    QPointer<ImageMultiSaveInfoWidget> m_multiSaveStrip;
    QPointer<ImageMultiSaveInfoWidget> m_recordingStrip;
    QPointer<QPushButton> m_multiSaveButton;  // the button of the running multi-frame save
    QString m_saveDirectory;
    bool m_multiSaving = false;
    bool m_recording = false;
    bool m_cameraBound = false;
    // Handed to SaveWorkerKeeper when the pane goes, so that closing never waits for the disk.
    std::unique_ptr<SaveImageTool> m_workerOwner = std::make_unique<SaveImageTool>();
    SaveImageTool& m_worker = *m_workerOwner;
    const std::shared_ptr<StreamSaveFeed> m_streamFeed = std::make_shared<StreamSaveFeed>();
};
