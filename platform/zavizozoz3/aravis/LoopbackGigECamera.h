// SPDX-License-Identifier: Apache-2.0
#pragma once
// Aravis's GigE Vision fake camera served on a loopback address: a real GVCP/GVSP device that
// never leaves the machine, for the tests, the demo and the benchmark. Owns the served camera;
// destroying the object makes the camera vanish as an unplugged one would.
#include <string>

typedef struct _ArvGvFakeCamera ArvGvFakeCamera;

namespace ZavizoZoz3 {

class LoopbackGigECamera {
public:
    // Serves the camera on `address` (a loopback address only) under `serial`.
    LoopbackGigECamera(const std::string& address, const std::string& serial);
    ~LoopbackGigECamera();
    LoopbackGigECamera(const LoopbackGigECamera&) = delete;
    LoopbackGigECamera& operator=(const LoopbackGigECamera&) = delete;

    // Whether the camera answers on its address (false when the address is taken or refused).
    bool isServing() const;
    const std::string& address() const { return m_address; }

private:
    const std::string m_address;
    ArvGvFakeCamera* m_camera = nullptr;
};

}  // namespace ZavizoZoz3
