// SPDX-License-Identifier: Apache-2.0
// Cost of showing a large frame in a 2D display of about 1000x620: ZMKImageWnd::setBackground plus a
// render of the view, against QPainter::drawImage with smooth scaling of the same frame into the
// same target (the baseline), measured in the same run. Prints the ratios at the end.
//
//   bench_display2d [--frame=WxH]... [--format=Mono8|Mono16|RGB8|BGR8|BayerRG8]... [benchmark flags]
//
// Mono16 is also measured at fit through a fixed range and through percentiles (FitFixedRange,
// FitPercentiles); the other cases use the default range, each frame stretched over its own extremes.
// Without --frame and --format it measures 2048x1024 and 4096x3000 in Mono8, Mono16, RGB8 and BayerRG8.
// Frames are handed over as a NuvImage with pixels of its own, as the business layer delivers every
// camera frame (the display shares it); three such frames take turns, so a frame's bytes are not
// still in the cache from the iteration before. SetBackgroundAndRender_FitCopied hands the same
// bytes over as a QImage over the host's buffer, which the display must copy (Bayer: a NuvImage over
// foreign memory). The baseline scales the same bytes (a Bayer mosaic as grey).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QWidget>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "NuvImage.h"
#include "NuvPixelFormat.h"
#include "ZMKImageWnd.h"

namespace {
constexpr int kViewW = 1000;
constexpr int kViewH = 620;

constexpr int kFrames = 3;

struct Case {
    int width = 0;
    int height = 0;
    std::string format;
    NuvImage nuv[kFrames];  // frames with pixels of their own, handed over in turn
    QImage image;           // a QImage over the first frame's bytes (the copied case and the baseline)
    std::string name() const { return std::to_string(width) + "x" + std::to_string(height) + "/" + format; }
};

uint32_t pixelFormatOf(const std::string& name) {
    if (name == "Mono8") return NuvPixelFormat::Mono8;
    if (name == "Mono16") return NuvPixelFormat::Mono16;
    if (name == "RGB8") return NuvPixelFormat::RGB8;
    if (name == "BGR8") return NuvPixelFormat::BGR8;
    if (name == "BayerRG8") return NuvPixelFormat::BayerRG8;
    return 0;
}

// Smooth gradients with fine detail on top, so every channel and row differs.
void fill(Case& c) {
    const uint32_t format = pixelFormatOf(c.format);
    for (int i = 0; i < kFrames; ++i)
        c.nuv[i] = NuvImage(c.width, c.height, format);
    for (int i = 0; i < kFrames; ++i) {
        cv::Mat& m = c.nuv[i].mat();
        for (int y = 0; y < c.height; ++y) {
            for (int x = 0; x < c.width; ++x) {
                const int v = (x * 31 + y * 17 + (x * y) % 7 + i);
                if (m.depth() == CV_16U) {
                    m.ptr<quint16>(y)[x] = static_cast<quint16>((v * 13) & 0x0FFF);
                } else if (m.channels() == 3) {
                    uchar* p = m.ptr<uchar>(y) + 3 * x;
                    p[0] = uchar(v), p[1] = uchar(x * 255 / c.width), p[2] = uchar(y * 255 / c.height);
                } else {
                    m.ptr<uchar>(y)[x] = uchar(v);
                }
            }
        }
    }
    const cv::Mat& m = c.nuv[0].mat();
    QImage::Format qf = QImage::Format_Grayscale8;
    if (format == NuvPixelFormat::Mono16) qf = QImage::Format_Grayscale16;
    if (format == NuvPixelFormat::RGB8) qf = QImage::Format_RGB888;
    if (format == NuvPixelFormat::BGR8) qf = QImage::Format_BGR888;
    c.image = QImage(m.data, c.width, c.height, static_cast<qsizetype>(m.step), qf);
}

bool isBayer(const Case& c) {
    return c.format.rfind("Bayer", 0) == 0;
}

QRectF fittedRect(const Case& c) {
    const double s = std::min(double(kViewW) / c.width, double(kViewH) / c.height);
    const double w = c.width * s, h = c.height * s;
    return QRectF((kViewW - w) / 2.0, (kViewH - h) / 2.0, w, h);
}

void baseline(benchmark::State& state, const Case* c) {
    QImage target(kViewW, kViewH, QImage::Format_ARGB32_Premultiplied);
    const QRectF rect = fittedRect(*c);
    for (auto _ : state) {
        QPainter p(&target);
        p.setRenderHint(QPainter::SmoothPixmapTransform, true);
        p.fillRect(target.rect(), QColor(55, 56, 58));
        p.drawImage(rect, c->image);
        p.end();
        benchmark::DoNotOptimize(target.constBits());
    }
}

struct Display {
    QWidget host;
    ZMKImageWnd wnd;
    const Case* frame;
    bool copied;
    int turn = 0;
    Display(const Case* c, double zoom, bool copy = false) : frame(c), copied(copy) {
        host.resize(kViewW, kViewH);
        wnd.create(reinterpret_cast<qint64>(&host));
        wnd.move(0, 0, kViewW, kViewH);
        host.show();
        show();
        if (zoom > 0.0) {
            wnd.zoom(zoom);
        } else {
            wnd.zoomFitWnd();
        }
        QCoreApplication::processEvents();
    }
    void show() {
        if (!copied) {
            wnd.setBackground(frame->nuv[turn]);
            turn = (turn + 1) % kFrames;
        } else if (isBayer(*frame)) {
            const NuvImage& n = frame->nuv[0];
            wnd.setBackground(NuvImage(n.width(), n.height(), n.pixelFormat(), n.data(), n.step(), false));
        } else {
            QImage image = frame->image;
            wnd.setBackground(image);
        }
    }
};

void setAndRender(benchmark::State& state, const Case* c, double zoom, bool copied) {
    Display d(c, zoom, copied);
    QImage target(kViewW, kViewH, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        d.show();
        d.wnd.widget()->render(&target);
        benchmark::DoNotOptimize(target.constBits());
    }
}

// Deep grey frames at fit through a display range other than the default (each frame stretched over
// its own extremes): a fixed range needs no pass over the frame for its extremes; percentiles count a
// histogram of (a grid of) the frame; gamma and the saturation colour cost nothing per frame.
void setAndRenderRanged(benchmark::State& state, const Case* c, ZMKDisplayRange::Mode mode) {
    Display d(c, -1.0);
    ZMKDisplayRange range;
    range.mode = mode;
    range.minimum = 100;
    range.maximum = 4000;
    range.gamma = 2.2;
    range.markSaturated = true;
    d.wnd.setDisplayRange(range);
    QImage target(kViewW, kViewH, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        d.show();
        d.wnd.widget()->render(&target);
        benchmark::DoNotOptimize(target.constBits());
    }
}

// Repaint without a new frame (e.g. a shape moved): only the cached device image is blitted.
void repaintOnly(benchmark::State& state, const Case* c) {
    Display d(c, -1.0);
    QImage target(kViewW, kViewH, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        d.wnd.widget()->render(&target);
        benchmark::DoNotOptimize(target.constBits());
    }
}

// Console output as usual, plus the mean wall and CPU time per iteration of every run for the ratio
// lines. On a shared machine the CPU time is the fairer figure: the work is single-threaded.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs) {
            if (r.run_type == Run::RT_Iteration && r.iterations > 0) {
                const double n = static_cast<double>(r.iterations);
                m_us[r.benchmark_name()] = {r.real_accumulated_time / n * 1e6,
                                            r.cpu_accumulated_time / n * 1e6};
            }
        }
    }
    struct Times {
        double wall = 0.0;
        double cpu = 0.0;
    };
    std::map<std::string, Times> m_us;
};

// Takes our own flags out of argv; false on a bad one.
bool parseArgs(int* argc, char** argv, std::vector<std::pair<int, int>>* sizes,
               std::vector<std::string>* formats) {
    int kept = 1;
    for (int i = 1; i < *argc; ++i) {
        const std::string a = argv[i];
        if (a.rfind("--frame=", 0) == 0) {
            int w = 0, h = 0;
            if (std::sscanf(a.c_str() + 8, "%dx%d", &w, &h) != 2 || w < 2 || h < 2) return false;
            sizes->emplace_back(w, h);
        } else if (a.rfind("--format=", 0) == 0) {
            formats->push_back(a.substr(9));
            if (pixelFormatOf(formats->back()) == 0) return false;
        } else {
            argv[kept++] = argv[i];
        }
    }
    *argc = kept;
    if (sizes->empty()) *sizes = {{2048, 1024}, {4096, 3000}};
    if (formats->empty()) *formats = {"Mono8", "Mono16", "RGB8", "BayerRG8"};
    return true;
}
}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::vector<std::pair<int, int>> sizes;
    std::vector<std::string> formats;
    if (!parseArgs(&argc, argv, &sizes, &formats)) {
        std::fprintf(stderr, "usage: %s [--frame=WxH]... [--format=Mono8|Mono16|RGB8|BGR8|BayerRG8]...\n",
                     argv[0]);
        return 2;
    }
    std::vector<std::unique_ptr<Case>> cases;
    for (const auto& [w, h] : sizes) {
        for (const std::string& f : formats) {
            auto c = std::make_unique<Case>();
            c->width = w, c->height = h, c->format = f;
            fill(*c);
            const Case* p = c.get();
            const std::string n = p->name();
            benchmark::RegisterBenchmark(("Baseline_SmoothDrawImage/" + n).c_str(), baseline, p)
                ->Unit(benchmark::kMicrosecond);
            benchmark::RegisterBenchmark(("SetBackgroundAndRender_Fit/" + n).c_str(), setAndRender, p, -1.0,
                                         false)
                ->Unit(benchmark::kMicrosecond);
            benchmark::RegisterBenchmark(("SetBackgroundAndRender_FitCopied/" + n).c_str(), setAndRender, p,
                                         -1.0, true)
                ->Unit(benchmark::kMicrosecond);
            benchmark::RegisterBenchmark(("SetBackgroundAndRender_1to1/" + n).c_str(), setAndRender, p, 1.0,
                                         false)
                ->Unit(benchmark::kMicrosecond);
            benchmark::RegisterBenchmark(("SetBackgroundAndRender_Zoom4/" + n).c_str(), setAndRender, p, 4.0,
                                         false)
                ->Unit(benchmark::kMicrosecond);
            benchmark::RegisterBenchmark(("RepaintOnly_Fit/" + n).c_str(), repaintOnly, p)
                ->Unit(benchmark::kMicrosecond);
            if (pixelFormatOf(f) == NuvPixelFormat::Mono16) {
                benchmark::RegisterBenchmark(("SetBackgroundAndRender_FitFixedRange/" + n).c_str(),
                                             setAndRenderRanged, p, ZMKDisplayRange::Mode::Fixed)
                    ->Unit(benchmark::kMicrosecond);
                benchmark::RegisterBenchmark(("SetBackgroundAndRender_FitPercentiles/" + n).c_str(),
                                             setAndRenderRanged, p, ZMKDisplayRange::Mode::Percentile)
                    ->Unit(benchmark::kMicrosecond);
            }
            cases.push_back(std::move(c));
        }
    }
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nview %dx%d; ratio = time / smooth drawImage of the same frame into the same target\n",
                kViewW, kViewH);
    for (const auto& c : cases) {
        const auto base = reporter.m_us.find("Baseline_SmoothDrawImage/" + c->name());
        if (base == reporter.m_us.end() || base->second.cpu <= 0.0 || base->second.wall <= 0.0) continue;
        const RatioReporter::Times b = base->second;
        std::printf("%s: baseline %.2f ms wall, %.2f ms CPU\n", c->name().c_str(), b.wall / 1e3, b.cpu / 1e3);
        for (const char* kind :
             {"SetBackgroundAndRender_Fit/", "SetBackgroundAndRender_FitCopied/",
              "SetBackgroundAndRender_1to1/", "SetBackgroundAndRender_Zoom4/", "RepaintOnly_Fit/"}) {
            const auto it = reporter.m_us.find(kind + c->name());
            if (it == reporter.m_us.end()) continue;
            const RatioReporter::Times t = it->second;
            std::printf("  %-32s %7.2f ms wall (ratio %.3f)  %7.2f ms CPU (ratio %.3f)\n", kind, t.wall / 1e3,
                        t.wall / b.wall, t.cpu / 1e3, t.cpu / b.cpu);
        }
    }
    benchmark::Shutdown();
    return 0;
}
