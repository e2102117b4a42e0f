// velloa-cli run as a process on input it was not made for: what it prints,
// its exit status, and that no file that existed before is changed. Cases
// that tests/cli/test_cli_process.cpp already runs (no LOG, a missing file, a
// directory, an empty file, a log without blocks, an output folder that
// cannot be made, an output naming the input, a subtitle write that fails
// half-way) are not repeated here.
#include "support/TestFiles.h"
#include "support/GpxConsumers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

namespace {

// Root reads and writes whatever the permission bits say (CAP_DAC_OVERRIDE,
// CAP_DAC_READ_SEARCH), so a file without read permission or a read-only
// folder cannot be provoked with chmod alone when the tests run as root.
// Run as root, the program is started through setpriv with those two
// capabilities removed from its bounding set: it stays root (it reaches
// every path) but obeys the permission bits like any user. Returns the
// program and arguments to start, or an empty list (with `why`) when this
// cannot be arranged.
QStringList Unprivileged(const QStringList& command, const QString& probeFile, QString& why)
{
    if (geteuid() != 0)
        return command;
    const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
    if (setpriv.isEmpty()) {
        why = QStringLiteral("running as root without setpriv: the permission bits cannot be made to count");
        return {};
    }
    const QStringList prefix{setpriv, QStringLiteral("--bounding-set=-dac_override,-dac_read_search"),
                             QStringLiteral("--")};
    // The drop must really take: reading the probe (no permission bits)
    // must fail under it.
    const QString cat = QStandardPaths::findExecutable(QStringLiteral("cat"));
    const ProcessRun probe = RunProgram(setpriv, prefix.mid(1) + QStringList{cat, probeFile});
    if (probe.exitCode == 0) {
        why = QStringLiteral("running as root and setpriv cannot drop CAP_DAC_OVERRIDE here");
        return {};
    }
    return prefix + command;
}

QStringList Entries(const QString& dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

// Three blocks, LF line ends, moving north-east.
const QByteArray kThreeBlocks =
    "1\n00:00:00,000 --> 00:00:01,000\nHOME(-58.4000,-34.6000) 2019.06.20 12:00:00\n"
    "GPS(-58.4000,-34.6000,17) BAROMETER:0.0\n\n"
    "2\n00:00:01,000 --> 00:00:02,000\nHOME(-58.4000,-34.6000) 2019.06.20 12:00:01\n"
    "GPS(-58.4001,-34.6001,17) BAROMETER:1.5\n\n"
    "3\n00:00:02,000 --> 00:00:03,000\nHOME(-58.4000,-34.6000) 2019.06.20 12:00:02\n"
    "GPS(-58.4002,-34.6002,17) BAROMETER:3.0\n\n";

// A record whose patterns found nothing, as the subtitle file shows it with
// the default pattern (LF line ends): {ID} is the record's number, SrtTime
// "not found", no fly time, position and everything derived from it 0.
const QByteArray kNothingFoundBlock =
    "1\nnot found\n   GPS:0.0000,0.0000   Hb:0.0\nDst: 0.0m   Spd: 0.00m/s  (0.0km/h)   Way: 0.0m\n\n";

// The route of records that all stand at 0, 0: a single point, no heights.
const QByteArray kRouteAtZero = "<rte>\r\n<rtept lat=\"0.00000\" lon=\"0.00000\">\r\n</rtept>\r\n</rte>\r\n";

} // namespace

class TestBadInputs : public QObject {
    Q_OBJECT

private slots:
    void emptyNameArgument();
    void unreadableFile();
    void binaryGarbage_data();
    void binaryGarbage();
    void utf16Log_data();
    void utf16Log();
    void invalidInputPattern();
    void millionBlocks();
    void readOnlyOutputFolder();
    void gpxWriteFailingHalfWayKeepsTheOldFile();
};

// An empty LOG argument (say, an unset shell variable in quotes) names no
// file; the outputs it would derive (".sorned.srt", ".gpx") must not appear.
void TestBadInputs::emptyNameArgument()
{
    QTemporaryDir dir;
    const ProcessRun run = RunCli({QString()}, dir.path());
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.err, QStringLiteral("velloa-cli: : File not exists.\n"));
    QVERIFY(run.out.isEmpty());
    QCOMPARE(Entries(dir.path()), QStringList());
}

void TestBadInputs::unreadableFile()
{
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("a.SRT"));
    WriteFile(log, kThreeBlocks);
    const QString oldGpx = dir.filePath(QStringLiteral("a.gpx"));
    WriteFile(oldGpx, "an earlier route");
    QVERIFY(QFile::setPermissions(log, QFileDevice::Permissions()));

    QString why;
    const QStringList command = Unprivileged({QStringLiteral(VELLOA_CLI_PATH), log}, log, why);
    if (command.isEmpty())
        QSKIP(qPrintable(why));
    const ProcessRun run = RunProgram(command.first(), command.mid(1));
    QVERIFY(QFile::setPermissions(log, QFileDevice::ReadOwner | QFileDevice::WriteOwner));

    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.err, QStringLiteral("velloa-cli: ") + log + QStringLiteral(": File not opened.\n"));
    QVERIFY(run.out.isEmpty());
    QCOMPARE(ReadFile(log), kThreeBlocks);
    QCOMPARE(ReadFile(oldGpx), QByteArray("an earlier route"));
    QCOMPARE(Entries(dir.path()), QStringList({QStringLiteral("a.SRT"), QStringLiteral("a.gpx")}));
}

// What a wrong file picked by mistake gives. The text of a log ends at its
// first NUL byte; a file that starts with one (a video: an MP4 file starts
// with the 32-bit size of its "ftyp" box) holds no block. A file whose
// first NUL comes later holds the bytes before it as text: a JPEG's first
// four bytes form one block in which no pattern matches, so one record
// without any value is converted, at 0, 0.
void TestBadInputs::binaryGarbage_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("converted");

    QByteArray video("\0\0\0\x18" "ftypmp42\0\0\0\0mp42isom", 24);
    for (int i = 0; i < 4096; ++i)
        video += char((i * 37 + 11) % 256);
    QTest::newRow("video, NUL first") << video << false;

    QByteArray jpeg("\xFF\xD8\xFF\xE0\0\x10JFIF\0\x01\x01\0\0\x01\0\x01\0\0", 20);
    for (int i = 0; i < 4096; ++i)
        jpeg += char((i * 101 + 7) % 256);
    QTest::newRow("JPEG, NUL after four bytes") << jpeg << true;
}

void TestBadInputs::binaryGarbage()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, converted);
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("picked.SRT"));
    WriteFile(log, bytes);
    const ProcessRun run = RunCli({QStringLiteral("--quiet"), log});
    QCOMPARE(ReadFile(log), bytes);
    if (!converted) {
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.err, QStringLiteral("velloa-cli: ") + log + QStringLiteral(": no subtitle blocks\n"));
        QCOMPARE(Entries(dir.path()), QStringList{QStringLiteral("picked.SRT")});
        return;
    }
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.err.isEmpty(), qPrintable(run.err));
    QCOMPARE(ReadFile(dir.filePath(QStringLiteral("picked.sorned.srt"))), QByteArray(kNothingFoundBlock));
    const QString gpx = dir.filePath(QStringLiteral("picked.gpx"));
    QVERIFY(ReadFile(gpx).endsWith(kRouteAtZero + "</gpx>\r\n"));
    VERIFY_GPX_FILE_CONSUMERS(gpx);
}

// A log saved again as UTF-16 (as some editors do): every ASCII character
// is followed (LE) or preceded (BE) by a NUL byte, so the text ends at the
// first character. With a byte-order mark (FF FE) the text is the mark and
// "1": one block in which nothing matches (the ID pattern wants digits
// only), converted at 0, 0. Big-endian without a mark starts with a NUL: no
// block.
void TestBadInputs::utf16Log_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("converted");
    const QString text = QString::fromUtf8(kThreeBlocks);
    QByteArray le("\xFF\xFE");
    QByteArray be;
    for (const QChar c : text) {
        le += char(c.unicode() & 0xFF);
        le += char(c.unicode() >> 8);
        be += char(c.unicode() >> 8);
        be += char(c.unicode() & 0xFF);
    }
    QTest::newRow("UTF-16LE with mark") << le << true;
    QTest::newRow("UTF-16BE without mark") << be << false;
}

void TestBadInputs::utf16Log()
{
    binaryGarbage();
}

// An input pattern that is no valid regular expression never matches: every
// record keeps the position 0, 0 (no record to borrow one from), and the
// route is a single point there. Nothing warns about the pattern.
void TestBadInputs::invalidInputPattern()
{
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("a.SRT"));
    WriteFile(log, kThreeBlocks);
    const ProcessRun run = RunCli({QStringLiteral("--quiet"), QStringLiteral("--no-srt"), QStringLiteral("--pattern"),
                            QStringLiteral("GPS=GPS[(]([-]?[0-9]+"), log});
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.err.isEmpty(), qPrintable(run.err));
    const QString gpx = dir.filePath(QStringLiteral("a.gpx"));
    // Heights 0, 1.5 and 3.0 but only record 0 is sampled (step 5): no ele.
    QVERIFY(ReadFile(gpx).endsWith(kRouteAtZero + "</gpx>\r\n"));
    QCOMPARE(ReadFile(log), kThreeBlocks);
    VERIFY_GPX_FILE_CONSUMERS(gpx);
}

// A million blocks (about 100 MB) convert in one run: every block becomes a
// subtitle block, and every fifth record a route point (no two sampled
// records share a place, see LongFlightBlock).
void TestBadInputs::millionBlocks()
{
    const int blocks = 1000000;
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("long.SRT"));
    {
        QFile file(log);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QByteArray chunk;
        for (int i = 0; i < blocks; ++i) {
            chunk += LongFlightBlock(i);
            if (chunk.size() > (1 << 20) || i == blocks - 1) {
                QCOMPARE(file.write(chunk), qint64(chunk.size()));
                chunk.clear();
            }
        }
    }
    // No smoothing, so that the subtitles show the positions as read.
    const ProcessRun run = RunCli({QStringLiteral("--quiet"), QStringLiteral("--smooth"), QStringLiteral("0"), log}, QString(), 900000);
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.err.isEmpty(), qPrintable(run.err));

    const QByteArray srt = ReadFile(dir.filePath(QStringLiteral("long.sorned.srt")));
    QCOMPARE(srt.count("   Way: "), blocks);
    QVERIFY(srt.startsWith("1\n00:00:00,000 --> 00:00:01,000\n2019.06.20 12:00:00   GPS:20.0000,10.0000   Hb:1.5\n"));
    QVERIFY(srt.contains("\n1000000\n00:00:00,000 --> 00:00:01,000\n2019.06.20 12:00:00   GPS:20.0019,14.9999   Hb:1.5\n"));

    const QString gpxName = dir.filePath(QStringLiteral("long.gpx"));
    const QByteArray gpx = ReadFile(gpxName);
    QCOMPARE(gpx.count("<rtept "), blocks / 5);
    // First sample record 0, last record 999995: latitude 10 + 49995 / 10^4,
    // longitude 20 + 19 / 10^4; heights all 1.5, no offset.
    QVERIFY(gpx.contains("<rte>\r\n<rtept lat=\"10.00000\" lon=\"20.00000\">\r\n<ele>1.50</ele>\r\n</rtept>\r\n"));
    QVERIFY(gpx.endsWith("<rtept lat=\"14.99950\" lon=\"20.00190\">\r\n<ele>1.50</ele>\r\n</rtept>\r\n</rte>\r\n</gpx>\r\n"));
    VERIFY_GPX_FILE_CONSUMERS(gpxName);
}

// An output folder that exists but may not be written: neither output can
// be created, both are reported, and the files already there stay as they
// were.
void TestBadInputs::readOnlyOutputFolder()
{
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("a.SRT"));
    WriteFile(log, kThreeBlocks);
    const QString outDir = dir.filePath(QStringLiteral("out"));
    QVERIFY(QDir().mkdir(outDir));
    const QString srt = outDir + QStringLiteral("/a.sorned.srt");
    const QString gpx = outDir + QStringLiteral("/a.gpx");
    WriteFile(srt, "earlier subtitles");
    WriteFile(gpx, "an earlier route");
    const QString probe = dir.filePath(QStringLiteral("probe"));
    WriteFile(probe, "x");
    QVERIFY(QFile::setPermissions(probe, QFileDevice::Permissions()));
    QVERIFY(QFile::setPermissions(outDir, QFileDevice::ReadOwner | QFileDevice::ExeOwner));

    QString why;
    const QStringList command = Unprivileged(
        {QStringLiteral(VELLOA_CLI_PATH), QStringLiteral("--quiet"), QStringLiteral("--output-dir"), outDir, log}, probe, why);
    ProcessRun run;
    if (!command.isEmpty())
        run = RunProgram(command.first(), command.mid(1));
    QVERIFY(QFile::setPermissions(outDir, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
    if (command.isEmpty())
        QSKIP(qPrintable(why));

    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.err, QStringLiteral("velloa-cli: ") + gpx + QStringLiteral(": File not opened for writing.\nvelloa-cli: ")
                          + srt + QStringLiteral(": File not opened for writing.\n"));
    QCOMPARE(ReadFile(srt), QByteArray("earlier subtitles"));
    QCOMPARE(ReadFile(gpx), QByteArray("an earlier route"));
    QCOMPARE(Entries(outDir), QStringList({QStringLiteral("a.gpx"), QStringLiteral("a.sorned.srt")}));
    QCOMPARE(ReadFile(log), kThreeBlocks);
}

// The route counterpart of the subtitle case in test_cli_process: a file size
// limit of 8 KiB (SIGXFSZ ignored) makes the write fail with EFBIG, as a full
// disk would; 2000 blocks give 400 points, about 26 KB of route.
void TestBadInputs::gpxWriteFailingHalfWayKeepsTheOldFile()
{
    const QString shell = QStandardPaths::findExecutable(QStringLiteral("bash"));
    if (shell.isEmpty())
        QSKIP("bash is needed to set the file size limit");
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("big.SRT"));
    QByteArray bytes;
    for (int i = 0; i < 2000; ++i)
        bytes += LongFlightBlock(i);
    WriteFile(log, bytes);
    const QString gpx = dir.filePath(QStringLiteral("big.gpx"));
    WriteFile(gpx, "an earlier good route");

    const ProcessRun run = RunProgram(shell, {QStringLiteral("-c"),
        QStringLiteral("trap '' XFSZ; ulimit -f 8; exec \"$0\" --no-srt \"$1\""), QStringLiteral(VELLOA_CLI_PATH), log});
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.err, QStringLiteral("velloa-cli: ") + gpx + QStringLiteral(": ") + gpx
                          + QStringLiteral(" - something wrong during writing...\n"));
    QCOMPARE(ReadFile(gpx), QByteArray("an earlier good route"));
    QCOMPARE(Entries(dir.path()), QStringList({QStringLiteral("big.SRT"), QStringLiteral("big.gpx")}));
}

QTEST_GUILESS_MAIN(TestBadInputs)
#include "test_bad_inputs.moc"
