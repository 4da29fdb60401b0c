// SPDX-License-Identifier: Apache-2.0
#include "LatestFrameSlot.h"

#include <utility>

LatestFrameSlot::PutResult LatestFrameSlot::put(Frame frame) {
    PutResult result;
    {
        std::lock_guard<std::mutex> lock(m_frameMutex);
        result.replaced = !m_frame.isEmpty();
        std::swap(m_frame, frame);
    }
    // `frame` now holds the dropped picture: it is freed here, outside the lock.
    result.wake = !m_wakePosted.exchange(true, std::memory_order_acq_rel);
    return result;
}

LatestFrameSlot::Frame LatestFrameSlot::take() {
    m_wakePosted.store(false, std::memory_order_release);
    Frame frame;
    std::lock_guard<std::mutex> lock(m_frameMutex);
    std::swap(frame, m_frame);
    return frame;
}

bool LatestFrameSlot::holdsFrame() const {
    std::lock_guard<std::mutex> lock(m_frameMutex);
    return !m_frame.isEmpty();
}
