#pragma once
// Temporary stand-in until the plot library lands.
#include <QPointF>
#include <QVector>
#include <QWidget>
class ProfilePlot : public QWidget {
    Q_OBJECT
public:
    explicit ProfilePlot(QWidget* parent = nullptr) : QWidget(parent) {}
    void setXRange(double, double, bool) {}
    void setYRange(double, double, bool) {}
    void setSamples(const QVector<QPointF>&) {}
    void setData(const QVector<double>&, const QVector<double>&) {}
    void zoomIn() {}
    void zoomOut() {}
};
