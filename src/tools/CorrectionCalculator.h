// SPDX-License-Identifier: Apache-2.0
#pragma once
// Tilt angle and step height of a laser contour, measured between two calculation areas.
#include <QVector>

class CorrectionCalculator {
public:
    // Contour indexes of the two areas: area 1 from a to b, area 2 from c to d.
    struct Bounds {
        int a = 0, b = 0, c = 0, d = 0;
    };

    // The points of a contour of n heights spread evenly over xRange mm (centred on 0): the index
    // of x mm is (x + xRange / 2) * n / xRange, truncated towards zero.
    static Bounds indexBounds(double left1, double right1, double left2, double right2, int n, float xRange);

    // The height a sensor with this "Scaler" reports for a point it did not measure.
    static float invalidMarker(int scaler);
    // A measured height: finite and not the invalid marker.
    static bool isMeasured(float height, float invalid);

    // The rotation in degrees that levels the line fitted through the measured points of both
    // areas (area 2 only when both its indexes are 1 or more), points spaced step mm apart: negative
    // when the surface rises towards larger x. False, with *angle 0, when the areas do not lie on
    // the contour or hold fewer than 10 measured points.
    static bool fitAngle(const QVector<float>& heights, const Bounds& bounds, float step, float invalid,
                         float* angle);

    // Height of area 1 above or below area 2 (the mean of area 1 alone when area 2 holds no
    // measured point). False, with *height 0, when the areas do not lie on the contour.
    static bool stepHeight(const QVector<float>& heights, const Bounds& bounds, float invalid, float* height);

    static constexpr int kMinFitPoints = 10;
};
