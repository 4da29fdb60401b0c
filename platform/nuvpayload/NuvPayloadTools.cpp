// SPDX-License-Identifier: Apache-2.0
#include "NuvPayloadTools.h"

#include <cstring>

#include "NuvPayloadFormat.h"

#if !defined(__BYTE_ORDER__) || __BYTE_ORDER__ != __ORDER_LITTLE_ENDIAN__
#error "Sample blocks are copied as they lie; a big-endian host needs byte swapping here."
#endif

namespace {
namespace F = NuvPayloadFormat;

uint16_t readU16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
uint32_t readU32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
uint64_t readU64(const uint8_t* p) {
    return static_cast<uint64_t>(readU32(p)) | (static_cast<uint64_t>(readU32(p + 4)) << 32);
}

bool mulSize(size_t a, size_t b, size_t* out) {
    return !__builtin_mul_overflow(a, b, out);
}
bool addSize(size_t a, size_t b, size_t* out) {
    return !__builtin_add_overflow(a, b, out);
}

// A validated header plus the data block it describes.
struct Parsed {
    NuvLPFrameInfo info;
    const uint8_t* data;
    size_t sampleCount;      // points x lines (pixels for pictures)
    size_t sampleBytes;      // sampleCount x sampleType
    size_t brightnessBytes;  // sampleCount when present, else 0
};

int validateKindFields(const NuvLPFrameInfo& h) {
    switch (h.kind) {
        case F::KindSensorPicture:
            if (h.sampleType != F::SampleMono8 || h.hasBrightness != 0 || h.pointsPerProfile != 0 ||
                h.lineCount != 0)
                return NUVSDK_LP_ERR_HEADER;
            if (h.windowWidth == 0 || h.windowWidth > F::kMaxWindowSide || h.windowHeight == 0 ||
                h.windowHeight > F::kMaxWindowSide || h.windowRowOffset > F::kMaxWindowRowOffset)
                return NUVSDK_LP_ERR_HEADER;
            return NUVSDK_LP_OK;
        case F::KindSingleProfile:
        case F::KindRangeBatch:
            if (h.sampleType != F::SampleUInt16 && h.sampleType != F::SampleInt32)
                return NUVSDK_LP_ERR_HEADER;
            if (h.windowWidth != 0 || h.windowHeight != 0 || h.windowRowOffset != 0)
                return NUVSDK_LP_ERR_HEADER;
            if (h.pointsPerProfile == 0 || h.pointsPerProfile > F::kMaxPointsPerProfile)
                return NUVSDK_LP_ERR_HEADER;
            if (h.kind == F::KindSingleProfile ? h.lineCount != 1
                                               : (h.lineCount == 0 || h.lineCount > F::kMaxBatchLines))
                return NUVSDK_LP_ERR_HEADER;
            return NUVSDK_LP_OK;
        default:
            return NUVSDK_LP_ERR_HEADER;
    }
}

int parse(const void* payload, size_t payloadSize, Parsed* out) {
    if (payload == nullptr) return NUVSDK_LP_ERR_ARGUMENT;
    if (payloadSize < F::kFixedHeaderSize) return NUVSDK_LP_ERR_TRUNCATED;
    const auto* p = static_cast<const uint8_t*>(payload);
    if (std::memcmp(p + F::kOffMagic, F::kMagic, sizeof(F::kMagic)) != 0) return NUVSDK_LP_ERR_MAGIC;

    NuvLPFrameInfo& h = out->info;
    h.version = readU16(p + F::kOffVersion);
    if (h.version != F::kVersion) return NUVSDK_LP_ERR_VERSION;
    h.headerSize = readU16(p + F::kOffHeaderSize);
    h.kind = p[F::kOffKind];
    h.sampleType = p[F::kOffSampleType];
    h.isEnd = p[F::kOffEndFlag];
    h.hasBrightness = p[F::kOffBrightness];
    h.frameNumber = readU32(p + F::kOffFrameNumber);
    h.imageId = readU64(p + F::kOffImageId);
    h.pointsPerProfile = readU32(p + F::kOffPointsPerProfile);
    h.lineCount = readU32(p + F::kOffLineCount);
    h.windowWidth = readU32(p + F::kOffWindowWidth);
    h.windowHeight = readU32(p + F::kOffWindowHeight);
    h.windowRowOffset = readU32(p + F::kOffWindowRowOffset);
    h.scaler = readU32(p + F::kOffScaler);
    h.xIntervalNm = readU32(p + F::kOffXIntervalNm);
    h.dataSize = readU64(p + F::kOffDataSize);

    if (h.headerSize < F::kFixedHeaderSize || h.headerSize > F::kMaxHeaderSize) return NUVSDK_LP_ERR_HEADER;
    if (h.isEnd > 1 || h.hasBrightness > 1) return NUVSDK_LP_ERR_HEADER;
    if (readU32(p + F::kOffReserved) != 0) return NUVSDK_LP_ERR_HEADER;
    if (int rc = validateKindFields(h); rc != NUVSDK_LP_OK) return rc;
    if (h.kind != F::KindRangeBatch && h.isEnd != 1) return NUVSDK_LP_ERR_HEADER;

    // The field limits keep these products small, but a 32-bit size_t must not wrap either.
    size_t count = 0;
    const bool picture = h.kind == F::KindSensorPicture;
    if (!mulSize(picture ? h.windowWidth : h.pointsPerProfile, picture ? h.windowHeight : h.lineCount,
                 &count))
        return NUVSDK_LP_ERR_HEADER;
    size_t sampleBytes = 0;
    if (!mulSize(count, h.sampleType, &sampleBytes)) return NUVSDK_LP_ERR_HEADER;
    const size_t brightnessBytes = h.hasBrightness ? count : 0;
    size_t expected = 0;
    if (!addSize(sampleBytes, brightnessBytes, &expected)) return NUVSDK_LP_ERR_HEADER;
    if (h.dataSize != expected) return NUVSDK_LP_ERR_HEADER;

    if (h.headerSize > payloadSize) return NUVSDK_LP_ERR_TRUNCATED;
    size_t end = 0;
    if (!addSize(h.headerSize, expected, &end) || end > payloadSize) return NUVSDK_LP_ERR_TRUNCATED;

    out->data = p + h.headerSize;
    out->sampleCount = count;
    out->sampleBytes = sampleBytes;
    out->brightnessBytes = brightnessBytes;
    return NUVSDK_LP_OK;
}

// Row of the laser line in one column: centre of the run of brightest pixels, or `height` when
// the column is too dark to hold a line.
int32_t peakRow(const uint8_t* column, size_t stride, uint32_t height) {
    uint8_t best = 0;
    uint32_t first = 0;
    uint32_t last = 0;
    for (uint32_t r = 0; r < height; ++r) {
        const uint8_t v = column[static_cast<size_t>(r) * stride];
        if (v > best) {
            best = v;
            first = r;
            last = r;
        } else if (v == best) {
            last = r;
        }
    }
    if (best < NUVSDK_LP_LINE_THRESHOLD) return static_cast<int32_t>(height);
    return static_cast<int32_t>((first + last) / 2);
}

void storeSlot(void* contour, size_t index, size_t slotBytes, int32_t value) {
    auto* base = static_cast<uint8_t*>(contour) + index * slotBytes;
    if (slotBytes == 8) {
        const int64_t wide = value;
        std::memcpy(base, &wide, sizeof(wide));
    } else {
        std::memcpy(base, &value, sizeof(value));
    }
}
}  // namespace

extern "C" {

int NUVSDK_LP_GetFrameInfo(const void* payload, size_t payloadSize, NuvLPFrameInfo* info) {
    if (info == nullptr) return NUVSDK_LP_ERR_ARGUMENT;
    Parsed parsed{};
    const int rc = parse(payload, payloadSize, &parsed);
    if (rc == NUVSDK_LP_OK) *info = parsed.info;
    return rc;
}

int NUVSDK_LP_ExtractContour16u(const void* payload, size_t payloadSize, uint16_t* profile,
                                size_t* profileCount, uint8_t* brightness, size_t* brightnessCount) {
    if (profileCount == nullptr) return NUVSDK_LP_ERR_ARGUMENT;
    Parsed parsed{};
    if (int rc = parse(payload, payloadSize, &parsed); rc != NUVSDK_LP_OK) return rc;
    if (parsed.info.kind == F::KindSensorPicture || parsed.info.sampleType != F::SampleUInt16)
        return NUVSDK_LP_ERR_KIND;

    if (profile == nullptr) {
        *profileCount = parsed.sampleCount;
        if (brightnessCount != nullptr) *brightnessCount = parsed.brightnessBytes;
        return NUVSDK_LP_OK;
    }
    const bool wantBrightness = brightness != nullptr && parsed.brightnessBytes != 0;
    if (wantBrightness && brightnessCount == nullptr) return NUVSDK_LP_ERR_ARGUMENT;
    // Check every capacity before writing anything, so a failing call leaves the arrays alone.
    if (*profileCount < parsed.sampleCount) {
        *profileCount = parsed.sampleCount;
        return NUVSDK_LP_ERR_CAPACITY;
    }
    if (wantBrightness && *brightnessCount < parsed.brightnessBytes) {
        *brightnessCount = parsed.brightnessBytes;
        return NUVSDK_LP_ERR_CAPACITY;
    }
    std::memcpy(profile, parsed.data, parsed.sampleBytes);
    *profileCount = parsed.sampleCount;
    if (wantBrightness) {
        std::memcpy(brightness, parsed.data + parsed.sampleBytes, parsed.brightnessBytes);
        *brightnessCount = parsed.brightnessBytes;
    } else if (brightnessCount != nullptr && parsed.brightnessBytes == 0) {
        *brightnessCount = 0;
    }
    return parsed.brightnessBytes == 0 ? NUVSDK_LP_ERR_NO_BRIGHTNESS : NUVSDK_LP_OK;
}

int NUVSDK_LP_ExtractContour32s(const void* payload, size_t payloadSize, void* contour, size_t* contourCount,
                                size_t slotBytes) {
    if (contourCount == nullptr || (slotBytes != 4 && slotBytes != 8)) return NUVSDK_LP_ERR_ARGUMENT;
    Parsed parsed{};
    if (int rc = parse(payload, payloadSize, &parsed); rc != NUVSDK_LP_OK) return rc;
    const NuvLPFrameInfo& h = parsed.info;
    const bool picture = h.kind == F::KindSensorPicture;
    if (!picture && h.sampleType != F::SampleInt32) return NUVSDK_LP_ERR_KIND;

    const size_t needed = picture ? h.windowWidth : parsed.sampleCount;
    if (contour == nullptr) {
        *contourCount = needed;
        return NUVSDK_LP_OK;
    }
    if (*contourCount < needed) {
        *contourCount = needed;
        return NUVSDK_LP_ERR_CAPACITY;
    }
    if (picture) {
        for (uint32_t c = 0; c < h.windowWidth; ++c)
            storeSlot(contour, c, slotBytes, peakRow(parsed.data + c, h.windowWidth, h.windowHeight));
    } else if (slotBytes == 4) {
        std::memcpy(contour, parsed.data, parsed.sampleBytes);
    } else {
        for (size_t i = 0; i < needed; ++i) {
            int32_t v;
            std::memcpy(&v, parsed.data + i * 4, sizeof(v));
            storeSlot(contour, i, slotBytes, v);
        }
    }
    *contourCount = needed;
    return NUVSDK_LP_OK;
}

int NUVSDK_LP_ExtractBrightness(const void* payload, size_t payloadSize, uint8_t* brightness, size_t* count) {
    if (count == nullptr) return NUVSDK_LP_ERR_ARGUMENT;
    Parsed parsed{};
    if (int rc = parse(payload, payloadSize, &parsed); rc != NUVSDK_LP_OK) return rc;
    if (parsed.info.kind == F::KindSensorPicture) return NUVSDK_LP_ERR_KIND;
    if (brightness == nullptr || parsed.brightnessBytes == 0) {
        *count = parsed.brightnessBytes;
        return brightness == nullptr || parsed.brightnessBytes != 0 ? NUVSDK_LP_OK
                                                                    : NUVSDK_LP_ERR_NO_BRIGHTNESS;
    }
    if (*count < parsed.brightnessBytes) {
        *count = parsed.brightnessBytes;
        return NUVSDK_LP_ERR_CAPACITY;
    }
    std::memcpy(brightness, parsed.data + parsed.sampleBytes, parsed.brightnessBytes);
    *count = parsed.brightnessBytes;
    return NUVSDK_LP_OK;
}

int NUVSDK_LP_GetData(const void* payload, size_t payloadSize, const void** data, size_t* dataSize) {
    if (data == nullptr || dataSize == nullptr) return NUVSDK_LP_ERR_ARGUMENT;
    Parsed parsed{};
    if (int rc = parse(payload, payloadSize, &parsed); rc != NUVSDK_LP_OK) return rc;
    *data = parsed.data;
    *dataSize = static_cast<size_t>(parsed.info.dataSize);
    return NUVSDK_LP_OK;
}

const char* NUVSDK_LP_ErrorText(int result) {
    switch (result) {
        case NUVSDK_LP_OK:
            return "ok";
        case NUVSDK_LP_ERR_ARGUMENT:
            return "invalid argument";
        case NUVSDK_LP_ERR_NO_BRIGHTNESS:
            return "payload carries no brightness";
        case NUVSDK_LP_ERR_MAGIC:
            return "not a profile payload";
        case NUVSDK_LP_ERR_VERSION:
            return "unsupported payload version";
        case NUVSDK_LP_ERR_HEADER:
            return "corrupted payload header";
        case NUVSDK_LP_ERR_TRUNCATED:
            return "payload truncated";
        case NUVSDK_LP_ERR_KIND:
            return "payload kind does not fit the call";
        case NUVSDK_LP_ERR_CAPACITY:
            return "output array too small";
        default:
            return "unknown error";
    }
}
}
