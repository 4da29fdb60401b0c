// Shapes, overlays and their mouse editing on the 2D display widget.
#include <QGraphicsView>
#include <QtTest>
#include <cmath>
#include <limits>

#include "DisplayHost.h"
#include "NuvImage.h"
#include "NuvOverlay.h"
#include "NuvPixelFormat.h"
#include "NuvROI.h"
#include "ZMKImageView.h"
#include "ZMKImageWnd.h"

Q_DECLARE_METATYPE(NuvROI)

namespace {
NuvROI rect(double x1, double y1, double x2, double y2) {
    NuvROI r;
    r.GenRect(NuvPoint(x1, y1), NuvPoint(x2, y2));
    return r;
}

NuvROI rect2(double cx, double cy, double l1, double l2, double angle) {
    NuvROI r;
    r.GenRect2(NuvPoint(cx, cy), l1, l2, angle);
    return r;
}

NuvROI line(double x1, double y1, double x2, double y2) {
    NuvROI r;
    r.GenLine(NuvPoint(x1, y1), NuvPoint(x2, y2));
    return r;
}

QPointF toQ(const NuvPoint& p) {
    return QPointF(p.x, p.y);
}

// Every corner (end point) of `after` lies within `tolerance` of the one of `before` shifted by `delta`.
bool shiftedBy(const NuvROI& before, const NuvROI& after, const QPointF& delta, double tolerance = 1e-6) {
    const NuvPointArray a = before.corners(), b = after.corners();
    if (a.size() != b.size() || before.type() != after.type()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (QLineF(toQ(a[i]) + delta, toQ(b[i])).length() > tolerance) return false;
    }
    return true;
}
}  // namespace

class TestZMKImageWndShapes : public QObject, protected TestSupport::DisplayHost {
    Q_OBJECT

private:
    // Viewport pixel whose centre lies on image point p.
    QPoint at(const QPointF& p) const {
        const QPointF d = view()->viewportTransform().map(p);
        return QPoint(int(std::floor(d.x())), int(std::floor(d.y())));
    }
    QPointF imageAt(const QPoint& viewportPos) const { return view()->mapToImage(viewportPos); }
    // Press, move in a few steps, release; returns the image-space displacement of the mouse.
    QPointF drag(const QPoint& from, const QPoint& to) {
        press(from);
        for (int i = 1; i <= 4; ++i)
            hover(from + (to - from) * i / 4);
        release(to);
        return imageAt(to) - imageAt(from);
    }

private slots:
    void init() {
        QVERIFY(openDisplay());
        QCOMPARE(m_wnd->setBackground(NuvImage(400, 300, NuvPixelFormat::Mono8)), 0);
        QCOMPARE(m_wnd->zoomReset(), 0);
    }
    void cleanup() { closeDisplay(); }

    void roiRoundTrip_data() {
        QTest::addColumn<NuvROI>("roi");
        QTest::addColumn<int>("layer");
        QTest::newRow("rect") << rect(10.25, 20, 110, 220.5) << 1;
        QTest::newRow("rect2") << rect2(150, 120.5, 80, 30, 30) << 1;
        QTest::newRow("rect2 negative angle") << rect2(50, 60, 10, 70, -120) << 1;
        QTest::newRow("line") << line(0, 0, 400, 300) << 1;
        QTest::newRow("line layer 0") << line(5, 6, 7, 8) << 0;
        QTest::newRow("rect outside image") << rect(-50, -50, 1000, 900) << 1;
    }

    void roiRoundTrip() {
        QFETCH(NuvROI, roi);
        QFETCH(int, layer);
        QCOMPARE(m_wnd->setPen(255, 0, 0, 2), 0);
        const int id = m_wnd->displayROI(roi, ZMKImageWnd::Layer(layer));
        QVERIFY(id >= 0);
        NuvROI back;
        QCOMPARE(m_wnd->getROIShape(id, &back), 0);
        QVERIFY(back == roi);
        // Zooming changes nothing in image coordinates.
        m_wnd->zoomIn();
        m_wnd->zoomFitWnd();
        QCOMPARE(m_wnd->getROIShape(id, &back), 0);
        QVERIFY(back == roi);
    }

    void badShapesAndUnknownIds() {
        NuvROI none;
        const double nan = std::numeric_limits<double>::quiet_NaN();
        QCOMPARE(m_wnd->displayROI(none, ZMKImageWnd::LayerShape), -1);
        QCOMPARE(m_wnd->displayROI(rect(nan, 0, 10, 10), ZMKImageWnd::LayerShape), -1);
        QCOMPARE(m_wnd->displayROI(rect2(10, 10, 5, 5, std::numeric_limits<double>::infinity()),
                                   ZMKImageWnd::LayerShape),
                 -1);
        QCOMPARE(m_wnd->displayROI(rect(0, 0, 10, 10), ZMKImageWnd::Layer(7)), -1);
        NuvROI r;
        for (int id : {-1, 0, 12345}) {
            QCOMPARE(m_wnd->removeShape(id), -1);
            QCOMPARE(m_wnd->selectShape(id), -1);
            QCOMPARE(m_wnd->setShapeMovable(id, false), -1);
            QCOMPARE(m_wnd->setShapeSelectable(id, false), -1);
            QCOMPARE(m_wnd->getROIShape(id, &r), -1);
        }
        // Ids are never reused, overlays included; an overlay has no ROI.
        const int a = m_wnd->displayROI(rect(0, 0, 10, 10), ZMKImageWnd::LayerShape);
        QVERIFY(a >= 0);
        QCOMPARE(m_wnd->removeShape(a), 0);
        QCOMPARE(m_wnd->removeShape(a), -1);
        QCOMPARE(m_wnd->getROIShape(a, &r), -1);
        NuvOverlayPath circle;
        circle.addCircle(NuvPoint(5, 5), 2);
        const int overlay = m_wnd->displayOverlayPath(circle, ZMKImageWnd::LayerOverlay);
        QVERIFY(overlay > a);
        QCOMPARE(m_wnd->getROIShape(overlay, &r), -1);
        const int id = m_wnd->displayROI(rect(0, 0, 10, 10), ZMKImageWnd::LayerShape);
        QVERIFY(id > overlay);
        QCOMPARE(m_wnd->getROIShape(id, nullptr), -1);
        NuvOverlayPath empty;
        QCOMPARE(m_wnd->displayOverlayPath(empty, ZMKImageWnd::LayerOverlay), -1);
        NuvOverlayPath invalid;
        invalid.addCircle(NuvPoint(nan, 1), 3);
        invalid.addOverlay(NuvOverlay::polyline({NuvPoint(0, 0), NuvPoint(1, nan)}));
        QCOMPARE(m_wnd->displayOverlayPath(invalid, ZMKImageWnd::LayerOverlay), -1);
        QCOMPARE(m_wnd->clearLayer(ZMKImageWnd::Layer(3)), -1);
        QCOMPARE(m_wnd->setPen(1, 2, 3, std::numeric_limits<unsigned>::max()), 0);
        QVERIFY(m_wnd->displayROI(rect(0, 0, 10, 10), ZMKImageWnd::LayerShape) > id);
    }

    void dragMovesShape_data() {
        QTest::addColumn<NuvROI>("roi");
        QTest::addColumn<QPointF>("grip");
        QTest::addColumn<double>("zoom");
        QTest::newRow("rect 1:1") << rect(100, 100, 200, 150) << QPointF(150, 125) << 1.0;
        QTest::newRow("rect zoomed in") << rect(100, 100, 200, 150) << QPointF(150, 125) << 2.0;
        QTest::newRow("rect zoomed out") << rect(100, 100, 200, 150) << QPointF(150, 125) << 0.5;
        QTest::newRow("rect2") << rect2(200, 150, 120, 40, 45) << QPointF(200, 150) << 1.0;
        QTest::newRow("line") << line(50, 50, 250, 250) << QPointF(150, 150) << 1.5;
    }

    void dragMovesShape() {
        QFETCH(NuvROI, roi);
        QFETCH(QPointF, grip);
        QFETCH(double, zoom);
        QCOMPARE(m_wnd->zoom(zoom), 0);
        const int id = m_wnd->displayROI(roi, ZMKImageWnd::LayerShape);
        QSignalSpy clicked(m_wnd.get(), &ZMKImageWnd::shapeClicked);
        QSignalSpy moved(m_wnd.get(), &ZMKImageWnd::shapeMoved);
        QSignalSpy resized(m_wnd.get(), &ZMKImageWnd::shapeResized);
        const QPoint from = at(grip);
        const QPointF delta = drag(from, from + QPoint(30, 20));
        QCOMPARE(clicked.count(), 1);
        QCOMPARE(clicked.at(0).at(0).toLongLong(), qlonglong(id));
        QCOMPARE(moved.count(), 1);
        QCOMPARE(moved.at(0).at(0).toLongLong(), qlonglong(id));
        QCOMPARE(resized.count(), 0);
        NuvROI after;
        QCOMPARE(m_wnd->getROIShape(id, &after), 0);
        QVERIFY(std::fabs(delta.x() - 30.0 / zoom) < 1e-6);
        QVERIFY(shiftedBy(roi, after, delta));
        // A click without movement is no move.
        press(at(grip + delta));
        release(at(grip + delta));
        QCOMPARE(moved.count(), 1);
        QCOMPARE(clicked.count(), 2);
    }

    void handleDragResizes_data() {
        QTest::addColumn<NuvROI>("roi");
        QTest::addColumn<QPointF>("handle");
        QTest::addColumn<QPointF>("target");
        QTest::addColumn<NuvROI>("expected");
        QTest::newRow("rect corner") << rect(100, 100, 200, 150) << QPointF(200, 150) << QPointF(240, 180)
                                     << rect(100, 100, 240, 180);
        QTest::newRow("rect top edge")
            << rect(100, 100, 200, 150) << QPointF(150, 100) << QPointF(170, 60) << rect(100, 60, 200, 150);
        QTest::newRow("rect corner crossing")
            << rect(100, 100, 200, 150) << QPointF(100, 100) << QPointF(250, 160) << rect(200, 150, 250, 160);
        QTest::newRow("line end") << line(50, 50, 250, 250) << QPointF(50, 50) << QPointF(20, 80)
                                  << line(20, 80, 250, 250);
        // Right edge of an unrotated Rect2 widens it; the left edge stays.
        QTest::newRow("rect2 edge") << rect2(200, 150, 100, 40, 0) << QPointF(250, 150) << QPointF(270, 150)
                                    << rect2(210, 150, 120, 40, 0);
        // The rotation grip sits 20 screen pixels beyond the right edge; straight up is 90 degrees.
        QTest::newRow("rect2 rotate") << rect2(200, 150, 100, 40, 0) << QPointF(270, 150) << QPointF(200, 50)
                                      << rect2(200, 150, 100, 40, 90);
    }

    void handleDragResizes() {
        QFETCH(NuvROI, roi);
        QFETCH(QPointF, handle);
        QFETCH(QPointF, target);
        QFETCH(NuvROI, expected);
        const int id = m_wnd->displayROI(roi, ZMKImageWnd::LayerShape);
        QCOMPARE(m_wnd->selectShape(id), 0);
        QSignalSpy moved(m_wnd.get(), &ZMKImageWnd::shapeMoved);
        QSignalSpy resized(m_wnd.get(), &ZMKImageWnd::shapeResized);
        QSignalSpy clicks(m_wnd.get(), &ZMKImageWnd::mouseClicked);
        // Aim at the pixel centres so that image positions come out whole.
        press(at(handle));
        hover(at(target + QPointF(0.5, 0.5)));
        release(at(target + QPointF(0.5, 0.5)));
        QCOMPARE(resized.count(), 1);
        QCOMPARE(resized.at(0).at(0).toLongLong(), qlonglong(id));
        QCOMPARE(moved.count(), 0);
        QCOMPARE(clicks.count(), 0);  // a handle press is not a click on the image
        NuvROI after;
        QCOMPARE(m_wnd->getROIShape(id, &after), 0);
        QVERIFY(shiftedBy(expected, after, QPointF(), 0.6));
    }

    void firstPressSelectsThenHandlesResize() {
        const int id = m_wnd->displayROI(rect(100, 100, 200, 150), ZMKImageWnd::LayerShape);
        QSignalSpy resized(m_wnd.get(), &ZMKImageWnd::shapeResized);
        // Not selected yet: no handles, so a press on the corner grabs the whole shape.
        QCOMPARE(view()->selectedShape(), -1);
        drag(at(QPointF(200, 150)), at(QPointF(200, 150)) + QPoint(10, 0));
        QCOMPARE(resized.count(), 0);
        QCOMPARE(view()->selectedShape(), id);
        NuvROI r;
        QCOMPARE(m_wnd->getROIShape(id, &r), 0);
        QVERIFY(shiftedBy(rect(100, 100, 200, 150), r, QPointF(10, 0)));
        drag(at(QPointF(210, 150)), at(QPointF(230, 170)));
        QCOMPARE(resized.count(), 1);
        // Pressing empty space drops the selection.
        press(QPoint(5, 5));
        release(QPoint(5, 5));
        QCOMPARE(view()->selectedShape(), -1);
    }

    void lockedShapesStayPut() {
        const NuvROI roi = rect(100, 100, 200, 150);
        const int id = m_wnd->displayROI(roi, ZMKImageWnd::LayerShape);
        QCOMPARE(m_wnd->setShapeMovable(id, false), 0);
        QCOMPARE(m_wnd->selectShape(id), 0);
        QSignalSpy clicked(m_wnd.get(), &ZMKImageWnd::shapeClicked);
        QSignalSpy moved(m_wnd.get(), &ZMKImageWnd::shapeMoved);
        QSignalSpy resized(m_wnd.get(), &ZMKImageWnd::shapeResized);
        drag(at(QPointF(150, 125)), at(QPointF(150, 125)) + QPoint(40, 40));
        drag(at(QPointF(200, 150)), at(QPointF(200, 150)) + QPoint(40, 40));  // corner handle too
        QCOMPARE(clicked.count(), 2);
        QCOMPARE(moved.count(), 0);
        QCOMPARE(resized.count(), 0);
        NuvROI after;
        QCOMPARE(m_wnd->getROIShape(id, &after), 0);
        QVERIFY(after == roi);
        // Neither movable nor selectable: the mouse passes through to the image.
        QCOMPARE(m_wnd->setShapeSelectable(id, false), 0);
        QCOMPARE(view()->selectedShape(), -1);
        QCOMPARE(m_wnd->selectShape(id), -1);
        QSignalSpy imageClicks(m_wnd.get(), &ZMKImageWnd::mouseClicked);
        press(at(QPointF(150, 125)));
        release(at(QPointF(150, 125)));
        QCOMPARE(clicked.count(), 2);
        QCOMPARE(imageClicks.count(), 1);
        // Movable again.
        QCOMPARE(m_wnd->setShapeMovable(id, true), 0);
        drag(at(QPointF(150, 125)), at(QPointF(150, 125)) + QPoint(5, 0));
        QCOMPARE(moved.count(), 1);
        // Shapes of the overlay layer ignore the mouse altogether.
        const int fixed = m_wnd->displayROI(rect(250, 200, 350, 250), ZMKImageWnd::LayerOverlay);
        const int clicks = clicked.count();
        drag(at(QPointF(300, 225)), at(QPointF(300, 225)) + QPoint(20, 0));
        QCOMPARE(clicked.count(), clicks);
        QCOMPARE(m_wnd->getROIShape(fixed, &after), 0);
        QVERIFY(after == rect(250, 200, 350, 250));
    }

    void drawRectCreatesShapeOnceAndClamped() {
        QCOMPARE(m_wnd->setPen(0, 0, 255, 0), 0);
        QCOMPARE(m_wnd->drawRect(), 0);
        QStringList events;
        connect(m_wnd.get(), &ZMKImageWnd::shapeClicked, this,
                [&](long id) { events << QString("clicked %1").arg(id); });
        connect(m_wnd.get(), &ZMKImageWnd::shapeResized, this,
                [&](long id) { events << QString("resized %1").arg(id); });
        QSignalSpy imageClicks(m_wnd.get(), &ZMKImageWnd::mouseClicked);
        const QPoint from = at(QPointF(50, 60)), to = at(QPointF(150, 160));
        drag(from, to);
        QCOMPARE(events.size(), 2);
        const int id = events.at(0).section(' ', 1).toInt();
        QVERIFY(id >= 0);
        QCOMPARE(events, (QStringList{QString("clicked %1").arg(id), QString("resized %1").arg(id)}));
        QCOMPARE(imageClicks.count(), 0);
        NuvROI r;
        QCOMPARE(m_wnd->getROIShape(id, &r), 0);
        QVERIFY(r == rect(imageAt(from).x(), imageAt(from).y(), imageAt(to).x(), imageAt(to).y()));
        QCOMPARE(view()->selectedShape(), id);
        QVERIFY(!view()->isDrawingRect());
        // The next drag is an ordinary one again.
        const int shapes = view()->itemCount(1);
        drag(QPoint(5, 5), QPoint(60, 40));
        QCOMPARE(view()->itemCount(1), shapes);
        // A click without a drag creates nothing and ends the mode.
        QCOMPARE(m_wnd->drawRect(), 0);
        press(at(QPointF(250, 60)));
        release(at(QPointF(250, 60)));
        QCOMPARE(view()->itemCount(1), shapes);
        QVERIFY(!view()->isDrawingRect());
        // Drawn across the image border: clamped to the image.
        QSignalSpy resized(m_wnd.get(), &ZMKImageWnd::shapeResized);
        QCOMPARE(m_wnd->drawRect(), 0);
        drag(at(QPointF(350, 250)), at(QPointF(350, 250)) + QPoint(100, 100));
        QCOMPARE(resized.count(), 1);
        QCOMPARE(m_wnd->getROIShape(int(resized.at(0).at(0).toLongLong()), &r), 0);
        NuvPoint tl, br;
        QVERIFY(r.GetRect(&tl, &br));
        QCOMPARE(br.x, 400.0);
        QCOMPARE(br.y, 300.0);
        // Escape cancels an armed drawing.
        QCOMPARE(m_wnd->drawRect(), 0);
        view()->setFocus();
        QTest::keyClick(view(), Qt::Key_Escape);
        QVERIFY(!view()->isDrawingRect());
    }

    void clearLayerKeepsTheOtherLayer() {
        NuvOverlayPath path;
        for (int i = 0; i < 3200; ++i)
            path.addCircle(NuvPoint(i % 400, i / 400 + 10), 0.15);
        path.addOverlay(NuvOverlay::line(NuvPoint(0, 0), NuvPoint(399, 299)));
        path.addOverlay(NuvOverlay::cross(NuvPoint(200, 150), 20));
        path.addOverlay(NuvOverlay::polyline({NuvPoint(1, 1), NuvPoint(5, 9), NuvPoint(30, 2)}));
        QCOMPARE(m_wnd->setPen(0, 255, 0, 0), 0);
        QVERIFY(m_wnd->displayOverlayPath(path, ZMKImageWnd::LayerOverlay) >= 0);
        const int fixed = m_wnd->displayROI(line(0, 0, 10, 10), ZMKImageWnd::LayerOverlay);
        const int shape = m_wnd->displayROI(rect(10, 10, 50, 50), ZMKImageWnd::LayerShape);
        QVERIFY(m_wnd->displayOverlayPath(path, ZMKImageWnd::LayerShape) >= 0);
        QCOMPARE(view()->itemCount(0), 2);
        QCOMPARE(view()->itemCount(1), 2);
        view()->viewport()->grab();  // paints every kind once
        QCOMPARE(m_wnd->clearLayer(ZMKImageWnd::LayerOverlay), 0);
        QCOMPARE(view()->itemCount(0), 0);
        QCOMPARE(view()->itemCount(1), 2);
        NuvROI r;
        QCOMPARE(m_wnd->getROIShape(fixed, &r), -1);
        QCOMPARE(m_wnd->getROIShape(shape, &r), 0);
        QCOMPARE(m_wnd->clearLayer(ZMKImageWnd::LayerShape), 0);
        QCOMPARE(view()->itemCount(1), 0);
        QCOMPARE(m_wnd->getROIShape(shape, &r), -1);
        // An overlay is drawn in the pen's colour and goes with its layer.
        QCOMPARE(m_wnd->setPen(0, 255, 0, 3), 0);
        NuvOverlayPath line;
        line.addOverlay(NuvOverlay::line(NuvPoint(0, 100.5), NuvPoint(400, 100.5)));
        QVERIFY(m_wnd->displayOverlayPath(line, ZMKImageWnd::LayerOverlay) >= 0);
        QCOMPARE(view()->viewport()->grab().toImage().pixel(at(QPointF(200, 100.5))), qRgb(0, 255, 0));
        QCOMPARE(m_wnd->clearLayer(ZMKImageWnd::LayerOverlay), 0);
        QCOMPARE(view()->viewport()->grab().toImage().pixel(at(QPointF(200, 100.5))), qRgb(0, 0, 0));
    }

    void slotRemovingTheShapeDuringAPress() {
        const int id = m_wnd->displayROI(rect(100, 100, 200, 150), ZMKImageWnd::LayerShape);
        connect(m_wnd.get(), &ZMKImageWnd::shapeClicked, this,
                [this](long clicked) { m_wnd->removeShape(int(clicked)); });
        QSignalSpy moved(m_wnd.get(), &ZMKImageWnd::shapeMoved);
        drag(at(QPointF(150, 125)), at(QPointF(150, 125)) + QPoint(30, 30));
        QCOMPARE(moved.count(), 0);
        NuvROI r;
        QCOMPARE(m_wnd->getROIShape(id, &r), -1);
    }

    void slotRedrawingTheShapeAfterAMove() {
        // The pane answers a move by removing the shape and drawing a corrected one.
        int current = m_wnd->displayROI(rect(100, 100, 200, 150), ZMKImageWnd::LayerShape);
        connect(m_wnd.get(), &ZMKImageWnd::shapeMoved, this, [&](long id) {
            NuvROI r;
            QCOMPARE(m_wnd->getROIShape(int(id), &r), 0);
            QCOMPARE(m_wnd->removeShape(int(id)), 0);
            current = m_wnd->displayROI(r, ZMKImageWnd::LayerShape);
            QCOMPARE(m_wnd->selectShape(current), 0);
        });
        const int first = current;
        drag(at(QPointF(150, 125)), at(QPointF(150, 125)) + QPoint(10, 10));
        QVERIFY(current > first);
        QCOMPARE(view()->selectedShape(), current);
        NuvROI r;
        QCOMPARE(m_wnd->getROIShape(current, &r), 0);
        QVERIFY(shiftedBy(rect(100, 100, 200, 150), r, QPointF(10, 10)));
    }

    void slotDestroyingTheWidget() {
        m_wnd->displayROI(rect(100, 100, 200, 150), ZMKImageWnd::LayerShape);
        connect(m_wnd.get(), &ZMKImageWnd::shapeMoved, this, [this]() { QCOMPARE(m_wnd->destory(), 0); });
        const QPoint from = at(QPointF(150, 125));
        press(from);
        hover(from + QPoint(10, 10));
        release(from + QPoint(10, 10));
        QCOMPARE(m_wnd->widget(), nullptr);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(m_host->findChildren<ZMKImageView*>().size(), 0);
    }
};

QTEST_MAIN(TestZMKImageWndShapes)
#include "tst_zmkimagewnd_shapes.moc"
