// SPDX-License-Identifier: Apache-2.0
// The application as a user drives it: its save settings and camera panels write the business
// layer's settings and the cameras' nodes and show them again, a confirmed tilt correction levels
// the simulated profiler's contour, every text switches to Chinese, the set-up survives a restart,
// the keys act on the current pane and saved files open again.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolBar>
#include <QtTest>
#include <cmath>
#include <cstring>
#include <memory>

#include "CameraPanel.h"
#include "CorrectionDialog.h"
#include "CorrectionHostPanel.h"
#include "CorrectionWidget.h"
#include "DemoWindow.h"
#include "GenApi.h"
#include "Image2DWnd.h"
#include "Image3DWnd.h"
#include "ImageFileWriter.h"
#include "ImageWnd.h"
#include "ImageWndManager.h"
#include "NuvTiffFile.h"
#include "NuvViewerImageWnd.h"
#include "RangeStreamer.h"
#include "SaveSettingsPanel.h"
#include "SavedFileReader.h"
#include "ScriptedModalHandler.h"
#include "TestSupport.h"
#include "ZMKImageView.h"
#include "ZMKImageWnd.h"

namespace Control = ZavizoZoz3::Control;
using TestSupport::child;

namespace {
QString setting(ZavizoZoz3::PARAMETER_INFO item) {
    return QString::fromStdString(ZavizoZoz3::GetParamterInfo(item));
}

// Types into a line edit or spin box and presses Enter, as a user does.
void type(QWidget* box, const QString& text) {
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(box, text);
    QTest::keyClick(box, Qt::Key_Enter);
}

// Sets a form widget to `value` as a user does: text typed, a choice picked by its index, a check
// box clicked when it is not in that state ("1" checked).
void enter(QWidget* widget, const QString& value) {
    if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        combo->setCurrentIndex(value.toInt());
    } else if (auto* check = qobject_cast<QCheckBox*>(widget)) {
        if (check->isChecked() != (value == QLatin1String("1"))) QTest::mouseClick(check, Qt::LeftButton);
    } else {
        type(widget, value);
    }
}

// What a form widget shows, in the terms enter() takes.
QString shown(QWidget* widget) {
    if (auto* combo = qobject_cast<QComboBox*>(widget)) return QString::number(combo->currentIndex());
    if (auto* check = qobject_cast<QCheckBox*>(widget)) return check->isChecked() ? "1" : "0";
    if (auto* spin = qobject_cast<QSpinBox*>(widget)) return QString::number(spin->value());
    if (auto* line = qobject_cast<QLineEdit*>(widget)) return line->text();
    return QString();
}

double nodeNumber(const std::string& key, const char* name) {
    std::string value;
    ZavizoZoz3::GetCameraNodeValue(key, name, value);
    return QString::fromStdString(value).toDouble();
}

// Scans until a full contour arrived and registers it; the measured tilt in degrees.
double measureTilt(CorrectionWidget* panel, bool* ok) {
    QTest::mouseClick(child<QPushButton>(panel, "btnScanContour"), Qt::LeftButton);
    *ok = QTest::qWaitFor([panel] { return panel->contour().size() == 3200; }, 5000);
    QTest::mouseClick(child<QPushButton>(panel, "btnRegisterContour"), Qt::LeftButton);
    return child<QLineEdit>(panel, "lineEditMeasureValue")->text().toDouble();
}

// The zoom of the 2D display of pane `pane`.
double zoomOf(DemoWindow* window, int pane) {
    ImageWnd* wnd = qobject_cast<ImageWndManager*>(window->viewer()->manager())->pane(pane);
    auto* view = qobject_cast<ZMKImageView*>(wnd->view2D()->displayWidget()->widget());
    return view ? view->zoomFactor() : -1;
}

// A scan with a tilted plane and a hole, as a profiler's range save writes it.
NuvRangeImage testScan() {
    NuvRangeImage range;
    range.SetSize(64, 40, NuvRangeImage::TypeUInt16);
    for (int row = 0; row < range.height(); ++row) {
        auto* line = reinterpret_cast<uint16_t*>(range.line(row));
        for (int col = 0; col < range.width(); ++col)
            line[col] =
                (row > 10 && row < 15 && col < 8) ? 0 : static_cast<uint16_t>(1000 + 37 * col + 11 * row);
    }
    range.SetInfo(0.002, -500, 0.05, -1.6, 0.1, 0);
    return range;
}

// The scan the range page of pane `pane` holds now.
NuvRangeImage shownScan(DemoWindow* window, int pane) {
    NuvRangeImage shown;
    ImageWnd* wnd = qobject_cast<ImageWndManager*>(window->viewer()->manager())->pane(pane);
    if (wnd->view3D() != nullptr) wnd->view3D()->streamer()->copyRangeImage(&shown);
    return shown;
}

// Every height of `expected` in millimetres is within `tolerance` of `shown`'s at the same point,
// and both have points in the same places.
bool sameHeights(const NuvRangeImage& expected, const NuvRangeImage& shown, double tolerance) {
    if (expected.width() != shown.width() || expected.height() != shown.height()) return false;
    for (int row = 0; row < expected.height(); ++row) {
        for (int col = 0; col < expected.width(); ++col) {
            const int64_t a = expected.sample(row, col);
            const int64_t b = shown.sample(row, col);
            if ((a == 0) != (b == 0)) return false;
            if (a != 0 && std::fabs(expected.toMillimetres(a) - shown.toMillimetres(b)) > tolerance)
                return false;
        }
    }
    return true;
}

// Presses `key` in the active application window, as a user at the keyboard does.
void press(QWidget* window, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(window, key, modifiers);
}
}  // namespace

class TestDemo : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        // The application's settings go to a folder of the test's own.
        QVERIFY(m_settingsDir.isValid());
        QCoreApplication::setOrganizationName(QStringLiteral("NuvViewer"));
        QCoreApplication::setApplicationName(QStringLiteral("nuvviewer"));
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsDir.path());
        QSettings().clear();
    }

    void init() {
        TestSupport::resetEnvironment();
        m_window = std::make_unique<DemoWindow>();
        m_window->show();
    }

    void cleanup() { m_window.reset(); }

    void saveSettingsWriteAndReadBack_data() {
        QTest::addColumn<QString>("widget");
        QTest::addColumn<int>("item");
        QTest::addColumn<QString>("value");  // what the user enters, as the setting stores it
        QTest::addColumn<QString>("other");  // set by someone else, shown after a reload
        using namespace ZavizoZoz3;
        QTest::newRow("save folder") << "lineEditSaveFolder" << int(PARAMETER_SAVE_DIR) << "/tmp/parts"
                                     << "/tmp/other";
        QTest::newRow("automatic names off") << "checkBoxAutoName" << int(PARAMETER_AUTO_NAME) << "0"
                                             << "1";
        QTest::newRow("prefix and number") << "comboBoxNamingRule" << int(PARAMETER_NAMING_RULE) << "2"
                                           << "1";
        QTest::newRow("prefix") << "lineEditPrefix" << int(PARAMETER_FILE_PREFIX) << "part"
                                << "image";
        QTest::newRow("pictures as PNG") << "comboBoxPictureFormat" << int(PARAMETER_IMAGE_FORMAT) << "2"
                                         << "3";
        QTest::newRow("profiles as PCD")
            << "comboBoxProfileHeight" << int(PARAMETER_PROFILE_HEIGHT_FORMAT) << "2"
            << "1";
        QTest::newRow("no profile heights")
            << "checkBoxProfileHeight" << int(PARAMETER_SAVE_PROFILE_HEIGHT) << "0"
            << "1";
        QTest::newRow("no profile brightness")
            << "checkBoxProfileBrightness" << int(PARAMETER_SAVE_PROFILE_BRIGHTNESS) << "0"
            << "1";
        QTest::newRow("profiles as x,z pairs")
            << "checkBoxProfileCsvXColumn" << int(PARAMETER_PROFILE_CSV_X_COLUMN) << "1"
            << "0";
        QTest::newRow("scans as PLY") << "comboBoxRangeHeight" << int(PARAMETER_RANGE_HEIGHT_FORMAT) << "3"
                                      << "2";
        QTest::newRow("scans as OBJ") << "comboBoxRangeHeight" << int(PARAMETER_RANGE_HEIGHT_FORMAT) << "6"
                                      << "0";
        QTest::newRow("no scan heights") << "checkBoxRangeHeight" << int(PARAMETER_SAVE_RANGE_HEIGHT) << "0"
                                         << "1";
        QTest::newRow("scan brightness as CSV")
            << "comboBoxRangeBrightness" << int(PARAMETER_RANGE_BRIGHTNESS_FORMAT) << "3"
            << "1";
        QTest::newRow("frame limit") << "spinBoxFrameLimit" << int(PARAMETER_FRAME_LIMIT) << "250"
                                     << "7";
        QTest::newRow("queue size") << "spinBoxQueueSize" << int(PARAMETER_QUEUE_CAPACITY) << "4"
                                    << "30";
        QTest::newRow("recordings as video") << "comboBoxRecordFormat" << int(PARAMETER_RECORD_FORMAT) << "1"
                                             << "0";
        QTest::newRow("recording folder") << "lineEditRecordFolder" << int(PARAMETER_RECORD_DIR) << "/tmp/rec"
                                          << "/tmp/videos";
        QTest::newRow("recordings named by hand")
            << "checkBoxRecordAutoName" << int(PARAMETER_RECORD_AUTO_NAME) << "0"
            << "1";
    }

    void saveSettingsWriteAndReadBack() {
        QFETCH(QString, widget);
        QFETCH(int, item);
        QFETCH(QString, value);
        QFETCH(QString, other);
        const auto setting = ZavizoZoz3::PARAMETER_INFO(item);
        SaveSettingsPanel* panel = m_window->saveSettingsPanel();
        QWidget* editor = panel->findChild<QWidget*>(widget);
        QVERIFY(editor != nullptr);
        m_window->findChild<QTabWidget*>()->setCurrentIndex(1);
        enter(editor, value);
        QCOMPARE(::setting(setting), value);
        Control::setParameterInfo(setting, other.toStdString());
        panel->reload();
        QCOMPARE(shown(editor), other);
        // Showing a setting never writes it.
        QCOMPARE(::setting(setting), other);
    }

    // The panel's format lists name the files the viewer writes for each choice.
    void formatChoicesNameTheViewersFiles_data() {
        QTest::addColumn<QString>("combo");
        QTest::addColumn<int>("table");
        QTest::newRow("pictures") << "comboBoxPictureFormat" << int(ImageFileWriter::ImageTable);
        QTest::newRow("profile heights")
            << "comboBoxProfileHeight" << int(ImageFileWriter::ProfileHeightTable);
        QTest::newRow("scan heights") << "comboBoxRangeHeight" << int(ImageFileWriter::RangeHeightTable);
        QTest::newRow("scan brightness")
            << "comboBoxRangeBrightness" << int(ImageFileWriter::RangeBrightnessTable);
    }

    void formatChoicesNameTheViewersFiles() {
        QFETCH(QString, combo);
        QFETCH(int, table);
        auto* box = m_window->saveSettingsPanel()->findChild<QComboBox*>(combo);
        QVERIFY(box != nullptr);
        const auto which = ImageFileWriter::Table(table);
        QVERIFY(ImageFileWriter::suffix(which, box->count()).isEmpty());
        for (int i = 0; i < box->count(); ++i) {
            const QString suffix = ImageFileWriter::suffix(which, i);
            QVERIFY2(suffix.endsWith(QLatin1Char('.') + box->itemText(i).toLower()),
                     qPrintable(box->itemText(i) + QStringLiteral(" writes ") + suffix));
        }
    }

    void folderChooserGoesThroughTheSeam() {
        const QString before = setting(ZavizoZoz3::PARAMETER_SAVE_DIR);
        auto* browse =
            m_window->saveSettingsPanel()->findChild<QPushButton*>(QStringLiteral("btnSaveFolder"));
        QVERIFY(browse != nullptr);
        TestSupport::modals().pushDirectory(QStringLiteral("/tmp/chosen"));
        browse->click();
        QCOMPARE(setting(ZavizoZoz3::PARAMETER_SAVE_DIR), QStringLiteral("/tmp/chosen"));
        // The chooser starts where the setting pointed.
        QCOMPARE(TestSupport::modals().last(ModalSeam::Kind::ExistingDirectory).dir, before);
        // Cancelled: the folder stays.
        browse->click();
        QCOMPARE(TestSupport::modals().count(ModalSeam::Kind::ExistingDirectory), 2);
        QCOMPARE(setting(ZavizoZoz3::PARAMETER_SAVE_DIR), QStringLiteral("/tmp/chosen"));
        QCOMPARE(m_window->saveSettingsPanel()
                     ->findChild<QLineEdit*>(QStringLiteral("lineEditSaveFolder"))
                     ->text(),
                 QStringLiteral("/tmp/chosen"));
    }

    void cameraPanelFollowsCurrentPane_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("rateLabel");
        QTest::newRow("laser profiler") << "LP-3200"
                                        << "Line rate (Hz):";
        QTest::newRow("area scan") << "AS-2048"
                                   << "Frame rate (fps):";
    }

    void cameraPanelFollowsCurrentPane() {
        QFETCH(QString, key);
        QFETCH(QString, rateLabel);
        NuvViewerImageWnd* viewer = m_window->viewer();
        QSignalSpy bound(viewer, &NuvViewerImageWnd::dropWndSuccess);
        m_window->selectLayout(2);
        m_window->connectAll(false);
        QTRY_COMPARE(bound.count(), 2);
        QTRY_VERIFY(viewer->isWndShown(1) && viewer->isWndShown(2));
        int pane = 1;
        QString title;
        viewer->getImageWndTitle(pane, &title);
        if (title != key) pane = 2;
        viewer->setCurrentWnd(3 - pane);
        viewer->setCurrentWnd(pane);
        CameraPanel* panel = m_window->cameraPanel();
        QCOMPARE(panel->camera(), key);
        const std::string camera = key.toStdString();
        GenApi::INodeMap* nodes = ZavizoZoz3::GetAttrNodeMap(ZavizoZoz3::FOCUS_CAMERA, camera, 3);
        auto* exposureNode = dynamic_cast<GenApi::IFloat*>(nodes->GetNode("ExposureTime"));
        auto* rateNode = dynamic_cast<GenApi::IFloat*>(nodes->GetNode("AcquisitionFrameRate"));
        QVERIFY(exposureNode && rateNode);

        // Ranges from the node information; a feature the camera lacks is not offered.
        auto* exposure = child<QDoubleSpinBox>(panel, "spinBoxExposure");
        auto* rate = child<QDoubleSpinBox>(panel, "spinBoxRate");
        QCOMPARE(exposure->minimum(), exposureNode->GetMin());
        QCOMPARE(exposure->maximum(), exposureNode->GetMax());
        QCOMPARE(rate->maximum(), rateNode->GetMax());
        QCOMPARE(rate->value(), rateNode->GetValue());
        auto* gainNode = dynamic_cast<GenApi::IFloat*>(nodes->GetNode("Gain"));
        QVERIFY(gainNode);
        auto* gain = child<QDoubleSpinBox>(panel, "spinBoxGain");
        QVERIFY(gain->isVisibleTo(panel));
        QCOMPARE(gain->maximum(), gainNode->GetMax());
        auto* rateLabelWidget = qobject_cast<QLabel*>(panel->findChild<QFormLayout*>()->labelForField(rate));
        QCOMPARE(rateLabelWidget->text(), rateLabel);

        // Written to the nodes.
        type(exposure, QStringLiteral("1234"));
        QCOMPARE(nodeNumber(camera, "ExposureTime"), 1234.0);
        type(rate, QStringLiteral("7"));
        QCOMPARE(nodeNumber(camera, "AcquisitionFrameRate"), 7.0);
        auto* trigger = child<QComboBox>(panel, "comboBoxTriggerMode");
        trigger->setCurrentIndex(trigger->findText(QStringLiteral("On")));
        std::string mode;
        ZavizoZoz3::GetCameraNodeValue(camera, "TriggerMode", mode);
        QCOMPARE(mode, std::string("On"));
        QCOMPARE(child<QComboBox>(panel, "comboBoxPixelFormat")->currentText(), QStringLiteral("Mono8"));

        // Read again when the current pane changes: the other camera's values, then this one's as
        // someone else left them.
        ZavizoZoz3::SetCameraNodeValue(camera, "ExposureTime", "222");
        viewer->setCurrentWnd(3 - pane);
        QVERIFY(panel->camera() != key);
        QCOMPARE(exposure->value(), 5000.0);
        viewer->setCurrentWnd(pane);
        QCOMPARE(exposure->value(), 222.0);
        QCOMPARE(trigger->currentText(), QStringLiteral("On"));

        // A released camera leaves the panel without one.
        m_window->disconnectAll();
        QVERIFY(panel->camera().isEmpty());
        QVERIFY(!exposure->isVisibleTo(panel));
    }

    // In a one-pane layout the panel is for the camera on screen, even while the pane the layout
    // hides is the current one.
    void cameraPanelFollowsTheShownPane() {
        NuvViewerImageWnd* viewer = m_window->viewer();
        QSignalSpy bound(viewer, &NuvViewerImageWnd::dropWndSuccess);
        m_window->selectLayout(1);
        m_window->connectAll(false);
        QTRY_COMPARE(bound.count(), 2);
        QTRY_VERIFY(viewer->isWndShown(1) && !viewer->isWndShown(2));
        QString shown;
        viewer->getImageWndTitle(1, &shown);
        viewer->setCurrentWnd(2);
        QTRY_COMPARE(m_window->cameraPanel()->camera(), shown);
        m_window->disconnectAll();
    }

    // The confirmed factor reaches the simulated sensor: measured again, the contour is level.
    void confirmedTiltLevelsTheContour_data() {
        QTest::addColumn<double>("tilt");
        QTest::newRow("rising 2 degrees") << 2.0;
        QTest::newRow("falling 1.5 degrees") << -1.5;
    }

    void confirmedTiltLevelsTheContour() {
        QFETCH(double, tilt);
        NuvViewerImageWnd* viewer = m_window->viewer();
        QSignalSpy bound(viewer, &NuvViewerImageWnd::dropWndSuccess);
        m_window->connectAll(false);
        QTRY_COMPARE(bound.count(), 2);
        Control::setFrameRate("LP-3200", 50.0);
        // Bare conveyor under the line, so the areas see the tilted plane alone.
        Control::setLaserScene("LP-3200", tilt, 4.0, 45.0);
        QVector<double> measured;
        bool scanned = true;
        TestSupport::modals().setDialogScript([&](QDialog* dialog) {
            CorrectionWidget* panel = qobject_cast<CorrectionDialog*>(dialog)->panel();
            if (measured.isEmpty()) {
                // Areas on the plane, each entered twice as each edit keeps an area 0.5 mm wide.
                for (int pass = 0; pass < 2; ++pass) {
                    const double bounds[] = {-12, -4, 4, 12};
                    const char* const boxes[] = {"dSpinboxLeft1", "dSpinboxRight1", "dSpinboxLeft2",
                                                 "dSpinboxRight2"};
                    for (int i = 0; i < 4; ++i)
                        type(child<QDoubleSpinBox>(panel, boxes[i]), QLocale().toString(bounds[i], 'f', 2));
                }
            }
            bool ok = false;
            measured << measureTilt(panel, &ok);
            scanned = scanned && ok;
            QTest::mouseClick(child<QPushButton>(panel, "btnConfirm"), Qt::LeftButton);
            return int(QDialog::Rejected);
        });
        m_window->correctionPanel()->requestCorrection(0);
        QTRY_COMPARE(measured.size(), 1);
        QVERIFY2(std::fabs(measured[0] - tilt) < 0.05, qPrintable(QString::number(measured[0])));
        QTRY_VERIFY(!Control::isGrabbing("LP-3200"));
        m_window->correctionPanel()->requestCorrection(0);
        QTRY_COMPARE(measured.size(), 2);
        QVERIFY(scanned);
        QVERIFY2(std::fabs(measured[1]) < 0.05, qPrintable(QString::number(measured[1])));
    }

    // What the user set up comes back in a second window, the cameras in their panes included.
    void settingsSurviveARestart() {
        QSettings().clear();
        NuvViewerImageWnd* viewer = m_window->viewer();
        QSignalSpy bound(viewer, &NuvViewerImageWnd::dropWndSuccess);
        m_window->selectLayout(2);
        m_window->connectAll(false);
        QTRY_COMPARE(bound.count(), 2);
        QString titles[2];
        viewer->getImageWndTitle(1, &titles[0]);
        viewer->getImageWndTitle(2, &titles[1]);
        m_window->setPixelReadoutVisible(true);
        m_window->showPanel(2);
        m_window->resize(1111, 777);
        SaveSettingsPanel* panel = m_window->saveSettingsPanel();
        enter(panel->findChild<QWidget*>(QStringLiteral("spinBoxFrameLimit")), QStringLiteral("250"));
        enter(panel->findChild<QWidget*>(QStringLiteral("comboBoxPictureFormat")), QStringLiteral("2"));
        enter(panel->findChild<QWidget*>(QStringLiteral("checkBoxRangeHeight")), QStringLiteral("0"));
        enter(panel->findChild<QWidget*>(QStringLiteral("lineEditPrefix")), QStringLiteral("part"));
        m_window->selectLanguage(QStringLiteral("zh_CN"));
        NuvViewerImageWnd::DisplayRange held;
        held.mode = NuvViewerImageWnd::DisplayRange::Fixed;
        held.minimum = 100;
        held.maximum = 3000;
        held.gamma = 1.5;
        held.markSaturated = true;
        held.saturationColour = QColor(Qt::magenta);
        QCOMPARE(viewer->setDisplayRange(2, held), 0);
        m_window->saveSettings();
        m_window.reset();

        TestSupport::resetEnvironment();
        QCOMPARE(setting(ZavizoZoz3::PARAMETER_FRAME_LIMIT), QStringLiteral("100"));
        m_window = std::make_unique<DemoWindow>();
        m_window->show();
        viewer = m_window->viewer();
        QSignalSpy rebound(viewer, &NuvViewerImageWnd::dropWndSuccess);
        m_window->restoreSettings();
        QCOMPARE(m_window->size(), QSize(1111, 777));
        QCOMPARE(m_window->findChild<QTabWidget*>()->currentIndex(), 2);
        QCOMPARE(m_window->findChild<QCheckBox*>()->isChecked(), true);
        QCOMPARE(setting(ZavizoZoz3::PARAMETER_FRAME_LIMIT), QStringLiteral("250"));
        QCOMPARE(setting(ZavizoZoz3::PARAMETER_IMAGE_FORMAT), QStringLiteral("2"));
        QCOMPARE(setting(ZavizoZoz3::PARAMETER_SAVE_RANGE_HEIGHT), QStringLiteral("0"));
        QCOMPARE(setting(ZavizoZoz3::PARAMETER_FILE_PREFIX), QStringLiteral("part"));
        QCOMPARE(
            shown(m_window->saveSettingsPanel()->findChild<QWidget*>(QStringLiteral("spinBoxFrameLimit"))),
            QStringLiteral("250"));
        NuvViewerImageWnd::DisplayRange restored, untouched;
        QCOMPARE(viewer->getDisplayRange(2, &restored), 0);
        QVERIFY(restored == held);
        QCOMPARE(viewer->getDisplayRange(1, &untouched), 0);
        QVERIFY(untouched == NuvViewerImageWnd::DisplayRange());
        QTRY_COMPARE(rebound.count(), 2);
        QTRY_VERIFY(viewer->isWndShown(2));
        for (int pane = 1; pane <= 2; ++pane) {
            QString title;
            viewer->getImageWndTitle(pane, &title);
            QCOMPARE(title, titles[pane - 1]);
        }
        QTRY_COMPARE(
            m_window->findChild<QComboBox*>(QStringLiteral("comboBoxLanguage"))->currentData().toString(),
            QStringLiteral("zh_CN"));
        QTRY_VERIFY(m_window->windowTitle() != QStringLiteral("NuvViewer"));
        m_window->selectLanguage(QStringLiteral("en"));
        QTRY_COMPARE(m_window->windowTitle(), QStringLiteral("NuvViewer"));
        m_window->disconnectAll();
        QSettings().clear();
    }

    // A settings file that is missing, damaged or holds values the window does not offer starts
    // the window with its defaults: nothing crashes and no value outside the offered ones is set.
    void damagedSettingsStartWithDefaults_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::newRow("missing") << QByteArray();
        QTest::newRow("not a settings file") << QByteArray("\x00\xff\xfe[[[=\n\x01garbage\n[save\n21=");
        QTest::newRow("values out of range") << QByteArray(
            "[view]\nlayout=7\nlanguage=klingon\nreadout=maybe\n[window]\ngeometry=@ByteArray(xyz)\n"
            "state=@ByteArray(\\0\\0)\npanel=99\n[save]\n21=abc\n4=99\n15=2\n23=-5\n999=1\n"
            "[panes]\n1=no-such-camera\n2=\n[displayRange]\n1=\"mode=fixed;min=9;max=3\"\n2=gamma=-1\n");
    }

    void damagedSettingsStartWithDefaults() {
        QFETCH(QByteArray, file);
        const QString path = QSettings().fileName();
        QFile::remove(path);
        if (!file.isEmpty()) {
            QDir().mkpath(QFileInfo(path).absolutePath());
            QFile out(path);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(file);
        }
        const QSize size = m_window->size();
        QSignalSpy bound(m_window->viewer(), &NuvViewerImageWnd::dropWndSuccess);
        m_window->restoreSettings();
        QCOMPARE(
            m_window->findChild<QComboBox*>(QStringLiteral("comboBoxLanguage"))->currentData().toString(),
            QStringLiteral("en"));
        QCOMPARE(m_window->viewer()->isWndShown(2), false);
        QCOMPARE(m_window->findChild<QTabWidget*>()->currentIndex(), 0);
        QCOMPARE(m_window->size(), size);
        QCOMPARE(setting(ZavizoZoz3::PARAMETER_FRAME_LIMIT), QStringLiteral("100"));
        QCOMPARE(setting(ZavizoZoz3::PARAMETER_IMAGE_FORMAT), QStringLiteral("0"));
        QCOMPARE(setting(ZavizoZoz3::PARAMETER_SAVE_PROFILE_BRIGHTNESS), QStringLiteral("1"));
        QCOMPARE(setting(ZavizoZoz3::PARAMETER_QUEUE_CAPACITY), QStringLiteral("10"));
        for (int pane = 1; pane <= 2; ++pane) {
            NuvViewerImageWnd::DisplayRange range;
            QCOMPARE(m_window->viewer()->getDisplayRange(pane, &range), 0);
            QVERIFY(range == NuvViewerImageWnd::DisplayRange());
        }
        Control::waitIdle();
        QCoreApplication::processEvents();
        QCOMPARE(bound.count(), 0);
        QFile::remove(path);
    }

    // The keys act on the current pane as its buttons do, and the tooltips name them.
    void keysActOnTheCurrentPane() {
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        QCOMPARE(m_window->findChild<QAction*>(QStringLiteral("actionZoomFit"))->toolTip(),
                 QStringLiteral("Fit (Ctrl+0)"));
        QCOMPARE(m_window->findChild<QAction*>(QStringLiteral("actionFullScreen"))->toolTip(),
                 QStringLiteral("Full screen (F11)"));
        // A host's call for a pane or action that does not exist, or a scan for a pane that cannot
        // show one, is refused.
        NuvViewerImageWnd* viewer = m_window->viewer();
        for (int pane : {-1, 0, 5})
            QCOMPARE(viewer->triggerWndAction(pane, NuvViewerImageWnd::ActionZoomIn), -1);
        QCOMPARE(viewer->triggerWndAction(1, NuvViewerImageWnd::WndAction(99)), -1);
        viewer->setImageWndMode(2, NuvViewerImageWnd::Mode2D);
        QCOMPARE(viewer->showRangeImage(2, testScan()), -1);
        QCOMPARE(viewer->showRangeImage(1, NuvRangeImage()), -1);
        QCOMPARE(viewer->showRangeImage(7, testScan()), -1);
        // Nothing to zoom yet: the keys do nothing and say so.
        press(m_window.get(), Qt::Key_Plus, Qt::ControlModifier);
        QVERIFY(m_window->statusBar()->currentMessage().contains(QStringLiteral("cannot")));

        m_window->pushTestFrame();  // 1280 x 960 into pane 1, larger than the pane
        const int pane = m_window->targetPane();
        QCOMPARE(pane, 1);
        press(m_window.get(), Qt::Key_1, Qt::ControlModifier);
        QCOMPARE(zoomOf(m_window.get(), pane), 1.0);
        press(m_window.get(), Qt::Key_Plus, Qt::ControlModifier);
        QVERIFY(zoomOf(m_window.get(), pane) > 1.0);
        press(m_window.get(), Qt::Key_Minus, Qt::ControlModifier);
        press(m_window.get(), Qt::Key_Minus, Qt::ControlModifier);
        QVERIFY(zoomOf(m_window.get(), pane) < 1.0);
        press(m_window.get(), Qt::Key_1, Qt::ControlModifier);
        press(m_window.get(), Qt::Key_0, Qt::ControlModifier);
        const double fit = zoomOf(m_window.get(), pane);
        QVERIFY2(fit > 0.1 && fit < 1.0, qPrintable(QString::number(fit)));

        // Single save writes the frame shown.
        QTemporaryDir folder;
        Control::setParameterInfo(ZavizoZoz3::PARAMETER_SAVE_DIR, folder.path().toStdString());
        press(m_window.get(), Qt::Key_S, Qt::ControlModifier);
        // One picture; a format without room for the frame's metadata gets the run's sidecar beside it.
        const QRegularExpression picture(QStringLiteral("\\.(bmp|png|jpg|tiff?)$"));
        QTRY_COMPARE(QDir(folder.path()).entryList(QDir::Files).filter(picture).size(), 1);
        for (const QString& name : QDir(folder.path()).entryList(QDir::Files))
            QVERIFY2(name.contains(picture) || name.endsWith(QLatin1String("_frames.csv")), qPrintable(name));

        press(m_window.get(), Qt::Key_F11);
        QVERIFY(m_window->isFullScreen());
        QVERIFY(m_window->findChild<QAction*>(QStringLiteral("actionFullScreen"))->isChecked());
        press(m_window.get(), Qt::Key_F11);
        QVERIFY(!m_window->isFullScreen());
    }

    void startAndStopKeys() {
        NuvViewerImageWnd* viewer = m_window->viewer();
        QSignalSpy bound(viewer, &NuvViewerImageWnd::dropWndSuccess);
        m_window->connectAll(false);
        QTRY_COMPARE(bound.count(), 2);
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        QString key;
        viewer->getImageWndTitle(m_window->targetPane(), &key);
        QVERIFY(!key.isEmpty());
        press(m_window.get(), Qt::Key_F5);
        QTRY_VERIFY(Control::isGrabbing(key.toStdString()));
        QPushButton* stop = nullptr;
        for (QPushButton* b : qobject_cast<ImageWndManager*>(viewer->manager())
                                  ->pane(m_window->targetPane())
                                  ->findChildren<QPushButton*>()) {
            if (b->objectName().contains(QLatin1String("StopGrab")) && b->isVisible()) stop = b;
        }
        QTRY_VERIFY(stop != nullptr && stop->isEnabled());
        // Pressed again while grabbing: the start button is gone, nothing is started twice.
        const int starts = Control::startGrabCount(key.toStdString());
        press(m_window.get(), Qt::Key_F5);
        QCOMPARE(Control::startGrabCount(key.toStdString()), starts);
        press(m_window.get(), Qt::Key_F5, Qt::ShiftModifier);
        QTRY_VERIFY(!Control::isGrabbing(key.toStdString()));
        m_window->disconnectAll();
    }

    void copyPutsTheFrameOnTheClipboard() {
        QGuiApplication::clipboard()->clear();
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        // An empty pane has nothing to copy: the clipboard keeps what it had.
        press(m_window.get(), Qt::Key_C, Qt::ControlModifier);
        QVERIFY(QGuiApplication::clipboard()->image().isNull());
        m_window->pushTestFrame();
        QImage frame;
        QCOMPARE(m_window->viewer()->get2DImage(1, &frame), 0);
        press(m_window.get(), Qt::Key_C, Qt::ControlModifier);
        const QImage copied = QGuiApplication::clipboard()->image();
        QCOMPARE(copied.size(), QSize(1280, 960));
        for (const QPoint& at : {QPoint(0, 0), QPoint(640, 480), QPoint(1279, 959)})
            QCOMPARE(copied.pixelColor(at), frame.pixelColor(at));
    }

    // Files the application's own writers produced open into a pane without a camera.
    void savedFilesOpenAgain_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("mode");      // the pane's mode afterwards
        QTest::addColumn<bool>("cameras");  // both cameras bound first
        QTest::addColumn<int>("pane");      // where the file goes
        const int m2D = NuvViewerImageWnd::Mode2D;
        const int m3D = NuvViewerImageWnd::Mode3D;
        QTest::newRow("grey BMP") << "frame.bmp" << m2D << false << 1;
        QTest::newRow("grey BMP beside two cameras") << "frame.bmp" << m2D << true << 3;
        QTest::newRow("grey TIFF") << "frame.tif" << m2D << false << 1;
        QTest::newRow("colour PNG") << "colour.png" << m2D << false << 1;
        QTest::newRow("16-bit PNG") << "deep.png" << m2D << false << 1;
        QTest::newRow("range TIFF") << "scan.tif" << m3D << false << 1;
        QTest::newRow("range TIFF beside two cameras") << "scan.tif" << m3D << true << 3;
        QTest::newRow("range BigTIFF") << "scan-big.tif" << m3D << false << 1;
        QTest::newRow("range layout") << "scan.srt" << m3D << false << 1;
        QTest::newRow("PCD point cloud") << "scan.pcd" << m3D << false << 1;
        QTest::newRow("PLY point cloud") << "scan.ply" << m3D << false << 1;
    }

    void savedFilesOpenAgain() {
        QFETCH(QString, name);
        QFETCH(int, mode);
        QFETCH(bool, cameras);
        QFETCH(int, pane);
        QTemporaryDir folder;
        const QString path = folder.filePath(name);
        ImageFileWriter writer;
        NuvRangeImage scan = testScan();
        cv::Mat picture(48, 64,
                        name.startsWith(QLatin1String("colour")) ? CV_8UC3
                        : name.startsWith(QLatin1String("deep")) ? CV_16UC1
                                                                 : CV_8UC1);
        for (int row = 0; row < picture.rows; ++row) {
            for (int col = 0; col < picture.cols; ++col) {
                if (picture.type() == CV_8UC3)
                    picture.at<cv::Vec3b>(row, col) = cv::Vec3b(10, 20, uchar(col));
                if (picture.type() == CV_8UC1) picture.at<uchar>(row, col) = uchar(row * 4 + col);
                if (picture.type() == CV_16UC1) picture.at<uint16_t>(row, col) = uint16_t(row * 1000 + col);
            }
        }
        if (mode == NuvViewerImageWnd::Mode2D) {
            QVERIFY(writer.writeImage(NuvImage(picture), path));
        } else if (name.endsWith(QLatin1String(".pcd")) || name.endsWith(QLatin1String(".ply"))) {
            QVERIFY(writer.writeRangePointCloud(scan, path));
        } else {
            // A scan past 4 GiB is written as BigTIFF: the writer is made to switch at once.
            const bool big = name.contains(QLatin1String("big"));
            if (big) NuvTiffFile::setBigTiffThreshold(1);
            const bool written = writer.writeRangeImage(scan, path);
            NuvTiffFile::setBigTiffThreshold(0);
            QVERIFY(written);
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadOnly));
            if (big) QCOMPARE(file.read(4), QByteArray("II\x2b\x00", 4));
        }
        // A pane with a camera keeps it: the file goes to a free pane, which is brought on screen.
        NuvViewerImageWnd* viewer = m_window->viewer();
        m_window->selectLayout(2);
        QTRY_VERIFY(viewer->isWndShown(2));
        if (cameras) {
            QSignalSpy bound(viewer, &NuvViewerImageWnd::dropWndSuccess);
            m_window->connectAll(false);
            QTRY_COMPARE(bound.count(), 2);
            viewer->setCurrentWnd(2);
        }
        const int opened = m_window->openFile(path);
        QVERIFY2(TestSupport::modals().messageTexts().isEmpty(),
                 qPrintable(TestSupport::modals().messageTexts().join(QLatin1Char('\n'))));
        QCOMPARE(opened, pane);
        QCOMPARE(qobject_cast<ImageWndManager*>(viewer->manager())->pane(pane)->imageWndMode(), mode);
        QCOMPARE(viewer->getCurrentWnd(), pane);
        QTRY_VERIFY(viewer->isWndShown(pane));
        if (mode == NuvViewerImageWnd::Mode2D) {
            QImage shown;
            viewer->get2DImage(pane, &shown);
            QCOMPARE(shown.size(), QSize(picture.cols, picture.rows));
            for (const QPoint& at : {QPoint(0, 0), QPoint(33, 17), QPoint(63, 47)}) {
                const QColor c = shown.pixelColor(at);
                if (picture.type() == CV_8UC3) QCOMPARE(c, QColor(at.x(), 20, 10));
                if (picture.type() == CV_8UC1) QCOMPARE(c.red(), at.y() * 4 + at.x());
                if (picture.type() == CV_16UC1) QCOMPARE(int(c.rgba64().red()), at.y() * 1000 + at.x());
                // The status bar's read-out gives the file's value, without a camera to say how deep it is.
                emit viewer->wndMouseMoveInfo(pane, at, c, 1.0f);
                const int value = picture.type() == CV_16UC1 ? at.y() * 1000 + at.x() : c.red();
                if (picture.channels() == 1) {
                    const QStringList texts = [this]() {
                        QStringList all;
                        for (QLabel* label : m_window->statusBar()->findChildren<QLabel*>())
                            all << label->text();
                        return all;
                    }();
                    QVERIFY2(texts.join(QLatin1Char('|')).contains(QStringLiteral("Value: %1 ").arg(value)),
                             qPrintable(texts.join(QLatin1Char('|'))));
                }
            }
            return;
        }
        // The page holds the scan's heights; a point cloud keeps them to a 16-bit step.
        const NuvRangeImage shown = shownScan(m_window.get(), pane);
        const bool cloud = name.endsWith(QLatin1String(".pcd")) || name.endsWith(QLatin1String(".ply"));
        const double step = 0.002 * (37 * 63 + 11 * 39) / 65532.0;
        const NuvRangeImage read = SavedFileReader::read(path).range;
        QVERIFY(sameHeights(scan, read, cloud ? step : 1e-9));
        // The page shows the samples read.
        QCOMPARE(shown.width(), read.width());
        QCOMPARE(shown.height(), read.height());
        QCOMPARE(shown.bytesPerPoint(), read.bytesPerPoint());
        QVERIFY(std::memcmp(shown.data(), read.data(), read.byteSize()) == 0);
        if (cameras) m_window->disconnectAll();
    }

    // A file that cannot be read is explained and changes nothing on screen.
    void unreadableFilesAreExplained_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("not a PNG") << "broken.png" << QByteArray("\x89PNG\r\n\x1a\n but then nothing");
        QTest::newRow("empty TIFF") << "empty.tif" << QByteArray();
        QTest::newRow("TIFF directory beyond the end") << "cut.tif" << QByteArray("II*\0\xff\xff\xff\x0f", 8);
        QTest::newRow("PCD cut short")
            << "cut.pcd"
            << QByteArray(
                   "# .PCD v0.7\nVERSION 0.7\nFIELDS x y z\nSIZE 4 4 4\nTYPE F F F\n"
                   "COUNT 1 1 1\nWIDTH 1000\nHEIGHT 1\nPOINTS 1000\nDATA binary\n"
                   "0123456789");
        QTest::newRow("PCD with absurd count")
            << "huge.pcd"
            << QByteArray(
                   "FIELDS x y z\nSIZE 4 4 4\nTYPE F F F\nPOINTS 9223372036854775807\nDATA binary\nabc");
        QTest::newRow("PCD text not numbers")
            << "words.pcd"
            << QByteArray("FIELDS x y z\nSIZE 4 4 4\nTYPE F F F\nPOINTS 1\nDATA ascii\na b c\n");
        QTest::newRow("PLY without vertices")
            << "faces.ply"
            << QByteArray(
                   "ply\nformat ascii 1.0\nelement face 1\n"
                   "property list uchar int vertex_indices\nend_header\n3 0 1 2\n");
        QTest::newRow("PLY big endian")
            << "big.ply"
            << QByteArray(
                   "ply\nformat binary_big_endian 1.0\nelement vertex 1\n"
                   "property float x\nproperty float y\nproperty float z\nend_header\n");
        QTest::newRow("unknown kind") << "notes.txt" << QByteArray("hello");
        QTest::newRow("missing") << "" << QByteArray();
    }

    void unreadableFilesAreExplained() {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QTemporaryDir folder;
        const QString path = folder.filePath(name.isEmpty() ? QStringLiteral("gone.png") : name);
        if (!name.isEmpty()) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(bytes);
        }
        m_window->pushTestFrame();
        QImage before;
        m_window->viewer()->get2DImage(1, &before);
        // Opened through the menu, as a user does.
        TestSupport::modals().pushOpenFileName(path);
        m_window->findChild<QAction*>(QStringLiteral("actionOpen"))->trigger();
        QCOMPARE(TestSupport::modals().count(ModalSeam::Kind::OpenFileName), 1);
        QCOMPARE(TestSupport::modals().messageTexts().size(), 1);
        QVERIFY2(TestSupport::modals().messageTexts().first().contains(QFileInfo(path).fileName()),
                 qPrintable(TestSupport::modals().messageTexts().first()));
        QImage after;
        m_window->viewer()->get2DImage(1, &after);
        QCOMPARE(after, before);
        // Cancelled: nothing is opened and nothing said.
        m_window->findChild<QAction*>(QStringLiteral("actionOpen"))->trigger();
        QCOMPARE(TestSupport::modals().messageTexts().size(), 1);
    }

    // Every visible text of the demo's own widgets reads in Chinese once the business layer
    // switches the language (the viewer's panes have their own checks).
    void textsSwitchToChinese() {
        QSignalSpy bound(m_window->viewer(), &NuvViewerImageWnd::dropWndSuccess);
        m_window->connectAll(false);
        QTRY_COMPARE(bound.count(), 2);
        const QString english = m_window->windowTitle();
        m_window->selectLanguage(QStringLiteral("zh_CN"));
        QTRY_VERIFY(m_window->windowTitle() != english);
        m_window->viewer()->setCurrentWnd(1);  // a status message
        const QRegularExpression chinese(QStringLiteral("[\\x{4e00}-\\x{9fff}]"));
        const QRegularExpression words(QStringLiteral("[a-z]{2,}"));
        QStringList untranslated;
        const auto check = [&](const QWidget* where, const QString& text) {
            if (!text.contains(chinese) && text.contains(words))
                untranslated << QStringLiteral("%1: %2").arg(where->objectName(), text);
        };
        QWidget* viewerHost = m_window->findChild<QWidget*>(QStringLiteral("viewerHost"));
        // Names that are not texts: the languages, named in themselves, and the cameras' own values.
        const QStringList values{QStringLiteral("comboBoxLanguage"), QStringLiteral("comboBoxTriggerMode"),
                                 QStringLiteral("comboBoxPixelFormat")};
        QList<QWidget*> widgets = m_window->findChildren<QWidget*>();
        widgets << m_window.get();
        for (QWidget* widget : widgets) {
            if (widget == viewerHost || viewerHost->isAncestorOf(widget)) continue;
            check(widget, widget->toolTip());
            check(widget, widget->windowTitle());
            if (auto* label = qobject_cast<QLabel*>(widget)) check(widget, label->text());
            if (auto* button = qobject_cast<QAbstractButton*>(widget)) check(widget, button->text());
            if (auto* group = qobject_cast<QGroupBox*>(widget)) check(widget, group->title());
            if (auto* tabs = qobject_cast<QTabWidget*>(widget)) {
                for (int i = 0; i < tabs->count(); ++i)
                    check(widget, tabs->tabText(i));
            }
            if (auto* list = qobject_cast<QListWidget*>(widget)) {
                for (int i = 0; i < list->count(); ++i)
                    check(widget, list->item(i)->text());
            }
            auto* combo = qobject_cast<QComboBox*>(widget);
            if (combo != nullptr && !values.contains(combo->objectName())) {
                for (int i = 0; i < combo->count(); ++i)
                    check(widget, combo->itemText(i));
            }
        }
        for (QAction* action : m_window->findChildren<QAction*>()) {
            if (action->objectName().startsWith(QLatin1String("actionLanguage_")))
                continue;  // named in itself
            check(m_window.get(), action->text());
            check(m_window.get(), action->toolTip());
        }
        check(m_window->statusBar(), m_window->statusBar()->currentMessage());
        m_window->selectLanguage(QStringLiteral("en"));
        QTRY_COMPARE(m_window->windowTitle(), english);
        QVERIFY2(untranslated.isEmpty(), qPrintable(untranslated.join(QLatin1Char('\n'))));
    }

private:
    QTemporaryDir m_settingsDir;
    std::unique_ptr<DemoWindow> m_window;
};

QTEST_MAIN(TestDemo)
#include "tst_demo.moc"
