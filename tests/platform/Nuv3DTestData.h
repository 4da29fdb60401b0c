// SPDX-License-Identifier: Apache-2.0
#pragma once
// Synthetic range images for the 3D window tests: heights rise linearly across each line from
// -4 to +4 (16-bit samples, scale 0.01, offset 32768), inside the limits -5 to +5.
#include <QWidget>
#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

#include "Nuv3DGraphics.h"

namespace Nuv3DTestData {

constexpr double kScale = 0.01;
constexpr double kOffset = 32768.0;
constexpr float kMin = -5.0f;
constexpr float kMax = 5.0f;

inline int64_t asHandle(QWidget* w) {
    return static_cast<int64_t>(reinterpret_cast<intptr_t>(w));
}

inline std::vector<uint16_t> rampImage(int points, int lines) {
    std::vector<uint16_t> data(static_cast<size_t>(points) * static_cast<size_t>(lines));
    for (int l = 0; l < lines; ++l) {
        for (int p = 0; p < points; ++p) {
            const double t = points > 1 ? static_cast<double>(p) / (points - 1) : 0.5;
            data[static_cast<size_t>(l) * points + p] = static_cast<uint16_t>(kOffset + (8 * t - 4) / kScale);
        }
    }
    return data;
}

inline int setupRamp(int64_t handle, int points, int lines, int mode = NUV3D_MODE_HEIGHT) {
    return NuvInitialRangeImage(handle, 2, points, lines, 0.05, 0.0, 0.05, 0.0, kScale, kOffset, kMin, kMax,
                                mode);
}

// Two threads append the image line by line, round and round (and fit the view after each line),
// until the window's handle is destroyed; join() gives the number of calls that failed otherwise.
class LoopingAppenders {
public:
    LoopingAppenders(int64_t h, int stream, const std::vector<uint16_t>& image, int points, bool fit) {
        const int lines = static_cast<int>(image.size()) / points;
        for (std::thread& t : m_threads) {
            t = std::thread([this, h, stream, &image, points, lines, fit] {
                for (int i = 0;; i = (i + 1) % lines) {
                    const uint16_t* line = image.data() + static_cast<size_t>(i) * points;
                    const int r = NuvAppendDataStream(h, stream, line, nullptr, 2, i, i);
                    if (r == NUV3D_ERR_HANDLE) return;
                    m_unexpected += r != NUV3D_OK;
                    if (fit && Nuv3DZoomFitWnd(h) == NUV3D_ERR_HANDLE) return;
                }
            });
        }
    }
    int join() {
        for (std::thread& t : m_threads)
            t.join();
        return m_unexpected;
    }

private:
    std::thread m_threads[2];
    std::atomic<int> m_unexpected{0};
};

}  // namespace Nuv3DTestData
