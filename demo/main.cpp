#include <QApplication>
#include <QCommandLineParser>
#include <QGuiApplication>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

#include "DemoWindow.h"
#include "HistogramTour.h"

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
    QCommandLineOption tour(
        QStringLiteral("histogram-tour"),
        QStringLiteral("Walk through the histogram of the area-scan pane, screenshots into DIR."),
        QStringLiteral("DIR"));
    parser.addOption(tour);
    parser.process(app);

    DemoWindow window;
    window.show();
    if (parser.isSet(layout)) window.selectLayout(parser.value(layout).toInt());
    if (parser.isSet(live) || parser.isSet(screenshot) || parser.isSet(tour)) window.connectAll(true);
    if (parser.isSet(tour)) (new HistogramTour(&window, parser.value(tour), &window))->start(2500);
    if (parser.isSet(screenshot)) {
        const QString file = parser.value(screenshot);
        QTimer::singleShot(2500, &window, [&window, file]() {
            const bool ok = window.grab().save(file);
            std::fprintf(ok ? stdout : stderr, "%s %s\n", ok ? "screenshot written to" : "could not write",
                         qPrintable(file));
            QApplication::exit(ok ? 0 : 1);
        });
    }
    return app.exec();
}
