// SPDX-License-Identifier: Apache-2.0
#pragma once
// Reader of laser-profile sensor payloads (layout: NuvPayloadFormat.h, PAYLOAD_FORMAT.md).
//
// Every call validates the whole header against the buffer size before touching the data, so a
// truncated or corrupted payload returns a negative code and is never read past its end.
// Array outputs follow one pattern: pass a null array to learn the element count (written to
// *count), then pass an array with *count set to its capacity in elements; *count receives the
// number of elements written.
#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

enum NuvLPResult {
    NUVSDK_LP_OK = 0,
    NUVSDK_LP_ERR_ARGUMENT = -1,       // null payload or null count pointer, bad slot size
    NUVSDK_LP_ERR_NO_BRIGHTNESS = -2,  // profile written; the payload carries no brightness
    NUVSDK_LP_ERR_MAGIC = -3,          // not a payload of this format
    NUVSDK_LP_ERR_VERSION = -4,        // a version this reader does not know
    NUVSDK_LP_ERR_HEADER = -5,         // a header field out of range or inconsistent
    NUVSDK_LP_ERR_TRUNCATED = -6,      // the buffer ends before the header or the data block
    NUVSDK_LP_ERR_KIND = -7,           // the payload's kind or sample type does not fit the call
    NUVSDK_LP_ERR_CAPACITY = -8        // an output array is smaller than needed; *count = needed
};

// Brightest pixel below this value: the column shows no laser line.
enum { NUVSDK_LP_LINE_THRESHOLD = 32 };

typedef struct NuvLPFrameInfo {
    uint32_t version;
    uint32_t headerSize;
    uint32_t kind;        // 0 sensor picture, 1 single profile, 2 range batch
    uint32_t sampleType;  // bytes per sample: 1 picture pixel, 2 uint16, 4 int32
    uint64_t imageId;
    uint32_t frameNumber;  // batch index for range batches
    uint32_t isEnd;        // 1 on the last batch of an image
    uint32_t hasBrightness;
    uint32_t pointsPerProfile;
    uint32_t lineCount;
    uint32_t windowWidth;
    uint32_t windowHeight;
    uint32_t windowRowOffset;
    uint32_t scaler;
    uint32_t xIntervalNm;
    uint64_t dataSize;
} NuvLPFrameInfo;

// Validates the payload and fills *info. Returns 0 or a negative NuvLPResult.
int NUVSDK_LP_GetFrameInfo(const void* payload, size_t payloadSize, NuvLPFrameInfo* info);

// 16-bit profile or range batch. profile null: size query, sets *profileCount to the sample
// count and, when brightnessCount is given, *brightnessCount to the brightness count (0 without
// brightness); returns 0. Otherwise copies the samples and, when the payload has brightness and
// brightness is not null, the brightness bytes. Returns 0, -2 when the payload has no brightness
// (the profile is written, *brightnessCount is 0), or another negative NuvLPResult.
int NUVSDK_LP_ExtractContour16u(const void* payload, size_t payloadSize, uint16_t* profile,
                                size_t* profileCount, uint8_t* brightness, size_t* brightnessCount);

// 32-bit contour. For a sensor picture: one value per window column, the row of the laser line's
// peak inside the window (centre of the brightest run), or the window height where the column's
// brightest pixel is below NUVSDK_LP_LINE_THRESHOLD. For a 32-bit profile or range batch: the
// samples. Each signed 32-bit value goes into a slot of slotBytes bytes: 4 packs them, 8 sign-
// extends them into 64-bit slots. contour null: size query. Returns 0 or a negative NuvLPResult.
int NUVSDK_LP_ExtractContour32s(const void* payload, size_t payloadSize, void* contour, size_t* contourCount,
                                size_t slotBytes);

// Brightness bytes of a profile or range batch of either sample width. brightness null: size
// query (*count = 0 without brightness); returns 0. Otherwise copies them and returns 0, -2 when
// the payload has no brightness (*count = 0), or another negative NuvLPResult.
int NUVSDK_LP_ExtractBrightness(const void* payload, size_t payloadSize, uint8_t* brightness, size_t* count);

// Validates the payload and points *data at its data block of *dataSize bytes (inside payload).
int NUVSDK_LP_GetData(const void* payload, size_t payloadSize, const void** data, size_t* dataSize);

// Short English description of a result code, for log lines.
const char* NUVSDK_LP_ErrorText(int result);

#ifdef __cplusplus
}
#endif
