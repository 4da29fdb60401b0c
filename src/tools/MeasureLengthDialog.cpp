#include "MeasureLengthDialog.h"

#include <QVBoxLayout>

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
    contentLayout()->setContentsMargins(0, 0, 0, 0);
    contentLayout()->addWidget(m_panel);
    content->setAttribute(Qt::WA_StyledBackground);
    content->setStyleSheet(
        QStringLiteral("#%1{background: rgba(55,56,58,5%);border-radius: 5px;}").arg(content->objectName()));
}
