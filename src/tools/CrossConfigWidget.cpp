// SPDX-License-Identifier: Apache-2.0
#include "CrossConfigWidget.h"

#include <QSignalBlocker>

#include "OverlayColor.h"
#include "ui_CrossConfigWidget.h"

CrossConfigWidget::CrossConfigWidget(QWidget* parent) : QWidget(parent), m_ui(new Ui::CrossConfigWidget) {
    m_ui->setupUi(this);
    const auto reportPos = [this]() {
        emit posChanged(m_ui->spinBoxPosX->value(), m_ui->spinBoxPosY->value());
    };
    connect(m_ui->spinBoxPosX, QOverload<int>::of(&QSpinBox::valueChanged), this, reportPos);
    connect(m_ui->spinBoxPosY, QOverload<int>::of(&QSpinBox::valueChanged), this, reportPos);
    connect(m_ui->spinBoxWidth, QOverload<int>::of(&QSpinBox::valueChanged), this,
            &CrossConfigWidget::withChanged);
    connect(m_ui->btnCenter, &QPushButton::clicked, this, &CrossConfigWidget::onCenterButtonClicked);
    connect(m_ui->btnColor, &QPushButton::clicked, this, &CrossConfigWidget::onColorButtonClicked);
    connect(m_ui->radioWndCoordinate, &QRadioButton::clicked, this, &CrossConfigWidget::onRadioButtonClicked);
    connect(m_ui->radioImageCoordinate, &QRadioButton::clicked, this,
            &CrossConfigWidget::onRadioButtonClicked);
}

CrossConfigWidget::~CrossConfigWidget() {
    delete m_ui;
}

void CrossConfigWidget::setCoordinateMode(int mode) {
    (mode == ImageCoordinate ? m_ui->radioImageCoordinate : m_ui->radioWndCoordinate)->click();
}

void CrossConfigWidget::setPosX(int maximum, int value) {
    const QSignalBlocker blocker(m_ui->spinBoxPosX);
    m_ui->spinBoxPosX->setRange(0, maximum);
    m_ui->spinBoxPosX->setValue(value);
}

void CrossConfigWidget::setPosY(int maximum, int value) {
    const QSignalBlocker blocker(m_ui->spinBoxPosY);
    m_ui->spinBoxPosY->setRange(0, maximum);
    m_ui->spinBoxPosY->setValue(value);
}

void CrossConfigWidget::setLineWidth(int width) {
    const QSignalBlocker blocker(m_ui->spinBoxWidth);
    m_ui->spinBoxWidth->setValue(width);
}

void CrossConfigWidget::setColor(const QColor& color) {
    OverlayColor::paintButton(m_ui->btnColor, color);
    m_color = color;
}

void CrossConfigWidget::onCenterButtonClicked() {
    m_ui->spinBoxPosX->setValue(m_ui->spinBoxPosX->maximum() / 2);
    m_ui->spinBoxPosY->setValue(m_ui->spinBoxPosY->maximum() / 2);
}

void CrossConfigWidget::onColorButtonClicked() {
    QColor chosen;
    if (!OverlayColor::choose(this, m_color, &chosen)) return;
    setColor(chosen);
    emit colorChanged(chosen);
}

void CrossConfigWidget::onRadioButtonClicked() {
    const bool image = m_ui->radioImageCoordinate->isChecked();
    const QSize size = image ? m_imageSize : m_wndSize;
    // The positions follow the new range silently; the mode change tells the owner to re-read them.
    {
        const QSignalBlocker bx(m_ui->spinBoxPosX);
        const QSignalBlocker by(m_ui->spinBoxPosY);
        m_ui->spinBoxPosX->setRange(0, size.width());
        m_ui->spinBoxPosY->setRange(0, size.height());
    }
    m_ui->spinBoxPosX->setToolTip(QStringLiteral("0-%1").arg(size.width()));
    m_ui->spinBoxPosY->setToolTip(QStringLiteral("0-%1").arg(size.height()));
    emit coordinateModeChanged(image ? ImageCoordinate : WndCoordinate);
}
