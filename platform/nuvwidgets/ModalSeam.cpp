// SPDX-License-Identifier: Apache-2.0
#include "ModalSeam.h"

#include <QAction>
#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QMenu>
#include <QUrl>
#include <mutex>

#include "CMessageBox.h"

namespace {
// Guards the installed handler; it is swapped by tests between cases and read by every call.
std::mutex handlerMutex;
std::shared_ptr<ModalSeam::Handler> installedHandler;
}  // namespace

ModalSeam::Handler::~Handler() = default;

void ModalSeam::setHandler(std::shared_ptr<Handler> handler) {
    std::lock_guard<std::mutex> lock(handlerMutex);
    installedHandler = std::move(handler);
}

std::shared_ptr<ModalSeam::Handler> ModalSeam::handler() {
    std::lock_guard<std::mutex> lock(handlerMutex);
    return installedHandler;
}

// Each call keeps its own reference to the handler, so a handler replaced while a real
// dialog runs its nested event loop stays alive until that call returns.

int ModalSeam::execMessageBox(CMessageBox* box) {
    if (box == nullptr) {
        return -1;
    }
    if (const auto h = handler()) {
        return h->messageBox(box);
    }
    return box->runModal();
}

QString ModalSeam::getExistingDirectory(QWidget* parent, const QString& caption, const QString& dir) {
    if (const auto h = handler()) {
        return h->existingDirectory(parent, caption, dir);
    }
    return QFileDialog::getExistingDirectory(parent, caption, dir, QFileDialog::ShowDirsOnly);
}

QString ModalSeam::getSaveFileName(QWidget* parent, const QString& caption, const QString& dir,
                                   const QString& filter, QString* selectedFilter) {
    if (const auto h = handler()) {
        return h->saveFileName(parent, caption, dir, filter, selectedFilter);
    }
    return QFileDialog::getSaveFileName(parent, caption, dir, filter, selectedFilter);
}

QString ModalSeam::getOpenFileName(QWidget* parent, const QString& caption, const QString& dir,
                                   const QString& filter, QString* selectedFilter) {
    if (const auto h = handler()) {
        return h->openFileName(parent, caption, dir, filter, selectedFilter);
    }
    return QFileDialog::getOpenFileName(parent, caption, dir, filter, selectedFilter);
}

QColor ModalSeam::getColor(const QColor& initial, QWidget* parent, const QString& title,
                           QColorDialog::ColorDialogOptions options) {
    if (const auto h = handler()) {
        return h->color(initial, parent, title, options);
    }
    return QColorDialog::getColor(initial, parent, title, options);
}

int ModalSeam::execDialog(QDialog* dialog) {
    if (dialog == nullptr) {
        return QDialog::Rejected;
    }
    if (const auto h = handler()) {
        return h->dialog(dialog);
    }
    // Qualified: dialogs whose exec() routes here must not recurse.
    return dialog->QDialog::exec();
}

QAction* ModalSeam::execMenu(QMenu* menu, const QPoint& globalPos) {
    if (menu == nullptr) {
        return nullptr;
    }
    if (const auto h = handler()) {
        return h->menu(menu, globalPos);
    }
    return menu->exec(globalPos);
}

bool ModalSeam::openUrl(const QUrl& url) {
    if (const auto h = handler()) {
        return h->openUrl(url);
    }
    return QDesktopServices::openUrl(url);
}

ModalSeam::Request ModalSeam::describe(CMessageBox* box) {
    Request request;
    request.kind = Kind::MessageBox;
    if (box != nullptr) {
        request.title = box->title();
        request.text = box->text();
        request.level = box->level();
        request.buttons = box->visibleButtonTexts();
        request.className = QString::fromLatin1(box->metaObject()->className());
    }
    return request;
}

ModalSeam::Request ModalSeam::describe(QDialog* dialog) {
    Request request;
    request.kind = Kind::Dialog;
    if (dialog != nullptr) {
        request.title = dialog->windowTitle();
        request.className = QString::fromLatin1(dialog->metaObject()->className());
    }
    return request;
}

ModalSeam::Request ModalSeam::describe(QMenu* menu) {
    Request request;
    request.kind = Kind::Menu;
    if (menu != nullptr) {
        request.title = menu->title();
        const auto actions = menu->actions();
        for (QAction* action : actions) {
            if (!action->isSeparator()) {
                request.buttons << action->text();
            }
        }
    }
    return request;
}
