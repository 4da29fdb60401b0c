// SPDX-License-Identifier: Apache-2.0
#pragma once
// Registered listeners of one interface. Delivery calls listeners without holding the list's
// lock (a listener may block or call back into the business layer), but marks each call as in
// flight, so that remove() can wait until no other thread is still inside that listener:
// once remove() returns, the listener is never called again.
#include <algorithm>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace ZavizoZoz3 {

template <class Listener>
class ListenerList {
public:
    // -1 for null or an already registered (listener, name) pair.
    int add(Listener* listener, const std::string& name = std::string()) {
        if (!listener) return -1;
        std::lock_guard<std::mutex> lock(m_entriesMutex);
        for (const auto& entry : m_entries)
            if (entry->listener == listener && entry->name == name) return -1;
        auto entry = std::make_shared<Entry>();
        entry->listener = listener;
        entry->name = name;
        m_entries.push_back(std::move(entry));
        return 0;
    }

    // -1 when not registered. Waits for deliveries to it running on other threads; a listener
    // may remove itself from inside its own callback.
    int remove(Listener* listener, const std::string& name = std::string()) {
        std::unique_lock<std::mutex> lock(m_entriesMutex);
        const auto it = std::find_if(
            m_entries.begin(), m_entries.end(),
            [&](const std::shared_ptr<Entry>& e) { return e->listener == listener && e->name == name; });
        if (it == m_entries.end()) return -1;
        std::shared_ptr<Entry> entry = *it;
        m_entries.erase(it);
        entry->removed = true;
        const std::thread::id self = std::this_thread::get_id();
        m_deliveryDone.wait(lock, [&] {
            return std::all_of(entry->delivering.begin(), entry->delivering.end(),
                               [&](std::thread::id id) { return id == self; });
        });
        return 0;
    }

    // Calls call(listener) for every listener registered when the delivery reaches it.
    template <class Call>
    void forEach(Call&& call) {
        std::vector<std::shared_ptr<Entry>> snapshot;
        {
            std::lock_guard<std::mutex> lock(m_entriesMutex);
            snapshot = m_entries;
        }
        for (const auto& entry : snapshot)
            deliver(entry, call);
    }

    size_t size() const {
        std::lock_guard<std::mutex> lock(m_entriesMutex);
        return m_entries.size();
    }

    // Forgets every listener without waiting (the business layer is being reset).
    void clear() {
        std::lock_guard<std::mutex> lock(m_entriesMutex);
        for (const auto& entry : m_entries)
            entry->removed = true;
        m_entries.clear();
    }

private:
    struct Entry {
        Listener* listener = nullptr;
        std::string name;
        bool removed = false;                     // guarded by m_entriesMutex
        std::vector<std::thread::id> delivering;  // threads inside the listener; guarded by m_entriesMutex
    };

    template <class Call>
    void deliver(const std::shared_ptr<Entry>& entry, Call& call) {
        const std::thread::id self = std::this_thread::get_id();
        {
            std::lock_guard<std::mutex> lock(m_entriesMutex);
            if (entry->removed) return;
            entry->delivering.push_back(self);
        }
        struct Done {
            ListenerList* list;
            const std::shared_ptr<Entry>& entry;
            std::thread::id self;
            ~Done() {
                {
                    std::lock_guard<std::mutex> lock(list->m_entriesMutex);
                    auto& threads = entry->delivering;
                    threads.erase(std::find(threads.begin(), threads.end(), self));
                }
                list->m_deliveryDone.notify_all();
            }
        } done{this, entry, self};
        call(entry->listener);
    }

    mutable std::mutex m_entriesMutex;  // guards m_entries and the state of every entry
    std::condition_variable m_deliveryDone;
    std::vector<std::shared_ptr<Entry>> m_entries;
};

}  // namespace ZavizoZoz3
