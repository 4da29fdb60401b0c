// SPDX-License-Identifier: Apache-2.0
#pragma once
// Picker that follows the mouse over a plot canvas and shows the plot coordinates under it.
#include <qwt_plot_picker.h>

class PointHoverPicker : public QwtPlotPicker {
    Q_OBJECT

public:
    explicit PointHoverPicker(QWidget* canvas);

    // "(x, y)" with two decimals, in white.
    QwtText trackerTextF(const QPointF& pos) const override;
};
