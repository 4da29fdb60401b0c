// SPDX-License-Identifier: Apache-2.0
#include "NuvLUTSetting.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace {
constexpr uint32_t kSample32Mask = 0x1FFFFF;

// Calls fn(index, valid, height) for every point of the image in row-major order.
template <typename Fn>
void forEachHeight(const NuvRangeImage& range, Fn fn) {
    const cv::Mat& m = range.mat();
    const double scale = range.heightScale();
    const double offset = range.heightOffset();
    size_t index = 0;
    for (int r = 0; r < m.rows; ++r) {
        if (m.type() == CV_16UC1) {
            const uint16_t* row = m.ptr<uint16_t>(r);
            for (int c = 0; c < m.cols; ++c, ++index)
                fn(index, row[c] != 0, (row[c] + offset) * scale);
        } else {
            const int32_t* row = m.ptr<int32_t>(r);
            for (int c = 0; c < m.cols; ++c, ++index) {
                const uint32_t s = static_cast<uint32_t>(row[c]) & kSample32Mask;
                fn(index, s != 0, (s + offset) * scale);
            }
        }
    }
}

bool supported(const NuvRangeImage& range) {
    const int type = range.mat().type();
    return type == CV_16UC1 || type == CV_32SC1;
}

// Lowest and highest valid height; false when there is none.
bool heightSpan(const NuvRangeImage& range, float* lo, float* hi) {
    double mn = std::numeric_limits<double>::infinity();
    double mx = -std::numeric_limits<double>::infinity();
    forEachHeight(range, [&](size_t, bool valid, double h) {
        if (!valid) return;
        mn = std::min(mn, h);
        mx = std::max(mx, h);
    });
    if (!(mn <= mx)) return false;
    *lo = static_cast<float>(mn);
    *hi = static_cast<float>(mx);
    return true;
}

// Colours every point over [lo, hi] with the table; points outside get the colours given.
void colorLinear(const NuvRangeImage& range, const NuvColor* table, float lo, float hi, NuvColor below,
                 NuvColor above, NuvColor* out) {
    const NuvColor invalid = NuvColorMap::invalidColor();
    forEachHeight(range, [&](size_t i, bool valid, double h) {
        const float f = static_cast<float>(h);
        if (!valid || f != f) {
            out[i] = invalid;
        } else if (f < lo) {
            out[i] = below;
        } else if (f > hi) {
            out[i] = above;
        } else {
            out[i] = table[NuvColorMap::index(f, lo, hi)];
        }
    });
}
}  // namespace

int NuvLUTSetting::LinearSetColorLUT(const Nuv3DFloatArray& heights, float minHeight, float maxHeight,
                                     int colorMap, NuvColorArray* colors) {
    const NuvColor* table = NuvColorMap::table(colorMap);
    if (colors == nullptr || table == nullptr) return -1;
    const size_t n = heights.size();
    colors->resize(n);
    const float* h = heights.data();
    NuvColor* out = colors->data();
    const NuvColor invalid = NuvColorMap::invalidColor();
    for (size_t i = 0; i < n; ++i) {
        const float v = h[i];
        out[i] = Nuv3DFloatArray::isValid(v) && NuvColorMap::inRange(v, minHeight, maxHeight)
                     ? table[NuvColorMap::index(v, minHeight, maxHeight)]
                     : invalid;
    }
    return 0;
}

int NuvLUTSetting::ColorMapLUT(const NuvRangeImage& range, int colorMap, NuvColorArray* colors) {
    const NuvColor* table = NuvColorMap::table(colorMap);
    if (colors == nullptr || table == nullptr) return -1;
    if (range.isEmpty() || !supported(range)) {
        colors->resize(0);
        return range.isEmpty() ? 0 : -1;
    }
    colors->resize(range.mat().total());
    float lo = 0.0f;
    float hi = 0.0f;
    const NuvColor invalid = NuvColorMap::invalidColor();
    if (!heightSpan(range, &lo, &hi)) {
        std::fill(colors->data(), colors->data() + colors->size(), invalid);
        return 0;
    }
    colorLinear(range, table, lo, hi, invalid, invalid, colors->data());
    return 0;
}

int NuvLUTSetting::ColorMapLUT(const NuvRangeImage& range, int colorMap, NuvImage* rgb) {
    if (rgb == nullptr) return -1;
    NuvColorArray colors;
    if (int rc = ColorMapLUT(range, colorMap, &colors); rc != 0) return rc;
    if (range.isEmpty()) {
        *rgb = NuvImage();
        return 0;
    }
    NuvImage image(range.width(), range.height(), NuvPixelFormat::RGB8);
    const NuvColor* c = colors.data();
    for (int r = 0; r < image.height(); ++r) {
        uint8_t* dst = image.data() + static_cast<size_t>(r) * image.step();
        for (int x = 0; x < image.width(); ++x, ++c) {
            // Invalid colours are transparent black; an RGB image cannot say transparent.
            const bool valid = c->a != 0;
            dst[3 * x] = valid ? c->r : 0;
            dst[3 * x + 1] = valid ? c->g : 0;
            dst[3 * x + 2] = valid ? c->b : 0;
        }
    }
    *rgb = image;
    return 0;
}

int NuvLUTSetting::LinearColorMapLUT(const NuvRangeImage& range, NuvColorArray* colors,
                                     const NuvLinearColorParams& params, NuvColor low, NuvColor high,
                                     int colorMap, bool outOfRangeColors) {
    const NuvColor* table = NuvColorMap::table(colorMap);
    if (colors == nullptr || table == nullptr) return -1;
    if (range.isEmpty() || !supported(range)) {
        colors->resize(0);
        return range.isEmpty() ? 0 : -1;
    }
    colors->resize(range.mat().total());
    const NuvColor invalid = NuvColorMap::invalidColor();
    float lo = params.minHeight;
    float hi = params.maxHeight;
    if (params.autoRange && !heightSpan(range, &lo, &hi)) {
        std::fill(colors->data(), colors->data() + colors->size(), invalid);
        return 0;
    }
    if (!(lo <= hi)) {  // reversed or NaN range: nothing is inside it
        lo = std::numeric_limits<float>::infinity();
        hi = -lo;
    }
    colorLinear(range, table, lo, hi, outOfRangeColors ? low : invalid, outOfRangeColors ? high : invalid,
                colors->data());
    return 0;
}

int NuvLUTSetting::RangeToHeightsAndColors16(uint16_t* raw, int points, int rows,
                                             const NuvRangeConversion& conversion, Nuv3DFloatArray* heights,
                                             NuvColorArray* colors, bool zeroInvalidSamples,
                                             NuvRangeLUT16* cache) {
    if (raw == nullptr || cache == nullptr || points < 0 || rows < 0) return -1;
    if (!cache->isBuilt() || !cache->conversion().sameAs(conversion)) {
        if (!cache->build(conversion)) return -1;
    }
    const size_t count = static_cast<size_t>(points) * static_cast<size_t>(rows);
    // Nuv3DFloatArray::resize rewrites every value; skip it when the shape already fits.
    if (heights != nullptr && (heights->rows() != rows || heights->cols() != points))
        heights->resize(rows, points);
    if (colors != nullptr) colors->resize(count);
    cache->convert(raw, count, heights != nullptr ? heights->data() : nullptr,
                   colors != nullptr ? colors->data() : nullptr, zeroInvalidSamples);
    return 0;
}

bool NuvLUTSetting::sampleHeight(const NuvRangeImage& range, int line, int point, double* height) {
    if (height == nullptr || !supported(range) || line < 0 || point < 0 || line >= range.height() ||
        point >= range.width())
        return false;
    const int64_t s = range.sample(line, point);
    const uint32_t v = range.mat().type() == CV_16UC1 ? static_cast<uint32_t>(s)
                                                      : (static_cast<uint32_t>(s) & kSample32Mask);
    if (v == 0) return false;
    *height = range.toMillimetres(v);
    return true;
}
