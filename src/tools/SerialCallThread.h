#pragma once
// One background thread that runs blocking calls one after another, in the order they were
// posted: a stop posted after a start never overtakes it. The destructor returns at once: the
// calls already posted still run, on the thread, which then ends by itself; threads that are still
// running when the library is unloaded are joined then.
#include <QPointer>
#include <functional>
#include <memory>
#include <thread>

class SerialCallThread {
public:
    SerialCallThread();
    ~SerialCallThread();
    SerialCallThread(const SerialCallThread&) = delete;
    SerialCallThread& operator=(const SerialCallThread&) = delete;

    // Any thread. The call must not touch widgets, nor anything the poster owns: it may run after
    // this object is gone.
    void post(std::function<void()> call);
    // GUI thread. As post(); once the call has run, `done` runs on the GUI thread if `receiver`
    // still exists then.
    void post(std::function<void()> call, QObject* receiver, std::function<void()> done);
    // Blocks until every call posted before has run (for callers that need the camera settled).
    void waitIdle();

    struct Queue;

private:
    static void run(const std::shared_ptr<Queue>& queue);

    // Shared with the thread, which outlives this object while posted calls remain.
    std::shared_ptr<Queue> m_queue;
    std::thread m_thread;
};
