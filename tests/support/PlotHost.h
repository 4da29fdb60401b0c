// SPDX-License-Identifier: Apache-2.0
#pragma once
// For tests of a plot panel (one with a plot() inside): the panel shown at a fixed size and replotted,
// so that its scale maps are final, and plot points mapped to canvas pixels. Test classes inherit it
// next to QObject, call openPlot() in init() and reset m_plot in cleanup().
#include <qwt_plot.h>
#include <qwt_scale_div.h>
#include <qwt_scale_map.h>
#include <QtTest>
#include <memory>

namespace TestSupport {
template <class Panel>
class PlotHost {
protected:
    bool openPlot(int width, int height) {
        m_plot = std::make_unique<Panel>();
        m_plot->resize(width, height);
        m_plot->show();
        if (!QTest::qWaitForWindowExposed(m_plot.get())) return false;
        m_plot->plot()->replot();
        return true;
    }
    // The canvas pixel that shows plot point (x, y).
    QPoint pixelFor(double x, double y = 0.0) const {
        const QwtPlot* plot = m_plot->plot();
        return QPoint(qRound(plot->canvasMap(QwtPlot::xBottom).transform(x)),
                      qRound(plot->canvasMap(QwtPlot::yLeft).transform(y)));
    }
    // Lower bound, upper bound and step of an axis as shown.
    QVector<double> axisRange(int axisId) const {
        const QwtScaleDiv& div = m_plot->plot()->axisScaleDiv(axisId);
        return {div.lowerBound(), div.upperBound(), m_plot->plot()->axisStepSize(axisId)};
    }

    std::unique_ptr<Panel> m_plot;
};
}  // namespace TestSupport
