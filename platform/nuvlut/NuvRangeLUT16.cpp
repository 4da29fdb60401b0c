// SPDX-License-Identifier: Apache-2.0
#include "NuvRangeLUT16.h"

#include <cstddef>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "NuvArrays.h"
#include "NuvColorMap.h"

static_assert(sizeof(NuvColor) == sizeof(uint32_t), "a colour is one 32-bit store");

bool NuvRangeConversion::sameAs(const NuvRangeConversion& o) const {
    return std::memcmp(&scale, &o.scale, sizeof(scale)) == 0 &&
           std::memcmp(&offset, &o.offset, sizeof(offset)) == 0 &&
           std::memcmp(&minHeight, &o.minHeight, sizeof(minHeight)) == 0 &&
           std::memcmp(&maxHeight, &o.maxHeight, sizeof(maxHeight)) == 0 && colorMap == o.colorMap;
}

bool NuvRangeLUT16::build(const NuvRangeConversion& c) {
    const NuvColor* table = NuvColorMap::table(c.colorMap);
    if (table == nullptr) {
        m_entries.clear();
        return false;
    }
    static_assert(sizeof(Entry) == 8 && offsetof(Entry, color) == 4,
                  "convert() loads entries as 64-bit pairs");
    m_entries.resize(65536);
    const NuvColor invalid = NuvColorMap::invalidColor();
    for (uint32_t raw = 0; raw < 65536; ++raw) {
        Entry& e = m_entries[raw];
        const float h = static_cast<float>(raw * c.scale + c.offset);
        if (raw == 0 || !NuvColorMap::inRange(h, c.minHeight, c.maxHeight)) {
            e.height = Nuv3DFloatArray::invalidValue();
            e.color = invalid;
            continue;
        }
        e.height = h;
        e.color = table[NuvColorMap::index(h, c.minHeight, c.maxHeight)];
    }
    m_conversion = c;
    return true;
}

namespace {
// Outputs of at least this many bytes do not fit the caches anyway: writing them with streaming
// stores skips the read-for-ownership of every output line, a third of the memory traffic.
constexpr size_t kStreamingBytes = size_t(1) << 20;
}  // namespace

void NuvRangeLUT16::convert(uint16_t* raw, size_t count, float* heights, NuvColor* colors,
                            bool zeroInvalidSamples) const {
    if (!isBuilt() || raw == nullptr) return;
    const Entry* __restrict lut = m_entries.data();
    if (heights == nullptr || colors == nullptr) {
        for (size_t i = 0; i < count; ++i) {
            const Entry& e = lut[raw[i]];
            if (heights != nullptr) heights[i] = e.height;
            if (colors != nullptr) colors[i] = e.color;
            if (zeroInvalidSamples && e.color.a == 0) raw[i] = 0;
        }
        return;
    }
    uint16_t* __restrict src = raw;
    float* __restrict hOut = heights;
    NuvColor* __restrict cOut = colors;
    // Invalid entries have alpha 0, valid ones alpha 255: the alpha byte doubles as the keep mask
    // of the raw sample, so zeroing needs no branch.
    auto one = [&](size_t i) {
        const uint16_t r = src[i];
        const Entry e = lut[r];
        hOut[i] = e.height;
        cOut[i] = e.color;
        if (zeroInvalidSamples) src[i] = static_cast<uint16_t>(r & -static_cast<uint16_t>(e.color.a >> 7));
    };
    size_t i = 0;
#if defined(__SSE2__)
    if (count * (sizeof(float) + sizeof(NuvColor)) >= kStreamingBytes) {
        // Scalar until both outputs are 16-byte aligned (they share the element size, so one
        // alignment implies the other only if they start alike; otherwise stay scalar).
        while (i < count && (reinterpret_cast<uintptr_t>(hOut + i) & 15) != 0)
            one(i++);
        if ((reinterpret_cast<uintptr_t>(cOut + i) & 15) == 0) {
            for (; i + 4 <= count; i += 4) {
                const __m128i rawQuad = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(src + i));
                uint64_t quad;
                std::memcpy(&quad, src + i, sizeof(quad));
                // Entries are (height, colour) pairs: two per register, then split into four
                // heights and four colours.
                const __m128 e01 = _mm_castsi128_ps(_mm_unpacklo_epi64(
                    _mm_loadl_epi64(reinterpret_cast<const __m128i*>(lut + (quad & 0xFFFF))),
                    _mm_loadl_epi64(reinterpret_cast<const __m128i*>(lut + ((quad >> 16) & 0xFFFF)))));
                const __m128 e23 = _mm_castsi128_ps(_mm_unpacklo_epi64(
                    _mm_loadl_epi64(reinterpret_cast<const __m128i*>(lut + ((quad >> 32) & 0xFFFF))),
                    _mm_loadl_epi64(reinterpret_cast<const __m128i*>(lut + (quad >> 48)))));
                _mm_stream_ps(hOut + i, _mm_shuffle_ps(e01, e23, _MM_SHUFFLE(2, 0, 2, 0)));
                const __m128i rgba = _mm_castps_si128(_mm_shuffle_ps(e01, e23, _MM_SHUFFLE(3, 1, 3, 1)));
                _mm_stream_si128(reinterpret_cast<__m128i*>(cOut + i), rgba);
                if (zeroInvalidSamples) {
                    // Alpha is the top byte: 255 keeps the sample, 0 clears it. One unconditional
                    // store; the samples' line is in cache from the read, and dropouts are too
                    // irregular for a branch to predict.
                    const __m128i keep = _mm_srai_epi32(rgba, 31);
                    _mm_storel_epi64(reinterpret_cast<__m128i*>(src + i),
                                     _mm_and_si128(rawQuad, _mm_packs_epi32(keep, keep)));
                }
            }
            _mm_sfence();
        }
    }
#endif
    for (; i < count; ++i)
        one(i);
}
