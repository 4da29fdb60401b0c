// SPDX-License-Identifier: Apache-2.0
#include "CorrectionHostPanel.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

#include "ZavizoZoz3Control.h"

namespace Control = ZavizoZoz3::Control;

namespace {
// Where the simulated conveyor carries the block under the laser line.
constexpr double kBlockPositionMm = 25.0;

QDoubleSpinBox* spinBox(QWidget* parent, double min, double max, int decimals, double value) {
    auto* box = new QDoubleSpinBox(parent);
    box->setRange(min, max);
    box->setDecimals(decimals);
    box->setValue(value);
    return box;
}
}  // namespace

CorrectionHostPanel::CorrectionHostPanel(const std::string& profilerKey, QWidget* parent)
    : QWidget(parent), m_key(profilerKey) {
    auto* form = new QFormLayout(this);
    m_help = new QLabel(this);
    m_help->setWordWrap(true);
    form->addRow(m_help);
    m_sceneTiltLabel = new QLabel(this);
    m_sceneTilt = spinBox(this, -10.0, 10.0, 2, 0.0);
    form->addRow(m_sceneTiltLabel, m_sceneTilt);
    m_blockStepLabel = new QLabel(this);
    m_blockStep = spinBox(this, 0.0, 6.0, 2, 4.0);
    form->addRow(m_blockStepLabel, m_blockStep);
    m_hold = new QCheckBox(this);
    form->addRow(m_hold);
    m_tiltFactorLabel = new QLabel(this);
    m_tiltFactor = spinBox(this, -90.0, 90.0, 4, 0.0);
    form->addRow(m_tiltFactorLabel, m_tiltFactor);
    m_heightFactorLabel = new QLabel(this);
    m_heightFactor = spinBox(this, 0.0, 1000.0, 4, 1.0);
    form->addRow(m_heightFactorLabel, m_heightFactor);
    auto* buttons = new QHBoxLayout();
    m_tiltButton = new QPushButton(this);
    m_heightButton = new QPushButton(this);
    buttons->addWidget(m_tiltButton);
    buttons->addWidget(m_heightButton);
    form->addRow(buttons);

    connect(m_sceneTilt, QOverload<double>::of(&QDoubleSpinBox::valueChanged), this,
            &CorrectionHostPanel::applyScene);
    connect(m_blockStep, QOverload<double>::of(&QDoubleSpinBox::valueChanged), this,
            &CorrectionHostPanel::applyScene);
    connect(m_hold, &QCheckBox::toggled, this, &CorrectionHostPanel::applyScene);
    // The viewer's correction dialog writes the confirmed factor here; the sensor levels with it.
    connect(m_tiltFactor, QOverload<double>::of(&QDoubleSpinBox::valueChanged), this,
            [this](double degrees) { Control::setTiltCorrection(m_key, degrees); });
    connect(m_tiltButton, &QPushButton::clicked, this, [this]() { requestCorrection(0); });
    connect(m_heightButton, &QPushButton::clicked, this, [this]() { requestCorrection(1); });
    retranslateUi();
}

void CorrectionHostPanel::setScene(double tiltDegrees, double blockStepMm, bool holdAtBlock) {
    m_sceneTilt->setValue(tiltDegrees);
    m_blockStep->setValue(blockStepMm);
    m_hold->setChecked(holdAtBlock);
    applyScene();
}

void CorrectionHostPanel::applyScene() {
    Control::setLaserScene(m_key, m_sceneTilt->value(), m_blockStep->value(),
                           m_hold->isChecked() ? kBlockPositionMm : -1.0);
}

void CorrectionHostPanel::requestCorrection(int type) {
    // The viewer writes the confirmed factor (or the current one on cancel) into this box.
    QDoubleSpinBox* factor = type == 0 ? m_tiltFactor : m_heightFactor;
    Control::postCorrection(m_key, type, static_cast<float>(factor->value()), factor);
}

void CorrectionHostPanel::retranslateUi() {
    m_help->setText(
        tr("Connect the laser profiler, then press a correction: Scan contour, Register contour, put the two "
           "areas on flat parts and Confirm."));
    m_sceneTiltLabel->setText(tr("Scene tilt (°):"));
    m_blockStepLabel->setText(tr("Block step (mm):"));
    m_hold->setText(tr("Stop the conveyor at the block"));
    m_tiltFactorLabel->setText(tr("Tilt correction factor:"));
    m_heightFactorLabel->setText(tr("Height correction factor:"));
    m_tiltButton->setText(tr("Tilt correction"));
    m_heightButton->setText(tr("Height correction"));
}

void CorrectionHostPanel::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) retranslateUi();
    QWidget::changeEvent(event);
}
