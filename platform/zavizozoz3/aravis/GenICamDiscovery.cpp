#include "GenICamDiscovery.h"

#include <arv.h>

#include <algorithm>
#include <memory>

#include "AravisCamera.h"
#include "BusinessLayer.h"

namespace ZavizoZoz3 {

namespace {
constexpr const char* kFake = "Fake";
constexpr const char* kGigE = "GigEVision";
constexpr const char* kUsb3 = "USB3Vision";

std::string text(const char* value) {
    return value ? value : "";
}
}  // namespace

std::mutex& GenICamDiscovery::systemMutex() {
    static std::mutex mutex;
    return mutex;
}

void GenICamDiscovery::selectTransportsLocked(bool realCameras) {
    // Disable first, so no moment has both kinds enabled.
    if (realCameras) {
        arv_disable_interface(kFake);
        arv_enable_interface(kGigE);
        arv_enable_interface(kUsb3);
    } else {
        arv_disable_interface(kGigE);
        arv_disable_interface(kUsb3);
        arv_enable_interface(kFake);
    }
}

std::vector<GenICamDiscovery::Entry> GenICamDiscovery::list(bool realCameras) {
    std::lock_guard<std::mutex> lock(systemMutex());
    selectTransportsLocked(realCameras);
    arv_update_device_list();
    std::vector<Entry> entries;
    const unsigned count = arv_get_n_devices();
    for (unsigned i = 0; i < count; ++i) {
        Entry entry{text(arv_get_device_id(i)), text(arv_get_device_vendor(i)), text(arv_get_device_model(i)),
                    text(arv_get_device_serial_nbr(i)), text(arv_get_device_protocol(i))};
        if (!entry.id.empty()) entries.push_back(std::move(entry));
    }
    return entries;
}

std::vector<std::string> GenICamDiscovery::scanInto(BusinessLayer& layer, bool realCameras) {
    const std::vector<Entry> found = list(realCameras);
    std::vector<std::shared_ptr<AravisCamera>> known;
    for (const auto& device : layer.devices()) {
        auto camera = std::dynamic_pointer_cast<AravisCamera>(device);
        if (camera && camera->isFakeTransport() != realCameras) known.push_back(std::move(camera));
    }
    std::vector<std::string> keys;
    for (const Entry& entry : found) {
        const auto same = [&entry](const std::shared_ptr<AravisCamera>& c) {
            return c->deviceId() == entry.id;
        };
        const auto it = std::find_if(known.begin(), known.end(), same);
        if (it != known.end()) {
            keys.push_back((*it)->key());
            continue;
        }
        keys.push_back(layer.adoptCamera(entry.id, [&](const std::string& key) {
            return std::make_shared<AravisCamera>(key, entry, layer);
        }));
    }
    for (const auto& camera : known) {
        const bool stillThere = std::any_of(found.begin(), found.end(),
                                            [&camera](const Entry& e) { return e.id == camera->deviceId(); });
        if (!stillThere) camera->setConnected(false);
    }
    return keys;
}

}  // namespace ZavizoZoz3
