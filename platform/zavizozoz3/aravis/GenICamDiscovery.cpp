// SPDX-License-Identifier: Apache-2.0
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

void GenICamDiscovery::selectTransportsLocked(Transport transport) {
    const auto wanted = [transport](const std::string& id) {
        switch (transport) {
            case Transport::Fake:
                return id == kFake;
            case Transport::Discovered:
                return id == kGigE || id == kUsb3;
            case Transport::Address:
                break;
        }
        return false;
    };
    // Disable first, so no moment has an unwanted interface enabled.
    std::vector<std::string> enable;
    for (unsigned i = 0, n = arv_get_n_interfaces(); i < n; ++i) {
        const std::string id = text(arv_get_interface_id(i));
        if (id.empty()) continue;
        if (wanted(id)) {
            enable.push_back(id);
        } else {
            arv_disable_interface(id.c_str());
        }
    }
    for (const std::string& id : enable)
        arv_enable_interface(id.c_str());
}

bool GenICamDiscovery::isLoopbackAddress(const std::string& address) {
    GInetAddress* parsed = g_inet_address_new_from_string(address.c_str());
    if (!parsed) return false;
    const bool loopback = g_inet_address_get_is_loopback(parsed);
    g_object_unref(parsed);
    return loopback;
}

std::string GenICamDiscovery::addByAddress(BusinessLayer& layer, const std::string& address) {
    if (!isLoopbackAddress(address)) return {};
    for (const auto& device : layer.devices()) {
        const auto camera = std::dynamic_pointer_cast<AravisCamera>(device);
        if (camera && camera->transport() == Transport::Address && camera->deviceId() == address)
            return camera->key();
    }
    Entry entry{address, "", "GigE Vision camera", "", kGigE, Transport::Address};
    return layer.adoptCamera(
        address, [&](const std::string& key) { return std::make_shared<AravisCamera>(key, entry, layer); });
}

std::vector<GenICamDiscovery::Entry> GenICamDiscovery::list(bool realCameras) {
    std::lock_guard<std::mutex> lock(systemMutex());
    const Transport transport = realCameras ? Transport::Discovered : Transport::Fake;
    selectTransportsLocked(transport);
    arv_update_device_list();
    std::vector<Entry> entries;
    const unsigned count = arv_get_n_devices();
    for (unsigned i = 0; i < count; ++i) {
        Entry entry{text(arv_get_device_id(i)),       text(arv_get_device_vendor(i)),
                    text(arv_get_device_model(i)),    text(arv_get_device_serial_nbr(i)),
                    text(arv_get_device_protocol(i)), transport};
        if (!entry.id.empty()) entries.push_back(std::move(entry));
    }
    return entries;
}

std::vector<std::string> GenICamDiscovery::scanInto(BusinessLayer& layer, bool realCameras) {
    const std::vector<Entry> found = list(realCameras);
    std::vector<std::shared_ptr<AravisCamera>> known;
    for (const auto& device : layer.devices()) {
        auto camera = std::dynamic_pointer_cast<AravisCamera>(device);
        const auto wanted = realCameras ? Transport::Discovered : Transport::Fake;
        if (camera && camera->transport() == wanted) known.push_back(std::move(camera));
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
