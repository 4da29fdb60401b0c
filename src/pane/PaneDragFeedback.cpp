// SPDX-License-Identifier: Apache-2.0
#include "PaneDragFeedback.h"

#include <QPainter>
#include <QWidget>
#include <algorithm>

PaneDragFeedback::PaneDragFeedback(QWidget* pane) : QObject(pane), m_pane(pane) {}

QPixmap PaneDragFeedback::dragImage(QPoint* hotSpot) const {
    const QPixmap full = m_pane->grab(QRect(QPoint(0, 0), QSize(-1, -1)));
    if (full.isNull()) return full;
    const double scale =
        std::min(1.0, static_cast<double>(kMaxDragSide) / std::max(full.width(), full.height()));
    const QSize size(std::max(1, qRound(full.width() * scale)), std::max(1, qRound(full.height() * scale)));
    QPixmap image(size);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setOpacity(0.6);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(image.rect(), full);
    painter.end();
    if (hotSpot) *hotSpot = QPoint(qRound(hotSpot->x() * scale), qRound(hotSpot->y() * scale));
    return image;
}

void PaneDragFeedback::setDropHighlighted(bool highlighted) {
    if (!highlighted) {
        if (m_highlight) m_highlight->hide();
        return;
    }
    if (m_highlight == nullptr) {
        m_highlight = new QWidget(m_pane);
        m_highlight->setObjectName(QStringLiteral("wdgDropHighlight"));
        m_highlight->setAttribute(Qt::WA_TransparentForMouseEvents);
        m_highlight->setAttribute(Qt::WA_StyledBackground);
        m_highlight->setStyleSheet(QStringLiteral(
            "#wdgDropHighlight{background: rgba(46, 168, 255, 70); border: 3px solid rgb(46, 168, 255);}"));
    }
    m_highlight->setGeometry(m_pane->rect());
    m_highlight->raise();
    m_highlight->show();
}

bool PaneDragFeedback::isDropHighlighted() const {
    return m_highlight != nullptr && m_highlight->isVisible();
}
