// SPDX-License-Identifier: Apache-2.0
// Stream health of a pane: frames shown and their rate, frames lost on the transport and frames
// the viewer could not show, in the title bar and through the facade.
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include "HostGrab.h"
#include "Image3DWnd.h"
#include "NuvPixelFormat.h"
#include "StreamHealthMonitor.h"
#include "ViewerHost.h"

namespace Control = ZavizoZoz3::Control;
using Health = NuvViewerImageWnd::StreamHealth;
Q_DECLARE_METATYPE(Control::CameraKind)

class TestStreamHealth : public QObject, protected TestSupport::ViewerHost {
    Q_OBJECT
private slots:
    void init();
    void cleanup() { closeViewer(); }

    void countsLosses_data();
    void countsLosses();
    void frameRateFollowsTheCamera_data();
    void frameRateFollowsTheCamera();
    void readoutIsTranslated();

private:
    void pressStart() { m_pane->view3D()->btn3DStartGrab->click(); }
    Health health() const {
        Health h;
        if (m_viewer->getStreamHealth(QString::fromStdString(m_key), &h) != 0) h.framesShown = ~0ull;
        return h;
    }
    // Waits for the read-out's next refresh.
    bool nextRefresh() {
        QSignalSpy refreshed(m_pane->streamHealth(), &StreamHealthMonitor::figuresUpdated);
        return refreshed.wait(5000);
    }
};

void TestStreamHealth::init() {
    TestSupport::resetEnvironment();
    Control::installPayloadEncoder();
    openViewer(1000, 700);
    TestSupport::answerGrabPresses(m_viewer, this, true);
}

void TestStreamHealth::countsLosses_data() {
    QTest::addColumn<Control::CameraKind>("kind");
    QTest::addColumn<int>("lostOnTransport");
    QTest::addColumn<int>("unreadable");
    QTest::addColumn<QString>("then");  // after the grab: nothing, the next grab or the camera gone
    QTest::newRow("area-scan transport") << Control::CameraKind::AreaScan << 4 << 0 << QString();
    QTest::newRow("profiler transport") << Control::CameraKind::LaserProfiler << 3 << 0 << QString();
    QTest::newRow("area-scan unreadable frames") << Control::CameraKind::AreaScan << 0 << 5 << QString();
    QTest::newRow("profiler unreadable frames") << Control::CameraKind::LaserProfiler << 0 << 2 << QString();
    QTest::newRow("both") << Control::CameraKind::LaserProfiler << 2 << 3 << QString();
    QTest::newRow("figures start over at the next grab")
        << Control::CameraKind::AreaScan << 2 << 1 << "next grab";
    QTest::newRow("figures start over with the camera gone")
        << Control::CameraKind::AreaScan << 2 << 1 << "camera gone";
}

void TestStreamHealth::countsLosses() {
    QFETCH(Control::CameraKind, kind);
    QFETCH(int, lostOnTransport);
    QFETCH(int, unreadable);
    QFETCH(QString, then);
    QVERIFY(bindCamera(kind, ""));
    Control::setFrameRate(m_key, 50.0);
    Control::injectTransportLoss(m_key, static_cast<uint64_t>(lostOnTransport));
    pressStart();
    QTRY_VERIFY(Control::framesProduced(m_key) >= static_cast<uint64_t>(lostOnTransport + 5));
    // Frames the viewer cannot read: no picture at all, or one shorter than its size says.
    for (int i = 0; i < unreadable; ++i)
        Control::postImage(m_key, 0, 0, 64, 64, NuvPixelFormat::Mono8,
                           std::vector<uint8_t>(i % 2 ? 10 : 0, 0));
    // Dropped as well: pictures a busy display never got to before a newer one replaced them.
    QTRY_VERIFY(health().droppedInViewer >= static_cast<quint64>(unreadable));
    QCOMPARE(health().lostOnTransport, static_cast<quint64>(Control::transportLostFrames(m_key)));
    QCOMPARE(health().lostOnTransport, static_cast<quint64>(lostOnTransport));
    QVERIFY(nextRefresh());
    QVERIFY(health().framesPerSecond > 0.0);
    QLabel* readout = m_pane->streamHealth()->readout();
    QVERIFY(readout->isVisible());
    m_pane->view3D()->btn3DStopGrab->click();
    QTRY_VERIFY(m_pane->view3D()->btn3DStartGrab->isEnabled());
    // Every frame that left the camera is accounted for: shown, dropped in the viewer or lost on the
    // way (the unreadable ones came on top of the camera's).
    QTRY_COMPARE(health().framesShown + health().droppedInViewer + health().lostOnTransport,
                 static_cast<quint64>(Control::framesProduced(m_key)) + static_cast<quint64>(unreadable));
    QVERIFY(nextRefresh());
    const QString text = readout->text();
    QVERIFY2(text.contains(QString("Lost %1").arg(lostOnTransport)) &&
                 text.contains(QString("Dropped %1").arg(health().droppedInViewer)),
             qPrintable(text));
    Health byIndex;
    QCOMPARE(m_viewer->getStreamHealth(m_pane->wndId(), &byIndex), 0);
    QCOMPARE(byIndex.droppedInViewer, health().droppedInViewer);
    if (then.isEmpty()) return;
    const quint64 lastGrab = health().framesShown;
    if (then == "camera gone") {
        Control::setConnected(m_key, false);
        Control::postDeviceList(1);
        QTRY_VERIFY(m_pane->cameraName().isEmpty());
        QVERIFY(!readout->isVisible());
        QCOMPARE(m_viewer->getStreamHealth(QString::fromStdString(m_key), nullptr), -1);
    } else {
        pressStart();
    }
    // Counted from here: the old frames and losses are gone.
    Health h;
    QCOMPARE(m_viewer->getStreamHealth(m_pane->wndId(), &h), 0);
    QVERIFY(h.framesShown < lastGrab);
    QCOMPARE(h.droppedInViewer + h.lostOnTransport, quint64(0));
    QCOMPARE(h.framesPerSecond, 0.0);
    if (then == "next grab") QTRY_VERIFY(health().framesShown >= 3);
}

void TestStreamHealth::frameRateFollowsTheCamera_data() {
    QTest::addColumn<Control::CameraKind>("kind");
    QTest::addColumn<double>("rate");
    QTest::newRow("area-scan 10/s") << Control::CameraKind::AreaScan << 10.0;
    QTest::newRow("profiler contour 40/s") << Control::CameraKind::LaserProfiler << 40.0;
}

void TestStreamHealth::frameRateFollowsTheCamera() {
    QFETCH(Control::CameraKind, kind);
    QFETCH(double, rate);
    QVERIFY(bindCamera(kind, ""));
    Control::setFrameRate(m_key, rate);
    pressStart();
    QVERIFY(nextRefresh());
    QVERIFY(nextRefresh());  // a whole window of the running grab
    QElapsedTimer window;
    window.start();
    const quint64 producedBefore = Control::framesProduced(m_key);
    const quint64 shownBefore = health().framesShown;
    QVERIFY(nextRefresh());
    const double fps = health().framesPerSecond;
    const quint64 produced = Control::framesProduced(m_key) - producedBefore;
    const quint64 shown = health().framesShown - shownBefore;
    // A loaded machine may keep the camera below its set rate: the pane must report the rate the
    // camera really had over the same window, and have shown what it made, give or take frames on
    // their way.
    const double cameraRate = 1000.0 * static_cast<double>(produced) / static_cast<double>(window.elapsed());
    QVERIFY2(shown + 4 >= produced && shown <= produced + 4,
             qPrintable(QString("%1 %2").arg(shown).arg(produced)));
    QVERIFY2(qAbs(fps - cameraRate) <= 0.2 * cameraRate + 1.5 && cameraRate <= 1.2 * rate + 1.5,
             qPrintable(QString("%1 %2").arg(fps).arg(cameraRate)));
    ZavizoZoz3::StopGrab(m_key);
    QTRY_COMPARE(health().framesPerSecond, 0.0);
}

void TestStreamHealth::readoutIsTranslated() {
    QVERIFY(bindCamera(Control::CameraKind::AreaScan, ""));
    QCOMPARE(m_viewer->getStreamHealth(7, nullptr) + m_viewer->getStreamHealth(m_pane->wndId(), nullptr), -2);
    QLabel* readout = m_pane->streamHealth()->readout();
    QVERIFY(readout->text().contains(" fps") && !readout->toolTip().isEmpty());
    Control::postLanguage("zh_CN");
    QTRY_VERIFY(readout->text().contains(QString::fromUtf8("丢帧 0")));
    QVERIFY(!readout->text().contains("fps"));
    QVERIFY(readout->toolTip().at(0).unicode() > 0x2e80);  // CJK
    Control::postLanguage("en");
    QTRY_VERIFY(readout->text().contains("Lost 0"));
}

QTEST_MAIN(TestStreamHealth)
#include "tst_streamhealth.moc"
