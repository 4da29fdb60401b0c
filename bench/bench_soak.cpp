// SPDX-License-Identifier: Apache-2.0
// Soak: both simulated cameras stream into the viewer (the profiler in contour mode next to the
// area-scan camera in 2D, then the profiler in 3D), bound and unbound once a period for the soak's
// length, then many fast bind/unbind cycles. Resident memory, heap in use, threads and open file
// descriptors are taken after the first cycle and at the end; the end must stay within 5 % of the
// first cycle's resident memory with the same threads and descriptors. Not a CTest test: a full
// run takes about 13 minutes.
//
//   bench_soak [--soak-seconds 600] [--period-seconds 30] [--fast-cycles 1000] [--glibc-defaults]
//
// Like the nuvviewer application, the soak fixes glibc's mmap threshold at 512 KiB, so frame-sized
// blocks are mapped and unmapped whole instead of fragmenting the per-thread arenas (glibc raises
// its threshold on every large free, after which frames freed on other threads stay in the arenas
// as free memory no trim returns); --glibc-defaults leaves the allocator as glibc sets it.
//
// Exit status 0 when the goal holds, 1 when it does not, 2 when the viewer stopped responding.
#include <malloc.h>

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QSignalSpy>
#include <QWidget>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "NuvViewerImageWnd.h"
#include "ZavizoZoz3.h"
#include "ZavizoZoz3Control.h"

namespace Control = ZavizoZoz3::Control;

namespace {

// What the process holds at one point of the run, read from /proc/self and the allocator.
struct Figures {
    double rssMiB = 0;
    double rssAnonMiB = 0;   // the part of RSS that is anonymous memory (heap, stacks, private maps)
    double heapMiB = 0;      // bytes handed out by malloc and not freed, over all arenas
    double heapFreeMiB = 0;  // freed bytes the allocator keeps in its arenas
    int threads = 0;
    int fds = 0;
    QMap<QString, int> threadNames;  // comm of every thread, counted
    QMap<QString, int> fdTargets;    // what every descriptor points at, counted
};

QString readText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.readAll()) : QString();
}

Figures takeFigures() {
    Figures f;
    const QString status = readText(QStringLiteral("/proc/self/status"));
    for (const QString& line : status.split(QLatin1Char('\n'))) {
        const QStringList parts = line.simplified().split(QLatin1Char(' '));
        if (parts.size() < 2) continue;
        if (parts[0] == QLatin1String("VmRSS:")) f.rssMiB = parts[1].toDouble() / 1024.0;
        if (parts[0] == QLatin1String("RssAnon:")) f.rssAnonMiB = parts[1].toDouble() / 1024.0;
    }
    const struct mallinfo2 heap = mallinfo2();
    f.heapMiB = static_cast<double>(heap.uordblks + heap.hblkhd) / (1024.0 * 1024.0);
    f.heapFreeMiB = static_cast<double>(heap.fordblks) / (1024.0 * 1024.0);
    const QDir tasks(QStringLiteral("/proc/self/task"));
    for (const QString& tid : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        ++f.threads;
        ++f.threadNames[readText(tasks.filePath(tid + QStringLiteral("/comm"))).trimmed()];
    }
    // The listing's own descriptor is among them; it is there every time.
    const QDir fds(QStringLiteral("/proc/self/fd"));
    for (const QString& fd :
         fds.entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot)) {
        ++f.fds;
        QString target = QFile::symLinkTarget(fds.filePath(fd));
        // Pipes and sockets differ only by their inode; what matters is how many of each kind.
        const int bracket = target.indexOf(QLatin1Char('['));
        if (bracket >= 0) target = target.left(bracket);
        ++f.fdTargets[target.isEmpty() ? QStringLiteral("?") : target];
    }
    return f;
}

void printDifference(const char* what, const QMap<QString, int>& first, const QMap<QString, int>& end) {
    QMap<QString, int> all = first;
    for (auto it = end.cbegin(); it != end.cend(); ++it)
        all.insert(it.key(), 0);
    for (auto it = all.cbegin(); it != all.cend(); ++it) {
        const int a = first.value(it.key()), b = end.value(it.key());
        if (a != b) std::printf("  %s %-32s %3d -> %3d\n", what, qPrintable(it.key()), a, b);
    }
}

// Drives the viewer as a host does: the exported calls of NuvViewerImageWnd for the panes, the
// business layer for the cameras.
class SoakHost {
public:
    SoakHost() {
        m_host.resize(1280, 800);
        m_viewer = new NuvViewerImageWnd(&m_host);
        m_host.show();
        // Both cameras' panes on screen, so both are drawn.
        m_viewer->setWndLayout(NuvViewerImageWnd::Layout1x2);
        Control::installPayloadEncoder();
        Control::setRoiDrawScheduler([]() {
            QMetaObject::invokeMethod(
                qApp, []() { Control::deliverRoiDraws(); }, Qt::QueuedConnection);
        });
        m_profiler = Control::addCamera(Control::CameraKind::LaserProfiler, "LP-3200");
        m_areaScan = Control::addCamera(Control::CameraKind::AreaScan, "AS-2048");
    }
    ~SoakHost() {
        delete m_viewer;
        Control::reset();
    }

    // One period: bound, both streaming with the profiler in contour mode for the first half and in
    // 3D for the second, then unbound.
    bool slowCycle(qint64 periodMs) {
        if (!bind() || !startProfiler(1)) return false;
        ZavizoZoz3::StartGrab(m_areaScan);
        Control::postDeviceList(1);
        if (!settle()) return false;
        pump(periodMs / 2);
        ZavizoZoz3::StopGrab(m_profiler);
        Control::postDeviceList(1);
        if (!settle()) return false;
        if (!startProfiler(2)) return false;
        Control::postDeviceList(1);
        if (!settle()) return false;
        pump(periodMs - periodMs / 2);
        if (!framesShown(m_areaScan) || !framesShown(m_profiler)) {
            std::fprintf(stderr, "bench_soak: a camera showed no frame in its pane\n");
            return false;
        }
        return unbind();
    }

    // Bound, both started (the profiler alternately in contour mode and in 3D) and at once unbound,
    // so frames are still on their way while the panes let go.
    bool fastCycle(int index) {
        if (!bind() || !startProfiler(index % 2 == 0 ? 1 : 2)) return false;
        ZavizoZoz3::StartGrab(m_areaScan);
        Control::postDeviceList(1);
        if (!settle()) return false;
        return unbind();
    }

    // Lets everything queued reach its receiver and deferred deletions run, then idles for a second
    // as a host's event loop would between user actions (the viewer's deferred clean-up runs there).
    bool quiesce() {
        if (!settle()) return false;
        pump(1000);
        return true;
    }

private:
    bool bind() {
        QSignalSpy bound(m_viewer, &NuvViewerImageWnd::dropWndSuccess);
        for (const std::string& key : {m_profiler, m_areaScan}) {
            Control::setConnected(key, true);
            Control::setOpen(key, true);
        }
        Control::postDeviceList(1);
        if (!waitFor([this]() { return holds(m_profiler) && holds(m_areaScan); })) {
            std::fprintf(stderr, "bench_soak: the cameras were not bound to panes\n");
            return false;
        }
        // As the demo does: the area-scan camera's pane shows the 2D view; the profiler keeps the
        // profiler view every pane starts with, unless its pane kept a 2D view from earlier (only a
        // pane in 2D hands out its picture).
        for (const QVariantList& args : qAsConst(bound)) {
            const int pane = args.at(0).toInt();
            QString title;
            m_viewer->getImageWndTitle(pane, &title);
            const bool area =
                ZavizoZoz3::GetCameraInfo(title.toStdString(), ZavizoZoz3::CAM_INFO_DEVICE_KIND) ==
                ZavizoZoz3::kDeviceKindAreaScan;
            QImage picture;
            const bool in2D = m_viewer->get2DImage(pane, &picture) == 0;
            if (area && !in2D) m_viewer->setImageWndMode(pane, NuvViewerImageWnd::Mode2D);
            if (!area && in2D) m_viewer->setImageWndMode(pane, NuvViewerImageWnd::Mode3D);
            if (!area) Control::raiseRoiDraws(title.toStdString());
        }
        return true;
    }

    bool unbind() {
        // Disconnecting stops acquisition and closes the camera; the device list releases the panes.
        for (const std::string& key : {m_profiler, m_areaScan})
            Control::setConnected(key, false);
        Control::postDeviceList(1);
        if (!waitFor([this]() { return !holds(m_profiler) && !holds(m_areaScan); })) {
            std::fprintf(stderr, "bench_soak: the panes did not let the cameras go\n");
            return false;
        }
        return true;
    }

    // The camera's image mode is the business layer's; the import event makes the pane follow it.
    bool startProfiler(int imageMode) {
        ZavizoZoz3::SetCameraImageMode(m_profiler, imageMode, true);
        Control::postImport(m_profiler);
        if (!settle()) return false;
        // A scan needs its buffers sized from the camera before the first batch arrives.
        if (imageMode == 2) m_viewer->initRangeImageDisplay(QString::fromStdString(m_profiler));
        ZavizoZoz3::StartGrab(m_profiler);
        return true;
    }

    bool holds(const std::string& key) const {
        NuvViewerImageWnd::StreamHealth health;
        return m_viewer->getStreamHealth(QString::fromStdString(key), &health) == 0;
    }

    bool framesShown(const std::string& key) const {
        NuvViewerImageWnd::StreamHealth health;
        return m_viewer->getStreamHealth(QString::fromStdString(key), &health) == 0 && health.framesShown > 0;
    }

    // What one turn of a host's event loop does; deleteLater() only takes effect inside exec(),
    // which this program does not run.
    static void processEvents(int maxMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, maxMs);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    template <typename Condition>
    static bool waitFor(Condition done, int timeoutMs = 10000) {
        QElapsedTimer timer;
        timer.start();
        while (!done()) {
            if (timer.elapsed() > timeoutMs) return false;
            processEvents(5);
        }
        return true;
    }

    // Returns once every business-layer event posted so far has been delivered and its queued
    // signal handled on this thread. The GUI keeps running meanwhile: the device-list listener
    // waits for this thread to finish its update.
    static bool settle() {
        auto reached = std::make_shared<std::atomic<bool>>(false);
        Control::post([reached]() { *reached = true; });
        if (!waitFor([reached]() { return reached->load(); })) {
            std::fprintf(stderr, "bench_soak: the business layer's events stopped\n");
            return false;
        }
        QCoreApplication::sendPostedEvents();
        processEvents(0);
        return true;
    }

    static void pump(qint64 ms) {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < ms)
            processEvents(20);
    }

    QWidget m_host;
    NuvViewerImageWnd* m_viewer = nullptr;
    std::string m_profiler;
    std::string m_areaScan;
};

void progress(const char* what, int done, int total, const QElapsedTimer& clock) {
    const Figures f = takeFigures();
    std::fprintf(stderr,
                 "%s %d/%d at %.0f s: RSS %.1f MiB (%.1f anonymous), heap %.1f MiB in use, %.1f MiB free in "
                 "arenas\n",
                 what, done, total, clock.elapsed() / 1000.0, f.rssMiB, f.rssAnonMiB, f.heapMiB,
                 f.heapFreeMiB);
}

void printRow(const char* point, const Figures& f) {
    std::printf("%-28s %9.1f %9.1f %8d %6d\n", point, f.rssMiB, f.heapMiB, f.threads, f.fds);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        qputenv("NUV3D_DISABLE_OPENGL", "1");
    }
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Soak of the viewer with both simulated cameras"));
    parser.addHelpOption();
    const QCommandLineOption soak(QStringLiteral("soak-seconds"),
                                  QStringLiteral("Length of the streaming part (600)."), QStringLiteral("S"),
                                  QStringLiteral("600"));
    const QCommandLineOption period(QStringLiteral("period-seconds"),
                                    QStringLiteral("Bind and unbind once every S seconds (30)."),
                                    QStringLiteral("S"), QStringLiteral("30"));
    const QCommandLineOption fast(QStringLiteral("fast-cycles"),
                                  QStringLiteral("Fast bind/unbind cycles at the end (1000)."),
                                  QStringLiteral("N"), QStringLiteral("1000"));
    const QCommandLineOption glibcDefaults(QStringLiteral("glibc-defaults"),
                                           QStringLiteral("Keep glibc's dynamic mmap threshold."));
    parser.addOptions({soak, period, fast, glibcDefaults});
    parser.process(app);
    if (!parser.isSet(glibcDefaults)) mallopt(M_MMAP_THRESHOLD, 512 * 1024);
    const double periodSeconds = parser.value(period).toDouble();
    const double soakSeconds = parser.value(soak).toDouble();
    const int fastCycles = parser.value(fast).toInt();
    if (!(periodSeconds >= 1) || !(soakSeconds >= periodSeconds) || fastCycles < 0) {
        std::fprintf(stderr,
                     "bench_soak: need --period-seconds >= 1, --soak-seconds >= the period and "
                     "--fast-cycles >= 0\n");
        return 2;
    }
    const int slowCycles = static_cast<int>(soakSeconds / periodSeconds);
    const auto periodMs = static_cast<qint64>(periodSeconds * 1000);

    std::printf(
        "bench_soak: %d cycles of %.0f s (profiler contour + area scan 2D, then profiler 3D), "
        "then %d fast bind/unbind cycles; platform %s; %s\n",
        slowCycles, periodSeconds, fastCycles, qPrintable(QGuiApplication::platformName()),
        parser.isSet(glibcDefaults) ? "glibc's allocator defaults" : "mmap threshold 512 KiB");
    std::fflush(stdout);

    Figures first, slow, end;
    {
        SoakHost host;
        QElapsedTimer clock;
        clock.start();
        for (int cycle = 0; cycle < slowCycles; ++cycle) {
            if (!host.slowCycle(periodMs) || !host.quiesce()) return 2;
            if (cycle == 0) first = takeFigures();
            progress("cycle", cycle + 1, slowCycles, clock);
        }
        slow = takeFigures();
        for (int cycle = 0; cycle < fastCycles; ++cycle) {
            if (!host.fastCycle(cycle)) return 2;
            if ((cycle + 1) % 100 == 0) {
                if (!host.quiesce()) return 2;
                progress("fast cycle", cycle + 1, fastCycles, clock);
            }
        }
        if (!host.quiesce()) return 2;
        end = takeFigures();
    }

    std::printf("\n%-28s %9s %9s %8s %6s\n", "point", "RSS MiB", "heap MiB", "threads", "fds");
    printRow("after first cycle", first);
    printRow("after slow cycles", slow);
    printRow("end (after fast cycles)", end);
    std::printf("%-28s %9.3f %9.3f %8.2f %6.2f\n", "ratio end / first cycle", end.rssMiB / first.rssMiB,
                end.heapMiB / first.heapMiB, static_cast<double>(end.threads) / first.threads,
                static_cast<double>(end.fds) / first.fds);
    printDifference("thread", first.threadNames, end.threadNames);
    printDifference("fd", first.fdTargets, end.fdTargets);
    const bool pass =
        end.rssMiB <= first.rssMiB * 1.05 && end.threads == first.threads && end.fds == first.fds;
    std::printf("goal (RSS within 5 %%, equal threads and descriptors): %s\n", pass ? "met" : "NOT met");
    return pass ? 0 : 1;
}
