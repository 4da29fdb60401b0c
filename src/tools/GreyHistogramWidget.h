// SPDX-License-Identifier: Apache-2.0
#pragma once
// Histogram panel of a pane: the histogram of a region (the whole image or one drawn on the image), or
// a line or column profile at a chosen position, of the pane's live image, with a table of minimum,
// maximum, average and standard deviation per channel. The arithmetic runs in the panel's own
// CalculateGreyThread; results are drawn into a HistogramPlot.
#include <QImage>
#include <QPointer>
#include <QVector>
#include <QWidget>

#include "CalculateGreyThread.h"
#include "HistogramPlot.h"

namespace Ui {
class GreyHistogramWidget;
}

class GreyHistogramWidget : public QWidget {
    Q_OBJECT
public:
    explicit GreyHistogramWidget(QWidget* parent = nullptr);
    // Ends the worker before the form goes.
    ~GreyHistogramWidget() override;

    // Size of the pane's image: resets the region to the whole image and the positions to its centre.
    // A local region reverts to the whole image. Sizes below 1 are ignored.
    void setImageSize(int width, int height);
    QSize imageSize() const { return QSize(m_imageWidth, m_imageHeight); }
    // A region the user drew on the image (centre and size in image pixels).
    void setROIInfo(int centerX, int centerY, int width, int height);
    // Line and column position of the profiles (a click on the image).
    void setPos(int x, int y);
    // Any thread: hands an image to the worker (shared, not copied).
    void addImage(const QImage& image);
    // The plot leaves the panel (into the pane's sub-frame) and comes back.
    QWidget* takePlot();
    void returnPlot(QWidget* plot);
    void retranslate();

    bool isGlobalROI() const { return m_globalROI; }
    int currentView() const;
    HistogramPlot* plot() const { return m_plot.data(); }
    CalculateGreyThread* worker() { return &m_thread; }

signals:
    void selectROIShape(bool isGlobal);
    void viewChanged(int index);
    void ROIChanged(uint centerX, uint centerY, uint width, uint height);
    void PosChanged(uint posX, uint posY);
    void quitHistogramWidt();

public slots:
    void showCalculateData(QVector<QVector<double> > red, QVector<QVector<double> > green,
                           QVector<QVector<double> > blue, QVector<QVector<double> > calResult);
    void selectViewChanged(int index);
    void onSpinBoxVlueChanged();

private:
    void onLocalROIClicked();
    void onGlobalROIClicked();
    void setRegionButtonStyles(bool global);
    void setTableHeader();
    void updateCurveVisibility(bool grey);
    void applyAxesForData(const QVector<QVector<double> >& red, const QVector<QVector<double> >& green,
                          const QVector<QVector<double> >& blue, bool grey);
    void emitPosChanged();
    // Axis ranges the panel set last; a different current range means the user zoomed or panned.
    void setPlotXRange(double min, double max, double step);
    void setPlotYRange(double min, double max, double step);

    int m_centerX = 0;
    int m_centerY = 0;
    int m_width = 0;
    int m_height = 0;
    int m_imageWidth = 0;
    int m_imageHeight = 0;
    CalculateGreyThread m_thread;
    bool m_globalROI = true;
    bool m_greyData = true;
    QPointer<HistogramPlot> m_plot;
    double m_plotXMin = 0.0;
    double m_plotXMax = 0.0;
    double m_plotYMin = 0.0;
    double m_plotYMax = 0.0;
    Ui::GreyHistogramWidget* m_ui;
};
