// SPDX-License-Identifier: Apache-2.0
#include "NuvROI.h"

#include <algorithm>
#include <cmath>

void NuvROI::GenRect(const NuvPoint& p1, const NuvPoint& p2) {
    m_type = Rect;
    m_p1 = NuvPoint(std::min(p1.x, p2.x), std::min(p1.y, p2.y));
    m_p2 = NuvPoint(std::max(p1.x, p2.x), std::max(p1.y, p2.y));
    m_length1 = m_p2.x - m_p1.x;
    m_length2 = m_p2.y - m_p1.y;
    m_angle = 0.0;
}

void NuvROI::GenRect2(const NuvPoint& centre, double length1, double length2, double angleDeg) {
    m_type = Rect2;
    m_p1 = centre;
    m_p2 = centre;
    m_length1 = std::fabs(length1);
    m_length2 = std::fabs(length2);
    m_angle = angleDeg;
}

void NuvROI::GenLine(const NuvPoint& start, const NuvPoint& stop) {
    m_type = Line;
    m_p1 = start;
    m_p2 = stop;
    m_length1 = std::hypot(stop.x - start.x, stop.y - start.y);
    m_length2 = 0.0;
    m_angle = 0.0;
}

bool NuvROI::GetRect(NuvPoint* topLeft, NuvPoint* bottomRight) const {
    if (m_type != Rect) return false;
    if (topLeft) *topLeft = m_p1;
    if (bottomRight) *bottomRight = m_p2;
    return true;
}

bool NuvROI::GetRect2(NuvPoint* centre, double* angleDeg, double* length1, double* length2) const {
    if (m_type != Rect2) return false;
    if (centre) *centre = m_p1;
    if (angleDeg) *angleDeg = m_angle;
    if (length1) *length1 = m_length1;
    if (length2) *length2 = m_length2;
    return true;
}

bool NuvROI::GetLine(NuvPoint* start, NuvPoint* stop) const {
    if (m_type != Line) return false;
    if (start) *start = m_p1;
    if (stop) *stop = m_p2;
    return true;
}

NuvPointArray NuvROI::corners() const {
    switch (m_type) {
        case Rect:
            return {m_p1, NuvPoint(m_p2.x, m_p1.y), m_p2, NuvPoint(m_p1.x, m_p2.y)};
        case Rect2: {
            // Image y grows downwards, so a counter-clockwise angle turns towards negative y.
            const double a = m_angle * 0.017453292519943295;
            const double c = std::cos(a), s = std::sin(a);
            const double hx = m_length1 / 2.0, hy = m_length2 / 2.0;
            NuvPointArray pts;
            const double sx[4] = {-1, 1, 1, -1};
            const double sy[4] = {-1, -1, 1, 1};
            for (int i = 0; i < 4; ++i) {
                const double dx = sx[i] * hx, dy = sy[i] * hy;
                pts.emplace_back(m_p1.x + dx * c + dy * s, m_p1.y - dx * s + dy * c);
            }
            return pts;
        }
        case Line:
            return {m_p1, m_p2};
        default:
            return {};
    }
}

bool NuvROI::operator==(const NuvROI& o) const {
    return m_type == o.m_type && m_p1 == o.m_p1 && m_p2 == o.m_p2 && m_length1 == o.m_length1 &&
           m_length2 == o.m_length2 && m_angle == o.m_angle;
}
