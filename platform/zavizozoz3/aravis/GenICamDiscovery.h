// SPDX-License-Identifier: Apache-2.0
#pragma once
// Finds GenICam cameras through Aravis and keeps the business layer's registry in step. Aravis's
// interface switches and device list are process-wide and unsynchronised: every use goes through
// systemMutex(). Only the transports a caller asked for are ever enabled: the fake one alone
// sends nothing beyond this process, the real ones (GigE Vision, USB3 Vision) are enabled only
// for a scan of real cameras and for opening one of them. A GigE Vision camera named by its
// loopback address is opened directly, with every interface off: no discovery is broadcast.
#include <mutex>
#include <string>
#include <vector>

namespace ZavizoZoz3 {

class BusinessLayer;

class GenICamDiscovery {
public:
    // How a camera is reached: Aravis's in-process fake camera, a discovered real camera, or a
    // GigE Vision camera opened by its (loopback) address.
    enum class Transport { Fake, Discovered, Address };
    struct Entry {
        std::string id, vendor, model, serial, protocol;
        Transport transport = Transport::Discovered;
    };

    // Registers the cameras found (new ones as AravisCamera) and disconnects registered ones of the
    // same transports that were not found. Returns the keys of the cameras found.
    static std::vector<std::string> scanInto(BusinessLayer& layer, bool realCameras);
    static std::vector<Entry> list(bool realCameras);
    // Registers (once) the GigE Vision camera at `address`, opened by that address; only loopback
    // addresses are taken. Returns its key, empty when the address is refused.
    static std::string addByAddress(BusinessLayer& layer, const std::string& address);
    static bool isLoopbackAddress(const std::string& address);

    // Guards Aravis's interface table and device list.
    static std::mutex& systemMutex();
    // Enables exactly the interfaces `transport` needs (none for an address) and disables every
    // other one Aravis knows, whatever its version brings; systemMutex() held.
    static void selectTransportsLocked(Transport transport);
};

}  // namespace ZavizoZoz3
