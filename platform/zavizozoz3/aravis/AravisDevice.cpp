// SPDX-License-Identifier: Apache-2.0
#include "AravisDevice.h"

#include <arv.h>

#include "GenICamDiscovery.h"

namespace ZavizoZoz3 {

AravisDevice::~AravisDevice() {
    close();
}

namespace {
// A GigE Vision device at a loopback address, reached from the same address: no interface is
// asked, so nothing is broadcast and nothing leaves the machine.
ArvCamera* openByAddress(const std::string& address, GError** failure) {
    if (!GenICamDiscovery::isLoopbackAddress(address)) {
        g_set_error(failure, G_IO_ERROR, G_IO_ERROR_INVALID_ARGUMENT,
                    "%s is not a loopback address; other cameras are found by discovery", address.c_str());
        return nullptr;
    }
    GInetAddress* at = g_inet_address_new_from_string(address.c_str());
    ArvDevice* device = arv_gv_device_new(at, at, failure);
    g_object_unref(at);
    if (!device) return nullptr;
    ArvCamera* camera = arv_camera_new_with_device(device, failure);
    g_object_unref(device);  // the camera holds its own reference
    return camera;
}
}  // namespace

bool AravisDevice::open(const std::string& deviceId, GenICamDiscovery::Transport transport,
                        std::function<void()> lost, std::string& error) {
    close();
    GError* failure = nullptr;
    ArvCamera* camera = nullptr;
    {
        // Opening searches the enabled interfaces: only the device's own transport may answer.
        std::lock_guard<std::mutex> system(GenICamDiscovery::systemMutex());
        GenICamDiscovery::selectTransportsLocked(transport);
        if (transport == GenICamDiscovery::Transport::Address) {
            camera = openByAddress(deviceId, &failure);
        } else {
            camera = arv_camera_new(deviceId.c_str(), &failure);
        }
    }
    if (!camera) {
        error = failure ? failure->message : "no such device";
        if (failure) g_error_free(failure);
        return false;
    }
    std::lock_guard<std::mutex> lock(m_featureMutex);
    m_camera = camera;
    m_onLost = std::move(lost);
    g_signal_connect(arv_camera_get_device(camera), "control-lost", G_CALLBACK(&AravisDevice::onControlLost),
                     this);
    return true;
}

void AravisDevice::onControlLost(void* /*device*/, void* self) {
    std::function<void()> lost;
    {
        auto* device = static_cast<AravisDevice*>(self);
        std::lock_guard<std::mutex> lock(device->m_featureMutex);
        lost = device->m_onLost;
    }
    if (lost) lost();
}

void AravisDevice::close() {
    ArvCamera* camera = nullptr;
    {
        std::lock_guard<std::mutex> lock(m_featureMutex);
        camera = m_camera;
        m_camera = nullptr;
        m_onLost = nullptr;
        m_lost.store(false);
        if (camera) g_signal_handlers_disconnect_by_data(arv_camera_get_device(camera), this);
    }
    if (camera) g_object_unref(camera);
}

ArvGcNode* AravisDevice::nodeLocked(const std::string& name) const {
    ArvCamera* camera = cameraLocked();
    if (!camera) return nullptr;
    ArvGcNode* node = arv_device_get_feature(arv_camera_get_device(camera), name.c_str());
    return node && ARV_IS_GC_FEATURE_NODE(node) ? node : nullptr;
}

}  // namespace ZavizoZoz3
