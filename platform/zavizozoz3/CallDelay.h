// SPDX-License-Identifier: Apache-2.0
#pragma once
// Holds a business-layer call for a while, as a camera that answers slowly does: a call that
// passes hold() waits until the delay has passed or releaseAll() lets it go. A test hook; with no
// delay set (the default) calls pass at once.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace ZavizoZoz3 {

class CallDelay {
public:
    // Calls that arrive from now on wait up to `delay`; zero lets them pass.
    void set(std::chrono::milliseconds delay);
    // Lets every call held now go on at once.
    void releaseAll();
    // Waits as set; called by the delayed call on its own thread.
    void hold();
    // Calls waiting in hold() now.
    int held() const;

private:
    mutable std::mutex m_delayMutex;  // guards m_delay, m_held and m_releases
    std::condition_variable m_released;
    std::chrono::milliseconds m_delay{0};
    int m_held = 0;
    uint64_t m_releases = 0;  // counts releaseAll(): a waiting call goes when it changes
};

}  // namespace ZavizoZoz3
