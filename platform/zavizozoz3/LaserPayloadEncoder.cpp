// SPDX-License-Identifier: Apache-2.0
#include "LaserPayloadEncoder.h"

#include <algorithm>
#include <cmath>

#include "NuvPayloadWriter.h"
#include "NuvPixelFormat.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

int32_t LaserPayloadEncoder::rawRangeSample32(float heightMm, double scaler) {
    if (std::isnan(heightMm) || scaler < 4) return 0;
    const double raw = heightMm * std::floor(scaler / 4) + 0x40000;
    return static_cast<int32_t>(std::clamp(std::llround(raw), 1LL, 0x1FFFFFLL));
}

int32_t LaserPayloadEncoder::rawProfileSample32(float heightMm, double scaler) {
    if (std::isnan(heightMm) || scaler <= 0) return 0;
    const double raw = heightMm * scaler + 0x100000;
    return static_cast<int32_t>(std::clamp(std::llround(raw), 1LL, 0x7FFFFFFFLL));
}

namespace {
// rawSample over a whole frame: the scaling is worked out once, and the loop has no branch and no
// library call, so it runs at memory speed.
void rawSamples16(const float* in, size_t count, double scaler, uint16_t* samples) {
    if (scaler <= 0) {
        std::fill(samples, samples + count, uint16_t(0));
        return;
    }
    int shift = static_cast<int>(std::log2(scaler));
    shift = shift >= 17 ? shift - 16 : 0;
    // Dividing by a power of two is exact, so one factor gives rawSample's values bit for bit.
    const double factor = scaler / static_cast<double>(32 << shift);
    const double offset = static_cast<double>(32768 >> shift);
    size_t i = 0;
#if defined(__SSE2__)
    // Four samples at a time, the same arithmetic in double precision: max(NaN, 1) gives 1, and the
    // NaN lanes are cleared by the mask afterwards.
    const __m128d vFactor = _mm_set1_pd(factor), vOffset = _mm_set1_pd(offset);
    const __m128d vOne = _mm_set1_pd(1.0), vMax = _mm_set1_pd(65535.0), vHalf = _mm_set1_pd(0.5);
    const __m128i vBias = _mm_set1_epi32(32768);
    const __m128i vFlip = _mm_set1_epi16(static_cast<short>(0x8000));
    const auto scaled = [&](__m128d h) {
        const __m128d raw = _mm_add_pd(_mm_mul_pd(h, vFactor), vOffset);
        return _mm_cvttpd_epi32(_mm_add_pd(_mm_min_pd(_mm_max_pd(raw, vOne), vMax), vHalf));
    };
    for (; i + 4 <= count; i += 4) {
        const __m128 h = _mm_loadu_ps(in + i);
        const __m128i valid = _mm_castps_si128(_mm_cmpeq_ps(h, h));
        const __m128i low = scaled(_mm_cvtps_pd(h));
        const __m128i high = scaled(_mm_cvtps_pd(_mm_movehl_ps(h, h)));
        __m128i v = _mm_and_si128(_mm_unpacklo_epi64(low, high), valid);
        // 0..65535 to unsigned 16 bits with SSE2's signed pack: shift by 32768 and back.
        v = _mm_packs_epi32(_mm_sub_epi32(v, vBias), _mm_sub_epi32(v, vBias));
        v = _mm_xor_si128(v, vFlip);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(samples + i), v);
    }
#endif
    for (; i < count; ++i) {
        const float h = in[i];
        const double raw = static_cast<double>(h) * factor + offset;
        // Clamped first, then rounded half up by truncation: the same as lround and a clamp to
        // [1, 65535] for every value. NaN (no measurement) becomes 0. No branch: the loop vectorises.
        const double clamped = std::min(std::max(raw, 1.0), 65535.0);
        const double value = h == h ? clamped + 0.5 : 0.0;
        samples[i] = static_cast<uint16_t>(static_cast<int32_t>(value));
    }
}

// The scaler a frame's samples are encoded with: a sensor that reports none counts 32000 per 32 mm.
double payloadScaler(double frameScaler) {
    return frameScaler > 0 ? frameScaler : 32000.0;
}

NuvPayloadWriter payloadWriter(const SimulatedFrame& frame) {
    NuvPayloadWriter writer;
    writer.setScaler(static_cast<uint32_t>(payloadScaler(frame.scaler)));
    writer.setXIntervalNm(static_cast<uint32_t>(std::max(0.0, frame.xIntervalUm * 1000.0)));
    return writer;
}

void describeRangeBatch(const SimulatedFrame& frame, EncodedFrame& out) {
    out.kind = 2;
    out.extra = static_cast<uint32_t>(frame.batchIndex);
    out.width = frame.pointsPerLine;
    out.height = frame.lineCount;
    out.pixelFormat = frame.sampleBits == 32 ? NuvPixelFormat::Coord3D_C32 : NuvPixelFormat::Coord3D_C16;
}
}  // namespace

void LaserPayloadEncoder::rangeSamples(const float* heights, size_t count, int sampleBits, double scaler,
                                       void* out) {
    scaler = payloadScaler(scaler);
    if (sampleBits != 32) {
        rawSamples16(heights, count, scaler, static_cast<uint16_t*>(out));
        return;
    }
    auto* samples = static_cast<int32_t*>(out);
    for (size_t i = 0; i < count; ++i)
        samples[i] = rawRangeSample32(heights[i], scaler);
}

bool LaserPayloadEncoder::encodeRangeLines(const SimulatedFrame& frame, const std::vector<LineSpan>& spans,
                                           EncodedFrame& out) {
    if (!frame.laserProfiler || frame.imageMode != 2 || frame.pointsPerLine <= 0 || spans.empty())
        return false;
    const bool wide = frame.sampleBits == 32;
    const size_t lineBytes = static_cast<size_t>(frame.pointsPerLine) * (wide ? 4 : 2);
    const auto points = static_cast<size_t>(frame.pointsPerLine);
    const void* samples = spans.front().samples;
    const uint8_t* brightness = spans.front().brightness;
    int lines = spans.front().lines;
    if (spans.size() > 1) {
        // Lines that wrap around the sensor's store are gathered first; one span is written as it is.
        thread_local std::vector<uint8_t> gatheredSamples, gatheredBrightness;
        gatheredSamples.clear();
        gatheredBrightness.clear();
        lines = 0;
        for (const LineSpan& span : spans) {
            if (span.lines <= 0 || !span.samples || !span.brightness) return false;
            const auto* s = static_cast<const uint8_t*>(span.samples);
            gatheredSamples.insert(gatheredSamples.end(), s, s + lineBytes * static_cast<size_t>(span.lines));
            gatheredBrightness.insert(gatheredBrightness.end(), span.brightness,
                                      span.brightness + points * static_cast<size_t>(span.lines));
            lines += span.lines;
        }
        samples = gatheredSamples.data();
        brightness = gatheredBrightness.data();
    }
    if (lines != frame.lineCount || !samples || !brightness) return false;
    const NuvPayloadWriter writer = payloadWriter(frame);
    const bool ok = wide ? writer.writeRangeBatch32(
                               out.bytes, frame.imageId, static_cast<uint32_t>(frame.batchIndex), frame.isEnd,
                               static_cast<const int32_t*>(samples), static_cast<uint32_t>(points),
                               static_cast<uint32_t>(lines), brightness)
                         : writer.writeRangeBatch16(
                               out.bytes, frame.imageId, static_cast<uint32_t>(frame.batchIndex), frame.isEnd,
                               static_cast<const uint16_t*>(samples), static_cast<uint32_t>(points),
                               static_cast<uint32_t>(lines), brightness);
    describeRangeBatch(frame, out);
    return ok;
}

bool LaserPayloadEncoder::isPayloadEncoder(const FrameEncoder& encoder) {
    using Function = bool (*)(const SimulatedFrame&, EncodedFrame&);
    const Function* target = encoder.target<Function>();
    return target != nullptr && *target == &LaserPayloadEncoder::encode;
}

bool LaserPayloadEncoder::encode(const SimulatedFrame& frame, EncodedFrame& out) {
    if (!frame.laserProfiler) return false;
    const NuvPayloadWriter writer = payloadWriter(frame);
    const double scaler = payloadScaler(frame.scaler);
    const bool wide = frame.sampleBits == 32;
    // Kept per thread: encoders run on every camera's acquisition thread at once.
    thread_local std::vector<uint16_t> samples;
    if (!wide) {
        samples.resize(frame.heights.size());
        rawSamples16(frame.heights.data(), frame.heights.size(), scaler, samples.data());
    }
    std::vector<int32_t> samples32(wide ? frame.heights.size() : 0);
    for (size_t i = 0; i < samples32.size(); ++i)
        samples32[i] = frame.imageMode == 1 ? rawProfileSample32(frame.heights[i], scaler)
                                            : rawRangeSample32(frame.heights[i], scaler);
    const uint8_t* brightness =
        frame.brightness.size() == frame.heights.size() ? frame.brightness.data() : nullptr;
    const auto points = static_cast<uint32_t>(frame.pointsPerLine);
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
            ok = wide ? writer.writeProfile32(out.bytes, frame.frameIndex,
                                              static_cast<uint32_t>(frame.frameIndex), samples32.data(),
                                              points, brightness)
                      : writer.writeProfile16(out.bytes, frame.frameIndex,
                                              static_cast<uint32_t>(frame.frameIndex), samples.data(), points,
                                              brightness);
            out.kind = 1;
            out.extra = static_cast<uint32_t>(frame.frameIndex);
            out.width = frame.pointsPerLine;
            out.height = 1;
            out.pixelFormat = wide ? NuvPixelFormat::Coord3D_C32 : NuvPixelFormat::Coord3D_C16;
            break;
        case 2:
            ok = wide ? writer.writeRangeBatch32(
                            out.bytes, frame.imageId, static_cast<uint32_t>(frame.batchIndex), frame.isEnd,
                            samples32.data(), points, static_cast<uint32_t>(frame.lineCount), brightness)
                      : writer.writeRangeBatch16(
                            out.bytes, frame.imageId, static_cast<uint32_t>(frame.batchIndex), frame.isEnd,
                            samples.data(), points, static_cast<uint32_t>(frame.lineCount), brightness);
            describeRangeBatch(frame, out);
            break;
        default:
            return false;
    }
    return ok;
}

}  // namespace ZavizoZoz3
