// SPDX-License-Identifier: Apache-2.0
#pragma once
#include <atomic>
#include <cstdint>

// Frame counts of one pane's stream. The business-layer thread that converts the camera's frames
// counts those it could not turn into anything to show; the GUI thread counts the frames it hands
// to the pane. Lock-free, so neither side ever waits for the other.
class StreamCounters {
public:
    void countShown() { m_shown.fetch_add(1, std::memory_order_relaxed); }
    void countDropped() { m_dropped.fetch_add(1, std::memory_order_relaxed); }
    uint64_t shown() const { return m_shown.load(std::memory_order_relaxed); }
    uint64_t dropped() const { return m_dropped.load(std::memory_order_relaxed); }
    // Starts both counts over; a frame in flight may still land on the new count.
    void reset();

private:
    std::atomic<uint64_t> m_shown{0};
    std::atomic<uint64_t> m_dropped{0};
};
