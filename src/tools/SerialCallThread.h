// SPDX-License-Identifier: Apache-2.0
#pragma once
// Blocking camera calls on a TaskWorker of their own, run one after another in the order they were
// posted: a stop posted after a start never overtakes it. The destructor returns at once: the
// calls already posted still run, on the worker, which then ends by itself; workers that still
// run when the library is unloaded are joined then. A call that throws is logged by the worker
// and the next one runs.
#include <QPointer>
#include <functional>
#include <memory>

class TaskWorker;

class SerialCallThread {
public:
    SerialCallThread();
    ~SerialCallThread();
    SerialCallThread(const SerialCallThread&) = delete;
    SerialCallThread& operator=(const SerialCallThread&) = delete;

    // Any thread. The call must not touch widgets, nor anything the poster owns: it may run after
    // this object is gone.
    void post(std::function<void()> call);
    // GUI thread. As post(); once the call has returned, `done` runs on the GUI thread if
    // `receiver` still exists then (a call that threw reports nothing: it is in the log).
    void post(std::function<void()> call, QObject* receiver, std::function<void()> done);
    // Blocks until every call posted before has run (for callers that need the camera settled).
    void waitIdle();
    // Calls that threw.
    int failedCalls() const;

private:
    std::unique_ptr<TaskWorker> m_worker;
};
