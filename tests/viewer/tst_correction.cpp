// SPDX-License-Identifier: Apache-2.0
// Tilt and height correction: requested by the business layer, scanned and registered on the
// simulated profiler, areas typed in, the factor handed back to the host's spin box; bad input.
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <QToolButton>
#include <QtTest>
#include <atomic>
#include <cmath>
#include <limits>
#include <stdexcept>

#include "CorrectionCalculator.h"
#include "CorrectionDialog.h"
#include "CorrectionTool.h"
#include "CorrectionWidget.h"
#include "HostGrab.h"
#include "Image3DWnd.h"
#include "ScriptedModalHandler.h"
#include "SerialCallThread.h"
#include "ViewerHost.h"

namespace Control = ZavizoZoz3::Control;
using TestSupport::child;

namespace {
// Left and right bounds of area 1, then of area 2, in mm.
using Areas = QVector<double>;

// The panel's form widgets, found by name as the designer form names them.
void click(QWidget* panel, const char* name) {
    QTest::mouseClick(child<QPushButton>(panel, name), Qt::LeftButton);
}

double number(QWidget* panel, const char* name) {
    return child<QLineEdit>(panel, name)->text().toDouble();
}

// Types the value into the box and presses Enter, as a user does.
void enter(QWidget* panel, const char* name, double value) {
    QDoubleSpinBox* box = child<QDoubleSpinBox>(panel, name);
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(box, QLocale().toString(value, 'f', 2));
    QTest::keyClick(box, Qt::Key_Enter);
}

// Each edit keeps its area at least 0.5 mm wide, so a left bound moving right past the old right
// bound is entered again once the right bound has moved.
void enterAreas(QWidget* panel, const Areas& bounds) {
    const char* const boxes[] = {"dSpinboxLeft1", "dSpinboxRight1", "dSpinboxLeft2", "dSpinboxRight2"};
    for (int pass = 0; pass < 2; ++pass)
        for (int i = 0; i < 4; ++i)
            enter(panel, boxes[i], bounds[i]);
}

// Scans until a full contour arrived, then registers it.
bool scanAndRegister(CorrectionWidget* panel) {
    click(panel, "btnScanContour");
    const bool full = QTest::qWaitFor([panel] { return panel->contour().size() == 3200; }, 5000);
    click(panel, "btnRegisterContour");
    return full && child<QDoubleSpinBox>(panel, "dSpinboxCorrectionValue")->isEnabled();
}
}  // namespace

class TestCorrection : public QObject, protected TestSupport::ViewerHost {
    Q_OBJECT
private slots:
    void init() {
        TestSupport::resetEnvironment();
        Control::installPayloadEncoder();
        openViewer(900, 600);
        QVERIFY(bindCamera(Control::CameraKind::LaserProfiler, ""));
        Control::setFrameRate(m_key, 50.0);
    }

    void cleanup() { closeViewer(); }

    void measuresSceneAndHandsFactorBack_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<double>("tilt");
        QTest::addColumn<double>("step");
        QTest::addColumn<double>("position");  // along the scan: 45 bare conveyor, 25 across the block
        QTest::addColumn<Areas>("areas");
        // Without a host box the user watches the live contour; with one, at 0.25, the 3D page.
        QTest::addColumn<bool>("hostBox");
        QTest::addColumn<double>("correction");
        QTest::addColumn<bool>("confirm");
        const Areas conveyor{-12, -4, 4, 12}, block{-15.5, -13.5, -12.5, -10.5};
        QTest::newRow("level") << 0 << 0.0 << 4.0 << 45.0 << conveyor << false << 0.0 << true;
        QTest::newRow("tilt 0.5 confirmed") << 0 << 0.5 << 4.0 << 45.0 << conveyor << true << 0.5 << true;
        QTest::newRow("tilt -3 cancelled") << 0 << -3.0 << 4.0 << 45.0 << conveyor << true << 0.5 << false;
        QTest::newRow("tilt 7 with the block")
            << 0 << 7.0 << 4.0 << 25.0 << Areas{-15.5, -13.5, 8, 12} << false << 0.0 << false;
        QTest::newRow("step 2 confirmed") << 1 << 0.0 << 2.0 << 25.0 << block << true << 8.0 << true;
        QTest::newRow("step 4 cancelled") << 1 << 0.0 << 4.0 << 25.0 << block << true << 8.0 << false;
        QTest::newRow("step 6") << 1 << 0.0 << 6.0 << 25.0 << block << false << 0.0 << true;
    }

    void measuresSceneAndHandsFactorBack() {
        QFETCH(int, type);
        QFETCH(double, tilt);
        QFETCH(double, step);
        QFETCH(double, position);
        QFETCH(Areas, areas);
        QFETCH(bool, hostBox);
        QFETCH(double, correction);
        QFETCH(bool, confirm);
        Control::setLaserScene(m_key, tilt, step, position);
        QDoubleSpinBox host;
        host.setRange(-1000, 1000);
        host.setDecimals(4);
        if (hostBox) {
            m_pane->view3D()->btn3DMode->click();
        } else {
            TestSupport::answerGrabPresses(m_viewer, this, true);
            m_pane->view3D()->btn3DStartGrab->click();
            QTRY_VERIFY(m_pane->view3D()->btn3DStopGrab->isEnabled());
        }
        const double current = hostBox ? 0.25 : 0.0;
        double measured = std::numeric_limits<double>::quiet_NaN(), factor = 0;
        bool registered = false;
        QString title, shownCurrent;
        // The request comes from the business layer; the script runs inside the dialog it opens.
        TestSupport::modals().setDialogScript([&](QDialog* dialog) {
            auto* opened = qobject_cast<CorrectionDialog*>(dialog);
            if (opened == nullptr) return int(QDialog::Rejected);
            CorrectionWidget* panel = opened->panel();
            title = opened->title();
            shownCurrent = child<QLineEdit>(panel, "lineEditCurCorrectionFactor")->text();
            registered = scanAndRegister(panel);
            enterAreas(panel, areas);
            enter(panel, "dSpinboxCorrectionValue", correction);
            measured = number(panel, "lineEditMeasureValue");
            factor = number(panel, "lineEditCorrectionFactor");
            click(panel, confirm ? "btnConfirm" : "btnCancel");
            return int(QDialog::Rejected);
        });
        Control::postCorrection(m_key, type, float(current), hostBox ? &host : nullptr);
        QTRY_COMPARE(TestSupport::modals().count(ModalSeam::Kind::Dialog), 1);
        QVERIFY(registered);
        QCOMPARE(title, type == 0 ? QStringLiteral("Tilt Correction") : QStringLiteral("High Correction"));
        QCOMPARE(shownCurrent, QString::number(current, 'f', 4));
        // The scene comes back: its tilt within 0.05 degrees, its step height within 1 %.
        const double error = std::fabs(measured - (type == 0 ? tilt : step));
        QVERIFY2(error <= (type == 0 ? 0.05 : step / 100), qPrintable(QString::number(measured)));
        const double expected = type == 0 ? current + measured + correction : correction / measured;
        QVERIFY2(std::fabs(factor - expected) < 2e-4, qPrintable(QString::number(factor)));
        // Confirm hands the factor to the host's box, cancel the current one.
        QCOMPARE(host.value(), hostBox ? (confirm ? factor : 0.25) : 0.0);
        // The dialog gave the contours back to the page the user was on and the camera stopped.
        QCOMPARE(m_pane->view3D()->btn3DMode->isChecked(), hostBox);
        QCOMPARE(ZavizoZoz3::GetCameraImageMode(m_key), hostBox ? 2 : 1);
        QVERIFY(!m_pane->correctionTool()->isOpen());
        QTRY_VERIFY(!Control::isGrabbing(m_key));
        QTRY_VERIFY(m_pane->view3D()->btn3DStartGrab->isEnabled());
    }

    void computationEdges_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<QVector<qreal>>("contour");
        QTest::addColumn<Areas>("areas");
        QTest::addColumn<double>("correction");
        QTest::addColumn<QString>("measure");
        QTest::addColumn<QString>("factor");
        QTest::addColumn<QStringList>("messages");
        const double nan = std::numeric_limits<double>::quiet_NaN();
        // 200 points over 20 mm: 10 per mm; the scaler 32 makes -32768 the unmeasured height.
        QVector<qreal> ramp(200), invalid(200, -32768.0), sparse(200, nan), step(200, 0.0);
        for (int i = 0; i < 200; ++i) {
            ramp[i] = 0.01 * i;  // 0.1 mm per mm: 5.7106 degrees
            step[i] = i < 100 ? 3.0 : 1.0;
        }
        for (int i = 0; i < 4; ++i)
            sparse[20 + i] = sparse[150 + i] = 1.0;
        invalid[0] = 25.0;  // above the height range
        invalid[1] = nan;
        const Areas wide{-9, -1, 1, 9};
        const auto row = [](const char* name, int type, const QVector<qreal>& contour, const Areas& areas,
                            double correction, const char* measure, const char* factor,
                            const QStringList& messages = {}) {
            QTest::newRow(name) << type << contour << areas << correction << QString(measure)
                                << QString(factor) << messages;
        };
        row("nothing valid", 0, invalid, wide, 0.0, "0.0000", "0.0000", {"No valid data"});
        row("tilt", 0, ramp, wide, 0.0, "5.7106", "6.2106");
        row("area 2 at range edge", 0, ramp, Areas{-9, -1, -10, 9}, 1.0, "0.0000", "1.5000");
        row("fewer than 10 points", 0, sparse, wide, 2.0, "0.0000", "2.5000");
        row("height 5 over step 2", 1, step, wide, 5.0, "2.0000", "2.5000");
        row("height at range edge", 1, step, Areas{-10, -1, 1, 9}, 5.0, "2.0000", "2.5000");
        row("height area 2 at edge", 1, step, Areas{-9, -1, -10, 9}, 5.0, "0.0000", "0.0000");
    }

    void computationEdges() {
        QFETCH(int, type);
        QFETCH(QVector<qreal>, contour);
        QFETCH(Areas, areas);
        QFETCH(double, correction);
        QFETCH(QString, measure);
        QFETCH(QString, factor);
        QFETCH(QStringList, messages);
        CorrectionWidget panel;
        panel.setCorrectionType(type);
        panel.setYRange(-20, 20);
        panel.setXRange(20);
        panel.setScaler(32);
        panel.setCurrentCorrectionValue(0.5f);
        panel.setContour(contour);
        child<QPushButton>(&panel, "btnRegisterContour")->setEnabled(true);  // as a scan leaves it
        click(&panel, "btnRegisterContour");
        QCOMPARE(TestSupport::modals().messageTexts(), messages);
        QCOMPARE(child<QDoubleSpinBox>(&panel, "dSpinboxCorrectionValue")->isEnabled(), messages.isEmpty());
        if (messages.isEmpty()) {
            enterAreas(&panel, areas);
            enter(&panel, "dSpinboxCorrectionValue", correction);
        }
        QCOMPARE(child<QLineEdit>(&panel, "lineEditMeasureValue")->text(), measure);
        QCOMPARE(child<QLineEdit>(&panel, "lineEditCorrectionFactor")->text(), factor);
    }

    // Laser speckle: a few points far above the conveyor at one end of an area must not tilt the
    // fitted line (a plain least-squares fit reads 1.2 degrees for this 5.7 degree ramp).
    void speckleBarelyMovesTheTilt_data() {
        QTest::addColumn<int>("spikes");
        QTest::newRow("clean ramp") << 0;
        QTest::newRow("6 speckle points of 8 mm") << 6;
        QTest::newRow("12 speckle points of 8 mm") << 12;
    }

    void speckleBarelyMovesTheTilt() {
        QFETCH(int, spikes);
        QVector<float> heights(200);
        for (int i = 0; i < heights.size(); ++i)
            heights[i] = 0.01f * static_cast<float>(i);  // 0.1 mm per mm at 10 points per mm
        for (int i = 0; i < spikes; ++i)
            heights[15 + i] += 8.0f;
        CorrectionCalculator::Bounds areas;
        areas.a = 10;
        areas.b = 90;
        areas.c = 110;
        areas.d = 190;
        float angle = 0.0f;
        QVERIFY(CorrectionCalculator::fitAngle(heights, areas, 0.1f, CorrectionCalculator::invalidMarker(32),
                                               &angle));
        const double truth = std::atan(0.1) * 180.0 / M_PI;
        QVERIFY2(std::fabs(std::fabs(angle) - truth) < 0.05, qPrintable(QString::number(angle)));
    }

    // A user calibrating again finds the areas where the last correction of that camera and type
    // left them, however it was closed; the other type keeps its own.
    void reopensWithLastAreas_data() {
        QTest::addColumn<int>("firstType");
        QTest::addColumn<QString>("closeWith");
        QTest::addColumn<int>("secondType");
        QTest::addColumn<Areas>("expected");
        const Areas moved{-12, -4, 4, 12}, defaults{-2, -1, 1, 2};
        QTest::newRow("tilt, confirmed") << 0 << "btnConfirm" << 0 << moved;
        QTest::newRow("height, cancelled") << 1 << "btnCancel" << 1 << moved;
        QTest::newRow("tilt, then height") << 0 << "btnConfirm" << 1 << defaults;
    }

    void reopensWithLastAreas() {
        QFETCH(int, firstType);
        QFETCH(QString, closeWith);
        QFETCH(int, secondType);
        QFETCH(Areas, expected);
        Areas shown;
        int opened = 0;
        TestSupport::modals().setDialogScript([&](QDialog* dialog) {
            CorrectionWidget* panel = qobject_cast<CorrectionDialog*>(dialog)->panel();
            if (opened++ == 0) {
                enterAreas(panel, {-12, -4, 4, 12});
                click(panel, closeWith.toLatin1().constData());
            } else {
                for (const char* name :
                     {"dSpinboxLeft1", "dSpinboxRight1", "dSpinboxLeft2", "dSpinboxRight2"})
                    shown << child<QDoubleSpinBox>(panel, name)->value();
            }
            return int(QDialog::Rejected);
        });
        m_pane->openCorrection(firstType, 0.0f, nullptr);
        m_pane->openCorrection(secondType, 0.0f, nullptr);
        QCOMPARE(opened, 2);
        QCOMPARE(shown, expected);
    }

    void requestWithoutProfilerOpensNothing_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("bound");
        QTest::newRow("2D pane") << 1 << true;
        QTest::newRow("pane without camera") << 2 << false;
    }

    void requestWithoutProfilerOpensNothing() {
        QFETCH(int, mode);
        QFETCH(bool, bound);
        ImageWnd* target = bound ? m_pane : manager()->pane(2);
        target->setImageWndMode(mode);
        target->openCorrection(0, 1.0f, nullptr);
        QCOMPARE(TestSupport::modals().count(ModalSeam::Kind::Dialog), 0);
        QVERIFY(!target->correctionTool()->isOpen());
    }

    // The request carries the host's box as an address; the host deletes the box before the
    // queued request reaches the pane. Nothing may read the box then (run under ASan).
    void requestWhoseBoxWentOpensNothing() {
        auto* host = new QDoubleSpinBox;
        Control::postCorrection(m_key, 0, 1.0f, host);
        Control::waitIdle();  // the request is queued for the GUI thread now
        delete host;
        QCoreApplication::processEvents();
        QCOMPARE(TestSupport::modals().count(ModalSeam::Kind::Dialog), 0);
        QVERIFY(!m_pane->correctionTool()->isOpen());
        QVERIFY(!Control::logLines().empty());
    }

    // Closing the dialog while the camera hangs in StopGrab returns to the GUI at once; the stop
    // finishes later on its own and the pane's buttons follow the camera.
    void closingWhileStopGrabHangsReturnsAtOnce() {
        Control::setStopGrabDelay(3000);
        QDoubleSpinBox host;
        bool scanned = false;
        TestSupport::modals().setDialogScript([&](QDialog* dialog) {
            CorrectionWidget* panel = qobject_cast<CorrectionDialog*>(dialog)->panel();
            click(panel, "btnScanContour");
            scanned = QTest::qWaitFor(
                [&] { return Control::isGrabbing(m_key) && !panel->contour().isEmpty(); }, 5000);
            QTest::mouseClick(dialog->findChild<QToolButton*>(QStringLiteral("nuvDialogClose")),
                              Qt::LeftButton);
            return int(QDialog::Rejected);
        });
        QTimer::singleShot(0, m_pane, [this, &host] { m_pane->openCorrection(0, 1.0f, &host); });
        QTRY_COMPARE(TestSupport::modals().count(ModalSeam::Kind::Dialog), 1);
        QVERIFY(scanned);
        QTRY_VERIFY(!m_pane->correctionTool()->isOpen());
        // The dialog is gone while the camera still hangs in the stop the dialog asked for.
        QTRY_COMPARE(Control::stopGrabsHeld(), 1);
        QVERIFY(Control::isGrabbing(m_key));
        Control::releaseStopGrabs();
        QTRY_VERIFY(!Control::isGrabbing(m_key));
        QTRY_VERIFY(m_pane->view3D()->btn3DStartGrab->isEnabled());
    }

    // A camera call that throws (a driver's exception escaping the business layer) is logged; the
    // calls after it still reach the camera, and the report of the failed one is not sent.
    void throwingCameraCallKeepsLaterCalls() {
        SerialCallThread calls;
        QObject receiver;
        int reported = 0;
        std::atomic<int> later{0};
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("task failed: camera gone$")));
        calls.post([] { throw std::runtime_error("camera gone"); }, &receiver, [&reported] { ++reported; });
        calls.post([&later] { ++later; }, &receiver, [&reported] { ++reported; });
        calls.waitIdle();
        QCOMPARE(later.load(), 1);
        QCOMPARE(calls.failedCalls(), 1);
        QTRY_COMPARE(reported, 1);
    }

    void unreadableScalerStillMeasures() {
        // A camera the business layer does not know: "Scaler" cannot be read, so it counts as 0 and no
        // height is taken for unmeasured; scan and register fail quietly at the camera.
        ImageWnd* ghost = manager()->pane(2);
        ghost->setCameraName(QStringLiteral("ghost"));
        QString measured;
        TestSupport::modals().setDialogScript([&](QDialog* dialog) {
            CorrectionWidget* panel = qobject_cast<CorrectionDialog*>(dialog)->panel();
            QVector<qreal> ramp(3200);
            for (int i = 0; i < 3200; ++i)
                ramp[i] = i % 7 == 0 ? -1048576.0 : 0.0001 * i;  // the would-be marker is a height here
            click(panel, "btnScanContour");
            ghost->showProfile(ramp, {});
            click(panel, "btnRegisterContour");
            panel->waitForCameraCalls();
            measured = child<QLineEdit>(panel, "lineEditMeasureValue")->text();
            return int(QDialog::Rejected);
        });
        ghost->openCorrection(0, 0.0f, nullptr);
        QVERIFY2(!measured.isEmpty() && measured != QStringLiteral("0.0000"), qPrintable(measured));
    }

    void scanEndsWithDialogCameraOrPane_data() {
        QTest::addColumn<int>("ending");  // 0 the dialog's close button, 1 camera removed, 2 pane deleted
        QTest::newRow("dialog closed") << 0;
        QTest::newRow("camera removed") << 1;
        QTest::newRow("pane deleted") << 2;
    }

    void scanEndsWithDialogCameraOrPane() {
        QFETCH(int, ending);
        QPointer<ImageWnd> target = m_pane;
        QDoubleSpinBox host;
        host.setValue(3.0);
        bool scanned = false, ended = true;
        TestSupport::modals().setDialogScript([&](QDialog* dialog) {
            CorrectionWidget* panel = qobject_cast<CorrectionDialog*>(dialog)->panel();
            click(panel, "btnScanContour");
            scanned = QTest::qWaitFor(
                [&] { return Control::isGrabbing(m_key) && !panel->contour().isEmpty(); }, 5000);
            if (ending == 0) {
                QTest::mouseClick(dialog->findChild<QToolButton*>(QStringLiteral("nuvDialogClose")),
                                  Qt::LeftButton);
            } else if (ending == 1) {
                Control::removeCamera(m_key);
                Control::postDeviceList(1, {}, {m_key});
                ended = QTest::qWaitFor([&] { return target->cameraName().isEmpty(); }, 5000);
            } else {
                delete m_viewer;
                m_viewer = nullptr;
            }
            return int(QDialog::Rejected);
        });
        // From a timer, as the manager's queued slot would run it, so that nothing of the viewer is
        // on the stack when the pane goes.
        QTimer::singleShot(0, target, [target, &host] { target->openCorrection(0, 1.0f, &host); });
        QTRY_COMPARE(TestSupport::modals().count(ModalSeam::Kind::Dialog), 1);
        QVERIFY(scanned && ended);
        QTRY_VERIFY(!Control::isGrabbing(m_key));
        QCOMPARE(host.value(), 3.0);
        QVERIFY(TestSupport::modals().messageTexts().isEmpty());
        if (target) QVERIFY(!target->correctionTool()->isOpen());
    }
};

QTEST_MAIN(TestCorrection)
#include "tst_correction.moc"
