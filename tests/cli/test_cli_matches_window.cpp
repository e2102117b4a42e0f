// velloa-cli and the window must turn the same log into the same files: the
// built program is run as a process, and the window's two buttons are pressed
// on a copy of the same log in another folder.
#include "support/TestFiles.h"
#include "app/SornLogic.h"
#include "support/GpxConsumers.h"
#include "support/DialogDriver.h"
#include "ui/MainWindowWidgets.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

// A synthetic flight from the project's log generator (CR LF unless asked
// otherwise); empty when python3 or the generator fails.
QByteArray GeneratedFlight(int blocks, int seed, const QString& lineEnds = QStringLiteral("crlf"))
{
    const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
    if (python.isEmpty())
        return QByteArray();
    QProcess process;
    process.start(python, {QStringLiteral(SOURCE_DIR "/tools/make_flight_log.py"), QStringLiteral("--blocks"),
                           QString::number(blocks), QStringLiteral("--seed"), QString::number(seed),
                           QStringLiteral("--line-ends"), lineEnds});
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return QByteArray();
    return process.readAllStandardOutput();
}

// The "Way: <m>m" values of a computed subtitle file, in block order.
QStringList Ways(const QByteArray& subtitles)
{
    QStringList ways;
    QRegularExpressionMatchIterator it =
        QRegularExpression(QStringLiteral("Way: ([^m]*)m")).globalMatch(QString::fromUtf8(subtitles));
    while (it.hasNext())
        ways << it.next().captured(1);
    return ways;
}

}  // namespace

class TestCliMatchesWindow : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void oneLog_data();
    void oneLog();
    void flightSplitOverThreeFiles_data();
    void flightSplitOverThreeFiles();

private:
    // Types the log's name into the input field and finishes editing, which
    // derives both output names beside it, as a user does.
    void chooseInput(const QString& log)
    {
        w->InFileNameEdit->setText(log);
        emit w->InFileNameEdit->editingFinished();
    }

    std::unique_ptr<QTemporaryDir> m_cliDir;
    std::unique_ptr<QTemporaryDir> m_windowDir;
    std::unique_ptr<SornLogic> m_logic;
    std::unique_ptr<DialogDriver> m_driver;
    MainWindowWidgets* w = nullptr;
};

void TestCliMatchesWindow::init()
{
    m_cliDir = std::make_unique<QTemporaryDir>();
    m_windowDir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_cliDir->isValid() && m_windowDir->isValid());
    m_logic = std::make_unique<SornLogic>();
    w = m_logic->Widgets;
    m_driver = std::make_unique<DialogDriver>();
}

void TestCliMatchesWindow::cleanup()
{
    m_driver.reset();
    m_logic.reset();
    m_windowDir.reset();
    m_cliDir.reset();
}

void TestCliMatchesWindow::oneLog_data()
{
    QTest::addColumn<QByteArray>("log");
    QTest::addColumn<QString>("smoothing");  // empty: start-up settings, no option

    // Three records, home at (10, 20), the last at (15.12, 25.12).
    const QByteArray small =
        "1\r\n00:00:00,000 --> 00:00:01,000\r\nHOME(20.0000,10.0000) 2019.06.20 12:00:00\r\n"
        "GPS(20.0000,10.0000,17) BAROMETER:0.0\r\n\r\n"
        "2\r\n00:00:01,000 --> 00:00:02,000\r\nHOME(20.0000,10.0000) 2019.06.20 12:00:01\r\n"
        "GPS(20.0000,10.0000,17) BAROMETER:1.5\r\n\r\n"
        "3\r\n00:00:02,000 --> 00:00:03,000\r\nHOME(20.0000,10.0000) 2019.06.20 12:00:02\r\n"
        "GPS(25.1200,15.1200,17) BAROMETER:3.0\r\n\r\n";
    const QByteArray crlf = GeneratedFlight(150, 3);
    const QByteArray lf = GeneratedFlight(150, 4, QStringLiteral("lf"));
    QTest::newRow("three records, start-up") << small << QString();
    QTest::newRow("three records, smoothing 0") << small << QStringLiteral("0");
    QTest::newRow("generated CR LF flight, start-up") << crlf << QString();
    QTest::newRow("generated CR LF flight, smoothing 0") << crlf << QStringLiteral("0");
    QTest::newRow("generated LF flight, start-up") << lf << QString();
    QTest::newRow("generated LF flight, smoothing 0") << lf << QStringLiteral("0");
}

void TestCliMatchesWindow::oneLog()
{
    QFETCH(QByteArray, log);
    QFETCH(QString, smoothing);
    if (log.isEmpty())
        QSKIP("python3 is needed to run tools/make_flight_log.py");
    const QString cliLog = QDir(m_cliDir->path()).filePath(QStringLiteral("flight.SRT"));
    const QString windowLog = QDir(m_windowDir->path()).filePath(QStringLiteral("flight.SRT"));
    WriteFile(cliLog, log);
    WriteFile(windowLog, log);

    QStringList arguments;
    if (!smoothing.isEmpty())
        arguments << QStringLiteral("--smooth") << smoothing;
    const ProcessRun run = RunCli(arguments << cliLog);
    QVERIFY2(run.exitCode == 0, qPrintable(run.err));

    if (!smoothing.isEmpty())
        w->SmoothGpsEdit->setText(smoothing);
    chooseInput(windowLog);
    QTest::mouseClick(w->WriteSrtButton, Qt::LeftButton);
    QTest::mouseClick(w->WriteGpxButton, Qt::LeftButton);
    const QList<SeenBox> boxes = m_driver->boxes();
    QCOMPARE(boxes.size(), 3);
    QCOMPARE(boxes.at(0).title, QStringLiteral("Read information"));
    QCOMPARE(boxes.at(1).title, QStringLiteral("OK"));
    QCOMPARE(boxes.at(2).title, QStringLiteral("OK"));

    const QString srt = QStringLiteral("flight.sorned.srt");
    const QString gpx = QStringLiteral("flight.gpx");
    const QByteArray windowSrt = ReadFile(QDir(m_windowDir->path()).filePath(srt));
    const QByteArray windowGpx = ReadFile(QDir(m_windowDir->path()).filePath(gpx));
    QVERIFY(windowSrt.startsWith("1\n"));  // a real file, with the LF of the window's pattern
    QCOMPARE(ReadFile(QDir(m_cliDir->path()).filePath(srt)), windowSrt);
    QCOMPARE(ReadFile(QDir(m_cliDir->path()).filePath(gpx)), windowGpx);
    VERIFY_GPX_CONSUMERS(windowGpx);
    // The command line prints the window's summary, with LF line ends.
    QString summary = boxes.at(0).text;
    summary.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QVERIFY2(run.out.contains(summary), qPrintable(run.out));
}

void TestCliMatchesWindow::flightSplitOverThreeFiles_data()
{
    QTest::addColumn<QString>("smoothing");  // empty: start-up settings
    QTest::newRow("start-up") << QString();
    QTest::newRow("smoothing 0") << QStringLiteral("0");
}

void TestCliMatchesWindow::flightSplitOverThreeFiles()
{
    // One generated flight of 90 seconds cut into three logs of 30 blocks.
    // velloa-cli f1 f2 f3 must equal three presses of "Calc && Write .SRT
    // file" (and of "Write .GPX file") where only the input name changes in
    // between: "Way before, m" carries the way from file to file.
    QFETCH(QString, smoothing);
    const QByteArray flight = GeneratedFlight(90, 7);
    if (flight.isEmpty())
        QSKIP("python3 is needed to run tools/make_flight_log.py");
    QList<QByteArray> logs = {QByteArray(), QByteArray(), QByteArray()};
    int block = 0;
    const QByteArray blockEnd = "\r\n\r\n";
    for (int start = 0, end = 0; (end = flight.indexOf(blockEnd, start)) >= 0; start = end + blockEnd.size(), ++block)
        logs[qMin(block / 30, 2)] += flight.mid(start, end + blockEnd.size() - start);
    QCOMPARE(block, 90);

    QStringList cliLogs;
    QStringList windowLogs;
    for (int i = 0; i < 3; ++i) {
        const QString name = QStringLiteral("f%1.SRT").arg(i + 1);
        cliLogs << QDir(m_cliDir->path()).filePath(name);
        windowLogs << QDir(m_windowDir->path()).filePath(name);
        WriteFile(cliLogs.last(), logs[i]);
        WriteFile(windowLogs.last(), logs[i]);
    }

    QStringList arguments;
    if (!smoothing.isEmpty())
        arguments << QStringLiteral("--smooth") << smoothing;
    const ProcessRun run = RunCli(arguments + cliLogs);
    QVERIFY2(run.exitCode == 0, qPrintable(run.err));

    if (!smoothing.isEmpty())
        w->SmoothGpsEdit->setText(smoothing);
    for (const QString& log : qAsConst(windowLogs)) {
        chooseInput(log);
        QTest::mouseClick(w->WriteSrtButton, Qt::LeftButton);
        QTest::mouseClick(w->WriteGpxButton, Qt::LeftButton);
    }
    QCOMPARE(m_driver->boxes().size(), 9);

    QStringList previousWays;
    for (int i = 1; i <= 3; ++i) {
        for (const QString& suffix : {QStringLiteral(".sorned.srt"), QStringLiteral(".gpx")}) {
            const QString name = QStringLiteral("f%1").arg(i) + suffix;
            const QByteArray windowFile = ReadFile(QDir(m_windowDir->path()).filePath(name));
            QVERIFY2(!windowFile.startsWith("<missing>"), qPrintable(name));
            QCOMPARE(ReadFile(QDir(m_cliDir->path()).filePath(name)), windowFile);
        }
        // Each file starts where the one before ended, to the decimetre that
        // the field holds; the first starts at 0.
        const QStringList ways = Ways(ReadFile(QDir(m_windowDir->path()).filePath(QStringLiteral("f%1.sorned.srt").arg(i))));
        QCOMPARE(ways.size(), 30);
        QCOMPARE(ways.first(), previousWays.isEmpty() ? QStringLiteral("0.0") : previousWays.last());
        QVERIFY2(ways.last().toDouble() > ways.first().toDouble(), "the generated flight moves");
        previousWays = ways;
    }
    QCOMPARE(w->WayBeforeEdit->text(), previousWays.last());
}

QTEST_MAIN(TestCliMatchesWindow)
#include "test_cli_matches_window.moc"
