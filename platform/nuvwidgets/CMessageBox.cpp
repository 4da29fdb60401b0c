// SPDX-License-Identifier: Apache-2.0
#include "CMessageBox.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "ModalSeam.h"
#include "NuvWidgetStyle.h"

namespace {
// Button i ends the run with done(kButtonResultBase + i), clear of Rejected (0) and Accepted (1).
constexpr int kButtonResultBase = 2;
constexpr int kBadgeSize = 36;

bool validIndex(int index) {
    return index >= 0 && index < CMessageBox::ButtonCount;
}
}  // namespace

CMessageBox::CMessageBox(const QString& title, const QString& text, int level, QWidget* parent)
    : CBaseDialog(CloseButton, title, false, true, parent),
      m_level(level >= Information && level <= Error ? level : Information) {
    setModal(true);

    auto* body = new QWidget(contentWidget());
    auto* bodyLayout = new QVBoxLayout(body);
    bodyLayout->setContentsMargins(24, 22, 24, 18);
    bodyLayout->setSpacing(18);

    auto* messageRow = new QHBoxLayout();
    messageRow->setSpacing(16);
    m_badge = new QLabel(body);
    m_badge->setObjectName(QStringLiteral("nuvMessageBadge"));
    m_badge->setPixmap(NuvWidgetStyle::levelPixmap(m_level, kBadgeSize));
    m_badge->setFixedSize(kBadgeSize, kBadgeSize);
    messageRow->addWidget(m_badge, 0, Qt::AlignTop);
    m_textLabel = new QLabel(body);
    m_textLabel->setObjectName(QStringLiteral("nuvMessageText"));
    m_textLabel->setTextFormat(Qt::PlainText);
    m_textLabel->setWordWrap(true);
    m_textLabel->setMinimumWidth(240);
    m_textLabel->setMaximumWidth(420);
    m_textLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_textLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_textLabel->setText(text);
    messageRow->addWidget(m_textLabel, 1);
    bodyLayout->addLayout(messageRow);

    auto* buttonRow = new QHBoxLayout();
    buttonRow->setSpacing(10);
    buttonRow->addStretch(1);
    const QString labels[ButtonCount] = {tr("Confirm"), tr("Cancel")};
    for (int i = 0; i < ButtonCount; ++i) {
        m_buttons[i] = new QPushButton(labels[i], body);
        m_buttons[i]->setObjectName(QStringLiteral("nuvMessageButton%1").arg(i));
        m_buttons[i]->setCursor(Qt::PointingHandCursor);
        connect(m_buttons[i], &QPushButton::clicked, this, [this, i]() { onButton(i); });
        buttonRow->addWidget(m_buttons[i]);
    }
    m_buttons[0]->setDefault(true);
    bodyLayout->addLayout(buttonRow);
    setContentWidget(body);
}

CMessageBox::~CMessageBox() = default;

QString CMessageBox::text() const {
    return m_textLabel->text();
}

void CMessageBox::setText(const QString& text) {
    m_textLabel->setText(text);
}

void CMessageBox::setButtonText(int index, const QString& text) {
    if (validIndex(index)) {
        m_buttons[index]->setText(text);
    }
}

QString CMessageBox::buttonText(int index) const {
    return validIndex(index) ? m_buttons[index]->text() : QString();
}

void CMessageBox::setButtonHidden(int index, bool hidden) {
    if (!validIndex(index)) {
        return;
    }
    m_hidden[index] = hidden;
    m_buttons[index]->setHidden(hidden);
    // Enter should press a button the user can see.
    m_buttons[0]->setDefault(!m_hidden[0]);
    m_buttons[1]->setDefault(m_hidden[0] && !m_hidden[1]);
}

bool CMessageBox::isButtonHidden(int index) const {
    return validIndex(index) ? m_hidden[index] : true;
}

QStringList CMessageBox::visibleButtonTexts() const {
    QStringList texts;
    for (int i = 0; i < ButtonCount; ++i) {
        if (!m_hidden[i]) {
            texts << m_buttons[i]->text();
        }
    }
    return texts;
}

int CMessageBox::exec() {
    m_clickedButton = -1;
    const int result = ModalSeam::execMessageBox(this);
    const int index = validIndex(result) ? result : -1;
    // A scripted answer presses no real button: report it the same way.
    if (index != -1 && m_clickedButton != index) {
        m_clickedButton = index;
        emit buttonClicked(index);
    }
    m_clickedButton = index;
    return index;
}

int CMessageBox::runModal() {
    const int result = QDialog::exec() - kButtonResultBase;
    return validIndex(result) ? result : -1;
}

void CMessageBox::onButton(int index) {
    m_clickedButton = index;
    emit buttonClicked(index);
    done(kButtonResultBase + index);
}
