// SPDX-License-Identifier: Apache-2.0
#include "ProfilePlot.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QPen>
#include <algorithm>
#include <cmath>

#include <qwt_plot_curve.h>
#include <qwt_plot_grid.h>
#include <qwt_symbol.h>
#include <qwt_text.h>

#include "CustomPlot.h"
#include "CustomPlotCanvas.h"
#include "CustomPlotPanner.h"
#include "CustomScaleDraw.h"
#include "PointHoverPicker.h"

namespace {
constexpr double kAreaLineWidth = 1.5;

bool isValidRange(double min, double max) {
    return std::isfinite(min) && std::isfinite(max) && min < max;
}

QwtSymbol* pointSymbol(const QColor& color) {
    return new QwtSymbol(QwtSymbol::Ellipse, QBrush(color), QPen(color), QSize(2, 2));
}
}  // namespace

ProfilePlot::ProfilePlot(QWidget* parent) : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_plot = new CustomPlot(this);
    m_plot->setContentsMargins(15, 15, 15, 15);
    layout->addWidget(m_plot);

    m_canvas = new CustomPlotCanvas();
    m_canvas->setFrameStyle(QFrame::Box);
    m_canvas->setLineWidth(1);
    m_canvas->setPalette(QPalette(Qt::gray));
    m_canvas->setCursor(Qt::ArrowCursor);
    m_plot->setCanvas(m_canvas);
    m_canvas->setAreaPositions(&m_areaPositions);

    m_grid = new QwtPlotGrid();
    m_grid->setPen(QColor(255, 255, 255, 90), 0.0, Qt::DotLine);
    m_grid->attach(m_plot);

    m_curve = new QwtPlotCurve(QString());
    m_curve->setStyle(QwtPlotCurve::NoCurve);
    m_curve->setSymbol(pointSymbol(Qt::red));
    m_curve->setRenderHint(QwtPlotItem::RenderAntialiased, true);
    m_curve->attach(m_plot);

    m_plot->setAxisScaleDraw(QwtPlot::xBottom, new CustomScaleDraw());
    m_plot->setAxisScaleDraw(QwtPlot::yLeft, new CustomScaleDraw());
    setXRange(-9.0, 9.0);
    setYRange(-9.0, 9.0);

    for (QwtPlotMarker* zeroLine : {&m_zeroLineH, &m_zeroLineV}) {
        zeroLine->setLineStyle(zeroLine == &m_zeroLineH ? QwtPlotMarker::HLine : QwtPlotMarker::VLine);
        zeroLine->setLinePen(Qt::white, 1.0, Qt::SolidLine);
        zeroLine->setValue(0.0, 0.0);
        zeroLine->attach(m_plot);
    }

    m_picker = new PointHoverPicker(m_canvas);
    m_picker->setTrackerMode(QwtPicker::ActiveOnly);
    // Hover read-out and area-line highlighting need moves without a pressed button.
    m_canvas->setMouseTracking(true);

    m_panner = new CustomPlotPanner(m_canvas);
    m_panner->setMouseButton(Qt::RightButton, Qt::NoModifier);

    m_plot->setAutoReplot(true);
}

ProfilePlot::~ProfilePlot() {
    // Items detach one by one below; replotting after each would only waste time.
    m_plot->setAutoReplot(false);
    m_canvas->setAreaPositions(nullptr);
    m_canvas->clearAreaLines();
    m_canvas->setOwner(nullptr);
    m_zeroLineH.detach();
    m_zeroLineV.detach();
    for (QwtPlotMarker& line : m_areaLines) {
        line.detach();
    }
    m_curve->detach();
    delete m_grid;
    delete m_curve;
    // Canvas, picker and panner are children of the plot and go with it.
}

void ProfilePlot::setXRange(double min, double max, bool remember) {
    if (!isValidRange(min, max)) {
        return;
    }
    m_rememberLimits = remember;
    if (m_rememberLimits) {
        m_plot->setXLimits(float(min), float(max));
    }
    m_plot->setAxisScale(QwtPlot::xBottom, min, max, (max - min) / 10.0);
}

void ProfilePlot::setYRange(double min, double max, bool remember) {
    if (!isValidRange(min, max)) {
        return;
    }
    m_rememberLimits = remember;
    if (m_rememberLimits) {
        m_plot->setYLimits(float(min), float(max));
    }
    m_plot->setAxisScale(QwtPlot::yLeft, min, max, (max - min) / 10.0);
}

void ProfilePlot::setSamples(const QVector<QPointF>& samples) {
    QVector<QPointF> finite;
    finite.reserve(samples.size());
    for (const QPointF& point : samples) {
        if (std::isfinite(point.x()) && std::isfinite(point.y())) {
            finite.append(point);
        }
    }
    // One replot per contour: setSamples alone would already replot under automatic replot.
    const bool autoReplot = m_plot->autoReplot();
    m_plot->setAutoReplot(false);
    m_curve->setSamples(finite);
    m_plot->setAutoReplot(autoReplot);
    m_plot->replot();
}

void ProfilePlot::setData(const QVector<double>& x, const QVector<double>& y) {
    const int count = std::min(x.size(), y.size());
    QVector<QPointF> points;
    points.reserve(count);
    for (int i = 0; i < count; ++i) {
        points.append(QPointF(x[i], y[i]));
    }
    setSamples(points);
}

void ProfilePlot::setCurveColor(const QColor& color) {
    if (!color.isValid()) {
        return;
    }
    m_curve->setSymbol(pointSymbol(color));
}

namespace {
struct AreaLook {
    const char* label;
    Qt::Alignment alignment;
    QColor color;
};

const AreaLook& areaLook(int index) {
    static const AreaLook looks[4] = {
        {QT_TRANSLATE_NOOP("ProfilePlot", "Left"), Qt::AlignLeft | Qt::AlignTop, QColor(186, 186, 22, 255)},
        {QT_TRANSLATE_NOOP("ProfilePlot", "Right"), Qt::AlignRight | Qt::AlignTop, QColor(186, 186, 22, 255)},
        {QT_TRANSLATE_NOOP("ProfilePlot", "Left"), Qt::AlignLeft | Qt::AlignTop, QColor(148, 104, 47, 255)},
        {QT_TRANSLATE_NOOP("ProfilePlot", "Right"), Qt::AlignRight | Qt::AlignTop, QColor(148, 104, 47, 255)},
    };
    return looks[std::clamp(index, 1, 4) - 1];
}
}  // namespace

void ProfilePlot::retranslateAreaLabels() {
    for (int i = 0; i < 4; ++i) {
        const AreaLook& look = areaLook(i + 1);
        QwtText label(tr(look.label));
        label.setColor(look.color);
        m_areaLines[i].setLabel(label);
    }
}

void ProfilePlot::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange && m_canvas->owner() == this) {
        retranslateAreaLabels();
    }
    QWidget::changeEvent(event);
}

void ProfilePlot::showAreaLines() {
    m_canvas->setOwner(this);
    const bool autoReplot = m_plot->autoReplot();
    m_plot->setAutoReplot(false);
    retranslateAreaLabels();
    for (int i = 0; i < 4; ++i) {
        QwtPlotMarker& line = m_areaLines[i];
        const AreaLook& look = areaLook(i + 1);
        line.setLineStyle(QwtPlotMarker::VLine);
        line.setLabelAlignment(look.alignment);
        line.setLabelOrientation(Qt::Horizontal);
        line.setLinePen(look.color, kAreaLineWidth, Qt::SolidLine);
        line.attach(m_plot);
        m_canvas->setAreaLine(i + 1, &line);
    }
    m_plot->setAutoReplot(autoReplot);
    m_plot->replot();
}

void ProfilePlot::setArea(int leftIndex, const QPointF& left, const QPointF& right) {
    if (!std::isfinite(left.x()) || !std::isfinite(right.x())) {
        return;
    }
    m_areaLines[leftIndex - 1].setValue(left.x(), 0.0);
    m_areaLines[leftIndex].setValue(right.x(), 0.0);
    m_areaPositions.insert(leftIndex, left.x());
    m_areaPositions.insert(leftIndex + 1, right.x());
}

void ProfilePlot::setFirstArea(const QPointF& left, const QPointF& right) {
    setArea(1, left, right);
}

void ProfilePlot::setSecondArea(const QPointF& left, const QPointF& right) {
    setArea(3, left, right);
}

const QwtPlotMarker& ProfilePlot::areaLine(int index) const {
    return m_areaLines[std::clamp(index, 1, 4) - 1];
}

void ProfilePlot::zoomIn() {
    m_plot->zoomIn();
}

void ProfilePlot::zoomOut() {
    m_plot->zoomOut();
}
