#pragma once
// File, process and GPX-consumer helpers shared by every test (header-only).
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>
#include <unistd.h>

inline QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArrayLiteral("<missing>");
}

inline bool WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Every file and folder in `dir` (hidden ones too), sorted.
inline QStringList Entries(const QString& dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

struct ProcessRun {
    int exitCode = -1;  // -1: crashed or did not finish
    QByteArray out, err;
};

inline ProcessRun RunProgram(const QStringList& command, const QString& workDir = QString())
{
    QProcess process;
    process.setWorkingDirectory(workDir);
    process.start(command.first(), command.mid(1));
    process.closeWriteChannel();
    ProcessRun run;
    if (!process.waitForFinished(600000))
        process.kill();
    else if (process.exitStatus() == QProcess::NormalExit)
        run.exitCode = process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

// Root passes permission bits (CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH): as
// root, `command` is run through setpriv without them. Empty when that does
// not work here (reading `probe`, a file without permission bits, succeeds).
inline QStringList Unprivileged(const QStringList& command, const QString& probe)
{
    if (geteuid() != 0)
        return command;
    const QStringList prefix{QStandardPaths::findExecutable(QStringLiteral("setpriv")),
                             QStringLiteral("--bounding-set=-dac_override,-dac_read_search"), QStringLiteral("--")};
    if (prefix[0].isEmpty() || RunProgram(prefix + QStringList{QStringLiteral("/bin/cat"), probe}).exitCode == 0)
        return {};
    return prefix + command;
}

// A tool's standard output; a complaint added to `error` unless it exits 0.
inline QByteArray RunTool(const QStringList& command, QString* error)
{
    const ProcessRun run = RunProgram(command);
    if (run.exitCode != 0)
        *error += command.first() + QStringLiteral(": ") + QString::fromUtf8(run.err);
    return run.out;
}

// GPSBabel's reading of the tracks (or with "-r" the routes) of a file:
// "lat lon[ date time]" per point.
inline QStringList GpsBabelPoints(const QString& format, const QString& file, QString* error, const char* kind = "-t")
{
    const QStringList lines = QString::fromUtf8(RunTool({QStringLiteral("gpsbabel"), QLatin1String(kind), QStringLiteral("-i"),
        format, QStringLiteral("-f"), file, QStringLiteral("-o"), QStringLiteral("unicsv,utc=0"), QStringLiteral("-F"),
        QStringLiteral("-")}, error)).remove(QLatin1Char('"')).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    const QStringList header = lines.value(0).trimmed().split(QLatin1Char(','));
    QStringList points;
    for (const QString& line : lines.mid(1)) {
        QStringList point;
        for (const char* column : {"Latitude", "Longitude", "Date", "Time"})
            point << line.trimmed().split(QLatin1Char(',')).value(header.indexOf(QLatin1String(column)));
        points << point.join(QLatin1Char(' ')).trimmed();
    }
    return points;
}

// What two GPX consumers make of a route: xmllint validates it against the
// GPX 1.1 schema and GPSBabel must read back as many route points as it has.
// Returns the complaint, empty when both are content.
inline QString GpxComplaint(const QString& path)
{
    QString error;
    RunTool({QStringLiteral("xmllint"), QStringLiteral("--noout"), QStringLiteral("--schema"), QStringLiteral(GPX_SCHEMA_PATH), path}, &error);
    const int read = GpsBabelPoints(QStringLiteral("gpx"), path, &error, "-r").size(), points = ReadFile(path).count("<rtept ");
    return error.isEmpty() && read != points ? QStringLiteral("gpsbabel read %1 of %2 points").arg(read).arg(points) : error;
}

// Skips the test when one of the programs that read the outputs back is
// missing, except in CI (CI=true), where a missing install step must fail.
inline QString MissingTool(std::initializer_list<const char*> tools)
{
    for (const char* tool : tools)
        if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
            return QStringLiteral("%1 is not installed").arg(QLatin1String(tool));
    return QString();
}
#define REQUIRE_TOOLS(...)                                                                                   \
    do {                                                                                                     \
        const QString missing_ = MissingTool(__VA_ARGS__);                                                   \
        if (!missing_.isEmpty() && qgetenv("CI") == "true")                                                  \
            QFAIL(qPrintable(missing_));                                                                     \
        if (!missing_.isEmpty())                                                                             \
            QSKIP(qPrintable(missing_));                                                                     \
    } while (false)

#define VERIFY_GPX(path)                                                                                     \
    do {                                                                                                     \
        REQUIRE_TOOLS({"xmllint", "gpsbabel"});                                                              \
        const QString complaint_ = GpxComplaint(path);                                                       \
        QVERIFY2(complaint_.isEmpty(), qPrintable(complaint_));                                              \
    } while (false)
