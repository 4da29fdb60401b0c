// SPDX-License-Identifier: Apache-2.0
#pragma once
#include <cstdint>

/// @file
/// GenICam PFNC pixel-format codes, as acquisition buffers and NuvImage report them.

/// GenICam PFNC pixel-format codes, as acquisition buffers report them. Constants only; usable
/// from any thread.
namespace NuvPixelFormat {
constexpr uint32_t Mono8 = 0x01080001u;        ///< 8-bit grey, one byte per pixel
constexpr uint32_t Mono16 = 0x01100007u;       ///< 16-bit grey, two bytes per pixel
constexpr uint32_t RGB8 = 0x02180014u;         ///< 8-bit colour in R, G, B order, three bytes per pixel
constexpr uint32_t BGR8 = 0x02180015u;         ///< 8-bit colour in B, G, R order, three bytes per pixel
constexpr uint32_t Coord3D_C16 = 0x011000B8u;  ///< 16-bit height (range) samples, two bytes per pixel
constexpr uint32_t Coord3D_C32 = 0x012000BFu;  ///< 32-bit height (range) samples, four bytes per pixel
/// 8-bit Bayer mosaics, one byte per pixel, named by the colours of the first row's first two pixels.
/// Only the 2D display shows them; bytesPerPixel() leaves them out so acquisition paths keep refusing them.
constexpr uint32_t BayerGR8 = 0x01080008u;
constexpr uint32_t BayerRG8 = 0x01080009u;  ///< see BayerGR8
constexpr uint32_t BayerGB8 = 0x0108000Au;  ///< see BayerGR8
constexpr uint32_t BayerBG8 = 0x0108000Bu;  ///< see BayerGR8

/// Bytes per pixel of @p format. Any thread.
/// @return 1, 2, 3 or 4 for the formats above, 0 for formats this library does not know.
inline int bytesPerPixel(uint32_t format) {
    switch (format) {
        case Mono8:
            return 1;
        case Mono16:
        case Coord3D_C16:
            return 2;
        case RGB8:
        case BGR8:
            return 3;
        case Coord3D_C32:
            return 4;
        default:
            return 0;
    }
}
}  // namespace NuvPixelFormat
