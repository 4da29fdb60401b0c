// SPDX-License-Identifier: Apache-2.0
#pragma once
// Where simulated cameras send finished frames and where they find the installed encoder.
#include <memory>
#include <string>
#include <vector>

#include "SimulatedFrame.h"

namespace ZavizoZoz3 {

class FrameSink {
public:
    // Called on the camera's acquisition thread.
    virtual void deliverFrame(const std::string& cameraKey, EncodedFrame&& frame) = 0;
    virtual std::shared_ptr<const FrameEncoder> frameEncoder(bool laserProfiler) const = 0;
    // Any thread: empty storage with at least `capacity` reserved, recycled from released frames
    // when one is large enough.
    virtual std::vector<uint8_t> spareFrameBytes(size_t capacity) = 0;
    // Called on the acquisition thread when a camera ended acquisition by itself (single grab).
    virtual void acquisitionEnded(const std::string& cameraKey) = 0;
    // Any thread: a camera's acquisition began or ended (each start is matched by one end), so
    // recycled frame storage is kept only while some camera is acquiring.
    virtual void grabStarted() = 0;
    virtual void grabEnded() = 0;

protected:
    ~FrameSink() = default;
};

}  // namespace ZavizoZoz3
