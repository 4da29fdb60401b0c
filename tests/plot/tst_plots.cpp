// SPDX-License-Identifier: Apache-2.0
// The plot panels: CustomPlot's bounded wheel zoom, zoom commands, range step rule and panning;
// HistogramPlot's step zoom, remembered ranges, curve visibility and modes, and hover read-out;
// ProfilePlot's remembered limits, area lines picked, dragged and dropped with the mouse, and bad data.
#define QTEST_QPA_MOUSE_HANDLING
#include <QApplication>
#include <QLabel>
#include <QSignalSpy>
#include <QWheelEvent>
#include <QtTest>
#include <cmath>
#include <limits>

#include <qwt_plot.h>
#include <qwt_plot_canvas.h>
#include <qwt_plot_curve.h>
#include <qwt_scale_div.h>
#include <qwt_scale_widget.h>
#include <qwt_text.h>

#include "CToolTipWidget.h"
#include "CustomPlot.h"
#include "CustomPlotCanvas.h"
#include "CustomPlotPanner.h"
#include "HistogramPlot.h"
#include "PlotHost.h"
#include "PointHoverPicker.h"
#include "ProfilePlot.h"

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

QVector<double> ramp(int count, double factor, double offset) {
    QVector<double> values(count);
    for (int i = 0; i < count; ++i)
        values[i] = i * factor + offset;
    return values;
}

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

class TestHistogramPlot : public QObject, private TestSupport::PlotHost<HistogramPlot> {
    Q_OBJECT

private slots:
    void init() { QVERIFY(openPlot(700, 450)); }

    void cleanup() { m_plot.reset(); }

    void zoomStepRule_data() {
        QTest::addColumn<double>("span");
        QTest::addColumn<double>("step");
        QTest::newRow("370") << 370.0 << 30.0;
        QTest::newRow("99.9") << 99.9 << 9.0;
        QTest::newRow("9.99") << 9.99 << 0.0;
        QTest::newRow("0") << 0.0 << 0.0;
        QTest::newRow("negative") << -300.0 << 0.0;
        QTest::newRow("1234567") << 1234567.0 << 100000.0;
        QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN() << 0.0;
        QTest::newRow("inf") << std::numeric_limits<double>::infinity() << 0.0;
    }

    void zoomStepRule() {
        QFETCH(double, span);
        QTEST(HistogramPlot::zoomStep(span), "step");
    }

    void zoomInAndOut_data() {
        QTest::addColumn<double>("min");
        QTest::addColumn<double>("max");
        QTest::addColumn<bool>("in");
        QTest::addColumn<QVector<double>>("expected");  // lower, upper, step

        QTest::newRow("in 0..255") << 0.0 << 255.0 << true << QVector<double>{20, 235, 20};
        QTest::newRow("out 0..255") << 0.0 << 255.0 << false << QVector<double>{-20, 275, 20};
        QTest::newRow("in 0..1280") << 0.0 << 1280.0 << true << QVector<double>{100, 1180, 100};
        QTest::newRow("in span 10") << 0.0 << 10.0 << true << QVector<double>{1, 9, 1};
        // Spans under 10 have no whole step: nothing changes, in either direction.
        QTest::newRow("in span 8") << 1.0 << 9.0 << true << QVector<double>{1, 9, 2};
        QTest::newRow("out span 8") << 1.0 << 9.0 << false << QVector<double>{1, 9, 2};
        QTest::newRow("in span 0.5") << 3.0 << 3.5 << true << QVector<double>{3, 3.5, 2};
    }

    void zoomInAndOut() {
        QFETCH(double, min);
        QFETCH(double, max);
        QFETCH(bool, in);
        m_plot->setXRange(min, max, 2.0, true);
        m_plot->setYRange(min, max, 2.0, true);
        in ? m_plot->zoomIn() : m_plot->zoomOut();
        for (const int axisId : {int(QwtPlot::xBottom), int(QwtPlot::yLeft)})
            QTEST(axisRange(axisId), "expected");
    }

    // The small histogram beside a pane: grey-level labels never run into each other, and the
    // step comes back when the plot is wide again.
    void narrowPlotKeepsLabelsApart() {
        m_plot->setXRange(0, 255, 50, true);
        QCOMPARE(axisRange(QwtPlot::xBottom), (QVector<double>{0, 255, 50}));
        m_plot->setFixedSize(150, 120);  // as the pane's small histogram lays it out
        QTRY_VERIFY(m_plot->plot()->canvas()->width() < 140);
        m_plot->plot()->replot();
        const QwtScaleDiv& div = m_plot->plot()->axisScaleDiv(QwtPlot::xBottom);
        const QList<double> ticks = div.ticks(QwtScaleDiv::MajorTick);
        const QFontMetrics metrics(m_plot->plot()->axisWidget(QwtPlot::xBottom)->font());
        const QwtScaleMap map = m_plot->plot()->canvasMap(QwtPlot::xBottom);
        QVERIFY(ticks.size() >= 2);
        for (int i = 1; i < ticks.size(); ++i) {
            const double gap = map.transform(ticks[i]) - map.transform(ticks[i - 1]);
            const int halves = (metrics.horizontalAdvance(QString::number(ticks[i])) +
                                metrics.horizontalAdvance(QString::number(ticks[i - 1]))) /
                               2;
            QVERIFY2(gap > halves,
                     qPrintable(QString("labels %1 and %2 overlap").arg(ticks[i - 1]).arg(ticks[i])));
        }
        m_plot->setFixedSize(700, 450);
        QTRY_COMPARE(axisRange(QwtPlot::xBottom), (QVector<double>{0, 255, 50}));
    }

    void resetReappliesRememberedRanges() {
        m_plot->setYRange(0, 260, 50, true);
        m_plot->setXRange(0, 1280, 213, false);  // shown, not remembered
        m_plot->zoomIn();
        m_plot->zoomIn();
        m_plot->resetZoom();
        QCOMPARE(axisRange(QwtPlot::xBottom), (QVector<double>{0, 255, 50}));
        QCOMPARE(axisRange(QwtPlot::yLeft), (QVector<double>{0, 260, 50}));
        // Invalid ranges are ignored and not remembered.
        m_plot->setXRange(10, 10, 1, true);
        m_plot->setXRange(0, qInf(), 1, true);
        m_plot->resetZoom();
        QCOMPARE(axisRange(QwtPlot::xBottom)[1], 255.0);
    }

    void readOut_data() {
        QTest::addColumn<QVector<int>>("hidden");  // hidden curves; 0 is grey
        QTest::addColumn<int>("labelMode");
        QTest::addColumn<double>("x");
        QTest::addColumn<QStringList>("texts");  // the four rows, "-" for a hidden row

        const auto row = [](const char* name, QVector<int> hidden, int mode, double x, QStringList t) {
            QTest::newRow(name) << hidden << mode << x << t;
        };
        // Curve values: grey 0.5 * i + 0.7, red i, green 2 * i, blue 255 - i.
        row("grey at 100", {1, 2, 3}, 0, 100.6, {"X-axis: 100", "   Gray: 50", "-", "-"});
        row("grey at the upper end", {1, 2, 3}, 0, 255.0, {"X-axis: 255", "   Gray: 128", "-", "-"});
        row("grey at 0", {1, 2, 3}, 0, 0.2, {"X-axis: 0", "   Gray: 0", "-", "-"});
        row("grey beyond the range", {1, 2, 3}, 0, 300.0, {"X-axis: 300", "   Gray: 0", "-", "-"});
        row("grey left of the range", {1, 2, 3}, 0, -20.5, {"X-axis: -20", "   Gray: 0", "-", "-"});
        row("grey wins over colours", {}, 0, 10.0, {"X-axis: 10", "   Gray: 5", "-", "-"});
        row("colour line profile", {0}, 1, 40.0, {"Line: 40", "   Red: 40", "   Green: 80", "   Blue: 215"});
        row("colour column, green off", {0, 2}, 2, 7.9, {"Column: 7", "   Red: 7", "-", "   Blue: 248"});
        // Every curve hidden: no read-out at all.
        row("all curves hidden", {0, 1, 2, 3}, 0, 50.0, {"-", "-", "-", "-"});
    }

    void readOut() {
        QFETCH(QVector<int>, hidden);
        QFETCH(int, labelMode);
        QFETCH(double, x);
        QFETCH(QStringList, texts);

        const QVector<double> xs = ramp(256, 1, 0);
        m_plot->setCurveData(0, xs, ramp(256, 0.5, 0.7));
        m_plot->setCurveData(1, xs, ramp(256, 1, 0));
        m_plot->setCurveData(2, xs, ramp(256, 2, 0));
        m_plot->setCurveData(3, xs, ramp(256, -1, 255));
        for (const int channel : hidden)
            m_plot->setCurveHidden(channel, true);
        m_plot->setPositionLabelMode(labelMode);

        m_plot->onMovedPos(QPointF(x, 3.0));
        QCOMPARE(m_plot->lastPickerPosition(), QPointF(x, 3.0));

        const CToolTipWidget* tip = m_plot->toolTipWidget();
        QCOMPARE(tip->isVisible(), texts.first() != "-");
        if (!tip->isVisible()) return;
        QStringList shown;
        for (const QLabel* label : {tip->labelPosition, tip->labelValue1, tip->labelValue2, tip->labelValue3})
            shown << (label->isVisible() ? label->text() : QStringLiteral("-"));
        QCOMPARE(shown, texts);
        QCOMPARE(tip->height(), 25 * (4 - texts.count("-")) + 10);
        // The tip stays on the canvas.
        QVERIFY(m_plot->canvas()->rect().contains(tip->geometry().topLeft()));
        // The position line follows the read-out.
        QCOMPARE(m_plot->positionLine().xValue(), double(int(x)));
    }

    void hoverWithMouseShowsReadOut() {
        m_plot->setCurveData(0, ramp(256, 1, 0), ramp(256, 0.5, 0.7));
        for (int channel : {1, 2, 3})
            m_plot->setCurveHidden(channel, true);
        QVERIFY(!m_plot->toolTipWidget()->isVisible());
        QCOMPARE(m_plot->picker()->trackerMode(), QwtPicker::ActiveOnly);

        QSignalSpy moved(m_plot->picker(), &QwtPlotPicker::moved);
        CustomPlotCanvas* canvas = m_plot->canvas();
        // No button is held: the read-out follows plain hovering.
        for (const double x : {30.5, 60.5, 120.5})
            QTest::mouseMove(canvas, pixelFor(x, 5.0));
        QTRY_VERIFY(m_plot->toolTipWidget()->isVisible());
        QVERIFY(!moved.isEmpty());
        QCOMPARE(int(m_plot->lastPickerPosition().x()), 120);
        QCOMPARE(m_plot->toolTipWidget()->labelPosition->text(), QStringLiteral("X-axis: 120"));
        QCOMPARE(m_plot->toolTipWidget()->labelValue1->text(), QStringLiteral("   Gray: 60"));
        QCOMPARE(m_plot->pointMarker(0)->yValue(), 60.0);

        // Leaving the canvas ends the read-out.
        QTest::mouseMove(m_plot->plot(), QPoint(1, 1));
        QTRY_VERIFY(!m_plot->toolTipWidget()->isVisible());
    }

    void curveDataOfAnyShape() {
        m_plot->setCurveData(2, ramp(256, 1, 0), ramp(256, 2, 0));
        QCOMPARE(int(m_plot->curve(2)->dataSize()), 256);
        QCOMPARE(m_plot->curve(2)->sample(10).y(), 20.0);
        // Unequal vectors pair up to the shorter one; unknown channels change nothing.
        m_plot->setCurveData(1, ramp(10, 1, 0), ramp(4, 1, 0));
        QCOMPARE(int(m_plot->curve(1)->dataSize()), 4);
        m_plot->setCurveData(4, ramp(10, 1, 0), ramp(10, 1, 0));
        m_plot->setCurveData(-1, ramp(10, 1, 0), ramp(10, 1, 0));
        QCOMPARE(m_plot->curve(4), nullptr);
        QCOMPARE(int(m_plot->curve(0)->dataSize()), 0);
        QCOMPARE(int(m_plot->curve(3)->dataSize()), 0);

        // Bad data breaks neither painting nor the read-out.
        const double nan = std::numeric_limits<double>::quiet_NaN();
        const double inf = std::numeric_limits<double>::infinity();
        m_plot->setCurveData(0, {}, {});
        m_plot->onMovedPos(QPointF(10, 1));
        QCOMPARE(m_plot->toolTipWidget()->labelValue1->text(), QStringLiteral("   Gray: 0"));

        m_plot->setCurveData(0, {0, 1, 2, nan, 4}, {1, nan, inf, 4, 1e300});
        QCOMPARE(int(m_plot->curve(0)->dataSize()), 2);
        m_plot->onMovedPos(QPointF(1, 1));  // index 1 now holds the huge value: no overflow
        QCOMPARE(m_plot->toolTipWidget()->labelValue1->text(), QStringLiteral("   Gray: 0"));
        m_plot->setCurveData(1, {5}, {5});
        m_plot->setDisplayMode(1);
        QVERIFY(!m_plot->grab().isNull());
        m_plot->setDisplayMode(0);
        QVERIFY(!m_plot->grab().isNull());

        // Positions no int can hold, or not numbers at all.
        m_plot->onMovedPos(QPointF(1e12, -1e12));
        QVERIFY(!m_plot->toolTipWidget()->isVisible());
        m_plot->onMovedPos(QPointF(nan, nan));
        QVERIFY(!m_plot->toolTipWidget()->isVisible());
        m_plot->onMovedPos(QPointF(3, inf));
        QVERIFY(m_plot->toolTipWidget()->isVisible());
    }
};

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

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    TestCustomPlot custom;
    TestHistogramPlot histogram;
    TestProfilePlot profile;
    // Every suite runs even when an earlier one fails.
    return QTest::qExec(&custom, argc, argv) | QTest::qExec(&histogram, argc, argv) |
           QTest::qExec(&profile, argc, argv);
}

#include "tst_plots.moc"
