// SPDX-License-Identifier: Apache-2.0
#include "CustomPlotCanvas.h"

#include <QMouseEvent>
#include <QPen>
#include <cmath>

#include <qwt_plot.h>
#include <qwt_plot_marker.h>
#include <qwt_scale_map.h>

#include "ProfilePlot.h"

namespace {
constexpr int kFirstArea = 1;
constexpr int kLastArea = 4;
constexpr double kNormalWidth = 1.5;
constexpr double kHighlightWidth = 3.0;
}  // namespace

CustomPlotCanvas::CustomPlotCanvas(QWidget* parent) : QwtPlotCanvas(qobject_cast<QwtPlot*>(parent)) {
    if (parent != nullptr && this->parent() == nullptr) {
        setParent(parent);
    }
}

void CustomPlotCanvas::setOwner(ProfilePlot* owner) {
    m_owner = owner;
}

ProfilePlot* CustomPlotCanvas::owner() const {
    return m_owner.data();
}

void CustomPlotCanvas::setAreaPositions(QMap<int, double>* positions) {
    m_areaPositions = positions;
    if (positions == nullptr) {
        m_dragging = false;
        m_selectedArea = 0;
    }
}

void CustomPlotCanvas::setAreaLine(int index, QwtPlotMarker* marker) {
    if (index < kFirstArea || index > kLastArea) {
        return;
    }
    if (marker == nullptr) {
        m_areaLines.remove(index);
        if (m_selectedArea == index) {
            m_dragging = false;
            m_selectedArea = 0;
        }
    } else {
        m_areaLines.insert(index, marker);
    }
}

void CustomPlotCanvas::clearAreaLines() {
    m_areaLines.clear();
    m_dragging = false;
    m_selectedArea = 0;
}

bool CustomPlotCanvas::hasAreaPositions() const {
    return m_areaPositions != nullptr && !m_areaPositions->isEmpty();
}

double CustomPlotCanvas::plotX(const QPoint& pos) const {
    const QwtPlot* owningPlot = plot();
    if (owningPlot == nullptr) {
        return pos.x();
    }
    return owningPlot->canvasMap(QwtPlot::xBottom).invTransform(pos.x());
}

int CustomPlotCanvas::areaAt(double x) const {
    if (m_areaPositions == nullptr || !std::isfinite(x)) {
        return 0;
    }
    for (int index = kFirstArea; index <= kLastArea; ++index) {
        const auto it = m_areaPositions->constFind(index);
        if (it != m_areaPositions->constEnd() && std::abs(it.value() - x) < kPickDistance) {
            return index;
        }
    }
    return 0;
}

void CustomPlotCanvas::mousePressEvent(QMouseEvent* event) {
    if (!hasAreaPositions()) {
        QwtPlotCanvas::mousePressEvent(event);
        return;
    }
    if (event->button() != Qt::LeftButton) {
        // Other buttons (panning, selection of the pane) keep the plain behaviour.
        QwtPlotCanvas::mousePressEvent(event);
        return;
    }
    const double x = plotX(event->pos());
    if (m_dragging) {
        // A second click drops the line that has been following the mouse.
        if (m_selectedArea != 0 && std::isfinite(x)) {
            m_areaPositions->insert(m_selectedArea, x);
            if (QwtPlotMarker* marker = m_areaLines.value(m_selectedArea, nullptr)) {
                marker->setValue(x, 0.0);
            }
            if (m_owner) {
                emit m_owner->areaValueChanged(m_selectedArea, x);
            }
        }
        m_dragging = false;
    } else {
        m_selectedArea = areaAt(x);
        m_dragging = m_selectedArea != 0;
    }
    event->accept();
}

void CustomPlotCanvas::mouseMoveEvent(QMouseEvent* event) {
    if (!hasAreaPositions()) {
        return;
    }
    const double x = plotX(event->pos());
    if (m_dragging && m_selectedArea != 0) {
        QwtPlotMarker* marker = m_areaLines.value(m_selectedArea, nullptr);
        if (marker != nullptr && std::isfinite(x)) {
            marker->setValue(x, 0.0);
        }
    } else if (!m_dragging && !m_areaLines.isEmpty()) {
        highlightArea(areaAt(x));
    }
}

void CustomPlotCanvas::mouseReleaseEvent(QMouseEvent* event) {
    // Dragging ends with the next click, not on release.
    event->accept();
}

void CustomPlotCanvas::highlightArea(int index) {
    QwtPlot* owningPlot = plot();
    const bool autoReplot = owningPlot != nullptr && owningPlot->autoReplot();
    if (autoReplot) {
        owningPlot->setAutoReplot(false);
    }
    bool changed = false;
    for (auto it = m_areaLines.constBegin(); it != m_areaLines.constEnd(); ++it) {
        QwtPlotMarker* marker = it.value();
        if (index != 0 && it.key() != index) {
            continue;
        }
        const double width = index == 0 ? kNormalWidth : kHighlightWidth;
        const QPen pen(marker->linePen().color(), width, Qt::SolidLine);
        if (marker->linePen() != pen) {
            marker->setLinePen(pen);
            changed = true;
        }
    }
    if (autoReplot) {
        owningPlot->setAutoReplot(true);
        if (changed) {
            owningPlot->replot();
        }
    }
}
