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

size_t BufferTracker::outstanding() const {
    std::lock_guard<std::mutex> lock(m_outstandingMutex);
    return m_outstanding.size();
}

}  // namespace ZavizoZoz3
