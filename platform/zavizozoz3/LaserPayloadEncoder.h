// SPDX-License-Identifier: Apache-2.0
#pragma once
// Packages the simulated laser profiler's scene data into the sensor's binary payloads (sensor
// picture, single profile, range batch), as a real device delivers them.
#include <cstddef>
#include <vector>

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

    // Range-batch samples of `count` heights exactly as encode() writes them for a frame of
    // `sampleBits` (16 or 32) and `scaler`: count x 2 or 4 bytes at `out`. A sensor that keeps
    // its lines encoded sends them through encodeRangeLines().
    static void rangeSamples(const float* heights, size_t count, int sampleBits, double scaler, void* out);
    // Consecutive lines, each pointsPerLine samples (from rangeSamples) and brightness bytes.
    struct LineSpan {
        const void* samples = nullptr;
        const uint8_t* brightness = nullptr;
        int lines = 0;
    };
    // The range batch `frame` describes (its geometry and scan position; heights unused) from
    // encoded lines, the spans in order adding up to frame.lineCount lines: the same payload
    // encode() gives for those lines' heights.
    static bool encodeRangeLines(const SimulatedFrame& frame, const std::vector<LineSpan>& spans,
                                 EncodedFrame& out);
    // True when `encoder` is encode() itself (what Control::installPayloadEncoder installs), so a
    // sensor may hand it encoded lines instead of heights.
    static bool isPayloadEncoder(const FrameEncoder& encoder);
};

}  // namespace ZavizoZoz3
