// SPDX-License-Identifier: Apache-2.0
#pragma once
// Scale ticks for the 3D view's axes and for height colour bars: "nice" steps (1, 2 or 5 times a
// power of ten) and labels in millimetres with as many decimals as the step needs.
#include <QFontMetricsF>
#include <QMatrix4x4>
#include <QRectF>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QVector3D>
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

    // One text of the axes in widget pixels, drawn with its baseline starting at `baseline`.
    struct Label {
        QRectF rect;
        QPointF baseline;
        QString text;
        int axis = 0;  // 0 x, 1 y, 2 z
        bool name = false;
    };
    // Tick values along an axis keep at least this many pixels apart on screen.
    static constexpr double kTickSpacing = 60.0;
    // The texts of the axes of box [lo, hi] seen through `viewProjection` in a widget of `size`:
    // the three axis names (`names`) at the axis ends, then the tick values of each axis, as many
    // as its length on screen leaves room for (at most maxTicks). A text that would overlap one
    // placed before it is left out, so the axis of a flat scan does not pile its values up.
    static QVector<Label> placeLabels(const QVector3D& lo, const QVector3D& hi,
                                      const QMatrix4x4& viewProjection, const QSize& size,
                                      const QFontMetricsF& metrics, const QStringList& names, int maxTicks);
};
