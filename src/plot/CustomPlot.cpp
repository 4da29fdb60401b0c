// SPDX-License-Identifier: Apache-2.0
#include "CustomPlot.h"

#include <QMouseEvent>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include <qwt_scale_div.h>

namespace {
bool isValidRange(double lower, double upper) {
    return std::isfinite(lower) && std::isfinite(upper) && lower < upper;
}
}  // namespace

CustomPlot::CustomPlot(QWidget* parent) : QwtPlot(parent) {}

void CustomPlot::setXLimits(float lower, float upper) {
    if (!isValidRange(lower, upper)) {
        return;
    }
    m_xLowerLimit = lower;
    m_xUpperLimit = upper;
}

void CustomPlot::setYLimits(float lower, float upper) {
    if (!isValidRange(lower, upper)) {
        return;
    }
    m_yLowerLimit = lower;
    m_yUpperLimit = upper;
}

void CustomPlot::setZoomRatio(float ratio) {
    // At 0.5 or more a zoom-in step would collapse or invert the range.
    if (std::isfinite(ratio) && ratio > 0.0f && ratio < 0.5f) {
        m_zoomRatio = ratio;
    }
}

float CustomPlot::lowerLimit(int axisId) const {
    return axisId == xBottom ? m_xLowerLimit : m_yLowerLimit;
}

float CustomPlot::upperLimit(int axisId) const {
    return axisId == xBottom ? m_xUpperLimit : m_yUpperLimit;
}

double CustomPlot::majorStepFor(int axisId, double lower, double upper) const {
    const double lowerLim = lowerLimit(axisId);
    const double upperLim = upperLimit(axisId);
    if (lower == lowerLim && upper == upperLim) {
        return (upperLim - lowerLim) / 10.0;
    }
    return 0.0;
}

void CustomPlot::applyRange(int axisId, double lower, double upper) {
    if (!isValidRange(lower, upper)) {
        return;
    }
    setAxisScale(axisId, lower, upper, majorStepFor(axisId, lower, upper));
}

void CustomPlot::setXAxisRange(double lower, double upper) {
    applyRange(xBottom, std::max(lower, double(m_xLowerLimit)), std::min(upper, double(m_xUpperLimit)));
}

void CustomPlot::setYAxisRange(double lower, double upper) {
    applyRange(yLeft, std::max(lower, double(m_yLowerLimit)), std::min(upper, double(m_yUpperLimit)));
}

void CustomPlot::zoom(bool zoomIn) {
    const double ratio = m_zoomRatio;
    // Scales set without a replot since are only pending: bring them in before reading them.
    updateAxes();
    for (const int axisId : {int(xBottom), int(yLeft)}) {
        const QwtScaleDiv& div = axisScaleDiv(axisId);
        double lower = div.lowerBound();
        double upper = div.upperBound();
        const double span = upper - lower;
        if (zoomIn) {
            // Zooming in is deliberately unbounded: fine detail of a profile must stay reachable.
            upper -= span * ratio;
            lower += span * ratio;
        } else {
            upper = std::min(upper + span * ratio, double(upperLimit(axisId)));
            lower = std::max(lower - span * ratio, double(lowerLimit(axisId)));
        }
        applyRange(axisId, lower, upper);
    }
}

void CustomPlot::zoomIn() {
    zoom(true);
}

void CustomPlot::zoomOut() {
    zoom(false);
}

void CustomPlot::wheelEvent(QWheelEvent* event) {
    zoom(event->angleDelta().y() >= 1);
    replot();
    event->accept();
}

void CustomPlot::mousePressEvent(QMouseEvent* event) {
    QWidget::mousePressEvent(event);
}
