// HistogramPlot: step zoom, remembered ranges, curve visibility and modes, and the hover read-out.
#define QTEST_QPA_MOUSE_HANDLING
#include <QLabel>
#include <QSignalSpy>
#include <QtTest>
#include <cmath>
#include <limits>

#include <qwt_plot.h>
#include <qwt_plot_curve.h>

#include "CToolTipWidget.h"
#include "CustomPlotCanvas.h"
#include "HistogramPlot.h"
#include "PlotHost.h"
#include "PointHoverPicker.h"

namespace {
QVector<double> ramp(int count, double factor, double offset) {
    QVector<double> values(count);
    for (int i = 0; i < count; ++i)
        values[i] = i * factor + offset;
    return values;
}
}  // namespace

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

QTEST_MAIN(TestHistogramPlot)
#include "tst_histogramplot.moc"
