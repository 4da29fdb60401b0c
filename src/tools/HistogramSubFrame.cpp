// SPDX-License-Identifier: Apache-2.0
#include "HistogramSubFrame.h"

#include <QPushButton>

#include "ui_HistogramSubFrame.h"

HistogramSubFrame::HistogramSubFrame(QWidget* parent) : QFrame(parent), m_ui(new Ui::HistogramSubFrame) {
    m_ui->setupUi(this);
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(
        QStringLiteral("QFrame#HistogramSubFrame{background: white;border: 2px solid green;}"
                       "QPushButton#btnEnlarge{border:none;image:url(:/Resource/icons/enlarge/normal.svg);}"
                       "QPushButton#btnEnlarge:hover{image:url(:/Resource/icons/enlarge/hover.svg);}"
                       "QPushButton#btnEnlarge:pressed{image:url(:/Resource/icons/enlarge/clicked.svg);}"));
    connect(m_ui->btnEnlarge, &QPushButton::clicked, this, &HistogramSubFrame::enlargeButtonClicked);
}

HistogramSubFrame::~HistogramSubFrame() {
    delete m_ui;
}

void HistogramSubFrame::addWidget(QWidget* widget) {
    if (widget == nullptr) return;
    m_widget = widget;
    m_ui->layoutContent->addWidget(widget);
    widget->show();
}

QWidget* HistogramSubFrame::takeWidget() {
    QWidget* w = m_widget;
    if (w) m_ui->layoutContent->removeWidget(w);
    m_widget = nullptr;
    return w;
}

QWidget* HistogramSubFrame::enlargeButton() const {
    return m_ui->btnEnlarge;
}
