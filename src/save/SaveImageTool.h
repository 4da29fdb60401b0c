// SPDX-License-Identifier: Apache-2.0
#pragma once
#include <QImage>
#include <QList>
#include <QMap>
#include <QObject>
#include <QPair>
#include <QString>
#include <QVector>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <utility>

#include "FrameMetadata.h"
#include "NuvImage.h"
#include "NuvRangeImage.h"
#include "ProfileFrameInfo.h"
#include "SaveSettings.h"

class TaskWorker;

// A pane's save worker: frames handed over by the pane wait in bounded queues and are written
// on a worker (TaskWorker) of its own, so saving never blocks the GUI thread or the image stream. One run
// (single save, multi-frame save or recording) lasts from start() to its frame limit or stop();
// progress goes out as saveInfoUpdate, the result of a run as saveFinish.
class SaveImageTool : public QObject {
    Q_OBJECT
public:
    enum SaveMode { SingleSave = 0, MultiFrameSave = 1, Recording = 2 };
    enum SaveType { ProfileType = 0, ImageType = 1, RangeType = 2 };

    SaveImageTool();
    ~SaveImageTool() override;

    // Plain stores, made while no run is active; start() takes them over for the run.
    void setSaveMode(int mode) { m_saveMode = mode; }
    int saveMode() const { return m_saveMode; }
    void setSaveType(int type) { m_saveType = type; }
    int saveType() const { return m_saveType; }
    void setSavePath(const QString& path) { m_savePath = path; }
    QString savePath() const { return m_savePath; }
    void setCameraKey(const QString& key) { m_cameraKey = key; }
    QString cameraKey() const { return m_cameraKey; }
    void setFrameInfo(std::shared_ptr<const ProfileFrameInfo> info) { m_frameInfo = std::move(info); }
    // The camera's frame rate: a recording's video plays at it.
    void setFrameRate(double framesPerSecond) { m_frameRate = framesPerSecond; }
    // Called on the worker thread before each frame is written (tests hold the writer with it).
    void setBeforeWrite(std::function<void(int number)> hook) { m_beforeWrite = std::move(hook); }

    // Queued frames hold at most this many bytes (a frame alone may exceed it); by default
    // 1 GiB or a quarter of the physical memory, whichever is smaller. Only a recording's queue
    // may hold more frames than the queue capacity of the save settings.
    void setQueueByteLimit(qint64 bytes);
    static qint64 defaultQueueByteLimit();

    // Begins a run: reads the save settings, resets the counters and wakes the worker (started
    // with the first run).
    void start();
    // Ends the run: no frame is accepted any more, the frames already accepted are written, then
    // saveFinish reports the run.
    void stop();
    bool isSaving() const;
    // The owner goes: the frames already accepted are still written, nothing is reported any
    // more, and the worker thread ends by itself (a loss is logged). True when that thread still
    // runs: the tool must then live until finished() (see SaveWorkerKeeper).
    bool finishInBackground();
    // Whether the worker loop has ended (or never started).
    bool finished() const;

    // Any thread; never blocks on file I/O. Frames are kept until written or dropped; images
    // share their pixels with the caller, who must not write into them afterwards.
    void addProfile(const QVector<qreal>& heights, const QVector<uint8_t>& brightness);
    // `stamp`: the frame's id and camera timestamp where the camera gave them (see FrameMetadata).
    void addImage(const NuvImage& image, const FrameMetadata& stamp = FrameMetadata());
    void addRangeImage(const NuvRangeImage& range, const NuvImage& grey);
    // Takes ownership of the images of the map.
    void addSLFrame(const QMap<int, NuvImage*>& images, const NuvRangeImage& range);
    // Stores a deep copy of the picture.
    void addQImage(const QImage& image, const FrameMetadata& stamp = FrameMetadata());

    // 8-bit copy of the first channel of each pixel, at most maxWidth x maxHeight.
    static NuvImage firstChannel(const NuvImage& image, int maxWidth, int maxHeight);
    // The profiler's sensor picture as every save writes it, single or multi-frame: 8-bit grey at
    // the sensor's size (width x height, bounded by the picture), the window's rows as they are and
    // the rows outside it, which the picture shows in a colour, zero.
    static NuvImage sensorPicture(const QImage& picture, int width, int height);
    // Whether a row of the sensor picture (RGB888) holds camera data: the window's rows are grey,
    // the rows outside it are coloured.
    static bool isSensorRow(const uchar* rgbLine) {
        return rgbLine[0] == rgbLine[1] && rgbLine[1] == rgbLine[2];
    }
    // The band of window rows of a sensor picture: first row and count; a count of -1 when every
    // row holds data (no coloured rows, or not an RGB888 picture).
    static std::pair<int, int> sensorRowBand(const QImage& picture);

    // What became of the frames a run was offered, as reported at its end.
    struct RunSummary {
        int saved = 0;
        int failed = 0;         // taken but not written (the log says why)
        int discarded = 0;      // refused because the queue was full
        bool cutShort = false;  // a frame the recording could not take ended it
        int offered() const { return saved + failed + discarded; }
        bool lost() const { return failed > 0 || discarded > 0; }
    };

    int processedCount() const;
    int discardedCount() const;
    int failedCount() const;
    int queueCapacity() const;
    // Whether a frame is queued or being written.
    bool holdsFrame() const;
    // Frames of the run still to write: queued and in progress.
    int pendingCount() const;
    // The counts of the last run that ended (valid once its saveFinish was sent).
    RunSummary lastRunSummary() const;

signals:
    // Sent with the queue lock held: receivers connect queued.
    void saveInfoUpdate(uint total, uchar usageRate, int dealCount, int discardCount);
    void saveFinish(bool saveSuccess, QString saveFullName);

public slots:
    // Starts the worker loop if it does not run yet; never blocks. The loop serves every run until
    // destruction.
    void save3DAction();
    // Multi-image frames are written by the same loop.
    void saveSLImageAction() { save3DAction(); }

private:
    void writeLoop();
    struct Run {
        int id = 0;
        int mode = SingleSave;
        int kind = ProfileType;
        QString target;
        QString cameraKey;
        SaveSettings settings;
        double frameRate = 0;
        std::shared_ptr<const ProfileFrameInfo> frameInfo;
        std::function<void(int)> beforeWrite;
    };
    struct Counters {
        uint total = 0;
        uchar usageRate = 0;
        int processed = 0;  // frames taken and written or failed
        int discarded = 0;
        int failed = 0;
        bool cutShort = false;
    };
    using ProfileEntry = QPair<QVector<qreal>, QVector<uint8_t>>;
    using RangeEntry = QPair<NuvRangeImage, NuvImage>;
    using ImageEntry = QPair<NuvImage, FrameMetadata>;
    using PictureEntry = QPair<QImage, FrameMetadata>;
    using SLEntry = QPair<QMap<int, NuvImage*>, NuvRangeImage>;

    // Admits a frame of `bytes` to a queue of length `queued`; false when it was discarded.
    // Under m_mutex.
    bool admitLocked(int queued, qint64 bytes);
    // Whether a frame offered now is no part of a run: one has ended, or has all its frames.
    bool refusedLocked() const;
    template <class Entry>
    void enqueue(QList<Entry>* queue, const Entry& entry);
    bool hasFrameLocked() const;
    int queuedFramesLocked() const;
    void clearQueuesLocked();
    void report(const Counters& counters);
    void logOrphanedRunLocked() const;

    int m_saveMode = SingleSave;
    int m_saveType = ProfileType;
    QString m_savePath;
    QString m_cameraKey;
    std::shared_ptr<const ProfileFrameInfo> m_frameInfo;
    double m_frameRate = 0;
    std::function<void(int)> m_beforeWrite;

    // Guards the queues, the counters, the run and the run state below.
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    QList<ProfileEntry> m_profiles;
    QList<ImageEntry> m_images;
    QList<RangeEntry> m_ranges;
    QList<SLEntry> m_slFrames;
    QList<PictureEntry> m_pictures;
    Counters m_counters;
    RunSummary m_lastSummary;
    int m_capacity = 8;
    qint64 m_queuedBytes = 0;
    qint64 m_byteLimit;
    Run m_run;
    bool m_running = false;        // a run is active
    bool m_draining = false;       // stopped: the accepted frames are still being written
    bool m_finishPending = false;  // the run ended and saveFinish is still to be sent
    bool m_inFlight = false;       // the worker writes a frame it took
    bool m_quit = false;           // the owner is gone: write what was accepted, then end
    bool m_runSuccess = true;
    QString m_runFirstFile;

    std::atomic<bool> m_loopActive{false};
    std::atomic<bool> m_loopEnded{false};
    std::unique_ptr<TaskWorker> m_worker;  // GUI thread only
};
