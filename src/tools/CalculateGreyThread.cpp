// SPDX-License-Identifier: Apache-2.0
#include "CalculateGreyThread.h"

#include <chrono>
#include <utility>

#include "TaskWorker.h"

CalculateGreyThread::CalculateGreyThread(QObject* parent) : QObject(parent) {
    qRegisterMetaType<QVector<QVector<double> > >("QVector<QVector<double> >");
}

CalculateGreyThread::~CalculateGreyThread() {
    stop();
}

void CalculateGreyThread::addImage(const QImage& image) {
    QImage dropped;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_images.size() >= 2) dropped = m_images.takeFirst();
        m_images.append(image);
        m_wake.notify_all();
    }
    // `dropped` may hold the last reference to a frame: it is freed here, outside the lock.
}

int CalculateGreyThread::queuedImages() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_images.size();
}

void CalculateGreyThread::setROI(uint startColumn, uint endColumn, uint startRow, uint endRow) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_region = {startColumn, endColumn, startRow, endRow};
    m_settingsChanged = true;
    m_wake.notify_all();
}

void CalculateGreyThread::setViewMode(int mode) {
    m_viewMode = mode;
    settingsChanged();
}

void CalculateGreyThread::setLinePosition(int row) {
    m_linePosition = row;
    settingsChanged();
}

void CalculateGreyThread::setColumnPosition(int column) {
    m_columnPosition = column;
    settingsChanged();
}

void CalculateGreyThread::settingsChanged() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_settingsChanged = true;
    m_wake.notify_all();
}

GreyStatistics::Region CalculateGreyThread::roi() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_region;
}

void CalculateGreyThread::pause() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_paused = true;
}

void CalculateGreyThread::resume() {
    QList<QImage> dropped;
    std::lock_guard<std::mutex> lock(m_mutex);
    std::swap(dropped, m_images);
    m_paused = false;
    m_wake.notify_all();
}

void CalculateGreyThread::pauseAndWake() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_paused = true;
    m_wake.notify_all();
}

void CalculateGreyThread::resultShown() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_resultPending = false;
    m_wake.notify_all();
}

void CalculateGreyThread::start() {
    if (m_worker) return;
    m_stopRequested = false;
    m_loopRunning = true;
    m_worker = std::make_unique<TaskWorker>(QStringLiteral("grey statistics"));
    m_worker->post([this] {
        // Also when the computation threw (the worker logs it): the panel sees the loop end.
        struct Ended {
            CalculateGreyThread* self;
            ~Ended() {
                self->m_loopRunning = false;
                emit self->finished();
            }
        } ended{this};
        run();
    });
}

void CalculateGreyThread::stop() {
    m_stopRequested = true;
    pauseAndWake();
    m_worker.reset();  // joins once the loop has returned (a loop not yet begun is dropped)
    m_loopRunning = false;
}

void CalculateGreyThread::run() {
    QElapsedTimer sinceResult;
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_stopRequested) {
        const bool work = !m_images.isEmpty() || (m_settingsChanged && !m_current.isNull());
        if (m_paused || !work || m_resultPending) {
            m_wake.wait(lock);
            continue;
        }
        const qint64 left =
            sinceResult.isValid() ? m_minimumIntervalMs.load() - sinceResult.elapsed() : qint64(0);
        if (left > 0) {
            m_wake.wait_for(lock, std::chrono::milliseconds(left));
            continue;
        }
        // The newest image: the statistics follow the live picture.
        QList<QImage> older;
        if (!m_images.isEmpty()) {
            // The replaced images are freed below, outside the lock.
            std::swap(older, m_images);
            older.append(std::exchange(m_current, older.takeLast()));
        }
        m_settingsChanged = false;
        const QImage image = m_current;
        const GreyStatistics::Region region = m_region;
        lock.unlock();
        older.clear();
        GreyStatistics::Result result;
        const bool ok =
            GreyStatistics::compute(image, m_viewMode, m_linePosition, m_columnPosition, region, &result);
        lock.lock();
        if (!ok || m_stopRequested) continue;
        m_resultPending = true;
        sinceResult.start();
        lock.unlock();
        emit calculateFinish(result.red, result.green, result.blue, result.calResult);
        lock.lock();
    }
}
