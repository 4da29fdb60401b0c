// SPDX-License-Identifier: Apache-2.0
// Business-layer events reaching the panes: binding, release, focus, rename, layout, language,
// ROI requests, drops, and a churn run from two business-layer threads.
#include <QDropEvent>
#include <QMimeData>
#include <QPushButton>
#include <QRegularExpression>
#include <QSemaphore>
#include <QTranslator>
#include <QtTest>
#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <stdexcept>
#include <thread>
#include <vector>

#include "DeviceListUpdate.h"
#include "FinishFlag.h"
#include "Image3DWnd.h"
#include "ImageUpdateManager.h"
#include "TaskWorker.h"
#include "ViewerHost.h"

namespace Control = ZavizoZoz3::Control;

class TestRouting : public QObject, protected TestSupport::ViewerHost {
    Q_OBJECT
private slots:
    void init();
    void cleanup() { closeViewer(); }

    void eventsWithoutPaneChangeNothing();
    void camerasBindInListOrder();
    void releasedPaneIsReusedAndFifthCameraGetsNone();
    void singleLayoutFollowsFocusAndCameraDrops();
    void renameKeepsRoutingAndLayoutEventsRebuildGrid();
    void paneDropSwapsCellsAndSurvivesRestore();
    void finishFlagWaitTracksGuiThread();
    void closingReleasesWaitingDeviceListCallback();
    void churnFromTwoThreads();
    void workerOutlivesThrowingTasks_data();
    void workerOutlivesThrowingTasks();
    void workerStopsWithTasksQueued_data();
    void workerStopsWithTasksQueued();

private:
    void drainBusinessLayer();
    // Connects profiler A, area-scan B and profiler C and waits until all three are bound.
    std::vector<std::string> bindThreeCameras();
    bool drop(ImageWnd* target, QMimeData* mime);
};

void TestRouting::init() {
    TestSupport::resetEnvironment();
    openViewer(800, 600);
}

std::vector<std::string> TestRouting::bindThreeCameras() {
    std::vector<std::string> keys;
    for (const char* n : {"A", "B", "C"}) {
        const bool profiler = keys.size() != 1;
        keys.push_back(TestSupport::connectedCamera(
            profiler ? Control::CameraKind::LaserProfiler : Control::CameraKind::AreaScan, n));
    }
    QSignalSpy bound(m_viewer, &NuvViewerImageWnd::dropWndSuccess);
    Control::postDeviceList(1, {}, keys);
    if (!QTest::qWaitFor([&] { return bound.count() == 3; }, 5000)) return {};
    return keys;
}

void TestRouting::drainBusinessLayer() {
    // Device-list callbacks wait for the GUI thread, so keep it running while the business
    // layer works through what was posted before this marker.
    auto done = std::make_shared<std::atomic<bool>>(false);
    Control::post([done] { *done = true; });
    QTRY_VERIFY_WITH_TIMEOUT(done->load(), 60000);
    QCoreApplication::processEvents();
}

void TestRouting::eventsWithoutPaneChangeNothing() {
    // A device list from another source only sets the finish flag; frames of an unbound camera
    // are dropped; a ROI request for a camera without a pane echoes the id and fails only for a
    // negative id.
    const std::string a = TestSupport::connectedCamera(Control::CameraKind::AreaScan, "A");
    QSignalSpy bound(m_viewer, &NuvViewerImageWnd::dropWndSuccess);
    QSignalSpy frames(manager()->dispatcher(), &ImageUpdateManager::imageProfileUpdate);
    Control::postDeviceList(2);
    std::vector<uint8_t> pixels(32 * 32, 1);
    for (int i = 0; i < 5; ++i)
        Control::postImage(a, 0, 0, 32, 32, 0x01080001u, pixels);
    drainBusinessLayer();
    QCOMPARE(bound.count(), 0);
    QVERIFY(manager()->occupiedList().isEmpty());
    QCOMPARE(frames.count(), 0);
    for (const int roiId : {-1, 0, 7}) {
        int id = roiId;
        QCOMPARE(Control::callROIDraw("nobody", 0, 0, 10, 10, 0, id, 0, 1), roiId >= 0);
        QCOMPARE(id, roiId);
    }
}

void TestRouting::camerasBindInListOrder() {
    QSignalSpy selected(m_viewer, &NuvViewerImageWnd::selectWndChanged);
    const std::vector<std::string> keys = bindThreeCameras();
    QCOMPARE(keys.size(), size_t(3));
    for (int i = 0; i < 3; ++i)
        QCOMPARE(manager()->paneIndexOf(QString::fromStdString(keys[size_t(i)])), i + 1);
    // Each binding selects the pane, then reports it once more after dropWndSuccess.
    QVERIFY(selected.count() >= 3);
    QCOMPARE(selected.last().at(0).toInt(), 3);
    QCOMPARE(m_viewer->getCurrentWnd(), 3);
    QCOMPARE(manager()->pane(2)->cameraName(), QString::fromStdString(keys[1]));
    QString title;
    m_viewer->getImageWndTitle(3, &title);
    QCOMPARE(title, QString::fromStdString(ZavizoZoz3::GetCameraInfo(keys[2], ZavizoZoz3::CAM_INFO_TITLE)));
    QCOMPARE(Control::lastFocusKey(), keys[2]);
    QVERIFY(manager()->dispatcher()->hasTool(QString::fromStdString(keys[0])));
}

void TestRouting::releasedPaneIsReusedAndFifthCameraGetsNone() {
    const std::vector<std::string> keys = bindThreeCameras();
    QCOMPARE(keys.size(), size_t(3));
    const std::string b = keys[1];
    QSignalSpy bound(m_viewer, &NuvViewerImageWnd::dropWndSuccess);
    Control::setConnected(b, false);
    Control::postDeviceList(1);
    QTRY_COMPARE_WITH_TIMEOUT(manager()->paneIndexOf(QString::fromStdString(b)), 0, 5000);
    QString title;
    m_viewer->getImageWndTitle(2, &title);
    QCOMPARE(title, QStringLiteral("No Camera"));
    QVERIFY(!manager()->occupiedList().contains(2));
    QVERIFY(!manager()->dispatcher()->hasTool(QString::fromStdString(b)));

    const std::string d = TestSupport::connectedCamera(Control::CameraKind::AreaScan, "D");
    Control::postDeviceList(1);
    QTRY_COMPARE_WITH_TIMEOUT(bound.count(), 1, 5000);
    QCOMPARE(bound.last().at(0).toInt(), 2);
    QCOMPARE(manager()->paneIndexOf(QString::fromStdString(d)), 2);
    // Of two more cameras one takes the last pane; the fifth gets none.
    const std::string e = TestSupport::connectedCamera(Control::CameraKind::AreaScan, "E");
    const std::string f = TestSupport::connectedCamera(Control::CameraKind::AreaScan, "F");
    Control::postDeviceList(1);
    QTRY_COMPARE_WITH_TIMEOUT(bound.count(), 2, 5000);
    drainBusinessLayer();
    QCOMPARE(bound.count(), 2);
    QCOMPARE(manager()->paneIndexOf(QString::fromStdString(e)), 4);
    QCOMPARE(manager()->paneIndexOf(QString::fromStdString(f)), 0);
}

void TestRouting::singleLayoutFollowsFocusAndCameraDrops() {
    const std::vector<std::string> keys = bindThreeCameras();
    QCOMPARE(keys.size(), size_t(3));
    m_viewer->setWndLayout(NuvViewerImageWnd::Layout1x1);
    m_viewer->setCurrentWnd(1);

    QSignalSpy selected(m_viewer, &NuvViewerImageWnd::selectWndChanged);
    Control::postFocus(ZavizoZoz3::FOCUS_CAMERA, keys[0]);  // already current: nothing
    Control::postFocus(ZavizoZoz3::FOCUS_CAMERA, keys[2]);
    QTRY_COMPARE_WITH_TIMEOUT(m_viewer->getCurrentWnd(), 3, 5000);
    QCOMPARE(selected.count(), 1);
    QCOMPARE(manager()->shownList(), QVector<int>{3});
    Control::postFocus(ZavizoZoz3::FOCUS_CARD, keys[2]);
    QTRY_COMPARE_WITH_TIMEOUT(m_viewer->getCurrentWnd(), -1, 5000);

    QMimeData mime;
    mime.setData(QStringLiteral("ItemMimeData"), QByteArray());
    // An unknown or empty camera key is consumed and changes nothing.
    for (const QString& text : {QStringLiteral("ghost"), QString()}) {
        mime.setText(text);
        QVERIFY(drop(manager()->pane(3), &mime));
        QCOMPARE(manager()->shownList(), QVector<int>{3});
    }
    // A bound camera dropped in the single layout shows its pane.
    mime.setText(QString::fromStdString(keys[0]));
    drop(manager()->pane(3), &mime);
    QCOMPARE(manager()->shownList(), QVector<int>{1});
    // Plain text is refused; panes and cameras are accepted.
    QMimeData plain, pane;
    plain.setText(QStringLiteral("1"));
    pane.setData(QStringLiteral("WndId"), QByteArray());
    pane.setText(QStringLiteral("2"));
    for (QMimeData* data : {&plain, &pane}) {
        QDragEnterEvent enter(QPoint(5, 5), Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(manager()->pane(1), &enter);
        QCOMPARE(enter.isAccepted(), data == &pane);
    }
}

void TestRouting::renameKeepsRoutingAndLayoutEventsRebuildGrid() {
    QVERIFY(bindCamera(Control::CameraKind::AreaScan, "A"));
    m_viewer->setImageWndMode(1, NuvViewerImageWnd::Mode2D);
    Control::postCameraId(m_key, "Inspection left");
    QString title;
    QTRY_VERIFY_WITH_TIMEOUT(
        (m_viewer->getImageWndTitle(1, &title), title == QStringLiteral("Inspection left")), 5000);
    QCOMPARE(manager()->paneIndexOf(QString::fromStdString(m_key)), 1);
    // A frame under the old key still reaches pane 1.
    std::vector<uint8_t> pixels(64 * 48, 200);
    Control::postImage(m_key, 0, 0, 64, 48, 0x01080001u, pixels);
    QTRY_COMPARE_WITH_TIMEOUT(manager()->pane(1)->imageSize(), QSize(64, 48), 5000);
    // Layout events rebuild the grid; an unknown one removes it and keeps the last value.
    Control::postLayout(ZavizoZoz3::LAYOUT_2X2);
    QTRY_COMPARE_WITH_TIMEOUT(m_viewer->getWndLayout(), NuvViewerImageWnd::Layout2x2, 5000);
    QCOMPARE(manager()->shownList().size(), 4);
    QCOMPARE(manager()->hostLayout(), 4);
    Control::postLayout(static_cast<ZavizoZoz3::LAYOUT_TYPE>(7));
    QTRY_VERIFY_WITH_TIMEOUT(manager()->layout() == nullptr, 5000);
    QCOMPARE(m_viewer->getWndLayout(), NuvViewerImageWnd::Layout2x2);
}

bool TestRouting::drop(ImageWnd* target, QMimeData* mime) {
    // Qt delivers drop events only inside a running drag, so hand it to the manager's filter
    // the way the application would.
    QDropEvent event(QPointF(10, 10), Qt::MoveAction, mime, Qt::LeftButton, Qt::NoModifier);
    return static_cast<QObject*>(manager())->eventFilter(target, &event);
}

void TestRouting::paneDropSwapsCellsAndSurvivesRestore() {
    m_viewer->setWndLayout(NuvViewerImageWnd::Layout2x2);
    const auto corners = [this] { return QVector<QPoint>{manager()->cellOf(1), manager()->cellOf(4)}; };
    QCOMPARE(corners(), (QVector<QPoint>{{0, 0}, {1, 1}}));
    QMimeData mime;
    mime.setData(QStringLiteral("WndId"), QByteArray());
    mime.setText(QStringLiteral("1"));
    drop(manager()->pane(4), &mime);
    QCOMPARE(corners(), (QVector<QPoint>{{1, 1}, {0, 0}}));
    QCOMPARE(manager()->savedArrangement(), (QVector<int>{4, 2, 3, 1}));
    // Enlarge pane 2, restore: the swapped arrangement comes back.
    manager()->pane(2)->findChild<QPushButton*>(QStringLiteral("btnWndTransformIn"))->click();
    QCOMPARE(manager()->shownList(), QVector<int>{2});
    manager()->pane(2)->findChild<QPushButton*>(QStringLiteral("btnWndTransformOut"))->click();
    QCOMPARE(corners(), (QVector<QPoint>{{1, 1}, {0, 0}}));
    // A pane dropped on itself changes nothing.
    mime.setText(QStringLiteral("3"));
    drop(manager()->pane(3), &mime);
    QCOMPARE(manager()->savedArrangement(), (QVector<int>{4, 2, 3, 1}));
}

void TestRouting::finishFlagWaitTracksGuiThread() {
    // Processed promptly: the callback returns as soon as the GUI thread set the flag.
    DeviceListUpdate adapter;
    QObject receiver;
    connect(
        &adapter, &DeviceListUpdate::ValueUpdate, &receiver,
        [](int, QStringList, QStringList, QSharedPointer<bool> flag) { FinishFlag::set(flag); },
        Qt::QueuedConnection);
    std::atomic<bool> returned{false};
    std::thread caller([&] {
        adapter.notify(1, {}, {});
        returned = true;
    });
    QTRY_VERIFY_WITH_TIMEOUT(returned.load(), 2000);
    caller.join();

    // Never processed (the GUI thread does not run the event loop): the callback gives up on its own.
    const auto start = std::chrono::steady_clock::now();
    std::thread blocked([&] { adapter.notify(1, {}, {}); });
    blocked.join();
    const auto waited = std::chrono::steady_clock::now() - start;
    QVERIFY(waited >= std::chrono::milliseconds(4500));
    QCoreApplication::processEvents();  // the late slot still finds its flag alive
}

void TestRouting::closingReleasesWaitingDeviceListCallback() {
    TestSupport::connectedCamera(Control::CameraKind::LaserProfiler, "A");
    DeviceListUpdate* adapter = manager()->deviceListListener();
    QSharedPointer<bool> flag;
    QSemaphore inFlight;
    connect(
        adapter, &DeviceListUpdate::ValueUpdate, adapter,
        [&](int, QStringList, QStringList, QSharedPointer<bool> finish) {
            flag = finish;
            inFlight.release();
        },
        Qt::DirectConnection);
    Control::postDeviceList(1);
    // From here on the GUI thread runs no events: the list is never processed.
    inFlight.acquire();
    delete m_viewer;
    m_viewer = nullptr;
    // Unregistering waited for the callback, which the closing viewer let go at once instead of
    // leaving it to wait out its time limit.
    QVERIFY(FinishFlag::isSet(flag));
    QCOMPARE(Control::listenerCount(), 0);
}

void TestRouting::churnFromTwoThreads() {
    std::vector<std::string> keys;
    for (const char* n : {"A", "B", "C", "D", "E"})
        keys.push_back(Control::addCamera(Control::CameraKind::AreaScan, n));
    std::atomic<bool> stop{false};
    std::atomic<int> lists{0};
    auto churn = [&](int seed) {
        unsigned state = static_cast<unsigned>(seed);
        for (int i = 0; i < 1000 && !stop; ++i) {
            state = state * 1103515245u + 12345u;
            const std::string& key = keys[(state >> 8) % keys.size()];
            const bool on = ((state >> 16) & 1u) != 0;
            Control::setConnected(key, on);
            Control::setOpen(key, on);
            std::vector<uint8_t> pixels(16 * 16, static_cast<uint8_t>(i));
            Control::postImage(key, 0, 0, 16, 16, 0x01080001u, pixels);
            Control::postDeviceList(1);
            ++lists;
        }
    };
    std::thread t1(churn, 1);
    std::thread t2(churn, 2);
    // The GUI thread keeps processing while both threads post.
    while (lists.load() < 2000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    t1.join();
    t2.join();
    drainBusinessLayer();
    // Every bound camera sits in exactly one pane, and panes hold distinct cameras.
    QSet<int> used;
    for (const std::string& key : keys) {
        const int index = manager()->paneIndexOf(QString::fromStdString(key));
        if (index == 0) continue;
        QVERIFY(index >= 1 && index <= 4);
        QVERIFY(!used.contains(index));
        used.insert(index);
        QCOMPARE(manager()->pane(index)->cameraName(), QString::fromStdString(key));
    }
}

QTEST_MAIN(TestRouting)
void TestRouting::workerOutlivesThrowingTasks_data() {
    QTest::addColumn<bool>("standardException");
    QTest::newRow("std::exception") << true;
    QTest::newRow("anything else thrown") << false;
}

// A task that throws is logged and counted; the tasks after it still run, in order, and a caller
// that asked for the result gets the exception.
void TestRouting::workerOutlivesThrowingTasks() {
    QFETCH(bool, standardException);
    TaskWorker worker(QStringLiteral("test"));
    std::vector<int> ran;  // written on the worker only, read after waitIdle
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^test task failed")));
    worker.post([&ran] { ran.push_back(1); });
    worker.post([standardException] {
        if (standardException) throw std::runtime_error("disk gone");
        throw 42;
    });
    worker.post([&ran] { ran.push_back(2); });
    std::future<int> failing = worker.submit([]() -> int { throw std::logic_error("bad frame"); });
    std::future<int> answer = worker.submit([&ran] {
        ran.push_back(3);
        return 7;
    });
    QCOMPARE(answer.get(), 7);
    worker.waitIdle();
    QCOMPARE(ran, (std::vector<int>{1, 2, 3}));
    QCOMPARE(worker.failedTasks(), 1);
    QVERIFY_EXCEPTION_THROWN(failing.get(), std::logic_error);
}

void TestRouting::workerStopsWithTasksQueued_data() {
    QTest::addColumn<bool>("drop");
    QTest::newRow("queued tasks dropped") << true;
    QTest::newRow("queued tasks run first") << false;
}

// Stopping while a task runs and many wait neither hangs nor leaks what the waiting tasks hold
// (ASan), and nothing posted afterwards runs.
void TestRouting::workerStopsWithTasksQueued() {
    QFETCH(bool, drop);
    constexpr int kQueued = 500;
    std::atomic<int> ran{0};
    auto held = std::make_shared<int>(0);  // every queued task holds a copy
    std::future<void> dropped;
    QSemaphore entered;
    QSemaphore release;
    {
        TaskWorker worker(QStringLiteral("test"));
        worker.post([&] {
            entered.release();
            release.acquire();
        });
        entered.acquire();  // the first task runs: the others queue behind it
        for (int i = 0; i < kQueued; ++i)
            worker.post([&ran, held] { ++ran; });
        dropped = worker.submit([&ran] { ++ran; });
        worker.requestStop(drop ? TaskWorker::Pending::Drop : TaskWorker::Pending::Run);
        QVERIFY(!worker.post([&ran, held] { ++ran; }));
        release.release();
        worker.join();
        QVERIFY(worker.hasEnded());
    }
    QCOMPARE(ran.load(), drop ? 0 : kQueued + 1);
    QCOMPARE(held.use_count(), 1L);  // what the tasks held went with them
    if (drop) QVERIFY_EXCEPTION_THROWN(dropped.get(), std::future_error);
}

#include "tst_routing.moc"
