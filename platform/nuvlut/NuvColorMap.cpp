// SPDX-License-Identifier: Apache-2.0
#include "NuvColorMap.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <initializer_list>
#include <opencv2/imgproc.hpp>

namespace {
struct Stop {
    double pos;
    double r, g, b;
};

using Table = std::array<NuvColor, NuvColorMap::kTableSize>;

// Piecewise-linear interpolation between stops given in increasing position from 0 to 1.
Table interpolate(std::initializer_list<Stop> stops) {
    Table table;
    const Stop* s = stops.begin();
    const size_t n = stops.size();
    for (int i = 0; i < NuvColorMap::kTableSize; ++i) {
        const double t = static_cast<double>(i) / (NuvColorMap::kTableSize - 1);
        size_t k = 0;
        while (k + 2 < n && t > s[k + 1].pos)
            ++k;
        const Stop& a = s[k];
        const Stop& b = s[k + 1];
        const double u = b.pos > a.pos ? (t - a.pos) / (b.pos - a.pos) : 0.0;
        auto mix = [u](double x, double y) { return static_cast<uint8_t>(std::lround(x + (y - x) * u)); };
        table[static_cast<size_t>(i)] = NuvColor(mix(a.r, b.r), mix(a.g, b.g), mix(a.b, b.b), 255);
    }
    return table;
}

// One of OpenCV's colour maps (256 entries), stretched to the table by linear interpolation, so the
// table's 256 evenly spaced entries are exactly OpenCV's.
Table fromOpenCv(int colormap) {
    cv::Mat ramp(1, 256, CV_8UC1);
    for (int i = 0; i < 256; ++i)
        ramp.at<uint8_t>(0, i) = static_cast<uint8_t>(i);
    cv::Mat bgr;
    cv::applyColorMap(ramp, bgr, colormap);
    Table table;
    for (int i = 0; i < NuvColorMap::kTableSize; ++i) {
        const double pos = static_cast<double>(i) * 255.0 / (NuvColorMap::kTableSize - 1);
        const int k = std::min(254, static_cast<int>(pos));
        const double u = pos - k;
        const cv::Vec3b a = bgr.at<cv::Vec3b>(0, k);
        const cv::Vec3b b = bgr.at<cv::Vec3b>(0, k + 1);
        auto mix = [u](uint8_t x, uint8_t y) { return static_cast<uint8_t>(std::lround(x + (y - x) * u)); };
        table[static_cast<size_t>(i)] = NuvColor(mix(a[2], b[2]), mix(a[1], b[1]), mix(a[0], b[0]), 255);
    }
    return table;
}

std::array<Table, NuvColorMap::kCount> buildTables() {
    std::array<Table, NuvColorMap::kCount> t;
    t[NuvColorMap::Rainbow] = interpolate({{0.0, 0, 0, 143},
                                           {0.125, 0, 0, 255},
                                           {0.375, 0, 255, 255},
                                           {0.625, 255, 255, 0},
                                           {0.875, 255, 0, 0},
                                           {1.0, 128, 0, 0}});
    t[NuvColorMap::Grey] = interpolate({{0.0, 0, 0, 0}, {1.0, 255, 255, 255}});
    t[NuvColorMap::Hot] =
        interpolate({{0.0, 10, 0, 0}, {0.375, 230, 0, 0}, {0.75, 255, 210, 0}, {1.0, 255, 255, 255}});
    t[NuvColorMap::CoolWarm] = interpolate({{0.0, 59, 76, 192}, {0.5, 221, 221, 221}, {1.0, 180, 4, 38}});
    t[NuvColorMap::Terrain] = interpolate({{0.0, 51, 51, 153},
                                           {0.15, 0, 153, 255},
                                           {0.25, 0, 204, 102},
                                           {0.5, 255, 255, 153},
                                           {0.75, 128, 92, 84},
                                           {1.0, 255, 255, 255}});
    // Dark violet through blue and green to yellow: perceived lightness grows monotonically, so a
    // height step reads the same everywhere and the map survives grey-scale printing.
    t[NuvColorMap::Height] = fromOpenCv(cv::COLORMAP_VIRIDIS);
    t[NuvColorMap::Turbo] = fromOpenCv(cv::COLORMAP_TURBO);
    return t;
}
}  // namespace

const NuvColor* NuvColorMap::table(int map) {
    static const std::array<Table, kCount> tables = buildTables();
    if (!isValid(map)) return nullptr;
    return tables[static_cast<size_t>(map)].data();
}
