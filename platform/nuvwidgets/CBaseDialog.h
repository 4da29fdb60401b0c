// SPDX-License-Identifier: Apache-2.0
#pragma once
// Frameless styled dialog frame: a dark title bar (icon, title, minimise/maximise/close buttons)
// that drags the window, over a light content area that the owner fills.
#include <QDialog>
#include <QPoint>

class QLabel;
class QToolButton;
class QVBoxLayout;
class QWidget;

class CBaseDialog : public QDialog {
    Q_OBJECT
public:
    // Title-bar buttons, combined as flags in buttonTypes.
    enum ButtonType { CloseButton = 0x1, MinimizeButton = 0x2, MaximizeButton = 0x4 };

    explicit CBaseDialog(QWidget* parent = nullptr);
    // buttonTypes: ButtonType flags (1: close only); autoAdjustSize: keep the dialog within the
    // available screen area when it is shown.
    CBaseDialog(int buttonTypes, const QString& title, bool iconVisible, bool autoAdjustSize,
                QWidget* parent = nullptr);
    ~CBaseDialog() override;

    void setTitle(const QString& title);
    QString title() const;

    void setButtonTypes(int buttonTypes);
    int buttonTypes() const { return m_buttonTypes; }

    void setIconVisible(bool visible);
    bool isIconVisible() const { return m_iconVisible; }

    void setAutoAdjustSize(bool on) { m_autoAdjustSize = on; }
    bool autoAdjustSize() const { return m_autoAdjustSize; }

    // Whether the close button also closes the dialog after onCloseButtonClicked (default true).
    void setCloseOnButton(bool on) { m_closeOnButton = on; }
    bool closeOnButton() const { return m_closeOnButton; }

    // The area below the title bar; it has a QVBoxLayout with zero margins.
    QWidget* contentWidget() const { return m_content; }
    QVBoxLayout* contentLayout() const { return m_contentLayout; }
    // Puts widget into the content area (taking ownership) in place of a widget set before,
    // which is deleted. Null just removes the previous one.
    void setContentWidget(QWidget* widget);

    // Runs modally through ModalSeam, so tests can answer it.
    int exec() override;

signals:
    // The title bar's close button was pressed.
    void onCloseButtonClicked();

protected:
    // Content hook: a derived class calls setupContent() at the end of its constructor, which
    // hands the content area to this function.
    virtual void initContentWidget(QWidget* content);
    void setupContent();
    // Fills the content area with one tool panel, edge to edge on the content's rounded, lightly
    // tinted background.
    void addPanel(QWidget* panel);

    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void build();
    void onCloseClicked();
    void onMaximizeClicked();

    int m_buttonTypes = CloseButton;
    bool m_iconVisible = true;
    bool m_autoAdjustSize = false;
    bool m_closeOnButton = true;
    bool m_placed = false;
    bool m_dragging = false;
    QPoint m_dragOffset;
    QWidget* m_frame = nullptr;
    QWidget* m_titleBar = nullptr;
    QLabel* m_iconLabel = nullptr;
    QLabel* m_titleLabel = nullptr;
    QToolButton* m_minimizeButton = nullptr;
    QToolButton* m_maximizeButton = nullptr;
    QToolButton* m_closeButton = nullptr;
    QWidget* m_content = nullptr;
    QVBoxLayout* m_contentLayout = nullptr;
    QWidget* m_contentChild = nullptr;
};
