// Tilt and height correction: requested by the business layer, scanned and registered on the
// simulated profiler, areas typed in, the factor handed back to the host's spin box; bad input.
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QToolButton>
#include <QtTest>
#include <cmath>
#include <functional>
#include <limits>

#include "CorrectionDialog.h"
#include "CorrectionTool.h"
#include "CorrectionWidget.h"
#include "HostGrab.h"
#include "Image3DWnd.h"
#include "ImageWnd.h"
#include "ImageWndManager.h"
#include "ScriptedModalHandler.h"
#include "TestSupport.h"

namespace Control = ZavizoZoz3::Control;
using Script = std::function<void(CorrectionWidget*)>;

namespace {
struct Areas {
    double l1, r1, l2, r2;
};

// The panel's form widgets, found by name as the designer form names them.
struct Form {
    explicit Form(QWidget* panel) : panel(panel) {}
    template <class T>
    T* get(const char* name) const {
        return panel->findChild<T*>(QLatin1String(name));
    }
    QWidget* panel;
    QPushButton* btnScanContour = get<QPushButton>("btnScanContour");
    QPushButton* btnRegisterContour = get<QPushButton>("btnRegisterContour");
    QPushButton* btnConfirm = get<QPushButton>("btnConfirm");
    QPushButton* btnCancel = get<QPushButton>("btnCancel");
    QDoubleSpinBox* dSpinboxLeft1 = get<QDoubleSpinBox>("dSpinboxLeft1");
    QDoubleSpinBox* dSpinboxRight1 = get<QDoubleSpinBox>("dSpinboxRight1");
    QDoubleSpinBox* dSpinboxLeft2 = get<QDoubleSpinBox>("dSpinboxLeft2");
    QDoubleSpinBox* dSpinboxRight2 = get<QDoubleSpinBox>("dSpinboxRight2");
    QDoubleSpinBox* dSpinboxCorrectionValue = get<QDoubleSpinBox>("dSpinboxCorrectionValue");
    QLineEdit* lineEditCurCorrectionFactor = get<QLineEdit>("lineEditCurCorrectionFactor");
    QLineEdit* lineEditMeasureValue = get<QLineEdit>("lineEditMeasureValue");
    QLineEdit* lineEditCorrectionFactor = get<QLineEdit>("lineEditCorrectionFactor");
};

// Types the value into the box and presses Enter, as a user does.
void enter(QDoubleSpinBox* box, double value) {
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(box, QLocale().toString(value, 'f', 2));
    QTest::keyClick(box, Qt::Key_Enter);
}

// Each edit keeps its area at least 0.5 mm wide, so a left bound moving right past the old right
// bound is entered again once the right bound has moved.
void enterAreas(const Form& f, const Areas& a) {
    for (int pass = 0; pass < 2; ++pass) {
        enter(f.dSpinboxLeft1, a.l1);
        enter(f.dSpinboxRight1, a.r1);
        enter(f.dSpinboxLeft2, a.l2);
        enter(f.dSpinboxRight2, a.r2);
    }
}

double number(QLineEdit* edit) {
    return edit->text().toDouble();
}
}  // namespace
Q_DECLARE_METATYPE(Areas)

class TestCorrection : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void recoversSceneGeometry_data();
    void recoversSceneGeometry();
    void confirmAndCancelWriteHostBox_data();
    void confirmAndCancelWriteHostBox();
    void computationEdges_data();
    void computationEdges();
    void requestWithoutProfilerOpensNothing_data();
    void requestWithoutProfilerOpensNothing();
    void unreadableScalerStillMeasures();
    void scanEndsWithDialogCameraOrPane_data();
    void scanEndsWithDialogCameraOrPane();

private:
    // Posts a correction request for the bound camera and runs script inside the dialog.
    bool runRequest(int type, float value, QDoubleSpinBox* target, const Script& script);
    // Scans until a full contour arrived, then registers it.
    static bool scanAndRegister(CorrectionWidget* panel);
    ImageWnd* pane() const { return m_viewer->manager()->paneOf(QString::fromStdString(m_key)); }

    QWidget* m_host = nullptr;
    NuvViewerImageWnd* m_viewer = nullptr;
    std::string m_key;
};

void TestCorrection::init() {
    TestSupport::resetEnvironment();
    Control::installPayloadEncoder();
    m_host = new QWidget();
    m_host->resize(900, 600);
    m_viewer = new NuvViewerImageWnd(m_host);
    m_host->show();
    m_key = Control::addCamera(Control::CameraKind::LaserProfiler, "");
    Control::setConnected(m_key, true);
    Control::setOpen(m_key, true);
    Control::setFrameRate(m_key, 50.0);
    QSignalSpy bound(m_viewer, &NuvViewerImageWnd::dropWndSuccess);
    Control::postDeviceList(1);
    QVERIFY(bound.wait());
}

void TestCorrection::cleanup() {
    delete m_viewer;
    m_viewer = nullptr;
    delete m_host;
    m_host = nullptr;
    Control::reset();
}

bool TestCorrection::runRequest(int type, float value, QDoubleSpinBox* target, const Script& script) {
    bool ran = false;
    TestSupport::modals().setDialogScript([&](QDialog* dialog) {
        auto* correction = qobject_cast<CorrectionDialog*>(dialog);
        if (correction == nullptr) return int(QDialog::Rejected);
        ran = true;
        script(correction->panel());
        return int(QDialog::Rejected);
    });
    Control::postCorrection(m_key, type, value, target);
    return QTest::qWaitFor([&] { return ran; }, 5000);
}

bool TestCorrection::scanAndRegister(CorrectionWidget* panel) {
    QTest::mouseClick(Form(panel).btnScanContour, Qt::LeftButton);
    const bool full = QTest::qWaitFor([panel] { return panel->contour().size() == 3200; }, 5000);
    QTest::mouseClick(Form(panel).btnRegisterContour, Qt::LeftButton);
    return full && Form(panel).dSpinboxCorrectionValue->isEnabled();
}

void TestCorrection::recoversSceneGeometry_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<double>("tilt");
    QTest::addColumn<double>("step");
    QTest::addColumn<double>("position");  // along the scan: 45 bare conveyor, 25 across the block
    QTest::addColumn<Areas>("areas");
    QTest::addColumn<double>("expected");
    QTest::addColumn<double>("tolerance");
    const Areas conveyor{-12, -4, 4, 12}, block{-15.5, -13.5, -12.5, -10.5};
    QTest::newRow("level") << 0 << 0.0 << 4.0 << 45.0 << conveyor << 0.0 << 0.05;
    QTest::newRow("tilt 0.5") << 0 << 0.5 << 4.0 << 45.0 << conveyor << 0.5 << 0.05;
    QTest::newRow("tilt -3") << 0 << -3.0 << 4.0 << 45.0 << conveyor << -3.0 << 0.05;
    QTest::newRow("tilt 7 with the block")
        << 0 << 7.0 << 4.0 << 25.0 << Areas{-15.5, -13.5, 8, 12} << 7.0 << 0.05;
    QTest::newRow("step 2") << 1 << 0.0 << 2.0 << 25.0 << block << 2.0 << 0.02;
    QTest::newRow("step 4") << 1 << 0.0 << 4.0 << 25.0 << block << 4.0 << 0.04;
    QTest::newRow("step 6") << 1 << 0.0 << 6.0 << 25.0 << block << 6.0 << 0.06;
}

void TestCorrection::recoversSceneGeometry() {
    QFETCH(int, type);
    QFETCH(double, tilt);
    QFETCH(double, step);
    QFETCH(double, position);
    QFETCH(Areas, areas);
    QFETCH(double, expected);
    QFETCH(double, tolerance);
    Control::setLaserScene(m_key, tilt, step, position);
    // The user watches the live contour when the request comes.
    TestSupport::answerGrabPresses(m_viewer, this, true);
    pane()->view3D()->btn3DStartGrab->click();
    QTRY_VERIFY(pane()->view3D()->btn3DStopGrab->isEnabled());
    double measured = std::numeric_limits<double>::quiet_NaN();
    bool registered = false;
    QString title;
    QVERIFY(runRequest(type, 0.0f, nullptr, [&](CorrectionWidget* panel) {
        title = qobject_cast<CorrectionDialog*>(panel->window())->title();
        registered = scanAndRegister(panel);
        enterAreas(Form(panel), areas);
        measured = number(Form(panel).lineEditMeasureValue);
    }));
    QVERIFY(registered);
    QCOMPARE(title, type == 0 ? QStringLiteral("Tilt Correction") : QStringLiteral("High Correction"));
    QVERIFY2(std::fabs(measured - expected) <= tolerance, qPrintable(QString::number(measured)));
    // The dialog gave the contours back to the view and the camera stopped.
    QVERIFY(!pane()->correctionTool()->isOpen());
    QVERIFY(!Control::isGrabbing(m_key));
    QVERIFY(pane()->view3D()->btn3DStartGrab->isEnabled());
}

void TestCorrection::confirmAndCancelWriteHostBox_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("confirm");
    QTest::addColumn<double>("correction");
    QTest::newRow("tilt confirmed") << 0 << true << 0.5;
    QTest::newRow("tilt cancelled") << 0 << false << 0.5;
    QTest::newRow("height confirmed") << 1 << true << 8.0;
    QTest::newRow("height cancelled") << 1 << false << 8.0;
}

void TestCorrection::confirmAndCancelWriteHostBox() {
    QFETCH(int, type);
    QFETCH(bool, confirm);
    QFETCH(double, correction);
    Control::setLaserScene(m_key, 1.0, 4.0, 25.0);
    QDoubleSpinBox host;
    host.setRange(-1000, 1000);
    host.setDecimals(4);
    pane()->view3D()->btn3DMode->click();  // the user was looking at the 3D page
    double factor = 0;
    QVERIFY(runRequest(type, 0.25f, &host, [&](CorrectionWidget* panel) {
        const Form f(panel);
        QCOMPARE(f.lineEditCurCorrectionFactor->text(), QStringLiteral("0.2500"));
        QVERIFY(scanAndRegister(panel));
        enterAreas(f, Areas{-15.5, -13.5, -12.5, -10.5});
        enter(f.dSpinboxCorrectionValue, correction);
        factor = number(f.lineEditCorrectionFactor);
        const double measured = number(f.lineEditMeasureValue);
        const double expected = type == 0 ? 0.25 + measured + correction : correction / measured;
        QVERIFY(std::fabs(factor - expected) < 2e-4);
        QTest::mouseClick(confirm ? f.btnConfirm : f.btnCancel, Qt::LeftButton);
    }));
    QCOMPARE(host.value(), confirm ? factor : 0.25);
    QVERIFY(pane()->view3D()->btn3DMode->isChecked());
    QCOMPARE(ZavizoZoz3::GetCameraImageMode(m_key), 2);
}

void TestCorrection::computationEdges_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<QVector<qreal>>("contour");
    QTest::addColumn<Areas>("areas");
    QTest::addColumn<double>("correction");
    QTest::addColumn<QString>("measure");
    QTest::addColumn<QString>("factor");
    QTest::addColumn<QString>("message");
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
    QTest::newRow("nothing valid") << 0 << invalid << wide << 0.0 << "0.0000"
                                   << "0.0000"
                                   << "No valid data";
    QTest::newRow("tilt") << 0 << ramp << wide << 0.0 << "5.7106"
                          << "6.2106"
                          << "";
    QTest::newRow("area 2 at range edge") << 0 << ramp << Areas{-9, -1, -10, 9} << 1.0 << "0.0000"
                                          << "1.5000"
                                          << "";
    QTest::newRow("fewer than 10 points") << 0 << sparse << wide << 2.0 << "0.0000"
                                          << "2.5000"
                                          << "";
    QTest::newRow("height 5 over step 2") << 1 << step << wide << 5.0 << "2.0000"
                                          << "2.5000"
                                          << "";
    QTest::newRow("height at range edge") << 1 << step << Areas{-10, -1, 1, 9} << 5.0 << "2.0000"
                                          << "2.5000"
                                          << "";
    QTest::newRow("height area 2 at edge") << 1 << step << Areas{-9, -1, -10, 9} << 5.0 << "0.0000"
                                           << "0.0000"
                                           << "";
}

void TestCorrection::computationEdges() {
    QFETCH(int, type);
    QFETCH(QVector<qreal>, contour);
    QFETCH(Areas, areas);
    QFETCH(double, correction);
    QFETCH(QString, measure);
    QFETCH(QString, factor);
    QFETCH(QString, message);
    CorrectionWidget panel;
    const Form f(&panel);
    panel.setCorrectionType(type);
    panel.setYRange(-20, 20);
    panel.setXRange(20);
    panel.setScaler(32);
    panel.setCurrentCorrectionValue(0.5f);
    panel.setContour(contour);
    f.btnRegisterContour->setEnabled(true);  // as a scan leaves it
    QTest::mouseClick(f.btnRegisterContour, Qt::LeftButton);
    QCOMPARE(TestSupport::modals().messageTexts(), message.isEmpty() ? QStringList() : QStringList{message});
    QCOMPARE(f.dSpinboxCorrectionValue->isEnabled(), message.isEmpty());
    if (message.isEmpty()) {
        enterAreas(f, areas);
        enter(f.dSpinboxCorrectionValue, correction);
    }
    QCOMPARE(f.lineEditMeasureValue->text(), measure);
    QCOMPARE(f.lineEditCorrectionFactor->text(), factor);
}

void TestCorrection::requestWithoutProfilerOpensNothing_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("bound");
    QTest::newRow("2D pane") << 1 << true;
    QTest::newRow("pane without camera") << 2 << false;
}

void TestCorrection::requestWithoutProfilerOpensNothing() {
    QFETCH(int, mode);
    QFETCH(bool, bound);
    ImageWnd* target = bound ? pane() : m_viewer->manager()->pane(2);
    target->setImageWndMode(mode);
    target->openCorrection(0, 1.0f, nullptr);
    QCOMPARE(TestSupport::modals().count(ModalSeam::Kind::Dialog), 0);
    QVERIFY(!target->correctionTool()->isOpen());
}

void TestCorrection::unreadableScalerStillMeasures() {
    // A camera the business layer does not know: "Scaler" cannot be read, so it counts as 0 and no
    // height is taken for unmeasured; scan and register fail quietly at the camera.
    ImageWnd* ghost = m_viewer->manager()->pane(2);
    ghost->setCameraName(QStringLiteral("ghost"));
    QString measured;
    TestSupport::modals().setDialogScript([&](QDialog* dialog) {
        CorrectionWidget* panel = qobject_cast<CorrectionDialog*>(dialog)->panel();
        QVector<qreal> ramp(3200);
        for (int i = 0; i < 3200; ++i)
            ramp[i] = i % 7 == 0 ? -1048576.0 : 0.0001 * i;  // the would-be marker is a height here
        QTest::mouseClick(Form(panel).btnScanContour, Qt::LeftButton);
        ghost->showProfile(ramp, {});
        QTest::mouseClick(Form(panel).btnRegisterContour, Qt::LeftButton);
        panel->waitForCameraCalls();
        measured = Form(panel).lineEditMeasureValue->text();
        return int(QDialog::Rejected);
    });
    ghost->openCorrection(0, 0.0f, nullptr);
    QVERIFY(!measured.isEmpty());
    QVERIFY(measured != QStringLiteral("0.0000"));
}

void TestCorrection::scanEndsWithDialogCameraOrPane_data() {
    QTest::addColumn<int>("ending");  // 0 the dialog's close button, 1 camera removed, 2 pane deleted
    QTest::newRow("dialog closed") << 0;
    QTest::newRow("camera removed") << 1;
    QTest::newRow("pane deleted") << 2;
}

void TestCorrection::scanEndsWithDialogCameraOrPane() {
    QFETCH(int, ending);
    QPointer<ImageWnd> target = pane();
    QDoubleSpinBox host;
    host.setValue(3.0);
    bool scanned = false, ended = true;
    TestSupport::modals().setDialogScript([&](QDialog* dialog) {
        CorrectionWidget* panel = qobject_cast<CorrectionDialog*>(dialog)->panel();
        QTest::mouseClick(Form(panel).btnScanContour, Qt::LeftButton);
        scanned =
            QTest::qWaitFor([&] { return Control::isGrabbing(m_key) && !panel->contour().isEmpty(); }, 5000);
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

QTEST_MAIN(TestCorrection)
#include "tst_correction.moc"
