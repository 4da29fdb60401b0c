// SPDX-License-Identifier: Apache-2.0
// Saving one 3200 x 1000 16-bit range image of a scan (heights in millimetres), on one core:
//   BM_HeightCsvOurs     Nuv3DFileOperation::Save to "_3DHeight.csv"
//   BM_HeightCsvQt       the same file with every value through QString::number into a QTextStream
//   BM_PcdOurs           RangeImageToPointCloud + Save to ".pcd" (binary)
//   BM_PcdFwriteBound    fwrite of the same PCD bytes, already in memory
// Read the figures as ratios: Qt time / ours for the CSV (target >= 5) and fwrite-bound time /
// ours for the PCD (target >= 0.5). Before measuring, main() checks that both CSV files are
// byte-identical and stops otherwise. Files go to $NUV_BENCH_DIR or the temporary folder.
#include <benchmark/benchmark.h>

#include <QFile>
#include <QString>
#include <QTextStream>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "Nuv3DDataConvert.h"
#include "Nuv3DFileOperation.h"
#include "NuvFileWriter.h"

namespace {
constexpr int kPoints = 3200;
constexpr int kLines = 1000;

std::string target(const char* name) {
    const char* dir = std::getenv("NUV_BENCH_DIR");
    return ((dir ? std::filesystem::path(dir) : std::filesystem::temp_directory_path()) / name).string();
}

// A tilted, wavy surface with every 50th sample a dropout; 16-bit sensor with 0.0016 mm steps.
NuvRangeImage& scan() {
    static NuvRangeImage image = [] {
        NuvRangeImage img;
        img.SetSize(kPoints, kLines, NuvRangeImage::TypeUInt16);
        img.SetInfo(0.0016, -32768, 0.009, 0, 0.002, 0);
        for (int r = 0; r < kLines; ++r)
            for (int c = 0; c < kPoints; ++c)
                img.mat().at<uint16_t>(r, c) =
                    (r * kPoints + c) % 50 == 7
                        ? 0
                        : static_cast<uint16_t>(32768 + 6000 * std::sin(c * 0.01) + r * 5 + (c * 7919) % 13);
        return img;
    }();
    return image;
}

bool saveCsvQt(const std::string& path) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) return false;
    QTextStream out(&file);
    const NuvRangeImage& img = scan();
    for (int r = 0; r < img.height(); ++r) {
        const uint16_t* row = img.mat().ptr<uint16_t>(r);
        for (int c = 0; c < img.width(); ++c) {
            if (c) out << ',';
            out << QString::number(row[c] ? img.toMillimetres(row[c]) : std::nan(""), 'g', 10);
        }
        out << '\n';
    }
    return true;
}

// Saves never replace a file, so each one is removed again (outside the timing) to keep the name
// free; `saved` receives the name written.
int saveOurs(const std::string& path, std::string* saved = nullptr) {
    NuvVar var(path);
    NUVMV::Nuv3DFileOperation files;
    const int status = files.Save(scan(), var, false, 2);
    if (saved) *saved = files.savedPath();
    return status;
}

void BM_HeightCsvOurs(benchmark::State& state) {
    const std::string path = target("bench_ours_3DHeight.csv");
    for (auto _ : state) {
        std::string saved;
        if (saveOurs(path, &saved) != 0) state.SkipWithError("save failed");
        state.PauseTiming();
        NuvFileWriter::remove(saved);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_HeightCsvOurs)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_HeightCsvQt(benchmark::State& state) {
    const std::string path = target("bench_qt_3DHeight.csv");
    for (auto _ : state)
        if (!saveCsvQt(path)) state.SkipWithError("save failed");
}
BENCHMARK(BM_HeightCsvQt)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PcdOurs(benchmark::State& state) {
    const std::string path = target("bench_ours.pcd");
    NUVMV::Nuv3DDataConvert convert;
    NUVMV::Nuv3DFileOperation files;
    for (auto _ : state) {
        NuvPointCloud cloud;
        NuvVar var(path);
        if (convert.RangeImageToPointCloud(scan(), &cloud) != 0 ||
            files.Save(cloud, var, false, false, 2) != 0)
            state.SkipWithError("save failed");
        state.PauseTiming();
        NuvFileWriter::remove(files.savedPath());
        state.ResumeTiming();
    }
}
BENCHMARK(BM_PcdOurs)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PcdFwriteBound(benchmark::State& state) {
    const std::string path = target("bench_bound.pcd");
    std::vector<char> bytes;
    {
        NuvPointCloud cloud;
        NuvVar var(target("bench_ours.pcd"));
        NUVMV::Nuv3DDataConvert().RangeImageToPointCloud(scan(), &cloud);
        NUVMV::Nuv3DFileOperation files;
        files.Save(cloud, var, false, false, 2);
        const std::string ours = files.savedPath();
        std::FILE* in = std::fopen(ours.c_str(), "rb");
        bytes.resize(in ? std::filesystem::file_size(ours) : 0);
        if (in == nullptr || std::fread(bytes.data(), 1, bytes.size(), in) != bytes.size())
            state.SkipWithError("cannot read the PCD file");
        if (in) std::fclose(in);
        NuvFileWriter::remove(ours);
    }
    for (auto _ : state) {
        std::FILE* out = std::fopen(path.c_str(), "wb");
        if (out == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size())
            state.SkipWithError("write failed");
        if (out) std::fclose(out);
        state.PauseTiming();
        NuvFileWriter::remove(path);  // as for the saves: every file is a new one
        state.ResumeTiming();
    }
}
BENCHMARK(BM_PcdFwriteBound)->Unit(benchmark::kMillisecond)->UseRealTime();

bool csvIdentical() {
    std::string ours;
    const std::string qt = target("bench_qt_3DHeight.csv");
    if (saveOurs(target("bench_ours_3DHeight.csv"), &ours) != 0 || !saveCsvQt(qt)) return false;
    QFile a(QString::fromStdString(ours));
    QFile b(QString::fromStdString(qt));
    const bool same =
        a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly) && a.readAll() == b.readAll();
    NuvFileWriter::remove(ours);
    return same;
}
}  // namespace

int main(int argc, char** argv) {
    if (!csvIdentical()) {
        std::fprintf(stderr, "height CSV differs from the QString::number reference\n");
        return 1;
    }
    std::printf("height CSV is byte-identical to the QString::number reference\n");
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
