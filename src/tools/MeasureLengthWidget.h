// SPDX-License-Identifier: Apache-2.0
#pragma once
// Turns the two end points of the measuring line into lengths: the points in image pixels and the
// horizontal, vertical and straight-line lengths in the unit of one pixel that the user enters.
#include <QWidget>

#include "NuvGeometry.h"

namespace Ui {
class MeasureLengthWidget;
}

class MeasureLengthWidget : public QWidget {
    Q_OBJECT
public:
    explicit MeasureLengthWidget(QWidget* parent = nullptr);
    ~MeasureLengthWidget() override;

    // Stores the points and shows their lengths.
    void setPoints(NuvPoint start, NuvPoint stop);
    NuvPoint startPoint() const { return m_start; }
    NuvPoint stopPoint() const { return m_stop; }
    void retranslate();

private:
    // Reads the typed pixel length; a refused entry keeps the last valid one.
    void applyPixelLength();
    void showInputProblem();
    void recompute();

    double m_pixelLength = 1.0;  // the last valid length of one pixel
    bool m_inputRefused = false;

    NuvPoint m_start;
    NuvPoint m_stop;
    Ui::MeasureLengthWidget* m_ui;
};
