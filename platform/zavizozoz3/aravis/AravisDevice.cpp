#include "AravisDevice.h"

#include <arv.h>

#include "GenICamDiscovery.h"

namespace ZavizoZoz3 {

AravisDevice::~AravisDevice() {
    close();
}

bool AravisDevice::open(const std::string& deviceId, bool fakeTransport, std::function<void()> lost,
                        std::string& error) {
    close();
    GError* failure = nullptr;
    ArvCamera* camera = nullptr;
    {
        // Opening searches the enabled interfaces: only the device's own transport may answer.
        std::lock_guard<std::mutex> system(GenICamDiscovery::systemMutex());
        GenICamDiscovery::selectTransportsLocked(!fakeTransport);
        camera = arv_camera_new(deviceId.c_str(), &failure);
    }
    if (!camera) {
        error = failure ? failure->message : "no such device";
        if (failure) g_error_free(failure);
        return false;
    }
    std::lock_guard<std::mutex> lock(m_featureMutex);
    m_camera = camera;
    m_lost = std::move(lost);
    g_signal_connect(arv_camera_get_device(camera), "control-lost", G_CALLBACK(&AravisDevice::onControlLost),
                     this);
    return true;
}

void AravisDevice::onControlLost(void* /*device*/, void* self) {
    std::function<void()> lost;
    {
        auto* device = static_cast<AravisDevice*>(self);
        std::lock_guard<std::mutex> lock(device->m_featureMutex);
        lost = device->m_lost;
    }
    if (lost) lost();
}

void AravisDevice::close() {
    ArvCamera* camera = nullptr;
    {
        std::lock_guard<std::mutex> lock(m_featureMutex);
        camera = m_camera;
        m_camera = nullptr;
        m_lost = nullptr;
        if (camera) g_signal_handlers_disconnect_by_data(arv_camera_get_device(camera), this);
    }
    if (camera) g_object_unref(camera);
}

ArvGcNode* AravisDevice::nodeLocked(const std::string& name) const {
    if (!m_camera) return nullptr;
    ArvGcNode* node = arv_device_get_feature(arv_camera_get_device(m_camera), name.c_str());
    return node && ARV_IS_GC_FEATURE_NODE(node) ? node : nullptr;
}

}  // namespace ZavizoZoz3
