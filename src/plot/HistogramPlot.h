// SPDX-License-Identifier: Apache-2.0
#pragma once
// Grey and colour histograms, or line and column profiles, as four channel curves (grey, red, green,
// blue) with wheel zoom, panning, step zoom buttons and a hover read-out of the channel values.
#include <qwt_plot_curve.h>
#include <qwt_plot_marker.h>
#include <QPointF>
#include <QVector>
#include <QWidget>

class CToolTipWidget;
class CustomPlotCanvas;
class PointHoverPicker;
class QwtPlot;
class QwtPlotGrid;
class QwtPlotMagnifier;
class QwtPlotPanner;

class HistogramPlot : public QWidget {
    Q_OBJECT

public:
    enum Channel { Grey = 0, Red = 1, Green = 2, Blue = 3, ChannelCount = 4 };
    enum DisplayMode { LinesMode = 0, PointsMode = 1 };
    enum PositionLabelMode { XAxisLabel = 0, LineLabel = 1, ColumnLabel = 2 };

    explicit HistogramPlot(QWidget* parent = nullptr);
    ~HistogramPlot() override;

    // Pairs x[i], y[i] for every i present in both vectors; points with a non-finite coordinate are
    // dropped. A channel outside 0..3 is ignored.
    void setCurveData(int channel, const QVector<double>& x, const QVector<double>& y);
    // Detaches (hidden) or attaches a channel's curve together with its point marker.
    void setCurveHidden(int channel, bool hidden);
    bool isCurveHidden(int channel) const;

    // 0 draws filled lines, 1 small points; the value is stored whatever it is.
    void setDisplayMode(int mode);
    int displayMode() const { return m_displayMode; }

    // Word in front of the position in the read-out: 0 "X-axis", 1 "Line", 2 "Column".
    void setPositionLabelMode(int mode);
    int positionLabelMode() const { return m_positionLabelMode; }

    // Axis scale with a fixed major step; remember keeps it for resetZoom(). Ranges that are not
    // finite or not strictly increasing are ignored.
    void setXRange(double min, double max, double step, bool remember);
    void setYRange(double min, double max, double step, bool remember);

    // Major step of a zoom step for a span: the whole part of a tenth of it, cut to its leading digit
    // (37 gives 30, 7 gives 7, under 1 gives 0).
    static double zoomStep(double span);

    QPointF lastPickerPosition() const { return m_lastPickerPos; }
    QwtPlot* plot() const { return m_plot; }
    CustomPlotCanvas* canvas() const { return m_canvas; }
    PointHoverPicker* picker() const { return m_picker; }
    CToolTipWidget* toolTipWidget() const { return m_toolTip; }
    const QwtPlotCurve* curve(int channel) const;
    const QwtPlotMarker& positionLine() const { return m_positionLine; }
    const QwtPlotMarker* pointMarker(int channel) const;

public slots:
    void zoomIn();
    void zoomOut();
    // Back to the remembered ranges.
    void resetZoom();
    void onMovedPos(QPointF point);

protected:
    // The canvas's resizes: its width decides the grey-level step shown.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static bool isValidChannel(int channel) { return channel >= 0 && channel < ChannelCount; }
    // The grey-level step shown: `step`, or a multiple of it when the labels would run into each
    // other on a narrow plot (the small histogram beside a pane).
    double readableXStep(double min, double max, double step) const;
    void stepZoom(bool zoomIn);
    // Fills and places the read-out panel for the last picker position.
    void updateToolTip();
    int channelValueAt(int channel, double x) const;
    void placeToolTip();

    QwtPlotCurve m_curves[ChannelCount];
    int m_displayMode = LinesMode;
    CToolTipWidget* m_toolTip = nullptr;
    int m_positionLabelMode = XAxisLabel;
    QPointF m_lastPickerPos;
    QwtPlotMarker m_positionLine;
    QwtPlotMarker m_pointMarkers[ChannelCount];
    QwtPlot* m_plot = nullptr;
    CustomPlotCanvas* m_canvas = nullptr;
    QwtPlotGrid* m_grid = nullptr;
    QwtPlotMagnifier* m_magnifier = nullptr;
    QwtPlotPanner* m_panner = nullptr;
    PointHoverPicker* m_picker = nullptr;

    float m_xMin = 0.0f;
    float m_xMax = 255.0f;
    float m_xStep = 50.0f;
    float m_yMin = 0.0f;
    float m_yMax = 10.0f;
    float m_yStep = 1.0f;
};
