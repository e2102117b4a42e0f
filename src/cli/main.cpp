#include "cli/Cli.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTextStream>

#include <cstdio>
#include <cstring>
#include <memory>

int main(int argc, char* argv[])
{
    // The overlay video draws text and shapes, which needs Qt's graphical
    // side; velloa-cli shows no window, so it never needs a display: Qt's
    // offscreen platform serves. A run without --overlay loads neither.
    bool draws = false;
    for (int i = 1; i < argc; ++i)
        draws = draws || std::strcmp(argv[i], "--overlay") == 0;
    std::unique_ptr<QCoreApplication> app;
    if (draws) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        // Qt's remarks on the session (no runtime folder without a login)
        // are no concern of a user of velloa-cli, which reports its own errors.
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
            if (type == QtCriticalMsg || type == QtFatalMsg)
                std::fprintf(stderr, "velloa-cli: %s\n", qPrintable(message));
        });
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QCoreApplication::setApplicationName(QStringLiteral("velloa-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VELLOA_VERSION));
    QTextStream out(stdout);
    QTextStream err(stderr);
    return RunCli(QCoreApplication::arguments(), out, err);
}
