// SPDX-License-Identifier: Apache-2.0
// What a host observes of the exported viewer: layouts, panes, modes, titles and signals.
#include <malloc.h>

#include <clocale>
#include <cstring>

#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>
#include <QVBoxLayout>
#include <QtTest>

#include "Image2DWnd.h"
#include "Image3DWnd.h"
#include "NuvImage.h"
#include "PixelReport.h"
#include "ViewerHost.h"
#include "ZMKImageWnd.h"

namespace Control = ZavizoZoz3::Control;

class TestFacade : public QObject, protected TestSupport::ViewerHost {
    Q_OBJECT
private slots:
    void init();
    void cleanup() { closeViewer(); }

    void startsWithOnePaneAndUntitledPanes();
    void modeChangesMaintainOccupiedList_data();
    void modeChangesMaintainOccupiedList();
    void get2DImageFollowsModeRules();
    void reservedButtonOperationsFail();
    void gridPlacesPanesAndInvalidLayoutRemovesIt();
    void enlargeAndRestoreThroughPaneButtons();
    void paneAndLogoSizesFollowWidget();
    void layoutChangeKeepsVisibleHostSize_data();
    void layoutChangeKeepsVisibleHostSize();
    void currentPaneFollowsCallsAndPresses();
    void selectionChangesKeepMemory();
    void boundProfilerPaneTakesRangeDisplayAndPresses();
    void cameraNumbersReadAlikeInEveryLocale();
    void resolutionReportedOncePerSize();
    void callsFailOnceHostDeletedViewer();
    void hostLayoutIsKept();
    void displayRangeRoundTripsPerPane();
    void displayRangeTextRefusesBadInput_data();
    void displayRangeTextRefusesBadInput();
};

void TestFacade::init() {
    TestSupport::resetEnvironment();
    openViewer(1000, 600);
    QVERIFY(QTest::qWaitForWindowExposed(m_host));
}

void TestFacade::startsWithOnePaneAndUntitledPanes() {
    QCOMPARE(m_viewer->getWndLayout(), NuvViewerImageWnd::Layout1x1);
    QCOMPARE(m_viewer->getCurrentWnd(), -1);
    QCOMPARE(manager()->shownList(), QVector<int>{1});
    QVERIFY(manager()->occupiedList().isEmpty());
    for (int i = 1; i <= 4; ++i) {
        ImageWnd* pane = manager()->pane(i);
        QCOMPARE(pane->imageWndMode(), 2);
        QVERIFY(!pane->isEnlargeButtonVisible());
        QVERIFY(!pane->isRestoreButtonVisible());
        QString title;
        QCOMPARE(m_viewer->getImageWndTitle(i, &title), 0);
        QCOMPARE(title, QStringLiteral("No Camera"));
    }
    QCOMPARE(m_viewer->setImageWndTitle(4, QStringLiteral("Line camera \u76f8\u673a")), 0);
    QString title;
    QCOMPARE(m_viewer->getImageWndTitle(4, &title), 0);
    QCOMPARE(title, QStringLiteral("Line camera \u76f8\u673a"));
    QCOMPARE(m_viewer->setImageWndTitle(5, QStringLiteral("x")), -1);
    QCOMPARE(m_viewer->getImageWndTitle(-1, &title), -1);
    QCOMPARE(m_viewer->getImageWndTitle(1, nullptr), 0);
}

void TestFacade::modeChangesMaintainOccupiedList_data() {
    QTest::addColumn<int>("wnd");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("result");
    QTest::addColumn<bool>("occupied");
    QTest::newRow("2D on pane 3") << 3 << 1 << 0 << true;
    QTest::newRow("profiler on pane 3") << 3 << 2 << 0 << true;
    QTest::newRow("none on pane 3") << 3 << 0 << 0 << false;
    QTest::newRow("bad mode on pane 3") << 3 << 7 << -1 << false;
    QTest::newRow("pane 5") << 5 << 1 << -1 << false;
    QTest::newRow("pane 0") << 0 << 1 << -1 << false;
    QTest::newRow("pane -1") << -1 << 2 << -1 << false;
}

void TestFacade::modeChangesMaintainOccupiedList() {
    QFETCH(int, wnd);
    QFETCH(int, mode);
    QFETCH(int, result);
    QFETCH(bool, occupied);
    QCOMPARE(m_viewer->setImageWndMode(wnd, static_cast<NuvViewerImageWnd::ImageWndMode>(mode)), result);
    QCOMPARE(manager()->occupiedList().contains(wnd), occupied);
}

void TestFacade::get2DImageFollowsModeRules() {
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::red);
    const QImage untouched = image;
    QCOMPARE(m_viewer->get2DImage(2, &image), -1);  // profiler mode
    QCOMPARE(m_viewer->get2DImage(9, &image), 0);   // no pane: success, image untouched
    QCOMPARE(image, untouched);
    NuvImage nuv;
    QCOMPARE(m_viewer->get2DImage(2, &nuv), -1);
    QCOMPARE(m_viewer->get2DImage(0, &nuv), 0);
    QVERIFY(nuv.isEmpty());

    QCOMPARE(m_viewer->setImageWndMode(2, NuvViewerImageWnd::Mode2D), 0);
    QImage frame(64, 32, QImage::Format_Grayscale8);
    frame.fill(77);
    m_viewer->show2DImage(2, frame);
    QImage out;
    QCOMPARE(m_viewer->get2DImage(2, &out), 0);
    QCOMPARE(out.size(), QSize(64, 32));
    QCOMPARE(qGray(out.pixel(10, 10)), 77);
}

void TestFacade::reservedButtonOperationsFail() {
    bool flag = true;
    QCOMPARE(m_viewer->setButtonEnable(1, NuvViewerImageWnd::StartGrab, false), -1);
    QCOMPARE(m_viewer->buttonIsEnable(1, NuvViewerImageWnd::StartGrab, &flag), -1);
    QCOMPARE(m_viewer->setButtonHidden(1, NuvViewerImageWnd::StartGrab, true), -1);
    QCOMPARE(m_viewer->buttonIsHidden(1, NuvViewerImageWnd::StopGrab, &flag), -1);
    QVERIFY(flag);
    QVERIFY(!manager()->pane(1)->view3D()->btn3DStartGrab->isHidden());
}

void TestFacade::gridPlacesPanesAndInvalidLayoutRemovesIt() {
    // An invalid layout removes the grid but keeps the last valid value.
    m_viewer->setWndLayout(NuvViewerImageWnd::Layout2x2);
    m_viewer->setWndLayout(static_cast<NuvViewerImageWnd::WndLayout>(3));
    QCOMPARE(m_viewer->getWndLayout(), NuvViewerImageWnd::Layout2x2);
    QVERIFY(manager()->layout() == nullptr);
    for (int i = 1; i <= 4; ++i)
        QVERIFY(manager()->pane(i)->parent() == nullptr);
    // A valid layout brings the grid back.
    m_viewer->setWndLayout(NuvViewerImageWnd::Layout1x1);
    QCOMPARE(manager()->shownList(), QVector<int>{1});
    m_viewer->setWndLayout(static_cast<NuvViewerImageWnd::WndLayout>(-4));
    QCOMPARE(m_viewer->getWndLayout(), NuvViewerImageWnd::Layout1x1);
    // The two-pane layout shows the preferred pane first, at full height.
    m_viewer->setWndLayout(NuvViewerImageWnd::Layout1x2, {4});
    QCOMPARE(manager()->shownList(), (QVector<int>{4, 1}));
    QCOMPARE(manager()->cellOf(4), QPoint(0, 0));
    QCOMPARE(manager()->cellOf(1), QPoint(0, 1));
    const QSize size = manager()->size();
    QCOMPARE(manager()->pane(4)->size(), QSize(size.width() / 2, size.height()));
    QCOMPARE(manager()->pane(1)->size(), QSize(size.width() / 2, size.height()));
    // Without preferred panes the occupied ones come first.
    m_viewer->setImageWndMode(3, NuvViewerImageWnd::Mode2D);
    m_viewer->setImageWndMode(1, NuvViewerImageWnd::Mode3D);
    m_viewer->setWndLayout(NuvViewerImageWnd::Layout2x2);
    QCOMPARE((QVector<QPoint>{manager()->cellOf(3), manager()->cellOf(1), manager()->cellOf(2),
                              manager()->cellOf(4)}),
             (QVector<QPoint>{{0, 0}, {0, 1}, {1, 0}, {1, 1}}));
    for (int i = 1; i <= 4; ++i) {
        QVERIFY(manager()->pane(i)->isEnlargeButtonVisible());
        QVERIFY(!manager()->pane(i)->isRestoreButtonVisible());
    }
}

void TestFacade::enlargeAndRestoreThroughPaneButtons() {
    m_viewer->setWndLayout(NuvViewerImageWnd::Layout2x2);
    const QVector<int> arrangement = manager()->shownList();
    ImageWnd* pane2 = manager()->pane(2);
    auto* enlarge = pane2->findChild<QPushButton*>(QStringLiteral("btnWndTransformIn"));
    auto* restore = pane2->findChild<QPushButton*>(QStringLiteral("btnWndTransformOut"));
    QVERIFY(enlarge && restore);
    QTest::mouseClick(enlarge, Qt::LeftButton);
    QCOMPARE(m_viewer->getWndLayout(), NuvViewerImageWnd::Layout1x1);
    QCOMPARE(manager()->shownList(), QVector<int>{2});
    QVERIFY(pane2->isRestoreButtonVisible());
    QVERIFY(!pane2->isEnlargeButtonVisible());
    QTest::mouseClick(restore, Qt::LeftButton);
    QCOMPARE(m_viewer->getWndLayout(), NuvViewerImageWnd::Layout2x2);
    QCOMPARE(manager()->shownList(), arrangement);
    QVERIFY(pane2->isEnlargeButtonVisible());
    QVERIFY(!pane2->isRestoreButtonVisible());
    // A double-click on an enlargeable pane enlarges it, a second one restores the grid.
    QTest::mouseDClick(pane2, Qt::LeftButton);
    QCOMPARE(manager()->shownList(), QVector<int>{2});
    QTest::mouseDClick(pane2, Qt::LeftButton);
    QCOMPARE(manager()->shownList(), arrangement);
}

void TestFacade::paneAndLogoSizesFollowWidget() {
    m_viewer->setImageWndMode(1, NuvViewerImageWnd::ModeNone);  // the logo shows in panes without a view
    m_viewer->setWndLayout(NuvViewerImageWnd::Layout2x2);
    manager()->relayoutPanes(QSize(1000, 600));
    for (int i = 1; i <= 4; ++i)
        QCOMPARE(manager()->pane(i)->size(), QSize(500, 300));
    auto* body = manager()->pane(1)->findChild<QLabel*>(QStringLiteral("lbWndMessageShow"));
    QVERIFY(body);
    const QPixmap logo = body->pixmap(Qt::ReturnByValue);
    QVERIFY(!logo.isNull());
    QVERIFY(logo.width() <= 400 && logo.height() <= 400);
    QVERIFY(logo.width() == 400 || logo.height() == 400);

    m_viewer->setWndLayout(NuvViewerImageWnd::Layout1x1);
    manager()->relayoutPanes(QSize(3000, 900));
    QCOMPARE(manager()->pane(1)->size(), QSize(3000, 900));
    const QPixmap big = body->pixmap(Qt::ReturnByValue);
    QVERIFY(big.width() <= 1174 && big.height() <= 1174);
    QVERIFY(big.width() == 1174 || big.height() == 1174);
}

void TestFacade::layoutChangeKeepsVisibleHostSize_data() {
    QTest::addColumn<int>("layout");
    QTest::addColumn<QVector<int>>("wndIds");
    QTest::addColumn<bool>("fixedHost");
    for (int layout : {1, 2, 4, 9, 16}) {
        QTest::newRow(QByteArray::number(layout)) << layout << QVector<int>() << false;
        QTest::newRow(QByteArray::number(layout) + " preferred") << layout << QVector<int>{4, 2} << false;
    }
    QTest::newRow("2 fixed host") << 2 << QVector<int>() << true;
    QTest::newRow("4 fixed host preferred") << 4 << QVector<int>{3} << true;
}

void TestFacade::layoutChangeKeepsVisibleHostSize() {
    QFETCH(int, layout);
    QFETCH(QVector<int>, wndIds);
    QFETCH(bool, fixedHost);
    if (fixedHost) m_host->setFixedSize(1000, 600);
    QTRY_COMPARE(manager()->pane(1)->size(), QSize(1000, 600));
    // From the single pane to the grid and back again, as hosts and users switch.
    for (int step : {layout, 1, layout}) {
        m_viewer->setWndLayout(static_cast<NuvViewerImageWnd::WndLayout>(step), wndIds);
        QCoreApplication::processEvents();
        const int columns = step == 1 ? 1 : step == 2 || step == 4 ? 2 : step == 9 ? 3 : 4;
        const QSize pane(1000 / columns, step == 2 ? 600 : 600 / columns);
        QCOMPARE(m_host->size(), QSize(1000, 600));
        QVERIFY2(m_host->minimumSizeHint().width() <= 1000 && m_host->minimumSizeHint().height() <= 600,
                 qPrintable(QStringLiteral("%1x%2")
                                .arg(m_host->minimumSizeHint().width())
                                .arg(m_host->minimumSizeHint().height())));
        QVERIFY(m_host->minimumSize().width() <= 1000 && m_host->minimumSize().height() <= 600);
        for (int index : manager()->shownList())
            QCOMPARE(manager()->pane(index)->size(), pane);
    }
    // Enlarging and restoring a pane and a language change leave the host as it is too.
    ImageWnd* first = manager()->pane(manager()->shownList().first());
    for (const char* button : {"btnWndTransformIn", "btnWndTransformOut"}) {
        if (auto* b = first->findChild<QPushButton*>(QLatin1String(button))) {
            if (!b->isHidden()) b->click();
        }
    }
    Control::postLanguage("zh_CN");
    Control::waitIdle();
    QCoreApplication::processEvents();
    QCOMPARE(m_host->size(), QSize(1000, 600));
    if (fixedHost) return;
    // The host can still shrink, and the panes follow.
    m_host->resize(800, 500);
    QTRY_COMPARE(m_host->size(), QSize(800, 500));
    // (A pane of a 3x3 or 4x4 grid comes back into the 2x2 grid of the four panes.)
    const int shown = m_viewer->getWndLayout();
    const int columns = shown == 1 ? 1 : shown == 2 || shown == 4 ? 2 : shown == 9 ? 3 : 4;
    QTRY_COMPARE(manager()->pane(manager()->shownList().first())->size(),
                 QSize(800 / columns, shown == 2 ? 500 : 500 / columns));
}

void TestFacade::currentPaneFollowsCallsAndPresses() {
    QSignalSpy spy(m_viewer, &NuvViewerImageWnd::selectWndChanged);
    m_viewer->setCurrentWnd(2);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toInt(), 2);
    QVERIFY(manager()->pane(2)->styleSheet().contains(QStringLiteral("border:1px solid rgb(0, 255, 0)")));
    m_viewer->setCurrentWnd(2);
    QCOMPARE(spy.count(), 1);
    m_viewer->setCurrentWnd(3);
    QCOMPARE(spy.count(), 2);
    QVERIFY(!manager()->pane(2)->styleSheet().contains(QStringLiteral("rgb(0, 255, 0)")));
    m_viewer->setCurrentWnd(-1);
    QCOMPARE(spy.count(), 2);
    QCOMPARE(m_viewer->getCurrentWnd(), -1);
    QVERIFY(!manager()->pane(3)->styleSheet().contains(QStringLiteral("rgb(0, 255, 0)")));
    m_viewer->setCurrentWnd(12);  // no such pane: stored, but nothing is drawn or emitted
    QCOMPARE(spy.count(), 2);
    QCOMPARE(m_viewer->getCurrentWnd(), 12);
    // A press anywhere in a shown pane, its views included, selects it.
    m_viewer->setWndLayout(NuvViewerImageWnd::Layout2x2);
    spy.clear();
    QTest::mousePress(manager()->pane(4), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    QCOMPARE(spy.count(), 1);
    QCOMPARE(m_viewer->getCurrentWnd(), 4);
    QCOMPARE(m_viewer->setImageWndMode(3, NuvViewerImageWnd::Mode2D), 0);
    QWidget* picture2D = manager()->pane(3)->view2D()->displayWidget()->viewport();
    QTest::mousePress(picture2D, Qt::LeftButton, Qt::NoModifier, QPoint(20, 20));
    QCOMPARE(m_viewer->getCurrentWnd(), 3);

    Image3DWnd* profiler = manager()->pane(4)->view3D();
    profiler->btn2DMode->click();
    QWidget* picture3D = profiler->displayWidget()->viewport();
    QTest::mousePress(picture3D, Qt::LeftButton, Qt::NoModifier, QPoint(20, 20));
    QCOMPARE(m_viewer->getCurrentWnd(), 4);
}

// Every bind selects a pane: a host binding and unbinding cameras all day must not gather memory
// from it (it once left a few kilobytes of icon pixmaps in Qt's pixmap cache per change).
void TestFacade::selectionChangesKeepMemory() {
    m_viewer->setWndLayout(NuvViewerImageWnd::Layout2x2);
    const auto heapInUse = []() {
        QCoreApplication::processEvents();
        const struct mallinfo2 heap = mallinfo2();
        return heap.uordblks + heap.hblkhd;
    };
    for (int i = 0; i < 20; ++i)
        m_viewer->setCurrentWnd(1 + i % 4);
    const size_t before = heapInUse();
    for (int i = 0; i < 300; ++i) {
        m_viewer->setCurrentWnd(1 + i % 4);
        QCoreApplication::processEvents();
    }
    const size_t after = heapInUse();
    QVERIFY2(
        after < before + 256 * 1024,
        qPrintable(QStringLiteral("%1 KiB more after 300 selection changes").arg((after - before) / 1024)));
}

void TestFacade::boundProfilerPaneTakesRangeDisplayAndPresses() {
    QCOMPARE(m_viewer->initRangeImageDisplay(QStringLiteral("nobody")), -1);
    QCOMPARE(m_viewer->initRangeImageDisplay(QString()), -1);
    QVERIFY(bindCamera(Control::CameraKind::LaserProfiler, "LP"));
    QCOMPARE(manager()->paneIndexOf(QString::fromStdString(m_key)), 1);
    QCOMPARE(m_viewer->initRangeImageDisplay(QString::fromStdString(m_key)), 0);

    m_viewer->setWndLayout(NuvViewerImageWnd::Layout2x2);
    QSignalSpy clicks(m_viewer, &NuvViewerImageWnd::wndButtonclick);
    ImageWnd* bound1 = manager()->pane(1);
    bound1->view3D()->btn2DMode->click();
    QTest::mouseClick(bound1->view3D()->btn3DStartGrab, Qt::LeftButton);
    QCOMPARE(clicks.count(), 1);
    QCOMPARE(clicks.at(0).at(0).toInt(), 1);
    QCOMPARE(clicks.at(0).at(1).toString(), QString::fromStdString(m_key));
    QCOMPARE(clicks.at(0).at(2).value<NuvViewerImageWnd::ButtonType>(), NuvViewerImageWnd::StartGrab);
    QCOMPARE(ZavizoZoz3::GetCameraImageMode(m_key), 0);  // the chosen mode is set before the press goes up

    ImageWnd* free2 = manager()->pane(2);
    free2->setButtonEnable(ImageWnd::StopGrab, true);
    QTest::mouseClick(free2->view3D()->btn3DStopGrab, Qt::LeftButton);
    QCOMPARE(clicks.count(), 2);
    QCOMPARE(clicks.at(1).at(0).toInt(), 2);
    QCOMPARE(clicks.at(1).at(1).toString(), QString());
    QCOMPARE(clicks.at(1).at(2).value<NuvViewerImageWnd::ButtonType>(), NuvViewerImageWnd::StopGrab);
    // Only a profiler pane takes the range display.
    QCOMPARE(m_viewer->setImageWndMode(1, NuvViewerImageWnd::Mode2D), 0);
    QCOMPARE(m_viewer->initRangeImageDisplay(QString::fromStdString(m_key)), -1);
}

// A sensor's numbers travel as text with a '.' decimal point; the process may run under any
// locale (the de_DE CTest entry runs this with LC_ALL=de_DE.UTF-8), where the C library's own
// parsing reads "20.5" as 20 and its formatting writes 12.5 as "12,5".
void TestFacade::cameraNumbersReadAlikeInEveryLocale() {
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    const auto restore = qScopeGuard([&previous] { std::setlocale(LC_ALL, previous.c_str()); });
    std::setlocale(LC_ALL, "");
    if (qgetenv("LC_ALL").startsWith("de_DE"))
        QVERIFY2(std::strcmp(std::localeconv()->decimal_point, ",") == 0, "de_DE.UTF-8 is not generated");
    m_key = TestSupport::connectedCamera(Control::CameraKind::LaserProfiler, "LP");
    Control::setSensorReading(m_key, "ZUpSizeInfo", 20.5);
    Control::setSensorReading(m_key, "ZDownSizeInfo", -20.5);
    Control::setSensorReading(m_key, "XSizeInfo", 32.5);
    Control::setSensorReading(m_key, "XInterval", 12.5);
    QSignalSpy bound(m_viewer, &NuvViewerImageWnd::dropWndSuccess);
    Control::postDeviceList(1);
    QVERIFY(bound.wait(5000));
    Image3DWnd* profiler = manager()->paneOf(QString::fromStdString(m_key))->view3D();
    QCOMPARE(profiler->contourYMax(), 20.5f);
    QCOMPARE(profiler->contourYMin(), -20.5f);
    QCOMPARE(profiler->contourXSpan(), 32.5f);
    QCOMPARE(m_viewer->initRangeImageDisplay(QString::fromStdString(m_key)), 0);
    QCOMPARE(profiler->frameInfo()->values().xInterval, 0.0125);
    QCOMPARE(profiler->frameInfo()->values().yInterval, 0.05);
    PixelReport::send(QString::fromStdString(m_key), 12.5, 3.0, 7, 7, 7, 7.0f);
    QCOMPARE(ZavizoZoz3::GetCameraInfo(m_key, ZavizoZoz3::CAM_INFO_PIXEL_POS), std::string("12.5,3.0"));
    // A persisted display range reads back alike.
    NuvViewerImageWnd::DisplayRange range, read;
    range.gamma = 0.45;
    range.lowPercent = 0.25;
    QVERIFY(range.toString().contains(QStringLiteral("gamma=0.45;")));
    QVERIFY(NuvViewerImageWnd::DisplayRange::fromString(range.toString(), &read));
    QCOMPARE(read, range);
}

void TestFacade::resolutionReportedOncePerSize() {
    const std::string title = Control::addCamera(Control::CameraKind::AreaScan, "ResCam");
    m_viewer->setImageWndMode(1, NuvViewerImageWnd::Mode2D);
    m_viewer->setImageWndTitle(1, QString::fromStdString(title));
    const auto resolution = [&title] {
        return ZavizoZoz3::GetCameraInfo(title, ZavizoZoz3::CAM_INFO_RESOLUTION);
    };
    QImage a(320, 200, QImage::Format_Grayscale8);
    a.fill(10);
    m_viewer->show2DImage(1, a);
    QCOMPARE(resolution(), std::string("320 * 200"));
    ZavizoZoz3::SetCameraInfo(title, ZavizoZoz3::CAM_INFO_RESOLUTION, "marker");
    m_viewer->show2DImage(1, a);
    QCOMPARE(resolution(), std::string("marker"));
    QImage b = a.scaled(640, 480);
    m_viewer->show2DImage(1, b);
    QCOMPARE(resolution(), std::string("640 * 480"));
}

void TestFacade::callsFailOnceHostDeletedViewer() {
    auto* other = new QWidget();
    m_viewer->setImageWndParent(other);
    delete other;  // takes the viewer's widget with it
    QVERIFY(manager() == nullptr);
    QString title;
    QImage image(4, 4, QImage::Format_RGB32);
    NuvImage nuv;
    QCOMPARE(m_viewer->setImageWndMode(1, NuvViewerImageWnd::Mode2D), -1);
    QCOMPARE(m_viewer->setImageWndTitle(1, QStringLiteral("x")), -1);
    QCOMPARE(m_viewer->getImageWndTitle(1, &title), -1);
    QCOMPARE(m_viewer->get2DImage(1, &image), -1);
    QCOMPARE(m_viewer->get2DImage(1, &nuv), -1);
    QCOMPARE(m_viewer->initRangeImageDisplay(QStringLiteral("x")), -1);
    QCOMPARE(m_viewer->getCurrentWnd(), -1);
    QCOMPARE(int(m_viewer->getWndLayout()), 0);
    QVERIFY(!m_viewer->isWndShown(1));
    NuvViewerImageWnd::StreamHealth health;
    QCOMPARE(m_viewer->getStreamHealth(1, &health), -1);
    QCOMPARE(m_viewer->getStreamHealth(QStringLiteral("x"), &health), -1);
    m_viewer->setPixelReadoutVisible(true);
    m_viewer->setWndLayout(NuvViewerImageWnd::Layout2x2);
    m_viewer->setCurrentWnd(2);
    m_viewer->show2DImage(1, image);
    m_viewer->show2DImage(1, nuv);
    m_viewer->setImageWndParent(m_host);
    // The gone manager's listeners left the business layer with it.
    Control::postDeviceList(1);
    Control::waitIdle();
    QCOMPARE(Control::listenerCount(), 0);
    // cleanup() deletes the facade: the widget must not be deleted a second time.
}

void TestFacade::hostLayoutIsKept() {
    QWidget host;
    auto* layout = new QVBoxLayout(&host);
    auto* label = new QLabel(QStringLiteral("host's own"), &host);
    layout->addWidget(label);
    {
        NuvViewerImageWnd viewer(&host);
        QCOMPARE(host.layout(), layout);
        QCOMPARE(layout->indexOf(label), 0);
        QCOMPARE(layout->indexOf(viewer.manager()), 1);
    }
    QCOMPARE(host.layout(), layout);
    QCOMPARE(layout->count(), 1);
}

void TestFacade::displayRangeRoundTripsPerPane() {
    using Range = NuvViewerImageWnd::DisplayRange;
    Range range;
    QCOMPARE(m_viewer->getDisplayRange(3, &range), 0);
    QCOMPARE(range.mode, Range::AutoOnce);  // new panes keep their first levels
    range.mode = Range::Fixed;
    range.minimum = 16;
    range.maximum = 4000;
    range.gamma = 1.8;
    range.markSaturated = true;
    range.saturationColour = QColor(255, 0, 255);
    QSignalSpy changed(m_viewer, &NuvViewerImageWnd::displayRangeChanged);
    QCOMPARE(m_viewer->setDisplayRange(3, range), 0);
    QCOMPARE(changed.count(), 0);  // only the user's changes are reported
    Range read;
    QCOMPARE(m_viewer->getDisplayRange(3, &read), 0);
    QCOMPARE(read, range);
    // Per pane: the others keep theirs; a switch to the profiler and back keeps it too.
    QCOMPARE(m_viewer->getDisplayRange(2, &read), 0);
    QCOMPARE(read.mode, Range::AutoOnce);
    QCOMPARE(m_viewer->setImageWndMode(3, NuvViewerImageWnd::Mode2D), 0);
    QCOMPARE(m_viewer->setImageWndMode(3, NuvViewerImageWnd::Mode3D), 0);
    QCOMPARE(m_viewer->setImageWndMode(3, NuvViewerImageWnd::Mode2D), 0);
    QCOMPARE(m_viewer->getDisplayRange(3, &read), 0);
    QCOMPARE(read, range);
    // The text form restores it.
    Range restored;
    QVERIFY(Range::fromString(range.toString(), &restored));
    QCOMPARE(restored, range);

    // Unknown panes, a null range and invalid ranges fail and change nothing.
    for (int bad : {-1, 0, 5})
        QCOMPARE(m_viewer->getDisplayRange(bad, &read), -1);
    QCOMPARE(m_viewer->getDisplayRange(3, nullptr), -1);
    QCOMPARE(m_viewer->setDisplayRange(0, range), -1);
    Range crossed = range;
    crossed.minimum = 4000;
    crossed.maximum = 16;
    QCOMPARE(m_viewer->setDisplayRange(3, crossed), -1);
    Range unknownMode = range;
    unknownMode.mode = static_cast<Range::Mode>(7);
    QCOMPARE(m_viewer->setDisplayRange(3, unknownMode), -1);
    QCOMPARE(m_viewer->getDisplayRange(3, &read), 0);
    QCOMPARE(read, range);
}

void TestFacade::displayRangeTextRefusesBadInput_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("unknown mode") << "mode=bright";
    QTest::newRow("unknown key") << "mode=fixed;contrast=3";
    QTest::newRow("no value") << "mode=fixed;min";
    QTest::newRow("minimum not a number") << "mode=fixed;min=ten;max=4095";
    QTest::newRow("minimum above maximum") << "mode=fixed;min=5000;max=4095";
    QTest::newRow("beyond 16 bits") << "mode=fixed;min=0;max=70000";
    QTest::newRow("comma decimal") << "gamma=1,5";
    QTest::newRow("gamma out of range") << "gamma=50";
    QTest::newRow("percentiles crossed") << "mode=percentile;low=99;high=1";
    QTest::newRow("saturation not 0 or 1") << "saturation=yes";
    QTest::newRow("colour by name") << "colour=red";
}

void TestFacade::displayRangeTextRefusesBadInput() {
    QFETCH(QString, text);
    NuvViewerImageWnd::DisplayRange range;
    range.minimum = 7;
    const NuvViewerImageWnd::DisplayRange before = range;
    QVERIFY(!NuvViewerImageWnd::DisplayRange::fromString(text, &range));
    QCOMPARE(range, before);
    QVERIFY(!NuvViewerImageWnd::DisplayRange::fromString(text, nullptr));
}

QTEST_MAIN(TestFacade)
#include "tst_facade.moc"
