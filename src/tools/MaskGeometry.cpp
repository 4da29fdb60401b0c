// SPDX-License-Identifier: Apache-2.0
#include "MaskGeometry.h"

#include <algorithm>
#include <array>
#include <cfloat>
#include <cmath>

namespace {
constexpr double kEpsilon = DBL_EPSILON;
constexpr double kDegPerRad = 57.29577951308232;
constexpr double kRadPerDeg = 0.017453292519943295;

double distance(const NuvPoint& a, const NuvPoint& b) {
    return std::hypot(a.x - b.x, a.y - b.y);
}
}  // namespace

NuvPoint MaskGeometry::clamp(const NuvPoint& p, int width, int height) {
    return NuvPoint(std::clamp(p.x, 0.0, std::max(0.0, width - 1.0)),
                    std::clamp(p.y, 0.0, std::max(0.0, height - 1.0)));
}

NuvPoint MaskGeometry::centre(const Corners& c) {
    const bool leftRightSteep = std::fabs(c.right.x - c.left.x) <= kEpsilon;
    const bool upDownSteep = std::fabs(c.down.x - c.up.x) <= kEpsilon;
    if (leftRightSteep && upDownSteep) return NuvPoint(0, 0);
    const double k1 = leftRightSteep ? 0.0 : (c.right.y - c.left.y) / (c.right.x - c.left.x);
    const double k2 = upDownSteep ? 0.0 : (c.down.y - c.up.y) / (c.down.x - c.up.x);
    if (upDownSteep) return NuvPoint(c.up.x, c.left.y + (c.up.x - c.left.x) * k1);
    if (leftRightSteep) return NuvPoint(c.left.x, c.up.y + (c.left.x - c.up.x) * k2);
    if (std::fabs(k1 - k2) < kEpsilon) return NuvPoint(0, 0);
    const double x = (c.up.y - c.left.y + k1 * c.left.x - k2 * c.up.x) / (k1 - k2);
    return NuvPoint(x, c.left.y + (x - c.left.x) * k1);
}

bool MaskGeometry::shapeFromCorners(const Corners& given, NuvROI* shape) {
    Corners c = given;
    // A degenerate mask still gets a shape the user can grab.
    if (c.right.x <= c.left.x) c.right.x = c.left.x + 50;
    if (c.down.y <= c.up.y) c.down.y = c.up.y + 50;
    const NuvPoint mid = centre(c);
    if (!(mid.x > 0 && mid.y > 0)) {
        shape->GenRect2(NuvPoint(100, 150), 100, 100, 0);
        return false;
    }
    double angle = 0.0;
    if (c.left.x != c.up.x) {
        angle = std::atan2(std::fabs(c.up.y - c.left.y), std::fabs(c.up.x - c.left.x)) * kDegPerRad;
        if (c.left.x < c.up.x) angle += 270.0;
    }
    shape->GenRect2(mid, distance(c.up, c.right), distance(c.up, c.left), angle);
    return true;
}

bool MaskGeometry::cornersFromShape(const NuvROI& shape, int width, int height, Corners* out) {
    if (shape.type() == NuvROI::Rect) {
        NuvPoint p1, p2;
        shape.GetRect(&p1, &p2);
        p1 = clamp(p1, width, height);
        p2 = clamp(p2, width, height);
        *out = {p1, p2, NuvPoint(p1.x, p2.y), NuvPoint(p2.x, p1.y)};
        return true;
    }
    if (shape.type() != NuvROI::Rect2) return false;
    NuvPoint c;
    double angle = 0.0, l1 = 0.0, l2 = 0.0;
    shape.GetRect2(&c, &angle, &l1, &l2);
    if (angle == 0.0) {
        // Axis-aligned: up top left, down bottom right, left bottom left, right top right.
        const NuvPoint p1 = clamp(NuvPoint(c.x - l1 / 2, c.y - l2 / 2), width, height);
        const NuvPoint p2 = clamp(NuvPoint(c.x + l1 / 2, c.y + l2 / 2), width, height);
        *out = {p1, p2, NuvPoint(p1.x, p2.y), NuvPoint(p2.x, p1.y)};
        return true;
    }
    const double phi = angle * kRadPerDeg;
    const double r = std::sqrt(l1 * l1 + l2 * l2) / 2.0;
    const double alpha = l1 != 0.0 ? std::atan(l2 / l1) : M_PI / 2;
    std::array<NuvPoint, 4> p = {NuvPoint(c.x - r * std::cos(alpha + phi), c.y + r * std::sin(alpha + phi)),
                                 NuvPoint(c.x - r * std::cos(alpha - phi), c.y - r * std::sin(alpha - phi)),
                                 NuvPoint(c.x + r * std::cos(alpha - phi), c.y + r * std::sin(alpha - phi)),
                                 NuvPoint(c.x + r * std::cos(alpha + phi), c.y - r * std::sin(alpha + phi))};
    std::sort(p.begin(), p.end(), [](const NuvPoint& a, const NuvPoint& b) { return a.y < b.y; });
    const bool firstLeft = p[1].x < p[2].x;
    *out = {clamp(p[0], width, height), clamp(p[3], width, height),
            clamp(firstLeft ? p[1] : p[2], width, height), clamp(firstLeft ? p[2] : p[1], width, height)};
    return true;
}
