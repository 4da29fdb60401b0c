// SPDX-License-Identifier: Apache-2.0
#pragma once
// One camera of the registry, whatever drives it (simulation now, a GenICam transport later):
// its information items as text, its feature node map, connection state and acquisition.
#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>

#include "GenApi.h"
#include "ZavizoZoz3.h"

namespace ZavizoZoz3 {

class CameraDevice {
public:
    CameraDevice(std::string key, bool laserProfiler);
    virtual ~CameraDevice();
    CameraDevice(const CameraDevice&) = delete;
    CameraDevice& operator=(const CameraDevice&) = delete;

    const std::string& key() const { return m_key; }
    bool isLaserProfiler() const { return m_laserProfiler; }

    // Items 3, 4, 10, 12 (frame rate), 13 (lost frames), 14 and 15 (packets) and 58 follow the camera's state
    // and cannot be written.
    std::string info(CAM_INFO item) const;
    int setInfo(CAM_INFO item, const std::string& value);

    // Valid as long as the device object lives.
    virtual GenApi::INodeMap* nodeMap() = 0;
    // Features as text: 0 on success, -1 unknown feature, -2 access, -3 bad or out-of-range value.
    int nodeValue(const std::string& feature, std::string& value);
    int setNodeValue(const std::string& feature, const std::string& value);

    // A device on a real transport also opens or releases its connection here.
    virtual void setConnected(bool connected);
    virtual void setOpen(bool open);
    bool isConnected() const { return m_connected.load(); }
    bool isOpen() const { return m_open.load(); }

    // Acquisition. startGrab fails (-1) unless connected and open. stopGrab may be called from
    // the acquisition thread itself (from inside a frame callback); it then only asks it to end.
    virtual int startGrab() = 0;
    virtual int stopGrab() = 0;
    virtual bool isGrabbing() const = 0;
    virtual void setFrameRate(double framesPerSecond) = 0;
    // Frames the transport announced but could not deliver since the last startGrab (missing
    // packets, stream underruns). Simulated cameras lose nothing on the way.
    virtual uint64_t transportLostFrames() const { return 0; }
    // Packets a packet-based transport (GigE Vision) had resent and never got, since the last
    // startGrab; false for transports without packets.
    virtual bool transportPackets(uint64_t& /*resent*/, uint64_t& /*missing*/) const { return false; }

    // Told, on the writing thread, which ROI a write changed: 0 camera ROI, 1 to 3 masks, 4
    // column window. Set once before the device is shared.
    void setRoiChangeListener(std::function<void(int index)> listener) { m_roiChanged = std::move(listener); }

    // 0 picture, 1 contour, 2 3D; others are rejected with -1.
    int setImageMode(int mode);
    int imageMode() const { return m_imageMode.load(); }

protected:
    // The transport is gone: disconnected and closed at once, without stopping the grab here (the
    // implementation releases its device afterwards).
    void markDisconnected() {
        m_open.store(false);
        m_connected.store(false);
    }
    // Stored defaults, set by the implementation's constructor.
    void setDefaultInfo(CAM_INFO item, const std::string& value);
    void roiChanged(int index) const {
        if (m_roiChanged) m_roiChanged(index);
    }

private:
    const std::string m_key;
    const bool m_laserProfiler;
    std::atomic<bool> m_connected{false};
    std::atomic<bool> m_open{false};
    std::atomic<int> m_imageMode{0};
    std::function<void(int)> m_roiChanged;  // set before the device is shared, then constant
    mutable std::mutex m_infoMutex;         // guards m_info
    std::map<int, std::string> m_info;      // stored items (everything but the state items)
};

}  // namespace ZavizoZoz3
