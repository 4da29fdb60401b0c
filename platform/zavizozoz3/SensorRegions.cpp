// SPDX-License-Identifier: Apache-2.0
#include "SensorRegions.h"

#include <algorithm>
#include <cmath>
#include <mutex>

#include "BooleanNode.h"
#include "EnumerationNode.h"
#include "IntegerNode.h"
#include "NodeMap.h"

namespace ZavizoZoz3 {

SensorRegions SensorRegions::read(const NodeMap& map, int sensorColumns, int sensorRows) {
    SensorRegions r;
    r.m_sensorRows = sensorRows;
    r.m_width = sensorColumns;
    r.m_height = sensorRows;
    const auto integer = [&map](const char* name) { return dynamic_cast<IntegerNode*>(map.GetNode(name)); };
    IntegerNode* window[] = {integer("OffsetX"), integer("Width"), integer("OffsetY"), integer("Height")};
    const auto* selector = dynamic_cast<const EnumerationNode*>(map.GetNode("ImageMaskerSelector"));
    const auto* enabled = dynamic_cast<const BooleanNode*>(map.GetNode("ImageMask"));
    IntegerNode* corners[] = {integer("Xup"),   integer("Yup"),   integer("Xright"), integer("Yright"),
                              integer("Xdown"), integer("Ydown"), integer("Xleft"),  integer("Yleft")};
    std::lock_guard<std::mutex> lock(map.valuesMutex());
    if (std::all_of(std::begin(window), std::end(window), [](IntegerNode* n) { return n != nullptr; })) {
        r.m_offsetX = static_cast<int>(window[0]->valueLocked());
        r.m_width = static_cast<int>(window[1]->valueLocked());
        r.m_offsetY = static_cast<int>(window[2]->valueLocked());
        r.m_height = static_cast<int>(window[3]->valueLocked());
    }
    if (!selector || !enabled ||
        !std::all_of(std::begin(corners), std::end(corners), [](IntegerNode* n) { return n != nullptr; }))
        return r;
    for (size_t slot = 0; slot < static_cast<size_t>(selector->entryCount()); ++slot) {
        if (!enabled->valueForSlotLocked(slot)) continue;
        Quad quad;
        for (size_t i = 0; i < 4; ++i)
            quad[i] = {static_cast<double>(corners[2 * i]->valueForSlotLocked(slot)),
                       static_cast<double>(corners[2 * i + 1]->valueForSlotLocked(slot))};
        r.m_masks.push_back(quad);
    }
    return r;
}

bool SensorRegions::operator==(const SensorRegions& other) const {
    const auto sameQuad = [](const Quad& a, const Quad& b) {
        for (size_t i = 0; i < a.size(); ++i) {
            if (a[i].x != b[i].x || a[i].y != b[i].y) return false;
        }
        return true;
    };
    return m_sensorRows == other.m_sensorRows && m_offsetX == other.m_offsetX && m_width == other.m_width &&
           m_height == other.m_height && m_offsetY == other.m_offsetY &&
           std::equal(m_masks.begin(), m_masks.end(), other.m_masks.begin(), other.m_masks.end(), sameQuad);
}

bool SensorRegions::masked(double x, double y) const {
    for (const Quad& q : m_masks) {
        // Even-odd crossing test: any vertex order around the outline works.
        bool inside = false;
        for (size_t i = 0, j = 3; i < 4; j = i++) {
            const Point& a = q[i];
            const Point& b = q[j];
            if ((a.y > y) != (b.y > y) && x < (b.x - a.x) * (y - a.y) / (b.y - a.y) + a.x) inside = !inside;
        }
        if (inside) return true;
    }
    return false;
}

void SensorRegions::darken(std::vector<uint8_t>& pixels, int width) const {
    if (m_masks.empty() || width <= 0) return;
    const int rows = static_cast<int>(pixels.size() / static_cast<size_t>(width));
    const int top = windowTop();
    std::vector<double> crossings;
    for (int row = 0; row < rows; ++row) {
        const double y = top + row + 0.5;
        uint8_t* line = pixels.data() + static_cast<size_t>(row) * static_cast<size_t>(width);
        for (const Quad& q : m_masks) {
            // The same crossing rule as masked(), one span per pair of crossings.
            crossings.clear();
            for (size_t i = 0, j = 3; i < 4; j = i++) {
                const Point& a = q[i];
                const Point& b = q[j];
                if ((a.y > y) != (b.y > y)) crossings.push_back((b.x - a.x) * (y - a.y) / (b.y - a.y) + a.x);
            }
            std::sort(crossings.begin(), crossings.end());
            for (size_t k = 0; k + 1 < crossings.size(); k += 2) {
                // Pixel centres col + 0.5 in [left, right).
                const int first = std::max(0, static_cast<int>(std::ceil(crossings[k] - 0.5)));
                const int last = std::min(width, static_cast<int>(std::ceil(crossings[k + 1] - 0.5)));
                for (int col = first; col < last; ++col)
                    line[col] = 0;
            }
        }
    }
}

}  // namespace ZavizoZoz3
