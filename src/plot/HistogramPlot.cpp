// SPDX-License-Identifier: Apache-2.0
#include "HistogramPlot.h"

#include <QEvent>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QPen>
#include <algorithm>
#include <cmath>
#include <limits>

#include <qwt_plot.h>
#include <qwt_plot_grid.h>
#include <qwt_plot_magnifier.h>
#include <qwt_plot_panner.h>
#include <qwt_scale_div.h>
#include <qwt_scale_map.h>
#include <qwt_scale_widget.h>
#include <qwt_symbol.h>

#include "CToolTipWidget.h"
#include "CustomPlotCanvas.h"
#include "PointHoverPicker.h"

namespace {
const QColor kChannelColors[HistogramPlot::ChannelCount] = {QColor(125, 125, 125), QColor(255, 0, 0),
                                                            QColor(0, 255, 0), QColor(0, 0, 255)};
const Qt::GlobalColor kMarkerColors[HistogramPlot::ChannelCount] = {Qt::gray, Qt::red, Qt::green, Qt::blue};
constexpr int kPenAlpha = 100;
constexpr int kBrushAlpha = 50;
constexpr int kToolTipOffset = 15;

bool isValidRange(double min, double max) {
    return std::isfinite(min) && std::isfinite(max) && min < max;
}

QColor withAlpha(QColor color, int alpha) {
    color.setAlpha(alpha);
    return color;
}

// Plot positions far outside any histogram or image would overflow an int.
bool fitsInt(double value) {
    return std::isfinite(value) && value > double(std::numeric_limits<int>::min()) &&
           value < double(std::numeric_limits<int>::max());
}
}  // namespace

HistogramPlot::HistogramPlot(QWidget* parent) : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_plot = new QwtPlot(this);
    m_plot->setContentsMargins(5, 5, 5, 5);
    layout->addWidget(m_plot);

    m_canvas = new CustomPlotCanvas();
    m_canvas->setFrameStyle(QFrame::Box);
    m_canvas->setCursor(Qt::ArrowCursor);
    m_plot->setCanvas(m_canvas);

    m_grid = new QwtPlotGrid();
    m_grid->setPen(QColor(200, 200, 200, 255), 0.0, Qt::DotLine);
    m_grid->attach(m_plot);

    for (int channel = 0; channel < ChannelCount; ++channel) {
        QwtPlotCurve& curve = m_curves[channel];
        curve.setStyle(QwtPlotCurve::Lines);
        curve.setPen(withAlpha(kChannelColors[channel], kPenAlpha));
        curve.setBrush(withAlpha(kChannelColors[channel], kBrushAlpha));
        curve.setSymbol(nullptr);
        curve.setRenderHint(QwtPlotItem::RenderAntialiased, true);
        curve.attach(m_plot);
    }

    setXRange(0.0, 255.0, 50.0, true);
    setYRange(0.0, 10.0, 1.0, true);
    m_plot->setAxisMaxMajor(QwtPlot::xBottom, 10);
    m_plot->setAxisMaxMajor(QwtPlot::yLeft, 10);

    m_canvas->installEventFilter(this);
    m_picker = new PointHoverPicker(m_canvas);
    m_picker->setTrackerMode(QwtPicker::ActiveOnly);
    // The read-out follows the mouse without a pressed button.
    m_canvas->setMouseTracking(true);
    connect(m_picker, &QwtPlotPicker::moved, this, &HistogramPlot::onMovedPos);
    connect(m_picker, &QwtPicker::activated, this, [this](bool on) {
        if (!on) {
            m_toolTip->hide();
        }
    });

    m_positionLine.setLineStyle(QwtPlotMarker::VLine);
    m_positionLine.setLinePen(QColor(75, 210, 49, 255), 2.5, Qt::SolidLine);
    m_positionLine.attach(m_plot);
    for (int channel = 0; channel < ChannelCount; ++channel) {
        const QColor color(kMarkerColors[channel]);
        m_pointMarkers[channel].setSymbol(
            new QwtSymbol(QwtSymbol::Ellipse, QBrush(color), QPen(color), QSize(5, 5)));
        m_pointMarkers[channel].attach(m_plot);
    }

    m_panner = new QwtPlotPanner(m_canvas);
    m_panner->setMouseButton(Qt::RightButton);
    m_magnifier = new QwtPlotMagnifier(m_canvas);
    m_magnifier->setMouseButton(Qt::NoButton);

    m_plot->setAutoReplot(true);

    m_toolTip = new CToolTipWidget(m_canvas);
    m_toolTip->hide();
}

HistogramPlot::~HistogramPlot() {
    // The value members detach themselves; replotting after each would only waste time.
    m_plot->setAutoReplot(false);
    delete m_grid;
}

const QwtPlotCurve* HistogramPlot::curve(int channel) const {
    return isValidChannel(channel) ? &m_curves[channel] : nullptr;
}

const QwtPlotMarker* HistogramPlot::pointMarker(int channel) const {
    return isValidChannel(channel) ? &m_pointMarkers[channel] : nullptr;
}

void HistogramPlot::setCurveData(int channel, const QVector<double>& x, const QVector<double>& y) {
    if (!isValidChannel(channel)) {
        return;
    }
    const int count = std::min(x.size(), y.size());
    QVector<QPointF> points;
    points.reserve(count);
    for (int i = 0; i < count; ++i) {
        if (std::isfinite(x[i]) && std::isfinite(y[i])) {
            points.append(QPointF(x[i], y[i]));
        }
    }
    m_curves[channel].setSamples(points);
}

void HistogramPlot::setCurveHidden(int channel, bool hidden) {
    if (!isValidChannel(channel)) {
        return;
    }
    QwtPlot* target = hidden ? nullptr : m_plot;
    m_curves[channel].attach(target);
    m_pointMarkers[channel].attach(target);
}

bool HistogramPlot::isCurveHidden(int channel) const {
    return !isValidChannel(channel) || m_curves[channel].plot() == nullptr;
}

void HistogramPlot::setDisplayMode(int mode) {
    m_displayMode = mode;
    if (mode != LinesMode && mode != PointsMode) {
        return;
    }
    const bool autoReplot = m_plot->autoReplot();
    m_plot->setAutoReplot(false);
    for (int channel = 0; channel < ChannelCount; ++channel) {
        QwtPlotCurve& curve = m_curves[channel];
        const QColor pen = withAlpha(kChannelColors[channel], kPenAlpha);
        const QColor brush = withAlpha(kChannelColors[channel], kBrushAlpha);
        if (mode == LinesMode) {
            curve.setStyle(QwtPlotCurve::Lines);
            curve.setSymbol(nullptr);
            curve.setPen(pen);
            curve.setBrush(brush);
        } else {
            curve.setStyle(QwtPlotCurve::NoCurve);
            curve.setSymbol(new QwtSymbol(QwtSymbol::Ellipse, QBrush(brush), QPen(pen), QSize(2, 2)));
        }
    }
    m_plot->setAutoReplot(autoReplot);
    m_plot->replot();
}

void HistogramPlot::setPositionLabelMode(int mode) {
    if (mode >= XAxisLabel && mode <= ColumnLabel) {
        m_positionLabelMode = mode;
    }
}

void HistogramPlot::setXRange(double min, double max, double step, bool remember) {
    if (!isValidRange(min, max) || !std::isfinite(step)) {
        return;
    }
    m_plot->setAxisScale(QwtPlot::xBottom, min, max, readableXStep(min, max, step));
    if (remember) {
        m_xMin = float(min);
        m_xMax = float(max);
        m_xStep = float(step);
    }
}

double HistogramPlot::readableXStep(double min, double max, double step) const {
    const QwtScaleWidget* axis = m_plot->axisWidget(QwtPlot::xBottom);
    const int length = m_plot->canvas()->width();
    if (axis == nullptr || length <= 0 || !(step > 0.0)) return step;
    const QFontMetrics metrics(axis->font());
    // The widest label and a gap of two spaces between neighbours.
    const int label = std::max(metrics.horizontalAdvance(QString::number(min)),
                               metrics.horizontalAdvance(QString::number(max))) +
                      2 * metrics.horizontalAdvance(QLatin1Char(' '));
    double shown = step;
    while ((max - min) / shown * label > length && shown * 2.0 <= max - min)
        shown *= 2.0;
    return shown;
}

bool HistogramPlot::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_plot->canvas() && event->type() == QEvent::Resize) {
        // Only the remembered range: a zoomed axis keeps the step its zoom gave it.
        const QwtScaleDiv& div = m_plot->axisScaleDiv(QwtPlot::xBottom);
        const double step = readableXStep(m_xMin, m_xMax, m_xStep);
        if (qFuzzyCompare(float(div.lowerBound()) + 1.0f, m_xMin + 1.0f) &&
            qFuzzyCompare(float(div.upperBound()) + 1.0f, m_xMax + 1.0f) &&
            !qFuzzyCompare(m_plot->axisStepSize(QwtPlot::xBottom), step))
            m_plot->setAxisScale(QwtPlot::xBottom, m_xMin, m_xMax, step);
    }
    return QWidget::eventFilter(watched, event);
}

void HistogramPlot::setYRange(double min, double max, double step, bool remember) {
    if (!isValidRange(min, max) || !std::isfinite(step)) {
        return;
    }
    m_plot->setAxisScale(QwtPlot::yLeft, min, max, step);
    if (remember) {
        m_yMin = float(min);
        m_yMax = float(max);
        m_yStep = float(step);
    }
}

double HistogramPlot::zoomStep(double span) {
    if (!std::isfinite(span) || span < 10.0) {
        return 0.0;
    }
    const double whole = std::floor(span / 10.0);
    double magnitude = 1.0;
    while (magnitude * 10.0 <= whole) {
        magnitude *= 10.0;
    }
    return std::floor(whole / magnitude) * magnitude;
}

void HistogramPlot::stepZoom(bool zoomIn) {
    for (const int axisId : {int(QwtPlot::xBottom), int(QwtPlot::yLeft)}) {
        const QwtScaleDiv& div = m_plot->axisScaleDiv(axisId);
        const double lower = div.lowerBound();
        const double upper = div.upperBound();
        const double step = zoomStep(upper - lower);
        if (step <= 0.0) {
            // Spans under 10 have no whole step: the range stays as it is.
            continue;
        }
        if (zoomIn) {
            m_plot->setAxisScale(axisId, lower + step, upper - step, step);
        } else {
            m_plot->setAxisScale(axisId, lower - step, upper + step, step);
        }
    }
}

void HistogramPlot::zoomIn() {
    stepZoom(true);
}

void HistogramPlot::zoomOut() {
    stepZoom(false);
}

void HistogramPlot::resetZoom() {
    m_plot->setAxisScale(QwtPlot::xBottom, m_xMin, m_xMax, readableXStep(m_xMin, m_xMax, m_xStep));
    m_plot->setAxisScale(QwtPlot::yLeft, m_yMin, m_yMax, m_yStep);
}

void HistogramPlot::onMovedPos(QPointF point) {
    m_lastPickerPos = point;
    updateToolTip();
}

int HistogramPlot::channelValueAt(int channel, double x) const {
    // The whole remembered range reads out, ends included: the counts at 0 and 255 matter most.
    if (x < m_xMin || x > m_xMax || x < 0.0) {
        return 0;
    }
    const QwtPlotCurve& curve = m_curves[channel];
    const size_t index = size_t(x);
    if (index >= curve.dataSize()) {
        return 0;
    }
    const double y = curve.sample(index).y();
    return fitsInt(y) ? int(y) : 0;
}

void HistogramPlot::updateToolTip() {
    QLabel* labels[] = {m_toolTip->labelPosition, m_toolTip->labelValue1, m_toolTip->labelValue2,
                        m_toolTip->labelValue3};
    for (QLabel* label : labels) {
        label->hide();
    }
    bool anyAttached = false;
    for (const QwtPlotCurve& curve : m_curves) {
        anyAttached = anyAttached || curve.plot() != nullptr;
    }
    if (!anyAttached || !fitsInt(m_lastPickerPos.x())) {
        m_toolTip->hide();
        return;
    }

    const int x = int(m_lastPickerPos.x());
    static const char* const kPositionWords[] = {QT_TR_NOOP("X-axis"), QT_TR_NOOP("Line"),
                                                 QT_TR_NOOP("Column")};
    labels[0]->setText(tr("%1: %2").arg(tr(kPositionWords[m_positionLabelMode])).arg(x));
    labels[0]->show();
    int shown = 1;

    int values[ChannelCount] = {0, 0, 0, 0};
    for (int channel = 0; channel < ChannelCount; ++channel) {
        if (m_curves[channel].plot() != nullptr) {
            values[channel] = channelValueAt(channel, x);
        }
    }
    if (m_curves[Grey].plot() != nullptr) {
        labels[1]->setText(tr("   Gray: %1").arg(values[Grey]));
        labels[1]->show();
        ++shown;
    } else {
        const QString texts[] = {tr("   Red: %1"), tr("   Green: %1"), tr("   Blue: %1")};
        for (int channel = Red; channel <= Blue; ++channel) {
            if (m_curves[channel].plot() != nullptr) {
                labels[channel]->setText(texts[channel - Red].arg(values[channel]));
                labels[channel]->show();
                ++shown;
            }
        }
    }

    const bool autoReplot = m_plot->autoReplot();
    m_plot->setAutoReplot(false);
    m_positionLine.setValue(x, 0.0);
    for (int channel = 0; channel < ChannelCount; ++channel) {
        m_pointMarkers[channel].setValue(x, values[channel]);
    }
    m_plot->setAutoReplot(autoReplot);
    m_plot->replot();

    m_toolTip->setFixedHeight(CToolTipWidget::kLabelHeight * shown + 10);
    placeToolTip();
    m_toolTip->show();
    m_toolTip->raise();
}

void HistogramPlot::placeToolTip() {
    const QwtScaleMap xMap = m_plot->canvasMap(QwtPlot::xBottom);
    const QwtScaleMap yMap = m_plot->canvasMap(QwtPlot::yLeft);
    // Clamped before rounding: a position far off the canvas must not overflow the pixel type.
    const auto toPixel = [](double value, int extent) {
        return std::isfinite(value) ? qRound(std::clamp(value, 0.0, double(extent))) : 0;
    };
    const QPoint cursor(toPixel(xMap.transform(m_lastPickerPos.x()), m_canvas->width()),
                        toPixel(yMap.transform(m_lastPickerPos.y()), m_canvas->height()));
    const QSize size = m_toolTip->sizeHint().expandedTo(m_toolTip->minimumSize());
    const int width = std::max(size.width(), m_toolTip->width());
    const int height = m_toolTip->maximumHeight();
    // Beside the cursor, flipped to the other side near the right or bottom edge.
    int left = cursor.x() + kToolTipOffset;
    if (left + width > m_canvas->width()) {
        left = cursor.x() - kToolTipOffset - width;
    }
    int top = cursor.y() + kToolTipOffset;
    if (top + height > m_canvas->height()) {
        top = cursor.y() - kToolTipOffset - height;
    }
    m_toolTip->move(std::max(0, left), std::max(0, top));
}
