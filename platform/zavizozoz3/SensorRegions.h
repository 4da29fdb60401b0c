// SPDX-License-Identifier: Apache-2.0
#pragma once
// What a laser profiler's sensor reads, taken from its node map in one consistent snapshot:
// the window of rows and columns ("OffsetX", "Width", "OffsetY" counted from the bottom,
// "Height") and the enabled image masks, quadrilaterals in picture coordinates (column from
// the window's left, row from the sensor's top) whose pixels read dark and whose points are
// not measured.
#include <array>
#include <cstdint>
#include <vector>

namespace ZavizoZoz3 {

class NodeMap;

class SensorRegions {
public:
    struct Point {
        double x = 0.0;
        double y = 0.0;
    };
    using Quad = std::array<Point, 4>;  // up, right, down, left: the outline in order

    // Missing nodes leave the whole sensor readable and nothing masked.
    static SensorRegions read(const NodeMap& map, int sensorColumns, int sensorRows);

    int offsetX() const { return m_offsetX; }
    int width() const { return m_width; }
    int height() const { return m_height; }
    int offsetY() const { return m_offsetY; }
    // Top sensor row of the window.
    int windowTop() const { return m_sensorRows - m_offsetY - m_height; }
    bool rowInWindow(int sensorRow) const {
        return sensorRow >= windowTop() && sensorRow < windowTop() + m_height;
    }
    bool masked(double x, double y) const;
    const std::vector<Quad>& masks() const { return m_masks; }
    // Darkens the masked pixels of a Mono8 window picture `width` wide starting at windowTop().
    void darken(std::vector<uint8_t>& pixels, int width) const;
    // Same window and masks: the sensor reads the same points.
    bool operator==(const SensorRegions& other) const;
    bool operator!=(const SensorRegions& other) const { return !(*this == other); }

private:
    int m_sensorRows = 0;
    int m_offsetX = 0;
    int m_width = 0;
    int m_height = 0;
    int m_offsetY = 0;
    std::vector<Quad> m_masks;
};

}  // namespace ZavizoZoz3
