// SPDX-License-Identifier: Apache-2.0
#pragma once
// Plot canvas on which vertical area lines are picked with a click, follow the mouse and are dropped
// with a second click.
#include <qwt_plot_canvas.h>
#include <QMap>
#include <QPointer>

class ProfilePlot;
class QwtPlotMarker;

class CustomPlotCanvas : public QwtPlotCanvas {
    Q_OBJECT

public:
    // Distance in plot units within which a click or hover catches an area line.
    static constexpr double kPickDistance = 0.3;

    explicit CustomPlotCanvas(QWidget* parent = nullptr);

    // Plot whose areaValueChanged reports a dropped line; not owned.
    void setOwner(ProfilePlot* owner);
    ProfilePlot* owner() const;

    // Map from area-line index (1 to 4) to x position, owned by the profile plot; nullptr for none.
    void setAreaPositions(QMap<int, double>* positions);
    QMap<int, double>* areaPositions() const { return m_areaPositions; }

    // Registers the marker drawn for an area line (index 1 to 4); not owned. nullptr removes it.
    void setAreaLine(int index, QwtPlotMarker* marker);
    void clearAreaLines();
    QwtPlotMarker* areaLine(int index) const { return m_areaLines.value(index, nullptr); }

    bool isDragging() const { return m_dragging; }
    int selectedArea() const { return m_selectedArea; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool hasAreaPositions() const;
    double plotX(const QPoint& pos) const;
    // First index 1..4 whose stored position lies strictly within kPickDistance of x, or 0.
    int areaAt(double x) const;
    // Thickens the line under the mouse and resets the others; replots only on a change.
    void highlightArea(int index);

    QPointer<ProfilePlot> m_owner;
    QMap<int, double>* m_areaPositions = nullptr;
    QMap<int, QwtPlotMarker*> m_areaLines;
    bool m_dragging = false;
    int m_selectedArea = 0;
};
