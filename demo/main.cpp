#include <QApplication>
#include <QCommandLineParser>
#include <QGuiApplication>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

#include "DemoWindow.h"
#include "ZavizoZoz3Control.h"

int main(int argc, char** argv) {
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
                     "nuvviewer-demo: no display found (DISPLAY is not set).\n"
                     "Run it on a desktop, under xvfb-run, or with --screenshot FILE to render offscreen.\n");
        return 2;
    }
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Camera viewer demo on simulated cameras"));
    parser.addHelpOption();
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
    parser.process(app);

    DemoWindow window;
    window.show();
    if (parser.isSet(layout)) window.selectLayout(parser.value(layout).toInt());
    if (parser.isSet(live) || parser.isSet(screenshot)) window.connectAll(true);
    if (parser.isSet(save)) {
        ZavizoZoz3::Control::setParameterInfo(ZavizoZoz3::PARAMETER_FRAME_LIMIT, "1000");
        QTimer::singleShot(1200, &window, [&window]() { window.startSaving(); });
    }
    if (parser.isSet(screenshot)) {
        const QString file = parser.value(screenshot);
        QTimer::singleShot(parser.isSet(save) ? 4000 : 2500, &window, [&window, file]() {
            const bool ok = window.grab().save(file);
            std::fprintf(ok ? stdout : stderr, "%s %s\n", ok ? "screenshot written to" : "could not write",
                         qPrintable(file));
            QApplication::exit(ok ? 0 : 1);
        });
    }
    return app.exec();
}
