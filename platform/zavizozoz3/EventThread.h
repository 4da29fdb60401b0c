// SPDX-License-Identifier: Apache-2.0
#pragma once
// The business layer's event thread: runs posted tasks one after another in posting order.
// Started by the first post, stopped (pending tasks dropped) by stop(); a later post starts
// it again.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace ZavizoZoz3 {

class EventThread {
public:
    EventThread() = default;
    ~EventThread();
    EventThread(const EventThread&) = delete;
    EventThread& operator=(const EventThread&) = delete;

    void post(std::function<void()> task);
    // Returns once every task posted before the call has run (at once on the event thread itself).
    void waitIdle();
    // Must not be called from the event thread.
    void stop();
    bool isCurrentThread() const { return std::this_thread::get_id() == m_threadId.load(); }

private:
    void run();

    std::mutex m_queueMutex;             // guards m_queue, the counters, m_running, m_stopping and m_thread
    std::condition_variable m_wake;      // a task arrived or stop was requested
    std::condition_variable m_progress;  // a task finished
    std::deque<std::function<void()>> m_queue;
    uint64_t m_posted = 0;
    uint64_t m_done = 0;
    bool m_running = false;
    bool m_stopping = false;
    std::thread m_thread;
    std::atomic<std::thread::id> m_threadId{};
};

}  // namespace ZavizoZoz3
