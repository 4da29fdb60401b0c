#include "PixelReport.h"

#include <cstdio>
#include <string>

#include "ZavizoZoz3.h"

namespace PixelReport {
namespace {
std::string fixed(double value, int precision) {
    const std::string format = "%." + std::to_string(precision) + "f";
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, format.c_str(), value);
    return buffer;
}
}  // namespace

void send(const QString& cameraKey, double x, double y, int a, int b, int c, float value) {
    const std::string key = cameraKey.toStdString();
    ZavizoZoz3::SetCameraInfo(key, ZavizoZoz3::CAM_INFO_PIXEL_POS, fixed(x, 1) + "," + fixed(y, 1));
    ZavizoZoz3::SetCameraInfo(key, ZavizoZoz3::CAM_INFO_PIXEL_RGB,
                              std::to_string(a) + "," + std::to_string(b) + "," + std::to_string(c));
    ZavizoZoz3::SetCameraInfo(key, ZavizoZoz3::CAM_INFO_PIXEL_VALUE, fixed(value, 3));
}
}  // namespace PixelReport
