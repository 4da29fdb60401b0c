// SPDX-License-Identifier: Apache-2.0
#pragma once
// How deep grey frames (more than 8 bits per pixel) map to the screen's 256 grey levels. Values are
// in the frame's own units (0..4095 for a 12-bit camera's samples). 8-bit and colour frames are shown
// as they are.
#include <QColor>
#include <cmath>

struct ZMKDisplayRange {
    enum class Mode {
        AutoOnce,        // the levels come from the next frame (or the one shown) and are then held
        AutoContinuous,  // every frame is stretched over its own minimum and maximum
        Fixed,           // minimum and maximum as given
        Percentile,      // every frame from lowPercent to highPercent of its pixels (hot pixels cut off)
    };
    static constexpr double kMinGamma = 0.1;
    static constexpr double kMaxGamma = 10.0;

    Mode mode = Mode::AutoContinuous;
    // Fixed: the range. Read back in the other modes: the levels in use.
    int minimum = 0;
    int maximum = 65535;
    double lowPercent = 0.1;
    double highPercent = 99.9;
    // Above 1 brightens the dark part of the range: grey = 255 * t^(1 / gamma), t in 0..1.
    double gamma = 1.0;
    // Pixels at or above the top of the range show in saturationColour instead of white.
    bool markSaturated = false;
    QColor saturationColour = QColor(255, 0, 0);

    bool isValid() const {
        const auto finite = [](double v) { return std::isfinite(v); };
        return minimum >= 0 && maximum <= 65535 && minimum < maximum && finite(lowPercent) &&
               finite(highPercent) && lowPercent >= 0.0 && highPercent <= 100.0 && lowPercent < highPercent &&
               finite(gamma) && gamma >= kMinGamma && gamma <= kMaxGamma && saturationColour.isValid();
    }
    bool operator==(const ZMKDisplayRange& o) const {
        return mode == o.mode && minimum == o.minimum && maximum == o.maximum && lowPercent == o.lowPercent &&
               highPercent == o.highPercent && gamma == o.gamma && markSaturated == o.markSaturated &&
               saturationColour.rgb() == o.saturationColour.rgb();
    }
    bool operator!=(const ZMKDisplayRange& o) const { return !(*this == o); }
};
