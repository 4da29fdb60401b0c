// SPDX-License-Identifier: Apache-2.0
#include "EventThread.h"

#include <exception>

#include "NuvLogSink.h"

namespace ZavizoZoz3 {

EventThread::~EventThread() {
    stop();
}

void EventThread::post(std::function<void()> task) {
    {
        std::lock_guard<std::mutex> lock(m_queueMutex);
        if (!m_running) {
            m_running = true;
            m_thread = std::thread([this] { run(); });
        }
        m_queue.push_back(std::move(task));
        ++m_posted;
    }
    m_wake.notify_one();
}

void EventThread::waitIdle() {
    if (isCurrentThread()) return;
    std::unique_lock<std::mutex> lock(m_queueMutex);
    const uint64_t target = m_posted;
    m_progress.wait(lock, [&] { return m_done >= target; });
}

void EventThread::stop() {
    if (isCurrentThread()) return;
    std::thread thread;
    {
        std::lock_guard<std::mutex> lock(m_queueMutex);
        if (!m_running || m_stopping) return;
        m_stopping = true;
        thread = std::move(m_thread);
    }
    m_wake.notify_all();
    thread.join();
    {
        std::lock_guard<std::mutex> lock(m_queueMutex);
        m_queue.clear();
        m_done = m_posted;
        m_running = false;
        m_stopping = false;
    }
    m_progress.notify_all();
}

void EventThread::run() {
    m_threadId.store(std::this_thread::get_id());
    std::unique_lock<std::mutex> lock(m_queueMutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stopping || !m_queue.empty(); });
        if (m_stopping) break;
        std::function<void()> task = std::move(m_queue.front());
        m_queue.pop_front();
        lock.unlock();
        try {
            task();
        } catch (const std::exception& e) {
            NuvLogSink::write("ZavizoZoz3", std::string("event listener threw: ") + e.what());
        } catch (...) {
            NuvLogSink::write("ZavizoZoz3", "event listener threw an unknown exception");
        }
        task = nullptr;
        lock.lock();
        ++m_done;
        m_progress.notify_all();
    }
    m_threadId.store(std::thread::id());
}

}  // namespace ZavizoZoz3
