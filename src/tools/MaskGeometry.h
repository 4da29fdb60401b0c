// SPDX-License-Identifier: Apache-2.0
#pragma once
// Conversions between a camera image mask, given as four corner nodes (up, down, left, right)
// in picture coordinates, and the rotated rectangle the display widget draws and edits.
#include "NuvGeometry.h"
#include "NuvROI.h"

class MaskGeometry {
public:
    struct Corners {
        NuvPoint up;
        NuvPoint down;
        NuvPoint left;
        NuvPoint right;
    };

    // The rotated rectangle through the corners. Returns false when the two diagonals do not
    // meet inside the picture's positive quadrant; `shape` is then the placeholder square the
    // user can drag onto the wanted place.
    static bool shapeFromCorners(const Corners& corners, NuvROI* shape);
    // The corners of an edited shape (rectangle or rotated rectangle), clamped into a picture
    // of width x height. False for other shape types.
    static bool cornersFromShape(const NuvROI& shape, int width, int height, Corners* corners);
    // Intersection of the lines left-right and up-down; (0, 0) when they are parallel or both
    // vertical.
    static NuvPoint centre(const Corners& corners);
    static NuvPoint clamp(const NuvPoint& p, int width, int height);
};
