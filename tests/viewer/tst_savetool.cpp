// The save worker and the file writer: names, suffix dispatch, the viewer's own CSV and BIN
// layouts, queue limits, run endings, faults (full disk, stop or destruction during a write).
#include <sys/resource.h>
#include <sys/stat.h>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <thread>

#include "ImageFileWriter.h"
#include "ReadBack.h"
#include "SaveImageTool.h"
#include "TestSupport.h"
#include "ZavizoZoz3.h"
#include "ZavizoZoz3Control.h"

namespace Control = ZavizoZoz3::Control;
using namespace ZavizoZoz3;

namespace {
QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList filesIn(const QString& dir) {
    return QDir(dir).entryList(QDir::Files, QDir::Name);
}

void configureRun(SaveImageTool& tool, const QString& path, int type = SaveImageTool::ImageType,
                  int mode = SaveImageTool::MultiFrameSave) {
    tool.setSaveMode(mode);
    tool.setSaveType(type);
    tool.setSavePath(path);
}

NuvImage greyImage(int w, int h) {
    NuvImage image(w, h, NuvPixelFormat::Mono8);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.data()[y * image.step() + x] = static_cast<uint8_t>(x + y);
    return image;
}
}  // namespace

class TestSaveTool : public QObject {
    Q_OBJECT
private slots:
    void init() {
        TestSupport::resetEnvironment();
        m_dir = new QTemporaryDir();
        QVERIFY(m_dir->isValid());
        Control::setParameterInfo(PARAMETER_FILE_PREFIX, "cam");
        Control::setParameterInfo(PARAMETER_NAMING_RULE, "2");
    }

    void cleanup() {
        delete m_dir;
        m_dir = nullptr;
        Control::reset();
    }

    void names_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("rule");
        QTest::addColumn<QString>("formats");  // "14,18,20,4" indexes; "-" switches a file off
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<QString>("chosen");  // a single save's chosen path; none: a multi-frame run into /d
        const auto row = [](const char* name, int kind, int rule, const char* formats,
                            const QStringList& expected, const char* chosen = "") {
            QTest::newRow(name) << kind << rule << QString(formats) << expected << QString(chosen);
        };
        row("profile both", 0, 2, "0,0,0,0", {"cam_4_height.csv", "cam_4_brightness.csv"});
        row("profile bin", 0, 2, "1,0,0,0", {"cam_4.bin", "cam_4_brightness.csv"});
        row("profile height only", 0, 2, "3,0,-,0", {"cam_4.srt"});
        row("image png", 1, 2, "0,0,0,2", {"cam_4.png"});
        row("image out of table", 1, 2, "0,0,0,9", {});
        row("range ply", 2, 2, "0,3,0,0", {"cam_4.ply", "cam_4.bmp"});
        row("range csv pair", 2, 2, "0,4,3,0", {"cam_4_3DHeight.csv", "cam_4_3DBrightness.csv"});
        row("range jxr", 2, 2, "0,8,-,0", {"cam_4.jxr"});
        row("rule 1", 1, 1, "0,0,0,0", {"cam_T.bmp"});
        row("rule 0", 1, 0, "0,0,0,1", {"cam_T_4.jpg"});
        row("unknown rule", 1, 7, "0,0,0,0", {});
        row("chosen profile csv", 0, 2, "0,0,0,0", {"dir/scan_height.csv", "dir/scan_brightness.csv"},
            "dir/scan.csv");
        row("chosen range csv", 2, 2, "0,0,0,0", {"dir/s_3DHeight.csv", "dir/s_3DBrightness.csv"},
            "dir/s.csv");
        row("chosen image csv writes nothing", 1, 2, "0,0,0,0", {}, "dir/p.csv");
        row("chosen plain", 2, 2, "0,0,0,0", {"dir/s.ply"}, "dir/s.ply");
        row("chosen csv at start is a plain name", 0, 2, "0,0,0,0", {".csv"}, ".csv");
    }

    void names() {
        QFETCH(int, kind);
        QFETCH(int, rule);
        QFETCH(QString, formats);
        QFETCH(QStringList, expected);
        QFETCH(QString, chosen);
        const QStringList f = formats.split(',');
        SaveSettings s = SaveSettings::read();
        s.namingRule = rule;
        s.profileHeightFormat = f[0].toInt();
        s.rangeHeightFormat = f[1].toInt();
        s.saveProfileBrightness = s.saveRangeBrightness = f[2] != "-";
        s.rangeBrightnessFormat = f[2].toInt();
        s.imageFormat = f[3].toInt();
        const bool single = !chosen.isEmpty();
        s.autoName = !single;
        ImageFileWriter writer;
        writer.setRun(s, single ? SaveImageTool::SingleSave : SaveImageTool::MultiFrameSave,
                      single ? chosen : "/d", nullptr);
        QStringList want;
        for (QString name : expected)
            want << (single ? name : "/d/" + name.replace("_T", "_2024_03_05_07_08_09_010"));
        QCOMPARE(writer.fileList(kind, 4, QDateTime(QDate(2024, 3, 5), QTime(7, 8, 9, 10))), want);
    }

    void profileCsvLayouts() {
        QCOMPARE(ImageFileWriter::heightsCsv({}), std::string());
        // Byte-identical to QString::number(value, 'g', 10) for every kind of value.
        const QVector<qreal> values{-0.123456789012, 12345678901.0, 1e21,    3.0,
                                    -1e-5,           0.1,           qQNaN(), 7.25e-300};
        QString reference;
        for (qreal v : values)
            reference += (reference.isEmpty() ? "" : ",") + QString::number(v, 'g', 10);
        QCOMPARE(QString::fromStdString(ImageFileWriter::heightsCsv(values)), reference + "\n");
        const uint8_t bytes[] = {0, 9, 255};
        QCOMPARE(ImageFileWriter::bytesCsv(bytes, 3), std::string("0,9,255\n"));

        // A profile frame writes both files; an existing file is replaced.
        const QString dir = m_dir->path();
        QVERIFY(ImageFileWriter::writeText(dir + "/cam_0_height.csv", std::string(100000, 'x')));
        ImageFileWriter writer;
        writer.setRun(SaveSettings::read(), SaveImageTool::MultiFrameSave, dir, nullptr);
        ImageFileWriter::Frame frame;
        frame.heights = {1, 2.5, 1e-12};
        frame.brightness = {3, 4, 5};
        QStringList files;
        QVERIFY(writer.writeFrame(frame, 0, &files));
        QCOMPARE(files.size(), 2);
        QCOMPARE(readAll(files[0]), QByteArray("1,2.5,1e-12\n"));
        QCOMPARE(readAll(files[1]), QByteArray("3,4,5\n"));
    }

    void rangeBinAndBrightnessCsv() {
        NuvRangeImage range(3, 2, 2);
        for (int i = 0; i < 6; ++i)
            reinterpret_cast<uint16_t*>(range.data())[i] = static_cast<uint16_t>(1000 + i);
        ImageFileWriter writer;
        const QString bin = m_dir->path() + "/r.bin";
        QVERIFY(writer.writeRangeBin(range, bin));
        QCOMPARE(readAll(bin), QByteArray(reinterpret_cast<const char*>(range.data()), 12));
        const QString csv = m_dir->path() + "/r_3DBrightness.csv";
        QVERIFY(writer.writeRangeBrightnessCsv(greyImage(3, 2), csv));
        QCOMPARE(readAll(csv), QByteArray("0,1,2\n1,2,3\n"));
        // Profile BIN: raw samples of the profile format, no point as 0.
        ProfileFrameInfo::Values info;
        info.profileHeightOffset = 32768;
        info.profileScaleDivisor = 100;
        const NuvRangeImage row = ImageFileWriter::profileRow({0.5, qQNaN(), -1.0}, info);
        QCOMPARE((QVector<int64_t>{row.sample(0, 0), row.sample(0, 1), row.sample(0, 2)}),
                 (QVector<int64_t>{32818, 0, 32668}));
    }

    void imagesReadBackByPillow_data() {
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<int>("channels");
        QTest::newRow("grey bmp") << ".bmp" << 1;
        QTest::newRow("grey tif") << ".tif" << 1;
        QTest::newRow("rgb bmp") << ".bmp" << 3;
        QTest::newRow("rgb tif") << ".tif" << 3;
    }

    // Odd widths need BMP row padding; colours must keep their order.
    void imagesReadBackByPillow() {
        QFETCH(QString, suffix);
        QFETCH(int, channels);
        const int w = 5;
        const int h = 3;
        NuvImage image(w, h, channels == 1 ? NuvPixelFormat::Mono8 : NuvPixelFormat::RGB8);
        QJsonArray expected;
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w * channels; ++x) {
                const int v = (y * 40 + x * 7) & 0xFF;
                image.mat().ptr<uchar>(y)[x] = static_cast<uchar>(v);
                expected.append(v);
            }
        }
        const QString path = m_dir->path() + QString::fromUtf8("/图") + suffix;
        QVERIFY(ImageFileWriter().writeImage(image, path));
        const QJsonObject summary = TestSupport::readBack("image", path);
        QCOMPARE(summary["mode"].toString(), QString(channels == 1 ? "L" : "RGB"));
        QCOMPARE(summary["size"].toArray(), (QJsonArray{w, h}));
        QCOMPARE(summary["samples"].toArray(), expected);
    }

    void multiImageFrameRoles() {
        SaveSettings s = SaveSettings::read();
        s.imageFormat = 4;  // CSV
        ImageFileWriter writer;
        writer.setRun(s, SaveImageTool::MultiFrameSave, m_dir->path(), nullptr);
        NuvImage left = greyImage(2, 2);
        NuvImage streak = greyImage(2, 1);
        QStringList files;
        QVERIFY(
            writer.writeMultiImageFrame({{1, &left}, {3, &streak}}, NuvRangeImage(), "SIM-KRB", 7, &files));
        QCOMPARE(filesIn(m_dir->path()), (QStringList{"cam_2D_Left_7.csv", "cam_Left_Streak_7.csv"}));
        QCOMPARE(readAll(files[0]), QByteArray("0,1\n1,2\n"));
        files.clear();
        QVERIFY(writer.writeMultiImageFrame({{2, &left}}, NuvRangeImage(), "SIM-KRB", 8, &files));
        QVERIFY(files[0].endsWith("cam_GSImage_8.csv"));
    }

    void queueAdmitsCapacityPlusOne() {
        // No run: frames wait for the next start, so the queue fills deterministically.
        SaveImageTool tool;
        Control::setParameterInfo(PARAMETER_QUEUE_CAPACITY, "10");
        configureRun(tool, m_dir->path());
        QSignalSpy info(&tool, &SaveImageTool::saveInfoUpdate);
        QSignalSpy finished(&tool, &SaveImageTool::saveFinish);
        tool.start();
        tool.stop();  // ended before any frame: the worker reports it and goes idle
        QTRY_VERIFY_WITH_TIMEOUT(finished.size() == 1, 5000);
        info.clear();
        for (int i = 0; i < 12; ++i)
            tool.addImage(greyImage(4, 4));
        QCOMPARE(info.size(), 12);
        QCOMPARE(info.at(10).at(1).value<uchar>(), uchar(100));  // eleventh accepted at 100 %
        QCOMPARE(info.at(10).at(3).toInt(), 0);
        QCOMPARE(info.at(11).at(3).toInt(), 1);  // twelfth discarded
        QCOMPARE(tool.discardedCount(), 1);
    }

    void singleSaveReportsFirstPathInChineseFolder() {
        const QString dir = m_dir->path() + QString::fromUtf8("/相机一");
        QVERIFY(QDir().mkdir(dir));
        Control::setParameterInfo(PARAMETER_FILE_PREFIX, "轮廓");
        SaveImageTool tool;
        QSignalSpy finished(&tool, &SaveImageTool::saveFinish);
        configureRun(tool, dir, SaveImageTool::ProfileType, SaveImageTool::SingleSave);
        tool.addProfile({1.0, 2.0}, {7, 8});
        tool.start();
        QTRY_VERIFY_WITH_TIMEOUT(finished.size() == 1, 5000);
        QCOMPARE(finished.at(0).at(0).toBool(), true);
        QCOMPARE(finished.at(0).at(1).toString(), dir + QString::fromUtf8("/轮廓_0_height.csv"));
        QCOMPARE(filesIn(dir), (QStringList{"轮廓_0_brightness.csv", "轮廓_0_height.csv"}));
        QCOMPARE(tool.processedCount(), 1);
        QVERIFY(!tool.isSaving());

        // A run that wrote nothing reports no path: heights and brightness switched off.
        Control::setParameterInfo(PARAMETER_SAVE_PROFILE_HEIGHT, "0");
        Control::setParameterInfo(PARAMETER_SAVE_PROFILE_BRIGHTNESS, "0");
        tool.addProfile({1.0}, {1});
        tool.start();
        QTRY_VERIFY_WITH_TIMEOUT(finished.size() == 2, 5000);
        QCOMPARE(finished.at(1).at(1).toString(), QString());
    }

    void frameLimitEndsRun() {
        Control::setParameterInfo(PARAMETER_FRAME_LIMIT, "0");
        SaveImageTool tool;
        QSignalSpy finished(&tool, &SaveImageTool::saveFinish);
        configureRun(tool, m_dir->path());
        tool.start();
        tool.addImage(greyImage(8, 8));
        QTRY_VERIFY_WITH_TIMEOUT(finished.size() == 1, 5000);
        QCOMPARE(filesIn(m_dir->path()), QStringList{"cam_0.bmp"});
        // Frames after the end are refused until the next start, which resets the counters.
        QTRY_VERIFY(!tool.isSaving());
        tool.start();
        QCOMPARE(tool.processedCount(), 0);
        tool.stop();
        // The worker reports the empty run's end: the spy must outlive that report.
        QTRY_VERIFY_WITH_TIMEOUT(finished.size() == 2, 5000);
    }

    // A FIFO holds the writer inside its write until the test reads it.
    void stopCompletesTheFrameInProgress() {
        const QString blocked = m_dir->path() + "/cam_0.bmp";
        QCOMPARE(::mkfifo(QFile::encodeName(blocked).constData(), 0600), 0);
        SaveImageTool tool;
        QSignalSpy finished(&tool, &SaveImageTool::saveFinish);
        configureRun(tool, m_dir->path());
        tool.start();
        tool.addImage(greyImage(16, 16));
        tool.addImage(greyImage(16, 16));  // accepted before the stop: written as well
        QTRY_VERIFY(tool.holdsFrame());
        tool.stop();
        tool.addImage(greyImage(16, 16));  // refused after the stop
        QVERIFY(tool.isSaving());
        QCOMPARE(readAll(blocked).size(), 54 + 1024 + 16 * 16);  // header, grey palette, pixels: complete
        QTRY_VERIFY_WITH_TIMEOUT(finished.size() == 1, 5000);
        QCOMPARE(finished.at(0).at(0).toBool(), true);
        QCOMPARE(tool.processedCount(), 2);
        QVERIFY(QFileInfo(m_dir->path() + "/cam_1.bmp").size() > 0);
        QVERIFY(!QFileInfo::exists(m_dir->path() + "/cam_2.bmp"));
    }

    void destructionWaitsForTheWrite() {
        const QString blocked = m_dir->path() + "/cam_0.bmp";
        QCOMPARE(::mkfifo(QFile::encodeName(blocked).constData(), 0600), 0);
        QByteArray bmp;
        std::thread reader([&]() { bmp = readAll(blocked); });
        {
            SaveImageTool tool;
            configureRun(tool, m_dir->path());
            tool.start();
            tool.addImage(greyImage(32, 8));
        }  // the pane goes while the worker writes
        reader.join();
        QCOMPARE(bmp.size(), 54 + 1024 + 32 * 8);
    }

    // The child process runs a multi-frame save of profiles under a file-size limit of 2 KiB.
    void fullDiskFailsFramesButRunGoesOn() {
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("NUV_SAVE_FULL_DISK_DIR", m_dir->path());
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), QStringList());
        QVERIFY(child.waitForFinished(60000));
        const QByteArray out = child.readAllStandardOutput() + child.readAllStandardError();
        QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0, out.constData());
        QVERIFY2(out.contains("processed=3 result=0"), out.constData());
        QVERIFY2(out.contains("SaveImageTool: Save image failed, path = "), out.constData());
        // The small brightness files fit and are complete.
        QCOMPARE(filesIn(m_dir->path()).filter("_brightness.csv").size(), 3);
    }

private:
    QTemporaryDir* m_dir = nullptr;
};

namespace {
int fullDiskChild(const QString& dir) {
    std::signal(SIGXFSZ, SIG_IGN);  // writes past the limit fail with EFBIG instead
    rlimit limit{2048, 2048};
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) return 2;
    TestSupport::resetEnvironment();
    Control::setParameterInfo(PARAMETER_NAMING_RULE, "2");
    Control::setParameterInfo(PARAMETER_FRAME_LIMIT, "3");
    SaveImageTool tool;
    QSignalSpy finished(&tool, &SaveImageTool::saveFinish);
    configureRun(tool, dir, SaveImageTool::ProfileType);
    tool.start();
    for (int i = 0; i < 3; ++i)
        tool.addProfile(QVector<qreal>(3200, 1.234567), QVector<uint8_t>(100, 7));
    if (!QTest::qWaitFor([&]() { return finished.size() == 1; }, 20000)) return 3;
    std::printf("processed=%d result=%d\n", tool.processedCount(), finished.at(0).at(0).toBool() ? 1 : 0);
    for (const std::string& line : Control::logLines())
        std::printf("%s\n", line.c_str());
    return 0;
}
}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QString fullDiskDir = qEnvironmentVariable("NUV_SAVE_FULL_DISK_DIR");
    if (!fullDiskDir.isEmpty()) return fullDiskChild(fullDiskDir);
    TestSaveTool test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_savetool.moc"
