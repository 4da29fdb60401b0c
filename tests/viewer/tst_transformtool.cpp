// Frames of a laser profiler through the dispatcher and its transform tool to the pane: pictures
// with the laser line, single profiles in millimetres, range batches into the pane's buffers, and
// bad payloads that must never be published or leak their buffer.
#include <QSignalSpy>
#include <QtTest>
#include <vector>

#include "Image3DWnd.h"
#include "ImageUpdateManager.h"
#include "ImageWnd.h"
#include "ImageWndManager.h"
#include "NuvPayloadWriter.h"
#include "NuvPixelFormat.h"
#include "NuvViewerImageWnd.h"
#include "RangeStreamer.h"
#include "TestSupport.h"
#include "ZavizoZoz3.h"
#include "ZavizoZoz3Control.h"

namespace Control = ZavizoZoz3::Control;

class TestTransformTool : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void profileReachesContourInMillimetres();
    void consecutiveProfilesKeepOrder();
    void pictureCarriesLaserLineRows();
    void rangeBatchesLandInPaneBuffer();
    void batchOutsideScanIsNotPublished();
    void malformedPayloadsAreDroppedAndReleased_data();
    void malformedPayloadsAreDroppedAndReleased();
    void removedCameraFramesAreIgnored();

private:
    void post(uint32_t kind, uint32_t extra, const std::vector<uint8_t>& bytes, int w = 0, int h = 0);
    void drain();

    QWidget* m_host = nullptr;
    NuvViewerImageWnd* m_viewer = nullptr;
    std::string m_key;
    NuvPayloadWriter m_writer;
};

void TestTransformTool::init() {
    TestSupport::resetEnvironment();
    m_host = new QWidget();
    m_host->resize(800, 600);
    m_viewer = new NuvViewerImageWnd(m_host);
    m_key = Control::addCamera(Control::CameraKind::LaserProfiler, "LP");
    Control::setConnected(m_key, true);
    Control::setOpen(m_key, true);
    QSignalSpy bound(m_viewer, &NuvViewerImageWnd::dropWndSuccess);
    Control::postDeviceList(1);
    QVERIFY(bound.wait(5000));
    m_writer.setScaler(32000);
}

void TestTransformTool::cleanup() {
    delete m_viewer;
    m_viewer = nullptr;
    delete m_host;
    m_host = nullptr;
    Control::reset();
}

void TestTransformTool::post(uint32_t kind, uint32_t extra, const std::vector<uint8_t>& bytes, int w, int h) {
    Control::postImage(m_key, kind, extra, w, h, NuvPixelFormat::Mono8, bytes);
}

void TestTransformTool::drain() {
    Control::waitIdle();
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

void TestTransformTool::profileReachesContourInMillimetres() {
    std::vector<uint16_t> raw(3200, 32768 + 2500);  // 2.5 mm at 1 um per count
    raw[0] = 0;                                     // no measurement
    std::vector<uint8_t> brightness(3200, 90);
    std::vector<uint8_t> payload;
    QVERIFY(m_writer.writeProfile16(payload, 1, 1, raw.data(), 3200, brightness.data()));
    QSignalSpy spy(m_viewer->manager()->dispatcher(), &ImageUpdateManager::profileUpdate);
    post(1, 1, payload);
    QTRY_COMPARE(spy.count(), 1);
    drain();
    const QVector<qreal> shown = m_viewer->manager()->pane(1)->view3D()->lastProfile();
    QCOMPARE(shown.size(), 3200);
    QVERIFY(std::isnan(shown[0]));
    QVERIFY(qAbs(shown[1] - 2.5) < 1e-9);
    QCOMPARE(spy.at(0).at(2).value<QVector<uint8_t>>().size(), 3200);
}

void TestTransformTool::consecutiveProfilesKeepOrder() {
    QSignalSpy spy(m_viewer->manager()->dispatcher(), &ImageUpdateManager::profileUpdate);
    for (int i = 0; i < 20; ++i) {
        std::vector<uint16_t> raw(64, static_cast<uint16_t>(32768 + 1000 * i));
        std::vector<uint8_t> payload;
        QVERIFY(m_writer.writeProfile16(payload, 1, static_cast<uint32_t>(i), raw.data(), 64, nullptr));
        post(1, static_cast<uint32_t>(i), payload);
    }
    QTRY_COMPARE(spy.count(), 20);
    for (int i = 0; i < 20; ++i) {
        const QVector<qreal> p = spy.at(i).at(1).value<QVector<qreal>>();
        QCOMPARE(p.size(), 64);
        QVERIFY(qAbs(p[0] - i) < 1e-9);
        QVERIFY(spy.at(i).at(2).value<QVector<uint8_t>>().isEmpty());  // no brightness in the payload
    }
}

void TestTransformTool::pictureCarriesLaserLineRows() {
    const int w = 320, h = 100, lineRow = 40;
    std::vector<uint8_t> pixels(static_cast<size_t>(w) * h, 5);
    for (int x = 0; x < w; ++x)
        pixels[static_cast<size_t>(lineRow) * w + x] = 250;
    std::vector<uint8_t> payload;
    QVERIFY(m_writer.writeSensorPicture(payload, 1, 1, pixels.data(), w, h, w, 0));
    QSignalSpy spy(m_viewer->manager()->dispatcher(), &ImageUpdateManager::qimageProfileUpdate);
    post(0, 1, payload, w, h);
    QTRY_COMPARE(spy.count(), 1);
    const auto image = spy.at(0).at(1).value<QSharedPointer<QImage>>();
    const QVector<qreal> profile = spy.at(0).at(2).value<QVector<qreal>>();
    QVERIFY(image);
    QCOMPARE(image->format(), QImage::Format_RGB888);
    QCOMPARE(profile.size(), w);
    const int rowsAbove = image->height() - h;  // the window sits at the bottom (row offset 0)
    QCOMPARE(profile[10], qreal(lineRow + rowsAbove));
    QCOMPARE(QColor(image->pixel(5, 0)), QColor(19, 156, 95));  // outside the sensor window
    QCOMPARE(qGray(image->pixel(5, rowsAbove + lineRow)), 250);
    // The pane reports the size of the picture it shows: the whole composed sensor.
    drain();
    QCOMPARE(QString::fromStdString(ZavizoZoz3::GetCameraInfo(m_key, ZavizoZoz3::CAM_INFO_RESOLUTION)),
             QStringLiteral("%1 * %2").arg(image->width()).arg(image->height()));
}

void TestTransformTool::rangeBatchesLandInPaneBuffer() {
    QCOMPARE(ZavizoZoz3::SetCameraNodeValue(m_key, "AcquisitionLineCount", "250"), 0);
    QCOMPARE(ZavizoZoz3::SetCameraNodeValue(m_key, "BatchNumber", "100"), 0);
    QCOMPARE(m_viewer->initRangeImageDisplay(QString::fromStdString(m_key)), 0);
    const auto streamer = m_viewer->manager()->pane(1)->rangeStreamer();
    QVERIFY(streamer);
    QCOMPARE(streamer->totalLines(), 250);
    const int points = streamer->pointsPerLine();
    QSignalSpy spy(m_viewer->manager()->dispatcher(), &ImageUpdateManager::rangeImageUpdate);
    for (int b = 0; b < 3; ++b) {
        const int lines = b < 2 ? 100 : 50;
        std::vector<uint16_t> raw(static_cast<size_t>(points) * lines, static_cast<uint16_t>(30000 + b));
        std::vector<uint8_t> payload;
        QVERIFY(m_writer.writeRangeBatch16(payload, 7, b, b == 2, raw.data(), points, lines, nullptr));
        post(2, b, payload);
    }
    QTRY_COMPARE(spy.count(), 3);
    drain();
    streamer->waitUntilIdle();
    NuvRangeImage copy;
    QVERIFY(streamer->copyRangeImage(&copy));
    QCOMPARE(copy.sample(0, 0), int64_t(30000));
    QCOMPARE(copy.sample(150, 5), int64_t(30001));
    QCOMPARE(copy.sample(249, points - 1), int64_t(30002));
    QVERIFY(spy.at(2).at(4).toBool());
}

void TestTransformTool::batchOutsideScanIsNotPublished() {
    QCOMPARE(ZavizoZoz3::SetCameraNodeValue(m_key, "AcquisitionLineCount", "100"), 0);
    QCOMPARE(ZavizoZoz3::SetCameraNodeValue(m_key, "BatchNumber", "100"), 0);
    QCOMPARE(m_viewer->initRangeImageDisplay(QString::fromStdString(m_key)), 0);
    const int points = m_viewer->manager()->pane(1)->rangeStreamer()->pointsPerLine();
    std::vector<uint16_t> raw(static_cast<size_t>(points) * 100, 30000);
    std::vector<uint8_t> payload;
    QVERIFY(m_writer.writeRangeBatch16(payload, 7, 5, false, raw.data(), points, 100, nullptr));
    QSignalSpy spy(m_viewer->manager()->dispatcher(), &ImageUpdateManager::rangeImageUpdate);
    post(2, 5, payload);
    // A batch too large for the scan's buffer is refused as well.
    std::vector<uint16_t> big(static_cast<size_t>(points) * 300, 30000);
    QVERIFY(m_writer.writeRangeBatch16(payload, 7, 0, false, big.data(), points, 300, nullptr));
    post(2, 0, payload);
    drain();
    QCOMPARE(spy.count(), 0);
    QTRY_COMPARE(Control::outstandingBuffers(), 0);
}

void TestTransformTool::malformedPayloadsAreDroppedAndReleased_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("cut");
    QTest::newRow("picture, header only") << 0 << 64;
    QTest::newRow("range, truncated data") << 2 << 200;
    QTest::newRow("range, empty") << 2 << 0;
    QTest::newRow("range, garbage") << 2 << -1;
    QTest::newRow("kind 9 garbage") << 9 << -1;
}

void TestTransformTool::malformedPayloadsAreDroppedAndReleased() {
    QFETCH(int, kind);
    QFETCH(int, cut);
    std::vector<uint8_t> payload;
    if (cut < 0) {
        payload.assign(500, 0xAB);
    } else {
        std::vector<uint16_t> raw(3200 * 2, 30000);
        QVERIFY(m_writer.writeRangeBatch16(payload, 1, 0, false, raw.data(), 3200, 2, nullptr));
        payload.resize(static_cast<size_t>(cut));
    }
    auto* d = m_viewer->manager()->dispatcher();
    QSignalSpy pictures(d, &ImageUpdateManager::qimageProfileUpdate);
    QSignalSpy ranges(d, &ImageUpdateManager::rangeImageUpdate);
    post(static_cast<uint32_t>(kind), 0, payload, 320, 100);
    drain();
    QCOMPARE(pictures.count(), 0);
    QCOMPARE(ranges.count(), 0);
    QTRY_COMPARE(Control::outstandingBuffers(), 0);
}

void TestTransformTool::removedCameraFramesAreIgnored() {
    std::vector<uint16_t> raw(64, 33000);
    std::vector<uint8_t> payload;
    QVERIFY(m_writer.writeProfile16(payload, 1, 1, raw.data(), 64, nullptr));
    Control::setConnected(m_key, false);
    Control::postDeviceList(1);
    QTRY_COMPARE(m_viewer->manager()->paneIndexOf(QString::fromStdString(m_key)), 0);
    QSignalSpy spy(m_viewer->manager()->dispatcher(), &ImageUpdateManager::profileUpdate);
    post(1, 1, payload);
    drain();
    QCOMPARE(spy.count(), 0);
    QTRY_COMPARE(Control::outstandingBuffers(), 0);
}

QTEST_MAIN(TestTransformTool)
#include "tst_transformtool.moc"
