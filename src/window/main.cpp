#include "window/WindowStart.h"

#include <QApplication>
#include <QTextStream>

#include <cstdio>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("velloa"));
    QApplication::setApplicationVersion(QStringLiteral(VELLOA_VERSION));
    QTextStream out(stdout);
    QTextStream err(stderr);
    const WindowStart start = StartWindow(QApplication::arguments(), out, err);
    if (!start.Logic)
        return start.ExitCode;
    return app.exec();
}
