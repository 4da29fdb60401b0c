#pragma once
// One background thread that runs blocking calls one after another, in the order they were
// posted: a stop posted after a start never overtakes it. The destructor lets the calls already
// posted finish, then joins.
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

class SerialCallThread {
public:
    SerialCallThread();
    ~SerialCallThread();
    SerialCallThread(const SerialCallThread&) = delete;
    SerialCallThread& operator=(const SerialCallThread&) = delete;

    // Any thread. The call must not touch widgets.
    void post(std::function<void()> call);
    // Blocks until every call posted before has run (for callers that need the camera settled).
    void waitIdle();

private:
    void run();

    // Guards m_calls, m_busy and m_stopping: the queue of posted calls and the thread's state.
    std::mutex m_callsMutex;
    std::condition_variable m_callsChanged;
    std::deque<std::function<void()>> m_calls;
    bool m_busy = false;
    bool m_stopping = false;
    std::thread m_thread;
};
