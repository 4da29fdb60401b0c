// SPDX-License-Identifier: Apache-2.0
#pragma once
#include <cstddef>
#include <vector>

#include "NuvGeometry.h"

// One colour per point of a range image, row-major.
class NuvColorArray {
public:
    NuvColorArray() = default;
    explicit NuvColorArray(size_t count) : m_colors(count) {}
    void resize(size_t count) { m_colors.resize(count); }
    size_t size() const { return m_colors.size(); }
    bool empty() const { return m_colors.empty(); }
    NuvColor* data() { return m_colors.data(); }
    const NuvColor* data() const { return m_colors.data(); }
    NuvColor& operator[](size_t i) { return m_colors[i]; }
    const NuvColor& operator[](size_t i) const { return m_colors[i]; }

private:
    std::vector<NuvColor> m_colors;
};

// Heights of rows x columns points, row-major; invalid points hold invalidValue().
class Nuv3DFloatArray {
public:
    Nuv3DFloatArray() = default;
    Nuv3DFloatArray(int rows, int cols) { resize(rows, cols); }
    void resize(int rows, int cols) {
        m_rows = rows > 0 ? rows : 0;
        m_cols = cols > 0 ? cols : 0;
        m_values.assign(static_cast<size_t>(m_rows) * static_cast<size_t>(m_cols), invalidValue());
    }
    int rows() const { return m_rows; }
    int cols() const { return m_cols; }
    size_t size() const { return m_values.size(); }
    float* data() { return m_values.data(); }
    const float* data() const { return m_values.data(); }
    float* row(int r) { return m_values.data() + static_cast<size_t>(r) * static_cast<size_t>(m_cols); }
    static constexpr float invalidValue() { return -1.0e9f; }
    static bool isValid(float v) { return v > -1.0e8f; }

private:
    int m_rows = 0;
    int m_cols = 0;
    std::vector<float> m_values;
};
