#include "output/SrtWriter.h"

#include "output/FailingDevice.h"

#include <QBuffer>
#include <QTest>

#include <cmath>
#include <limits>

namespace {

// A record whose every value has a distinct, easily recognised text form:
// {ID} at index 0 -> "1", {SrtTime} -> "00:00:01,000 --> 00:00:02,000",
// {GPS} -> "30.5000,59.9000", {Home} -> "30.2500,59.7500",
// {Barometer} -> "12.3", {FlyTime} -> "2019.06.20 12:34:56",
// {SpeedMS} -> "5.00", {SpeedKMH} -> "18.0" (5 m/s * 3.6), {Way} -> "1234.6".
FlightRecord Sample()
{
    FlightRecord r;
    r.Id = QStringLiteral("17");
    r.SrtTime = QStringLiteral("00:00:01,000 --> 00:00:02,000");
    r.HomeLat = 59.75;
    r.HomeLon = 30.25;
    r.Lat = 59.9;
    r.Lon = 30.5;
    r.FlyTime = QStringLiteral("2019.06.20 12:34:56");
    r.Barometer = 12.34;
    r.Speed = 5.0;
    r.Way = 1234.56;
    return r;
}

QString Lf(QString text)
{
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

}  // namespace

class TestSrtWriter : public QObject {
    Q_OBJECT

private slots:
    void workedBlock();
    void expansion_data();
    void expansion();
    void renumbersByPosition();
    void emptyInputs();
    void notANumber();
    void nonAscii();
    void lineEndsFollowThePattern();
    void renderMatchesBlockByBlockExpansion();
    void largeOutputIsWrittenWhole();
    void writeFailures_data();
    void writeFailures();
};

// A typical block: the record at position 3 with a home point
// 35.26 m due south of its position (0.00031675 degrees of latitude on a
// sphere of 6378200 m: 35.2607 m), so {Distance} rounds to 35.3.
void TestSrtWriter::workedBlock()
{
    FlightRecord r;
    r.SrtTime = QStringLiteral("00:00:02,000 --> 00:00:03,000");
    r.FlyTime = QStringLiteral("2019.06.20 12:34:56");
    r.Lon = 30.5;
    r.Lat = 59.9;
    r.HomeLon = 30.5;
    r.HomeLat = 59.89968325;
    r.Barometer = 12.34;
    r.Speed = 4.5;   // 4.5 * 3.6 = 16.2 km/h
    r.Way = 120.26;
    const QString block = ExpandSrtBlock(r, 2, DefaultOutputPattern());
    QCOMPARE(block,
             QStringLiteral("3\r\n"
                            "00:00:02,000 --> 00:00:03,000\r\n"
                            "2019.06.20 12:34:56   GPS:30.5000,59.9000   Hb:12.3\r\n"
                            "Dst: 35.3m   Spd: 4.50m/s  (16.2km/h)   Way: 120.3m\r\n"
                            "\r\n"));

    // The same block as the third of a file.
    const FlightRecordList records{Sample(), Sample(), r};
    const QByteArray file = RenderSrtBlocks(records, DefaultOutputPattern());
    QVERIFY(file.endsWith(block.toUtf8()));
}

void TestSrtWriter::expansion_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("srtTime");
    QTest::addColumn<QString>("flyTime");
    QTest::addColumn<QString>("expected");

    const QString srt = Sample().SrtTime;
    const QString fly = Sample().FlyTime;

    QTest::newRow("every placeholder but distance")
        << QStringLiteral("{ID}|{SrtTime}|{GPS}|{Home}|{Barometer}|{FlyTime}|{SpeedMS}|{SpeedKMH}|{Way}") << srt << fly
        << QStringLiteral("1|00:00:01,000 --> 00:00:02,000|30.5000,59.9000|30.2500,59.7500|12.3|"
                          "2019.06.20 12:34:56|5.00|18.0|1234.6");
    QTest::newRow("placeholder twice") << QStringLiteral("{Way}/{Way}") << srt << fly << QStringLiteral("1234.6/1234.6");
    QTest::newRow("small letters and blanks are not placeholders")
        << QStringLiteral("{way} { Way } {WAY} {Way }{Other}") << srt << fly
        << QStringLiteral("{way} { Way } {WAY} {Way }{Other}");
    QTest::newRow("no placeholder") << QStringLiteral("plain text\n") << srt << fly << QStringLiteral("plain text\n");
    QTest::newRow("nested braces") << QStringLiteral("{{ID}}") << srt << fly << QStringLiteral("{1}");

    // A text value is searched by the placeholders replaced after it:
    // {FlyTime} (6th) by {Distance} .. {Way}, {SrtTime} (2nd) by {GPS} on.
    QTest::newRow("FlyTime holding {Way}") << QStringLiteral("[{FlyTime}]") << srt << QStringLiteral("at {Way}")
                                           << QStringLiteral("[at 1234.6]");
    QTest::newRow("SrtTime holding {GPS}") << QStringLiteral("[{SrtTime}]") << QStringLiteral("{GPS}!") << fly
                                           << QStringLiteral("[30.5000,59.9000!]");
    QTest::newRow("SrtTime holding {FlyTime}") << QStringLiteral("{SrtTime}") << QStringLiteral("{FlyTime}") << fly
                                               << QStringLiteral("2019.06.20 12:34:56");
    // ... but not by those replaced before it.
    QTest::newRow("FlyTime holding earlier placeholders") << QStringLiteral("{FlyTime}") << srt
                                                          << QStringLiteral("{ID}{SrtTime}{GPS}{Barometer}")
                                                          << QStringLiteral("{ID}{SrtTime}{GPS}{Barometer}");
    QTest::newRow("SrtTime holding {ID}") << QStringLiteral("{SrtTime}") << QStringLiteral("{ID}") << fly
                                          << QStringLiteral("{ID}");
    QTest::newRow("FlyTime holding itself") << QStringLiteral("{FlyTime}") << srt << QStringLiteral("{FlyTime}")
                                            << QStringLiteral("{FlyTime}");
    // Replacement text joins with the pattern around it into a later
    // placeholder.
    QTest::newRow("SrtTime completes a placeholder") << QStringLiteral("{W{SrtTime}}") << QStringLiteral("ay") << fly
                                                     << QStringLiteral("1234.6");
    QTest::newRow("SrtTime opens a placeholder") << QStringLiteral("{SrtTime}Way}") << QStringLiteral("x{") << fly
                                                 << QStringLiteral("x1234.6");
    QTest::newRow("empty FlyTime joins its neighbours") << QStringLiteral("{Wa{FlyTime}y}") << srt << QString()
                                                        << QStringLiteral("1234.6");
    QTest::newRow("two empty texts join") << QStringLiteral("{Sp{SrtTime}eed{FlyTime}MS}") << QString() << QString()
                                          << QStringLiteral("5.00");
    QTest::newRow("empty texts beside safe neighbours") << QStringLiteral("<{SrtTime}>{FlyTime}\n") << QString()
                                                        << QString() << QStringLiteral("<>\n");
    QTest::newRow("empty text after a number") << QStringLiteral("{ID}{FlyTime}Way}") << srt << QString()
                                               << QStringLiteral("1Way}");
    QTest::newRow("letters-only text") << QStringLiteral("{FlyTime}") << srt << QStringLiteral("Way")
                                       << QStringLiteral("Way");
}

void TestSrtWriter::expansion()
{
    QFETCH(QString, pattern);
    QFETCH(QString, srtTime);
    QFETCH(QString, flyTime);
    QFETCH(QString, expected);

    FlightRecord r = Sample();
    r.SrtTime = srtTime;
    r.FlyTime = flyTime;
    QCOMPARE(ExpandSrtBlock(r, 0, pattern), expected);
    // The whole-file renderer takes its own route; it must give the same.
    QCOMPARE(RenderSrtBlocks(FlightRecordList{r}, pattern), expected.toUtf8());
    QCOMPARE(RenderSrtBlocks(FlightRecordList{r, r}, pattern),
             expected.toUtf8() + ExpandSrtBlock(r, 1, pattern).toUtf8());
}

void TestSrtWriter::renumbersByPosition()
{
    FlightRecordList records(4, Sample());
    records[0].Id = QStringLiteral("5");
    records[1].Id = QStringLiteral("6");
    records[2].Id = QStringLiteral("9");
    records[3].Id = QString();
    QCOMPARE(RenderSrtBlocks(records, QStringLiteral("{ID};")), QByteArray("1;2;3;4;"));
    QCOMPARE(ExpandSrtBlock(records[0], 11, QStringLiteral("#{ID}")), QStringLiteral("#12"));
}

void TestSrtWriter::emptyInputs()
{
    QCOMPARE(RenderSrtBlocks(FlightRecordList(3, Sample()), QString()), QByteArray());
    QCOMPARE(RenderSrtBlocks(FlightRecordList(), DefaultOutputPattern()), QByteArray());

    // Nothing to write is not a failure, even on a device that takes nothing.
    FailingDevice device(0, FailingDevice::Mode::Fail);
    QVERIFY(WriteSrtBlocks(FlightRecordList(3, Sample()), QString(), &device));
    QVERIFY(WriteSrtBlocks(FlightRecordList(), DefaultOutputPattern(), &device));
    QVERIFY(device.Written().isEmpty());
}

void TestSrtWriter::notANumber()
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    FlightRecord r = Sample();
    r.Lat = nan;
    r.Speed = nan;
    QCOMPARE(ExpandSrtBlock(r, 0, QStringLiteral("{GPS} {Distance} {SpeedMS} {SpeedKMH} {Way}")),
             QStringLiteral("30.5000,nan nan nan nan 1234.6"));
    QCOMPARE(RenderSrtBlocks(FlightRecordList{r}, QStringLiteral("{Distance}|{SpeedKMH}")), QByteArray("nan|nan"));

    // A record at its home point is 0 m away (not NaN).
    r = Sample();
    r.HomeLat = r.Lat;
    r.HomeLon = r.Lon;
    QCOMPARE(ExpandSrtBlock(r, 0, QStringLiteral("{Distance}")), QStringLiteral("0.0"));

    // Negative values keep their sign and round their last digit.
    r.Lat = -33.86786;
    r.Lon = -70.00004;
    r.Barometer = -1.25001;
    r.Way = 0.04;
    QCOMPARE(ExpandSrtBlock(r, 0, QStringLiteral("{GPS} {Barometer} {Way}")),
             QStringLiteral("-70.0000,-33.8679 -1.3 0.0"));
}

void TestSrtWriter::nonAscii()
{
    FlightRecord r = Sample();
    r.FlyTime = QStringLiteral("2019.06.20 12:34:56 ") + QString::fromUtf8("\xc3\xa9t\xc3\xa9");
    // U+1F681 HELICOPTER, outside the basic plane (a surrogate pair in Qt).
    r.SrtTime = QString::fromUtf8("\xf0\x9f\x9a\x81 00:01");
    const QString pattern = QString::fromUtf8("H\xc3\xb6he {Barometer} \xd0\xbc|{FlyTime}|{SrtTime}\n");
    const QByteArray expected("H\xc3\xb6he 12.3 \xd0\xbc|2019.06.20 12:34:56 \xc3\xa9t\xc3\xa9|\xf0\x9f\x9a\x81 00:01\n");
    QCOMPARE(RenderSrtBlocks(FlightRecordList{r}, pattern), expected);
    QCOMPARE(ExpandSrtBlock(r, 0, pattern).toUtf8(), expected);

    // A text that starts with a surrogate pair goes through the same way.
    r.SrtTime = QString::fromUtf8("\xf0\x9f\x9a\x81");
    QCOMPARE(RenderSrtBlocks(FlightRecordList{r}, QStringLiteral("<{SrtTime}>")), QByteArray("<\xf0\x9f\x9a\x81>"));
}

void TestSrtWriter::lineEndsFollowThePattern()
{
    const FlightRecordList records(2, Sample());
    const QByteArray crlf = RenderSrtBlocks(records, DefaultOutputPattern());
    const QByteArray lf = RenderSrtBlocks(records, Lf(DefaultOutputPattern()));

    // Each block: four lines and an empty one.
    QCOMPARE(crlf.count("\r\n"), 10);
    QCOMPARE(crlf.count('\n'), 10);
    QCOMPARE(lf.count('\r'), 0);
    QCOMPARE(QByteArray(crlf).replace("\r\n", "\n"), lf);

    // A lone CR in the pattern stays a lone CR.
    QCOMPARE(RenderSrtBlocks(records, QStringLiteral("{ID}\r")), QByteArray("1\r2\r"));
}

// Many records with awkward and ordinary texts mixed: the file must be the
// block-by-block expansion, whichever route each record takes.
void TestSrtWriter::renderMatchesBlockByBlockExpansion()
{
    const QStringList texts = {QString(),
                               QStringLiteral("ay"),
                               QStringLiteral("{Way}"),
                               QStringLiteral("00:00:01,000 --> 00:00:02,000"),
                               QStringLiteral("x{"),
                               QStringLiteral("}"),
                               QString::fromUtf8("\xf0\x9f\x9a\x81"),
                               QStringLiteral("not found")};
    const QStringList patterns = {DefaultOutputPattern(),
                                  Lf(DefaultOutputPattern()),
                                  QStringLiteral("{W{SrtTime}}{FlyTime}y}{Home}"),
                                  QStringLiteral("{SrtTime}{FlyTime}{Distance}"),
                                  QStringLiteral("{{SrtTime}Way}{FlyTime}}")};
    FlightRecordList records;
    for (const QString& a : texts) {
        for (const QString& b : texts) {
            FlightRecord r = Sample();
            r.SrtTime = a;
            r.FlyTime = b;
            r.Way += records.size();
            records.push_back(r);
        }
    }
    for (const QString& pattern : patterns) {
        QByteArray expected;
        for (size_t i = 0; i < records.size(); ++i)
            expected += ExpandSrtBlock(records[i], static_cast<int>(i), pattern).toUtf8();
        QCOMPARE(RenderSrtBlocks(records, pattern), expected);
    }
}

// A file of several megabytes is written in more than one piece; the device
// must still receive exactly the rendered bytes.
void TestSrtWriter::largeOutputIsWrittenWhole()
{
    FlightRecordList records(60000, Sample());
    for (size_t i = 0; i < records.size(); ++i)
        records[i].Way = static_cast<double>(i);
    const QByteArray expected = RenderSrtBlocks(records, DefaultOutputPattern());
    QVERIFY(expected.size() > 8 * 1024 * 1024);  // three chunks at least
    QVERIFY(expected.endsWith("Way: 59999.0m\r\n\r\n"));

    QBuffer buffer;
    QVERIFY(buffer.open(QIODevice::WriteOnly));
    QVERIFY(WriteSrtBlocks(records, DefaultOutputPattern(), &buffer));
    QCOMPARE(buffer.data().size(), expected.size());
    QVERIFY(buffer.data() == expected);

    // A failure past the first few megabytes is still reported.
    for (const qint64 capacity : {qint64(expected.size() - 1), qint64(5 * 1024 * 1024)}) {
        FailingDevice device(capacity, FailingDevice::Mode::Short);
        QVERIFY(!WriteSrtBlocks(records, DefaultOutputPattern(), &device));
        QCOMPARE(device.WritesAfterFailure(), 0);
        QVERIFY(expected.startsWith(device.Written()));
    }
}

void TestSrtWriter::writeFailures_data()
{
    QTest::addColumn<int>("mode");
    QTest::newRow("failed write") << int(FailingDevice::Mode::Fail);
    QTest::newRow("short write") << int(FailingDevice::Mode::Short);
}

// Whatever byte the device stops at, the writer reports false, writes
// nothing after the failure, and leaves only a prefix of the file.
void TestSrtWriter::writeFailures()
{
    QFETCH(int, mode);
    const FlightRecordList records(3, Sample());
    const QByteArray whole = RenderSrtBlocks(records, DefaultOutputPattern());
    QVERIFY(!whole.isEmpty());
    for (qint64 capacity = 0; capacity < whole.size(); ++capacity) {
        FailingDevice device(capacity, FailingDevice::Mode(mode));
        QVERIFY2(!WriteSrtBlocks(records, DefaultOutputPattern(), &device),
                 qPrintable(QStringLiteral("capacity %1").arg(capacity)));
        QCOMPARE(device.WritesAfterFailure(), 0);
        QVERIFY(whole.startsWith(device.Written()));
    }
    FailingDevice exact(whole.size(), FailingDevice::Mode(mode));
    QVERIFY(WriteSrtBlocks(records, DefaultOutputPattern(), &exact));
    QCOMPARE(exact.Written(), whole);
}

QTEST_GUILESS_MAIN(TestSrtWriter)
#include "test_srt_writer.moc"
