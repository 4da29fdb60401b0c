// SPDX-License-Identifier: Apache-2.0
#include "RoiDrawQueue.h"

#include <algorithm>

namespace ZavizoZoz3 {

void RoiDrawQueue::setScheduler(std::function<void()> schedule) {
    std::function<void()> run;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_schedule = std::move(schedule);
        if (!m_pending.empty()) run = m_schedule;
    }
    if (run) run();
}

void RoiDrawQueue::note(const std::string& key, int index) {
    std::function<void()> run;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        const Entry entry(key, index);
        if (m_hidden.count(entry) != 0 ||
            std::find(m_pending.begin(), m_pending.end(), entry) != m_pending.end())
            return;
        m_pending.push_back(entry);
        if (m_pending.size() == 1) run = m_schedule;
    }
    // Outside the lock: the scheduler may deliver at once.
    if (run) run();
}

std::vector<RoiDrawQueue::Entry> RoiDrawQueue::take() {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<Entry> taken;
    taken.swap(m_pending);
    return taken;
}

void RoiDrawQueue::setHidden(const std::string& key, int index, bool hidden) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (hidden)
        m_hidden.insert(Entry(key, index));
    else
        m_hidden.erase(Entry(key, index));
}

void RoiDrawQueue::clear() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_schedule = nullptr;
    m_pending.clear();
    m_hidden.clear();
}

}  // namespace ZavizoZoz3
