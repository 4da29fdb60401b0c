// A whole scan of the simulated laser profiler through the viewer: the user picks 3D mode and
// starts; batches stream into the pane's buffers and the 3D window, and the finished range and
// grey images appear on their pages. Also live contours; sensors of both sample widths.
#include <QPushButton>
#include <QStackedWidget>
#include <QtTest>
#include <algorithm>
#include <atomic>

#include "HeightColourBar.h"
#include "HostGrab.h"
#include "Image3DWnd.h"
#include "ImageWnd.h"
#include "ImageWndLabel.h"
#include "ImageWndManager.h"
#include "LiveRangePages.h"
#include "Nuv3DPointBuffer.h"
#include "Nuv3DRegistry.h"
#include "Nuv3DView.h"
#include "Nuv3DWindow.h"
#include "NuvViewerImageWnd.h"
#include "RangeStreamer.h"
#include "TestSupport.h"
#include "ViewerHost.h"
#include "ZavizoZoz3.h"
#include "ZavizoZoz3Control.h"

namespace Control = ZavizoZoz3::Control;

namespace {
// Memory a profiler view holds for its scan, read from the buffers themselves.
size_t heldBytes(Image3DWnd* view) {
    size_t bytes =
        view->streamer()->heldBytes() + view->rangeLabel()->heldBytes() + view->greyLabel()->heldBytes();
    if (const auto points = Nuv3DRegistry::instance().buffer(view->window3D())) bytes += points->heldBytes();
    Nuv3DWindow* window = Nuv3DRegistry::instance().window(view->window3D());
    if (window && window->view()) bytes += window->view()->gpuBytes();
    return bytes;
}

// Pixels of a grabbed page that are black (lines still to come) and coloured (lines shown).
QPair<int, int> blackAndColoured(QWidget* page) {
    const QImage image = page->grab().toImage();
    int black = 0, coloured = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            black += c.red() + c.green() + c.blue() == 0;
            coloured +=
                qMax(qMax(c.red(), c.green()), c.blue()) - qMin(qMin(c.red(), c.green()), c.blue()) > 60;
        }
    }
    return {black, coloured};
}
}  // namespace

class TestScan : public QObject, protected TestSupport::ViewerHost {
    Q_OBJECT
private slots:
    void init() {
        TestSupport::resetEnvironment();
        Control::installPayloadEncoder();
        openViewer(900, 700);
        QVERIFY(bindCamera(Control::CameraKind::LaserProfiler, "LP"));
        // The host starts acquisition when the pane asks for it, as the demo does.
        TestSupport::answerGrabPresses(m_viewer, this, false);
    }

    void cleanup() { closeViewer(); }

    void threeDScanFillsRangeAndGreyPages_data() {
        QTest::addColumn<QString>("bits");
        QTest::addColumn<bool>("stopMidScan");
        QTest::newRow("16-bit") << "16" << false;
        QTest::newRow("32-bit") << "32" << false;
        QTest::newRow("stopped mid-scan") << "16" << true;
    }

    void threeDScanFillsRangeAndGreyPages() {
        QFETCH(QString, bits);
        QFETCH(bool, stopMidScan);
        ZavizoZoz3::SetCameraInfo(m_key, ZavizoZoz3::CAM_INFO_RANGE_BITS, bits.toStdString());
        QCOMPARE(ZavizoZoz3::SetCameraNodeValue(m_key, "AcquisitionLineCount", stopMidScan ? "5000" : "1000"),
                 0);
        QCOMPARE(ZavizoZoz3::SetCameraNodeValue(m_key, "BatchNumber", "100"), 0);
        QCOMPARE(ZavizoZoz3::SetCameraNodeValue(m_key, "AcquisitionFrameRate", "400"), 0);
        Image3DWnd* view = m_pane->view3D();
        view->btn3DMode->click();
        view->btn2DRangeImageShow->click();
        QCOMPARE(view->stackedWidget->currentIndex(), 3);
        const size_t idleBytes = heldBytes(view);
        startGrab();
        QTRY_VERIFY_WITH_TIMEOUT(Control::isGrabbing(m_key), 5000);
        const auto streamer = m_pane->rangeStreamer();
        if (stopMidScan) {
            QTRY_VERIFY_WITH_TIMEOUT(streamer->lastRowAppended() >= 0, 15000);
            m_pane->onGrabStarted();
            QTest::mouseClick(view->btn3DStopGrab, Qt::LeftButton);
            QTRY_VERIFY_WITH_TIMEOUT(!Control::isGrabbing(m_key), 5000);
            // Replacing the view while batches may still be queued must be safe.
            QCOMPARE(m_pane->setImageWndMode(2), 0);
            QVERIFY(m_pane->view3D() != view);
            Control::waitIdle();
            QCoreApplication::processEvents();
            return;
        }
        QVERIFY(streamer);
        // Mid-scan the pages have grown by the lines converted so far: coloured at the top, black below.
        QTRY_VERIFY_WITH_TIMEOUT(view->livePages()->rowsShown() >= 99, 15000);
        if (view->livePages()->rowsShown() < 950) {
            const QPair<int, int> pixels = blackAndColoured(view->rangeLabel());
            QVERIFY2(pixels.first > 0 && pixels.second > 0,
                     qPrintable(QStringLiteral("%1 %2").arg(pixels.first).arg(pixels.second)));
        }
        QVERIFY(view->greyLabel()->hasBackground());
        // The legend shows the camera's height range (-20 to 20 mm), the same for every scan.
        HeightColourBar* bar = view->rangeColourBar();
        QVERIFY(bar->isVisible());
        QCOMPARE(bar->tickLabels().first(), QStringLiteral("-20"));
        QCOMPARE(bar->tickLabels().last(), QStringLiteral("20"));
        QVERIFY(!view->colourBar3D()->isHidden());
        QCOMPARE(view->colourBar3D()->maximum(), bar->maximum());
        QTRY_COMPARE_WITH_TIMEOUT(streamer->lastRowAppended(), 999, 15000);
        QTRY_COMPARE_WITH_TIMEOUT(view->livePages()->rowsShown(), 999, 15000);
        QTRY_VERIFY_WITH_TIMEOUT(view->rangeLabel()->hasBackground(), 15000);
        NuvRangeImage range;
        QVERIFY(streamer->copyRangeImage(&range));
        QCOMPARE(range.height(), 1000);
        QCOMPARE(range.bytesPerPoint(), bits == "16" ? 2 : 4);
        // The conveyor sits at 0 mm: most samples of a scan line are valid heights near zero.
        int valid = 0;
        for (int p = 0; p < range.width(); ++p)
            valid += range.sample(150, p) != 0;
        QVERIFY(valid > range.width() / 2);

        // Rendering redraws what arrived as one block from the first row.
        ZavizoZoz3::StopGrab(m_key);
        m_pane->onGrabStopped();
        Control::waitIdle();
        QCoreApplication::processEvents();
        streamer->waitUntilIdle();
        std::atomic<int> redrawnFrom{-1};
        streamer->setAppendObserver([&](int first, int) { redrawnFrom = first; });
        view->btn3DShow->click();
        view->btn3DRender->click();
        QCOMPARE(view->stackedWidget->currentIndex(), 2);
        if (streamer->lastRowAppended() >= 0) QCOMPARE(redrawnFrom.load(), 0);
        streamer->setAppendObserver(nullptr);

        // Unbinding gives back everything the scan took.
        QVERIFY(heldBytes(view) > idleBytes + 3200 * 1000 * 2);
        Control::setConnected(m_key, false);
        Control::postDeviceList(1);
        QTRY_VERIFY_WITH_TIMEOUT(m_pane->cameraName().isEmpty(), 5000);
        QTRY_COMPARE(heldBytes(view), idleBytes);
        QVERIFY(bar->isHidden() && view->colourBar3D()->isHidden());
    }

    void contourShowsLiveProfiles_data() {
        QTest::addColumn<QString>("bits");
        QTest::newRow("16-bit") << "16";
        QTest::newRow("32-bit") << "32";
    }

    void contourShowsLiveProfiles() {
        QFETCH(QString, bits);
        ZavizoZoz3::SetCameraInfo(m_key, ZavizoZoz3::CAM_INFO_RANGE_BITS, bits.toStdString());
        Image3DWnd* view = m_pane->view3D();
        view->btnContourMode->click();
        startGrab();
        QTRY_VERIFY_WITH_TIMEOUT(view->lastProfile().size() == 3200, 10000);
        const QVector<qreal> profile = view->lastProfile();
        QVERIFY(std::count_if(profile.begin(), profile.end(), [](qreal h) { return h > -20 && h < 20; }) >
                1000);
    }

private:
    void startGrab() { QTest::mouseClick(m_pane->view3D()->btn3DStartGrab, Qt::LeftButton); }
};

QTEST_MAIN(TestScan)
#include "tst_scan.moc"
