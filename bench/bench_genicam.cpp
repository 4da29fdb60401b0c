// SPDX-License-Identifier: Apache-2.0
// GenICam frames from Aravis's fake cameras: the in-process one (640 x 480 Mono8 at up to 1000
// frames/s) and its GigE Vision twin served on 127.0.0.1 (1920 x 1080 Mono8 over real GVCP/GVSP,
// as fast as the loopback carries it). For each: the rate at which frames reach the pane, against
// a bare Aravis pop-and-push loop on the same transport in the same run (target: at least 0.8 for
// the in-process camera, 0.9 for GigE Vision), and the CPU the delivery thread spends per frame,
// against one memcpy of the frame plus the viewer's own per-frame path, both measured here on a
// thread of their own (target: about 1).
#include <arv.h>
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QSignalSpy>
#include <QWidget>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <thread>
#include <vector>

#include "AravisCamera.h"
#include "BusinessLayer.h"
#include "GenICamDiscovery.h"
#include "ImageUpdateManager.h"
#include "ImageWndManager.h"
#include "NuvImage.h"
#include "NuvViewerImageWnd.h"
#include "ZavizoZoz3.h"
#include "ZavizoZoz3Control.h"

namespace Control = ZavizoZoz3::Control;
using Clock = std::chrono::steady_clock;

namespace {
constexpr int kFrames = 1000;

struct FrameSize {
    int width, height;
};
constexpr FrameSize kInProcess{640, 480};
constexpr FrameSize kLoopback{1920, 1080};

void configure(ArvCamera* camera, FrameSize size) {
    GError* error = nullptr;
    arv_camera_set_integer(camera, "Width", size.width, &error);
    if (!error) arv_camera_set_integer(camera, "Height", size.height, &error);
    if (!error) arv_camera_set_string(camera, "PixelFormat", "Mono8", &error);
    if (!error) arv_camera_set_frame_rate(camera, 1000.0, &error);
    if (error) g_error_free(error);
}

// The device as the viewer opens it: by id through the fake interface, or by loopback address.
// Aravis's interface table is shared, so opening goes through the business layer's lock.
ArvCamera* openCamera(const std::string& deviceId, bool byAddress) {
    std::lock_guard<std::mutex> system(ZavizoZoz3::GenICamDiscovery::systemMutex());
    GError* error = nullptr;
    ArvCamera* camera = nullptr;
    if (byAddress) {
        ZavizoZoz3::GenICamDiscovery::selectTransportsLocked(
            ZavizoZoz3::GenICamDiscovery::Transport::Address);
        GInetAddress* at = g_inet_address_new_from_string(deviceId.c_str());
        ArvDevice* device = arv_gv_device_new(at, at, &error);
        g_object_unref(at);
        if (device) {
            camera = arv_camera_new_with_device(device, &error);
            g_object_unref(device);
        }
    } else {
        ZavizoZoz3::GenICamDiscovery::selectTransportsLocked(ZavizoZoz3::GenICamDiscovery::Transport::Fake);
        camera = arv_camera_new(deviceId.c_str(), &error);
    }
    if (error) g_error_free(error);
    return camera;
}

// Frames per second of a loop that only pops each buffer and pushes it back.
double bareLoopRate(const std::string& deviceId, bool byAddress, FrameSize size) {
    GError* error = nullptr;
    ArvCamera* camera = openCamera(deviceId, byAddress);
    if (!camera) return 0.0;
    configure(camera, size);
    const guint payload = arv_camera_get_payload(camera, &error);
    ArvStream* stream = arv_camera_create_stream(camera, nullptr, nullptr, &error);
    if (!stream) {
        if (error) g_error_free(error);
        g_object_unref(camera);
        return 0.0;
    }
    for (int i = 0; i < 6; ++i)
        arv_stream_push_buffer(stream, arv_buffer_new_allocate(payload));
    arv_camera_start_acquisition(camera, &error);
    int frames = 0;
    Clock::time_point start;
    while (frames <= kFrames) {
        ArvBuffer* buffer = arv_stream_timeout_pop_buffer(stream, 1000000);
        if (!buffer) break;
        if (arv_buffer_get_status(buffer) == ARV_BUFFER_STATUS_SUCCESS && frames++ == 0) start = Clock::now();
        arv_stream_push_buffer(stream, buffer);
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    arv_camera_stop_acquisition(camera, &error);
    if (error) g_error_free(error);
    g_object_unref(stream);
    g_object_unref(camera);
    return frames > 1 ? (frames - 1) / seconds : 0.0;
}

// Thread CPU seconds per frame of what delivery cannot avoid: one memcpy of the frame into
// recycled storage plus the viewer's existing per-frame path behind the business layer (its
// picture copy, the hand-over to the GUI thread), the same path the simulated cameras use.
double copyAndDisplayCost(const std::string& key, std::atomic<long>& shown, FrameSize size) {
    const std::vector<uint8_t> source(size_t(size.width) * size_t(size.height), 7);
    auto& layer = ZavizoZoz3::BusinessLayer::instance();
    constexpr int kCount = 500;
    std::atomic<double> cpuSeconds{0.0};
    shown = 0;
    std::thread producer([&] {
        const auto threadCpu = [] {
            timespec cpu{};
            clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpu);
            return cpu.tv_sec + cpu.tv_nsec * 1e-9;
        };
        double spent = 0.0;
        for (int i = 0; i < kCount; ++i) {
            // Paced like a stream with a few buffers: the next frame waits for the pane, as the
            // delivery thread waits for the camera's next buffer.
            while (shown < i - 4)
                std::this_thread::sleep_for(std::chrono::microseconds(200));
            const double begin = threadCpu();  // the pacing above is not counted
            ZavizoZoz3::EncodedFrame frame;
            frame.width = size.width;
            frame.height = size.height;
            frame.pixelFormat = NuvPixelFormat::Mono8;
            frame.bytes = layer.spareFrameBytes(source.size());
            frame.bytes.assign(source.begin(), source.end());  // the one copy
            layer.deliverFrame(key, std::move(frame));
            spent += threadCpu() - begin;
        }
        cpuSeconds = spent;
    });
    while (shown < kCount)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    producer.join();
    return cpuSeconds / kCount;
}

// Streams camera `key` into a viewer's pane against the bare loop on the same transport.
void cameraToPane(benchmark::State& state, const std::string& key, bool byAddress, FrameSize size) {
    QWidget host;
    host.resize(1200, 800);
    auto* viewer = new NuvViewerImageWnd(&host);
    host.show();
    auto camera = std::dynamic_pointer_cast<ZavizoZoz3::AravisCamera>(
        ZavizoZoz3::BusinessLayer::instance().camera(key));
    if (!camera) {
        state.SkipWithError("no camera");
        delete viewer;
        return;
    }
    std::atomic<long> shown{0};
    QObject::connect(
        qobject_cast<ImageWndManager*>(viewer->manager())->dispatcher(),
        &ImageUpdateManager::imageProfileUpdate, viewer,
        [&shown](QString, QSharedPointer<NuvImage>, QVector<qreal>) { ++shown; }, Qt::QueuedConnection);

    double bare = 0, pane = 0, cpuPerFrame = 0;
    for (auto _ : state) {
        // A GigE Vision camera takes one controller at a time: the viewer lets go for the bare loop.
        Control::setConnected(key, false);
        Control::postDeviceList(1);
        bare = bareLoopRate(camera->deviceId(), byAddress, size);
        QSignalSpy bound(viewer, &NuvViewerImageWnd::dropWndSuccess);
        Control::setConnected(key, true);
        Control::setOpen(key, true);
        Control::postDeviceList(1);
        bound.wait(5000);
        {
            std::lock_guard<std::mutex> lock(camera->device().featureMutex());
            if (ArvCamera* arv = camera->device().cameraLocked()) configure(arv, size);
        }
        shown = 0;
        if (ZavizoZoz3::StartGrab(key) != 0) {
            state.SkipWithError("cannot start");
            break;
        }
        // A camera that stops sending (the address taken by another program) ends the run.
        const auto deadline = Clock::now() + std::chrono::seconds(60);
        while (shown == 0 && Clock::now() < deadline)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
        const auto start = Clock::now();
        while (shown <= kFrames && Clock::now() < deadline)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
        if (shown <= kFrames) {
            state.SkipWithError("the camera stopped sending");
            ZavizoZoz3::StopGrab(key);
            break;
        }
        pane = (shown - 1) / std::chrono::duration<double>(Clock::now() - start).count();
        ZavizoZoz3::StopGrab(key);
        cpuPerFrame = camera->deliveryCpuSeconds() / std::max<uint64_t>(1, camera->framesDelivered());
        QCoreApplication::processEvents();
    }
    const double baseline = copyAndDisplayCost(key, shown, size);
    state.counters["bare_loop_fps"] = bare;
    state.counters["pane_fps"] = pane;
    state.counters["pane_vs_bare_ratio"] = bare > 0 ? pane / bare : 0.0;
    state.counters["delivery_cpu_us_per_frame"] = cpuPerFrame * 1e6;
    state.counters["memcpy_plus_display_us"] = baseline * 1e6;
    state.counters["delivery_cpu_vs_copy_and_display_ratio"] = cpuPerFrame / baseline;
    delete viewer;
    Control::reset();
}
}  // namespace

static void BM_FakeGenICamCameraToPane(benchmark::State& state) {
    const std::vector<std::string> keys = Control::scanGenICamCameras(Control::GenICamScan::FakeOnly);
    if (keys.empty()) {
        state.SkipWithError("no fake GenICam camera");
        return;
    }
    cameraToPane(state, keys.front(), false, kInProcess);
}
BENCHMARK(BM_FakeGenICamCameraToPane)->Iterations(2)->Unit(benchmark::kMillisecond)->UseRealTime();

static void BM_LoopbackGigECameraToPane(benchmark::State& state) {
    if (!Control::serveLoopbackGigECamera(true)) {
        state.SkipWithError("127.0.0.1 is taken: no GigE Vision fake camera");
        return;
    }
    const std::string key = Control::addGigECameraByAddress(Control::kLoopbackAddress);
    if (key.empty()) {
        state.SkipWithError("no GigE Vision camera on 127.0.0.1");
        return;
    }
    cameraToPane(state, key, true, kLoopback);
}
BENCHMARK(BM_LoopbackGigECameraToPane)->Iterations(2)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("NUV3D_DISABLE_OPENGL", "1");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
