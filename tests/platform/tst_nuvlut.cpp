// SPDX-License-Identifier: Apache-2.0
// Height colouring: range boundaries, invalid points, colour-map shape, and the fused lookup-table
// conversion against a plain per-point reference.
#include <QtTest>
#include <cmath>
#include <cstring>
#include <limits>
#include <opencv2/imgproc.hpp>
#include <random>
#include <vector>

#include "NuvLUTSetting.h"

Q_DECLARE_METATYPE(NuvRangeConversion)

namespace {
// 16-bit sensor with exact binary steps: height = raw / 64 - 512.
NuvRangeConversion sensor(float lo = -10.0f, float hi = 10.0f, int map = NuvColorMap::Height,
                          double offset = -512.0) {
    NuvRangeConversion c;
    c.scale = 1.0 / 64.0;
    c.offset = offset;
    c.minHeight = lo;
    c.maxHeight = hi;
    c.colorMap = map;
    return c;
}

const NuvColor invalid = NuvColorMap::invalidColor();

// CIE L* of an sRGB colour.
double lightness(const NuvColor& c) {
    auto lin = [](double v) {
        v /= 255.0;
        return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    const double y = 0.2126 * lin(c.r) + 0.7152 * lin(c.g) + 0.0722 * lin(c.b);
    return y > 216.0 / 24389.0 ? 116.0 * std::cbrt(y) - 16.0 : y * 24389.0 / 27.0;
}

// The conversion written out point by point, coloured by the separate array call.
void reference(std::vector<uint16_t>& raw, const NuvRangeConversion& c, std::vector<float>* heights,
               NuvColorArray* colors) {
    Nuv3DFloatArray h(1, int(raw.size()));
    for (size_t i = 0; i < raw.size(); ++i) {
        const float v = static_cast<float>(raw[i] * c.scale + c.offset);
        if (raw[i] != 0 && v >= c.minHeight && v <= c.maxHeight) {
            h.data()[i] = v;
        } else {
            h.data()[i] = Nuv3DFloatArray::invalidValue();
            raw[i] = 0;
        }
    }
    heights->assign(h.data(), h.data() + h.size());
    QCOMPARE(NuvLUTSetting::LinearSetColorLUT(h, c.minHeight, c.maxHeight, c.colorMap, colors), 0);
}

}  // namespace

class TestNuvLUT : public QObject {
    Q_OBJECT
private slots:
    void sampleValidity_data() {
        QTest::addColumn<NuvRangeConversion>("c");
        QTest::addColumn<int>("raw");
        QTest::addColumn<int>("index");  // table entry, -1 invalid
        const float nan = std::numeric_limits<float>::quiet_NaN();
        NuvRangeConversion nanScale = sensor();
        nanScale.scale = std::nan("");
        // Range -10 .. 10 is raw 32128 .. 33408.
        QTest::newRow("zero") << sensor() << 0 << -1;
        QTest::newRow("below min") << sensor() << 32127 << -1;
        QTest::newRow("exactly min") << sensor() << 32128 << 0;
        QTest::newRow("middle") << sensor() << 32768 << 512;
        QTest::newRow("exactly max") << sensor() << 33408 << NuvColorMap::kTableSize - 1;
        QTest::newRow("above max") << sensor() << 33409 << -1;
        QTest::newRow("largest sample") << sensor() << 65535 << -1;
        // Offset 0 puts raw 0 at height 0, inside the range; it still has no measurement.
        QTest::newRow("zero at offset 0") << sensor(-5, 5, NuvColorMap::Height, 0.0) << 0 << -1;
        QTest::newRow("one at offset 0")
            << sensor(-5, 5, NuvColorMap::Height, 0.0) << 1 << NuvColorMap::index(1.0f / 64.0f, -5, 5);
        QTest::newRow("NaN minimum") << sensor(nan, 10) << 32768 << -1;
        QTest::newRow("NaN maximum") << sensor(-10, nan) << 32768 << -1;
        QTest::newRow("reversed range") << sensor(10, -10) << 32768 << -1;
        QTest::newRow("NaN scale") << nanScale << 32768 << -1;
        // An empty range colours exactly its one height, with the first entry.
        QTest::newRow("empty range, its height") << sensor(0, 0) << 32768 << 0;
        QTest::newRow("empty range, next height") << sensor(0, 0) << 32769 << -1;
    }

    void sampleValidity() {
        QFETCH(NuvRangeConversion, c);
        QFETCH(int, raw);
        QFETCH(int, index);
        NuvRangeLUT16 lut;
        QVERIFY(lut.build(c));
        std::vector<uint16_t> samples(1, uint16_t(raw));
        float h = 0;
        NuvColor colour;
        lut.convert(samples.data(), 1, &h, &colour, true);
        const NuvColor* table = NuvColorMap::table(NuvColorMap::Height);
        const float height = float(raw * c.scale + c.offset);
        const NuvColor expected = index >= 0 ? table[index] : invalid;
        QCOMPARE(colour, expected);
        QCOMPARE(h, index >= 0 ? height : Nuv3DFloatArray::invalidValue());
        QCOMPARE(samples[0], uint16_t(index >= 0 ? raw : 0));
        // The array colouring agrees on the same height.
        Nuv3DFloatArray a(1, 1);
        a.data()[0] = raw == 0 ? Nuv3DFloatArray::invalidValue() : height;
        NuvColorArray colors;
        QCOMPARE(NuvLUTSetting::LinearSetColorLUT(a, c.minHeight, c.maxHeight, c.colorMap, &colors), 0);
        QCOMPARE(colors[0], expected);
    }

    void colorMapsShapeLightnessAndBadInput() {
        QVERIFY(NuvColorMap::table(-1) == nullptr && NuvColorMap::table(NuvColorMap::kCount) == nullptr);
        NuvRangeLUT16 lut;
        QVERIFY(!lut.build(sensor(-10, 10, 42)));
        QVERIFY(!lut.isBuilt());
        // Heights that are no numbers are invalid points; unknown maps and no output are refused.
        Nuv3DFloatArray a(1, 4);
        a.data()[0] = std::numeric_limits<float>::quiet_NaN();
        a.data()[1] = std::numeric_limits<float>::infinity();
        a.data()[2] = -std::numeric_limits<float>::infinity();
        a.data()[3] = 1.0f;
        NuvColorArray colors;
        QCOMPARE(NuvLUTSetting::LinearSetColorLUT(a, -10.0f, 10.0f, 5, &colors), 0);
        QVERIFY(colors[0] == invalid && colors[1] == invalid && colors[2] == invalid && colors[3].a == 255);
        QCOMPARE(NuvLUTSetting::LinearSetColorLUT(a, -10.0f, 10.0f, NuvColorMap::kCount, &colors), -1);
        QCOMPARE(NuvLUTSetting::LinearSetColorLUT(a, -10.0f, 10.0f, -1, &colors), -1);
        QCOMPARE(NuvLUTSetting::LinearSetColorLUT(a, -10.0f, 10.0f, 5, nullptr), -1);
        for (int m = 0; m < NuvColorMap::kCount; ++m) {
            const NuvColor* t = NuvColorMap::table(m);
            QVERIFY(t != nullptr);
            for (int i = 0; i < NuvColorMap::kTableSize; ++i)
                QCOMPARE(t[i].a, uint8_t(255));
            QVERIFY2(!(t[0] == t[NuvColorMap::kTableSize - 1]), qPrintable(QString::number(m)));
            // No jumps: neighbouring entries differ by a few levels per channel at most.
            for (int i = 1; i < NuvColorMap::kTableSize; ++i) {
                QVERIFY(std::abs(t[i].r - t[i - 1].r) <= 4 && std::abs(t[i].g - t[i - 1].g) <= 4 &&
                        std::abs(t[i].b - t[i - 1].b) <= 4);
            }
        }
        // The height map is viridis and Turbo is Turbo, as OpenCV draws them: each of OpenCV's 256
        // colours is within one level of the table entry at its place.
        for (const auto& map : {std::make_pair(int(NuvColorMap::Height), int(cv::COLORMAP_VIRIDIS)),
                                std::make_pair(int(NuvColorMap::Turbo), int(cv::COLORMAP_TURBO))}) {
            cv::Mat ramp(1, 256, CV_8UC1), bgr;
            for (int k = 0; k < 256; ++k)
                ramp.at<uint8_t>(0, k) = uint8_t(k);
            cv::applyColorMap(ramp, bgr, map.second);
            const NuvColor* table = NuvColorMap::table(map.first);
            for (int k = 0; k < 256; ++k) {
                const NuvColor c = table[std::lround(k * (NuvColorMap::kTableSize - 1) / 255.0)];
                const cv::Vec3b e = bgr.at<cv::Vec3b>(0, k);
                QVERIFY2(std::abs(c.r - e[2]) <= 1 && std::abs(c.g - e[1]) <= 1 && std::abs(c.b - e[0]) <= 1,
                         qPrintable(QStringLiteral("map %1 colour %2").arg(map.first).arg(k)));
            }
        }
        // The height map grows lighter from end to end.
        const NuvColor* t = NuvColorMap::table(NuvColorMap::Height);
        double previous = lightness(t[0]);
        for (int i = 1; i < NuvColorMap::kTableSize; ++i) {
            const double l = lightness(t[i]);
            QVERIFY2(l >= previous - 0.5,
                     qPrintable(QStringLiteral("entry %1: %2 < %3").arg(i).arg(l).arg(previous)));
            previous = std::max(previous, l);
        }
        QVERIFY(lightness(t[NuvColorMap::kTableSize - 1]) - lightness(t[0]) > 60.0);
    }

    void fusedMatchesReference_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("skew");  // elements the outputs start after an aligned address
        QTest::addColumn<int>("map");
        QTest::newRow("short") << 37 << 0 << 5;
        QTest::newRow("large aligned") << 3200 * 60 + 3 << 0 << 5;
        QTest::newRow("large skewed") << 3200 * 60 + 1 << 1 << 0;
        QTest::newRow("large, outputs skewed apart") << 3200 * 50 << 2 << 2;
    }

    void fusedMatchesReference() {
        QFETCH(int, count);
        QFETCH(int, skew);
        QFETCH(int, map);
        std::mt19937 rng(uint32_t(count + skew));
        std::uniform_int_distribution<int> any(0, 65535);
        std::uniform_int_distribution<int> near(31000, 34500);
        std::vector<uint16_t> raw(static_cast<size_t>(count));
        for (auto& v : raw) {
            const int pick = int(rng() % 10);
            v = uint16_t(pick == 0 ? 0 : pick == 1 ? any(rng) : near(rng));
        }
        std::vector<uint16_t> expectedRaw = raw;
        std::vector<float> expectedHeights;
        NuvColorArray expectedColors;
        const NuvRangeConversion c = sensor(-6.5f, 7.25f, map);
        reference(expectedRaw, c, &expectedHeights, &expectedColors);

        std::vector<float> heightStore(size_t(count) + 8);
        std::vector<NuvColor> colorStore(size_t(count) + 8);
        // Heights and colours starting at different alignments force the scalar path too.
        float* heights = heightStore.data() + skew;
        NuvColor* colors = colorStore.data() + (skew == 2 ? 1 : skew);
        NuvRangeLUT16 lut;
        QVERIFY(lut.build(c));
        lut.convert(raw.data(), raw.size(), heights, colors, true);
        QVERIFY(raw == expectedRaw);
        QVERIFY(std::memcmp(heights, expectedHeights.data(), size_t(count) * sizeof(float)) == 0);
        for (int i = 0; i < count; ++i) {
            if (!(colors[i] == expectedColors[size_t(i)]))
                QFAIL(qPrintable(QStringLiteral("colour %1").arg(i)));
        }

        // The array entry point gives the same, and leaves samples alone when asked to; a cache built
        // for other settings is rebuilt, and bad input is refused.
        std::vector<uint16_t> again = raw;
        NuvRangeLUT16 cache;
        Nuv3DFloatArray unused;
        QCOMPARE(NuvLUTSetting::RangeToHeightsAndColors16(again.data(), 1, 1, sensor(-1, 1, 99), &unused,
                                                          nullptr, false, &cache),
                 -1);
        QCOMPARE(NuvLUTSetting::RangeToHeightsAndColors16(nullptr, 1, 1, c, &unused, nullptr, false, &cache),
                 -1);
        QVERIFY(cache.build(sensor(-1.0f, 1.0f, map)));
        Nuv3DFloatArray hArr;
        NuvColorArray cArr;
        QCOMPARE(
            NuvLUTSetting::RangeToHeightsAndColors16(again.data(), count, 1, c, &hArr, &cArr, false, &cache),
            0);
        QVERIFY(again == raw);
        QCOMPARE(hArr.rows(), 1);
        QVERIFY(std::memcmp(hArr.data(), expectedHeights.data(), size_t(count) * sizeof(float)) == 0);
        QVERIFY(std::memcmp(cArr.data(), expectedColors.data(), size_t(count) * sizeof(NuvColor)) == 0);
    }

    void rangeImageColouring_data() {
        QTest::addColumn<int>("call");  // 0 own span, 1 given range with out-of-range colours, 2 without
        QTest::addColumn<int>("bytes");
        QTest::addColumn<QVector<uint>>("samples");
        QTest::addColumn<QVector<int>>("expected");  // table entry; -1 invalid, -2 low colour, -3 high colour
        const int last = NuvColorMap::kTableSize - 1;
        // 16-bit heights 1, 2, 3, 4 (raw 32768 + 64 h) and dropouts; the given range is [2, 3].
        const QVector<uint> heights{32768 + 64, 0, 32768 + 128, 32768 + 192, 32768 + 256};
        QTest::newRow("own span") << 0 << 2 << heights
                                  << QVector<int>{0, -1, NuvColorMap::index(2, 1, 4),
                                                  NuvColorMap::index(3, 1, 4), last};
        QTest::newRow("given range, outside coloured")
            << 1 << 2 << heights << QVector<int>{-2, -1, 0, last, -3};
        QTest::newRow("given range, outside invalid")
            << 2 << 2 << heights << QVector<int>{-1, -1, 0, last, -1};
        QTest::newRow("nothing valid") << 0 << 2 << QVector<uint>{0, 0, 0} << QVector<int>{-1, -1, -1};
        // 32-bit: flag bits above the 21 sample bits are ignored; heights 0.01, -, 0.03, 0.02 mm.
        QTest::newRow("32-bit own span")
            << 0 << 4 << QVector<uint>{0x40000 + 10, 0x80000000u, 0xE0000000u | (0x40000 + 30), 0x40000 + 20}
            << QVector<int>{0, -1, last, NuvColorMap::index(0.02f, 0.01f, 0.03f)};
    }

    void rangeImageColouring() {
        QFETCH(int, call);
        QFETCH(int, bytes);
        QFETCH(QVector<uint>, samples);
        QFETCH(QVector<int>, expected);
        NuvRangeImage img(samples.size(), 1, bytes);
        for (int i = 0; i < samples.size(); ++i) {
            const uint16_t narrow = uint16_t(samples[i]);
            std::memcpy(img.data() + i * bytes, bytes == 2 ? static_cast<const void*>(&narrow) : &samples[i],
                        size_t(bytes));
        }
        if (bytes == 2) {
            img.SetInfo(1.0 / 64.0, -32768.0, 0.01, 0, 0.01, 0);
        } else {
            img.SetInfo(0.001, -0x40000, 0.01, 0, 0.01, 0);
        }
        const NuvColor low(0, 0, 255, 255), high(255, 0, 0, 255);
        NuvLinearColorParams params;
        params.minHeight = 2.0f;
        params.maxHeight = 3.0f;
        NuvColorArray colors;
        QCOMPARE(call == 0 ? NuvLUTSetting::ColorMapLUT(img, 5, &colors)
                           : NuvLUTSetting::LinearColorMapLUT(img, &colors, params, low, high, 5, call == 1),
                 0);
        QCOMPARE(int(colors.size()), expected.size());
        const NuvColor* t = NuvColorMap::table(5);
        for (int i = 0; i < expected.size(); ++i) {
            const int e = expected[i];
            QCOMPARE(colors[size_t(i)], e >= 0 ? t[e] : e == -2 ? low : e == -3 ? high : invalid);
        }
    }

    void rgbImageAndSampleHeight() {
        const std::vector<uint16_t> v = {32768 + 64, 0, 32768 + 128, 32768 + 192, 32768 + 256, 0};
        NuvRangeImage img(3, 2, 2);
        std::memcpy(img.data(), v.data(), v.size() * 2);
        img.SetInfo(1.0 / 64.0, -32768.0, 0.01, 0, 0.01, 0);
        const NuvColor* t = NuvColorMap::table(0);
        NuvImage rgb;
        QCOMPARE(NuvLUTSetting::ColorMapLUT(img, 0, &rgb), 0);
        QCOMPARE(QSize(rgb.width(), rgb.height()), QSize(3, 2));
        QCOMPARE(rgb.step(), size_t(9));
        QCOMPARE(rgb.data()[0], t[0].r);
        QCOMPARE(rgb.data()[3] + rgb.data()[4] + rgb.data()[5], 0);  // dropout is black
        QCOMPARE(rgb.data()[9 + 3 + 1], t[NuvColorMap::kTableSize - 1].g);
        NuvColorArray colors;
        QCOMPARE(NuvLUTSetting::ColorMapLUT(NuvRangeImage(), 5, &colors), 0);
        QVERIFY(colors.empty());
        QCOMPARE(NuvLUTSetting::ColorMapLUT(img, 9, &colors), -1);
        double h = 0;
        QVERIFY(NuvLUTSetting::sampleHeight(img, 1, 1, &h));
        QCOMPARE(h, 4.0);
        QVERIFY(!NuvLUTSetting::sampleHeight(img, 0, 1, &h));
        QVERIFY(!NuvLUTSetting::sampleHeight(img, 0, 3, &h));
    }
};

QTEST_APPLESS_MAIN(TestNuvLUT)
#include "tst_nuvlut.moc"
