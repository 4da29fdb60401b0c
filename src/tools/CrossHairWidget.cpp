// SPDX-License-Identifier: Apache-2.0
#include "CrossHairWidget.h"

#include <QPainter>

CrossHairWidget::CrossHairWidget(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
}

void CrossHairWidget::setCross(const QPoint& pos, int width, const QColor& color) {
    m_pos = pos;
    m_width = qMax(1, width);
    m_color = color;
    update();
}

void CrossHairWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QPen pen(m_color, m_width);
    pen.setCapStyle(Qt::FlatCap);
    painter.setPen(pen);
    // Through the pixel centre, so odd widths sit symmetrically on the position.
    const QPointF c(m_pos.x() + 0.5, m_pos.y() + 0.5);
    painter.drawLine(QPointF(0, c.y()), QPointF(width(), c.y()));
    painter.drawLine(QPointF(c.x(), 0), QPointF(c.x(), height()));
}
