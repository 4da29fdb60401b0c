// SPDX-License-Identifier: Apache-2.0
#pragma once
// Synthetic scene of the laser profiler: a conveyor (0 mm) carrying, along the scan
// direction, a stepped block, a lying cylinder and a plate with a drilled hole, repeated every
// kPeriodMm. Profile n is taken at y = n * yInterval. Points in the triangulation shadow
// behind a rising edge are missing (NaN), as on a real sensor. Deterministic per (n, point).
// The geometry can be varied for calibration work: the conveyor plane tilted across the line,
// the height of the block's steps, and a stopped conveyor.
#include <cstdint>
#include <vector>

namespace ZavizoZoz3 {

class LaserScene {
public:
    static constexpr double kPeriodMm = 120.0;
    static constexpr double kNoiseMm = 0.01;

    explicit LaserScene(int points = 3200, double xIntervalMm = 0.01, double yIntervalMm = 0.05);

    int points() const { return m_points; }
    // Roll of the whole scene about the scan direction: heights grow by tan(angle) per mm of x,
    // level at the middle of the line (positive: rising to the right).
    void setTiltDegrees(double degrees);
    double tiltDegrees() const { return m_tiltDegrees; }
    // Height of each of the block's three steps (the block tops are 1, 2 and 3 steps high).
    void setBlockStepMm(double mm);
    double blockStepMm() const { return m_blockStep; }
    // A held position takes every profile at that y (a stopped conveyor); negative moves on.
    void setHoldPositionMm(double mm) { m_holdPosition = mm; }
    double holdPositionMm() const { return m_holdPosition; }

    // Profiles per period of the scene: profile n and n + periodProfiles() cross the same place.
    int periodProfiles() const;
    // Same geometry (points, spacing, tilt, steps, held position): the same profiles.
    bool sameGeometry(const LaserScene& other) const;

    // Height in mm of the ideal surface at (x, y); x measured from the left end of the line.
    double surface(double xMm, double yMm) const;
    // One profile: heights in mm (NaN without measurement) and brightness per point.
    void profile(uint64_t n, std::vector<float>& heights, std::vector<uint8_t>& brightness) const;

    // Sensor picture of a profile: a Mono8 image `width` wide showing the window of `windowHeight`
    // rows that starts `rowOffset` rows above the bottom of a `sensorRows` tall sensor. The laser
    // line sits at the sensor row of each point's height (zMax at the top row, zMin at the bottom).
    static void renderSensorPicture(const std::vector<float>& heights, int width, int sensorRows,
                                    int rowOffset, int windowHeight, double zMaxMm, double zMinMm,
                                    uint64_t seed, std::vector<uint8_t>& pixels);
    // The sensor row (0 = top) of a height, or -1 outside the measuring range.
    static int sensorRowOf(double heightMm, int sensorRows, double zMaxMm, double zMinMm);

private:
    double levelSurface(double xMm, double yMm) const;

    int m_points;
    double m_xInterval;
    double m_yInterval;
    double m_tiltDegrees = 0.0;
    double m_tiltSlope = 0.0;
    double m_blockStep = 4.0;
    double m_holdPosition = -1.0;
};

}  // namespace ZavizoZoz3
