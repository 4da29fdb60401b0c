#pragma once
#include <QString>

// Sends the pixel under the cursor to the business layer (position, three values, value).
namespace PixelReport {
void send(const QString& cameraKey, double x, double y, int a, int b, int c, float value);
}
