#pragma once
// Set of acquisition buffers handed out and not yet released.
#include <cstddef>
#include <mutex>
#include <unordered_set>

namespace ZavizoZoz3 {

class OwnedAcqBuffer;

class BufferTracker {
public:
    BufferTracker() = default;
    ~BufferTracker();
    BufferTracker(const BufferTracker&) = delete;
    BufferTracker& operator=(const BufferTracker&) = delete;

    void track(OwnedAcqBuffer* buffer);
    // True when the buffer was outstanding (the caller then frees it).
    bool forget(OwnedAcqBuffer* buffer);
    // Frees every outstanding buffer; a receiver must not touch them afterwards.
    void freeAll();
    size_t outstanding() const;

private:
    mutable std::mutex m_outstandingMutex;  // guards m_outstanding
    std::unordered_set<OwnedAcqBuffer*> m_outstanding;
};

}  // namespace ZavizoZoz3
