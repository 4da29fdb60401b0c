// The demo host as a user drives it: its save settings and camera panels write the business
// layer's settings and the cameras' nodes and show them again, a confirmed tilt correction levels
// the simulated profiler's contour, and every text of the demo switches to Chinese.
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QtTest>
#include <cmath>
#include <memory>

#include "CameraPanel.h"
#include "CorrectionDialog.h"
#include "CorrectionHostPanel.h"
#include "CorrectionWidget.h"
#include "DemoWindow.h"
#include "GenApi.h"
#include "ImageFileWriter.h"
#include "NuvViewerImageWnd.h"
#include "SaveSettingsPanel.h"
#include "ScriptedModalHandler.h"
#include "TestSupport.h"

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
}  // namespace

class TestDemo : public QObject {
    Q_OBJECT
private slots:
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
        QVERIFY(!child<QDoubleSpinBox>(panel, "spinBoxGain")->isVisibleTo(panel));
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
        check(m_window->statusBar(), m_window->statusBar()->currentMessage());
        m_window->selectLanguage(QStringLiteral("en"));
        QTRY_COMPARE(m_window->windowTitle(), english);
        QVERIFY2(untranslated.isEmpty(), qPrintable(untranslated.join(QLatin1Char('\n'))));
    }

private:
    std::unique_ptr<DemoWindow> m_window;
};

QTEST_MAIN(TestDemo)
#include "tst_demo.moc"
