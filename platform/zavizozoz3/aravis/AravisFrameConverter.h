// SPDX-License-Identifier: Apache-2.0
#pragma once
// Turns one GenICam image buffer into the frame the image listeners receive, in a single pass
// over the pixels: a copy for formats the viewer shows as they are (Mono8, Mono16, RGB8, BGR8;
// Mono10 and Mono12 travel as the 16-bit samples they are, so the read-out gives the true value),
// a demosaic into RGB8 for the 8-bit Bayer formats.
#include <cstddef>
#include <cstdint>
#include <string>

#include "SimulatedFrame.h"

namespace ZavizoZoz3 {

class AravisFrameConverter {
public:
    // PFNC codes of the formats accepted besides those of NuvPixelFormat.
    static constexpr uint32_t kMono10 = 0x01100003u;
    static constexpr uint32_t kMono12 = 0x01100005u;
    static constexpr uint32_t kBayerGR8 = 0x01080008u;
    static constexpr uint32_t kBayerRG8 = 0x01080009u;
    static constexpr uint32_t kBayerGB8 = 0x0108000Au;
    static constexpr uint32_t kBayerBG8 = 0x0108000Bu;

    // `rowPadding` is the number of bytes after each row. False, with `reason` set, for a format
    // that cannot be shown or a buffer too short for its size; `out` is then unchanged.
    static bool convert(const uint8_t* data, size_t size, uint32_t pixelFormat, int width, int height,
                        int rowPadding, EncodedFrame& out, std::string& reason);
};

}  // namespace ZavizoZoz3
