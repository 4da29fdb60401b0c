// Height colours of the range page and the legends beside it: a height keeps its colour whatever
// else the scan holds, and the legend shows the colour map over the camera's height range.
#include <QtTest>
#include <cstring>

#include "HeightColourBar.h"
#include "LiveRangePages.h"
#include "NuvColorMap.h"

class TestRangePages : public QObject {
    Q_OBJECT
private slots:
    void heightKeepsItsColour_data() {
        QTest::addColumn<int>("dataType");
        QTest::addColumn<double>("height");
        QTest::addColumn<uint>("flags");
        QTest::addColumn<bool>("valid");
        // Camera range -20 to 20 mm. 16-bit: scaler 32768 (1/1024 mm); 32-bit: scaler 4000 (1/1000 mm).
        QTest::newRow("16 middle") << 0 << 0.0 << 0u << true;
        QTest::newRow("16 top of range") << 0 << 20.0 << 0u << true;
        QTest::newRow("16 above range") << 0 << 25.0 << 0u << false;
        QTest::newRow("32 low") << 1 << -19.5 << 0u << true;
        QTest::newRow("32 flag bits ignored") << 1 << 7.25 << 0x80000000u << true;
        QTest::newRow("32 below range") << 1 << -21.0 << 0u << false;
    }

    void heightKeepsItsColour() {
        QFETCH(int, dataType);
        QFETCH(double, height);
        QFETCH(uint, flags);
        QFETCH(bool, valid);
        const RangeStreamer::Format f = RangeStreamer::formatFor(dataType, dataType == 0 ? 32768 : 4000);
        const auto raw = [&](double h) {
            return static_cast<uint32_t>(std::lround(f.heightOffset + h / f.heightScale));
        };
        NuvRangeLUT16 lut;
        // The sample under test next to two different neighbours: a re-stretch would change its colour.
        QColor seen[2];
        for (int pass = 0; pass < 2; ++pass) {
            const uint32_t samples[2] = {raw(height) | flags, raw(pass == 0 ? -3.0 : 19.0)};
            std::vector<uint8_t> bytes(2 * static_cast<size_t>(f.bytesPerPoint));
            for (int i = 0; i < 2; ++i)  // little-endian: a sample is the low 2 or 4 bytes
                std::memcpy(bytes.data() + i * f.bytesPerPoint, &samples[i],
                            static_cast<size_t>(f.bytesPerPoint));
            uint8_t rgb[6] = {};
            LiveRangePages::colourRows(bytes.data(), 2, f, -20.0f, 20.0f, &lut, rgb);
            seen[pass] = QColor(rgb[0], rgb[1], rgb[2]);
        }
        QCOMPARE(seen[0], seen[1]);
        const NuvColor c =
            NuvColorMap::table(LiveRangePages::kColorMap)[NuvColorMap::index(float(height), -20, 20)];
        QCOMPARE(seen[0], valid ? QColor(c.r, c.g, c.b) : QColor(Qt::black));
    }

    void colourBarShowsMapAndTicks_data() {
        QTest::addColumn<int>("colorMap");
        QTest::addColumn<float>("minimum");
        QTest::addColumn<float>("maximum");
        QTest::addColumn<QStringList>("labels");
        QTest::newRow("range page") << 0 << -20.0f << 20.0f << QStringList{"-20", "-10", "0", "10", "20"};
        QTest::newRow("3D page") << 5 << -1.5f << 2.5f << QStringList{"-1", "0", "1", "2"};
        QTest::newRow("fine heights")
            << 5 << -0.045f << 0.035f << QStringList{"-0.04", "-0.02", "0.00", "0.02"};
        QTest::newRow("long scan in mm")
            << 0 << 0.0f << 120.0f << QStringList{"0", "20", "40", "60", "80", "100", "120"};
        QTest::newRow("empty range") << 0 << 1.0f << 1.0f << QStringList{};
    }

    void colourBarShowsMapAndTicks() {
        QFETCH(int, colorMap);
        QFETCH(float, minimum);
        QFETCH(float, maximum);
        QFETCH(QStringList, labels);
        HeightColourBar bar;
        bar.resize(HeightColourBar::kWidth, 300);
        bar.setScale(colorMap, minimum, maximum);
        QCOMPARE(bar.tickLabels(), labels);
        if (labels.isEmpty()) return;
        const QImage image = bar.grab().toImage();
        const QRect strip = bar.stripRect();
        const NuvColor* table = NuvColorMap::table(colorMap);
        const auto colourOf = [](const NuvColor& c) { return QColor(c.r, c.g, c.b); };
        // Highest height at the top, lowest at the bottom.
        QCOMPARE(image.pixelColor(strip.center().x(), strip.top()),
                 colourOf(table[NuvColorMap::kTableSize - 1]));
        QCOMPARE(image.pixelColor(strip.center().x(), strip.bottom()), colourOf(table[0]));
    }
};

QTEST_MAIN(TestRangePages)
#include "tst_rangepages.moc"
