// Bounded wheel zoom, zoom commands, the range step rule and panning of CustomPlot.
#define QTEST_QPA_MOUSE_HANDLING
#include <QApplication>
#include <QWheelEvent>
#include <QtTest>
#include <cmath>

#include <qwt_plot_canvas.h>
#include <qwt_scale_div.h>
#include <qwt_text.h>

#include "CustomPlot.h"
#include "CustomPlotPanner.h"
#include "PointHoverPicker.h"

namespace {
using Ranges = QVector<double>;  // x lower, x upper, y lower, y upper

Ranges shownRanges(const CustomPlot& plot) {
    const QwtScaleDiv& x = plot.axisScaleDiv(QwtPlot::xBottom);
    const QwtScaleDiv& y = plot.axisScaleDiv(QwtPlot::yLeft);
    return {x.lowerBound(), x.upperBound(), y.lowerBound(), y.upperBound()};
}

// x and y step; 0 is automatic.
Ranges stepsOf(const CustomPlot& plot) {
    return {plot.axisStepSize(QwtPlot::xBottom), plot.axisStepSize(QwtPlot::yLeft)};
}

bool near(double a, double b, double eps = 1e-6) {
    return std::abs(a - b) <= eps;
}

bool near(const Ranges& a, const Ranges& b) {
    const auto close = [](double x, double y) { return near(x, y); };
    if (a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), close)) return true;
    qWarning() << a << "is not" << b;
    return false;
}

// A wheel turn as the window system delivers it: to the widget under the mouse, from where an
// ignored event travels up to its parents.
void sendWheel(QWidget* target, int delta) {
    const QPointF pos(target->width() / 2.0, target->height() / 2.0);
    QWheelEvent event(pos, target->mapToGlobal(pos.toPoint()), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    // Only spontaneous wheel events travel up from the widget under the mouse.
    QSpontaneKeyEvent::setSpontaneous(&event);
    qApp->notify(target, &event);
}
}  // namespace

class TestCustomPlot : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_plot = new CustomPlot();
        m_plot->resize(800, 600);
        m_panner = new CustomPlotPanner(m_plot->canvas());
        m_panner->setMouseButton(Qt::RightButton, Qt::NoModifier);
        m_plot->setAutoReplot(true);
        m_plot->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_plot));
        setRanges({-14, 14, -9, 9});
    }

    void cleanup() {
        delete m_plot;
        m_plot = nullptr;
    }

    void wheelZoom_data() {
        QTest::addColumn<Ranges>("before");
        QTest::addColumn<int>("delta");
        QTest::addColumn<Ranges>("after");
        QTest::addColumn<Ranges>("steps");
        const Ranges full{-14, 14, -9, 9}, fixedSteps{2.8, 1.8}, autoSteps{0, 0};
        // Zooming out from the full range stays at the limits with a tenth of the limit span as step.
        QTest::newRow("out at full range") << full << -120 << full << fixedSteps;
        QTest::newRow("zero delta zooms out") << full << 0 << full << fixedSteps;
        QTest::newRow("in from full range") << full << 120 << Ranges{-11.2, 11.2, -7.2, 7.2} << autoSteps;
        QTest::newRow("small forward delta")
            << Ranges{-10, 10, -5, 5} << 1 << Ranges{-8, 8, -4, 4} << autoSteps;
        QTest::newRow("out inside limits")
            << Ranges{-5, 5, -2, 2} << -120 << Ranges{-6, 6, -2.4, 2.4} << autoSteps;
        QTest::newRow("out cut at one limit")
            << Ranges{-13, 7, 0, 8.5} << -120 << Ranges{-14, 9, -0.85, 9} << autoSteps;
        // Reaching both limits exactly brings back the fixed step.
        QTest::newRow("out reaching both limits") << Ranges{-13, 13, -8.5, 8.5} << -120 << full << fixedSteps;
    }

    void wheelZoom() {
        QFETCH(Ranges, before);
        QFETCH(int, delta);
        QFETCH(Ranges, after);
        QFETCH(Ranges, steps);
        setRanges(before);
        // Wheel events reach the canvas first and travel up to the plot.
        sendWheel(m_plot->canvas(), delta);
        const Ranges wheeled = shownRanges(*m_plot);
        const Ranges wheeledSteps = stepsOf(*m_plot);
        // The zoom ratio is single precision: compare to its resolution.
        QVERIFY(near(wheeled, after));
        QVERIFY(near(wheeledSteps, steps));
        // The zoom commands do exactly what the wheel does.
        setRanges(before);
        delta > 0 ? m_plot->zoomIn() : m_plot->zoomOut();
        QCOMPARE(shownRanges(*m_plot), wheeled);
        QCOMPARE(stepsOf(*m_plot), wheeledSteps);
    }

    void zoomInHasNoLowerBound() {
        double lastSpan = 28.0;
        for (int i = 0; i < 60; ++i) {
            sendWheel(m_plot->canvas(), 120);
            const Ranges r = shownRanges(*m_plot);
            QVERIFY(r[1] - r[0] > 0.0 && r[1] - r[0] < lastSpan);
            QVERIFY(near(r[0] + r[1], 0.0, 1e-9));
            lastSpan = r[1] - r[0];
        }
        QVERIFY(lastSpan < 1e-3);
        // And back out: it ends exactly at the limits, never past them.
        for (int i = 0; i < 200; ++i)
            sendWheel(m_plot->canvas(), -120);
        QCOMPARE(shownRanges(*m_plot), (Ranges{-14, 14, -9, 9}));
    }

    void clampedSetters_data() {
        QTest::addColumn<QPointF>("range");
        QTest::addColumn<QPointF>("expected");
        QTest::addColumn<double>("step");
        QTest::newRow("inside") << QPointF(-3, 4) << QPointF(-3, 4) << 0.0;
        QTest::newRow("beyond both") << QPointF(-100, 100) << QPointF(-14, 14) << 2.8;
        QTest::newRow("beyond upper") << QPointF(0, 20) << QPointF(0, 14) << 0.0;
        QTest::newRow("exactly limits") << QPointF(-14, 14) << QPointF(-14, 14) << 2.8;
        // Degenerate or invalid ranges leave the axis as it was.
        QTest::newRow("inverted") << QPointF(5, -5) << QPointF(-14, 14) << 2.8;
        QTest::newRow("nan") << QPointF(qQNaN(), 3) << QPointF(-14, 14) << 2.8;
        QTest::newRow("empty after clamp") << QPointF(20, 30) << QPointF(-14, 14) << 2.8;
    }

    void clampedSetters() {
        QFETCH(QPointF, range);
        QFETCH(QPointF, expected);
        QFETCH(double, step);
        m_plot->setXAxisRange(-14, 14);
        m_plot->setXAxisRange(range.x(), range.y());
        QCOMPARE(shownRanges(*m_plot).mid(0, 2), (Ranges{expected.x(), expected.y()}));
        QVERIFY(near(stepsOf(*m_plot)[0], step));
    }

    void badLimitsAndRatioIgnored() {
        m_plot->setXLimits(5.0f, -5.0f);
        m_plot->setYLimits(qQNaN(), 1.0f);
        QVERIFY(m_plot->xLowerLimit() == -14.0f && m_plot->xUpperLimit() == 14.0f &&
                m_plot->yLowerLimit() == -9.0f);
        m_plot->setZoomRatio(0.5f);
        m_plot->setZoomRatio(-1.0f);
        QCOMPARE(m_plot->zoomRatio(), 0.1f);
    }

    void panKeepsSpanAwayFromLimits_data() {
        QTest::addColumn<int>("dx");
        QTest::addColumn<int>("dy");
        QTest::newRow("right") << 40 << 0;
        QTest::newRow("left") << -40 << 0;
        QTest::newRow("down") << 0 << 30;
        QTest::newRow("up") << 0 << -30;
        QTest::newRow("diagonal") << 25 << -25;
    }

    void panKeepsSpanAwayFromLimits() {
        QFETCH(int, dx);
        QFETCH(int, dy);
        setRanges({-4, 4, -3, 3});
        m_panner->moveCanvas(dx, dy);
        const Ranges r = shownRanges(*m_plot);
        QVERIFY(near(r[1] - r[0], 8.0));
        QVERIFY(near(r[3] - r[2], 6.0));
        // The content follows the mouse: dragging right shows smaller x, dragging down larger y.
        QCOMPARE(r[0]<-4.0 - 1e-9, dx> 0);
        QCOMPARE(r[0] > -4.0 + 1e-9, dx < 0);
        QCOMPARE(r[2] > -3.0 + 1e-9, dy > 0);
        QCOMPARE(r[2] < -3.0 - 1e-9, dy < 0);
        if (dx != 0) {
            // A whole canvas width of drag moves by a whole span.
            const double expected = -double(dx) * 8.0 / m_plot->canvas()->contentsRect().width();
            QVERIFY2(std::abs((r[0] + 4.0) - expected) < 0.05,
                     qPrintable(QStringLiteral("%1 vs %2").arg(r[0] + 4.0).arg(expected)));
        }
    }

    void panAgainstLimitWidens_data() {
        QTest::addColumn<Ranges>("before");
        QTest::addColumn<QPoint>("drag");
        QTest::addColumn<Ranges>("after");
        QTest::newRow("right past lower x")
            << Ranges{-13, 5, -3, 3} << QPoint(400, 0) << Ranges{-14, 5, -3, 3};
        QTest::newRow("left past upper x")
            << Ranges{-5, 13.5, -3, 3} << QPoint(-400, 0) << Ranges{-5, 14, -3, 3};
        QTest::newRow("up past lower y") << Ranges{-4, 4, -8.5, 2} << QPoint(0, -400) << Ranges{-4, 4, -9, 2};
        QTest::newRow("down past upper y") << Ranges{-4, 4, -2, 8} << QPoint(0, 400) << Ranges{-4, 4, -2, 9};
        QTest::newRow("full range stays")
            << Ranges{-14, 14, -9, 9} << QPoint(120, -90) << Ranges{-14, 14, -9, 9};
    }

    void panAgainstLimitWidens() {
        QFETCH(Ranges, before);
        QFETCH(QPoint, drag);
        QFETCH(Ranges, after);
        setRanges(before);
        m_panner->moveCanvas(drag.x(), drag.y());
        QCOMPARE(shownRanges(*m_plot), after);
        if (after == Ranges{-14, 14, -9, 9}) QVERIFY(near(stepsOf(*m_plot), Ranges{2.8, 1.8}));
    }

    void rightDragPansThroughPanner() {
        setRanges({-4, 4, -3, 3});
        QWidget* canvas = m_plot->canvas();
        const QPoint start = canvas->rect().center();
        QTest::mousePress(canvas, Qt::RightButton, Qt::NoModifier, start);
        QTest::mouseMove(canvas, start + QPoint(30, 0));
        QTest::mouseMove(canvas, start + QPoint(60, 0));
        QTest::mouseRelease(canvas, Qt::RightButton, Qt::NoModifier, start + QPoint(60, 0));
        const Ranges r = shownRanges(*m_plot);
        QVERIFY2(r[0] < -4.2, qPrintable(QString::number(r[0])));
        QVERIFY(near(r[1] - r[0], 8.0));
        // A left drag is no pan.
        QTest::mousePress(canvas, Qt::LeftButton, Qt::NoModifier, start);
        QTest::mouseMove(canvas, start + QPoint(60, 0));
        QTest::mouseRelease(canvas, Qt::LeftButton, Qt::NoModifier, start + QPoint(60, 0));
        QCOMPARE(shownRanges(*m_plot)[0], r[0]);
    }

    void pickerTrackerText_data() {
        QTest::addColumn<QPointF>("pos");
        QTest::addColumn<QString>("text");
        QTest::newRow("positive") << QPointF(1.234, 5.678) << QStringLiteral("(1.23, 5.68)");
        QTest::newRow("negative") << QPointF(-0.005, -12.5) << QStringLiteral("(-0.01, -12.50)");
        QTest::newRow("zero") << QPointF(0, 0) << QStringLiteral("(0.00, 0.00)");
    }

    void pickerTrackerText() {
        QFETCH(QPointF, pos);
        PointHoverPicker picker(m_plot->canvas());
        const QwtText text = picker.trackerTextF(pos);
        QTEST(text.text(), "text");
        QCOMPARE(text.color(), QColor(Qt::white));
    }

private:
    void setRanges(const Ranges& r) {
        m_plot->setAxisScale(QwtPlot::xBottom, r[0], r[1]);
        m_plot->setAxisScale(QwtPlot::yLeft, r[2], r[3]);
        m_plot->replot();
    }

    CustomPlot* m_plot = nullptr;
    CustomPlotPanner* m_panner = nullptr;
};

QTEST_MAIN(TestCustomPlot)
#include "tst_customplot.moc"
