// SPDX-License-Identifier: Apache-2.0
// Range data from a laser profiler to the pane. Frames through the dispatcher and its transform
// tool: pictures with the laser line, single profiles of both sample widths in millimetres, range
// batches into the pane's buffers, range images of multi-image frames, and frames that must never be
// published or leak their buffer. The range streamer behind the pane's buffers: batch geometry,
// wrapped queues, sample formats, held batches and the format they keep, the end-of-scan copy, scan
// bounds, and clear/stop while batches keep arriving.
#include <QElapsedTimer>
#include <QtTest>
#include <atomic>
#include <climits>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "Image3DWnd.h"
#include "ImageUpdateManager.h"
#include "ImageWndLabel.h"
#include "LiveRangePages.h"
#include "Nuv3DGraphics.h"
#include "NuvPayloadWriter.h"
#include "NuvPixelFormat.h"
#include "PaneSaveCommands.h"
#include "RangeBatchSink.h"
#include "RangeStreamer.h"
#include "ReadBack.h"
#include "SaveImageTool.h"
#include "ScanArrivals.h"
#include "StreamHealthMonitor.h"
#include "ViewerHost.h"
#include "Wnd3DImageTransTool.h"

namespace Control = ZavizoZoz3::Control;

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

// The shape batch `batch` of the prepared scan has.
RangeStreamer::BatchShape shapeOf(const RangeStreamer& s, int batch) {
    return {RangeStreamer::linesOfBatch(batch, s.totalLines(), s.linesPerBatch()), s.pointsPerLine(),
            s.format().bytesPerPoint};
}

void fill(RangeStreamer& s, int batch, int32_t value, uint64_t image = 1) {
    s.writeBatch(image, batch, shapeOf(s, batch), [value](const RangeStreamer::BatchBuffers& b) {
        const size_t width = static_cast<size_t>(b.bytesPerPoint);
        for (size_t at = 0; at < b.rangeBytes; at += width)  // little-endian: the low 2 or 4 bytes
            std::memcpy(b.range + at, &value, width);
        std::fill(b.grey, b.grey + b.greyBytes, static_cast<uint8_t>(value));
        return true;
    });
}

// Every sample of the image, once each.
std::set<int64_t> samplesOf(const NuvRangeImage& image) {
    std::set<int64_t> values;
    for (int line = 0; line < image.height(); ++line)
        for (int p = 0; p < image.width(); ++p)
            values.insert(image.sample(line, p));
    return values;
}

}  // namespace

class TestTransformTool : public QObject, protected TestSupport::ViewerHost {
    Q_OBJECT
private slots:
    void init() {
        TestSupport::resetEnvironment();
        openViewer(800, 600);
        QVERIFY(bindCamera(Control::CameraKind::LaserProfiler, "LP"));
        m_writer.setScaler(32000);
    }

    void cleanup() { closeViewer(); }

    // Single profiles go by the profile formula of their width, whatever the range formula says.
    void profilesReachContourInMillimetres_data() {
        QTest::addColumn<int>("bits");
        QTest::addColumn<int>("scaler");
        QTest::addColumn<int>("raw");
        QTest::addColumn<bool>("brightness");
        QTest::newRow("16-bit, 1 um") << 16 << 32000 << 32768 + 2500 << true;
        QTest::newRow("16-bit, large scaler") << 16 << 262144 << 32768 + 2 * 8192 << false;
        QTest::newRow("32-bit") << 32 << 32000 << 0x100000 + 2 * 32000 << true;
    }

    void profilesReachContourInMillimetres() {
        QFETCH(int, bits);
        QFETCH(int, scaler);
        QFETCH(int, raw);
        QFETCH(bool, brightness);
        m_writer.setScaler(static_cast<uint32_t>(scaler));
        const std::vector<uint8_t> grey(3200, 90);
        QSignalSpy spy(manager()->dispatcher(), &ImageUpdateManager::profileUpdate);
        // Two consecutive frames, the second one 0 mm everywhere: they arrive in order.
        for (const int64_t r : {int64_t(raw), int64_t(bits == 16 ? 32768 : 0x100000)}) {
            std::vector<uint8_t> payload;
            std::vector<uint16_t> s16(3200, static_cast<uint16_t>(r));
            std::vector<int32_t> s32(3200, static_cast<int32_t>(r));
            s16[0] = 0;  // no measurement
            s32[0] = 0;
            const uint8_t* b = brightness ? grey.data() : nullptr;
            QVERIFY(bits == 16 ? m_writer.writeProfile16(payload, 1, 1, s16.data(), 3200, b)
                               : m_writer.writeProfile32(payload, 1, 1, s32.data(), 3200, b));
            post(1, 1, payload);
        }
        drain();  // the spies fill on the business layer's thread: read them once it is idle
        QCOMPARE(spy.count(), 2);
        const QVector<qreal> first = spy.at(0).at(1).value<QVector<qreal>>();
        QCOMPARE(first.size(), 3200);
        QVERIFY(std::isnan(first[0]));
        QCOMPARE(first[1], bits == 16 && scaler == 32000 ? 2.5 : 2.0);
        QCOMPARE(spy.at(0).at(2).value<QVector<uint8_t>>().size(), brightness ? 3200 : 0);
        QCOMPARE(m_pane->view3D()->lastProfile().value(1), 0.0);
    }

    void pictureCarriesLaserLineRows() {
        const int w = 320, h = 100, lineRow = 40;
        std::vector<uint8_t> pixels(static_cast<size_t>(w) * h, 5);
        std::fill_n(pixels.begin() + lineRow * w, w, 250);
        const QList<QVariant> sent = showPicture(pixels, w, h);
        QVERIFY(!sent.isEmpty());
        const auto image = sent.at(1).value<QSharedPointer<QImage>>();
        const QVector<qreal> profile = sent.at(2).value<QVector<qreal>>();
        QCOMPARE(image->format(), QImage::Format_RGB888);
        QCOMPARE(profile.size(), w);
        const int rowsAbove = image->height() - h;  // the window sits at the bottom (row offset 0)
        QCOMPARE(profile[10], qreal(lineRow + rowsAbove));
        QCOMPARE(QColor(image->pixel(5, 0)), QColor(19, 156, 95));  // outside the sensor window
        QCOMPARE(qGray(image->pixel(5, rowsAbove + lineRow)), 250);
        // The pane reports the size of the picture it shows: the whole composed sensor.
        QCOMPARE(QString::fromStdString(ZavizoZoz3::GetCameraInfo(m_key, ZavizoZoz3::CAM_INFO_RESOLUTION)),
                 QStringLiteral("%1 * %2").arg(image->width()).arg(image->height()));
    }

    // The sensor picture is composed in a buffer of the tool's: a window larger than the sensor
    // grows it, and a smaller window afterwards must give that memory back.
    void composedPictureMemoryFollowsWindow() {
        auto* tool =
            new Wnd3DImageTransTool(manager()->dispatcher(), manager(), QString::fromStdString(m_key),
                                    std::make_shared<RangeBatchSink>());
        manager()->dispatcher()->addTool(QString::fromStdString(m_key), tool);
        const size_t sensorBytes = size_t(3200) * 1024 * 3;  // the simulated profiler's sensor
        for (const QSize window : {QSize(4000, 1500), QSize(320, 100)}) {
            const int w = window.width(), h = window.height();
            const std::vector<uint8_t> pixels(static_cast<size_t>(w) * h, 7);
            const QList<QVariant> sent = showPicture(pixels, w, h);
            QVERIFY(!sent.isEmpty());
            const QSize shown = sent.at(1).value<QSharedPointer<QImage>>()->size();
            QCOMPARE(shown, window.expandedTo(QSize(3200, 1024)));
            QCOMPARE(tool->composedBufferBytes(), std::max(sensorBytes, size_t(w) * h * 3));
        }
    }

    void rangeBatchesLandInPaneBuffer_data() {
        QTest::addColumn<int>("bits");
        QTest::newRow("16-bit") << 16;
        QTest::newRow("32-bit") << 32;
    }

    void rangeBatchesLandInPaneBuffer() {
        QFETCH(int, bits);
        // The sample width is read from business-layer threads while the GUI thread prepares.
        ImageWndManager* panes = manager();
        std::atomic<bool> prepared{false};
        std::atomic<int> kind{-1};
        Control::post([&] {
            while (!prepared)
                kind = panes->rangeDataKind(QString::fromStdString(m_key));
            kind = panes->rangeDataKind(QString::fromStdString(m_key));
        });
        const auto streamer = prepareScan(250, bits == 16 ? "16" : "32");
        prepared = true;
        Control::waitIdle();
        QVERIFY(streamer);
        QCOMPARE(kind.load(), bits == 16 ? 0 : 1);
        const int points = streamer->pointsPerLine();
        QSignalSpy spy(manager()->dispatcher(), &ImageUpdateManager::rangeImageUpdate);
        const int64_t base = bits == 16 ? 30000 : 0x40000;
        for (int b = 0; b < 3; ++b) {
            std::vector<uint8_t> payload;
            QVERIFY(writeRange(&payload, bits, b, b == 2, base + b, points, b < 2 ? 100 : 50));
            post(2, b, payload);
        }
        drain();
        QCOMPARE(spy.count(), 3);
        NuvRangeImage copy;
        QVERIFY(streamer->copyRangeImage(&copy));
        QCOMPARE(copy.sample(0, 0), base);
        QCOMPARE(copy.sample(150, 5), base + 1);
        QCOMPARE(copy.sample(249, points - 1), base + 2);
        QVERIFY(spy.at(2).at(4).toBool());
    }

    // Nothing is published for these, they count as dropped in the pane, nothing of them lands in
    // the scan, and the buffer always goes back. The scan holds 250 lines of 3200 16-bit samples
    // in batches of 100; a camera removed meanwhile has no pane any more.
    void refusedFramesAreDroppedAndReleased_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("bits");
        QTest::addColumn<int>("batch");
        QTest::addColumn<int>("lines");
        QTest::addColumn<int>("points");
        QTest::addColumn<int>("cut");  // bytes kept, -1 all, -2 garbage instead
        QTest::newRow("camera removed") << 2 << 16 << 0 << 100 << 3200 << -1;
        QTest::newRow("batch outside the scan") << 2 << 16 << 5 << 100 << 3200 << -1;
        QTest::newRow("more lines than the scan") << 2 << 16 << 0 << 300 << 3200 << -1;
        QTest::newRow("last batch beyond the scan's lines") << 2 << 16 << 2 << 100 << 3200 << -1;
        QTest::newRow("batch size changed mid-grab") << 2 << 16 << 0 << 50 << 3200 << -1;
        QTest::newRow("other points per line, same samples") << 2 << 16 << 1 << 200 << 1600 << -1;
        QTest::newRow("32-bit batch into a 16-bit scan") << 2 << 32 << 0 << 100 << 3200 << -1;
        QTest::newRow("32-bit batch of half the lines") << 2 << 32 << 0 << 50 << 3200 << -1;
        QTest::newRow("picture, header only") << 0 << 16 << 0 << 2 << 3200 << 64;
        QTest::newRow("range, truncated data") << 2 << 16 << 0 << 2 << 3200 << 200;
        QTest::newRow("range, garbage") << 2 << 16 << 0 << 2 << 3200 << -2;
        QTest::newRow("kind 9 garbage") << 9 << 16 << 0 << 2 << 3200 << -2;
    }

    void refusedFramesAreDroppedAndReleased() {
        QFETCH(int, kind);
        QFETCH(int, bits);
        QFETCH(int, batch);
        QFETCH(int, lines);
        QFETCH(int, points);
        QFETCH(int, cut);
        const auto streamer = prepareScan(250, "16");
        QVERIFY(streamer);
        std::vector<uint8_t> payload(500, 0xAB);
        if (cut != -2) {
            QVERIFY(writeRange(&payload, bits, batch, false, bits == 16 ? 30000 : 0x40000, points, lines));
            if (cut >= 0) payload.resize(static_cast<size_t>(cut));
        }
        const bool removed = QByteArray(QTest::currentDataTag()) == "camera removed";
        if (removed) {
            Control::setConnected(m_key, false);
            Control::postDeviceList(1);
            QTRY_COMPARE(manager()->paneIndexOf(QString::fromStdString(m_key)), 0);
        }
        auto* d = manager()->dispatcher();
        QSignalSpy pictures(d, &ImageUpdateManager::qimageProfileUpdate);
        QSignalSpy ranges(d, &ImageUpdateManager::rangeImageUpdate);
        const auto counters = m_pane->streamHealth()->counters();
        counters->reset();
        post(static_cast<uint32_t>(kind), static_cast<uint32_t>(batch), payload, 320, 100);
        drain();
        QCOMPARE(pictures.count() + ranges.count(), 0);
        QTRY_COMPARE(Control::outstandingBuffers(), 0);
        QCOMPARE(counters->dropped(), removed ? 0u : 1u);
        NuvRangeImage scan;
        if (!removed && streamer->copyRangeImage(&scan)) QCOMPARE(cv::countNonZero(scan.mat()), 0);
    }

    // The business layer runs ahead of a busy GUI thread: the last batches of image 1 and the
    // first of the next images are written before the GUI thread gets to any of them. The scan
    // copied at the end of image 1, shown on its pages and saved holds image 1's samples only, and
    // the next image, once the GUI thread reaches it, holds its own.
    void scanStaysWholeWhileTheGuiLags_data() {
        QTest::addColumn<int>("bits");
        QTest::addColumn<int>("images");  // images whose batches are written before the GUI runs
        QTest::newRow("next image's first batch") << 16 << 2;
        QTest::newRow("a whole next image and the first batch of another") << 16 << 3;
    }

    void scanStaysWholeWhileTheGuiLags() {
        QFETCH(int, bits);
        QFETCH(int, images);
        QTemporaryDir folder;
        Control::setParameterInfo(ZavizoZoz3::PARAMETER_SAVE_DIR, folder.path().toStdString());
        const auto streamer = prepareScan(250, bits == 16 ? "16" : "32");
        QVERIFY(streamer);
        Image3DWnd* view = m_pane->view3D();
        view->btn3DMode->click();
        view->btn2DRangeImageShow->click();
        view->btnMultiSave->click();
        QVERIFY(m_pane->saveCommands()->isMultiSaving());
        const int points = streamer->pointsPerLine();
        // Images 2 mm apart, so that each has its own colour on the range page.
        const RangeStreamer::Format format = streamer->format();
        const auto valueOf = [&](int image) {
            return int64_t(format.heightOffset + image * 2.0 / format.heightScale);
        };
        for (int image = 1; image <= images; ++image) {
            const int batches = image < images ? 3 : 1;
            for (int b = 0; b < batches; ++b) {
                std::vector<uint8_t> payload;
                QVERIFY(writeRange(&payload, bits, b, b == 2, valueOf(image), points, b < 2 ? 100 : 50,
                                   static_cast<uint64_t>(image)));
                post(2, static_cast<uint32_t>(b), payload);
            }
        }
        Control::waitIdle();  // every batch written, none handed to the GUI thread yet
        QCOMPARE(m_pane->streamHealth()->counters()->dropped(), 0u);
        // The GUI thread takes the batches (timers wait: the range page keeps the finished image).
        // What waits for the conversion worker is handed on as soon as the worker has caught up.
        QCoreApplication::sendPostedEvents();
        while (view->arrivals()->isWaiting()) {
            streamer->waitUntilIdle();
            view->arrivals()->drain();
        }
        // Shown: the range page has the last finished image's colour and no other.
        const auto colourOf = [&](int image) {
            const int64_t raw = valueOf(image);
            uint8_t rgb[3] = {};
            NuvRangeLUT16 lut;
            const RangeStreamer::DisplaySettings s = streamer->displaySettings();
            LiveRangePages::colourRows(reinterpret_cast<const uint8_t*>(&raw), 1, format, s.heightMin,
                                       s.heightMax, &lut, rgb);
            return QColor(rgb[0], rgb[1], rgb[2]).rgb();
        };
        const QImage page = view->rangeLabel()->grab().toImage();
        QMap<QRgb, int> colours;
        for (int y = 0; y < page.height(); ++y)
            for (int x = 0; x < page.width(); ++x)
                ++colours[page.pixel(x, y)];
        for (int image = 1; image <= images; ++image)
            QCOMPARE(colours.value(colourOf(image)) > 0, image == images - 1);
        // The image the GUI thread is on now holds its first batch and nothing of earlier images.
        NuvRangeImage current;
        QVERIFY(streamer->copyRangeImage(&current));
        QCOMPARE(current.sample(0, 0), valueOf(images));
        QCOMPARE(samplesOf(current), (std::set<int64_t>{0, valueOf(images)}));
        // Saved: one file per finished image, each with that image's samples only.
        view->btnMultiSave->click();
        QTRY_VERIFY_WITH_TIMEOUT(!m_pane->saveCommands()->worker().isSaving(), 20000);
        std::set<int64_t> saved;
        const QDir dir(folder.path() + "/LP");
        const QStringList tiffs = dir.entryList({"*.tif"}, QDir::Files, QDir::Name);
        QCOMPARE(tiffs.size(), images - 1);
        for (const QString& name : tiffs) {
            const QJsonArray samples = TestSupport::readBack("tiff", dir.filePath(name))["samples"].toArray();
            std::set<int64_t> values;
            for (const QJsonValue& v : samples)
                values.insert(static_cast<int64_t>(v.toDouble()));
            QCOMPARE(values.size(), size_t(1));
            saved.insert(*values.begin());
        }
        std::set<int64_t> finished;
        for (int image = 1; image < images; ++image)
            finished.insert(valueOf(image));
        QCOMPARE(saved, finished);
    }

    // Two scans of 1000 lines stream in while either the GUI thread or the conversion worker is held
    // up for a while. Afterwards the pages have caught up with both: the 3D window got every line of
    // each scan exactly once and in order, the live pages show the second scan whole, and the first
    // scan was shown finished. While the worker is held the GUI thread keeps running.
    void pagesCatchUpAfterAStall_data() {
        QTest::addColumn<bool>("guiStalled");
        QTest::newRow("GUI thread stalled") << true;
        QTest::newRow("conversion stalled") << false;
    }

    void pagesCatchUpAfterAStall() {
        QFETCH(bool, guiStalled);
        const auto streamer = prepareScan(1000, "16");
        QVERIFY(streamer);
        Image3DWnd* view = m_pane->view3D();
        view->btn3DMode->click();
        view->btn3DShow->click();
        const int points = streamer->pointsPerLine();
        std::mutex mutex;  // guards rows, held and mostThinned
        std::condition_variable wake;
        bool held = !guiStalled;
        Rows rows;
        int mostThinned = 1;
        streamer->setAppendObserver([&](int first, int last) {
            std::unique_lock<std::mutex> lock(mutex);
            wake.wait(lock, [&] { return !held; });  // the conversion worker waits here while held
            rows.emplace_back(first, last);
            // A new scan starts unthinned, so the thinning is watched while the lines go in.
            mostThinned = std::max(mostThinned, streamer->lineThinning());
        });
        const auto release = [&] {
            std::lock_guard<std::mutex> lock(mutex);
            held = false;
            wake.notify_all();
        };
        // Lets the worker go at the latest after 20 s, so a GUI thread that waits for it is caught
        // below rather than hanging the suite.
        std::thread watchdog([&] {
            std::unique_lock<std::mutex> lock(mutex);
            wake.wait_for(lock, std::chrono::seconds(20), [&] { return !held; });
            held = false;
            wake.notify_all();
        });
        for (uint64_t image = 1; image <= 2; ++image) {
            for (int b = 0; b < 10; ++b) {
                std::vector<uint8_t> payload;
                QVERIFY(writeRange(&payload, 16, b, b == 9, 30000 + 1000 * int(image), points, 100, image));
                post(2, static_cast<uint32_t>(b), payload);
            }
            // The second scan's batches wait aside until the GUI thread is through with the first.
            if (guiStalled && image == 1) Control::waitIdle();
        }
        Control::waitIdle();
        QCOMPARE(m_pane->streamHealth()->counters()->dropped(), 0u);
        if (!guiStalled) {
            // The GUI thread takes every announcement while the worker is held: had it waited for
            // the worker, it would only get past these calls once the watchdog let the worker go.
            QCoreApplication::sendPostedEvents();
            QCoreApplication::processEvents();
            QVERIFY(view->arrivals()->isWaiting());
            {
                std::lock_guard<std::mutex> lock(mutex);
                QVERIFY(held);
            }
            // Held for a second, as a slow disk or a busy core would: the waiting lines are late.
            QTest::qWait(1000);
            release();
        }
        watchdog.join();
        QTRY_VERIFY_WITH_TIMEOUT(
            streamer->receivingImageId() == 2 && !view->arrivals()->isWaiting() && streamer->isConverted(),
            20000);
        QTRY_COMPARE_WITH_TIMEOUT(view->livePages()->rowsShown(), 999, 10000);
        streamer->setAppendObserver(nullptr);
        // Lines that waited that long were thinned in 3D until conversion kept up again.
        if (!guiStalled) {
            std::lock_guard<std::mutex> lock(mutex);
            QVERIFY(mostThinned >= 2);
        }
        // Each scan's lines reached the 3D window once, in order, from its first line to its last.
        int scans = 0, next = 0;
        for (const auto& r : rows) {
            if (r.first == 0) {
                QCOMPARE(next, scans == 0 ? 0 : 1000);
                ++scans;
            } else {
                QCOMPARE(r.first, next);
            }
            next = r.second + 1;
        }
        QCOMPARE(scans, 2);
        QCOMPARE(next, 1000);
        QCOMPARE(streamer->lastRowAppended(), 999);
        QVERIFY(view->rangeLabel()->hasBackground());
        NuvRangeImage copy;
        QVERIFY(streamer->copyRangeImage(&copy));
        QCOMPARE(copy.sample(999, points - 1), int64_t(32000));
    }

    void imageArrayRangeImageIsShownAndOwned() {
        auto* dispatcher = manager()->dispatcher();
        Image3DWnd* view = m_pane->view3D();
        auto* picture = new NuvImage(8, 8, NuvPixelFormat::Mono8);
        auto* range = new NuvRangeImage(64, 20, 2);
        range->mat().setTo(33000);
        // The same picture under two keys, and a range image: the pane owns both.
        emit dispatcher->imageArrayUpdateEx(QString::fromStdString(m_key), {{1, picture}, {2, picture}},
                                            range);
        const auto streamer = m_pane->rangeStreamer();
        QTRY_COMPARE(streamer->lastRowAppended(), 19);
        QVERIFY(view->rangeLabel()->hasBackground());
        // Showing a key the set does not hold clears the range display as well.
        Control::postSLImageShowMode(m_key, 7);
        QTRY_VERIFY(!view->rangeLabel()->hasBackground());
        // A new set that keeps the picture must not free it; the viewer frees it once at the end.
        emit dispatcher->imageArrayUpdateEx(QString::fromStdString(m_key), {{1, picture}}, nullptr);
        QVERIFY(!streamer->hasImage());
    }

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
        int f = -1;
        int l = -1;
        QVERIFY(RangeStreamer::batchSpan(std::deque<int>(queue.begin(), queue.end()), &f, &l));
        QTEST(f, "first");
        QTEST(l, "last");
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
        QTEST(f.profileHeight(profileRaw), "profileHeight");  // NaN compares equal to NaN
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
        for (int batch : {0, (lines - 1) / 100, (lines - 1) / 100 + 1, -1, INT_MAX}) {
            RangeStreamer::BatchShape shape = shapeOf(s, batch);
            if (shape.lines == 0) shape.lines = 100;  // as a camera would send it
            written += s.writeBatch(1, batch, shape, [](const RangeStreamer::BatchBuffers&) { return true; });
        }
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
            fill(s, b, 33000, newImage && b == 3 ? 2 : 1);
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
                fill(*s, b % 40, 30000 + b % 1000, static_cast<uint64_t>(b / 40));
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

private:
    // Sends one w x h sensor picture through the business layer; the arguments of the one picture the
    // pane was handed, or none when it was not exactly one.
    QList<QVariant> showPicture(const std::vector<uint8_t>& pixels, int w, int h) {
        std::vector<uint8_t> payload;
        if (!m_writer.writeSensorPicture(payload, 1, 1, pixels.data(), w, h, w, 0)) return {};
        QSignalSpy spy(manager()->dispatcher(), &ImageUpdateManager::qimageProfileUpdate);
        post(0, 1, payload, w, h);
        drain();
        return spy.count() == 1 ? spy.at(0) : QList<QVariant>();
    }

    void post(uint32_t kind, uint32_t extra, const std::vector<uint8_t>& bytes, int w = 0, int h = 0) {
        Control::postImage(m_key, kind, extra, w, h, NuvPixelFormat::Mono8, bytes);
    }

    void drain() {
        Control::waitIdle();
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }

    // A range batch of image `image` in the given sample width, every sample `value`.
    bool writeRange(std::vector<uint8_t>* payload, int bits, int batch, bool last, int64_t value, int points,
                    int lines, uint64_t image = 7) {
        const size_t n = static_cast<size_t>(points) * lines;
        if (bits == 16) {
            const std::vector<uint16_t> raw(n, static_cast<uint16_t>(value));
            return m_writer.writeRangeBatch16(*payload, image, batch, last, raw.data(), points, lines,
                                              nullptr);
        }
        const std::vector<int32_t> raw(n, static_cast<int32_t>(value));
        return m_writer.writeRangeBatch32(*payload, image, batch, last, raw.data(), points, lines, nullptr);
    }

    std::shared_ptr<RangeStreamer> prepareScan(int lines, const char* bits) {
        ZavizoZoz3::SetCameraInfo(m_key, ZavizoZoz3::CAM_INFO_RANGE_BITS, bits);
        ZavizoZoz3::SetCameraNodeValue(m_key, "AcquisitionLineCount", std::to_string(lines));
        ZavizoZoz3::SetCameraNodeValue(m_key, "BatchNumber", "100");
        return m_viewer->initRangeImageDisplay(QString::fromStdString(m_key)) == 0 ? m_pane->rangeStreamer()
                                                                                   : nullptr;
    }

    NuvPayloadWriter m_writer;
};

QTEST_MAIN(TestTransformTool)
#include "tst_transformtool.moc"
