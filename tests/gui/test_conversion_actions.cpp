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
    void srtNoBlockNoOutputName();

    // Write .GPX file
    void gpxRoute_data();
    void gpxRoute();
    void gpxNameShownAsTyped();
    void gpxEmptyOutputName_data();
    void gpxEmptyOutputName();

    // Both buttons; the other failures are in test_bad_inputs_window.cpp.
    void outputIsADirectory_data();
    void outputIsADirectory();

private:
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

void TestConversionActions::srtNoBlockNoOutputName()
{
    // The summary of no records comes first; the way field is left as it was.
    WriteFile(m_log, "\r\n\r\n\n\r\n");
    w->OutSrtFileNameEdit->clear();
    w->WayBeforeEdit->setText(QStringLiteral("7.5"));
    w->WayBeforeEdit->setStyleSheet(kChanged);
    pressSrt();
    QCOMPARE(Seen(*m_driver), QStringList({Info(QStringLiteral("Read information"), QStringLiteral("Parsed 0 records\r\n\r\n")),
                                           kNoOutputNameWarning}));
    QCOMPARE(entries(), QStringList({QStringLiteral("log.SRT")}));
    QCOMPARE(w->WayBeforeEdit->text(), QStringLiteral("7.5"));
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

void TestConversionActions::outputIsADirectory_data()
{
    QTest::addColumn<bool>("srt");
    QTest::newRow("Calc && Write .SRT file") << true;
    QTest::newRow("Write .GPX file") << false;
}

void TestConversionActions::outputIsADirectory()
{
    QFETCH(bool, srt);
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("taken")));
    (srt ? w->OutSrtFileNameEdit : w->OutGpxFileNameEdit)->setText(path(QStringLiteral("taken")));
    srt ? pressSrt() : pressGpx();
    QStringList expected = {kNotOpenedWarning};
    if (srt)
        expected.prepend(Info(QStringLiteral("Read information"), kStartUpSummary));
    QCOMPARE(Seen(*m_driver), expected);
    // The way still advances, so the next file of the flight continues it.
    QCOMPARE(w->WayBeforeEdit->text(), srt ? QStringLiteral("1558.0") : QStringLiteral("0.0"));
    QVERIFY(QFileInfo(path(QStringLiteral("taken"))).isDir());
    QVERIFY(QDir(path(QStringLiteral("taken"))).isEmpty());
    QCOMPARE(entries(), QStringList({QStringLiteral("log.SRT"), QStringLiteral("taken")}));
}

QTEST_MAIN(TestConversionActions)
#include "test_conversion_actions.moc"
