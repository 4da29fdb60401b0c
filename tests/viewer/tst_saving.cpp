// SPDX-License-Identifier: Apache-2.0
// Saving: the worker and the file writer (names, suffix dispatch, the viewer's own CSV and BIN
// layouts, queue limits, run endings, faults: full disk, no memory, stop or destruction during a write) and
// the pane's save commands with the simulated cameras (single saves of the three profiler modes, multi-frame
// saves and recording with their strips and tips, the checks and their boxes, runs cut short by a disconnect
// or by closing the viewer).
#include <sys/resource.h>
#include <unistd.h>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QLabel>
#include <QLoggingCategory>
#include <QMouseEvent>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>
#include <climits>
#include <cmath>
#include <condition_variable>
#include <csignal>
#include <cstring>
#include <mutex>
#include <numeric>
#include <opencv2/imgproc.hpp>
#include <opencv2/videoio.hpp>
#include <thread>

#include "COperationTipWidget.h"
#include "FrameMetadata.h"
#include "GreyHistogramTool.h"
#include "HeightColourBar.h"
#include "HostGrab.h"
#include "Image2DWnd.h"
#include "Image3DWnd.h"
#include "ImageFileWriter.h"
#include "ImageMultiSaveInfoWidget.h"
#include "Nuv3DFileOperation.h"
#include "NuvFileWriter.h"
#include "NuvVar.h"
#include "PaneSaveCommands.h"
#include "RangeStreamer.h"
#include "ReadBack.h"
#include "SaveImageTool.h"
#include "SaveWorkerKeeper.h"
#include "ScriptedModalHandler.h"
#include "StreamStall.h"
#include "VideoRecordWriter.h"
#include "ViewerHost.h"
#include "ZMKImageView.h"
#include "ZMKImageWnd.h"

namespace Control = ZavizoZoz3::Control;
using namespace ZavizoZoz3;
using TestSupport::readBack;

namespace {
// The worker's saveFinish reports, each as {success, path}. The worker emits on its own thread;
// they are recorded queued on this one, where the test reads them (a QSignalSpy's list would be
// written there and read here).
struct FinishLog : QList<QVariantList> {
    explicit FinishLog(SaveImageTool* tool) {
        QObject::connect(
            tool, &SaveImageTool::saveFinish, &m_receiver,
            [this](bool success, QString path) {
                append(QVariantList{success, path});
            },
            Qt::QueuedConnection);
    }
    QObject m_receiver;  // on the test's thread; its end disconnects
};

// The progress reports of a save worker: those sent on the test's thread (frames offered) are recorded
// at once, those of the worker's thread queued, as FinishLog does.
struct InfoLog : QList<QVariantList> {
    explicit InfoLog(SaveImageTool* tool) {
        QObject::connect(
            tool, &SaveImageTool::saveInfoUpdate, &m_receiver,
            [this](uint total, uchar usageRate, int dealCount, int discardCount) {
                append(QVariantList{total, QVariant::fromValue(usageRate), dealCount, discardCount});
            });
    }
    QObject m_receiver;  // on the test's thread; its end disconnects
};

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A run's metadata sidecar: "<run>_frames.csv", or "<run>_frames_<n>.csv" when that name was taken.
bool isSidecar(const QString& name) {
    static const QRegularExpression pattern(QStringLiteral("_frames(_[0-9]+)?\\.csv$"));
    return pattern.match(name).hasMatch();
}

// The files a run saved, without its metadata sidecar ("<run>_frames.csv").
QStringList withoutSidecars(QStringList names) {
    names.erase(std::remove_if(names.begin(), names.end(), [](const QString& n) { return isSidecar(n); }),
                names.end());
    return names;
}

QStringList filesIn(const QString& dir) {
    return withoutSidecars(QDir(dir).entryList(QDir::Files, QDir::Name));
}

QStringList sidecarsIn(const QString& dir) {
    QStringList names = QDir(dir).entryList(QDir::Files, QDir::Name);
    names.erase(std::remove_if(names.begin(), names.end(), [](const QString& n) { return !isSidecar(n); }),
                names.end());
    return names;
}

QStringList foldersIn(const QString& dir) {
    return QDir(dir).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
}

// The frames of a recording: the files of the one sub-folder it made.
QString recordingFolder(const QString& cameraFolder) {
    const QStringList folders = foldersIn(cameraFolder);
    return folders.size() == 1 ? cameraFolder + '/' + folders.first() : QString();
}

// Every frame of a video as OpenCV reads it back (BGR).
QVector<cv::Mat> videoFrames(const QString& path) {
    QVector<cv::Mat> frames;
    cv::VideoCapture video(path.toStdString(), cv::CAP_FFMPEG);
    cv::Mat frame;
    while (video.isOpened() && video.read(frame))
        frames.append(frame.clone());
    return frames;
}

// ffprobe's "codec,width,height,pixel format,frame rate,frames counted" of a video's first stream; empty
// without ffprobe.
QString probeVideo(const QString& path) {
    QProcess probe;
    probe.start("ffprobe", {"-v", "error", "-select_streams", "v:0", "-count_frames", "-show_entries",
                            "stream=codec_name,width,height,pix_fmt,r_frame_rate,nb_read_frames", "-of",
                            "csv=p=0", path});
    if (!probe.waitForFinished(60000) || probe.exitStatus() != QProcess::NormalExit) return QString();
    return QString::fromLatin1(probe.readAllStandardOutput()).trimmed();
}

bool noVideoBackend() {
    return false;
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

QStringList tipTexts(QWidget* pane) {
    QStringList texts;
    for (COperationTipWidget* tip : pane->findChildren<COperationTipWidget*>())
        texts << tip->text();
    return texts;
}

// Holds the save worker before each frame until released. A worker that is never released goes on
// after a generous deadline, so that a GUI thread waiting for it fails the test instead of hanging.
struct WriteGate {
    std::mutex mutex;  // guards the three fields
    std::condition_variable changed;
    int entered = 0;
    bool released = false;
    bool timedOut = false;

    std::function<void(int)> hook() {
        return [this](int) {
            std::unique_lock<std::mutex> lock(mutex);
            ++entered;
            changed.notify_all();
            if (!changed.wait_for(lock, std::chrono::seconds(15), [this]() { return released; }))
                timedOut = true;
        };
    }
    int enteredCount() {
        std::lock_guard<std::mutex> lock(mutex);
        return entered;
    }
    // False when the worker had to let itself go: nobody released it in time.
    bool release() {
        std::lock_guard<std::mutex> lock(mutex);
        released = true;
        changed.notify_all();
        return !timedOut;
    }
};

// Every entry of a folder, hidden ones (a temporary file) included.
QStringList entriesIn(const QString& dir) {
    return withoutSidecars(QDir(dir).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name));
}

// Holds every file writer of the process just before its file gets its final name, until the
// gate is opened or goes.
class CommitGate {
public:
    CommitGate() { NuvFileWriter::setCommitHook(&CommitGate::hold); }
    ~CommitGate() { open(); }
    // True once a writer waits at the gate.
    bool waitForWriter() { return s_arrived.tryAcquire(1, 10000); }
    // Lets the waiting writer and all later ones through.
    void open() {
        NuvFileWriter::setCommitHook(nullptr);
        s_pass.release(1000);
    }

private:
    static void hold(const std::string&) {
        s_arrived.release();
        s_pass.acquire();
    }
    static QSemaphore s_arrived;
    static QSemaphore s_pass;
};
QSemaphore CommitGate::s_arrived;
QSemaphore CommitGate::s_pass;

// Largest file a child under the file-size limit can write.
constexpr int kFileSizeLimit = 4096;

// Writes frame 0, whose files all fit under kFileSizeLimit, and frame 1, whose files do not, of one
// kind with the height and brightness formats given ("-1": that file is off; kind 1 uses the
// height format as its image format). The pixels are the same in every process. Returns the
// two frames' results, "small=1 large=0" when the large one failed.
QString writeSmallAndLarge(const QString& dir, int kind, int heightFormat, int brightnessFormat) {
    SaveSettings s = SaveSettings::read();
    s.prefix = "cam";
    s.namingRule = 2;
    s.saveProfileHeight = s.saveRangeHeight = heightFormat >= 0;
    s.profileHeightFormat = s.rangeHeightFormat = s.imageFormat = heightFormat;
    s.saveProfileBrightness = s.saveRangeBrightness = brightnessFormat >= 0;
    s.rangeBrightnessFormat = brightnessFormat;
    ImageFileWriter writer;
    writer.setRun(s, SaveImageTool::MultiFrameSave, dir, nullptr);
    QRandomGenerator random(7);  // noise: no format compresses it below the limit
    QString result;
    for (int number = 0; number < 2; ++number) {
        const int w = number == 0 ? 8 : 300;
        const int h = number == 0 ? 4 : 100;
        ImageFileWriter::Frame frame;
        frame.kind = kind;
        for (int i = 0; i < (number == 0 ? 8 : 3200); ++i) {
            frame.heights << random.bounded(40.0) - 20.0;
            frame.brightness << static_cast<uint8_t>(random.bounded(256));
        }
        frame.image = NuvImage(w, h, NuvPixelFormat::Mono8);
        frame.range = NuvRangeImage(w, h, 2);
        for (int i = 0; i < w * h; ++i) {
            frame.image.data()[i] = static_cast<uint8_t>(random.bounded(256));
            reinterpret_cast<uint16_t*>(frame.range.data())[i] =
                static_cast<uint16_t>(1 + random.bounded(65535));
        }
        result += QString("%1=%2 ")
                      .arg(number == 0 ? "small" : "large")
                      .arg(writer.writeFrame(frame, number, nullptr));
    }
    return result.trimmed();
}

// Every CSV written ends with a complete line.
bool allComplete(const QString& dir) {
    for (const QString& name : filesIn(dir)) {
        QFile f(dir + '/' + name);
        if (!f.open(QIODevice::ReadOnly)) return false;
        if (name.endsWith(".csv") && !f.readAll().endsWith('\n')) return false;
    }
    return true;
}
}  // namespace

class TestSaving : public QObject, protected TestSupport::ViewerHost {
    Q_OBJECT
private slots:
    void init() {
        TestSupport::resetEnvironment();
        Control::installPayloadEncoder();
        m_dir = new QTemporaryDir();
        QVERIFY(m_dir->isValid());
        Control::setParameterInfo(PARAMETER_SAVE_DIR, m_dir->path().toStdString());
        Control::setParameterInfo(PARAMETER_RECORD_DIR, m_dir->path().toStdString());
        Control::setParameterInfo(PARAMETER_FILE_PREFIX, "cam");
        Control::setParameterInfo(PARAMETER_NAMING_RULE, "2");
        openViewer(1000, 700);
    }

    void cleanup() {
        VideoRecordWriter::setBackendProbe(nullptr);
        closeViewer();
        delete m_dir;
        m_dir = nullptr;
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

        // A profile frame writes both files; an existing file is kept and the new one takes the
        // next free name.
        const QString dir = m_dir->path();
        QVERIFY(ImageFileWriter::writeText(dir + "/cam_0_height.csv", std::string(100000, 'x')));
        ImageFileWriter writer;
        writer.setRun(SaveSettings::read(), SaveImageTool::MultiFrameSave, dir, nullptr);
        ImageFileWriter::Frame frame;
        frame.heights = {1, 2.5, 1e-12};
        frame.brightness = {3, 4, 5};
        QStringList files;
        QVERIFY(writer.writeFrame(frame, 0, &files));
        QCOMPARE(files, (QStringList{dir + "/cam_0_height_1.csv", dir + "/cam_0_brightness.csv"}));
        QCOMPARE(readAll(files[0]), QByteArray("1,2.5,1e-12\n"));
        QCOMPARE(readAll(files[1]), QByteArray("3,4,5\n"));
        QCOMPARE(readAll(dir + "/cam_0_height.csv").size(), 100000);
    }

    // With the X column setting a heights CSV can be read without knowing the point spacing:
    // x,z pairs in millimetres under a header, an empty z where the laser found no point.
    void profileCsvXColumn_data() {
        QTest::addColumn<QString>("setting");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("off: one line") << "0" << QByteArray("1,nan,2.5\n");
        QTest::newRow("on: x,z lines") << "1" << QByteArray("x (mm),z (mm)\n0,1\n0.025,\n0.05,2.5\n");
    }

    void profileCsvXColumn() {
        QFETCH(QString, setting);
        QFETCH(QByteArray, expected);
        Control::setParameterInfo(PARAMETER_PROFILE_CSV_X_COLUMN, setting.toStdString());
        auto info = std::make_shared<ProfileFrameInfo>();
        ProfileFrameInfo::Values values;
        values.xInterval = 0.025;
        info->setValues(values);
        SaveSettings settings = SaveSettings::read();
        settings.autoName = false;  // a single save to the chosen name
        ImageFileWriter writer;
        writer.setRun(settings, SaveImageTool::SingleSave, m_dir->path() + "/scan.csv", info);
        ImageFileWriter::Frame frame;
        frame.heights = {1, qQNaN(), 2.5};
        frame.brightness = {3, 0, 5};
        QStringList files;
        QVERIFY(writer.writeFrame(frame, 0, &files));
        QCOMPARE(files.value(0), m_dir->path() + "/scan_height.csv");
        QCOMPARE(readAll(files[0]), expected);
        QCOMPARE(readAll(files[1]), QByteArray("3,0,5\n"));
    }

    void savesNeverReplace_data() {
        QTest::addColumn<QString>(
            "how");  // two single saves, two runs of two frames, three frames at one time
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("rule");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("two single saves") << "single" << 1 << 2 << QStringList{"cam_0.bmp", "cam_0_1.bmp"};
        QTest::newRow("two single saves to one chosen name")
            << "chosen" << 1 << 2 << QStringList{"scan.bmp", "scan_1.bmp"};
        QTest::newRow("two single scan saves")
            << "single" << 2 << 2 << QStringList{"cam_0.bmp", "cam_0.tif", "cam_0_1.bmp", "cam_0_1.tif"};
        QTest::newRow("two runs into one folder")
            << "runs" << 1 << 2 << QStringList{"cam_0.bmp", "cam_0_1.bmp", "cam_1.bmp", "cam_1_1.bmp"};
        QTest::newRow("rule 1 within one millisecond")
            << "one time" << 1 << 1 << QStringList{"cam_T.bmp", "cam_T_1.bmp", "cam_T_2.bmp"};
    }

    // Every frame handed over is on disk after the saves, each under a name of its own.
    void savesNeverReplace() {
        QFETCH(QString, how);
        QFETCH(int, kind);
        QFETCH(int, rule);
        QFETCH(QStringList, expected);
        const QString dir = m_dir->path();
        Control::setParameterInfo(PARAMETER_NAMING_RULE, std::to_string(rule));
        QStringList reported;
        if (how == "one time") {
            const QDateTime time(QDate(2024, 3, 5), QTime(7, 8, 9, 10));
            ImageFileWriter writer;
            writer.setRun(SaveSettings::read(), SaveImageTool::MultiFrameSave, dir, nullptr);
            for (int i = 0; i < 3; ++i) {
                ImageFileWriter::Frame frame;
                frame.kind = ImageFileWriter::ImageKind;
                frame.image = greyImage(8, 4);
                QStringList files;
                QVERIFY(writer.writeFrame(frame, i, &files, time));
                reported << files;
            }
            expected.replaceInStrings("_T", "_" + ImageFileWriter::timeText(time));
        } else {
            if (how == "chosen") Control::setParameterInfo(PARAMETER_AUTO_NAME, "0");
            if (how == "runs") Control::setParameterInfo(PARAMETER_FRAME_LIMIT, "2");
            SaveImageTool tool;
            FinishLog finished(&tool);
            for (int save = 0; save < 2; ++save) {
                const int mode = how == "runs" ? SaveImageTool::MultiFrameSave : SaveImageTool::SingleSave;
                configureRun(tool, how == "chosen" ? dir + "/scan.bmp" : dir, kind, mode);
                for (int frame = 0; frame < (how == "runs" ? 2 : 1); ++frame) {
                    if (kind == SaveImageTool::RangeType) {
                        tool.addRangeImage(NuvRangeImage(8, 4, 2), greyImage(8, 4));
                    } else {
                        tool.addImage(greyImage(8, 4));
                    }
                }
                tool.start();
                QTRY_VERIFY_WITH_TIMEOUT(finished.size() == save + 1, 5000);
                QVERIFY(finished.last().at(0).toBool());
                reported << finished.last().at(1).toString();
            }
        }
        QCOMPARE(filesIn(dir), expected);
        // The paths reported are those of the new files.
        QStringList distinct = reported;
        distinct.removeDuplicates();
        QCOMPARE(distinct.size(), reported.size());
        for (const QString& path : reported)
            QVERIFY2(expected.contains(QFileInfo(path).fileName()), qPrintable(path));
        for (const QString& name : expected) {
            if (name.endsWith(".bmp")) QCOMPARE(QImage(dir + '/' + name).size(), QSize(8, 4));
        }
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

    // A failed 3D save is one warning of nuv.save, which a host's logging rules silence; the
    // library writes nothing past the host's message handler.
    void failedRangeSaveLogsOnceInItsCategory() {
        static QStringList* caught = nullptr;
        QStringList lines;
        caught = &lines;
        const QtMessageHandler previous =
            qInstallMessageHandler([](QtMsgType, const QMessageLogContext& context, const QString& text) {
                caught->append(QString::fromLatin1(context.category) + '|' + text);
            });
        const auto restore = qScopeGuard([previous] {
            qInstallMessageHandler(previous);
            QLoggingCategory::setFilterRules(QString());
        });
        NuvRangeImage range(3, 2, 2);
        ImageFileWriter writer;
        const QString path = m_dir->path() + "/missing/r.tif";
        QVERIFY(!writer.writeRangeImage(range, path));
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines.at(0).startsWith("nuv.save|SaveImageTool: Save image failed, path = " + path),
                 qPrintable(lines.at(0)));
        QLoggingCategory::setFilterRules(QStringLiteral("nuv.save.warning=false"));
        QVERIFY(!writer.writeRangeImage(range, path));
        QCOMPARE(lines.size(), 1);
    }

    void imagesReadBackByPillow_data() {
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<uint>("format");
        const std::pair<const char*, uint32_t> formats[] = {
            {"grey", NuvPixelFormat::Mono8}, {"rgb", NuvPixelFormat::RGB8}, {"bgr", NuvPixelFormat::BGR8}};
        for (const auto& [name, format] : formats) {
            for (const char* suffix : {".bmp", ".tif", ".png", ".jpg"})
                QTest::newRow(qPrintable(QString(name) + ' ' + (suffix + 1))) << suffix << uint(format);
        }
    }

    // Odd widths need BMP row padding; colours keep their order whatever order the frame has; the
    // pixels the writer was handed (shared with the pane and the statistics thread) stay as they are.
    void imagesReadBackByPillow() {
        QFETCH(QString, suffix);
        QFETCH(uint, format);
        const int w = 5;
        const int h = 3;
        const int channels = format == NuvPixelFormat::Mono8 ? 1 : 3;
        NuvImage image(w, h, format);
        const int red = format == NuvPixelFormat::BGR8 ? 2 : 0;  // where red lies in a pixel
        const int base[] = {200, 110, 20};                       // red, green, blue
        QVector<int> expected;
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                for (int c = 0; c < channels; ++c) {
                    const int v = (channels == 1 ? 40 : base[c]) + 3 * x + 11 * y + c;
                    const int at = c == 0 ? red : (c == 2 ? 2 - red : 1);
                    image.mat().ptr<uchar>(y)[x * channels + at] = static_cast<uchar>(v);
                    expected.append(v);
                }
            }
        }
        const NuvImage shown = image;  // the pane's copy, sharing the pixels
        const NuvImage before = image.clone();
        const QString path = m_dir->path() + QString::fromUtf8("/图") + suffix;
        QVERIFY(ImageFileWriter().writeImage(image, path));
        QCOMPARE(cv::norm(shown.mat(), before.mat(), cv::NORM_INF), 0.0);
        const QJsonObject summary = readBack("image", path);
        QCOMPARE(summary["mode"].toString(), QString(channels == 1 ? "L" : "RGB"));
        QCOMPARE(summary["size"].toArray(), (QJsonArray{w, h}));
        const QJsonArray samples = summary["samples"].toArray();
        QCOMPARE(samples.size(), expected.size());
        const int tolerance = suffix == ".jpg" ? 6 : 0;  // JPEG is lossy, but keeps each channel near
        for (int i = 0; i < samples.size(); ++i) {
            QVERIFY2(
                qAbs(samples[i].toInt() - expected[i]) <= tolerance,
                qPrintable(
                    QStringLiteral("sample %1: %2, not %3").arg(i).arg(samples[i].toInt()).arg(expected[i])));
        }
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
        // A CSV that cannot be written fails the frame.
        writer.setRun(s, SaveImageTool::MultiFrameSave, m_dir->path() + "/missing", nullptr);
        QVERIFY(!writer.writeMultiImageFrame({{1, &left}}, NuvRangeImage(), "SIM-KRB", 9, &files));
    }

    void queueBounds_data() {
        QTest::addColumn<int>("byteLimit");  // 0: the default
        QTest::addColumn<int>("accepted");   // of 12 frames of 16 bytes with capacity 10
        QTest::addColumn<int>("mode");
        const int multi = SaveImageTool::MultiFrameSave, recording = SaveImageTool::Recording;
        QTest::newRow("frames: capacity + 1") << 0 << 11 << multi;
        QTest::newRow("bytes: three frames") << 48 << 3 << multi;
        QTest::newRow("bytes: a frame alone exceeds the bound") << 10 << 1 << multi;
        // A stream's recording rides out a disk stall of more frames than the capacity.
        QTest::newRow("recording: bytes only") << 0 << 12 << recording;
        QTest::newRow("recording: three frames") << 48 << 3 << recording;
    }

    void queueBounds() {
        QFETCH(int, byteLimit);
        QFETCH(int, accepted);
        QFETCH(int, mode);
        QVERIFY(SaveImageTool::defaultQueueByteLimit() <= (qint64(1) << 30));
        // No run: frames wait for the next start, so the queue fills deterministically.
        SaveImageTool tool;
        Control::setParameterInfo(PARAMETER_QUEUE_CAPACITY, "10");
        if (byteLimit > 0) tool.setQueueByteLimit(byteLimit);
        configureRun(tool, m_dir->path(), SaveImageTool::ImageType, mode);
        InfoLog info(&tool);
        FinishLog finished(&tool);
        tool.start();
        tool.stop();  // ended before any frame: the worker reports it and goes idle
        QTRY_VERIFY_WITH_TIMEOUT(finished.size() == 1, 5000);
        info.clear();
        for (int i = 0; i < 12; ++i)
            tool.addImage(greyImage(4, 4));
        QCOMPARE(info.size(), 12);
        QCOMPARE(tool.discardedCount(), 12 - accepted);
        QCOMPARE(info.at(accepted - 1).at(3).toInt(), 0);
        if (accepted < 12) QCOMPARE(info.at(accepted).at(3).toInt(), 1);
        if (byteLimit == 0 && mode != SaveImageTool::Recording)
            QCOMPARE(info.at(10).at(1).value<uchar>(), uchar(100));  // eleventh at 100 %
    }

    void singleSaveReportsFirstPathInChineseFolder() {
        const QString dir = m_dir->path() + QString::fromUtf8("/相机一");
        QVERIFY(QDir().mkdir(dir));
        Control::setParameterInfo(PARAMETER_FILE_PREFIX, "轮廓");
        SaveImageTool tool;
        FinishLog finished(&tool);
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
        FinishLog finished(&tool);
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

        // Frames offered once the run holds its limit are no part of it: neither kept nor lost.
        Control::setParameterInfo(PARAMETER_FRAME_LIMIT, "2");
        Control::setParameterInfo(PARAMETER_QUEUE_CAPACITY, "1");
        WriteGate gate;
        tool.setBeforeWrite(gate.hook());
        tool.start();
        for (int i = 0; i < 4; ++i)
            tool.addImage(greyImage(8, 8));
        QVERIFY(gate.release());
        QTRY_VERIFY_WITH_TIMEOUT(finished.size() == 3, 5000);
        QCOMPARE(tool.processedCount(), 2);
        QCOMPARE(tool.lastRunSummary().discarded, 0);
    }

    void stopCompletesTheFrameInProgress() {
        SaveImageTool tool;
        WriteGate gate;
        tool.setBeforeWrite(gate.hook());
        FinishLog finished(&tool);
        configureRun(tool, m_dir->path());
        tool.start();
        tool.addImage(greyImage(16, 16));
        tool.addImage(greyImage(16, 16));  // accepted before the stop: written as well
        QTRY_COMPARE(gate.enteredCount(), 1);
        tool.stop();
        tool.addImage(greyImage(16, 16));  // refused after the stop
        QVERIFY(tool.isSaving());
        QCOMPARE(tool.pendingCount(), 2);
        QVERIFY(filesIn(m_dir->path()).isEmpty());  // nothing under a final name before it is complete
        QVERIFY(gate.release());
        QTRY_VERIFY_WITH_TIMEOUT(finished.size() == 1, 5000);
        QCOMPARE(finished.at(0).at(0).toBool(), true);
        QCOMPARE(tool.processedCount(), 2);
        for (const char* name : {"/cam_0.bmp", "/cam_1.bmp"})  // header, grey palette, pixels: complete
            QCOMPARE(QFileInfo(m_dir->path() + name).size(), qint64(54 + 1024 + 16 * 16));
        QVERIFY(!QFileInfo::exists(m_dir->path() + "/cam_2.bmp"));
    }

    // A tool's own owner waits for it; a pane hands it over instead (runCutShort).
    void destructionWaitsForTheWrite() {
        CommitGate gate;
        std::thread opener;
        {
            SaveImageTool tool;
            configureRun(tool, m_dir->path());
            tool.start();
            tool.addImage(greyImage(32, 8));
            QVERIFY(gate.waitForWriter());
            opener = std::thread([&gate]() { gate.open(); });
        }  // its owner destroys the tool while the worker writes
        opener.join();
        QCOMPARE(QFileInfo(m_dir->path() + "/cam_0.bmp").size(), qint64(54 + 1024 + 32 * 8));
        QCOMPARE(entriesIn(m_dir->path()), QStringList{"cam_0.bmp"});
    }

    // The child process runs a save under an address-space limit: the frame that does not fit fails.
    void noMemoryFailsTheFrameNotTheHost() {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
        QSKIP("the sanitizers reserve more address space than the limit allows");
#endif
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("NUV_SAVE_NO_MEMORY_DIR", m_dir->path());
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), QStringList());
        QVERIFY(child.waitForFinished(60000));
        const QByteArray out = child.readAllStandardOutput() + child.readAllStandardError();
        QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0, out.constData());
        QVERIFY2(out.contains("processed=3 failed=1 result=0"), out.constData());
        // The point cloud and the whole-file CSV of the 50,000-line scan, each with its reason.
        QVERIFY2(out.contains("cam_1.pcd, error = out of memory"), out.constData());
        QVERIFY2(out.contains("cam_1_3DBrightness.csv, error = out of memory"), out.constData());
        const QStringList files = filesIn(m_dir->path());
        QVERIFY2(files.contains("cam_0.pcd") && files.contains("cam_2.pcd"), qPrintable(files.join(' ')));
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
        // The small brightness files fit and are complete; of the height files nothing is left, not
        // even a temporary file.
        QCOMPARE(filesIn(m_dir->path()).filter("_brightness.csv").size(), 3);
        QCOMPARE(entriesIn(m_dir->path()), filesIn(m_dir->path()).filter("_brightness.csv"));
        // The run's sidecar names exactly the files that are there.
        const QStringList sidecars = sidecarsIn(m_dir->path());
        QCOMPARE(sidecars.size(), 1);
        QStringList named;
        const QList<QByteArray> lines = readAll(m_dir->path() + '/' + sidecars.first()).trimmed().split('\n');
        for (int i = 1; i < lines.size(); ++i)
            named << QString::fromUtf8(lines[i].split(',').value(0));
        QCOMPARE(named, filesIn(m_dir->path()));
    }

    // A saved frame tells which frame it was and how it was taken: in the file where the format
    // has room for text, read back by independent readers.
    void metadataInTheFile_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("setting");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("suffix");
        QTest::newRow("2D TIFF") << int(SaveImageTool::ImageType) << "4"
                                 << "3"
                                 << ".tif";
        QTest::newRow("2D TIFF, 32-bit samples") << int(SaveImageTool::ImageType + 100) << "4"
                                                 << "3"
                                                 << ".tif";
        QTest::newRow("2D PNG") << int(SaveImageTool::ImageType) << "4"
                                << "2"
                                << ".png";
        QTest::newRow("range TIFF") << int(SaveImageTool::RangeType) << "18"
                                    << "0"
                                    << ".tif";
        QTest::newRow("range PCD") << int(SaveImageTool::RangeType) << "18"
                                   << "2"
                                   << ".pcd";
        QTest::newRow("range PLY") << int(SaveImageTool::RangeType) << "18"
                                   << "3"
                                   << ".ply";
    }
    void metadataInTheFile() {
        QFETCH(int, kind);
        QFETCH(QString, setting);
        QFETCH(QString, format);
        QFETCH(QString, suffix);
        // A 2D frame of 32-bit samples (a range camera's picture) goes through the same TIFF writer,
        // its samples signed as they are.
        const bool wide = kind == SaveImageTool::ImageType + 100;
        if (wide) kind = SaveImageTool::ImageType;
        const std::string key = TestSupport::connectedCamera(Control::CameraKind::AreaScan, "Meta");
        QCOMPARE(SetCameraNodeValue(key, "ExposureTime", "1234.5"), 0);
        QCOMPARE(SetCameraNodeValue(key, "Gain", "6.25"), 0);
        Control::setParameterInfo(static_cast<PARAMETER_INFO>(setting.toInt()), format.toStdString());
        Control::setParameterInfo(PARAMETER_SAVE_RANGE_BRIGHTNESS, "0");
        SaveImageTool tool;
        FinishLog finished(&tool);
        configureRun(tool, m_dir->path(), kind, SaveImageTool::SingleSave);
        tool.setCameraKey(QString::fromStdString(key));
        tool.start();
        FrameMetadata stamp;
        stamp.frameId = 4711;
        stamp.cameraTimestampNs = 1234567890123;
        if (wide) {
            NuvImage samples(16, 8, NuvPixelFormat::Coord3D_C32);
            samples.mat().setTo(cv::Scalar(-7));
            samples.mat().at<int32_t>(0, 1) = 123456789;
            tool.addImage(samples, stamp);
        } else if (kind == SaveImageTool::ImageType) {
            tool.addImage(greyImage(16, 8), stamp);
        } else {
            NuvRangeImage range(16, 8, 2);
            reinterpret_cast<uint16_t*>(range.data())[3] = 1000;
            tool.addRangeImage(range, greyImage(16, 8));
        }
        QTRY_COMPARE(finished.size(), 1);
        QVERIFY(finished.at(0).at(0).toBool());
        const QString path = finished.at(0).at(1).toString();
        QVERIFY2(path.endsWith(suffix), qPrintable(path));
        QString text;
        if (suffix == ".tif") {
            const QJsonObject read = readBack("tiff", path);
            const QJsonObject tags = read["tags"].toObject();
            QCOMPARE(tags["Software"].toString(), QString("NuvViewer"));
            QCOMPARE(tags["DateTime"].toString().size(), 19);
            QVERIFY(!read["bigtiff"].toBool());
            if (wide) {
                QCOMPARE(read["dtype"].toString(), QString("int32"));
                const QJsonArray samples = read["samples"].toArray();
                QCOMPARE(samples.size(), 16 * 8);
                QCOMPARE(samples.at(0).toInt(), -7);
                QCOMPARE(samples.at(1).toInt(), 123456789);
            }
            text = tags["ImageDescription"].toString();
        } else if (suffix == ".png") {
            text = readBack("image", path)["text"].toObject()["Comment"].toString();
        } else {
            text = QString::fromUtf8(readAll(path).left(1024));  // the header's comment lines
        }
        // The camera's values as the run began; id and timestamp only where the frame had them.
        QVERIFY2(text.contains("exposure_us=1234.5") && text.contains("gain=6.25"), qPrintable(text));
        QCOMPARE(text.contains("frame_id=4711\ncamera_timestamp_ns=1234567890123"),
                 kind == SaveImageTool::ImageType);
        QVERIFY2(text.contains("written=" + QDate::currentDate().toString(Qt::ISODate)), qPrintable(text));
        // The format's text goes in no other file.
        QVERIFY(sidecarsIn(m_dir->path()).isEmpty());
    }

    // BMP carries no text: one sidecar for the run, one row per file written, in the order written.
    void sidecarListsTheFilesOfARun() {
        Control::setParameterInfo(PARAMETER_FRAME_LIMIT, "5");
        SaveImageTool tool;
        FinishLog finished(&tool);
        configureRun(tool, m_dir->path());
        tool.start();
        for (int i = 0; i < 5; ++i) {
            FrameMetadata stamp;
            stamp.frameId = 100 + i;
            stamp.cameraTimestampNs = 5000000 * i;
            tool.addImage(greyImage(8 + i, 4), stamp);
        }
        QTRY_COMPARE(finished.size(), 1);
        const QStringList sidecars = sidecarsIn(m_dir->path());
        QCOMPARE(sidecars.size(), 1);
        QVERIFY2(sidecars.first().startsWith("cam_"), qPrintable(sidecars.first()));
        const QList<QByteArray> lines = readAll(m_dir->path() + '/' + sidecars.first()).trimmed().split('\n');
        QCOMPARE(lines.value(0), QByteArray("file,frame_id,camera_timestamp_ns,exposure_us,gain,written"));
        QCOMPARE(lines.size(), 6);
        QStringList named;
        for (int i = 1; i < lines.size(); ++i) {
            const QList<QByteArray> cells = lines[i].split(',');
            named << QString::fromUtf8(cells.value(0));
            QCOMPARE(cells.value(1).toInt(), 100 + i - 1);
            QCOMPARE(cells.value(2).toLongLong(), 5000000LL * (i - 1));
        }
        QCOMPARE(named, filesIn(m_dir->path()));
    }

    // The child process saves 60 small BMPs under a file-size limit of 2 KiB: the frames fit, the
    // sidecar outgrows the limit after some 30 rows. The frames it could not list are removed again
    // and fail; the sidecar names exactly the files that are there. A sidecar name that is taken is
    // not replaced.
    void sidecarThatCannotGrowFailsItsFrames() {
        QFile foreign(m_dir->path() + "/cam_frames.csv");
        QVERIFY(foreign.open(QIODevice::WriteOnly) && foreign.write("not ours\n") == 9);
        foreign.close();
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("NUV_SAVE_SIDECAR_LIMITED_DIR", m_dir->path());
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), QStringList());
        QVERIFY(child.waitForFinished(60000));
        const QByteArray out = child.readAllStandardOutput() + child.readAllStandardError();
        QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0, out.constData());
        QVERIFY2(out.contains("processed=60 result=0"), out.constData());
        QVERIFY2(out.contains("_frames_1.csv, error = "), out.constData());
        QCOMPARE(readAll(foreign.fileName()), QByteArray("not ours\n"));
        const QString sidecar =
            m_dir->path() + "/" + sidecarsIn(m_dir->path()).filter("_frames_1.csv").value(0);
        const QList<QByteArray> lines = readAll(sidecar).trimmed().split('\n');
        QVERIFY2(lines.size() > 10 && lines.size() < 60, qPrintable(QString::number(lines.size())));
        QStringList named;
        for (int i = 1; i < lines.size(); ++i)
            named << QString::fromUtf8(lines[i].split(',').value(0));
        QStringList files = filesIn(m_dir->path());
        named.sort();
        files.sort();
        QCOMPARE(named, files);
        QCOMPARE(entriesIn(m_dir->path()), filesIn(m_dir->path()));  // no temporary file left
    }

    void noPartialFileUnderAFinalName_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("brightness");
        QTest::newRow("profile heights and brightness CSV") << 0 << 0 << 0;
        QTest::newRow("profile BIN") << 0 << 1 << -1;
        QTest::newRow("profile PCD") << 0 << 2 << -1;
        QTest::newRow("profile SRT") << 0 << 3 << -1;
        QTest::newRow("image BMP") << 1 << 0 << -1;
        QTest::newRow("image JPG") << 1 << 1 << -1;
        QTest::newRow("image PNG") << 1 << 2 << -1;
        QTest::newRow("image TIF") << 1 << 3 << -1;
        QTest::newRow("range TIF, grey BMP") << 2 << 0 << 0;
        QTest::newRow("range SRT, grey JPG") << 2 << 1 << 1;
        QTest::newRow("range PCD, grey PNG") << 2 << 2 << 2;
        QTest::newRow("range PLY, grey CSV") << 2 << 3 << 3;
        QTest::newRow("range heights CSV") << 2 << 4 << -1;
        QTest::newRow("range BIN") << 2 << 5 << -1;
        QTest::newRow("range OBJ") << 2 << 6 << -1;
        QTest::newRow("range ECD") << 2 << 7 << -1;
        QTest::newRow("range JXR") << 2 << 8 << -1;
    }

    // A child process under a file-size limit writes a frame that fits and one that does not; what
    // it leaves must be exactly the complete files of the first, byte for byte as written without
    // the limit.
    void noPartialFileUnderAFinalName() {
        QFETCH(int, kind);
        QFETCH(int, height);
        QFETCH(int, brightness);
        const QString reference = m_dir->path() + "/reference";
        const QString limited = m_dir->path() + "/limited";
        QVERIFY(QDir().mkdir(reference) && QDir().mkdir(limited));
        QCOMPARE(writeSmallAndLarge(reference, kind, height, brightness), QString("small=1 large=1"));
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("NUV_SAVE_LIMITED",
                   QString("%1,%2,%3,%4").arg(kind).arg(height).arg(brightness).arg(limited));
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), QStringList());
        QVERIFY(child.waitForFinished(60000));
        const QByteArray out = child.readAllStandardOutput() + child.readAllStandardError();
        QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0, out.constData());
        QVERIFY2(out.contains("small=1 large=0"), out.constData());
        const QStringList expected = filesIn(reference).filter(QRegularExpression("^cam_0[._]"));
        QVERIFY(!expected.isEmpty());
        for (const QString& name : expected)
            QVERIFY2(QFileInfo(reference + '/' + name).size() <= kFileSizeLimit, qPrintable(name));
        QCOMPARE(entriesIn(limited), expected);
        for (const QString& name : expected)
            QVERIFY2(readAll(limited + '/' + name) == readAll(reference + '/' + name), qPrintable(name));
    }

    void stopWritesAcceptedFramesThenReportsLoss_data() {
        QTest::addColumn<bool>("removeFolder");
        QTest::newRow("disk too slow") << false;
        QTest::newRow("folder removed while writing") << true;
    }

    // The worker is held on its first frame while the profiles overflow its queue; then the run is
    // stopped, and the strip stays until every accepted frame was written.
    void stopWritesAcceptedFramesThenReportsLoss() {
        QFETCH(bool, removeFolder);
        Control::setParameterInfo(PARAMETER_QUEUE_CAPACITY, "1");
        bind(Control::CameraKind::LaserProfiler, "LP");
        Image3DWnd* v = m_pane->view3D();
        v->btnContourMode->click();
        PaneSaveCommands* save = m_pane->saveCommands();
        SaveImageTool& worker = save->worker();
        WriteGate gate;
        worker.setBeforeWrite(gate.hook());
        v->btnMultiSave->click();
        startGrab();
        QTRY_VERIFY_WITH_TIMEOUT(gate.enteredCount() == 1 && worker.discardedCount() >= 1, 20000);
        v->btnMultiSave->click();
        QCOMPARE(v->btnMultiSave->property("SelectedStatus").toBool(), false);
        QVERIFY(save->multiSaveStrip());
        const int pending = worker.pendingCount();
        QVERIFY(pending >= 2);  // the frame held and the queued one
        QCOMPARE(save->multiSaveStrip()->totalText(), QString("finishing %1 frames").arg(pending));
        const QString folder = m_dir->path() + "/LP";
        if (removeFolder) QVERIFY(QDir(folder).removeRecursively());
        QVERIFY(gate.release());
        QTRY_VERIFY_WITH_TIMEOUT(!save->multiSaveStrip(), 10000);
        const int failed = removeFolder ? pending : 0;
        QCOMPARE(worker.failedCount(), failed);
        QCOMPARE(worker.processedCount(), pending);
        QCOMPARE(filesIn(folder).size(), 2 * (pending - failed));
        QString expected = QString("%1 of %2 frames saved; %3 discarded: the disk could not keep up")
                               .arg(pending - failed)
                               .arg(pending + worker.discardedCount())
                               .arg(worker.discardedCount());
        if (removeFolder)
            expected += QString("; %1 failed: they could not be written, see the log").arg(failed);
        QTRY_COMPARE(TestSupport::modals().messageTexts(), QStringList{expected});
        QVERIFY(!tipTexts(m_pane).contains("Picture saved."));
    }

    void stripCountsTimesAndFolds() {
        ImageMultiSaveInfoWidget strip;
        strip.setTotalCount(12);
        strip.setUsageRate(45);
        QCOMPARE(strip.totalText(), QString("12 Images"));
        QCOMPARE(strip.usageText(), QString("Cache usage rate 45%"));
        strip.startElapsedClock();
        QCOMPARE(strip.totalText(), QString("00:00:00"));
        for (int i = 0; i < 3661; ++i)
            strip.onTimeout();
        QCOMPARE(strip.totalText(), QString("01:01:01"));
        strip.show();
        QTest::mouseClick(strip.findChild<QPushButton*>("btnFold"), Qt::LeftButton);
        QVERIFY(strip.isFolded());
        QTest::mouseClick(strip.findChild<QPushButton*>("btnFold"), Qt::LeftButton);
        QVERIFY(!strip.isFolded());
    }

    void checksShowTheirBox_data() {
        QTest::addColumn<QString>("command");  // single, multi, record
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QStringList>("buttons");
        const auto row = [](const char* name, const char* command, const char* setup, const char* box,
                            const QStringList& buttons) {
            QTest::newRow(name) << QString(command) << QString(setup) << QString(box) << buttons;
        };
        row("dialog cancelled", "single", "manual", "Disk path error, please reselect.", {"Confirm"});
        row("no profile yet", "single", "", "Save image failed. (Error cause: no valid data)", {"I know"});
        row("save folder missing", "multi", "missing", "Dir is not exist", {"Confirm", "Cancel"});
        row("folder cannot be created", "multi", "readonly", "Create dir failed!", {"Confirm", "Cancel"});
        row("chosen folder cannot be created", "record", "manual readonly", "Create dir failed!", {"Cancel"});
        row("no frame rate", "record", "no rate", "Recording failure, current frame rate is zero.",
            {"Confirm"});
        row("video without a video writer", "record", "no video",
            "Recordings cannot be saved as video on this system: its OpenCV has no FFmpeg video writer for "
            "FFV1. "
            "Choose a folder of frames as the recording format.",
            {"I know"});
        row("ended without frames", "multi twice", "", "Save image failed. (Error cause: not start grab)",
            {"I know"});
        row("32-bit scan as JXR", "multi", "3d jxr32",
            "This sensor measures 32-bit heights, which JXR cannot hold. Choose another range height format "
            "(TIF keeps all 32 bits).",
            {"I know"});
    }

    void checksShowTheirBox() {
        QFETCH(QString, command);
        QFETCH(QString, setup);
        QFETCH(QString, box);
        QFETCH(QStringList, buttons);
        const bool record = command == "record";
        bind(record ? Control::CameraKind::AreaScan : Control::CameraKind::LaserProfiler, "Cam");
        ScriptedModalHandler& modals = TestSupport::modals();
        if (setup.contains("manual")) {
            Control::setParameterInfo(PARAMETER_AUTO_NAME, "0");
            Control::setParameterInfo(PARAMETER_RECORD_AUTO_NAME, "0");
        }
        if (setup.contains("missing")) Control::setParameterInfo(PARAMETER_SAVE_DIR, "/nonexistent/nowhere");
        // Nothing can be created in /proc, not even by root.
        if (setup.contains("readonly")) {
            Control::setParameterInfo(PARAMETER_SAVE_DIR, "/proc");
            modals.pushDirectory("/proc");
        }
        if (setup.contains("no rate")) m_pane->setCameraName("ghost");
        if (setup.contains("no video")) {
            Control::setParameterInfo(PARAMETER_RECORD_FORMAT, "1");
            VideoRecordWriter::setBackendProbe(&noVideoBackend);
        }
        if (setup.contains("jxr32")) {
            SetCameraInfo(m_key, CAM_INFO_RANGE_BITS, "32");
            Control::setParameterInfo(PARAMETER_RANGE_HEIGHT_FORMAT, "8");
        }
        if (setup.contains("3d")) m_pane->view3D()->btn3DMode->click();
        PaneSaveCommands* save = m_pane->saveCommands();
        if (command == "single") {
            m_pane->view3D()->btnContourMode->click();
            m_pane->view3D()->btnSingleSave->click();
        }
        if (command.startsWith("multi")) m_pane->view3D()->btnMultiSave->click();
        if (command == "multi twice") m_pane->view3D()->btnMultiSave->click();
        if (record) m_pane->view2D()->btnRecording->click();
        QCOMPARE(modals.messageTexts().value(0), box);
        QCOMPARE(modals.last(ModalSeam::Kind::MessageBox).buttons, buttons);
        // A failed check starts nothing.
        if (command != "multi twice") {
            QVERIFY(!save->worker().isSaving());
            QVERIFY(!save->multiSaveStrip() && !save->recordingStrip());
            QVERIFY(!save->isMultiSaving() && !save->isRecording());
        }
    }

    // Every save of the sensor picture takes the sensor's size bounded by the picture, the rows
    // outside the camera's window (coloured in the picture) zero; a camera claiming a huge sensor
    // must not make it allocate for that size.
    void sensorPictureBoundedByPicture_data() {
        QTest::addColumn<int>("widthMax");
        QTest::addColumn<int>("heightMax");
        QTest::addColumn<QSize>("expected");
        QTest::newRow("sensor as large as int goes") << INT_MAX << INT_MAX << QSize(64, 10);
        QTest::newRow("sensor narrower and lower") << 40 << 5 << QSize(40, 5);
    }

    void sensorPictureBoundedByPicture() {
        QFETCH(int, widthMax);
        QFETCH(int, heightMax);
        QFETCH(QSize, expected);
        QImage picture(64, 10, QImage::Format_RGB888);
        picture.fill(QColor(90, 90, 90));
        for (int y : {0, 9})  // rows outside the sensor window are coloured
            for (int x = 0; x < 64; ++x)
                picture.setPixelColor(x, y, QColor(19, 156, 95));
        const NuvImage grey = SaveImageTool::sensorPicture(picture, widthMax, heightMax);
        QCOMPARE(QSize(grey.width(), grey.height()), expected);
        QCOMPARE(int(grey.data()[0]), 0);
        QCOMPARE(int(grey.data()[grey.step() + 1]), 90);
        QCOMPARE(SaveImageTool::sensorRowBand(picture), std::make_pair(1, 8));
    }

    void cameraFolderStaysInsideTheSaveFolder_data() {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("folder");
        QTest::newRow("plain") << "LP-1200 #3"
                               << "LP-1200 #3";
        QTest::newRow("parent folder") << "../evil"
                                       << "_evil";
        QTest::newRow("dots only") << ".."
                                   << "camera";
        QTest::newRow("absolute path") << "/etc/cron.d"
                                       << "_etc_cron.d";
        QTest::newRow("windows path") << "C:\\Windows\\..\\x"
                                      << "C__Windows__x";
        QTest::newRow("hidden") << "..cam"
                                << "cam";
        QTest::newRow("leading dots and spaces") << " . .cam"
                                                 << "cam";
        QTest::newRow("control characters") << "Cam\n1\t\x01\x7f"
                                            << "Cam1";
        QTest::newRow("direction override") << QString::fromUtf8("cam\u202egpj.exe") << "camgpj.exe";
        QTest::newRow("trailing dots") << "cam. ."
                                       << "cam";
        QTest::newRow("device name") << "con.txt"
                                     << "_con.txt";
        QTest::newRow("empty") << ""
                               << "camera";
        QTest::newRow("long") << QString(300, QChar('a')) << QString(64, QChar('a'));
        QTest::newRow("long, three bytes a character")
            << QString(100, QChar(0x76F8)) << QString(21, QChar(0x76F8));  // 63 bytes of UTF-8
    }

    // Camera names come from the network: whatever the name, the run's folder is one new folder
    // right inside the save folder, and the frames land there.
    void cameraFolderStaysInsideTheSaveFolder() {
        QFETCH(QString, title);
        QFETCH(QString, folder);
        const QString base = m_dir->path() + "/base";
        QVERIFY(QDir().mkdir(base));
        Control::setParameterInfo(PARAMETER_SAVE_DIR, base.toStdString());
        bind(Control::CameraKind::AreaScan, "AS");
        m_pane->setImageWndTitle(title);
        Image2DWnd* v = m_pane->view2D();
        PaneSaveCommands* save = m_pane->saveCommands();
        v->btnMultiSave->click();
        QVERIFY(save->isMultiSaving());
        QCOMPARE(save->saveDirectory(), base + '/' + folder);
        QImage frame(8, 4, QImage::Format_Grayscale8);
        frame.fill(9);
        m_viewer->show2DImage(1, frame);  // a frame the host shows is saved during the run
        QTRY_VERIFY_WITH_TIMEOUT(save->worker().processedCount() == 1, 5000);
        v->btnMultiSave->click();
        QCOMPARE(entriesIn(m_dir->path()), QStringList{"base"});
        QCOMPARE(entriesIn(base), QStringList{folder});
        QCOMPARE(filesIn(base + '/' + folder), QStringList{"cam_0.bmp"});
    }

    void autoNamingMeansTheSameToPaneAndWorker_data() {
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("automatic");
        QTest::newRow("1") << "1" << true;
        QTest::newRow("2") << "2" << true;
        QTest::newRow("-1") << "-1" << true;
        QTest::newRow("spaces around 1") << " 1 " << true;
        QTest::newRow("0") << "0" << false;
        QTest::newRow("00") << "00" << false;
        QTest::newRow("empty: the default") << "" << true;
        QTest::newRow("not a number: the default") << "on" << true;
    }

    // A single save lands where the pane's reading of the switch sends it: in the save folder under
    // an automatic name, or under the name chosen in the file dialog.
    void autoNamingMeansTheSameToPaneAndWorker() {
        QFETCH(QString, value);
        QFETCH(bool, automatic);
        Control::setParameterInfo(PARAMETER_AUTO_NAME, value.toStdString());
        bind(Control::CameraKind::AreaScan, "AS");
        QImage frame(8, 4, QImage::Format_Grayscale8);
        frame.fill(9);
        m_viewer->show2DImage(1, frame);
        QCOMPARE(m_pane->imageSize(), QSize(8, 4));
        const QString chosen = m_dir->path() + "/chosen";
        QVERIFY(QDir().mkdir(chosen));
        TestSupport::modals().pushSaveFileName(chosen + "/scan.bmp");
        FinishLog finished(&m_pane->saveCommands()->worker());
        m_pane->view2D()->btnSingleSave->click();
        QTRY_VERIFY_WITH_TIMEOUT(finished.size() == 1, 5000);
        const QString expected = automatic ? m_dir->path() + "/cam_0.bmp" : chosen + "/scan.bmp";
        QCOMPARE(TestSupport::modals().count(ModalSeam::Kind::SaveFileName), automatic ? 0 : 1);
        QVERIFY(finished.at(0).at(0).toBool());
        QCOMPARE(finished.at(0).at(1).toString(), expected);
        QCOMPARE(QImage(expected).size(), QSize(8, 4));
    }

    void singleSaveOfEachProfilerMode() {
        bind(Control::CameraKind::LaserProfiler, "LP");
        QCOMPARE(SetCameraNodeValue(m_key, "AcquisitionLineCount", "200"), 0);
        QCOMPARE(SetCameraNodeValue(m_key, "BatchNumber", "100"), 0);
        Image3DWnd* v = m_pane->view3D();
        FinishLog finished(&m_pane->saveCommands()->worker());

        v->btnContourMode->click();
        startGrab();
        QTRY_VERIFY_WITH_TIMEOUT(!v->lastProfile().isEmpty(), 10000);
        v->btnSingleSave->click();
        QTRY_VERIFY_WITH_TIMEOUT(finished.size() == 1, 10000);
        QVERIFY(finished.last().at(0).toBool());
        QTRY_VERIFY(tipTexts(m_pane).contains("Picture saved."));
        v->btn3DStopGrab->click();

        v->btn2DMode->click();
        startGrab();
        QTRY_VERIFY_WITH_TIMEOUT(v->hasPicture(), 10000);
        v->btnSingleSave->click();
        QTRY_VERIFY_WITH_TIMEOUT(finished.size() == 2, 10000);
        // The sensor picture at the sensor's size ("WidthMax" 3200, "HeightMax" 1024).
        const QImage picture(m_dir->path() + "/cam_0.bmp");
        QCOMPARE(picture.size(), QSize(3200, 1024));
        v->btn3DStopGrab->click();

        v->btn3DMode->click();
        startGrab();
        QTRY_VERIFY_WITH_TIMEOUT(m_pane->rangeStreamer()->lastRowAppended() == 199, 20000);
        v->btn3DStopGrab->click();
        v->btnSingleSave->click();
        QTRY_VERIFY_WITH_TIMEOUT(finished.size() == 3, 10000);
        QVERIFY(finished.last().at(0).toBool());

        // The picture of 2D mode and the grey image of 3D mode would share a name: the grey image
        // takes the next free one and the picture stays.
        QCOMPARE(filesIn(m_dir->path()), (QStringList{"cam_0.bmp", "cam_0.tif", "cam_0_1.bmp",
                                                      "cam_0_brightness.csv", "cam_0_height.csv"}));
        QCOMPARE(QImage(m_dir->path() + "/cam_0.bmp").size(), picture.size());
        const QJsonObject tiff = readBack("tiff", m_dir->path() + "/cam_0.tif");
        QCOMPARE(tiff["shape"].toArray(), (QJsonArray{200, 3200}));
        QCOMPARE(tiff["dtype"].toString(), QString("uint16"));
        QCOMPARE(tiff["compression"].toInt(), 1);
        QCOMPARE(readBack("image", m_dir->path() + "/cam_0_1.bmp")["size"].toArray(),
                 (QJsonArray{3200, 200}));
    }

    // A camera window of 600 of the 1024 sensor rows: the single and the multi-frame save write
    // the same picture, the whole sensor with the rows outside the window zero, and the read-out
    // over those rows has no data.
    void sensorPictureSavedAlikeByEverySave() {
        bind(Control::CameraKind::LaserProfiler, "LP");
        QCOMPARE(SetCameraNodeValue(m_key, "Height", "600"), 0);
        QCOMPARE(SetCameraNodeValue(m_key, "OffsetY", "200"), 0);  // rows 224 to 823 from the top
        Control::setParameterInfo(PARAMETER_FRAME_LIMIT, "1");
        Image3DWnd* v = m_pane->view3D();
        FinishLog finished(&m_pane->saveCommands()->worker());
        v->btn2DMode->click();
        startGrab();
        QTRY_VERIFY_WITH_TIMEOUT(v->hasPicture(), 10000);
        v->btnSingleSave->click();
        QTRY_VERIFY_WITH_TIMEOUT(finished.size() == 1, 10000);
        v->btnMultiSave->click();
        QTRY_VERIFY_WITH_TIMEOUT(finished.size() == 2, 10000);

        auto* view = qobject_cast<ZMKImageView*>(v->displayWidget()->widget());
        QVERIFY(view);
        QSignalSpy hovered(m_pane, &ImageWnd::pixelHovered);
        for (int row : {100, 500}) {
            const QPoint at = view->mapFromImage(QPointF(1000.5, row + 0.5));
            QMouseEvent move(QEvent::MouseMove, at, Qt::NoButton, Qt::NoButton, Qt::NoModifier);
            QCoreApplication::sendEvent(view->viewport(), &move);
            QTRY_VERIFY(!hovered.isEmpty());
            const QColor colour = hovered.takeLast().at(1).value<QColor>();
            QCOMPARE(colour.isValid(), row == 500);
            QCOMPARE(view->statusText().contains("no data"), row == 100);
        }
        v->btn3DStopGrab->click();

        for (const QString& file : {m_dir->path() + "/cam_0.bmp", m_dir->path() + "/LP/cam_0.bmp"}) {
            const QImage saved = QImage(file).convertToFormat(QImage::Format_Grayscale8);
            QCOMPARE(saved.size(), QSize(3200, 1024));
            const auto rowSum = [&saved](int y) {
                return std::accumulate(saved.constScanLine(y), saved.constScanLine(y) + saved.width(), 0);
            };
            for (int y : {0, 223, 824, 1023})
                QCOMPARE(rowSum(y), 0);
            int inside = 0;
            for (int y = 224; y < 824; ++y)
                inside += rowSum(y);
            QVERIFY(inside > 0);
        }
    }

    // Another camera's colour picture on the profiler's 2D page is no sensor picture: a single
    // save writes its first channel, as a multi-frame save does.
    void colourPictureOnTheProfilerPageSavedLikeMultiFrame() {
        QVERIFY(bindCamera(Control::CameraKind::AreaScan, "AS"));
        Image3DWnd* v = m_pane->view3D();
        QVERIFY(v);
        v->btn2DMode->click();
        NuvImage colour(64, 48, NuvPixelFormat::RGB8);
        colour.mat().setTo(cv::Scalar(200, 110, 20));
        v->showImageWithProfile(colour, {});
        FinishLog finished(&m_pane->saveCommands()->worker());
        v->btnSingleSave->click();
        QTRY_VERIFY_WITH_TIMEOUT(finished.size() == 1, 10000);
        const QImage saved(m_dir->path() + "/cam_0.bmp");
        QCOMPARE(saved.size(), QSize(64, 48));
        QCOMPARE(qGray(saved.pixel(10, 10)), 200);
    }

    void profileBinFollowsTheSensor_data() {
        QTest::addColumn<QString>("bits");
        QTest::newRow("16-bit") << "16";
        QTest::newRow("32-bit") << "32";
    }

    // No scan was prepared: the contour's raw samples still follow the sensor's width and scale.
    void profileBinFollowsTheSensor() {
        QFETCH(QString, bits);
        Control::setParameterInfo(PARAMETER_PROFILE_HEIGHT_FORMAT, "1");
        Control::setParameterInfo(PARAMETER_SAVE_PROFILE_BRIGHTNESS, "0");
        bind(Control::CameraKind::LaserProfiler, "LP");
        SetCameraInfo(m_key, CAM_INFO_RANGE_BITS, bits.toStdString());
        Image3DWnd* v = m_pane->view3D();
        FinishLog finished(&m_pane->saveCommands()->worker());
        v->btnContourMode->click();
        startGrab();
        QTRY_VERIFY_WITH_TIMEOUT(!v->lastProfile().isEmpty(), 10000);
        const QVector<qreal> heights = v->lastProfile();
        v->btnSingleSave->click();
        QTRY_VERIFY_WITH_TIMEOUT(finished.size() == 1, 10000);
        QVERIFY(finished.last().at(0).toBool());
        const QByteArray bin = readAll(m_dir->path() + "/cam_0.bin");
        const bool wide = bits == "32";
        QCOMPARE(bin.size(), heights.size() * (wide ? 4 : 2));
        int valid = 0;
        for (int i = 0; i < heights.size(); ++i) {
            // The simulated sensor's "Scaler" is 32000: 16-bit 1 count = 1 um around 32768.
            const double raw = std::round(wide ? heights[i] * 32000 + 0x100000 : heights[i] * 1000 + 32768);
            const qint64 want = std::isnan(heights[i]) ? 0 : qint64(raw);
            qint64 got = 0;
            std::memcpy(&got, bin.constData() + i * (wide ? 4 : 2), wide ? 4 : 2);
            if (wide) got = qint32(got);
            QVERIFY2(got == want,
                     qPrintable(QStringLiteral("point %1: %2, not %3").arg(i).arg(got).arg(want)));
            valid += want != 0;
        }
        QVERIFY(valid > heights.size() / 2);
    }

    // Every range height format from a sensor of 32-bit samples: written in full and read back by
    // independent readers, or refused before anything runs (JPEG XR holds 16 bits).
    void rangeFormatsOfA32BitSensor() {
        Control::setParameterInfo(PARAMETER_SAVE_RANGE_BRIGHTNESS, "0");
        bind(Control::CameraKind::LaserProfiler, "LP");
        SetCameraInfo(m_key, CAM_INFO_RANGE_BITS, "32");
        QCOMPARE(SetCameraNodeValue(m_key, "AcquisitionLineCount", "100"), 0);
        QCOMPARE(SetCameraNodeValue(m_key, "BatchNumber", "50"), 0);
        Image3DWnd* v = m_pane->view3D();
        v->btn3DMode->click();
        // Exactly one scan: a camera still running would replace it before the last format is saved.
        SetCameraInfo(m_key, CAM_INFO_SINGLE_GRAB, "1");
        startGrab();
        QTRY_VERIFY_WITH_TIMEOUT(m_pane->rangeStreamer()->lastRowAppended() == 99, 20000);
        QTRY_VERIFY_WITH_TIMEOUT(!Control::isGrabbing(m_key), 20000);
        NuvRangeImage range;
        QVERIFY(m_pane->rangeStreamer()->copyRangeImage(&range));
        QCOMPARE(range.bytesPerPoint(), 4);
        const ProfileFrameInfo::Values info = v->frameInfo()->values();
        int valid = 0;
        double low = 1e300;
        double high = -1e300;
        for (int r = 0; r < range.height(); ++r) {
            for (int c = 0; c < range.width(); ++c) {
                const int64_t s = range.sample(r, c) & NuvRangeImage::kSample32Mask;
                if (s == 0) continue;
                ++valid;
                low = std::min(low, (s - info.heightOffset) * info.heightScale);
                high = std::max(high, (s - info.heightOffset) * info.heightScale);
            }
        }
        QVERIFY(valid > range.width() * range.height() / 2);
        FinishLog finished(&m_pane->saveCommands()->worker());
        const QStringList suffixes{".tif", ".srt", ".pcd", ".ply", "_3DHeight.csv",
                                   ".bin", ".obj", ".ecd", ".jxr"};
        for (int format = 0; format < suffixes.size(); ++format) {
            const QString path = m_dir->path() + "/cam_0" + suffixes[format];
            Control::setParameterInfo(PARAMETER_RANGE_HEIGHT_FORMAT, std::to_string(format));
            v->btnSingleSave->click();
            if (suffixes[format] == ".jxr") {
                QVERIFY(
                    TestSupport::modals().messageTexts().value(0).startsWith("This sensor measures 32-bit"));
                QVERIFY(!m_pane->saveCommands()->worker().isSaving());
                QVERIFY(!QFileInfo::exists(path));
                continue;
            }
            QTRY_VERIFY_WITH_TIMEOUT(finished.size() == format + 1, 20000);
            QVERIFY2(finished.last().at(0).toBool(), qPrintable(suffixes[format]));
            QVERIFY2(QFileInfo::exists(path), qPrintable(path));
            if (suffixes[format] == ".tif") {
                const QJsonObject tiff = readBack("tiff", path);
                QCOMPARE(tiff["shape"].toArray(), (QJsonArray{100, range.width()}));
                QCOMPARE(tiff["dtype"].toString(), QString("uint32"));
                const QJsonArray samples = tiff["samples"].toArray();
                QCOMPARE(samples.size(), range.width() * range.height());
                for (int i = 0; i < samples.size(); ++i) {
                    const int64_t s = range.sample(i / range.width(), i % range.width());
                    if (qint64(samples[i].toDouble()) != (s & NuvRangeImage::kSample32Mask))
                        QFAIL(qPrintable(QStringLiteral("TIFF sample %1").arg(i)));
                }
            } else if (suffixes[format] == ".srt" || suffixes[format] == ".ecd") {
                NuvRangeImage loaded;
                NuvVar source(path.toUtf8().constData());
                QCOMPARE(NUVMV::Nuv3DFileOperation().Load(&loaded, source), 0);
                QCOMPARE(loaded.TypeCode(), int(NuvRangeImage::TypeInt32));
                QCOMPARE(cv::norm(loaded.mat(), range.mat(), cv::NORM_INF), 0.0);
            } else if (suffixes[format] == ".bin") {
                QCOMPARE(readAll(path), QByteArray(reinterpret_cast<const char*>(range.data()),
                                                   static_cast<int>(range.byteSize())));
            } else if (suffixes[format].endsWith(".csv")) {
                const QJsonObject csv = readBack("csv", path);
                QCOMPARE(csv["shape"].toArray(), (QJsonArray{100, range.width()}));
                int heights = 0;
                for (const QJsonValue& h : csv["samples"].toArray())
                    heights += !h.isNull() && h.toDouble() >= low - 1e-6 && h.toDouble() <= high + 1e-6;
                QCOMPARE(heights, valid);
            } else {
                const QJsonObject cloud = readBack(suffixes[format] == ".obj" ? "obj" : "cloud", path);
                QCOMPARE(cloud["count"].toInt(), valid);
                QVERIFY(qAbs(cloud["min"].toArray()[2].toDouble() - low) < 1e-3);
                QVERIFY(qAbs(cloud["max"].toArray()[2].toDouble() - high) < 1e-3);
            }
        }
    }

    void multiSaveStripKeepsClearOfTheLegends() {
        Control::setParameterInfo(PARAMETER_FRAME_LIMIT, "1000");
        bind(Control::CameraKind::LaserProfiler, "LP");
        QCOMPARE(SetCameraNodeValue(m_key, "AcquisitionLineCount", "200"), 0);
        QCOMPARE(SetCameraNodeValue(m_key, "BatchNumber", "100"), 0);
        Image3DWnd* v = m_pane->view3D();
        v->btn3DMode->click();
        PaneSaveCommands* save = m_pane->saveCommands();
        v->btnMultiSave->click();
        startGrab();
        QTRY_VERIFY_WITH_TIMEOUT(!v->rangeColourBar()->isHidden(), 10000);
        QVERIFY(save->multiSaveStrip());
        const auto onScreen = [](QWidget* w) { return QRect(w->mapToGlobal(QPoint(0, 0)), w->size()); };
        // On every page, at every pane size, the strip sits beside the page's legend.
        const QList<QPair<QPushButton*, HeightColourBar*>> pages = {
            {v->btn3DShow, v->colourBar3D()},
            {v->btn2DRangeImageShow, v->rangeColourBar()},
            {v->btnGreyImageShow, v->greyLevelBar()}};
        for (const auto& page : pages) {
            page.first->click();
            for (const QSize size : {QSize(1000, 700), QSize(700, 500), QSize(1200, 800)}) {
                m_host->resize(size);
                QTRY_COMPARE(v->size(), m_pane->view3D()->size());
                QCoreApplication::processEvents();
                QVERIFY(!page.second->isHidden());
                QVERIFY2(!onScreen(save->multiSaveStrip()).intersects(onScreen(page.second)),
                         qPrintable(page.first->toolTip()));
                // And it stays inside the view.
                QVERIFY(QRect(QPoint(0, 0), v->size()).contains(save->multiSaveStrip()->geometry()));
            }
        }
        v->btnMultiSave->click();
        ZavizoZoz3::StopGrab(m_key);
    }

    // The profiler keeps its start button (disabled) while grabbing: acquisition goes on after
    // the limit, and the tip says how many frames went where. "View" without a file manager
    // offers the folder's path instead.
    void multiFrameSaveOfContoursEndsAtItsLimit() {
        Control::setParameterInfo(PARAMETER_FRAME_LIMIT, "5");
        bind(Control::CameraKind::LaserProfiler, QString::fromUtf8("相机").toStdString());
        Image3DWnd* v = m_pane->view3D();
        v->btnContourMode->click();
        PaneSaveCommands* save = m_pane->saveCommands();
        QSignalSpy stopAsked(save, &PaneSaveCommands::stopGrabRequested);
        v->btnMultiSave->click();
        QVERIFY(save->isMultiSaving());
        QVERIFY(save->multiSaveStrip() && save->multiSaveStrip()->isVisible());
        const QString folder = m_dir->path() + QString::fromUtf8("/相机");
        QCOMPARE(save->saveDirectory(), folder);
        startGrab();
        const QString tip = QString("5 frames saved to %1").arg(QDir::toNativeSeparators(folder));
        QTRY_VERIFY_WITH_TIMEOUT(tipTexts(m_pane).contains(tip), 20000);
        QVERIFY(!save->isMultiSaving() && !save->multiSaveStrip());
        QCOMPARE(v->btnMultiSave->property("SelectedStatus").toBool(), false);
        QCOMPARE(filesIn(folder).size(), 10);
        QVERIFY(allComplete(folder));
        QCOMPARE(stopAsked.size(), 0);
        QVERIFY(Control::isGrabbing(m_key));

        // "View" where the desktop has no file manager: a box says so and copies the path.
        TestSupport::modals().pushOpenUrlResult(false);
        QLabel* link = nullptr;
        for (COperationTipWidget* t : m_pane->findChildren<COperationTipWidget*>()) {
            if (t->text() == tip && t->linkPath() == folder) {
                for (QLabel* label : t->findChildren<QLabel*>())
                    if (label->text().contains("View")) link = label;
            }
        }
        QVERIFY(link);
        emit link->linkActivated("nuv:view");
        QTRY_COMPARE(TestSupport::modals().count(ModalSeam::Kind::MessageBox), 1);
        QCOMPARE(TestSupport::modals().last(ModalSeam::Kind::OpenUrl).dir, folder);
        const ModalSeam::Request box = TestSupport::modals().last(ModalSeam::Kind::MessageBox);
        QVERIFY(box.text.contains("No file manager") && box.text.contains(QDir::toNativeSeparators(folder)));
        QCOMPARE(box.buttons.value(0), QString("Copy path"));
        QCOMPARE(QGuiApplication::clipboard()->text(), QDir::toNativeSeparators(folder));
        v->btn3DStopGrab->click();
    }

    void multiFrameSaveOfScansWritesOneSetPerScan() {
        Control::setParameterInfo(PARAMETER_RANGE_HEIGHT_FORMAT, "5");
        Control::setParameterInfo(PARAMETER_RANGE_BRIGHTNESS_FORMAT, "3");
        Control::setParameterInfo(PARAMETER_FRAME_LIMIT, "2");
        bind(Control::CameraKind::LaserProfiler, "LP");
        QCOMPARE(SetCameraNodeValue(m_key, "AcquisitionLineCount", "100"), 0);
        QCOMPARE(SetCameraNodeValue(m_key, "BatchNumber", "50"), 0);
        Image3DWnd* v = m_pane->view3D();
        v->btn3DMode->click();
        PaneSaveCommands* save = m_pane->saveCommands();
        InfoLog info(&save->worker());
        v->btnMultiSave->click();
        startGrab();
        QTRY_VERIFY_WITH_TIMEOUT(!save->isMultiSaving(), 30000);
        const QString folder = m_dir->path() + "/LP";
        QCOMPARE(filesIn(folder),
                 (QStringList{"cam_0.bin", "cam_0_3DBrightness.csv", "cam_1.bin", "cam_1_3DBrightness.csv"}));
        QVERIFY(allComplete(folder));
        QVERIFY(!info.isEmpty());
        QCOMPARE(info.last().at(2).toInt(), 2);
    }

    void recordingTheAreaScanCamera() {
        // A queue deep enough that nothing is lost on a busy machine: the run ends with its tip.
        Control::setParameterInfo(PARAMETER_QUEUE_CAPACITY, "100");
        bind(Control::CameraKind::AreaScan, "AS");
        // A rate every build keeps up with on screen, sanitizers included: this case is about what
        // a recording writes, not about a display that falls behind its camera.
        Control::setFrameRate(m_key, 10);
        Image2DWnd* v = m_pane->view2D();
        QVERIFY(v);
        PaneSaveCommands* save = m_pane->saveCommands();
        v->btnRecording->click();
        QVERIFY(save->isRecording());
        QVERIFY(!v->btnMultiSave->isEnabled());
        QCOMPARE(save->recordingStrip()->totalText(), QString("00:00:00"));
        startGrab();
        QTRY_VERIFY_WITH_TIMEOUT(save->worker().processedCount() >= 3, 20000);
        QVERIFY(save->recordingStrip()->dealText().startsWith("Processed "));
        v->btnRecording->click();
        QVERIFY(!save->isRecording() && v->btnMultiSave->isEnabled());
        QTRY_VERIFY(tipTexts(m_pane).contains("Video saved."));
        const QString frames = recordingFolder(m_dir->path() + "/AS");
        const QStringList files = filesIn(frames);
        QVERIFY(files.size() >= 3);
        QCOMPARE(QImage(frames + '/' + files.first()).size(), QSize(2048, 1024));
        // At its frame limit the recording ends by itself.
        Control::setParameterInfo(PARAMETER_FRAME_LIMIT, "2");
        v->btnRecording->click();
        QVERIFY(save->isRecording());
        QTRY_VERIFY_WITH_TIMEOUT(!save->isRecording() && !save->recordingStrip(), 20000);
        QCOMPARE(v->btnRecording->property("SelectedStatus").toBool(), false);
    }

    void runGetsEveryFrameWhileTheGuiStalls_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("recording");
        QTest::newRow("2D view multi-frame save") << 1 << false;
        QTest::newRow("2D view recording") << 1 << true;
        QTest::newRow("profiler 2D page multi-frame save") << 2 << false;
    }

    // The GUI thread is held while the camera streams at its top rate, far faster than a busy display
    // shows: a multi-frame save or a recording still writes every frame the camera delivered, in order.
    void runGetsEveryFrameWhileTheGuiStalls() {
        QFETCH(int, mode);
        QFETCH(bool, recording);
        constexpr int kFrames = 20;
        Control::setParameterInfo(PARAMETER_FRAME_LIMIT, std::to_string(kFrames));
        Control::setParameterInfo(PARAMETER_QUEUE_CAPACITY, "100");
        bind(Control::CameraKind::AreaScan, "AS");
        QCOMPARE(SetCameraNodeValue(m_key, "Width", "272"), 0);
        QCOMPARE(SetCameraNodeValue(m_key, "Height", "40"), 0);
        Control::setFrameRate(m_key, 200.0);
        PaneSaveCommands* save = m_pane->saveCommands();
        if (mode == 2) {
            m_viewer->setImageWndMode(1, NuvViewerImageWnd::Mode3D);
            m_pane->view3D()->btn2DMode->click();
            m_pane->view3D()->btnMultiSave->click();
        } else {
            (recording ? m_pane->view2D()->btnRecording : m_pane->view2D()->btnMultiSave)->click();
        }
        QVERIFY(recording ? save->isRecording() : save->isMultiSaving());
        TestSupport::StreamStall stall;
        startGrab();
        QVERIFY(stall.hold(kFrames + 10));
        QCOMPARE(StopGrab(m_key), 0);
        QTRY_VERIFY_WITH_TIMEOUT(!save->isRecording() && !save->isMultiSaving() && !save->worker().isSaving(),
                                 20000);
        QCOMPARE(save->worker().lastRunSummary().saved, kFrames);

        const QString folder = recording ? recordingFolder(m_dir->path() + "/AS") : m_dir->path() + "/AS";
        QStringList files = filesIn(folder);
        QCOMPARE(files.size(), kFrames);
        const auto number = [](const QString& name) {
            return name.section('_', 1).section('.', 0, 0).toInt();
        };
        std::sort(files.begin(), files.end(),
                  [&](const QString& a, const QString& b) { return number(a) < number(b); });
        QVector<int> counters;
        for (const QString& name : files) {
            const QImage saved = QImage(folder + '/' + name).convertToFormat(QImage::Format_Grayscale8);
            counters << TestSupport::frameCounterOf(NuvImage(saved.width(), saved.height(),
                                                             NuvPixelFormat::Mono8, saved.constBits(),
                                                             saved.bytesPerLine()));
        }
        for (int i = 1; i < counters.size(); ++i)
            QVERIFY2(counters[i] == counters[0] + i,
                     qPrintable(QString("frame %1 is camera frame %2 after %3")
                                    .arg(i)
                                    .arg(counters[i])
                                    .arg(counters[0])));
        // Each file's row in the run's sidecar names the camera frame it holds, stamped at exposure.
        QVERIFY(files.first().endsWith(QLatin1String(".bmp")));
        // A recording's sidecar sits beside its own folder, under that folder's name.
        const QString sidecarFolder = recording ? m_dir->path() + "/AS" : folder;
        const QStringList sidecars = sidecarsIn(sidecarFolder);
        QCOMPARE(sidecars.size(), 1);
        QFile sidecar(sidecarFolder + '/' + sidecars.first());
        QVERIFY(sidecar.open(QIODevice::ReadOnly | QIODevice::Text));
        const QStringList rows = QString::fromUtf8(sidecar.readAll()).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(rows.size(), kFrames + 1);
        qint64 lastStamp = -1;
        for (int i = 0; i < kFrames; ++i) {
            const QStringList columns = rows[i + 1].split(',');
            QCOMPARE(columns.value(0), files[i]);
            QCOMPARE(columns.value(1).toInt(), counters[i]);
            const qint64 stamp = columns.value(2).toLongLong();
            QVERIFY2(stamp > lastStamp, qPrintable(rows[i + 1]));
            lastStamp = stamp;
        }
    }

    void recordingColourFramesWithHistogramOpen_data() {
        QTest::addColumn<uint>("format");
        QTest::newRow("RGB8") << uint(NuvPixelFormat::RGB8);
        QTest::newRow("BGR8") << uint(NuvPixelFormat::BGR8);
    }

    // The pane, the statistics thread and the save worker all hold the frame's pixels: the
    // recording reads them while the histogram does and the picture on screen keeps its colours.
    void recordingColourFramesWithHistogramOpen() {
        QFETCH(uint, format);
        bind(Control::CameraKind::AreaScan, "AS");
        Control::setFrameRate(m_key, 50);
        Control::setParameterInfo(PARAMETER_FRAME_LIMIT, "6");
        const auto frame = [format](int i) {
            NuvImage image(320, 240, format);
            const cv::Scalar rgb(200, 110, 20 + i);
            image.mat().setTo(format == NuvPixelFormat::RGB8 ? rgb : cv::Scalar(rgb[2], rgb[1], rgb[0]));
            return image;
        };
        NuvImage first = frame(0);
        m_pane->showImage(&first, {});
        QTest::mouseClick(m_pane->view2D()->btnGreyHistogram, Qt::LeftButton);
        QVERIFY(m_pane->histogramTool()->isOpen());
        PaneSaveCommands* save = m_pane->saveCommands();
        m_pane->view2D()->btnRecording->click();
        QVERIFY(save->isRecording());
        for (int i = 0; i < 6; ++i)
            sendFrame(frame(i));
        QTRY_VERIFY_WITH_TIMEOUT(!save->isRecording(), 20000);
        QCOMPARE(save->worker().processedCount(), 6);
        NuvImage onScreen;
        QTRY_VERIFY((m_pane->get2DImage(&onScreen),
                     onScreen.mat().size() == frame(5).mat().size() &&
                         cv::norm(onScreen.mat(), frame(5).mat(), cv::NORM_INF) == 0.0));
        const QString frames = recordingFolder(m_dir->path() + "/AS");
        const QStringList files = filesIn(frames);
        QCOMPARE(files.size(), 6);
        const QJsonArray samples = readBack("image", frames + '/' + files.last())["samples"].toArray();
        QCOMPARE((QJsonArray{samples[0], samples[1], samples[2]}), (QJsonArray{200, 110, 25}));
    }

    void recordingAsLosslessVideo_data() {
        QTest::addColumn<QString>("frames");  // how the frames reach the worker
        QTest::addColumn<QSize>("size");
        QTest::newRow("grey camera frames") << "Mono8" << QSize(64, 48);
        QTest::newRow("BGR camera frames") << "BGR8" << QSize(64, 48);
        QTest::newRow("RGB camera frames") << "RGB8" << QSize(64, 48);
        QTest::newRow("host pictures") << "picture" << QSize(64, 48);
        QTest::newRow("grey frames of odd size") << "Mono8" << QSize(63, 47);
    }

    // Frames of noise recorded as one video read back pixel for pixel, grey as grey, at the
    // camera's rate; an odd size gets a black column and row more.
    void recordingAsLosslessVideo() {
        QFETCH(QString, frames);
        QFETCH(QSize, size);
        const bool colour = frames != "Mono8";
        constexpr int kFrames = 5;
        Control::setParameterInfo(PARAMETER_RECORD_FORMAT, "1");
        Control::setParameterInfo(PARAMETER_FRAME_LIMIT, std::to_string(kFrames));
        SaveImageTool tool;
        FinishLog finished(&tool);
        configureRun(tool, m_dir->path(), SaveImageTool::ImageType, SaveImageTool::Recording);
        tool.setFrameRate(12.5);
        tool.start();
        cv::RNG random(3);
        QVector<cv::Mat> expected;  // as the video holds them: grey or BGR
        for (int i = 0; i < kFrames; ++i) {
            cv::Mat m(size.height(), size.width(), colour ? CV_8UC3 : CV_8UC1);
            random.fill(m, cv::RNG::UNIFORM, 0, 256);
            expected.append(m);
            cv::Mat rgb;
            if (colour) cv::cvtColor(m, rgb, cv::COLOR_BGR2RGB);
            if (frames == "picture") {
                tool.addQImage(
                    QImage(rgb.data, rgb.cols, rgb.rows, static_cast<int>(rgb.step), QImage::Format_RGB888)
                        .convertToFormat(QImage::Format_RGB32));
            } else if (frames == "RGB8") {
                tool.addImage(NuvImage(rgb.cols, rgb.rows, NuvPixelFormat::RGB8, rgb.data, rgb.step));
            } else {
                tool.addImage(NuvImage(m.clone()));
            }
        }
        QTRY_VERIFY_WITH_TIMEOUT(finished.size() == 1, 20000);
        const QStringList files = filesIn(m_dir->path());
        QCOMPARE(files.size(), 1);
        QVERIFY2(QRegularExpression("^cam_\\d{4}(_\\d\\d){5}_\\d{3}\\.mkv$").match(files.first()).hasMatch(),
                 qPrintable(files.first()));
        QCOMPARE(entriesIn(m_dir->path()), files);  // no temporary file left
        const QString video = m_dir->path() + '/' + files.first();
        QCOMPARE(finished.at(0), (QVariantList{true, video}));
        const QVector<cv::Mat> read = videoFrames(video);
        QCOMPARE(read.size(), kFrames);
        const QSize even(size.width() + size.width() % 2, size.height() + size.height() % 2);
        for (int i = 0; i < kFrames; ++i) {
            QCOMPARE(QSize(read[i].cols, read[i].rows), even);
            const cv::Mat area = read[i](cv::Rect(0, 0, size.width(), size.height()));
            cv::Mat got = area;
            if (!colour) {
                std::vector<cv::Mat> channels;
                cv::split(area, channels);
                for (const cv::Mat& channel : channels)
                    QCOMPARE(cv::norm(channel, expected[i], cv::NORM_INF), 0.0);
                got = channels[0];
            }
            QCOMPARE(cv::norm(got, expected[i], cv::NORM_INF), 0.0);
            QCOMPARE(cv::sum(read[i]), cv::sum(area));  // the padding is black
        }
        const QString probe = probeVideo(video);
        if (probe.isEmpty()) QSKIP("ffprobe is not installed; the read-back by OpenCV passed");
        QCOMPARE(probe, QString("ffv1,%1,%2,%3,25/2,%4")
                            .arg(even.width())
                            .arg(even.height())
                            .arg(colour ? "bgra" : "gray")
                            .arg(kFrames));
    }

    // A child process records a video under a file-size limit it outgrows: the writer reports no
    // error, so only the finished file shows it; nothing is left under any name.
    void videoThatCannotBeCompletedLeavesNothing() {
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("NUV_SAVE_VIDEO_LIMITED_DIR", m_dir->path());
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), QStringList());
        QVERIFY(child.waitForFinished(60000));
        const QByteArray out = child.readAllStandardOutput() + child.readAllStandardError();
        QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0, out.constData());
        QVERIFY2(out.contains("result=0 saved=0 failed=10"), out.constData());
        QVERIFY2(out.contains("SaveImageTool: Save video failed, path = "), out.constData());
        QCOMPARE(entriesIn(m_dir->path()), QStringList());
    }

    void secondRecordingStaysApart_data() {
        QTest::addColumn<QString>("format");
        QTest::newRow("folders of frames") << "0";
        QTest::newRow("videos") << "1";
    }

    // Two recordings of the camera into the same folder, each of three frames: each has its own
    // sub-folder or video.
    void secondRecordingStaysApart() {
        QFETCH(QString, format);
        Control::setParameterInfo(PARAMETER_RECORD_FORMAT, format.toStdString());
        Control::setParameterInfo(PARAMETER_FRAME_LIMIT, "3");
        Control::setParameterInfo(PARAMETER_QUEUE_CAPACITY, "100");
        bind(Control::CameraKind::AreaScan, "AS");
        Control::setFrameRate(m_key, 50);
        Image2DWnd* v = m_pane->view2D();
        PaneSaveCommands* save = m_pane->saveCommands();
        startGrab();
        for (int run = 0; run < 2; ++run) {
            v->btnRecording->click();
            QVERIFY(save->isRecording());
            QTRY_VERIFY_WITH_TIMEOUT(!save->isRecording() && !save->worker().isSaving(), 30000);
        }
        const QString folder = m_dir->path() + "/AS";
        if (format == "0") {
            QCOMPARE(filesIn(folder), QStringList());
            const QStringList runs = foldersIn(folder);
            QCOMPARE(runs.size(), 2);
            for (const QString& run : runs)
                QCOMPARE(filesIn(folder + '/' + run), (QStringList{"cam_0.bmp", "cam_1.bmp", "cam_2.bmp"}));
        } else {
            QCOMPARE(foldersIn(folder), QStringList());
            const QStringList videos = filesIn(folder);
            QCOMPARE(videos.size(), 2);
            for (const QString& name : videos) {
                QCOMPARE(videoFrames(folder + '/' + name).size(), 3);
                // It plays at the camera's rate.
                QCOMPARE(cv::VideoCapture((folder + '/' + name).toStdString(), cv::CAP_FFMPEG)
                             .get(cv::CAP_PROP_FPS),
                         50.0);
            }
        }
        QVERIFY(TestSupport::modals().messageTexts().isEmpty());
    }

    // A frame the video cannot take (another size, 16-bit samples) ends the recording with a box;
    // the frames before it stay in the video.
    void videoRecordingEndsAtAFrameItCannotTake() {
        Control::setParameterInfo(PARAMETER_RECORD_FORMAT, "1");
        Control::setParameterInfo(PARAMETER_FRAME_LIMIT, "10");
        bind(Control::CameraKind::AreaScan, "AS");
        Control::setFrameRate(m_key, 50);
        PaneSaveCommands* save = m_pane->saveCommands();
        const QString folder = m_dir->path() + "/AS";
        const QVector<NuvImage> runs[] = {
            {greyImage(32, 16), greyImage(32, 16), greyImage(16, 16), greyImage(32, 16)},
            {NuvImage(32, 16, NuvPixelFormat::Mono16)}};
        const QString boxes[] = {
            "2 of 3 frames saved; 1 failed: they could not be written, see the log; the recording stopped at "
            "the first frame it could not write",
            "0 of 1 frames saved; 1 failed: they could not be written, see the log; the recording stopped at "
            "the first frame it could not write"};
        for (int run = 0; run < 2; ++run) {
            m_pane->view2D()->btnRecording->click();
            QVERIFY(save->isRecording());
            for (const NuvImage& image : runs[run])
                sendFrame(image);
            QTRY_VERIFY_WITH_TIMEOUT(!save->isRecording(), 20000);
            QTRY_COMPARE(TestSupport::modals().messageTexts().value(run), boxes[run]);
        }
        // The first video holds the frames before the change; the second has none and is not there.
        const QStringList files = filesIn(folder);
        QCOMPARE(files.size(), 1);
        QCOMPARE(entriesIn(folder), files);
        QCOMPARE(videoFrames(folder + '/' + files.first()).size(), 2);
    }

    void runCutShort_data() {
        QTest::addColumn<bool>("closeViewer");
        QTest::addColumn<bool>("holdWrite");  // the worker is inside a write when the viewer goes
        QTest::newRow("camera disconnected") << false << false;
        QTest::newRow("viewer closed") << true << false;
        QTest::newRow("viewer closed during a write") << true << true;
    }

    void runCutShort() {
        QFETCH(bool, closeViewer);
        QFETCH(bool, holdWrite);
        Image3DWnd* v = manager()->pane(1)->view3D();
        QVERIFY(v->btnSingleSave->isHidden() &&
                v->btnMultiSave->isHidden());  // nothing to save without a camera
        bind(Control::CameraKind::LaserProfiler, "LP");
        QCOMPARE(m_pane->view3D(), v);
        QVERIFY(!v->btnSingleSave->isHidden() || v->btnSingleSave->property("inMenu").toBool());
        v->btnContourMode->click();
        PaneSaveCommands* save = m_pane->saveCommands();
        WriteGate gate;
        if (holdWrite) save->worker().setBeforeWrite(gate.hook());
        v->btnMultiSave->click();
        startGrab();
        if (holdWrite) {
            // Held on the first frame while more wait in the queue.
            QTRY_VERIFY_WITH_TIMEOUT(gate.enteredCount() == 1 && save->worker().pendingCount() >= 2, 20000);
        } else {
            QTRY_VERIFY_WITH_TIMEOUT(save->worker().processedCount() >= 2, 20000);
        }
        if (closeViewer) {
            // Profiles reach the worker on this thread only: nothing is accepted meanwhile.
            const int accepted = save->worker().processedCount() + save->worker().pendingCount();
            delete m_viewer;  // with the camera still sending
            m_viewer = nullptr;
            // Back on the GUI thread while the worker is still held: closing did not wait for it.
            QVERIFY(gate.release());
            ZavizoZoz3::StopGrab(m_key);
            QTRY_COMPARE_WITH_TIMEOUT(SaveWorkerKeeper::keptCount(), 0, 10000);
            QCOMPARE(filesIn(m_dir->path() + "/LP").size(), 2 * accepted);
        } else {
            Control::setConnected(m_key, false);
            Control::postDeviceList(1);
            QTRY_VERIFY_WITH_TIMEOUT(!save->isMultiSaving(), 5000);
            QVERIFY(v->btnSingleSave->isHidden() && v->btnMultiSave->isHidden());
            QTRY_VERIFY_WITH_TIMEOUT(!save->worker().isSaving(), 5000);
            QVERIFY(TestSupport::modals().messageTexts().isEmpty());  // ended quietly
        }
        QVERIFY(allComplete(m_dir->path() + "/LP"));
    }

private:
    void bind(Control::CameraKind kind, const std::string& name) {
        QVERIFY(bindCamera(kind, name));
        if (kind == Control::CameraKind::AreaScan) m_viewer->setImageWndMode(1, NuvViewerImageWnd::Mode2D);
        TestSupport::answerGrabPresses(m_viewer, this, false);
        // The pane learns of a stop at once, as of a start in startGrab().
        connect(m_viewer, &NuvViewerImageWnd::wndButtonclick, this,
                [this](int, QString, NuvViewerImageWnd::ButtonType type) {
                    if (type != NuvViewerImageWnd::StartGrab) m_pane->onGrabStopped();
                });
    }

    // `image` as the bound camera's next frame, through the business layer as a camera sends it.
    void sendFrame(const NuvImage& image) {
        const cv::Mat& m = image.mat();
        std::vector<uint8_t> bytes(m.total() * m.elemSize());
        m.copyTo(cv::Mat(m.rows, m.cols, m.type(), bytes.data()));
        Control::postImage(m_key, 0, 0, image.width(), image.height(), image.pixelFormat(), bytes);
    }

    // The pane learns at once that the camera runs, so that a run ending at its limit finds it grabbing.
    void startGrab() {
        Image3DWnd* v = m_pane->view3D();
        (v ? v->btn3DStartGrab : m_pane->view2D()->btnStartGrab)->click();
        QTRY_VERIFY_WITH_TIMEOUT(Control::isGrabbing(m_key), 5000);
        m_pane->onGrabStarted();
    }

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
    FinishLog finished(&tool);
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

// Sixty 8x4 BMPs (1 KiB each) under a file-size limit of 2 KiB, a multi-frame save without time in the
// names, so the sidecar is "cam_frames.csv" (taken by the test) and then "cam_frames_1.csv".
int sidecarLimitedChild(const QString& dir) {
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{2048, 2048};
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) return 2;
    TestSupport::resetEnvironment();
    Control::setParameterInfo(PARAMETER_FILE_PREFIX, "cam");
    Control::setParameterInfo(PARAMETER_NAMING_RULE, "2");
    Control::setParameterInfo(PARAMETER_FRAME_LIMIT, "60");
    Control::setParameterInfo(PARAMETER_QUEUE_CAPACITY, "100");
    SaveImageTool tool;
    FinishLog finished(&tool);
    configureRun(tool, dir);
    tool.start();
    for (int i = 0; i < 60; ++i) {
        FrameMetadata stamp;
        stamp.frameId = i;
        stamp.cameraTimestampNs = 1000000000000000 + i;
        tool.addImage(greyImage(8, 4), stamp);
    }
    if (!QTest::qWaitFor([&]() { return finished.size() == 1; }, 20000)) return 3;
    std::printf("processed=%d result=%d\n", tool.processedCount(), finished.at(0).at(0).toBool() ? 1 : 0);
    for (const std::string& line : Control::logLines())
        std::printf("%s\n", line.c_str());
    return 0;
}

// Address space in use now, from /proc/self/statm (pages).
qint64 addressSpaceInUse() {
    QFile statm("/proc/self/statm");
    if (!statm.open(QIODevice::ReadOnly)) return -1;
    return statm.readAll().split(' ').value(0).toLongLong() * ::sysconf(_SC_PAGESIZE);
}

// A multi-frame save of three scans as point cloud and brightness CSV; the middle one, 50,000 lines,
// needs more than the address space left.
int noMemoryChild(const QString& dir) {
    TestSupport::resetEnvironment();
    Control::setParameterInfo(PARAMETER_FILE_PREFIX, "cam");
    Control::setParameterInfo(PARAMETER_NAMING_RULE, "2");
    Control::setParameterInfo(PARAMETER_FRAME_LIMIT, "3");
    Control::setParameterInfo(PARAMETER_RANGE_HEIGHT_FORMAT, "2");      // .pcd
    Control::setParameterInfo(PARAMETER_RANGE_BRIGHTNESS_FORMAT, "3");  // _3DBrightness.csv
    NuvRangeImage small(100, 10, 2);
    reinterpret_cast<uint16_t*>(small.data())[0] = 1000;
    const NuvRangeImage scan(1000, 50000, 2);                     // 100 MB; its point cloud takes 600 MB
    const NuvImage scanGrey(1000, 50000, NuvPixelFormat::Mono8);  // its CSV takes 200 MB
    SaveImageTool tool;
    FinishLog finished(&tool);
    configureRun(tool, dir, SaveImageTool::RangeType);
    tool.start();
    const qint64 limit = addressSpaceInUse() + (qint64(160) << 20);
    rlimit space{static_cast<rlim_t>(limit), static_cast<rlim_t>(limit)};
    if (limit <= 0 || ::setrlimit(RLIMIT_AS, &space) != 0) return 2;
    tool.addRangeImage(small, greyImage(100, 10));
    tool.addRangeImage(scan, scanGrey);
    tool.addRangeImage(small, greyImage(100, 10));
    if (!QTest::qWaitFor([&]() { return finished.size() == 1; }, 30000)) return 3;
    std::printf("processed=%d failed=%d result=%d\n", tool.processedCount(), tool.failedCount(),
                finished.at(0).at(0).toBool() ? 1 : 0);
    for (const std::string& line : Control::logLines())
        std::printf("%s\n", line.c_str());
    return 0;
}

// Ten frames of noise, about 40 KiB as a video, recorded under a file-size limit of 16 KiB.
int videoLimitedChild(const QString& dir) {
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{16384, 16384};
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) return 2;
    TestSupport::resetEnvironment();
    Control::setParameterInfo(PARAMETER_FILE_PREFIX, "cam");
    Control::setParameterInfo(PARAMETER_RECORD_FORMAT, "1");
    Control::setParameterInfo(PARAMETER_FRAME_LIMIT, "10");
    SaveImageTool tool;
    FinishLog finished(&tool);
    configureRun(tool, dir, SaveImageTool::ImageType, SaveImageTool::Recording);
    tool.setFrameRate(25);
    tool.start();
    cv::RNG random(5);
    for (int i = 0; i < 10; ++i) {
        cv::Mat noise(64, 64, CV_8UC1);
        random.fill(noise, cv::RNG::UNIFORM, 0, 256);
        tool.addImage(NuvImage(noise));
    }
    if (!QTest::qWaitFor([&]() { return finished.size() == 1; }, 30000)) return 3;
    const SaveImageTool::RunSummary summary = tool.lastRunSummary();
    std::printf("result=%d saved=%d failed=%d\n", finished.at(0).at(0).toBool() ? 1 : 0, summary.saved,
                summary.failed);
    for (const std::string& line : Control::logLines())
        std::printf("%s\n", line.c_str());
    return 0;
}

// "kind,height,brightness,folder": writeSmallAndLarge under the file-size limit.
int limitedChild(const QStringList& args) {
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{kFileSizeLimit, kFileSizeLimit};
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) return 2;
    TestSupport::resetEnvironment();
    const QString result = writeSmallAndLarge(args[3], args[0].toInt(), args[1].toInt(), args[2].toInt());
    std::printf("%s\n", qPrintable(result));
    return 0;
}
}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString fullDiskDir = qEnvironmentVariable("NUV_SAVE_FULL_DISK_DIR");
    if (!fullDiskDir.isEmpty()) return fullDiskChild(fullDiskDir);
    const QString sidecarLimitedDir = qEnvironmentVariable("NUV_SAVE_SIDECAR_LIMITED_DIR");
    if (!sidecarLimitedDir.isEmpty()) return sidecarLimitedChild(sidecarLimitedDir);
    const QString noMemoryDir = qEnvironmentVariable("NUV_SAVE_NO_MEMORY_DIR");
    if (!noMemoryDir.isEmpty()) return noMemoryChild(noMemoryDir);
    const QString videoLimitedDir = qEnvironmentVariable("NUV_SAVE_VIDEO_LIMITED_DIR");
    if (!videoLimitedDir.isEmpty()) return videoLimitedChild(videoLimitedDir);
    const QStringList limited = qEnvironmentVariable("NUV_SAVE_LIMITED").split(',');
    if (limited.size() == 4) return limitedChild(limited);
    TestSaving test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_saving.moc"
