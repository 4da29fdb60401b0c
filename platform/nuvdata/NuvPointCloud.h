// SPDX-License-Identifier: Apache-2.0
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "NuvBlockCache.h"

struct NuvPoint3D {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

// Unordered XYZ points with an optional intensity per point.
class NuvPointCloud {
public:
    using Points = std::vector<NuvPoint3D, NuvRecyclingAllocator<NuvPoint3D>>;
    Points& points() { return m_points; }
    const Points& points() const { return m_points; }
    std::vector<uint8_t>& intensities() { return m_intensity; }
    const std::vector<uint8_t>& intensities() const { return m_intensity; }
    size_t size() const { return m_points.size(); }
    bool empty() const { return m_points.empty(); }
    void clear() {
        m_points.clear();
        m_intensity.clear();
    }

private:
    Points m_points;
    std::vector<uint8_t> m_intensity;
};
