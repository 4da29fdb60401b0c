// SPDX-License-Identifier: Apache-2.0
#pragma once
// The one background thread type of the library: a thread that runs tasks one after another, in
// the order they were posted (a stop posted after a start never overtakes it).
//
// Exception barrier: a task that throws is caught on the thread, logged (category nuv.worker,
// with the worker's name) and counted; the next task runs. A caller that must learn of the
// failure itself uses submit(), whose future carries the exception.
//
// Stopping: requestStop(Pending::Run) lets the queued tasks run, then the thread ends;
// requestStop(Pending::Drop) cancels them: the task running completes, the queued ones are
// destroyed unrun on the thread (the futures of submitted ones report broken_promise). Either
// way nothing posted afterwards runs. The destructor drops what is queued and joins, so a
// worker never outlives its owner's members. Long tasks (loops) watch their owner's own stop flag.
#include <QString>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <thread>
#include <type_traits>

class TaskWorker {
public:
    enum class Pending { Run, Drop };

    explicit TaskWorker(QString name);
    ~TaskWorker();
    TaskWorker(const TaskWorker&) = delete;
    TaskWorker& operator=(const TaskWorker&) = delete;

    // Any thread. False (and the task is destroyed unrun) once a stop was requested.
    bool post(std::function<void()> task);
    // Any thread. The future holds the task's result or its exception.
    template <class F>
    std::future<std::invoke_result_t<F>> submit(F&& f) {
        using Result = std::invoke_result_t<F>;
        auto task = std::make_shared<std::packaged_task<Result()>>(std::forward<F>(f));
        std::future<Result> result = task->get_future();
        post([task] { (*task)(); });  // refused: the task goes unrun and the future says so
        return result;
    }

    // Blocks until every task posted before has run or been dropped. Not on the worker thread.
    void waitIdle();
    // No task queued nor running (the thread may still exist).
    bool isIdle() const;
    // Any thread, returns at once. A Drop after a Run still drops what is left.
    void requestStop(Pending pending);
    // Waits for the thread to end; without an earlier stop request it drops what is queued.
    // Never from a task of this worker.
    void join();
    // The thread has left its loop (after a stop request).
    bool hasEnded() const;
    bool onWorkerThread() const { return std::this_thread::get_id() == m_threadId.load(); }
    // Tasks that threw since construction.
    int failedTasks() const { return m_failed.load(); }
    const QString& name() const { return m_name; }

private:
    void run();

    const QString m_name;
    // Guards m_tasks, m_busy, m_stopping, m_dropPending and m_ended: the queue and the thread's
    // state. m_changed is signalled on every change.
    mutable std::mutex m_tasksMutex;
    std::condition_variable m_changed;
    std::deque<std::function<void()>> m_tasks;
    bool m_busy = false;
    bool m_stopping = false;
    bool m_dropPending = false;
    bool m_ended = false;
    std::atomic<int> m_failed{0};
    std::atomic<std::thread::id> m_threadId{};
    std::thread m_thread;  // last: started once everything above exists
};
