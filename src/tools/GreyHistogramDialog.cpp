#include "GreyHistogramDialog.h"

#include <QVBoxLayout>

#include "GreyHistogramWidget.h"

GreyHistogramDialog::GreyHistogramDialog(QWidget* parent)
    : CBaseDialog(1, tr("Histogram"), false, false, parent) {
    setupContent();
}

void GreyHistogramDialog::initContentWidget(QWidget* content) {
    m_panel = new GreyHistogramWidget(content);
    contentLayout()->setContentsMargins(0, 0, 0, 0);
    contentLayout()->addWidget(m_panel);
    content->setAttribute(Qt::WA_StyledBackground);
    content->setStyleSheet(
        QStringLiteral("#%1{background: rgba(55,56,58,5%);border-radius: 5px;}").arg(content->objectName()));
}
