// SPDX-License-Identifier: Apache-2.0
#include "CorrectionCalculator.h"

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace {
// Truncates towards zero; values beyond any contour index come back as far outside bounds.
int toIndex(float value) {
    if (!std::isfinite(value)) return -1;
    return static_cast<int>(std::clamp(value, -1.0e9f, 1.0e9f));
}

bool secondAreaUsed(const CorrectionCalculator::Bounds& r) {
    return r.c >= 1 && r.d >= 1;
}

// Mean of the measured heights from first to last; false when there are none.
bool meanOf(const QVector<float>& heights, int first, int last, float invalid, float* mean) {
    double sum = 0.0;
    int count = 0;
    for (int i = first; i <= last; ++i) {
        if (!CorrectionCalculator::isMeasured(heights[i], invalid)) continue;
        sum += heights[i];
        ++count;
    }
    *mean = count > 0 ? static_cast<float>(sum / count) : 0.0f;
    return count > 0;
}
}  // namespace

CorrectionCalculator::Bounds CorrectionCalculator::indexBounds(double left1, double right1, double left2,
                                                               double right2, int n, float xRange) {
    Bounds r;
    if (n <= 0 || !(xRange > 0.0f)) {
        r.a = r.b = r.c = r.d = -1;  // nothing lies on such a contour
        return r;
    }
    const float density = static_cast<float>(n) / xRange;
    const float half = xRange / 2.0f;
    r.a = toIndex((static_cast<float>(left1) + half) * density);
    r.b = toIndex((static_cast<float>(right1) + half) * density);
    r.c = toIndex((static_cast<float>(left2) + half) * density);
    r.d = toIndex((static_cast<float>(right2) + half) * density);
    return r;
}

float CorrectionCalculator::invalidMarker(int scaler) {
    // An unreadable scaler (0) gives -inf, which no reported height equals.
    return (1.0f / static_cast<float>(scaler)) * -1048576.0f;
}

bool CorrectionCalculator::isMeasured(float height, float invalid) {
    return std::isfinite(height) && height != invalid;
}

bool CorrectionCalculator::fitAngle(const QVector<float>& heights, const Bounds& r, float step, float invalid,
                                    float* angle) {
    *angle = 0.0f;
    const int n = heights.size();
    if (r.b <= r.a || r.a < 0 || r.b >= n || !(step > 0.0f)) return false;
    if (static_cast<int64_t>(r.c) * r.d < 1) return false;
    const bool second = secondAreaUsed(r);
    if (second && (r.d <= r.c || r.d >= n)) return false;

    std::vector<cv::Point2f> points;
    auto collect = [&](int first, int last) {
        for (int i = first; i <= last; ++i) {
            if (isMeasured(heights[i], invalid))
                points.emplace_back(static_cast<float>(i) * step, heights[i]);
        }
    };
    collect(r.a, r.b);
    if (second) collect(r.c, r.d);
    if (static_cast<int>(points.size()) < kMinFitPoints) return false;

    // Orthogonal line fit with Huber's weights: a few speckle points far off the line pull it much
    // less than in a plain least-squares fit.
    cv::Vec4f line;
    cv::fitLine(points, line, cv::DIST_HUBER, 0.0, 0.01, 0.01);
    // The direction may come either way round; pointing it along +x makes the sign of the angle
    // follow the slope.
    const float s = line[0] < 0.0f ? -line[1] : line[1];
    *angle = static_cast<float>(-std::asin(std::clamp(s, -1.0f, 1.0f)) * 180.0 / CV_PI);
    return std::isfinite(*angle);
}

bool CorrectionCalculator::stepHeight(const QVector<float>& heights, const Bounds& r, float invalid,
                                      float* height) {
    *height = 0.0f;
    const int n = heights.size();
    if (!(r.b >= r.a && r.a >= 0) || r.b >= n) return false;
    if (static_cast<int64_t>(r.c) * r.d < 1) return false;
    const bool second = secondAreaUsed(r);
    if (second && !(r.d >= r.c && r.c >= 0 && r.d < n)) return false;

    float m1 = 0.0f, m2 = 0.0f;
    meanOf(heights, r.a, r.b, invalid, &m1);
    const bool area2 = second && meanOf(heights, r.c, r.d, invalid, &m2);
    *height = area2 ? std::fabs(m1 - m2) : m1;
    return true;
}
