#pragma once
// Finds GenICam cameras through Aravis and keeps the business layer's registry in step. Aravis's
// interface switches and device list are process-wide and unsynchronised: every use goes through
// systemMutex(). Only the transports a caller asked for are ever enabled: the fake one alone
// sends nothing beyond this process, the real ones (GigE Vision, USB3 Vision) are enabled only
// for a scan of real cameras and for opening one of them.
#include <mutex>
#include <string>
#include <vector>

namespace ZavizoZoz3 {

class BusinessLayer;

class GenICamDiscovery {
public:
    struct Entry {
        std::string id, vendor, model, serial, protocol;
    };

    // Registers the cameras found (new ones as AravisCamera) and disconnects registered ones of the
    // same transports that were not found. Returns the keys of the cameras found.
    static std::vector<std::string> scanInto(BusinessLayer& layer, bool realCameras);
    static std::vector<Entry> list(bool realCameras);

    // Guards Aravis's interface table and device list.
    static std::mutex& systemMutex();
    // Enables exactly the fake interface, or exactly the real ones; systemMutex() held.
    static void selectTransportsLocked(bool realCameras);
};

}  // namespace ZavizoZoz3
