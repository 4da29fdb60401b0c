// SPDX-License-Identifier: Apache-2.0
// Listener delivery, acquisition threads, buffers, reset and concurrent use of the in-process
// business layer.
#include <unistd.h>

#include <QDir>
#include <QtTest>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "NuvPixelFormat.h"
#include "TestSupport.h"
#include "ZavizoZoz3.h"
#include "ZavizoZoz3Control.h"

using namespace ZavizoZoz3;
using Control::CameraKind;

Q_DECLARE_METATYPE(CameraKind)

using TestSupport::connectedCamera;

namespace {

// Records every callback of the ten event interfaces as text, with the calling thread.
class EventRecorder final : public IDeviceListUpdate,
                            public IFocusUpdate,
                            public ILayoutUpdate,
                            public ICameraIdUpdate,
                            public ILangUpdate,
                            public ICorrectionUpdate,
                            public IImportUpdate,
                            public IImageModeUpdate,
                            public ISLImageShowModeUpdate {
public:
    void notify(int source, std::vector<std::string> cards, std::vector<std::string> cams) override {
        std::string text = "devices " + std::to_string(source);
        for (const auto& c : cards)
            text += " card:" + c;
        for (const auto& c : cams)
            text += " cam:" + c;
        add(text);
    }
    void notify(FOCUS_TYPE type, std::string id) override { add("focus " + std::to_string(type) + " " + id); }
    void notify(LAYOUT_TYPE type) override { add("layout " + std::to_string(type)); }
    void notify(const std::string& src, const std::string& dst) override { add("id " + src + ">" + dst); }
    // ILangUpdate and IImportUpdate share the signature; both land here.
    void notify(std::string text) override { add("text " + text); }
    void notify(std::string id, int type, float value, void* ext) override {
        add("correction " + id + " " + std::to_string(type) + " " + std::to_string(value) +
            (ext ? " ext" : " null"));
    }
    // IImageModeUpdate and ISLImageShowModeUpdate share the signature; both land here.
    void notify(std::string id, int mode) override { add("mode " + id + " " + std::to_string(mode)); }

    std::vector<std::string> lines() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_lines;
    }
    std::vector<std::thread::id> threads() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_threads;
    }

private:
    void add(const std::string& line) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_lines.push_back(line);
        m_threads.push_back(std::this_thread::get_id());
    }
    mutable std::mutex m_mutex;  // guards m_lines and m_threads
    std::vector<std::string> m_lines;
    std::vector<std::thread::id> m_threads;
};

struct FrameRecord {
    std::string key;
    uint32_t kind, extra;
    int width, height;
    uint32_t format;
    size_t size;
    std::thread::id thread;
    bool valid;
    uint8_t firstByte;
    pid_t kernelThread;  // unlike std::thread::id, never the same for a thread started after another ended
    int64_t timestampNs;
};

// Image listener recording each frame; releases the buffer unless told to keep it.
class ImageRecorder final : public IImageUpdate {
public:
    explicit ImageRecorder(bool release = true) : m_release(release) {}
    void notify(std::string key, AcqBuffer* payload, uint32_t kind, uint32_t extra) override {
        if (m_afterStop.load()) m_calledAfterStop.store(true);
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_frames.push_back({key, kind, extra, payload->width(), payload->height(), payload->pixelFormat(),
                                payload->size(), std::this_thread::get_id(), payload->isValid(),
                                payload->data() ? payload->data()[0] : uint8_t(0), gettid(),
                                payload->timestampNs()});
        }
        if (m_onFrame) m_onFrame(key);
        if (m_release) payload->release();
    }
    std::vector<FrameRecord> frames() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_frames;
    }
    int count() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return static_cast<int>(m_frames.size());
    }
    std::atomic<bool> m_afterStop{false};
    std::atomic<bool> m_calledAfterStop{false};
    std::function<void(const std::string&)> m_onFrame;  // set before registering

private:
    const bool m_release;
    mutable std::mutex m_mutex;  // guards m_frames
    std::vector<FrameRecord> m_frames;
};

int processThreadCount() {
    return QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size();
}

// Registers `images` as the viewer's image listener and adds a connected, open camera for it,
// running at `rate` frames per second (0 keeps the camera's own rate).
std::string watchedCamera(ImageRecorder& images, CameraKind kind, double rate = 0.0) {
    RegisterImageUpdateListener("VUR", &images);
    const std::string key = connectedCamera(kind, kind == CameraKind::AreaScan ? "A" : "L");
    if (rate > 0.0) Control::setFrameRate(key, rate);
    return key;
}

// A focus listener that blocks inside its callback until the test opens the gate.
class GatedListener final : public IFocusUpdate {
public:
    void notify(FOCUS_TYPE, std::string) override {
        std::unique_lock<std::mutex> lock(mutex);
        ++calls;
        entered = true;
        changed.notify_all();
        changed.wait(lock, [this] { return open; });
        finishedAfterUnregister = unregistered;
    }
    // Runs `change` under the lock and wakes the waiters.
    template <class F>
    void update(F change) {
        std::lock_guard<std::mutex> lock(mutex);
        change();
        changed.notify_all();
    }
    std::mutex mutex;  // guards everything below
    std::condition_variable changed;
    int calls = 0;
    bool entered = false, open = false, unregistered = false, finishedAfterUnregister = false;
};

class SelfRemovingListener final : public ILayoutUpdate {
public:
    void notify(LAYOUT_TYPE) override {
        ++calls;
        UnRegisterLayoutUpdateListener(this);
    }
    std::atomic<int> calls{0};
};
}  // namespace

class TstZavizoZoz3Events : public QObject {
    Q_OBJECT

private slots:
    void init() { TestSupport::resetEnvironment(); }
    void cleanupTestCase() { TestSupport::resetEnvironment(); }

    void eventsArriveInOrderOnEventThread();
    void registrationRules();
    void unregisterWaitsForDeliveryInFlight();
    void synchronousCallsAndObservations();
    void grabDeliversFramesAndStops();
    void stopGrabFromInsideFrameCallback();
    void acquisitionThreadLivesWithTheCamera_data();
    void acquisitionThreadLivesWithTheCamera();
    void softwareTriggerReleasesOneFrameEach();
    void laserWithoutEncoderSendsPicturesOnly();
    void laserRangeBatchesThroughEncoder();
    void resetFreesKeptBuffersAndRestarts();
    void concurrentUse();
};

void TstZavizoZoz3Events::eventsArriveInOrderOnEventThread() {
    EventRecorder recorder;
    const std::vector<int> registered = {
        RegisterDeviceListUpdateListener(&recorder),     RegisterFocusUpdateListener(&recorder),
        RegisterLayoutUpdateListener(&recorder),         RegisterCameraIdUpdateListener(&recorder),
        RegisterLangUpdateListener(&recorder),           RegisterCorrectionUpdateListener(&recorder),
        RegisterImportUpdateListener(&recorder),         RegisterImageModeUpdateListener(&recorder),
        RegisterSLImageShowModeUpdateListener(&recorder)};
    QCOMPARE(registered, std::vector<int>(9, 0));
    ImageRecorder images;
    QCOMPARE(RegisterImageUpdateListener("VUR", &images), 0);
    QCOMPARE(Control::listenerCount(), 10);
    Control::addCamera(CameraKind::LaserProfiler, "L1");
    Control::addCamera(CameraKind::AreaScan, "A1");

    int marker = 0;
    Control::postDeviceList(1);
    Control::postDeviceList(2, {"card0"}, {"X"});
    Control::postFocus(FOCUS_CAMERA, "L1");
    Control::postLayout(LAYOUT_2X2);
    Control::postCameraId("L1", "Left");
    Control::postLanguage("zh_CN");
    Control::postCorrection("L1", 2, 1.5f, &marker);
    Control::postImport("A1");
    Control::postImageMode("L1", 3);
    Control::postSLImageShowMode("A1", 1);
    std::vector<uint8_t> bytes(16 * 8 * 2, 0);
    bytes[0] = 42;
    Control::postImage("cam", 2, 9, 16, 8, NuvPixelFormat::Mono16, bytes);
    Control::postImage("cam", 0, 10, 0, 0, NuvPixelFormat::Mono8, {});
    for (int i = 0; i < 40; ++i)
        Control::postFocus(FOCUS_CAMERA, std::to_string(i));
    Control::waitIdle();

    std::vector<std::string> expected = {"devices 1 cam:L1 cam:A1",
                                         "devices 2 card:card0 cam:X",
                                         "focus 3 L1",
                                         "layout 4",
                                         "id L1>Left",
                                         "text zh_CN",
                                         "correction L1 2 1.500000 ext",
                                         "text A1",
                                         "mode L1 3",
                                         "mode A1 1"};
    for (int i = 0; i < 40; ++i)
        expected.push_back("focus 3 " + std::to_string(i));
    QCOMPARE(recorder.lines(), expected);
    const auto threads = recorder.threads();
    for (const auto& id : threads) {
        QVERIFY(id != std::this_thread::get_id());
        QVERIFY(id == threads.front());
    }
    // Posted images arrive on the same thread, their buffers released by the listener.
    const auto frames = images.frames();
    QCOMPARE(frames.size(), size_t(2));
    const FrameRecord& f = frames[0];
    QVERIFY(f.kind == 2u && f.extra == 9u && f.width == 16 && f.format == NuvPixelFormat::Mono16);
    QVERIFY(f.size == bytes.size() && f.firstByte == 42 && f.valid && f.thread == threads.front());
    QVERIFY(!frames[1].valid);  // an empty payload is delivered as invalid, never as a null pointer
    QCOMPARE(Control::outstandingBuffers(), 0);
}

void TstZavizoZoz3Events::registrationRules() {
    EventRecorder recorder;
    ImageRecorder images;
    QVERIFY(RegisterFocusUpdateListener(nullptr) != 0);
    QCOMPARE(RegisterFocusUpdateListener(&recorder), 0);
    QVERIFY(RegisterFocusUpdateListener(&recorder) != 0);  // once only
    QCOMPARE(RegisterImageUpdateListener("VUR", &images), 0);
    QVERIFY(RegisterImageUpdateListener("VUR", &images) != 0);
    QCOMPARE(Control::listenerCount(), 2);
    QVERIFY(UnRegisterImageUpdateListener("other", &images) != 0);  // name must match
    QCOMPARE(UnRegisterImageUpdateListener("VUR", &images), 0);
    QCOMPARE(UnRegisterFocusUpdateListener(&recorder), 0);
    QVERIFY(UnRegisterFocusUpdateListener(&recorder) != 0);
    QCOMPARE(Control::listenerCount(), 0);
    Control::postFocus(FOCUS_CAMERA, "x");
    Control::waitIdle();
    QVERIFY(recorder.lines().empty());
    // A listener may unregister itself from inside its callback.
    SelfRemovingListener listener;
    QCOMPARE(RegisterLayoutUpdateListener(&listener), 0);
    Control::postLayout(LAYOUT_1X1);
    Control::postLayout(LAYOUT_1X2);
    Control::waitIdle();
    QCOMPARE(listener.calls.load(), 1);
    QCOMPARE(Control::listenerCount(), 0);
}

void TstZavizoZoz3Events::unregisterWaitsForDeliveryInFlight() {
    GatedListener gated;
    QCOMPARE(RegisterFocusUpdateListener(&gated), 0);
    Control::postFocus(FOCUS_CAMERA, "a");
    Control::postFocus(FOCUS_CAMERA, "b");
    {
        std::unique_lock<std::mutex> lock(gated.mutex);
        gated.changed.wait(lock, [&] { return gated.entered; });
    }
    std::atomic<bool> unregistered{false};
    std::thread remover([&] {
        UnRegisterFocusUpdateListener(&gated);
        gated.update([&] { gated.unregistered = true; });
        unregistered.store(true);
    });
    // The remover stays blocked while the callback runs (it gets a moment to reach the wait).
    QVERIFY(!QTest::qWaitFor([&] { return unregistered.load(); }, 20));
    gated.update([&] { gated.open = true; });
    remover.join();
    Control::waitIdle();
    QVERIFY(!gated.finishedAfterUnregister);  // the callback had ended before UnRegister returned
    QCOMPARE(gated.calls, 1);                 // "b" was not delivered
}

void TstZavizoZoz3Events::synchronousCallsAndObservations() {
    const std::string key = Control::addCamera(CameraKind::AreaScan, "A");
    QCOMPARE(SetFocus(FOCUS_CAMERA, key), 0);
    QVERIFY(SetFocus(FOCUS_CAMERA, "ghost") != 0);
    QCOMPARE(Control::lastFocusKey(), std::string("ghost"));
    QCOMPARE(SetROIPos(key, 4, 10, 0, 200, 1024), 0);
    QVERIFY(SetROIPos("ghost", 0, 0, 0, 0, 0) != 0);
    const auto calls = Control::roiPosCalls();
    QCOMPARE(calls.size(), size_t(2));
    QVERIFY(calls[0].key == key && calls[0].roiId == 4 && calls[0].x2 == 200 && calls[0].y2 == 1024);
    VLogError("SaveImageTool", "disk full", 0);
    QCOMPARE(Control::logLines(), std::vector<std::string>{"SaveImageTool: disk full"});
    // A line a frame for ever (a recording to a full disk) keeps only the latest lines.
    for (size_t i = 1; i <= Control::kLogLinesKept + 4; ++i)
        VLogError("Recording", std::to_string(i), 0);
    const std::vector<std::string> kept = Control::logLines();
    QCOMPARE(kept.size(), Control::kLogLinesKept);
    QCOMPARE(kept.front(), std::string("Recording: 5"));
    QCOMPARE(kept.back(), "Recording: " + std::to_string(Control::kLogLinesKept + 4));
    QCOMPARE(SetCameraImageMode(key, 2, true), 0);
    QVERIFY(SetCameraImageMode(key, 3, true) != 0);
    QVERIFY(SetCameraImageMode(key, -1, true) != 0);
    QCOMPARE(GetCameraImageMode(key), 2);
    QCOMPARE(GetCameraImageMode("ghost"), -1);
}

void TstZavizoZoz3Events::grabDeliversFramesAndStops() {
    ImageRecorder images;
    const std::string key = watchedCamera(images, CameraKind::AreaScan, 100.0);
    const auto steadyNs = [] {
        return std::chrono::duration_cast<std::chrono::nanoseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    };
    const int64_t beforeStart = steadyNs();
    QCOMPARE(StartGrab(key), 0);
    QCOMPARE(StartGrab(key), 0);  // already grabbing: no second thread
    QVERIFY(Control::isGrabbing(key));
    QCOMPARE(GetCameraInfo(key, CAM_INFO_GRABBING), std::string("1"));
    QTRY_VERIFY(images.count() >= 5);
    QCOMPARE(StopGrab(key), 0);
    const int64_t afterStop = steadyNs();
    images.m_afterStop.store(true);
    QVERIFY(!Control::isGrabbing(key) && GetCameraInfo(key, CAM_INFO_GRABBING) == "0");
    QVERIFY(Control::startGrabCount(key) == 2 && Control::stopGrabCount(key) == 1);

    const auto frames = images.frames();
    for (size_t i = 0; i < frames.size(); ++i) {
        const FrameRecord& f = frames[i];
        // Frame index in `extra`, none skipped; full-sensor Mono8 pictures from the camera's thread.
        QVERIFY(f.key == key && f.kind == 0u && f.extra == uint32_t(i) && f.valid);
        QVERIFY(f.width == 2048 && f.height == 1024 && f.format == NuvPixelFormat::Mono8);
        QVERIFY(f.size == size_t(2048 * 1024) && f.thread != std::this_thread::get_id());
        // The camera's clock at each exposure: within the grab, later for every later frame.
        QVERIFY(f.timestampNs >= beforeStart && f.timestampNs <= afterStop);
        if (i > 0) QVERIFY(f.timestampNs > frames[i - 1].timestampNs);
    }
    QCOMPARE(Control::outstandingBuffers(), 0);
    QCOMPARE(Control::framesProduced(key), uint64_t(frames.size()));
    QVERIFY(!images.m_calledAfterStop.load());
    QCOMPARE(StopGrab(key), 0);  // idempotent
    QVERIFY(StopGrab("ghost") != 0);

    // A camera ROI written while grabbing resizes the next frames.
    images.m_afterStop.store(false);
    QCOMPARE(StartGrab(key), 0);
    QTRY_VERIFY(images.count() > int(frames.size()));
    QCOMPARE(SetCameraNodeValue(key, "Width", "640"), 0);
    QCOMPARE(SetCameraNodeValue(key, "Height", "480"), 0);
    QTRY_VERIFY(images.frames().back().width == 640 && images.frames().back().height == 480);
    QCOMPARE(images.frames().back().size, size_t(640 * 480));
    StopGrab(key);
}

void TstZavizoZoz3Events::stopGrabFromInsideFrameCallback() {
    ImageRecorder images;
    images.m_onFrame = [](const std::string& k) { StopGrab(k); };
    const std::string key = watchedCamera(images, CameraKind::AreaScan, 100.0);
    QCOMPARE(StartGrab(key), 0);
    QTRY_VERIFY(!Control::isGrabbing(key));
    QCOMPARE(images.count(), 1);
    // The camera can be started again (the ended thread is collected).
    UnRegisterImageUpdateListener("VUR", &images);
    ImageRecorder second;
    RegisterImageUpdateListener("VUR", &second);
    QCOMPARE(StartGrab(key), 0);
    QTRY_VERIFY(second.count() >= 2);
    QCOMPARE(StopGrab(key), 0);
}

void TstZavizoZoz3Events::acquisitionThreadLivesWithTheCamera_data() {
    QTest::addColumn<CameraKind>("kind");
    QTest::addColumn<bool>("singleGrab");
    QTest::newRow("area scan, stopped by the host") << CameraKind::AreaScan << false;
    QTest::newRow("area scan, single grabs") << CameraKind::AreaScan << true;
    QTest::newRow("profiler, stopped by the host") << CameraKind::LaserProfiler << false;
    QTest::newRow("profiler, single grabs") << CameraKind::LaserProfiler << true;
}

void TstZavizoZoz3Events::acquisitionThreadLivesWithTheCamera() {
    QFETCH(CameraKind, kind);
    QFETCH(bool, singleGrab);
    ImageRecorder images;
    const std::string key = watchedCamera(images, kind, 100.0);
    Control::postDeviceList(1);  // the event thread, which a single grab's end report needs, runs
    const int threadsBeforeGrabs = processThreadCount();
    // Grab after grab (stopped by the host, or ending by itself and started again at once): every
    // frame comes from the camera's one thread and no thread piles up.
    int threadsAfterFirstGrab = 0;
    for (int grab = 0; grab < 12; ++grab) {
        const int seen = images.count();
        if (singleGrab) QCOMPARE(SetCameraInfo(key, CAM_INFO_SINGLE_GRAB, "1"), 0);
        QCOMPARE(StartGrab(key), 0);
        QTRY_VERIFY(images.count() > seen);
        if (singleGrab) QTRY_VERIFY(!Control::isGrabbing(key));
        QCOMPARE(StopGrab(key), 0);
        if (grab == 0) threadsAfterFirstGrab = processThreadCount();
    }
    const auto frames = images.frames();
    for (const FrameRecord& f : frames)
        QVERIFY(f.kernelThread == frames.front().kernelThread);
    QCOMPARE(processThreadCount(), threadsAfterFirstGrab);
    // Removing the camera ends its thread; a grab on it fails.
    Control::removeCamera(key);
    QTRY_COMPARE(processThreadCount(), threadsBeforeGrabs);
    QVERIFY(StartGrab(key) != 0);
    QCOMPARE(processThreadCount(), threadsBeforeGrabs);
}

void TstZavizoZoz3Events::softwareTriggerReleasesOneFrameEach() {
    ImageRecorder images;
    const std::string key = watchedCamera(images, CameraKind::AreaScan, 200.0);
    QCOMPARE(SetCameraNodeValue(key, "TriggerSelector", "FrameStart"), 0);
    QCOMPARE(SetCameraNodeValue(key, "TriggerMode", "On"), 0);
    QCOMPARE(SetCameraNodeValue(key, "TriggerSource", "Software"), 0);
    QCOMPARE(StartGrab(key), 0);
    GenApi::CCommandPtr trigger(GetAttrNodeMap(FOCUS_CAMERA, key, 3)->GetNode("TriggerSoftware"));
    for (int i = 0; i < 3; ++i)
        trigger->Execute();
    QCOMPARE(SetCameraNodeValue(key, "TriggerSoftware", "1"), 0);  // text write executes too
    QTRY_COMPARE(images.count(), 4);
    // Frames are released only by triggers: switching to a line source ignores software.
    QCOMPARE(SetCameraNodeValue(key, "TriggerSource", "Line0"), 0);
    trigger->Execute();
    QCOMPARE(SetCameraNodeValue(key, "TriggerMode", "Off"), 0);  // free run again
    QTRY_VERIFY(images.count() >= 8);
    StopGrab(key);
    QCOMPARE(Control::framesProduced(key), uint64_t(images.count()));
}

void TstZavizoZoz3Events::laserWithoutEncoderSendsPicturesOnly() {
    ImageRecorder images;
    const std::string key = watchedCamera(images, CameraKind::LaserProfiler);
    QCOMPARE(SetCameraNodeValue(key, "Height", "512"), 0);
    QCOMPARE(SetCameraNodeValue(key, "OffsetY", "256"), 0);
    QCOMPARE(StartGrab(key), 0);
    QTRY_VERIFY(images.count() >= 2);
    const FrameRecord f = images.frames().front();
    QVERIFY(f.kind == 0u && f.width == 3200 && f.height == 512 && f.format == NuvPixelFormat::Mono8);
    QCOMPARE(GetCameraInfo(key, CAM_INFO_WINDOW_ROW_OFFSET), std::string("256"));
    // Contour and 3D modes need a payload encoder: the camera runs but sends nothing.
    QCOMPARE(SetCameraImageMode(key, 2, true), 0);
    const int sent = images.count();
    const uint64_t produced = Control::framesProduced(key);
    Control::setFrameRate(key, 10000.0);
    QTRY_VERIFY(Control::framesProduced(key) >= produced + 5);
    StopGrab(key);
    QVERIFY(images.count() <= sent + 1);  // at most the picture that was on its way
}

void TstZavizoZoz3Events::laserRangeBatchesThroughEncoder() {
    struct Batch {
        uint64_t imageId;
        int index, lines, total, perBatch, points;
        bool end;
        size_t heights;
        float sampleHeight;
    };
    std::mutex mutex;  // guards batches
    std::vector<Batch> batches;
    Control::setFrameEncoder(CameraKind::LaserProfiler, [&](const SimulatedFrame& frame, EncodedFrame& out) {
        if (frame.imageMode != 2) return false;
        {
            std::lock_guard<std::mutex> lock(mutex);
            batches.push_back({frame.imageId, frame.batchIndex, frame.lineCount, frame.totalLines,
                               frame.linesPerBatch, frame.pointsPerLine, frame.isEnd, frame.heights.size(),
                               frame.heights[100]});
        }
        out.kind = 2;
        out.extra = static_cast<uint32_t>(frame.batchIndex);
        out.width = frame.pointsPerLine;
        out.height = frame.lineCount;
        out.pixelFormat = NuvPixelFormat::Coord3D_C16;
        out.bytes.assign(static_cast<size_t>(frame.lineCount * frame.pointsPerLine) * 2, 0);
        return true;
    });
    ImageRecorder images;
    const std::string key = watchedCamera(images, CameraKind::LaserProfiler, 10000.0);
    QCOMPARE(SetCameraNodeValue(key, "AcquisitionLineCount", "250"), 0);
    QCOMPARE(SetCameraNodeValue(key, "BatchNumber", "100"), 0);
    QCOMPARE(SetCameraImageMode(key, 2, true), 0);
    StartGrab(key);
    QTRY_VERIFY(images.count() >= 6);
    StopGrab(key);
    std::lock_guard<std::mutex> lock(mutex);
    // Two scans of 100 + 100 + 50 lines, the last batch of each flagged as the end.
    const int expectedLines[] = {100, 100, 50};
    for (size_t i = 0; i < 6; ++i) {
        const Batch& b = batches[i];
        QVERIFY(b.imageId == 1 + i / 3 && b.index == int(i % 3) && b.lines == expectedLines[i % 3]);
        QVERIFY(b.end == (i % 3 == 2) && b.total == 250 && b.perBatch == 100 && b.points == 3200);
        QCOMPARE(b.heights, size_t(b.lines) * 3200);
        QVERIFY(std::isnan(b.sampleHeight) || std::fabs(b.sampleHeight) < 20.0f);
    }
    const FrameRecord last = images.frames()[2];
    QVERIFY(last.kind == 2u && last.extra == 2u && last.height == 50);
}

void TstZavizoZoz3Events::resetFreesKeptBuffersAndRestarts() {
    // The viewer's dispatcher keeps frames of cameras it has no tool for; they must not leak.
    EventRecorder recorder;
    ImageRecorder keeper(false);
    ImageRecorder releaser(true);
    RegisterFocusUpdateListener(&recorder);
    RegisterImageUpdateListener("OTHER", &releaser);
    const std::string key = watchedCamera(keeper, CameraKind::AreaScan, 100.0);
    QCOMPARE(SetCameraNodeValue(key, "Width", "256"), 0);
    QCOMPARE(SetCameraNodeValue(key, "Height", "64"), 0);
    StartGrab(key);
    QTRY_VERIFY(keeper.count() >= 3);
    StopGrab(key);
    // Each listener got its own reference; only the keeper's are outstanding.
    QCOMPARE(releaser.count(), keeper.count());
    QCOMPARE(Control::outstandingBuffers(), keeper.count());
    // Reset, twice, while grabbing and with events queued.
    StartGrab(key);
    Control::postFocus(FOCUS_CAMERA, "x");
    SetFocus(FOCUS_CAMERA, key);
    Control::reset();
    Control::reset();
    QVERIFY(Control::cameras().empty() && Control::listenerCount() == 0 && Control::lastFocusKey().empty());
    // Under ASan a leak of the kept buffers fails the run.
    QVERIFY(Control::outstandingBuffers() == 0 && Control::startGrabCount(key) == 0);
    // Everything starts afresh.
    EventRecorder fresh;
    RegisterFocusUpdateListener(&fresh);
    Control::postFocus(FOCUS_CAMERA, "y");
    Control::waitIdle();
    QCOMPARE(fresh.lines(), std::vector<std::string>{"focus 3 y"});
    QCOMPARE(Control::addCamera(CameraKind::AreaScan, "A"), std::string("A"));
}

void TstZavizoZoz3Events::concurrentUse() {
    ImageRecorder images;
    const std::string shared = watchedCamera(images, CameraKind::AreaScan, 200.0);
    QCOMPARE(SetCameraNodeValue(shared, "Width", "128"), 0);
    QCOMPARE(SetCameraNodeValue(shared, "Height", "64"), 0);
    std::atomic<int> failures{0};
    std::vector<std::thread> workers;
    for (int w = 0; w < 4; ++w) {
        workers.emplace_back([w, &failures, shared] {
            EventRecorder recorder;
            for (int i = 0; i < 30; ++i) {
                const std::string key =
                    connectedCamera(w % 2 ? CameraKind::LaserProfiler : CameraKind::AreaScan, "w");
                if (SetCameraNodeValue(key, "Width", i % 2 ? "1024" : "1000") != (i % 2 ? 0 : -3)) ++failures;
                std::string value;
                GetCameraNodeValue(shared, "Width", value);
                SetCameraNodeValue(shared, "OffsetY", std::to_string((i % 8) * 2));
                GetCameraInfo(shared, CAM_INFO_GRABBING);
                RegisterFocusUpdateListener(&recorder);
                Control::postFocus(FOCUS_CAMERA, key);
                if (i % 5 == 0) {
                    StartGrab(shared);
                    StopGrab(shared);
                }
                UnRegisterFocusUpdateListener(&recorder);
                Control::removeCamera(key);
            }
        });
    }
    for (auto& worker : workers)
        worker.join();
    Control::waitIdle();
    QCOMPARE(failures.load(), 0);
    QCOMPARE(Control::cameras(), std::vector<std::string>{shared});
    QCOMPARE(Control::listenerCount(), 1);
    QCOMPARE(Control::startGrabCount(shared), 24);
    StopGrab(shared);
    QCOMPARE(Control::outstandingBuffers(), 0);
}

QTEST_GUILESS_MAIN(TstZavizoZoz3Events)
#include "tst_zavizozoz3_events.moc"
