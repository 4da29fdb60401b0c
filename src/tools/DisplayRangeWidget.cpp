// SPDX-License-Identifier: Apache-2.0
#include "DisplayRangeWidget.h"

#include <QSignalBlocker>

#include "OverlayColor.h"
#include "ui_DisplayRangeWidget.h"

DisplayRangeWidget::DisplayRangeWidget(QWidget* parent) : QWidget(parent), m_ui(new Ui::DisplayRangeWidget) {
    m_ui->setupUi(this);
    m_ui->dSpinboxGamma->setRange(ZMKDisplayRange::kMinGamma, ZMKDisplayRange::kMaxGamma);
    showRange(m_range);
    connect(m_ui->comboBoxMode, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &DisplayRangeWidget::onEdited);
    for (QSpinBox* box : {m_ui->spinBoxMin, m_ui->spinBoxMax})
        connect(box, &QSpinBox::editingFinished, this, &DisplayRangeWidget::onEdited);
    for (QDoubleSpinBox* box : {m_ui->dSpinboxLow, m_ui->dSpinboxHigh, m_ui->dSpinboxGamma})
        connect(box, &QDoubleSpinBox::editingFinished, this, &DisplayRangeWidget::onEdited);
    connect(m_ui->checkBoxSaturation, &QCheckBox::toggled, this, &DisplayRangeWidget::onEdited);
    connect(m_ui->btnSaturationColour, &QPushButton::clicked, this, &DisplayRangeWidget::onColourClicked);
    connect(m_ui->btnAutoOnce, &QPushButton::clicked, this, &DisplayRangeWidget::onAutoOnce);
}

DisplayRangeWidget::~DisplayRangeWidget() {
    delete m_ui;
}

void DisplayRangeWidget::showRange(const ZMKDisplayRange& range) {
    m_range = range;
    m_showing = true;
    m_ui->comboBoxMode->setCurrentIndex(static_cast<int>(range.mode));
    m_ui->spinBoxMin->setValue(range.minimum);
    m_ui->spinBoxMax->setValue(range.maximum);
    m_ui->dSpinboxLow->setValue(range.lowPercent);
    m_ui->dSpinboxHigh->setValue(range.highPercent);
    m_ui->dSpinboxGamma->setValue(range.gamma);
    m_ui->checkBoxSaturation->setChecked(range.markSaturated);
    OverlayColor::paintButton(m_ui->btnSaturationColour, range.saturationColour);
    m_showing = false;
    enableForMode();
}

void DisplayRangeWidget::showLevels(int low, int high) {
    m_range.minimum = low;
    m_range.maximum = high;
    const QSignalBlocker min(m_ui->spinBoxMin), max(m_ui->spinBoxMax);
    m_ui->spinBoxMin->setValue(low);
    m_ui->spinBoxMax->setValue(high);
}

void DisplayRangeWidget::enableForMode() {
    const bool fixed = m_range.mode == ZMKDisplayRange::Mode::Fixed;
    const bool percentile = m_range.mode == ZMKDisplayRange::Mode::Percentile;
    // The automatic modes show the levels they found; only a fixed range is typed in.
    m_ui->spinBoxMin->setReadOnly(!fixed);
    m_ui->spinBoxMax->setReadOnly(!fixed);
    m_ui->dSpinboxLow->setEnabled(percentile);
    m_ui->dSpinboxHigh->setEnabled(percentile);
    m_ui->btnSaturationColour->setEnabled(m_range.markSaturated);
}

void DisplayRangeWidget::onEdited() {
    if (m_showing) return;
    ZMKDisplayRange edited = m_range;
    edited.mode = static_cast<ZMKDisplayRange::Mode>(m_ui->comboBoxMode->currentIndex());
    edited.minimum = m_ui->spinBoxMin->value();
    edited.maximum = m_ui->spinBoxMax->value();
    edited.lowPercent = m_ui->dSpinboxLow->value();
    edited.highPercent = m_ui->dSpinboxHigh->value();
    edited.gamma = m_ui->dSpinboxGamma->value();
    edited.markSaturated = m_ui->checkBoxSaturation->isChecked();
    if (!edited.isValid()) {
        // A minimum at or above the maximum (or crossed percentiles): the boxes go back.
        showRange(m_range);
        return;
    }
    if (edited == m_range) return;
    m_range = edited;
    enableForMode();
    emit rangeEdited(m_range);
}

void DisplayRangeWidget::onAutoOnce() {
    m_range.mode = ZMKDisplayRange::Mode::AutoOnce;
    {
        const QSignalBlocker block(m_ui->comboBoxMode);
        m_ui->comboBoxMode->setCurrentIndex(static_cast<int>(m_range.mode));
    }
    enableForMode();
    emit rangeEdited(m_range);
}

void DisplayRangeWidget::onColourClicked() {
    QColor chosen;
    if (!OverlayColor::choose(this, m_range.saturationColour, &chosen)) return;
    m_range.saturationColour = chosen;
    OverlayColor::paintButton(m_ui->btnSaturationColour, chosen);
    emit rangeEdited(m_range);
}

void DisplayRangeWidget::retranslate() {
    m_ui->retranslateUi(this);
}
