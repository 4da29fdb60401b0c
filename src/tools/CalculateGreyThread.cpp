#include "CalculateGreyThread.h"

#include <QMutexLocker>
#include <utility>

CalculateGreyThread::CalculateGreyThread(QObject* parent) : QThread(parent) {
    qRegisterMetaType<QVector<QVector<double> > >("QVector<QVector<double> >");
}

CalculateGreyThread::~CalculateGreyThread() {
    stop();
}

void CalculateGreyThread::addImage(const QImage& image) {
    QImage dropped;
    {
        QMutexLocker lock(&m_mutex);
        if (m_images.size() >= 2) dropped = m_images.takeFirst();
        m_images.append(image);
        m_wake.wakeAll();
    }
    // `dropped` may hold the last reference to a frame: it is freed here, outside the lock.
}

int CalculateGreyThread::queuedImages() const {
    QMutexLocker lock(&m_mutex);
    return m_images.size();
}

void CalculateGreyThread::setROI(uint startColumn, uint endColumn, uint startRow, uint endRow) {
    QMutexLocker lock(&m_mutex);
    m_region = {startColumn, endColumn, startRow, endRow};
    m_settingsChanged = true;
    m_wake.wakeAll();
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
    QMutexLocker lock(&m_mutex);
    m_settingsChanged = true;
    m_wake.wakeAll();
}

GreyStatistics::Region CalculateGreyThread::roi() const {
    QMutexLocker lock(&m_mutex);
    return m_region;
}

void CalculateGreyThread::pause() {
    QMutexLocker lock(&m_mutex);
    m_paused = true;
}

void CalculateGreyThread::resume() {
    QList<QImage> dropped;
    QMutexLocker lock(&m_mutex);
    std::swap(dropped, m_images);
    m_paused = false;
    m_wake.wakeAll();
}

void CalculateGreyThread::pauseAndWake() {
    QMutexLocker lock(&m_mutex);
    m_paused = true;
    m_wake.wakeAll();
}

void CalculateGreyThread::resultShown() {
    QMutexLocker lock(&m_mutex);
    m_resultPending = false;
    m_wake.wakeAll();
}

void CalculateGreyThread::stop() {
    requestInterruption();
    pauseAndWake();
    wait();
}

void CalculateGreyThread::run() {
    QElapsedTimer sinceResult;
    QMutexLocker lock(&m_mutex);
    while (!isInterruptionRequested()) {
        const bool work = !m_images.isEmpty() || (m_settingsChanged && !m_current.isNull());
        if (m_paused || !work || m_resultPending) {
            m_wake.wait(&m_mutex);
            continue;
        }
        const qint64 left =
            sinceResult.isValid() ? m_minimumIntervalMs.load() - sinceResult.elapsed() : qint64(0);
        if (left > 0) {
            m_wake.wait(&m_mutex, static_cast<unsigned long>(left));
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
        lock.relock();
        if (!ok || isInterruptionRequested()) continue;
        m_resultPending = true;
        sinceResult.start();
        lock.unlock();
        emit calculateFinish(result.red, result.green, result.blue, result.calResult);
        lock.relock();
    }
}
