// SPDX-License-Identifier: Apache-2.0
#include "SaveImageTool.h"

#include <algorithm>
#include <exception>
#include <limits>
#include <new>
#include <opencv2/core.hpp>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

#include <QFile>
#include <QFileInfo>

#include "FrameSidecar.h"
#include "ImageFileWriter.h"
#include "RecordingWriter.h"
#include "TaskWorker.h"
#include "ZavizoZoz3.h"

namespace {
constexpr qint64 kMaxQueueBytes = qint64(1) << 30;

void deleteImages(const QMap<int, NuvImage*>& images) {
    qDeleteAll(images);
}

qint64 physicalMemory() {
#ifdef _WIN32
    MEMORYSTATUSEX status;
    status.dwLength = sizeof status;
    return GlobalMemoryStatusEx(&status) ? static_cast<qint64>(status.ullTotalPhys) : 0;
#else
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    return pages > 0 && pageSize > 0 ? static_cast<qint64>(pages) * pageSize : 0;
#endif
}

// Bytes a queued frame keeps alive (pixels may be shared with the pane: counted all the same).
qint64 bytesOf(const NuvImage& image) {
    return static_cast<qint64>(image.step()) * image.height();
}
qint64 bytesOf(const NuvRangeImage& range) {
    return static_cast<qint64>(range.byteSize());
}
qint64 bytesOf(const QImage& picture) {
    return static_cast<qint64>(picture.sizeInBytes());
}
qint64 bytesOf(const QPair<NuvImage, FrameMetadata>& image) {
    return bytesOf(image.first);
}
qint64 bytesOf(const QPair<QImage, FrameMetadata>& picture) {
    return bytesOf(picture.first);
}
qint64 bytesOf(const QPair<QVector<qreal>, QVector<uint8_t>>& profile) {
    return static_cast<qint64>(profile.first.size()) * qint64(sizeof(qreal)) + profile.second.size();
}
qint64 bytesOf(const QPair<NuvRangeImage, NuvImage>& range) {
    return bytesOf(range.first) + bytesOf(range.second);
}
qint64 bytesOf(const QPair<QMap<int, NuvImage*>, NuvRangeImage>& frame) {
    qint64 bytes = bytesOf(frame.second);
    for (const NuvImage* image : frame.first)
        bytes += image ? bytesOf(*image) : 0;
    return bytes;
}

// Where a run's sidecar goes: next to a single save's file under its name, next to a recording's
// folder or video under its name, and in a multi-frame save's folder under the prefix and, unless
// the naming rule leaves the time out of the names, the time the run started.
QString sidecarPath(int mode, const QString& target, const SaveSettings& settings, const QDateTime& start,
                    const QStringList& files, const RecordingWriter& recording) {
    if (mode == SaveImageTool::Recording && !recording.runName().isEmpty())
        return FrameSidecar::pathFor(recording.folder(), recording.runName());
    if (mode == SaveImageTool::SingleSave) {
        const QFileInfo first(files.first());
        return FrameSidecar::pathFor(first.absolutePath(), first.completeBaseName());
    }
    const QString& prefix = settings.prefix;
    if (settings.namingRule == 2 && !prefix.isEmpty()) return FrameSidecar::pathFor(target, prefix);
    const QString time = ImageFileWriter::timeText(start);
    return FrameSidecar::pathFor(target, prefix.isEmpty() ? time : prefix + '_' + time);
}

template <class Entry>
Entry takeFirst(QList<Entry>* queue, qint64* queuedBytes) {
    Entry entry = queue->takeFirst();
    *queuedBytes -= bytesOf(entry);
    return entry;
}
}  // namespace

qint64 SaveImageTool::defaultQueueByteLimit() {
    const qint64 quarter = physicalMemory() / 4;
    return quarter > 0 ? std::min(kMaxQueueBytes, quarter) : kMaxQueueBytes;
}

SaveImageTool::SaveImageTool() : QObject(nullptr), m_byteLimit(defaultQueueByteLimit()) {}

SaveImageTool::~SaveImageTool() {
    finishInBackground();
    // The worker completes the frames it accepted, then leaves its loop; the join orders what
    // the loop did before the members go.
    m_worker.reset();
    std::lock_guard<std::mutex> lock(m_mutex);
    clearQueuesLocked();
}

bool SaveImageTool::finishInBackground() {
    if (!m_worker) return false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_quit = true;
    }
    m_wake.notify_all();
    return !finished();
}

bool SaveImageTool::finished() const {
    return !m_worker || m_loopEnded.load();
}

void SaveImageTool::setQueueByteLimit(qint64 bytes) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_byteLimit = std::max<qint64>(1, bytes);
}

void SaveImageTool::start() {
    Run run;
    run.mode = m_saveMode;
    // Recordings are made of pictures whatever kind the last run had.
    run.kind = m_saveMode == Recording ? ImageType : m_saveType;
    run.target = m_savePath;
    run.cameraKey = m_cameraKey;
    run.settings = SaveSettings::read();
    run.frameInfo = m_frameInfo;
    run.frameRate = m_frameRate;
    run.beforeWrite = m_beforeWrite;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        run.id = m_run.id + 1;
        m_run = run;
        m_capacity = run.settings.queueCapacity;
        m_counters = Counters();
        m_running = true;
        m_draining = false;
        // The end of an earlier run the pane already closed is not reported into this one.
        m_finishPending = false;
        m_runSuccess = true;
        m_runFirstFile.clear();
        report(m_counters);
    }
    m_wake.notify_all();
    save3DAction();
}

void SaveImageTool::stop() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_running) {
            // Frames that came in after the run had ended belong to no run.
            if (!m_draining) clearQueuesLocked();
            return;
        }
        // Frames already accepted are still written; new ones are refused from here on.
        m_running = false;
        m_draining = true;
    }
    m_wake.notify_all();
}

NuvImage SaveImageTool::sensorPicture(const QImage& picture, int width, int height) {
    if (picture.isNull()) return NuvImage();
    const QImage rgb =
        picture.format() == QImage::Format_RGB888 ? picture : picture.convertToFormat(QImage::Format_RGB888);
    // The camera's sensor size only bounds what is taken: the picture bounds the allocation.
    const int w = std::min(width, rgb.width());
    const int h = std::min(height, rgb.height());
    if (w <= 0 || h <= 0) return NuvImage();
    NuvImage grey(w, h, NuvPixelFormat::Mono8);
    for (int y = 0; y < h; ++y) {
        const uchar* line = rgb.constScanLine(y);
        uint8_t* out = grey.data() + static_cast<size_t>(y) * grey.step();
        if (!isSensorRow(line)) {
            std::fill(out, out + w, uint8_t(0));
            continue;
        }
        for (int x = 0; x < w; ++x)
            out[x] = line[3 * x];
    }
    return grey;
}

std::pair<int, int> SaveImageTool::sensorRowBand(const QImage& picture) {
    if (picture.format() != QImage::Format_RGB888 || picture.width() < 1) return {0, -1};
    int first = -1;
    int last = -1;
    for (int y = 0; y < picture.height(); ++y) {
        if (!isSensorRow(picture.constScanLine(y))) continue;
        if (first < 0) first = y;
        last = y;
    }
    if (first == 0 && last == picture.height() - 1) return {0, -1};
    return first < 0 ? std::pair<int, int>(0, 0) : std::pair<int, int>(first, last - first + 1);
}

NuvImage SaveImageTool::firstChannel(const NuvImage& image, int maxWidth, int maxHeight) {
    const cv::Mat& m = image.mat();
    if (m.empty() || maxWidth <= 0 || maxHeight <= 0) return NuvImage();
    const cv::Mat area = m(cv::Rect(0, 0, std::min(maxWidth, m.cols), std::min(maxHeight, m.rows)));
    cv::Mat grey;
    if (area.channels() == 1) {
        grey = area.depth() == CV_8U ? area.clone() : cv::Mat();
        if (grey.empty()) area.convertTo(grey, CV_8U, 1.0 / 256.0);
    } else {
        cv::extractChannel(area, grey, 0);
    }
    return NuvImage(grey.cols, grey.rows, NuvPixelFormat::Mono8, grey.data, grey.step, true);
}

bool SaveImageTool::isSaving() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_running || m_draining || m_finishPending;
}

int SaveImageTool::processedCount() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_counters.processed;
}

int SaveImageTool::discardedCount() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_counters.discarded;
}

int SaveImageTool::failedCount() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_counters.failed;
}

int SaveImageTool::queueCapacity() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_capacity;
}

bool SaveImageTool::holdsFrame() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_inFlight || hasFrameLocked();
}

int SaveImageTool::pendingCount() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return (m_inFlight ? 1 : 0) + queuedFramesLocked();
}

SaveImageTool::RunSummary SaveImageTool::lastRunSummary() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_lastSummary;
}

void SaveImageTool::clearQueuesLocked() {
    m_profiles.clear();
    m_images.clear();
    m_ranges.clear();
    for (const SLEntry& entry : qAsConst(m_slFrames))
        deleteImages(entry.first);
    m_slFrames.clear();
    m_pictures.clear();
    m_queuedBytes = 0;
}

bool SaveImageTool::hasFrameLocked() const {
    return queuedFramesLocked() > 0;
}

// The frames the worker takes for the run's kind.
int SaveImageTool::queuedFramesLocked() const {
    int frames = m_slFrames.size();
    switch (m_run.kind) {
        case ProfileType:
            return frames + m_profiles.size();
        case ImageType:
            return frames + m_images.size() + m_pictures.size();
        case RangeType:
            return frames + m_ranges.size();
        default:
            return frames;
    }
}

bool SaveImageTool::refusedLocked() const {
    if (m_finishPending || m_draining || m_quit) return true;
    // A run that holds as many frames as its limit asks for needs no more: later frames are not
    // part of it (and not lost).
    if (!m_running || m_run.mode == SingleSave) return false;
    const int held = m_counters.processed + (m_inFlight ? 1 : 0) + queuedFramesLocked();
    return held >= std::max(1, m_run.settings.frameLimit);
}

bool SaveImageTool::admitLocked(int queued, qint64 bytes) {
    // A recording keeps every frame of a stream, and a disk's stalls outlast a few frames at its
    // rates: only the byte bound holds its queue. Other runs keep to their frame capacity too.
    const bool counted = m_run.mode != Recording;
    // A frame larger than the byte bound is still taken into an empty queue: one frame at a time.
    if ((counted && queued > m_capacity) || (m_queuedBytes > 0 && m_queuedBytes + bytes > m_byteLimit)) {
        ++m_counters.discarded;
        return false;
    }
    const qint64 byteRate = std::min<qint64>(100, m_queuedBytes * 100 / m_byteLimit);
    const int countRate = counted ? std::min(100, queued * 100 / m_capacity) : 0;
    m_counters.usageRate = static_cast<uchar>(std::max<qint64>(byteRate, countRate));
    m_queuedBytes += bytes;
    return true;
}

void SaveImageTool::report(const Counters& c) {
    emit saveInfoUpdate(c.total, c.usageRate, c.processed, c.discarded);
}

// Each enqueue: ignored while an ended run is not yet reported; otherwise admitted or counted
// as discarded, then the counters go out. They are sent under the lock so that reports from the
// worker and from enqueues arrive in the order the counters changed.
template <class Entry>
void SaveImageTool::enqueue(QList<Entry>* queue, const Entry& entry) {
    bool admitted = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (refusedLocked()) return;
        admitted = admitLocked(queue->size(), bytesOf(entry));
        if (admitted) queue->append(entry);
        report(m_counters);
    }
    if (admitted) m_wake.notify_all();
}

void SaveImageTool::addProfile(const QVector<qreal>& heights, const QVector<uint8_t>& brightness) {
    enqueue(&m_profiles, ProfileEntry(heights, brightness));
}

void SaveImageTool::addImage(const NuvImage& image, const FrameMetadata& stamp) {
    enqueue(&m_images, ImageEntry(image, stamp));
}

void SaveImageTool::addRangeImage(const NuvRangeImage& range, const NuvImage& grey) {
    enqueue(&m_ranges, RangeEntry(range, grey));
}

void SaveImageTool::addQImage(const QImage& image, const FrameMetadata& stamp) {
    const QImage copy = image.copy();
    if (copy.isNull() && !image.isNull()) {
        // No memory for the copy: the frame is lost like one refused by a full queue.
        std::lock_guard<std::mutex> lock(m_mutex);
        if (refusedLocked()) return;
        ++m_counters.discarded;
        report(m_counters);
        return;
    }
    enqueue(&m_pictures, PictureEntry(copy, stamp));
}

void SaveImageTool::addSLFrame(const QMap<int, NuvImage*>& images, const NuvRangeImage& range) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (refusedLocked() || (images.isEmpty() && range.height() <= 0)) {
            deleteImages(images);
            return;
        }
        const SLEntry entry(images, range.height() > 0 ? range : NuvRangeImage());
        if (admitLocked(m_slFrames.size(), bytesOf(entry))) {
            m_slFrames.append(entry);
        } else {
            deleteImages(images);
        }
        report(m_counters);
    }
    m_wake.notify_all();
}

void SaveImageTool::logOrphanedRunLocked() const {
    const int saved = m_counters.processed - m_counters.failed;
    const int offered = m_counters.processed + m_counters.discarded;
    if (saved == offered) return;
    ImageFileWriter::logError(
        QStringLiteral("Saving for camera %1 ended after its pane closed: %2 of %3 frames saved, %4 "
                       "discarded, %5 failed")
            .arg(m_run.cameraKey)
            .arg(saved)
            .arg(offered)
            .arg(m_counters.discarded)
            .arg(m_counters.failed));
}

void SaveImageTool::save3DAction() {
    if (m_loopActive.exchange(true)) return;
    m_worker = std::make_unique<TaskWorker>(QStringLiteral("save"));
    m_worker->post([this] {
        // Also after a throw the worker caught and logged: the owner sees the loop end.
        struct Ended {
            std::atomic<bool>* ended;
            ~Ended() { *ended = true; }
        } ended{&m_loopEnded};
        writeLoop();
    });
}

void SaveImageTool::writeLoop() {
    ImageFileWriter writer;
    RecordingWriter recording;
    int writerRun = -1;
    // The video of the run `videoRun`, finished before that run is reported.
    int videoRun = -1;
    int recordingRun = -1;  // the run the recording writer serves
    bool videoKept = false;
    QString videoPath;
    FrameSidecar sidecar;
    // The camera's settings as the run began (read here, off the GUI thread) and the run's start.
    double exposure = std::numeric_limits<double>::quiet_NaN();
    double gain = exposure;
    QDateTime runStart;
    for (;;) {
        ImageFileWriter::Frame frame;
        SLEntry slFrame;
        bool isSLFrame = false;
        Run run;
        int number = 0;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_wake.wait(lock, [this]() {
                return m_quit || m_finishPending || m_draining || (m_running && hasFrameLocked());
            });
            const bool writing = (m_running || m_draining) && hasFrameLocked();
            if (m_draining && !writing) {
                m_draining = false;
                m_finishPending = true;
            }
            // The owner went: the frames of the run are written first, a loss goes to the log.
            if (m_quit && !writing) {
                if (m_running || m_finishPending) logOrphanedRunLocked();
                break;
            }
            if (m_finishPending && !writing && recording.isActive()) {
                // A recording's video is complete only now. The run stays pending meanwhile, so
                // that no new one starts before it is reported.
                // (A recording left by a restarted run is finished quietly.)
                const bool ours = recordingRun == m_run.id;
                videoRun = ours ? m_run.id : -1;
                lock.unlock();
                const bool kept = recording.finish(ours ? &videoPath : nullptr);
                if (ours) videoKept = kept;
                // A video that was not kept has no frames to describe.
                if (!kept && ours) sidecar.discard();
                continue;
            }
            if (m_finishPending && !writing) {
                m_finishPending = false;
                const bool video = videoRun == m_run.id;
                // A video that could not be kept saved none of its frames.
                const bool videoLost = video && !videoKept;
                m_lastSummary.saved = videoLost ? 0 : m_counters.processed - m_counters.failed;
                m_lastSummary.failed = videoLost ? m_counters.processed : m_counters.failed;
                m_lastSummary.discarded = m_counters.discarded;
                m_lastSummary.cutShort = m_counters.cutShort;
                const bool success = m_runSuccess && !videoLost;
                const QString path = video ? videoPath : m_runFirstFile;
                videoRun = -1;
                videoPath.clear();
                lock.unlock();
                emit saveFinish(success, path);
                continue;
            }
            run = m_run;
            number = m_counters.processed;
            frame.kind = run.kind;
            if (!m_slFrames.isEmpty()) {
                slFrame = takeFirst(&m_slFrames, &m_queuedBytes);
                isSLFrame = true;
            } else if (run.kind == ProfileType) {
                const ProfileEntry entry = takeFirst(&m_profiles, &m_queuedBytes);
                frame.heights = entry.first;
                frame.brightness = entry.second;
            } else if (run.kind == ImageType) {
                if (!m_images.isEmpty()) {
                    const ImageEntry entry = takeFirst(&m_images, &m_queuedBytes);
                    frame.image = entry.first;
                    frame.meta = entry.second;
                } else {
                    const PictureEntry entry = takeFirst(&m_pictures, &m_queuedBytes);
                    frame.picture = entry.first;
                    frame.meta = entry.second;
                }
            } else {
                const RangeEntry entry = takeFirst(&m_ranges, &m_queuedBytes);
                frame.range = entry.first;
                frame.image = entry.second;
            }
            m_inFlight = true;
        }

        // Written without the lock: enqueueing goes on meanwhile.
        if (run.beforeWrite) run.beforeWrite(number);
        QStringList files;
        bool success = false;
        bool fatal = false;
        // The writers guard their own large steps; this catches what is left (a frame that
        // cannot even be named), so that the run goes on and the host lives.
        try {
            if (writerRun != run.id) {
                writer.setRun(run.settings, run.mode, run.target, run.frameInfo);
                // An earlier recording whose end was not waited for is finished, not lost.
                if (recording.isActive()) recording.finish(nullptr);
                if (run.mode == Recording) {
                    recording.begin(run.settings, run.target, run.frameRate);
                    recordingRun = run.id;
                }
                writerRun = run.id;
                FrameMetadata::readCameraSettings(run.cameraKey, &exposure, &gain);
                runStart = QDateTime::currentDateTime();
                sidecar.end();
            }
            frame.meta.exposureUs = exposure;
            frame.meta.gain = gain;
            frame.meta.written = QDateTime::currentDateTime();
            if (run.mode == Recording && !isSLFrame) {
                success = recording.write(frame, number, &files, &fatal);
            } else if (isSLFrame) {
                const QString model = QString::fromStdString(
                    ZavizoZoz3::GetCameraInfo(run.cameraKey.toStdString(), ZavizoZoz3::CAM_INFO_MODEL_TEXT));
                writer.setMetadata(frame.meta);
                success = writer.writeMultiImageFrame(slFrame.first, slFrame.second, model, number, &files);
            } else {
                success = writer.writeFrame(frame, number, &files, frame.meta.written);
            }
            // The sidecar lists the files that exist, also those of a frame that failed in part; a
            // video's frames go into a file that gets its name only at the end.
            const bool video = !files.isEmpty() && files.first().endsWith(QLatin1String(".mkv"));
            QStringList existing;
            for (const QString& file : qAsConst(files)) {
                if (video ? success : QFileInfo::exists(file)) existing << file;
            }
            if (!existing.isEmpty()) {
                if (!sidecar.isActive())
                    sidecar.begin(
                        sidecarPath(run.mode, run.target, run.settings, runStart, existing, recording));
                QString error;
                if (!sidecar.add(existing, frame.meta, &error)) {
                    ImageFileWriter::logError(
                        QStringLiteral("Save image failed, frame %1, sidecar %2, error = %3")
                            .arg(number)
                            .arg(sidecar.path(), error));
                    success = false;
                    if (video) {
                        fatal = true;  // a frame inside a video cannot be taken back
                    } else {
                        // The sidecar names exactly the files that exist.
                        for (const QString& file : qAsConst(existing))
                            QFile::remove(file);
                        files.clear();
                    }
                }
            }
        } catch (const std::bad_alloc&) {
            ImageFileWriter::logError(
                QStringLiteral("Save image failed, frame %1, error = out of memory").arg(number));
            files.clear();
        } catch (const std::exception& e) {
            ImageFileWriter::logError(QStringLiteral("Save image failed, frame %1, error = %2")
                                          .arg(number)
                                          .arg(QString::fromLocal8Bit(e.what())));
            files.clear();
        }
        if (isSLFrame) deleteImages(slFrame.first);

        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_inFlight = false;
            if (run.id == m_run.id) {  // a restart meanwhile dropped this run
                // A failed frame fails the run, which goes on with the next frames.
                m_runSuccess = m_runSuccess && success;
                m_runFirstFile = files.value(0);
                ++m_counters.processed;
                if (!success) ++m_counters.failed;
                m_counters.cutShort = m_counters.cutShort || fatal;
                m_counters.total = static_cast<uint>(m_counters.processed);
                report(m_counters);
                if ((m_running || m_draining) &&
                    (fatal || run.mode == SingleSave || m_counters.processed >= run.settings.frameLimit)) {
                    // Frames past the limit are not part of the run.
                    m_running = false;
                    m_draining = false;
                    m_finishPending = true;
                    clearQueuesLocked();
                }
            }
        }
    }
    // Nothing of the tool is touched past the last unlock: its owner may free it once it sees
    // the loop has ended. A recording the owner left is completed all the same.
    recording.finish(nullptr);
}
