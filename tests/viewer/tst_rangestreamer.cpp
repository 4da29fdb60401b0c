// Range streaming: batch geometry, wrapped queues, sample formats, held batches and the format they
// keep, the end-of-scan copy, scan bounds, and clear/stop while batches keep arriving.
#include <QtTest>
#include <atomic>
#include <climits>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include "Nuv3DGraphics.h"
#include "RangeStreamer.h"

namespace {
using Rows = std::vector<std::pair<int, int>>;

// A 3D window (without OpenGL in these tests) that records the rows the streamer appends to it.
struct Window {
    const int64_t handle = NuvCreate3DWnd(0);
    RangeStreamer streamer{handle};
    std::mutex mutex;
    Rows rows;
    Window() {
        streamer.setAppendObserver([this](int a, int b) {
            std::lock_guard<std::mutex> lock(mutex);
            rows.emplace_back(a, b);
        });
    }
    ~Window() {
        streamer.stop();
        NuvDestory3DWnd(handle);
    }
    Rows snapshot() {
        std::lock_guard<std::mutex> lock(mutex);
        return rows;
    }
};

// Holds the first 3D set-up until released; each set-up then switches to `mode` (0 keeps the
// mode), as a camera whose display mode changed meanwhile.
struct SetUpLatch {
    std::mutex mutex;
    std::condition_variable wake;
    bool released = false;
    std::atomic<int> setUps{0};
    void attach(RangeStreamer& s, int mode) {
        s.setSettingsProvider([this, mode](RangeStreamer::DisplaySettings* settings) {
            std::unique_lock<std::mutex> lock(mutex);
            if (++setUps == 1) wake.wait(lock, [this] { return released; });
            if (mode != 0) settings->displayMode = mode;
            return true;
        });
    }
    void release() {
        std::lock_guard<std::mutex> lock(mutex);
        released = true;
        wake.notify_all();
    }
};

void fill(RangeStreamer& s, int batch, int32_t value) {
    s.writeBatch(batch, [value](const RangeStreamer::BatchBuffers& b) {
        const size_t width = static_cast<size_t>(b.bytesPerPoint);
        for (size_t at = 0; at < b.rangeBytes; at += width)  // little-endian: the low 2 or 4 bytes
            std::memcpy(b.range + at, &value, width);
        std::fill(b.grey, b.grey + b.greyBytes, static_cast<uint8_t>(value));
    });
}

}  // namespace

class TestRangeStreamer : public QObject {
    Q_OBJECT
private slots:
    void batchSpan_data() {
        QTest::addColumn<QVector<int>>("queue");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("last");
        QTest::newRow("one") << QVector<int>{4} << 4 << 4;
        QTest::newRow("run") << QVector<int>{2, 3, 4} << 2 << 4;
        QTest::newRow("wrapped") << QVector<int>{7, 8, 9, 0, 1} << 0 << 1;
        QTest::newRow("wrapped to zero") << QVector<int>{9, 0} << 0 << 0;
    }

    void batchSpan() {
        QFETCH(QVector<int>, queue);
        QFETCH(int, first);
        QFETCH(int, last);
        int f = -1;
        int l = -1;
        QVERIFY(RangeStreamer::batchSpan(std::deque<int>(queue.begin(), queue.end()), &f, &l));
        QCOMPARE(f, first);
        QCOMPARE(l, last);
        QVERIFY(!RangeStreamer::batchSpan(std::deque<int>(), &f, &l));
    }

    // Range samples by the range formula, single-profile samples by the profile formula; they part
    // for 16-bit scalers from 131072 on. NaN: an invalid point.
    void sampleFormats_data() {
        QTest::addColumn<int>("dataType");
        QTest::addColumn<int>("scaler");
        QTest::addColumn<qint64>("rangeRaw");
        QTest::addColumn<double>("rangeHeight");
        QTest::addColumn<qint64>("profileRaw");
        QTest::addColumn<double>("profileHeight");
        const double nan = std::numeric_limits<double>::quiet_NaN();
        QTest::newRow("16-bit, 1 um") << 0 << 32000 << qint64(33768) << 1.0 << qint64(33768) << 1.0;
        QTest::newRow("16-bit, shifted")
            << 0 << 262144 << qint64(8192 + 1024) << 0.5 << qint64(32768 + 8192) << 1.0;
        QTest::newRow("16-bit, zero at offset 8192") << 0 << 262144 << qint64(0) << nan << qint64(0) << nan;
        QTest::newRow("16-bit, zero") << 0 << 32 << qint64(0) << nan << qint64(32768) << 0.0;
        QTest::newRow("32-bit") << 1 << 32000 << qint64(0x40000 + 8000) << 1.0 << qint64(0x100000 + 32000)
                                << 1.0;
        QTest::newRow("32-bit, flag bits only")
            << 1 << 4000 << qint64(0x80000000) << nan << qint64(0x80000000) << nan;
        QTest::newRow("scaler 0") << 0 << 0 << qint64(32769) << 32.0 << qint64(32769) << 1.0;
    }

    void sampleFormats() {
        QFETCH(int, dataType);
        QFETCH(int, scaler);
        QFETCH(qint64, rangeRaw);
        QFETCH(double, rangeHeight);
        QFETCH(qint64, profileRaw);
        QFETCH(double, profileHeight);
        const RangeStreamer::Format f = RangeStreamer::formatFor(dataType, scaler);
        RangeStreamer::DisplaySettings wide;
        wide.heightMin = -1e9f;
        wide.heightMax = 1e9f;
        Nuv3DFloatArray heights;
        NuvColorArray colors;  // little-endian: the first 2 or 4 bytes of rangeRaw are the sample
        RangeStreamer::convertRows(reinterpret_cast<uint8_t*>(&rangeRaw), 1, 1, f, wide, false, nullptr,
                                   &heights, &colors);
        const float h = heights.data()[0];
        if (std::isnan(rangeHeight))
            QVERIFY(!Nuv3DFloatArray::isValid(h));
        else
            QCOMPARE(h, static_cast<float>(rangeHeight));
        QCOMPARE(f.profileHeight(profileRaw), profileHeight);  // NaN compares equal to NaN
    }

    void prepareRefusesScansBeyondBounds_data() {
        QTest::addColumn<int>("lines");
        QTest::addColumn<int>("points");
        QTest::addColumn<int>("dataType");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("ordinary") << 1000 << 3200 << 1 << true;
        QTest::newRow("no lines") << 0 << 3200 << 0 << true;
        QTest::newRow("largest line count") << INT_MAX << 3200 << 0 << false;
        QTest::newRow("over the budget") << 70000 << 3200 << 1 << false;
        QTest::newRow("too many points") << 10 << 100000 << 0 << false;
    }

    void prepareRefusesScansBeyondBounds() {
        QFETCH(int, lines);
        QFETCH(int, points);
        QFETCH(int, dataType);
        QFETCH(bool, accepted);
        RangeStreamer s(0);
        QCOMPARE(s.prepare(lines, 100, points, RangeStreamer::formatFor(dataType, 32000), 0.01, 3), accepted);
        QCOMPARE(s.hasImage(), accepted && lines > 0);
        // Only the first and the last batch lie inside: not the one after the last, a negative one or
        // one whose first line overflows an int.
        int written = 0;
        for (int batch : {0, (lines - 1) / 100, (lines - 1) / 100 + 1, -1, INT_MAX})
            written += s.writeBatch(batch, [](const RangeStreamer::BatchBuffers&) {});
        QCOMPARE(written, accepted && lines > 0 ? 2 : 0);
    }

    // Batches converted while the 3D window is being set up are held and appended once it is ready,
    // in arrival order; a set-up that switches the display mode gets them in its own format; a new
    // image drops them. 1000 lines in batches of 300: the last one carries rows 900 to 999.
    void heldBatchesReplayInOrderInTheWindowsFormat_data() {
        QTest::addColumn<int>("preparedMode");
        QTest::addColumn<int>("setUpMode");
        QTest::addColumn<bool>("newImage");
        QTest::newRow("same mode") << 3 << 0 << false;
        QTest::newRow("grey held, window set up for colours") << 1 << 3 << false;
        QTest::newRow("colours held, window set up for grey") << 3 << 1 << false;
        QTest::newRow("a new image drops what was held") << 3 << 0 << true;
    }

    void heldBatchesReplayInOrderInTheWindowsFormat() {
        QFETCH(int, preparedMode);
        QFETCH(int, setUpMode);
        QFETCH(bool, newImage);
        Window window;
        RangeStreamer& s = window.streamer;
        SetUpLatch latch;
        latch.attach(s, setUpMode);
        QVERIFY(s.prepare(1000, 300, 32, RangeStreamer::formatFor(0, 32000), 0.01, preparedMode));
        for (int b = 0; b < 4; ++b)
            fill(s, b, 33000);
        QVERIFY(s.batchArrived(1, 0));
        QTRY_COMPARE(latch.setUps.load(), 1);
        for (int b = 1; b < 3; ++b) {
            QVERIFY(s.batchArrived(1, b));
            QTRY_VERIFY(s.isWorker1Idle());
        }
        QVERIFY(window.snapshot().empty());
        // A new image id restarts the set-up once the held one is done: release it meanwhile.
        std::thread release([&] {
            if (newImage) std::this_thread::sleep_for(std::chrono::milliseconds(20));
            latch.release();
        });
        QVERIFY(s.batchArrived(newImage ? 2 : 1, 3));
        release.join();
        s.waitUntilIdle();
        // Worker 1 may merge batches that queued up together; either way the rows come once, in
        // order, without gaps, and every point reached the window.
        const Rows rows = window.snapshot();
        QVERIFY(!rows.empty());
        QCOMPARE(rows.front().first, newImage ? 900 : 0);
        for (size_t i = 1; i < rows.size(); ++i)
            QCOMPARE(rows[i].first, rows[i - 1].second + 1);
        QCOMPARE(rows.back().second, 999);
        QCOMPARE(s.lastRowAppended(), 999);
        QCOMPARE(NuvGetPointCount(window.handle), int64_t((newImage ? 100 : 1000) * 32));
        QVERIFY(!s.batchArrived(1, 4));  // outside the scan
    }

    void endOfScanCopyWaitsForConversion() {
        // Every sample lies above the colour range, so worker 1 clears them all in place; the copy for
        // the end-of-scan page must not be taken half-way.
        RangeStreamer s(0);
        QVERIFY(s.prepare(1000, 1000, 3200, RangeStreamer::formatFor(0, 32000), 0.01, 3));
        RangeStreamer::DisplaySettings settings = s.displaySettings();
        settings.heightMin = -1.0f;
        settings.heightMax = 1.0f;
        s.setDisplaySettings(settings);
        fill(s, 0, 40000);
        QVERIFY(s.batchArrived(1, 0));
        NuvRangeImage copy;
        QVERIFY(s.copyRangeImage(&copy));
        QCOMPARE(cv::countNonZero(copy.mat()), 0);
    }

    void clearAndStopWhileBatchesArrive() {
        auto s = std::make_unique<RangeStreamer>(0);
        s->prepare(2000, 50, 256, RangeStreamer::formatFor(0, 32000), 0.01, 3);
        std::atomic<bool> stop{false};
        std::thread writer([&] {
            for (int b = 0; !stop; ++b)
                fill(*s, b % 40, 30000 + b % 1000);
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
};

QTEST_MAIN(TestRangeStreamer)
#include "tst_rangestreamer.moc"
