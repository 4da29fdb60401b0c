// SPDX-License-Identifier: Apache-2.0
// Camera registry, camera information, GenApi node maps and the synthetic scenes of the
// in-process business layer.
#include <QDir>
#include <QtTest>
#include <cmath>
#include <cstring>
#include <limits>
#include <map>
#include <mutex>
#include <string>

#include "AreaScanScene.h"
#include "BusinessLayer.h"
#include "LaserPayloadEncoder.h"
#include "LaserScene.h"
#include "NuvPayloadFormat.h"
#include "NuvPixelFormat.h"
#include "TestSupport.h"
#include "ZavizoZoz3.h"
#include "ZavizoZoz3Control.h"

using namespace ZavizoZoz3;
using Control::CameraKind;

Q_DECLARE_METATYPE(CameraKind)

namespace {
const auto area = CameraKind::AreaScan;
const auto laser = CameraKind::LaserProfiler;

// Reads an integer node's value, min, max and increment the way the viewer's ROI editing does;
// 0 or the failure kind -1..-4, which leaves `info` untouched.
int readIntegerNode(const std::string& key, const std::string& name, QVector<int>& info) {
    GenApi::INodeMap* map = GetAttrNodeMap(FOCUS_CAMERA, key, 3);
    if (!map) return -1;
    try {
        GenApi::CIntegerPtr node(map->GetNode(name));
        if (!map->GetNode(name)) return -2;
        if (map->GetNode(name)->GetPrincipalInterfaceType() != GenApi::intfIInteger ||
            !GenApi::IsReadable(node))
            return -3;
        info = {int(node->GetValue(false, false)), int(node->GetMin()), int(node->GetMax()),
                int(node->GetInc())};
        return 0;
    } catch (const GenICam::GenericException&) {
        return -4;
    }
}

std::string readNodeText(const std::string& key, const std::string& feature) {
    std::string value = "<unread>";
    GetCameraNodeValue(key, feature, value);
    return value;
}

// The range batches of one whole scan of `lines` lines in batches of `perBatch` of profiler `key`
// (a single grab), as their image listener receives them: pixel format, lines, and the payload
// bytes after the header (samples, brightness).
struct ScanBatch {
    uint32_t pixelFormat;
    int lines;
    std::vector<uint8_t> data;
};
std::vector<ScanBatch> scanBatches(const std::string& key, int lines, int perBatch) {
    const size_t batches = size_t((lines + perBatch - 1) / perBatch);
    class Recorder final : public IImageUpdate {
    public:
        void notify(std::string, AcqBuffer* payload, uint32_t kind, uint32_t) override {
            if (kind == 2 && payload->size() >= NuvPayloadFormat::kFixedHeaderSize) {
                std::lock_guard<std::mutex> lock(mutex);
                batches.push_back({payload->pixelFormat(), payload->height(),
                                   std::vector<uint8_t>(payload->data() + NuvPayloadFormat::kFixedHeaderSize,
                                                        payload->data() + payload->size())});
            }
            payload->release();
        }
        std::mutex mutex;  // guards batches
        std::vector<ScanBatch> batches;
    } recorder;
    RegisterImageUpdateListener("scan", &recorder);
    SetCameraNodeValue(key, "AcquisitionLineCount", std::to_string(lines));
    SetCameraNodeValue(key, "BatchNumber", std::to_string(perBatch));
    SetCameraInfo(key, CAM_INFO_SINGLE_GRAB, "1");
    StartGrab(key);
    const auto received = [&] {
        std::lock_guard<std::mutex> lock(recorder.mutex);
        return recorder.batches.size();
    };
    // The caller compares the batch count: a scan that did not finish fails there.
    if (!QTest::qWaitFor([&] { return received() >= batches && !Control::isGrabbing(key); }, 30000))
        qWarning("the scan of %s did not finish", key.c_str());
    UnRegisterImageUpdateListener("scan", &recorder);
    return std::move(recorder.batches);
}

void nodeRow(const char* name, CameraKind kind, const char* feature, const char* written, bool accepted,
             const char* readBack) {
    QTest::newRow(name) << kind << QString(feature) << QString(written) << accepted << QString(readBack);
}
}  // namespace

class TstZavizoZoz3 : public QObject {
    Q_OBJECT

private slots:
    void init() { TestSupport::resetEnvironment(); }
    void cleanupTestCase() { TestSupport::resetEnvironment(); }

    void integerNodeInfo_data();
    void integerNodeInfo();
    void nodeAccessFailures();
    void nodeText_data();
    void nodeText();
    void dependentNodesFollowEachOther();
    void cameraKeysInformationAndState();
    void scenes();
    void rangeBatchSamples_data();
    void rangeBatchSamples();
    void cachedRangeBatches_data();
    void cachedRangeBatches();
    void idleCamerasKeepNoFrameStorage();
    void areaScanDeepFrames();
};

void TstZavizoZoz3::integerNodeInfo_data() {
    QTest::addColumn<CameraKind>("kind");
    QTest::addColumn<QString>("node");
    QTest::addColumn<int>("result");
    QTest::addColumn<QVector<int>>("info");  // value, min, max, inc; untouched (-9) on failure
    const QVector<int> untouched{-9, -9, -9, -9};
    QTest::newRow("area Width") << area << "Width" << 0 << QVector<int>{2048, 16, 2048, 16};
    QTest::newRow("area Height") << area << "Height" << 0 << QVector<int>{1024, 16, 1024, 2};
    QTest::newRow("area OffsetX full width") << area << "OffsetX" << 0 << QVector<int>{0, 0, 0, 16};
    QTest::newRow("area OffsetY") << area << "OffsetY" << 0 << QVector<int>{0, 0, 0, 2};
    QTest::newRow("laser WidthMax") << laser << "WidthMax" << 0 << QVector<int>{3200, 3200, 3200, 1};
    QTest::newRow("laser PointsNum") << laser << "PointsNum" << 0 << QVector<int>{3200, 1, 3200, 1};
    QTest::newRow("laser line count")
        << laser << "AcquisitionLineCount" << 0 << QVector<int>{1000, 1, 50000, 1};
    QTest::newRow("laser BatchNumber") << laser << "BatchNumber" << 0 << QVector<int>{100, 1, 5000, 1};
    QTest::newRow("laser Xright") << laser << "Xright" << 0 << QVector<int>{700, 0, 3199, 1};
    QTest::newRow("laser Ydown") << laser << "Ydown" << 0 << QVector<int>{700, 0, 1023, 1};
    QTest::newRow("missing node") << laser << "NoSuchNode" << -2 << untouched;
    QTest::newRow("float node") << laser << "Scaler" << -3 << untouched;
    QTest::newRow("command node") << laser << "TriggerSoftware" << -3 << untouched;
}

void TstZavizoZoz3::integerNodeInfo() {
    QFETCH(CameraKind, kind);
    QFETCH(QString, node);
    const std::string key = Control::addCamera(kind, "cam");
    QVector<int> info{-9, -9, -9, -9};
    QTEST(readIntegerNode(key, node.toStdString(), info), "result");
    QTEST(info, "info");
}

void TstZavizoZoz3::nodeAccessFailures() {
    const std::string key = Control::addCamera(CameraKind::AreaScan, "as");
    QVector<int> info;
    QCOMPARE(readIntegerNode("nobody", "Width", info), -1);
    QVERIFY(GetAttrNodeMap(FOCUS_CARD, key, 3) == nullptr);
    QVERIFY(GetAttrNodeMap(FOCUS_CAMERA, key, 1) == nullptr);
    QVERIFY(GetAttrNodeMap(FOCUS_CAMERA, "", 3) == nullptr);
    GenApi::INodeMap* map = GetAttrNodeMap(FOCUS_CAMERA, key, 3);
    GenApi::CIntegerPtr missing(map->GetNode("Missing"));
    QVERIFY(!missing.IsValid());
    try {
        missing->GetValue();
        QFAIL("no exception");
    } catch (const GenICam::LogicalErrorException& e) {
        QCOMPARE(QString(e.GetDescription()), QString("NULL pointer dereferenced"));
    }
    // A node of another interface casts to an empty pointer too.
    GenApi::CIntegerPtr wrongType(map->GetNode("ExposureTime"));
    QVERIFY_EXCEPTION_THROWN(wrongType->GetMax(), GenICam::LogicalErrorException);
    // Out-of-range writes through GenApi throw and keep the value.
    GenApi::CIntegerPtr height(map->GetNode("Height"));
    QVERIFY_EXCEPTION_THROWN(height->SetValue(1025), GenICam::OutOfRangeException);
    QVERIFY_EXCEPTION_THROWN(height->SetValue(513), GenICam::OutOfRangeException);
    QCOMPARE(height->GetValue(), int64_t(1024));
    height->SetValue(512);
    QCOMPARE(readNodeText(key, "Height"), std::string("512"));
    GenApi::CIntegerPtr widthMax(map->GetNode("WidthMax"));
    QVERIFY_EXCEPTION_THROWN(widthMax->SetValue(2048), GenICam::AccessException);
}

void TstZavizoZoz3::nodeText_data() {
    QTest::addColumn<CameraKind>("kind");
    QTest::addColumn<QString>("feature");
    QTest::addColumn<QString>("written");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("readBack");
    nodeRow("Width on increment", area, "Width", "1024", true, "1024");
    nodeRow("Width off increment", area, "Width", "1000", false, "2048");
    nodeRow("Width above max", area, "Width", "2064", false, "2048");
    nodeRow("Height below min", area, "Height", "14", false, "1024");
    nodeRow("Height odd", area, "Height", "301", false, "1024");
    nodeRow("Width garbage", area, "Width", "wide", false, "2048");
    nodeRow("Width empty", area, "Width", "", false, "2048");
    nodeRow("Width trailing junk", area, "Width", "1024px", false, "2048");
    nodeRow("WidthMax read-only", area, "WidthMax", "2048", false, "2048");
    nodeRow("frame rate float", area, "AcquisitionFrameRate", "12.5", true, "12.5");
    nodeRow("frame rate zero", area, "AcquisitionFrameRate", "0", false, "10");
    nodeRow("exposure nan", area, "ExposureTime", "nan", false, "5000");
    nodeRow("trigger mode on", area, "TriggerMode", "On", true, "On");
    nodeRow("trigger mode bogus", area, "TriggerMode", "Maybe", false, "Off");
    nodeRow("trigger source", area, "TriggerSource", "Line0", true, "Line0");
    nodeRow("pixel format", area, "PixelFormat", "Mono8", true, "Mono8");
    nodeRow("unknown feature", area, "BlackLevel", "1", false, "<unread>");
    nodeRow("mask on as 1", laser, "ImageMask", "1", true, "True");
    nodeRow("mask off as False", laser, "ImageMask", "False", true, "False");
    nodeRow("mask bogus", laser, "ImageMask", "yes", false, "False");
    nodeRow("corner in %f notation", laser, "Xleft", "120.000000", true, "120");
    nodeRow("corner outside sensor", laser, "Yup", "1024", false, "300");
    nodeRow("line rate max", laser, "AcquisitionFrameRate", "64000", true, "64000");
    nodeRow("line rate above max", laser, "AcquisitionFrameRate", "64000.5", false, "200");
    nodeRow("line count max", laser, "AcquisitionLineCount", "50000", true, "50000");
    nodeRow("line count zero", laser, "AcquisitionLineCount", "0", false, "1000");
    nodeRow("batch number", laser, "BatchNumber", "300", true, "300");
    nodeRow("points read-only", laser, "PointsNum", "1600", false, "3200");
    nodeRow("x interval read-only", laser, "XInterval", "11", false, "10");
    nodeRow("mask selector", laser, "ImageMaskerSelector", "ImageMasker2", true, "ImageMasker2");
    nodeRow("mask selector bogus", laser, "ImageMaskerSelector", "ImageMasker3", false, "ImageMasker0");
}

void TstZavizoZoz3::nodeText() {
    QFETCH(CameraKind, kind);
    QFETCH(QString, feature);
    QFETCH(QString, written);
    QFETCH(bool, accepted);
    const std::string key = Control::addCamera(kind, "cam");
    QCOMPARE(SetCameraNodeValue(key, feature.toStdString(), written.toStdString()) == 0, accepted);
    QTEST(QString::fromStdString(readNodeText(key, feature.toStdString())), "readBack");
    QVERIFY(SetCameraNodeValue("nobody", feature.toStdString(), written.toStdString()) != 0);
    std::string value;
    QVERIFY(GetCameraNodeValue("nobody", feature.toStdString(), value) != 0);
}

void TstZavizoZoz3::dependentNodesFollowEachOther() {
    const std::string key = Control::addCamera(CameraKind::AreaScan, "as");
    QVERIFY(SetCameraNodeValue(key, "OffsetX", "1024") != 0);  // the full-width window cannot move
    QCOMPARE(SetCameraNodeValue(key, "Width", "1024"), 0);
    QCOMPARE(SetCameraNodeValue(key, "OffsetX", "1024"), 0);
    QVERIFY(SetCameraNodeValue(key, "Width", "1040") != 0);  // would leave the sensor
    QVector<int> info;
    QCOMPARE(readIntegerNode(key, "Width", info), 0);
    QCOMPARE(info, (QVector<int>{1024, 16, 1024, 16}));
    QCOMPARE(SetCameraNodeValue(key, "Height", "100"), 0);
    QCOMPARE(SetCameraNodeValue(key, "OffsetY", "924"), 0);
    QVERIFY(SetCameraNodeValue(key, "OffsetY", "926") != 0);
    QCOMPARE(readIntegerNode(key, "OffsetY", info), 0);
    QCOMPARE(info, (QVector<int>{924, 0, 924, 2}));
    // A profiler's mask values follow the mask selector.
    const std::string lp = Control::addCamera(CameraKind::LaserProfiler, "lp");
    QCOMPARE(SetCameraNodeValue(lp, "ImageMaskerSelector", "ImageMasker1"), 0);
    QCOMPARE(readNodeText(lp, "Xleft"), std::string("1400"));  // default of mask 1
    QCOMPARE(SetCameraNodeValue(lp, "Xleft", "77"), 0);
    QCOMPARE(SetCameraNodeValue(lp, "ImageMask", "True"), 0);
    QCOMPARE(SetCameraNodeValue(lp, "ImageMaskerSelector", "ImageMasker0"), 0);
    QCOMPARE(readNodeText(lp, "Xleft") + readNodeText(lp, "ImageMask"), std::string("400False"));
    QCOMPARE(SetCameraNodeValue(lp, "ImageMaskerSelector", "ImageMasker1"), 0);
    QCOMPARE(readNodeText(lp, "Xleft") + readNodeText(lp, "ImageMask"), std::string("77True"));
}

void TstZavizoZoz3::cameraKeysInformationAndState() {
    QCOMPARE(Control::addCamera(CameraKind::AreaScan, "Cam"), std::string("Cam"));
    QCOMPARE(Control::addCamera(CameraKind::AreaScan, "Cam"), std::string("Cam_2"));
    const std::string unnamed = Control::addCamera(CameraKind::LaserProfiler, "");
    QVERIFY(!unnamed.empty());
    QCOMPARE(Control::cameras(), (std::vector<std::string>{"Cam", "Cam_2", unnamed}));

    GenApi::INodeMap* held = GetAttrNodeMap(FOCUS_CAMERA, "Cam", 3);
    QVERIFY(held);
    // A removed camera is closed at once, even while grabbing: its device keeps nothing open.
    const std::shared_ptr<CameraDevice> removed = BusinessLayer::instance().camera("Cam");
    Control::setConnected("Cam", true);
    Control::setOpen("Cam", true);
    QCOMPARE(StartGrab("Cam"), 0);
    Control::removeCamera("Cam");
    QVERIFY(!removed->isConnected() && !removed->isOpen() && !removed->isGrabbing());
    QVERIFY(!Control::hasCamera("Cam"));
    QVERIFY(GetAttrNodeMap(FOCUS_CAMERA, "Cam", 3) == nullptr);
    // The viewer may still hold the old map: it stays readable until reset.
    GenApi::CIntegerPtr width(held->GetNode("Width"));
    QCOMPARE(width->GetValue(), int64_t(2048));
    // The key is free again and names a fresh camera.
    QCOMPARE(Control::addCamera(CameraKind::LaserProfiler, "Cam"), std::string("Cam"));
    QCOMPARE(GetCameraInfo("Cam", CAM_INFO_DEVICE_KIND), std::string("1"));
    Control::removeCamera("not there");  // ignored

    const std::string laserKey = Control::addCamera(CameraKind::LaserProfiler, "Line 1");
    const std::string areaKey = Control::addCamera(CameraKind::AreaScan, "Area 1");
    QCOMPARE(GetCameraInfo(laserKey, CAM_INFO_TITLE), std::string("Line 1"));
    QCOMPARE(GetCameraInfo(laserKey, CAM_INFO_DEVICE_KIND) + GetCameraInfo(areaKey, CAM_INFO_DEVICE_KIND),
             std::string("12"));
    QVERIFY(!GetCameraInfo(laserKey, CAM_INFO_SERIAL).empty());
    QVERIFY(GetCameraInfo(laserKey, CAM_INFO_SERIAL) != GetCameraInfo(areaKey, CAM_INFO_SERIAL));

    // A camera grabs only when connected and open; disconnecting closes it and stops the grab.
    Control::setOpen(laserKey, true);  // cannot open a disconnected camera
    QCOMPARE(GetCameraInfo(laserKey, CAM_INFO_OPEN), std::string("0"));
    QVERIFY(StartGrab(laserKey) != 0);
    Control::setConnected(laserKey, true);
    QVERIFY(StartGrab(laserKey) != 0);
    Control::setOpen(laserKey, true);
    QCOMPARE(GetCameraInfo(laserKey, CAM_INFO_CONNECTED) + GetCameraInfo(laserKey, CAM_INFO_OPEN),
             std::string("11"));
    QCOMPARE(StartGrab(laserKey), 0);
    Control::setConnected(laserKey, false);
    QCOMPARE(GetCameraInfo(laserKey, CAM_INFO_OPEN), std::string("0"));
    QVERIFY(!Control::isGrabbing(laserKey));
    QVERIFY(StartGrab("nobody") != 0);
    QCOMPARE(Control::startGrabCount("nobody"), 1);

    QVERIFY(SetCameraInfo(laserKey, CAM_INFO_GRABBING, "1") != 0);  // state is not writable
    QCOMPARE(GetCameraInfo(laserKey, CAM_INFO_GRABBING), std::string("0"));
    QCOMPARE(GetCameraInfo(laserKey, CAM_INFO(999)), std::string());
    QCOMPARE(GetCameraInfo("nobody", CAM_INFO_TITLE), std::string());
    QVERIFY(SetCameraInfo("nobody", CAM_INFO_TITLE, "x") != 0);

    // The default save folders exist, so a first save needs no setting up.
    QVERIFY(QDir(QString::fromStdString(GetParamterInfo(PARAMETER_SAVE_DIR))).exists());
    QVERIFY(QDir(QString::fromStdString(GetParamterInfo(PARAMETER_RECORD_DIR))).exists());
    // The frame rate follows the acquisition rate and cannot be written.
    Control::setFrameRate(laserKey, 12.5);
    QCOMPARE(GetCameraInfo(laserKey, CAM_INFO_FRAME_RATE), std::string("12.5"));
    QVERIFY(SetCameraInfo(laserKey, CAM_INFO_FRAME_RATE, "3") != 0);
    QCOMPARE(GetParamterInfo(PARAMETER_INFO(77)), std::string());
}

void TstZavizoZoz3::rangeBatchSamples_data() {
    QTest::addColumn<double>("scaler");
    QTest::newRow("scaler 32000") << 32000.0;
    QTest::newRow("scaler 300000 (shifted)") << 300000.0;
    QTest::newRow("scaler 7") << 7.0;
}

// A range batch carries, sample for sample, the raw value of each height as a single sample would
// have it: no measurement 0, clamped to 1..65535, halves rounded away from zero.
void TstZavizoZoz3::rangeBatchSamples() {
    QFETCH(double, scaler);
    SimulatedFrame frame;
    frame.laserProfiler = true;
    frame.imageMode = 2;
    frame.pointsPerLine = 7;
    frame.scaler = scaler;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    frame.heights = {nan,         -1e6f,   -40.0f, -0.0005f, 0.0f,   0.0005f, 0.03125f,
                     1.0f / 3.0f, 19.999f, 40.0f,  1e6f,     -20.0f, 20.0f,   0.5f};
    for (int i = 0; i < 200; ++i)
        frame.heights.push_back(i % 17 == 0 ? nan : -25.0f + 0.2501f * static_cast<float>(i));
    frame.lineCount = static_cast<int>(frame.heights.size()) / frame.pointsPerLine;
    frame.heights.resize(static_cast<size_t>(frame.lineCount * frame.pointsPerLine));
    EncodedFrame out;
    QVERIFY(LaserPayloadEncoder::encode(frame, out));
    QCOMPARE(out.bytes.size(), NuvPayloadFormat::kFixedHeaderSize + 2 * frame.heights.size());
    for (size_t i = 0; i < frame.heights.size(); ++i) {
        uint16_t sample = 0;
        std::memcpy(&sample, out.bytes.data() + NuvPayloadFormat::kFixedHeaderSize + 2 * i, sizeof sample);
        QCOMPARE(sample, LaserPayloadEncoder::rawSample(frame.heights[i], scaler));
    }
}

void TstZavizoZoz3::cachedRangeBatches_data() {
    QTest::addColumn<QString>("change");
    QTest::addColumn<int>("bits");
    QTest::newRow("scene tilted, 16-bit") << QStringLiteral("scene") << 16;
    QTest::newRow("camera ROI rows, 32-bit") << QStringLiteral("roi") << 32;
    QTest::newRow("column window, 16-bit") << QStringLiteral("columns") << 16;
    QTest::newRow("16 to 32-bit samples") << QStringLiteral("bits") << 16;
}

// The profiler keeps its scene lines encoded for the built-in payload encoder: its batches carry
// exactly what encoding the heights of a freshly set-up sensor gives, also after a change of the
// scene or of what the sensor reads, so no batch ever shows lines of the previous settings.
void TstZavizoZoz3::cachedRangeBatches() {
    QFETCH(QString, change);
    QFETCH(int, bits);
    const auto setUp = [&](const std::string& key) {
        SetCameraInfo(key, CAM_INFO_RANGE_BITS, std::to_string(bits));
        QCOMPARE(SetCameraImageMode(key, 2, true), 0);
        Control::setFrameRate(key, 64000.0);
    };
    const auto applyChange = [&](const std::string& key) {
        if (change == QLatin1String("scene")) Control::setLaserScene(key, 3.0, 2.5);
        if (change == QLatin1String("roi")) {
            QCOMPARE(SetCameraNodeValue(key, "Height", "400"), 0);
            QCOMPARE(SetCameraNodeValue(key, "OffsetY", "300"), 0);
        }
        if (change == QLatin1String("columns")) SetCameraInfo(key, CAM_INFO_COLUMN_LAST, "2999");
        if (change == QLatin1String("bits")) SetCameraInfo(key, CAM_INFO_RANGE_BITS, "32");
    };
    // The scene repeats every 2400 profiles. The first scan takes profiles 0..1799; the second
    // 1800..2999, across the end of the period (batch 1) and back over profiles 0..599 of the first.
    constexpr int kFirstLines = 1800, kLines = 1200, kPerBatch = 400;

    Control::installPayloadEncoder();
    const std::string cached = TestSupport::connectedCamera(laser, "cached");
    setUp(cached);
    const std::vector<ScanBatch> before = scanBatches(cached, kFirstLines, 600);
    applyChange(cached);
    const std::vector<ScanBatch> after = scanBatches(cached, kLines, kPerBatch);

    // The heights of a fresh sensor with the final settings, encoded batch by batch.
    Control::setFrameEncoder(laser, [](const SimulatedFrame& frame, EncodedFrame& out) {
        return LaserPayloadEncoder::encode(frame, out);
    });
    const std::string fresh = TestSupport::connectedCamera(laser, "fresh");
    setUp(fresh);
    applyChange(fresh);
    const std::vector<ScanBatch> freshFirst = scanBatches(fresh, kFirstLines, 600);
    const std::vector<ScanBatch> expected = scanBatches(fresh, kLines, kPerBatch);

    QCOMPARE(before.size(), size_t(3));
    QCOMPARE(freshFirst.size(), size_t(3));
    // The change shows in profiles 0..599, which the second scan takes again from the kept lines.
    QVERIFY(before[0].data != freshFirst[0].data);
    QCOMPARE(after.size(), size_t(3));
    QCOMPARE(expected.size(), size_t(3));
    const int finalBits = change == QLatin1String("bits") ? 32 : bits;
    for (size_t b = 0; b < after.size(); ++b) {
        QCOMPARE(after[b].pixelFormat,
                 finalBits == 32 ? NuvPixelFormat::Coord3D_C32 : NuvPixelFormat::Coord3D_C16);
        QCOMPARE(after[b].pixelFormat, expected[b].pixelFormat);
        QCOMPARE(after[b].lines, kPerBatch);
        QCOMPARE(expected[b].lines, kPerBatch);
        QCOMPARE(after[b].data.size(), size_t(kPerBatch) * 3200 * (finalBits / 8 + 1));
        QVERIFY2(after[b].data == expected[b].data, qPrintable(QStringLiteral("batch %1 differs").arg(b)));
    }
}

// Released frames are recycled while cameras acquire; once the last one stops, a stopped camera
// holds no frame storage, also for frames a listener gives back late.
void TstZavizoZoz3::idleCamerasKeepNoFrameStorage() {
    class Holder final : public IImageUpdate {
    public:
        void notify(std::string key, AcqBuffer* payload, uint32_t, uint32_t) override {
            std::lock_guard<std::mutex> lock(mutex);
            ++frames[key];
            if (hold && !held) {
                held = payload;
                return;
            }
            payload->release();
        }
        std::mutex mutex;  // guards all members
        std::map<std::string, int> frames;
        bool hold = false;
        AcqBuffer* held = nullptr;
    } holder;
    const auto framesOf = [&](const std::string& key) {
        std::lock_guard<std::mutex> lock(holder.mutex);
        return holder.frames[key];
    };
    RegisterImageUpdateListener("spares", &holder);
    const std::string first = TestSupport::connectedCamera(CameraKind::AreaScan, "first");
    const std::string second = TestSupport::connectedCamera(CameraKind::AreaScan, "second");
    QCOMPARE(StartGrab(first), 0);
    QCOMPARE(StartGrab(second), 0);
    QTRY_VERIFY(framesOf(first) > 3 && framesOf(second) > 3);
    QTRY_VERIFY(Control::spareFrameBuffers() > 0);
    {
        std::lock_guard<std::mutex> lock(holder.mutex);
        holder.hold = true;
    }
    QTRY_VERIFY(Control::outstandingBuffers() > 0);

    // One camera still acquires: its frames keep being recycled.
    QCOMPARE(StopGrab(first), 0);
    const int secondBefore = framesOf(second);
    QTRY_VERIFY(framesOf(second) > secondBefore + 3);
    QVERIFY(Control::spareFrameBuffers() > 0);

    QCOMPARE(StopGrab(second), 0);
    QCOMPARE(Control::spareFrameBuffers(), 0);
    {
        std::lock_guard<std::mutex> lock(holder.mutex);
        holder.hold = false;
        holder.held->release();
        holder.held = nullptr;
    }
    QCOMPARE(Control::outstandingBuffers(), 0);
    QCOMPARE(Control::spareFrameBuffers(), 0);

    // Acquiring again recycles again.
    const int firstBefore = framesOf(first);
    QCOMPARE(StartGrab(first), 0);
    QTRY_VERIFY(framesOf(first) > firstBefore + 3);
    QTRY_VERIFY(Control::spareFrameBuffers() > 0);
    QCOMPARE(StopGrab(first), 0);
    QCOMPARE(Control::spareFrameBuffers(), 0);
    UnRegisterImageUpdateListener("spares", &holder);
}

// A Mono16 area-scan frame carries the scene in its high byte and noise that changes from frame
// to frame below it, as a deep sensor does.
void TstZavizoZoz3::areaScanDeepFrames() {
    class Recorder final : public IImageUpdate {
    public:
        void notify(std::string, AcqBuffer* payload, uint32_t, uint32_t extra) override {
            std::lock_guard<std::mutex> lock(mutex);
            if (frames.size() < 2)
                frames.push_back({payload->pixelFormat(), payload->width(), payload->height(), extra,
                                  std::vector<uint8_t>(payload->data(), payload->data() + payload->size())});
            payload->release();
        }
        struct Frame {
            uint32_t format;
            int width, height;
            uint32_t index;
            std::vector<uint8_t> bytes;
        };
        std::mutex mutex;  // guards frames
        std::vector<Frame> frames;
    } recorder;
    RegisterImageUpdateListener("deep", &recorder);
    const std::string key = TestSupport::connectedCamera(CameraKind::AreaScan, "deep");
    QCOMPARE(SetCameraNodeValue(key, "Width", "256"), 0);
    QCOMPARE(SetCameraNodeValue(key, "Height", "128"), 0);
    QCOMPARE(SetCameraNodeValue(key, "PixelFormat", "Mono16"), 0);
    QCOMPARE(StartGrab(key), 0);
    QTRY_VERIFY([&] {
        std::lock_guard<std::mutex> lock(recorder.mutex);
        return recorder.frames.size() == 2;
    }());
    StopGrab(key);
    UnRegisterImageUpdateListener("deep", &recorder);
    const auto& frames = recorder.frames;
    std::vector<uint8_t> scene;
    for (const auto& frame : frames) {
        QCOMPARE(frame.format, NuvPixelFormat::Mono16);
        QCOMPARE(frame.width, 256);
        QCOMPARE(frame.height, 128);
        QCOMPARE(frame.bytes.size(), size_t(256 * 128 * 2));
        AreaScanScene::render(frame.index, 0, 0, 256, 128, scene);
        for (size_t i = 0; i < scene.size(); ++i)
            QCOMPARE(frame.bytes[2 * i + 1], scene[i]);
    }
    int differentLowBytes = 0;
    for (size_t i = 0; i < frames[0].bytes.size(); i += 2)
        differentLowBytes += frames[0].bytes[i] != frames[1].bytes[i];
    QVERIFY(differentLowBytes > 256 * 128 / 2);
}

void TstZavizoZoz3::scenes() {
    const LaserScene scene(3200, 0.01, 0.05);
    std::vector<float> heights, again;
    std::vector<uint8_t> brightness, brightnessAgain;
    scene.profile(400, heights, brightness);  // y = 20 mm: across the stepped block
    scene.profile(400, again, brightnessAgain);
    QCOMPARE(heights.size(), size_t(3200));
    // Deterministic, including the missing points.
    for (size_t i = 0; i < heights.size(); ++i)
        QVERIFY(heights[i] == again[i] || (std::isnan(heights[i]) && std::isnan(again[i])));
    QCOMPARE(brightness, brightnessAgain);
    // Right behind the 12 mm edge the sensor cannot see the belt: a missing point, no light.
    QVERIFY(std::isnan(heights[1205]));
    QCOMPARE(brightness[1205], uint8_t(0));
    QVERIFY(std::fabs(heights[1050] - 12.0f) <= 0.05f);

    QCOMPARE(LaserScene::sensorRowOf(20.0, 1024, 20.0, -20.0), 0);
    QCOMPARE(LaserScene::sensorRowOf(-20.0, 1024, 20.0, -20.0), 1023);
    QCOMPARE(LaserScene::sensorRowOf(20.5, 1024, 20.0, -20.0), -1);
    QCOMPARE(LaserScene::sensorRowOf(std::nan(""), 1024, 20.0, -20.0), -1);
    QCOMPARE(LaserScene::sensorRowOf(0.0, 1024, 20.0, 20.0), -1);  // degenerate range

    // The sensor picture of a flat line at 0 mm with one missing point.
    heights.assign(64, 0.0f);
    heights[10] = std::nanf("");
    std::vector<uint8_t> pixels;
    const int row0 = LaserScene::sensorRowOf(0.0, 1024, 20.0, -20.0);
    LaserScene::renderSensorPicture(heights, 64, 1024, 0, 1024, 20.0, -20.0, 1, pixels);
    QCOMPARE(pixels.size(), size_t(64 * 1024));
    QCOMPARE(pixels[static_cast<size_t>(row0) * 64 + 3], uint8_t(255));
    for (int row = 0; row < 1024; ++row)
        QVERIFY(pixels[static_cast<size_t>(row) * 64 + 10] < 20);  // no line where nothing was measured
    // A window of 100 rows whose bottom is 450 rows above the sensor bottom: rows 474..573.
    LaserScene::renderSensorPicture(heights, 64, 1024, 450, 100, 20.0, -20.0, 1, pixels);
    QCOMPARE(pixels.size(), size_t(64 * 100));
    QCOMPARE(pixels[static_cast<size_t>(row0 - 474) * 64 + 3], uint8_t(255));
    // A window that does not contain the line shows only the dark background.
    LaserScene::renderSensorPicture(heights, 64, 1024, 0, 100, 20.0, -20.0, 1, pixels);
    QVERIFY(*std::max_element(pixels.begin(), pixels.end()) < 20);
    LaserScene::renderSensorPicture(heights, 0, 1024, 0, 100, 20.0, -20.0, 1, pixels);
    QVERIFY(pixels.empty());
    // An area-scan window shows the same scene as the full sensor.
    std::vector<uint8_t> full, window;
    AreaScanScene::render(5, 0, 0, 2048, 1024, full);
    AreaScanScene::render(5, 512, 256, 256, 128, window);
    QCOMPARE(window.size(), size_t(256 * 128));
    for (int row = 0; row < 128; row += 7)
        for (int col = 0; col < 256; col += 5)
            QCOMPARE(window[static_cast<size_t>(row * 256 + col)],
                     full[static_cast<size_t>((row + 256) * 2048 + col + 512)]);
    AreaScanScene::render(0, 0, 0, 0, 10, full);
    QVERIFY(full.empty());
}

QTEST_GUILESS_MAIN(TstZavizoZoz3)
#include "tst_zavizozoz3.moc"
