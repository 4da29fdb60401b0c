// SPDX-License-Identifier: Apache-2.0
#include "AravisCamera.h"

#include <arv.h>
#include <limits>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <limits>

#include "AravisFrameConverter.h"
#include "BusinessLayer.h"
#include "ZavizoZoz3Control.h"

namespace ZavizoZoz3 {

namespace {
// Buffers the stream fills in turn: enough to ride out a slow listener for a few frames, few
// enough that memory stays bounded whatever the frame rate.
constexpr int kStreamBuffers = 6;
constexpr guint64 kPopTimeoutUs = 50000;
constexpr const char* kModule = "GenICam";

std::string takeMessage(GError* error, const char* fallback) {
    if (!error) return fallback;
    std::string message = error->message ? error->message : fallback;
    g_error_free(error);
    return message;
}

int64_t nowUs() {
    return g_get_monotonic_time();
}
}  // namespace

AravisCamera::AravisCamera(const std::string& key, const GenICamDiscovery::Entry& entry, BusinessLayer& layer)
    : CameraDevice(key, false),
      m_layer(layer),
      m_deviceId(entry.id),
      m_transport(entry.transport),
      m_packetTransport(entry.protocol == "GigEVision"),
      m_nodes(key, m_device) {
    setDefaultInfo(CAM_INFO_TITLE, key);
    setDefaultInfo(CAM_INFO_MODEL, entry.model);
    setDefaultInfo(CAM_INFO_MODEL_TEXT,
                   entry.vendor.empty() ? entry.model : entry.vendor + " " + entry.model);
    setDefaultInfo(CAM_INFO_DEVICE_KIND, kDeviceKindAreaScan);
    setDefaultInfo(CAM_INFO_SERIAL, entry.serial);
}

AravisCamera::~AravisCamera() {
    stopGrab();
    m_device->close();
}

void AravisCamera::setConnected(bool connected) {
    std::lock_guard<std::mutex> lock(m_connectionMutex);
    if (connected == isConnected()) return;
    if (!connected) {
        CameraDevice::setConnected(false);  // stops a running grab first
        m_device->close();
        return;
    }
    if (m_lost.load()) {
        // Reconnected before the release of the lost device ran: release it here.
        stopGrab();
        m_device->close();
        m_lost.store(false);
    }
    // Posted, not called: the device's thread must not wait for the registry.
    BusinessLayer& layer = m_layer;
    const std::string key = this->key();
    const uint64_t connection = m_connection.fetch_add(1) + 1;
    auto lost = [&layer, key, connection] {
        postLost(layer, key, "the camera stopped answering", connection);
    };
    std::string error;
    if (!m_device->open(m_deviceId, m_transport, lost, error)) {
        VLogError(kModule, "cannot connect " + key + ": " + error, 3);
        return;
    }
    std::string width, height;
    if (nodeValue("WidthMax", width) == 0 && nodeValue("HeightMax", height) == 0)
        setDefaultInfo(CAM_INFO_RESOLUTION, width + " * " + height);
    CameraDevice::setConnected(true);
}

void AravisCamera::postLost(BusinessLayer& layer, const std::string& key, const std::string& why,
                            uint64_t connection) {
    // By key: the camera may be gone when the event thread gets to it.
    layer.events().post([&layer, key, why, connection] {
        if (const auto camera = std::dynamic_pointer_cast<AravisCamera>(layer.camera(key)))
            camera->onLost(why, connection);
    });
}

void AravisCamera::onLost(const std::string& why, uint64_t connection) {
    {
        std::lock_guard<std::mutex> lock(m_connectionMutex);
        // Released already, disconnected by the user, or a report about an earlier connection.
        if (!isConnected() || connection != m_connection.load()) return;
        m_lost.store(true);
        m_device->markLost();
        m_stopRequested.store(true);
        m_grabbing.store(false);
        // The device list below releases the pane now; closing a device that no longer answers
        // waits for its command timeouts, so it comes after.
        markDisconnected();
    }
    VLogError(kModule, key() + ": " + why + "; disconnected", 3);
    Control::postDeviceList(1);
    BusinessLayer& layer = m_layer;
    const std::string key = this->key();
    layer.events().post([&layer, key] {
        if (const auto camera = std::dynamic_pointer_cast<AravisCamera>(layer.camera(key)))
            camera->releaseLost();
    });
}

void AravisCamera::releaseLost() {
    std::lock_guard<std::mutex> lock(m_connectionMutex);
    if (!m_lost.load()) return;  // a reconnection released it already
    stopGrab();
    m_device->close();
    m_lost.store(false);
}

void AravisCamera::stopAcquisition() {
    if (m_lost.load()) return;  // the command would only wait for its timeouts
    std::lock_guard<std::mutex> lock(m_device->featureMutex());
    if (ArvCamera* camera = m_device->cameraLocked()) {
        GError* error = nullptr;
        arv_camera_stop_acquisition(camera, &error);
        if (error) g_error_free(error);
    }
}

void AravisCamera::setFrameRate(double framesPerSecond) {
    std::lock_guard<std::mutex> lock(m_device->featureMutex());
    ArvCamera* camera = m_device->cameraLocked();
    if (!camera) return;
    GError* error = nullptr;
    double min = 0, max = 0;
    arv_camera_get_frame_rate_bounds(camera, &min, &max, &error);
    if (!error) arv_camera_set_frame_rate(camera, std::clamp(framesPerSecond, min, max), &error);
    if (error) g_error_free(error);
}

int AravisCamera::startGrab() {
    if (onDeliveryThread() || !isConnected() || !isOpen()) return -1;
    std::lock_guard<std::mutex> control(m_grabControlMutex);
    if (m_grabbing.load()) return 0;
    endGrabLocked();  // a grab that ended itself
    ArvStream* stream = nullptr;
    std::string failure;
    int64_t timeoutUs = 0;  // none: a triggered camera may wait for its trigger as long as it likes
    {
        std::lock_guard<std::mutex> lock(m_device->featureMutex());
        ArvCamera* camera = m_device->cameraLocked();
        if (!camera) return -1;
        GError* error = nullptr;
        arv_camera_set_acquisition_mode(camera, ARV_ACQUISITION_MODE_CONTINUOUS, &error);
        if (error) g_clear_error(&error);  // a camera without the feature streams continuously anyway
        const char* trigger =
            arv_device_get_string_feature_value(arv_camera_get_device(camera), "TriggerMode", &error);
        const bool triggered = !error && trigger && std::string(trigger) == "On";
        if (error) g_clear_error(&error);
        if (!triggered) {
            // A few frame periods, and never less than the minimum for slow starts.
            const double rate = arv_camera_get_frame_rate(camera, &error);
            if (error) g_clear_error(&error);
            const int64_t periods = rate > 0 ? static_cast<int64_t>(5e6 / rate) : 0;
            timeoutUs = std::max(kMinStreamTimeoutUs, periods);
        }
        const guint payload = arv_camera_get_payload(camera, &error);
        if (!error) stream = arv_camera_create_stream(camera, nullptr, nullptr, &error);
        if (stream) {
            for (int i = 0; i < kStreamBuffers; ++i)
                arv_stream_push_buffer(stream, arv_buffer_new_allocate(payload));
            arv_camera_start_acquisition(camera, &error);
        }
        if (error) {
            failure = takeMessage(error, "stream error");
            if (stream) g_object_unref(stream);
            stream = nullptr;
        }
    }
    if (!stream) {
        VLogError(kModule, "cannot start " + key() + ": " + failure, 3);
        return -1;
    }
    {
        std::lock_guard<std::mutex> lock(m_streamMutex);
        m_stream = stream;
        m_figuresAtStop = StreamFigures();
    }
    m_singleGrab = info(CAM_INFO_SINGLE_GRAB) == "1";
    if (m_singleGrab) setInfo(CAM_INFO_SINGLE_GRAB, "0");
    m_lastSkipReason.clear();
    m_delivered.store(0);
    m_dropped.store(0);
    m_stopRequested.store(false);
    m_grabbing.store(true);
    const uint64_t connection = m_connection.load();
    m_thread =
        std::thread([this, stream, timeoutUs, connection] { deliveryLoop(stream, timeoutUs, connection); });
    return 0;
}

int AravisCamera::stopGrab() {
    if (onDeliveryThread()) {
        // From a frame callback: the loop ends after this frame; the next start or stop cleans up.
        m_grabbing.store(false);
        m_stopRequested.store(true);
        return 0;
    }
    std::lock_guard<std::mutex> control(m_grabControlMutex);
    endGrabLocked();
    return 0;
}

void AravisCamera::endGrabLocked() {
    m_stopRequested.store(true);
    if (m_thread.joinable()) m_thread.join();
    m_grabbing.store(false);
    ArvStream* stream = nullptr;
    {
        std::lock_guard<std::mutex> lock(m_streamMutex);
        stream = m_stream;
    }
    if (!stream) return;
    stopAcquisition();
    // What the stream filled and nobody took is dropped, and counted, rather than shown after the
    // user pressed stop. The stream's receiving thread stops when the stream is released, not
    // here: stopping it first makes Aravis stop it twice. It may still finish the frame it was
    // filling, which the second pass after the statistics counts.
    const auto drain = [this, stream] {
        while (ArvBuffer* buffer = arv_stream_try_pop_buffer(stream)) {
            if (arv_buffer_get_status(buffer) == ARV_BUFFER_STATUS_SUCCESS) m_dropped.fetch_add(1);
            g_object_unref(buffer);
        }
    };
    drain();
    {
        std::lock_guard<std::mutex> lock(m_streamMutex);
        m_figuresAtStop = figuresOf(stream);
        m_stream = nullptr;
    }
    drain();
    g_object_unref(stream);
}

AravisCamera::StreamFigures AravisCamera::figuresOf(ArvStream* stream) {
    StreamFigures figures;
    guint64 done = 0, failures = 0, underruns = 0;
    arv_stream_get_statistics(stream, &done, &failures, &underruns);
    figures.completed = done;
    figures.lost = failures + underruns;
    // GigE Vision streams also count frames that never arrived at all, and their packets.
    for (guint i = 0, n = arv_stream_get_n_infos(stream); i < n; ++i) {
        const char* name = arv_stream_get_info_name(stream, i);
        if (!name || arv_stream_get_info_type(stream, i) != G_TYPE_UINT64) continue;
        const std::string info(name);
        if (info == "n_missing_frames") figures.lost += arv_stream_get_info_uint64(stream, i);
        if (info == "n_resent_packets") figures.resentPackets = arv_stream_get_info_uint64(stream, i);
        if (info == "n_missing_packets") figures.missingPackets = arv_stream_get_info_uint64(stream, i);
    }
    return figures;
}

AravisCamera::StreamFigures AravisCamera::streamFigures() const {
    std::lock_guard<std::mutex> lock(m_streamMutex);
    return m_stream ? figuresOf(m_stream) : m_figuresAtStop;
}

uint64_t AravisCamera::transportLostFrames() const {
    return streamFigures().lost;
}

bool AravisCamera::transportPackets(uint64_t& resent, uint64_t& missing) const {
    if (!m_packetTransport) return false;
    const StreamFigures figures = streamFigures();
    resent = figures.resentPackets;
    missing = figures.missingPackets;
    return true;
}

uint64_t AravisCamera::framesCompleted() const {
    return streamFigures().completed;
}

void AravisCamera::skip(const std::string& reason) {
    m_dropped.fetch_add(1);
    // Once per grab and reason: a camera left in an unknown format would otherwise flood the log.
    if (reason == m_lastSkipReason) return;
    m_lastSkipReason = reason;
    VLogError(kModule, "frame of " + key() + " skipped: " + reason, 3);
}

void AravisCamera::deliveryLoop(ArvStream* stream, int64_t timeoutUs, uint64_t connection) {
    m_deliveryThreadId.store(std::this_thread::get_id());
    int64_t lastFrameUs = nowUs();
    while (!m_stopRequested.load()) {
        ArvBuffer* buffer = arv_stream_timeout_pop_buffer(stream, kPopTimeoutUs);
        if (!buffer) {
            // A camera unplugged without a word from its control channel just stops sending.
            if (timeoutUs > 0 && nowUs() - lastFrameUs > timeoutUs) {
                postLost(m_layer, key(),
                         "no frame for " + std::to_string(timeoutUs / 1000) + " ms while free-running",
                         connection);
                break;
            }
            continue;
        }
        lastFrameUs = nowUs();
        if (arv_buffer_get_status(buffer) != ARV_BUFFER_STATUS_SUCCESS) {
            arv_stream_push_buffer(stream, buffer);  // counted by the stream's own statistics
            continue;
        }
        EncodedFrame frame;
        std::string reason;
        size_t size = 0;
        const auto* data = static_cast<const uint8_t*>(arv_buffer_get_image_data(buffer, &size));
        if (!data || size == 0)  // a single-part buffer that does not describe its part (the fake camera's)
            data = static_cast<const uint8_t*>(arv_buffer_get_data(buffer, &size));
        frame.bytes = m_layer.spareFrameBytes(size);
        gint paddingX = 0, paddingY = 0;
        arv_buffer_get_image_padding(buffer, &paddingX, &paddingY);
        const bool converted = AravisFrameConverter::convert(
            data, size, arv_buffer_get_image_pixel_format(buffer), arv_buffer_get_image_width(buffer),
            arv_buffer_get_image_height(buffer), paddingX, frame, reason);
        frame.extra = static_cast<uint32_t>(arv_buffer_get_frame_id(buffer));
        // The camera's own clock at exposure; 0 is a camera that has none.
        const guint64 stamp = arv_buffer_get_timestamp(buffer);
        frame.timestampNs = stamp != 0 && stamp <= guint64(std::numeric_limits<int64_t>::max())
                                ? static_cast<int64_t>(stamp)
                                : -1;
        arv_stream_push_buffer(stream, buffer);  // back before the listeners work on the copy
        if (!converted) {
            skip(reason);
            continue;
        }
        // One frame is all a single grab wants: the camera stops before it fills the stream.
        if (m_singleGrab) stopAcquisition();
        m_delivered.fetch_add(1);
        m_layer.deliverFrame(key(), std::move(frame));
        if (m_singleGrab) {
            m_grabbing.store(false);
            m_stopRequested.store(true);
            m_layer.acquisitionEnded(key());
        }
    }
    timespec cpu{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpu);
    m_deliveryCpuNs.store(static_cast<int64_t>(cpu.tv_sec) * 1000000000 + cpu.tv_nsec);
    m_deliveryThreadId.store(std::thread::id());
}

}  // namespace ZavizoZoz3
