// Cost of showing a 2048x1024 Mono8 frame in an 800x600 2D display: ZMKImageWnd::setBackground plus
// a render of the view, against QPainter::drawImage with smooth scaling of the same frame into the
// same target (the baseline), measured in the same run. Prints the ratio at the end.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QWidget>
#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include "NuvImage.h"
#include "NuvPixelFormat.h"
#include "ZMKImageWnd.h"

namespace {
constexpr int kFrameW = 2048;
constexpr int kFrameH = 1024;
constexpr int kViewW = 800;
constexpr int kViewH = 600;

NuvImage makeFrame() {
    NuvImage frame(kFrameW, kFrameH, NuvPixelFormat::Mono8);
    cv::Mat& m = frame.mat();
    for (int y = 0; y < kFrameH; ++y) {
        auto* row = m.ptr<uchar>(y);
        for (int x = 0; x < kFrameW; ++x)
            row[x] = static_cast<uchar>((x * 31 + y * 17 + (x * y) % 7) & 0xFF);
    }
    return frame;
}

const NuvImage& frame() {
    static const NuvImage f = makeFrame();
    return f;
}

// The frame fitted into the target with its aspect kept, as a viewer would show it.
QRectF fittedRect() {
    const double s = std::min(double(kViewW) / kFrameW, double(kViewH) / kFrameH);
    const double w = kFrameW * s, h = kFrameH * s;
    return QRectF((kViewW - w) / 2.0, (kViewH - h) / 2.0, w, h);
}

void BM_Baseline_SmoothDrawImage(benchmark::State& state) {
    const NuvImage& f = frame();
    const QImage grey(f.data(), f.width(), f.height(), static_cast<qsizetype>(f.step()),
                      QImage::Format_Grayscale8);
    QImage target(kViewW, kViewH, QImage::Format_ARGB32_Premultiplied);
    const QRectF rect = fittedRect();
    for (auto _ : state) {
        QPainter p(&target);
        p.setRenderHint(QPainter::SmoothPixmapTransform, true);
        p.fillRect(target.rect(), QColor(55, 56, 58));
        p.drawImage(rect, grey);
        p.end();
        benchmark::DoNotOptimize(target.constBits());
    }
}

struct Display {
    QWidget host;
    ZMKImageWnd wnd;
    explicit Display(double zoom) {
        host.resize(kViewW, kViewH);
        wnd.create(reinterpret_cast<qint64>(&host));
        wnd.move(0, 0, kViewW, kViewH);
        host.show();
        wnd.setBackground(frame());
        if (zoom > 0.0) {
            wnd.zoom(zoom);
        } else {
            wnd.zoomFitWnd();
        }
        QCoreApplication::processEvents();
    }
};

void setAndRender(benchmark::State& state, double zoom) {
    Display d(zoom);
    QImage target(kViewW, kViewH, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        d.wnd.setBackground(frame());
        d.wnd.widget()->render(&target);
        benchmark::DoNotOptimize(target.constBits());
    }
}

void BM_ZMKImageWnd_SetBackgroundAndRender_Fit(benchmark::State& state) {
    setAndRender(state, -1.0);
}
void BM_ZMKImageWnd_SetBackgroundAndRender_1to1(benchmark::State& state) {
    setAndRender(state, 1.0);
}
void BM_ZMKImageWnd_SetBackgroundAndRender_Zoom4(benchmark::State& state) {
    setAndRender(state, 4.0);
}

// Repaint without a new frame (e.g. a shape moved): only the cached device image is blitted.
void BM_ZMKImageWnd_RepaintOnly_Fit(benchmark::State& state) {
    Display d(-1.0);
    QImage target(kViewW, kViewH, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        d.wnd.widget()->render(&target);
        benchmark::DoNotOptimize(target.constBits());
    }
}

BENCHMARK(BM_Baseline_SmoothDrawImage)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ZMKImageWnd_SetBackgroundAndRender_Fit)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ZMKImageWnd_SetBackgroundAndRender_1to1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ZMKImageWnd_SetBackgroundAndRender_Zoom4)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ZMKImageWnd_RepaintOnly_Fit)->Unit(benchmark::kMicrosecond);

// Console output as usual, plus the mean time per iteration of every run for the ratio line.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs) {
            if (r.run_type == Run::RT_Iteration && r.iterations > 0) {
                m_us[r.benchmark_name()] = r.real_accumulated_time / static_cast<double>(r.iterations) * 1e6;
            }
        }
    }
    std::map<std::string, double> m_us;
};
}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto base = reporter.m_us.find("BM_Baseline_SmoothDrawImage");
    if (base != reporter.m_us.end() && base->second > 0.0) {
        std::printf("\nbaseline (smooth drawImage, fitted): %.1f us\n", base->second);
        for (const auto& [name, us] : reporter.m_us) {
            if (name == base->first) continue;
            std::printf("%-48s %9.1f us  ratio to baseline %.3f\n", name.c_str(), us, us / base->second);
        }
    }
    benchmark::Shutdown();
    return 0;
}
