// SPDX-License-Identifier: Apache-2.0
#include "CallDelay.h"

namespace ZavizoZoz3 {

void CallDelay::set(std::chrono::milliseconds delay) {
    std::lock_guard<std::mutex> lock(m_delayMutex);
    m_delay = delay;
}

void CallDelay::releaseAll() {
    {
        std::lock_guard<std::mutex> lock(m_delayMutex);
        ++m_releases;
    }
    m_released.notify_all();
}

void CallDelay::hold() {
    std::unique_lock<std::mutex> lock(m_delayMutex);
    if (m_delay.count() <= 0) return;
    const uint64_t releases = m_releases;
    ++m_held;
    m_released.wait_for(lock, m_delay, [&] { return m_releases != releases; });
    --m_held;
}

int CallDelay::held() const {
    std::lock_guard<std::mutex> lock(m_delayMutex);
    return m_held;
}

}  // namespace ZavizoZoz3
