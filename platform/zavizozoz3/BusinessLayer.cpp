// SPDX-License-Identifier: Apache-2.0
#include "BusinessLayer.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "NuvLogSink.h"
#include "NuvNumberParse.h"
#include "OwnedAcqBuffer.h"
#include "SimulatedAreaScanCamera.h"
#include "SimulatedLaserProfiler.h"

namespace ZavizoZoz3 {

BusinessLayer& BusinessLayer::instance() {
    // Destroyed at process exit, which stops every thread it started.
    static BusinessLayer layer;
    return layer;
}

BusinessLayer::BusinessLayer() {
    restoreDefaults();
}

BusinessLayer::~BusinessLayer() {
    reset();
}

namespace {
// Default save folders live in the temporary folder, so a fresh host never writes into the
// user's own folders before the user chose one. They are created so a first save just works.
std::string defaultFolder(const char* leaf) {
    std::error_code error;
    std::filesystem::path base = std::filesystem::temp_directory_path(error);
    if (error) base = "/tmp";
    const std::filesystem::path folder = base / "NuvViewer" / leaf;
    std::filesystem::create_directories(folder, error);
    return folder.string();
}
}  // namespace

void BusinessLayer::restoreDefaults() {
    std::lock_guard<std::mutex> lock(m_parametersMutex);
    m_parameters.clear();
    m_parameters[PARAMETER_AUTO_NAME] = "1";
    m_parameters[PARAMETER_SAVE_DIR] = defaultFolder("Images");
    m_parameters[PARAMETER_FILE_PREFIX] = "image";
    m_parameters[PARAMETER_NAMING_RULE] = "0";
    m_parameters[PARAMETER_IMAGE_FORMAT] = "0";
    m_parameters[PARAMETER_SAVE_PROFILE_HEIGHT] = "1";
    m_parameters[PARAMETER_PROFILE_HEIGHT_FORMAT] = "0";
    m_parameters[PARAMETER_SAVE_PROFILE_BRIGHTNESS] = "1";
    m_parameters[PARAMETER_PROFILE_BRIGHTNESS_FORMAT] = "0";
    m_parameters[PARAMETER_SAVE_RANGE_HEIGHT] = "1";
    m_parameters[PARAMETER_RANGE_HEIGHT_FORMAT] = "0";
    m_parameters[PARAMETER_SAVE_RANGE_BRIGHTNESS] = "1";
    m_parameters[PARAMETER_RANGE_BRIGHTNESS_FORMAT] = "0";
    m_parameters[PARAMETER_FRAME_LIMIT] = "100";
    m_parameters[PARAMETER_QUEUE_CAPACITY] = "10";
    m_parameters[PARAMETER_RECORD_AUTO_NAME] = "1";
    m_parameters[PARAMETER_RECORD_DIR] = defaultFolder("Videos");
    m_parameters[PARAMETER_RECORD_FORMAT] = "0";
    m_parameters[PARAMETER_SAVE_ALL_IMAGES] = "0";
    m_parameters[PARAMETER_PROFILE_CSV_X_COLUMN] = "0";
}

std::string BusinessLayer::addCamera(Control::CameraKind kind, const std::string& name) {
    const bool laser = kind == Control::CameraKind::LaserProfiler;
    const std::string base = name.empty() ? (laser ? "LaserProfiler" : "AreaScan") : name;
    std::shared_ptr<CameraDevice> device;
    {
        std::lock_guard<std::mutex> lock(m_camerasMutex);
        const std::string key = uniqueKeyLocked(base);
        char serial[32];
        std::snprintf(serial, sizeof serial, "%s%05d", laser ? "LP" : "AS", ++m_serialCounter);
        if (laser)
            device = std::make_shared<SimulatedLaserProfiler>(key, serial, *this);
        else
            device = std::make_shared<SimulatedAreaScanCamera>(key, serial, *this);
        device->setRoiChangeListener([this, key](int index) { roiDraws.note(key, index); });
        m_cameras.push_back(device);
    }
    return device->key();
}

std::string BusinessLayer::uniqueKeyLocked(const std::string& base) const {
    const auto taken = [this](const std::string& key) {
        return std::any_of(m_cameras.begin(), m_cameras.end(),
                           [&](const std::shared_ptr<CameraDevice>& c) { return c->key() == key; });
    };
    std::string key = base;
    for (int suffix = 2; taken(key); ++suffix)
        key = base + "_" + std::to_string(suffix);
    return key;
}

std::string BusinessLayer::adoptCamera(
    const std::string& name,
    const std::function<std::shared_ptr<CameraDevice>(const std::string& key)>& make) {
    std::lock_guard<std::mutex> lock(m_camerasMutex);
    const std::string key = uniqueKeyLocked(name);
    std::shared_ptr<CameraDevice> device = make(key);
    if (!device) return {};
    device->setRoiChangeListener([this, key](int index) { roiDraws.note(key, index); });
    m_cameras.push_back(device);
    return key;
}

std::vector<std::shared_ptr<CameraDevice>> BusinessLayer::devices() const {
    std::lock_guard<std::mutex> lock(m_camerasMutex);
    return m_cameras;
}

void BusinessLayer::removeCamera(const std::string& key) {
    std::shared_ptr<CameraDevice> device;
    {
        std::lock_guard<std::mutex> lock(m_camerasMutex);
        const auto it = std::find_if(m_cameras.begin(), m_cameras.end(),
                                     [&](const std::shared_ptr<CameraDevice>& c) { return c->key() == key; });
        if (it == m_cameras.end()) return;
        device = *it;
        m_cameras.erase(it);
        m_graveyard.push_back(device);
    }
    // Closed now, not at reset: a device on a real transport releases its control channel here.
    // The object itself stays for the node maps the viewer may still hold.
    device->setConnected(false);
}

std::shared_ptr<CameraDevice> BusinessLayer::camera(const std::string& key) const {
    std::lock_guard<std::mutex> lock(m_camerasMutex);
    for (const auto& device : m_cameras)
        if (device->key() == key) return device;
    return nullptr;
}

std::vector<std::string> BusinessLayer::cameraKeys() const {
    std::lock_guard<std::mutex> lock(m_camerasMutex);
    std::vector<std::string> keys;
    for (const auto& device : m_cameras)
        keys.push_back(device->key());
    return keys;
}

int BusinessLayer::listenerCount() const {
    return static_cast<int>(deviceListListeners.size() + focusListeners.size() + layoutListeners.size() +
                            cameraIdListeners.size() + languageListeners.size() + roiListeners.size() +
                            correctionListeners.size() + importListeners.size() + imageModeListeners.size() +
                            showModeListeners.size() + imageListeners.size());
}

void BusinessLayer::deliverFrame(const std::string& cameraKey, EncodedFrame&& frame) {
    OwnedAcqBuffer* buffer = OwnedAcqBuffer::create(m_buffers, frame.width, frame.height, frame.pixelFormat,
                                                    std::move(frame.bytes), frame.timestampNs);
    imageListeners.forEach([&](IImageUpdate* listener) {
        buffer->retain();
        listener->notify(cameraKey, buffer, frame.kind, frame.extra);
    });
    buffer->release();
}

void BusinessLayer::acquisitionEnded(const std::string& /*cameraKey*/) {
    m_events.post([this] {
        const std::vector<std::string> cams = cameraKeys();
        deviceListListeners.forEach([&](IDeviceListUpdate* listener) { listener->notify(1, {}, cams); });
    });
}

std::shared_ptr<const FrameEncoder> BusinessLayer::frameEncoder(bool laserProfiler) const {
    std::lock_guard<std::mutex> lock(m_encodersMutex);
    return laserProfiler ? m_laserEncoder : m_areaScanEncoder;
}

void BusinessLayer::setFrameEncoder(Control::CameraKind kind, FrameEncoder encoder) {
    std::shared_ptr<const FrameEncoder> shared =
        encoder ? std::make_shared<const FrameEncoder>(std::move(encoder)) : nullptr;
    std::lock_guard<std::mutex> lock(m_encodersMutex);
    (kind == Control::CameraKind::LaserProfiler ? m_laserEncoder : m_areaScanEncoder) = std::move(shared);
}

std::string BusinessLayer::parameter(int item) const {
    std::lock_guard<std::mutex> lock(m_parametersMutex);
    const auto it = m_parameters.find(item);
    return it == m_parameters.end() ? std::string() : it->second;
}

void BusinessLayer::setParameter(int item, const std::string& value) {
    std::lock_guard<std::mutex> lock(m_parametersMutex);
    m_parameters[item] = value;
}

void BusinessLayer::recordFocus(const std::string& key) {
    std::lock_guard<std::mutex> lock(m_observationsMutex);
    m_lastFocusKey = key;
}

void BusinessLayer::recordGrab(const std::string& key, bool start) {
    std::lock_guard<std::mutex> lock(m_observationsMutex);
    ++(start ? m_startGrabCounts : m_stopGrabCounts)[key];
}

void BusinessLayer::recordLog(const std::string& line) {
    std::lock_guard<std::mutex> lock(m_observationsMutex);
    // A fault that repeats every frame (a full disk while recording) must not grow the log for ever.
    if (m_logLines.size() >= Control::kLogLinesKept) m_logLines.pop_front();
    m_logLines.push_back(line);
}

void BusinessLayer::recordRoiPos(const Control::RoiPosCall& call) {
    std::lock_guard<std::mutex> lock(m_observationsMutex);
    m_roiPosCalls.push_back(call);
}

std::string BusinessLayer::lastFocusKey() const {
    std::lock_guard<std::mutex> lock(m_observationsMutex);
    return m_lastFocusKey;
}

int BusinessLayer::grabCount(const std::string& key, bool start) const {
    std::lock_guard<std::mutex> lock(m_observationsMutex);
    const auto& counts = start ? m_startGrabCounts : m_stopGrabCounts;
    const auto it = counts.find(key);
    return it == counts.end() ? 0 : it->second;
}

std::vector<std::string> BusinessLayer::logLines() const {
    std::lock_guard<std::mutex> lock(m_observationsMutex);
    return std::vector<std::string>(m_logLines.begin(), m_logLines.end());
}

std::vector<Control::RoiPosCall> BusinessLayer::roiPosCalls() const {
    std::lock_guard<std::mutex> lock(m_observationsMutex);
    return m_roiPosCalls;
}

int BusinessLayer::deliverRoiDraws() {
    int delivered = 0;
    for (const RoiDrawQueue::Entry& entry : roiDraws.take()) {
        const std::shared_ptr<CameraDevice> device = camera(entry.first);
        if (!device) continue;
        const int index = entry.second;
        // The rectangle is what a 2D view draws: the camera ROI in sensor coordinates, the
        // column window's first and last column; profilers redraw from the camera themselves.
        int rect[4] = {0, 0, 0, 0};
        int drawType = 0;
        if (index == 0) {
            drawType = 1;
            GenApi::INodeMap* map = device->nodeMap();
            const char* names[] = {"OffsetX", "OffsetY", "Width", "Height"};
            int64_t v[4] = {0, 0, 0, 0};
            for (int i = 0; i < 4; ++i) {
                GenApi::CIntegerPtr node(map ? map->GetNode(names[i]) : nullptr);
                if (node) v[i] = node->GetValue();
            }
            rect[0] = static_cast<int>(v[0]);
            rect[1] = static_cast<int>(v[1]);
            rect[2] = static_cast<int>(v[0] + v[2]);
            rect[3] = static_cast<int>(v[1] + v[3]);
        } else if (index == 4) {
            drawType = 2;
            rect[0] = NuvNumberParse::valueOr(device->info(CAM_INFO_COLUMN_FIRST), 0);
            rect[2] = NuvNumberParse::valueOr(device->info(CAM_INFO_COLUMN_LAST), 0);
        }
        int roiId = index;
        bool status = false;
        roiListeners.forEach([&](IROIDrawUpdate* listener) {
            listener->notify(entry.first, rect[0], rect[1], rect[2], rect[3], 0, roiId, status, 0, drawType);
        });
        ++delivered;
    }
    return delivered;
}

void BusinessLayer::reset() {
    if (m_events.isCurrentThread() || SimulatedCamera::isAcquisitionThread()) {
        NuvLogSink::write("ZavizoZoz3", "reset() from a business-layer thread is ignored");
        return;
    }
    // Stop acquisition without holding the registry lock: the grabbing threads deliver frames
    // and their listeners may call back into the registry.
    std::vector<std::shared_ptr<CameraDevice>> devices;
    {
        std::lock_guard<std::mutex> lock(m_camerasMutex);
        devices = m_cameras;
        devices.insert(devices.end(), m_graveyard.begin(), m_graveyard.end());
    }
    stopGrabDelay.set(std::chrono::milliseconds(0));
    stopGrabDelay.releaseAll();
    for (const auto& device : devices)
        device->stopGrab();
    m_events.stop();

    deviceListListeners.clear();
    focusListeners.clear();
    layoutListeners.clear();
    cameraIdListeners.clear();
    languageListeners.clear();
    roiListeners.clear();
    roiDraws.clear();
    correctionListeners.clear();
    importListeners.clear();
    imageModeListeners.clear();
    showModeListeners.clear();
    imageListeners.clear();

    {
        std::lock_guard<std::mutex> lock(m_camerasMutex);
        m_cameras.clear();
        m_graveyard.clear();
        m_serialCounter = 0;
    }
    devices.clear();  // the devices (and their node maps) go here
    {
        std::lock_guard<std::mutex> lock(m_encodersMutex);
        m_laserEncoder.reset();
        m_areaScanEncoder.reset();
    }
    m_buffers->freeAll();
    {
        std::lock_guard<std::mutex> lock(m_observationsMutex);
        m_lastFocusKey.clear();
        m_startGrabCounts.clear();
        m_stopGrabCounts.clear();
        m_logLines.clear();
        m_roiPosCalls.clear();
    }
    restoreDefaults();
}

}  // namespace ZavizoZoz3
