// SPDX-License-Identifier: Apache-2.0
#include "SimulatedCamera.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <iterator>

#include "BufferTracker.h"
#include "NuvLogSink.h"
#include "NuvNumberParse.h"
#include "NuvPixelFormat.h"

namespace ZavizoZoz3 {

namespace {
thread_local bool t_acquisitionThread = false;
}  // namespace

bool SimulatedCamera::isAcquisitionThread() {
    return t_acquisitionThread;
}

SimulatedCamera::SimulatedCamera(std::string key, bool laserProfiler, FrameSink& sink)
    : CameraDevice(key, laserProfiler), m_sink(sink), m_nodes(std::make_unique<NodeMap>(key)) {
    m_nodes->setChangeListener([this](const std::string& name) { onNodeChanged(name); });
}

SimulatedCamera::~SimulatedCamera() {
    shutdown();
}

int64_t SimulatedCamera::exposureClockNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void SimulatedCamera::addCommonNodes(double defaultRate, double maxRate,
                                     const std::vector<std::string>& pixelFormats) {
    NodeMap& map = nodes();
    auto& selector = map.addEnumeration("TriggerSelector", {"FrameStart", "AcquisitionStart", "LineStart"});
    map.addEnumeration("TriggerMode", {"Off", "On"}, 0, GenApi::RW, &selector);
    map.addEnumeration("TriggerSource", {"Software", "Line0", "Line1", "Line2"}, 0, GenApi::RW, &selector);
    map.addCommand("TriggerSoftware");
    map.addFloat("AcquisitionFrameRate", defaultRate, 0.1, maxRate);
    map.addFloat("ExposureTime", 5000.0, 10.0, 1000000.0);
    map.addFloat("Gain", 0.0, 0.0, 24.0);  // dB; saved files carry it with the exposure
    map.addEnumeration("PixelFormat", pixelFormats);
}

void SimulatedCamera::setFrameRate(double framesPerSecond) {
    GenApi::CFloatPtr rate(nodes().GetNode("AcquisitionFrameRate"));
    if (!rate) return;
    rate->SetValue(std::clamp(framesPerSecond, rate->GetMin(), rate->GetMax()));
}

void SimulatedCamera::onNodeChanged(const std::string& name) {
    static const char* const kWindowNodes[] = {"OffsetX", "OffsetY", "Width", "Height"};
    static const char* const kMaskNodes[] = {"ImageMask", "Xup",   "Yup",    "Xdown", "Ydown",
                                             "Xleft",     "Yleft", "Xright", "Yright"};
    const auto named = [&name](const char* n) { return name == n; };
    if (std::any_of(std::begin(kWindowNodes), std::end(kWindowNodes), named)) {
        roiChanged(0);
    } else if (std::any_of(std::begin(kMaskNodes), std::end(kMaskNodes), named)) {
        // The mask the selector points at now, right after the write.
        const std::string selected = nodes().symbolicValue("ImageMaskerSelector");
        if (selected.size() > 11 && selected.compare(0, 11, "ImageMasker") == 0)
            roiChanged(NuvNumberParse::valueOr(std::string_view(selected).substr(11), 0) + 1);
    }
    {
        std::lock_guard<std::mutex> lock(m_wakeMutex);
        if (name == "TriggerSoftware")
            ++m_pendingTriggers;
        else
            m_settingsChanged = true;
    }
    m_wake.notify_all();
}

int SimulatedCamera::startGrab() {
    if (std::this_thread::get_id() == m_acquisitionThreadId.load()) return -1;
    std::lock_guard<std::mutex> control(m_grabControlMutex);
    if (!isConnected() || !isOpen()) return -1;
    if (m_grabbing.load()) return 0;
    {
        // A grab that ended itself (a single grab, a stop from a frame callback) may still be
        // finishing its last frame.
        std::unique_lock<std::mutex> lock(m_wakeMutex);
        m_idle.wait(lock, [this] { return !m_grabRunning; });
        m_pendingTriggers = 0;
        m_settingsChanged = false;
    }
    m_stopRequested.store(false);
    m_framesProduced.store(0);
    m_transportLost.store(0);
    // A single-grab request holds for this start only, as on a real sensor.
    m_singleGrab = info(CAM_INFO_SINGLE_GRAB) == "1";
    if (m_singleGrab) setInfo(CAM_INFO_SINGLE_GRAB, "0");
    if (!m_grabbing.exchange(true)) m_sink.grabStarted();
    {
        std::lock_guard<std::mutex> lock(m_wakeMutex);
        m_grabRequested = true;
    }
    if (m_thread.joinable())
        m_wake.notify_all();
    else
        m_thread = std::thread([this] { threadMain(); });
    return 0;
}

int SimulatedCamera::stopGrab() {
    if (std::this_thread::get_id() == m_acquisitionThreadId.load()) {
        // From a frame callback: waiting for ourselves is impossible; the grab ends after this frame.
        if (m_grabbing.exchange(false)) m_sink.grabEnded();
        m_stopRequested.store(true);
        return 0;
    }
    std::lock_guard<std::mutex> control(m_grabControlMutex);
    stopLocked();
    return 0;
}

void SimulatedCamera::stopLocked() {
    {
        std::unique_lock<std::mutex> lock(m_wakeMutex);
        m_stopRequested.store(true);
        m_grabRequested = false;  // a grab the thread has not taken up yet never begins
        m_wake.notify_all();
        m_idle.wait(lock, [this] { return !m_grabRunning; });
    }
    if (m_grabbing.exchange(false)) m_sink.grabEnded();
}

void SimulatedCamera::endThreadLocked() {
    stopLocked();
    if (!m_thread.joinable()) return;
    {
        std::lock_guard<std::mutex> lock(m_wakeMutex);
        m_exitRequested = true;
    }
    m_wake.notify_all();
    m_thread.join();
    std::lock_guard<std::mutex> lock(m_wakeMutex);
    m_exitRequested = false;
}

void SimulatedCamera::setConnected(bool connected) {
    CameraDevice::setConnected(connected);
    if (connected) return;
    if (std::this_thread::get_id() == m_acquisitionThreadId.load())
        return;  // from a frame callback: the grab was asked to end; the thread stays until destruction
    std::lock_guard<std::mutex> control(m_grabControlMutex);
    endThreadLocked();
}

void SimulatedCamera::shutdown() {
    if (std::this_thread::get_id() == m_acquisitionThreadId.load()) {
        // The last owner let go inside a frame callback: the thread cannot join itself.
        NuvLogSink::write("ZavizoZoz3", "camera " + key() + " destroyed on its own acquisition thread");
        std::abort();
    }
    std::lock_guard<std::mutex> control(m_grabControlMutex);
    endThreadLocked();
}

void SimulatedCamera::threadMain() {
    m_acquisitionThreadId.store(std::this_thread::get_id());
    t_acquisitionThread = true;
    std::unique_lock<std::mutex> lock(m_wakeMutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_grabRequested || m_exitRequested; });
        if (m_exitRequested) break;
        m_grabRequested = false;
        m_grabRunning = true;
        lock.unlock();
        acquisitionLoop();
        lock.lock();
        m_grabRunning = false;
        m_idle.notify_all();
    }
    m_acquisitionThreadId.store(std::thread::id());
}

bool SimulatedCamera::softwareTriggered() {
    // Only the frame-start trigger (first selector entry) holds frames back.
    const auto* mode = dynamic_cast<const EnumerationNode*>(nodes().GetNode("TriggerMode"));
    if (!mode) return false;
    std::lock_guard<std::mutex> lock(nodes().valuesMutex());
    return mode->indexForSlotLocked(0) == 1;
}

bool SimulatedCamera::triggerFromSoftware() {
    const auto* source = dynamic_cast<const EnumerationNode*>(nodes().GetNode("TriggerSource"));
    if (!source) return true;
    std::lock_guard<std::mutex> lock(nodes().valuesMutex());
    return source->indexForSlotLocked(0) == 0;
}

void SimulatedCamera::acquisitionLoop() {
    using Clock = std::chrono::steady_clock;
    beginAcquisition();
    uint64_t frameIndex = 0;
    Clock::time_point lastFrame = Clock::now();
    bool first = true;
    while (!m_stopRequested.load()) {
        if (softwareTriggered()) {
            std::unique_lock<std::mutex> lock(m_wakeMutex);
            m_wake.wait(lock, [this] {
                return m_stopRequested.load() || m_pendingTriggers > 0 || m_settingsChanged;
            });
            if (m_stopRequested.load()) break;
            if (m_pendingTriggers == 0) {
                m_settingsChanged = false;
                continue;
            }
            --m_pendingTriggers;
            lock.unlock();
            if (!triggerFromSoftware())
                continue;  // a hardware line is the source: software triggers do nothing
            produceFrame(frameIndex++);
            if (frameDone()) break;
            first = false;
            lastFrame = Clock::now();
            continue;
        }
        const double period = std::max(framePeriod(), 1e-4);
        const auto due =
            lastFrame + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(period));
        const auto now = Clock::now();
        if (!first && now < due) {
            std::unique_lock<std::mutex> lock(m_wakeMutex);
            m_wake.wait_until(lock, due, [this] { return m_stopRequested.load() || m_settingsChanged; });
            m_settingsChanged = false;
            continue;  // re-evaluate: the rate or the trigger mode may have changed
        }
        // Keep the rhythm, but never try to catch up with frames missed by a slow receiver.
        lastFrame = first || now - due > std::chrono::duration<double>(period) ? now : due;
        first = false;
        produceFrame(frameIndex++);
        if (frameDone()) break;
    }
}

bool SimulatedCamera::frameDone() {
    m_framesProduced.fetch_add(1);
    if (!m_singleGrab || !singleGrabComplete()) return false;
    // Ended by the camera itself: the thread parks until the next start.
    if (m_grabbing.exchange(false)) m_sink.grabEnded();
    m_stopRequested.store(true);
    m_sink.acquisitionEnded(key());
    return true;
}

std::vector<uint8_t> SimulatedCamera::pictureStorage(size_t bytes) {
    if (bytes < BufferTracker::kMinSpareBytes || hasFrameEncoder()) return {};
    return m_sink.spareFrameBytes(bytes);
}

bool SimulatedCamera::hasFrameEncoder() const {
    return frameEncoder() != nullptr;
}

std::shared_ptr<const FrameEncoder> SimulatedCamera::frameEncoder() const {
    return m_sink.frameEncoder(isLaserProfiler());
}

bool SimulatedCamera::lostOnTransport() {
    uint64_t toLose = m_lossesToInject.load();
    while (toLose > 0 && !m_lossesToInject.compare_exchange_weak(toLose, toLose - 1)) {
    }
    if (toLose == 0) return false;
    m_transportLost.fetch_add(1);
    return true;
}

void SimulatedCamera::deliverPayload(const std::function<bool(EncodedFrame& out)>& write) {
    EncodedFrame encoded;
    // Payloads of the same kind mostly keep their size: recycled storage for the large ones.
    if (m_lastPayloadSize >= BufferTracker::kMinSpareBytes)
        encoded.bytes = m_sink.spareFrameBytes(m_lastPayloadSize);
    if (!write(encoded)) return;
    m_lastPayloadSize = encoded.bytes.size();
    m_sink.deliverFrame(key(), std::move(encoded));
}

void SimulatedCamera::sendPayload(const std::function<bool(EncodedFrame& out)>& write) {
    if (!lostOnTransport()) deliverPayload(write);
}

void SimulatedCamera::sendFrame(SimulatedFrame&& frame) {
    if (lostOnTransport()) return;
    const std::shared_ptr<const FrameEncoder> encoder = frameEncoder();
    if (encoder && *encoder) {
        deliverPayload([&](EncodedFrame& out) {
            out.timestampNs = frame.timestampNs;
            return (*encoder)(frame, out);
        });
        return;
    }
    if (frame.imageMode != 0 || frame.picture.empty()) return;
    EncodedFrame encoded;
    encoded.kind = 0;
    encoded.extra = static_cast<uint32_t>(frame.frameIndex);
    encoded.timestampNs = frame.timestampNs;
    encoded.width = frame.pictureWidth;
    encoded.height = frame.pictureHeight;
    encoded.pixelFormat = frame.pictureMono16 ? NuvPixelFormat::Mono16 : NuvPixelFormat::Mono8;
    encoded.bytes = std::move(frame.picture);
    m_sink.deliverFrame(key(), std::move(encoded));
}

void SimulatedCamera::addIdentity(const std::string& model, const char* deviceKind, const std::string& serial,
                                  const char* resolution) {
    NodeMap& map = nodes();
    map.addString("DeviceVendorName", "Simulation");
    map.addString("DeviceModelName", model);
    map.addString("DeviceSerialNumber", serial);
    setDefaultInfo(CAM_INFO_TITLE, key());
    setDefaultInfo(CAM_INFO_MODEL, model);
    setDefaultInfo(CAM_INFO_MODEL_TEXT, model);
    setDefaultInfo(CAM_INFO_DEVICE_KIND, deviceKind);
    setDefaultInfo(CAM_INFO_SERIAL, serial);
    setDefaultInfo(CAM_INFO_RESOLUTION, resolution);
    setDefaultInfo(CAM_INFO_RANGE_BITS, "16");
    setDefaultInfo(CAM_INFO_SAMPLING_RATIO, "1");
    setDefaultInfo(CAM_INFO_Y_INTERVAL, "0.05");
    setDefaultInfo(CAM_INFO_DISPLAY_MODE, "0");
    setDefaultInfo(CAM_INFO_RANGE_PROBE, "0");
    setDefaultInfo(CAM_INFO_HEIGHT_MAX, "20.0");
    setDefaultInfo(CAM_INFO_HEIGHT_MIN, "-20.0");
    setDefaultInfo(CAM_INFO_COLUMN_FIRST, "0");
    setDefaultInfo(CAM_INFO_COLUMN_LAST, "3199");
}

}  // namespace ZavizoZoz3
