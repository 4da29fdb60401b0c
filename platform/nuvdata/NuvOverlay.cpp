// SPDX-License-Identifier: Apache-2.0
#include "NuvOverlay.h"

NuvOverlay NuvOverlay::circle(const NuvPoint& centre, double radius) {
    NuvOverlay o;
    o.m_kind = Circle;
    o.m_points = {centre};
    o.m_radius = radius;
    return o;
}

NuvOverlay NuvOverlay::line(const NuvPoint& start, const NuvPoint& stop) {
    NuvOverlay o;
    o.m_kind = Line;
    o.m_points = {start, stop};
    return o;
}

NuvOverlay NuvOverlay::polyline(const NuvPointArray& points) {
    NuvOverlay o;
    o.m_kind = Polyline;
    o.m_points = points;
    return o;
}

NuvOverlay NuvOverlay::cross(const NuvPoint& centre, double size) {
    NuvOverlay o;
    o.m_kind = Cross;
    o.m_points = {centre};
    o.m_radius = size;
    return o;
}
