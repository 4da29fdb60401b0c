// SPDX-License-Identifier: Apache-2.0
// The simulated laser profiler honours its camera ROI, image masks and column window, refuses
// window values a real sensor would refuse, and the business layer raises ROI draw events.
#include <QtTest>
#include <atomic>
#include <cmath>
#include <mutex>
#include <thread>

#include "GenApi.h"
#include "TestSupport.h"
#include "ZavizoZoz3.h"
#include "ZavizoZoz3Control.h"

using namespace ZavizoZoz3;

namespace {
// Keeps the last frame of each image mode the camera produced.
struct FrameCapture {
    std::mutex mutex;  // guards frames
    SimulatedFrame frames[3];
    bool seen[3] = {false, false, false};
    int count[3] = {0, 0, 0};
};

struct RoiDraw {
    std::string key;
    int x1, y1, x2, y2, operation, roiId, drawType;
    std::thread::id thread;
};
class RoiRecorder final : public IROIDrawUpdate {
public:
    void notify(std::string id, int leftX, int leftY, int rightX, int rightY, int operation, int& roiId,
                bool& status, int, int drawType) override {
        draws.push_back(
            {id, leftX, leftY, rightX, rightY, operation, roiId, drawType, std::this_thread::get_id()});
        // Answers in place, as a viewer that drew the shape under another id.
        roiId += 10;
        status = roiId >= 0;
    }
    std::vector<RoiDraw> draws;
};
}  // namespace

class TestSensorRegions : public QObject {
    Q_OBJECT
private slots:
    void init() { TestSupport::resetEnvironment(); }
    void cleanup() { Control::reset(); }
    void windowWritesRefused_data();
    void windowWritesRefused();
    void framesHonourRegions_data();
    void framesHonourRegions();
    void drawEventsFollowChanges();
};

void TestSensorRegions::windowWritesRefused_data() {
    QTest::addColumn<QString>("feature");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("accepted");
    // The camera starts with Height 400 and OffsetY 300.
    const auto row = [](const char* name, const char* feature, const char* value, bool accepted) {
        QTest::newRow(name) << QString(feature) << QString(value) << accepted;
    };
    row("height off increment", "Height", "401", false);
    row("height below minimum", "Height", "8", false);
    row("height above the offset", "Height", "800", false);
    row("height that fits", "Height", "724", true);
    row("offset off increment", "OffsetY", "301", false);
    row("offset out of range", "OffsetY", "700", false);
    row("offset that fits", "OffsetY", "624", true);
}

void TestSensorRegions::windowWritesRefused() {
    QFETCH(QString, feature);
    QFETCH(QString, value);
    QFETCH(bool, accepted);
    const std::string key = Control::addCamera(Control::CameraKind::LaserProfiler, "L");
    QCOMPARE(SetCameraNodeValue(key, "Height", "400"), 0);
    QCOMPARE(SetCameraNodeValue(key, "OffsetY", "300"), 0);
    QCOMPARE(SetCameraNodeValue(key, feature.toStdString(), value.toStdString()) == 0, accepted);
    std::string now;
    GetCameraNodeValue(key, feature.toStdString(), now);
    QCOMPARE(QString::fromStdString(now), accepted ? value : (feature == "Height" ? "400" : "300"));
    GenApi::CIntegerPtr node(GetAttrNodeMap(FOCUS_CAMERA, key, 3)->GetNode(feature.toStdString()));
    // Height reports the whole sensor; the offset's maximum follows the height.
    QCOMPARE(node->GetMax(), feature == "Height" ? int64_t(1024) : int64_t(624));
    if (!accepted) QVERIFY_EXCEPTION_THROWN(node->SetValue(value.toLongLong()), GenICam::OutOfRangeException);
}

void TestSensorRegions::framesHonourRegions_data() {
    QTest::addColumn<int>("mode");
    // Regions changed while the camera streams (profiles it scanned before are not reused).
    QTest::addColumn<bool>("whileGrabbing");
    QTest::newRow("picture") << 0 << false;
    QTest::newRow("profile") << 1 << false;
    QTest::newRow("range lines") << 2 << false;
    QTest::newRow("range lines, regions set while grabbing") << 2 << true;
}

void TestSensorRegions::framesHonourRegions() {
    QFETCH(int, mode);
    QFETCH(bool, whileGrabbing);
    auto capture = std::make_shared<FrameCapture>();
    Control::setFrameEncoder(Control::CameraKind::LaserProfiler,
                             [capture](const SimulatedFrame& f, EncodedFrame&) {
                                 std::lock_guard<std::mutex> lock(capture->mutex);
                                 capture->frames[f.imageMode] = f;
                                 capture->seen[f.imageMode] = true;
                                 ++capture->count[f.imageMode];
                                 return false;
                             });
    const std::string key = TestSupport::connectedCamera(Control::CameraKind::LaserProfiler, "L");
    const auto framesSeen = [&] {
        std::lock_guard<std::mutex> lock(capture->mutex);
        return capture->count[mode];
    };
    SetCameraInfo(key, CAM_INFO_COLUMN_LAST, "2999");
    if (whileGrabbing) {
        // The whole window first: every profile of a full period of the scene is scanned once.
        SetCameraImageMode(key, mode, true);
        QCOMPARE(SetCameraNodeValue(key, "BatchNumber", "1000"), 0);
        Control::setFrameRate(key, 64000.0);
        QCOMPARE(StartGrab(key), 0);
        QTRY_VERIFY_WITH_TIMEOUT(framesSeen() >= (mode == 2 ? 3 : 2), 30000);
    }
    // Rows 324..723 are read (the conveyor's 0 mm lies on row 512); mask 2 covers columns
    // 1000..1499 over the whole window; the column window ends at 2999.
    QCOMPARE(SetCameraNodeValue(key, "Height", "400"), 0);
    QCOMPARE(SetCameraNodeValue(key, "OffsetY", "300"), 0);
    QCOMPARE(SetCameraNodeValue(key, "ImageMaskerSelector", "ImageMasker1"), 0);
    const char* const writes[] = {"Xup",    "1000", "Yup",   "0",    "Xright",    "1500",
                                  "Yright", "0",    "Xdown", "1500", "Ydown",     "1023",
                                  "Xleft",  "1000", "Yleft", "1023", "ImageMask", "1"};
    for (size_t i = 0; i < std::size(writes); i += 2)
        QCOMPARE(SetCameraNodeValue(key, writes[i], writes[i + 1]), 0);
    if (whileGrabbing) {
        // A frame scanned while the writes went on may still show the old regions; the next ones not.
        const int before = framesSeen();
        QTRY_VERIFY_WITH_TIMEOUT(framesSeen() >= before + 2, 30000);
    } else {
        SetCameraImageMode(key, mode, true);
        Control::setFrameRate(key, 2000.0);
        QCOMPARE(StartGrab(key), 0);
        QTRY_VERIFY([&] {
            std::lock_guard<std::mutex> lock(capture->mutex);
            return capture->seen[mode];
        }());
    }
    StopGrab(key);
    const SimulatedFrame f = capture->frames[mode];
    if (mode == 1) {
        // A profile is one line across the whole sensor, with the sensor's scales.
        QVERIFY(f.lineCount == 1 && f.heights.size() == 3200 && f.brightness.size() == 3200);
        QVERIFY(f.scaler == 32000.0 && f.xIntervalUm == 10.0 && f.zMaxMm == 20.0);
    }
    if (mode == 0) {
        QCOMPARE(f.pictureWidth, 3200);
        QCOMPARE(f.pictureHeight, 400);
        QCOMPARE(f.windowRowOffset, 300);
        int darkMasked = 0, litOutside = 0;
        for (int row = 0; row < f.pictureHeight; ++row) {
            for (int col = 900; col < 1600; ++col) {
                const uint8_t v = f.picture[size_t(row) * 3200 + size_t(col)];
                if (col >= 1000 && col < 1500)
                    darkMasked += v == 0;
                else
                    litOutside += v > 0;
            }
        }
        QCOMPARE(darkMasked, 500 * 400);
        QCOMPARE(litOutside, 200 * 400);
        return;
    }
    for (int line = 0; line < f.lineCount; ++line) {
        int valid[3] = {0, 0, 0};  // before the mask, masked, after the column window
        for (int col = 0; col < 3200; ++col) {
            const bool measured = std::isfinite(f.heights[size_t(line) * 3200 + size_t(col)]);
            valid[col < 1000 ? 0 : (col < 1500 ? 1 : (col >= 3000 ? 2 : 0))] += measured;
        }
        QVERIFY(valid[0] > 300);
        QCOMPARE(valid[1], 0);
        QCOMPARE(valid[2], 0);
    }
}

void TestSensorRegions::drawEventsFollowChanges() {
    RoiRecorder recorder;
    RegisterROIUpdateListener(&recorder);
    std::atomic<int> scheduled{0};
    Control::setRoiDrawScheduler([&scheduled] { ++scheduled; });
    const std::string key = Control::addCamera(Control::CameraKind::LaserProfiler, "L");
    // A host thread changes the camera ROI, a mask and the column window; selecting a mask and
    // writing an unchanged item raise nothing.
    std::thread host([&key] {
        SetCameraNodeValue(key, "Height", "400");
        SetCameraNodeValue(key, "OffsetY", "300");
        SetCameraNodeValue(key, "ImageMaskerSelector", "ImageMasker2");
        SetCameraNodeValue(key, "Xup", "12");
        SetCameraInfo(key, CAM_INFO_COLUMN_FIRST, "0");
        SetCameraInfo(key, CAM_INFO_COLUMN_LAST, "2000");
    });
    host.join();
    QCOMPARE(scheduled.load(), 1);  // once, when the queue stopped being empty
    QVERIFY(recorder.draws.empty());
    QCOMPARE(Control::deliverRoiDraws(), 3);
    QCOMPARE(recorder.draws.size(), size_t(3));
    const RoiDraw& roi = recorder.draws[0];
    QCOMPARE(QVector<int>({roi.x1, roi.y1, roi.x2, roi.y2, roi.operation, roi.roiId, roi.drawType}),
             QVector<int>({0, 300, 3200, 700, 0, 0, 1}));
    QCOMPARE(QVector<int>({recorder.draws[1].roiId, recorder.draws[1].drawType}), QVector<int>({3, 0}));
    QCOMPARE(QVector<int>({recorder.draws[2].x1, recorder.draws[2].x2, recorder.draws[2].roiId,
                           recorder.draws[2].drawType}),
             QVector<int>({0, 2000, 4, 2}));
    QCOMPARE(Control::deliverRoiDraws(), 0);
    // A direct draw call is answered in place on the calling thread; without a listener it fails.
    int roiId = -3;
    QVERIFY(Control::callROIDraw("cam", 1, 2, 3, 4, 0, roiId, 0, 1));
    QCOMPARE(roiId, 7);
    const RoiDraw& direct = recorder.draws.back();
    QVERIFY(direct.key == "cam" && direct.thread == std::this_thread::get_id());
    QCOMPARE(QVector<int>({direct.x1, direct.y2, direct.operation, direct.drawType}),
             QVector<int>({1, 4, 0, 1}));
    UnRegisterROIUpdateListener(&recorder);
    roiId = -1;
    QVERIFY(!Control::callROIDraw("cam", 1, 2, 3, 4, 0, roiId, 0, 1));
    QCOMPARE(roiId, -1);
}

QTEST_MAIN(TestSensorRegions)
#include "tst_sensorregions.moc"
