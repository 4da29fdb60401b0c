// Frames of a laser profiler through the dispatcher and its transform tool to the pane: pictures
// with the laser line, single profiles of both sample widths in millimetres, range batches into
// the pane's buffers, range images of multi-image frames, and frames that must never be published
// or leak their buffer.
#include <QSignalSpy>
#include <QtTest>
#include <atomic>
#include <vector>

#include "Image3DWnd.h"
#include "ImageUpdateManager.h"
#include "ImageWnd.h"
#include "ImageWndLabel.h"
#include "ImageWndManager.h"
#include "NuvPayloadWriter.h"
#include "NuvPixelFormat.h"
#include "NuvViewerImageWnd.h"
#include "RangeStreamer.h"
#include "TestSupport.h"
#include "ViewerHost.h"
#include "ZavizoZoz3.h"
#include "ZavizoZoz3Control.h"

namespace Control = ZavizoZoz3::Control;

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
        std::vector<uint8_t> payload;
        QVERIFY(m_writer.writeSensorPicture(payload, 1, 1, pixels.data(), w, h, w, 0));
        QSignalSpy spy(manager()->dispatcher(), &ImageUpdateManager::qimageProfileUpdate);
        post(0, 1, payload, w, h);
        drain();
        QCOMPARE(spy.count(), 1);
        const auto image = spy.at(0).at(1).value<QSharedPointer<QImage>>();
        const QVector<qreal> profile = spy.at(0).at(2).value<QVector<qreal>>();
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
        for (int b = 0; b < 3; ++b) {
            const int lines = b < 2 ? 100 : 50;
            const size_t n = static_cast<size_t>(points) * lines;
            std::vector<uint8_t> payload;
            const std::vector<uint16_t> raw16(n, static_cast<uint16_t>(30000 + b));
            const std::vector<int32_t> raw32(n, 0x40000 + b);
            QVERIFY(bits == 16 ? m_writer.writeRangeBatch16(payload, 7, b, b == 2, raw16.data(), points,
                                                            lines, nullptr)
                               : m_writer.writeRangeBatch32(payload, 7, b, b == 2, raw32.data(), points,
                                                            lines, nullptr));
            post(2, b, payload);
        }
        drain();
        QCOMPARE(spy.count(), 3);
        NuvRangeImage copy;
        QVERIFY(streamer->copyRangeImage(&copy));
        const int64_t base = bits == 16 ? 30000 : 0x40000;
        QCOMPARE(copy.sample(0, 0), base);
        QCOMPARE(copy.sample(150, 5), base + 1);
        QCOMPARE(copy.sample(249, points - 1), base + 2);
        QVERIFY(spy.at(2).at(4).toBool());
    }

    // Nothing is published for these, and the buffer always goes back. The scan holds 100 lines of
    // 16-bit samples; a camera removed meanwhile has no pane any more.
    void refusedFramesAreDroppedAndReleased_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("bits");
        QTest::addColumn<int>("batch");
        QTest::addColumn<int>("lines");
        QTest::addColumn<int>("cut");  // bytes kept, -1 all, -2 garbage instead
        QTest::newRow("camera removed") << 2 << 16 << 0 << 100 << -1;
        QTest::newRow("batch outside the scan") << 2 << 16 << 5 << 100 << -1;
        QTest::newRow("more lines than the scan") << 2 << 16 << 0 << 300 << -1;
        QTest::newRow("32-bit batch into a 16-bit scan") << 2 << 32 << 0 << 100 << -1;
        QTest::newRow("picture, header only") << 0 << 16 << 0 << 2 << 64;
        QTest::newRow("range, truncated data") << 2 << 16 << 0 << 2 << 200;
        QTest::newRow("range, garbage") << 2 << 16 << 0 << 2 << -2;
        QTest::newRow("kind 9 garbage") << 9 << 16 << 0 << 2 << -2;
    }

    void refusedFramesAreDroppedAndReleased() {
        QFETCH(int, kind);
        QFETCH(int, bits);
        QFETCH(int, batch);
        QFETCH(int, lines);
        QFETCH(int, cut);
        QVERIFY(prepareScan(100, "16"));
        const size_t n = size_t(3200) * lines;
        std::vector<uint8_t> payload(500, 0xAB);
        if (cut != -2) {
            const std::vector<uint16_t> raw16(n, 30000);
            const std::vector<int32_t> raw32(n, 0x40000);
            QVERIFY(bits == 16 ? m_writer.writeRangeBatch16(payload, 7, batch, false, raw16.data(), 3200,
                                                            lines, nullptr)
                               : m_writer.writeRangeBatch32(payload, 7, batch, false, raw32.data(), 3200,
                                                            lines, nullptr));
            if (cut >= 0) payload.resize(static_cast<size_t>(cut));
        }
        if (QByteArray(QTest::currentDataTag()) == "camera removed") {
            Control::setConnected(m_key, false);
            Control::postDeviceList(1);
            QTRY_COMPARE(manager()->paneIndexOf(QString::fromStdString(m_key)), 0);
        }
        auto* d = manager()->dispatcher();
        QSignalSpy pictures(d, &ImageUpdateManager::qimageProfileUpdate);
        QSignalSpy ranges(d, &ImageUpdateManager::rangeImageUpdate);
        post(static_cast<uint32_t>(kind), static_cast<uint32_t>(batch), payload, 320, 100);
        drain();
        QCOMPARE(pictures.count() + ranges.count(), 0);
        QTRY_COMPARE(Control::outstandingBuffers(), 0);
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

private:
    void post(uint32_t kind, uint32_t extra, const std::vector<uint8_t>& bytes, int w = 0, int h = 0) {
        Control::postImage(m_key, kind, extra, w, h, NuvPixelFormat::Mono8, bytes);
    }

    void drain() {
        Control::waitIdle();
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
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
