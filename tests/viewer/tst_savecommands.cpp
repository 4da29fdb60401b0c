// The pane's save commands with the simulated cameras: single saves of the three profiler modes,
// multi-frame saves and recording with their strips and tips, the checks and their boxes, and
// runs cut short by a disconnect or by closing the viewer.
#include <QDir>
#include <QJsonArray>
#include <QJsonObject>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "COperationTipWidget.h"
#include "HostGrab.h"
#include "Image2DWnd.h"
#include "Image3DWnd.h"
#include "ImageMultiSaveInfoWidget.h"
#include "PaneSaveCommands.h"
#include "RangeStreamer.h"
#include "ReadBack.h"
#include "ScriptedModalHandler.h"
#include "ViewerHost.h"

namespace Control = ZavizoZoz3::Control;
using namespace ZavizoZoz3;
using TestSupport::readBack;

namespace {
QStringList filesUnder(const QString& dir) {
    return QDir(dir).entryList(QDir::Files, QDir::Name);
}

QStringList tipTexts(QWidget* pane) {
    QStringList texts;
    for (COperationTipWidget* tip : pane->findChildren<COperationTipWidget*>())
        texts << tip->text();
    return texts;
}

// Every CSV written ends with a complete line.
bool allComplete(const QString& dir) {
    for (const QString& name : filesUnder(dir)) {
        QFile f(dir + '/' + name);
        if (!f.open(QIODevice::ReadOnly)) return false;
        if (name.endsWith(".csv") && !f.readAll().endsWith('\n')) return false;
    }
    return true;
}
}  // namespace

class TestSaveCommands : public QObject, protected TestSupport::ViewerHost {
    Q_OBJECT
private slots:
    void init() {
        TestSupport::resetEnvironment();
        Control::installPayloadEncoder();
        m_dir = new QTemporaryDir();
        Control::setParameterInfo(PARAMETER_SAVE_DIR, m_dir->path().toStdString());
        Control::setParameterInfo(PARAMETER_RECORD_DIR, m_dir->path().toStdString());
        Control::setParameterInfo(PARAMETER_NAMING_RULE, "2");
        openViewer(1000, 700);
    }

    void cleanup() {
        closeViewer();
        delete m_dir;
        m_dir = nullptr;
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
        row("ended without frames", "multi twice", "", "Save image failed. (Error cause: not start grab)",
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

    void singleSaveOfEachProfilerMode() {
        bind(Control::CameraKind::LaserProfiler, "LP");
        QCOMPARE(SetCameraNodeValue(m_key, "AcquisitionLineCount", "200"), 0);
        QCOMPARE(SetCameraNodeValue(m_key, "BatchNumber", "100"), 0);
        Image3DWnd* v = m_pane->view3D();
        QSignalSpy finished(&m_pane->saveCommands()->worker(), &SaveImageTool::saveFinish);

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
        // The sensor picture keeps its grey sensor rows, at most the sensor's size ("WidthMax" 3200).
        const QImage picture(m_dir->path() + "/image_0.bmp");
        QVERIFY(picture.width() == 3200 && picture.height() >= 1 && picture.height() <= 1024);
        v->btn3DStopGrab->click();

        v->btn3DMode->click();
        startGrab();
        QTRY_VERIFY_WITH_TIMEOUT(m_pane->rangeStreamer()->lastRowAppended() == 199, 20000);
        v->btn3DStopGrab->click();
        v->btnSingleSave->click();
        QTRY_VERIFY_WITH_TIMEOUT(finished.size() == 3, 10000);
        QVERIFY(finished.last().at(0).toBool());

        // The picture of 2D mode and the grey image of 3D mode share the name: the grey image is last.
        QCOMPARE(filesUnder(m_dir->path()),
                 (QStringList{"image_0.bmp", "image_0.tif", "image_0_brightness.csv", "image_0_height.csv"}));
        const QJsonObject tiff = readBack("tiff", m_dir->path() + "/image_0.tif");
        QCOMPARE(tiff["shape"].toArray(), (QJsonArray{200, 3200}));
        QCOMPARE(tiff["dtype"].toString(), QString("uint16"));
        QCOMPARE(tiff["compression"].toInt(), 1);
        QCOMPARE(readBack("image", m_dir->path() + "/image_0.bmp")["size"].toArray(),
                 (QJsonArray{3200, 200}));
    }

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
        QTRY_VERIFY_WITH_TIMEOUT(stopAsked.size() == 1, 20000);  // the limit asks the host to stop
        QVERIFY(!save->isMultiSaving() && !save->multiSaveStrip());
        QCOMPARE(v->btnMultiSave->property("SelectedStatus").toBool(), false);
        QCOMPARE(filesUnder(folder).size(), 10);
        QVERIFY(allComplete(folder));
        QTRY_VERIFY(tipTexts(m_pane).contains("Picture saved."));
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
        QSignalSpy info(&save->worker(), &SaveImageTool::saveInfoUpdate);
        v->btnMultiSave->click();
        startGrab();
        QTRY_VERIFY_WITH_TIMEOUT(!save->isMultiSaving(), 30000);
        const QString folder = m_dir->path() + "/LP";
        QCOMPARE(filesUnder(folder), (QStringList{"image_0.bin", "image_0_3DBrightness.csv", "image_1.bin",
                                                  "image_1_3DBrightness.csv"}));
        QVERIFY(allComplete(folder));
        QVERIFY(!info.isEmpty());
        QCOMPARE(info.last().at(2).toInt(), 2);
    }

    void recordingTheAreaScanCamera() {
        bind(Control::CameraKind::AreaScan, "AS");
        Control::setFrameRate(m_key, 50);
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
        const QStringList files = filesUnder(m_dir->path() + "/AS");
        QVERIFY(files.size() >= 3);
        QCOMPARE(QImage(m_dir->path() + "/AS/" + files.first()).size(), QSize(2048, 1024));
        // At its frame limit the recording ends by itself.
        Control::setParameterInfo(PARAMETER_FRAME_LIMIT, "2");
        v->btnRecording->click();
        QVERIFY(save->isRecording());
        QTRY_VERIFY_WITH_TIMEOUT(!save->isRecording() && !save->recordingStrip(), 20000);
        QCOMPARE(v->btnRecording->property("SelectedStatus").toBool(), false);
    }

    void runCutShort_data() {
        QTest::addColumn<bool>("closeViewer");
        QTest::newRow("camera disconnected") << false;
        QTest::newRow("viewer closed") << true;
    }

    void runCutShort() {
        QFETCH(bool, closeViewer);
        Image3DWnd* v = manager()->pane(1)->view3D();
        QVERIFY(v->btnSingleSave->isHidden() &&
                v->btnMultiSave->isHidden());  // nothing to save without a camera
        bind(Control::CameraKind::LaserProfiler, "LP");
        QCOMPARE(m_pane->view3D(), v);
        QVERIFY(!v->btnSingleSave->isHidden() || v->btnSingleSave->property("inMenu").toBool());
        v->btnContourMode->click();
        PaneSaveCommands* save = m_pane->saveCommands();
        v->btnMultiSave->click();
        startGrab();
        QTRY_VERIFY_WITH_TIMEOUT(save->worker().processedCount() >= 2, 20000);
        if (closeViewer) {
            delete m_viewer;  // with the camera still sending
            m_viewer = nullptr;
            ZavizoZoz3::StopGrab(m_key);
            QVERIFY(filesUnder(m_dir->path() + "/LP").size() >= 4);
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

    // The pane learns at once that the camera runs, so that a run ending at its limit finds it grabbing.
    void startGrab() {
        Image3DWnd* v = m_pane->view3D();
        (v ? v->btn3DStartGrab : m_pane->view2D()->btnStartGrab)->click();
        QTRY_VERIFY_WITH_TIMEOUT(Control::isGrabbing(m_key), 5000);
        m_pane->onGrabStarted();
    }

    QTemporaryDir* m_dir = nullptr;
};

QTEST_MAIN(TestSaveCommands)
#include "tst_savecommands.moc"
