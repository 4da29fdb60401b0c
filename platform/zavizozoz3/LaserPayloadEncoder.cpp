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
void rawSamples16(const std::vector<float>& heights, double scaler, std::vector<uint16_t>& out) {
    out.resize(heights.size());
    if (scaler <= 0) {
        std::fill(out.begin(), out.end(), uint16_t(0));
        return;
    }
    int shift = static_cast<int>(std::log2(scaler));
    shift = shift >= 17 ? shift - 16 : 0;
    // Dividing by a power of two is exact, so one factor gives rawSample's values bit for bit.
    const double factor = scaler / static_cast<double>(32 << shift);
    const double offset = static_cast<double>(32768 >> shift);
    const float* in = heights.data();
    uint16_t* samples = out.data();
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
    for (; i + 4 <= heights.size(); i += 4) {
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
    for (; i < heights.size(); ++i) {
        const float h = in[i];
        const double raw = static_cast<double>(h) * factor + offset;
        // Clamped first, then rounded half up by truncation: the same as lround and a clamp to
        // [1, 65535] for every value. NaN (no measurement) becomes 0. No branch: the loop vectorises.
        const double clamped = std::min(std::max(raw, 1.0), 65535.0);
        const double value = h == h ? clamped + 0.5 : 0.0;
        samples[i] = static_cast<uint16_t>(static_cast<int32_t>(value));
    }
}

}  // namespace

bool LaserPayloadEncoder::encode(const SimulatedFrame& frame, EncodedFrame& out) {
    if (!frame.laserProfiler) return false;
    NuvPayloadWriter writer;
    const double scaler = frame.scaler > 0 ? frame.scaler : 32000.0;
    writer.setScaler(static_cast<uint32_t>(scaler));
    writer.setXIntervalNm(static_cast<uint32_t>(std::max(0.0, frame.xIntervalUm * 1000.0)));
    const bool wide = frame.sampleBits == 32;
    // Kept per thread: encoders run on every camera's acquisition thread at once.
    thread_local std::vector<uint16_t> samples;
    if (!wide) rawSamples16(frame.heights, scaler, samples);
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
            out.kind = 2;
            out.extra = static_cast<uint32_t>(frame.batchIndex);
            out.width = frame.pointsPerLine;
            out.height = frame.lineCount;
            out.pixelFormat = wide ? NuvPixelFormat::Coord3D_C32 : NuvPixelFormat::Coord3D_C16;
            break;
        default:
            return false;
    }
    return ok;
}

}  // namespace ZavizoZoz3
