// SPDX-License-Identifier: Apache-2.0
#include "AreaScanScene.h"

#include <cmath>

namespace ZavizoZoz3 {

namespace {
constexpr double kPi = 3.14159265358979323846;

uint32_t hash(uint32_t value) {
    value ^= value >> 16;
    value *= 0x7feb352dU;
    value ^= value >> 15;
    value *= 0x846ca68bU;
    value ^= value >> 16;
    return value;
}
}  // namespace

void AreaScanScene::discCentre(uint64_t frameIndex, double& x, double& y) {
    const double t = static_cast<double>(frameIndex % 360) * (2.0 * kPi / 360.0);
    x = kSensorWidth / 2.0 + 0.35 * kSensorWidth * std::cos(t);
    y = kSensorHeight / 2.0 + 0.30 * kSensorHeight * std::sin(2.0 * t);
}

void AreaScanScene::render(uint64_t frameIndex, int offsetX, int offsetY, int width, int height,
                           std::vector<uint8_t>& pixels) {
    if (width <= 0 || height <= 0) {
        pixels.clear();
        return;
    }
    pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
    double cx = 0, cy = 0;
    discCentre(frameIndex, cx, cy);
    const double r2 = kDiscRadius * kDiscRadius;
    const uint32_t seed = hash(static_cast<uint32_t>(frameIndex) + 1U);
    for (int row = 0; row < height; ++row) {
        const int sy = row + offsetY;
        uint8_t* line = pixels.data() + static_cast<size_t>(row) * static_cast<size_t>(width);
        const double dy = sy - cy;
        for (int col = 0; col < width; ++col) {
            const int sx = col + offsetX;
            int value = 30 + (sx * 120) / kSensorWidth + (sy * 60) / kSensorHeight;
            const double dx = sx - cx;
            if (dx * dx + dy * dy <= r2) value = 235;
            value += static_cast<int>(hash(seed ^ static_cast<uint32_t>(sy * kSensorWidth + sx)) % 9U) - 4;
            if (sy >= 8 && sy < 8 + kBarHeight && sx >= 8 && sx < 8 + kCounterBits * kBarWidth) {
                const int bit = kCounterBits - 1 - (sx - 8) / kBarWidth;
                value = ((frameIndex >> bit) & 1U) ? 255 : 0;
            }
            line[col] = static_cast<uint8_t>(value < 0 ? 0 : (value > 255 ? 255 : value));
        }
    }
}

}  // namespace ZavizoZoz3
