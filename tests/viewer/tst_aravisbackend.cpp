// SPDX-License-Identifier: Apache-2.0
// GenICam cameras through Aravis, exercised only with Aravis's fake cameras: the in-process one
// (discovery into a pane, features through the GenApi node map, streaming with every frame
// accounted for, pixel formats, single grabs, a camera that goes silent, disconnecting while
// streaming) and its GigE Vision twin served on 127.0.0.1 and opened by that address (real
// GVCP/GVSP into a pane, packet figures, unplugged mid-stream, served again). No network
// interface is ever searched and no USB device is touched.
#include <arv.h>

#include <QMouseEvent>
#include <QTemporaryDir>
#include <QtTest>
#include <atomic>
#include <mutex>

#include "AravisCamera.h"
#include "AravisFrameConverter.h"
#include "BusinessLayer.h"
#include "Image2DWnd.h"
#include "ImageUpdateManager.h"
#include "NuvImage.h"
#include "NuvPixelFormat.h"
#include "StreamHealthMonitor.h"
#include "ViewerHost.h"
#include "ZMKImageWnd.h"

namespace Control = ZavizoZoz3::Control;
using ZavizoZoz3::AravisFrameConverter;

namespace {
// GLib criticals (failed assertions inside Aravis), from whichever thread logs them.
std::atomic<int> g_criticals{0};
void countCriticals(const gchar* domain, GLogLevelFlags level, const gchar* message, gpointer) {
    if (level & G_LOG_LEVEL_CRITICAL) ++g_criticals;
    g_log_default_handler(domain, level, message, nullptr);
}

// Aravis notices a GigE Vision camera that stopped answering within about this long.
constexpr int kHeartbeatTimeoutMs = 6000;

// Frames the dispatcher hands on, counted on the delivering thread: a spy's list would be
// written there and read here. Shared, so a late frame never counts into a finished test's stack.
std::shared_ptr<std::atomic<int>> countShown(ImageUpdateManager* dispatcher) {
    auto shown = std::make_shared<std::atomic<int>>(0);
    QObject::connect(
        dispatcher, &ImageUpdateManager::imageProfileUpdate, dispatcher,
        [shown](QString, QSharedPointer<NuvImage>, QVector<qreal>) { ++*shown; }, Qt::DirectConnection);
    return shown;
}

// Counts what reaches the business layer's image listeners, beside the viewer's own listener.
struct CountingListener : ZavizoZoz3::IImageUpdate {
    std::atomic<int> frames{0};
    std::atomic<uint32_t> lastFormat{0};
    std::mutex samplesMutex;        // guards samples and width
    std::vector<uint16_t> samples;  // of the last 16-bit frame
    int width = 0;
    void notify(std::string, ZavizoZoz3::AcqBuffer* payload, uint32_t, uint32_t) override {
        lastFormat = payload->pixelFormat();
        if (payload->pixelFormat() == NuvPixelFormat::Mono16) {
            std::lock_guard<std::mutex> lock(samplesMutex);
            const auto* first = reinterpret_cast<const uint16_t*>(payload->data());
            samples.assign(first, first + payload->size() / 2);
            width = payload->width();
        }
        ++frames;
        payload->release();
    }
};
}  // namespace

class TestAravisBackend : public QObject, protected TestSupport::ViewerHost {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup() { closeViewer(); }

    void integerNodesAsOnTheSimulator_data();
    void integerNodesAsOnTheSimulator();
    void featureWrites_data();
    void featureWrites();
    void streamReachesPaneWithEveryFrameAccounted_data();
    void streamReachesPaneWithEveryFrameAccounted();
    void unknownPixelFormatIsSkippedAndLogged();
    void wideGreyReadOutShowsTrueValue();
    void converter_data();
    void converter();
    void disconnectWhileStreamingAndTransportsTouched_data();
    void singleGrabStopsTheCamera();
    void silentCameraIsReleasedByStreamTimeout();
    void loopbackGigEStreamsIntoPane();
    void loopbackGigEUnpluggedMidStreamIsReleasedAndBindsAgain();
    void disconnectWhileStreamingAndTransportsTouched();

private:
    std::shared_ptr<ZavizoZoz3::AravisCamera> bindFakeCamera();
    std::shared_ptr<ZavizoZoz3::AravisCamera> bindLoopbackCamera();
    bool bindAgain();
    QTemporaryDir m_dir;
};

void TestAravisBackend::initTestCase() {
    QVERIFY(Control::genicamAvailable());
    g_log_set_default_handler(countCriticals, nullptr);
    // The fake camera's own description, with a pixel format added.
    ArvFakeCamera* probe = arv_fake_camera_new("probe");
    size_t size = 0;
    std::string xml(arv_fake_camera_get_genicam_xml(probe, &size));
    g_object_unref(probe);
    const std::string anchor = "<DisplayName>Pixel format</DisplayName>";
    const size_t at = xml.find(anchor);
    QVERIFY(at != std::string::npos);
    // A format the viewer cannot show (YUV422_8).
    const std::string extra = "<EnumEntry Name=\"YUV422_8\"><Value>34603058</Value></EnumEntry>";
    xml.insert(at + anchor.size(), extra);
    const QString path = m_dir.filePath("fake.xml");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(xml.data(), static_cast<qint64>(xml.size()));
    file.close();
    arv_set_fake_camera_genicam_filename(QFile::encodeName(path).constData());
}

void TestAravisBackend::init() {
    TestSupport::resetEnvironment();
    openViewer(1000, 700);
}

std::shared_ptr<ZavizoZoz3::AravisCamera> TestAravisBackend::bindFakeCamera() {
    const std::vector<std::string> keys = Control::scanGenICamCameras(Control::GenICamScan::FakeOnly);
    if (keys.size() != 1) return nullptr;
    m_key = keys.front();
    QSignalSpy bound(m_viewer, &NuvViewerImageWnd::dropWndSuccess);
    Control::setConnected(m_key, true);
    Control::setOpen(m_key, true);
    Control::postDeviceList(1);
    if (!bound.wait()) return nullptr;
    auto camera = std::dynamic_pointer_cast<ZavizoZoz3::AravisCamera>(
        ZavizoZoz3::BusinessLayer::instance().camera(m_key));
    if (!camera) return nullptr;
    ZavizoZoz3::SetCameraNodeValue(m_key, "Width", "128");
    ZavizoZoz3::SetCameraNodeValue(m_key, "Height", "96");
    ZavizoZoz3::SetCameraNodeValue(m_key, "AcquisitionFrameRate", "1000");
    return camera;
}

// Connects camera m_key, waits until a device list binds it to a pane and shrinks its frames.
bool TestAravisBackend::bindAgain() {
    QSignalSpy bound(m_viewer, &NuvViewerImageWnd::dropWndSuccess);
    Control::setConnected(m_key, true);
    Control::setOpen(m_key, true);
    Control::postDeviceList(1);
    // Connecting waits for the release of an unplugged device's connection (its command timeouts).
    if (!bound.wait(15000)) return false;
    ZavizoZoz3::SetCameraNodeValue(m_key, "Width", "128");
    ZavizoZoz3::SetCameraNodeValue(m_key, "Height", "96");
    return true;
}

std::shared_ptr<ZavizoZoz3::AravisCamera> TestAravisBackend::bindLoopbackCamera() {
    if (!Control::serveLoopbackGigECamera(true)) return nullptr;
    m_key = Control::addGigECameraByAddress(Control::kLoopbackAddress);
    if (m_key.empty() || !bindAgain()) return nullptr;
    ZavizoZoz3::SetCameraNodeValue(m_key, "AcquisitionFrameRate", "200");
    return std::dynamic_pointer_cast<ZavizoZoz3::AravisCamera>(
        ZavizoZoz3::BusinessLayer::instance().camera(m_key));
}

void TestAravisBackend::integerNodesAsOnTheSimulator_data() {
    QTest::addColumn<QString>("feature");
    QTest::addColumn<int>("min");
    QTest::addColumn<int>("inc");
    QTest::newRow("Width") << "Width" << 1 << 1;
    QTest::newRow("OffsetY") << "OffsetY" << 0 << 1;
    QTest::newRow("GainRaw") << "GainRaw" << 0 << 1;
}

void TestAravisBackend::integerNodesAsOnTheSimulator() {
    QFETCH(QString, feature);
    QFETCH(int, min);
    QFETCH(int, inc);
    QVERIFY(bindFakeCamera());
    // The pane's title and the information items come from the discovered device.
    QCOMPARE(manager()->pane(1)->cameraName(), QString::fromStdString(m_key));
    QCOMPARE(ZavizoZoz3::GetCameraInfo(m_key, ZavizoZoz3::CAM_INFO_DEVICE_KIND), std::string("2"));
    QCOMPARE(ZavizoZoz3::GetCameraInfo(m_key, ZavizoZoz3::CAM_INFO_CONNECTED), std::string("1"));
    GenApi::INodeMap* map = ZavizoZoz3::GetAttrNodeMap(ZavizoZoz3::FOCUS_CAMERA, m_key, 3);
    QVERIFY(map);
    GenApi::CIntegerPtr node(map->GetNode(feature.toStdString()));
    QVERIFY(node);
    QCOMPARE(map->GetNode(feature.toStdString())->GetPrincipalInterfaceType(), GenApi::intfIInteger);
    QVERIFY(GenApi::IsReadable(node));
    QCOMPARE(node->GetMin(), int64_t(min));
    QCOMPARE(node->GetInc(), int64_t(inc));
    QVERIFY(node->GetMax() > node->GetMin());
    std::string text;
    QCOMPARE(ZavizoZoz3::GetCameraNodeValue(m_key, feature.toStdString(), text), 0);
    QCOMPARE(text, std::to_string(node->GetValue()));
    // Every feature of the device is reachable; Width is among them.
    bool listed = false;
    for (GenApi::INode* n : map->GetNodes())
        listed = listed || n->GetName() == "Width";
    QVERIFY(listed);
}

void TestAravisBackend::featureWrites_data() {
    QTest::addColumn<QString>("feature");
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("readBack");
    const auto row = [](const char* name, const char* feature, const char* value, int result,
                        const char* readBack) {
        QTest::newRow(name) << QString(feature) << QString(value) << result << QString(readBack);
    };
    row("width", "Width", "64", 0, "64");
    row("width as float text", "Width", "80.000000", 0, "80");
    row("width zero", "Width", "0", -3, "128");
    row("width not a number", "Width", "wide", -3, "128");
    row("gain above max", "GainRaw", "11", -3, "");
    row("trigger mode", "TriggerMode", "On", 0, "On");
    row("trigger mode unknown entry", "TriggerMode", "Maybe", -3, "Off");
    row("frame rate", "AcquisitionFrameRate", "50", 0, "50");
    row("command", "TriggerSoftware", "", 0, "");
    row("read-only sensor size", "SensorWidth", "10", -2, "");
    row("unknown feature", "NoSuchFeature", "1", -1, "");
}

void TestAravisBackend::featureWrites() {
    QFETCH(QString, feature);
    QFETCH(QString, value);
    QFETCH(int, result);
    QFETCH(QString, readBack);
    QVERIFY(bindFakeCamera());
    QCOMPARE(ZavizoZoz3::SetCameraNodeValue(m_key, feature.toStdString(), value.toStdString()), result);
    if (readBack.isEmpty()) return;
    std::string text;
    QCOMPARE(ZavizoZoz3::GetCameraNodeValue(m_key, feature.toStdString(), text), 0);
    QCOMPARE(QString::fromStdString(text), readBack);
}

void TestAravisBackend::streamReachesPaneWithEveryFrameAccounted_data() {
    QTest::addColumn<QString>("format");
    QTest::addColumn<int>("frames");
    QTest::addColumn<uint>("shownAs");
    QTest::newRow("Mono8, 500 frames") << "Mono8" << 500 << uint(NuvPixelFormat::Mono8);
    QTest::newRow("Mono16") << "Mono16" << 20 << uint(NuvPixelFormat::Mono16);
    QTest::newRow("RGB8") << "RGB8" << 20 << uint(NuvPixelFormat::RGB8);
    QTest::newRow("BayerRG8") << "BayerRG8" << 20 << uint(NuvPixelFormat::RGB8);
}

void TestAravisBackend::streamReachesPaneWithEveryFrameAccounted() {
    QFETCH(QString, format);
    QFETCH(int, frames);
    QFETCH(uint, shownAs);
    const auto camera = bindFakeCamera();
    QVERIFY(camera);
    QCOMPARE(ZavizoZoz3::SetCameraNodeValue(m_key, "PixelFormat", format.toStdString()), 0);
    CountingListener listener;
    QCOMPARE(ZavizoZoz3::RegisterImageUpdateListener("count", &listener), 0);
    std::atomic<int> shown{0};
    connect(manager()->dispatcher(), &ImageUpdateManager::imageProfileUpdate, this,
            [&shown](QString, QSharedPointer<NuvImage>, QVector<qreal>) { ++shown; });
    QCOMPARE(ZavizoZoz3::StartGrab(m_key), 0);
    QTRY_VERIFY_WITH_TIMEOUT(listener.frames >= frames, 20000);
    QCOMPARE(ZavizoZoz3::StopGrab(m_key), 0);
    QVERIFY(!Control::isGrabbing(m_key));
    // Every buffer the stream filled was either handed on or counted as dropped (the fake stream
    // may finish the frame it was filling when stopped after the count was taken).
    const uint64_t accounted = camera->framesDelivered() + camera->framesDropped();
    QVERIFY(accounted >= camera->framesCompleted() && accounted <= camera->framesCompleted() + 1);
    QCOMPARE(uint64_t(listener.frames), camera->framesDelivered());
    QCOMPARE(listener.lastFormat.load(), uint32_t(shownAs));
    QTRY_COMPARE(uint64_t(shown), camera->framesDelivered());
    QCOMPARE(Control::transportLostFrames(m_key), camera->transportLostFrames());
    QCOMPARE(ZavizoZoz3::UnRegisterImageUpdateListener("count", &listener), 0);
    QTRY_COMPARE(Control::outstandingBuffers(), 0);
}

void TestAravisBackend::unknownPixelFormatIsSkippedAndLogged() {
    const auto camera = bindFakeCamera();
    QVERIFY(camera);
    QCOMPARE(ZavizoZoz3::SetCameraNodeValue(m_key, "PixelFormat", "YUV422_8"), 0);
    QCOMPARE(ZavizoZoz3::StartGrab(m_key), 0);
    QTRY_VERIFY(camera->framesDropped() >= 5);
    ZavizoZoz3::StopGrab(m_key);
    QCOMPARE(camera->framesDelivered(), uint64_t(0));
    // One clear line for the whole grab, naming the format.
    int lines = 0;
    for (const std::string& line : Control::logLines())
        lines += line.find("0x02100032 is not supported") != std::string::npos;
    QCOMPARE(lines, 1);
}

void TestAravisBackend::wideGreyReadOutShowsTrueValue() {
    QVERIFY(bindFakeCamera());
    CountingListener listener;
    QCOMPARE(ZavizoZoz3::RegisterImageUpdateListener("count", &listener), 0);
    ImageWnd* pane = manager()->pane(1);
    pane->setImageWndMode(1);
    QCOMPARE(ZavizoZoz3::SetCameraNodeValue(m_key, "PixelFormat", "Mono16"), 0);
    const auto shown = countShown(manager()->dispatcher());
    ZavizoZoz3::SetCameraInfo(m_key, ZavizoZoz3::CAM_INFO_SINGLE_GRAB, "1");
    QCOMPARE(ZavizoZoz3::StartGrab(m_key), 0);
    // The delivery thread shows the frame before it ends the grab, and the frame may come before
    // a spy's wait() would start: wait for the end, then count.
    QTRY_VERIFY(!Control::isGrabbing(m_key));
    QCOMPARE(shown->load(), 1);
    const auto shownFormat = [pane] {
        NuvImage background;
        pane->view2D()->getBackground(&background);
        return background.pixelFormat();
    };
    QTRY_COMPARE(shownFormat(), NuvPixelFormat::Mono16);
    m_viewer->setPixelReadoutVisible(true);
    QWidget* viewport = pane->view2D()->displayWidget()->viewport();
    QMouseEvent move(QEvent::MouseMove, QPointF(viewport->width() / 2, viewport->height() / 2), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QSignalSpy moves(m_viewer, &NuvViewerImageWnd::wndMouseMoveInfo);
    QCoreApplication::sendEvent(viewport, &move);
    QCOMPARE(moves.count(), 1);
    ZavizoZoz3::UnRegisterImageUpdateListener("count", &listener);
    // The sample the camera sent at the pointer, not its scaled display value.
    const QPoint pos = moves.at(0).at(1).toPoint();
    const size_t at = size_t(pos.y()) * size_t(listener.width) + size_t(pos.x());
    QVERIFY(at < listener.samples.size());
    QCOMPARE(moves.at(0).at(2).value<QColor>().rgba64().red(), listener.samples[at]);
}

void TestAravisBackend::converter_data() {
    QTest::addColumn<uint>("format");
    QTest::addColumn<int>("padding");
    QTest::addColumn<size_t>("size");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QColor>("centre");
    const auto row = [](const char* name, uint format, int padding, size_t size, bool accepted,
                        QColor centre = QColor()) {
        QTest::newRow(name) << format << padding << size << accepted << centre;
    };
    // A 4 x 4 mosaic of a pure red scene: only the red sites are lit.
    row("BayerRG8 red", AravisFrameConverter::kBayerRG8, 0, 16, true, Qt::red);
    row("BayerBG8 red", AravisFrameConverter::kBayerBG8, 0, 16, true, Qt::red);
    row("BayerGR8 red", AravisFrameConverter::kBayerGR8, 0, 16, true, Qt::red);
    row("BayerGB8 red", AravisFrameConverter::kBayerGB8, 0, 16, true, Qt::red);
    row("Mono8 with row padding", NuvPixelFormat::Mono8, 3, 4 * 7 - 3, true);
    row("short buffer", NuvPixelFormat::Mono8, 0, 15, false);
    row("Mono10 kept as 16-bit samples", AravisFrameConverter::kMono10, 0, 32, true);
    row("BGR8", NuvPixelFormat::BGR8, 0, 48, true);
    row("Mono12 short", AravisFrameConverter::kMono12, 0, 31, false);
}

void TestAravisBackend::converter() {
    QFETCH(uint, format);
    QFETCH(int, padding);
    QFETCH(size_t, size);
    QFETCH(bool, accepted);
    QFETCH(QColor, centre);
    // Red sites of each pattern within a 2 x 2 cell: (column, row).
    const std::map<uint, std::pair<int, int>> red = {{AravisFrameConverter::kBayerRG8, {0, 0}},
                                                     {AravisFrameConverter::kBayerGR8, {1, 0}},
                                                     {AravisFrameConverter::kBayerGB8, {0, 1}},
                                                     {AravisFrameConverter::kBayerBG8, {1, 1}}};
    std::vector<uint8_t> data(64, 0);
    const int stride = 4 + padding;
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            const auto it = red.find(format);
            const bool lit =
                it == red.end() ? true : (x % 2 == it->second.first && y % 2 == it->second.second);
            data[size_t(y * stride + x)] = lit ? 255 : 0;
        }
    ZavizoZoz3::EncodedFrame frame;
    std::string reason;
    QCOMPARE(AravisFrameConverter::convert(data.data(), size, format, 4, 4, padding, frame, reason),
             accepted);
    QCOMPARE(reason.empty(), accepted);
    if (!accepted) return;
    if (!centre.isValid()) {
        // Unchanged samples, padding removed.
        QCOMPARE(frame.bytes.size(), size_t(frame.width * frame.height) *
                                         size_t(NuvPixelFormat::bytesPerPixel(frame.pixelFormat)));
        QCOMPARE(int(frame.bytes[5]), int(data[size_t(stride + 1)]));
        return;
    }
    QCOMPARE(frame.pixelFormat, NuvPixelFormat::RGB8);
    const uint8_t* p = frame.bytes.data() + (1 * 4 + 1) * 3;
    QCOMPARE(QColor(p[0], p[1], p[2]), centre);
}

void TestAravisBackend::disconnectWhileStreamingAndTransportsTouched_data() {
    QTest::addColumn<bool>("removed");
    QTest::newRow("disconnected") << false;
    QTest::newRow("removed from the registry") << true;
}

void TestAravisBackend::singleGrabStopsTheCamera() {
    const auto camera = bindFakeCamera();
    QVERIFY(camera);
    ArvFakeCamera* fake = nullptr;
    {
        std::lock_guard<std::mutex> lock(camera->device().featureMutex());
        fake = arv_fake_device_get_fake_camera(
            ARV_FAKE_DEVICE(arv_camera_get_device(camera->device().cameraLocked())));
    }
    QVERIFY(fake);
    ZavizoZoz3::SetCameraInfo(m_key, ZavizoZoz3::CAM_INFO_SINGLE_GRAB, "1");
    QCOMPARE(ZavizoZoz3::StartGrab(m_key), 0);
    QTRY_VERIFY(!Control::isGrabbing(m_key));
    QCOMPARE(camera->framesDelivered(), uint64_t(1));
    // The camera itself stopped: a stream left running would fill its buffers and count every
    // further frame as lost in the pane.
    QTRY_COMPARE(arv_fake_camera_get_acquisition_status(fake), guint32(0));
}

void TestAravisBackend::silentCameraIsReleasedByStreamTimeout() {
    const auto camera = bindLoopbackCamera();
    QVERIFY(camera);
    const auto shown = countShown(manager()->dispatcher());
    QCOMPARE(ZavizoZoz3::StartGrab(m_key), 0);
    QTRY_VERIFY(*shown >= 1);
    {
        // Behind the viewer's back the camera stops sending but keeps answering: it goes quiet as
        // an unplugged USB camera does, without a control-lost event.
        std::lock_guard<std::mutex> lock(camera->device().featureMutex());
        arv_device_execute_command(arv_camera_get_device(camera->device().cameraLocked()), "AcquisitionStop",
                                   nullptr);
    }
    QTRY_VERIFY_WITH_TIMEOUT(manager()->pane(1)->cameraName().isEmpty(),
                             int(ZavizoZoz3::AravisCamera::kMinStreamTimeoutUs / 1000) + 3000);
    QVERIFY(!Control::isGrabbing(m_key));
    QCOMPARE(ZavizoZoz3::GetCameraInfo(m_key, ZavizoZoz3::CAM_INFO_CONNECTED), std::string("0"));
    bool logged = false;
    for (const std::string& line : Control::logLines())
        logged = logged || line.find("no frame for") != std::string::npos;
    QVERIFY(logged);
}

void TestAravisBackend::loopbackGigEStreamsIntoPane() {
    g_criticals = 0;
    const auto camera = bindLoopbackCamera();
    QVERIFY(camera);
    QCOMPARE(manager()->pane(1)->cameraName(), QString::fromStdString(m_key));
    const auto shown = countShown(manager()->dispatcher());
    QCOMPARE(ZavizoZoz3::StartGrab(m_key), 0);
    QTRY_VERIFY_WITH_TIMEOUT(shown->load() >= 20, 10000);
    // The pane's health counts the stream's packets, as the stream itself does.
    NuvViewerImageWnd::StreamHealth health;
    QCOMPARE(m_viewer->getStreamHealth(1, &health), 0);
    QVERIFY(health.countsPackets);
    uint64_t resent = 0, missing = 0;
    QVERIFY(camera->transportPackets(resent, missing));
    QVERIFY(health.resentPackets <= resent && health.missingPackets <= missing);
    QVERIFY(manager()->pane(1)->streamHealth()->readoutText().contains("Packets resent"));
    QCOMPARE(ZavizoZoz3::StopGrab(m_key), 0);
    QVERIFY(camera->framesDelivered() >= 20);
    QCOMPARE(ZavizoZoz3::GetCameraInfo(m_key, ZavizoZoz3::CAM_INFO_RESENT_PACKETS), std::to_string(resent));
    // Started and stopped twice: Aravis's stream is stopped exactly once each time.
    QCOMPARE(ZavizoZoz3::StartGrab(m_key), 0);
    QTRY_VERIFY_WITH_TIMEOUT(shown->load() >= 25, 10000);
    Control::setConnected(m_key, false);
    QCOMPARE(g_criticals.load(), 0);
    // A camera that is not on a loopback address is never opened by address.
    QVERIFY(Control::addGigECameraByAddress("192.0.2.1").empty());
    QVERIFY(Control::addGigECameraByAddress("not an address").empty());
}

void TestAravisBackend::loopbackGigEUnpluggedMidStreamIsReleasedAndBindsAgain() {
    QVERIFY(bindLoopbackCamera());
    const auto shown = countShown(manager()->dispatcher());
    QCOMPARE(ZavizoZoz3::StartGrab(m_key), 0);
    QTRY_VERIFY_WITH_TIMEOUT(shown->load() >= 5, 10000);
    Control::serveLoopbackGigECamera(false);
    QTRY_VERIFY_WITH_TIMEOUT(manager()->pane(1)->cameraName().isEmpty(), kHeartbeatTimeoutMs);
    QVERIFY(!Control::isGrabbing(m_key));
    QCOMPARE(ZavizoZoz3::StartGrab(m_key), -1);
    // Served again on the same address: the same camera binds and streams again.
    QVERIFY(Control::serveLoopbackGigECamera(true));
    QVERIFY(bindAgain());
    QCOMPARE(manager()->pane(1)->cameraName(), QString::fromStdString(m_key));
    *shown = 0;
    QCOMPARE(ZavizoZoz3::StartGrab(m_key), 0);
    QTRY_VERIFY_WITH_TIMEOUT(shown->load() >= 5, 10000);
}

void TestAravisBackend::disconnectWhileStreamingAndTransportsTouched() {
    QFETCH(bool, removed);
    const auto camera = bindFakeCamera();
    QVERIFY(camera);
    const auto shown = countShown(manager()->dispatcher());
    QCOMPARE(ZavizoZoz3::StartGrab(m_key), 0);
    QTRY_VERIFY(*shown >= 1);
    if (removed) {
        Control::removeCamera(m_key);
        Control::postDeviceList(1, {}, {m_key});
    } else {
        Control::setConnected(m_key, false);
        Control::postDeviceList(1);
    }
    QTRY_VERIFY(manager()->pane(1)->cameraName().isEmpty());
    QVERIFY(!camera->isGrabbing());
    {
        // The device is closed: Aravis holds no control channel to the camera any more.
        std::lock_guard<std::mutex> lock(camera->device().featureMutex());
        QVERIFY(camera->device().cameraLocked() == nullptr);
    }
    // The node map outlives the connection; its nodes now say so instead of touching the device.
    GenApi::CIntegerPtr width(camera->nodeMap()->GetNode("Width"));
    QVERIFY(width);
    QCOMPARE(width->GetAccessMode(), GenApi::NA);
    QVERIFY_EXCEPTION_THROWN(width->GetValue(), GenICam::AccessException);
    QCOMPARE(ZavizoZoz3::StartGrab(m_key), -1);
    QTRY_COMPARE(Control::outstandingBuffers(), 0);
    // Last: after every scan, connection and grab above, the loopback GigE Vision camera's
    // included. A transport Aravis never instantiated never searched for devices, so nothing was
    // broadcast on a network or sent to a USB device or a GenTL producer.
    QCOMPARE(g_type_from_name("ArvGvInterface"), GType(0));
    QCOMPARE(g_type_from_name("ArvUvInterface"), GType(0));
    QCOMPARE(g_type_from_name("ArvGenTLInterface"), GType(0));
    QVERIFY(g_type_from_name("ArvFakeInterface") != GType(0));
}

QTEST_MAIN(TestAravisBackend)
#include "tst_aravisbackend.moc"
