// Runs the built velloa-cli as a process: exit codes, messages, options and
// the files it writes.
#include "support/GpxConsumers.h"
#include "support/TestFiles.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Three blocks, LF line ends, moving north-east by one step of the last
// digit per block in both coordinates.
const QByteArray kThreeBlocks =
    "1\n00:00:00,000 --> 00:00:01,000\nHOME(-58.4000,-34.6000) 2019.06.20 12:00:00\n"
    "GPS(-58.4000,-34.6000,17) BAROMETER:0.0\n\n"
    "2\n00:00:01,000 --> 00:00:02,000\nHOME(-58.4000,-34.6000) 2019.06.20 12:00:01\n"
    "GPS(-58.4001,-34.6001,17) BAROMETER:1.5\n\n"
    "3\n00:00:02,000 --> 00:00:03,000\nHOME(-58.4000,-34.6000) 2019.06.20 12:00:02\n"
    "GPS(-58.4002,-34.6002,17) BAROMETER:3.0\n\n";

} // namespace

class TestCliProcess : public QObject {
    Q_OBJECT

private slots:
    void usageErrors_data();
    void usageErrors();
    void helpAndVersion();
    void writesBothOutputsBesideTheLog();
    void outputDirIsCreated();
    void skipsOutputsOnRequest();
    void patternOptionsApply();
    void wayBeforeAndSmoothingOptions();
    void failuresGoOnWithTheNextLog();
    void logThatIsADirectory();
    void logWithoutBlocksWritesNothing();
    void outputNamingTheInputIsRefused();
    void unwritableOutput();
    void writeFailingHalfWayKeepsTheOldFile();
};

void TestCliProcess::usageErrors_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("no LOG") << QStringList() << QStringLiteral("no LOG given");
    QTest::newRow("unknown option") << QStringList{QStringLiteral("--fly"), QStringLiteral("a.SRT")}
                                    << QStringLiteral("Unknown option 'fly'");
    QTest::newRow("bad label") << QStringList{QStringLiteral("--pattern"), QStringLiteral("Gps=x"), QStringLiteral("a.SRT")}
                               << QStringLiteral("bad --pattern \"Gps=x\"");
    QTest::newRow("no equals sign") << QStringList{QStringLiteral("--pattern"), QStringLiteral("GPS"), QStringLiteral("a.SRT")}
                                    << QStringLiteral("bad --pattern \"GPS\"");
    QTest::newRow("missing value") << QStringList{QStringLiteral("a.SRT"), QStringLiteral("--smooth")}
                                   << QStringLiteral("Missing value after '--smooth'");
}

void TestCliProcess::usageErrors()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    const ProcessRun run = RunCli(arguments);
    QCOMPARE(run.exitCode, 2);
    QVERIFY2(run.err.startsWith(QStringLiteral("velloa-cli: ") + message), qPrintable(run.err));
    QVERIFY2(run.err.contains(QStringLiteral("Usage: ")), qPrintable(run.err));
    QVERIFY(run.out.isEmpty());
}

void TestCliProcess::helpAndVersion()
{
    const ProcessRun help = RunCli({QStringLiteral("--help")});
    QCOMPARE(help.exitCode, 0);
    for (const char* option : {"--smooth", "--way-before", "--out-pattern-file", "--pattern", "--output-dir", "--no-srt",
                               "--no-gpx", "--quiet", "Exit status"})
        QVERIFY2(help.out.contains(QLatin1String(option)), option);
    const ProcessRun version = RunCli({QStringLiteral("--version")});
    QCOMPARE(version.exitCode, 0);
    QVERIFY(version.out.startsWith(QStringLiteral("velloa-cli ")));
}

void TestCliProcess::writesBothOutputsBesideTheLog()
{
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("flight.srt"));
    WriteFile(log, kThreeBlocks);
    const ProcessRun run = RunCli({log});
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.err.isEmpty(), qPrintable(run.err));
    const QString srt = dir.filePath(QStringLiteral("flight.sorned.srt"));
    const QString gpx = dir.filePath(QStringLiteral("flight.gpx"));
    QVERIFY(QFileInfo::exists(srt));
    QVERIFY(QFileInfo::exists(gpx));
    // The summary of the window's box with plain line ends, then the names.
    QVERIFY2(run.out.contains(QStringLiteral("Parsed 3 records\n\nFirst: GPS: ")), qPrintable(run.out));
    QVERIFY(!run.out.contains(QLatin1Char('\r')));
    QVERIFY(run.out.contains(srt + QStringLiteral(" has been writed!\n")));
    QVERIFY(run.out.contains(gpx + QStringLiteral(" has been writed!\n")));
    // The default pattern with LF line ends: block 1 starts the file.
    QVERIFY(ReadFile(srt).startsWith("1\n00:00:00,000 --> 00:00:01,000\n2019.06.20 12:00:00   GPS:"));
    // The route takes record 0 only (step 5 over three records), as parsed;
    // its height is 0, so no point has an elevation.
    const QByteArray route = ReadFile(gpx);
    QVERIFY(route.contains("<rte>\r\n<rtept lat=\"-34.60000\" lon=\"-58.40000\">\r\n</rtept>\r\n</rte>\r\n"));
    QCOMPARE(route.count("<rtept"), 1);
    VERIFY_GPX_FILE_CONSUMERS(gpx);
}

void TestCliProcess::outputDirIsCreated()
{
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("a.SRT"));
    WriteFile(log, kThreeBlocks);
    const QString outDir = dir.filePath(QStringLiteral("new/nested"));
    const ProcessRun run = RunCli({QStringLiteral("--quiet"), QStringLiteral("--output-dir"), outDir, log});
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.out.isEmpty());
    QVERIFY(QFileInfo::exists(outDir + QStringLiteral("/a.sorned.srt")));
    QVERIFY(QFileInfo::exists(outDir + QStringLiteral("/a.gpx")));
    QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("a.sorned.srt"))));

    // An output folder that cannot be made (a file is in the way).
    WriteFile(dir.filePath(QStringLiteral("blocker")), "x");
    const ProcessRun blocked = RunCli({QStringLiteral("--output-dir"), dir.filePath(QStringLiteral("blocker/sub")), log});
    QCOMPARE(blocked.exitCode, 1);
    QVERIFY2(blocked.err.contains(QStringLiteral("Output folder cannot be created.")), qPrintable(blocked.err));
}

void TestCliProcess::skipsOutputsOnRequest()
{
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("a.SRT"));
    WriteFile(log, kThreeBlocks);
    QCOMPARE(RunCli({QStringLiteral("--no-gpx"), log}).exitCode, 0);
    QVERIFY(QFileInfo::exists(dir.filePath(QStringLiteral("a.sorned.srt"))));
    QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("a.gpx"))));
    QVERIFY(QFile::remove(dir.filePath(QStringLiteral("a.sorned.srt"))));
    QCOMPARE(RunCli({QStringLiteral("--no-srt"), log}).exitCode, 0);
    QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("a.sorned.srt"))));
    QVERIFY(QFileInfo::exists(dir.filePath(QStringLiteral("a.gpx"))));
}

void TestCliProcess::patternOptionsApply()
{
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("a.SRT"));
    WriteFile(log, kThreeBlocks);
    const QString patternFile = dir.filePath(QStringLiteral("pattern.txt"));
    WriteFile(patternFile, "[{ID}|{Barometer}|{FlyTime}]\r\n");
    // A Barometer pattern that never matches leaves every height 0; a FlyTime
    // pattern that takes the seconds only.
    const ProcessRun run = RunCli({QStringLiteral("--pattern"), QStringLiteral("Barometer=NOWHERE([0-9]+)"),
        QStringLiteral("--pattern"), QStringLiteral("FlyTime=12:00:([0-9]+)"), QStringLiteral("--out-pattern-file"),
        patternFile, QStringLiteral("--no-gpx"), log});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(ReadFile(dir.filePath(QStringLiteral("a.sorned.srt"))),
        QByteArray("[1|0.0|00]\r\n[2|0.0|01]\r\n[3|0.0|02]\r\n"));

    const ProcessRun missing = RunCli({QStringLiteral("--out-pattern-file"), dir.filePath(QStringLiteral("nope.txt")), log});
    QCOMPARE(missing.exitCode, 1);
    QVERIFY2(missing.err.contains(QStringLiteral("nope.txt: File not exists.")), qPrintable(missing.err));
}

void TestCliProcess::wayBeforeAndSmoothingOptions()
{
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("a.SRT"));
    WriteFile(log, kThreeBlocks);
    const QString patternFile = dir.filePath(QStringLiteral("pattern.txt"));
    WriteFile(patternFile, "{Way};");
    // No smoothing: the way counts both diagonal steps. Each step is one
    // ten-thousandth of a degree in both coordinates at 34.6 degrees south:
    // 11.13 m north and 9.16 m east, 14.41 m (haversine by hand, 2 steps =
    // 28.8 m); the way starts at 100.
    QCOMPARE(RunCli({QStringLiteral("--smooth"), QStringLiteral("0"), QStringLiteral("--way-before"),
                 QStringLiteral("100"), QStringLiteral("--out-pattern-file"), patternFile, QStringLiteral("--no-gpx"), log})
                 .exitCode,
        0);
    QCOMPARE(ReadFile(dir.filePath(QStringLiteral("a.sorned.srt"))), QByteArray("100.0;114.4;128.8;"));
    // Text that is no number counts as 0.
    QCOMPARE(RunCli({QStringLiteral("--smooth"), QStringLiteral("abc"), QStringLiteral("--way-before"),
                 QStringLiteral("1,5"), QStringLiteral("--out-pattern-file"), patternFile, QStringLiteral("--no-gpx"), log})
                 .exitCode,
        0);
    QCOMPARE(ReadFile(dir.filePath(QStringLiteral("a.sorned.srt"))), QByteArray("0.0;14.4;28.8;"));
}

void TestCliProcess::failuresGoOnWithTheNextLog()
{
    QTemporaryDir dir;
    const QString good = dir.filePath(QStringLiteral("good.SRT"));
    WriteFile(good, kThreeBlocks);
    const QString missing = dir.filePath(QStringLiteral("missing.SRT"));
    const ProcessRun run = RunCli({missing, good});
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.err, QStringLiteral("velloa-cli: ") + missing + QStringLiteral(": File not exists.\n"));
    QVERIFY(QFileInfo::exists(dir.filePath(QStringLiteral("good.sorned.srt"))));
    QVERIFY(QFileInfo::exists(dir.filePath(QStringLiteral("good.gpx"))));
}

void TestCliProcess::logThatIsADirectory()
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("folder.SRT"));
    QVERIFY(QDir().mkdir(folder));
    const ProcessRun run = RunCli({folder});
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.err, QStringLiteral("velloa-cli: ") + folder + QStringLiteral(": File not opened.\n"));
    QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("folder.sorned.srt"))));
}

void TestCliProcess::logWithoutBlocksWritesNothing()
{
    QTemporaryDir dir;
    const QString empty = dir.filePath(QStringLiteral("empty.SRT"));
    WriteFile(empty, QByteArray());
    const QString blank = dir.filePath(QStringLiteral("blank.SRT"));
    WriteFile(blank, "\r\n\n\r\n");
    const ProcessRun run = RunCli({empty, blank});
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.err, QStringLiteral("velloa-cli: ") + empty + QStringLiteral(": no subtitle blocks\nvelloa-cli: ") + blank
            + QStringLiteral(": no subtitle blocks\n"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 2);
}

void TestCliProcess::outputNamingTheInputIsRefused()
{
    // The output folder holds a link named like the output that leads to
    // the log itself: writing would overwrite the flight log.
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("a.SRT"));
    WriteFile(log, kThreeBlocks);
    const QString outDir = dir.filePath(QStringLiteral("out"));
    QVERIFY(QDir().mkdir(outDir));
    QVERIFY(QFile::link(log, outDir + QStringLiteral("/a.sorned.srt")));
    const ProcessRun run = RunCli({QStringLiteral("--output-dir"), outDir, log});
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.contains(QStringLiteral("a.sorned.srt: Output file must differ from input file\n")), qPrintable(run.err));
    QCOMPARE(ReadFile(log), kThreeBlocks);
    QVERIFY(QFileInfo::exists(outDir + QStringLiteral("/a.gpx")));
}

void TestCliProcess::unwritableOutput()
{
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("a.SRT"));
    WriteFile(log, kThreeBlocks);
    // A folder stands where the output file should be.
    QVERIFY(QDir().mkdir(dir.filePath(QStringLiteral("a.gpx"))));
    const ProcessRun run = RunCli({log});
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.err, QStringLiteral("velloa-cli: ") + dir.filePath(QStringLiteral("a.gpx"))
            + QStringLiteral(": File not opened for writing.\n"));
    QVERIFY(QFileInfo::exists(dir.filePath(QStringLiteral("a.sorned.srt"))));
}

void TestCliProcess::writeFailingHalfWayKeepsTheOldFile()
{
    // A file size limit of 8 KiB with SIGXFSZ ignored makes the write fail
    // half-way with EFBIG, as a full disk would.
    const QString shell = QStandardPaths::findExecutable(QStringLiteral("bash"));
    if (shell.isEmpty())
        QSKIP("bash is needed to set the file size limit");
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("big.SRT"));
    QByteArray bytes;
    for (int i = 0; i < 400; ++i)
        bytes += kThreeBlocks;
    WriteFile(log, bytes);
    const QString srt = dir.filePath(QStringLiteral("big.sorned.srt"));
    WriteFile(srt, "an earlier good file");
    const ProcessRun run = RunProgram(shell, {QStringLiteral("-c"),
        QStringLiteral("trap '' XFSZ; ulimit -f 8; exec \"$0\" --no-gpx \"$1\""), QStringLiteral(VELLOA_CLI_PATH), log});
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.err, QStringLiteral("velloa-cli: ") + srt + QStringLiteral(": ") + srt
            + QStringLiteral(" - something wrong during writing...\n"));
    QCOMPARE(ReadFile(srt), QByteArray("an earlier good file"));
    // No temporary file is left behind.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

QTEST_GUILESS_MAIN(TestCliProcess)
#include "test_cli_process.moc"
