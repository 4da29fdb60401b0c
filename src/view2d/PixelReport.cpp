// SPDX-License-Identifier: Apache-2.0
#include "PixelReport.h"

#include <charconv>
#include <string>

#include "ZavizoZoz3.h"

namespace PixelReport {
namespace {
// A '.' decimal point whatever the process locale: the ',' separates the two coordinates.
std::string fixed(double value, int precision) {
    char buffer[400];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, precision);
    return std::string(buffer, result.ptr);
}
}  // namespace

QColor hostColor(int a, int b, int c, float value, bool wideGrey) {
    const bool grey = a == b && b == c && static_cast<float>(a) == value;
    if (!grey) return QColor(qBound(0, a, 255), qBound(0, b, 255), qBound(0, c, 255));
    if (!wideGrey) return QColor(qBound(0, a, 255), qBound(0, a, 255), qBound(0, a, 255));
    const quint16 v = static_cast<quint16>(qBound(0, a, 65535));
    return QColor(QRgba64::fromRgba64(v, v, v, 65535));
}

void send(const QString& cameraKey, double x, double y, int a, int b, int c, float value) {
    const std::string key = cameraKey.toStdString();
    ZavizoZoz3::SetCameraInfo(key, ZavizoZoz3::CAM_INFO_PIXEL_POS, fixed(x, 1) + "," + fixed(y, 1));
    ZavizoZoz3::SetCameraInfo(key, ZavizoZoz3::CAM_INFO_PIXEL_RGB,
                              std::to_string(a) + "," + std::to_string(b) + "," + std::to_string(c));
    ZavizoZoz3::SetCameraInfo(key, ZavizoZoz3::CAM_INFO_PIXEL_VALUE, fixed(value, 3));
}
}  // namespace PixelReport
