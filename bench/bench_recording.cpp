// SPDX-License-Identifier: Apache-2.0
// Recording 2048x1024 Mono8 frames through the save worker, as BMP and as uncompressed TIFF,
// against writing the same number of bytes per frame with plain fwrite (the baseline), measured
// in the same run. Then an offered load of 200 frames/s for 10 s per format: the frames the
// worker had to discard are counted (expected 0). Prints ratios and counts at the end.
// BM_FileWriter compares the writers behind it, one file at a time without the worker: the project's
// (UncompressedImageFile for BMP, NuvTiffFile through libtiff for TIFF) against cv::imwrite.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include <opencv2/imgcodecs.hpp>

#include "NuvImage.h"
#include "NuvTiffFile.h"
#include "SaveImageTool.h"
#include "UncompressedImageFile.h"
#include "ZavizoZoz3.h"
#include "ZavizoZoz3Control.h"

namespace {
constexpr int kW = 2048;
constexpr int kH = 1024;
constexpr int kFramesPerIteration = 20;
namespace Control = ZavizoZoz3::Control;

NuvImage makeFrame(int seed) {
    NuvImage frame(kW, kH, NuvPixelFormat::Mono8);
    for (int y = 0; y < kH; ++y) {
        uchar* row = frame.mat().ptr<uchar>(y);
        for (int x = 0; x < kW; ++x)
            row[x] = static_cast<uchar>((x * 31 + y * 17 + seed) & 0xFF);
    }
    return frame;
}

QTemporaryDir& scratch() {
    static QTemporaryDir dir(QDir::tempPath() + "/nuv_bench_recording_XXXXXX");
    return dir;
}

// Removes every file written so far, also inside the recording's own sub-folder (kept, as the
// recording goes on writing there), so both sides write into an empty page cache alike.
void clearScratch() {
    QDirIterator it(scratch().path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        QFile::remove(it.next());
}

// Size of one recorded file of the format, so the baseline writes the same bytes.
qint64 fileBytes(int format) {
    const QString path = scratch().path() + (format == 0 ? "/probe.bmp" : "/probe.tif");
    makeFrame(0).SaveImage(path.toUtf8().constData(), 6);
    const qint64 size = QFileInfo(path).size();
    QFile::remove(path);
    return size;
}

void BM_Baseline_Fwrite(benchmark::State& state) {
    const qint64 bytes = fileBytes(static_cast<int>(state.range(0)));
    const std::vector<char> buffer(static_cast<size_t>(bytes), 7);
    int n = 0;
    for (auto _ : state) {
        for (int i = 0; i < kFramesPerIteration; ++i) {
            const std::string path = scratch().path().toStdString() + "/raw_" + std::to_string(n++);
            std::FILE* f = std::fopen(path.c_str(), "wb");
            std::fwrite(buffer.data(), 1, buffer.size(), f);
            std::fclose(f);
        }
        state.PauseTiming();
        clearScratch();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kFramesPerIteration);
}

void configure(int format, int limit) {
    Control::setParameterInfo(ZavizoZoz3::PARAMETER_IMAGE_FORMAT, format == 0 ? "0" : "3");
    Control::setParameterInfo(ZavizoZoz3::PARAMETER_NAMING_RULE, "2");
    Control::setParameterInfo(ZavizoZoz3::PARAMETER_FRAME_LIMIT, std::to_string(limit));
    Control::setParameterInfo(ZavizoZoz3::PARAMETER_QUEUE_CAPACITY, "10");
}

// Frames offered as fast as the worker takes them (the queue never overflows) in one long
// recording: write throughput. Waiting polls the counters; it only paces the harness.
void BM_Worker_Record(benchmark::State& state) {
    configure(static_cast<int>(state.range(0)), 1 << 30);
    const NuvImage frame = makeFrame(1);
    SaveImageTool tool;
    tool.setSaveMode(SaveImageTool::Recording);
    tool.setSavePath(scratch().path());
    tool.start();
    int offered = 0;
    const auto pause = std::chrono::microseconds(100);
    for (auto _ : state) {
        const int target = offered + kFramesPerIteration;
        while (offered < target) {
            if (offered - tool.processedCount() < tool.queueCapacity()) {
                tool.addImage(frame);
                ++offered;
            } else {
                std::this_thread::sleep_for(pause);
            }
        }
        while (tool.processedCount() < target)
            std::this_thread::sleep_for(pause);
        state.PauseTiming();
        clearScratch();
        state.ResumeTiming();
    }
    tool.stop();
    state.counters["discarded"] = tool.discardedCount();
    state.SetItemsProcessed(state.iterations() * kFramesPerIteration);
}

// Arg 0: 0 BMP, 1 TIFF; arg 1: 0 the project's writer, 1 cv::imwrite.
void BM_FileWriter(benchmark::State& state) {
    const bool tiff = state.range(0) == 1;
    const bool imwrite = state.range(1) == 1;
    const NuvImage frame = makeFrame(3);
    int n = 0;
    for (auto _ : state) {
        for (int i = 0; i < kFramesPerIteration; ++i) {
            const QString path = scratch().path() + "/w_" + QString::number(n++) + (tiff ? ".tif" : ".bmp");
            bool ok = false;
            if (imwrite) {
                ok = cv::imwrite(path.toStdString(), frame.mat());
            } else if (tiff) {
                std::string reason;
                std::string saved;
                ok = NuvTiffFile::write(frame.mat(), false, 0, {}, path.toStdString(), &reason, &saved) ==
                     NuvTiffFile::Ok;
            } else {
                ok = UncompressedImageFile::write(frame, path, nullptr);
            }
            if (!ok) state.SkipWithError("write failed");
        }
        state.PauseTiming();
        clearScratch();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kFramesPerIteration);
}

BENCHMARK(BM_FileWriter)
    ->Args({0, 0})
    ->Args({0, 1})
    ->Args({1, 0})
    ->Args({1, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(2.0);
BENCHMARK(BM_Baseline_Fwrite)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_Worker_Record)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

class TimeReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs) {
            if (r.run_type == Run::RT_Iteration && r.iterations > 0)
                ms[r.benchmark_name()] = r.real_accumulated_time / static_cast<double>(r.iterations) * 1e3;
        }
    }
    std::map<std::string, double> ms;
};

// Plain fwrite of the same bytes per frame at 200 frames/s for 10 s, one new file each, kept until
// the end like a recording's: seconds until the last file was closed (10 when the disk keeps up).
// Shows what the file system itself sustains beside the worker's figure.
double pacedFwrite(int format) {
    const int frames = 2000;
    const std::vector<char> buffer(static_cast<size_t>(fileBytes(format)), 7);
    const auto start = std::chrono::steady_clock::now();
    auto due = start;
    for (int i = 0; i < frames; ++i) {
        std::this_thread::sleep_until(due);  // the camera's pace, not a synchronisation
        due += std::chrono::milliseconds(5);
        const std::string path = scratch().path().toStdString() + "/paced_" + std::to_string(i);
        std::FILE* f = std::fopen(path.c_str(), "wb");
        if (f == nullptr) return -1.0;
        std::fwrite(buffer.data(), 1, buffer.size(), f);
        std::fclose(f);
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    clearScratch();
    return seconds;
}

// 200 frames/s for 10 s; returns the discarded count and writes the processed count.
int offeredLoad(int format, int* processed) {
    const int frames = 2000;
    configure(format, frames);
    const NuvImage frame = makeFrame(2);
    SaveImageTool tool;
    tool.setSaveMode(SaveImageTool::Recording);
    tool.setSavePath(scratch().path());
    QSignalSpy finished(&tool, &SaveImageTool::saveFinish);
    tool.start();
    auto due = std::chrono::steady_clock::now();
    for (int i = 0; i < frames; ++i) {
        std::this_thread::sleep_until(due);  // the camera's pace, not a synchronisation
        due += std::chrono::milliseconds(5);
        tool.addImage(frame);
    }
    tool.stop();
    finished.wait(120000);
    *processed = tool.processedCount();
    const int discarded = tool.discardedCount();
    clearScratch();
    return discarded;
}
}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    TimeReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    for (const char* format : {"0", "1"}) {
        const std::string suffix = std::string("/") + format + "/min_time:2.000/real_time";
        const double base = reporter.ms["BM_Baseline_Fwrite" + suffix];
        const double worker = reporter.ms["BM_Worker_Record" + suffix];
        if (base > 0 && worker > 0) {
            std::printf("%s: worker throughput / fwrite throughput = %.3f (target >= 0.8)\n",
                        format[0] == '0' ? "BMP " : "TIFF", base / worker);
        }
    }
    for (const char* format : {"0", "1"}) {
        const std::string prefix = std::string("BM_FileWriter/") + format;
        const double ours = reporter.ms[prefix + "/0/min_time:2.000/real_time"];
        const double imwrite = reporter.ms[prefix + "/1/min_time:2.000/real_time"];
        if (ours > 0 && imwrite > 0) {
            std::printf("%s: project's writer throughput / cv::imwrite throughput = %.3f\n",
                        format[0] == '0' ? "BMP " : "TIFF", imwrite / ours);
        }
    }
    for (int format = 0; format < 2; ++format) {
        int processed = 0;
        const int discarded = offeredLoad(format, &processed);
        std::printf("%s at 200 frames/s for 10 s: offered 2000, written %d, discarded %d\n",
                    format == 0 ? "BMP " : "TIFF", processed, discarded);
        std::printf("%s plain fwrite of the same 2000 frames at that pace took %.1f s\n",
                    format == 0 ? "BMP " : "TIFF", pacedFwrite(format));
    }
    benchmark::Shutdown();
    return 0;
}
