// SPDX-License-Identifier: Apache-2.0
#pragma once
// Simulated 2048 x 1024 Mono8 area-scan camera showing AreaScanScene through its ROI
// (Width, Height, OffsetX, OffsetY), 10 frames per second by default.
#include <string>
#include <vector>

#include "SimulatedCamera.h"

namespace ZavizoZoz3 {

class SimulatedAreaScanCamera final : public SimulatedCamera {
public:
    SimulatedAreaScanCamera(const std::string& key, const std::string& serial, FrameSink& sink);
    ~SimulatedAreaScanCamera() override;

private:
    double framePeriod() override;
    void produceFrame(uint64_t frameIndex) override;

    // The 8-bit scene a Mono16 frame is made from, kept from frame to frame. Acquisition thread.
    std::vector<uint8_t> m_scene;
};

}  // namespace ZavizoZoz3
