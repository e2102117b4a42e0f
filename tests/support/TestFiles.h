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
