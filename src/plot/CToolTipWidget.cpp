// SPDX-License-Identifier: Apache-2.0
#include "CToolTipWidget.h"

#include <QColor>
#include <QGraphicsDropShadowEffect>
#include <QLabel>
#include <QVBoxLayout>

CToolTipWidget::CToolTipWidget(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("tipWidget"));
    // A plain QWidget only paints style-sheet backgrounds with this attribute.
    setAttribute(Qt::WA_StyledBackground, true);
    setStyleSheet(
        QStringLiteral("QWidget#tipWidget { background-color: #FFFFFF; color: black; border-radius: 5px;}"));

    auto* shadow = new QGraphicsDropShadowEffect(this);
    shadow->setColor(QColor(QStringLiteral("#444444")));
    shadow->setBlurRadius(5);
    shadow->setOffset(0, 0);
    setGraphicsEffect(shadow);

    auto* layout = new QVBoxLayout(this);
    // 5 px above and below keep the panel height at 25 per row plus 10.
    layout->setContentsMargins(5, 5, 5, 5);
    layout->setSpacing(0);
    labelPosition = new QLabel(this);
    labelValue1 = new QLabel(this);
    labelValue2 = new QLabel(this);
    labelValue3 = new QLabel(this);
    for (QLabel* label : {labelPosition, labelValue1, labelValue2, labelValue3}) {
        label->setFixedSize(kLabelWidth, kLabelHeight);
        layout->addWidget(label);
    }
}
