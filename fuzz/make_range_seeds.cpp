// SPDX-License-Identifier: Apache-2.0
// Writes one small range-image file of every sample type through the 3D file library's own writer
// into the directory given, as the seed corpus of fuzz_range_image.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "Nuv3DFileOperation.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s CORPUS_DIR\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    struct Seed {
        const char* name;
        int type;
        int width;
        int height;
    };
    const Seed seeds[] = {{"range16.srt", NuvRangeImage::TypeUInt16, 7, 3},
                          {"range32.ecd", NuvRangeImage::TypeInt32, 5, 4},
                          {"range64.mri", NuvRangeImage::TypeFloat64, 4, 2},
                          {"one_sample.srt", NuvRangeImage::TypeUInt16, 1, 1}};
    bool ok = true;
    for (const Seed& seed : seeds) {
        NuvRangeImage image;
        ok &= image.SetSize(seed.width, seed.height, seed.type);
        const size_t samples = static_cast<size_t>(seed.width) * static_cast<size_t>(seed.height);
        for (size_t i = 0; i < samples; ++i) {
            if (seed.type == NuvRangeImage::TypeUInt16) {
                const uint16_t v = static_cast<uint16_t>(i % 5 == 0 ? 0 : 32768 + i * 97);
                std::memcpy(image.Data() + 2 * i, &v, 2);
            } else if (seed.type == NuvRangeImage::TypeInt32) {
                const int32_t v = static_cast<int32_t>(0x40000 + i * 1000);
                std::memcpy(image.Data() + 4 * i, &v, 4);
            } else {
                const double v = i == 1 ? std::nan("") : 0.25 * static_cast<double>(i);
                std::memcpy(image.Data() + 8 * i, &v, 8);
            }
        }
        image.SetInfo(0.0016, -32768, 0.02, -10.0, 0.05, 0.0);
        NuvVar path(dir + "/" + seed.name);
        ok &= NUVMV::Nuv3DFileOperation().Save(image, path) == 0;
    }
    return ok ? 0 : 1;
}
