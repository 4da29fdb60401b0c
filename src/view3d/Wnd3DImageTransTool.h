// SPDX-License-Identifier: Apache-2.0
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "FrameMetadata.h"
#include "LatestFrameSlot.h"
#include "WndImageTransTool.h"

class RangeBatchSink;
class StreamSaveFeed;

// Frame converter of one camera, run on the business-layer thread: camera pictures (with the
// laser line of profile sensors), single profiles and range batches written straight into the
// pane's buffers through `rangeSink`.
class Wnd3DImageTransTool : public WndImageTransTool {
public:
    Wnd3DImageTransTool(ImageUpdateManager* dispatcher, ImageWndManager* manager, const QString& cameraKey,
                        std::shared_ptr<RangeBatchSink> rangeSink);
    void transform(ZavizoZoz3::AcqBuffer* buffer, int kind, int frameIndex) override;
    // Where pictures go: the pane's latest-picture slot (woken through the dispatcher's
    // pictureReady) and the pane's save feed. Set before the tool is handed to the dispatcher,
    // constant afterwards; without a slot no picture is shown.
    void setPictureRoute(std::shared_ptr<LatestFrameSlot> slot, std::shared_ptr<StreamSaveFeed> saveFeed);

    // Memory held for composing sensor pictures (the picture of the last window's size).
    // Business-layer thread, or any thread while no frame is converted.
    size_t composedBufferBytes() const;

    // Largest sensor taken from the camera's "WidthMax" x "HeightMax" (pixels).
    static constexpr int64_t kMaxComposedPixels = int64_t(1) << 28;
    static constexpr uint8_t kOutsideWindowRed = 19;
    static constexpr uint8_t kOutsideWindowGreen = 156;
    static constexpr uint8_t kOutsideWindowBlue = 95;

private:
    // Each returns whether it handed the frame on to the pane (the profile always goes on).
    bool transformPicture(ZavizoZoz3::AcqBuffer* buffer, bool profileSensor, const FrameMetadata& stamp);
    bool transformSensorWindow(ZavizoZoz3::AcqBuffer* buffer, const FrameMetadata& stamp);
    void transformProfile(ZavizoZoz3::AcqBuffer* buffer);
    bool transformRangeBatch(ZavizoZoz3::AcqBuffer* buffer);
    // Puts a converted picture into the pane's slot; false without one.
    bool publishPicture(LatestFrameSlot::Frame frame);

    int m_composedWidth = 2048;
    int m_composedHeight = 1024;
    int m_windowWidth = 0;
    int m_windowHeight = 0;
    std::vector<uint8_t> m_composed;
    std::shared_ptr<RangeBatchSink> m_rangeSink;
    std::shared_ptr<LatestFrameSlot> m_pictureSlot;
    std::shared_ptr<StreamSaveFeed> m_saveFeed;
};
