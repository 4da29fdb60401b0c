// Range streaming: batch geometry, wrapped queues, held batches, invalid samples, and clear/stop
// while batches keep arriving.
#include <QtTest>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "RangeStreamer.h"

namespace {
// A window handle no 3D window has: the streamer's 3D calls fail harmlessly.
constexpr int64_t kNoWindow = 0;

struct Appended {
    std::mutex mutex;
    std::vector<std::pair<int, int>> rows;
    void add(int first, int last) {
        std::lock_guard<std::mutex> lock(mutex);
        rows.emplace_back(first, last);
    }
    std::vector<std::pair<int, int>> snapshot() {
        std::lock_guard<std::mutex> lock(mutex);
        return rows;
    }
};

void fillBatch(RangeStreamer& s, int batch, uint16_t value) {
    s.writeBatch(batch, [value](uint8_t* range, uint8_t* grey, int lines, int points) {
        auto* samples = reinterpret_cast<uint16_t*>(range);
        std::fill(samples, samples + static_cast<size_t>(lines) * points, value);
        std::fill(grey, grey + static_cast<size_t>(lines) * points, static_cast<uint8_t>(value));
    });
}
}  // namespace

class TestRangeStreamer : public QObject {
    Q_OBJECT
private slots:
    void linesOfBatch_data();
    void linesOfBatch();
    void batchSpan_data();
    void batchSpan();
    void lastBatchRowsReachThe3DWindow();
    void writePointersOutsideScanAreNull();
    void zeroSampleIsInvalidWhateverTheOffset();
    void outOfRangeHeightsAreZeroedInPlace();
    void heldBatchesReplayInArrivalOrder();
    void newImageDropsHeldBatches();
    void formatsFollowScaler();
    void clearAndStopWhileBatchesArrive();
};

void TestRangeStreamer::linesOfBatch_data() {
    QTest::addColumn<int>("batch");
    QTest::addColumn<int>("total");
    QTest::addColumn<int>("perBatch");
    QTest::addColumn<int>("lines");
    QTest::newRow("full batch") << 0 << 1000 << 300 << 300;
    QTest::newRow("short last batch") << 3 << 1000 << 300 << 100;
    QTest::newRow("past the end") << 4 << 1000 << 300 << 0;
    QTest::newRow("negative") << -1 << 1000 << 300 << 0;
    QTest::newRow("exact fit") << 4 << 1000 << 200 << 200;
    QTest::newRow("no lines") << 0 << 0 << 100 << 0;
    QTest::newRow("huge batch index") << 2147483 << 1000 << 1000 << 0;
}

void TestRangeStreamer::linesOfBatch() {
    QFETCH(int, batch);
    QFETCH(int, total);
    QFETCH(int, perBatch);
    QFETCH(int, lines);
    QCOMPARE(RangeStreamer::linesOfBatch(batch, total, perBatch), lines);
}

void TestRangeStreamer::batchSpan_data() {
    QTest::addColumn<QVector<int>>("queue");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    QTest::newRow("one") << QVector<int>{4} << 4 << 4;
    QTest::newRow("run") << QVector<int>{2, 3, 4} << 2 << 4;
    QTest::newRow("wrapped") << QVector<int>{7, 8, 9, 0, 1} << 0 << 1;
    QTest::newRow("wrapped to zero") << QVector<int>{9, 0} << 0 << 0;
}

void TestRangeStreamer::batchSpan() {
    QFETCH(QVector<int>, queue);
    QFETCH(int, first);
    QFETCH(int, last);
    std::deque<int> q(queue.begin(), queue.end());
    int f = -1;
    int l = -1;
    QVERIFY(RangeStreamer::batchSpan(q, &f, &l));
    QCOMPARE(f, first);
    QCOMPARE(l, last);
    QVERIFY(!RangeStreamer::batchSpan(std::deque<int>(), &f, &l));
}

void TestRangeStreamer::lastBatchRowsReachThe3DWindow() {
    RangeStreamer s(kNoWindow);
    Appended appended;
    s.setAppendObserver([&](int a, int b) { appended.add(a, b); });
    s.prepare(1000, 300, 64, RangeStreamer::formatFor(0, 32000), 0.01, 3);
    for (int b = 0; b < 4; ++b) {
        fillBatch(s, b, 33000);
        QVERIFY(s.batchArrived(42, b));
        s.waitUntilIdle();
    }
    const auto rows = appended.snapshot();
    QVERIFY(!rows.empty());
    QCOMPARE(rows.back(), std::make_pair(900, 999));
    QCOMPARE(s.lastRowAppended(), 999);
    QVERIFY(!s.batchArrived(42, 4));  // outside the scan
}

void TestRangeStreamer::writePointersOutsideScanAreNull() {
    RangeStreamer s(kNoWindow);
    QVERIFY(s.rangePointer(0) == nullptr);  // nothing prepared
    s.prepare(100, 30, 16, RangeStreamer::formatFor(0, 32000), 0.01, 3);
    QVERIFY(s.rangePointer(0) != nullptr);
    QVERIFY(s.rangePointer(3) != nullptr);
    QVERIFY(s.rangePointer(4) == nullptr);
    QVERIFY(s.rangePointer(-1) == nullptr);
    QVERIFY(s.greyPointer(100000) == nullptr);
    bool called = false;
    QVERIFY(!s.writeBatch(7, [&](uint8_t*, uint8_t*, int, int) { called = true; }));
    QVERIFY(!called);
    int linesSeen = 0;
    QVERIFY(s.writeBatch(3, [&](uint8_t*, uint8_t*, int lines, int) { linesSeen = lines; }));
    QCOMPARE(linesSeen, 10);
}

void TestRangeStreamer::zeroSampleIsInvalidWhateverTheOffset() {
    for (int scaler : {32, 32000, 262144}) {
        RangeStreamer::Format f = RangeStreamer::formatFor(0, scaler);
        RangeStreamer::DisplaySettings settings;
        settings.heightMin = -1e9f;
        settings.heightMax = 1e9f;
        std::vector<uint16_t> raw = {0, static_cast<uint16_t>(f.heightOffset), 65535};
        Nuv3DFloatArray heights;
        NuvColorArray colors;
        RangeStreamer::convertRows(reinterpret_cast<uint8_t*>(raw.data()), 1, 3, f, settings, false, nullptr,
                                   &heights, &colors);
        QVERIFY2(!Nuv3DFloatArray::isValid(heights.data()[0]), qPrintable(QString::number(scaler)));
        QVERIFY(Nuv3DFloatArray::isValid(heights.data()[1]));
        QCOMPARE(heights.data()[1], 0.0f);
        QCOMPARE(colors.size(), size_t(3));
    }
    RangeStreamer::Format f32 = RangeStreamer::formatFor(1, 4000);
    RangeStreamer::DisplaySettings settings;
    settings.heightMin = -1e9f;
    settings.heightMax = 1e9f;
    std::vector<int32_t> raw32 = {0, static_cast<int32_t>(0x80000000u), 0x40000};
    Nuv3DFloatArray heights;
    NuvColorArray colors;
    RangeStreamer::convertRows(reinterpret_cast<uint8_t*>(raw32.data()), 1, 3, f32, settings, false, nullptr,
                               &heights, &colors);
    QVERIFY(!Nuv3DFloatArray::isValid(heights.data()[0]));
    QVERIFY(!Nuv3DFloatArray::isValid(heights.data()[1]));  // flag bits only: the sample is zero
    QCOMPARE(heights.data()[2], 0.0f);
}

void TestRangeStreamer::outOfRangeHeightsAreZeroedInPlace() {
    const RangeStreamer::Format f = RangeStreamer::formatFor(0, 32000);  // 0.001 mm per count
    RangeStreamer::DisplaySettings settings;
    settings.heightMin = -1.0f;
    settings.heightMax = 1.0f;
    std::vector<uint16_t> raw = {32768, 32768 + 5000, 32768 - 500, 0};
    Nuv3DFloatArray heights;
    NuvColorArray colors;
    RangeStreamer::convertRows(reinterpret_cast<uint8_t*>(raw.data()), 1, 4, f, settings, true, nullptr,
                               &heights, &colors);
    QCOMPARE(raw[0], uint16_t(32768));
    QCOMPARE(raw[1], uint16_t(0));  // 5 mm is above the range: invalid, sample cleared
    QCOMPARE(raw[2], uint16_t(32768 - 500));
    QVERIFY(qAbs(heights.data()[2] + 0.5f) < 1e-4f);
    QVERIFY(!Nuv3DFloatArray::isValid(heights.data()[1]));
}

void TestRangeStreamer::heldBatchesReplayInArrivalOrder() {
    RangeStreamer s(kNoWindow);
    Appended appended;
    s.setAppendObserver([&](int a, int b) { appended.add(a, b); });
    // The 3D set-up of a new image waits on this latch, so the batches that come meanwhile are held.
    std::mutex latchMutex;
    std::condition_variable latchWake;
    bool released = false;
    std::atomic<bool> settingUp{false};
    s.setSettingsProvider([&](RangeStreamer::DisplaySettings*) {
        settingUp = true;
        std::unique_lock<std::mutex> lock(latchMutex);
        latchWake.wait(lock, [&] { return released; });
        return false;
    });
    s.prepare(400, 100, 32, RangeStreamer::formatFor(0, 32000), 0.01, 3);
    for (int b = 0; b < 3; ++b)
        fillBatch(s, b, 33000);
    QVERIFY(s.batchArrived(1, 0));
    QTRY_VERIFY(settingUp.load());
    QVERIFY(s.batchArrived(1, 1));
    QTRY_VERIFY(s.isWorker1Idle());
    QVERIFY(s.batchArrived(1, 2));
    QTRY_VERIFY(s.isWorker1Idle());
    QVERIFY(appended.snapshot().empty());
    {
        std::lock_guard<std::mutex> lock(latchMutex);
        released = true;
    }
    latchWake.notify_all();
    s.waitUntilIdle();
    // Worker 1 may merge batches that queued up together; either way the held rows come back
    // once, in order, without gaps.
    const auto rows = appended.snapshot();
    QVERIFY(!rows.empty());
    QCOMPARE(rows.front().first, 0);
    for (size_t i = 1; i < rows.size(); ++i) QCOMPARE(rows[i].first, rows[i - 1].second + 1);
    QCOMPARE(rows.back().second, 299);
}

void TestRangeStreamer::newImageDropsHeldBatches() {
    RangeStreamer s(kNoWindow);
    Appended appended;
    s.setAppendObserver([&](int a, int b) { appended.add(a, b); });
    std::mutex latchMutex;
    std::condition_variable latchWake;
    int setUps = 0;
    bool released = false;
    s.setSettingsProvider([&](RangeStreamer::DisplaySettings*) {
        std::unique_lock<std::mutex> lock(latchMutex);
        ++setUps;
        if (setUps == 1) latchWake.wait(lock, [&] { return released; });
        return false;
    });
    s.prepare(400, 100, 32, RangeStreamer::formatFor(0, 32000), 0.01, 3);
    for (int b = 0; b < 4; ++b)
        fillBatch(s, b, 33000);
    QVERIFY(s.batchArrived(1, 0));
    QVERIFY(s.batchArrived(1, 2));
    QTRY_VERIFY(s.isWorker1Idle());
    // A new image id restarts the set-up: what was held for image 1 is dropped.
    std::thread release([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        std::lock_guard<std::mutex> lock(latchMutex);
        released = true;
        latchWake.notify_all();
    });
    QVERIFY(s.batchArrived(2, 3));
    release.join();
    s.waitUntilIdle();
    const auto rows = appended.snapshot();
    QVERIFY(!rows.empty());
    for (const auto& r : rows)
        QCOMPARE(r.first, 300);
}

void TestRangeStreamer::formatsFollowScaler() {
    const RangeStreamer::Format a = RangeStreamer::formatFor(0, 32000);
    QCOMPARE(a.shift, 0);
    QCOMPARE(a.heightOffset, 32768);
    QCOMPARE(a.heightScale, 32.0 / 32000.0);
    const RangeStreamer::Format b = RangeStreamer::formatFor(0, 1 << 18);
    QCOMPARE(b.shift, 2);
    QCOMPARE(b.heightOffset, 32768 >> 2);
    QCOMPARE(b.heightScale, static_cast<double>(32 << 2) / (1 << 18));
    const RangeStreamer::Format c = RangeStreamer::formatFor(1, 4001);
    QCOMPARE(c.bytesPerPoint, 4);
    QCOMPARE(c.heightOffset, 0x40000);
    QCOMPARE(c.heightScale, 1.0 / 1000);
    const RangeStreamer::Format bad = RangeStreamer::formatFor(0, 0);  // never divides by zero
    QVERIFY(std::isfinite(bad.heightScale));
}

void TestRangeStreamer::clearAndStopWhileBatchesArrive() {
    auto s = std::make_unique<RangeStreamer>(kNoWindow);
    s->prepare(2000, 50, 256, RangeStreamer::formatFor(0, 32000), 0.01, 3);
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        int b = 0;
        while (!stop) {
            fillBatch(*s, b % 40, static_cast<uint16_t>(30000 + b));
            b++;
        }
    });
    for (int round = 0; round < 200; ++round) {
        s->batchArrived(static_cast<uint64_t>(round / 40), round % 40);
        if (round % 37 == 0) s->clear();
        if (round % 53 == 0) s->prepare(2000, 50, 256, RangeStreamer::formatFor(0, 32000), 0.01, 3);
    }
    s->stop();
    stop = true;
    writer.join();
    s.reset();
}

QTEST_MAIN(TestRangeStreamer)
#include "tst_rangestreamer.moc"
