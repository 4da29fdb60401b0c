#pragma once
#include <cstdint>

// GenICam PFNC pixel-format codes, as acquisition buffers report them.
namespace NuvPixelFormat {
constexpr uint32_t Mono8 = 0x01080001u;
constexpr uint32_t Mono16 = 0x01100007u;
constexpr uint32_t RGB8 = 0x02180014u;
constexpr uint32_t BGR8 = 0x02180015u;
constexpr uint32_t Coord3D_C16 = 0x011000B8u;
constexpr uint32_t Coord3D_C32 = 0x012000BFu;

// Bytes per pixel of a format, 0 for formats we do not know.
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
