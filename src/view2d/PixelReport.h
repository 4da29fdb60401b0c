// SPDX-License-Identifier: Apache-2.0
#pragma once
#include <QColor>
#include <QString>

// Sends the pixel under the cursor to the business layer (position, three values, value).
namespace PixelReport {
void send(const QString& cameraKey, double x, double y, int a, int b, int c, float value);
// The pixel as the host sees it in wndMouseMoveInfo: colour pixels as RGB; grey pixels with
// r = g = b, a pixel of a 16-bit image carrying its true value in the 16-bit channels
// (QColor::rgba64()), so that red() is its upper byte.
QColor hostColor(int a, int b, int c, float value, bool wideGrey);
}  // namespace PixelReport
