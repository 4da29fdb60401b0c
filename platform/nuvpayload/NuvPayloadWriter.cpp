// SPDX-License-Identifier: Apache-2.0
#include "NuvPayloadWriter.h"

#include <cstring>

#include "NuvPayloadFormat.h"

namespace F = NuvPayloadFormat;

namespace {
void putU16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
void putU32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}
void putU64(uint8_t* p, uint64_t v) {
    for (int i = 0; i < 8; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}
}  // namespace

void NuvPayloadWriter::writeHeader(uint8_t* dst, const Header& h, uint64_t dataSize) const {
    std::memset(dst, 0, F::kFixedHeaderSize);
    std::memcpy(dst + F::kOffMagic, F::kMagic, sizeof(F::kMagic));
    putU16(dst + F::kOffVersion, F::kVersion);
    putU16(dst + F::kOffHeaderSize, static_cast<uint16_t>(F::kFixedHeaderSize));
    dst[F::kOffKind] = h.kind;
    dst[F::kOffSampleType] = h.sampleType;
    dst[F::kOffEndFlag] = h.isEnd ? 1 : 0;
    dst[F::kOffBrightness] = h.hasBrightness ? 1 : 0;
    putU32(dst + F::kOffFrameNumber, h.frameNumber);
    putU64(dst + F::kOffImageId, h.imageId);
    putU32(dst + F::kOffPointsPerProfile, h.points);
    putU32(dst + F::kOffLineCount, h.lines);
    putU32(dst + F::kOffWindowWidth, h.windowWidth);
    putU32(dst + F::kOffWindowHeight, h.windowHeight);
    putU32(dst + F::kOffWindowRowOffset, h.windowRowOffset);
    putU32(dst + F::kOffScaler, m_scaler);
    putU32(dst + F::kOffXIntervalNm, m_xIntervalNm);
    putU64(dst + F::kOffDataSize, dataSize);
}

bool NuvPayloadWriter::writeSensorPicture(std::vector<uint8_t>& out, uint64_t imageId, uint32_t frameNumber,
                                          const uint8_t* pixels, uint32_t width, uint32_t height, size_t step,
                                          uint32_t rowOffset) const {
    out.clear();
    if (pixels == nullptr || width == 0 || height == 0 || width > F::kMaxWindowSide ||
        height > F::kMaxWindowSide || rowOffset > F::kMaxWindowRowOffset)
        return false;
    if (step == 0) step = width;
    if (step < width) return false;
    Header h;
    h.kind = F::KindSensorPicture;
    h.sampleType = F::SampleMono8;
    h.frameNumber = frameNumber;
    h.imageId = imageId;
    h.windowWidth = width;
    h.windowHeight = height;
    h.windowRowOffset = rowOffset;
    const size_t dataSize = static_cast<size_t>(width) * height;  // both <= 16384
    out.resize(F::kFixedHeaderSize + dataSize);
    writeHeader(out.data(), h, dataSize);
    uint8_t* dst = out.data() + F::kFixedHeaderSize;
    for (uint32_t r = 0; r < height; ++r)
        std::memcpy(dst + static_cast<size_t>(r) * width, pixels + r * step, width);
    return true;
}

bool NuvPayloadWriter::writeSamples(std::vector<uint8_t>& out, const Header& h, const void* samples,
                                    const uint8_t* brightness) const {
    const uint32_t maxLines = h.kind == F::KindSingleProfile ? 1 : F::kMaxBatchLines;
    if (samples == nullptr || h.points == 0 || h.points > F::kMaxPointsPerProfile || h.lines == 0 ||
        h.lines > maxLines) {
        out.clear();
        return false;
    }
    // points <= 2^16 and lines <= 2^20 keep these products far below 2^40.
    const size_t count = static_cast<size_t>(h.points) * h.lines;
    const size_t sampleBytes = count * h.sampleType;
    const size_t dataSize = sampleBytes + (brightness != nullptr ? count : 0);
    // Every byte is written below: storage that already has the payload's size (recycled from the
    // previous batch) is not cleared first.
    out.resize(F::kFixedHeaderSize + dataSize);
    writeHeader(out.data(), h, dataSize);
    uint8_t* dst = out.data() + F::kFixedHeaderSize;
    std::memcpy(dst, samples, sampleBytes);
    if (brightness != nullptr) std::memcpy(dst + sampleBytes, brightness, count);
    return true;
}

bool NuvPayloadWriter::writeProfile16(std::vector<uint8_t>& out, uint64_t imageId, uint32_t frameNumber,
                                      const uint16_t* samples, uint32_t points,
                                      const uint8_t* brightness) const {
    Header h;
    h.kind = F::KindSingleProfile;
    h.sampleType = F::SampleUInt16;
    h.hasBrightness = brightness != nullptr;
    h.frameNumber = frameNumber;
    h.imageId = imageId;
    h.points = points;
    h.lines = 1;
    return writeSamples(out, h, samples, brightness);
}

bool NuvPayloadWriter::writeProfile32(std::vector<uint8_t>& out, uint64_t imageId, uint32_t frameNumber,
                                      const int32_t* samples, uint32_t points,
                                      const uint8_t* brightness) const {
    Header h;
    h.kind = F::KindSingleProfile;
    h.sampleType = F::SampleInt32;
    h.hasBrightness = brightness != nullptr;
    h.frameNumber = frameNumber;
    h.imageId = imageId;
    h.points = points;
    h.lines = 1;
    return writeSamples(out, h, samples, brightness);
}

bool NuvPayloadWriter::writeRangeBatch16(std::vector<uint8_t>& out, uint64_t imageId, uint32_t batchIndex,
                                         bool isEnd, const uint16_t* samples, uint32_t points, uint32_t lines,
                                         const uint8_t* brightness) const {
    Header h;
    h.kind = F::KindRangeBatch;
    h.sampleType = F::SampleUInt16;
    h.isEnd = isEnd;
    h.hasBrightness = brightness != nullptr;
    h.frameNumber = batchIndex;
    h.imageId = imageId;
    h.points = points;
    h.lines = lines;
    return writeSamples(out, h, samples, brightness);
}

bool NuvPayloadWriter::writeRangeBatch32(std::vector<uint8_t>& out, uint64_t imageId, uint32_t batchIndex,
                                         bool isEnd, const int32_t* samples, uint32_t points, uint32_t lines,
                                         const uint8_t* brightness) const {
    Header h;
    h.kind = F::KindRangeBatch;
    h.sampleType = F::SampleInt32;
    h.isEnd = isEnd;
    h.hasBrightness = brightness != nullptr;
    h.frameNumber = batchIndex;
    h.imageId = imageId;
    h.points = points;
    h.lines = lines;
    return writeSamples(out, h, samples, brightness);
}
