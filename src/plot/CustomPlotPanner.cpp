// SPDX-License-Identifier: Apache-2.0
#include "CustomPlotPanner.h"

#include <cmath>

#include <qwt_scale_div.h>
#include <qwt_scale_map.h>

#include "CustomPlot.h"

CustomPlotPanner::CustomPlotPanner(QWidget* canvas) : QwtPlotPanner(canvas) {}

void CustomPlotPanner::moveCanvas(int dx, int dy) {
    if (dx == 0 && dy == 0) {
        return;
    }
    auto* plot = dynamic_cast<CustomPlot*>(this->plot());
    if (plot == nullptr) {
        return;
    }

    plot->updateAxes();
    const QwtScaleDiv& xDiv = plot->axisScaleDiv(QwtPlot::xBottom);
    const QwtScaleDiv& yDiv = plot->axisScaleDiv(QwtPlot::yLeft);
    double xLower = xDiv.lowerBound();
    double xUpper = xDiv.upperBound();
    double yLower = yDiv.lowerBound();
    double yUpper = yDiv.upperBound();

    // Pixel offsets become plot offsets through the canvas maps, counted from the pixel of the lower
    // x bound and of the upper y bound: an offset of 0 is no shift even where the scale starts a few
    // pixels into the canvas.
    const QwtScaleMap xMap = plot->canvasMap(QwtPlot::xBottom);
    const QwtScaleMap yMap = plot->canvasMap(QwtPlot::yLeft);
    const double xShift = xMap.invTransform(xMap.transform(xLower) + dx) - xLower;
    const double yShift = yMap.invTransform(yMap.transform(yUpper) + dy) - yUpper;
    if (!std::isfinite(xShift) || !std::isfinite(yShift)) {
        return;
    }

    // Only the edge moving towards a limit is checked; when it would pass the limit it stops there
    // and the opposite edge stays, so the range widens up to the limit.
    if (dx < 1) {
        const double upper = xUpper - xShift;
        if (upper > plot->xUpperLimit()) {
            xUpper = plot->xUpperLimit();
        } else {
            xUpper = upper;
            xLower -= xShift;
        }
    } else {
        const double lower = xLower - xShift;
        if (lower < plot->xLowerLimit()) {
            xLower = plot->xLowerLimit();
        } else {
            xLower = lower;
            xUpper -= xShift;
        }
    }

    if (dy < 1) {
        const double lower = yLower - yShift;
        if (lower < plot->yLowerLimit()) {
            yLower = plot->yLowerLimit();
        } else {
            yLower = lower;
            yUpper -= yShift;
        }
    } else {
        const double upper = yUpper - yShift;
        if (upper > plot->yUpperLimit()) {
            yUpper = plot->yUpperLimit();
        } else {
            yUpper = upper;
            yLower -= yShift;
        }
    }

    const bool autoReplot = plot->autoReplot();
    plot->setAutoReplot(false);
    plot->setXAxisRange(xLower, xUpper);
    plot->setYAxisRange(yLower, yUpper);
    plot->setAutoReplot(autoReplot);
    plot->replot();
}
