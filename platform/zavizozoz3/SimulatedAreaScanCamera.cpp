// SPDX-License-Identifier: Apache-2.0
#include "SimulatedAreaScanCamera.h"

#include "AreaScanScene.h"

namespace ZavizoZoz3 {

SimulatedAreaScanCamera::SimulatedAreaScanCamera(const std::string& key, const std::string& serial,
                                                 FrameSink& sink)
    : SimulatedCamera(key, false, sink) {
    NodeMap& map = nodes();
    addCommonNodes(10.0, 200.0, {"Mono8", "Mono16"});
    const int64_t wMax = AreaScanScene::kSensorWidth, hMax = AreaScanScene::kSensorHeight;
    map.addInteger("WidthMax", wMax, wMax, wMax, 1, GenApi::RO);
    map.addInteger("HeightMax", hMax, hMax, hMax, 1, GenApi::RO);
    auto& width = map.addInteger("Width", wMax, 16, wMax, 16);
    auto& height = map.addInteger("Height", hMax, 16, hMax, 2);
    auto& offsetX = map.addInteger("OffsetX", 0, 0, wMax - 16, 16);
    auto& offsetY = map.addInteger("OffsetY", 0, 0, hMax - 16, 2);
    width.setMaxFunction([&offsetX, wMax] { return wMax - offsetX.valueLocked(); });
    height.setMaxFunction([&offsetY, hMax] { return hMax - offsetY.valueLocked(); });
    offsetX.setMaxFunction([&width, wMax] { return wMax - width.valueLocked(); });
    offsetY.setMaxFunction([&height, hMax] { return hMax - height.valueLocked(); });
    addIdentity("SIM-AS2048", kDeviceKindAreaScan, serial, "2048 * 1024");
}

SimulatedAreaScanCamera::~SimulatedAreaScanCamera() {
    shutdown();
}

double SimulatedAreaScanCamera::framePeriod() {
    return 1.0 / nodes().floatValue("AcquisitionFrameRate", 10.0);
}

void SimulatedAreaScanCamera::produceFrame(uint64_t frameIndex) {
    SimulatedFrame frame;
    frame.cameraKey = key();
    frame.imageMode = 0;
    frame.frameIndex = frameIndex;
    frame.timestampNs = exposureClockNs();
    int offsetX = 0, offsetY = 0;
    {
        // One consistent window, even while another thread moves the ROI.
        NodeMap& map = nodes();
        auto* w = dynamic_cast<IntegerNode*>(map.GetNode("Width"));
        auto* h = dynamic_cast<IntegerNode*>(map.GetNode("Height"));
        auto* x = dynamic_cast<IntegerNode*>(map.GetNode("OffsetX"));
        auto* y = dynamic_cast<IntegerNode*>(map.GetNode("OffsetY"));
        std::lock_guard<std::mutex> lock(map.valuesMutex());
        frame.pictureWidth = static_cast<int>(w->valueLocked());
        frame.pictureHeight = static_cast<int>(h->valueLocked());
        offsetX = static_cast<int>(x->valueLocked());
        offsetY = static_cast<int>(y->valueLocked());
    }
    frame.windowRowOffset = offsetY;
    const size_t pixels =
        frame.pictureWidth > 0 && frame.pictureHeight > 0
            ? static_cast<size_t>(frame.pictureWidth) * static_cast<size_t>(frame.pictureHeight)
            : 0;
    // An installed encoder only knows 8-bit pictures.
    frame.pictureMono16 = nodes().symbolicValue("PixelFormat") == "Mono16" && !hasFrameEncoder();
    if (!frame.pictureMono16) {
        if (pixels > 0) frame.picture = pictureStorage(pixels);
        AreaScanScene::render(frameIndex, offsetX, offsetY, frame.pictureWidth, frame.pictureHeight,
                              frame.picture);
        sendFrame(std::move(frame));
        return;
    }
    // Mono16: the scene in the high byte, sensor noise that changes from frame to frame in the low
    // byte, so the darkest and brightest values differ in every frame as on a real deep sensor.
    AreaScanScene::render(frameIndex, offsetX, offsetY, frame.pictureWidth, frame.pictureHeight, m_scene);
    frame.picture = pictureStorage(pixels * 2);
    frame.picture.resize(pixels * 2);
    uint32_t noise = (static_cast<uint32_t>(frameIndex) * 2654435761u) | 1u;
    for (size_t i = 0; i < pixels && i < m_scene.size(); ++i) {
        noise ^= noise << 13;
        noise ^= noise >> 17;
        noise ^= noise << 5;
        frame.picture[2 * i] = static_cast<uint8_t>(noise);
        frame.picture[2 * i + 1] = m_scene[i];
    }
    sendFrame(std::move(frame));
}

}  // namespace ZavizoZoz3
