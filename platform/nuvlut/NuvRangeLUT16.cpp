#include "NuvRangeLUT16.h"

#include <cstring>

#include "NuvArrays.h"
#include "NuvColorMap.h"

static_assert(sizeof(NuvColor) == sizeof(uint32_t), "a colour is one 32-bit store");

bool NuvRangeConversion::sameAs(const NuvRangeConversion& o) const {
    return std::memcmp(&scale, &o.scale, sizeof(scale)) == 0 &&
           std::memcmp(&offset, &o.offset, sizeof(offset)) == 0 &&
           std::memcmp(&minHeight, &o.minHeight, sizeof(minHeight)) == 0 &&
           std::memcmp(&maxHeight, &o.maxHeight, sizeof(maxHeight)) == 0 && colorMap == o.colorMap;
}

bool NuvRangeLUT16::build(const NuvRangeConversion& c) {
    const NuvColor* table = NuvColorMap::table(c.colorMap);
    if (table == nullptr) {
        m_entries.clear();
        return false;
    }
    m_entries.resize(65536);
    const NuvColor invalid = NuvColorMap::invalidColor();
    for (uint32_t raw = 0; raw < 65536; ++raw) {
        Entry& e = m_entries[raw];
        const float h = static_cast<float>(raw * c.scale + c.offset);
        if (raw == 0 || !NuvColorMap::inRange(h, c.minHeight, c.maxHeight)) {
            e.height = Nuv3DFloatArray::invalidValue();
            e.color = invalid;
            continue;
        }
        e.height = h;
        e.color = table[NuvColorMap::index(h, c.minHeight, c.maxHeight)];
    }
    m_conversion = c;
    return true;
}

void NuvRangeLUT16::convert(uint16_t* raw, size_t count, float* heights, NuvColor* colors,
                            bool zeroInvalidSamples) const {
    if (!isBuilt() || raw == nullptr)
        return;
    const Entry* lut = m_entries.data();
    // The common case gets its own loop without per-point null tests so the compiler keeps
    // everything in registers.
    if (heights != nullptr && colors != nullptr) {
        if (zeroInvalidSamples) {
            for (size_t i = 0; i < count; ++i) {
                const Entry e = lut[raw[i]];
                heights[i] = e.height;
                colors[i] = e.color;
                if (e.color.a == 0)
                    raw[i] = 0;
            }
        } else {
            for (size_t i = 0; i < count; ++i) {
                const Entry e = lut[raw[i]];
                heights[i] = e.height;
                colors[i] = e.color;
            }
        }
        return;
    }
    for (size_t i = 0; i < count; ++i) {
        const Entry& e = lut[raw[i]];
        if (heights != nullptr)
            heights[i] = e.height;
        if (colors != nullptr)
            colors[i] = e.color;
        if (zeroInvalidSamples && e.color.a == 0)
            raw[i] = 0;
    }
}
