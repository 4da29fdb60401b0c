#pragma once
// Scale ticks for the 3D view's axes and for height colour bars: "nice" steps (1, 2 or 5 times a
// power of ten) and labels in millimetres with as many decimals as the step needs.
#include <QString>
#include <QVector>

#include "Nuv3DExport.h"

class NUV3D_API Nuv3DAxes {
public:
    // Step of at most `maxTicks` ticks over [low, high]; 0 for an empty or non-finite range.
    static double niceStep(double low, double high, int maxTicks);
    // The multiples of the nice step inside [low, high], rising.
    static QVector<double> ticks(double low, double high, int maxTicks);
    // A tick value in fixed notation with the decimals its step needs ("-0.5", "12", "0.25").
    static QString label(double value, double step);
};
