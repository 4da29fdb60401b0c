// Grey statistics and their worker thread: results, clamping, bad input, bounded queue and pacing.
#include <QSignalSpy>
#include <QtTest>
#include <cmath>
#include <cstring>
#include <functional>
#include <numeric>

#include "CalculateGreyThread.h"
#include "GreyStatistics.h"

using Region = GreyStatistics::Region;
using Series = GreyStatistics::Series;
using Stats = QVector<double>;  // min, max, average, deviation
Q_DECLARE_METATYPE(Region)
Q_DECLARE_METATYPE(QImage::Format)

namespace {
QImage grey(int w, int h, std::function<int(int, int)> value, QImage::Format f = QImage::Format_Grayscale8) {
    QImage img(w, h, f);
    // Padding bytes get a value no pixel has, so reading them would show in the results.
    std::memset(img.bits(), 200, size_t(img.sizeInBytes()));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (f == QImage::Format_Grayscale16) {
                reinterpret_cast<quint16*>(img.scanLine(y))[x] = quint16(value(x, y));
            } else {
                img.scanLine(y)[x] = uchar(value(x, y));
            }
        }
    return img;
}

QImage colour(int w, int h, QImage::Format f, uchar r, uchar g, uchar b) {
    QImage img(w, h, f);
    std::memset(img.bits(), 200, size_t(img.sizeInBytes()));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixelColor(x, y, QColor(r, g, b));
    return img;
}

Region whole(const QImage& img) {
    return {0, uint32_t(img.width()), 0, uint32_t(img.height())};
}

double count(const Series& s, double x) {
    const int i = s[0].indexOf(x);
    return i < 0 ? -1.0 : s[1][i];
}
}  // namespace

class TestGreyStatistics : public QObject {
    Q_OBJECT
private slots:
    void statistics_data() {
        QTest::addColumn<QImage>("image");
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("position");
        QTest::addColumn<Region>("region");
        QTest::addColumn<Stats>("expected");
        QTest::addColumn<int>("points");
        QTest::addColumn<double>("pixels");  // counted by the histogram

        const QImage seven = grey(13, 5, [](int, int) { return 7; });
        const QImage zeroThree = grey(10, 4, [](int x, int) { return x % 2 ? 3 : 0; });
        const QImage ramp = grey(9, 7, [](int x, int y) { return x * 10 + y; });
        QTest::newRow("constant 7") << seven << 0 << 0 << whole(seven) << Stats{7, 7, 7, 0} << 256 << 65.0;
        QTest::newRow("0 and 3: floor average, sqrt 2.5")
            << zeroThree << 0 << 0 << whole(zeroThree) << Stats{0, 3, 1, std::sqrt(2.5)} << 256 << 40.0;
        QTest::newRow("region wider than image clamps")
            << ramp << 0 << 0 << Region{5, 1000, 0, 7} << Stats{50, 86, 68, std::sqrt(129.0)} << 256 << 28.0;
        QTest::newRow("start beyond image becomes 0")
            << ramp << 0 << 0 << Region{50, 1, 60, 1} << Stats{0, 0, 0, 0} << 256 << 1.0;
        QTest::newRow("line profile row 3")
            << ramp << 1 << 3 << whole(ramp) << Stats{3, 83, 43, 0} << 9 << 0.0;
        QTest::newRow("column profile column 2")
            << ramp << 2 << 2 << whole(ramp) << Stats{20, 26, 23, 0} << 7 << 0.0;
        // Over 5 million pixels the squared deviations sum far beyond 32 bits.
        const QImage halves = grey(2448, 2048, [](int x, int) { return x < 1224 ? 0 : 255; });
        const double spread = std::sqrt((127.0 * 127.0 + 128.0 * 128.0) / 2.0);
        QTest::newRow("half 0, half 255 over 2448 x 2048")
            << halves << 0 << 0 << whole(halves) << Stats{0, 255, 127, spread} << 256 << 2448.0 * 2048;
    }

    void statistics() {
        QFETCH(QImage, image);
        QFETCH(int, mode);
        QFETCH(int, position);
        QFETCH(Region, region);
        QFETCH(Stats, expected);
        GreyStatistics::Result r;
        QVERIFY(GreyStatistics::compute(image, mode, position, position, region, &r));
        QVERIFY(r.green.isEmpty() && r.blue.isEmpty());
        QCOMPARE(r.calResult.size(), 1);
        for (int i = 0; i < 4; ++i)
            QVERIFY2(qFuzzyCompare(1 + r.calResult[0][i], 1 + expected[i]), qPrintable(QString::number(i)));
        QTEST(r.red[0].size(), "points");
        if (mode == 0) {
            // Padding (value 200) is never counted, and all pixels of the region are.
            QCOMPARE(count(r.red, 200), 0.0);
            QTEST(std::accumulate(r.red[1].begin(), r.red[1].end(), 0.0), "pixels");
            // A constant region fills one bin.
            if (expected[0] == expected[1]) QTEST(count(r.red, expected[0]), "pixels");
        }
    }

    void failures_data() {
        QTest::addColumn<QImage>("image");
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("position");
        QTest::addColumn<Region>("region");
        QTest::addColumn<bool>("ok");
        const QImage img = grey(8, 6, [](int x, int) { return x; });
        QTest::newRow("null image") << QImage() << 0 << 0 << Region{0, 8, 0, 6} << false;
        for (int mode : {0, 1, 2}) {
            QTest::newRow(qPrintable(QStringLiteral("zero width, mode %1").arg(mode)))
                << img << mode << 0 << Region{4, 4, 0, 6} << false;
        }
        QTest::newRow("zero height") << img << 0 << 0 << Region{0, 8, 6, 6} << false;
        QTest::newRow("line below image") << img << 1 << 6 << Region{0, 8, 0, 6} << false;
        QTest::newRow("negative line") << img << 1 << -1 << Region{0, 8, 0, 6} << false;
        QTest::newRow("column right of image") << img << 2 << 8 << Region{0, 8, 0, 6} << false;
        QTest::newRow("unknown mode") << img << 3 << 0 << Region{0, 8, 0, 6} << false;
        QImage argb(8, 6, QImage::Format_ARGB32);
        argb.fill(Qt::red);
        QTest::newRow("32-bit: empty results") << argb << 0 << 0 << Region{0, 8, 0, 6} << true;
    }

    void failures() {
        QFETCH(QImage, image);
        QFETCH(int, mode);
        QFETCH(int, position);
        QFETCH(Region, region);
        GreyStatistics::Result r;
        QTEST(GreyStatistics::compute(image, mode, position, position, region, &r), "ok");
        QVERIFY(r.red.isEmpty() && r.green.isEmpty() && r.blue.isEmpty() && r.calResult.isEmpty());
    }

    void colourChannelsByName_data() {
        QTest::addColumn<QImage::Format>("format");
        QTest::newRow("RGB888") << QImage::Format_RGB888;
        QTest::newRow("BGR888") << QImage::Format_BGR888;
    }

    void colourChannelsByName() {
        QFETCH(QImage::Format, format);
        const QImage img = colour(7, 3, format, 10, 20, 30);  // 21-byte rows are padded to 24
        for (int mode : {0, 1, 2}) {
            GreyStatistics::Result r;
            QVERIFY(GreyStatistics::compute(img, mode, 1, 1, whole(img), &r));
            QCOMPARE(r.calResult.size(), 3);
            const Series* series[3] = {&r.red, &r.green, &r.blue};
            for (int c = 0; c < 3; ++c) {
                const double v = 10.0 * (c + 1);
                QCOMPARE(r.calResult[c], (Stats{v, v, v, 0}));
                if (mode == 0) QCOMPARE(count(*series[c], v), 21.0);
            }
        }
    }

    void sixteenBitBinning() {
        const QImage img = grey(
            10, 3, [](int x, int) { return x < 5 ? 1000 : 3000; }, QImage::Format_Grayscale16);
        GreyStatistics::Result r;
        QVERIFY(GreyStatistics::compute(img, 0, 0, 0, whole(img), &r));
        QCOMPARE(r.calResult[0], (Stats{1000, 3000, 2000, 1000}));
        // 2000 values apart need bins of 8: the first starts at 1000.
        QCOMPARE(r.red[0].first(), 1000.0);
        QCOMPARE(r.red[0][1] - r.red[0][0], 8.0);
        QCOMPARE(count(r.red, 1000), 15.0);
        QCOMPARE(count(r.red, 3000), 15.0);
        QVERIFY(GreyStatistics::compute(img, 1, 2, 0, whole(img), &r));
        QCOMPARE(r.red[1][9], 3000.0);
    }

    void queueKeepsTwoNewestAndStopEndsWorker() {
        CalculateGreyThread t;
        t.start();
        t.resume();
        t.pause();
        QImage img(4, 4, QImage::Format_Grayscale8);
        for (int i = 0; i < 5; ++i)
            t.addImage(img);
        QCOMPARE(t.queuedImages(), 2);
        t.resume();  // drops what was queued
        QCOMPARE(t.queuedImages(), 0);
        t.addImage(img);
        t.stop();
        QVERIFY(t.isFinished());
    }

    void resultsWaitForTheReceiver() {
        CalculateGreyThread t;
        t.setMinimumInterval(0);
        QSignalSpy spy(&t, &CalculateGreyThread::calculateFinish);
        t.setROI(0, 6, 0, 2);
        t.start();
        const QImage img = grey(6, 2, [](int x, int y) { return x + 10 * y; });
        for (int i = 0; i < 20; ++i)
            t.addImage(img);
        QTRY_COMPARE(spy.count(), 1);
        QVERIFY(!spy.wait(50));  // nothing more until the receiver has shown it
        // A new setting is computed on the last image, without a new frame.
        t.setLinePosition(1);
        t.setViewMode(1);
        t.resultShown();
        QTRY_COMPARE(spy.count(), 2);
        QCOMPARE(spy.at(1).at(0).value<Series>().value(0).size(), 6);
        QCOMPARE(spy.at(1).at(3).value<Series>()[0], (Stats{10, 15, 12, 0}));
    }
};

QTEST_GUILESS_MAIN(TestGreyStatistics)
#include "tst_greystatistics.moc"
