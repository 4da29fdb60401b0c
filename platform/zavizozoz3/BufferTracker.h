// SPDX-License-Identifier: Apache-2.0
#pragma once
// Set of acquisition buffers handed out and not yet released.
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <unordered_set>
#include <vector>

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

    // Frame bytes are recycled: a camera's next frame of the same size reuses the storage of one
    // the listeners have released, instead of a fresh large allocation (and its page faults) per
    // frame. `takeSpare` returns a vector with at least `capacity` reserved, from the smallest
    // spare that fits; a spare keeps its size and old bytes (the caller overwrites them), so a
    // payload of the same size is written in place without a resize clearing it first. Storage below
    // kMinSpareBytes is left to the allocator: small payloads (single profiles) would push the large spares
    // out.
    static constexpr size_t kMinSpareBytes = 64 * 1024;
    std::vector<uint8_t> takeSpare(size_t capacity);
    void giveBack(std::vector<uint8_t>&& bytes);
    // Spares are kept only while a camera acquires: once the last one stops, they are freed and
    // frames released later are not kept, so idle cameras hold no frame storage.
    void grabStarted();
    void grabEnded();
    size_t spares() const;

private:
    mutable std::mutex m_outstandingMutex;  // guards m_outstanding
    std::unordered_set<OwnedAcqBuffer*> m_outstanding;
    static constexpr size_t kMaxSpares = 8;
    mutable std::mutex m_sparesMutex;  // guards m_spares and m_activeGrabs
    std::vector<std::vector<uint8_t>> m_spares;
    int m_activeGrabs = 0;
};

}  // namespace ZavizoZoz3
