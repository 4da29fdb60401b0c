// SPDX-License-Identifier: Apache-2.0
// Writes one small payload of every kind and sample type into the directory given, as the seed
// corpus of fuzz_payload.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "NuvPayloadWriter.h"

namespace {
bool save(const std::string& dir, const char* name, const std::vector<uint8_t>& bytes) {
    const std::string path = dir + "/" + name;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s CORPUS_DIR\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    NuvPayloadWriter w;
    w.setScaler(8192);
    w.setXIntervalNm(9000);
    std::vector<uint16_t> s16(24);
    std::vector<int32_t> s32(24);
    std::vector<uint8_t> bright(24);
    for (int i = 0; i < 24; ++i) {
        s16[i] = static_cast<uint16_t>(i == 5 ? 0 : 32768 + i * 100);
        s32[i] = 0x40000 + i * 1000;
        bright[i] = static_cast<uint8_t>(i * 10);
    }
    std::vector<uint8_t> pixels(12 * 6, 8);
    for (int c = 0; c < 12; ++c)
        pixels[(c % 6) * 12 + c] = 240;

    std::vector<uint8_t> out;
    bool ok = true;
    ok &= w.writeSensorPicture(out, 1, 0, pixels.data(), 12, 6, 0, 100) && save(dir, "picture", out);
    ok &= w.writeProfile16(out, 2, 1, s16.data(), 24, bright.data()) && save(dir, "profile16", out);
    ok &= w.writeProfile16(out, 2, 2, s16.data(), 24, nullptr) && save(dir, "profile16_dark", out);
    ok &= w.writeProfile32(out, 3, 1, s32.data(), 24, bright.data()) && save(dir, "profile32", out);
    ok &= w.writeRangeBatch16(out, 4, 0, false, s16.data(), 8, 3, bright.data()) && save(dir, "batch16", out);
    ok &= w.writeRangeBatch32(out, 4, 1, true, s32.data(), 6, 4, nullptr) && save(dir, "batch32_end", out);
    return ok ? 0 : 1;
}
