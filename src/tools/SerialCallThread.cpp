#include "SerialCallThread.h"

#include <utility>

SerialCallThread::SerialCallThread() : m_thread([this] { run(); }) {}

SerialCallThread::~SerialCallThread() {
    {
        std::lock_guard<std::mutex> lock(m_callsMutex);
        m_stopping = true;
    }
    m_callsChanged.notify_all();
    m_thread.join();
}

void SerialCallThread::post(std::function<void()> call) {
    if (!call) return;
    {
        std::lock_guard<std::mutex> lock(m_callsMutex);
        m_calls.push_back(std::move(call));
    }
    m_callsChanged.notify_all();
}

void SerialCallThread::waitIdle() {
    std::unique_lock<std::mutex> lock(m_callsMutex);
    m_callsChanged.wait(lock, [this] { return m_calls.empty() && !m_busy; });
}

void SerialCallThread::run() {
    std::unique_lock<std::mutex> lock(m_callsMutex);
    for (;;) {
        m_callsChanged.wait(lock, [this] { return !m_calls.empty() || m_stopping; });
        if (m_calls.empty()) return;  // stopping, and everything posted has run
        std::function<void()> call = std::move(m_calls.front());
        m_calls.pop_front();
        m_busy = true;
        lock.unlock();
        call();
        lock.lock();
        m_busy = false;
        m_callsChanged.notify_all();
    }
}
