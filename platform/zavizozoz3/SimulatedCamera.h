#pragma once
// Shared machinery of the simulated cameras: the node map with the trigger and rate features,
// and one acquisition thread per grab that paces frames by "AcquisitionFrameRate" or waits
// for software triggers, handing each frame to the encoder (if installed) and the sink.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

#include "CameraDevice.h"
#include "FrameSink.h"
#include "NodeMap.h"

namespace ZavizoZoz3 {

class SimulatedCamera : public CameraDevice {
public:
    SimulatedCamera(std::string key, bool laserProfiler, FrameSink& sink);
    ~SimulatedCamera() override;

    GenApi::INodeMap* nodeMap() override { return m_nodes.get(); }
    int startGrab() override;
    int stopGrab() override;
    bool isGrabbing() const override { return m_grabbing.load(); }
    void setFrameRate(double framesPerSecond) override;
    uint64_t framesProduced() const { return m_framesProduced.load(); }
    uint64_t transportLostFrames() const override { return m_transportLost.load(); }
    // The next `frames` frames are produced but lost on the way, as a real stream loses them.
    void injectTransportLoss(uint64_t frames) { m_lossesToInject.fetch_add(frames); }
    // True on the acquisition thread of any simulated camera.
    static bool isAcquisitionThread();

protected:
    NodeMap& nodes() { return *m_nodes; }
    // Trigger, rate, exposure and pixel-format features common to both simulated kinds.
    void addCommonNodes(double defaultRate, double maxRate);
    // Device identity as nodes and information items, plus the information items every simulated
    // camera answers the same way (scan display defaults).
    void addIdentity(const std::string& model, const char* deviceKind, const std::string& serial,
                     const char* resolution);
    // Acquisition thread: seconds until the next frame, and the frame itself.
    virtual double framePeriod() = 0;
    virtual void produceFrame(uint64_t frameIndex) = 0;
    // Called on the grabbing thread before the first frame.
    virtual void beginAcquisition() {}
    // After a frame: whether a single grab has everything it asked for (one frame, or a
    // profiler's whole scan).
    virtual bool singleGrabComplete() const { return true; }
    // Packages a frame (through the encoder when one is installed for this kind) and sends it.
    // Without an encoder only pictures go out, as plain Mono8 kind-0 buffers.
    void sendFrame(SimulatedFrame&& frame);
    bool hasFrameEncoder() const;
    // Implementations call this first in their destructor, before their members go.
    void shutdown();

private:
    void acquisitionLoop();
    // After each produced frame; true when the single grab is done and the loop must end.
    bool frameDone();
    bool softwareTriggered();
    bool triggerFromSoftware();
    void onNodeChanged(const std::string& name);

    FrameSink& m_sink;
    std::unique_ptr<NodeMap> m_nodes;
    std::atomic<bool> m_grabbing{false};
    std::atomic<bool> m_stopRequested{false};
    std::atomic<std::thread::id> m_acquisitionThreadId{};
    std::atomic<uint64_t> m_framesProduced{0};
    std::atomic<uint64_t> m_lossesToInject{0};
    std::atomic<uint64_t> m_transportLost{0};
    // Set at start from CAM_INFO 57 (consumed there): the grab ends by itself after one
    // frame or scan. Acquisition thread only while it runs.
    bool m_singleGrab = false;

    std::mutex m_grabControlMutex;  // guards m_thread and serialises start and stop
    std::thread m_thread;

    std::mutex m_wakeMutex;  // guards m_pendingTriggers and m_settingsChanged
    std::condition_variable m_wake;
    int m_pendingTriggers = 0;
    bool m_settingsChanged = false;
};

}  // namespace ZavizoZoz3
