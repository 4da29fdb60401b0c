// SPDX-License-Identifier: Apache-2.0
#pragma once
// Synthetic test scene of the area-scan camera: a diagonal gradient, a bright disc circling
// the sensor, light noise and a row of bars showing the frame counter in binary. Rendered for
// any window of the 2048 x 1024 sensor, so ROI changes show the expected part of the scene.
#include <cstdint>
#include <vector>

namespace ZavizoZoz3 {

class AreaScanScene {
public:
    static constexpr int kSensorWidth = 2048;
    static constexpr int kSensorHeight = 1024;
    static constexpr int kCounterBits = 16;
    static constexpr int kBarWidth = 16;
    static constexpr int kBarHeight = 24;

    // Writes width x height Mono8 pixels (tightly packed) of the window at (offsetX, offsetY).
    static void render(uint64_t frameIndex, int offsetX, int offsetY, int width, int height,
                       std::vector<uint8_t>& pixels);
    // Centre of the disc in sensor coordinates for a frame.
    static void discCentre(uint64_t frameIndex, double& x, double& y);
    static constexpr double kDiscRadius = 90.0;
};

}  // namespace ZavizoZoz3
