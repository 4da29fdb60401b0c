// SPDX-License-Identifier: Apache-2.0
#pragma once
// Panner that keeps the visible range inside the limits of a CustomPlot: dragging against a limit
// widens the range up to that limit instead of shifting it past.
#include <qwt_plot_panner.h>

class CustomPlotPanner : public QwtPlotPanner {
    Q_OBJECT

public:
    explicit CustomPlotPanner(QWidget* canvas);

public slots:
    // Public so that a host (and the tests) can pan by pixel offsets without a mouse drag.
    void moveCanvas(int dx, int dy) override;
};
