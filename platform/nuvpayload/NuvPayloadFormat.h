// SPDX-License-Identifier: Apache-2.0
#pragma once
// Byte layout of the laser-profile sensor payload, shared by the writer and the reader.
//
// Every multi-byte value is little-endian. A payload is a fixed 64-byte header, an optional
// extension area (up to `headerSize`), then the data block of exactly `dataSize` bytes.
// Bytes after the data block (acquisition buffers are often larger) are ignored.
//
//  off size field             values
//    0   4  magic             "NUVP" (0x4E 0x55 0x56 0x50)
//    4   2  version           1
//    6   2  headerSize        64..4096; the data block starts here
//    8   1  kind              0 sensor picture, 1 single profile, 2 range batch
//    9   1  sampleType        picture: 1 (Mono8); profile and batch: 2 (uint16) or 4 (int32)
//   10   1  endFlag           0 or 1; 1 marks the last batch of an image (always 1 otherwise)
//   11   1  brightness        0 or 1; 1 = a brightness block follows the samples (never for pictures)
//   12   4  frameNumber       batch index of a range batch, running frame number otherwise
//   16   8  imageId           identifies the image the frame belongs to
//   24   4  pointsPerProfile  profile, batch: 1..65536; picture: 0
//   28   4  lineCount         profile: 1; batch: 1..1048576; picture: 0
//   32   4  windowWidth       picture: 1..16384; otherwise 0
//   36   4  windowHeight      picture: 1..16384; otherwise 0
//   40   4  windowRowOffset   picture: row of the sensor where the window starts (<= 65535); otherwise 0
//   44   4  scaler            sensor height scaler (raw units per millimetre), passed through
//   48   4  xIntervalNm       point spacing along the profile in nanometres, passed through
//   52   4  reserved          0
//   56   8  dataSize          bytes of the data block, must equal the size the fields above give
//
// Data block:
//   picture: windowHeight rows of windowWidth Mono8 pixels, no padding.
//   profile, batch: lineCount x pointsPerProfile samples of sampleType bytes, row-major;
//                   then, if brightness is 1, lineCount x pointsPerProfile brightness bytes.
#include <cstddef>
#include <cstdint>

namespace NuvPayloadFormat {
constexpr uint8_t kMagic[4] = {'N', 'U', 'V', 'P'};
constexpr uint16_t kVersion = 1;
constexpr size_t kFixedHeaderSize = 64;
constexpr size_t kMaxHeaderSize = 4096;

enum Kind : uint8_t { KindSensorPicture = 0, KindSingleProfile = 1, KindRangeBatch = 2 };
enum SampleType : uint8_t { SampleMono8 = 1, SampleUInt16 = 2, SampleInt32 = 4 };

constexpr uint32_t kMaxPointsPerProfile = 65536;
constexpr uint32_t kMaxBatchLines = 1u << 20;
constexpr uint32_t kMaxWindowSide = 16384;
constexpr uint32_t kMaxWindowRowOffset = 65535;

// Field offsets.
constexpr size_t kOffMagic = 0;
constexpr size_t kOffVersion = 4;
constexpr size_t kOffHeaderSize = 6;
constexpr size_t kOffKind = 8;
constexpr size_t kOffSampleType = 9;
constexpr size_t kOffEndFlag = 10;
constexpr size_t kOffBrightness = 11;
constexpr size_t kOffFrameNumber = 12;
constexpr size_t kOffImageId = 16;
constexpr size_t kOffPointsPerProfile = 24;
constexpr size_t kOffLineCount = 28;
constexpr size_t kOffWindowWidth = 32;
constexpr size_t kOffWindowHeight = 36;
constexpr size_t kOffWindowRowOffset = 40;
constexpr size_t kOffScaler = 44;
constexpr size_t kOffXIntervalNm = 48;
constexpr size_t kOffReserved = 52;
constexpr size_t kOffDataSize = 56;
}  // namespace NuvPayloadFormat
