// SPDX-License-Identifier: Apache-2.0
// Streaming lines into the 3D window's vertex store: a batch of 100 lines of 3200 points
// (the profiler's common case) against copying the same number of finished vertices, which is
// the least any conversion has to do. Reported as ratio_vs_copy.
//
// The copy is held to the store's conditions: the same vertex bytes per batch, written batch after
// batch across a destination as large as the whole scan (so neither side stays in a cache the
// other could not), faulted in beforehand as the store's chunks are after its first pass, and timed
// interleaved with the append on the thread's CPU clock so that machine load weighs on both alike
// and time spent descheduled counts for neither.
#include <benchmark/benchmark.h>

#include <time.h>

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
constexpr int kBatches = kLines / kBatch;
using Clock = std::chrono::steady_clock;

double threadSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

std::vector<uint16_t> makeImage() {
    std::vector<uint16_t> image(static_cast<size_t>(kPoints) * kLines);
    for (size_t i = 0; i < image.size(); ++i) {
        image[i] = static_cast<uint16_t>(i % 7 == 0 ? 0 : 32768 + static_cast<int>(i % 800) - 400);
    }
    return image;
}

Nuv3DRangeSetup scanSetup(int displayMode = NUV3D_MODE_HEIGHT) {
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
    s.displayMode = displayMode;
    return s;
}

// The baseline: one batch of finished vertices copied into the next batch's place of a scan-sized
// destination.
class VertexCopy {
public:
    explicit VertexCopy(size_t vertexBytes)
        : m_batchBytes(vertexBytes * kBatch * kPoints),
          m_source(m_batchBytes, 0x5a),
          m_destination(m_batchBytes * kBatches, 0) {}
    void run(int batch) {
        std::memcpy(m_destination.data() + static_cast<size_t>(batch) * m_batchBytes, m_source.data(),
                    m_batchBytes);
        benchmark::DoNotOptimize(m_destination.data());
        benchmark::ClobberMemory();
    }

private:
    size_t m_batchBytes;
    std::vector<unsigned char> m_source;
    std::vector<unsigned char> m_destination;
};

double seconds(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double>(to - from).count();
}

// Seconds per batch of the baseline alone, for the threaded case where it cannot be interleaved.
double baselineSeconds() {
    VertexCopy copy(sizeof(Nuv3DPointBuffer::Vertex));
    for (int b = 0; b < kBatches; ++b) {
        copy.run(b);
    }
    constexpr int reps = 20 * kBatches;
    const auto start = Clock::now();
    for (int i = 0; i < reps; ++i) {
        copy.run(i % kBatches);
    }
    return seconds(start, Clock::now()) / reps;
}

void BM_CopyVerticesBaseline(benchmark::State& state) {
    VertexCopy copy(sizeof(Nuv3DPointBuffer::Vertex));
    int batch = 0;
    for (auto _ : state) {
        copy.run(batch);
        batch = (batch + 1) % kBatches;
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(kBatch) * kPoints);
}
BENCHMARK(BM_CopyVerticesBaseline);

// What comes with the samples: nothing (the store's own height ramp), a colour per sample (what
// the live range view hands over in height mode) or a grey byte per sample (brightness mode).
enum Colouring { RampColours = 0, DeliveredColours = 1, GreyBytes = 2 };

// One thread, every batch of the scan in turn; each append is followed by the copy of its batch.
// Arguments: sampling ratio, Colouring. The copy is always of a whole batch, so above ratio 1 the
// figure shows what thinning saves.
void BM_AppendBatch(benchmark::State& state) {
    const std::vector<uint16_t> image = makeImage();
    const auto colouring = static_cast<Colouring>(state.range(1));
    const size_t colourBytes = colouring == DeliveredColours ? sizeof(NuvColor)
                               : colouring == GreyBytes      ? 1
                                                             : 0;
    std::vector<uint8_t> colours(image.size() * colourBytes);
    for (size_t i = 0; i < colours.size(); ++i) {
        colours[i] = static_cast<uint8_t>(i * 37u);
    }
    Nuv3DPointBuffer buffer;
    buffer.setSamplingRatio(static_cast<int>(state.range(0)));
    const int stream =
        buffer.setup(scanSetup(colouring == GreyBytes ? NUV3D_MODE_BRIGHTNESS : NUV3D_MODE_HEIGHT));
    VertexCopy copy(sizeof(Nuv3DPointBuffer::Vertex));
    const auto append = [&](int batch) {
        const size_t first = static_cast<size_t>(batch) * kBatch * kPoints;
        const size_t samples = static_cast<size_t>(kBatch) * kPoints;
        return buffer.append(stream, image.data() + first,
                             colourBytes ? colours.data() + first * colourBytes : nullptr, 2, batch * kBatch,
                             batch * kBatch + kBatch - 1, samples * 2, samples * colourBytes);
    };
    for (int b = 0; b < kBatches; ++b) {  // the store's chunks exist from here on, as in a running scan
        if (append(b) != NUV3D_OK) {
            state.SkipWithError("append refused the batch");
            return;
        }
        copy.run(b);
    }
    double appendSeconds = 0.0;
    double copySeconds = 0.0;
    int batch = 0;
    for (auto _ : state) {
        const double t0 = threadSeconds();
        append(batch);
        const double t1 = threadSeconds();
        copy.run(batch);
        const double t2 = threadSeconds();
        appendSeconds += t1 - t0;
        copySeconds += t2 - t1;
        batch = (batch + 1) % kBatches;
    }
    state.counters["ratio_vs_copy"] = appendSeconds / copySeconds;
    state.counters["append_us"] = 1e6 * appendSeconds / static_cast<double>(state.iterations());
    state.counters["copy_us"] = 1e6 * copySeconds / static_cast<double>(state.iterations());
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(kBatch) * kPoints);
}
BENCHMARK(BM_AppendBatch)
    ->ArgNames({"ratio", "colouring"})
    ->Args({1, RampColours})
    ->Args({1, DeliveredColours})
    ->Args({1, GreyBytes})
    ->Args({4, DeliveredColours});

// Three threads share one store, as the two workers and the GUI thread do.
std::unique_ptr<Nuv3DPointBuffer> g_shared;
int g_sharedStream = 0;
double g_sharedBaseline = 0.0;

void BM_AppendBatchThreeThreads(benchmark::State& state) {
    static const std::vector<uint16_t> image = makeImage();
    if (state.thread_index() == 0) {
        g_sharedBaseline = baselineSeconds();
        g_shared = std::make_unique<Nuv3DPointBuffer>();
        g_sharedStream = g_shared->setup(scanSetup());
        for (int b = 0; b < kBatches; ++b) {
            g_shared->append(g_sharedStream, image.data() + static_cast<size_t>(b) * kBatch * kPoints,
                             nullptr, 2, b * kBatch, b * kBatch + kBatch - 1);
        }
    }
    int batch = state.thread_index();
    const auto start = Clock::now();
    for (auto _ : state) {
        const int first = batch * kBatch;
        g_shared->append(g_sharedStream, image.data() + static_cast<size_t>(first) * kPoints, nullptr, 2,
                         first, first + kBatch - 1);
        batch = (batch + 3) % kBatches;
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(kBatch) * kPoints);
    if (state.thread_index() == 0) {
        // Every thread runs the same number of iterations; the lock makes them take turns.
        state.counters["ratio_vs_copy"] =
            seconds(start, Clock::now()) / (3.0 * static_cast<double>(state.iterations())) / g_sharedBaseline;
    }
}
BENCHMARK(BM_AppendBatchThreeThreads)->Threads(3)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
