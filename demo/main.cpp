// SPDX-License-Identifier: Apache-2.0
#include <QApplication>
#include <QCommandLineParser>
#include <QGuiApplication>
#include <QIcon>
#include <QMap>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "CorrectionHostPanel.h"
#include "DemoWindow.h"
#include "HistogramTour.h"
#include "SaveSettingsPanel.h"
#include "ZavizoZoz3Control.h"

int main(int argc, char** argv) {
#if defined(__GLIBC__)
    // Frames are large and freed on other threads than the ones that allocated them. With glibc's
    // moving mmap threshold they end up inside the per-thread arenas, where their freed pages stay
    // resident after the cameras stop; a fixed threshold maps each frame and gives it back whole.
    mallopt(M_MMAP_THRESHOLD, 512 * 1024);
#endif
    // Without a display there is nothing to show: say so instead of letting Qt abort.
    const bool wantsScreenshot = [&]() {
        for (int i = 1; i < argc; ++i) {
            if (QByteArray(argv[i]) == "--screenshot") return true;
        }
        return false;
    }();
    const bool hasDisplay =
        !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    if (wantsScreenshot && !hasDisplay && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    } else if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
               qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        std::fprintf(stderr,
                     "nuvviewer: no display found (DISPLAY is not set).\n"
                     "Run it on a desktop, under xvfb-run, or with --screenshot FILE to render offscreen.\n");
        return 2;
    }
    QApplication app(argc, argv);
    // QSettings files go under these names (~/.config/NuvViewer/nuvviewer.conf).
    QApplication::setOrganizationName(QStringLiteral("NuvViewer"));
    QApplication::setApplicationName(QStringLiteral("nuvviewer"));
    QApplication::setApplicationVersion(QStringLiteral(NUV_APP_VERSION));
    QApplication::setApplicationDisplayName(QStringLiteral("NuvViewer"));
    QGuiApplication::setDesktopFileName(QStringLiteral("nuvviewer"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/app/nuvviewer.svg")));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Camera viewer for area-scan cameras and laser profilers (simulated cameras by default)"));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("A saved frame to open."),
                                 QStringLiteral("[file]"));
    QCommandLineOption screenshot(QStringLiteral("screenshot"),
                                  QStringLiteral("Render the window after start-up to FILE and exit."),
                                  QStringLiteral("FILE"));
    parser.addOption(screenshot);
    QCommandLineOption live(QStringLiteral("live"),
                            QStringLiteral("Connect every camera and start acquisition."));
    parser.addOption(live);
    QCommandLineOption layout(QStringLiteral("layout"), QStringLiteral("Start with layout N (1, 2 or 4)."),
                              QStringLiteral("N"));
    parser.addOption(layout);
    QCommandLineOption save(
        QStringLiteral("save"),
        QStringLiteral("With --live: start a multi-frame save on the profiler and record the "
                       "area-scan camera."));
    parser.addOption(save);
    QCommandLineOption idle(QStringLiteral("idle"),
                            QStringLiteral("With --screenshot: connect nothing (the first screen)."));
    parser.addOption(idle);
    QCommandLineOption language(QStringLiteral("language"), QStringLiteral("Switch to LANG (en, zh_CN)."),
                                QStringLiteral("LANG"));
    parser.addOption(language);
    QCommandLineOption readout(QStringLiteral("readout"),
                               QStringLiteral("Show the pixel read-out on images."));
    parser.addOption(readout);
    QCommandLineOption push(QStringLiteral("push"), QStringLiteral("Push a host frame after start-up."));
    parser.addOption(push);
    QCommandLineOption release(QStringLiteral("release-after"),
                               QStringLiteral("Untick every camera MS milliseconds after start-up."),
                               QStringLiteral("MS"));
    parser.addOption(release);
    QCommandLineOption delay(QStringLiteral("delay"),
                             QStringLiteral("Take the screenshot MS milliseconds after start-up (2500)."),
                             QStringLiteral("MS"), QStringLiteral("2500"));
    parser.addOption(delay);
    QCommandLineOption hover(QStringLiteral("hover"),
                             QStringLiteral("Move the mouse to window point X,Y just before the screenshot."),
                             QStringLiteral("X,Y"));
    parser.addOption(hover);
    QCommandLineOption tour(
        QStringLiteral("histogram-tour"),
        QStringLiteral("Walk through the histogram of the area-scan pane, screenshots into DIR."),
        QStringLiteral("DIR"));
    parser.addOption(tour);
    QCommandLineOption lose(QStringLiteral("lose"),
                            QStringLiteral("Every camera loses N frames on the transport after start-up."),
                            QStringLiteral("N"));
    parser.addOption(lose);
    QCommandLineOption pixelFormat(
        QStringLiteral("pixel-format"),
        QStringLiteral("The simulated area-scan camera's pixel format (Mono8, Mono16)."),
        QStringLiteral("FORMAT"));
    parser.addOption(pixelFormat);
    QCommandLineOption displayRange(
        QStringLiteral("display-range"),
        QStringLiteral(
            "With --live and a deep pixel format: open the area-scan pane's display range after MS "
            "milliseconds."),
        QStringLiteral("MS"));
    parser.addOption(displayRange);
    QCommandLineOption correction(
        QStringLiteral("correction"),
        QStringLiteral("With --live: tilt the scene by 1.5 degrees, stop the conveyor at the block and "
                       "request a tilt correction of the profiler."));
    parser.addOption(correction);
    QCommandLineOption genicam(
        QStringLiteral("genicam"),
        QStringLiteral("List the GenICam cameras (GigE Vision, USB3 Vision) next to the "
                       "simulated ones."));
    parser.addOption(genicam);
    QCommandLineOption genicamFake(
        QStringLiteral("genicam-fake"),
        QStringLiteral("List the GenICam library's in-process fake camera next to the "
                       "simulated ones (nothing leaves this machine)."));
    parser.addOption(genicamFake);
    QCommandLineOption genicamLoopback(
        QStringLiteral("genicam-loopback"),
        QStringLiteral("Serve the GenICam library's GigE Vision fake camera on 127.0.0.1 and list it "
                       "(a real GigE Vision stream that never leaves this machine)."));
    parser.addOption(genicamLoopback);
    QCommandLineOption picture(QStringLiteral("profiler-2d"),
                               QStringLiteral("Show the profiler's 2D picture with its ROI, mask and column "
                                              "window."));
    parser.addOption(picture);
    QCommandLineOption scanPage(QStringLiteral("profiler-page"),
                                QStringLiteral("Show the profiler's scan on PAGE (3d, range, grey)."),
                                QStringLiteral("PAGE"));
    parser.addOption(scanPage);
    QCommandLineOption fresh(
        QStringLiteral("no-settings"),
        QStringLiteral("Start with the defaults: neither read nor write the saved set-up."));
    parser.addOption(fresh);
    QCommandLineOption menu(
        QStringLiteral("menu"),
        QStringLiteral("With --screenshot: open the menu NAME (file, view, help) before it."),
        QStringLiteral("NAME"));
    parser.addOption(menu);
    QCommandLineOption about(QStringLiteral("about"), QStringLiteral("Show the About box after start-up."));
    parser.addOption(about);
    QCommandLineOption panel(QStringLiteral("panel"),
                             QStringLiteral("Show the side panel NAME (camera, save, calibration)."),
                             QStringLiteral("NAME"));
    parser.addOption(panel);
    parser.process(app);

    DemoWindow window;
    // Screenshots and scripted runs start from the defaults and leave the user's set-up alone.
    const bool keepSettings = !parser.isSet(fresh) && !parser.isSet(screenshot) && !parser.isSet(tour);
    if (keepSettings) window.restoreSettings();
    window.show();
    for (const QString& file : parser.positionalArguments())
        QTimer::singleShot(0, &window, [&window, file]() { window.openFile(file); });
    if (parser.isSet(layout)) window.selectLayout(parser.value(layout).toInt());
    // The tour needs the area-scan camera's pane on screen beside the profiler's.
    else if (parser.isSet(tour))
        window.selectLayout(2);
    if (parser.isSet(language)) window.selectLanguage(parser.value(language));
    if (parser.isSet(readout)) window.setPixelReadoutVisible(true);
    if (parser.isSet(panel)) {
        const QStringList panels{QStringLiteral("camera"), QStringLiteral("save"),
                                 QStringLiteral("calibration")};
        window.showPanel(panels.indexOf(parser.value(panel)));
    }
    if (parser.isSet(push)) window.pushTestFrame();
    // Only on request: without these options no camera transport is searched.
    if ((parser.isSet(genicam) || parser.isSet(genicamFake)) &&
        !window.addGenICamCameras(parser.isSet(genicam)))
        std::fprintf(stderr, "nuvviewer: this build has no GenICam support (libaravis-dev)\n");
    if (parser.isSet(genicamLoopback) && !window.addLoopbackGigECamera())
        std::fprintf(stderr,
                     "nuvviewer: no GigE Vision camera on 127.0.0.1 (no GenICam support, or the "
                     "address is taken)\n");
    if (parser.isSet(pixelFormat)) {
        for (const std::string& key : ZavizoZoz3::Control::cameras()) {
            if (ZavizoZoz3::GetCameraInfo(key, ZavizoZoz3::CAM_INFO_DEVICE_KIND) ==
                    ZavizoZoz3::kDeviceKindAreaScan &&
                ZavizoZoz3::SetCameraNodeValue(key, "PixelFormat", parser.value(pixelFormat).toStdString()) !=
                    0)
                std::fprintf(stderr, "nuvviewer: the area-scan camera has no pixel format %s\n",
                             qPrintable(parser.value(pixelFormat)));
        }
    }
    if (parser.isSet(displayRange)) {
        QTimer::singleShot(parser.value(displayRange).toInt(), &window, [&window]() {
            for (QPushButton* button : window.findChildren<QPushButton*>(QStringLiteral("btnDisplayRange"))) {
                if (button->isVisible()) button->click();
            }
        });
    }
    if (parser.isSet(live) || parser.isSet(tour) || (parser.isSet(screenshot) && !parser.isSet(idle))) {
        // After a language change has reached the viewer, so the messages come in that language.
        QTimer::singleShot(parser.isSet(language) ? 500 : 0, &window,
                           [&window]() { window.connectAll(true); });
    }
    if (parser.isSet(correction)) {
        window.correctionPanel()->setScene(1.5, 4.0, true);
        QTimer::singleShot(1500, &window, [&window]() { window.correctionPanel()->requestCorrection(0); });
    }
    if (parser.isSet(release)) {
        QTimer::singleShot(parser.value(release).toInt(), &window, [&window]() { window.disconnectAll(); });
    }
    if (parser.isSet(lose)) {
        const uint64_t frames = parser.value(lose).toULongLong();
        QTimer::singleShot(1000, &window, [frames]() {
            for (const std::string& key : ZavizoZoz3::Control::cameras())
                ZavizoZoz3::Control::injectTransportLoss(key, frames);
        });
    }
    if (parser.isSet(picture) || parser.isSet(scanPage)) {
        // As a user would: stop the profiler, press its "2D Mode" or "3D Mode" button and start it
        // again (the view's mode is fixed while it grabs), then pick the scan's page.
        const auto press = [&window](const QString& name) {
            for (QPushButton* button : window.findChildren<QPushButton*>(name)) {
                if (button->isVisible() && button->isEnabled()) button->click();
            }
        };
        const QMap<QString, QString> pageButtons{
            {QStringLiteral("3d"), QStringLiteral("btn3DShow")},
            {QStringLiteral("range"), QStringLiteral("btn2DRangeImageShow")},
            {QStringLiteral("grey"), QStringLiteral("btnGreyImageShow")}};
        const QString pageButton = pageButtons.value(parser.value(scanPage));
        const QString mode =
            parser.isSet(picture) ? QStringLiteral("btn2DMode") : QStringLiteral("btn3DMode");
        QTimer::singleShot(1500, &window, [press]() { press(QStringLiteral("btn3DStopGrab")); });
        QTimer::singleShot(2000, &window, [press, mode]() { press(mode); });
        QTimer::singleShot(2500, &window, [press]() { press(QStringLiteral("btn3DStartGrab")); });
        if (!pageButton.isEmpty())
            QTimer::singleShot(3000, &window, [press, pageButton]() { press(pageButton); });
    }
    if (parser.isSet(about)) QTimer::singleShot(1000, &window, [&window]() { window.showAbout(); });
    if (parser.isSet(tour)) (new HistogramTour(&window, parser.value(tour), &window))->start(2500);
    if (parser.isSet(save)) {
        ZavizoZoz3::Control::setParameterInfo(ZavizoZoz3::PARAMETER_FRAME_LIMIT, "1000");
        window.saveSettingsPanel()->reload();
        QTimer::singleShot(1200, &window, [&window]() { window.startSaving(); });
    }
    if (parser.isSet(screenshot)) {
        const QString file = parser.value(screenshot);
        const QStringList at = parser.value(hover).split(QLatin1Char(','));
        if (at.size() == 2) {
            QTimer::singleShot(std::max(0, parser.value(delay).toInt() - 300), &window, [&window, at]() {
                const QPoint point(at.at(0).toInt(), at.at(1).toInt());
                if (QWidget* target = window.childAt(point)) {
                    QMouseEvent move(QEvent::MouseMove, target->mapFrom(&window, point), Qt::NoButton,
                                     Qt::NoButton, Qt::NoModifier);
                    QCoreApplication::sendEvent(target, &move);
                }
            });
        }
        // A menu or a message box is a window of its own: those screenshots take the whole screen.
        const bool wholeScreen = parser.isSet(menu) || parser.isSet(about);
        if (parser.isSet(menu)) {
            const QStringList menus{QStringLiteral("file"), QStringLiteral("view"), QStringLiteral("help")};
            const int index = menus.indexOf(parser.value(menu));
            QTimer::singleShot(std::max(0, parser.value(delay).toInt() - 500), &window, [&window, index]() {
                const QList<QAction*> actions = window.menuBar()->actions();
                if (index >= 0 && index < actions.size())
                    window.menuBar()->setActiveAction(actions.at(index));
            });
        }
        QTimer::singleShot(parser.value(delay).toInt(), &window, [&window, file, wholeScreen]() {
            const QPixmap shot = wholeScreen ? window.screen()->grabWindow(0) : window.grab();
            const bool ok = shot.save(file);
            std::fprintf(ok ? stdout : stderr, "%s %s\n", ok ? "screenshot written to" : "could not write",
                         qPrintable(file));
            QApplication::exit(ok ? 0 : 1);
        });
    }
    return app.exec();
}
