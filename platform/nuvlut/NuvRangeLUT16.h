// SPDX-License-Identifier: Apache-2.0
#pragma once
// Lookup table turning every possible 16-bit raw range sample into its height and colour, so the
// per-point work of a scan is two table reads instead of a multiply, two compares and a divide.
// Built once per conversion setting; a built table is read-only and may be shared by threads.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "NuvGeometry.h"

// height = raw * scale + offset (computed in double, stored as float). A raw sample of 0, or a
// height outside [minHeight, maxHeight] (NaN included), is invalid.
struct NuvRangeConversion {
    double scale = 1.0;
    double offset = 0.0;
    float minHeight = 0.0f;
    float maxHeight = 0.0f;
    int colorMap = 5;

    // Bitwise comparison, so a NaN setting still matches itself and does not force a rebuild.
    bool sameAs(const NuvRangeConversion& other) const;
};

class NuvRangeLUT16 {
public:
    // Returns false (and leaves the table unbuilt) for an unknown colour map.
    bool build(const NuvRangeConversion& conversion);
    bool isBuilt() const { return !m_entries.empty(); }
    const NuvRangeConversion& conversion() const { return m_conversion; }

    float height(uint16_t raw) const { return m_entries[raw].height; }
    NuvColor color(uint16_t raw) const { return m_entries[raw].color; }

    // One pass over `count` samples: heights (invalid points get Nuv3DFloatArray::invalidValue())
    // and colours (invalid points get NuvColorMap::invalidColor()); either output may be null.
    // With zeroInvalidSamples the raw samples of invalid points are set to 0 in place.
    // Does nothing when the table is not built.
    void convert(uint16_t* raw, size_t count, float* heights, NuvColor* colors,
                 bool zeroInvalidSamples) const;

private:
    struct Entry {
        float height;
        NuvColor color;  // alpha 0 = invalid
    };
    std::vector<Entry> m_entries;
    NuvRangeConversion m_conversion;
};
