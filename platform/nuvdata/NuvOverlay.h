// SPDX-License-Identifier: Apache-2.0
#pragma once
#include <cstddef>
#include <vector>

#include "NuvGeometry.h"

// One non-editable drawing primitive of an overlay path.
class NuvOverlay {
public:
    enum Kind { Circle, Line, Polyline, Cross };

    static NuvOverlay circle(const NuvPoint& centre, double radius);
    static NuvOverlay line(const NuvPoint& start, const NuvPoint& stop);
    static NuvOverlay polyline(const NuvPointArray& points);
    static NuvOverlay cross(const NuvPoint& centre, double size);

    Kind kind() const { return m_kind; }
    const NuvPointArray& points() const { return m_points; }
    double radius() const { return m_radius; }

private:
    Kind m_kind = Circle;
    NuvPointArray m_points;
    double m_radius = 0.0;
};

// A batch of overlays drawn with one pen.
class NuvOverlayPath {
public:
    void addOverlay(const NuvOverlay& overlay) { m_overlays.push_back(overlay); }
    void addCircle(const NuvPoint& centre, double radius) {
        m_overlays.push_back(NuvOverlay::circle(centre, radius));
    }
    const std::vector<NuvOverlay>& overlays() const { return m_overlays; }
    size_t size() const { return m_overlays.size(); }
    bool empty() const { return m_overlays.empty(); }
    void clear() { m_overlays.clear(); }

private:
    std::vector<NuvOverlay> m_overlays;
};
