// SPDX-License-Identifier: Apache-2.0
#include "CameraDevice.h"

namespace ZavizoZoz3 {

CameraDevice::CameraDevice(std::string key, bool laserProfiler)
    : m_key(std::move(key)), m_laserProfiler(laserProfiler) {}

CameraDevice::~CameraDevice() = default;

std::string CameraDevice::info(CAM_INFO item) const {
    switch (item) {
        case CAM_INFO_OPEN:
            return m_open.load() ? "1" : "0";
        case CAM_INFO_CONNECTED:
            return m_connected.load() ? "1" : "0";
        case CAM_INFO_GRABBING:
            return isGrabbing() ? "1" : "0";
        case CAM_INFO_FRAME_RATE: {
            std::string rate;
            if (const_cast<CameraDevice*>(this)->nodeValue("AcquisitionFrameRate", rate) != 0) rate = "0";
            return rate;
        }
        case CAM_INFO_LOST_FRAMES:
            return std::to_string(transportLostFrames());
        case CAM_INFO_RESENT_PACKETS:
        case CAM_INFO_MISSING_PACKETS: {
            uint64_t resent = 0, missing = 0;
            if (!transportPackets(resent, missing)) return std::string();
            return std::to_string(item == CAM_INFO_RESENT_PACKETS ? resent : missing);
        }
        case CAM_INFO_WINDOW_ROW_OFFSET: {
            std::string offset;
            if (const_cast<CameraDevice*>(this)->nodeValue("OffsetY", offset) != 0) offset = "0";
            return offset;
        }
        default:
            break;
    }
    std::lock_guard<std::mutex> lock(m_infoMutex);
    const auto it = m_info.find(item);
    return it == m_info.end() ? std::string() : it->second;
}

int CameraDevice::setInfo(CAM_INFO item, const std::string& value) {
    switch (item) {
        case CAM_INFO_OPEN:
        case CAM_INFO_CONNECTED:
        case CAM_INFO_GRABBING:
        case CAM_INFO_FRAME_RATE:
        case CAM_INFO_LOST_FRAMES:
        case CAM_INFO_RESENT_PACKETS:
        case CAM_INFO_MISSING_PACKETS:
        case CAM_INFO_WINDOW_ROW_OFFSET:
            return -1;
        default:
            break;
    }
    bool changed = false;
    {
        std::lock_guard<std::mutex> lock(m_infoMutex);
        std::string& stored = m_info[item];
        changed = stored != value;
        stored = value;
    }
    if (changed && (item == CAM_INFO_COLUMN_FIRST || item == CAM_INFO_COLUMN_LAST)) roiChanged(4);
    return 0;
}

void CameraDevice::setDefaultInfo(CAM_INFO item, const std::string& value) {
    std::lock_guard<std::mutex> lock(m_infoMutex);
    m_info[item] = value;
}

int CameraDevice::nodeValue(const std::string& feature, std::string& value) {
    GenApi::INodeMap* map = nodeMap();
    GenApi::INode* node = map ? map->GetNode(feature) : nullptr;
    if (!node) return -1;
    if (!GenApi::IsReadable(node)) return -2;
    try {
        value = node->ToString();
        return 0;
    } catch (const GenICam::GenericException&) {
        return -2;
    }
}

int CameraDevice::setNodeValue(const std::string& feature, const std::string& value) {
    GenApi::INodeMap* map = nodeMap();
    GenApi::INode* node = map ? map->GetNode(feature) : nullptr;
    if (!node) return -1;
    if (!GenApi::IsWritable(node)) return -2;
    try {
        node->FromString(value);
        return 0;
    } catch (const GenICam::AccessException&) {
        return -2;
    } catch (const GenICam::GenericException&) {
        return -3;
    }
}

void CameraDevice::setConnected(bool connected) {
    if (!connected) {
        stopGrab();
        m_open.store(false);
    }
    m_connected.store(connected);
}

void CameraDevice::setOpen(bool open) {
    if (!open) stopGrab();
    m_open.store(open && m_connected.load());
}

int CameraDevice::setImageMode(int mode) {
    if (mode < 0 || mode > 2) return -1;
    m_imageMode.store(mode);
    return 0;
}

}  // namespace ZavizoZoz3
