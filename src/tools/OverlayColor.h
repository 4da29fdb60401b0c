// SPDX-License-Identifier: Apache-2.0
#pragma once
// The colour button and colour dialog the overlay panels share.
#include <QColor>

class QPushButton;
class QWidget;

namespace OverlayColor {
// Fills the button with the colour.
void paintButton(QPushButton* button, const QColor& color);
// Asks the user for a colour through the modal seam. False when the dialog was cancelled or the
// panel went away while it was open; then *chosen is untouched.
bool choose(QWidget* panel, const QColor& initial, QColor* chosen);
}  // namespace OverlayColor
