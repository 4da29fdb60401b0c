// SPDX-License-Identifier: Apache-2.0
#include "LoopbackGigECamera.h"

#include <arv.h>

#include "GenICamDiscovery.h"

namespace ZavizoZoz3 {

LoopbackGigECamera::LoopbackGigECamera(const std::string& address, const std::string& serial)
    : m_address(address) {
    if (GenICamDiscovery::isLoopbackAddress(address))
        m_camera = arv_gv_fake_camera_new(address.c_str(), serial.c_str());
}

LoopbackGigECamera::~LoopbackGigECamera() {
    if (m_camera) g_object_unref(m_camera);
}

bool LoopbackGigECamera::isServing() const {
    return m_camera && arv_gv_fake_camera_is_running(m_camera);
}

}  // namespace ZavizoZoz3
