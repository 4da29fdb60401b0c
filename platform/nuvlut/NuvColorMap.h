// SPDX-License-Identifier: Apache-2.0
#pragma once
// Precomputed colour tables of the height colouring. Every map runs from the lowest height
// (entry 0) to the highest (entry kTableSize - 1); all its colours are opaque, so alpha 0
// marks an invalid point wherever colours are produced.
#include <cmath>
#include <cstdint>

#include "NuvGeometry.h"

class NuvColorMap {
public:
    enum Id {
        Rainbow = 0,   // blue - cyan - green - yellow - red, the classic range-image look
        Grey = 1,      // black to white
        Hot = 2,       // black - red - yellow - white
        CoolWarm = 3,  // diverging blue - light grey - red
        Terrain = 4,   // sea blue - green - sand - brown - white
        Height = 5,    // perceptual height map (viridis): dark violet to yellow, lightness rising throughout
        Turbo = 6      // high-contrast rainbow with smooth lightness, for small height differences
    };
    static constexpr int kCount = 7;
    static constexpr int kTableSize = 1024;

    static bool isValid(int map) { return map >= 0 && map < kCount; }
    // kTableSize colours from low to high, or null for an unknown map.
    static const NuvColor* table(int map);
    // Colour of invalid points: black, fully transparent.
    static NuvColor invalidColor() { return NuvColor(0, 0, 0, 0); }

    // Table entry of a height known to lie in [minHeight, maxHeight]. Every colouring path uses this
    // one formula so that the fused range conversion and the array colouring agree bit for bit.
    static int index(float height, float minHeight, float maxHeight) {
        const double span = static_cast<double>(maxHeight) - static_cast<double>(minHeight);
        if (!(span > 0.0)) return 0;
        double t = (static_cast<double>(height) - static_cast<double>(minHeight)) / span;
        t = t < 0.0 ? 0.0 : (t > 1.0 ? 1.0 : t);
        return static_cast<int>(std::lround(t * (kTableSize - 1)));
    }
    // True when a height is coloured at all: finite, not the array's invalid marker, inside the range.
    static bool inRange(float height, float minHeight, float maxHeight) {
        return height >= minHeight && height <= maxHeight;
    }
};
