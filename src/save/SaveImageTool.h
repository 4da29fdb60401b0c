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
#include <memory>
#include <mutex>

#include "NuvImage.h"
#include "NuvRangeImage.h"
#include "ProfileFrameInfo.h"
#include "SaveSettings.h"

class QThread;

// A pane's save worker: frames handed over by the pane wait in bounded queues and are written
// on a thread of its own, so saving never blocks the GUI thread or the image stream. One run
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

    // Begins a run: reads the save settings, resets the counters and wakes the worker (started
    // with the first run).
    void start();
    // Ends the run: no frame is accepted any more, the frames already accepted are written, then
    // saveFinish reports the run.
    void stop();
    bool isSaving() const;

    // Any thread; never blocks on file I/O. Frames are kept until written or dropped; images
    // share their pixels with the caller, who must not write into them afterwards.
    void addProfile(const QVector<qreal>& heights, const QVector<uint8_t>& brightness);
    void addImage(const NuvImage& image);
    void addRangeImage(const NuvRangeImage& range, const NuvImage& grey);
    // Takes ownership of the images of the map.
    void addSLFrame(const QMap<int, NuvImage*>& images, const NuvRangeImage& range);
    // Stores a deep copy of the picture.
    void addQImage(const QImage& image);

    // 8-bit copy of the first channel of each pixel, at most maxWidth x maxHeight.
    static NuvImage firstChannel(const QImage& image, int maxWidth, int maxHeight);
    static NuvImage firstChannel(const NuvImage& image, int maxWidth, int maxHeight);

    int processedCount() const;
    int discardedCount() const;
    int queueCapacity() const;
    // Whether a frame is queued or being written.
    bool holdsFrame() const;

signals:
    // Sent with the queue lock held: receivers connect queued.
    void saveInfoUpdate(uint total, uchar usageRate, int dealCount, int discardCount);
    void saveFinish(bool saveSuccess, QString saveFullName);

public slots:
    // The worker loop; it serves every run until destruction (later calls return at once).
    void save3DAction();
    // Multi-image frames are written by the same loop.
    void saveSLImageAction() { save3DAction(); }

private:
    struct Run {
        int id = 0;
        int mode = SingleSave;
        int kind = ProfileType;
        QString target;
        QString cameraKey;
        SaveSettings settings;
        std::shared_ptr<const ProfileFrameInfo> frameInfo;
    };
    struct Counters {
        uint total = 0;
        uchar usageRate = 0;
        int processed = 0;
        int discarded = 0;
    };
    using ProfileEntry = QPair<QVector<qreal>, QVector<uint8_t>>;
    using RangeEntry = QPair<NuvRangeImage, NuvImage>;
    using SLEntry = QPair<QMap<int, NuvImage*>, NuvRangeImage>;

    // Admits a frame to a queue of length `queued`; false when it was discarded. Under m_mutex.
    bool admitLocked(int queued);
    template <class Entry>
    void enqueue(QList<Entry>* queue, const Entry& entry);
    bool hasFrameLocked() const;
    void clearQueuesLocked();
    void report(const Counters& counters);

    int m_saveMode = SingleSave;
    int m_saveType = ProfileType;
    QString m_savePath;
    QString m_cameraKey;
    std::shared_ptr<const ProfileFrameInfo> m_frameInfo;

    // Guards the queues, the counters, the run and the run state below.
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    QList<ProfileEntry> m_profiles;
    QList<NuvImage> m_images;
    QList<RangeEntry> m_ranges;
    QList<SLEntry> m_slFrames;
    QList<QImage> m_pictures;
    Counters m_counters;
    int m_capacity = 8;
    Run m_run;
    bool m_running = false;        // a run is active
    bool m_draining = false;       // stopped: the accepted frames are still being written
    bool m_finishPending = false;  // the run ended and saveFinish is still to be sent
    bool m_inFlight = false;       // the worker writes a frame it took
    bool m_quit = false;
    bool m_runSuccess = true;
    QString m_runFirstFile;

    std::atomic<bool> m_loopActive{false};
    QThread* m_thread = nullptr;  // GUI thread only
};
