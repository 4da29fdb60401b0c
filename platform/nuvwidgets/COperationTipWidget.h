// SPDX-License-Identifier: Apache-2.0
#pragma once
// Short-lived result tip: a status pixmap, a text and optionally a link to the file concerned.
// With a parent it floats centred over the parent; without one it is a small frameless window.
// closeTip() hides the tip and deletes it, so an owner keeps no pointer past that call.
#include <QPixmap>
#include <QWidget>

class QLabel;
class QTimer;

class COperationTipWidget : public QWidget {
    Q_OBJECT
public:
    explicit COperationTipWidget(QWidget* parent = nullptr);
    ~COperationTipWidget() override;

    void setPixmap(const QPixmap& pixmap);
    QPixmap pixmap() const { return m_pixmap; }
    void setText(const QString& text);
    QString text() const;
    // Shows linkText as a link; activating it emits linkActivated(path) and opens the folder
    // of path in the desktop's file manager. An empty linkText removes the link.
    void setLinkInfo(const QString& linkText, const QString& path);
    QString linkText() const { return m_linkText; }
    QString linkPath() const { return m_linkPath; }
    // Whether activating the link opens the file manager (default true).
    void setOpenLinkExternally(bool on) { m_openExternally = on; }

    // Shows the tip and closes it after msec; msec <= 0 keeps it until closeTip().
    void showTip(int msec = 1500);

public slots:
    void closeTip();

signals:
    void linkActivated(const QString& path);
    void tipClosed();

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void onLinkActivated();
    void place();

    QPixmap m_pixmap;
    QString m_linkText;
    QString m_linkPath;
    bool m_openExternally = true;
    bool m_closing = false;
    QLabel* m_iconLabel = nullptr;
    QLabel* m_textLabel = nullptr;
    QLabel* m_linkLabel = nullptr;
    QTimer* m_lifeTimer = nullptr;
};
