// SPDX-License-Identifier: Apache-2.0
#pragma once
// ROI draw events waiting for the GUI thread: one entry per camera and ROI index (0 camera ROI,
// 1 to 3 masks, 4 column window), in the order they first changed. Any thread notes a change;
// the GUI thread takes the queue. A scheduler, called whenever the queue stops being empty,
// lets the host post the delivery to its event loop.
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace ZavizoZoz3 {

class RoiDrawQueue {
public:
    using Entry = std::pair<std::string, int>;

    void setScheduler(std::function<void()> schedule);
    // Any thread. Changes of a hidden ROI are not queued.
    void note(const std::string& key, int index);
    std::vector<Entry> take();
    // A ROI the business layer removed stays quiet until it is drawn again.
    void setHidden(const std::string& key, int index, bool hidden);
    void clear();

private:
    std::mutex m_mutex;  // guards m_schedule, m_pending and m_hidden
    std::function<void()> m_schedule;
    std::vector<Entry> m_pending;
    std::set<Entry> m_hidden;
};

}  // namespace ZavizoZoz3
