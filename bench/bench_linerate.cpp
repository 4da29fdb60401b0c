// SPDX-License-Identifier: Apache-2.0
// Line rate: a profiler pane in 3D mode (range, grey and 3D pages live, the 3D page on screen) fed
// with pre-encoded range batches of 100 lines x 3200 points, posted on the business layer's thread
// at 10, 20, 40 and 64 kHz for a fixed time each. Per rate: lines processed (converted into the
// pane's buffers, pages and 3D window) against lines produced, the backlog at the end of each
// second, the longest stall of the GUI thread, CPU seconds per second of the viewer's threads (every
// thread but the producer's), RSS, and how far the 3D page thinned lines to keep up. Then the
// simulated profiler's own cost per batch (rendering and payload encoding at 64,000 lines/s) against
// the viewer's. Prints the highest rate that held: processed = produced and a flat backlog.
//
//   bench_linerate [--seconds 10] [--rates 10000,20000,40000,64000] [--lines 20000]
//
// Columns: lines produced; lines processed (converted and handed to the 3D window, thinned or not,
// when the producer stopped) and after two more seconds (drained); the longest GUI-thread stall;
// CPU seconds per second and CPU ms per batch of every thread but the producer's; RSS; points the
// 3D window holds against the lines processed (below 1: thinned); the largest line thinning; live
// page redraws per second; the backlog (produced - processed) at the end of each second. A rate
// holds when everything produced was processed and the backlog stayed flat.
//
// With a display (xvfb-run) the 3D page draws with OpenGL; without one the pane runs offscreen and
// the 3D window takes the points without drawing them. Not a CTest test.
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include "Image3DWnd.h"
#include "ImageWnd.h"
#include "ImageWndManager.h"
#include "LaserPayloadEncoder.h"
#include "LaserScene.h"
#include "LiveRangePages.h"
#include "Nuv3DGraphics.h"
#include "Nuv3DPointBuffer.h"
#include "Nuv3DRegistry.h"
#include "Nuv3DWindow.h"
#include "NuvPayloadFormat.h"
#include "NuvPixelFormat.h"
#include "NuvViewerImageWnd.h"
#include "RangeStreamer.h"
#include "ZavizoZoz3.h"
#include "ZavizoZoz3Control.h"

namespace Control = ZavizoZoz3::Control;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kPoints = 3200;
constexpr int kLinesPerBatch = 100;

QString readText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.readAll()) : QString();
}

double statusMiB(const char* field) {
    for (const QString& line : readText(QStringLiteral("/proc/self/status")).split(QLatin1Char('\n'))) {
        const QStringList parts = line.simplified().split(QLatin1Char(' '));
        if (parts.size() >= 2 && parts[0] == QLatin1String(field)) return parts[1].toDouble() / 1024.0;
    }
    return 0;
}

// CPU seconds used so far by every thread of the process except `excluded`.
double cpuSecondsExcept(long excluded) {
    const double tick = static_cast<double>(sysconf(_SC_CLK_TCK));
    double seconds = 0;
    const QDir tasks(QStringLiteral("/proc/self/task"));
    for (const QString& tid : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (tid.toLong() == excluded) continue;
        const QString stat = readText(tasks.filePath(tid + QStringLiteral("/stat")));
        // Fields after the command (which may hold spaces): state is field 3, utime 14, stime 15.
        const QStringList f = stat.mid(stat.lastIndexOf(QLatin1Char(')')) + 2).split(QLatin1Char(' '));
        if (f.size() > 12) seconds += (f[11].toDouble() + f[12].toDouble()) / tick;
    }
    return seconds;
}

double threadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

void processEvents(int ms) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, ms);
}

template <class Condition>
bool waitFor(Condition done, int timeoutMs = 10000) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs) return false;
        processEvents(5);
    }
    return true;
}

bool settle() {
    auto reached = std::make_shared<std::atomic<bool>>(false);
    Control::post([reached]() { *reached = true; });
    if (!waitFor([reached]() { return reached->load(); })) return false;
    QCoreApplication::sendPostedEvents();
    processEvents(0);
    return true;
}

// One period of the simulated scene as range batches, encoded once; the producer stamps each
// post with its place in the scan.
std::vector<std::vector<uint8_t>> encodeBatches() {
    ZavizoZoz3::LaserScene scene(kPoints, 0.01, 0.05);
    const int batches = std::max(1, scene.periodProfiles() / kLinesPerBatch);
    std::vector<std::vector<uint8_t>> payloads(static_cast<size_t>(batches));
    std::vector<float> heights;
    std::vector<uint8_t> brightness;
    for (int b = 0; b < batches; ++b) {
        ZavizoZoz3::SimulatedFrame frame;
        frame.laserProfiler = true;
        frame.imageMode = 2;
        frame.pointsPerLine = kPoints;
        frame.lineCount = kLinesPerBatch;
        frame.scaler = 32000.0;
        frame.xIntervalUm = 10.0;
        frame.linesPerBatch = kLinesPerBatch;
        for (int line = 0; line < kLinesPerBatch; ++line) {
            scene.profile(static_cast<uint64_t>(b * kLinesPerBatch + line), heights, brightness);
            frame.heights.insert(frame.heights.end(), heights.begin(), heights.end());
            frame.brightness.insert(frame.brightness.end(), brightness.begin(), brightness.end());
        }
        ZavizoZoz3::EncodedFrame encoded;
        ZavizoZoz3::LaserPayloadEncoder::encode(frame, encoded);
        payloads[static_cast<size_t>(b)] = std::move(encoded.bytes);
    }
    return payloads;
}

void stamp(std::vector<uint8_t>& payload, uint64_t imageId, uint32_t batch, bool isEnd) {
    namespace F = NuvPayloadFormat;
    payload[F::kOffEndFlag] = isEnd ? 1 : 0;
    std::memcpy(payload.data() + F::kOffFrameNumber, &batch, sizeof batch);  // little-endian host
    std::memcpy(payload.data() + F::kOffImageId, &imageId, sizeof imageId);
}

struct RateResult {
    int rate = 0;
    double seconds = 0;
    long produced = 0;
    long processed = 0;  // rows converted and appended when the producer stopped
    long processedAfterDrain = 0;
    std::vector<long> backlog;  // lines produced but not processed at the end of each second
    double longestStallMs = 0;
    double cpuPerSecond = 0;
    double cpuMsPerBatch = 0;
    double rssMiB = 0;
    double pointsShownRatio = 0;  // 3D points held / points of the rows processed
    int thinning = 1;             // largest line thinning of the 3D page during the run
    int pageRedraws = 0;
    bool holds() const {
        if (processedAfterDrain != produced || backlog.size() < 2) return false;
        // Flat: the backlog does not grow. Scan ends leave a periodic bump (the finished scan goes
        // to its pages), so the peak of the second half must not exceed the first half's by more
        // than one batch.
        const auto middle = backlog.begin() + static_cast<std::ptrdiff_t>(backlog.size() / 2);
        const long firstPeak = *std::max_element(backlog.begin(), middle);
        const long secondPeak = *std::max_element(middle, backlog.end());
        return secondPeak <= firstPeak + kLinesPerBatch;
    }
};

class LineRateBench {
public:
    LineRateBench(int scanLines) : m_scanLines(scanLines) {
        m_host.resize(1280, 800);
        m_viewer = new NuvViewerImageWnd(&m_host);
        m_host.show();
        m_key = Control::addCamera(Control::CameraKind::LaserProfiler, "LP-3200");
    }
    ~LineRateBench() {
        delete m_viewer;
        Control::reset();
    }

    bool setUp() {
        Control::setConnected(m_key, true);
        Control::setOpen(m_key, true);
        QSignalSpy bound(m_viewer, &NuvViewerImageWnd::dropWndSuccess);
        Control::postDeviceList(1);
        if (!waitFor([&] { return bound.count() > 0; })) return false;
        m_pane = qobject_cast<ImageWndManager*>(m_viewer->manager())->pane(bound.at(0).at(0).toInt());
        ZavizoZoz3::SetCameraNodeValue(m_key, "AcquisitionLineCount", std::to_string(m_scanLines));
        ZavizoZoz3::SetCameraNodeValue(m_key, "BatchNumber", std::to_string(kLinesPerBatch));
        ZavizoZoz3::SetCameraImageMode(m_key, 2, true);
        Control::postImport(m_key);
        if (!settle()) return false;
        m_viewer->initRangeImageDisplay(QString::fromStdString(m_key));
        Image3DWnd* view = m_pane->view3D();
        view->btn3DMode->click();
        view->btn3DShow->click();
        if (!settle()) return false;
        m_streamer = m_pane->rangeStreamer();
        if (!m_streamer || m_streamer->totalLines() != m_scanLines) return false;
        m_streamer->setAppendObserver([this](int first, int last) { m_processed += last - first + 1; });
        m_payloads = encodeBatches();
        return true;
    }

    bool openGL() const {
        Nuv3DWindow* window = Nuv3DRegistry::instance().window(m_pane->view3D()->window3D());
        return window && window->view() && !window->showsUnavailableMessage();
    }

    RateResult run(int rate, double seconds) {
        RateResult r;
        r.rate = rate;
        const double batchesPerSecond = static_cast<double>(rate) / kLinesPerBatch;
        const long batches = std::lround(batchesPerSecond * seconds);
        const int batchesPerScan = (m_scanLines + kLinesPerBatch - 1) / kLinesPerBatch;
        const int64_t window = m_pane->view3D()->window3D();
        const auto points = Nuv3DRegistry::instance().buffer(window);
        std::atomic<bool> done{false};
        std::atomic<long> tid{0};
        std::atomic<long> produced{0};
        std::mutex backlogMutex;  // guards r.backlog
        const long processedBefore = m_processed;
        const uint64_t firstImage = ++m_imageId;
        m_imageId += static_cast<uint64_t>(batches / batchesPerScan + 1);
        const auto start = Clock::now();
        std::thread producer([&] {
            tid = static_cast<long>(syscall(SYS_gettid));
            std::vector<uint8_t> payload;
            int second = 1;
            for (long i = 0; i < batches; ++i) {
                const auto due = start + std::chrono::duration_cast<Clock::duration>(
                                             std::chrono::duration<double>(i / batchesPerSecond));
                std::this_thread::sleep_until(due);
                if (i >= static_cast<long>(second * batchesPerSecond)) {
                    std::lock_guard<std::mutex> lock(backlogMutex);
                    r.backlog.push_back(produced - (m_processed - processedBefore));
                    ++second;
                }
                const int batch = static_cast<int>(i % batchesPerScan);
                const uint64_t image = firstImage + static_cast<uint64_t>(i / batchesPerScan);
                payload = m_payloads[static_cast<size_t>(i) % m_payloads.size()];
                const int lines = RangeStreamer::linesOfBatch(batch, m_scanLines, kLinesPerBatch);
                if (lines != kLinesPerBatch) continue;  // scans are whole batches here
                stamp(payload, image, static_cast<uint32_t>(batch), batch == batchesPerScan - 1);
                Control::postImage(m_key, 2, static_cast<uint32_t>(batch), kPoints, kLinesPerBatch,
                                   NuvPixelFormat::Coord3D_C16, payload);
                produced += kLinesPerBatch;
            }
            std::this_thread::sleep_until(
                start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds)));
            std::lock_guard<std::mutex> lock(backlogMutex);
            r.backlog.push_back(produced - (m_processed - processedBefore));
            done = true;
        });
        while (tid == 0)
            std::this_thread::yield();
        const double cpuBefore = cpuSecondsExcept(tid);
        // The GUI thread runs its event loop; a 5 ms timer finds the longest time it was away.
        QElapsedTimer sinceTick;
        sinceTick.start();
        qint64 longest = 0;
        QTimer tick;
        tick.setInterval(5);
        QObject::connect(&tick, &QTimer::timeout, [&] {
            longest = std::max(longest, sinceTick.restart() - 5);
            r.thinning = std::max(r.thinning, m_streamer->lineThinning());
        });
        int redraws = 0;
        int lastShown = m_pane->view3D()->livePages()->rowsShown();
        QTimer pages;
        pages.setInterval(2);  // twice the display rate's finest step, so no repaint is missed at 60/s
        QObject::connect(&pages, &QTimer::timeout, [&] {
            const int shown = m_pane->view3D()->livePages()->rowsShown();
            redraws += shown != lastShown;
            lastShown = shown;
        });
        tick.start();
        pages.start();
        // A host's event loop sleeps until something arrives; spinning here would charge a whole
        // core to the viewer.
        QEventLoop loop;
        QTimer finished;
        finished.setInterval(10);
        QObject::connect(&finished, &QTimer::timeout, [&] {
            if (done) loop.quit();
        });
        finished.start();
        loop.exec();
        const double wall = std::chrono::duration<double>(Clock::now() - start).count();
        const double cpu = cpuSecondsExcept(tid) - cpuBefore;
        r.processed = m_processed - processedBefore;
        producer.join();
        // What is still on its way gets two more seconds.
        QElapsedTimer drain;
        drain.start();
        while (m_processed - processedBefore < produced && drain.elapsed() < 2000)
            processEvents(5);
        tick.stop();
        pages.stop();
        r.processedAfterDrain = m_processed - processedBefore;
        r.produced = produced;
        r.seconds = wall;
        r.longestStallMs = static_cast<double>(longest);
        r.cpuPerSecond = cpu / wall;
        r.cpuMsPerBatch =
            r.processed > 0 ? 1000.0 * cpu / (static_cast<double>(r.processed) / kLinesPerBatch) : 0;
        r.rssMiB = statusMiB("VmRSS:");
        r.pageRedraws = redraws;
        const int last = m_streamer->lastRowAppended();
        const int ratio = points ? points->effectiveSamplingRatio() : 1;
        if (points && last >= 0) {
            const double expected =
                static_cast<double>((last + ratio) / ratio) * ((kPoints + ratio - 1) / ratio);
            r.pointsShownRatio = static_cast<double>(points->pointCount()) / expected;
        }
        return r;
    }

    void dropCamera() {
        m_streamer->setAppendObserver(nullptr);
        Control::setConnected(m_key, false);
        Control::postDeviceList(1);
        settle();
    }

private:
    QWidget m_host;
    NuvViewerImageWnd* m_viewer = nullptr;
    ImageWnd* m_pane = nullptr;
    std::string m_key;
    std::shared_ptr<RangeStreamer> m_streamer;
    std::vector<std::vector<uint8_t>> m_payloads;
    std::atomic<long> m_processed{0};
    uint64_t m_imageId = 0;
    const int m_scanLines;
};

// The simulated profiler alone at 64,000 lines/s with the payload encoder the viewer uses: CPU of its
// acquisition thread per batch (the cycled scene rows encoded and sent), steady state, taken by an
// image listener (called on that thread) that gives each payload straight back.
double simulatorMsPerBatch(double seconds) {
    // After a full period of the scene (2400 lines) every row is encoded: steady state from there.
    constexpr int kWarmUpBatches = 30;
    class Probe final : public ZavizoZoz3::IImageUpdate {
    public:
        void notify(std::string, ZavizoZoz3::AcqBuffer* payload, uint32_t kind, uint32_t) override {
            payload->release();
            if (kind != 2) return;
            const double cpu = threadCpuSeconds();
            std::lock_guard<std::mutex> lock(mutex);
            if (++calls == kWarmUpBatches) firstCpu = cpu;
            if (calls > kWarmUpBatches) {
                lastCpu = cpu;
                ++measured;
            }
        }
        std::mutex mutex;  // guards the fields below
        int calls = 0;
        double firstCpu = 0;
        double lastCpu = 0;
        int measured = 0;
    };
    Probe probe;
    ZavizoZoz3::RegisterImageUpdateListener("bench", &probe);
    const std::string key = Control::addCamera(Control::CameraKind::LaserProfiler, "SIM");
    Control::setConnected(key, true);
    Control::setOpen(key, true);
    ZavizoZoz3::SetCameraNodeValue(key, "AcquisitionLineCount", "50000");
    ZavizoZoz3::SetCameraNodeValue(key, "BatchNumber", std::to_string(kLinesPerBatch));
    ZavizoZoz3::SetCameraImageMode(key, 2, true);
    Control::setFrameRate(key, 64000.0);
    ZavizoZoz3::StartGrab(key);
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    ZavizoZoz3::StopGrab(key);
    ZavizoZoz3::UnRegisterImageUpdateListener("bench", &probe);
    Control::removeCamera(key);
    std::lock_guard<std::mutex> lock(probe.mutex);
    return probe.measured > 0 ? 1000.0 * (probe.lastCpu - probe.firstCpu) / probe.measured : 0;
}

}  // namespace

int main(int argc, char** argv) {
    const bool display = !qEnvironmentVariableIsEmpty("DISPLAY");
    if (!display) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        qputenv("NUV3D_DISABLE_OPENGL", "1");
    }
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption secondsOption(QStringLiteral("seconds"), QStringLiteral("Seconds per rate."),
                                           QStringLiteral("s"), QStringLiteral("10"));
    const QCommandLineOption ratesOption(QStringLiteral("rates"), QStringLiteral("Line rates (lines/s)."),
                                         QStringLiteral("list"), QStringLiteral("10000,20000,40000,64000"));
    const QCommandLineOption linesOption(QStringLiteral("lines"), QStringLiteral("Lines per scan."),
                                         QStringLiteral("n"), QStringLiteral("20000"));
    parser.addOptions({secondsOption, ratesOption, linesOption});
    parser.process(app);
    const double seconds = std::max(1.0, parser.value(secondsOption).toDouble());
    const int scanLines = std::clamp(parser.value(linesOption).toInt(), kLinesPerBatch, 50000);
    std::vector<int> rates;
    for (const QString& r : parser.value(ratesOption).split(QLatin1Char(','), Qt::SkipEmptyParts))
        if (r.toInt() > 0) rates.push_back(r.toInt());

    double loads[3] = {0, 0, 0};
    getloadavg(loads, 3);
    std::printf(
        "bench_linerate: %d-line scans of %d x %d-point batches, %.0f s per rate, load average %.2f %.2f "
        "%.2f\n",
        scanLines, kLinesPerBatch, kPoints, seconds, loads[0], loads[1], loads[2]);
    std::vector<RateResult> results;
    {
        LineRateBench bench(scanLines);
        if (!bench.setUp()) {
            std::fprintf(stderr, "bench_linerate: the profiler pane could not be set up\n");
            return 2;
        }
        std::printf("3D page: %s\n", bench.openGL() ? "OpenGL" : "no OpenGL (points kept, not drawn)");
        std::printf("%8s %9s %9s %9s %8s %9s %9s %8s %7s %6s %6s  %s\n", "rate", "produced", "processed",
                    "drained", "stall_ms", "cpu_s/s", "cpu_ms/b", "rss_MiB", "pts_3D", "thin", "pages",
                    "backlog at the end of each second (lines)");
        for (int rate : rates) {
            const RateResult r = bench.run(rate, seconds);
            results.push_back(r);
            QString backlog;
            for (long b : r.backlog)
                backlog += QString::number(b) + QLatin1Char(' ');
            std::printf("%8d %9ld %9ld %9ld %8.0f %9.2f %9.2f %8.0f %7.3f %6d %6.1f  %s%s\n", r.rate,
                        r.produced, r.processed, r.processedAfterDrain, r.longestStallMs, r.cpuPerSecond,
                        r.cpuMsPerBatch, r.rssMiB, r.pointsShownRatio, r.thinning, r.pageRedraws / r.seconds,
                        qPrintable(backlog), r.holds() ? "" : " (does not hold)");
            std::fflush(stdout);
        }
        bench.dropCamera();
    }
    Control::installPayloadEncoder();
    const double simulatorMs = simulatorMsPerBatch(std::min(seconds, 3.0));
    int best = 0;
    double viewerMs = 0;
    for (const RateResult& r : results) {
        if (r.holds()) best = std::max(best, r.rate);
        if (r.rate == 20000 || viewerMs == 0) viewerMs = r.cpuMsPerBatch;
    }
    std::printf(
        "simulated profiler at 64000 lines/s: %.3f ms CPU per batch (render + encode), %.3f of the "
        "viewer's %.2f ms per batch\n",
        simulatorMs, viewerMs > 0 ? simulatorMs / viewerMs : 0.0, viewerMs);
    std::printf("highest rate with processed = produced and a flat backlog: %d lines/s\n", best);
    return 0;
}
