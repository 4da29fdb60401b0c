// SPDX-License-Identifier: Apache-2.0
#include "MeasureLengthDialog.h"

#include "MeasureLengthWidget.h"

MeasureLengthDialog::MeasureLengthDialog(QWidget* parent)
    : CBaseDialog(CloseButton, tr("Measure Length"), false, false, parent) {
    setupContent();
}

MeasureLengthDialog::~MeasureLengthDialog() {
    if (m_panel) m_panel->deleteLater();
}

void MeasureLengthDialog::initContentWidget(QWidget* content) {
    m_panel = new MeasureLengthWidget(content);
    addPanel(m_panel);
}
