// SPDX-License-Identifier: Apache-2.0
#include "GreyHistogramWidget.h"

#include <qwt_plot.h>
#include <qwt_scale_div.h>

#include <QHeaderView>
#include <QSignalBlocker>
#include <QTableWidgetItem>
#include <algorithm>
#include <cmath>

#include "HistogramPlot.h"
#include "ui_GreyHistogramWidget.h"

namespace {
const char* const kLocalSelected =
    "QPushButton{image: url(:/Resource/icons/localROI/clicked.svg);}"
    "QPushButton:hover{image: url(:/Resource/icons/localROI/hover.svg);}";
const char* const kLocalNormal =
    "QPushButton{image: url(:/Resource/icons/localROI/normal.svg);}"
    "QPushButton:hover{image: url(:/Resource/icons/localROI/hover.svg);}";
const char* const kGlobalSelected =
    "QPushButton{image: url(:/Resource/icons/globalROI/clicked.svg);}"
    "QPushButton:hover{image: url(:/Resource/icons/globalROI/hover.svg);}";
const char* const kGlobalNormal =
    "QPushButton{image: url(:/Resource/icons/globalROI/normal.svg);}"
    "QPushButton:hover{image: url(:/Resource/icons/globalROI/hover.svg);}";
const char* const kPanelStyle =
    "QPushButton#btnZoomIn{border:none;image:url(:/Resource/icons/zoomIn/normal.svg);}"
    "QPushButton#btnZoomIn:hover{image:url(:/Resource/icons/zoomIn/hover.svg);}"
    "QPushButton#btnZoomOut{border:none;image:url(:/Resource/icons/zoomOut/normal.svg);}"
    "QPushButton#btnZoomOut:hover{image:url(:/Resource/icons/zoomOut/hover.svg);}"
    "QPushButton#btnRestore{border:none;image:url(:/Resource/icons/restore/normal.svg);}"
    "QPushButton#btnRestore:hover{image:url(:/Resource/icons/restore/hover.svg);}"
    "QPushButton#btnZoomIn,QPushButton#btnZoomOut,QPushButton#btnRestore{"
    "background: rgba(55,56,58,0.80);border-radius: 4px;}"
    "QPushButton#btnLocalROI,QPushButton#btnGlobalROI{border:none;}";
const char* const kHeaderStyle =
    "QHeaderView::section{background: #D8D8D8;border: 1px solid rgba(197,197,197,1);height: 30px;}";

// A sixth of the span, truncated and cut to its leading digit (2057 gives 2000, 95 gives 90).
double axisStep(double span) {
    auto v = static_cast<long long>(span / 6.0);
    long long p = 1;
    while (v / p >= 10)
        p *= 10;
    return double(v / p * p);
}

double largestY(const QVector<QVector<double> >& series) {
    if (series.size() < 2 || series[1].isEmpty()) return 0.0;
    return *std::max_element(series[1].begin(), series[1].end());
}
}  // namespace

GreyHistogramWidget::GreyHistogramWidget(QWidget* parent)
    : QWidget(parent), m_ui(new Ui::GreyHistogramWidget) {
    m_ui->setupUi(this);
    m_plot = m_ui->histogramPlot;
    setStyleSheet(QString::fromLatin1(kPanelStyle));
    m_ui->greyValue_tableWidget->setColumnCount(5);
    setTableHeader();
    QTableWidget* table = m_ui->greyValue_tableWidget;
    table->horizontalHeader()->setStyleSheet(QString::fromLatin1(kHeaderStyle));
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    table->verticalHeader()->hide();
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::NoSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setAlternatingRowColors(true);

    connect(&m_thread, &CalculateGreyThread::calculateFinish, this, &GreyHistogramWidget::showCalculateData,
            Qt::QueuedConnection);
    connect(m_ui->comboBoxSelectView, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &GreyHistogramWidget::selectViewChanged);
    for (QSpinBox* box :
         {m_ui->spinBoxCenterX, m_ui->spinBoxCenterY, m_ui->spinBoxWidth, m_ui->spinBoxHeight})
        connect(box, &QSpinBox::editingFinished, this, &GreyHistogramWidget::onSpinBoxVlueChanged);
    for (QSpinBox* box : {m_ui->spinBoxPosX, m_ui->spinBoxPosY})
        connect(box, QOverload<int>::of(&QSpinBox::valueChanged), this,
                &GreyHistogramWidget::onSpinBoxVlueChanged);
    connect(m_ui->btnConfirm, &QPushButton::clicked, this, &GreyHistogramWidget::quitHistogramWidt);
    connect(m_ui->btnCancel, &QPushButton::clicked, this, &GreyHistogramWidget::quitHistogramWidt);
    connect(m_ui->btnZoomIn, &QPushButton::clicked, m_plot.data(), &HistogramPlot::zoomIn);
    connect(m_ui->btnZoomOut, &QPushButton::clicked, m_plot.data(), &HistogramPlot::zoomOut);
    connect(m_ui->btnRestore, &QPushButton::clicked, m_plot.data(), &HistogramPlot::resetZoom);
    const QCheckBox* boxes[3] = {m_ui->checkBoxRed, m_ui->checkBoxGreen, m_ui->checkBoxBlue};
    for (int c = 0; c < 3; ++c) {
        connect(boxes[c], &QCheckBox::toggled, this, [this, c](bool on) {
            if (!m_greyData && m_plot) m_plot->setCurveHidden(HistogramPlot::Red + c, !on);
        });
    }
    connect(m_ui->btnLocalROI, &QPushButton::clicked, this, &GreyHistogramWidget::onLocalROIClicked);
    connect(m_ui->btnGlobalROI, &QPushButton::clicked, this, &GreyHistogramWidget::onGlobalROIClicked);

    m_thread.start();
    m_thread.resume();
    m_ui->checkBoxRed->setChecked(true);
    m_ui->checkBoxGreen->setChecked(true);
    m_ui->checkBoxBlue->setChecked(true);
    updateCurveVisibility(true);
    setRegionButtonStyles(true);
    selectViewChanged(0);
    for (QSpinBox* box :
         {m_ui->spinBoxCenterX, m_ui->spinBoxCenterY, m_ui->spinBoxWidth, m_ui->spinBoxHeight})
        box->setEnabled(false);
}

GreyHistogramWidget::~GreyHistogramWidget() {
    m_thread.stop();
    delete m_ui;
}

int GreyHistogramWidget::currentView() const {
    return m_ui->comboBoxSelectView->currentIndex();
}

void GreyHistogramWidget::setImageSize(int width, int height) {
    if (width < 1 || height < 1) return;
    m_imageWidth = width;
    m_imageHeight = height;
    {
        const QSignalBlocker b1(m_ui->spinBoxWidth), b2(m_ui->spinBoxHeight), b3(m_ui->spinBoxPosX),
            b4(m_ui->spinBoxPosY), b5(m_ui->spinBoxCenterX), b6(m_ui->spinBoxCenterY);
        m_ui->spinBoxWidth->setMaximum(width);
        m_ui->spinBoxWidth->setValue(width);
        m_ui->spinBoxHeight->setMaximum(height);
        m_ui->spinBoxHeight->setValue(height);
        m_ui->spinBoxPosX->setMaximum(width - 1);
        m_ui->spinBoxPosX->setValue(width / 2);
        m_ui->spinBoxPosY->setMaximum(height - 1);
        m_ui->spinBoxPosY->setValue(height / 2);
        m_ui->spinBoxCenterX->setRange(width / 2, width - width / 2);
        m_ui->spinBoxCenterX->setValue(width / 2);
        m_ui->spinBoxCenterY->setRange(height / 2, height - height / 2);
        m_ui->spinBoxCenterY->setValue(height / 2);
    }
    m_centerX = width / 2;
    m_centerY = height / 2;
    m_width = width;
    m_height = height;
    m_thread.setROI(0, uint(width), 0, uint(height));
    m_thread.setColumnPosition(width / 2);
    m_thread.setLinePosition(height / 2);
    // A region drawn on an image of another size means nothing on this one.
    if (!m_globalROI) onGlobalROIClicked();
    if (currentView() != 0) selectViewChanged(currentView());
}

void GreyHistogramWidget::setROIInfo(int centerX, int centerY, int width, int height) {
    {
        const QSignalBlocker b1(m_ui->spinBoxWidth), b2(m_ui->spinBoxHeight), b3(m_ui->spinBoxCenterX),
            b4(m_ui->spinBoxCenterY);
        m_ui->spinBoxWidth->setValue(width);
        m_ui->spinBoxHeight->setValue(height);
        m_ui->spinBoxCenterX->setRange(0, 200000);
        m_ui->spinBoxCenterY->setRange(0, 200000);
        m_ui->spinBoxCenterX->setValue(centerX);
        m_ui->spinBoxCenterY->setValue(centerY);
    }
    emit m_ui->spinBoxWidth->editingFinished();
    emit m_ui->spinBoxHeight->editingFinished();
    for (QSpinBox* box :
         {m_ui->spinBoxCenterX, m_ui->spinBoxCenterY, m_ui->spinBoxWidth, m_ui->spinBoxHeight})
        box->setEnabled(true);
}

void GreyHistogramWidget::setPos(int x, int y) {
    {
        const QSignalBlocker bx(m_ui->spinBoxPosX), by(m_ui->spinBoxPosY);
        m_ui->spinBoxPosX->setValue(x);
        m_ui->spinBoxPosY->setValue(y);
    }
    m_thread.setColumnPosition(x);
    m_thread.setLinePosition(y);
}

void GreyHistogramWidget::addImage(const QImage& image) {
    m_thread.addImage(image);
}

QWidget* GreyHistogramWidget::takePlot() {
    if (m_plot == nullptr) return nullptr;
    m_ui->verticalLayoutPlot->removeWidget(m_plot);
    return m_plot;
}

void GreyHistogramWidget::returnPlot(QWidget* plot) {
    if (plot == nullptr) return;
    m_ui->verticalLayoutPlot->addWidget(plot);
    plot->show();
}

void GreyHistogramWidget::retranslate() {
    m_ui->retranslateUi(this);
    setTableHeader();
}

void GreyHistogramWidget::setTableHeader() {
    m_ui->greyValue_tableWidget->setHorizontalHeaderLabels(
        {tr("Channel"), tr("Min grey"), tr("Max grey"), tr("Average grey"), tr("Std. deviation")});
}

void GreyHistogramWidget::setRegionButtonStyles(bool global) {
    m_ui->btnLocalROI->setStyleSheet(QString::fromLatin1(global ? kLocalNormal : kLocalSelected));
    m_ui->btnGlobalROI->setStyleSheet(QString::fromLatin1(global ? kGlobalSelected : kGlobalNormal));
}

void GreyHistogramWidget::updateCurveVisibility(bool grey) {
    m_greyData = grey;
    for (QCheckBox* box : {m_ui->checkBoxRed, m_ui->checkBoxGreen, m_ui->checkBoxBlue})
        box->setVisible(!grey);
    if (m_plot == nullptr) return;
    m_plot->setCurveHidden(HistogramPlot::Grey, !grey);
    m_plot->setCurveHidden(HistogramPlot::Red, grey || !m_ui->checkBoxRed->isChecked());
    m_plot->setCurveHidden(HistogramPlot::Green, grey || !m_ui->checkBoxGreen->isChecked());
    m_plot->setCurveHidden(HistogramPlot::Blue, grey || !m_ui->checkBoxBlue->isChecked());
}

// The axes follow the data until the user zooms or pans; the restore button hands them back.
void GreyHistogramWidget::applyAxesForData(const QVector<QVector<double> >& red,
                                           const QVector<QVector<double> >& green,
                                           const QVector<QVector<double> >& blue, bool grey) {
    if (m_plot == nullptr || red.size() < 2 || red[0].isEmpty()) return;
    double top = largestY(red);
    if (!grey) top = std::max({top, largestY(green), largestY(blue)});
    const QwtInterval y = m_plot->plot()->axisInterval(QwtPlot::yLeft);
    const QwtInterval x = m_plot->plot()->axisInterval(QwtPlot::xBottom);
    const bool followY = y.minValue() == m_plotYMin && y.maxValue() == m_plotYMax;
    const bool followX = x.minValue() == m_plotXMin && x.maxValue() == m_plotXMax;
    const QVector<double>& xs = red[0];
    if (currentView() == 0) {
        if (followY) setPlotYRange(0.0, std::max(top, 1.0), axisStep(top));
        // 16-bit data: the bins span more than the 8-bit axis.
        const double binWidth = xs.size() > 1 ? xs[1] - xs[0] : 1.0;
        const double right = xs.last() + binWidth - 1.0;
        if (followX && right > 255.0) setPlotXRange(xs.first(), right, axisStep(right - xs.first()));
    } else if (top > 260.0 && followY) {
        setPlotYRange(0.0, top, axisStep(top));
    }
}

void GreyHistogramWidget::setPlotXRange(double min, double max, double step) {
    m_plot->setXRange(min, max, step, true);
    const QwtInterval x = m_plot->plot()->axisInterval(QwtPlot::xBottom);
    m_plotXMin = x.minValue();
    m_plotXMax = x.maxValue();
}

void GreyHistogramWidget::setPlotYRange(double min, double max, double step) {
    m_plot->setYRange(min, max, step, true);
    const QwtInterval y = m_plot->plot()->axisInterval(QwtPlot::yLeft);
    m_plotYMin = y.minValue();
    m_plotYMax = y.maxValue();
}

void GreyHistogramWidget::showCalculateData(QVector<QVector<double> > red, QVector<QVector<double> > green,
                                            QVector<QVector<double> > blue,
                                            QVector<QVector<double> > calResult) {
    m_thread.resultShown();
    const bool grey = green.isEmpty() && blue.isEmpty();
    if (m_plot) {
        if (grey) {
            if (red.size() >= 2) m_plot->setCurveData(HistogramPlot::Grey, red[0], red[1]);
        } else {
            const QVector<QVector<double> >* channels[3] = {&red, &green, &blue};
            for (int c = 0; c < 3; ++c) {
                if (channels[c]->size() >= 2)
                    m_plot->setCurveData(HistogramPlot::Red + c, channels[c]->at(0), channels[c]->at(1));
            }
        }
        applyAxesForData(red, green, blue, grey);
    }
    updateCurveVisibility(grey);

    QTableWidget* table = m_ui->greyValue_tableWidget;
    table->clearContents();
    const bool colour = calResult.size() == 3;
    const QStringList names =
        colour ? QStringList{tr("Red"), tr("Green"), tr("Blue")} : QStringList{tr("Grey")};
    table->setRowCount(calResult.isEmpty() ? 0 : names.size());
    for (int row = 0; row < table->rowCount(); ++row) {
        QStringList cells{names[row]};
        for (double v : calResult[row])
            cells << QString::number(v, 'g', 6);
        for (int col = 0; col < cells.size() && col < 5; ++col) {
            auto* item = new QTableWidgetItem(cells[col]);
            item->setTextAlignment(Qt::AlignCenter);
            table->setItem(row, col, item);
        }
    }
}

void GreyHistogramWidget::selectViewChanged(int index) {
    m_thread.setViewMode(index);
    const bool profile = index == 1 || index == 2;
    if (m_plot) {
        if (index == 0) {
            setPlotXRange(0.0, 255.0, 50.0);
            setPlotYRange(0.0, 10.0, 1.0);
        } else {
            const int length = index == 1 ? m_imageWidth : m_imageHeight;
            setPlotYRange(0.0, 260.0, 50.0);
            setPlotXRange(0.0, std::max(length, 1), length / 6);
        }
        m_plot->setDisplayMode(profile ? HistogramPlot::PointsMode : HistogramPlot::LinesMode);
        m_plot->setPositionLabelMode(index);
    }
    m_ui->btnLocalROI->setEnabled(!profile);
    for (QWidget* w : {static_cast<QWidget*>(m_ui->lbROIShape), static_cast<QWidget*>(m_ui->btnLocalROI),
                       static_cast<QWidget*>(m_ui->btnGlobalROI), static_cast<QWidget*>(m_ui->lbCenterX),
                       static_cast<QWidget*>(m_ui->spinBoxCenterX), static_cast<QWidget*>(m_ui->lbCenterY),
                       static_cast<QWidget*>(m_ui->spinBoxCenterY), static_cast<QWidget*>(m_ui->lbWidth),
                       static_cast<QWidget*>(m_ui->spinBoxWidth), static_cast<QWidget*>(m_ui->lbHeight),
                       static_cast<QWidget*>(m_ui->spinBoxHeight)})
        w->setHidden(profile);
    for (QWidget* w : {static_cast<QWidget*>(m_ui->lbMeasurePosition), static_cast<QWidget*>(m_ui->lbPosX),
                       static_cast<QWidget*>(m_ui->spinBoxPosX), static_cast<QWidget*>(m_ui->lbPosY),
                       static_cast<QWidget*>(m_ui->spinBoxPosY)})
        w->setHidden(!profile);
    if (index == 0) {
        emit ROIChanged(uint(m_centerX), uint(m_centerY), uint(m_width), uint(m_height));
    } else if (profile) {
        if (index == 1) m_thread.setLinePosition(m_ui->spinBoxPosY->value());
        if (index == 2) m_thread.setColumnPosition(m_ui->spinBoxPosX->value());
        emitPosChanged();
    }
    emit viewChanged(index);
}

void GreyHistogramWidget::emitPosChanged() {
    emit PosChanged(uint(m_ui->spinBoxPosX->value()), uint(m_ui->spinBoxPosY->value()));
}

void GreyHistogramWidget::onSpinBoxVlueChanged() {
    QObject* s = sender();
    if (s == m_ui->spinBoxWidth) {
        if (m_ui->spinBoxWidth->value() < 10) {
            const QSignalBlocker block(m_ui->spinBoxWidth);
            m_ui->spinBoxWidth->setValue(10);
        }
        const int half = m_ui->spinBoxWidth->value() / 2;
        m_ui->spinBoxCenterX->setRange(half, m_imageWidth - half);
    } else if (s == m_ui->spinBoxHeight) {
        if (m_ui->spinBoxHeight->value() < 10) {
            const QSignalBlocker block(m_ui->spinBoxHeight);
            m_ui->spinBoxHeight->setValue(10);
        }
        const int half = m_ui->spinBoxHeight->value() / 2;
        m_ui->spinBoxCenterY->setRange(half, m_imageHeight - half);
    } else if (s == m_ui->spinBoxPosX) {
        m_thread.setColumnPosition(m_ui->spinBoxPosX->value());
        emitPosChanged();
        return;
    } else if (s == m_ui->spinBoxPosY) {
        m_thread.setLinePosition(m_ui->spinBoxPosY->value());
        emitPosChanged();
        return;
    }
    m_centerX = m_ui->spinBoxCenterX->value();
    m_centerY = m_ui->spinBoxCenterY->value();
    m_width = m_ui->spinBoxWidth->value();
    m_height = m_ui->spinBoxHeight->value();
    m_thread.setROI(uint(m_centerX - m_width / 2), uint(m_centerX + m_width / 2),
                    uint(m_centerY - m_height / 2), uint(m_centerY + m_height / 2));
    if (!m_globalROI) emit ROIChanged(uint(m_centerX), uint(m_centerY), uint(m_width), uint(m_height));
}

void GreyHistogramWidget::onLocalROIClicked() {
    if (!m_globalROI) return;
    emit selectROIShape(false);
    setRegionButtonStyles(false);
    m_globalROI = false;
}

void GreyHistogramWidget::onGlobalROIClicked() {
    if (m_globalROI) return;
    emit selectROIShape(true);
    {
        const QSignalBlocker bw(m_ui->spinBoxWidth), bh(m_ui->spinBoxHeight);
        m_ui->spinBoxWidth->setValue(m_imageWidth);
        m_ui->spinBoxHeight->setValue(m_imageHeight);
    }
    emit m_ui->spinBoxWidth->editingFinished();
    emit m_ui->spinBoxHeight->editingFinished();
    setRegionButtonStyles(true);
    m_globalROI = true;
    for (QSpinBox* box :
         {m_ui->spinBoxCenterX, m_ui->spinBoxCenterY, m_ui->spinBoxWidth, m_ui->spinBoxHeight})
        box->setEnabled(false);
}
