// SPDX-License-Identifier: Apache-2.0
#include "ScriptedModalHandler.h"

#include <QAction>
#include <QDialog>
#include <QMenu>
#include <QUrl>

#include "CMessageBox.h"

void ScriptedModalHandler::pushMessageBoxAnswer(int button) {
    m_messageBoxAnswers.enqueue(button);
}

void ScriptedModalHandler::pushDirectory(const QString& dir) {
    m_directories.enqueue(dir);
}

void ScriptedModalHandler::pushSaveFileName(const QString& path, const QString& selectedFilter) {
    m_saveFiles.enqueue({path, selectedFilter});
}

void ScriptedModalHandler::pushOpenFileName(const QString& path, const QString& selectedFilter) {
    m_openFiles.enqueue({path, selectedFilter});
}

void ScriptedModalHandler::pushColor(const QColor& color) {
    m_colors.enqueue(color);
}

void ScriptedModalHandler::pushDialogResult(int result) {
    m_dialogResults.enqueue(result);
}

void ScriptedModalHandler::pushMenuChoice(const QString& actionText) {
    m_menuChoices.enqueue(actionText);
}

void ScriptedModalHandler::pushOpenUrlResult(bool opened) {
    m_openUrlResults.enqueue(opened);
}

void ScriptedModalHandler::setMessageBoxScript(std::function<int(CMessageBox*)> script) {
    m_messageBoxScript = std::move(script);
}

void ScriptedModalHandler::setDialogScript(std::function<int(QDialog*)> script) {
    m_dialogScript = std::move(script);
}

int ScriptedModalHandler::count(ModalSeam::Kind kind) const {
    int n = 0;
    for (const auto& request : m_requests) {
        if (request.kind == kind) {
            ++n;
        }
    }
    return n;
}

ModalSeam::Request ScriptedModalHandler::last(ModalSeam::Kind kind) const {
    for (auto it = m_requests.crbegin(); it != m_requests.crend(); ++it) {
        if (it->kind == kind) {
            return *it;
        }
    }
    ModalSeam::Request none;
    none.kind = kind;
    return none;
}

QStringList ScriptedModalHandler::messageTexts() const {
    QStringList texts;
    for (const auto& request : m_requests) {
        if (request.kind == ModalSeam::Kind::MessageBox) {
            texts << request.text;
        }
    }
    return texts;
}

void ScriptedModalHandler::clear() {
    m_requests.clear();
    m_messageBoxAnswers.clear();
    m_directories.clear();
    m_saveFiles.clear();
    m_openFiles.clear();
    m_colors.clear();
    m_dialogResults.clear();
    m_menuChoices.clear();
    m_openUrlResults.clear();
    m_messageBoxScript = nullptr;
    m_dialogScript = nullptr;
}

int ScriptedModalHandler::messageBox(CMessageBox* box) {
    m_requests.append(ModalSeam::describe(box));
    if (m_messageBoxScript) {
        return m_messageBoxScript(box);
    }
    if (!m_messageBoxAnswers.isEmpty()) {
        return m_messageBoxAnswers.dequeue();
    }
    // Accept: the first button the user could press.
    for (int i = 0; i < CMessageBox::ButtonCount; ++i) {
        if (!box->isButtonHidden(i)) {
            return i;
        }
    }
    return -1;
}

QString ScriptedModalHandler::existingDirectory(QWidget* /*parent*/, const QString& caption,
                                                const QString& dir) {
    ModalSeam::Request request;
    request.kind = ModalSeam::Kind::ExistingDirectory;
    request.title = caption;
    request.dir = dir;
    m_requests.append(request);
    return m_directories.isEmpty() ? QString() : m_directories.dequeue();
}

QString ScriptedModalHandler::answerFile(QQueue<FileAnswer>& queue, ModalSeam::Kind kind,
                                         const QString& caption, const QString& dir, const QString& filter,
                                         QString* selectedFilter) {
    ModalSeam::Request request;
    request.kind = kind;
    request.title = caption;
    request.dir = dir;
    request.filter = filter;
    m_requests.append(request);
    if (queue.isEmpty()) {
        return QString();
    }
    const FileAnswer answer = queue.dequeue();
    if (selectedFilter != nullptr && !answer.selectedFilter.isEmpty()) {
        *selectedFilter = answer.selectedFilter;
    }
    return answer.path;
}

QString ScriptedModalHandler::saveFileName(QWidget* /*parent*/, const QString& caption, const QString& dir,
                                           const QString& filter, QString* selectedFilter) {
    return answerFile(m_saveFiles, ModalSeam::Kind::SaveFileName, caption, dir, filter, selectedFilter);
}

QString ScriptedModalHandler::openFileName(QWidget* /*parent*/, const QString& caption, const QString& dir,
                                           const QString& filter, QString* selectedFilter) {
    return answerFile(m_openFiles, ModalSeam::Kind::OpenFileName, caption, dir, filter, selectedFilter);
}

QColor ScriptedModalHandler::color(const QColor& initial, QWidget* /*parent*/, const QString& title,
                                   QColorDialog::ColorDialogOptions /*options*/) {
    ModalSeam::Request request;
    request.kind = ModalSeam::Kind::Color;
    request.title = title;
    request.initial = initial;
    m_requests.append(request);
    return m_colors.isEmpty() ? QColor() : m_colors.dequeue();
}

int ScriptedModalHandler::dialog(QDialog* dialog) {
    m_requests.append(ModalSeam::describe(dialog));
    if (m_dialogScript) {
        return m_dialogScript(dialog);
    }
    return m_dialogResults.isEmpty() ? int(QDialog::Rejected) : m_dialogResults.dequeue();
}

QAction* ScriptedModalHandler::menu(QMenu* menu, const QPoint& /*globalPos*/) {
    m_requests.append(ModalSeam::describe(menu));
    if (m_menuChoices.isEmpty()) {
        return nullptr;
    }
    const QString choice = m_menuChoices.dequeue();
    if (choice.isEmpty()) {
        return nullptr;
    }
    const auto actions = menu->actions();
    for (QAction* action : actions) {
        // A real menu fires the action before exec() returns and never offers a disabled one.
        if (!action->isSeparator() && action->text() == choice && action->isEnabled()) {
            action->activate(QAction::Trigger);
            return action;
        }
    }
    return nullptr;
}

bool ScriptedModalHandler::openUrl(const QUrl& url) {
    ModalSeam::Request request;
    request.kind = ModalSeam::Kind::OpenUrl;
    request.dir = url.isLocalFile() ? url.toLocalFile() : url.toString();
    m_requests.append(request);
    return m_openUrlResults.isEmpty() ? true : m_openUrlResults.dequeue();
}
