// SPDX-License-Identifier: Apache-2.0
#include "CorrectionDialog.h"

#include <QPushButton>

#include "CorrectionWidget.h"
#include "ui_CorrectionWidget.h"

CorrectionDialog::CorrectionDialog(QWidget* parent) : CBaseDialog(1, tr("Correction"), false, true, parent) {
    setupContent();
    resize(1000, 720);
    connect(m_panel, &CorrectionWidget::closeClicked, this, &CorrectionDialog::reject);
}

void CorrectionDialog::initContentWidget(QWidget* content) {
    m_panel = new CorrectionWidget(content);
    addPanel(m_panel);
}

void CorrectionDialog::reject() {
    finishScan();
    CBaseDialog::reject();
}

void CorrectionDialog::finishScan() {
    if (m_panel != nullptr && m_panel->isScanning()) m_panel->form()->btnRegisterContour->click();
}
