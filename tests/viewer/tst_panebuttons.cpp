// SPDX-License-Identifier: Apache-2.0
// Pane buttons: grab control, the state table, mode and display pages, the 2D view's tools and
// the buttons' icons.
#include <QButtonGroup>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QtTest>

#include "Image2DWnd.h"
#include "Image3DWnd.h"
#include "ImageWnd.h"
#include "NuvImage.h"
#include "NuvPixelFormat.h"
#include "TestSupport.h"
#include "ZMKImageWnd.h"
#include "ZavizoZoz3.h"
#include "ZavizoZoz3Control.h"

namespace Control = ZavizoZoz3::Control;
Q_DECLARE_METATYPE(ImageWnd::ButtonType)

namespace {
const QString kIcons = QStringLiteral(":/Resource/icons/");
const char* const kStates[] = {"normal", "hover", "click", "clicked", "disable", "selected"};

// Button folders the viewer's style sheets and menus name under ":/Resource/icons/".
const QStringList kButtonFolders =
    QStringLiteral(
        "start stop singleSave multiSave recording greyHistogram cross grid measure zoomIn zoomOut restore "
        "triangle ContourMode 2DMode 3DMode 3DShow 2DRangeImageShow greyShow singleGrab 3dRender zoomReset "
        "toolBarHorizontalExtButton multiTip localROI globalROI enlarge up down")
        .split(' ');

// Folders drawn for the dark tool strips (the others sit on light panels).
const char* const kDarkStripFolders[] = {"start",   "stop",   "singleSave", "multiSave",  "greyHistogram",
                                         "cross",   "grid",   "measure",    "zoomIn",     "zoomOut",
                                         "restore", "3DMode", "2DMode",     "singleGrab", "zoomReset"};

// Mean luminance of the clearly visible pixels of an icon; -1 when none is.
double meanVisibleLuminance(const QImage& image) {
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    double sum = 0;
    int n = 0;
    for (int y = 0; y < argb.height(); ++y) {
        for (int x = 0; x < argb.width(); ++x) {
            const QColor c = QColor::fromRgba(argb.pixel(x, y));
            if (c.alpha() > 200) {
                sum += 0.299 * c.red() + 0.587 * c.green() + 0.114 * c.blue();
                ++n;
            }
        }
    }
    return n > 0 ? sum / n : -1.0;
}
}  // namespace

class TestPaneButtons : public QObject {
    Q_OBJECT
private slots:
    void init() {
        TestSupport::resetEnvironment();
        qRegisterMetaType<ImageWnd::ButtonType>();
        m_key = Control::addCamera(Control::CameraKind::LaserProfiler, "LP");
        m_pane = new ImageWnd();
        m_pane->setObjectName(QStringLiteral("ImageWnd"));
        m_pane->setWndId(1);
        m_pane->resize(900, 600);
        QCOMPARE(m_pane->setImageWndMode(2), 0);
        m_pane->setImageWndTitle(QString::fromStdString(m_key));
        m_pane->setCameraName(QString::fromStdString(m_key));
        m_pane->show();
    }

    void cleanup() {
        delete m_pane;
        m_pane = nullptr;
        Control::reset();
    }

    void grabStateTable_data() {
        QTest::addColumn<QVector<int>>("modes");  // pane modes set in turn
        QTest::newRow("profiler") << QVector<int>{2};
        QTest::newRow("2D") << QVector<int>{1};
        QTest::newRow("2D, profiler") << QVector<int>{1, 2};
        QTest::newRow("profiler, 2D, profiler") << QVector<int>{2, 1, 2};
        QTest::newRow("2D, profiler, 2D") << QVector<int>{1, 2, 1};
        QTest::newRow("2D, none, profiler") << QVector<int>{1, 0, 2};
    }

    void grabStateTable() {
        QFETCH(QVector<int>, modes);
        for (int mode : modes)
            QCOMPARE(m_pane->setImageWndMode(mode), 0);
        Image3DWnd* v = m_pane->view3D();
        Image2DWnd* v2 = m_pane->view2D();
        QCOMPARE(v != nullptr, modes.last() == 2);
        if (v) v->btn3DRender->setChecked(true);
        // As created (render left as it was), running, stopped.
        for (int step = 0; step < 3; ++step) {
            const bool grabbing = step == 1;
            if (step == 1) m_pane->onGrabStarted();
            if (step == 2) m_pane->onGrabStopped();
            if (v) {
                // Profiler: start and stop both stay on the strip, one of them enabled.
                QVERIFY(!v->btn3DStartGrab->isHidden() && !v->btn3DStopGrab->isHidden());
                QCOMPARE(v->btn3DStartGrab->isEnabled(), !grabbing);
                QCOMPARE(v->btnSingleGrab->isEnabled(), !grabbing);
                QCOMPARE(v->btn3DStopGrab->isEnabled(), grabbing);
                for (QPushButton* b : {v->btnContourMode, v->btn2DMode, v->btn3DMode, v->btn3DRender})
                    QCOMPARE(b->isEnabled(), !grabbing);
                QCOMPARE(v->btn3DRender->isChecked(), step == 0);
            }
            if (v2 && modes.last() == 1) {
                // 2D view: start and stop swap places.
                QCOMPARE(v2->btnStartGrab->isHidden(), grabbing);
                QCOMPARE(v2->btnStopGrab->isHidden(), !grabbing);
            }
        }
        if (modes.last() != 1) return;
        m_pane->onGrabStarted();
        QSignalSpy spy(m_pane, &ImageWnd::buttonClick);
        QTest::mouseClick(v2->btnStopGrab, Qt::LeftButton);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).value<ImageWnd::ButtonType>(), ImageWnd::StopGrab);
        // No frame yet: nothing to save; the bound camera can be recorded.
        QVERIFY(!v2->btnSingleSave->isEnabled() && v2->btnRecording->isEnabled());
        QImage frame(320, 240, QImage::Format_Grayscale8);
        frame.fill(5);
        m_pane->show2DImage(frame, false);
        QVERIFY(v2->btnSingleSave->isEnabled());
        QCOMPARE(m_pane->imageSize(), QSize(320, 240));
    }

    // An empty pane offers no tools that would act on its logo: a camera released after frames were
    // shown takes the pane back to that state, and a host frame brings the tools back.
    void pictureToolsNeedAPicture() {
        QCOMPARE(m_pane->setImageWndMode(1), 0);
        Image2DWnd* v = m_pane->view2D();
        const QList<QPushButton*> tools{v->btnCross,      v->btnCrossConfig, v->btnGrid,
                                        v->btnGridConfig, v->btnMeasure,     v->btnZoomIn,
                                        v->btnZoomOut,    v->btnRestore,     v->btnZoomFit};
        const auto enabled = [&tools]() {
            QVector<bool> states;
            for (QPushButton* b : tools)
                states << b->isEnabled();
            return states;
        };
        const QVector<bool> none(tools.size(), false), all(tools.size(), true);
        QCOMPARE(enabled(), none);
        QImage frame(32, 16, QImage::Format_Grayscale8);
        frame.fill(9);
        m_pane->show2DImage(frame, false);
        QCOMPARE(enabled(), all);
        m_pane->resetCamera();
        QCOMPARE(enabled(), none);
        QVERIFY(!v->btnStartGrab->isEnabled() && !v->btnSingleSave->isEnabled());
        m_pane->show2DImage(frame, false);
        QCOMPARE(enabled(), all);
    }

    void framesFollowThePaneMode() {
        // 2D -> profiler -> 2D, as a host switching a pane back and forth.
        QCOMPARE(m_pane->setImageWndMode(1), 0);
        Image2DWnd* view2D = m_pane->view2D();
        QImage idle;
        view2D->getBackground(&idle);
        QCOMPARE(m_pane->setImageWndMode(2), 0);
        QImage frame(32, 16, QImage::Format_Grayscale8);
        frame.fill(9);
        m_pane->show2DImage(frame, false);
        NuvImage picture(64, 48, NuvPixelFormat::Mono8);
        m_pane->showImage(&picture, QVector<qreal>());
        QImage shown;
        view2D->getBackground(&shown);
        QCOMPARE(shown, idle);  // nothing went to the hidden 2D view
        m_pane->view3D()->getBackground(&shown);
        QCOMPARE(shown.size(), QSize(64, 48));

        QCOMPARE(m_pane->setImageWndMode(1), 0);
        QCOMPARE(m_pane->view2D(), view2D);
        m_pane->show2DImage(frame, false);
        view2D->getBackground(&shown);
        QCOMPARE(shown.size(), QSize(32, 16));
        // The reused view fills the body again and follows the pane's size.
        auto* body = m_pane->findChild<QLabel*>(QStringLiteral("lbWndMessageShow"));
        for (const QSize& size : {QSize(700, 500), QSize(500, 700)}) {
            m_pane->resize(size);
            QTRY_COMPARE(view2D->geometry(), body->contentsRect());
            QVERIFY(view2D->width() > size.width() / 2 && view2D->isVisible());
        }
    }

    void modeButtons_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("cameraMode");
        QTest::addColumn<bool>("displayButtonsShown");
        QTest::newRow("contour") << "btnContourMode" << 0 << 1 << false;
        QTest::newRow("picture") << "btn2DMode" << 1 << 0 << false;
        QTest::newRow("3D") << "btn3DMode" << 2 << 2 << true;
    }

    // A mode button switches page and camera mode; the start press sets the checked mode before it
    // goes up (the camera may have been switched meanwhile); a camera mode set elsewhere comes back.
    void modeButtons() {
        QFETCH(QString, button);
        QFETCH(int, page);
        QFETCH(int, cameraMode);
        QFETCH(bool, displayButtonsShown);
        Image3DWnd* v = m_pane->view3D();
        v->findChild<QPushButton*>(button)->click();
        QCOMPARE(v->stackedWidget->currentIndex(), page);
        QCOMPARE(ZavizoZoz3::GetCameraImageMode(m_key), cameraMode);
        QCOMPARE(!v->btn3DShow->isHidden(), displayButtonsShown);
        QCOMPARE(!v->btnGreyImageShow->isHidden(), displayButtonsShown);
        QCOMPARE(v->btn3DZoomIn->isHidden(), displayButtonsShown);
        QCOMPARE(!v->btnSingleGrab->isHidden(), page == 2);

        ZavizoZoz3::SetCameraImageMode(m_key, 7 - cameraMode, true);  // something else
        int modeAtPress = -1;
        connect(m_pane, &ImageWnd::buttonClick, this,
                [&](ImageWnd::ButtonType) { modeAtPress = ZavizoZoz3::GetCameraImageMode(m_key); });
        QSignalSpy spy(m_pane, &ImageWnd::buttonClick);
        QTest::mouseClick(v->btn3DStartGrab, Qt::LeftButton);
        QCOMPARE(modeAtPress, cameraMode);
        m_pane->onGrabStarted();
        QTest::mouseClick(v->btn3DStopGrab, Qt::LeftButton);
        QCOMPARE(spy.count(), 2);
        QCOMPARE(spy.at(0).at(0).value<ImageWnd::ButtonType>(), ImageWnd::StartGrab);
        QCOMPARE(spy.at(1).at(0).value<ImageWnd::ButtonType>(), ImageWnd::StopGrab);
        m_pane->onGrabStopped();

        v->findChild<QPushButton*>(page == 0 ? "btn2DMode" : "btnContourMode")->click();
        ZavizoZoz3::SetCameraImageMode(m_key, cameraMode, true);
        m_pane->syncImageMode();
        QCOMPARE(v->stackedWidget->currentIndex(), page);
    }

    void threeDModeSingleGrabAndPages() {
        Image3DWnd* v = m_pane->view3D();
        v->btn3DMode->click();
        // A single grab is reported to the camera before the start press goes up.
        QString reported;
        connect(m_pane, &ImageWnd::buttonClick, this,
                [&](ImageWnd::ButtonType) { reported = info(ZavizoZoz3::CAM_INFO_SINGLE_GRAB); });
        QTest::mouseClick(v->btnSingleGrab, Qt::LeftButton);
        QCOMPARE(reported, QStringLiteral("1"));
        // The display buttons pick the page.
        v->btn2DRangeImageShow->click();
        QCOMPARE(v->stackedWidget->currentIndex(), 3);
        QVERIFY(v->btn3DRender->isHidden());
        v->btnGreyImageShow->click();
        QCOMPARE(v->stackedWidget->currentIndex(), 4);
        v->btn3DShow->click();
        QCOMPARE(v->stackedWidget->currentIndex(), 2);
        QVERIFY(!v->btn3DRender->isHidden());
        v->btn3DRender->click();
        QCOMPARE(v->stackedWidget->currentIndex(), 2);
        QVERIFY(v->btn3DShow->isChecked());
        // With no display button checked, the 3D mode keeps the page it finds.
        v->btnContourMode->click();
        QCOMPARE(v->stackedWidget->currentIndex(), 0);
        // An exclusive group never allows "none checked"; open it to reach that state.
        if (QButtonGroup* group = v->btn3DShow->group()) group->setExclusive(false);
        for (QPushButton* b : {v->btn3DShow, v->btn2DRangeImageShow, v->btnGreyImageShow})
            b->setChecked(false);
        v->btn3DRender->setChecked(false);
        v->btn3DMode->click();
        QCOMPARE(v->stackedWidget->currentIndex(), 0);
    }

    void restoreButtonEnableTouchesOnlyItself() {
        auto* in = m_pane->findChild<QPushButton*>(QStringLiteral("btnWndTransformIn"));
        auto* out = m_pane->findChild<QPushButton*>(QStringLiteral("btnWndTransformOut"));
        Image3DWnd* v = m_pane->view3D();
        QCOMPARE(m_pane->setButtonEnable(ImageWnd::RestoreWnd, false), 0);
        QVERIFY(!out->isEnabled() && in->isEnabled() && v->btn3DStartGrab->isEnabled() &&
                v->btnSingleGrab->isEnabled());
        QCOMPARE(m_pane->setButtonEnable(static_cast<ImageWnd::ButtonType>(99), false), 0);
        QCOMPARE(m_pane->setButtonHidden(static_cast<ImageWnd::ButtonType>(-5), true), 0);
    }

    void pixelReportIsThrottled() {
        QCOMPARE(m_pane->setImageWndMode(1), 0);
        Image2DWnd* v = m_pane->view2D();
        ZMKImageWnd* display = v->displayWidget();
        QVERIFY(display);
        v->setCameraName(QString::fromStdString(m_key));
        const auto pos = [this] { return info(ZavizoZoz3::CAM_INFO_PIXEL_POS); };
        emit display->imgInfo(1.0, 2.0, 3, 4, 5, 6.0f);  // first event only starts the clock
        QCOMPARE(pos(), QString());
        emit display->imgInfo(1.0, 2.0, 3, 4, 5, 6.0f);  // within 50 ms: dropped
        QCOMPARE(pos(), QString());
        // Dropped events do not restart the clock: the first one after the interval is reported.
        QTRY_COMPARE((emit display->imgInfo(12.34, 5.0, 7, 8, 9, 1.5f), pos()), QStringLiteral("12.3,5.0"));
        QCOMPARE(info(ZavizoZoz3::CAM_INFO_PIXEL_RGB), QStringLiteral("7,8,9"));
        QCOMPARE(info(ZavizoZoz3::CAM_INFO_PIXEL_VALUE), QStringLiteral("1.500"));
        emit display->imgInfo(99.0, 99.0, 1, 1, 1, 1.0f);  // again too soon
        QCOMPARE(pos(), QStringLiteral("12.3,5.0"));
    }

    // Every state of every icon the style sheets and menus name is in the compiled resources and
    // draws something.
    void iconsResolveEveryStateAndAreLegible() {
        QStringList wanted;
        for (const QString& folder : kButtonFolders) {
            for (const char* state : kStates)
                wanted << QStringLiteral("%1/%2.png").arg(folder, QLatin1String(state));
        }
        for (const char* name : {"wndZoomIn", "wndZoomOut"}) {
            for (const char* state : {"Normal", "Hover", "Clicked"}) {
                wanted
                    << QStringLiteral("fullScreen/%1%2.png").arg(QLatin1String(name), QLatin1String(state));
            }
        }
        wanted << QStringLiteral("tipStatus/right.png") << QStringLiteral("tipStatus/error.png")
               << QStringLiteral("HLXLogo.png");
        for (const QString& file : wanted) {
            const QImage image(kIcons + file);
            QVERIFY2(!image.isNull(), qPrintable(file + " is missing from the resources or unreadable"));
            QVERIFY2(meanVisibleLuminance(image) >= 0.0, qPrintable(file + " draws nothing"));
        }

        const QImage logo(kIcons + QStringLiteral("HLXLogo.png"));
        QVERIFY(logo.width() >= 256 && logo.hasAlphaChannel() && qAlpha(logo.pixel(0, 0)) == 0);

        // The strip is rgb(55,56,58): a normal glyph must be far lighter, a disabled one dimmer.
        for (const char* folder : kDarkStripFolders) {
            const QString dir = kIcons + QLatin1String(folder);
            const double normal = meanVisibleLuminance(QImage(dir + QStringLiteral("/normal.png")));
            const double disabled = meanVisibleLuminance(QImage(dir + QStringLiteral("/disable.png")));
            QVERIFY2(normal > 150.0 && disabled < normal - 40.0 && disabled > 70.0, folder);
        }
    }

    void viewWithoutDisplayIgnoresCommands() {
        Image2DWnd view;
        view.destroyDisplay();
        QImage image(10, 10, QImage::Format_RGB32);
        view.setBackground(image);
        QImage out;
        view.getBackground(&out);
        QVERIFY(out.isNull());
        view.ZoomIn();
        view.ZoomOut();
        view.Zoom100();
        view.ZoomFit();
        view.ZoomFitWnd();
    }

private:
    QString info(ZavizoZoz3::CAM_INFO item) const {
        return QString::fromStdString(ZavizoZoz3::GetCameraInfo(m_key, item));
    }

    ImageWnd* m_pane = nullptr;
    std::string m_key;
};

QTEST_MAIN(TestPaneButtons)
#include "tst_panebuttons.moc"
