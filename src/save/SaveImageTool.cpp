#include "SaveImageTool.h"

#include <QMetaObject>
#include <QThread>
#include <algorithm>
#include <opencv2/core.hpp>

#include "ImageFileWriter.h"
#include "ZavizoZoz3.h"

namespace {
void deleteImages(const QMap<int, NuvImage*>& images) {
    qDeleteAll(images);
}
}  // namespace

SaveImageTool::SaveImageTool() : QObject(nullptr) {}

SaveImageTool::~SaveImageTool() {
    if (m_thread != nullptr) {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_quit = true;
        }
        m_wake.notify_all();
        // The worker completes the frame it writes, then leaves its loop and the thread ends.
        m_thread->wait();
        // Reads the loop's last write: what the loop did is ordered before the members go, also
        // for thread checkers, which cannot see inside QThread::wait.
        (void)m_loopActive.load();
        delete m_thread;
        m_thread = nullptr;
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    clearQueuesLocked();
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
    if (m_thread == nullptr) {
        m_thread = new QThread();
        moveToThread(m_thread);
        m_thread->start(QThread::InheritPriority);
        QMetaObject::invokeMethod(this, "save3DAction", Qt::QueuedConnection);
    }
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

NuvImage SaveImageTool::firstChannel(const QImage& image, int maxWidth, int maxHeight) {
    if (image.isNull()) return NuvImage();
    const QImage rgb = image.format() == QImage::Format_Grayscale8 || image.format() == QImage::Format_RGB888
                           ? image
                           : image.convertToFormat(QImage::Format_RGB888);
    const int channels = rgb.format() == QImage::Format_Grayscale8 ? 1 : 3;
    const cv::Mat view(rgb.height(), rgb.width(), channels == 1 ? CV_8UC1 : CV_8UC3,
                       const_cast<uchar*>(rgb.constBits()), static_cast<size_t>(rgb.bytesPerLine()));
    return firstChannel(NuvImage(view), maxWidth, maxHeight);
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

int SaveImageTool::queueCapacity() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_capacity;
}

bool SaveImageTool::holdsFrame() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_inFlight || hasFrameLocked();
}

void SaveImageTool::clearQueuesLocked() {
    m_profiles.clear();
    m_images.clear();
    m_ranges.clear();
    for (const SLEntry& entry : qAsConst(m_slFrames))
        deleteImages(entry.first);
    m_slFrames.clear();
    m_pictures.clear();
}

bool SaveImageTool::hasFrameLocked() const {
    if (!m_slFrames.isEmpty()) return true;
    switch (m_run.kind) {
        case ProfileType:
            return !m_profiles.isEmpty();
        case ImageType:
            return !m_images.isEmpty() || !m_pictures.isEmpty();
        case RangeType:
            return !m_ranges.isEmpty();
        default:
            return false;
    }
}

bool SaveImageTool::admitLocked(int queued) {
    if (queued > m_capacity) {
        ++m_counters.discarded;
        return false;
    }
    m_counters.usageRate = static_cast<uchar>(std::min(100, queued * 100 / m_capacity));
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
        if (m_finishPending || m_draining || m_quit) return;
        admitted = admitLocked(queue->size());
        if (admitted) queue->append(entry);
        report(m_counters);
    }
    if (admitted) m_wake.notify_all();
}

void SaveImageTool::addProfile(const QVector<qreal>& heights, const QVector<uint8_t>& brightness) {
    enqueue(&m_profiles, ProfileEntry(heights, brightness));
}

void SaveImageTool::addImage(const NuvImage& image) {
    enqueue(&m_images, image);
}

void SaveImageTool::addRangeImage(const NuvRangeImage& range, const NuvImage& grey) {
    enqueue(&m_ranges, RangeEntry(range, grey));
}

void SaveImageTool::addQImage(const QImage& image) {
    enqueue(&m_pictures, image.copy());
}

void SaveImageTool::addSLFrame(const QMap<int, NuvImage*>& images, const NuvRangeImage& range) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_finishPending || m_draining || m_quit || (images.isEmpty() && range.height() <= 0)) {
            deleteImages(images);
            return;
        }
        if (admitLocked(m_slFrames.size())) {
            m_slFrames.append(SLEntry(images, range.height() > 0 ? range : NuvRangeImage()));
        } else {
            deleteImages(images);
        }
        report(m_counters);
    }
    m_wake.notify_all();
}

void SaveImageTool::save3DAction() {
    if (m_loopActive.exchange(true)) return;
    ImageFileWriter writer;
    int writerRun = -1;
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
            // Destruction: the frames of the run are written first.
            if (m_quit && !writing) break;
            if (m_finishPending && !writing) {
                m_finishPending = false;
                const bool success = m_runSuccess;
                const QString path = m_runFirstFile;
                lock.unlock();
                emit saveFinish(success, path);
                continue;
            }
            run = m_run;
            number = m_counters.processed;
            frame.kind = run.kind;
            if (!m_slFrames.isEmpty()) {
                slFrame = m_slFrames.takeFirst();
                isSLFrame = true;
            } else if (run.kind == ProfileType) {
                const ProfileEntry entry = m_profiles.takeFirst();
                frame.heights = entry.first;
                frame.brightness = entry.second;
            } else if (run.kind == ImageType) {
                if (!m_images.isEmpty()) {
                    frame.image = m_images.takeFirst();
                } else {
                    frame.picture = m_pictures.takeFirst();
                }
            } else {
                const RangeEntry entry = m_ranges.takeFirst();
                frame.range = entry.first;
                frame.image = entry.second;
            }
            m_inFlight = true;
        }

        // Written without the lock: enqueueing goes on meanwhile.
        if (writerRun != run.id) {
            writer.setRun(run.settings, run.mode, run.target, run.frameInfo);
            writerRun = run.id;
        }
        QStringList files;
        bool success = true;
        if (isSLFrame) {
            const QString model = QString::fromStdString(
                ZavizoZoz3::GetCameraInfo(run.cameraKey.toStdString(), ZavizoZoz3::CAM_INFO_MODEL_TEXT));
            success = writer.writeMultiImageFrame(slFrame.first, slFrame.second, model, number, &files);
            deleteImages(slFrame.first);
        } else {
            success = writer.writeFrame(frame, number, &files);
        }

        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_inFlight = false;
            if (run.id == m_run.id) {  // a restart meanwhile dropped this run
                // One failed frame fails the run; the run goes on with the next frames.
                m_runSuccess = m_runSuccess && success;
                m_runFirstFile = files.value(0);
                // A failed multi-image frame ends the run; other failures are reported at its end.
                if (isSLFrame && !success) {
                    if (m_running || m_draining) m_finishPending = true;
                    m_running = false;
                    m_draining = false;
                    clearQueuesLocked();
                } else {
                    ++m_counters.processed;
                    m_counters.total = static_cast<uint>(m_counters.processed);
                    report(m_counters);
                    if ((m_running || m_draining) &&
                        (run.mode == SingleSave || m_counters.processed >= run.settings.frameLimit)) {
                        // Frames past the limit are not part of the run.
                        m_running = false;
                        m_draining = false;
                        m_finishPending = true;
                        clearQueuesLocked();
                    }
                }
            }
        }
    }
    m_loopActive = false;
    QThread::currentThread()->quit();
}
