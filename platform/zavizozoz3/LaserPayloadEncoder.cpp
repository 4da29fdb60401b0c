#include "LaserPayloadEncoder.h"

#include <algorithm>
#include <cmath>

#include "NuvPayloadWriter.h"
#include "NuvPixelFormat.h"

namespace ZavizoZoz3 {

uint16_t LaserPayloadEncoder::rawSample(float heightMm, double scaler) {
    if (std::isnan(heightMm) || scaler <= 0) return 0;
    // The viewer decodes (raw - (32768 >> shift)) * (32 << shift) / scaler.
    int shift = static_cast<int>(std::log2(scaler));
    shift = shift >= 17 ? shift - 16 : 0;
    const double raw =
        heightMm * scaler / static_cast<double>(32 << shift) + static_cast<double>(32768 >> shift);
    return static_cast<uint16_t>(std::clamp(std::lround(raw), 1L, 65535L));
}

bool LaserPayloadEncoder::encode(const SimulatedFrame& frame, EncodedFrame& out) {
    if (!frame.laserProfiler) return false;
    NuvPayloadWriter writer;
    const double scaler = frame.scaler > 0 ? frame.scaler : 32000.0;
    writer.setScaler(static_cast<uint32_t>(scaler));
    writer.setXIntervalNm(static_cast<uint32_t>(std::max(0.0, frame.xIntervalUm * 1000.0)));
    std::vector<uint16_t> samples(frame.heights.size());
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = rawSample(frame.heights[i], scaler);
    const uint8_t* brightness = frame.brightness.size() == samples.size() ? frame.brightness.data() : nullptr;
    bool ok = false;
    switch (frame.imageMode) {
        case 0:
            ok = writer.writeSensorPicture(
                out.bytes, frame.frameIndex, static_cast<uint32_t>(frame.frameIndex), frame.picture.data(),
                static_cast<uint32_t>(frame.pictureWidth), static_cast<uint32_t>(frame.pictureHeight),
                static_cast<size_t>(frame.pictureWidth), static_cast<uint32_t>(frame.windowRowOffset));
            out.kind = 0;
            out.extra = static_cast<uint32_t>(frame.frameIndex);
            out.width = frame.pictureWidth;
            out.height = frame.pictureHeight;
            out.pixelFormat = NuvPixelFormat::Mono8;
            break;
        case 1:
            ok =
                writer.writeProfile16(out.bytes, frame.frameIndex, static_cast<uint32_t>(frame.frameIndex),
                                      samples.data(), static_cast<uint32_t>(frame.pointsPerLine), brightness);
            out.kind = 1;
            out.extra = static_cast<uint32_t>(frame.frameIndex);
            out.width = frame.pointsPerLine;
            out.height = 1;
            out.pixelFormat = NuvPixelFormat::Coord3D_C16;
            break;
        case 2:
            ok = writer.writeRangeBatch16(out.bytes, frame.imageId, static_cast<uint32_t>(frame.batchIndex),
                                          frame.isEnd, samples.data(),
                                          static_cast<uint32_t>(frame.pointsPerLine),
                                          static_cast<uint32_t>(frame.lineCount), brightness);
            out.kind = 2;
            out.extra = static_cast<uint32_t>(frame.batchIndex);
            out.width = frame.pointsPerLine;
            out.height = frame.lineCount;
            out.pixelFormat = NuvPixelFormat::Coord3D_C16;
            break;
        default:
            return false;
    }
    return ok;
}

}  // namespace ZavizoZoz3
