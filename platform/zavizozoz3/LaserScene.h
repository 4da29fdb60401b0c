#pragma once
// Synthetic scene of the laser profiler: a conveyor (0 mm) carrying, along the scan
// direction, a stepped block, a lying cylinder and a plate with a drilled hole, repeated every
// kPeriodMm. Profile n is taken at y = n * yInterval. Points in the triangulation shadow
// behind a rising edge are missing (NaN), as on a real sensor. Deterministic per (n, point).
#include <cstdint>
#include <vector>

namespace ZavizoZoz3 {

class LaserScene {
public:
    static constexpr double kPeriodMm = 120.0;
    static constexpr double kNoiseMm = 0.01;

    explicit LaserScene(int points = 3200, double xIntervalMm = 0.01, double yIntervalMm = 0.05);

    int points() const { return m_points; }
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
    int m_points;
    double m_xInterval;
    double m_yInterval;
};

}  // namespace ZavizoZoz3
