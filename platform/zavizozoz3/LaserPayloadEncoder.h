#pragma once
// Packages the simulated laser profiler's scene data into the sensor's binary payloads (sensor
// picture, single profile, range batch), as a real device delivers them.
#include "SimulatedFrame.h"

namespace ZavizoZoz3 {

class LaserPayloadEncoder {
public:
    // Raw 16-bit sample of a height in mm for the given "Scaler" (0 for NaN: no measurement).
    static uint16_t rawSample(float heightMm, double scaler);
    // Raw 32-bit samples (0 for NaN): range lines count scaler / 4 per mm from 0x40000 within 21
    // bits, single profiles scaler per mm from 0x100000.
    static int32_t rawRangeSample32(float heightMm, double scaler);
    static int32_t rawProfileSample32(float heightMm, double scaler);
    static bool encode(const SimulatedFrame& frame, EncodedFrame& out);
};

}  // namespace ZavizoZoz3
