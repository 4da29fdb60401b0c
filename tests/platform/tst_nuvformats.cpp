// SPDX-License-Identifier: Apache-2.0
// The platform's data formats. Camera payloads: writer -> reader round trips, size queries, and
// rejection of every kind of damaged header without reading past the buffer (run under ASan: each
// case copies the payload into a buffer of exactly the size handed to the reader). Files of the 3D
// file library and NuvImage::SaveImage: each read back by an independent reader from Debian
// (tests/support/read_back.py), our own range layout round-tripped bit-exactly, and the failures a
// user can run into: missing folders, a full disk, bad files.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QJsonArray>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextStream>
#include <QtTest>
#include <cmath>
#include <csignal>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include <opencv2/imgproc.hpp>

#include "Nuv3DDataConvert.h"
#include "Nuv3DFileOperation.h"
#include "NuvFileWriter.h"
#include "NuvImage.h"
#include "NuvNumberFormat.h"
#include "NuvPayloadFormat.h"
#include "NuvPayloadTools.h"
#include "NuvPayloadWriter.h"
#include "NuvTiffFile.h"
#include "ReadBack.h"

namespace F = NuvPayloadFormat;
using Bytes = std::vector<uint8_t>;
using Op = NUVMV::Nuv3DFileOperation;
using TestSupport::readBack;

namespace {
// A heap block of exactly the payload's size, so any read beyond it trips AddressSanitizer.
std::unique_ptr<uint8_t[]> exactCopy(const Bytes& b, size_t n) {
    std::unique_ptr<uint8_t[]> p(new uint8_t[n ? n : 1]);
    if (n) std::memcpy(p.get(), b.data(), n);
    return p;
}

// Runs every reader call on the first n bytes; returns the frame-info result and checks that all
// calls agree on rejecting a bad payload.
int readAll(const Bytes& payload, size_t n) {
    auto buf = exactCopy(payload, n);
    NuvLPFrameInfo info{};
    const int rc = NUVSDK_LP_GetFrameInfo(buf.get(), n, &info);
    size_t count = 0;
    size_t bcount = 0;
    const int rc16 = NUVSDK_LP_ExtractContour16u(buf.get(), n, nullptr, &count, nullptr, &bcount);
    const int rc32 = NUVSDK_LP_ExtractContour32s(buf.get(), n, nullptr, &count, 8);
    const int rcBright = NUVSDK_LP_ExtractBrightness(buf.get(), n, nullptr, &bcount);
    const void* data = nullptr;
    size_t dataSize = 0;
    const int rcData = NUVSDK_LP_GetData(buf.get(), n, &data, &dataSize);
    if (rc < 0) {
        for (int r : {rc16, rc32, rcBright}) {
            if (r != rc && r != NUVSDK_LP_ERR_KIND) return 1000 + r;
        }
        if (rcData != rc) return 3000 + rcData;
    } else {
        const auto* d = static_cast<const uint8_t*>(data);
        if (d < buf.get() || d + dataSize > buf.get() + n) return 4000;
    }
    return rc;
}

template <typename T>
void put(Bytes& b, size_t off, T v) {
    std::memcpy(b.data() + off, &v, sizeof v);
}

// Samples i * step + first (wrapping); the first 32-bit sample is INT32_MIN, which sign extension
// into 64-bit slots must keep.
template <typename T>
std::vector<T> ramp(size_t n, int64_t step, int64_t first) {
    std::vector<T> v(n);
    for (size_t i = 0; i < n; ++i)
        v[i] = static_cast<T>(static_cast<int64_t>(i) * step + first);
    if (sizeof(T) == 4 && n > 0) v[0] = static_cast<T>(INT32_MIN);
    return v;
}
const auto ramp16 = [](size_t n) { return ramp<uint16_t>(n, 37, 1); };
const auto ramp32 = [](size_t n) { return ramp<int32_t>(n, 7919, -100000); };
const auto brightnessOf = [](size_t n) { return ramp<uint8_t>(n, -1, 255); };

Bytes batch16(uint32_t points, uint32_t lines, bool brightness = true, uint32_t kind = 2) {
    Bytes out;
    const auto s = ramp16(size_t(points) * lines);
    const auto b = brightnessOf(size_t(points) * lines);
    const uint8_t* br = brightness ? b.data() : nullptr;
    NuvPayloadWriter w;
    if (kind == 1) w.writeProfile16(out, 5, 6, s.data(), points, br);
    if (kind == 2) w.writeRangeBatch16(out, 9, 2, false, s.data(), points, lines, br);
    return out;
}
Bytes profile16(bool brightness) {
    return batch16(17, 1, brightness, 1);
}

// 40 x 20 window: column c < 30 has its line at row c % 20 (three rows, the middle brightest);
// columns 30..35 are too dark; 36..39 have a saturated run over rows 5..7.
Bytes picture(std::vector<int64_t>* expected) {
    const uint32_t w = 40, h = 20;
    Bytes px(size_t(w) * h, 10);
    expected->assign(w, h);
    for (uint32_t c = 0; c < 30; ++c) {
        const uint32_t r = c % h;
        px[r * w + c] = 220;
        if (r > 0) px[(r - 1) * w + c] = 120;
        if (r + 1 < h) px[(r + 1) * w + c] = 130;
        (*expected)[c] = r;
    }
    for (uint32_t c = 36; c < 40; ++c) {
        for (uint32_t r = 5; r <= 7; ++r)
            px[r * w + c] = 255;
        (*expected)[c] = 6;
    }
    // Rows handed with padding, as a camera buffer with a larger stride would.
    Bytes padded(size_t(w + 8) * h, 0);
    for (uint32_t r = 0; r < h; ++r)
        std::memcpy(&padded[r * (w + 8)], &px[r * w], w);
    NuvPayloadWriter writer;
    Bytes out;
    writer.writeSensorPicture(out, 77, 3, padded.data(), w, h, w + 8, 412);
    return out;
}

// Sample i of the test ramp: every seventh is invalid (NaN); floating samples carry a fraction.
double rawAt(int i, int typeCode) {
    if (i % 7 == 3) return std::numeric_limits<double>::quiet_NaN();
    return 30000 + (i * 37) % 6000 + (typeCode == NuvRangeImage::TypeFloat64 ? 0.25 : 0.0);
}

// The ramp as a range image: invalid samples are 0 (NaN for floating samples); 32-bit samples
// carry flag bits above the 21-bit sample.
NuvRangeImage makeRange(int typeCode, int width = 40, int height = 30) {
    NuvRangeImage img;
    img.SetSize(width, height, typeCode);
    img.SetInfo(0.0016, -32768, 0.02, 1.5, 0.1, -2.0);
    for (int r = 0; r < height; ++r) {
        for (int c = 0; c < width; ++c) {
            const double raw = rawAt(r * width + c, typeCode);
            const int whole = std::isnan(raw) ? 0 : int(raw);
            if (typeCode == NuvRangeImage::TypeUInt16) img.mat().at<uint16_t>(r, c) = uint16_t(whole);
            if (typeCode == NuvRangeImage::TypeInt32)
                img.mat().at<int32_t>(r, c) = int32_t(0xE0000000u | whole);
            if (typeCode == NuvRangeImage::TypeFloat64) img.mat().at<double>(r, c) = raw;
        }
    }
    return img;
}

NuvVar var(const QString& path) {
    const QByteArray utf8 = path.toUtf8();
    return NuvVar(utf8.constData(), size_t(utf8.size()));
}

QVariantList samplesOf(const cv::Mat& m) {
    QVariantList out;
    cv::Mat wide;
    m.reshape(1).convertTo(wide, CV_64F);
    for (int r = 0; r < wide.rows; ++r)
        for (int c = 0; c < wide.cols; ++c)
            out << wide.at<double>(r, c);
    return out;
}

// The heights CSV of a ramp image as Qt would write it: each value through QString::number into a
// QTextStream, flag bits left out.
QByteArray referenceCsv(const NuvRangeImage& img) {
    QByteArray bytes;
    QTextStream s(&bytes);
    for (int r = 0; r < img.height(); ++r) {
        for (int c = 0; c < img.width(); ++c) {
            if (c) s << ',';
            s << QString::number(img.toMillimetres(rawAt(r * img.width() + c, img.TypeCode())), 'g', 10);
        }
        s << '\n';
    }
    s.flush();
    return bytes;
}
}  // namespace

class TestNuvFormats : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    // A folder with a Chinese name: every path below is non-ASCII UTF-8.
    QString path(const QString& name) const { return m_dir.filePath(QStringLiteral("相机一/") + name); }
    // Everything in that folder, hidden files included.
    QStringList entries() const {
        return QDir(path("")).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                        QDir::NoDotAndDotDot);
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("相机一/folder.tif")));
    }

    void profileRoundTrip_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("sampleType");
        QTest::addColumn<bool>("brightness");
        QTest::addColumn<uint32_t>("lines");
        for (int st : {2, 4}) {
            for (bool br : {true, false}) {
                const QByteArray suffix =
                    QByteArray::number(st * 8) + (br ? " with brightness" : " without brightness");
                QTest::newRow(("profile " + suffix).constData()) << 1 << st << br << 1u;
                QTest::newRow(("batch " + suffix).constData()) << 2 << st << br << 13u;
            }
        }
    }

    // Batches are not the last of their image; every payload sits in a larger acquisition buffer.
    void profileRoundTrip() {
        QFETCH(int, kind);
        QFETCH(int, sampleType);
        QFETCH(bool, brightness);
        QFETCH(uint32_t, lines);
        const uint32_t points = 3200;
        const size_t n = size_t(points) * lines;
        const auto s16 = ramp16(n);
        const auto s32 = ramp32(n);
        const Bytes br = brightnessOf(n);
        const uint64_t imageId = 0x1234567890ABCDEFull;
        NuvPayloadWriter w;
        w.setScaler(8192);
        w.setXIntervalNm(9000);
        Bytes p;
        const uint8_t* b = brightness ? br.data() : nullptr;
        if (kind == 1)
            QVERIFY(sampleType == 2 ? w.writeProfile16(p, imageId, 41, s16.data(), points, b)
                                    : w.writeProfile32(p, imageId, 41, s32.data(), points, b));
        else
            QVERIFY(sampleType == 2
                        ? w.writeRangeBatch16(p, imageId, 41, false, s16.data(), points, lines, b)
                        : w.writeRangeBatch32(p, imageId, 41, false, s32.data(), points, lines, b));
        p.resize(p.size() + 100, 0xEE);

        NuvLPFrameInfo info{};
        QCOMPARE(NUVSDK_LP_GetFrameInfo(p.data(), p.size(), &info), 0);
        QCOMPARE(info.imageId, imageId);
        // Scaler and x interval are passed through.
        QCOMPARE(
            (QVector<uint32_t>{info.kind, info.sampleType, info.frameNumber, info.isEnd, info.hasBrightness,
                               info.pointsPerProfile, info.lineCount, info.scaler, info.xIntervalNm}),
            (QVector<uint32_t>{uint32_t(kind), uint32_t(sampleType), 41, kind == 1, brightness, points, lines,
                               8192, 9000}));

        size_t count = 0;
        Bytes bout(n, 0xAA);
        size_t bcount = bout.size();
        if (sampleType == 2) {
            std::vector<uint16_t> prof(n);
            count = n;
            QCOMPARE(
                NUVSDK_LP_ExtractContour16u(p.data(), p.size(), prof.data(), &count, bout.data(), &bcount),
                brightness ? 0 : int(NUVSDK_LP_ERR_NO_BRIGHTNESS));
            QVERIFY(prof == s16);
            QCOMPARE(bcount, brightness ? n : 0);
            QCOMPARE(NUVSDK_LP_ExtractContour32s(p.data(), p.size(), nullptr, &count, 8),
                     int(NUVSDK_LP_ERR_KIND));
        } else {
            QCOMPARE(NUVSDK_LP_ExtractContour32s(p.data(), p.size(), nullptr, &count, 4), 0);
            QCOMPARE(count, n);
            std::vector<int32_t> packed(count);
            QCOMPARE(NUVSDK_LP_ExtractContour32s(p.data(), p.size(), packed.data(), &count, 4), 0);
            QVERIFY(packed == s32);
            std::vector<int64_t> wide(count);
            QCOMPARE(NUVSDK_LP_ExtractContour32s(p.data(), p.size(), wide.data(), &count, 8), 0);
            QCOMPARE(wide[0], int64_t(INT32_MIN));
            QCOMPARE(wide[n - 1], int64_t(s32[n - 1]));
            QCOMPARE(NUVSDK_LP_ExtractContour16u(p.data(), p.size(), nullptr, &count, nullptr, nullptr),
                     int(NUVSDK_LP_ERR_KIND));
        }
        // Brightness of either width; the data block follows the samples with it.
        std::fill(bout.begin(), bout.end(), 0xAA);
        QCOMPARE(NUVSDK_LP_ExtractBrightness(p.data(), p.size(), bout.data(), &bcount),
                 brightness ? 0 : int(NUVSDK_LP_ERR_NO_BRIGHTNESS));
        QVERIFY(!brightness || bout == br);
        const void* data = nullptr;
        size_t dataSize = 0;
        QCOMPARE(NUVSDK_LP_GetData(p.data(), p.size(), &data, &dataSize), 0);
        QCOMPARE(dataSize, n * size_t(sampleType) + (brightness ? n : 0));
    }

    void pictureContour() {
        std::vector<int64_t> expected;
        const Bytes p = picture(&expected);
        NuvLPFrameInfo info{};
        QCOMPARE(NUVSDK_LP_GetFrameInfo(p.data(), p.size(), &info), 0);
        QVERIFY(info.kind == 0 && info.windowWidth == 40 && info.windowHeight == 20 &&
                info.windowRowOffset == 412 && info.imageId == 77);

        size_t count = 0;
        QCOMPARE(NUVSDK_LP_ExtractContour32s(p.data(), p.size(), nullptr, &count, 8), 0);
        QCOMPARE(count, size_t(40));
        std::vector<int64_t> wide(count, -1);
        QCOMPARE(NUVSDK_LP_ExtractContour32s(p.data(), p.size(), wide.data(), &count, 8), 0);
        QCOMPARE(wide, expected);
        std::vector<int32_t> packed(count);
        QCOMPARE(NUVSDK_LP_ExtractContour32s(p.data(), p.size(), packed.data(), &count, 4), 0);
        QVERIFY(std::equal(packed.begin(), packed.end(), expected.begin()));
        // Pixels come out without the writer's row padding.
        const void* data = nullptr;
        size_t dataSize = 0;
        QCOMPARE(NUVSDK_LP_GetData(p.data(), p.size(), &data, &dataSize), 0);
        QCOMPARE(dataSize, size_t(800));
        QCOMPARE(static_cast<const uint8_t*>(data)[0 * 40 + 0], uint8_t(220));
        QCOMPARE(NUVSDK_LP_ExtractContour16u(p.data(), p.size(), nullptr, &count, nullptr, nullptr),
                 int(NUVSDK_LP_ERR_KIND));
        QCOMPARE(NUVSDK_LP_ExtractBrightness(p.data(), p.size(), nullptr, &count), int(NUVSDK_LP_ERR_KIND));
        // A refused call writes nothing and reports the count it needs.
        std::vector<int64_t> tooSmall(39, -1);
        count = tooSmall.size();
        QCOMPARE(NUVSDK_LP_ExtractContour32s(p.data(), p.size(), tooSmall.data(), &count, 8),
                 int(NUVSDK_LP_ERR_CAPACITY));
        QCOMPARE(count, size_t(40));
        QVERIFY(std::all_of(tooSmall.begin(), tooSmall.end(), [](int64_t v) { return v == -1; }));
    }

    // A refused call writes nothing and reports the count it needs.
    void argumentsAndCapacity() {
        const Bytes p = batch16(100, 4);
        const uint8_t* d = p.data();
        const size_t n = p.size();
        size_t count = 0;
        size_t bcount = 0;
        QCOMPARE(NUVSDK_LP_ExtractContour16u(d, n, nullptr, &count, nullptr, &bcount), 0);
        QCOMPARE(count, size_t(400));
        QCOMPARE(bcount, size_t(400));
        std::vector<uint16_t> prof(400, 0xBEEF);
        Bytes br(400, 0x11);
        const auto untouched = [&] {
            return std::all_of(prof.begin(), prof.end(), [](uint16_t v) { return v == 0xBEEF; }) &&
                   std::all_of(br.begin(), br.end(), [](uint8_t v) { return v == 0x11; });
        };
        for (size_t shortProfile : {0, 1}) {
            count = 400 - shortProfile;
            bcount = 399 + shortProfile;
            QCOMPARE(NUVSDK_LP_ExtractContour16u(d, n, prof.data(), &count, br.data(), &bcount),
                     int(NUVSDK_LP_ERR_CAPACITY));
            QCOMPARE(shortProfile ? count : bcount, size_t(400));
            QVERIFY(untouched());
        }
        bcount = 399;
        QCOMPARE(NUVSDK_LP_ExtractBrightness(d, n, br.data(), &bcount), int(NUVSDK_LP_ERR_CAPACITY));
        QCOMPARE(bcount, size_t(400));
        QVERIFY(untouched());
        // Profile only: the brightness present in the payload is simply not copied.
        count = 400;
        QCOMPARE(NUVSDK_LP_ExtractContour16u(d, n, prof.data(), &count, nullptr, nullptr), 0);
        // Brightness array without its count, null arguments, a bad slot size.
        QCOMPARE(NUVSDK_LP_ExtractContour16u(d, n, prof.data(), &count, br.data(), nullptr),
                 int(NUVSDK_LP_ERR_ARGUMENT));
        NuvLPFrameInfo info{};
        QCOMPARE(NUVSDK_LP_GetFrameInfo(nullptr, n, &info), int(NUVSDK_LP_ERR_ARGUMENT));
        QCOMPARE(NUVSDK_LP_GetFrameInfo(d, n, nullptr), int(NUVSDK_LP_ERR_ARGUMENT));
        QCOMPARE(NUVSDK_LP_ExtractContour16u(d, n, nullptr, nullptr, nullptr, nullptr),
                 int(NUVSDK_LP_ERR_ARGUMENT));
        QCOMPARE(NUVSDK_LP_ExtractBrightness(d, n, nullptr, nullptr), int(NUVSDK_LP_ERR_ARGUMENT));
        QCOMPARE(NUVSDK_LP_ExtractContour32s(d, n, nullptr, &count, 2), int(NUVSDK_LP_ERR_ARGUMENT));
        QCOMPARE(NUVSDK_LP_GetData(d, n, nullptr, &count), int(NUVSDK_LP_ERR_ARGUMENT));
        QVERIFY(QByteArray(NUVSDK_LP_ErrorText(NUVSDK_LP_ERR_TRUNCATED)).contains("truncated"));
    }

    // Random damage is the fuzzer's (fuzz/run_fuzz.sh); here every cut, and a consistent but huge
    // geometry that must fail on the buffer size, not wrap a multiplication.
    void truncatedAtEveryLength() {
        Bytes huge = batch16(3, 2);
        put(huge, F::kOffPointsPerProfile, F::kMaxPointsPerProfile);
        put(huge, F::kOffLineCount, F::kMaxBatchLines);
        huge[F::kOffSampleType] = 4;
        put(huge, F::kOffDataSize, uint64_t(F::kMaxPointsPerProfile) * F::kMaxBatchLines * 5);
        QCOMPARE(readAll(huge, huge.size()), int(NUVSDK_LP_ERR_TRUNCATED));
        for (const Bytes& p : {profile16(true), profile16(false), batch16(3, 2)}) {
            QCOMPARE(readAll(p, p.size()), 0);
            for (size_t n = 0; n < p.size(); ++n) {
                const int rc = readAll(p, n);
                QVERIFY2(rc == NUVSDK_LP_ERR_TRUNCATED,
                         qPrintable(QStringLiteral("length %1: %2").arg(n).arg(rc)));
            }
        }
    }

    void corruptedField_data() {
        QTest::addColumn<int>("base");  // 0 profile with brightness, 1 batch, 2 picture
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("width");
        QTest::addColumn<quint64>("value");
        QTest::addColumn<int>("expected");
        const int hdr = NUVSDK_LP_ERR_HEADER;
        QTest::newRow("magic") << 0 << int(F::kOffMagic) << 1 << quint64('X') << int(NUVSDK_LP_ERR_MAGIC);
        QTest::newRow("version 2") << 0 << int(F::kOffVersion) << 2 << quint64(2)
                                   << int(NUVSDK_LP_ERR_VERSION);
        QTest::newRow("header size 63") << 0 << int(F::kOffHeaderSize) << 2 << quint64(63) << hdr;
        QTest::newRow("header size 4097") << 0 << int(F::kOffHeaderSize) << 2 << quint64(4097) << hdr;
        QTest::newRow("header size beyond buffer")
            << 0 << int(F::kOffHeaderSize) << 2 << quint64(4096) << int(NUVSDK_LP_ERR_TRUNCATED);
        QTest::newRow("header size pushes data out")
            << 0 << int(F::kOffHeaderSize) << 2 << quint64(72) << int(NUVSDK_LP_ERR_TRUNCATED);
        QTest::newRow("kind 3") << 0 << int(F::kOffKind) << 1 << quint64(3) << hdr;
        QTest::newRow("profile as picture") << 0 << int(F::kOffKind) << 1 << quint64(0) << hdr;
        QTest::newRow("sample type 3") << 0 << int(F::kOffSampleType) << 1 << quint64(3) << hdr;
        QTest::newRow("sample type 4 vs data size") << 0 << int(F::kOffSampleType) << 1 << quint64(4) << hdr;
        QTest::newRow("end flag 2") << 0 << int(F::kOffEndFlag) << 1 << quint64(2) << hdr;
        QTest::newRow("profile not ended") << 0 << int(F::kOffEndFlag) << 1 << quint64(0) << hdr;
        QTest::newRow("brightness 2") << 0 << int(F::kOffBrightness) << 1 << quint64(2) << hdr;
        QTest::newRow("brightness cleared") << 0 << int(F::kOffBrightness) << 1 << quint64(0) << hdr;
        QTest::newRow("points 0") << 0 << int(F::kOffPointsPerProfile) << 4 << quint64(0) << hdr;
        QTest::newRow("points 18") << 0 << int(F::kOffPointsPerProfile) << 4 << quint64(18) << hdr;
        QTest::newRow("points max") << 0 << int(F::kOffPointsPerProfile) << 4 << quint64(0xFFFFFFFF) << hdr;
        QTest::newRow("profile lines 2") << 0 << int(F::kOffLineCount) << 4 << quint64(2) << hdr;
        QTest::newRow("batch lines 0") << 1 << int(F::kOffLineCount) << 4 << quint64(0) << hdr;
        QTest::newRow("batch lines max") << 1 << int(F::kOffLineCount) << 4 << quint64(0xFFFFFFFF) << hdr;
        QTest::newRow("batch lines +1") << 1 << int(F::kOffLineCount) << 4 << quint64(3) << hdr;
        QTest::newRow("window on profile") << 0 << int(F::kOffWindowWidth) << 4 << quint64(10) << hdr;
        QTest::newRow("row offset on batch") << 1 << int(F::kOffWindowRowOffset) << 4 << quint64(1) << hdr;
        QTest::newRow("reserved") << 0 << int(F::kOffReserved) << 4 << quint64(1) << hdr;
        QTest::newRow("data size +1") << 0 << int(F::kOffDataSize) << 8 << quint64(17 * 3 + 1) << hdr;
        QTest::newRow("data size max") << 0 << int(F::kOffDataSize) << 8 << ~quint64(0) << hdr;
        QTest::newRow("picture width 0") << 2 << int(F::kOffWindowWidth) << 4 << quint64(0) << hdr;
        QTest::newRow("picture width 16385") << 2 << int(F::kOffWindowWidth) << 4 << quint64(16385) << hdr;
        QTest::newRow("picture height max")
            << 2 << int(F::kOffWindowHeight) << 4 << quint64(0xFFFFFFFF) << hdr;
        QTest::newRow("picture row offset") << 2 << int(F::kOffWindowRowOffset) << 4 << quint64(65536) << hdr;
        QTest::newRow("picture brightness") << 2 << int(F::kOffBrightness) << 1 << quint64(1) << hdr;
        QTest::newRow("picture points") << 2 << int(F::kOffPointsPerProfile) << 4 << quint64(40) << hdr;
        QTest::newRow("picture sample type") << 2 << int(F::kOffSampleType) << 1 << quint64(2) << hdr;
    }

    void corruptedField() {
        QFETCH(int, base);
        QFETCH(int, offset);
        QFETCH(int, width);
        QFETCH(quint64, value);
        QFETCH(int, expected);
        std::vector<int64_t> unused;
        Bytes p = base == 0 ? profile16(true) : base == 1 ? batch16(3, 2) : picture(&unused);
        std::memcpy(p.data() + offset, &value, size_t(width));
        QCOMPARE(readAll(p, p.size()), expected);
    }

    void writerRejectsBadGeometry() {
        NuvPayloadWriter w;
        Bytes out(5, 1);
        const auto s = ramp16(70000);
        const Bytes px(100, 0);
        QVERIFY(!w.writeProfile16(out, 1, 1, s.data(), 0, nullptr));
        QVERIFY(out.empty());
        QVERIFY(!w.writeProfile16(out, 1, 1, s.data(), 65537, nullptr));
        QVERIFY(!w.writeProfile16(out, 1, 1, nullptr, 10, nullptr));
        QVERIFY(!w.writeRangeBatch16(out, 1, 1, true, s.data(), 10, 0, nullptr));
        QVERIFY(!w.writeSensorPicture(out, 1, 1, px.data(), 0, 10, 0, 0));
        QVERIFY(!w.writeSensorPicture(out, 1, 1, px.data(), 10, 10, 9, 0));
        QVERIFY(!w.writeSensorPicture(out, 1, 1, nullptr, 10, 10, 0, 0));
        QVERIFY(w.writeProfile16(out, 1, 1, s.data(), 65536, nullptr));
        QCOMPARE(readAll(out, out.size()), 0);
    }

    void numbersFormatLikeQt() {
        const double inf = std::numeric_limits<double>::infinity();
        const double nan = std::numeric_limits<double>::quiet_NaN();
        QVector<double> values = {0,       -0.0,      1,          2.5,           1e-12,     1e-5,
                                  1e-4,    123456789, 1234567890, 12345678901.0, 0.1 + 0.2, -52.4288,
                                  1.5e300, 4.9e-324,  inf,        -inf,          nan,       -nan};
        QRandomGenerator random(7);
        for (int i = 0; i < 200000; ++i)
            values << (random.generateDouble() - 0.5) * std::pow(10.0, random.bounded(-20, 21));
        char text[NuvNumberFormat::kMaxChars];
        for (double v : values) {
            const QByteArray ours(text, int(NuvNumberFormat::formatG10(text, v) - text));
            QCOMPARE(ours, QString::number(v, 'g', 10).toLatin1());
        }
    }

    void pointCloudsReadBack_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("typeCode");
        QTest::addColumn<bool>("ascii");
        QTest::newRow("pcd binary") << "cloud.pcd" << 2 << false;
        QTest::newRow("pcd ascii, 32-bit") << "cloud_a.PCD" << 4 << true;
        QTest::newRow("ply binary, doubles") << "cloud.ply" << 6 << false;
        QTest::newRow("ply ascii") << "cloud_a.ply" << 2 << true;
        QTest::newRow("obj") << "cloud.obj" << 2 << false;
    }
    void pointCloudsReadBack() {
        QFETCH(QString, name);
        QFETCH(int, typeCode);
        QFETCH(bool, ascii);
        NuvRangeImage img = makeRange(typeCode);
        NuvPointCloud cloud;
        QCOMPARE(NUVMV::Nuv3DDataConvert().RangeImageToPointCloud(img, &cloud), 0);
        NuvVar target = var(path(name));
        QCOMPARE(Op().Save(cloud, target, ascii, false, 2), 0);

        // Expected from the scale alone: invalid samples are left out, never put at z = 0.
        int count = 0;
        double lo[3] = {1e300, 1e300, 1e300}, hi[3] = {-1e300, -1e300, -1e300}, first[3] = {};
        for (int i = 0; i < 40 * 30; ++i) {
            const double raw = rawAt(i, typeCode);
            if (std::isnan(raw)) continue;
            const double p[3] = {(i % 40) * 0.02 + 1.5, (i / 40) * 0.1 - 2.0, (raw - 32768) * 0.0016};
            for (int k = 0; k < 3; ++k) {
                lo[k] = std::min(lo[k], p[k]);
                hi[k] = std::max(hi[k], p[k]);
                if (count == 0) first[k] = p[k];
            }
            ++count;
        }
        const QJsonObject read = readBack(name.endsWith(".obj") ? "obj" : "cloud", path(name));
        QCOMPARE(read["count"].toInt(), count);
        for (int k = 0; k < 3; ++k) {
            QVERIFY(std::abs(read["min"][k].toDouble() - lo[k]) < 1e-4);
            QVERIFY(std::abs(read["max"][k].toDouble() - hi[k]) < 1e-4);
            QVERIFY(std::abs(read["first"][k].toDouble() - first[k]) < 1e-4);
        }
    }

    void rangeImagesReadBack_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("reader");
        QTest::addColumn<int>("typeCode");
        // A file past the TIFF limit (4 GiB, lowered here to 1000 bytes) is a BigTIFF.
        QTest::addColumn<qint64>("bigTiffAbove");
        QTest::newRow("uncompressed TIFF") << "range.tif" << QByteArray("tiff") << 2 << qint64(0);
        QTest::newRow("uncompressed TIFF, 32-bit") << "range32.tif" << QByteArray("tiff") << 4 << qint64(0);
        QTest::newRow("BigTIFF past the limit") << "big.tif" << QByteArray("tiff") << 2 << qint64(1000);
        QTest::newRow("BigTIFF past the limit, 32-bit")
            << "big32.tif" << QByteArray("tiff") << 4 << qint64(1000);
        QTest::newRow("classic TIFF under the limit")
            << "small.tif" << QByteArray("tiff") << 2 << qint64(20000);
        QTest::newRow("lossless JPEG XR") << "range.jxr" << QByteArray("jxr") << 2 << qint64(0);
    }
    // 32-bit samples go out as their height part: the flag bits above are cleared.
    void rangeImagesReadBack() {
        QFETCH(QString, name);
        QFETCH(QByteArray, reader);
        QFETCH(int, typeCode);
        QFETCH(qint64, bigTiffAbove);
        NuvTiffFile::setBigTiffThreshold(static_cast<uint64_t>(bigTiffAbove));
        const auto restore = qScopeGuard([] { NuvTiffFile::setBigTiffThreshold(0); });
        NuvRangeImage img = makeRange(typeCode);
        const bool wide = typeCode == NuvRangeImage::TypeInt32;
        if (wide) {
            img.mat().at<int32_t>(0, 1) = int32_t(0xE0000000u | NuvRangeImage::kSample32Mask);
        } else {
            img.mat().at<uint16_t>(0, 1) = 65535;
        }
        const NuvRangeImage before = img.DeepCopy();
        NuvVar target = var(path(name));
        QCOMPARE(Op().Save(img, target, false, 2), 0);
        QCOMPARE(cv::norm(img.mat(), before.mat(), cv::NORM_INF), 0.0);
        const QJsonObject read = readBack(reader.constData(), path(name));
        QCOMPARE(read["shape"].toArray(), QJsonArray({30, 40}));
        QCOMPARE(read["dtype"].toString(), QString(wide ? "uint32" : "uint16"));
        if (reader == "tiff") {
            QCOMPARE(read["compression"].toInt(), 1);
            // 30 x 40 samples of 2 or 4 bytes: 2400 or 4800 bytes and the directory.
            QCOMPARE(read["bigtiff"].toBool(), bigTiffAbove > 0 && bigTiffAbove < 2400);
            const QString description = read["tags"].toObject()["ImageDescription"].toString();
            QVERIFY2(description.startsWith("NuvRangeImage heightScale="), qPrintable(description));
        }
        cv::Mat heights = img.mat();
        if (wide) cv::bitwise_and(img.mat(), cv::Scalar(NuvRangeImage::kSample32Mask), heights);
        QCOMPARE(read["samples"].toArray().toVariantList(), samplesOf(heights));
    }

    void heightCsvMatchesQtAndNumpy_data() {
        QTest::addColumn<int>("typeCode");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::newRow("16-bit") << 2 << 40 << 30;
        QTest::newRow("16-bit, large (value table)") << 2 << 400 << 400;
        QTest::newRow("32-bit with flags") << 4 << 40 << 30;
        QTest::newRow("doubles") << 6 << 40 << 30;
        QTest::newRow("one sample") << 2 << 1 << 1;
    }
    void heightCsvMatchesQtAndNumpy() {
        QFETCH(int, typeCode);
        QFETCH(int, width);
        QFETCH(int, height);
        NuvRangeImage img = makeRange(typeCode, width, height);
        NuvVar target = var(path("range_3DHeight.csv"));
        Op op;
        QCOMPARE(op.Save(img, target, false, 2), 0);
        const QString saved = QString::fromStdString(op.savedPath());
        QFile written(saved);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll(), referenceCsv(img));
        if (width * height > 2000) return;
        const QJsonObject read = readBack("csv", saved);
        QCOMPARE(read["shape"].toArray(), QJsonArray({height, width}));
        const QJsonArray samples = read["samples"].toArray();
        for (int i = 0; i < width * height; ++i) {
            const double raw = rawAt(i, typeCode);
            QCOMPARE(samples[i].isNull(), std::isnan(raw));
            QVERIFY(samples[i].isNull() || std::abs(samples[i].toDouble() - (raw - 32768) * 0.0016) < 1e-9);
        }
    }

    void ownLayoutRoundTrips_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("typeCode");
        QTest::newRow("srt 16-bit") << "range.srt" << 2;
        QTest::newRow("ecd 32-bit") << "range.ecd" << 4;
        QTest::newRow("mri doubles with NaN") << "range.MRI" << 6;
    }
    void ownLayoutRoundTrips() {
        QFETCH(QString, name);
        QFETCH(int, typeCode);
        NuvRangeImage img = makeRange(typeCode, 33, 7);
        NuvVar target = var(path(name));
        QCOMPARE(Op().Save(img, target, false, 2), 0);
        NuvRangeImage loaded;
        QCOMPARE(Op().Load(&loaded, target), 0);
        QCOMPARE((QVector<int>{loaded.TypeCode(), loaded.Width(), loaded.Height()}),
                 (QVector<int>{typeCode, 33, 7}));
        QVERIFY(std::memcmp(loaded.Data(), img.Data(), img.byteSize()) == 0);
        const double a[6] = {img.heightScale(), img.heightOffset(), img.xInterval(),
                             img.xOffset(),     img.yInterval(),    img.yOffset()};
        const double b[6] = {loaded.heightScale(), loaded.heightOffset(), loaded.xInterval(),
                             loaded.xOffset(),     loaded.yInterval(),    loaded.yOffset()};
        QVERIFY(std::memcmp(a, b, sizeof(a)) == 0);
    }

    void badFilesDoNotLoad_data() {
        QTest::addColumn<QByteArray>("content");
        const QByteArray head = QByteArray("NUVRANGE") + QByteArray("\x02\0\0\0\x02\0\0\0", 8);
        const QByteArray dims = QByteArray("\x02\0\0\0\x02\0\0\0", 8) + QByteArray(48, '\0');
        QTest::newRow("missing") << QByteArray();
        QTest::newRow("other magic") << QByteArray("NOTRANGE").append(200, '\0');
        QTest::newRow("truncated samples") << head + dims + QByteArray(7, '\0');
        QTest::newRow("huge size") << head + QByteArray("\xff\xff\xff\x7f\xff\xff\xff\x7f", 8) + dims.mid(8);
        // 1073764994 x 2147437309 samples of 8 bytes wrap 64 bits to exactly the bytes that follow.
        QTest::newRow("size product wraps") << QByteArray("NUVRANGE") +
                                                   QByteArray("\x02\0\0\0\x06\0\0\0", 8) +
                                                   QByteArray("\x82\x5a\x00\x40\xfd\x4a\xff\x7f", 8) +
                                                   QByteArray(48, '\0') + QByteArray(537552, '\0');
        QTest::newRow("unknown type")
            << QByteArray("NUVRANGE") + QByteArray("\x02\0\0\0\x05\0\0\0", 8) + dims + QByteArray(8, '\0');
    }
    void badFilesDoNotLoad() {
        QFETCH(QByteArray, content);
        const QString file = path("bad.srt");
        QFile::remove(file);
        if (!content.isEmpty()) {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(content);
        }
        NuvRangeImage loaded = makeRange(2, 3, 3);
        Op op;
        NuvVar target = var(file);
        QCOMPARE(op.Load(&loaded, target), int(Op::ErrRead));
        QVERIFY(!op.lastError().empty());
        QCOMPARE(loaded.Width(), 3);
    }

    void saveFailuresReport_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("typeCode");
        QTest::addColumn<bool>("compressed");
        QTest::addColumn<int>("expected");
        QTest::newRow("missing folder") << "no/such/folder/r.tif" << 2 << false << int(Op::ErrOpen);
        QTest::newRow("unknown suffix") << "r.xyz" << 2 << false << int(Op::ErrFormat);
        QTest::newRow("doubles to TIFF") << "r.tif" << 6 << false << int(Op::ErrFormat);
        QTest::newRow("empty image") << "r.srt" << 0 << false << int(Op::ErrArgument);
        QTest::newRow("compressed") << "r.srt" << 2 << true << int(Op::ErrArgument);
        QTest::newRow("cloud to missing folder") << "no/such/c.pcd" << -1 << false << int(Op::ErrOpen);
        QTest::newRow("cloud unknown suffix") << "c.tif" << -1 << false << int(Op::ErrFormat);
    }
    void saveFailuresReport() {
        QFETCH(QString, name);
        QFETCH(int, typeCode);
        QFETCH(bool, compressed);
        QFETCH(int, expected);
        NuvRangeImage img = makeRange(std::max(typeCode, 0));
        NuvPointCloud cloud;
        NUVMV::Nuv3DDataConvert().RangeImageToPointCloud(img, &cloud);
        Op op;
        NuvVar target = var(path(name));
        QCOMPARE(typeCode < 0 ? op.Save(cloud, target, false, false, 2) : op.Save(img, target, compressed, 2),
                 expected);
        QVERIFY(!op.lastError().empty());
    }

    // The process's file-size limit stands in for a full disk; a forked child takes it so the
    // test process keeps writing normally.
    void fullDiskFailsCleanly_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("tif") << "full.tif";
        QTest::newRow("csv") << "full_3DHeight.csv";
        QTest::newRow("srt") << "full.srt";
        QTest::newRow("pcd") << "full.pcd";
        QTest::newRow("obj") << "full.obj";
        QTest::newRow("image png") << "full.png";
    }
    void fullDiskFailsCleanly() {
        QFETCH(QString, name);
        const QString file = path(name);
        const QStringList before = entries();
        NuvRangeImage img = makeRange(2, 400, 400);
        const pid_t child = fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{64 * 1024, 64 * 1024};
            setrlimit(RLIMIT_FSIZE, &limit);
            NuvVar target = var(file);
            bool failed = false;
            if (name.endsWith(".png")) {
                cv::Mat noise(800, 800, CV_8UC1);
                cv::randu(noise, 0, 255);
                failed = !NuvImage(noise).SaveImage(file.toUtf8().constData(), 0);
            } else if (name.endsWith(".pcd") || name.endsWith(".obj")) {
                NuvPointCloud cloud;
                NUVMV::Nuv3DDataConvert().RangeImageToPointCloud(img, &cloud);
                failed = Op().Save(cloud, target, false, false, 2) == Op::ErrWrite;
            } else {
                failed = Op().Save(img, target, false, 2) == Op::ErrWrite;
            }
            _exit(failed ? 0 : 1);
        }
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status));
        QCOMPARE(WEXITSTATUS(status), 0);
        QVERIFY2(!QFile::exists(file), "a partly written file must not be left behind");
        QCOMPARE(entries(), before);  // nor a temporary file
    }

    // Saves to one name keep the earlier files and take the next free names.
    void savesNeverReplace_data() {
        QTest::addColumn<QString>("writer");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("names");  // of three saves in a row
        const auto row = [](const char* tag, const char* writer, const char* name, const QStringList& names) {
            QTest::newRow(tag) << writer << name << names;
        };
        row("tif", "range", "keep.tif", {"keep.tif", "keep_1.tif", "keep_2.tif"});
        row("height csv", "range", "k_3DHeight.csv",
            {"k_3DHeight.csv", "k_3DHeight_1.csv", "k_3DHeight_2.csv"});
        row("srt", "range", "keep.srt", {"keep.srt", "keep_1.srt", "keep_2.srt"});
        row("jxr", "range", "keep.jxr", {"keep.jxr", "keep_1.jxr", "keep_2.jxr"});
        row("pcd", "cloud", "keep.pcd", {"keep.pcd", "keep_1.pcd", "keep_2.pcd"});
        row("ply", "cloud", "keep.ply", {"keep.ply", "keep_1.ply", "keep_2.ply"});
        row("obj", "cloud", "keep.obj", {"keep.obj", "keep_1.obj", "keep_2.obj"});
        row("image png", "image", "keep.png", {"keep.png", "keep_1.png", "keep_2.png"});
        row("a folder has the name", "range", "folder.tif", {"folder_1.tif", "folder_2.tif", "folder_3.tif"});
        row("no suffix", "bytes", "keep", {"keep", "keep_1", "keep_2"});
        row("hidden name", "bytes", ".keep", {".keep", ".keep_1", ".keep_2"});
        row("dot in the folder only", "bytes", "v1.2/keep", {"v1.2/keep", "v1.2/keep_1", "v1.2/keep_2"});
    }
    void savesNeverReplace() {
        QFETCH(QString, writer);
        QFETCH(QString, name);
        QFETCH(QStringList, names);
        const QString folder = path(QStringLiteral("keep %1/").arg(QTest::currentDataTag()));
        QVERIFY(QDir().mkpath(QFileInfo(folder + name).absolutePath()));
        if (name == "folder.tif") QVERIFY(QDir().mkpath(folder + name));
        const std::string file = (folder + name).toStdString();
        QStringList saved;
        QList<QByteArray> contents;
        for (int i = 0; i < 3; ++i) {
            NuvRangeImage img = makeRange(2, 5 + i, 3);  // each save of its own size
            std::string written;
            NuvVar target(file);
            Op op;
            if (writer == "range") {
                QCOMPARE(op.Save(img, target, false, 2), 0);
                written = op.savedPath();
            } else if (writer == "cloud") {
                NuvPointCloud cloud;
                NUVMV::Nuv3DDataConvert().RangeImageToPointCloud(img, &cloud);
                QCOMPARE(op.Save(cloud, target, false, false, 2), 0);
                written = op.savedPath();
            } else if (writer == "image") {
                QVERIFY(
                    NuvImage(cv::Mat(3, 5 + i, CV_8UC1, cv::Scalar(i))).SaveImage(file.c_str(), 6, &written));
            } else {
                NuvFileWriter bytes(file);
                bytes.write(std::string(5 + i, 'x'));
                QVERIFY(bytes.close());
                written = bytes.path();
            }
            saved << QString::fromStdString(written).mid(folder.size());
            QFile f(QString::fromStdString(written));
            QVERIFY(f.open(QIODevice::ReadOnly));
            contents << f.readAll();
        }
        QCOMPARE(saved, names);
        // Every file still holds what its own save wrote.
        QCOMPARE(QSet<QByteArray>(contents.begin(), contents.end()).size(), 3);
        for (int i = 0; i < 3; ++i) {
            QFile f(folder + names[i]);
            QVERIFY(f.open(QIODevice::ReadOnly));
            QCOMPARE(f.readAll(), contents[i]);
        }
    }

    void imagesReadBack_data() {
        QTest::addColumn<int>("cvType");
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<int>("tolerance");
        for (const char* suffix : {"bmp", "png", "tif", "jpg"}) {
            const int tolerance = QByteArray(suffix) == "jpg" ? 6 : 0;
            QTest::newRow(qPrintable(QString("Mono8 %1").arg(suffix))) << CV_8UC1 << suffix << tolerance;
            QTest::newRow(qPrintable(QString("colour %1").arg(suffix))) << CV_8UC3 << suffix << tolerance;
            QTest::newRow(qPrintable(QString("Mono16 %1").arg(suffix))) << CV_16UC1 << suffix << tolerance;
        }
    }
    void imagesReadBack() {
        QFETCH(int, cvType);
        QFETCH(QString, suffix);
        QFETCH(int, tolerance);
        cv::Mat m(12, 16, cvType);
        for (int r = 0; r < m.rows; ++r)
            for (int c = 0; c < m.cols * m.channels(); ++c) {
                const int v = r * 8 + c * 2;  // smooth, so JPEG stays close
                if (cvType == CV_16UC1)
                    m.at<uint16_t>(r, c) = uint16_t(v * 256 + 17);
                else
                    m.ptr<uint8_t>(r)[c] = uint8_t(v);
            }
        std::string saved;
        QVERIFY(NuvImage(m).SaveImage(path("图像." + suffix).toUtf8().constData(), 6, &saved));
        const QString file = QString::fromStdString(saved);
        const QJsonObject read = readBack("image", file);
        QCOMPARE(read["size"].toArray(), QJsonArray({16, 12}));
        // What a reader sees: colour as RGB, 16 bits only where the format holds them.
        cv::Mat expected = m;
        if (cvType == CV_8UC3) cv::cvtColor(m, expected, cv::COLOR_BGR2RGB);
        if (cvType == CV_16UC1 && (suffix == "bmp" || suffix == "jpg"))
            m.convertTo(expected, CV_8U, 1.0 / 256);
        const QVariantList want = samplesOf(expected);
        const QJsonArray got = read["samples"].toArray();
        QCOMPARE(got.size(), want.size());
        // JPEG: the mean error; lossless formats: exact.
        double error = 0;
        for (int i = 0; i < got.size(); ++i)
            error += std::abs(got[i].toDouble() - want[i].toDouble());
        QVERIFY2(error <= tolerance * got.size(), qPrintable(QString::number(error / got.size())));
    }

    void imageSaveFailures() {
        const NuvImage img(cv::Mat(4, 4, CV_8UC1, cv::Scalar(9)));
        QVERIFY(!img.SaveImage(path("no/folder/x.png").toUtf8().constData(), 6));
        QVERIFY(!img.SaveImage(path("x.gif").toUtf8().constData(), 6));
        QVERIFY(!NuvImage().SaveImage(path("x.png").toUtf8().constData(), 6));
        QVERIFY(!img.SaveImage(nullptr, 6));
    }
};

QTEST_GUILESS_MAIN(TestNuvFormats)
#include "tst_nuvformats.moc"
