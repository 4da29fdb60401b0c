// SPDX-License-Identifier: Apache-2.0
#pragma once
// Laser-profile plot: the current contour as a cloud of points with zero lines, bounded zoom and
// pan, and up to two areas of two draggable vertical lines each.
#include <qwt_plot_marker.h>
#include <QMap>
#include <QPointF>
#include <QVector>
#include <QWidget>

class CustomPlot;
class CustomPlotCanvas;
class CustomPlotPanner;
class PointHoverPicker;
class QwtPlotCurve;
class QwtPlotGrid;

class ProfilePlot : public QWidget {
    Q_OBJECT

public:
    explicit ProfilePlot(QWidget* parent = nullptr);
    ~ProfilePlot() override;

    // Visible range of an axis with a tenth of the span as major step. With remember set the range
    // also becomes the zoom and pan limit of that axis. Ranges that are not finite or not strictly
    // increasing are ignored.
    void setXRange(double min, double max, bool remember = true);
    void setYRange(double min, double max, bool remember = true);
    bool remembersLimits() const { return m_rememberLimits; }

    // Replaces the contour and replots. Points with a non-finite coordinate are not drawn.
    void setSamples(const QVector<QPointF>& samples);
    // Pairs x[i], y[i] for every i present in both vectors.
    void setData(const QVector<double>& x, const QVector<double>& y);

    // Colour of the contour's points (the correction panel marks scanning and registered contours).
    void setCurveColor(const QColor& color);

    // Attaches the four area lines and lets the user drag them; drops are reported through
    // areaValueChanged.
    void showAreaLines();
    // Area 1 is lines 1 and 2, area 2 lines 3 and 4: each line takes the x of its point.
    void setFirstArea(const QPointF& left, const QPointF& right);
    void setSecondArea(const QPointF& left, const QPointF& right);
    QMap<int, double> areaPositions() const { return m_areaPositions; }

    CustomPlot* plot() const { return m_plot; }
    CustomPlotCanvas* canvas() const { return m_canvas; }
    QwtPlotCurve* curve() const { return m_curve; }
    PointHoverPicker* picker() const { return m_picker; }
    CustomPlotPanner* panner() const { return m_panner; }
    const QwtPlotMarker& areaLine(int index) const;

public slots:
    void zoomIn();
    void zoomOut();

signals:
    void areaValueChanged(int index, double value);

protected:
    void changeEvent(QEvent* event) override;

private:
    void retranslateAreaLabels();
    void setArea(int leftIndex, const QPointF& left, const QPointF& right);

    CustomPlot* m_plot = nullptr;
    QwtPlotCurve* m_curve = nullptr;
    CustomPlotCanvas* m_canvas = nullptr;
    QwtPlotGrid* m_grid = nullptr;
    CustomPlotPanner* m_panner = nullptr;
    PointHoverPicker* m_picker = nullptr;

    QwtPlotMarker m_zeroLineH;
    QwtPlotMarker m_zeroLineV;
    QwtPlotMarker m_areaLines[4];

    QMap<int, double> m_areaPositions;
    bool m_rememberLimits = true;
};
