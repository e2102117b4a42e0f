// The window's two conversion buttons, "Calc && Write .SRT file" and
// "Write .GPX file", driven through the real main window: the summary, the
// message boxes in order, the bytes of the written files, the "Way before, m"
// field, and the files left alone when something goes wrong.
#include "support/TestFiles.h"
#include "app/SornLogic.h"
#include "support/GpxConsumers.h"
#include "output/Maker.h"
#include "support/DialogDriver.h"
#include "ui/MainWindowWidgets.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/resource.h>

#include <csignal>
#include <memory>

namespace {

// "HH:MM:SS" of a second count.
QString Clock(int seconds)
{
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

// One block of a flight log as the drone writes it (CR LF, one empty line
// after it). `lonLat` and `home` are "lon,lat" as in the log; the block
// covers second number - 1 of the video, flown from 12:00:00 on.
QByteArray LogBlock(int number, const QString& lonLat, const QString& barometer,
                    const QString& home = QStringLiteral("20.0000,10.0000"))
{
    const int second = number - 1;
    const QString crlf = QStringLiteral("\r\n");
    return (QString::number(number) + crlf + Clock(second) + QStringLiteral(",000 --> ") + Clock(second + 1)
            + QStringLiteral(",000") + crlf + QStringLiteral("HOME(") + home + QStringLiteral(") 2019.06.20 ")
            + Clock(12 * 3600 + second) + crlf + QStringLiteral("GPS(") + lonLat + QStringLiteral(",17) BAROMETER:")
            + barometer + crlf + crlf)
        .toUtf8();
}

// One block of the computed subtitle file with the default output pattern as
// the window hands it over (LF line ends), for the block of LogBlock(id).
QByteArray OutBlock(int id, const QString& gps, const QString& hb, const QString& dst, const QString& spd,
                    const QString& kmh, const QString& way)
{
    const int second = id - 1;
    return (QString::number(id) + QStringLiteral("\n") + Clock(second) + QStringLiteral(",000 --> ")
            + Clock(second + 1) + QStringLiteral(",000\n2019.06.20 ") + Clock(12 * 3600 + second)
            + QStringLiteral("   GPS:") + gps + QStringLiteral("   Hb:") + hb + QStringLiteral("\nDst: ") + dst
            + QStringLiteral("m   Spd: ") + spd + QStringLiteral("m/s  (") + kmh + QStringLiteral("km/h)   Way: ")
            + way + QStringLiteral("m\n\n"))
        .toUtf8();
}

// Three records, home at (lat 10, lon 20): two at home, the third at
// (15.12, 25.12). Derived by hand:
// - Five smoothing sweeps over [a, a, c]: after the first the last two are
//   equal and every further sweep quarters their gap to the first, so the
//   gap is (c - a) / 2 / 4^4 = 0.01 degrees, and the sum 2a + c is kept:
//   latitudes [11.7, 11.71, 11.71], longitudes [21.7, 21.71, 21.71].
// - Only step 0 -> 1 moves (both coordinates): 1558.028 m on the sphere of
//   6378200 m, i.e. 1558.03 m/s and 5608.9 km/h; ways 0, 1558.0, 1558.0.
// - From home: 265245.98 m to record 0, 266803.99 m to records 1 and 2.
const QByteArray kThreeRecords = LogBlock(1, QStringLiteral("20.0000,10.0000"), QStringLiteral("0.0"))
    + LogBlock(2, QStringLiteral("20.0000,10.0000"), QStringLiteral("1.5"))
    + LogBlock(3, QStringLiteral("25.1200,15.1200"), QStringLiteral("3.0"));
const QString kStartUpSummary = QStringLiteral(
    "Parsed 3 records\r\n\r\nFirst: GPS: 11.7, 21.7 SrtTime: 00:00:00,000 --> 00:00:01,000\r\nWay: 1558.03\r\n");

QByteArray StartUpOutput(const QString& way0, const QString& way12)
{
    return OutBlock(1, QStringLiteral("21.7000,11.7000"), QStringLiteral("0.0"), QStringLiteral("265246.0"),
                    QStringLiteral("1558.03"), QStringLiteral("5608.9"), way0)
        + OutBlock(2, QStringLiteral("21.7100,11.7100"), QStringLiteral("1.5"), QStringLiteral("266804.0"),
                   QStringLiteral("0.00"), QStringLiteral("0.0"), way12)
        + OutBlock(3, QStringLiteral("21.7100,11.7100"), QStringLiteral("3.0"), QStringLiteral("266804.0"),
                   QStringLiteral("0.00"), QStringLiteral("0.0"), way12);
}

const QString kChanged = QStringLiteral("background-color:#F8FFF0");

QString Info(const QString& title, const QString& text)
{
    return QStringLiteral("information ") + title + QStringLiteral(": ") + text;
}

QString Warning(const QString& title, const QString& text)
{
    return QStringLiteral("warning ") + title + QStringLiteral(": ") + text;
}

// The boxes the driver answered, in order, as Info()/Warning() describe them.
// A long flight that moves one step of the last digit per record in both
// coordinates, for outputs larger than a small file size limit.
QByteArray MovingLog(int records)
{
    QByteArray log;
    for (int i = 0; i < records; ++i)
        log += LogBlock(i + 1,
                        QString::number(-58.3816 - i * 0.0001, 'f', 4) + QLatin1Char(',')
                            + QString::number(-34.6037 - i * 0.0001, 'f', 4),
                        QString::number(0.1 * (i + 1), 'f', 1), QStringLiteral("-58.3816,-34.6037"));
    return log;
}

// Lowers the process's file size limit with SIGXFSZ ignored, so that a write
// past it fails with EFBIG as on a full disk; both are restored on leaving.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lowered = m_old;
        lowered.rlim_cur = bytes;
        m_active = setrlimit(RLIMIT_FSIZE, &lowered) == 0;
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    bool active() const { return m_active; }

private:
    rlimit m_old {};
    void (*m_oldHandler)(int) = nullptr;
    bool m_active = false;
};

const QString kSameFileWarning = Warning(QStringLiteral("Au..."), QStringLiteral("Output file must differ from input file"));
const QString kNotOpenedWarning = Warning(QStringLiteral("Info"), QStringLiteral("File not opened for writing."));
const QString kNoOutputNameWarning = Warning(QStringLiteral("Au..."), QStringLiteral("Please, specify output file name"));

}  // namespace

class TestConversionActions : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    // Calc && Write .SRT file
    void srtStartUpRun();
    void srtSecondPressCarriesTheWay();
    void srtWithoutSmoothing_data();
    void srtWithoutSmoothing();
    void srtOneRecord_data();
    void srtOneRecord();
    void srtStationaryTrack_data();
    void srtStationaryTrack();
    void srtEmptyOutputName();
    void srtUnwritableOutput_data() { unwritableRows(); }
    void srtUnwritableOutput();
    void srtOutputNamingInput_data() { sameFileRows(); }
    void srtOutputNamingInput();
    void srtNoCompleteBlock_data();
    void srtNoCompleteBlock();
    void srtWriteFailingHalfWay_data() { halfWayRows(1000, 80); }
    void srtWriteFailingHalfWay();

    // Write .GPX file
    void gpxRoute_data();
    void gpxRoute();
    void gpxNameShownAsTyped();
    void gpxEmptyOutputName_data();
    void gpxEmptyOutputName();
    void gpxNoRecords_data();
    void gpxNoRecords();
    void gpxUnwritableOutput_data() { unwritableRows(); }
    void gpxUnwritableOutput();
    void gpxOutputNamingInput_data() { sameFileRows(); }
    void gpxOutputNamingInput();
    void gpxWriteFailingHalfWay_data() { halfWayRows(6000, 1000); }
    void gpxWriteFailingHalfWay();

private:
    void halfWayRows(int largeFlight, int smallFlight);
    void unwritableRows();
    void sameFileRows();
    QString path(const QString& name) const { return QDir(m_dir->path()).filePath(name); }
    QStringList entries() const
    {
        return QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                             QDir::Name);
    }
    void pressSrt() { QTest::mouseClick(w->WriteSrtButton, Qt::LeftButton); }
    void pressGpx() { QTest::mouseClick(w->WriteGpxButton, Qt::LeftButton); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<SornLogic> m_logic;
    std::unique_ptr<DialogDriver> m_driver;
    MainWindowWidgets* w = nullptr;
    QString m_log;  // dir/log.SRT, holding kThreeRecords
};

void TestConversionActions::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_logic = std::make_unique<SornLogic>();
    w = m_logic->Widgets;
    m_driver = std::make_unique<DialogDriver>();
    m_log = path(QStringLiteral("log.SRT"));
    WriteFile(m_log, kThreeRecords);
    w->InFileNameEdit->setText(m_log);
    w->OutSrtFileNameEdit->setText(path(QStringLiteral("out.srt")));
    w->OutGpxFileNameEdit->setText(path(QStringLiteral("out.gpx")));
}

void TestConversionActions::cleanup()
{
    m_driver.reset();
    m_logic.reset();
    m_dir.reset();
}

// ---- Calc && Write .SRT file ----------------------------------------------

void TestConversionActions::srtStartUpRun()
{
    QCOMPARE(w->SmoothGpsEdit->text(), QStringLiteral("5"));
    QCOMPARE(w->WayBeforeEdit->text(), QStringLiteral("0.0"));
    pressSrt();
    const QString out = path(QStringLiteral("out.srt"));
    QCOMPARE(Seen(*m_driver), QStringList({Info(QStringLiteral("Read information"), kStartUpSummary),
                                           Info(QStringLiteral("OK"), out + QStringLiteral(" has been writed!"))}));
    QCOMPARE(ReadFile(out), StartUpOutput(QStringLiteral("0.0"), QStringLiteral("1558.0")));
    QCOMPARE(w->WayBeforeEdit->text(), QStringLiteral("1558.0"));
    QCOMPARE(w->WayBeforeEdit->styleSheet(), kChanged);
    QCOMPARE(w->SmoothGpsEdit->text(), QStringLiteral("5"));
    QCOMPARE(ReadFile(m_log), kThreeRecords);
}

void TestConversionActions::srtSecondPressCarriesTheWay()
{
    // The second run starts from the 1558.0 m of the first: every way grows
    // by that much, 1558.0 + 1558.028 = 3116.028 m at the end.
    pressSrt();
    m_driver->clear();
    pressSrt();
    const QString out = path(QStringLiteral("out.srt"));
    QString summary = kStartUpSummary;
    summary.replace(QStringLiteral("Way: 1558.03"), QStringLiteral("Way: 3116.03"));
    QCOMPARE(Seen(*m_driver), QStringList({Info(QStringLiteral("Read information"), summary),
                                           Info(QStringLiteral("OK"), out + QStringLiteral(" has been writed!"))}));
    QCOMPARE(ReadFile(out), StartUpOutput(QStringLiteral("1558.0"), QStringLiteral("3116.0")));
    QCOMPARE(w->WayBeforeEdit->text(), QStringLiteral("3116.0"));
    QCOMPARE(w->WayBeforeEdit->styleSheet(), kChanged);
}

void TestConversionActions::srtWithoutSmoothing_data()
{
    QTest::addColumn<QString>("smoothing");
    QTest::newRow("zero") << QStringLiteral("0");
    QTest::newRow("negative") << QStringLiteral("-3");
    QTest::newRow("not a number") << QStringLiteral("abc");
}

void TestConversionActions::srtWithoutSmoothing()
{
    // Positions as parsed. Step lengths [0, D, 0] with D = 796306.01 m from
    // (10, 20) to (15.12, 25.12); spreading gives [0, D/2, D/2], three
    // averaging sweeps [21/64, 43/128, 43/128] x D = 261287.91 and
    // 267509.05 m/s (940636.5 and 963032.6 km/h). Record 1 has not moved,
    // record 2 moved in both coordinates: ways 0, 0, D.
    QFETCH(QString, smoothing);
    w->SmoothGpsEdit->setText(smoothing);
    pressSrt();
    const QString out = path(QStringLiteral("out.srt"));
    const QString summary = QStringLiteral(
        "Parsed 3 records\r\n\r\nFirst: GPS: 10, 20 SrtTime: 00:00:00,000 --> 00:00:01,000\r\nWay: 796306\r\n");
    QCOMPARE(Seen(*m_driver), QStringList({Info(QStringLiteral("Read information"), summary),
                                           Info(QStringLiteral("OK"), out + QStringLiteral(" has been writed!"))}));
    const QByteArray expected =
        OutBlock(1, QStringLiteral("20.0000,10.0000"), QStringLiteral("0.0"), QStringLiteral("0.0"),
                 QStringLiteral("261287.91"), QStringLiteral("940636.5"), QStringLiteral("0.0"))
        + OutBlock(2, QStringLiteral("20.0000,10.0000"), QStringLiteral("1.5"), QStringLiteral("0.0"),
                   QStringLiteral("267509.05"), QStringLiteral("963032.6"), QStringLiteral("0.0"))
        + OutBlock(3, QStringLiteral("25.1200,15.1200"), QStringLiteral("3.0"), QStringLiteral("796306.0"),
                   QStringLiteral("267509.05"), QStringLiteral("963032.6"), QStringLiteral("796306.0"));
    QCOMPARE(ReadFile(out), expected);
    QCOMPARE(w->WayBeforeEdit->text(), QStringLiteral("796306.0"));
    QCOMPARE(w->SmoothGpsEdit->text(), smoothing);  // the action never rewrites it
}

void TestConversionActions::srtOneRecord_data()
{
    QTest::addColumn<QString>("wayBefore");
    QTest::addColumn<QString>("summaryWay");  // 'g' with 6 digits
    QTest::addColumn<QString>("fieldWay");    // one decimal
    QTest::addColumn<QString>("style");
    QTest::newRow("start-up") << QStringLiteral("0.0") << QStringLiteral("0") << QStringLiteral("0.0") << QString();
    QTest::newRow("carried way") << QStringLiteral("12.5") << QStringLiteral("12.5") << QStringLiteral("12.5") << kChanged;
    QTest::newRow("five digits") << QStringLiteral("12345.67") << QStringLiteral("12345.7")
                                 << QStringLiteral("12345.7") << kChanged;
    QTest::newRow("not a number") << QStringLiteral("abc") << QStringLiteral("0") << QStringLiteral("0.0") << QString();
    QTest::newRow("nan") << QStringLiteral("nan") << QStringLiteral("0") << QStringLiteral("0.0") << QString();
}

void TestConversionActions::srtOneRecord()
{
    // A single record measures nothing: its way is the way before.
    QFETCH(QString, wayBefore);
    QFETCH(QString, summaryWay);
    QFETCH(QString, fieldWay);
    QFETCH(QString, style);
    WriteFile(m_log, LogBlock(1, QStringLiteral("20.0000,10.0000"), QStringLiteral("0.0")));
    w->WayBeforeEdit->setText(wayBefore);
    w->WayBeforeEdit->setStyleSheet(QStringLiteral("color:red"));  // must be replaced either way
    pressSrt();
    const QString out = path(QStringLiteral("out.srt"));
    QCOMPARE(Seen(*m_driver),
             QStringList({Info(QStringLiteral("Read information"),
                               QStringLiteral("Parsed 1 records\r\n\r\nFirst: GPS: 10, 20 SrtTime: 00:00:00,000 --> "
                                              "00:00:01,000\r\nWay: ")
                                   + summaryWay + QStringLiteral("\r\n")),
                          Info(QStringLiteral("OK"), out + QStringLiteral(" has been writed!"))}));
    QCOMPARE(ReadFile(out), OutBlock(1, QStringLiteral("20.0000,10.0000"), QStringLiteral("0.0"), QStringLiteral("0.0"),
                                     QStringLiteral("0.00"), QStringLiteral("0.0"), fieldWay));
    QCOMPARE(w->WayBeforeEdit->text(), fieldWay);
    QCOMPARE(w->WayBeforeEdit->styleSheet(), style);
}

void TestConversionActions::srtStationaryTrack_data()
{
    QTest::addColumn<QString>("smoothing");
    QTest::newRow("smoothed") << QStringLiteral("5");
    QTest::newRow("speeds spread") << QStringLiteral("0");
}

void TestConversionActions::srtStationaryTrack()
{
    // At latitude 57.0131 the law of cosines rounds the cosine of a point to
    // itself above 1, which would give NaN distances, speeds and ways; a
    // hovering drone must read as 0 m everywhere, home distance included.
    QFETCH(QString, smoothing);
    const QString spot = QStringLiteral("37.6200,57.0131");
    QByteArray log;
    QByteArray expected;
    for (int i = 1; i <= 4; ++i) {
        log += LogBlock(i, spot, QStringLiteral("0.0"), spot);
        expected += OutBlock(i, spot, QStringLiteral("0.0"), QStringLiteral("0.0"), QStringLiteral("0.00"),
                             QStringLiteral("0.0"), QStringLiteral("0.0"));
    }
    WriteFile(m_log, log);
    w->SmoothGpsEdit->setText(smoothing);
    w->WayBeforeEdit->setStyleSheet(kChanged);  // left over from an earlier run
    pressSrt();
    QCOMPARE(Seen(*m_driver).value(0),
             Info(QStringLiteral("Read information"),
                  QStringLiteral("Parsed 4 records\r\n\r\nFirst: GPS: 57.0131, 37.62 SrtTime: 00:00:00,000 --> "
                                 "00:00:01,000\r\nWay: 0\r\n")));
    QCOMPARE(ReadFile(path(QStringLiteral("out.srt"))), expected);
    QCOMPARE(w->WayBeforeEdit->text(), QStringLiteral("0.0"));
    QCOMPARE(w->WayBeforeEdit->styleSheet(), QString());
}

void TestConversionActions::srtEmptyOutputName()
{
    w->OutSrtFileNameEdit->clear();
    pressSrt();
    QCOMPARE(Seen(*m_driver),
             QStringList({Info(QStringLiteral("Read information"), kStartUpSummary), kNoOutputNameWarning}));
    QCOMPARE(entries(), QStringList({QStringLiteral("log.SRT")}));
    QCOMPARE(w->WayBeforeEdit->text(), QStringLiteral("0.0"));  // not the 1558.0 reached
    QCOMPARE(w->WayBeforeEdit->styleSheet(), QString());
}

void TestConversionActions::unwritableRows()
{
    QTest::addColumn<QString>("outName");
    QTest::addColumn<bool>("asDirectory");
    QTest::newRow("a directory in its place") << QStringLiteral("taken") << true;
    QTest::newRow("in a missing folder") << QStringLiteral("missing/out") << false;
}

void TestConversionActions::srtUnwritableOutput()
{
    QFETCH(QString, outName);
    QFETCH(bool, asDirectory);
    if (asDirectory)
        QVERIFY(QDir(m_dir->path()).mkdir(outName));
    w->OutSrtFileNameEdit->setText(path(outName));
    pressSrt();
    QCOMPARE(Seen(*m_driver),
             QStringList({Info(QStringLiteral("Read information"), kStartUpSummary), kNotOpenedWarning}));
    // The way still advances, so the next file of the flight continues it.
    QCOMPARE(w->WayBeforeEdit->text(), QStringLiteral("1558.0"));
    QCOMPARE(w->WayBeforeEdit->styleSheet(), kChanged);
    QCOMPARE(QFileInfo(path(outName)).isDir(), asDirectory);
    QCOMPARE(entries(), asDirectory ? QStringList({QStringLiteral("log.SRT"), outName}) : QStringList({QStringLiteral("log.SRT")}));
    if (asDirectory)
        QVERIFY(QDir(path(outName)).isEmpty());
}

void TestConversionActions::sameFileRows()
{
    // Names relative to the test folder, which also holds link.SRT -> log.SRT.
    QTest::addColumn<QString>("inName");
    QTest::addColumn<QString>("outName");
    QTest::newRow("the same name") << QStringLiteral("log.SRT") << QStringLiteral("log.SRT");
    QTest::newRow("another spelling") << QStringLiteral("log.SRT") << QStringLiteral("./log.SRT");
    QTest::newRow("a link to the input") << QStringLiteral("log.SRT") << QStringLiteral("link.SRT");
    QTest::newRow("input through a link") << QStringLiteral("link.SRT") << QStringLiteral("log.SRT");
}

void TestConversionActions::srtOutputNamingInput()
{
    QFETCH(QString, inName);
    QFETCH(QString, outName);
    QVERIFY(QFile::link(m_log, path(QStringLiteral("link.SRT"))));
    w->InFileNameEdit->setText(path(inName));
    w->OutSrtFileNameEdit->setText(path(outName));
    pressSrt();
    QCOMPARE(Seen(*m_driver),
             QStringList({Info(QStringLiteral("Read information"), kStartUpSummary), kSameFileWarning}));
    QCOMPARE(ReadFile(m_log), kThreeRecords);
    QVERIFY(QFileInfo(path(QStringLiteral("link.SRT"))).isSymLink());
    QCOMPARE(entries(), QStringList({QStringLiteral("link.SRT"), QStringLiteral("log.SRT")}));
    QCOMPARE(w->WayBeforeEdit->text(), QStringLiteral("0.0"));
    QCOMPARE(w->WayBeforeEdit->styleSheet(), QString());
}

void TestConversionActions::srtNoCompleteBlock_data()
{
    QTest::addColumn<QByteArray>("log");
    QTest::addColumn<bool>("withOutputName");
    QTest::newRow("only empty lines") << QByteArray("\r\n\r\n\n\r\n") << true;
    QTest::newRow("NUL before the first block") << (QByteArray(1, '\0') + kThreeRecords) << true;
    QTest::newRow("only empty lines, no output name") << QByteArray("\r\n\r\n\n\r\n") << false;
}

void TestConversionActions::srtNoCompleteBlock()
{
    QFETCH(QByteArray, log);
    QFETCH(bool, withOutputName);
    WriteFile(m_log, log);
    const QString out = path(QStringLiteral("out.srt"));
    WriteFile(out, "an earlier file\n");
    if (!withOutputName)
        w->OutSrtFileNameEdit->clear();
    w->WayBeforeEdit->setText(QStringLiteral("7.5"));
    w->WayBeforeEdit->setStyleSheet(kChanged);
    pressSrt();
    QStringList expected = {Info(QStringLiteral("Read information"), QStringLiteral("Parsed 0 records\r\n\r\n"))};
    if (!withOutputName)
        expected << kNoOutputNameWarning;
    QCOMPARE(Seen(*m_driver), expected);
    QCOMPARE(ReadFile(out), QByteArray("an earlier file\n"));
    QCOMPARE(entries(), QStringList({QStringLiteral("log.SRT"), QStringLiteral("out.srt")}));
    QCOMPARE(w->WayBeforeEdit->text(), QStringLiteral("7.5"));
    QCOMPARE(w->WayBeforeEdit->styleSheet(), kChanged);
}

void TestConversionActions::halfWayRows(int largeFlight, int smallFlight)
{
    // Flights that move in both coordinates at every record, against a file
    // size limit of 8 KiB. Their subtitles take about 140 bytes a record,
    // their route about 70 bytes every fifth record. Qt keeps up to 16 KiB
    // of written data in its own buffer: a failure while that last part
    // reaches the disk must be caught as surely as one during the writes.
    QTest::addColumn<int>("records");
    QTest::newRow("output larger than the write buffer") << largeFlight;
    QTest::newRow("tail still in the write buffer") << smallFlight;
}

void TestConversionActions::srtWriteFailingHalfWay()
{
    // 1000 records give about 140 KB of subtitles, 80 records about 11 KB.
    QFETCH(int, records);
    WriteFile(m_log, MovingLog(records));
    const QString out = path(QStringLiteral("out.srt"));
    WriteFile(out, "an earlier good file\n");
    {
        FileSizeLimit limit(8 * 1024);
        QVERIFY(limit.active());
        pressSrt();
    }
    const QList<SeenBox> boxes = m_driver->boxes();
    QCOMPARE(boxes.size(), 2);
    QCOMPARE(boxes.at(0).title, QStringLiteral("Read information"));
    QVERIFY(boxes.at(0).text.startsWith(QStringLiteral("Parsed %1 records\r\n").arg(records)));
    QCOMPARE(Seen(*m_driver).at(1),
             Warning(QStringLiteral("Fail"), out + QStringLiteral(" - something wrong during writing...")));
    QCOMPARE(ReadFile(out), QByteArray("an earlier good file\n"));
    QCOMPARE(entries(), QStringList({QStringLiteral("log.SRT"), QStringLiteral("out.srt")}));
    // The flight moved, so the way reached is carried on all the same.
    QVERIFY(w->WayBeforeEdit->text() != QStringLiteral("0.0"));
    QCOMPARE(w->WayBeforeEdit->styleSheet(), kChanged);
}

// ---- Write .GPX file --------------------------------------------------------

namespace {

QByteArray GpxHeader()
{
    return QByteArrayLiteral("<?xml version=\"1.0\"?>\r\n<gpx version=\"1.1\" creator=\"") + QByteArray(kMakerSiteTag)
        + QByteArrayLiteral("\" xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\""
                            " xmlns=\"http://www.topografix.com/GPX/1/1\""
                            " xsi:schemaLocation=\"http://www.topografix.com/GPX/1/1"
                            " http://www.topografix.com/GPX/1/1/gpx.xsd\">\r\n<rte>\r\n");
}

const QByteArray kGpxFooter = QByteArrayLiteral("</rte>\r\n</gpx>\r\n");

// Twelve records from west of Greenwich and south of the equator. Only
// records 1, 6 and 11 (indexes 0, 5, 10) are sampled; the others move
// elsewhere and carry heights (-50, -9.9) that would change the height
// offset if they were looked at.
QByteArray TwelveRecords()
{
    const QString home = QStringLiteral("-58.3816,-34.6037");
    QByteArray log;
    for (int i = 0; i < 12; ++i) {
        QString gps = QString::number(-58.3900 - i * 0.0001, 'f', 4) + QLatin1Char(',')
            + QString::number(-34.6100 - i * 0.0001, 'f', 4);
        QString baro = QStringLiteral("5.0");
        if (i == 0) { gps = QStringLiteral("-58.3816,-34.6037"); baro = QStringLiteral("0.0"); }
        if (i == 5) { gps = QStringLiteral("-58.3822,-34.6041"); baro = QStringLiteral("10.0"); }
        if (i == 10) { gps = QStringLiteral("-58.3830,-34.6050"); baro = QStringLiteral("-2.7"); }
        if (i == 3) baro = QStringLiteral("-50.0");
        if (i == 11) baro = QStringLiteral("-9.9");
        log += LogBlock(i + 1, gps, baro, home);
    }
    return log;
}

}  // namespace

void TestConversionActions::gpxRoute_data()
{
    QTest::addColumn<QByteArray>("log");
    QTest::addColumn<QString>("smoothing");
    QTest::addColumn<QByteArray>("expected");

    // Sampled heights 0, 10, -2.7: offset trunc(-2.7) = -2, so 2.00, 12.00
    // and -0.70; positions exactly as the log writes them, 5 decimals.
    const QByteArray route = GpxHeader()
        + "<rtept lat=\"-34.60370\" lon=\"-58.38160\">\r\n<ele>2.00</ele>\r\n</rtept>\r\n"
          "<rtept lat=\"-34.60410\" lon=\"-58.38220\">\r\n<ele>12.00</ele>\r\n</rtept>\r\n"
          "<rtept lat=\"-34.60500\" lon=\"-58.38300\">\r\n<ele>-0.70</ele>\r\n</rtept>\r\n"
        + kGpxFooter;
    QTest::newRow("smoothing 5") << TwelveRecords() << QStringLiteral("5") << route;
    QTest::newRow("smoothing 0") << TwelveRecords() << QStringLiteral("0") << route;
    QTest::newRow("smoothing text") << TwelveRecords() << QStringLiteral("abc") << route;

    // A hovering drone: all sampled positions equal, one point; sampled
    // heights all 0 (only unsampled records have one), so no elevation.
    QByteArray hovering;
    for (int i = 1; i <= 12; ++i)
        hovering += LogBlock(i, QStringLiteral("30.2351,59.8771"), i == 3 ? QStringLiteral("4.5") : QStringLiteral("0.0"));
    QTest::newRow("hovering") << hovering << QStringLiteral("5")
                              << GpxHeader() + "<rtept lat=\"59.87710\" lon=\"30.23510\">\r\n</rtept>\r\n" + kGpxFooter;
}

void TestConversionActions::gpxRoute()
{
    QFETCH(QByteArray, log);
    QFETCH(QString, smoothing);
    QFETCH(QByteArray, expected);
    WriteFile(m_log, log);
    w->SmoothGpsEdit->setText(smoothing);
    w->WayBeforeEdit->setText(QStringLiteral("123.4"));
    const QString out = path(QStringLiteral("out.gpx"));
    WriteFile(out, "an earlier route, to be replaced\n");
    pressGpx();
    QCOMPARE(Seen(*m_driver), QStringList({Info(QStringLiteral("OK"), out + QStringLiteral(" has been writed!"))}));
    const QByteArray written = ReadFile(out);
    QCOMPARE(written, expected);
    VERIFY_GPX_CONSUMERS(written);
    // The GPX action changes no field.
    QCOMPARE(w->WayBeforeEdit->text(), QStringLiteral("123.4"));
    QCOMPARE(w->SmoothGpsEdit->text(), smoothing);
    QCOMPARE(entries(), QStringList({QStringLiteral("log.SRT"), QStringLiteral("out.gpx")}));
}

void TestConversionActions::gpxNameShownAsTyped()
{
    const QString typed = m_dir->path() + QStringLiteral("/./route.gpx");
    w->OutGpxFileNameEdit->setText(typed);
    pressGpx();
    QCOMPARE(Seen(*m_driver), QStringList({Info(QStringLiteral("OK"), typed + QStringLiteral(" has been writed!"))}));
    const QByteArray written = ReadFile(path(QStringLiteral("route.gpx")));
    QVERIFY(written.startsWith(GpxHeader()));
    VERIFY_GPX_CONSUMERS(written);
}

void TestConversionActions::gpxEmptyOutputName_data()
{
    // The input is read before the output name is looked at.
    QTest::addColumn<QString>("inName");
    QTest::addColumn<QString>("box");
    QTest::newRow("valid input") << QStringLiteral("log.SRT") << kNoOutputNameWarning;
    QTest::newRow("missing input") << QStringLiteral("nothing.SRT")
                                   << Warning(QStringLiteral("Info"), QStringLiteral("File not exists."));
    QTest::newRow("input is a folder") << QString() << Warning(QStringLiteral("Info"), QStringLiteral("File not opened."));
}

void TestConversionActions::gpxEmptyOutputName()
{
    QFETCH(QString, inName);
    QFETCH(QString, box);
    w->InFileNameEdit->setText(inName.isEmpty() ? m_dir->path() : path(inName));
    w->OutGpxFileNameEdit->clear();
    pressGpx();
    QCOMPARE(Seen(*m_driver), QStringList({box}));
    QCOMPARE(entries(), QStringList({QStringLiteral("log.SRT")}));
}

void TestConversionActions::gpxNoRecords_data()
{
    QTest::addColumn<QByteArray>("log");
    QTest::newRow("only empty lines") << QByteArray("\r\n\r\n\r\n");
    QTest::newRow("NUL before the first block") << (QByteArray(1, '\0') + kThreeRecords);
    QTest::newRow("empty file") << QByteArray();
}

void TestConversionActions::gpxNoRecords()
{
    QFETCH(QByteArray, log);
    WriteFile(m_log, log);
    const QString out = path(QStringLiteral("out.gpx"));
    WriteFile(out, "an earlier route\n");
    pressGpx();
    QCOMPARE(Seen(*m_driver), QStringList());
    QCOMPARE(ReadFile(out), QByteArray("an earlier route\n"));
    QCOMPARE(entries(), QStringList({QStringLiteral("log.SRT"), QStringLiteral("out.gpx")}));
}

void TestConversionActions::gpxUnwritableOutput()
{
    QFETCH(QString, outName);
    QFETCH(bool, asDirectory);
    if (asDirectory)
        QVERIFY(QDir(m_dir->path()).mkdir(outName));
    w->OutGpxFileNameEdit->setText(path(outName));
    pressGpx();
    QCOMPARE(Seen(*m_driver), QStringList({kNotOpenedWarning}));
    QCOMPARE(QFileInfo(path(outName)).isDir(), asDirectory);
    QCOMPARE(entries(), asDirectory ? QStringList({QStringLiteral("log.SRT"), outName}) : QStringList({QStringLiteral("log.SRT")}));
}

void TestConversionActions::gpxOutputNamingInput()
{
    QFETCH(QString, inName);
    QFETCH(QString, outName);
    QVERIFY(QFile::link(m_log, path(QStringLiteral("link.SRT"))));
    w->InFileNameEdit->setText(path(inName));
    w->OutGpxFileNameEdit->setText(path(outName));
    pressGpx();
    QCOMPARE(Seen(*m_driver), QStringList({kSameFileWarning}));
    QCOMPARE(ReadFile(m_log), kThreeRecords);
    QVERIFY(QFileInfo(path(QStringLiteral("link.SRT"))).isSymLink());
    QCOMPARE(entries(), QStringList({QStringLiteral("link.SRT"), QStringLiteral("log.SRT")}));
}

void TestConversionActions::gpxWriteFailingHalfWay()
{
    // 6000 records give 1200 points, about 84 KB; 1000 records give 200
    // points, about 14 KB, held in the write buffer until the file is closed.
    QFETCH(int, records);
    WriteFile(m_log, MovingLog(records));
    const QString out = path(QStringLiteral("out.gpx"));
    WriteFile(out, "an earlier good route\n");
    {
        FileSizeLimit limit(8 * 1024);
        QVERIFY(limit.active());
        pressGpx();
    }
    QCOMPARE(Seen(*m_driver),
             QStringList({Warning(QStringLiteral("Fail"), out + QStringLiteral(" - something wrong during writing..."))}));
    QCOMPARE(ReadFile(out), QByteArray("an earlier good route\n"));
    QCOMPARE(entries(), QStringList({QStringLiteral("log.SRT"), QStringLiteral("out.gpx")}));
}

QTEST_MAIN(TestConversionActions)
#include "test_conversion_actions.moc"
