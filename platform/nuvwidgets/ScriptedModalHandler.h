// SPDX-License-Identifier: Apache-2.0
#pragma once
// A ModalSeam handler for tests: answers every modal call at once from queues of scripted
// answers and keeps a log of what was asked. With empty queues it presses the first visible
// button of a message box, returns empty paths, an invalid colour (cancelled), QDialog::Rejected
// for dialogs, no action for menus and a URL taken by the desktop.
#include <QQueue>
#include <QVector>
#include <functional>

#include "ModalSeam.h"

class ScriptedModalHandler : public ModalSeam::Handler {
public:
    ScriptedModalHandler() = default;

    // Queued answers, consumed one per call of their kind, oldest first.
    void pushMessageBoxAnswer(int button);
    void pushDirectory(const QString& dir);
    void pushSaveFileName(const QString& path, const QString& selectedFilter = QString());
    void pushOpenFileName(const QString& path, const QString& selectedFilter = QString());
    void pushColor(const QColor& color);
    void pushDialogResult(int result);
    // Chooses and triggers the enabled menu action with this text, as a real menu does; an empty
    // text or no such action dismisses the menu.
    void pushMenuChoice(const QString& actionText);
    // Whether the desktop takes the next URL (false: no file manager is registered).
    void pushOpenUrlResult(bool opened);

    // Called instead of the queue when set: lets a test work the box or dialog before it "returns".
    void setMessageBoxScript(std::function<int(CMessageBox*)> script);
    void setDialogScript(std::function<int(QDialog*)> script);

    const QVector<ModalSeam::Request>& requests() const { return m_requests; }
    int count(ModalSeam::Kind kind) const;
    // The latest request of that kind; a default Request when there is none.
    ModalSeam::Request last(ModalSeam::Kind kind) const;
    // Texts of all message boxes shown, oldest first.
    QStringList messageTexts() const;
    // Forgets the log, the queued answers and the scripts.
    void clear();

    int messageBox(CMessageBox* box) override;
    QString existingDirectory(QWidget* parent, const QString& caption, const QString& dir) override;
    QString saveFileName(QWidget* parent, const QString& caption, const QString& dir, const QString& filter,
                         QString* selectedFilter) override;
    QString openFileName(QWidget* parent, const QString& caption, const QString& dir, const QString& filter,
                         QString* selectedFilter) override;
    QColor color(const QColor& initial, QWidget* parent, const QString& title,
                 QColorDialog::ColorDialogOptions options) override;
    int dialog(QDialog* dialog) override;
    QAction* menu(QMenu* menu, const QPoint& globalPos) override;
    bool openUrl(const QUrl& url) override;

private:
    struct FileAnswer {
        QString path;
        QString selectedFilter;
    };
    QString answerFile(QQueue<FileAnswer>& queue, ModalSeam::Kind kind, const QString& caption,
                       const QString& dir, const QString& filter, QString* selectedFilter);

    QVector<ModalSeam::Request> m_requests;
    QQueue<int> m_messageBoxAnswers;
    QQueue<QString> m_directories;
    QQueue<FileAnswer> m_saveFiles;
    QQueue<FileAnswer> m_openFiles;
    QQueue<QColor> m_colors;
    QQueue<int> m_dialogResults;
    QQueue<QString> m_menuChoices;
    QQueue<bool> m_openUrlResults;
    std::function<int(CMessageBox*)> m_messageBoxScript;
    std::function<int(QDialog*)> m_dialogScript;
};
