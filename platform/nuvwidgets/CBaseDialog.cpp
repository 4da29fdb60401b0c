// SPDX-License-Identifier: Apache-2.0
#include "CBaseDialog.h"

#include <QApplication>
#include <QEvent>
#include <QGraphicsDropShadowEffect>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWindow>

#include "ModalSeam.h"
#include "NuvWidgetStyle.h"

namespace {
// Room around the frame for its drop shadow; the dialog itself is transparent there.
constexpr int kShadowMargin = 8;
constexpr int kTitleBarHeight = 36;
constexpr int kTitleButtonSize = 28;

QPixmap titleButtonPixmap(bool maximize) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0xE6, 0xE7, 0xE9), 1.6));
    if (maximize) {
        painter.drawRect(QRectF(3.5, 3.5, 9, 9));
    } else {
        painter.drawLine(QPointF(3.5, 8.5), QPointF(12.5, 8.5));
    }
    return pixmap;
}

QToolButton* makeTitleButton(QWidget* parent, const QString& name, const QPixmap& pixmap) {
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setFixedSize(kTitleButtonSize, kTitleButtonSize);
    button->setIcon(QIcon(pixmap));
    button->setIconSize(pixmap.size());
    button->setFocusPolicy(Qt::NoFocus);
    button->setCursor(Qt::PointingHandCursor);
    return button;
}
}  // namespace

CBaseDialog::CBaseDialog(QWidget* parent) : QDialog(parent) {
    build();
}

CBaseDialog::CBaseDialog(int buttonTypes, const QString& title, bool iconVisible, bool autoAdjustSize,
                         QWidget* parent)
    : QDialog(parent), m_autoAdjustSize(autoAdjustSize) {
    build();
    setButtonTypes(buttonTypes);
    setIconVisible(iconVisible);
    setTitle(title);
}

CBaseDialog::~CBaseDialog() = default;

void CBaseDialog::build() {
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint | Qt::Dialog);
    const bool translucent = NuvWidgetStyle::translucentWindows();
    if (translucent) setAttribute(Qt::WA_TranslucentBackground);
    setStyleSheet(NuvWidgetStyle::dialogStyleSheet());

    auto* outer = new QVBoxLayout(this);
    const int margin = translucent ? kShadowMargin : 0;
    outer->setContentsMargins(margin, margin, margin, margin);
    outer->setSpacing(0);

    m_frame = new QWidget(this);
    m_frame->setObjectName(QStringLiteral("nuvDialogFrame"));
    m_frame->setAttribute(Qt::WA_StyledBackground);
    if (translucent) {
        auto* shadow = new QGraphicsDropShadowEffect(m_frame);
        shadow->setOffset(0, 0);
        shadow->setColor(QColor(0x44, 0x44, 0x44));
        shadow->setBlurRadius(kShadowMargin * 1.5);
        m_frame->setGraphicsEffect(shadow);
    }
    outer->addWidget(m_frame);

    auto* frameLayout = new QVBoxLayout(m_frame);
    frameLayout->setContentsMargins(1, 1, 1, 1);
    frameLayout->setSpacing(0);

    m_titleBar = new QWidget(m_frame);
    m_titleBar->setObjectName(QStringLiteral("nuvDialogTitleBar"));
    m_titleBar->setAttribute(Qt::WA_StyledBackground);
    m_titleBar->setFixedHeight(kTitleBarHeight);
    m_titleBar->installEventFilter(this);
    auto* titleLayout = new QHBoxLayout(m_titleBar);
    titleLayout->setContentsMargins(12, 0, 6, 0);
    titleLayout->setSpacing(6);

    m_iconLabel = new QLabel(m_titleBar);
    m_iconLabel->setObjectName(QStringLiteral("nuvDialogIcon"));
    m_iconLabel->setPixmap(NuvWidgetStyle::titleIconPixmap(18));
    m_iconLabel->setFixedSize(18, 18);
    titleLayout->addWidget(m_iconLabel);

    m_titleLabel = new QLabel(m_titleBar);
    m_titleLabel->setObjectName(QStringLiteral("nuvDialogTitle"));
    m_titleLabel->setTextFormat(Qt::PlainText);
    titleLayout->addWidget(m_titleLabel, 1);

    m_minimizeButton =
        makeTitleButton(m_titleBar, QStringLiteral("nuvDialogMinimize"), titleButtonPixmap(false));
    m_maximizeButton =
        makeTitleButton(m_titleBar, QStringLiteral("nuvDialogMaximize"), titleButtonPixmap(true));
    m_closeButton = makeTitleButton(m_titleBar, QStringLiteral("nuvDialogClose"),
                                    NuvWidgetStyle::closePixmap(16, QColor(0xE6, 0xE7, 0xE9)));
    titleLayout->addWidget(m_minimizeButton);
    titleLayout->addWidget(m_maximizeButton);
    titleLayout->addWidget(m_closeButton);
    connect(m_minimizeButton, &QToolButton::clicked, this, &QWidget::showMinimized);
    connect(m_maximizeButton, &QToolButton::clicked, this, &CBaseDialog::onMaximizeClicked);
    connect(m_closeButton, &QToolButton::clicked, this, &CBaseDialog::onCloseClicked);
    frameLayout->addWidget(m_titleBar);

    m_content = new QWidget(m_frame);
    m_content->setObjectName(QStringLiteral("nuvDialogContent"));
    m_contentLayout = new QVBoxLayout(m_content);
    m_contentLayout->setContentsMargins(0, 0, 0, 0);
    m_contentLayout->setSpacing(0);
    frameLayout->addWidget(m_content, 1);

    setButtonTypes(CloseButton);
}

void CBaseDialog::setTitle(const QString& title) {
    setWindowTitle(title);
}

QString CBaseDialog::title() const {
    return windowTitle();
}

void CBaseDialog::setButtonTypes(int buttonTypes) {
    m_buttonTypes = buttonTypes;
    m_closeButton->setVisible((buttonTypes & CloseButton) != 0);
    m_minimizeButton->setVisible((buttonTypes & MinimizeButton) != 0);
    m_maximizeButton->setVisible((buttonTypes & MaximizeButton) != 0);
}

void CBaseDialog::setIconVisible(bool visible) {
    m_iconVisible = visible;
    m_iconLabel->setVisible(visible);
}

void CBaseDialog::setContentWidget(QWidget* widget) {
    if (widget == m_contentChild) {
        return;
    }
    if (m_contentChild != nullptr) {
        m_contentLayout->removeWidget(m_contentChild);
        delete m_contentChild;
        m_contentChild = nullptr;
    }
    if (widget != nullptr) {
        m_contentLayout->addWidget(widget);
        m_contentChild = widget;
    }
}

int CBaseDialog::exec() {
    return ModalSeam::execDialog(this);
}

void CBaseDialog::initContentWidget(QWidget* /*content*/) {}

void CBaseDialog::setupContent() {
    initContentWidget(m_content);
}

void CBaseDialog::addPanel(QWidget* panel) {
    m_contentLayout->setContentsMargins(0, 0, 0, 0);
    m_contentLayout->addWidget(panel);
    m_content->setAttribute(Qt::WA_StyledBackground);
    m_content->setStyleSheet(QStringLiteral("#%1{background: rgba(55,56,58,5%);border-radius: 5px;}")
                                 .arg(m_content->objectName()));
}

void CBaseDialog::onCloseClicked() {
    emit onCloseButtonClicked();
    if (m_closeOnButton) {
        reject();
    }
}

void CBaseDialog::onMaximizeClicked() {
    if (isMaximized()) {
        showNormal();
    } else {
        showMaximized();
    }
}

bool CBaseDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_titleBar) {
        switch (event->type()) {
            case QEvent::MouseButtonPress: {
                auto* mouse = static_cast<QMouseEvent*>(event);
                if (mouse->button() == Qt::LeftButton && !isMaximized()) {
                    // The window system moves the dialog where it can (the only way on Wayland);
                    // elsewhere the dialog follows the mouse itself.
                    QWindow* window = windowHandle();
                    m_dragging = !(window && window->startSystemMove());
                    m_dragOffset = mouse->globalPos() - frameGeometry().topLeft();
                }
                break;
            }
            case QEvent::MouseMove: {
                auto* mouse = static_cast<QMouseEvent*>(event);
                if (m_dragging && (mouse->buttons() & Qt::LeftButton)) {
                    move(mouse->globalPos() - m_dragOffset);
                }
                break;
            }
            case QEvent::MouseButtonRelease:
                m_dragging = false;
                break;
            case QEvent::MouseButtonDblClick:
                if ((m_buttonTypes & MaximizeButton) != 0) {
                    onMaximizeClicked();
                }
                break;
            default:
                break;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CBaseDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_placed) {
        return;
    }
    m_placed = true;
    // Placed once, on the first show: centred over the parent window, or on the screen.
    QWidget* anchor = parentWidget() != nullptr ? parentWidget()->window() : nullptr;
    QScreen* screen = anchor != nullptr ? anchor->screen() : QGuiApplication::primaryScreen();
    const QRect available = screen != nullptr ? screen->availableGeometry() : QRect();
    if (m_autoAdjustSize && available.isValid()) {
        resize(size().boundedTo(available.size()));
    }
    const QRect area = anchor != nullptr ? anchor->frameGeometry() : available;
    if (area.isValid()) {
        QRect rect(QPoint(), size());
        rect.moveCenter(area.center());
        if (available.isValid()) {
            rect.moveLeft(qBound(available.left(), rect.left(),
                                 qMax(available.left(), available.right() - rect.width())));
            rect.moveTop(qBound(available.top(), rect.top(),
                                qMax(available.top(), available.bottom() - rect.height())));
        }
        move(rect.topLeft());
    }
}

void CBaseDialog::changeEvent(QEvent* event) {
    if (event->type() == QEvent::WindowTitleChange) {
        m_titleLabel->setText(windowTitle());
    }
    QDialog::changeEvent(event);
}
