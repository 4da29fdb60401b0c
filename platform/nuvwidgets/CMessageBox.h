// SPDX-License-Identifier: Apache-2.0
#pragma once
// Styled message box with a level badge, a text and two buttons. Button 0 is the primary
// ("Confirm"), button 1 the secondary ("Cancel"); either can be relabelled or hidden.
#include <QStringList>

#include "CBaseDialog.h"

class QLabel;
class QPushButton;

class CMessageBox : public CBaseDialog {
    Q_OBJECT
public:
    enum Level { Information = 0, Question = 1, Warning = 2, Error = 3 };
    static constexpr int ButtonCount = 2;

    // A level outside 0..3 is shown as Information.
    CMessageBox(const QString& title, const QString& text, int level = Information,
                QWidget* parent = nullptr);
    ~CMessageBox() override;

    QString text() const;
    void setText(const QString& text);
    int level() const { return m_level; }

    // Indexes other than 0 and 1 are ignored (text: empty).
    void setButtonText(int index, const QString& text);
    QString buttonText(int index) const;
    void setButtonHidden(int index, bool hidden);
    bool isButtonHidden(int index) const;
    QStringList visibleButtonTexts() const;

    // Index of the button that ended the last run, -1 when it was dismissed or never ran.
    int clickedButton() const { return m_clickedButton; }

    // Runs modally through ModalSeam. Returns the index of the pressed button, -1 when the box
    // was dismissed (Escape or the close button).
    int exec() override;

signals:
    void buttonClicked(int index);

private:
    friend class ModalSeam;
    // The real modal run, used by ModalSeam when no handler is installed.
    int runModal();
    void onButton(int index);

    int m_level = Information;
    int m_clickedButton = -1;
    bool m_hidden[ButtonCount] = {false, false};
    QLabel* m_badge = nullptr;
    QLabel* m_textLabel = nullptr;
    QPushButton* m_buttons[ButtonCount] = {nullptr, nullptr};
};
