// Minimal host of the installed viewer. --screenshot FILE renders the window after a moment of
// streaming and exits (used by CI on the offscreen platform).
#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>
#include <cstdio>

#include "HostWindow.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption screenshot(QStringLiteral("screenshot"),
                                        QStringLiteral("Save the window to FILE and exit."),
                                        QStringLiteral("FILE"));
    parser.addOption(screenshot);
    parser.process(app);

    HostWindow window;
    window.show();
    window.startProfiler();
    if (parser.isSet(screenshot)) {
        const QString file = parser.value(screenshot);
        QTimer::singleShot(1500, &window, [&window, file]() {
            const bool ok = window.grab().save(file);
            std::fprintf(ok ? stdout : stderr, "%s %s\n", ok ? "screenshot written to" : "could not write",
                         qPrintable(file));
            QApplication::exit(ok ? 0 : 1);
        });
    }
    return app.exec();
}
