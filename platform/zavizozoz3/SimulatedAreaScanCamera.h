// SPDX-License-Identifier: Apache-2.0
#pragma once
// Simulated 2048 x 1024 Mono8 area-scan camera showing AreaScanScene through its ROI
// (Width, Height, OffsetX, OffsetY), 10 frames per second by default.
#include <string>

#include "SimulatedCamera.h"

namespace ZavizoZoz3 {

class SimulatedAreaScanCamera final : public SimulatedCamera {
public:
    SimulatedAreaScanCamera(const std::string& key, const std::string& serial, FrameSink& sink);
    ~SimulatedAreaScanCamera() override;

private:
    double framePeriod() override;
    void produceFrame(uint64_t frameIndex) override;
};

}  // namespace ZavizoZoz3
