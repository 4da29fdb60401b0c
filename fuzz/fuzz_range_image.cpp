// SPDX-License-Identifier: Apache-2.0
// libFuzzer target for the range-image reader of the 3D file library (our own ".srt"/".ecd"/
// ".mri" layout, the only file the library reads). Each input is written to a file and read back.
// Besides "no crash, no overread, no huge allocation" it checks that an accepted file is exactly
// what its header says: 72 header bytes plus width x height samples, read bit for bit, and that a
// refused file leaves the caller's image as it was.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "NuvRangeImageFile.h"

namespace {
void check(bool ok) {
    if (!ok) __builtin_trap();
}

constexpr size_t kHeaderBytes = 72;

// One scratch file per fuzzing process, in memory where the system offers it.
const std::string& scratchPath() {
    static const std::string path = [] {
        const char* dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        return std::string(dir) + "/fuzz_range_image_" + std::to_string(getpid()) + ".srt";
    }();
    return path;
}

bool writeScratch(const uint8_t* data, size_t size) {
    std::FILE* f = std::fopen(scratchPath().c_str(), "wb");
    if (f == nullptr) return false;
    const bool ok = size == 0 || std::fwrite(data, 1, size, f) == size;
    return std::fclose(f) == 0 && ok;
}

uint32_t field(const uint8_t* data, size_t offset) {
    uint32_t v;
    std::memcpy(&v, data + offset, 4);
    return v;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!writeScratch(data, size)) return 0;
    NuvRangeImage image;
    check(image.SetSize(3, 2, NuvRangeImage::TypeUInt16));
    image.Data()[0] = 0x5A;
    std::string reason;
    const int status = NuvRangeImageFile::readLayout(&image, scratchPath(), &reason);
    if (status != 0) {
        // Refused with a reason, and the image handed in is untouched.
        check(status < 0 && !reason.empty());
        check(image.Width() == 3 && image.Height() == 2 && image.TypeCode() == NuvRangeImage::TypeUInt16 &&
              image.Data()[0] == 0x5A);
        return 0;
    }
    check(size >= kHeaderBytes);
    const uint64_t width = field(data, 16);
    const uint64_t height = field(data, 20);
    check(image.TypeCode() == static_cast<int>(field(data, 12)));
    check(uint64_t(image.Width()) == width && uint64_t(image.Height()) == height);
    check(image.byteSize() == size - kHeaderBytes);
    check(image.byteSize() == width * height * uint64_t(image.bytesPerPoint()));
    check(std::memcmp(image.Data(), data + kHeaderBytes, image.byteSize()) == 0);
    const double info[6] = {image.heightScale(), image.heightOffset(), image.xInterval(),
                            image.xOffset(),     image.yInterval(),    image.yOffset()};
    check(std::memcmp(info, data + 24, sizeof(info)) == 0);
    return 0;
}
