#pragma once

// Small helpers shared by the tests that work with real files and with the
// velloa-cli program. Header-only, so that core tests can use them without
// linking the window.

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QtTest>

// Writes `bytes` to `path`, failing the current test when that is not
// possible (use QVERIFY(!QTest::currentTestFailed()) where it matters).
inline void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
    QCOMPARE(file.write(bytes), qint64(bytes.size()));
}

// The bytes of `path`, or "<missing>" when it cannot be read, so that a
// missing file shows up plainly in a comparison.
inline QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArrayLiteral("<missing>");
    return file.readAll();
}

// What a program run printed and how it ended (-1 for a crash).
struct ProcessRun {
    int exitCode = -1;
    QString out;
    QString err;
};

// Runs a program without standard input; a run that does not end in time is
// killed and ends the whole test program.
inline ProcessRun RunProgram(const QString& program, const QStringList& arguments, const QString& workDir = QString(),
    int timeoutMs = 120000)
{
    QProcess process;
    if (!workDir.isEmpty())
        process.setWorkingDirectory(workDir);
    process.start(program, arguments);
    process.closeWriteChannel();
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        qFatal("%s did not finish", qPrintable(program));
    }
    ProcessRun run;
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

// Runs the velloa-cli built with the tests.
inline ProcessRun RunCli(const QStringList& arguments, const QString& workDir = QString(), int timeoutMs = 120000)
{
    return RunProgram(QStringLiteral(VELLOA_CLI_PATH), arguments, workDir, timeoutMs);
}

// Block i (from 0) of a long flight, LF line ends: latitude 10 + (i mod
// 50000) / 10^4, longitude 20 + (i div 50000) / 10^4, so that any two records
// five apart stand at different places; a constant height of 1.5 m.
inline QByteArray LongFlightBlock(int i)
{
    const int lat = 100000 + i % 50000;
    const int lon = 200000 + i / 50000;
    QByteArray block = QByteArray::number(i + 1);
    block += "\n00:00:00,000 --> 00:00:01,000\nHOME(20.0000,10.0000) 2019.06.20 12:00:00\nGPS(";
    block += QByteArray::number(lon / 10000) + '.' + QByteArray::number(lon % 10000).rightJustified(4, '0');
    block += ',';
    block += QByteArray::number(lat / 10000) + '.' + QByteArray::number(lat % 10000).rightJustified(4, '0');
    block += ",17) BAROMETER:1.5\n\n";
    return block;
}
