// SPDX-License-Identifier: Apache-2.0
#include "TaskWorker.h"

#include <QLoggingCategory>
#include <QtGlobal>
#include <exception>
#include <utility>

namespace {
Q_LOGGING_CATEGORY(lcWorker, "nuv.worker")
}  // namespace

TaskWorker::TaskWorker(QString name) : m_name(std::move(name)) {
    m_thread = std::thread([this] { run(); });
}

TaskWorker::~TaskWorker() {
    requestStop(Pending::Drop);
    join();
}

bool TaskWorker::post(std::function<void()> task) {
    if (!task) return false;
    {
        std::lock_guard<std::mutex> lock(m_tasksMutex);
        if (m_stopping) return false;  // `task` goes here, unrun
        m_tasks.push_back(std::move(task));
    }
    m_changed.notify_all();
    return true;
}

void TaskWorker::waitIdle() {
    if (onWorkerThread()) return;  // it would wait for itself
    std::unique_lock<std::mutex> lock(m_tasksMutex);
    m_changed.wait(lock, [this] { return (m_tasks.empty() && !m_busy) || m_ended; });
}

bool TaskWorker::isIdle() const {
    std::lock_guard<std::mutex> lock(m_tasksMutex);
    return m_tasks.empty() && !m_busy;
}

void TaskWorker::requestStop(Pending pending) {
    {
        std::lock_guard<std::mutex> lock(m_tasksMutex);
        m_stopping = true;
        if (pending == Pending::Drop) m_dropPending = true;
    }
    m_changed.notify_all();
}

void TaskWorker::join() {
    // A task never owns its worker: the thread cannot wait for itself.
    Q_ASSERT(!onWorkerThread());
    if (!m_thread.joinable()) return;
    {
        std::lock_guard<std::mutex> lock(m_tasksMutex);
        if (!m_stopping) m_stopping = m_dropPending = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

bool TaskWorker::hasEnded() const {
    std::lock_guard<std::mutex> lock(m_tasksMutex);
    return m_ended;
}

void TaskWorker::run() {
    m_threadId = std::this_thread::get_id();
    std::unique_lock<std::mutex> lock(m_tasksMutex);
    for (;;) {
        m_changed.wait(lock, [this] { return !m_tasks.empty() || m_stopping; });
        if (m_dropPending && !m_tasks.empty()) {
            std::deque<std::function<void()>> dropped;
            dropped.swap(m_tasks);
            lock.unlock();
            dropped.clear();  // what the tasks hold goes here, outside the lock
            lock.lock();
            continue;
        }
        if (m_tasks.empty()) break;  // stopping, and nothing is left to run
        std::function<void()> task = std::move(m_tasks.front());
        m_tasks.pop_front();
        m_busy = true;
        lock.unlock();
        try {
            task();
        } catch (const std::exception& e) {
            ++m_failed;
            qCWarning(lcWorker).noquote() << m_name << "task failed:" << e.what();
        } catch (...) {
            ++m_failed;
            qCWarning(lcWorker).noquote() << m_name << "task failed with an unknown exception";
        }
        task = nullptr;  // what the task holds goes here, on this thread, outside the lock
        lock.lock();
        m_busy = false;
        m_changed.notify_all();
    }
    m_ended = true;
    m_changed.notify_all();
}
