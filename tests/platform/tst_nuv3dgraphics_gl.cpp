// SPDX-License-Identifier: Apache-2.0
// 3D window with a real OpenGL context (Mesa under Xvfb): streamed lines become visible,
// coloured by height, and go away again; gestures and projection reach the view.
#include <QAbstractButton>
#include <QOpenGLContext>
#include <QtTest>
#include <atomic>
#include <thread>

#include "Nuv3DGraphics.h"
#include "Nuv3DTestData.h"
#include "Nuv3DView.h"
#include "Nuv3DWindow.h"

using namespace Nuv3DTestData;

namespace {

const QColor kBackground(10, 20, 30);

struct PixelStats {
    int foreground = 0;
    int reddish = 0;
    int bluish = 0;
    int grey = 0;
};

PixelStats analyse(const QImage& image) {
    PixelStats s;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (qAbs(c.red() - kBackground.red()) + qAbs(c.green() - kBackground.green()) +
                    qAbs(c.blue() - kBackground.blue()) <
                12) {
                continue;
            }
            ++s.foreground;
            s.reddish += c.red() > 200 && c.blue() < 60;
            s.bluish += c.blue() > 200 && c.red() < 60;
            s.grey += c.red() == c.green() && c.green() == c.blue();
        }
    }
    return s;
}

}  // namespace

class tst_Nuv3DGraphicsGL : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        QVERIFY2(Nuv3DWindow::openGLAvailable(), "this test needs an OpenGL context (Xvfb with Mesa)");
    }

    void init() {
        m_parent = std::make_unique<QWidget>();
        m_parent->resize(480, 360);
        m_parent->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_parent.get()));
        m_handle = NuvCreate3DWnd(asHandle(m_parent.get()));
        QVERIFY(m_handle > 0);
        QCOMPARE(NuvSet3DBackgroundColor(m_handle, kBackground.red(), kBackground.green(), kBackground.blue(),
                                         255),
                 0);
        QCOMPARE(NuvSet3DToolbarVisible(m_handle, NUV3D_TOOL_POINT_SIZE | NUV3D_TOOL_STATUS_LINE, false), 0);
        m_view = m_parent->findChild<Nuv3DView*>();
        QVERIFY(m_view);
        QTRY_VERIFY(m_view->context() && m_view->context()->isValid());
        QVERIFY(!m_parent->findChild<Nuv3DWindow*>()->showsUnavailableMessage());
        m_view->setPointSize(3);
        m_view->setAxesVisible(false);  // only the points count as foreground here
    }

    void cleanup() {
        if (m_handle > 0) {
            NuvDestory3DWnd(m_handle);
        }
        m_handle = 0;
        m_view = nullptr;
        m_parent.reset();
    }

    void threeThreadsStreamAPictureColouredByHeight() {
        // A full scan of 3200 points x 1000 lines in batches of 100.
        const int points = 3200, lines = 1000, batch = 100;
        const int stream = setupRamp(m_handle, points, lines);
        QVERIFY(stream > 0);
        QCOMPARE(Nuv3DZoomFitWnd(m_handle), 0);
        QCOMPARE(analyse(grab()).foreground, 0);
        // Before any point arrives the grid and axes show the extent of the scan, labelled: grid
        // lines, a reddish x axis and light grey labels.
        m_view->setAxesVisible(true);
        const PixelStats axes = analyse(grab());
        QVERIFY2(
            axes.foreground > 200 && axes.reddish > 10 && axes.grey > 10,
            qPrintable(QStringLiteral("%1 %2 %3").arg(axes.foreground).arg(axes.reddish).arg(axes.grey)));
        m_view->setAxesVisible(false);

        // Like the profiler view: two workers and the GUI thread append batches concurrently.
        const std::vector<uint16_t> image = rampImage(points, lines);
        std::atomic<int> failures{0};
        const auto appendEveryThird = [&](int first) {
            for (int b = first; b < lines / batch; b += 3) {
                failures += NuvAppendDataStream(m_handle, stream,
                                                image.data() + static_cast<size_t>(b) * batch * points,
                                                nullptr, 2, b * batch, b * batch + batch - 1) != NUV3D_OK;
            }
        };
        std::thread worker1(appendEveryThird, 1);
        std::thread worker2(appendEveryThird, 2);
        grab();  // uploads part of the scan, later paints only the new lines
        appendEveryThird(0);
        worker1.join();
        worker2.join();
        QCOMPARE(failures.load(), 0);
        QCOMPARE(NuvGetPointCount(m_handle), int64_t(points) * lines);

        QCOMPARE(NuvSetPerspective(m_handle, NUV3D_ORTHOGRAPHIC), 0);
        m_parent->findChild<Nuv3DWindow*>()->findChild<QAbstractButton*>(QStringLiteral("btn3DTop"))->click();
        const PixelStats s = analyse(grab());
        // Seen from the top the scan covers a good part of the view; low points blue, high ones red.
        QVERIFY2(s.foreground > 480 * 360 / 10, qPrintable(QString::number(s.foreground)));
        QVERIFY2(s.bluish > s.foreground / 10, qPrintable(QString::number(s.bluish)));
        QVERIFY2(s.reddish > s.foreground / 10, qPrintable(QString::number(s.reddish)));
    }

    void pictureGoesWithClear_data() {
        QTest::addColumn<int>("mode");
        QTest::newRow("height colours") << int(NUV3D_MODE_HEIGHT);
        QTest::newRow("brightness") << int(NUV3D_MODE_BRIGHTNESS);
    }

    void pictureGoesWithClear() {
        QFETCH(int, mode);
        const int points = 80, lines = 60;
        const bool brightness = mode == NUV3D_MODE_BRIGHTNESS;
        const int stream = setupRamp(m_handle, points, lines, mode);
        const std::vector<uint16_t> image = rampImage(points, lines);
        const std::vector<uint8_t> grey(image.size(), 200);
        QCOMPARE(NuvAppendDataStream(m_handle, stream, image.data(), brightness ? grey.data() : nullptr, 2, 0,
                                     lines - 1),
                 0);
        QCOMPARE(Nuv3DZoomFitWnd(m_handle), 0);
        PixelStats s = analyse(grab());
        QVERIFY(s.foreground > 0);
        QCOMPARE(s.grey == s.foreground, brightness);
        if (brightness) {
            // The tool bar's height colouring overrides the brightness.
            m_parent->findChild<Nuv3DWindow*>()
                ->findChild<QAbstractButton*>(QStringLiteral("btn3DHeightColours"))
                ->click();
            s = analyse(grab());
            QVERIFY(s.bluish > 0 && s.reddish > 0);
        }
        QVERIFY(m_view->gpuBytes() >= size_t(points * lines * 16));
        // Cleared while hidden, so no paint follows: the GL buffer is given back all the same.
        m_parent->hide();
        QCOMPARE(NuvClearAllRangeImage(m_handle), 0);
        QTRY_COMPARE(m_view->gpuBytes(), size_t(0));
        m_parent->show();
        QCOMPARE(analyse(grab()).foreground, 0);
        // A new scan after the clear draws again.
        const int next = setupRamp(m_handle, points, lines);
        QCOMPARE(NuvAppendDataStream(m_handle, next, image.data(), nullptr, 2, 0, 19), 0);
        QVERIFY(analyse(grab()).foreground > 0);
    }

    void projectionAndGesturesReachTheView() {
        QVERIFY(!m_view->isOrthographic());
        std::thread([&] { NuvSetPerspective(m_handle, NUV3D_ORTHOGRAPHIC); }).join();
        QTRY_VERIFY(m_view->isOrthographic());
        QCOMPARE(NuvSetPerspective(m_handle, NUV3D_PERSPECTIVE), 0);
        QVERIFY(!m_view->isOrthographic());

        const int stream = setupRamp(m_handle, 40, 40);
        const std::vector<uint16_t> image = rampImage(40, 40);
        QCOMPARE(NuvAppendDataStream(m_handle, stream, image.data(), nullptr, 2, 0, 39), 0);
        QCOMPARE(Nuv3DZoomFitWnd(m_handle), 0);
        const float yaw = m_view->camera().yaw();
        const QPoint centre = m_view->rect().center();
        QTest::mousePress(m_view, Qt::LeftButton, {}, centre);
        QMouseEvent drag(QEvent::MouseMove, centre + QPoint(40, 0), Qt::LeftButton, Qt::LeftButton, {});
        QCoreApplication::sendEvent(m_view, &drag);
        QTest::mouseRelease(m_view, Qt::LeftButton, {}, centre + QPoint(40, 0));
        QVERIFY(m_view->camera().yaw() != yaw);

        const QVector3D target = m_view->camera().target();
        QTest::mousePress(m_view, Qt::RightButton, {}, centre);
        QMouseEvent pan(QEvent::MouseMove, centre + QPoint(0, 30), Qt::RightButton, Qt::RightButton, {});
        QCoreApplication::sendEvent(m_view, &pan);
        QVERIFY(m_view->camera().target() != target);

        const float distance = m_view->camera().distance();
        QWheelEvent wheel(QPointF(centre), QPointF(m_view->mapToGlobal(centre)), QPoint(), QPoint(0, 240),
                          Qt::NoButton, {}, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(m_view, &wheel);
        QVERIFY(m_view->camera().distance() < distance);
        QVERIFY(!grab().isNull());
    }

    void destroyWhileStreaming() {
        const std::vector<uint16_t> image = rampImage(100, 300);
        LoopingAppenders workers(m_handle, setupRamp(m_handle, 100, 300), image, 100, false);
        // Let some repaints with uploads happen while the workers keep appending.
        for (int i = 0; i < 5; ++i) {
            grab();
        }
        QVERIFY(NuvGetPointCount(m_handle) > 0);
        QCOMPARE(NuvDestory3DWnd(m_handle), 0);
        QCOMPARE(workers.join(), 0);
        QVERIFY(!m_parent->findChild<Nuv3DView*>());
        m_handle = 0;
    }

private:
    QImage grab() {
        QCoreApplication::processEvents();
        return m_view->grabFramebuffer();
    }

    std::unique_ptr<QWidget> m_parent;
    int64_t m_handle = 0;
    Nuv3DView* m_view = nullptr;
};

QTEST_MAIN(tst_Nuv3DGraphicsGL)
#include "tst_nuv3dgraphics_gl.moc"
