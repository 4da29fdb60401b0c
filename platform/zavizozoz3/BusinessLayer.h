// SPDX-License-Identifier: Apache-2.0
#pragma once
// The process-wide state behind the ZavizoZoz3 free functions: camera registry, listeners,
// event thread, buffer tracking, application settings and what tests observe.
#include <atomic>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "BufferTracker.h"
#include "CallDelay.h"
#include "CameraDevice.h"
#include "EventThread.h"
#include "FrameSink.h"
#include "ListenerList.h"
#include "RoiDrawQueue.h"
#include "ZavizoZoz3Control.h"

namespace ZavizoZoz3 {

class BusinessLayer final : public FrameSink {
public:
    static BusinessLayer& instance();
    ~BusinessLayer();
    BusinessLayer(const BusinessLayer&) = delete;
    BusinessLayer& operator=(const BusinessLayer&) = delete;

    // Registry.
    std::string addCamera(Control::CameraKind kind, const std::string& name);
    // Registers a device built elsewhere (a GenICam camera) under `name` made unique; `make`
    // builds it for the key chosen. Returns the key.
    std::string adoptCamera(const std::string& name,
                            const std::function<std::shared_ptr<CameraDevice>(const std::string& key)>& make);
    std::vector<std::shared_ptr<CameraDevice>> devices() const;
    void removeCamera(const std::string& key);
    std::shared_ptr<CameraDevice> camera(const std::string& key) const;
    std::vector<std::string> cameraKeys() const;

    // Listeners.
    ListenerList<IDeviceListUpdate> deviceListListeners;
    ListenerList<IFocusUpdate> focusListeners;
    ListenerList<ILayoutUpdate> layoutListeners;
    ListenerList<ICameraIdUpdate> cameraIdListeners;
    ListenerList<ILangUpdate> languageListeners;
    ListenerList<IROIDrawUpdate> roiListeners;
    ListenerList<ICorrectionUpdate> correctionListeners;
    ListenerList<IImportUpdate> importListeners;
    ListenerList<IImageModeUpdate> imageModeListeners;
    ListenerList<ISLImageShowModeUpdate> showModeListeners;
    ListenerList<IImageUpdate> imageListeners;
    int listenerCount() const;

    EventThread& events() { return m_events; }

    // Test hook: StopGrab waits here, as on a camera that is slow to stop.
    CallDelay stopGrabDelay;

    // ROI draw events: queued on any thread, delivered to the ROI listeners on the GUI thread.
    RoiDrawQueue roiDraws;
    int deliverRoiDraws();

    // Frames: hands a payload to every image listener, each getting its own reference.
    void deliverFrame(const std::string& cameraKey, EncodedFrame&& frame) override;
    std::shared_ptr<const FrameEncoder> frameEncoder(bool laserProfiler) const override;
    // Reports the stop as a device-list update (source 1), as a device scan would.
    void acquisitionEnded(const std::string& cameraKey) override;
    void setFrameEncoder(Control::CameraKind kind, FrameEncoder encoder);
    size_t outstandingBuffers() const { return m_buffers->outstanding(); }
    // Storage for a frame's bytes, recycled from released frames when one is large enough.
    std::vector<uint8_t> spareFrameBytes(size_t capacity) override { return m_buffers->takeSpare(capacity); }
    void grabStarted() override { m_buffers->grabStarted(); }
    void grabEnded() override { m_buffers->grabEnded(); }
    size_t spareFrameBuffers() const { return m_buffers->spares(); }

    // Application settings.
    std::string parameter(int item) const;
    void setParameter(int item, const std::string& value);

    // Observations.
    void recordFocus(const std::string& key);
    void recordGrab(const std::string& key, bool start);
    void recordLog(const std::string& line);
    void recordRoiPos(const Control::RoiPosCall& call);
    std::string lastFocusKey() const;
    int grabCount(const std::string& key, bool start) const;
    std::vector<std::string> logLines() const;
    std::vector<Control::RoiPosCall> roiPosCalls() const;

    void reset();

private:
    BusinessLayer();
    void restoreDefaults();
    std::string uniqueKeyLocked(const std::string& base) const;

    mutable std::mutex m_camerasMutex;  // guards m_cameras, m_graveyard and m_serialCounter
    std::vector<std::shared_ptr<CameraDevice>> m_cameras;    // registration order
    std::vector<std::shared_ptr<CameraDevice>> m_graveyard;  // removed, kept so node maps stay valid
    int m_serialCounter = 0;

    mutable std::mutex m_encodersMutex;  // guards the two encoder pointers
    std::shared_ptr<const FrameEncoder> m_laserEncoder;
    std::shared_ptr<const FrameEncoder> m_areaScanEncoder;

    mutable std::mutex m_parametersMutex;  // guards m_parameters
    std::map<int, std::string> m_parameters;

    mutable std::mutex m_observationsMutex;  // guards everything recorded for tests below
    std::string m_lastFocusKey;
    std::map<std::string, int> m_startGrabCounts;
    std::map<std::string, int> m_stopGrabCounts;
    std::deque<std::string> m_logLines;  // the last Control::kLogLinesKept lines, oldest first
    std::vector<Control::RoiPosCall> m_roiPosCalls;

    std::shared_ptr<BufferTracker> m_buffers = std::make_shared<BufferTracker>();
    EventThread m_events;
};

}  // namespace ZavizoZoz3
