// Files of the 3D file library and NuvImage::SaveImage, each read back by an independent reader
// from Debian (tests/support/read_back.py), our own range layout round-tripped bit-exactly, and
// the failures a user can run into: missing folders, a full disk, bad files.
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

#include <opencv2/imgproc.hpp>

#include "Nuv3DDataConvert.h"
#include "Nuv3DFileOperation.h"
#include "NuvImage.h"
#include "NuvNumberFormat.h"
#include "ReadBack.h"

using Op = NUVMV::Nuv3DFileOperation;
using TestSupport::readBack;

namespace {
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

class TestNuv3DFile : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    // A folder with a Chinese name: every path below is non-ASCII UTF-8.
    QString path(const QString& name) const { return m_dir.filePath(QStringLiteral("相机一/") + name); }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("相机一/folder.tif")));
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
        QTest::newRow("uncompressed TIFF") << "range.tif" << QByteArray("tiff");
        QTest::newRow("lossless JPEG XR") << "range.jxr" << QByteArray("jxr");
    }
    void rangeImagesReadBack() {
        QFETCH(QString, name);
        QFETCH(QByteArray, reader);
        NuvRangeImage img = makeRange(NuvRangeImage::TypeUInt16);
        img.mat().at<uint16_t>(0, 1) = 65535;
        NuvVar target = var(path(name));
        QCOMPARE(Op().Save(img, target, false, 2), 0);
        const QJsonObject read = readBack(reader.constData(), path(name));
        QCOMPARE(read["shape"].toArray(), QJsonArray({30, 40}));
        QCOMPARE(read["dtype"].toString(), QStringLiteral("uint16"));
        if (reader == "tiff") QCOMPARE(read["compression"].toInt(), 1);
        QCOMPARE(read["samples"].toArray().toVariantList(), samplesOf(img.mat()));
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
        QCOMPARE(Op().Save(img, target, false, 2), 0);
        QFile written(path("range_3DHeight.csv"));
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll(), referenceCsv(img));
        if (width * height > 2000) return;
        const QJsonObject read = readBack("csv", path("range_3DHeight.csv"));
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
        QTest::newRow("folder as file") << "folder.tif" << 2 << false << int(Op::ErrOpen);
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
        const QString file = path("图像." + suffix);
        QVERIFY(NuvImage(m).SaveImage(file.toUtf8().constData(), 6));
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

QTEST_GUILESS_MAIN(TestNuv3DFile)
#include "tst_nuv3dfile.moc"
