// SPDX-License-Identifier: Apache-2.0
#include "SerialCallThread.h"

#include <QCoreApplication>
#include <mutex>
#include <utility>
#include <vector>

#include "TaskWorker.h"

namespace {
// Workers whose owner went while they still had calls to run. Each is released once it has
// ended (looked at whenever another one is handed over) or, at the latest, joined when the
// library is unloaded. Made on first use, after the business layer the calls go to, so it goes
// before it.
class RetiredWorkers {
public:
    static RetiredWorkers& instance() {
        static RetiredWorkers retired;
        return retired;
    }
    ~RetiredWorkers() {
        std::lock_guard<std::mutex> lock(m_workersMutex);
        for (std::unique_ptr<TaskWorker>& worker : m_workers)
            worker->join();  // the calls posted before still run
    }
    void add(std::unique_ptr<TaskWorker> worker) {
        std::vector<std::unique_ptr<TaskWorker>> ended;
        {
            std::lock_guard<std::mutex> lock(m_workersMutex);
            for (auto it = m_workers.begin(); it != m_workers.end();) {
                if ((*it)->hasEnded()) {
                    ended.push_back(std::move(*it));
                    it = m_workers.erase(it);
                } else {
                    ++it;
                }
            }
            m_workers.push_back(std::move(worker));
        }
        // `ended` joins threads that have left their loop already: nothing waits long here.
    }

private:
    std::mutex m_workersMutex;  // guards m_workers
    std::vector<std::unique_ptr<TaskWorker>> m_workers;
};
}  // namespace

SerialCallThread::SerialCallThread()
    : m_worker(std::make_unique<TaskWorker>(QStringLiteral("camera calls"))) {}

SerialCallThread::~SerialCallThread() {
    // A camera call may hang for seconds: whoever closes a window must not wait for it.
    m_worker->requestStop(TaskWorker::Pending::Run);
    RetiredWorkers::instance().add(std::move(m_worker));
}

void SerialCallThread::post(std::function<void()> call) {
    m_worker->post(std::move(call));
}

void SerialCallThread::post(std::function<void()> call, QObject* receiver, std::function<void()> done) {
    if (!call) return;
    // The guard is made here, on the GUI thread; the worker only copies it, and it is looked at
    // back on the GUI thread.
    const QPointer<QObject> guard(receiver);
    m_worker->post([call = std::move(call), guard, done = std::move(done)] {
        call();  // a throw skips the report: the worker logs it
        if (QCoreApplication* app = QCoreApplication::instance()) {
            QMetaObject::invokeMethod(
                app,
                [guard, done] {
                    if (guard && done) done();
                },
                Qt::QueuedConnection);
        }
    });
}

void SerialCallThread::waitIdle() {
    m_worker->waitIdle();
}

int SerialCallThread::failedCalls() const {
    return m_worker->failedTasks();
}
