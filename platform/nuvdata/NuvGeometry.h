// SPDX-License-Identifier: Apache-2.0
#pragma once
#include <cstdint>
#include <vector>

struct NuvPoint {
    double x = 0.0;
    double y = 0.0;
    NuvPoint() = default;
    NuvPoint(double px, double py) : x(px), y(py) {}
    bool operator==(const NuvPoint& o) const { return x == o.x && y == o.y; }
};

using NuvPointArray = std::vector<NuvPoint>;

struct NuvColor {
    uint8_t r = 0;
    uint8_t g = 0;
    uint8_t b = 0;
    uint8_t a = 255;
    NuvColor() = default;
    NuvColor(uint8_t cr, uint8_t cg, uint8_t cb, uint8_t ca = 255) : r(cr), g(cg), b(cb), a(ca) {}
    bool operator==(const NuvColor& o) const { return r == o.r && g == o.g && b == o.b && a == o.a; }
};
