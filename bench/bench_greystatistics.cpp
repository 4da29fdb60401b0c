// SPDX-License-Identifier: Apache-2.0
// Grey statistics of a whole 2448x2048 frame: histogram, minimum, maximum, average and deviation in one
// fused pass (GreyStatistics), against OpenCV doing the same with its separate calls, measured in the
// same run; and the cost of handing a frame to the statistics worker against copying its pixels.
// Prints whether both sides agree and the ratios at the end. Run on one core: taskset -c 0.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QImage>
#include <cmath>
#include <cstdio>
#include <map>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#include <string>

#include "CalculateGreyThread.h"
#include "GreyStatistics.h"

namespace {
constexpr int kW = 2448;
constexpr int kH = 2048;

const cv::Mat& mono() {
    static const cv::Mat m = [] {
        cv::Mat a(kH, kW, CV_8UC1);
        cv::setRNGSeed(7);
        cv::randn(a, 110.0, 35.0);
        return a;
    }();
    return m;
}

const cv::Mat& rgb() {
    static const cv::Mat m = [] {
        cv::Mat a(kH, kW, CV_8UC3);
        cv::setRNGSeed(11);
        cv::randn(a, cv::Scalar(90, 128, 160), cv::Scalar(30, 40, 20));
        return a;
    }();
    return m;
}

QImage wrap(const cv::Mat& m, QImage::Format f) {
    return QImage(m.data, m.cols, m.rows, static_cast<qsizetype>(m.step), f);
}

const GreyStatistics::Region kWhole{0, kW, 0, kH};

struct CvStats {
    cv::Mat hist[3];
    double min[3], max[3], mean[3], dev[3];
};

void cvMono(CvStats* s) {
    const int channels[] = {0};
    const int bins[] = {256};
    const float range[] = {0, 256};
    const float* ranges[] = {range};
    cv::calcHist(&mono(), 1, channels, cv::Mat(), s->hist[0], 1, bins, ranges);
    cv::Scalar mean, dev;
    cv::meanStdDev(mono(), mean, dev);
    cv::minMaxLoc(mono(), &s->min[0], &s->max[0]);
    s->mean[0] = mean[0];
    s->dev[0] = dev[0];
}

void cvRgb(CvStats* s) {
    cv::Mat planes[3];
    cv::split(rgb(), planes);
    const int channels[] = {0};
    const int bins[] = {256};
    const float range[] = {0, 256};
    const float* ranges[] = {range};
    for (int c = 0; c < 3; ++c)
        cv::calcHist(&planes[c], 1, channels, cv::Mat(), s->hist[c], 1, bins, ranges);
    cv::Scalar mean, dev;
    cv::meanStdDev(rgb(), mean, dev);
    for (int c = 0; c < 3; ++c) {
        s->mean[c] = mean[c];
        s->dev[c] = dev[c];
    }
}

// Same counts, extremes and moments: the fused pass rounds the average down and measures the deviation
// from it, so its squared deviation is OpenCV's plus the square of that rounding.
bool agree(const GreyStatistics::Result& r, const CvStats& s, int channels, bool extremes) {
    const GreyStatistics::Series* series[3] = {&r.red, &r.green, &r.blue};
    for (int c = 0; c < channels; ++c) {
        for (int i = 0; i < 256; ++i) {
            if ((*series[c])[1][i] != double(s.hist[c].at<float>(i))) return false;
        }
        const QVector<double>& v = r.calResult[c];
        if (extremes && (v[0] != s.min[c] || v[1] != s.max[c])) return false;
        if (v[2] != std::floor(s.mean[c])) return false;
        const double expected = s.dev[c] * s.dev[c] + (s.mean[c] - v[2]) * (s.mean[c] - v[2]);
        if (std::abs(v[3] * v[3] - expected) > 1e-6 * expected) return false;
    }
    return true;
}

void BM_Baseline_OpenCV_Mono8(benchmark::State& state) {
    CvStats s;
    for (auto _ : state) {
        cvMono(&s);
        benchmark::DoNotOptimize(s.dev[0]);
    }
}

void BM_GreyStatistics_Mono8(benchmark::State& state) {
    const QImage img = wrap(mono(), QImage::Format_Grayscale8);
    GreyStatistics::Result r;
    for (auto _ : state) {
        GreyStatistics::compute(img, 0, 0, 0, kWhole, &r);
        benchmark::DoNotOptimize(r.calResult.data());
    }
}

void BM_Baseline_OpenCV_RGB888(benchmark::State& state) {
    CvStats s;
    for (auto _ : state) {
        cvRgb(&s);
        benchmark::DoNotOptimize(s.dev[2]);
    }
}

void BM_GreyStatistics_RGB888(benchmark::State& state) {
    const QImage img = wrap(rgb(), QImage::Format_RGB888);
    GreyStatistics::Result r;
    for (auto _ : state) {
        GreyStatistics::compute(img, 0, 0, 0, kWhole, &r);
        benchmark::DoNotOptimize(r.calResult.data());
    }
}

// What handing a frame over would cost if its pixels were copied.
void BM_Baseline_FrameCopy(benchmark::State& state) {
    const QImage img = wrap(mono(), QImage::Format_Grayscale8).copy();
    for (auto _ : state) {
        QImage copy = img.copy();
        benchmark::DoNotOptimize(copy.constBits());
    }
}

// Handing frames to a worker that computes all the time (each result acknowledged at once).
void BM_AddImage_WhileComputing(benchmark::State& state) {
    const QImage img = wrap(mono(), QImage::Format_Grayscale8).copy();
    CalculateGreyThread worker;
    worker.setMinimumInterval(0);
    worker.setROI(0, kW, 0, kH);
    QObject::connect(
        &worker, &CalculateGreyThread::calculateFinish, &worker,
        [&worker](auto, auto, auto, auto) { worker.resultShown(); }, Qt::DirectConnection);
    worker.start();
    for (auto _ : state)
        worker.addImage(img);
    worker.stop();
}

BENCHMARK(BM_Baseline_OpenCV_Mono8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GreyStatistics_Mono8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Baseline_OpenCV_RGB888)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GreyStatistics_RGB888)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Baseline_FrameCopy)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AddImage_WhileComputing)->Unit(benchmark::kMicrosecond);

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs) {
            if (r.run_type == Run::RT_Iteration && r.iterations > 0)
                m_us[r.benchmark_name()] = r.real_accumulated_time / static_cast<double>(r.iterations) * 1e6;
        }
    }
    std::map<std::string, double> m_us;
};

void printRatio(const RatioReporter& rep, const char* baseline, const char* measured, const char* what) {
    const auto b = rep.m_us.find(baseline), m = rep.m_us.find(measured);
    if (b == rep.m_us.end() || m == rep.m_us.end() || m->second <= 0.0) return;
    std::printf("%-34s %10.1f us vs %10.1f us: %.2fx faster\n", what, m->second, b->second,
                b->second / m->second);
}
}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    CvStats s;
    GreyStatistics::Result r;
    cvMono(&s);
    GreyStatistics::compute(wrap(mono(), QImage::Format_Grayscale8), 0, 0, 0, kWhole, &r);
    const bool monoOk = agree(r, s, 1, true);
    cvRgb(&s);
    GreyStatistics::compute(wrap(rgb(), QImage::Format_RGB888), 0, 0, 0, kWhole, &r);
    const bool rgbOk = agree(r, s, 3, false);

    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nresults agree with OpenCV: Mono8 %s, RGB888 %s\n", monoOk ? "yes" : "NO",
                rgbOk ? "yes" : "NO");
    printRatio(reporter, "BM_Baseline_OpenCV_Mono8", "BM_GreyStatistics_Mono8", "Mono8 statistics");
    printRatio(reporter, "BM_Baseline_OpenCV_RGB888", "BM_GreyStatistics_RGB888", "RGB888 statistics");
    printRatio(reporter, "BM_Baseline_FrameCopy", "BM_AddImage_WhileComputing",
               "adding a frame vs copying it");
    benchmark::Shutdown();
    return monoOk && rgbOk ? 0 : 1;
}
