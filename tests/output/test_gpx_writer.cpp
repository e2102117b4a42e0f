#include "output/GpxWriter.h"
#include "output/Maker.h"

#include "output/FailingDevice.h"
#include "support/GpxConsumers.h"

#include <QBuffer>
#include <QTest>

#include <limits>

namespace {

// The fixed pieces as the route format lays them down, byte for byte.
QByteArray Header()
{
    return QByteArray("<?xml version=\"1.0\"?>\r\n"
                      "<gpx version=\"1.1\" creator=\"")
        + QByteArray(kMakerSiteTag)
        + QByteArray("\" xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\""
                     " xmlns=\"http://www.topografix.com/GPX/1/1\""
                     " xsi:schemaLocation=\"http://www.topografix.com/GPX/1/1 http://www.topografix.com/GPX/1/1/gpx.xsd\">\r\n"
                     "<rte>\r\n");
}

const QByteArray kFooter("</rte>\r\n</gpx>\r\n");

// Points from the number texts as they must appear (written out by hand).
QByteArray Pt(const char* lat, const char* lon)
{
    return QByteArray("<rtept lat=\"") + lat + "\" lon=\"" + lon + "\">\r\n</rtept>\r\n";
}

QByteArray Pt(const char* lat, const char* lon, const char* ele)
{
    return QByteArray("<rtept lat=\"") + lat + "\" lon=\"" + lon + "\">\r\n<ele>" + ele + "</ele>\r\n</rtept>\r\n";
}

FlightRecord Rec(double lat, double lon, double barometer = 0.0)
{
    FlightRecord r;
    r.Lat = lat;
    r.Lon = lon;
    r.Barometer = barometer;
    // Values the route must ignore.
    r.HomeLat = 1.0;
    r.HomeLon = 2.0;
    r.Speed = 3.0;
    r.Way = 4.0;
    return r;
}

QByteArray Route(const FlightRecordList& records, int step)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    if (!WriteGpxRoute(records, &buffer, step))
        return QByteArray("write failed");
    return buffer.data();
}

}  // namespace

class TestGpxWriter : public QObject {
    Q_OBJECT

private slots:
    void fixedPieces();
    void emptyList();
    void samplesEveryStep();
    void repeatedPositions();
    void heights_data();
    void heights();
    void skippedRecordCountsForHeights();
    void numberForms();
    void notANumber();
    void invalidStep();
    void largeRouteMatchesPieceByPiece();
    void pieceFailures();
    void routeFailures_data();
    void routeFailures();
    void consumersRejectBrokenRoutes_data();
    void consumersRejectBrokenRoutes();
};

void TestGpxWriter::fixedPieces()
{
    QBuffer buffer;
    QVERIFY(buffer.open(QIODevice::WriteOnly));
    QVERIFY(WriteGpxHeader(&buffer));
    QCOMPARE(buffer.data(), Header());
    QVERIFY(buffer.data().startsWith(
        "<?xml version=\"1.0\"?>\r\n<gpx version=\"1.1\" creator=\"velloa.example\" xmlns:xsi="));

    buffer.buffer().clear();
    buffer.seek(0);
    QVERIFY(WriteGpxFooter(&buffer));
    QCOMPARE(buffer.data(), kFooter);

    buffer.buffer().clear();
    buffer.seek(0);
    QVERIFY(WriteGpxPoint(59.9, 30.5, &buffer));
    QVERIFY(WriteGpxPointWithHeight(-0.5, -179.25, 0.0, &buffer));
    QCOMPARE(buffer.data(), Pt("59.90000", "30.50000") + Pt("-0.50000", "-179.25000", "0.00"));
}

void TestGpxWriter::emptyList()
{
    const QByteArray document = Route(FlightRecordList(), 5);
    QCOMPARE(document, Header() + kFooter);
    VERIFY_GPX_CONSUMERS(document);
}

// With step 5 over 12 records only indexes 0, 5 and 10 count: the others
// carry positions and heights that would change the points, the elevation
// test and the offset if they were looked at.
void TestGpxWriter::samplesEveryStep()
{
    FlightRecordList records(12, Rec(10.0, 20.0, -50.0));
    records[0] = Rec(59.1, 30.1, 1.0);
    records[5] = Rec(59.2, 30.2, 2.0);
    records[10] = Rec(59.3, 30.3, 3.0);
    const QByteArray withHeights = Route(records, 5);
    QCOMPARE(withHeights, Header() + Pt("59.10000", "30.10000", "1.00") + Pt("59.20000", "30.20000", "2.00")
                              + Pt("59.30000", "30.30000", "3.00") + kFooter);

    // Sampled heights all 0: no elevations, whatever the others say. Index 5
    // repeats index 0 and is skipped; index 10 repeats index 9, which is not
    // sampled, and is written.
    for (FlightRecord& r : records)
        r = Rec(10.0, 20.0, 7.0);
    records[0] = Rec(59.1, 30.1);
    records[5] = Rec(59.1, 30.1);
    records[9] = Rec(59.3, 30.3, 7.0);
    records[10] = Rec(59.3, 30.3);
    const QByteArray flat = Route(records, 5);
    QCOMPARE(flat, Header() + Pt("59.10000", "30.10000") + Pt("59.30000", "30.30000") + kFooter);

    VERIFY_GPX_CONSUMERS(withHeights);
    VERIFY_GPX_CONSUMERS(flat);
}

void TestGpxWriter::repeatedPositions()
{
    // A, A, B, A gives A, B, A: only a repeat of the previous sample is dropped.
    const FlightRecordList records{Rec(59.1, 30.1), Rec(59.1, 30.1), Rec(59.2, 30.2), Rec(59.1, 30.1)};
    const QByteArray document = Route(records, 1);
    QCOMPARE(document, Header() + Pt("59.10000", "30.10000") + Pt("59.20000", "30.20000")
                           + Pt("59.10000", "30.10000") + kFooter);

    // A change in one coordinate alone is a new position.
    const FlightRecordList oneAxis{Rec(59.1, 30.1), Rec(59.1, 30.2), Rec(59.2, 30.2)};
    QCOMPARE(Route(oneAxis, 1), Header() + Pt("59.10000", "30.10000") + Pt("59.10000", "30.20000")
                                    + Pt("59.20000", "30.20000") + kFooter);

    // A stationary flight is one point.
    QCOMPARE(Route(FlightRecordList(7, Rec(-33.5, -70.25)), 1), Header() + Pt("-33.50000", "-70.25000") + kFooter);

    VERIFY_GPX_CONSUMERS(document);
}

void TestGpxWriter::heights_data()
{
    QTest::addColumn<QVector<double>>("barometers");
    QTest::addColumn<QStringList>("elevations");  // empty: points without ele

    QTest::newRow("all zero") << QVector<double>{0.0, 0.0, 0.0} << QStringList();
    // The offset -2.7 truncates toward zero to -2; every point is lifted by 2.
    QTest::newRow("one negative") << QVector<double>{0.0, 10.0, -2.7}
                                  << QStringList{QStringLiteral("2.00"), QStringLiteral("12.00"), QStringLiteral("-0.70")};
    QTest::newRow("none negative") << QVector<double>{3.5, 20.0}
                                   << QStringList{QStringLiteral("3.50"), QStringLiteral("20.00")};
    // The lowest value sets the offset (-5), not the last one below it.
    QTest::newRow("several negative") << QVector<double>{-1.5, -5.9, -3.0}
                                      << QStringList{QStringLiteral("3.50"), QStringLiteral("-0.90"), QStringLiteral("2.00")};
    QTest::newRow("above -1") << QVector<double>{-0.4, 1.0}
                              << QStringList{QStringLiteral("-0.40"), QStringLiteral("1.00")};
    // One non-zero height gives every point an elevation, zeros included.
    QTest::newRow("one non-zero") << QVector<double>{0.0, 0.0, 0.25}
                                  << QStringList{QStringLiteral("0.00"), QStringLiteral("0.00"), QStringLiteral("0.25")};
    // Far below the 32-bit range the offset stops at -2147483648 instead of
    // overflowing: -1e12 + 2147483648.
    QTest::newRow("beyond int range") << QVector<double>{-1e12, 0.0}
                                      << QStringList{QStringLiteral("-997852516352.00"), QStringLiteral("2147483648.00")};
}

void TestGpxWriter::heights()
{
    QFETCH(QVector<double>, barometers);
    QFETCH(QStringList, elevations);

    FlightRecordList records;
    QByteArray expected = Header();
    for (int i = 0; i < barometers.size(); ++i) {
        records.push_back(Rec(50.0 + i, 8.0));
        const QByteArray lat = QByteArray::number(50 + i) + ".00000";
        expected += elevations.isEmpty() ? Pt(lat.constData(), "8.00000")
                                         : Pt(lat.constData(), "8.00000", elevations[i].toLatin1().constData());
        records.back().Barometer = barometers[i];
    }
    expected += kFooter;
    const QByteArray document = Route(records, 1);
    QCOMPARE(document, expected);
    VERIFY_GPX_CONSUMERS(document);
}

// The height scan runs over every sampled record, also those whose point is
// dropped as a repeat.
void TestGpxWriter::skippedRecordCountsForHeights()
{
    const QByteArray offset = Route(FlightRecordList{Rec(59.1, 30.1, 0.0), Rec(59.1, 30.1, -3.5)}, 1);
    QCOMPARE(offset, Header() + Pt("59.10000", "30.10000", "3.00") + kFooter);

    const QByteArray present = Route(FlightRecordList{Rec(59.1, 30.1, 0.0), Rec(59.1, 30.1, 7.0)}, 1);
    QCOMPARE(present, Header() + Pt("59.10000", "30.10000", "0.00") + kFooter);

    VERIFY_GPX_CONSUMERS(offset);
    VERIFY_GPX_CONSUMERS(present);
}

void TestGpxWriter::numberForms()
{
    const QByteArray document =
        Route(FlightRecordList{Rec(59.987654, 30.1), Rec(-0.000004, -0.000006), Rec(-89.999996, 179.999994)}, 1);
    QCOMPARE(document, Header() + Pt("59.98765", "30.10000") + Pt("-0.00000", "-0.00001")
                           + Pt("-90.00000", "179.99999") + kFooter);
    VERIFY_GPX_CONSUMERS(document);
}

// A NaN position is written as "nan" (which GPX cannot express, so this
// document is not validated) and never equals the previous one.
void TestGpxWriter::notANumber()
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    QCOMPARE(Route(FlightRecordList{Rec(nan, 30.1), Rec(nan, 30.1)}, 1),
             Header() + Pt("nan", "30.10000") + Pt("nan", "30.10000") + kFooter);
    // A NaN height counts as a height and leaves the offset alone.
    QCOMPARE(Route(FlightRecordList{Rec(59.1, 30.1, nan), Rec(59.2, 30.2, -1.5)}, 1),
             Header() + Pt("59.10000", "30.10000", "nan") + Pt("59.20000", "30.20000", "-0.50") + kFooter);
}

void TestGpxWriter::invalidStep()
{
    for (const int step : {0, -5}) {
        QBuffer buffer;
        QVERIFY(buffer.open(QIODevice::WriteOnly));
        QVERIFY(!WriteGpxRoute(FlightRecordList(3, Rec(1.0, 2.0)), &buffer, step));
        QVERIFY(buffer.data().isEmpty());
    }
}

// A route of several megabytes is collected and written in chunks; the
// bytes must be those of one write per piece.
void TestGpxWriter::largeRouteMatchesPieceByPiece()
{
    FlightRecordList records;
    for (int i = 0; i < 200000; ++i)
        records.push_back(Rec(40.0 + i * 1e-4, -3.0 - i * 1e-4, i % 100));
    records[5].Barometer = -12.5;  // not sampled with step 2: no offset

    QBuffer pieces;
    QVERIFY(pieces.open(QIODevice::WriteOnly));
    QVERIFY(WriteGpxHeader(&pieces));
    for (size_t i = 0; i < records.size(); i += 2)
        QVERIFY(WriteGpxPointWithHeight(records[i].Lat, records[i].Lon, records[i].Barometer, &pieces));
    QVERIFY(WriteGpxFooter(&pieces));
    QVERIFY(pieces.data().size() > 4 * 1024 * 1024);

    const QByteArray document = Route(records, 2);
    QCOMPARE(document.size(), pieces.data().size());
    QVERIFY(document == pieces.data());

    FailingDevice device(5 * 1024 * 1024, FailingDevice::Mode::Fail);
    QVERIFY(!WriteGpxRoute(records, &device, 2));
    QCOMPARE(device.WritesAfterFailure(), 0);
    QVERIFY(document.startsWith(device.Written()));

    VERIFY_GPX_CONSUMERS(document);
}

void TestGpxWriter::pieceFailures()
{
    for (const auto mode : {FailingDevice::Mode::Fail, FailingDevice::Mode::Short}) {
        const qint64 headerSize = Header().size();
        FailingDevice header(headerSize - 1, mode);
        QVERIFY(!WriteGpxHeader(&header));
        FailingDevice point(Pt("1.00000", "2.00000").size() - 1, mode);
        QVERIFY(!WriteGpxPoint(1.0, 2.0, &point));
        FailingDevice pointWithHeight(Pt("1.00000", "2.00000", "3.00").size() - 1, mode);
        QVERIFY(!WriteGpxPointWithHeight(1.0, 2.0, 3.0, &pointWithHeight));
        FailingDevice footer(kFooter.size() - 1, mode);
        QVERIFY(!WriteGpxFooter(&footer));

        FailingDevice exact(headerSize, mode);
        QVERIFY(WriteGpxHeader(&exact));
        QVERIFY(!WriteGpxFooter(&exact));
        QCOMPARE(exact.Written(), Header());
    }
}

void TestGpxWriter::routeFailures_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("records");
    QTest::newRow("failed write, empty list") << int(FailingDevice::Mode::Fail) << 0;
    QTest::newRow("short write, empty list") << int(FailingDevice::Mode::Short) << 0;
    QTest::newRow("failed write, route") << int(FailingDevice::Mode::Fail) << 4;
    QTest::newRow("short write, route") << int(FailingDevice::Mode::Short) << 4;
}

// Whatever byte the device stops at (in the header, any point or the
// footer), the route reports false, writes nothing after the failure, and
// what arrived is a prefix of the whole document.
void TestGpxWriter::routeFailures()
{
    QFETCH(int, mode);
    QFETCH(int, records);
    FlightRecordList list;
    for (int i = 0; i < records; ++i)
        list.push_back(Rec(59.0 + i, 30.0 - i, 1.5 * i));
    const QByteArray whole = Route(list, 1);
    QVERIFY(whole.endsWith(kFooter));

    for (qint64 capacity = 0; capacity < whole.size(); ++capacity) {
        FailingDevice device(capacity, FailingDevice::Mode(mode));
        QVERIFY2(!WriteGpxRoute(list, &device, 1), qPrintable(QStringLiteral("capacity %1").arg(capacity)));
        QCOMPARE(device.WritesAfterFailure(), 0);
        QVERIFY(whole.startsWith(device.Written()));
        QVERIFY(!device.Written().endsWith(kFooter));
    }
    FailingDevice exact(whole.size(), FailingDevice::Mode(mode));
    QVERIFY(WriteGpxRoute(list, &exact, 1));
    QCOMPARE(exact.Written(), whole);
    VERIFY_GPX_CONSUMERS(whole);
}

// The consumer check itself must catch what a reader would stumble over:
// documents written by hand, each a route Velloa must never produce.
void TestGpxWriter::consumersRejectBrokenRoutes_data()
{
    QTest::addColumn<QByteArray>("document");
    QTest::addColumn<QString>("complaint");  // part of the check's answer
    QTest::newRow("no footer") << Header() + Pt("59.10000", "30.10000") << QStringLiteral("xmllint");
    QTest::newRow("latitude beyond 90") << Header() + Pt("90.00001", "30.10000") + kFooter << QStringLiteral("xmllint");
    QTest::newRow("nan") << Header() + Pt("nan", "30.10000") + kFooter << QStringLiteral("xmllint");
    QTest::newRow("ele before point") << Header() + "<ele>1.00</ele>\r\n" + Pt("59.10000", "30.10000") + kFooter
                                      << QStringLiteral("xmllint");
}

void TestGpxWriter::consumersRejectBrokenRoutes()
{
    QFETCH(QByteArray, document);
    QFETCH(QString, complaint);
    if (!GpxConsumers::MissingTools().isEmpty())
        QSKIP("xmllint or gpsbabel is not installed");
    const QString answer = GpxConsumers::Check(document);
    QVERIFY2(answer.contains(complaint), qPrintable(answer));

    // And the comparison catches a reader that lost, moved or flattened a point.
    const QVector<GpxRoutePoint> written{{59.1, 30.1, true, 2.0}, {59.2, 30.2, true, 3.25}};
    QVERIFY(GpxConsumers::ComparePoints(written, written).isEmpty());
    QVERIFY(!GpxConsumers::ComparePoints(written, {written[0]}).isEmpty());
    QVERIFY(!GpxConsumers::ComparePoints(written, {written[0], {59.2, 30.200001, true, 3.25}}).isEmpty());
    QVERIFY(!GpxConsumers::ComparePoints(written, {written[0], {59.2, 30.2, false, 0.0}}).isEmpty());
    QVERIFY(!GpxConsumers::ComparePoints(written, {written[0], {59.2, 30.2, true, 3.4}}).isEmpty());
    QVERIFY(GpxConsumers::ComparePoints(written, {written[0], {59.2, 30.2, true, 3.3}}).isEmpty());  // gpsbabel's 1 decimal
}

QTEST_GUILESS_MAIN(TestGpxWriter)
#include "test_gpx_writer.moc"
