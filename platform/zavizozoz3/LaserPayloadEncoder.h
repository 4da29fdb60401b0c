#pragma once
// Packages the simulated laser profiler's scene data into the sensor's binary payloads (sensor
// picture, single profile, range batch), as a real device delivers them.
#include "SimulatedFrame.h"

namespace ZavizoZoz3 {

class LaserPayloadEncoder {
public:
    // Raw 16-bit sample of a height in mm for the given "Scaler" (0 for NaN: no measurement).
    static uint16_t rawSample(float heightMm, double scaler);
    static bool encode(const SimulatedFrame& frame, EncodedFrame& out);
};

}  // namespace ZavizoZoz3
