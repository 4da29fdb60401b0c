// SPDX-License-Identifier: Apache-2.0
#include "GreyHistogramDialog.h"

#include "GreyHistogramWidget.h"

GreyHistogramDialog::GreyHistogramDialog(QWidget* parent)
    : CBaseDialog(1, tr("Histogram"), false, false, parent) {
    setupContent();
}

void GreyHistogramDialog::initContentWidget(QWidget* content) {
    m_panel = new GreyHistogramWidget(content);
    addPanel(m_panel);
}
