// SPDX-License-Identifier: Apache-2.0
#include "Nuv3DDataConvert.h"

#include <cmath>

namespace NUVMV {
namespace {
// Appends the valid samples of one row; valid(raw) and raw values come from the row's type.
template <typename T, typename Valid>
void appendRow(const NuvRangeImage& image, int row, Valid valid, NuvPointCloud::Points* points) {
    const T* samples = image.mat().ptr<T>(row);
    const double y = row * image.yInterval() + image.yOffset();
    const double xInterval = image.xInterval();
    const double xOffset = image.xOffset();
    for (int col = 0; col < image.width(); ++col) {
        double raw = 0.0;
        if (!valid(samples[col], &raw)) continue;
        points->push_back({static_cast<float>(col * xInterval + xOffset), static_cast<float>(y),
                           static_cast<float>(image.toMillimetres(raw))});
    }
}
}  // namespace

int Nuv3DDataConvert::RangeImageToPointCloud(NuvRangeImage& image, NuvPointCloud* cloud) {
    if (cloud == nullptr) return -1;
    cloud->clear();
    if (image.isEmpty()) return -1;
    NuvPointCloud::Points& points = cloud->points();
    points.reserve(static_cast<size_t>(image.width()) * static_cast<size_t>(image.height()));
    const int type = image.TypeCode();
    for (int row = 0; row < image.height(); ++row) {
        if (type == NuvRangeImage::TypeUInt16) {
            appendRow<uint16_t>(
                image, row, [](uint16_t s, double* raw) { return s != 0 && (*raw = s, true); }, &points);
        } else if (type == NuvRangeImage::TypeInt32) {
            appendRow<int32_t>(
                image, row,
                [](int32_t s, double* raw) {
                    const uint32_t v = static_cast<uint32_t>(s) & NuvRangeImage::kSample32Mask;
                    return v != 0 && (*raw = v, true);
                },
                &points);
        } else if (type == NuvRangeImage::TypeFloat64) {
            appendRow<double>(
                image, row, [](double s, double* raw) { return std::isfinite(s) && (*raw = s, true); },
                &points);
        } else {
            return -1;
        }
    }
    return 0;
}

}  // namespace NUVMV
