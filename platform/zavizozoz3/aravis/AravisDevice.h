// SPDX-License-Identifier: Apache-2.0
#pragma once
// One GenICam device opened through Aravis, and the lock every use of it takes. Aravis's feature
// access (the GenICam node tree and the control channel behind it) is not thread-safe, so each
// device has exactly one lock, held for the whole of each call into the device or its nodes.
#include <atomic>
#include <functional>
#include <mutex>
#include <string>

#include "GenICamDiscovery.h"

typedef struct _ArvCamera ArvCamera;
typedef struct _ArvGcNode ArvGcNode;

namespace ZavizoZoz3 {

class AravisDevice {
public:
    AravisDevice() = default;
    ~AravisDevice();
    AravisDevice(const AravisDevice&) = delete;
    AravisDevice& operator=(const AravisDevice&) = delete;

    // Opens device `deviceId` of `transport` (for Transport::Address, `deviceId` is the address);
    // `lost` is called (on an Aravis thread) when the device stops answering. False, with `error`
    // set, when it cannot be opened.
    bool open(const std::string& deviceId, GenICamDiscovery::Transport transport, std::function<void()> lost,
              std::string& error);
    void close();

    // The device stopped answering: until close(), it reads as closed, so no caller waits for the
    // timeouts of commands it would never answer.
    void markLost() { m_lost.store(true); }

    std::mutex& featureMutex() const { return m_featureMutex; }
    // The rest only with featureMutex() held.
    ArvCamera* cameraLocked() const { return m_lost.load() ? nullptr : m_camera; }
    // The node named `name`; null when the device is closed or has no such node.
    ArvGcNode* nodeLocked(const std::string& name) const;

private:
    static void onControlLost(void* device, void* self);

    mutable std::mutex m_featureMutex;  // guards m_camera, m_onLost and every call into the device
    ArvCamera* m_camera = nullptr;
    std::function<void()> m_onLost;
    std::atomic<bool> m_lost{false};
};

}  // namespace ZavizoZoz3
