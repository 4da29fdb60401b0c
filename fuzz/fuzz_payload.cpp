// SPDX-License-Identifier: Apache-2.0
// libFuzzer target for the payload reader. Besides "no crash, no overread" it checks that an
// accepted payload is self-consistent: the counts fit inside the buffer, and re-encoding what was
// read with the writer reproduces the input byte for byte.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "NuvPayloadTools.h"
#include "NuvPayloadWriter.h"

namespace {
void check(bool ok) {
    if (!ok) __builtin_trap();
}

void reencode16(const uint8_t* data, size_t size, const NuvLPFrameInfo& info) {
    size_t count = 0;
    size_t bcount = 0;
    check(NUVSDK_LP_ExtractContour16u(data, size, nullptr, &count, nullptr, &bcount) == 0);
    check(count == size_t(info.pointsPerProfile) * info.lineCount);
    check(bcount == (info.hasBrightness ? count : 0));
    std::vector<uint16_t> profile(count);
    std::vector<uint8_t> brightness(bcount ? bcount : 1);
    const int rc =
        NUVSDK_LP_ExtractContour16u(data, size, profile.data(), &count, brightness.data(), &bcount);
    check(rc == (info.hasBrightness ? 0 : NUVSDK_LP_ERR_NO_BRIGHTNESS));
    if (info.headerSize != 64) return;  // the writer never adds an extension area

    NuvPayloadWriter writer;
    writer.setScaler(info.scaler);
    writer.setXIntervalNm(info.xIntervalNm);
    std::vector<uint8_t> out;
    const uint8_t* b = info.hasBrightness ? brightness.data() : nullptr;
    const bool ok = info.kind == 1
                        ? writer.writeProfile16(out, info.imageId, info.frameNumber, profile.data(),
                                                info.pointsPerProfile, b)
                        : writer.writeRangeBatch16(out, info.imageId, info.frameNumber, info.isEnd != 0,
                                                   profile.data(), info.pointsPerProfile, info.lineCount, b);
    check(ok && out.size() <= size && std::memcmp(out.data(), data, out.size()) == 0);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    NuvLPFrameInfo info{};
    const int rc = NUVSDK_LP_GetFrameInfo(data, size, &info);
    size_t count = 0;
    size_t bcount = 0;
    const int rc16 = NUVSDK_LP_ExtractContour16u(data, size, nullptr, &count, nullptr, &bcount);
    const int rc32 = NUVSDK_LP_ExtractContour32s(data, size, nullptr, &count, 8);
    size_t brightCount = 0;
    const int rcBright = NUVSDK_LP_ExtractBrightness(data, size, nullptr, &brightCount);
    if (rc != 0) {
        // A payload refused by the frame information is refused by every call, for the same reason.
        check(rc < 0 && rc16 == rc && rc32 == rc && rcBright == rc);
        return 0;
    }
    if (info.kind != 0) {
        // One brightness byte per sample when the payload carries them; a copy of exactly that.
        check(rcBright == 0 &&
              brightCount == (info.hasBrightness ? size_t(info.pointsPerProfile) * info.lineCount : 0));
        std::vector<uint8_t> brightness(brightCount + 1);
        check(NUVSDK_LP_ExtractBrightness(data, size, brightness.data(), &brightCount) ==
              (info.hasBrightness ? 0 : NUVSDK_LP_ERR_NO_BRIGHTNESS));
    }
    const void* block = nullptr;
    size_t blockSize = 0;
    check(NUVSDK_LP_GetData(data, size, &block, &blockSize) == 0);
    const auto* start = static_cast<const uint8_t*>(block);
    check(start >= data + 64 && start + blockSize <= data + size && blockSize == info.dataSize);

    if (info.kind == 0 || info.sampleType == 4) {
        check(rc32 == 0 && rc16 == NUVSDK_LP_ERR_KIND);
        std::vector<int64_t> wide(count);
        check(NUVSDK_LP_ExtractContour32s(data, size, wide.data(), &count, 8) == 0);
        std::vector<int32_t> packed(count);
        check(NUVSDK_LP_ExtractContour32s(data, size, packed.data(), &count, 4) == 0);
        for (size_t i = 0; i < count; ++i) {
            check(wide[i] == packed[i]);
            if (info.kind == 0) check(wide[i] >= 0 && wide[i] <= int64_t(info.windowHeight));
        }
    } else {
        check(rc16 == 0 && rc32 == NUVSDK_LP_ERR_KIND);
        reencode16(data, size, info);
    }
    return 0;
}
