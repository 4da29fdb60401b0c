#include "SerialCallThread.h"

#include <QCoreApplication>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <utility>
#include <vector>

struct SerialCallThread::Queue {
    // Guards calls, busy, stopping and finished: the posted calls and the thread's state.
    std::mutex callsMutex;
    std::condition_variable callsChanged;
    std::deque<std::function<void()>> calls;
    bool busy = false;
    bool stopping = false;
    bool finished = false;
};

namespace {
// Threads whose owner went while they still had calls to run. Each is joined once it has
// finished (looked at whenever another one is handed over) or, at the latest, when the library is
// unloaded. Made on first use, after the business layer the calls go to, so it goes before it.
class RetiredThreads {
public:
    static RetiredThreads& instance() {
        static RetiredThreads retired;
        return retired;
    }
    ~RetiredThreads() {
        std::lock_guard<std::mutex> lock(m_threadsMutex);
        for (Entry& entry : m_threads)
            entry.first.join();
    }
    void add(std::thread thread, std::shared_ptr<SerialCallThread::Queue> queue) {
        std::lock_guard<std::mutex> lock(m_threadsMutex);
        for (auto it = m_threads.begin(); it != m_threads.end();) {
            bool finished = false;
            {
                std::lock_guard<std::mutex> queueLock(it->second->callsMutex);
                finished = it->second->finished;
            }
            if (finished) {
                it->first.join();
                it = m_threads.erase(it);
            } else {
                ++it;
            }
        }
        m_threads.emplace_back(std::move(thread), std::move(queue));
    }

private:
    using Entry = std::pair<std::thread, std::shared_ptr<SerialCallThread::Queue>>;
    std::mutex m_threadsMutex;  // guards m_threads
    std::vector<Entry> m_threads;
};
}  // namespace

SerialCallThread::SerialCallThread() : m_queue(std::make_shared<Queue>()) {
    m_thread = std::thread([queue = m_queue] { run(queue); });
}

SerialCallThread::~SerialCallThread() {
    {
        std::lock_guard<std::mutex> lock(m_queue->callsMutex);
        m_queue->stopping = true;
    }
    m_queue->callsChanged.notify_all();
    // A camera call may hang for seconds: whoever closes a window must not wait for it.
    RetiredThreads::instance().add(std::move(m_thread), m_queue);
}

void SerialCallThread::post(std::function<void()> call) {
    if (!call) return;
    {
        std::lock_guard<std::mutex> lock(m_queue->callsMutex);
        m_queue->calls.push_back(std::move(call));
    }
    m_queue->callsChanged.notify_all();
}

void SerialCallThread::post(std::function<void()> call, QObject* receiver, std::function<void()> done) {
    if (!call) return;
    // The guard is made here, on the GUI thread; the calls' thread only copies it, and it is
    // looked at back on the GUI thread.
    const QPointer<QObject> guard(receiver);
    post([call = std::move(call), guard, done = std::move(done)] {
        call();
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
    std::unique_lock<std::mutex> lock(m_queue->callsMutex);
    m_queue->callsChanged.wait(lock, [this] { return m_queue->calls.empty() && !m_queue->busy; });
}

void SerialCallThread::run(const std::shared_ptr<Queue>& queue) {
    std::unique_lock<std::mutex> lock(queue->callsMutex);
    for (;;) {
        queue->callsChanged.wait(lock, [&] { return !queue->calls.empty() || queue->stopping; });
        if (queue->calls.empty()) break;  // stopping, and everything posted has run
        std::function<void()> call = std::move(queue->calls.front());
        queue->calls.pop_front();
        queue->busy = true;
        lock.unlock();
        call();
        call = nullptr;  // what the call holds goes here, on this thread, outside the lock
        lock.lock();
        queue->busy = false;
        queue->callsChanged.notify_all();
    }
    queue->finished = true;
}
