// SPDX-License-Identifier: Apache-2.0
#pragma once
// Worker thread of the histogram panel: computes the statistics (GreyStatistics) of the newest image
// of a pane off the GUI thread and delivers them through calculateFinish, which must be received
// through a queued connection. The loop runs as the one long task of a TaskWorker.
//
// Pacing: the queue keeps the two newest images (older ones are dropped on arrival, no pixel is
// copied: QImage shares its data). After a result goes out the worker computes the next one only
// once the receiver called resultShown() and the minimum interval (50 ms) has passed, so a fast
// camera costs at most about 20 computations a second and results never pile up in the GUI's queue.
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QVector>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>

#include "GreyStatistics.h"

class TaskWorker;

class CalculateGreyThread : public QObject {
    Q_OBJECT
public:
    explicit CalculateGreyThread(QObject* parent = nullptr);
    // Ends the worker (stop()) before the members go.
    ~CalculateGreyThread() override;

    // Starts the worker loop (once; later calls do nothing).
    void start();
    // The loop has returned (after stop()), or never started.
    bool isFinished() const { return !m_loopRunning.load(); }

    // Any thread; never waits for a computation.
    void addImage(const QImage& image);
    int queuedImages() const;

    void setROI(uint startColumn, uint endColumn, uint startRow, uint endRow);
    GreyStatistics::Region roi() const;
    // A changed setting is computed again on the last image, so a stopped camera still answers.
    void setViewMode(int mode);
    int viewMode() const { return m_viewMode; }
    void setLinePosition(int row);
    int linePosition() const { return m_linePosition; }
    void setColumnPosition(int column);
    int columnPosition() const { return m_columnPosition; }
    void setMinimumInterval(int ms) { m_minimumIntervalMs = ms; }

    void pause();
    // Drops the queued images and lets the worker run.
    void resume();
    void pauseAndWake();
    // The receiver has taken the last result; the worker may send the next.
    void resultShown();
    // Requests the end of the loop, wakes the worker and waits for it; the image being computed
    // is finished first.
    void stop();

signals:
    void calculateFinish(QVector<QVector<double> > red, QVector<QVector<double> > green,
                         QVector<QVector<double> > blue, QVector<QVector<double> > calResult);
    // The loop has returned; sent on the worker's thread.
    void finished();

private:
    void run();
    void settingsChanged();

    // Guards m_images, m_current, m_paused, m_region, m_resultPending and m_settingsChanged; m_wake is
    // signalled on every change. Standard types, so thread checkers see every hand-over.
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    QList<QImage> m_images;
    QImage m_current;  // the image of the last computation
    bool m_settingsChanged = false;
    bool m_paused = false;
    bool m_resultPending = false;
    GreyStatistics::Region m_region;
    std::atomic<int> m_viewMode{0};
    std::atomic<int> m_linePosition{0};
    std::atomic<int> m_columnPosition{0};
    std::atomic<int> m_minimumIntervalMs{50};
    std::atomic<bool> m_stopRequested{false};
    std::atomic<bool> m_loopRunning{false};
    std::unique_ptr<TaskWorker> m_worker;  // GUI thread only; last, so it is joined first
};
