// SPDX-License-Identifier: Apache-2.0
#include "GridConfigWidget.h"

#include <QSignalBlocker>

#include "OverlayColor.h"
#include "ui_GridConfigWidget.h"

GridConfigWidget::GridConfigWidget(QWidget* parent) : QWidget(parent), m_ui(new Ui::GridConfigWidget) {
    m_ui->setupUi(this);
    connect(m_ui->spinBoxLineWidth, QOverload<int>::of(&QSpinBox::valueChanged), this,
            &GridConfigWidget::lineWidthChanged);
    connect(m_ui->spinBoxLineSpace, QOverload<int>::of(&QSpinBox::valueChanged), this,
            &GridConfigWidget::lineSpaceChanged);
    connect(m_ui->btnColor, &QPushButton::clicked, this, &GridConfigWidget::onColorButtonClicked);
}

GridConfigWidget::~GridConfigWidget() {
    delete m_ui;
}

void GridConfigWidget::setLineWidth(int width) {
    const QSignalBlocker blocker(m_ui->spinBoxLineWidth);
    m_ui->spinBoxLineWidth->setValue(width);
}

void GridConfigWidget::setLineSpace(int space) {
    const QSignalBlocker blocker(m_ui->spinBoxLineSpace);
    m_ui->spinBoxLineSpace->setValue(space);
}

void GridConfigWidget::setColor(const QColor& color) {
    OverlayColor::paintButton(m_ui->btnColor, color);
    m_color = color;
}

void GridConfigWidget::onColorButtonClicked() {
    QColor chosen;
    if (!OverlayColor::choose(this, m_color, &chosen)) return;
    setColor(chosen);
    emit colorChanged(chosen);
}
