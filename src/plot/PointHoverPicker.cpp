// SPDX-License-Identifier: Apache-2.0
#include "PointHoverPicker.h"

#include <qwt_picker_machine.h>
#include <qwt_plot.h>
#include <qwt_text.h>

PointHoverPicker::PointHoverPicker(QWidget* canvas)
    : QwtPlotPicker(QwtPlot::xBottom, QwtPlot::yLeft, QwtPicker::NoRubberBand, QwtPicker::AlwaysOn, canvas) {
    setStateMachine(new QwtPickerTrackerMachine);
}

QwtText PointHoverPicker::trackerTextF(const QPointF& pos) const {
    QwtText text(QString::asprintf("(%.2f, %.2f)", pos.x(), pos.y()));
    text.setColor(Qt::white);
    return text;
}
