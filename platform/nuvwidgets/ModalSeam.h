// SPDX-License-Identifier: Apache-2.0
#pragma once
// The one door through which every modal interaction of the viewer passes: message boxes,
// file, folder and colour dialogs, modal dialogs, pop-up menus and handing a folder to the
// desktop's file manager. By default each call runs the real dialog; a test installs a Handler
// that answers at once and records what was asked, so no test ever blocks in a nested event
// loop (or opens a file manager).
//
// Use from the GUI thread only, like the dialogs themselves.
#include <QColor>
#include <QColorDialog>
#include <QPoint>
#include <QString>
#include <QStringList>
#include <memory>

class CMessageBox;
class QAction;
class QDialog;
class QMenu;
class QUrl;
class QWidget;

class ModalSeam {
public:
    enum class Kind {
        MessageBox,
        ExistingDirectory,
        SaveFileName,
        OpenFileName,
        Color,
        Dialog,
        Menu,
        OpenUrl
    };

    // What one modal call asked for; handlers record these.
    struct Request {
        Kind kind = Kind::MessageBox;
        QString title;        // caption or window title
        QString text;         // message-box text
        int level = -1;       // message-box level, -1 for other kinds
        QString dir;          // proposed directory or file name; the URL handed to the desktop
        QString filter;       // file-dialog filter
        QStringList buttons;  // visible message-box buttons, or the texts of a menu's actions
        QColor initial;       // colour dialog's start colour
        QString className;    // class of the dialog that was run
    };

    class Handler {
    public:
        virtual ~Handler();
        // Returns the index of the pressed button (0 or 1), -1 when the box was dismissed.
        virtual int messageBox(CMessageBox* box) = 0;
        virtual QString existingDirectory(QWidget* parent, const QString& caption, const QString& dir) = 0;
        virtual QString saveFileName(QWidget* parent, const QString& caption, const QString& dir,
                                     const QString& filter, QString* selectedFilter) = 0;
        virtual QString openFileName(QWidget* parent, const QString& caption, const QString& dir,
                                     const QString& filter, QString* selectedFilter) = 0;
        virtual QColor color(const QColor& initial, QWidget* parent, const QString& title,
                             QColorDialog::ColorDialogOptions options) = 0;
        // Returns the dialog's result code (QDialog::Accepted, QDialog::Rejected, ...).
        virtual int dialog(QDialog* dialog) = 0;
        // Returns the chosen action or null.
        virtual QAction* menu(QMenu* menu, const QPoint& globalPos) = 0;
        // Returns whether the desktop took the URL (QDesktopServices::openUrl's result).
        virtual bool openUrl(const QUrl& url) = 0;
    };

    ModalSeam() = delete;

    // Null restores the real dialogs.
    static void setHandler(std::shared_ptr<Handler> handler);
    static std::shared_ptr<Handler> handler();

    static int execMessageBox(CMessageBox* box);
    static QString getExistingDirectory(QWidget* parent, const QString& caption, const QString& dir);
    static QString getSaveFileName(QWidget* parent, const QString& caption, const QString& dir,
                                   const QString& filter, QString* selectedFilter = nullptr);
    static QString getOpenFileName(QWidget* parent, const QString& caption, const QString& dir,
                                   const QString& filter, QString* selectedFilter = nullptr);
    static QColor getColor(const QColor& initial, QWidget* parent, const QString& title,
                           QColorDialog::ColorDialogOptions options = QColorDialog::DontUseNativeDialog);
    static int execDialog(QDialog* dialog);
    static QAction* execMenu(QMenu* menu, const QPoint& globalPos);
    // QDesktopServices::openUrl: false where no application (file manager) is registered for it.
    static bool openUrl(const QUrl& url);

    // Describes a message box, dialog or menu the way handlers record it.
    static Request describe(CMessageBox* box);
    static Request describe(QDialog* dialog);
    static Request describe(QMenu* menu);
};
