// SPDX-License-Identifier: Apache-2.0
// Memory of one profiler view over a long scan: a 50,000 x 3,200 scan (the line count and width
// can be given) streamed batch by batch into the view's buffers with the range, grey and 3D pages
// growing, as a camera in 3D mode does. Prints RSS (and its peak) before the scan, once it is
// prepared, while it streams, when it is shown whole and after the view is cleared, beside what
// the scan's own data takes, and checks the budget: peak RSS at most the unbound figure plus raw
// samples, grey bytes, the capped 3D buffer and 150 MiB; back within 50 MiB of it after clearing.
//   bench_pagememory [lines] [points] [bits 16|32]
#include <QApplication>
#include <QFile>
#include <QPushButton>
#include <cstdio>
#include <cstring>
#include <vector>

#include "Image3DWnd.h"
#include "ImageWndLabel.h"
#include "LiveRangePages.h"
#include "Nuv3DPointBuffer.h"
#include "Nuv3DRegistry.h"
#include "RangeStreamer.h"

namespace {
struct Rss {
    double now = 0;
    double peak = 0;
};

Rss readRss() {
    QFile file(QStringLiteral("/proc/self/status"));
    Rss r;
    if (!file.open(QIODevice::ReadOnly)) return r;
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QList<QByteArray> parts = line.simplified().split(' ');
        if (parts.size() < 2) continue;
        if (parts[0] == "VmRSS:") r.now = parts[1].toDouble() / 1024.0;
        if (parts[0] == "VmHWM:") r.peak = parts[1].toDouble() / 1024.0;
    }
    return r;
}

double mib(size_t bytes) {
    return static_cast<double>(bytes) / (1024.0 * 1024.0);
}

void report(const char* point, Image3DWnd& view) {
    const Rss r = readRss();
    size_t points3D = 0;
    if (const auto buffer = Nuv3DRegistry::instance().buffer(view.window3D())) points3D = buffer->heldBytes();
    std::printf("%-22s %9.1f %9.1f %10.1f %9.1f %9.1f\n", point, r.now, r.peak,
                mib(view.streamer()->heldBytes()),
                mib(view.rangeLabel()->heldBytes() + view.greyLabel()->heldBytes()), mib(points3D));
    std::fflush(stdout);
}
}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    const int lines = argc > 1 ? std::atoi(argv[1]) : 50000;
    const int points = argc > 2 ? std::atoi(argv[2]) : 3200;
    const int bits = argc > 3 ? std::atoi(argv[3]) : 16;
    constexpr int kLinesPerBatch = 100;

    Image3DWnd view;
    view.resize(1000, 660);
    view.btn2DRangeImageShow->click();
    view.show();
    QCoreApplication::processEvents();
    std::printf("scan %d x %d, %d-bit; pane 1000 x 660\n\n", lines, points, bits);
    std::printf("%-22s %9s %9s %10s %9s %9s\n", "point", "RSS MiB", "peak MiB", "scan MiB", "pages MiB",
                "3D MiB");
    const Rss unbound = readRss();
    report("unbound", view);

    const RangeStreamer::Format format = RangeStreamer::formatFor(bits == 16 ? 0 : 1, 3200);
    const auto streamer = view.streamer();
    if (!streamer->prepare(lines, kLinesPerBatch, points, format, 0.01, 3)) {
        std::printf("scan refused\n");
        return 1;
    }
    report("prepared", view);
    // One batch of sloping heights with some gaps, written again for every batch.
    const size_t bpp = static_cast<size_t>(format.bytesPerPoint);
    std::vector<uint8_t> range(static_cast<size_t>(kLinesPerBatch) * points * bpp);
    std::vector<uint8_t> grey(static_cast<size_t>(kLinesPerBatch) * points);
    for (int y = 0; y < kLinesPerBatch; ++y) {
        for (int x = 0; x < points; ++x) {
            const size_t i = static_cast<size_t>(y) * points + x;
            const uint32_t raw = (x % 97 == 0)
                                     ? 0u
                                     : static_cast<uint32_t>(format.heightOffset +
                                                             (x - points / 2) * 0.01 / format.heightScale);
            std::memcpy(&range[i * bpp], &raw, bpp);
            grey[i] = static_cast<uint8_t>(x + y);
        }
    }
    const int batches = (lines + kLinesPerBatch - 1) / kLinesPerBatch;
    for (int b = 0; b < batches; ++b) {
        const int count = std::min(kLinesPerBatch, lines - b * kLinesPerBatch);
        const RangeStreamer::BatchShape shape{count, points, format.bytesPerPoint};
        streamer->writeBatch(1, b, shape, [&](const RangeStreamer::BatchBuffers& out) {
            std::memcpy(out.range, range.data(), static_cast<size_t>(count) * points * bpp);
            std::memcpy(out.grey, grey.data(), static_cast<size_t>(count) * points);
            return true;
        });
        view.onBatchArrived(range.data(), 1, b, b == batches - 1);
        // The pages grow as they do live (their timer's pace is the GUI's business, not this run's).
        if (b % 20 == 19) view.livePages()->redraw();
        QCoreApplication::processEvents();
        if (b == batches / 2) report("half streamed", view);
    }
    report("shown whole", view);
    const Rss whole = readRss();
    view.clearAll();
    QCoreApplication::processEvents();
    report("cleared", view);
    const Rss cleared = readRss();

    const double scanMiB = mib(static_cast<size_t>(lines) * points * (bpp + 1));
    const double cap3D = mib(Nuv3DPointBuffer::kMaxSlots * sizeof(Nuv3DPointBuffer::Vertex));
    const double budget = unbound.now + scanMiB + cap3D + 150.0;
    std::printf("\nraw samples + grey bytes %.1f MiB, capped 3D buffer %.1f MiB\n", scanMiB, cap3D);
    std::printf("peak %.1f MiB, budget (unbound + scan + 3D cap + 150) %.1f MiB: %s\n", whole.peak, budget,
                whole.peak <= budget ? "met" : "NOT met");
    std::printf("after clearing %.1f MiB, unbound %.1f MiB (goal within 50): %s\n", cleared.now, unbound.now,
                cleared.now <= unbound.now + 50.0 ? "met" : "NOT met");
    return 0;
}
