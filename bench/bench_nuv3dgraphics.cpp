// Streaming lines into the 3D window's vertex store: a batch of 100 lines of 3200 points
// (the profiler's common case) against copying the same number of finished vertices, which is
// the least any conversion has to do. Reported as ratio_vs_copy.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <vector>

#include "Nuv3DGraphics.h"
#include "Nuv3DPointBuffer.h"

namespace {

constexpr int kPoints = 3200;
constexpr int kLines = 1000;
constexpr int kBatch = 100;

std::vector<uint16_t> makeImage() {
    std::vector<uint16_t> image(static_cast<size_t>(kPoints) * kLines);
    for (size_t i = 0; i < image.size(); ++i) {
        image[i] = static_cast<uint16_t>(i % 7 == 0 ? 0 : 32768 + static_cast<int>(i % 800) - 400);
    }
    return image;
}

Nuv3DRangeSetup scanSetup() {
    Nuv3DRangeSetup s;
    s.bytesPerPoint = 2;
    s.pointsPerLine = kPoints;
    s.totalLines = kLines;
    s.xInterval = 0.009;
    s.yInterval = 0.002;
    s.heightScale = 0.01;
    s.heightOffset = 32768.0;
    s.heightMin = -45.0f;
    s.heightMax = 45.0f;
    s.displayMode = NUV3D_MODE_HEIGHT;
    return s;
}

// Seconds per batch of the baseline: copying kBatch lines of finished vertices.
double baselineSeconds() {
    static const double seconds = [] {
        const size_t count = static_cast<size_t>(kBatch) * kPoints;
        std::vector<Nuv3DPointBuffer::Vertex> src(count, Nuv3DPointBuffer::Vertex{1, 2, 3, {4, 5, 6, 255}});
        std::vector<Nuv3DPointBuffer::Vertex> dst(count);
        constexpr int reps = 200;
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < reps; ++i) {
            std::memcpy(dst.data(), src.data(), count * sizeof(src[0]));
            benchmark::DoNotOptimize(dst.data());
            benchmark::ClobberMemory();
        }
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / reps;
    }();
    return seconds;
}

void BM_CopyVerticesBaseline(benchmark::State& state) {
    const size_t count = static_cast<size_t>(kBatch) * kPoints;
    std::vector<Nuv3DPointBuffer::Vertex> src(count, Nuv3DPointBuffer::Vertex{1, 2, 3, {4, 5, 6, 255}});
    std::vector<Nuv3DPointBuffer::Vertex> dst(count);
    for (auto _ : state) {
        std::memcpy(dst.data(), src.data(), count * sizeof(src[0]));
        benchmark::DoNotOptimize(dst.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(count));
}
BENCHMARK(BM_CopyVerticesBaseline);

// One thread, height ramp colours (no colour data), every batch of the scan in turn.
void BM_AppendBatch(benchmark::State& state) {
    const std::vector<uint16_t> image = makeImage();
    Nuv3DPointBuffer buffer;
    buffer.setSamplingRatio(static_cast<int>(state.range(0)));
    const int stream = buffer.setup(scanSetup());
    int batch = 0;
    const double baseline = baselineSeconds();
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        const int first = batch * kBatch;
        buffer.append(stream, image.data() + static_cast<size_t>(first) * kPoints, nullptr, 2, first,
                      first + kBatch - 1);
        batch = (batch + 1) % (kLines / kBatch);
    }
    const double perBatch =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / state.iterations();
    state.counters["ratio_vs_copy"] = perBatch / baseline;
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(kBatch) * kPoints);
}
BENCHMARK(BM_AppendBatch)->Arg(1)->Arg(4);

// Three threads share one store, as the two workers and the GUI thread do.
std::unique_ptr<Nuv3DPointBuffer> g_shared;
int g_sharedStream = 0;

void BM_AppendBatchThreeThreads(benchmark::State& state) {
    static const std::vector<uint16_t> image = makeImage();
    if (state.thread_index() == 0) {
        g_shared = std::make_unique<Nuv3DPointBuffer>();
        g_sharedStream = g_shared->setup(scanSetup());
    }
    int batch = state.thread_index();
    const double baseline = baselineSeconds();
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        const int first = batch * kBatch;
        g_shared->append(g_sharedStream, image.data() + static_cast<size_t>(first) * kPoints, nullptr, 2,
                         first, first + kBatch - 1);
        batch = (batch + 3) % (kLines / kBatch);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(kBatch) * kPoints);
    if (state.thread_index() == 0) {
        // Every thread runs the same number of iterations; the lock makes them take turns.
        const double elapsed =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.counters["ratio_vs_copy"] =
            elapsed / (3.0 * static_cast<double>(state.iterations())) / baseline;
    }
}
BENCHMARK(BM_AppendBatchThreeThreads)->Threads(3)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
