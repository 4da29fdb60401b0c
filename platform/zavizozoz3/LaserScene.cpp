// SPDX-License-Identifier: Apache-2.0
#include "LaserScene.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace ZavizoZoz3 {

namespace {
uint32_t hash(uint32_t value) {
    value ^= value >> 16;
    value *= 0x7feb352dU;
    value ^= value >> 15;
    value *= 0x846ca68bU;
    value ^= value >> 16;
    return value;
}

// Uniform in [-1, 1), reproducible per (profile, point, salt).
double noise(uint64_t n, int point, uint32_t salt) {
    const uint32_t h =
        hash(hash(static_cast<uint32_t>(n) ^ salt) + static_cast<uint32_t>(point) * 2654435761U);
    return static_cast<double>(h) / 2147483648.0 - 1.0;
}

// Shadow slope: the sensor looks at the line from the side of larger x, so behind a falling
// edge the surface is hidden over a fifth of the step height.
constexpr double kShadowSlope = 5.0;
constexpr double kDropoutRate = 0.002;

enum class Part { Conveyor, Block, Cylinder, Plate, Hole };

Part partAt(double x, double y) {
    if (y >= 10.0 && y < 40.0 && x >= 3.0 && x < 12.0) return Part::Block;
    if (y >= 50.0 && y < 80.0 && std::fabs(x - 20.0) < 6.0) return Part::Cylinder;
    if (y >= 85.0 && y < 110.0 && x >= 24.0 && x < 31.0) {
        const double dx = x - 27.5, dy = y - 97.5;
        return dx * dx + dy * dy < 2.5 * 2.5 ? Part::Hole : Part::Plate;
    }
    return Part::Conveyor;
}
}  // namespace

LaserScene::LaserScene(int points, double xIntervalMm, double yIntervalMm)
    : m_points(std::max(points, 1)), m_xInterval(xIntervalMm), m_yInterval(yIntervalMm) {}

void LaserScene::setTiltDegrees(double degrees) {
    if (!std::isfinite(degrees) || std::fabs(degrees) >= 89.0) return;
    m_tiltDegrees = degrees;
    m_tiltSlope = std::tan(degrees * 3.14159265358979323846 / 180.0);
}

void LaserScene::setBlockStepMm(double mm) {
    if (std::isfinite(mm) && mm >= 0.0) m_blockStep = mm;
}

int LaserScene::periodProfiles() const {
    if (!(m_yInterval > 0.0)) return 1;
    return static_cast<int>(std::clamp(std::lround(kPeriodMm / m_yInterval), 1L, 1L << 20));
}

bool LaserScene::sameGeometry(const LaserScene& other) const {
    return m_points == other.m_points && m_xInterval == other.m_xInterval &&
           m_yInterval == other.m_yInterval && m_tiltDegrees == other.m_tiltDegrees &&
           m_blockStep == other.m_blockStep && m_holdPosition == other.m_holdPosition;
}

double LaserScene::surface(double x, double y) const {
    return levelSurface(x, y) + m_tiltSlope * (x - 0.5 * m_points * m_xInterval);
}

double LaserScene::levelSurface(double x, double y) const {
    y = std::fmod(y, kPeriodMm);
    if (y < 0) y += kPeriodMm;
    switch (partAt(x, y)) {
        case Part::Block:
            return m_blockStep * (x < 6.0 ? 1.0 : (x < 9.0 ? 2.0 : 3.0));
        case Part::Cylinder: {
            const double dx = x - 20.0;
            return 6.0 + std::sqrt(std::max(0.0, 36.0 - dx * dx));
        }
        case Part::Plate:
            return 5.0;
        case Part::Hole:
            return -3.0;
        case Part::Conveyor:
            break;
    }
    return 0.0;
}

void LaserScene::profile(uint64_t n, std::vector<float>& heights, std::vector<uint8_t>& brightness) const {
    heights.resize(static_cast<size_t>(m_points));
    brightness.resize(static_cast<size_t>(m_points));
    const double y =
        m_holdPosition >= 0.0 ? m_holdPosition : static_cast<double>(n % 1000000000ULL) * m_yInterval;
    double horizon = -std::numeric_limits<double>::infinity();
    double previous = -std::numeric_limits<double>::infinity();
    for (int i = 0; i < m_points; ++i) {
        const double x = i * m_xInterval;
        const double ideal = surface(x, y);
        horizon = std::max(horizon - m_xInterval * kShadowSlope, previous);
        previous = ideal;
        const bool shadowed = horizon > ideal + 0.05;
        const bool dropout = (noise(n, i, 0x5bd1e995U) + 1.0) * 0.5 < kDropoutRate;
        if (shadowed || dropout) {
            heights[static_cast<size_t>(i)] = std::numeric_limits<float>::quiet_NaN();
            brightness[static_cast<size_t>(i)] = 0;
            continue;
        }
        heights[static_cast<size_t>(i)] = static_cast<float>(ideal + kNoiseMm * noise(n, i, 0x9e3779b9U));
        int level = 90;
        switch (partAt(x, std::fmod(y, kPeriodMm))) {
            case Part::Block:
                level = 200;
                break;
            case Part::Cylinder:
                level = 150 + static_cast<int>(80.0 * (levelSurface(x, y) - 6.0) / 6.0);
                break;
            case Part::Plate:
                level = 160;
                break;
            case Part::Hole:
                level = 60;
                break;
            case Part::Conveyor:
                break;
        }
        level += static_cast<int>(10.0 * noise(n, i, 0x85ebca6bU));
        brightness[static_cast<size_t>(i)] = static_cast<uint8_t>(std::clamp(level, 1, 255));
    }
}

int LaserScene::sensorRowOf(double heightMm, int sensorRows, double zMaxMm, double zMinMm) {
    if (!std::isfinite(heightMm) || sensorRows <= 0 || !(zMaxMm > zMinMm) || heightMm > zMaxMm ||
        heightMm < zMinMm)
        return -1;
    const double fraction = (zMaxMm - heightMm) / (zMaxMm - zMinMm);
    return std::clamp(static_cast<int>(std::lround(fraction * (sensorRows - 1))), 0, sensorRows - 1);
}

void LaserScene::renderSensorPicture(const std::vector<float>& heights, int width, int sensorRows,
                                     int rowOffset, int windowHeight, double zMaxMm, double zMinMm,
                                     uint64_t seed, std::vector<uint8_t>& pixels) {
    if (width <= 0 || windowHeight <= 0) {
        pixels.clear();
        return;
    }
    pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(windowHeight));
    const uint32_t salt = hash(static_cast<uint32_t>(seed) + 7U);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<uint8_t>(4 + hash(salt ^ static_cast<uint32_t>(i)) % 12U);
    if (heights.empty()) return;
    const int windowTop = sensorRows - rowOffset - windowHeight;
    static const uint8_t kLineProfile[] = {90, 200, 255, 200, 90};
    for (int col = 0; col < width; ++col) {
        const size_t point = static_cast<size_t>(col) * heights.size() / static_cast<size_t>(width);
        const int row = sensorRowOf(heights[point], sensorRows, zMaxMm, zMinMm);
        if (row < 0) continue;
        for (int k = 0; k < 5; ++k) {
            const int local = row - windowTop + k - 2;
            if (local >= 0 && local < windowHeight)
                pixels[static_cast<size_t>(local) * static_cast<size_t>(width) + static_cast<size_t>(col)] =
                    kLineProfile[k];
        }
    }
}

}  // namespace ZavizoZoz3
