// SPDX-License-Identifier: Apache-2.0
#pragma once
// Shared machinery of the simulated cameras: the node map with the trigger and rate features,
// and one acquisition thread per camera that paces frames by "AcquisitionFrameRate" or waits
// for software triggers, handing each frame to the encoder (if installed) and the sink. The
// thread is started by the first grab and parked between grabs, so a camera's frames always come
// from the same thread (and its allocator arena); it is joined when the camera is disconnected
// (removed) or destroyed.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

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
    // Disconnecting also ends the acquisition thread; the next grab after a reconnect starts one.
    void setConnected(bool connected) override;
    uint64_t framesProduced() const { return m_framesProduced.load(); }
    uint64_t transportLostFrames() const override { return m_transportLost.load(); }
    // The next `frames` frames are produced but lost on the way, as a real stream loses them.
    void injectTransportLoss(uint64_t frames) { m_lossesToInject.fetch_add(frames); }
    // True on the acquisition thread of any simulated camera.
    static bool isAcquisitionThread();

protected:
    NodeMap& nodes() { return *m_nodes; }
    // The camera's clock for the frames' timestamps: the steady clock in nanoseconds.
    static int64_t exposureClockNs();
    // Trigger, rate, exposure and pixel-format features common to both simulated kinds.
    void addCommonNodes(double defaultRate, double maxRate,
                        const std::vector<std::string>& pixelFormats = {"Mono8"});
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
    // Storage for a picture that leaves the camera as it is (no encoder): recycled from released
    // frames, so megabyte frames are not allocated afresh for every grab.
    std::vector<uint8_t> pictureStorage(size_t bytes);
    // Packages a frame (through the encoder when one is installed for this kind) and sends it.
    // Without an encoder only pictures go out, as plain Mono8 kind-0 buffers.
    void sendFrame(SimulatedFrame&& frame);
    // Sends a payload the camera writes itself into `out` (recycled storage): lost on the
    // transport like any frame, nothing sent when `write` returns false.
    void sendPayload(const std::function<bool(EncodedFrame& out)>& write);
    bool hasFrameEncoder() const;
    // The encoder installed for this camera's kind, null when there is none.
    std::shared_ptr<const FrameEncoder> frameEncoder() const;
    // Implementations call this first in their destructor, before their members go. Stops the
    // grab and joins the acquisition thread.
    void shutdown();

private:
    // The acquisition thread: parked until a grab is asked for, runs it, parks again.
    void threadMain();
    // One grab, on the acquisition thread, until stopped or a single grab is complete.
    void acquisitionLoop();
    // With m_grabControlMutex held: ends the running grab and waits until the thread parked.
    void stopLocked();
    // With m_grabControlMutex held: stops the grab and joins the thread.
    void endThreadLocked();
    // True when the frame about to be sent is one of the injected transport losses (counted).
    bool lostOnTransport();
    // Writes a payload into recycled storage and hands it to the sink.
    void deliverPayload(const std::function<bool(EncodedFrame& out)>& write);
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
    // frame or scan. Acquisition thread only while a grab runs.
    bool m_singleGrab = false;
    // Size of the last encoded payload, to take recycled storage for the next. Acquisition thread.
    size_t m_lastPayloadSize = 0;

    std::mutex m_grabControlMutex;  // guards m_thread and serialises start, stop and joining
    std::thread m_thread;

    // Guards m_pendingTriggers, m_settingsChanged and the grab hand-over between start/stop and
    // the acquisition thread (m_grabRequested, m_grabRunning, m_exitRequested).
    std::mutex m_wakeMutex;
    std::condition_variable m_wake;  // wakes the acquisition thread
    std::condition_variable m_idle;  // the acquisition thread finished a grab
    int m_pendingTriggers = 0;
    bool m_settingsChanged = false;
    bool m_grabRequested = false;  // a grab was started and the thread has not taken it up yet
    bool m_grabRunning = false;    // the thread is inside acquisitionLoop
    bool m_exitRequested = false;  // the thread ends instead of parking
};

}  // namespace ZavizoZoz3
