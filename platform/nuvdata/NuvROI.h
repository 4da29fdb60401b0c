// SPDX-License-Identifier: Apache-2.0
#pragma once
#include "NuvGeometry.h"

// Region of interest of the display widgets: a rectangle, a rotated rectangle or a line.
class NuvROI {
public:
    enum ROIType {
        Rect = 0,
        Line = 1,
        Circle = 2,
        Ellipse = 3,
        Polygon = 4,
        Point = 5,
        Rect2 = 6,
        None = -1
    };

    NuvROI() = default;

    // Axis-aligned rectangle from two corners (any order).
    void GenRect(const NuvPoint& p1, const NuvPoint& p2);
    // Rotated rectangle: centre, full side lengths along and across the angle (degrees, counter-clockwise).
    void GenRect2(const NuvPoint& centre, double length1, double length2, double angleDeg);
    void GenLine(const NuvPoint& start, const NuvPoint& stop);

    ROIType type() const { return m_type; }
    bool isEmpty() const { return m_type == None; }

    // Readers return false when the ROI is of another type.
    bool GetRect(NuvPoint* topLeft, NuvPoint* bottomRight) const;
    bool GetRect2(NuvPoint* centre, double* angleDeg, double* length1, double* length2) const;
    bool GetLine(NuvPoint* start, NuvPoint* stop) const;
    // Corner points of a rectangle or rotated rectangle (4), or the two end points of a line.
    NuvPointArray corners() const;

    bool operator==(const NuvROI& o) const;

private:
    ROIType m_type = None;
    NuvPoint m_p1;
    NuvPoint m_p2;
    double m_length1 = 0.0;
    double m_length2 = 0.0;
    double m_angle = 0.0;
};
