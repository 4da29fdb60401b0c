// SPDX-License-Identifier: Apache-2.0
#pragma once
// QwtPlot with wheel zoom and panning bounded by per-axis limits.
#include <qwt_plot.h>

class QMouseEvent;
class QWheelEvent;

class CustomPlot : public QwtPlot {
    Q_OBJECT

public:
    explicit CustomPlot(QWidget* parent = nullptr);

    // Bounds for zooming out and panning; the owning plot replaces them when it sets its ranges.
    // A pair that is not finite or not strictly increasing is ignored.
    void setXLimits(float lower, float upper);
    void setYLimits(float lower, float upper);
    float xUpperLimit() const { return m_xUpperLimit; }
    float xLowerLimit() const { return m_xLowerLimit; }
    float yUpperLimit() const { return m_yUpperLimit; }
    float yLowerLimit() const { return m_yLowerLimit; }

    // Fraction of the visible span added or removed on each side per zoom step; kept within (0, 0.5).
    void setZoomRatio(float ratio);
    float zoomRatio() const { return m_zoomRatio; }

    // Apply a range clamped to the axis limits, with the major step of the step rule.
    void setXAxisRange(double lower, double upper);
    void setYAxisRange(double lower, double upper);

    // Major step for a new range: a tenth of the limit span when the range is exactly the limits,
    // otherwise 0 so that Qwt picks the ticks.
    double majorStepFor(int axisId, double lower, double upper) const;

public slots:
    void zoomIn();
    void zoomOut();

protected:
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void zoom(bool zoomIn);
    void applyRange(int axisId, double lower, double upper);
    float lowerLimit(int axisId) const;
    float upperLimit(int axisId) const;

    float m_xUpperLimit = 14.0f;
    float m_xLowerLimit = -14.0f;
    float m_yUpperLimit = 9.0f;
    float m_yLowerLimit = -9.0f;
    float m_zoomRatio = 0.1f;
};
