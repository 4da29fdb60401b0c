// SPDX-License-Identifier: Apache-2.0
// End to end: a laser profiler delivering 2000 profiles/s (3200 points each) through the business
// layer, the dispatcher and its transform tool to the pane's contour plot. Reported against the
// production rate of the same run: processed/produced must stay at 1 and the backlog of queued
// profiles at the end of each second must not grow.
#include <benchmark/benchmark.h>
#include <QApplication>
#include <QPushButton>
#include <QSignalSpy>
#include <QWidget>
#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>
#include <vector>

#include "Image3DWnd.h"
#include "ImageUpdateManager.h"
#include "ImageWnd.h"
#include "ImageWndManager.h"
#include "NuvPayloadWriter.h"
#include "NuvPixelFormat.h"
#include "NuvViewerImageWnd.h"
#include "ZavizoZoz3Control.h"

namespace Control = ZavizoZoz3::Control;

static void BM_ProfileStream2000PerSecond(benchmark::State& state) {
    QWidget host;
    host.resize(1200, 800);
    auto* viewer = new NuvViewerImageWnd(&host);
    host.show();
    const std::string key = Control::addCamera(Control::CameraKind::LaserProfiler, "LP");
    Control::setConnected(key, true);
    Control::setOpen(key, true);
    QSignalSpy bound(viewer, &NuvViewerImageWnd::dropWndSuccess);
    Control::postDeviceList(1);
    bound.wait(5000);
    qobject_cast<ImageWndManager*>(viewer->manager())->pane(1)->view3D()->btnContourMode->click();

    std::atomic<long> processed{0};
    QObject::connect(
        qobject_cast<ImageWndManager*>(viewer->manager())->dispatcher(), &ImageUpdateManager::profileUpdate,
        viewer, [&processed](QString, QVector<qreal>, QVector<uint8_t>) { ++processed; },
        Qt::QueuedConnection);

    NuvPayloadWriter writer;
    writer.setScaler(32000);
    std::vector<std::vector<uint8_t>> payloads(8);
    for (size_t p = 0; p < payloads.size(); ++p) {
        std::vector<uint16_t> raw(3200);
        for (int i = 0; i < 3200; ++i)
            raw[i] = static_cast<uint16_t>(32768 + 3000 * std::sin(0.01 * i + p));
        std::vector<uint8_t> brightness(3200, 120);
        writer.writeProfile16(payloads[p], 1, static_cast<uint32_t>(p), raw.data(), 3200, brightness.data());
    }

    const int rate = 2000;
    long produced = 0;
    long backlogMax = 0;
    double seconds = 0;
    for (auto _ : state) {
        std::atomic<bool> done{false};
        const long before = processed;
        const auto start = std::chrono::steady_clock::now();
        std::thread producer([&] {
            for (int i = 0; i < rate; ++i) {
                std::this_thread::sleep_until(start + std::chrono::microseconds(1000000 / rate) * i);
                Control::postImage(key, 1, static_cast<uint32_t>(i), 3200, 1, NuvPixelFormat::Coord3D_C16,
                                   payloads[static_cast<size_t>(i) % payloads.size()]);
            }
            done = true;
        });
        while (!done)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
        producer.join();
        const auto end = std::chrono::steady_clock::now();
        // Whatever the GUI has not shown when the producer stops is the backlog of this second.
        backlogMax = std::max(backlogMax, static_cast<long>(rate) - (processed - before));
        produced += rate;
        seconds += std::chrono::duration<double>(end - start).count();
        // Let the queue drain before the next second so backlogs do not add up unseen.
        Control::waitIdle();
        while (processed - before < rate)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
    }
    state.counters["produced_per_s"] = produced / seconds;
    state.counters["processed_ratio"] = static_cast<double>(processed) / produced;
    state.counters["backlog_at_end_of_second"] = static_cast<double>(backlogMax);
    delete viewer;
    Control::reset();
}
BENCHMARK(BM_ProfileStream2000PerSecond)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("NUV3D_DISABLE_OPENGL", "1");
    QApplication app(argc, argv);
    Control::installPayloadEncoder();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
