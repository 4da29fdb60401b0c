// SPDX-License-Identifier: Apache-2.0
#include "NuvWidgetStyle.h"

#ifdef NUV_HAVE_X11EXTRAS
#include <QX11Info>
#endif

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPen>

namespace {
QPixmap transparentPixmap(int size) {
    QPixmap pixmap(qMax(1, size), qMax(1, size));
    pixmap.fill(Qt::transparent);
    return pixmap;
}
}  // namespace

QPixmap NuvWidgetStyle::levelPixmap(int level, int size) {
    QPixmap pixmap = transparentPixmap(size);
    const qreal s = pixmap.width();
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor fill = accentColor();
    if (level == 2) {
        fill = warningColor();
    } else if (level == 3) {
        fill = errorColor();
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawEllipse(QRectF(0.5, 0.5, s - 1.0, s - 1.0));

    QPen pen(Qt::white, qMax(1.5, s / 11.0), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    const qreal c = s / 2.0;
    switch (level) {
        case 1: {  // question mark
            QPainterPath path;
            path.moveTo(c - s * 0.13, c - s * 0.12);
            path.cubicTo(c - s * 0.13, c - s * 0.32, c + s * 0.17, c - s * 0.32, c + s * 0.15, c - s * 0.12);
            path.cubicTo(c + s * 0.14, c - s * 0.02, c, c - s * 0.01, c, c + s * 0.1);
            painter.drawPath(path);
            painter.drawPoint(QPointF(c, c + s * 0.25));
            break;
        }
        case 2:  // exclamation mark
            painter.drawLine(QPointF(c, c - s * 0.24), QPointF(c, c + s * 0.07));
            painter.drawPoint(QPointF(c, c + s * 0.24));
            break;
        case 3: {  // cross
            const qreal d = s * 0.17;
            painter.drawLine(QPointF(c - d, c - d), QPointF(c + d, c + d));
            painter.drawLine(QPointF(c + d, c - d), QPointF(c - d, c + d));
            break;
        }
        default:  // information
            painter.drawPoint(QPointF(c, c - s * 0.24));
            painter.drawLine(QPointF(c, c - s * 0.07), QPointF(c, c + s * 0.24));
            break;
    }
    return pixmap;
}

QPixmap NuvWidgetStyle::closePixmap(int size, const QColor& color) {
    QPixmap pixmap = transparentPixmap(size);
    const qreal s = pixmap.width();
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(color, qMax(1.2, s / 9.0), Qt::SolidLine, Qt::RoundCap));
    const qreal m = s * 0.28;
    painter.drawLine(QPointF(m, m), QPointF(s - m, s - m));
    painter.drawLine(QPointF(s - m, m), QPointF(m, s - m));
    return pixmap;
}

QPixmap NuvWidgetStyle::titleIconPixmap(int size) {
    QPixmap pixmap = transparentPixmap(size);
    const qreal s = pixmap.width();
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0xC9, 0xCC, 0xD1), qMax(1.0, s / 10.0)));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(QRectF(s * 0.1, s * 0.1, s * 0.8, s * 0.8));
    painter.setPen(Qt::NoPen);
    painter.setBrush(accentColor());
    painter.drawEllipse(QRectF(s * 0.3, s * 0.3, s * 0.4, s * 0.4));
    return pixmap;
}

QString NuvWidgetStyle::dialogStyleSheet() {
    return QStringLiteral(
        "#nuvDialogFrame{background: #FFFFFF; border: 1px solid rgba(55,56,58,0.55); border-radius: 6px;}"
        "#nuvDialogTitleBar{background: rgb(55,56,58); border-top-left-radius: 6px;"
        " border-top-right-radius: 6px;}"
        "#nuvDialogTitle{color: #F2F3F5; font-size: 14px; background: transparent;}"
        "#nuvDialogTitleBar QToolButton{background: transparent; border: none; border-radius: 3px;}"
        "#nuvDialogTitleBar QToolButton:hover{background: rgba(255,255,255,0.14);}"
        "#nuvDialogTitleBar QToolButton#nuvDialogClose:hover{background: #E5484D;}"
        "#nuvDialogTitleBar QToolButton:pressed{background: rgba(46,168,255,0.45);}"
        "#nuvMessageText{color: #2B2D31; font-size: 14px;}"
        "QPushButton#nuvMessageButton0, QPushButton#nuvMessageButton1{min-width: 84px; min-height: 30px;"
        " border-radius: 4px; font-size: 13px; padding: 0 14px;}"
        "QPushButton#nuvMessageButton0{background: #2EA8FF; color: white; border: 1px solid #2EA8FF;}"
        "QPushButton#nuvMessageButton0:hover{background: #52B8FF; border-color: #52B8FF;}"
        "QPushButton#nuvMessageButton0:pressed{background: #1A86D6;}"
        "QPushButton#nuvMessageButton1{background: white; color: #37383A; border: 1px solid #B9BCC1;}"
        "QPushButton#nuvMessageButton1:hover{color: #2EA8FF; border-color: #2EA8FF;}"
        "QPushButton#nuvMessageButton1:pressed{background: rgba(46,168,255,0.12);}");
}

bool NuvWidgetStyle::translucentWindows() {
    static const bool supported = [] {
        if (QGuiApplication::platformName() != QLatin1String("xcb")) return true;
#ifdef NUV_HAVE_X11EXTRAS
        // A compositing manager owns the selection _NET_WM_CM_S<screen>; Qt asks on its own connection.
        return QX11Info::isCompositingManagerRunning();
#else
        return true;
#endif
    }();
    return supported;
}
