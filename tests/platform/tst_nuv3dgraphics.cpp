// SPDX-License-Identifier: Apache-2.0
// 3D window without OpenGL: every call stays safe, data keeps streaming into the point buffer,
// handles are checked; plus the conversion rules and the camera framing, which need no GL.
#include <QLabel>
#include <QtTest>
#include <cstring>
#include <functional>
#include <thread>

#include "Nuv3DAxes.h"
#include "Nuv3DCamera.h"
#include "Nuv3DGraphics.h"
#include "Nuv3DPointBuffer.h"
#include "Nuv3DRegistry.h"
#include "Nuv3DTestData.h"
#include "Nuv3DWindow.h"

using namespace Nuv3DTestData;
using Vertex = Nuv3DPointBuffer::Vertex;
using W = int64_t;
using Img = const uint16_t*;
// One call of the 3D window's interface on a window handle, its stream and an image.
using Call = std::function<int(W, int, Img)>;
Q_DECLARE_METATYPE(Call)

namespace {

// Copies the vertex array out of the buffer the way the view would upload it.
std::vector<Vertex> vertices(Nuv3DPointBuffer& buffer) {
    std::vector<Vertex> out;
    buffer.takeChanges(true, [&](const Vertex* v, size_t capacity, size_t first, size_t count, bool) {
        out.resize(capacity);
        std::copy(v, v + count, out.begin() + static_cast<std::ptrdiff_t>(first));
    });
    return out;
}

}  // namespace

class tst_Nuv3DGraphics : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        qputenv("NUV3D_DISABLE_OPENGL", "1");
        QVERIFY(!Nuv3DWindow::openGLAvailable());
    }

    void withoutOpenGLEveryCallIsSafeAndDataStreams() {
        QWidget parent;
        parent.resize(400, 300);
        parent.show();
        const int64_t h = NuvCreate3DWnd(asHandle(&parent));
        QVERIFY(h > 0);
        Nuv3DWindow* window = parent.findChild<Nuv3DWindow*>();
        QVERIFY(window);
        QCOMPARE(window->geometry(), parent.rect());
        QVERIFY(!window->view());
        // Windows are made on the GUI thread only.
        int64_t created = 0;
        std::thread([&] { created = NuvCreate3DWnd(asHandle(&parent)); }).join();
        QCOMPARE(created, int64_t(NUV3D_ERR_THREAD));
        auto* message = window->findChild<QLabel*>(QStringLiteral("nuv3DUnavailable"));
        QVERIFY(message && message->isVisible());
        QCOMPARE(message->text(), QStringLiteral("3D display unavailable: OpenGL could not be initialised"));

        QCOMPARE(NuvSet3DBackgroundColor(h, 55, 56, 58, 255), int(NUV3D_OK));
        QCOMPARE(NuvSet3DToolbarVisible(h, NUV3D_TOOL_FIT | NUV3D_TOOL_VIEWS, true), int(NUV3D_OK));
        QCOMPARE(NuvSet3DStatusBarLogLevel(h, NUV3D_LOG_INFO), int(NUV3D_OK));
        QCOMPARE(NuvMove3DWnd(h, 0, 0, 200, 100), int(NUV3D_OK));
        QCOMPARE(window->size(), QSize(200, 100));
        QCOMPARE(NuvSetSamplingRatio(h, 1), int(NUV3D_OK));
        const int points = 64, lines = 90;
        const std::vector<uint16_t> image = rampImage(points, lines);
        QCOMPARE(NuvAppendDataStream(h, 1, image.data(), nullptr, 2, 0, 3), int(NUV3D_ERR_STREAM));
        const int stream = setupRamp(h, points, lines);
        QVERIFY(stream > 0);

        // Data calls go straight through from another thread; view changes are queued to this one.
        int failures = 0;
        std::thread([&] {
            failures += NuvAppendDataStream(h, stream, image.data(), nullptr, 2, 0, lines - 1) != NUV3D_OK;
            failures += Nuv3DZoomFitWnd(h) != NUV3D_OK;
            failures += NuvSetPerspective(h, NUV3D_ORTHOGRAPHIC) != NUV3D_OK;
        }).join();
        QCOMPARE(failures, 0);
        QCOMPARE(NuvGetPointCount(h), int64_t(points) * lines);
        // After the queued view changes, a line arriving again reports the count.
        QCoreApplication::processEvents();
        QCOMPARE(NuvAppendDataStream(h, stream, image.data(), nullptr, 2, 0, 0), int(NUV3D_OK));
        QTRY_COMPARE(window->statusText(), QStringLiteral("%1 points").arg(points * lines));
        QVERIFY(message->isVisible());
        // Errors pass every log level, also from another thread; the debug level adds the rows.
        QCOMPARE(NuvSet3DStatusBarLogLevel(h, NUV3D_LOG_ERROR), 0);
        std::thread([&] { NuvAppendDataStream(h, stream, image.data(), nullptr, 2, 3, lines); }).join();
        QTRY_VERIFY(window->statusText().contains(QLatin1String("NuvAppendDataStream rejected")));
        QCOMPARE(NuvAppendDataStream(h, stream, image.data(), nullptr, 2, 0, 0), 0);
        QCoreApplication::processEvents();
        QVERIFY(window->statusText().contains(QLatin1String("rejected")));
        QCOMPARE(NuvSet3DStatusBarLogLevel(h, NUV3D_LOG_DEBUG), 0);
        QCOMPARE(NuvAppendDataStream(h, stream, image.data(), nullptr, 2, 0, 1), 0);
        QTRY_COMPARE(window->statusText(),
                     QStringLiteral("Rows 0 to 1 appended, %1 points").arg(points * lines));
        // Lines that arrive again replaced their points instead of adding to them.
        QCOMPARE(NuvGetPointCount(h), int64_t(points) * lines);

        // A late batch of an earlier scan must not land in the new one; a clear ends the stream.
        const int second = setupRamp(h, points, lines);
        QVERIFY(second > stream);
        QCOMPARE(NuvGetPointCount(h), int64_t(0));
        QCOMPARE(NuvAppendDataStream(h, stream, image.data(), nullptr, 2, 0, 3), int(NUV3D_ERR_STREAM));
        QCOMPARE(NuvAppendDataStream(h, second, image.data(), nullptr, 2, 0, 1), int(NUV3D_OK));
        QCOMPARE(NuvClearAllRangeImage(h), int(NUV3D_OK));
        QCOMPARE(NuvGetPointCount(h), int64_t(0));
        QCOMPARE(NuvAppendDataStream(h, second, image.data(), nullptr, 2, 2, 3), int(NUV3D_ERR_STREAM));
        QCOMPARE(NuvDestory3DWnd(h), int(NUV3D_OK));
        QVERIFY(!parent.findChild<Nuv3DWindow*>());
    }

    void sampleConversion_data() {
        QTest::addColumn<int>("bytesPerPoint");
        QTest::addColumn<uint>("raw");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<float>("height");
        QTest::addColumn<bool>("delivered");
        // 16-bit: offset 32768, scale 0.01, limits -5..5; 32-bit: offset 0x40000, scale 0.001, -100..100.
        QTest::newRow("16 zero is invalid") << 2 << 0u << false << 0.0f << false;
        QTest::newRow("16 at offset") << 2 << 32768u << true << 0.0f << false;
        QTest::newRow("16 positive") << 2 << 33068u << true << 3.0f << false;
        QTest::newRow("16 at maximum") << 2 << 33268u << true << 5.0f << false;
        QTest::newRow("16 above maximum") << 2 << 33269u << false << 0.0f << false;
        QTest::newRow("16 below minimum") << 2 << 32267u << false << 0.0f << false;
        QTest::newRow("16 delivered colour") << 2 << 33068u << true << 3.0f << true;
        QTest::newRow("16 delivered colour, invalid") << 2 << 0u << false << 0.0f << true;
        QTest::newRow("32 zero is invalid") << 4 << 0u << false << 0.0f << false;
        QTest::newRow("32 negative") << 4 << 0x40000u - 2500u << true << -2.5f << false;
        QTest::newRow("32 flag bits ignored")
            << 4 << (0x80000000u | (0x40000u + 1000u)) << true << 1.0f << false;
        QTest::newRow("32 overwritten invalid") << 4 << 0x80000000u << false << 0.0f << false;
        QTest::newRow("32 delivered colour") << 4 << 0x40000u - 2500u << true << -2.5f << true;
    }

    void sampleConversion() {
        QFETCH(int, bytesPerPoint);
        QFETCH(uint, raw);
        QFETCH(bool, valid);
        QFETCH(float, height);
        QFETCH(bool, delivered);
        Nuv3DPointBuffer buffer;
        Nuv3DRangeSetup s;
        s.bytesPerPoint = bytesPerPoint;
        s.pointsPerLine = 3;
        s.totalLines = 2;
        s.heightScale = bytesPerPoint == 2 ? 0.01 : 0.001;
        s.heightOffset = bytesPerPoint == 2 ? 32768.0 : double(0x40000);
        s.heightMin = bytesPerPoint == 2 ? -5.0f : -100.0f;
        s.heightMax = -s.heightMin;
        const int stream = buffer.setup(s);
        QVERIFY(stream > 0);
        // The sample under test sits in the middle of line 1, at an odd byte offset in the buffer
        // (little-endian: the sample is the low 2 or 4 bytes of raw).
        std::vector<uint8_t> bytes(1 + 3 * static_cast<size_t>(bytesPerPoint));
        std::memcpy(bytes.data() + 1 + bytesPerPoint, &raw, static_cast<size_t>(bytesPerPoint));
        // Delivered colours give the rgb; validity comes from the sample alone.
        const std::vector<NuvColor> colours(3, NuvColor(10, 20, 30, 0));
        QCOMPARE(buffer.append(stream, bytes.data() + 1, delivered ? colours.data() : nullptr, bytesPerPoint,
                               1, 1),
                 int(NUV3D_OK));
        QCOMPARE(buffer.pointCount(), int64_t(valid ? 1 : 0));
        const Vertex v = vertices(buffer).at(3 + 1);
        QCOMPARE(v.rgba[3] != 0, valid);
        if (delivered && valid) {
            QCOMPARE(QColor(v.rgba[0], v.rgba[1], v.rgba[2]), QColor(10, 20, 30));
        }
        if (valid) {
            QVERIFY(qAbs(v.z - height) < 1e-4f);
            QCOMPARE(v.x, 1.0f);
            QCOMPARE(v.y, 1.0f);
            // The only valid point spans the bounds' heights on its own.
            QCOMPARE(buffer.bounds().min.z(), v.z);
            QCOMPARE(buffer.bounds().max.z(), v.z);
        }
    }

    void placementAndSampling_data() {
        QTest::addColumn<int>("ratio");
        QTest::addColumn<int>("points");
        QTest::addColumn<int>("lines");
        QTest::newRow("all points") << 1 << 40 << 30;
        QTest::newRow("every second") << 2 << 40 << 30;
        QTest::newRow("uneven remainder") << 3 << 41 << 31;
        QTest::newRow("ratio beyond size") << 50 << 40 << 30;
    }

    void placementAndSampling() {
        QFETCH(int, ratio);
        QFETCH(int, points);
        QFETCH(int, lines);
        QWidget parent;
        const int64_t h = NuvCreate3DWnd(asHandle(&parent));
        QCOMPARE(NuvSetSamplingRatio(h, ratio), int(NUV3D_OK));
        const int stream = NuvInitialRangeImage(h, 2, points, lines, 0.5, 10.0, 0.25, -1.0, kScale, kOffset,
                                                kMin, kMax, NUV3D_MODE_BRIGHTNESS);
        QVERIFY(stream > 0);
        const std::vector<uint16_t> image = rampImage(points, lines);
        std::vector<uint8_t> grey(image.size());
        for (size_t i = 0; i < grey.size(); ++i)
            grey[i] = static_cast<uint8_t>(i % 251);
        // Lines arrive in two batches whose border is not a multiple of the ratio.
        const int split = lines / 2 + 1;
        QCOMPARE(NuvAppendDataStream(h, stream, image.data(), grey.data(), 2, 0, split - 1), int(NUV3D_OK));
        QCOMPARE(NuvAppendDataStream(h, stream, image.data() + static_cast<size_t>(split) * points,
                                     grey.data() + static_cast<size_t>(split) * points, 2, split, lines - 1),
                 int(NUV3D_OK));
        const int keptPoints = (points + ratio - 1) / ratio;
        const int keptLines = (lines + ratio - 1) / ratio;
        QCOMPARE(NuvGetPointCount(h), int64_t(keptPoints) * keptLines);

        const auto buffer = Nuv3DRegistry::instance().buffer(h);
        const std::vector<Vertex> v = vertices(*buffer);
        QCOMPARE(v.size(), size_t(keptPoints) * keptLines);
        const int lastLine = (keptLines - 1) * ratio;
        const int lastPoint = (keptPoints - 1) * ratio;
        const Vertex& corner = v.back();
        QCOMPARE(corner.x, float(10.0 + lastPoint * 0.5));
        QCOMPARE(corner.y, float(-1.0 + lastLine * 0.25));
        const uint8_t expectedGrey = grey[static_cast<size_t>(lastLine) * points + lastPoint];
        QCOMPARE(corner.rgba[0], expectedGrey);
        QCOMPARE(corner.rgba[2], expectedGrey);
        const Nuv3DPointBuffer::Bounds b = buffer->bounds();
        QVERIFY(b.valid);
        QCOMPARE(b.max.x(), corner.x);
        QCOMPARE(b.min.z(), -4.0f);
        QCOMPARE(NuvDestory3DWnd(h), int(NUV3D_OK));
    }

    // A caller that falls behind thins the lines; the scan stays covered from its first line to its
    // last with no gap above the thinning, and the status line says so whatever the log level. Once
    // thinning ends, every line that arrives is shown again and the status line says nothing more.
    void thinnedLinesStillCoverTheScan_data() {
        QTest::addColumn<int>("thinning");
        QTest::addColumn<int>("lines");
        QTest::addColumn<int>("batch");
        QTest::newRow("every 4th, batches of 10") << 4 << 90 << 10;
        QTest::newRow("every 3rd, last line off the grid") << 3 << 101 << 7;
        QTest::newRow("every 16th, one batch") << 16 << 50 << 50;
        QTest::newRow("every line") << 1 << 20 << 5;
    }

    void thinnedLinesStillCoverTheScan() {
        QFETCH(int, thinning);
        QFETCH(int, lines);
        QFETCH(int, batch);
        QWidget parent;
        parent.resize(300, 200);
        parent.show();
        const int64_t h = NuvCreate3DWnd(asHandle(&parent));
        Nuv3DWindow* window = Nuv3DRegistry::instance().window(h);
        QVERIFY(window);
        QCOMPARE(NuvSet3DStatusBarLogLevel(h, NUV3D_LOG_ERROR), int(NUV3D_OK));
        const int points = 8;
        const int stream = setupRamp(h, points, lines);
        QVERIFY(stream > 0);
        QCOMPARE(NuvSetLineThinning(h, 0), int(NUV3D_ERR_ARG));
        QCOMPARE(NuvSetLineThinning(h, thinning), int(NUV3D_OK));
        const std::vector<uint16_t> image = rampImage(points, lines);
        for (int first = 0; first < lines; first += batch) {
            const int last = std::min(lines, first + batch) - 1;
            QCOMPARE(NuvAppendDataStream(h, stream, image.data() + static_cast<size_t>(first) * points,
                                         nullptr, 2, first, last),
                     int(NUV3D_OK));
        }
        const std::vector<Vertex> v = vertices(*Nuv3DRegistry::instance().buffer(h));
        QVector<int> shown;
        for (int line = 0; line < lines; ++line) {
            if (v[static_cast<size_t>(line) * points].rgba[3] != 0) shown.append(line);
        }
        QVERIFY(!shown.isEmpty());
        QCOMPARE(shown.first(), 0);
        QCOMPARE(shown.last(), lines - 1);
        for (int i = 1; i < shown.size(); ++i)
            QVERIFY2(shown[i] - shown[i - 1] <= thinning, qPrintable(QString::number(shown[i])));
        QCOMPARE(NuvGetPointCount(h), int64_t(shown.size()) * points);
        if (thinning > 1) {
            QVERIFY(shown.size() < lines);
            QTRY_COMPARE(window->statusText(),
                         QStringLiteral("%1 points; 1 line in %2 shown to keep up with the scan")
                             .arg(shown.size() * points)
                             .arg(thinning));
        }
        // Caught up: the lines that arrive now are all shown, and the warning goes.
        QCOMPARE(NuvSetLineThinning(h, 1), int(NUV3D_OK));
        QCOMPARE(NuvAppendDataStream(h, stream, image.data(), nullptr, 2, 0, lines - 1), int(NUV3D_OK));
        QCOMPARE(NuvGetPointCount(h), int64_t(points) * lines);
        if (thinning > 1) QTRY_VERIFY(window->statusText().isEmpty());
        QCOMPARE(NuvDestory3DWnd(h), int(NUV3D_OK));
    }

    void largeScansStayWithinTheBudget_data() {
        QTest::addColumn<int>("lines");
        QTest::addColumn<int>("ratio");
        QTest::addColumn<int>("kept");
        QTest::newRow("small scan keeps every point") << 1000 << 1 << 1;
        QTest::newRow("21000 lines") << 21000 << 1 << 2;
        QTest::newRow("camera maximum of 50000 lines") << 50000 << 1 << 3;
        QTest::newRow("asked ratio already fits") << 50000 << 4 << 4;
    }

    void largeScansStayWithinTheBudget() {
        QFETCH(int, lines);
        QFETCH(int, ratio);
        QFETCH(int, kept);
        const int points = 3200, batch = 100;
        QWidget parent;
        const int64_t h = NuvCreate3DWnd(asHandle(&parent));
        QCOMPARE(NuvSetSamplingRatio(h, ratio), int(NUV3D_OK));
        const int stream = setupRamp(h, points, lines);
        QVERIFY(stream > 0);
        Nuv3DPointBuffer& buffer = *Nuv3DRegistry::instance().buffer(h);
        QCOMPARE(buffer.effectiveSamplingRatio(), kept);
        // Memory follows the lines that arrived, up to the budget for the whole scan.
        const std::vector<uint16_t> image = rampImage(points, batch);
        QCOMPARE(buffer.append(stream, image.data(), nullptr, 2, 0, batch - 1), int(NUV3D_OK));
        QVERIFY2(buffer.heldBytes() < (size_t(16) << 20), qPrintable(QString::number(buffer.heldBytes())));
        QCOMPARE(buffer.append(stream, image.data(), nullptr, 2, lines - batch, lines - 1), int(NUV3D_OK));
        QVERIFY(buffer.heldBytes() <= Nuv3DPointBuffer::kMaxSlots * sizeof(Vertex) + (size_t(4) << 20));
        const int64_t columns = (points + kept - 1) / kept;
        const int64_t rows = 2 * ((batch + kept - 1) / kept);
        QVERIFY(qAbs(buffer.pointCount() - columns * rows) <= columns);
        QCOMPARE(NuvClearAllRangeImage(h), int(NUV3D_OK));
        QCOMPARE(buffer.heldBytes(), size_t(0));
        QCOMPARE(NuvDestory3DWnd(h), int(NUV3D_OK));
    }

    void rejectedInput_data() {
        QTest::addColumn<Call>("call");
        QTest::addColumn<int>("expected");
        const auto row = [](const char* name, int expected, Call call) {
            QTest::newRow(name) << call << expected;
        };
        // Each call gets a window with a stream of 8 x 4 points (h, stream) and that image.
        const int arg = NUV3D_ERR_ARG;
        row("append wrong bytes per point", arg,
            [](W h, int s, Img i) { return NuvAppendDataStream(h, s, i, nullptr, 4, 0, 0); });
        row("append null range data", arg,
            [](W h, int s, Img) { return NuvAppendDataStream(h, s, nullptr, nullptr, 2, 0, 0); });
        row("append last row beyond image", arg,
            [](W h, int s, Img i) { return NuvAppendDataStream(h, s, i, nullptr, 2, 3, 4); });
        row("append negative first row", arg,
            [](W h, int s, Img i) { return NuvAppendDataStream(h, s, i, nullptr, 2, -1, 1); });
        row("append rows reversed", arg,
            [](W h, int s, Img i) { return NuvAppendDataStream(h, s, i, nullptr, 2, 2, 1); });
        row("append unknown stream", NUV3D_ERR_STREAM,
            [](W h, int s, Img i) { return NuvAppendDataStream(h, s + 7, i, nullptr, 2, 0, 0); });
        row("setup 3 bytes per point", arg,
            [](W h, int, Img) { return NuvInitialRangeImage(h, 3, 8, 4, 1, 0, 1, 0, 1, 0, -1, 1, 3); });
        row("setup no points", arg,
            [](W h, int, Img) { return NuvInitialRangeImage(h, 2, 0, 4, 1, 0, 1, 0, 1, 0, -1, 1, 3); });
        row("setup minimum above maximum", arg,
            [](W h, int, Img) { return NuvInitialRangeImage(h, 2, 8, 4, 1, 0, 1, 0, 1, 0, 2, 1, 3); });
        row("setup NaN interval", arg,
            [](W h, int, Img) { return NuvInitialRangeImage(h, 2, 8, 4, qQNaN(), 0, 1, 0, 1, 0, -1, 1, 3); });
        row("setup display mode 2", arg,
            [](W h, int, Img) { return NuvInitialRangeImage(h, 2, 8, 4, 1, 0, 1, 0, 1, 0, -1, 1, 2); });
        row("setup beyond any sampling ratio", NUV3D_ERR_MEMORY, [](W h, int, Img) {
            return NuvInitialRangeImage(h, 2, 1 << 30, 1 << 30, 1, 0, 1, 0, 1, 0, -1, 1, 3);
        });
        row("sampling ratio 0", arg, [](W h, int, Img) { return NuvSetSamplingRatio(h, 0); });
        row("sampling ratio 2000", arg, [](W h, int, Img) { return NuvSetSamplingRatio(h, 2000); });
        row("toolbar unknown bit", arg,
            [](W h, int, Img) { return NuvSet3DToolbarVisible(h, NUV3D_TOOL_FIT | 0x1u, true); });
        row("log level 3", arg, [](W h, int, Img) { return NuvSet3DStatusBarLogLevel(h, 3); });
        row("projection 2", arg, [](W h, int, Img) { return NuvSetPerspective(h, 2); });
        row("background 256", arg, [](W h, int, Img) { return NuvSet3DBackgroundColor(h, 0, 256, 0, 255); });
        row("move negative size", arg, [](W h, int, Img) { return NuvMove3DWnd(h, 0, 0, -1, 10); });
    }

    void rejectedInput() {
        QFETCH(Call, call);
        QFETCH(int, expected);
        QWidget parent;
        const int64_t h = NuvCreate3DWnd(asHandle(&parent));
        const int stream = setupRamp(h, 8, 4);
        const std::vector<uint16_t> image = rampImage(8, 4);
        QCOMPARE(call(h, stream, image.data()), expected);
        // A rejected call changes nothing: the stream still takes the whole image.
        if (!QByteArray(QTest::currentDataTag()).startsWith("setup")) {
            QCOMPARE(NuvAppendDataStream(h, stream, image.data(), nullptr, 2, 0, 3), int(NUV3D_OK));
            QCOMPARE(NuvGetPointCount(h), int64_t(32));
        }
        QCOMPARE(NuvDestory3DWnd(h), int(NUV3D_OK));
    }

    void goneHandleOrWidget_data() {
        QTest::addColumn<QString>("gone");
        QTest::newRow("destroyed handle") << "handle";
        QTest::newRow("destroyed from another thread") << "thread";
        QTest::newRow("handle 0") << "0";
        QTest::newRow("negative handle") << "-3";
        QTest::newRow("largest handle") << "max";
        QTest::newRow("parent deleted") << "parent";
    }

    void goneHandleOrWidget() {
        QFETCH(QString, gone);
        // The widget went with its parent; the data side stays usable until the handle is destroyed.
        const bool dataStays = gone == "parent";
        auto* parent = new QWidget;
        const int64_t h = NuvCreate3DWnd(asHandle(parent));
        const int stream = setupRamp(h, 8, 4);
        int64_t bad = h;
        if (gone == "handle") QCOMPARE(NuvDestory3DWnd(h), int(NUV3D_OK));
        if (gone == "thread") {
            int destroyed = -99;
            std::thread([&] { destroyed = NuvDestory3DWnd(h); }).join();
            QCOMPARE(destroyed, int(NUV3D_OK));
            QTRY_VERIFY(!parent->findChild<Nuv3DWindow*>());
        }
        if (gone == "0" || gone == "-3") bad = gone.toLongLong();
        if (gone == "max") bad = std::numeric_limits<int64_t>::max();
        if (gone == "parent") delete parent;
        const std::vector<uint16_t> image = rampImage(8, 4);
        QCOMPARE(NuvMove3DWnd(bad, 0, 0, 10, 10), int(NUV3D_ERR_HANDLE));
        QCOMPARE(NuvSet3DBackgroundColor(bad, 1, 2, 3, 4), int(NUV3D_ERR_HANDLE));
        QCOMPARE(NuvSet3DToolbarVisible(bad, NUV3D_TOOL_FIT, false), int(NUV3D_ERR_HANDLE));
        QCOMPARE(NuvSet3DStatusBarLogLevel(bad, 0), int(NUV3D_ERR_HANDLE));
        QCOMPARE(Nuv3DZoomFitWnd(bad), int(NUV3D_ERR_HANDLE));
        QCOMPARE(NuvSetPerspective(bad, 0), int(NUV3D_ERR_HANDLE));
        const int data = dataStays ? int(NUV3D_OK) : int(NUV3D_ERR_HANDLE);
        QCOMPARE(NuvAppendDataStream(bad, stream, image.data(), nullptr, 2, 0, 3), data);
        QCOMPARE(NuvGetPointCount(bad), dataStays ? int64_t(32) : int64_t(NUV3D_ERR_HANDLE));
        QCOMPARE(NuvSetSamplingRatio(bad, 1), data);
        QCOMPARE(NuvClearAllRangeImage(bad), data);
        QCOMPARE(setupRamp(bad, 8, 4) > 0, dataStays);
        QCOMPARE(NuvDestory3DWnd(bad), data);
        QCOMPARE(NuvDestory3DWnd(h), bad == h ? int(NUV3D_ERR_HANDLE) : int(NUV3D_OK));
        if (gone != "parent") delete parent;
        // A new window never takes over an old number.
        QWidget other;
        const int64_t next = NuvCreate3DWnd(asHandle(&other));
        QVERIFY(next > h);
        QCOMPARE(NuvDestory3DWnd(next), int(NUV3D_OK));
    }

    void queuedCallsFromAnotherThread_data() {
        QTest::addColumn<QString>("then");
        QTest::newRow("taken by the GUI thread") << "run";
        QTest::newRow("handle destroyed first") << "handle";
        QTest::newRow("window gone with its parent first") << "parent";
    }

    // Window calls from another thread wait for the GUI thread and run there in call order; calls
    // whose window went before the GUI thread took them are dropped.
    void queuedCallsFromAnotherThread() {
        QFETCH(QString, then);
        auto* parent = new QWidget;
        parent->resize(400, 300);
        const int64_t h = NuvCreate3DWnd(asHandle(parent));
        Nuv3DWindow* window = parent->findChild<Nuv3DWindow*>();
        QVERIFY(window);
        constexpr int kCalls = 200;
        int failures = 0;
        std::thread([&] {
            for (int i = 0; i < kCalls; ++i)
                failures += NuvMove3DWnd(h, i, 0, 100 + i, 50) != NUV3D_OK;
        }).join();
        QCOMPARE(failures, 0);
        QCOMPARE(window->geometry(), parent->rect());
        if (then == "handle") QCOMPARE(NuvDestory3DWnd(h), int(NUV3D_OK));
        if (then == "parent") {
            delete parent;
            parent = nullptr;
        }
        QCoreApplication::processEvents();
        if (then == "run") {
            QCOMPARE(window->geometry(), QRect(kCalls - 1, 0, 100 + kCalls - 1, 50));
        } else if (parent) {
            QVERIFY(!parent->findChild<Nuv3DWindow*>());
        }
        if (then != "handle") QCOMPARE(NuvDestory3DWnd(h), int(NUV3D_OK));
        delete parent;
    }

    void toolbarItems_data() {
        QTest::addColumn<uint>("item");
        QTest::addColumn<QStringList>("widgets");
        QTest::newRow("fit") << uint(NUV3D_TOOL_FIT) << QStringList{"btn3DFit"};
        QTest::newRow("projection") << uint(NUV3D_TOOL_PROJECTION) << QStringList{"btn3DOrthographic"};
        QTest::newRow("views") << uint(NUV3D_TOOL_VIEWS)
                               << QStringList{"btn3DTop", "btn3DFront", "btn3DSide"};
        QTest::newRow("colour mode") << uint(NUV3D_TOOL_COLOUR_MODE) << QStringList{"btn3DHeightColours"};
        QTest::newRow("point size") << uint(NUV3D_TOOL_POINT_SIZE) << QStringList{"spinBox3DPointSize"};
        QTest::newRow("status line") << uint(NUV3D_TOOL_STATUS_LINE) << QStringList{"nuv3DStatusLine"};
    }

    void toolbarItems() {
        QFETCH(uint, item);
        QFETCH(QStringList, widgets);
        QWidget parent;
        parent.show();
        const int64_t h = NuvCreate3DWnd(asHandle(&parent));
        Nuv3DWindow* window = parent.findChild<Nuv3DWindow*>();
        QWidget* bar = window->findChild<QWidget*>(QStringLiteral("nuv3DToolBar"));
        const auto shown = [&](const QString& name) {
            return window->findChild<QWidget*>(name)->isVisibleTo(window);
        };
        // The host's set-up: four items shown, point size and status line hidden.
        QCOMPARE(NuvSet3DToolbarVisible(h, NUV3D_TOOL_FIT | NUV3D_TOOL_PROJECTION | NUV3D_TOOL_VIEWS, true),
                 0);
        QCOMPARE(NuvSet3DToolbarVisible(h, NUV3D_TOOL_COLOUR_MODE, true), 0);
        QCOMPARE(NuvSet3DToolbarVisible(h, NUV3D_TOOL_POINT_SIZE | NUV3D_TOOL_STATUS_LINE, false), 0);
        const bool initiallyShown = item != NUV3D_TOOL_POINT_SIZE && item != NUV3D_TOOL_STATUS_LINE;
        for (const QString& name : widgets) {
            QCOMPARE(shown(name), initiallyShown);
        }
        QCOMPARE(NuvSet3DToolbarVisible(h, item, !initiallyShown), 0);
        for (const QString& name : widgets) {
            QCOMPARE(shown(name), !initiallyShown);
        }
        // Hiding every item hides the bar itself.
        QCOMPARE(NuvSet3DToolbarVisible(h, NUV3D_TOOL_ALL, false), 0);
        QVERIFY(!bar->isVisibleTo(window));
        QCOMPARE(NuvDestory3DWnd(h), 0);
    }

    void destroyWhileWorkersAppend() {
        QWidget parent;
        parent.show();
        const int64_t h = NuvCreate3DWnd(asHandle(&parent));
        const std::vector<uint16_t> image = rampImage(32, 200);
        LoopingAppenders workers(h, setupRamp(h, 32, 200), image, 32, true);
        QTRY_VERIFY(NuvGetPointCount(h) > 32 * 20);
        QCOMPARE(NuvDestory3DWnd(h), int(NUV3D_OK));
        QCOMPARE(workers.join(), 0);
        QCoreApplication::processEvents();  // queued calls to the deleted window are dropped
        QVERIFY(!parent.findChild<Nuv3DWindow*>());
    }

    void axisLabelsKeepApart_data() {
        QTest::addColumn<int>("preset");
        QTest::addColumn<QVector3D>("high");
        // Scans from the origin: a flat one (a conveyor with nothing on it), a short one, a tall box.
        QTest::newRow("flat scan") << int(Nuv3DCamera::Preset::Default) << QVector3D(28.8f, 20.0f, 0.002f);
        QTest::newRow("flat scan, front")
            << int(Nuv3DCamera::Preset::Front) << QVector3D(28.8f, 20.0f, 0.002f);
        QTest::newRow("few lines") << int(Nuv3DCamera::Preset::Default) << QVector3D(28.8f, 0.01f, 6.0f);
        QTest::newRow("box") << int(Nuv3DCamera::Preset::Default) << QVector3D(28.8f, 20.0f, 9.0f);
    }

    void axisLabelsKeepApart() {
        QFETCH(int, preset);
        QFETCH(QVector3D, high);
        const QVector3D low(0.0f, 0.0f, 0.0f);
        Nuv3DCamera camera;
        const QSize size(800, 500);
        camera.setViewport(size.width(), size.height());
        camera.setPreset(static_cast<Nuv3DCamera::Preset>(preset));
        camera.fit(low, high);
        QFont font;
        font.setPointSizeF(8.0);
        const QVector<Nuv3DAxes::Label> labels = Nuv3DAxes::placeLabels(
            low, high, camera.viewProjection(), size, QFontMetricsF(font), {"X (mm)", "Y (mm)", "Z (mm)"}, 7);
        for (int i = 0; i < labels.size(); ++i) {
            for (int j = i + 1; j < labels.size(); ++j)
                QVERIFY2(!labels[i].rect.intersects(labels[j].rect),
                         qPrintable(labels[i].text + " over " + labels[j].text));
        }
        // The long x axis keeps its name and a scale to read.
        int xTicks = 0;
        bool xName = false;
        for (const Nuv3DAxes::Label& l : labels) {
            xTicks += l.axis == 0 && !l.name;
            xName = xName || (l.axis == 0 && l.name);
        }
        QVERIFY(xName);
        QVERIFY(xTicks >= 2);
    }

    void fitFramesTheBox_data() {
        QTest::addColumn<int>("preset");
        QTest::addColumn<bool>("orthographic");
        QTest::addColumn<QSize>("viewport");
        const QList<QPair<const char*, Nuv3DCamera::Preset>> presets = {
            {"default", Nuv3DCamera::Preset::Default},
            {"top", Nuv3DCamera::Preset::Top},
            {"front", Nuv3DCamera::Preset::Front},
            {"side", Nuv3DCamera::Preset::Side}};
        for (const auto& p : presets) {
            for (const bool ortho : {false, true}) {
                for (const QSize size : {QSize(800, 400), QSize(300, 900)}) {
                    QTest::addRow("%s %s %dx%d", p.first, ortho ? "ortho" : "persp", size.width(),
                                  size.height())
                        << int(p.second) << ortho << size;
                }
            }
        }
    }

    void fitFramesTheBox() {
        QFETCH(int, preset);
        QFETCH(bool, orthographic);
        QFETCH(QSize, viewport);
        // A scan-like box: wide in x, long in y, flat in z.
        const QVector3D lo(0.0f, 0.0f, -4.0f), hi(28.8f, 2.0f, 4.0f);
        Nuv3DCamera camera;
        camera.setViewport(viewport.width(), viewport.height());
        camera.setOrthographic(orthographic);
        camera.setPreset(static_cast<Nuv3DCamera::Preset>(preset));
        camera.fit(lo, hi);
        const QMatrix4x4 vp = camera.viewProjection();
        for (int corner = 0; corner < 8; ++corner) {
            const QVector3D p(corner & 1 ? hi.x() : lo.x(), corner & 2 ? hi.y() : lo.y(),
                              corner & 4 ? hi.z() : lo.z());
            const QVector3D ndc = vp.map(p);
            const float reach = std::max({qAbs(ndc.x()), qAbs(ndc.y()), qAbs(ndc.z())});
            QVERIFY2(reach <= 1.0f,
                     qPrintable(QStringLiteral("corner %1 reaches %2").arg(corner).arg(reach)));
        }
        // Gestures move the camera and keep the view usable.
        const float distance = camera.distance();
        camera.zoom(2.0f);
        QVERIFY(camera.distance() < distance);
        const QVector3D target = camera.target();
        camera.pan(10.0f, 0.0f);
        QVERIFY(camera.target() != target);
        camera.orbit(0.0f, 1000.0f);
        QCOMPARE(camera.pitch(), 90.0f);
        QVERIFY(!qIsNaN(camera.viewProjection()(0, 0)));
    }
};

QTEST_MAIN(tst_Nuv3DGraphics)
#include "tst_nuv3dgraphics.moc"
