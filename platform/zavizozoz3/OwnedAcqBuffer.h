// SPDX-License-Identifier: Apache-2.0
#pragma once
// Reference-counted acquisition buffer holding its own bytes. Every receiver that got a
// reference calls release() once; the last release frees it. Buffers are tracked so that the
// ones a receiver never releases are freed when the business layer resets or shuts down.
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "ZavizoZoz3.h"

namespace ZavizoZoz3 {

class BufferTracker;

class OwnedAcqBuffer final : public AcqBuffer {
public:
    // Starts with one reference, owned by the caller.
    // `timestampNs`: the camera's clock at exposure, -1 for none (see AcqBuffer::timestampNs).
    static OwnedAcqBuffer* create(const std::shared_ptr<BufferTracker>& tracker, int width, int height,
                                  uint32_t pixelFormat, std::vector<uint8_t>&& bytes,
                                  int64_t timestampNs = -1);

    bool isValid() const override { return !m_bytes.empty() && m_width > 0 && m_height > 0; }
    int width() const override { return m_width; }
    int height() const override { return m_height; }
    uint32_t pixelFormat() const override { return m_pixelFormat; }
    const uint8_t* data() const override { return m_bytes.empty() ? nullptr : m_bytes.data(); }
    size_t size() const override { return m_bytes.size(); }
    int64_t timestampNs() const override { return m_timestampNs; }
    void retain() { m_references.fetch_add(1); }
    void release() override;

private:
    friend class BufferTracker;
    OwnedAcqBuffer(std::weak_ptr<BufferTracker> tracker, int width, int height, uint32_t pixelFormat,
                   std::vector<uint8_t>&& bytes);
    ~OwnedAcqBuffer() = default;

    const std::weak_ptr<BufferTracker> m_tracker;
    const int m_width;
    const int m_height;
    const uint32_t m_pixelFormat;
    int64_t m_timestampNs = -1;
    std::vector<uint8_t> m_bytes;  // handed back to the tracker for reuse when the last reference goes
    std::atomic<int> m_references{1};
};

}  // namespace ZavizoZoz3
