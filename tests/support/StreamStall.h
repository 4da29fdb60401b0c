// SPDX-License-Identifier: Apache-2.0
#pragma once
// For viewer tests: a GUI thread that falls behind a streaming camera. StreamStall listens to the
// business layer's frames beside the viewer and lets the test hold its (GUI) thread, taking no events,
// until a number of frames went by; frameCounterOf() reads the frame number the simulated area-scan
// camera draws into each frame.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>

#include "AreaScanScene.h"
#include "NuvImage.h"
#include "ZavizoZoz3.h"

namespace TestSupport {
class StreamStall : public ZavizoZoz3::IImageUpdate {
public:
    StreamStall() { ZavizoZoz3::RegisterImageUpdateListener("stall", this); }
    ~StreamStall() { ZavizoZoz3::UnRegisterImageUpdateListener("stall", this); }

    // Business-layer thread, after the viewer's listener took the frame.
    void notify(std::string, ZavizoZoz3::AcqBuffer* payload, uint32_t, uint32_t extra) override {
        if (payload) payload->release();
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            ++m_frames;
            m_lastIndex = extra;
        }
        m_changed.notify_all();
    }
    // Holds the calling thread until `frames` more frames went by; false when they did not within 60 s.
    bool hold(uint64_t frames) {
        std::unique_lock<std::mutex> lock(m_mutex);
        const uint64_t target = m_frames + frames;
        return m_changed.wait_for(lock, std::chrono::seconds(60), [&] { return m_frames >= target; });
    }
    uint64_t frames() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_frames;
    }
    // The camera's index of the last frame that went by (its simulated frames carry it).
    uint32_t lastIndex() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_lastIndex;
    }

private:
    mutable std::mutex m_mutex;  // guards the two counts below
    std::condition_variable m_changed;
    uint64_t m_frames = 0;
    uint32_t m_lastIndex = 0;
};

// The frame number (its low 16 bits) the simulated area-scan camera draws as bars into the top left of a
// frame seen without ROI offset, or -1 when the image does not hold the bars.
inline int frameCounterOf(const NuvImage& image) {
    using Scene = ZavizoZoz3::AreaScanScene;
    const cv::Mat& m = image.mat();
    const int row = 8 + Scene::kBarHeight / 2;
    if (m.empty() || m.type() != CV_8UC1 || m.rows <= row ||
        m.cols < 8 + Scene::kCounterBits * Scene::kBarWidth)
        return -1;
    int counter = 0;
    for (int bit = Scene::kCounterBits - 1, x = 8 + Scene::kBarWidth / 2; bit >= 0;
         --bit, x += Scene::kBarWidth) {
        const uint8_t v = m.at<uint8_t>(row, x);
        if (v != 0 && v != 255) return -1;
        counter |= (v == 255 ? 1 : 0) << bit;
    }
    return counter;
}
}  // namespace TestSupport
