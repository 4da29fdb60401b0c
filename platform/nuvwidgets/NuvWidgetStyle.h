// SPDX-License-Identifier: Apache-2.0
#pragma once
// Colours and small painted glyphs shared by the styled dialogs and tips. They are painted in
// code rather than loaded from resources so the library needs no resource tree of its own.
#include <QColor>
#include <QPixmap>
#include <QString>

class NuvWidgetStyle {
public:
    // Tool-strip grey the dialogs' title bars take so that they match the panes.
    static QColor titleBarColor() { return QColor(55, 56, 58); }
    static QColor accentColor() { return QColor(0x2E, 0xA8, 0xFF); }
    static QColor errorColor() { return QColor(0xF2, 0x48, 0x4B); }
    static QColor warningColor() { return QColor(0xF5, 0xA6, 0x23); }
    static QColor successColor() { return QColor(0x22, 0xB5, 0x73); }

    // Round badge for a message-box level: 0 information, 1 question, 2 warning, 3 error.
    static QPixmap levelPixmap(int level, int size);
    // White cross of a title-bar close button.
    static QPixmap closePixmap(int size, const QColor& color);
    // Small title-bar mark: a lens ring.
    static QPixmap titleIconPixmap(int size);
    // Whether see-through window margins (soft shadows, rounded corners) can be shown. An X11
    // session without a compositing manager fills them black, so frameless pop-ups and dialogs
    // then drop their shadow margin. Asked once per process.
    static bool translucentWindows();
    // Style sheet of the frame, title bar and buttons that CBaseDialog builds.
    static QString dialogStyleSheet();
};
