// SPDX-License-Identifier: Apache-2.0
#include "OwnedAcqBuffer.h"

#include "BufferTracker.h"

namespace ZavizoZoz3 {

OwnedAcqBuffer::OwnedAcqBuffer(std::weak_ptr<BufferTracker> tracker, int width, int height,
                               uint32_t pixelFormat, std::vector<uint8_t>&& bytes)
    : m_tracker(std::move(tracker)),
      m_width(width),
      m_height(height),
      m_pixelFormat(pixelFormat),
      m_bytes(std::move(bytes)) {}

OwnedAcqBuffer* OwnedAcqBuffer::create(const std::shared_ptr<BufferTracker>& tracker, int width, int height,
                                       uint32_t pixelFormat, std::vector<uint8_t>&& bytes,
                                       int64_t timestampNs) {
    auto* buffer = new OwnedAcqBuffer(tracker, width, height, pixelFormat, std::move(bytes));
    buffer->m_timestampNs = timestampNs;
    if (tracker) tracker->track(buffer);
    return buffer;
}

void OwnedAcqBuffer::release() {
    if (m_references.fetch_sub(1) != 1) return;
    if (auto tracker = m_tracker.lock()) {
        // The tracker may have freed us already at a reset racing with this release.
        if (!tracker->forget(this)) return;
        tracker->giveBack(std::move(m_bytes));
    }
    delete this;
}

}  // namespace ZavizoZoz3
