// SPDX-License-Identifier: Apache-2.0
// Redraw cost of one 3200-point laser profile in ProfilePlot, the way the live contour page does it:
// setData, replot, and the canvas paint that follows, into an 800 x 400 plot. The baseline is a plain
// QPainter polyline of the same points into an image of the same size, measured in the same run; the
// report gives the ratio and whether one profile fits in 5 ms (200 profiles per second on one core).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QMessageLogContext>
#include <QPainter>
#include <QPixmap>
#include <QVector>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include <qwt_plot_canvas.h>

#include "CustomPlot.h"
#include "ProfilePlot.h"

namespace {
constexpr int kPoints = 3200;
constexpr int kWidth = 800;
constexpr int kHeight = 400;
constexpr double kSpan = 28.0;

// A profile shaped like a real scan: a step, a slope and noise, with some invalid points far below
// the range, as sensors report them. Each frame differs a little so nothing can be cached.
void makeProfile(int frame, QVector<double>& x, QVector<double>& y) {
    x.resize(kPoints);
    y.resize(kPoints);
    unsigned seed = 12345u + unsigned(frame) * 7919u;
    for (int i = 0; i < kPoints; ++i) {
        seed = seed * 1664525u + 1013904223u;
        const double noise = ((seed >> 8) & 0xFFFF) / 65535.0 - 0.5;
        x[i] = -kSpan / 2 + i * kSpan / kPoints;
        double h = 2.0 * std::sin(x[i] * 0.7 + frame * 0.01) + (x[i] > 3.0 ? 3.0 : 0.0) + 0.2 * noise;
        if (i % 97 == 0) {
            h = -1048576.0 / 64.0;
        }
        y[i] = h;
    }
}

struct Fixture {
    ProfilePlot plot;
    Fixture() {
        plot.resize(kWidth, kHeight);
        plot.setXRange(-kSpan / 2, kSpan / 2);
        plot.setYRange(-9.0, 9.0);
        plot.show();
        QCoreApplication::processEvents();
    }
};

// Per-profile CPU time of each benchmark, filled in by the reporter.
double g_baselineNs = 0.0;
double g_plotNs = 0.0;
double g_plotWholeNs = 0.0;

// The offscreen platform warns on every show; keep the report readable.
void quietMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type != QtDebugMsg && type != QtInfoMsg && type != QtWarningMsg) {
        std::fprintf(stderr, "%s\n", qPrintable(message));
    }
}

void BM_Baseline_QPainterPolyline(benchmark::State& state) {
    QImage image(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
    QVector<double> x, y;
    QPolygonF polygon(kPoints);
    int frame = 0;
    for (auto _ : state) {
        makeProfile(frame++, x, y);
        image.fill(Qt::gray);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.setPen(QPen(Qt::red, 1.0));
        for (int i = 0; i < kPoints; ++i) {
            polygon[i] = QPointF((x[i] + kSpan / 2) * kWidth / kSpan, (9.0 - y[i]) * kHeight / 18.0);
        }
        painter.drawPolyline(polygon);
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}

// Guards against measuring an empty paint: the grabbed canvas must show the red profile points.
bool showsProfile(const QPixmap& pixmap) {
    const QImage image = pixmap.toImage().convertToFormat(QImage::Format_RGB32);
    int red = 0;
    for (int row = 0; row < image.height(); ++row) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(row));
        for (int col = 0; col < image.width(); ++col) {
            red += qRed(line[col]) > 200 && qGreen(line[col]) < 80 ? 1 : 0;
        }
    }
    return red > 500;
}

// What the live display does per profile: new data, replot, and the canvas repaint it triggers.
void BM_ProfilePlot_SetDataReplotCanvas(benchmark::State& state) {
    Fixture fixture;
    QWidget* canvas = fixture.plot.plot()->canvas();
    QVector<double> x, y;
    int frame = 0;
    makeProfile(frame, x, y);
    fixture.plot.setData(x, y);
    if (!showsProfile(canvas->grab())) {
        state.SkipWithError("the canvas does not show the profile");
        return;
    }
    for (auto _ : state) {
        makeProfile(frame++, x, y);
        fixture.plot.setData(x, y);
        const QPixmap pixmap = canvas->grab();
        benchmark::DoNotOptimize(pixmap.cacheKey());
    }
}

// The same with axes and frame rendered too (worst case: a resize or scale change every profile).
void BM_ProfilePlot_SetDataReplotWholePlot(benchmark::State& state) {
    Fixture fixture;
    QVector<double> x, y;
    int frame = 0;
    for (auto _ : state) {
        makeProfile(frame++, x, y);
        fixture.plot.setData(x, y);
        const QPixmap pixmap = fixture.plot.grab();
        benchmark::DoNotOptimize(pixmap.cacheKey());
    }
}

BENCHMARK(BM_Baseline_QPainterPolyline)->Unit(benchmark::kMicrosecond)->MinTime(1.0);
BENCHMARK(BM_ProfilePlot_SetDataReplotCanvas)->Unit(benchmark::kMicrosecond)->MinTime(1.0);
BENCHMARK(BM_ProfilePlot_SetDataReplotWholePlot)->Unit(benchmark::kMicrosecond)->MinTime(1.0);

// Collects per-iteration CPU times so the summary can compare within the same run.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.iterations == 0) {
                continue;
            }
            // CPU time: the target is one core, and other processes may share the machine.
            const double ns = run.GetAdjustedCPUTime() * nanosPerUnit(run.time_unit);
            const std::string name = run.benchmark_name();
            if (name.find("Baseline") != std::string::npos) {
                g_baselineNs = ns;
            } else if (name.find("Canvas") != std::string::npos) {
                g_plotNs = ns;
            } else if (name.find("WholePlot") != std::string::npos) {
                g_plotWholeNs = ns;
            }
        }
    }

private:
    static double nanosPerUnit(benchmark::TimeUnit unit) {
        switch (unit) {
            case benchmark::kSecond:
                return 1e9;
            case benchmark::kMillisecond:
                return 1e6;
            case benchmark::kMicrosecond:
                return 1e3;
            default:
                return 1.0;
        }
    }
};
}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    qInstallMessageHandler(quietMessages);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    if (g_baselineNs > 0.0 && g_plotNs > 0.0) {
        const double budgetMs = 5.0;
        std::printf(
            "\nProfile redraw (%d points, %dx%d), CPU time per profile: plot %.3f ms, whole plot %.3f ms, "
            "baseline polyline %.3f ms\n",
            kPoints, kWidth, kHeight, g_plotNs / 1e6, g_plotWholeNs / 1e6, g_baselineNs / 1e6);
        std::printf("Ratio plot / baseline: %.2f (whole plot: %.2f)\n", g_plotNs / g_baselineNs,
                    g_plotWholeNs / g_baselineNs);
        std::printf("Budget %.1f ms per profile (200 profiles/s): %s\n", budgetMs,
                    g_plotNs / 1e6 <= budgetMs ? "met" : "NOT met");
    }
    return 0;
}
