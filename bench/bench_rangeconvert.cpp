// SPDX-License-Identifier: Apache-2.0
// Scan conversion of one 3200 x 1000 16-bit range image to heights and colours, on one core:
//   BM_FusedLUT     the 64K lookup-table pass (NuvRangeLUT16::convert)
//   BM_OpenCV       the same result with OpenCV: scale/offset, range mask, 8-bit index, colour map
//   BM_Memcpy       copying input + output bytes once: the memory-bandwidth bound
// Read the figures as ratios: OpenCV time / fused time (target >= 3) and memcpy time / fused time
// (target >= 0.35). Each benchmark reports bytes_per_second over the same byte count.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#include <random>
#include <vector>

#include "NuvArrays.h"
#include "NuvColorMap.h"
#include "NuvRangeLUT16.h"

namespace {
constexpr int kPoints = 3200;
constexpr int kLines = 1000;
constexpr size_t kCount = static_cast<size_t>(kPoints) * kLines;
constexpr size_t kBytes = kCount * (sizeof(uint16_t) + sizeof(float) + sizeof(NuvColor));

// 16-bit sensor: height = (raw - 32768) * 32 / 8192 mm.
NuvRangeConversion conversion() {
    NuvRangeConversion c;
    c.scale = 32.0 / 8192.0;
    c.offset = -32768.0 * c.scale;
    c.minHeight = -45.0f;
    c.maxHeight = 45.0f;
    c.colorMap = NuvColorMap::Height;
    return c;
}

// A tilted, wavy surface with dropouts (zeros) and some points beyond the colour range.
const std::vector<uint16_t>& scan() {
    static const std::vector<uint16_t> data = [] {
        std::vector<uint16_t> v(kCount);
        std::mt19937 rng(7);
        std::uniform_int_distribution<int> noise(-20, 20);
        std::uniform_int_distribution<int> drop(0, 99);
        for (int l = 0; l < kLines; ++l) {
            for (int p = 0; p < kPoints; ++p) {
                const double h = 40.0 * std::sin(p * 0.004) * std::cos(l * 0.01) + 0.004 * p;
                int raw = static_cast<int>(32768 + h * 8192.0 / 32.0) + noise(rng);
                if (drop(rng) < 3) raw = 0;
                v[static_cast<size_t>(l) * kPoints + p] = static_cast<uint16_t>(std::clamp(raw, 0, 65535));
            }
        }
        return v;
    }();
    return data;
}

void BM_FusedLUT(benchmark::State& state) {
    NuvRangeLUT16 lut;
    lut.build(conversion());
    std::vector<uint16_t> raw = scan();
    std::vector<float> heights(kCount);
    std::vector<NuvColor> colors(kCount);
    for (auto _ : state) {
        state.PauseTiming();
        std::memcpy(raw.data(), scan().data(), kCount * sizeof(uint16_t));
        state.ResumeTiming();
        lut.convert(raw.data(), kCount, heights.data(), colors.data(), true);
        benchmark::DoNotOptimize(colors.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kBytes));
}

void BM_OpenCV(benchmark::State& state) {
    cv::setNumThreads(1);
    const NuvRangeConversion c = conversion();
    // The same colour table as a 256-entry BGR map for applyColorMap.
    cv::Mat userMap(256, 1, CV_8UC3);
    const NuvColor* table = NuvColorMap::table(c.colorMap);
    for (int i = 0; i < 256; ++i) {
        const NuvColor& col = table[i * (NuvColorMap::kTableSize - 1) / 255];
        userMap.at<cv::Vec3b>(i) = cv::Vec3b(col.b, col.g, col.r);
    }
    std::vector<uint16_t> rawStore = scan();
    cv::Mat raw(kLines, kPoints, CV_16UC1, rawStore.data());
    cv::Mat heights, valid, nonZero, index, colors;
    const double span = c.maxHeight - c.minHeight;
    for (auto _ : state) {
        state.PauseTiming();
        std::memcpy(rawStore.data(), scan().data(), kCount * sizeof(uint16_t));
        state.ResumeTiming();
        raw.convertTo(heights, CV_32F, c.scale, c.offset);
        cv::inRange(heights, cv::Scalar(c.minHeight), cv::Scalar(c.maxHeight), valid);
        cv::compare(raw, 0, nonZero, cv::CMP_NE);
        cv::bitwise_and(valid, nonZero, valid);
        heights.convertTo(index, CV_8U, 255.0 / span, -c.minHeight * 255.0 / span);
        cv::applyColorMap(index, colors, userMap);
        cv::bitwise_not(valid, valid);
        colors.setTo(cv::Scalar::all(0), valid);
        heights.setTo(cv::Scalar(Nuv3DFloatArray::invalidValue()), valid);
        raw.setTo(cv::Scalar(0), valid);
        benchmark::DoNotOptimize(colors.data);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kBytes));
}

void BM_Memcpy(benchmark::State& state) {
    std::vector<uint8_t> src(kBytes, 1);
    std::vector<uint8_t> dst(kBytes);
    for (auto _ : state) {
        std::memcpy(dst.data(), src.data(), kBytes);
        benchmark::DoNotOptimize(dst.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kBytes));
}
}  // namespace

BENCHMARK(BM_FusedLUT)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_OpenCV)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_MAIN();
