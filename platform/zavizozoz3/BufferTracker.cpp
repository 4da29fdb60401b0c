// SPDX-License-Identifier: Apache-2.0
#include "BufferTracker.h"

#include <vector>

#include "OwnedAcqBuffer.h"

namespace ZavizoZoz3 {

BufferTracker::~BufferTracker() {
    freeAll();
}

void BufferTracker::track(OwnedAcqBuffer* buffer) {
    std::lock_guard<std::mutex> lock(m_outstandingMutex);
    m_outstanding.insert(buffer);
}

bool BufferTracker::forget(OwnedAcqBuffer* buffer) {
    std::lock_guard<std::mutex> lock(m_outstandingMutex);
    return m_outstanding.erase(buffer) == 1;
}

void BufferTracker::freeAll() {
    std::vector<OwnedAcqBuffer*> buffers;
    {
        std::lock_guard<std::mutex> lock(m_outstandingMutex);
        buffers.assign(m_outstanding.begin(), m_outstanding.end());
        m_outstanding.clear();
    }
    for (OwnedAcqBuffer* buffer : buffers)
        delete buffer;
}

std::vector<uint8_t> BufferTracker::takeSpare(size_t capacity) {
    std::vector<uint8_t> bytes;
    {
        std::lock_guard<std::mutex> lock(m_sparesMutex);
        auto best = m_spares.end();
        for (auto it = m_spares.begin(); it != m_spares.end(); ++it)
            if (it->capacity() >= capacity && (best == m_spares.end() || it->capacity() < best->capacity()))
                best = it;
        if (best != m_spares.end()) {
            bytes = std::move(*best);
            m_spares.erase(best);
        }
    }
    bytes.reserve(capacity);
    return bytes;
}

void BufferTracker::giveBack(std::vector<uint8_t>&& bytes) {
    if (bytes.capacity() < kMinSpareBytes) return;
    std::vector<uint8_t> dropped;
    std::lock_guard<std::mutex> lock(m_sparesMutex);
    if (m_activeGrabs == 0) {
        dropped = std::move(bytes);
        return;
    }
    if (m_spares.size() >= kMaxSpares) {
        // Keep the newest: after a size change the old spares would never fit again.
        dropped = std::move(m_spares.front());
        m_spares.erase(m_spares.begin());
    }
    m_spares.push_back(std::move(bytes));
}

void BufferTracker::grabStarted() {
    std::lock_guard<std::mutex> lock(m_sparesMutex);
    ++m_activeGrabs;
}

void BufferTracker::grabEnded() {
    std::vector<std::vector<uint8_t>> dropped;
    std::lock_guard<std::mutex> lock(m_sparesMutex);
    if (m_activeGrabs > 0 && --m_activeGrabs == 0) dropped.swap(m_spares);
}

size_t BufferTracker::spares() const {
    std::lock_guard<std::mutex> lock(m_sparesMutex);
    return m_spares.size();
}

size_t BufferTracker::outstanding() const {
    std::lock_guard<std::mutex> lock(m_outstandingMutex);
    return m_outstanding.size();
}

}  // namespace ZavizoZoz3
