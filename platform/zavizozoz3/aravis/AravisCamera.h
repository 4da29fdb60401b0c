// SPDX-License-Identifier: Apache-2.0
#pragma once
// A GenICam camera (GigE Vision, USB3 Vision or Aravis's fake camera) as an area-scan camera of
// the registry. Connecting opens the device; its features are the device's own GenICam nodes.
// Each grab creates an Aravis stream with a fixed set of buffers; one delivery thread pops each
// filled buffer, converts it into a frame in one pass (the only copy), gives the buffer straight
// back to the stream and hands the frame to the image listeners. A camera that stops answering
// (its control channel is lost) or, while free-running, stops sending for the stream timeout is
// released: marked disconnected at once, its Aravis objects closed after the device list went out.
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "AravisDevice.h"
#include "AravisNodeMap.h"
#include "CameraDevice.h"
#include "GenICamDiscovery.h"

typedef struct _ArvStream ArvStream;

namespace ZavizoZoz3 {

class BusinessLayer;

class AravisCamera final : public CameraDevice {
public:
    AravisCamera(const std::string& key, const GenICamDiscovery::Entry& entry, BusinessLayer& layer);
    ~AravisCamera() override;

    const std::string& deviceId() const { return m_deviceId; }
    GenICamDiscovery::Transport transport() const { return m_transport; }
    bool isFakeTransport() const { return m_transport == GenICamDiscovery::Transport::Fake; }

    GenApi::INodeMap* nodeMap() override { return &m_nodes; }
    void setConnected(bool connected) override;
    int startGrab() override;
    int stopGrab() override;
    bool isGrabbing() const override { return m_grabbing.load(); }
    void setFrameRate(double framesPerSecond) override;
    // Failed, underrun and missing buffers of the stream since the last startGrab.
    uint64_t transportLostFrames() const override;
    // Resent and missing packets of a GigE Vision stream since the last startGrab.
    bool transportPackets(uint64_t& resent, uint64_t& missing) const override;

    // Since the last startGrab: buffers the stream filled, frames handed to the listeners, and
    // frames dropped here (a pixel format that cannot be shown, or left in the stream at stop).
    uint64_t framesCompleted() const;
    uint64_t framesDelivered() const { return m_delivered.load(); }
    uint64_t framesDropped() const { return m_dropped.load(); }
    // CPU time the delivery thread used in the last grab that ended (seconds).
    double deliveryCpuSeconds() const { return m_deliveryCpuNs.load() * 1e-9; }
    // The opened device; tests reach Aravis's fake camera through it.
    AravisDevice& device() { return *m_device; }

    // Without a frame for this long a free-running camera counts as gone.
    static constexpr int64_t kMinStreamTimeoutUs = 2000000;

private:
    struct StreamFigures {
        uint64_t completed = 0, lost = 0, resentPackets = 0, missingPackets = 0;
    };
    static StreamFigures figuresOf(ArvStream* stream);
    StreamFigures streamFigures() const;
    // Posts, from any thread, the release of camera `key` to the business layer's event thread.
    // `connection` names the connection that was lost: a late report about an earlier one (an old
    // device's heartbeat meeting the camera served anew) is ignored.
    static void postLost(BusinessLayer& layer, const std::string& key, const std::string& why,
                         uint64_t connection);
    // Event thread: marks the camera disconnected, sends the device list, then closes the device.
    void onLost(const std::string& why, uint64_t connection);
    void releaseLost();
    void stopAcquisition();
    void deliveryLoop(ArvStream* stream, int64_t timeoutUs, uint64_t connection);
    void endGrabLocked();
    void skip(const std::string& reason);
    bool onDeliveryThread() const { return std::this_thread::get_id() == m_deliveryThreadId.load(); }

    BusinessLayer& m_layer;
    const std::string m_deviceId;
    const GenICamDiscovery::Transport m_transport;
    const bool m_packetTransport;  // GigE Vision: the stream counts packets
    const std::shared_ptr<AravisDevice> m_device = std::make_shared<AravisDevice>();
    AravisNodeMap m_nodes;

    std::mutex m_connectionMutex;   // serialises opening, closing and releasing the device
    std::mutex m_grabControlMutex;  // guards m_thread and serialises start and stop
    std::thread m_thread;
    mutable std::mutex m_streamMutex;  // guards m_stream and the statistics kept after a grab
    ArvStream* m_stream = nullptr;
    StreamFigures m_figuresAtStop;

    std::atomic<bool> m_grabbing{false};
    std::atomic<bool> m_stopRequested{false};
    // The device stopped answering: its release is pending and no command is sent to it any more.
    std::atomic<bool> m_lost{false};
    std::atomic<uint64_t> m_connection{0};  // counts the device's openings
    std::atomic<std::thread::id> m_deliveryThreadId{};
    std::atomic<uint64_t> m_delivered{0};
    std::atomic<uint64_t> m_dropped{0};
    std::atomic<int64_t> m_deliveryCpuNs{0};
    // Delivery thread only while it runs: single-grab request of this grab, last skip reason logged.
    bool m_singleGrab = false;
    std::string m_lastSkipReason;
};

}  // namespace ZavizoZoz3
