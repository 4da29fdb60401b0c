// ProfilePlot: remembered limits, area lines picked, dragged and dropped with the mouse, and bad data.
#define QTEST_QPA_MOUSE_HANDLING
#include <QSignalSpy>
#include <QtTest>
#include <cmath>
#include <limits>

#include <qwt_plot_curve.h>

#include "CustomPlot.h"
#include "CustomPlotCanvas.h"
#include "PlotHost.h"
#include "ProfilePlot.h"

namespace {
// Records presses that reach a widget, as the profiler view does to select its pane.
class PressWatcher : public QObject {
public:
    int presses = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonPress) {
            ++presses;
        }
        return QObject::eventFilter(watched, event);
    }
};
}  // namespace

class TestProfilePlot : public QObject, private TestSupport::PlotHost<ProfilePlot> {
    Q_OBJECT

private slots:
    void init() { QVERIFY(openPlot(900, 600)); }

    void cleanup() { m_plot.reset(); }

    void rangesAndLimits() {
        // A remembered range becomes the limit zooming out stops at.
        m_plot->setXRange(-50, 50);
        QCOMPARE(m_plot->plot()->xUpperLimit(), 50.0f);
        m_plot->zoomIn();
        QVERIFY(axisRange(QwtPlot::xBottom)[1] < 50.0);
        // One that is not remembered keeps the limits.
        m_plot->setYRange(-2, 3, false);
        QVERIFY(!m_plot->remembersLimits());
        QCOMPARE(axisRange(QwtPlot::yLeft)[2], 0.5);
        for (int i = 0; i < 20; ++i)
            m_plot->zoomOut();
        QCOMPARE(axisRange(QwtPlot::xBottom), (QVector<double>{-50, 50, 10}));
        QCOMPARE(axisRange(QwtPlot::yLeft)[0], -9.0);
        // Invalid ranges are ignored.
        m_plot->setXRange(5, 5);
        m_plot->setXRange(3, -3);
        m_plot->setYRange(qQNaN(), 1);
        m_plot->setYRange(0, qInf());
        QCOMPARE(m_plot->plot()->xLowerLimit(), -50.0f);
        QCOMPARE(m_plot->plot()->yUpperLimit(), 9.0f);
    }

    void pickArea_data() {
        QTest::addColumn<double>("pressX");
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("expected");
        // Lines at -2, -0.1 (area 1) and 0.1, 2 (area 2).
        QTest::newRow("on line 1") << -2.0 << int(Qt::LeftButton) << 1;
        QTest::newRow("just inside left of line 1") << -2.2 << int(Qt::LeftButton) << 1;
        QTest::newRow("outside line 1") << -2.4 << int(Qt::LeftButton) << 0;
        QTest::newRow("between lines 2 and 3 picks the lower index") << 0.0 << int(Qt::LeftButton) << 2;
        QTest::newRow("closer to line 3 still picks 2") << 0.08 << int(Qt::LeftButton) << 2;
        QTest::newRow("only line 3") << 0.3 << int(Qt::LeftButton) << 3;
        QTest::newRow("line 4") << 2.2 << int(Qt::LeftButton) << 4;
        QTest::newRow("nowhere") << -1.0 << int(Qt::LeftButton) << 0;
        QTest::newRow("right button on line 1") << -2.0 << int(Qt::RightButton) << 0;
    }

    void pickArea() {
        QFETCH(double, pressX);
        QFETCH(int, button);
        QFETCH(int, expected);
        setUpAreas(-2.0, -0.1, 0.1, 2.0);
        CustomPlotCanvas* canvas = m_plot->canvas();
        QTest::mousePress(canvas, Qt::MouseButton(button), Qt::NoModifier, pixelFor(pressX));
        QCOMPARE(canvas->selectedArea(), expected);
        QCOMPARE(canvas->isDragging(), expected != 0);
        QTest::mouseRelease(canvas, Qt::MouseButton(button), Qt::NoModifier, pixelFor(pressX));
        // Release does not end the drag: the line keeps following until the next click.
        QCOMPARE(canvas->isDragging(), expected != 0);
    }

    void hoverDragAndDropAreaLine() {
        setUpAreas(-2.0, -1.0, 1.0, 2.0);
        QSignalSpy spy(m_plot.get(), &ProfilePlot::areaValueChanged);
        CustomPlotCanvas* canvas = m_plot->canvas();
        const double pixelWidth = 18.0 / canvas->width();
        // Hovering highlights the nearest line.
        QTest::mouseMove(canvas, pixelFor(-4.0, 0.0));
        QTest::mouseMove(canvas, pixelFor(-1.1, 0.0));
        QCOMPARE(m_plot->areaLine(2).linePen().widthF(), 3.0);
        QCOMPARE(m_plot->areaLine(1).linePen().widthF(), 1.5);
        QCOMPARE(m_plot->areaLine(2).linePen().color(), QColor(186, 186, 22, 255));
        // Away from every line all go back to the normal width, colours kept.
        QTest::mouseMove(canvas, pixelFor(5.0, 0.0));
        for (int index = 1; index <= 4; ++index) {
            QCOMPARE(m_plot->areaLine(index).linePen().widthF(), 1.5);
            QCOMPARE(m_plot->areaLine(index).linePen().style(), Qt::SolidLine);
        }
        QCOMPARE(m_plot->areaLine(3).linePen().color(), QColor(148, 104, 47, 255));

        QTest::mousePress(canvas, Qt::LeftButton, Qt::NoModifier, pixelFor(1.05, 3.0));
        QTest::mouseRelease(canvas, Qt::LeftButton, Qt::NoModifier, pixelFor(1.05, 3.0));
        QCOMPARE(canvas->selectedArea(), 3);

        // The line follows the mouse (no button held) but the stored area is unchanged until the drop.
        QTest::mouseMove(canvas, pixelFor(0.0, 1.0));
        QTest::mouseMove(canvas, pixelFor(0.5, -2.0));
        QVERIFY(std::abs(m_plot->areaLine(3).xValue() - 0.5) < 2 * pixelWidth);
        QCOMPARE(m_plot->areaLine(3).yValue(), 0.0);
        QCOMPARE(m_plot->areaPositions().value(3), 1.0);
        QCOMPARE(spy.count(), 0);
        // Other lines stay where they are.
        QCOMPARE(m_plot->areaLine(4).xValue(), 2.0);

        QTest::mousePress(canvas, Qt::LeftButton, Qt::NoModifier, pixelFor(0.6, 0.0));
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toInt(), 3);
        const double dropped = spy.at(0).at(1).toDouble();
        QVERIFY(std::abs(dropped - 0.6) < 2 * pixelWidth);
        QCOMPARE(m_plot->areaPositions().value(3), dropped);
        QCOMPARE(m_plot->areaLine(3).xValue(), dropped);
        QVERIFY(!canvas->isDragging());
        QTest::mouseRelease(canvas, Qt::LeftButton, Qt::NoModifier, pixelFor(0.6, 0.0));

        // After the drop, moving the mouse no longer moves the line.
        QTest::mouseMove(canvas, pixelFor(-5.0, 0.0));
        QCOMPARE(m_plot->areaLine(3).xValue(), dropped);

        // The dropped line is picked at its new place, not the old one.
        QTest::mousePress(canvas, Qt::LeftButton, Qt::NoModifier, pixelFor(1.0, 0.0));
        QCOMPARE(canvas->selectedArea(), 0);
        QTest::mouseRelease(canvas, Qt::LeftButton, Qt::NoModifier, pixelFor(1.0, 0.0));
        QTest::mousePress(canvas, Qt::LeftButton, Qt::NoModifier, pixelFor(dropped, 0.0));
        QCOMPARE(canvas->selectedArea(), 3);
    }

    void plainCanvasWithoutAreas() {
        // Without areas a click travels up like on any canvas, so the profiler view can select its pane.
        PressWatcher watcher;
        m_plot->installEventFilter(&watcher);
        QTest::mouseClick(m_plot->canvas(), Qt::LeftButton, Qt::NoModifier, pixelFor(0.0, 0.0));
        QCOMPARE(watcher.presses, 1);
        QVERIFY(!m_plot->canvas()->isDragging());
        // Lines shown but no positions set yet: still plain.
        m_plot->showAreaLines();
        QTest::mouseClick(m_plot->canvas(), Qt::LeftButton, Qt::NoModifier, pixelFor(0.0, 0.0));
        QCOMPARE(watcher.presses, 2);
        m_plot->removeEventFilter(&watcher);
    }

    void samplesOfAnyShape_data() {
        QTest::addColumn<QVector<double>>("x");
        QTest::addColumn<QVector<double>>("y");
        QTest::addColumn<int>("drawn");
        const double nan = std::numeric_limits<double>::quiet_NaN();
        const double inf = std::numeric_limits<double>::infinity();
        QTest::newRow("empty") << QVector<double>() << QVector<double>() << 0;
        QTest::newRow("single point") << QVector<double>{0.5} << QVector<double>{1.5} << 1;
        QTest::newRow("nan and inf dropped")
            << QVector<double>{-1, 0, 1, 2} << QVector<double>{nan, 1, inf, -inf} << 1;
        QTest::newRow("y shorter than x") << QVector<double>{-1, 0, 1, 2} << QVector<double>{3, 4} << 2;
        QTest::newRow("x shorter than y") << QVector<double>{-1} << QVector<double>{3, 4, 5} << 1;
        QTest::newRow("far outside the range")
            << QVector<double>{-1e300, 0, 1e300} << QVector<double>{1e300, -1048576.0, 0} << 3;
    }

    void samplesOfAnyShape() {
        QFETCH(QVector<double>, x);
        QFETCH(QVector<double>, y);
        m_plot->setData(x, y);
        QTEST(int(m_plot->curve()->dataSize()), "drawn");
        // Painting such data must not fail either.
        QVERIFY(!m_plot->grab().isNull());
        m_plot->setSamples({});
        QCOMPARE(int(m_plot->curve()->dataSize()), 0);
    }

private:
    void setUpAreas(double l1, double r1, double l2, double r2) {
        m_plot->showAreaLines();
        m_plot->setFirstArea(QPointF(l1, 9.0), QPointF(r1, -9.0));
        m_plot->setSecondArea(QPointF(l2, 9.0), QPointF(r2, -9.0));
    }
};

QTEST_MAIN(TestProfilePlot)
#include "tst_profileplot.moc"
