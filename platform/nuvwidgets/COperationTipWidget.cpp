// SPDX-License-Identifier: Apache-2.0
#include "COperationTipWidget.h"

#include <QEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QTimer>
#include <QUrl>

#include "ModalSeam.h"
#include "NuvWidgetStyle.h"

namespace {
constexpr int kIconSize = 24;
constexpr qreal kRadius = 6.0;
}  // namespace

COperationTipWidget::COperationTipWidget(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("nuvOperationTip"));
    if (parent == nullptr) {
        setWindowFlags(Qt::FramelessWindowHint | Qt::Tool | Qt::WindowStaysOnTopHint);
        if (NuvWidgetStyle::translucentWindows()) setAttribute(Qt::WA_TranslucentBackground);
        setAttribute(Qt::WA_ShowWithoutActivating);
    } else {
        // Follows the parent's size so that it stays centred.
        parent->installEventFilter(this);
    }

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(16, 10, 18, 10);
    layout->setSpacing(10);
    m_iconLabel = new QLabel(this);
    m_iconLabel->setFixedSize(kIconSize, kIconSize);
    // The owner's style sheet (often a white image area) must not paint behind the tip's parts.
    m_iconLabel->setStyleSheet(QStringLiteral("background: transparent;"));
    m_iconLabel->hide();
    layout->addWidget(m_iconLabel);
    m_textLabel = new QLabel(this);
    m_textLabel->setTextFormat(Qt::PlainText);
    m_textLabel->setStyleSheet(QStringLiteral("color: #F4F5F7; font-size: 14px; background: transparent;"));
    layout->addWidget(m_textLabel);
    m_linkLabel = new QLabel(this);
    m_linkLabel->setTextFormat(Qt::RichText);
    m_linkLabel->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    m_linkLabel->setStyleSheet(QStringLiteral("font-size: 14px; background: transparent;"));
    m_linkLabel->hide();
    connect(m_linkLabel, &QLabel::linkActivated, this, [this]() { onLinkActivated(); });
    layout->addWidget(m_linkLabel);

    m_lifeTimer = new QTimer(this);
    m_lifeTimer->setSingleShot(true);
    connect(m_lifeTimer, &QTimer::timeout, this, &COperationTipWidget::closeTip);
    hide();
}

COperationTipWidget::~COperationTipWidget() = default;

void COperationTipWidget::setPixmap(const QPixmap& pixmap) {
    m_pixmap = pixmap;
    m_iconLabel->setPixmap(
        pixmap.isNull() ? QPixmap()
                        : pixmap.scaled(kIconSize, kIconSize, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    m_iconLabel->setVisible(!pixmap.isNull());
    place();
}

void COperationTipWidget::setText(const QString& text) {
    m_textLabel->setText(text);
    place();
}

QString COperationTipWidget::text() const {
    return m_textLabel->text();
}

void COperationTipWidget::setLinkInfo(const QString& linkText, const QString& path) {
    m_linkText = linkText;
    m_linkPath = path;
    if (linkText.isEmpty()) {
        m_linkLabel->clear();
        m_linkLabel->hide();
    } else {
        m_linkLabel->setText(QStringLiteral("<a href=\"nuv:view\" style=\"color:#2EA8FF;\">%1</a>")
                                 .arg(linkText.toHtmlEscaped()));
        m_linkLabel->show();
    }
    place();
}

void COperationTipWidget::showTip(int msec) {
    if (m_closing) {
        return;
    }
    place();
    show();
    raise();
    if (msec > 0) {
        m_lifeTimer->start(msec);
    } else {
        m_lifeTimer->stop();
    }
}

void COperationTipWidget::closeTip() {
    if (m_closing) {
        return;
    }
    m_closing = true;
    m_lifeTimer->stop();
    hide();
    emit tipClosed();
    deleteLater();
}

void COperationTipWidget::onLinkActivated() {
    emit linkActivated(m_linkPath);
    if (m_openExternally && !m_linkPath.isEmpty()) {
        const QFileInfo info(m_linkPath);
        const QString folder = info.isDir() ? info.absoluteFilePath() : info.absolutePath();
        ModalSeam::openUrl(QUrl::fromLocalFile(folder));
    }
}

void COperationTipWidget::place() {
    adjustSize();
    QRect area;
    if (parentWidget() != nullptr) {
        area = parentWidget()->rect();
    } else if (QScreen* screen = QGuiApplication::primaryScreen()) {
        area = screen->availableGeometry();
    }
    if (!area.isValid()) {
        return;
    }
    QRect rect(QPoint(), size());
    rect.moveCenter(area.center());
    move(rect.topLeft());
}

bool COperationTipWidget::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parentWidget() && event->type() == QEvent::Resize) {
        place();
    }
    return QWidget::eventFilter(watched, event);
}

void COperationTipWidget::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), kRadius, kRadius);
    painter.fillPath(path, QColor(40, 41, 43, 235));
    painter.setPen(QPen(QColor(255, 255, 255, 40), 1.0));
    painter.drawPath(path);
}
