// SPDX-License-Identifier: Apache-2.0
#include "ZMKFrameSampler.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <type_traits>
#include <vector>
#if defined(__GNUC__) && defined(__x86_64__)
#include <immintrin.h>
#endif

// The weighted row sums read every source byte of a decimated frame: where the compiler can, they get
// an AVX2 variant picked at load time, with the baseline code for every other processor.
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__) && defined(__linux__)
#define ZMK_ROW_KERNEL __attribute__((target_clones("avx2", "default"))) __attribute__((noinline))
#else
#define ZMK_ROW_KERNEL
#endif

ZMK_ROW_KERNEL void zmkAddRow8To16(quint16* acc, const uchar* p, int n, quint16 weight) {
    for (int k = 0; k < n; ++k)
        acc[k] = quint16(acc[k] + p[k] * weight);
}

// Two lines of equal weight, stored rather than added: no clearing and no second pass over the sums.
ZMK_ROW_KERNEL void zmkSumRows8To16(quint16* acc, const uchar* p, const uchar* q, int n) {
    for (int k = 0; k < n; ++k)
        acc[k] = quint16(p[k] + q[k]);
}

ZMK_ROW_KERNEL void zmkWidenRow8To16(quint16* acc, const uchar* p, int n) {
    for (int k = 0; k < n; ++k)
        acc[k] = p[k];
}

ZMK_ROW_KERNEL void zmkAddRow8To32(quint32* acc, const uchar* p, int n, quint32 weight) {
    for (int k = 0; k < n; ++k)
        acc[k] += p[k] * weight;
}

ZMK_ROW_KERNEL void zmkAddRow16To32(quint32* acc, const quint16* p, int n, quint32 weight) {
    for (int k = 0; k < n; ++k)
        acc[k] += p[k] * weight;
}

// Grey frames shrunk four times or more are summed in pairs of columns as they are read: half the
// columns for the per-pixel work, and a pair still lies well inside most footprints.
ZMK_ROW_KERNEL void zmkAddPairs8To16(quint16* acc, const uchar* p, int n, quint16 weight) {
    for (int k = 0; k < n; ++k)
        acc[k] = quint16(acc[k] + (p[2 * k] + p[2 * k + 1]) * weight);
}

ZMK_ROW_KERNEL void zmkAddPairs8To32(quint32* acc, const uchar* p, int n, quint32 weight) {
    for (int k = 0; k < n; ++k)
        acc[k] += (quint32(p[2 * k]) + p[2 * k + 1]) * weight;
}

ZMK_ROW_KERNEL void zmkAddPairs16To32(quint32* acc, const quint16* p, int n, quint32 weight) {
    for (int k = 0; k < n; ++k)
        acc[k] += (quint32(p[2 * k]) + p[2 * k + 1]) * weight;
}

namespace {
using Kind = ZMKFrameSampler::Kind;
using Source = ZMKFrameSampler::Source;
using Mapping = ZMKFrameSampler::Mapping;

// Fixed-point weights of the colour taps: 14 bits keep a footprint's edge within 1/16384 of a column
// and the products of sums below 2^15 within 32 bits.
constexpr int kFixedOne = 1 << 14;

// The horizontal half of the average: device pixel i sums `taps` columns of the line sums from
// offsets[i] (every `stride` elements), each times its share of the footprint, weights[t * count + i]
// (0 past the footprint). No pixel pays for branches on its footprint's length. The sums stay below
// 2^31. Footprints of more than four grey columns gather them, eight pixels at a time, where the
// processor can; the common narrower and colour footprints use the plain-load kernels below.
template <typename Acc>
void zmkTapPassScalar(const Acc* acc, const int* offsets, const float* weights, int from, int count, int taps,
                      int stride, float* out) {
    for (int i = from; i < count; ++i) {
        float sum = 0.0f;
        for (int t = 0; t < taps; ++t)
            sum +=
                weights[size_t(t) * size_t(count) + size_t(i)] * float(qint32(acc[offsets[i] + t * stride]));
        out[i] = sum;
    }
}

#if defined(__GNUC__) && defined(__x86_64__)
#define ZMK_AVX2 1
// 16-bit sums are gathered as 32-bit words and masked: the line sums carry padding past their end.
template <typename Acc>
__attribute__((target("avx2,fma"))) void zmkTapPassAvx2(const Acc* acc, const int* offsets,
                                                        const float* weights, int count, int taps, int stride,
                                                        float* out) {
    const auto* base = reinterpret_cast<const int*>(acc);
    const __m256i mask = _mm256_set1_epi32(sizeof(Acc) == 2 ? 0xFFFF : -1);
    const __m256i step = _mm256_set1_epi32(stride);
    int i = 0;
    for (; i + 8 <= count; i += 8) {
        __m256i index = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(offsets + i));
        __m256 sum = _mm256_setzero_ps();
        for (int t = 0; t < taps; ++t) {
            const __m256i words = _mm256_i32gather_epi32(base, index, int(sizeof(Acc)));
            const __m256 v = _mm256_cvtepi32_ps(_mm256_and_si256(words, mask));
            sum = _mm256_fmadd_ps(_mm256_loadu_ps(weights + size_t(t) * size_t(count) + size_t(i)), v, sum);
            index = _mm256_add_epi32(index, step);
        }
        _mm256_storeu_ps(out + i, sum);
    }
    zmkTapPassScalar(acc, offsets, weights, i, count, taps, stride, out);
}

// The channel sums of four pixels (up to four 16-bit sums as one 64-bit word per pixel) weighted over
// `taps` rows: pixels 0 and 1 in `first`, 2 and 3 in `second`, four lanes each. Each weight is read
// once and spread over the channels: the weights of a device row then stay in the first-level cache.
__attribute__((target("avx2,fma"), always_inline)) inline void zmkFourPixelSums(
    const quint16* acc, const int* offsets, const float* weights, int pitch, int taps, int stride,
    __m256* first, __m256* second) {
    const auto column = [](const quint16* p) { return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)); };
    const __m256i firstPair = _mm256_setr_epi32(0, 0, 0, 0, 1, 1, 1, 1);
    const __m256i secondPair = _mm256_setr_epi32(2, 2, 2, 2, 3, 3, 3, 3);
    // Plain 64-bit loads: cheaper than a gather on the processors measured.
    const quint16* p0 = acc + offsets[0];
    const quint16* p1 = acc + offsets[1];
    const quint16* p2 = acc + offsets[2];
    const quint16* p3 = acc + offsets[3];
    __m256 a01 = _mm256_setzero_ps(), a23 = _mm256_setzero_ps();
    for (int t = 0; t < taps; ++t) {
        const int at = t * stride;
        const __m128i q01 = _mm_unpacklo_epi64(column(p0 + at), column(p1 + at));
        const __m128i q23 = _mm_unpacklo_epi64(column(p2 + at), column(p3 + at));
        const __m256 a = _mm256_cvtepi32_ps(_mm256_cvtepu16_epi32(q01));
        const __m256 b = _mm256_cvtepi32_ps(_mm256_cvtepu16_epi32(q23));
        const __m256 w = _mm256_castps128_ps256(_mm_loadu_ps(weights + size_t(t) * size_t(pitch)));
        a01 = _mm256_fmadd_ps(_mm256_permutevar8x32_ps(w, firstPair), a, a01);
        a23 = _mm256_fmadd_ps(_mm256_permutevar8x32_ps(w, secondPair), b, a23);
    }
    *first = a01;
    *second = a23;
}

// Four pixels' channel values (`first`: pixels 0 and 1, `second`: 2 and 3) times `scale`, rounded, as
// device pixels: channels put in device order by `order` (a byte shuffle within each pixel) and or-ed
// with `opaque`.
__attribute__((target("avx2,fma"), always_inline)) inline void zmkStoreFourPixels(__m256 first, __m256 second,
                                                                                  __m256 scale, __m128i order,
                                                                                  __m128i opaque,
                                                                                  quint32* d) {
    // After the two packs the pixels lie in dwords 0, 4, 1, 5.
    const __m256i inOrder = _mm256_setr_epi32(0, 4, 1, 5, 0, 0, 0, 0);
    const __m256 half = _mm256_set1_ps(0.5f);
    // Averages are never negative; the packs saturate at 255.
    const __m256i v01 = _mm256_cvttps_epi32(_mm256_fmadd_ps(first, scale, half));
    const __m256i v23 = _mm256_cvttps_epi32(_mm256_fmadd_ps(second, scale, half));
    const __m256i words = _mm256_packus_epi32(v01, v23);
    const __m256i bytes = _mm256_permutevar8x32_epi32(_mm256_packus_epi16(words, words), inOrder);
    const __m128i pixels = _mm_shuffle_epi8(_mm256_castsi256_si128(bytes), order);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d), _mm_or_si128(pixels, opaque));
}

// One device pixel of the scalar tails: channel values `v` put in device order by the byte shuffle
// `lanes`, or-ed with `alpha`.
inline quint32 zmkOrderedPixel(const uchar* v, const uchar* lanes, quint32 alpha) {
    quint32 pixel = 0;
    for (int c = 0; c < 4; ++c)
        pixel |= quint32(v[lanes[c]]) << (8 * c);
    return pixel | alpha;
}

// Every channel of a column at once, four pixels at a time (zmkFourPixelSums): out4 holds four lanes
// per pixel. `pitch` is the number of pixels of a row of weights, so that a part of a row can be passed.
__attribute__((target("avx2,fma"))) void zmkTapPassChannelsAvx2(const quint16* acc, const int* offsets,
                                                                const float* weights, int count, int pitch,
                                                                int taps, int stride, float* out4) {
    int i = 0;
    for (; i + 4 <= count; i += 4) {
        __m256 first, second;
        zmkFourPixelSums(acc, offsets + i, weights + i, pitch, taps, stride, &first, &second);
        _mm256_storeu_ps(out4 + size_t(i) * 4, first);
        _mm256_storeu_ps(out4 + size_t(i) * 4 + 8, second);
    }
    for (; i < count; ++i) {
        for (int c = 0; c < 4; ++c) {
            float sum = 0.0f;
            for (int t = 0; t < taps; ++t)
                sum +=
                    weights[size_t(t) * size_t(pitch) + size_t(i)] * float(acc[offsets[i] + t * stride + c]);
            out4[size_t(i) * 4 + size_t(c)] = sum;
        }
    }
}

// zmkTapPassChannelsAvx2 straight into device pixels: each pixel's sums times `scale`, rounded,
// its channels put in device order by `order` (a byte shuffle within each pixel) and or-ed with `alpha`.
__attribute__((target("avx2,fma"))) void zmkTapPassPixelsAvx2(const quint16* acc, const int* offsets,
                                                              const float* weights, int count, int pitch,
                                                              int taps, int stride, float scale,
                                                              __m128i order, quint32 alpha, quint32* d) {
    const __m256 f = _mm256_set1_ps(scale);
    const __m128i opaque = _mm_set1_epi32(static_cast<int>(alpha));
    int i = 0;
    for (; i + 4 <= count; i += 4) {
        __m256 first, second;
        zmkFourPixelSums(acc, offsets + i, weights + i, pitch, taps, stride, &first, &second);
        zmkStoreFourPixels(first, second, f, order, opaque, d + i);
    }
    alignas(16) uchar lanes[16];
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes), order);
    for (; i < count; ++i) {
        uchar v[4];
        for (int c = 0; c < 4; ++c) {
            float sum = 0.0f;
            for (int t = 0; t < taps; ++t)
                sum +=
                    weights[size_t(t) * size_t(pitch) + size_t(i)] * float(acc[offsets[i] + t * stride + c]);
            v[c] = uchar(std::min(int(sum * scale + 0.5f), 255));
        }
        d[i] = zmkOrderedPixel(v, lanes, alpha);
    }
}

// zmkTapPassPixelsAvx2 in fixed point for sums below 2^15: the sums of two neighbouring taps are
// interleaved by channel and one multiply-add applies both weights (`pairs`, see Taps), two pixels a
// register. Fewer operations per tap than in floating point, which is what colour at fit is bound by
// once its lines are in the cache.
__attribute__((target("avx2,fma"))) void zmkTapPassPixelsFixedAvx2(const quint16* acc, const int* offsets,
                                                                   const qint32* pairs, int count, int pitch,
                                                                   int pairCount, int stride, float scale,
                                                                   __m128i order, quint32 alpha, quint32* d) {
    const auto column = [&](const quint16* p) {
        return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
    };
    // Taps 2k and 2k + 1 of the pixel at p, channel by channel.
    const auto both = [&](const quint16* p, int k) {
        return _mm_unpacklo_epi16(column(p + 2 * k * stride), column(p + (2 * k + 1) * stride));
    };
    const __m256i spread = _mm256_setr_epi32(0, 0, 0, 0, 1, 1, 1, 1);
    const __m256i spreadNext = _mm256_setr_epi32(2, 2, 2, 2, 3, 3, 3, 3);
    const __m256 f = _mm256_set1_ps(scale / float(kFixedOne));
    const __m128i opaque = _mm_set1_epi32(static_cast<int>(alpha));
    int i = 0;
    for (; i + 4 <= count; i += 4) {
        const quint16* p0 = acc + offsets[i];
        const quint16* p1 = acc + offsets[i + 1];
        const quint16* p2 = acc + offsets[i + 2];
        const quint16* p3 = acc + offsets[i + 3];
        __m256i first = _mm256_setzero_si256(), second = _mm256_setzero_si256();
        for (int k = 0; k < pairCount; ++k) {
            const __m256i w = _mm256_castsi128_si256(_mm_loadu_si128(
                reinterpret_cast<const __m128i*>(pairs + size_t(k) * size_t(pitch) + size_t(i))));
            const __m256i a = _mm256_set_m128i(both(p1, k), both(p0, k));
            const __m256i b = _mm256_set_m128i(both(p3, k), both(p2, k));
            first = _mm256_add_epi32(first, _mm256_madd_epi16(a, _mm256_permutevar8x32_epi32(w, spread)));
            second =
                _mm256_add_epi32(second, _mm256_madd_epi16(b, _mm256_permutevar8x32_epi32(w, spreadNext)));
        }
        zmkStoreFourPixels(_mm256_cvtepi32_ps(first), _mm256_cvtepi32_ps(second), f, order, opaque, d + i);
    }
    alignas(16) uchar lanes[16];
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes), order);
    for (; i < count; ++i) {
        uchar v[4];
        for (int c = 0; c < 4; ++c) {
            qint64 sum = 0;
            for (int k = 0; k < pairCount; ++k) {
                const auto w = quint32(pairs[size_t(k) * size_t(pitch) + size_t(i)]);
                sum += qint64(w & 0xFFFF) * acc[offsets[i] + 2 * k * stride + c] +
                       qint64(w >> 16) * acc[offsets[i] + (2 * k + 1) * stride + c];
            }
            v[c] = uchar(std::min(int(float(sum) * (scale / float(kFixedOne)) + 0.5f), 255));
        }
        d[i] = zmkOrderedPixel(v, lanes, alpha);
    }
}

// Grey footprints of up to four columns: one load reads all four sums of a pixel, four pixels at a
// time; byPixel holds four weights per pixel (0 past its footprint).
// The four sums of pixels k and k + 1 as eight 32-bit lanes.
__attribute__((target("avx2,fma"))) inline __m256i zmkFourSums(const quint16* acc, const int* offsets,
                                                               int k) {
    const __m128i first = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(acc + offsets[k]));
    const __m128i second = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(acc + offsets[k + 1]));
    return _mm256_cvtepu16_epi32(_mm_unpacklo_epi64(first, second));
}

__attribute__((target("avx2,fma"))) inline __m256i zmkFourSums(const quint32* acc, const int* offsets,
                                                               int k) {
    return _mm256_set_m128i(_mm_loadu_si128(reinterpret_cast<const __m128i*>(acc + offsets[k + 1])),
                            _mm_loadu_si128(reinterpret_cast<const __m128i*>(acc + offsets[k])));
}

template <typename Acc>
__attribute__((target("avx2,fma"))) void zmkTapPassFourAvx2(const Acc* acc, const int* offsets,
                                                            const float* byPixel, int count, float* out) {
    int i = 0;
    for (; i + 4 <= count; i += 4) {
        // Plain loads: cheaper than a gather on the processors measured. Sums stay below 2^31.
        const float* w = byPixel + size_t(i) * 4;
        const __m256 a = _mm256_mul_ps(_mm256_loadu_ps(w), _mm256_cvtepi32_ps(zmkFourSums(acc, offsets, i)));
        const __m256 b =
            _mm256_mul_ps(_mm256_loadu_ps(w + 8), _mm256_cvtepi32_ps(zmkFourSums(acc, offsets, i + 2)));
        // Lanes hold pixels i, i+1 (a) and i+2, i+3 (b), four taps each: two horizontal adds leave
        // [i, i+2, i, i+2 | i+1, i+3, i+1, i+3].
        const __m256 pairs = _mm256_hadd_ps(a, b);
        const __m256 sums = _mm256_hadd_ps(pairs, pairs);
        _mm_storeu_ps(out + i, _mm_unpacklo_ps(_mm256_castps256_ps128(sums), _mm256_extractf128_ps(sums, 1)));
    }
    for (; i < count; ++i) {
        float sum = 0.0f;
        for (int t = 0; t < 4; ++t)
            sum += byPixel[size_t(i) * 4 + size_t(t)] * float(qint32(acc[offsets[i] + t]));
        out[i] = sum;
    }
}

// Bayer footprints of up to four cells: one 128-bit load reads both columns of all four cells of a
// line parity for a pixel; byPixel8 holds each cell's weight twice per pixel (0 past the footprint).
// The sums of the first and second column of the cells go to col0 and col1.
__attribute__((target("avx2,fma"))) void zmkTapPassCellsAvx2(const quint16* acc, const int* offsets,
                                                             const float* byPixel8, int count, float* col0,
                                                             float* col1) {
    const __m256i order = _mm256_setr_epi32(0, 2, 4, 6, 1, 3, 5, 7);
    int i = 0;
    for (; i + 4 <= count; i += 4) {
        __m256 v[4];
        for (int k = 0; k < 4; ++k) {
            const __m128i sums = _mm_loadu_si128(reinterpret_cast<const __m128i*>(acc + offsets[i + k]));
            const __m256 products = _mm256_mul_ps(_mm256_loadu_ps(byPixel8 + size_t(i + k) * 8),
                                                  _mm256_cvtepi32_ps(_mm256_cvtepu16_epi32(sums)));
            v[k] = _mm256_permutevar8x32_ps(products, order);  // first columns, then second columns
        }
        // Three horizontal adds leave the four pixels' first-column sums, then their second-column sums.
        const __m256 sums = _mm256_hadd_ps(_mm256_hadd_ps(v[0], v[1]), _mm256_hadd_ps(v[2], v[3]));
        _mm_storeu_ps(col0 + i, _mm256_castps256_ps128(sums));
        _mm_storeu_ps(col1 + i, _mm256_extractf128_ps(sums, 1));
    }
    for (; i < count; ++i) {
        float first = 0.0f, second = 0.0f;
        for (int t = 0; t < 4; ++t) {
            const float w = byPixel8[size_t(i) * 8 + size_t(2 * t)];
            first += w * float(acc[offsets[i] + 2 * t]);
            second += w * float(acc[offsets[i] + 2 * t + 1]);
        }
        col0[i] = first;
        col1[i] = second;
    }
}

// zmkAddPairs16To32 in one multiply-add per pair: the samples' sign bits are flipped so that the signed
// multiply-add takes them, and the 2 * 32768 * weight it then misses per pair is added back.
__attribute__((target("avx2,fma"))) void zmkAddPairs16To32Avx2(quint32* acc, const quint16* p, int n,
                                                               quint32 weight) {
    const __m256i flip = _mm256_set1_epi16(static_cast<short>(0x8000));
    const __m256i w = _mm256_set1_epi16(static_cast<short>(weight));
    const __m256i back = _mm256_set1_epi32(static_cast<int>(65536u * weight));
    int k = 0;
    for (; k + 8 <= n; k += 8) {
        const __m256i samples =
            _mm256_xor_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 2 * k)), flip);
        auto* a = reinterpret_cast<__m256i*>(acc + k);
        const __m256i sums = _mm256_add_epi32(_mm256_madd_epi16(samples, w), back);
        _mm256_storeu_si256(a, _mm256_add_epi32(_mm256_loadu_si256(a), sums));
    }
    for (; k < n; ++k)
        acc[k] += (quint32(p[2 * k]) + p[2 * k + 1]) * weight;
}

bool hasAvx2() {
    static const bool avx2 = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    return avx2;
}
#endif

template <typename Acc>
void zmkTapPass(const Acc* acc, const int* offsets, const float* weights, int count, int taps, int stride,
                float* out) {
#ifdef ZMK_AVX2
    if (hasAvx2()) return zmkTapPassAvx2(acc, offsets, weights, count, taps, stride, out);
#endif
    zmkTapPassScalar(acc, offsets, weights, 0, count, taps, stride, out);
}

// Adds n columns (single pixels, or pairs when `group` is 2) of one line times `weight`.
void addRow(quint16* acc, const uchar* p, int n, int weight, int group) {
    group == 2 ? zmkAddPairs8To16(acc, p, n, quint16(weight)) : zmkAddRow8To16(acc, p, n, quint16(weight));
}
void addRow(quint32* acc, const uchar* p, int n, int weight, int group) {
    group == 2 ? zmkAddPairs8To32(acc, p, n, quint32(weight)) : zmkAddRow8To32(acc, p, n, quint32(weight));
}

// Grey value -> opaque RGB32, built once.
const std::array<quint32, 256>& greyTable() {
    static const std::array<quint32, 256> table = [] {
        std::array<quint32, 256> t{};
        for (quint32 v = 0; v < 256; ++v)
            t[v] = 0xFF000000u | (v << 16) | (v << 8) | v;
        return t;
    }();
    return table;
}

quint32 opaque(quint32 r, quint32 g, quint32 b) {
    return 0xFF000000u | (r << 16) | (g << 8) | b;
}

int clampedIndex(double position, int size) {
    return static_cast<int>(std::clamp(std::floor(position), 0.0, static_cast<double>(size - 1)));
}

// Source pixels under one device pixel: [begin, end), the first and last covered by the fractions
// first/kOne and last/kOne, the ones between wholly. Sixteenths keep 8-bit sums of up to 16 lines
// in 16 bits and put a footprint's edge within 1/32 pixel of where it is.
constexpr int kOne = 16;
struct Span {
    int begin;
    int end;
    int first;
    int last;
    int weight() const { return end - begin == 1 ? kOne : first + last + kOne * (end - begin - 2); }
    int weightOf(int i) const {
        if (end - begin == 1) return kOne;
        if (i == begin) return first;
        return i == end - 1 ? last : kOne;
    }
};

// The spans of `count` device pixels from device `first`, in source units of `size`.
std::vector<Span> spans(int first, int count, double scale, double origin, int size) {
    std::vector<Span> out(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        const double u0 = std::clamp((first + i - origin) / scale, 0.0, double(size));
        const double u1 = std::clamp((first + i + 1 - origin) / scale, 0.0, double(size));
        Span s{};
        s.begin = std::min(static_cast<int>(std::floor(u0)), size - 1);
        s.end = std::max(static_cast<int>(std::ceil(u1)), s.begin + 1);
        s.first = static_cast<int>(std::lround(kOne * (std::min(double(s.begin + 1), u1) - u0)));
        s.last = static_cast<int>(std::lround(kOne * (u1 - (s.end - 1))));
        if (s.end - s.begin > 1) {
            // A sliver that rounds to nothing is left out.
            if (s.first <= 0) ++s.begin, s.first = kOne;
            if (s.last <= 0 && s.end - s.begin > 1) --s.end, s.last = kOne;
        }
        out[static_cast<size_t>(i)] = s;
    }
    return out;
}

int longest(const std::vector<Span>& spans) {
    int n = 1;
    for (const Span& s : spans)
        n = std::max(n, s.end - s.begin);
    return n;
}

int shortest(const std::vector<Span>& spans) {
    int n = std::numeric_limits<int>::max();
    for (const Span& s : spans)
        n = std::min(n, s.end - s.begin);
    return n;
}

// Weighted sums of `acc` (element x at acc[(x - x0) * C + channel]) over each span, C channels.
// Every span has at least K + 2 pixels when K > 0, so the first K middle terms need no loop control.
template <int C, int K, typename Acc>
void spanSumsK(const Acc* acc, const std::vector<Span>& xs, int x0, quint64* out) {
    // 16-bit line sums stay within 32 bits across any footprint the view uses.
    using Sum = std::conditional_t<sizeof(Acc) == 2, quint32, quint64>;
    const int count = static_cast<int>(xs.size());
    for (int i = 0; i < count; ++i) {
        const Span& sp = xs[size_t(i)];
        const Acc* a = acc + (sp.begin - x0) * C;
        const int n = sp.end - sp.begin;
        quint64* o = out + size_t(i) * C;
        if (n == 1) {
            for (int c = 0; c < C; ++c)
                o[c] = quint64(a[c]) * kOne;
            continue;
        }
        for (int c = 0; c < C; ++c) {
            Sum mid = 0;
            for (int k = 1; k <= K; ++k)
                mid += a[k * C + c];
            // Spans differ by at most one column from the shortest: one more is the common case.
            if (K + 1 < n - 1) {
                mid += a[(K + 1) * C + c];
                for (int k = K + 2; k < n - 1; ++k)
                    mid += a[k * C + c];
            }
            o[c] = quint64(a[c]) * quint64(sp.first) + quint64(a[(n - 1) * C + c]) * quint64(sp.last) +
                   quint64(mid) * kOne;
        }
    }
}

template <int C, typename Acc>
void spanSums(const Acc* acc, const std::vector<Span>& xs, int x0, int shortestSpan, quint64* out) {
    switch (std::clamp(shortestSpan - 2, 0, 4)) {
        case 0:
            return spanSumsK<C, 0>(acc, xs, x0, out);
        case 1:
            return spanSumsK<C, 1>(acc, xs, x0, out);
        case 2:
            return spanSumsK<C, 2>(acc, xs, x0, out);
        case 3:
            return spanSumsK<C, 3>(acc, xs, x0, out);
        default:
            return spanSumsK<C, 4>(acc, xs, x0, out);
    }
}

// 1 / (weight of each column span): with the row's weight it turns a weighted sum into an average.
std::vector<float> inverseWeights(const std::vector<Span>& xs) {
    std::vector<float> out(xs.size());
    for (size_t i = 0; i < xs.size(); ++i)
        out[i] = 1.0f / float(xs[i].weight());
    return out;
}

quint32 average(quint64 sum, float inverse) {
    // Sums stay far below 2^63: the signed conversion is one instruction, the unsigned one is not.
    return quint32(float(qint64(sum)) * inverse + 0.5f);
}

quint32* targetRow(QImage* target, int j) {
    return reinterpret_cast<quint32*>(target->bits() + static_cast<qsizetype>(j) * target->bytesPerLine());
}

// Repeats of the same source lines (a magnified axis) copy the device line above.
bool repeatsAbove(QImage* target, const std::vector<Span>& ys, int j, int width) {
    const Span& a = ys[size_t(j)];
    if (j == 0 || a.begin != ys[size_t(j - 1)].begin || a.end != ys[size_t(j - 1)].end ||
        a.first != ys[size_t(j - 1)].first || a.last != ys[size_t(j - 1)].last)
        return false;
    std::memcpy(targetRow(target, j), targetRow(target, j - 1), static_cast<size_t>(width) * 4);
    return true;
}

void sampleNearest(const Source& s, QImage* target, const QRect& r, const Mapping& m) {
    const int tw = r.width();
    const int th = r.height();
    int bpp = 3;
    if (s.kind == Kind::Grey8 || s.kind == Kind::Bayer) bpp = 1;
    if (s.kind == Kind::Grey16) bpp = 2;
    if (s.kind == Kind::Argb32) bpp = 4;
    const bool bayer = s.kind == Kind::Bayer;
    // Source byte offset of every target column, computed once per frame area.
    std::vector<int> columns(static_cast<size_t>(tw));
    for (int i = 0; i < tw; ++i) {
        int x = clampedIndex((r.left() + i + 0.5 - m.originX) / m.scaleX, s.width);
        if (bayer) x = std::min(x & ~1, s.width - 2);
        columns[static_cast<size_t>(i)] = x * bpp;
    }
    const auto& grey = greyTable();
    const int* cols = columns.data();
    int previousRow = -1;
    for (int j = 0; j < th; ++j) {
        quint32* d = targetRow(target, j);
        int row = clampedIndex((r.top() + j + 0.5 - m.originY) / m.scaleY, s.height);
        if (bayer) row = std::min(row & ~1, s.height - 2);
        if (row == previousRow) {
            std::memcpy(d, targetRow(target, j - 1), static_cast<size_t>(tw) * 4);
            continue;
        }
        previousRow = row;
        const uchar* src = s.data + row * s.stride;
        switch (s.kind) {
            case Kind::Grey8:
                for (int i = 0; i < tw; ++i)
                    d[i] = grey[src[cols[i]]];
                break;
            case Kind::Grey16:
                for (int i = 0; i < tw; ++i) {
                    quint16 v;
                    std::memcpy(&v, src + cols[i], 2);
                    d[i] = s.wideColours[v];
                }
                break;
            case Kind::Rgb24:
                for (int i = 0; i < tw; ++i) {
                    const uchar* p = src + cols[i];
                    d[i] = opaque(p[0], p[1], p[2]);
                }
                break;
            case Kind::Bgr24:
                for (int i = 0; i < tw; ++i) {
                    const uchar* p = src + cols[i];
                    d[i] = opaque(p[2], p[1], p[0]);
                }
                break;
            case Kind::Argb32:
                for (int i = 0; i < tw; ++i)
                    std::memcpy(d + i, src + cols[i], 4);
                break;
            case Kind::Bayer:
                // Every pixel of a 2x2 cell shows the cell's colour.
                for (int i = 0; i < tw; ++i) {
                    const uchar* top = src + cols[i];
                    const uchar* bottom = top + s.stride;
                    const uchar q[2][2] = {{top[0], top[1]}, {bottom[0], bottom[1]}};
                    const quint32 g = (quint32(q[s.redY][1 - s.redX]) + q[1 - s.redY][s.redX] + 1) >> 1;
                    d[i] = opaque(q[s.redY][s.redX], g, q[1 - s.redY][1 - s.redX]);
                }
                break;
            case Kind::None:
                break;
        }
    }
}

// Weighted sums of the source lines under one device row, from column x0 (in groups of `group`
// pixels of C channels).
template <typename Acc>
void sumLines8(const Source& s, const Span& rows, int x0, int channels, int group, std::vector<Acc>* sums) {
    std::fill(sums->begin(), sums->end(), Acc(0));
    const int n = static_cast<int>(sums->size());
    for (int y = rows.begin; y < rows.end; ++y)
        addRow(sums->data(), s.data + y * s.stride + x0 * group * channels, n, rows.weightOf(y), group);
}

// Interleaved 8-bit channels (grey, RGB, BGR, ARGB32): the weighted sum of each footprint's lines is
// gathered for the visible columns, then each device pixel averages its columns of that sum.
// Columns come in groups of `group` pixels (xs in those units).
template <int C, typename Acc>
void areaAverage8(const Source& s, QImage* target, const QRect& r, const ZMKFrameSampler::RowsNeeded& need,
                  const std::vector<Span>& xs, const std::vector<Span>& ys, int group) {
    const int tw = r.width();
    const int th = r.height();
    const int x0 = xs.front().begin;
    const int shortestSpan = shortest(xs);
    std::vector<Acc> sums(static_cast<size_t>((xs.back().end - x0) * C));
    std::vector<quint64> pixelSums(static_cast<size_t>(tw) * C);
    const std::vector<float> inverse = inverseWeights(xs);
    const auto& grey = greyTable();
    for (int j = 0; j < th; ++j) {
        const Span rows = ys[size_t(j)];
        if (repeatsAbove(target, ys, j, tw)) continue;
        if (need) need(rows.end);
        sumLines8(s, rows, x0, C, group, &sums);
        spanSums<C>(sums.data(), xs, x0, shortestSpan, pixelSums.data());
        const float rowInverse = 1.0f / float(rows.weight() * group);
        quint32* d = targetRow(target, j);
        const quint64* p = pixelSums.data();
        for (int i = 0; i < tw; ++i, p += C) {
            const float f = inverse[size_t(i)] * rowInverse;
            if constexpr (C == 1) {
                d[i] = grey[average(p[0], f)];
            } else if constexpr (C == 3) {
                const quint32 v0 = average(p[0], f), v1 = average(p[1], f), v2 = average(p[2], f);
                d[i] = s.kind == Kind::Rgb24 ? opaque(v0, v1, v2) : opaque(v2, v1, v0);
            } else {
                // B, G, R, A in memory
                d[i] = average(p[0], f) | (average(p[1], f) << 8) | (average(p[2], f) << 16) |
                       (average(p[3], f) << 24);
            }
        }
    }
}

// 16-bit grey: footprint averages in 16 bits first, mapped through the display table once all
// lines were read (the table may depend on the whole frame). An average at or above the top of the
// display range shows in the saturation colour only where its whole footprint is that bright.
void areaAverage16(const Source& s, QImage* target, const QRect& r, const ZMKFrameSampler::RowsNeeded& need,
                   const std::vector<Span>& xs, const std::vector<Span>& ys, int group) {
    const int tw = r.width();
    const int th = r.height();
    const int x0 = xs.front().begin;
    const int n = xs.back().end - x0;
    const int shortestSpan = shortest(xs);
    std::vector<quint32> sums(static_cast<size_t>(n));
    std::vector<quint64> pixelSums(static_cast<size_t>(tw));
    std::vector<quint16> averages(static_cast<size_t>(tw) * static_cast<size_t>(th));
    const std::vector<float> inverse = inverseWeights(xs);
    for (int j = 0; j < th; ++j) {
        const Span rows = ys[size_t(j)];
        quint16* out = averages.data() + size_t(j) * size_t(tw);
        if (j > 0 && rows.begin == ys[size_t(j - 1)].begin && rows.end == ys[size_t(j - 1)].end &&
            rows.first == ys[size_t(j - 1)].first && rows.last == ys[size_t(j - 1)].last) {
            std::memcpy(out, out - tw, size_t(tw) * sizeof(quint16));
            continue;
        }
        if (need) need(rows.end);
        std::fill(sums.begin(), sums.end(), 0u);
        for (int y = rows.begin; y < rows.end; ++y) {
            const auto* line = reinterpret_cast<const quint16*>(s.data + y * s.stride) + x0 * group;
            const auto weight = quint32(rows.weightOf(y));
            group == 2 ? zmkAddPairs16To32(sums.data(), line, n, weight)
                       : zmkAddRow16To32(sums.data(), line, n, weight);
        }
        spanSums<1>(sums.data(), xs, x0, shortestSpan, pixelSums.data());
        const float rowInverse = 1.0f / float(rows.weight() * group);
        for (int i = 0; i < tw; ++i)
            out[i] = quint16(
                std::min<quint32>(average(pixelSums[size_t(i)], inverse[size_t(i)] * rowInverse), 65535));
    }
    if (need) need(s.height);
    for (int j = 0; j < th; ++j) {
        quint32* d = targetRow(target, j);
        const quint16* a = averages.data() + size_t(j) * size_t(tw);
        for (int i = 0; i < tw; ++i)
            d[i] = s.wideColours[a[i]];
    }
}

// Bayer mosaic: footprints in whole 2x2 cells (fractions of cells at the edges); each colour
// averages its own sites. Sums are kept per line parity, two columns per cell.
template <typename Acc>
void areaAverageBayer(const Source& s, QImage* target, const QRect& r,
                      const ZMKFrameSampler::RowsNeeded& need, const std::vector<Span>& xs,
                      const std::vector<Span>& ys) {
    const int tw = r.width();
    const int th = r.height();
    const int x0 = xs.front().begin;  // in cells
    const int n = 2 * (xs.back().end - x0);
    const int shortestSpan = shortest(xs);
    std::vector<Acc> sums(static_cast<size_t>(2 * n));
    std::vector<quint64> evenLines(static_cast<size_t>(tw) * 2), oddLines(static_cast<size_t>(tw) * 2);
    const std::vector<float> inverse = inverseWeights(xs);
    for (int j = 0; j < th; ++j) {
        const Span cells = ys[size_t(j)];
        if (repeatsAbove(target, ys, j, tw)) continue;
        if (need) need(2 * cells.end);
        std::fill(sums.begin(), sums.end(), Acc(0));
        for (int y = 2 * cells.begin; y < 2 * cells.end; ++y)
            addRow(sums.data() + (y & 1) * n, s.data + y * s.stride + 2 * x0, n, cells.weightOf(y / 2), 1);
        // Each cell column holds two interleaved sensor columns: sum them as two channels.
        quint64 q[2][2];
        const float rowInverse = 1.0f / float(cells.weight());
        spanSums<2>(sums.data(), xs, x0, shortestSpan, evenLines.data());
        spanSums<2>(sums.data() + n, xs, x0, shortestSpan, oddLines.data());
        quint32* d = targetRow(target, j);
        for (int i = 0; i < tw; ++i) {
            q[0][0] = evenLines[size_t(2 * i)];
            q[0][1] = evenLines[size_t(2 * i + 1)];
            q[1][0] = oddLines[size_t(2 * i)];
            q[1][1] = oddLines[size_t(2 * i + 1)];
            const float f = inverse[size_t(i)] * rowInverse;
            const quint32 red = average(q[s.redY][s.redX], f);
            const quint32 blue = average(q[1 - s.redY][1 - s.redX], f);
            const quint32 green = average(q[s.redY][1 - s.redX] + q[1 - s.redY][s.redX], f * 0.5f);
            d[i] = opaque(red, green, blue);
        }
    }
    if (need) need(s.height);
}
// Footprints of up to this many columns and lines take the tap pass (its float sums go through 32-bit
// integers); larger ones (far below fit, or stretched) sum spans.
constexpr int kMaxTaps = 16;
constexpr int kMaxTapLines = 256;

bool tapsFit(const std::vector<Span>& xs, const std::vector<Span>& ys) {
    return longest(xs) <= kMaxTaps && longest(ys) <= kMaxTapLines;
}

// The columns of each device pixel as fixed taps for zmkTapPass, `channels` elements per column.
struct Taps {
    int count = 0;
    std::vector<int> offsets;
    std::vector<float> weights;
    std::vector<float> byPixel;  // four weights per pixel for grey footprints of up to four columns
    std::vector<float>
        byPixel8;  // each weight twice, eight per pixel, for Bayer footprints of up to four cells
    // Colour: the weights of taps 2k and 2k + 1 as two 16-bit fractions of kFixedOne, at [k * n + i].
    std::vector<qint32> pairs;
};

Taps tapsOf(const std::vector<Span>& xs, int x0, int channels) {
    Taps taps;
    taps.count = longest(xs);
    const size_t n = xs.size();
    taps.offsets.resize(n);
    taps.weights.assign(n * static_cast<size_t>(taps.count), 0.0f);
    for (size_t i = 0; i < n; ++i) {
        const Span& sp = xs[i];
        taps.offsets[i] = (sp.begin - x0) * channels;
        const float total = float(sp.weight());
        for (int x = sp.begin; x < sp.end; ++x)
            taps.weights[size_t(x - sp.begin) * n + i] = float(sp.weightOf(x)) / total;
    }
    if (channels == 1 && taps.count <= 4) {
        taps.byPixel.assign(n * 4, 0.0f);
        for (size_t i = 0; i < n; ++i)
            for (int t = 0; t < taps.count; ++t)
                taps.byPixel[i * 4 + size_t(t)] = taps.weights[size_t(t) * n + i];
    }
    if (channels == 2 && taps.count <= 4) {
        taps.byPixel8.assign(n * 8, 0.0f);
        for (size_t i = 0; i < n; ++i)
            for (int t = 0; t < taps.count; ++t)
                std::fill_n(taps.byPixel8.begin() + std::ptrdiff_t(i * 8 + size_t(2 * t)), 2,
                            taps.weights[size_t(t) * n + i]);
    }
    if (channels >= 3) {
        const int pairCount = (taps.count + 1) / 2;
        taps.pairs.assign(size_t(pairCount) * n, 0);
        const auto fixed = [&](int t, size_t i) {
            return t < taps.count ? quint32(std::lround(taps.weights[size_t(t) * n + i] * kFixedOne)) : 0u;
        };
        for (int k = 0; k < pairCount; ++k)
            for (size_t i = 0; i < n; ++i)
                taps.pairs[size_t(k) * n + i] = qint32(fixed(2 * k, i) | (fixed(2 * k + 1, i) << 16));
    }
    return taps;
}

// Line sums of one device row's footprint: `elements` per line from column x0 (in groups), 32 bits,
// with zero padding past them for the taps that reach beyond the last footprint.
template <typename Acc>
struct LineSums {
    std::vector<Acc> sums;
    int elements = 0;
    // Elements past what the taps reach: 16-bit sums are read as 32- or 64-bit words.
    LineSums(int elements, const Taps& taps, int channels)
        : sums(static_cast<size_t>(elements + taps.count * channels + 4), Acc(0)), elements(elements) {}
    void clear() { std::fill(sums.begin(), sums.begin() + elements, Acc(0)); }
};

quint32 rounded(float v, quint32 top) {
    // Averages are never negative: the signed conversion vectorises, the unsigned one does not.
    return quint32(std::min(int(v + 0.5f), int(top)));
}

// Loads of the next device row's source lines, spread over the arithmetic of this one: memory then
// streams while the taps are computed, instead of idling until the next row's sums start. Frames
// too large for the caches are otherwise bound by the wait for each row's first lines.
class LinesAhead {
public:
    // Lines of `bytes` bytes from `offset` within each source line.
    LinesAhead(const Source& s, qsizetype offset, int bytes)
        : m_source(s), m_offset(offset), m_perLine(std::max((bytes + 63) / 64, 1)) {}
    // Source lines [begin, end) fall due over `parts` calls of step().
    void plan(int begin, int end, int parts) {
        m_begin = begin;
        m_total = std::max(end - begin, 0) * m_perLine;
        m_done = 0;
        m_part = 0;
        m_parts = std::max(parts, 1);
    }
    void step() {
        const int upTo = m_total * ++m_part / m_parts;
        for (; m_done < upTo; ++m_done) {
            const uchar* p = m_source.data + qsizetype(m_begin + m_done / m_perLine) * m_source.stride +
                             m_offset + qsizetype(m_done % m_perLine) * 64;
#if defined(__GNUC__)
            __builtin_prefetch(p, 0, 3);
#else
            static_cast<void>(p);
#endif
        }
    }

private:
    const Source& m_source;
    qsizetype m_offset;
    int m_perLine;
    int m_begin = 0;
    int m_total = 0;
    int m_done = 0;
    int m_part = 0;
    int m_parts = 1;
};

// Device pixels per share of LinesAhead's loads.
constexpr int kAheadChunk = 64;

// The source lines the device row after j reads that row j has not read already.
void planAhead(LinesAhead* ahead, const std::vector<Span>& ys, int j, int linesPerUnit, int parts) {
    if (size_t(j + 1) >= ys.size()) return ahead->plan(0, 0, parts);
    const Span& next = ys[size_t(j + 1)];
    const int begin = std::max(next.begin, ys[size_t(j)].end);
    ahead->plan(begin * linesPerUnit, next.end * linesPerUnit, parts);
}

// Interleaved 8-bit channels through the tap pass: vertical sums per footprint line span, then
// each channel's taps, then the pixels.
template <int C, typename Acc>
void tapAverage8(const Source& s, QImage* target, const QRect& r, const ZMKFrameSampler::RowsNeeded& need,
                 const std::vector<Span>& xs, const std::vector<Span>& ys, int group) {
    const int tw = r.width();
    const int th = r.height();
    const int x0 = xs.front().begin;
    const Taps taps = tapsOf(xs, x0, C);
    LineSums<Acc> line((xs.back().end - x0) * C, taps, C);
    std::vector<float> out(static_cast<size_t>(tw) * 4);
    // Channel c of pixel i at o[i * pixelStep + c * channelStep].
    bool together = false;
    bool four = false;
#ifdef ZMK_AVX2
    together = C > 1 && std::is_same<Acc, quint16>::value && hasAvx2();
    four = C == 1 && std::is_same<Acc, quint16>::value && !taps.byPixel.empty() && hasAvx2();
#endif
    const int pixelStep = together ? 4 : 1;
    const int channelStep = together ? 1 : tw;
    LinesAhead ahead(s, qsizetype(x0) * group * C, line.elements * group);
#ifdef ZMK_AVX2
    // Channel sums to device byte order (B, G, R, A) within each pixel.
    const __m128i order = s.kind == Kind::Rgb24
                              ? _mm_setr_epi8(2, 1, 0, 3, 6, 5, 4, 7, 10, 9, 8, 11, 14, 13, 12, 15)
                              : _mm_setr_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
#endif
    // Device pixels [from, to) of row j from the channel sums in `out`.
    const auto pixels = [&](int j, float f, int from, int to) {
        quint32* d = targetRow(target, j);
        const auto v = [&](int i, int c) {
            return rounded(out[size_t(i * pixelStep + c * channelStep)] * f, 255);
        };
        for (int i = from; i < to; ++i) {
            if constexpr (C == 1) {
                d[i] = 0xFF000000u | v(i, 0) * 0x010101u;
            } else if constexpr (C == 3) {
                d[i] = s.kind == Kind::Rgb24 ? opaque(v(i, 0), v(i, 1), v(i, 2))
                                             : opaque(v(i, 2), v(i, 1), v(i, 0));
            } else {
                d[i] = v(i, 0) | (v(i, 1) << 8) | (v(i, 2) << 16) | (v(i, 3) << 24);
            }
        }
    };
    for (int j = 0; j < th; ++j) {
        const Span rows = ys[size_t(j)];
        if (repeatsAbove(target, ys, j, tw)) continue;
        if (need) need(rows.end);
        const uchar* first = s.data + rows.begin * s.stride + x0 * group * C;
        // Thinned footprints: two whole lines.
        const bool pair = std::is_same<Acc, quint16>::value && group == 1 && rows.end - rows.begin == 2 &&
                          rows.first == kOne && rows.last == kOne;
        if (pair) {
            zmkSumRows8To16(reinterpret_cast<quint16*>(line.sums.data()), first, first + s.stride,
                            line.elements);
        } else {
            line.clear();
            for (int y = rows.begin; y < rows.end; ++y)
                addRow(line.sums.data(), first + (y - rows.begin) * s.stride, line.elements, rows.weightOf(y),
                       group);
        }
        const float f = pair ? 0.5f : 1.0f / float(rows.weight() * group);
#ifdef ZMK_AVX2
        if (together) {
            // In parts, each followed by its share of the next row's loads.
            planAhead(&ahead, ys, j, 1, (tw + kAheadChunk - 1) / kAheadChunk);
            quint32* d = targetRow(target, j);
            // Sums that fit 15 bits take the fixed-point taps.
            const bool fixed = C >= 3 && (pair || rows.weight() * 255 < 32768);
            for (int i = 0; i < tw; i += kAheadChunk) {
                if (fixed) {
                    zmkTapPassPixelsFixedAvx2(reinterpret_cast<const quint16*>(line.sums.data()),
                                              taps.offsets.data() + i, taps.pairs.data() + i,
                                              std::min(kAheadChunk, tw - i), tw, (taps.count + 1) / 2, C, f,
                                              order, C == 4 ? 0u : 0xFF000000u, d + i);
                    ahead.step();
                    continue;
                }
                zmkTapPassPixelsAvx2(reinterpret_cast<const quint16*>(line.sums.data()),
                                     taps.offsets.data() + i, taps.weights.data() + i,
                                     std::min(kAheadChunk, tw - i), tw, taps.count, C, f, order,
                                     C == 4 ? 0u : 0xFF000000u, d + i);
                ahead.step();
            }
        } else if (four) {
            planAhead(&ahead, ys, j, 1, (tw + kAheadChunk - 1) / kAheadChunk);
            for (int i = 0; i < tw; i += kAheadChunk) {
                zmkTapPassFourAvx2(reinterpret_cast<const quint16*>(line.sums.data()),
                                   taps.offsets.data() + i, taps.byPixel.data() + size_t(i) * 4,
                                   std::min(kAheadChunk, tw - i), out.data() + i);
                ahead.step();
            }
        }
#endif
        for (int c = 0; c < C && !together && !four; ++c)
            zmkTapPass(line.sums.data() + c, taps.offsets.data(), taps.weights.data(), tw, taps.count, C,
                       out.data() + size_t(c) * size_t(tw));
        if (!together) pixels(j, f, 0, tw);
    }
}

// 16-bit grey through the tap pass (see areaAverage16).
void tapAverage16(const Source& s, QImage* target, const QRect& r, const ZMKFrameSampler::RowsNeeded& need,
                  const std::vector<Span>& xs, const std::vector<Span>& ys, int group) {
    const int tw = r.width();
    const int th = r.height();
    const int x0 = xs.front().begin;
    const Taps taps = tapsOf(xs, x0, 1);
    LineSums<quint32> line(xs.back().end - x0, taps, 1);
    std::vector<float> out(static_cast<size_t>(tw));
    bool four = false, madd = false;
#ifdef ZMK_AVX2
    four = !taps.byPixel.empty() && hasAvx2();
    madd = hasAvx2();  // line weights are at most kOne: they fit the 16-bit multiplier
#endif
    std::vector<quint16> averages(static_cast<size_t>(tw) * static_cast<size_t>(th));
    for (int j = 0; j < th; ++j) {
        const Span rows = ys[size_t(j)];
        quint16* a = averages.data() + size_t(j) * size_t(tw);
        if (j > 0 && rows.begin == ys[size_t(j - 1)].begin && rows.end == ys[size_t(j - 1)].end &&
            rows.first == ys[size_t(j - 1)].first && rows.last == ys[size_t(j - 1)].last) {
            std::memcpy(a, a - tw, size_t(tw) * sizeof(quint16));
            continue;
        }
        if (need) need(rows.end);
        line.clear();
        for (int y = rows.begin; y < rows.end; ++y) {
            const auto* p = reinterpret_cast<const quint16*>(s.data + y * s.stride) + x0 * group;
            const auto weight = quint32(rows.weightOf(y));
            if (group == 2 && madd) {
#ifdef ZMK_AVX2
                zmkAddPairs16To32Avx2(line.sums.data(), p, line.elements, weight);
#endif
            } else {
                group == 2 ? zmkAddPairs16To32(line.sums.data(), p, line.elements, weight)
                           : zmkAddRow16To32(line.sums.data(), p, line.elements, weight);
            }
        }
#ifdef ZMK_AVX2
        if (four) {
            zmkTapPassFourAvx2(line.sums.data(), taps.offsets.data(), taps.byPixel.data(), tw, out.data());
        }
#endif
        if (!four)
            zmkTapPass(line.sums.data(), taps.offsets.data(), taps.weights.data(), tw, taps.count, 1,
                       out.data());
        const float f = 1.0f / float(rows.weight() * group);
        for (int i = 0; i < tw; ++i)
            a[i] = quint16(rounded(out[size_t(i)] * f, 65535));
    }
    if (need) need(s.height);
    for (int j = 0; j < th; ++j) {
        quint32* d = targetRow(target, j);
        const quint16* a = averages.data() + size_t(j) * size_t(tw);
        for (int i = 0; i < tw; ++i)
            d[i] = s.wideColours[a[i]];
    }
}

// Bayer mosaic through the tap pass (see areaAverageBayer): per line parity, the two sensor
// columns of each cell are two channels.
template <typename Acc>
void tapAverageBayer(const Source& s, QImage* target, const QRect& r, const ZMKFrameSampler::RowsNeeded& need,
                     const std::vector<Span>& xs, const std::vector<Span>& ys) {
    const int tw = r.width();
    const int th = r.height();
    const int x0 = xs.front().begin;  // in cells
    const Taps taps = tapsOf(xs, x0, 2);
    const int n = 2 * (xs.back().end - x0);
    LineSums<Acc> lines[2] = {LineSums<Acc>(n, taps, 2), LineSums<Acc>(n, taps, 2)};
    std::vector<float> out(static_cast<size_t>(tw) * 8);
    LinesAhead ahead(s, qsizetype(x0) * 2, n);
    for (int j = 0; j < th; ++j) {
        const Span cells = ys[size_t(j)];
        if (repeatsAbove(target, ys, j, tw)) continue;
        if (need) need(2 * cells.end);
        // A thinned footprint of one whole cell line: its two lines are the parities' sums.
        const bool single = std::is_same<Acc, quint16>::value && cells.end - cells.begin == 1;
        for (int p = 0; p < 2 && single; ++p)
            zmkWidenRow8To16(reinterpret_cast<quint16*>(lines[p].sums.data()),
                             s.data + (2 * cells.begin + p) * s.stride + 2 * x0, n);
        if (!single) {
            lines[0].clear();
            lines[1].clear();
            for (int y = 2 * cells.begin; y < 2 * cells.end; ++y)
                addRow(lines[y & 1].sums.data(), s.data + y * s.stride + 2 * x0, n, cells.weightOf(y / 2), 1);
        }
        // Site (line parity p, column in cell c) of pixel i at out[p * parityStep + i * pixelStep + c *
        // columnStep].
        size_t parityStep = 2 * size_t(tw), pixelStep = 1, columnStep = size_t(tw);
        const float f = single ? 1.0f : 1.0f / float(cells.weight());
        const auto pixels = [&](int from, int to) {
            const float* red = out.data() + size_t(s.redY) * parityStep + size_t(s.redX) * columnStep;
            const float* blue =
                out.data() + size_t(1 - s.redY) * parityStep + size_t(1 - s.redX) * columnStep;
            const float* green1 = out.data() + size_t(s.redY) * parityStep + size_t(1 - s.redX) * columnStep;
            const float* green2 = out.data() + size_t(1 - s.redY) * parityStep + size_t(s.redX) * columnStep;
            quint32* d = targetRow(target, j);
            for (int i = from; i < to; ++i) {
                const size_t k = size_t(i) * pixelStep;
                d[i] = opaque(rounded(red[k] * f, 255), rounded((green1[k] + green2[k]) * (0.5f * f), 255),
                              rounded(blue[k] * f, 255));
            }
        };
#ifdef ZMK_AVX2
        if (std::is_same<Acc, quint16>::value && !taps.byPixel8.empty() && hasAvx2()) {
            // In parts, each followed by its share of the next row's loads.
            planAhead(&ahead, ys, j, 2, (tw + kAheadChunk - 1) / kAheadChunk);
            for (int i = 0; i < tw; i += kAheadChunk) {
                const int count = std::min(kAheadChunk, tw - i);
                for (int p = 0; p < 2; ++p) {
                    float* plane = out.data() + size_t(p) * parityStep;
                    zmkTapPassCellsAvx2(reinterpret_cast<const quint16*>(lines[p].sums.data()),
                                        taps.offsets.data() + i, taps.byPixel8.data() + size_t(i) * 8, count,
                                        plane + i, plane + tw + i);
                }
                pixels(i, i + count);
                ahead.step();
            }
            continue;
        }
        if (std::is_same<Acc, quint16>::value && hasAvx2()) {
            parityStep = 4 * size_t(tw), pixelStep = 4, columnStep = 1;
            for (int p = 0; p < 2; ++p)
                zmkTapPassChannelsAvx2(reinterpret_cast<const quint16*>(lines[p].sums.data()),
                                       taps.offsets.data(), taps.weights.data(), tw, tw, taps.count, 2,
                                       out.data() + p * parityStep);
        }
#endif
        if (pixelStep == 1) {
            for (int k = 0; k < 4; ++k)
                zmkTapPass(lines[k >> 1].sums.data() + (k & 1), taps.offsets.data(), taps.weights.data(), tw,
                           taps.count, 2, out.data() + size_t(k) * size_t(tw));
        }
        pixels(0, tw);
    }
    if (need) need(s.height);
}

// Bytes read per device pixel above which tall footprints read only some of their lines. A grey
// 8-bit frame shrunk about five times (as a 12-megapixel frame fits a typical pane) stays below it and
// is averaged whole; colour, 16-bit grey and mosaics above it would be bound by memory bandwidth,
// and only skipping whole lines saves any (a cache line holds many pixels of a line).
constexpr double kReadBudget = 32.0;

// Lines (Bayer: cell lines) each device row reads: all of them (0) while the footprint's bytes fit
// the budget, else as many as fit, and for lines an even count of at least two, so that detail
// alternating from one line to the next still averages out. `lineBytes` is the cost of one line of
// a footprint, `footprint` the footprint's height, both in the units the spans count.
int linesToRead(double lineBytes, double footprint, int unit) {
    int lines = static_cast<int>(kReadBudget / (lineBytes * unit)) * unit;
    lines = std::max(lines, unit);
    return footprint > lines ? lines : 0;
}

// Footprints of more than `lines` lines read the `lines` adjacent ones around their middle, each
// wholly: a box of the same centre, shorter than the footprint.
void thin(std::vector<Span>* ys, int lines, int size) {
    if (lines <= 0) return;
    for (Span& s : *ys) {
        if (s.end - s.begin <= lines) continue;
        const double top = s.begin + 1 - double(s.first) / kOne;
        const double bottom = s.end - 1 + double(s.last) / kOne;
        const int begin = std::clamp(static_cast<int>(std::lround((top + bottom - lines) / 2.0)), 0,
                                     std::max(size - lines, 0));
        s = Span{begin, begin + lines, kOne, kOne};
    }
}
}  // namespace

void ZMKFrameSampler::sample(const Source& source, QImage* target, const QRect& deviceRect,
                             const Mapping& mapping, const RowsNeeded& rowsNeeded) {
    const int tw = deviceRect.width();
    const int th = deviceRect.height();
    const bool bayer = source.kind == Kind::Bayer;
    const bool valid = source.kind != Kind::None && source.data != nullptr && source.width > 0 &&
                       source.height > 0 && (!bayer || (source.width >= 2 && source.height >= 2)) &&
                       (source.kind != Kind::Grey16 || source.wideColours != nullptr) && target != nullptr &&
                       tw > 0 && th > 0 && target->width() >= tw && target->height() >= th &&
                       mapping.scaleX > 0.0 && mapping.scaleY > 0.0;
    // Footprints of thousands of lines would overflow the sums; no zoom of the view gets near that.
    constexpr double kSmallestScale = 1.0 / 1024.0;
    const bool average =
        decimates(mapping) && mapping.scaleX >= kSmallestScale && mapping.scaleY >= kSmallestScale;
    if (!valid || !average) {
        if (rowsNeeded) rowsNeeded(source.height);
        if (valid) sampleNearest(source, target, deviceRect, mapping);
        return;
    }
    if (bayer) {
        const std::vector<Span> xs =
            spans(deviceRect.left(), tw, 2.0 * mapping.scaleX, mapping.originX, source.width / 2);
        std::vector<Span> ys =
            spans(deviceRect.top(), th, 2.0 * mapping.scaleY, mapping.originY, source.height / 2);
        // A cell line is two sensor lines, and its sums take about twice the work of grey bytes.
        thin(&ys, linesToRead(4.0 / mapping.scaleX, 0.5 / mapping.scaleY, 1), source.height / 2);
        // Each line parity sums its own lines: 16-bit sums hold up to 16 cell lines.
        if (tapsFit(xs, ys)) {
            longest(ys) <= kOne ? tapAverageBayer<quint16>(source, target, deviceRect, rowsNeeded, xs, ys)
                                : tapAverageBayer<quint32>(source, target, deviceRect, rowsNeeded, xs, ys);
        } else if (longest(ys) <= kOne) {
            areaAverageBayer<quint16>(source, target, deviceRect, rowsNeeded, xs, ys);
        } else {
            areaAverageBayer<quint32>(source, target, deviceRect, rowsNeeded, xs, ys);
        }
        return;
    }
    const bool grey = source.kind == Kind::Grey8 || source.kind == Kind::Grey16;
    const int group = grey && mapping.scaleX <= 0.25 && source.width >= 4 ? 2 : 1;
    const std::vector<Span> xs =
        spans(deviceRect.left(), tw, mapping.scaleX * group, mapping.originX, source.width / group);
    std::vector<Span> ys = spans(deviceRect.top(), th, mapping.scaleY, mapping.originY, source.height);
    int bytes = 3;
    if (source.kind == Kind::Grey8) bytes = 1;
    if (source.kind == Kind::Grey16) bytes = 2;
    if (source.kind == Kind::Argb32) bytes = 4;
    thin(&ys, linesToRead(bytes / mapping.scaleX, 1.0 / mapping.scaleY, 2), source.height);
    const bool tapped = tapsFit(xs, ys);
    if (source.kind == Kind::Grey16) {
        tapped ? tapAverage16(source, target, deviceRect, rowsNeeded, xs, ys, group)
               : areaAverage16(source, target, deviceRect, rowsNeeded, xs, ys, group);
        return;
    }
    // 16-bit sums hold up to 16 weighted pixels of 8-bit samples and halve the memory traffic of the sums.
    const bool narrow = longest(ys) * group <= kOne;
    if (tapped) {
        switch (source.kind) {
            case Kind::Grey8:
                narrow ? tapAverage8<1, quint16>(source, target, deviceRect, rowsNeeded, xs, ys, group)
                       : tapAverage8<1, quint32>(source, target, deviceRect, rowsNeeded, xs, ys, group);
                break;
            case Kind::Rgb24:
            case Kind::Bgr24:
                narrow ? tapAverage8<3, quint16>(source, target, deviceRect, rowsNeeded, xs, ys, 1)
                       : tapAverage8<3, quint32>(source, target, deviceRect, rowsNeeded, xs, ys, 1);
                break;
            default:
                narrow ? tapAverage8<4, quint16>(source, target, deviceRect, rowsNeeded, xs, ys, 1)
                       : tapAverage8<4, quint32>(source, target, deviceRect, rowsNeeded, xs, ys, 1);
                break;
        }
        if (rowsNeeded) rowsNeeded(source.height);
        return;
    }
    switch (source.kind) {
        case Kind::Grey8:
            narrow ? areaAverage8<1, quint16>(source, target, deviceRect, rowsNeeded, xs, ys, group)
                   : areaAverage8<1, quint32>(source, target, deviceRect, rowsNeeded, xs, ys, group);
            break;
        case Kind::Rgb24:
        case Kind::Bgr24:
            narrow ? areaAverage8<3, quint16>(source, target, deviceRect, rowsNeeded, xs, ys, 1)
                   : areaAverage8<3, quint32>(source, target, deviceRect, rowsNeeded, xs, ys, 1);
            break;
        default:
            narrow ? areaAverage8<4, quint16>(source, target, deviceRect, rowsNeeded, xs, ys, 1)
                   : areaAverage8<4, quint32>(source, target, deviceRect, rowsNeeded, xs, ys, 1);
            break;
    }
    if (rowsNeeded) rowsNeeded(source.height);
}
