// SPDX-License-Identifier: Apache-2.0
// Camera ROI, image masks and column window: drawn from the camera on the profiler's picture,
// dragged with the mouse, written back; the 2D view's camera ROI; the business layer's draw events.
#include <QPushButton>
#include <QtTest>
#include <climits>
#include <cmath>

#include "CameraRoiTool.h"
#include "Image2DWnd.h"
#include "Image3DWnd.h"
#include "ModalSeam.h"
#include "NodeBase.h"
#include "ScriptedModalHandler.h"
#include "ViewerHost.h"
#include "WindowDrag.h"
#include "ZMKImageView.h"
#include "ZMKImageWnd.h"

namespace Control = ZavizoZoz3::Control;
using Info = CameraRoiTool::IntegerNodeInfo;

namespace {
// A mask's four corners as x, y node pairs.
const char* const kMaskCorners[] = {"Xleft", "Yleft", "Xup", "Yup", "Xright", "Yright", "Xdown", "Ydown"};

// A node that claims to be an integer but is none: reading it through an integer pointer
// dereferences an empty pointer, as a broken device description would.
class FakeIntegerNode : public GenApi::INode {
public:
    GenApi::gcstring GetName(bool) const override { return "Broken"; }
    GenApi::EInterfaceType GetPrincipalInterfaceType() const override { return GenApi::intfIInteger; }
    GenApi::EAccessMode GetAccessMode() const override { return GenApi::RO; }
    GenApi::gcstring ToString() const override { return "0"; }
    void FromString(const GenApi::gcstring&) override {}
};
// An integer as a GenICam device may describe it: 64-bit value and limits.
class WideIntegerNode : public GenApi::IInteger {
public:
    explicit WideIntegerNode(int64_t value) : m_value(value) {}
    GenApi::gcstring GetName(bool) const override { return "Wide"; }
    GenApi::EInterfaceType GetPrincipalInterfaceType() const override { return GenApi::intfIInteger; }
    GenApi::EAccessMode GetAccessMode() const override { return GenApi::RO; }
    GenApi::gcstring ToString() const override { return std::to_string(m_value); }
    void FromString(const GenApi::gcstring&) override {}
    int64_t GetValue(bool, bool) override { return m_value; }
    void SetValue(int64_t, bool) override {}
    int64_t GetMin() override { return INT64_MIN; }  // unbounded, as many devices declare
    int64_t GetMax() override { return INT64_MAX; }
    int64_t GetInc() override { return int64_t(1) << 40; }

private:
    const int64_t m_value;
};
class FakeNodeMap : public GenApi::INodeMap {
public:
    GenApi::INode* GetNode(const GenApi::gcstring& name) const override {
        if (name == "Wide") return const_cast<WideIntegerNode*>(&m_wide);
        if (name == "WideValue") return const_cast<WideIntegerNode*>(&m_wideValue);
        return name == "Broken" ? const_cast<FakeIntegerNode*>(&m_node) : nullptr;
    }
    std::vector<GenApi::INode*> GetNodes() const override { return {}; }
    GenApi::gcstring GetDeviceName() const override { return "fake"; }

private:
    FakeIntegerNode m_node;
    WideIntegerNode m_wide{400};
    WideIntegerNode m_wideValue{int64_t(1) << 40};
};
}  // namespace

class TestCameraRoi : public QObject, protected TestSupport::ViewerHost {
    Q_OBJECT
private slots:
    void init() {
        TestSupport::resetEnvironment();
        Control::setRoiDrawScheduler([] {
            QMetaObject::invokeMethod(
                qApp, [] { Control::deliverRoiDraws(); }, Qt::QueuedConnection);
        });
        openViewer(1640, 640);
        m_key = TestSupport::connectedCamera(Control::CameraKind::LaserProfiler, "L");
        setNode("Height", "400");
        setNode("OffsetY", "100");   // the band covers picture rows 524..924
        Control::deliverRoiDraws();  // no pane holds the camera yet: nothing is drawn
        Control::postDeviceList(1);
        QTRY_VERIFY(manager()->paneOf(QString::fromStdString(m_key)) != nullptr);
        m_pane = manager()->paneOf(QString::fromStdString(m_key));
        QVERIFY(QTest::qWaitForWindowExposed(m_host));
        m_pane->view3D()->btn2DMode->click();
        display()->zoomFitWnd();
    }

    void cleanup() { closeViewer(); }

    void integerNodeInfoResultCodes_data() {
        QTest::addColumn<QString>("camera");
        QTest::addColumn<QString>("nodeName");
        QTest::addColumn<int>("code");
        const auto row = [](const char* name, const char* camera, const char* node, int code) {
            QTest::newRow(name) << QString(camera) << QString(node) << code;
        };
        row("integer", "L", "Height", 0);
        row("no node map", "Nobody", "Height", -1);
        row("no such node", "L", "Zoom", -2);
        row("boolean node", "L", "ImageMask", -3);
        row("unreadable integer", "L", "OffsetX", -3);
        row("broken integer", "fake", "Broken", -4);
        row("64-bit limits saturate", "fake", "Wide", 0);
        row("value beyond 32 bits", "fake", "WideValue", -3);
    }

    void integerNodeInfoResultCodes() {
        QFETCH(QString, camera);
        QFETCH(QString, nodeName);
        QFETCH(int, code);
        nodeBase("OffsetX")->setAccessMode(GenApi::NA);
        Info info{-7, -7, -7, -7};
        FakeNodeMap fake;
        const int result = camera == "fake"
                               ? CameraRoiTool::integerNodeInfo(&fake, nodeName.toStdString(), &info)
                               : CameraRoiTool::getIntegerNodeInfo(camera, nodeName, &info);
        QCOMPARE(result, code);
        // Outputs are written only on success.
        const QVector<int> expected = code != 0          ? QVector<int>{-7, -7, -7, -7}
                                      : camera == "fake" ? QVector<int>{400, INT_MIN, INT_MAX, INT_MAX}
                                                         : QVector<int>{400, 16, 1024, 2};
        QCOMPARE((QVector<int>{info.value, info.min, info.max, info.inc}), expected);
    }

    void cameraRoiDrags_data() {
        QTest::addColumn<QPointF>("from");
        QTest::addColumn<QPointF>("to");
        QTest::addColumn<bool>("handle");
        QTest::addColumn<int>("height");  // expected "Height" afterwards; the band's bottom is checked too
        QTest::addColumn<bool>("written");
        QTest::addColumn<bool>("refused");  // the camera refuses the height: its echo restores the band
        const QPointF top(1600, 524);
        QTest::newRow("moved keeps height")
            << QPointF(1600, 724) << QPointF(1600, 623) << false << 400 << true << false;
        QTest::newRow("resized below minimum") << top << QPointF(1600, 918) << true << 400 << false << false;
        QTest::newRow("resized taller") << top << QPointF(1600, 301) << true << -1 << true << false;
        QTest::newRow("refused by the camera") << top << QPointF(1600, 301) << true << 400 << true << true;
        // The edge is grabbed anywhere along it, without selecting the band first.
        QTest::newRow("top edge pulled up unselected")
            << QPointF(400, 524) << QPointF(400, 301) << false << 624 << true << false;
        QTest::newRow("moved against the bottom keeps height")
            << QPointF(1600, 724) << QPointF(1600, 1100) << false << 400 << true << false;
    }

    void cameraRoiDrags() {
        QFETCH(QPointF, from);
        QFETCH(QPointF, to);
        QFETCH(bool, handle);
        QFETCH(int, height);
        QFETCH(bool, written);
        QFETCH(bool, refused);
        showPicture();
        int roiId = 0;
        QVERIFY(Control::callROIDraw(m_key, 0, 0, 0, 0, 0, roiId, 0, 1));
        if (refused) nodeBase("Height")->setAccessMode(GenApi::RO);
        QCOMPARE(shapeBounds(display(), roiShape()), QRectF(QPointF(0, 524), QPointF(3200, 924)));
        const int businessId = tool()->roiShapeIds().firstKey();
        drag(display(), from, to, handle);
        if (height > 0) QTRY_COMPARE(int(shapeBounds(display(), roiShape()).height()), height);
        const QRectF band = shapeBounds(display(), roiShape());
        QCOMPARE(Control::roiPosCalls().size(), written ? size_t(1) : size_t(0));
        QCOMPARE(nodeInt("Height"), int(band.height()));
        QCOMPARE(nodeInt("OffsetY"), 1024 - int(band.bottom()));
        QCOMPARE(nodeInt("OffsetY") % 2, 0);
        if (!written || refused) return;
        const Control::RoiPosCall call = Control::roiPosCalls().back();
        QCOMPARE(call.roiId, businessId);
        QCOMPARE(QRect(QPoint(call.x1, call.y1), QPoint(call.x2, call.y2)),
                 QRect(QPoint(0, int(band.top())), QPoint(3200, int(band.bottom()))));
    }

    // The window's right edge is grabbed off its handle without selecting first; a drag inside
    // moves the window, which keeps its width at the picture's border (the picture is 3200 wide).
    void columnWindowDrags_data() {
        QTest::addColumn<int>("first");  // the window before, as CAM_INFO 67 and 68
        QTest::addColumn<int>("last");
        QTest::addColumn<double>("fromX");
        QTest::addColumn<double>("toX");
        QTest::addColumn<int>("firstColumn");  // expected CAM_INFO 67 and 68, give or take a screen pixel
        QTest::addColumn<int>("lastColumn");
        QTest::newRow("narrowed below 10 snaps back") << 1000 << 2000 << 2000.0 << 1006.0 << 1000 << 2000;
        QTest::newRow("narrowed to 1500") << 1000 << 2000 << 2000.0 << 1500.0 << 1000 << 1500;
        QTest::newRow("moved against the right border") << 1000 << 2000 << 1500.0 << 3000.0 << 2200 << 3199;
        QTest::newRow("moved against the left border") << 1000 << 2000 << 1500.0 << 0.0 << 0 << 1000;
        QTest::newRow("full width pushed right") << 0 << 3199 << 1500.0 << 2000.0 << 0 << 3199;
    }

    void columnWindowDrags() {
        QFETCH(int, first);
        QFETCH(int, last);
        QFETCH(double, fromX);
        QFETCH(double, toX);
        QFETCH(int, firstColumn);
        QFETCH(int, lastColumn);
        ZavizoZoz3::SetCameraInfo(m_key, ZavizoZoz3::CAM_INFO_COLUMN_FIRST, std::to_string(first));
        ZavizoZoz3::SetCameraInfo(m_key, ZavizoZoz3::CAM_INFO_COLUMN_LAST, std::to_string(last));
        showPicture();
        Control::raiseRoiDraws(m_key);
        QTRY_VERIFY(columnShape() >= 0);
        // A window over the whole width is pushed twice: each push once cut it.
        const int pushes = last - first == 3199 ? 2 : 1;
        for (int i = 0; i < pushes; ++i)
            drag(display(), QPointF(fromX, 300), QPointF(toX, 300), false);
        QVERIFY(std::abs(std::atoi(info(ZavizoZoz3::CAM_INFO_COLUMN_FIRST).c_str()) - firstColumn) <= 3);
        QVERIFY(std::abs(std::atoi(info(ZavizoZoz3::CAM_INFO_COLUMN_LAST).c_str()) - lastColumn) <= 3);
        const QRectF band = shapeBounds(display(), columnShape());
        QCOMPARE(QPointF(band.top(), band.bottom()), QPointF(0, 1024));
        QVERIFY(band.width() >= CameraRoiTool::kMinColumnWindow);
    }

    // Column numbers from the business layer outside its 0..3199 scale keep the band on the picture.
    void columnWindowFromBadNumbersStaysOnPicture_data() {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("last");
        QTest::addColumn<QPointF>("columns");  // the band's left and right in picture columns
        QTest::newRow("beyond 64 bits") << "9223372036854775807"
                                        << "1000" << QPointF(1000, 3200);
        QTest::newRow("negative and past the scale") << "-7"
                                                     << "99999" << QPointF(0, 3200);
    }

    void columnWindowFromBadNumbersStaysOnPicture() {
        QFETCH(QString, first);
        QFETCH(QString, last);
        QFETCH(QPointF, columns);
        showPicture();
        ZavizoZoz3::SetCameraInfo(m_key, ZavizoZoz3::CAM_INFO_COLUMN_FIRST, first.toStdString());
        ZavizoZoz3::SetCameraInfo(m_key, ZavizoZoz3::CAM_INFO_COLUMN_LAST, last.toStdString());
        const auto band = [this] {
            const QRectF bounds = shapeBounds(display(), columnShape());
            return QPointF(bounds.left(), bounds.right());
        };
        QTRY_COMPARE(band(), columns);
    }

    void maskLifeCycle() {
        enableMask1(400, 300, 700, 700);
        showPicture();
        QTRY_VERIFY(tool()->maskShapeIds().value(1) >= 0);
        const int before = tool()->maskShapeIds().value(1);
        QCOMPARE(shapeBounds(display(), before), QRectF(QPointF(400, 300), QPointF(700, 700)));
        drag(display(), QPointF(550, 500), QPointF(750, 400), false);
        QTRY_VERIFY(!tool()->isApplying());  // the writes go out paced
        QVERIFY(std::abs(nodeInt("Xup") - 600) <= 3);
        QVERIFY(std::abs(nodeInt("Ydown") - 600) <= 3);
        QCOMPARE(node("ImageMask"), std::string("True"));
        // The camera's echo redraws the mask where the camera now has it.
        QTRY_VERIFY(tool()->maskShapeIds().value(1) != before);
        QCOMPARE(
            shapeBounds(display(), tool()->maskShapeIds().value(1)),
            QRectF(QPointF(nodeInt("Xup"), nodeInt("Yup")), QPointF(nodeInt("Xdown"), nodeInt("Ydown"))));
        // A degenerate mask (Xright = Xleft) is drawn with a usable width; a disabled one goes.
        enableMask1(200, 100, 200, 300);
        QTRY_COMPARE(shapeBounds(display(), tool()->maskShapeIds().value(1)).width(), 50.0);
        const int shown = tool()->maskShapeIds().value(1);
        setNode("ImageMask", "False");
        QTRY_COMPARE(tool()->maskShapeIds().value(1), -1);
        QVERIFY(shapeBounds(display(), shown).isNull());
        // A turned mask, switched on as "1".
        NuvROI rotated;
        rotated.GenRect2(NuvPoint(1500, 500), 300, 100, 30);
        const NuvPointArray c = rotated.corners();  // top left, top right, bottom right, bottom left turned
        QVector<int> written;
        for (int i = 0; i < 4; ++i)
            written << int(std::lround(c[size_t(i)].x)) << int(std::lround(c[size_t(i)].y));
        writeMask1(written, "1");
        QTRY_VERIFY(tool()->maskShapeIds().value(1) >= 0);
        // An edit that changes nothing writes back the corners the camera had.
        tool()->onShapeChanged(tool()->maskShapeIds().value(1));
        for (int i = 0; i < 8; ++i)
            QVERIFY2(std::abs(nodeInt(kMaskCorners[i]) - written[i]) <= 1, kMaskCorners[i]);
    }

    // Each kind is labelled on the picture; its context menu (through the modal seam) resets it.
    void shapeMenuResets_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<QPointF>("at");  // inside that shape only
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("entry");
        QTest::newRow("camera ROI") << 0 << QPointF(500, 850) << "ROI"
                                    << "Reset to Full Sensor";
        QTest::newRow("mask") << 1 << QPointF(550, 400) << "Mask 1"
                              << "Remove Mask";
        QTest::newRow("column window") << 4 << QPointF(1500, 100) << "Columns"
                                       << "Reset to All Columns";
    }

    // A mask edit returns to the GUI at once and its writes go out paced; the camera's echo
    // meanwhile (which selects a mask to read it) waits, so no write lands in another mask.
    void maskEditIsPacedWithoutHoldingTheGui() {
        const QVector<int> mask2 = {1000, 500, 1000, 200, 1400, 200, 1400, 500};
        writeMask("ImageMasker1", mask2);
        enableMask1(400, 300, 700, 700);
        showPicture();
        Control::raiseRoiDraws(m_key);
        QTRY_VERIFY(tool()->maskShapeIds().value(1) >= 0 && tool()->maskShapeIds().value(2) >= 0);
        QTRY_COMPARE(Control::deliverRoiDraws(), 0);
        // The camera's mask 1 moved on its own; the user's edit of the drawn one puts it back.
        enableMask1(100, 100, 200, 200);
        QCOMPARE(tool()->onShapeChanged(tool()->maskShapeIds().value(1)), tool()->maskShapeIds().value(1));
        QVERIFY(tool()->isApplying());  // returned before the last write
        Control::raiseRoiDraws(m_key);
        QVERIFY(Control::deliverRoiDraws() > 0);  // the echo arrives in the middle of the edit
        QTRY_VERIFY(!tool()->isApplying());
        QTRY_COMPARE(Control::deliverRoiDraws(), 0);
        QVERIFY(mask1On());
        QCOMPARE(QRect(QPoint(nodeInt("Xup"), nodeInt("Yup")), QPoint(nodeInt("Xdown"), nodeInt("Ydown"))),
                 QRect(QPoint(400, 300), QPoint(700, 700)));
        setNode("ImageMaskerSelector", "ImageMasker1");
        QVector<int> seen;
        for (const char* corner : kMaskCorners)
            seen << nodeInt(corner);
        QCOMPARE(seen, mask2);
        QCOMPARE(shapeBounds(display(), tool()->maskShapeIds().value(2)), QRectF(1000, 200, 400, 300));
        setNode("ImageMaskerSelector", "ImageMasker2");
        QCOMPARE(node("ImageMask"), std::string("False"));
    }

    void shapeMenuResets() {
        QFETCH(int, index);
        QFETCH(QPointF, at);
        QFETCH(QString, label);
        QFETCH(QString, entry);
        ZavizoZoz3::SetCameraInfo(m_key, ZavizoZoz3::CAM_INFO_COLUMN_FIRST, "1000");
        ZavizoZoz3::SetCameraInfo(m_key, ZavizoZoz3::CAM_INFO_COLUMN_LAST, "2000");
        enableMask1(400, 300, 700, 700);
        showPicture();
        Control::raiseRoiDraws(m_key);
        QTRY_VERIFY(roiShape() >= 0 && columnShape() >= 0 && tool()->maskShapeIds().value(1) >= 0);
        const auto shapeOf = [this](int i) {
            return i == 0 ? roiShape() : i == 4 ? columnShape() : tool()->maskShapeIds().value(i);
        };
        QCOMPARE(display()->shapeLabel(roiShape()), QStringLiteral("ROI"));
        QCOMPARE(display()->shapeLabel(columnShape()), QStringLiteral("Columns"));
        QCOMPARE(display()->shapeLabel(tool()->maskShapeIds().value(1)), QStringLiteral("Mask 1"));
        // Dismissed: nothing changes.
        rightClick(display(), at);
        QCOMPARE(TestSupport::modals().last(ModalSeam::Kind::Menu).buttons, QStringList{entry});
        QCOMPARE(QString::fromStdString(node("Height") + "/" + node("OffsetY")), QStringLiteral("400/100"));
        QVERIFY(mask1On());
        QVERIFY(Control::roiPosCalls().empty());
        TestSupport::modals().pushMenuChoice(entry);
        rightClick(display(), at);
        QCOMPARE(TestSupport::modals().count(ModalSeam::Kind::Menu), 2);
        const std::string columns =
            info(ZavizoZoz3::CAM_INFO_COLUMN_FIRST) + "-" + info(ZavizoZoz3::CAM_INFO_COLUMN_LAST);
        if (index == 0) {
            QCOMPARE(nodeInt("Height"), 1024);
            QCOMPARE(nodeInt("OffsetY"), 0);
            const Control::RoiPosCall call = Control::roiPosCalls().back();
            QCOMPARE(QRect(QPoint(call.x1, call.y1), QPoint(call.x2, call.y2)),
                     QRect(QPoint(0, 0), QPoint(3200, 1024)));
        } else if (index == 1) {
            QTRY_VERIFY(!tool()->isApplying());
            QVERIFY(!mask1On());
        } else {
            QCOMPARE(QString::fromStdString(columns), QStringLiteral("0-3199"));
        }
        // The camera's echo draws what it now has; the other settings stay as they were.
        QTRY_COMPARE(Control::deliverRoiDraws(), 0);
        if (index == 1) {
            QCOMPARE(tool()->maskShapeIds().value(1), -1);
        } else {
            QCOMPARE(shapeBounds(display(), shapeOf(index)), QRectF(QPointF(0, 0), QPointF(3200, 1024)));
            QCOMPARE(display()->shapeLabel(shapeOf(index)), label);
        }
        if (index != 0)
            QCOMPARE(QString::fromStdString(node("Height") + "/" + node("OffsetY")),
                     QStringLiteral("400/100"));
        if (index != 1) QVERIFY(mask1On());
        if (index != 4) QCOMPARE(QString::fromStdString(columns), QStringLiteral("1000-2000"));
    }

    void shapesFixedWhileAcquiring() {
        showPicture();
        int roiId = 0;
        Control::callROIDraw(m_key, 0, 0, 0, 0, 0, roiId, 0, 1);
        m_pane->onGrabStarted();
        enableMask1(2000, 100, 2300, 300);  // drawn during acquisition: fixed too
        QTRY_VERIFY(tool()->maskShapeIds().value(1) >= 0);
        drag(display(), QPointF(1600, 724), QPointF(1600, 600), false);
        drag(display(), QPointF(2150, 200), QPointF(2150, 400), false);
        QCOMPARE(nodeInt("OffsetY"), 100);
        QCOMPARE(nodeInt("Yup"), 100);
        QVERIFY(Control::roiPosCalls().empty());
        rightClick(display(), QPointF(1600, 724));  // no reset menu either
        QCOMPARE(TestSupport::modals().count(ModalSeam::Kind::Menu), 0);
        m_pane->onGrabStopped();
        drag(display(), QPointF(1600, 724), QPointF(1600, 600), false);
        QCOMPARE(Control::roiPosCalls().size(), size_t(1));
    }

    void removingColumnWindowReportsWholeWidth() {
        showPicture();
        Control::raiseRoiDraws(m_key);
        QTRY_VERIFY(columnShape() >= 0);
        const int shown = columnShape();
        int roiId = CameraRoiTool::ColumnWindow;
        QVERIFY(Control::callROIDraw(m_key, 0, 0, 0, 0, 2, roiId, 0, 2));
        QCOMPARE(info(ZavizoZoz3::CAM_INFO_COLUMN_FIRST) + "-" + info(ZavizoZoz3::CAM_INFO_COLUMN_LAST),
                 std::string("0-3199"));
        QVERIFY(tool()->columnWindowShapeIds().isEmpty() && shapeBounds(display(), shown).isNull());
        // The business layer removed it: its own later changes do not bring it back.
        ZavizoZoz3::SetCameraInfo(m_key, ZavizoZoz3::CAM_INFO_COLUMN_LAST, "3000");
        QCOMPARE(Control::deliverRoiDraws(), 0);
    }

    void drawEventBeforePictureServedByFirstPicture() {
        int roiId = 0;
        QVERIFY(!Control::callROIDraw(m_key, 0, 0, 0, 0, 0, roiId, 0, 1));
        QCOMPARE(roiId, -1);
        roiId = CameraRoiTool::ColumnWindow;
        QVERIFY(!Control::callROIDraw(m_key, 0, 0, 0, 0, 0, roiId, 0, 2));
        QVERIFY(tool()->isPending(0) && tool()->isPending(4));
        showPicture(3200, 1024, false);
        QVERIFY(!tool()->isPending(0) && !tool()->isPending(4));
        QCOMPARE(shapeBounds(display(), roiShape()), QRectF(QPointF(0, 524), QPointF(3200, 924)));
        QCOMPARE(shapeBounds(display(), columnShape()), QRectF(QPointF(0, 0), QPointF(3200, 1024)));
        // Served shapes are fixed until acquisition stops.
        drag(display(), QPointF(1600, 724), QPointF(1600, 600), false);
        QVERIFY(Control::roiPosCalls().empty());
    }

    void sizeChangeAndDisconnectWithShapesDrawn() {
        showPicture();
        Control::raiseRoiDraws(m_key);
        QTRY_VERIFY(columnShape() >= 0 && roiShape() >= 0);
        showPicture(1600, 1024);  // the camera narrowed its picture
        Control::raiseRoiDraws(m_key);
        QTRY_COMPARE(shapeBounds(display(), columnShape()), QRectF(QPointF(0, 0), QPointF(1600, 1024)));
        const int roi = roiShape();
        Control::setConnected(m_key, false);
        Control::postDeviceList(1);
        QTRY_COMPARE(m_pane->imageWndTitle(), QStringLiteral("No Camera"));
        QVERIFY(tool()->roiShapeIds().isEmpty() && tool()->columnWindowShapeIds().isEmpty());
        QVERIFY(shapeBounds(display(), roi).isNull());
        setNode("Height", "200");  // the unbound camera's events find no pane
        QTRY_COMPARE(Control::deliverRoiDraws(), 0);
        QVERIFY(tool()->roiShapeIds().isEmpty());
    }

    void view2DRoiSnapsAndWritesNodes_data() {
        QTest::addColumn<QPointF>("from");
        QTest::addColumn<QPointF>("to");
        QTest::addColumn<QRect>("expected");  // x, y, width, height; -1 where only snapping is checked
        QTest::newRow("shrunk below minimum")
            << QPointF(600, 500) << QPointF(205, 105) << QRect(192, 100, 16, 16);
        QTest::newRow("moved") << QPointF(400, 300) << QPointF(453, 333) << QRect(-1, -1, 400, 400);
    }

    void view2DRoiSnapsAndWritesNodes() {
        QFETCH(QPointF, from);
        QFETCH(QPointF, to);
        QFETCH(QRect, expected);
        const std::string key = Control::addCamera(Control::CameraKind::AreaScan, "A");
        m_pane->setImageWndMode(1);
        m_pane->setCameraName(QString::fromStdString(key));
        QImage picture(2048, 1024, QImage::Format_RGB888);
        picture.fill(Qt::gray);
        m_pane->show2DImage(picture, false);
        ZMKImageWnd* wnd = m_pane->view2D()->displayWidget();
        wnd->zoomFitWnd();
        QApplication::processEvents();
        const int id = m_pane->drawROI(200, 100, 600, 500, 0, 1, 0);
        QVERIFY(id >= 0);
        drag(wnd, from, to, true);
        const QRectF shape = shapeBounds(wnd, tool()->roiShapeIds().first());
        const QRect written(nodeInt("OffsetX", key), nodeInt("OffsetY", key), nodeInt("Width", key),
                            nodeInt("Height", key));
        QCOMPARE(written, shape.toRect());
        QCOMPARE(written.x() % 16 + written.width() % 16 + written.y() % 2 + written.height() % 2, 0);
        if (expected.x() >= 0) QCOMPARE(written.topLeft(), expected.topLeft());
        QCOMPARE(written.size(), expected.size());
        QCOMPARE(Control::roiPosCalls().back().roiId, id);
    }

private:
    void setNode(const char* name, const std::string& value) {
        QCOMPARE(ZavizoZoz3::SetCameraNodeValue(m_key, name, value), 0);
    }
    std::string node(const char* name, const std::string& key = {}) const {
        std::string v;
        ZavizoZoz3::GetCameraNodeValue(key.empty() ? m_key : key, name, v);
        return v;
    }
    int nodeInt(const char* name, const std::string& key = {}) const {
        return std::atoi(node(name, key).c_str());
    }
    ZavizoZoz3::NodeBase* nodeBase(const char* name) const {
        return dynamic_cast<ZavizoZoz3::NodeBase*>(
            ZavizoZoz3::GetAttrNodeMap(ZavizoZoz3::FOCUS_CAMERA, m_key, 3)->GetNode(name));
    }
    std::string info(ZavizoZoz3::CAM_INFO item) const { return ZavizoZoz3::GetCameraInfo(m_key, item); }
    // A picture of the running acquisition, which then stops (unless `stop` is false).
    void showPicture(int width = 3200, int height = 1024, bool stop = true) {
        QImage picture(width, height, QImage::Format_RGB888);
        picture.fill(QColor(40, 40, 40));
        m_pane->showImage(&picture, QVector<qreal>());
        if (stop) m_pane->onGrabStopped();
    }
    CameraRoiTool* tool() const { return m_pane->roiTool(); }
    ZMKImageWnd* display() const { return m_pane->view3D()->displayWidget(); }
    QRectF shapeBounds(ZMKImageWnd* wnd, int id) const {
        NuvROI roi;
        if (wnd->getROIShape(id, &roi) != 0) return QRectF();
        QPolygonF poly;
        for (const NuvPoint& p : roi.corners())
            poly << QPointF(p.x, p.y);
        return poly.boundingRect();
    }
    int roiShape() const { return tool()->roiShapeIds().isEmpty() ? -1 : tool()->roiShapeIds().first(); }
    int columnShape() const {
        return tool()->columnWindowShapeIds().isEmpty() ? -1 : tool()->columnWindowShapeIds().first();
    }
    // A real mouse drag in image coordinates on the display's viewport; `select` clicks first
    // so that the shape's handles can be grabbed.
    void drag(ZMKImageWnd* wnd, QPointF from, QPointF to, bool select) {
        auto* view = qobject_cast<ZMKImageView*>(wnd->widget());
        QWindow* window = m_host->windowHandle();
        const auto at = [&](QPointF image) {
            return view->viewport()->mapTo(m_host, view->viewportTransform().map(image).toPoint());
        };
        if (select) {
            QTest::mousePress(window, Qt::LeftButton, Qt::NoModifier, at(from));
            QTest::mouseRelease(window, Qt::LeftButton, Qt::NoModifier, at(from));
        }
        TestSupport::dragInWindow(window, at, from, to);
    }

    bool mask1On() {
        setNode("ImageMaskerSelector", "ImageMasker0");
        return node("ImageMask") == "True";
    }
    void rightClick(ZMKImageWnd* wnd, QPointF p) {
        auto* view = qobject_cast<ZMKImageView*>(wnd->widget());
        const QPoint pos = view->viewport()->mapTo(m_host, view->viewportTransform().map(p).toPoint());
        QTest::mousePress(m_host->windowHandle(), Qt::RightButton, Qt::NoModifier, pos);
        QTest::mouseRelease(m_host->windowHandle(), Qt::RightButton, Qt::NoModifier, pos);
    }

    // Mask 1 from its corner nodes in kMaskCorners order, then switched on with `on`.
    void writeMask1(const QVector<int>& corners, const char* on = "True") {
        writeMask("ImageMasker0", corners, on);
    }
    void writeMask(const char* selector, const QVector<int>& corners, const char* on = "True") {
        setNode("ImageMaskerSelector", selector);
        for (int i = 0; i < 8; ++i)
            setNode(kMaskCorners[i], std::to_string(corners[i]));
        setNode("ImageMask", on);
    }
    void enableMask1(int x0, int y0, int x1, int y1) { writeMask1({x0, y1, x0, y0, x1, y0, x1, y1}); }
};

QTEST_MAIN(TestCameraRoi)
#include "tst_cameraroi.moc"
