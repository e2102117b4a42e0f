// What the six input patterns pick out of one subtitle block.

#include "input/InputPatterns.h"
#include "input/SrtParser.h"

#include <QtTest>

namespace {

const MatchedPatterns kId = 1u << InputPatterns::ID;
const MatchedPatterns kSrtTime = 1u << InputPatterns::SrtTime;
const MatchedPatterns kHome = 1u << InputPatterns::Home;
const MatchedPatterns kGps = 1u << InputPatterns::GPS;
const MatchedPatterns kFlyTime = 1u << InputPatterns::FlyTime;
const MatchedPatterns kBarometer = 1u << InputPatterns::Barometer;

// The Home, GPS and FlyTime patterns Velloa shipped before it admitted minus
// signs in coordinates; kept here to show what they made of such flights.
InputPatterns UnsignedPatterns()
{
    InputPatterns p = InputPatterns::Defaults();
    p.Texts[InputPatterns::Home] = QStringLiteral(".*HOME[(]([0-9]+[.][0-9]*)[,]([0-9]+[.][0-9]*)[)]");
    p.Texts[InputPatterns::GPS] = QStringLiteral(".*GPS[(]([0-9]+[.][0-9]*)[,]([0-9]+[.][0-9]*)[,]");
    p.Texts[InputPatterns::FlyTime] = QStringLiteral(
        "HOME[(][0-9., ]*[)][ ](20[0-9][0-9][.][0-9][0-9][.][0-9][0-9][ ][0-9:]{8})");
    return p;
}

QString Block(const QString& home, const QString& gps)
{
    return QStringLiteral("12\r\n00:00:11,000 --> 00:00:12,000\r\nHOME(") + home
           + QStringLiteral(") 2019.06.20 12:34:56\r\nGPS(") + gps + QStringLiteral(",17) BAROMETER:25.4");
}

// A record whose parsed fields are all set, to see which ones a parse leaves alone.
FlightRecord Prefilled()
{
    FlightRecord r;
    r.Id = QStringLiteral("old id");
    r.SrtTime = QStringLiteral("old time");
    r.HomeLat = 1.5;
    r.HomeLon = 2.5;
    r.Lat = 3.5;
    r.Lon = 4.5;
    r.FlyTime = QStringLiteral("old fly time");
    r.Barometer = 5.5;
    return r;
}

// The parsed fields, "Id|SrtTime|HomeLat|HomeLon|Lat|Lon|FlyTime|Barometer".
QString Fields(const FlightRecord& r)
{
    const auto n = [](double x) { return QString::number(x, 'g', 15); };
    return QStringList{r.Id, r.SrtTime, n(r.HomeLat), n(r.HomeLon), n(r.Lat), n(r.Lon), r.FlyTime, n(r.Barometer)}
        .join(QLatin1Char('|'));
}

}  // namespace

class TestParser : public QObject {
    Q_OBJECT

private slots:
    void labelsAndOrder();
    void workedExample();
    void digitsOnlyBlock();
    void signedCoordinates_data();
    void signedCoordinates();
    void unsignedPatternsDefeatedByMinus_data();
    void unsignedPatternsDefeatedByMinus();
    void barometer_data();
    void barometer();
    void smallLettersNotMatched();
    void srtTimeWithoutCapture();
    void unbalancedParentheses();
    void shortTimeRange();
    void gpsWithTwoNumbers();
    void compiledOnceEqualsPerCall();
};

void TestParser::labelsAndOrder()
{
    const char* labels[] = {"ID", "SrtTime", "Home", "GPS", "FlyTime", "Barometer"};
    for (int i = 0; i < InputPatterns::Count; ++i) {
        QCOMPARE(InputPatterns::Label(i), QString::fromLatin1(labels[i]));
        QCOMPARE(InputPatterns::IndexOfLabel(QString::fromLatin1(labels[i])), i);
    }
    QCOMPARE(InputPatterns::IndexOfLabel(QStringLiteral("gps")), -1);
    QCOMPARE(InputPatterns::IndexOfLabel(QString()), -1);
    QVERIFY(InputPatterns::Label(InputPatterns::Count).isEmpty());
    QVERIFY(InputPatterns::Label(-1).isEmpty());

    // The default texts themselves are compared in test_main_window.cpp.
    const InputPatterns d = InputPatterns::Defaults();
    QVERIFY(d == InputPatterns::Defaults());
    QVERIFY(d != UnsignedPatterns());
}

void TestParser::workedExample()
{
    // Four lines with CR LF between them, as a block text arrives from the log.
    const QString block = Block(QStringLiteral("30.2345,59.8765"), QStringLiteral("30.2351,59.8771"));
    FlightRecord r;
    const MatchedPatterns matched = ParseSrtBlock(block, r, InputPatterns::Defaults());

    // "^" and "$" are the ends of the whole block, so ID needs a block of digits alone.
    QCOMPARE(Fields(r), QStringLiteral("|00:00:11,000 --> 00:00:12,000|59.8765|30.2345|59.8771|30.2351|2019.06.20 12:34:56|25.4"));
    QCOMPARE(r.Speed, 0.0);
    QCOMPARE(r.Way, 0.0);
    QCOMPARE(matched, kSrtTime | kHome | kGps | kFlyTime | kBarometer);
}

void TestParser::digitsOnlyBlock()
{
    FlightRecord r;
    const MatchedPatterns matched = ParseSrtBlock(QStringLiteral("7"), r, InputPatterns::Defaults());
    QCOMPARE(Fields(r), QStringLiteral("7|not found|0|0|0|0||0"));
    QCOMPARE(matched, kId);
}

void TestParser::signedCoordinates_data()
{
    QTest::addColumn<QString>("home");
    QTest::addColumn<QString>("gps");
    QTest::addColumn<double>("homeLon");
    QTest::addColumn<double>("homeLat");
    QTest::addColumn<double>("lon");
    QTest::addColumn<double>("lat");

    QTest::newRow("south-west") << QStringLiteral("-58.3816,-34.6037") << QStringLiteral("-58.3820,-34.6041")
                                << -58.3816 << -34.6037 << -58.3820 << -34.6041;
    QTest::newRow("west only") << QStringLiteral("-0.1276,51.5072") << QStringLiteral("-0.1280,51.5070")
                               << -0.1276 << 51.5072 << -0.1280 << 51.5070;
    QTest::newRow("south only") << QStringLiteral("151.2093,-33.8688") << QStringLiteral("151.2099,-33.8690")
                                << 151.2093 << -33.8688 << 151.2099 << -33.8690;
    QTest::newRow("north-east") << QStringLiteral("30.2345,59.8765") << QStringLiteral("30.2351,59.8771")
                                << 30.2345 << 59.8765 << 30.2351 << 59.8771;
}

void TestParser::signedCoordinates()
{
    QFETCH(QString, home);
    QFETCH(QString, gps);
    FlightRecord r;
    const MatchedPatterns matched = ParseSrtBlock(Block(home, gps), r, InputPatterns::Defaults());
    QFETCH(double, homeLon);
    QFETCH(double, homeLat);
    QFETCH(double, lon);
    QFETCH(double, lat);
    QCOMPARE(matched, kSrtTime | kHome | kGps | kFlyTime | kBarometer);
    QCOMPARE(r.HomeLon, homeLon);
    QCOMPARE(r.HomeLat, homeLat);
    QCOMPARE(r.Lon, lon);
    QCOMPARE(r.Lat, lat);
    QCOMPARE(r.FlyTime, QStringLiteral("2019.06.20 12:34:56"));
}

void TestParser::unsignedPatternsDefeatedByMinus_data()
{
    QTest::addColumn<QString>("home");
    QTest::addColumn<QString>("gps");
    QTest::addColumn<bool>("homeMatches");
    QTest::addColumn<bool>("gpsMatches");

    QTest::newRow("minus in home longitude") << QStringLiteral("-30.2345,59.8765")
                                             << QStringLiteral("30.2351,59.8771") << false << true;
    QTest::newRow("minus in home latitude") << QStringLiteral("30.2345,-59.8765")
                                            << QStringLiteral("30.2351,59.8771") << false << true;
    QTest::newRow("minus in gps longitude") << QStringLiteral("30.2345,59.8765")
                                            << QStringLiteral("-30.2351,59.8771") << true << false;
    QTest::newRow("minus in gps latitude") << QStringLiteral("30.2345,59.8765")
                                           << QStringLiteral("30.2351,-59.8771") << true << false;
}

void TestParser::unsignedPatternsDefeatedByMinus()
{
    QFETCH(QString, home);
    QFETCH(QString, gps);
    QFETCH(bool, homeMatches);
    QFETCH(bool, gpsMatches);

    FlightRecord r;
    const MatchedPatterns matched = ParseSrtBlock(Block(home, gps), r, UnsignedPatterns());
    QCOMPARE(bool(matched & kHome), homeMatches);
    QCOMPARE(bool(matched & kFlyTime), homeMatches);
    QCOMPARE(bool(matched & kGps), gpsMatches);
    if (!homeMatches) {
        QCOMPARE(r.HomeLat, 0.0);
        QCOMPARE(r.HomeLon, 0.0);
        QVERIFY(r.FlyTime.isEmpty());
    }
    if (!gpsMatches) {
        QCOMPARE(r.Lat, 0.0);
        QCOMPARE(r.Lon, 0.0);
    }
    // The shipped defaults reading such blocks in full: signedCoordinates.
}

void TestParser::barometer_data()
{
    QTest::addColumn<QString>("block");
    QTest::addColumn<bool>("matches");
    QTest::addColumn<double>("height");

    QTest::newRow("negative") << QStringLiteral("GPS(1.0,2.0,3) BAROMETER:-1.5") << true << -1.5;
    QTest::newRow("lone point") << QStringLiteral("GPS(1.0,2.0,3) BAROMETER:.") << true << 0.0;
    QTest::newRow("no decimals after point") << QStringLiteral("BAROMETER:12.") << true << 12.0;
    QTest::newRow("missing") << QStringLiteral("GPS(1.0,2.0,3) HEIGHT:4.5") << false << 0.0;
    QTest::newRow("integer only") << QStringLiteral("BAROMETER:12") << false << 0.0;
}

void TestParser::barometer()
{
    QFETCH(QString, block);
    QFETCH(bool, matches);
    QFETCH(double, height);
    FlightRecord r;
    const MatchedPatterns matched = ParseSrtBlock(block, r, InputPatterns::Defaults());
    QCOMPARE(bool(matched & kBarometer), matches);
    QCOMPARE(r.Barometer, height);
}

void TestParser::smallLettersNotMatched()
{
    FlightRecord r = Prefilled();
    const QString block = QStringLiteral(
        "00:00:11,000 --> 00:00:12,000\r\nhome(30.2345,59.8765) 2019.06.20 12:34:56\r\n"
        "gps(30.2351,59.8771,17) barometer:25.4");
    const MatchedPatterns matched = ParseSrtBlock(block, r, InputPatterns::Defaults());
    QCOMPARE(matched, kSrtTime);
    // Id and SrtTime are always set (empty or "not found" on a miss); the
    // numbers and FlyTime keep what they held.
    QCOMPARE(Fields(r), QStringLiteral("|00:00:11,000 --> 00:00:12,000|1.5|2.5|3.5|4.5|old fly time|5.5"));
}

void TestParser::srtTimeWithoutCapture()
{
    InputPatterns p = InputPatterns::Defaults();
    p.Texts[InputPatterns::SrtTime] = QStringLiteral("-->");
    FlightRecord r;
    const MatchedPatterns matched =
        ParseSrtBlock(Block(QStringLiteral("1.0,2.0"), QStringLiteral("3.0,4.0")), r, p);
    QVERIFY(matched & kSrtTime);
    // A match without capture 1 gives empty text, not "not found".
    QVERIFY(r.SrtTime.isEmpty());

    FlightRecord s;
    QCOMPARE(ParseSrtBlock(QStringLiteral("no arrow here"), s, p) & kSrtTime, 0u);
    QCOMPARE(s.SrtTime, QStringLiteral("not found"));
}

void TestParser::unbalancedParentheses()
{
    InputPatterns p;
    for (QString& text : p.Texts)
        text = QStringLiteral("([0-9]");
    FlightRecord r = Prefilled();
    const MatchedPatterns matched =
        ParseSrtBlock(Block(QStringLiteral("1.0,2.0"), QStringLiteral("3.0,4.0")), r, p);
    QCOMPARE(matched, 0u);
    QCOMPARE(Fields(r), QStringLiteral("|not found|1.5|2.5|3.5|4.5|old fly time|5.5"));
}

void TestParser::shortTimeRange()
{
    // The default takes exactly 13 characters either side of the arrow. Here
    // "7", CR LF and "10:00,000 " are 1 + 2 + 10 characters, and " 10:01,000",
    // CR LF and "G" are 10 + 2 + 1: the capture reaches into the neighbouring
    // lines.
    FlightRecord r;
    ParseSrtBlock(QStringLiteral("7\r\n10:00,000 --> 10:01,000\r\nGPS(1.0,2.0,3)"), r,
                  InputPatterns::Defaults());
    QCOMPARE(r.SrtTime, QStringLiteral("7\r\n10:00,000 --> 10:01,000\r\nG"));

    // Only ten characters before the arrow: no match.
    FlightRecord s;
    const MatchedPatterns matched = ParseSrtBlock(QStringLiteral("10:00,000 --> 10:01,000\r\nGPS(1.0,2.0,3)"),
                                                  s, InputPatterns::Defaults());
    QCOMPARE(matched & kSrtTime, 0u);
    QCOMPARE(s.SrtTime, QStringLiteral("not found"));
}

void TestParser::gpsWithTwoNumbers()
{
    FlightRecord r;
    const MatchedPatterns matched =
        ParseSrtBlock(QStringLiteral("GPS(30.2351,59.8771) BAROMETER:1.0"), r, InputPatterns::Defaults());
    QCOMPARE(matched & kGps, 0u);
    QCOMPARE(r.Lat, 0.0);
    QCOMPARE(r.Lon, 0.0);
}

void TestParser::compiledOnceEqualsPerCall()
{
    // One compiled set reused over a sequence of blocks must not carry
    // anything from one block into the next: matches alternate with misses.
    const QStringList blocks = {
        Block(QStringLiteral("-58.3816,-34.6037"), QStringLiteral("-58.3820,-34.6041")),
        QStringLiteral("7"),
        QStringLiteral("12\r\n00:00:11,000 --> 00:00:12,000\r\nGPS(1.5,2.5,3)"),
        QString(),
        QStringLiteral("HOME(1.0,2.0) 2019.06.20 12:34:56\r\nBAROMETER:-3.5"),
        Block(QStringLiteral("30.2345,59.8765"), QStringLiteral("30.2351,59.8771")),
        QStringLiteral("gps(1.0,2.0,3)"),
    };
    InputPatterns custom = InputPatterns::Defaults();
    custom.Texts[InputPatterns::ID] = QStringLiteral("^([0-9]+)");
    custom.Texts[InputPatterns::SrtTime] = QStringLiteral("-->");
    custom.Texts[InputPatterns::Barometer] = QStringLiteral("(");

    for (const InputPatterns& patterns : {InputPatterns::Defaults(), custom, UnsignedPatterns()}) {
        CompiledPatterns compiled(patterns);
        for (const QString& block : blocks) {
            FlightRecord once = Prefilled();
            FlightRecord perCall = Prefilled();
            const MatchedPatterns a = ParseSrtBlock(block, once, compiled);
            const MatchedPatterns b = ParseSrtBlock(block, perCall, patterns);
            QCOMPARE(a, b);
            QCOMPARE(Fields(once), Fields(perCall));
        }
    }

    // Captures of a match stay readable until the next search, and a failed
    // search leaves none behind.
    CompiledPatterns compiled(InputPatterns::Defaults());
    QVERIFY(compiled.Search(InputPatterns::GPS, QStringLiteral("GPS(1.5,2.5,3)")));
    QCOMPARE(compiled.Cap(InputPatterns::GPS, 1), QStringLiteral("1.5"));
    QCOMPARE(compiled.Cap(InputPatterns::GPS, 2), QStringLiteral("2.5"));
    QVERIFY(compiled.Cap(InputPatterns::GPS, 3).isEmpty());
    QVERIFY(!compiled.Search(InputPatterns::GPS, QStringLiteral("GPS(1.5)")));
    QVERIFY(compiled.Cap(InputPatterns::GPS, 1).isEmpty());
}

QTEST_GUILESS_MAIN(TestParser)
#include "test_parser.moc"
