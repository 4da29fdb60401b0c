#include "CorrectionDialog.h"

#include <QPushButton>
#include <QVBoxLayout>

#include "CorrectionWidget.h"
#include "ui_CorrectionWidget.h"

CorrectionDialog::CorrectionDialog(QWidget* parent) : CBaseDialog(1, tr("Correction"), false, true, parent) {
    setupContent();
    resize(1000, 720);
    connect(m_panel, &CorrectionWidget::closeClicked, this, &CorrectionDialog::reject);
}

void CorrectionDialog::initContentWidget(QWidget* content) {
    m_panel = new CorrectionWidget(content);
    contentLayout()->setContentsMargins(0, 0, 0, 0);
    contentLayout()->addWidget(m_panel);
    content->setAttribute(Qt::WA_StyledBackground);
    content->setStyleSheet(
        QStringLiteral("#%1{background: rgba(55,56,58,5%);border-radius: 5px;}").arg(content->objectName()));
}

void CorrectionDialog::reject() {
    finishScan();
    CBaseDialog::reject();
}

void CorrectionDialog::finishScan() {
    if (m_panel != nullptr && m_panel->isScanning()) m_panel->form()->btnRegisterContour->click();
}
