// SPDX-License-Identifier: Apache-2.0
#include "OverlayColor.h"

#include <QCoreApplication>
#include <QPointer>
#include <QPushButton>

#include "ModalSeam.h"

namespace OverlayColor {

void paintButton(QPushButton* button, const QColor& color) {
    button->setStyleSheet(QStringLiteral("background-color: rgb(%1,%2,%3);")
                              .arg(color.red())
                              .arg(color.green())
                              .arg(color.blue()));
}

bool choose(QWidget* panel, const QColor& initial, QColor* chosen) {
    const QPointer<QWidget> alive(panel);
    const QColor color =
        ModalSeam::getColor(initial, panel, QCoreApplication::translate("OverlayColor", "Choose color"),
                            QColorDialog::DontUseNativeDialog);
    // The pop-up holding the panel may have closed with its pane while the dialog ran.
    if (alive.isNull() || !color.isValid()) return false;
    *chosen = color;
    return true;
}

}  // namespace OverlayColor
