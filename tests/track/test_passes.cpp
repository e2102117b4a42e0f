// The three passes that derive speed and way from the positions.

#include "track/GreatCircle.h"
#include "track/TrackPasses.h"

#include <QtTest>

#include <cmath>
#include <limits>
#include <numeric>
#include <random>

using Values = QVector<double>;
Q_DECLARE_METATYPE(Values)

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

FlightRecordList WithSpeeds(const Values& speeds)
{
    FlightRecordList records(static_cast<std::size_t>(speeds.size()));
    for (int i = 0; i < speeds.size(); ++i)
        records[static_cast<std::size_t>(i)].Speed = speeds[i];
    return records;
}

FlightRecordList WithPositions(const Values& lats, const Values& lons)
{
    FlightRecordList records(static_cast<std::size_t>(lats.size()));
    for (int i = 0; i < lats.size(); ++i) {
        records[static_cast<std::size_t>(i)].Lat = lats[i];
        records[static_cast<std::size_t>(i)].Lon = lons[i];
    }
    return records;
}

Values Speeds(const FlightRecordList& records)
{
    Values v;
    for (const FlightRecord& r : records)
        v.append(r.Speed);
    return v;
}

// Equal element by element; NaN equals NaN here, and values within a few
// rounding steps of each other count as equal.
bool SameValues(const Values& a, const Values& b)
{
    if (a.size() != b.size())
        return false;
    for (int i = 0; i < a.size(); ++i) {
        if (std::isnan(a[i]) || std::isnan(b[i])) {
            if (std::isnan(a[i]) != std::isnan(b[i]))
                return false;
        } else if (a[i] != b[i] && std::fabs(a[i] - b[i]) > 1e-12 * std::max(std::fabs(a[i]), std::fabs(b[i]))) {
            return false;
        }
    }
    return true;
}

QByteArray Show(const Values& v)
{
    QStringList parts;
    for (double x : v)
        parts << QString::number(x, 'g', 17);
    return parts.join(QStringLiteral(", ")).toUtf8();
}

double Step(const FlightRecord& a, const FlightRecord& b)
{
    return GreatCircleDistance(a.Lat, a.Lon, b.Lat, b.Lon);
}

}  // namespace

class TestPasses : public QObject {
    Q_OBJECT

private slots:
    void spreading_data();
    void spreading();
    void averaging_data();
    void averaging();
    void averagingKeepsTotal();
    void smoothGps();
    void smoothGpsNoPasses();
    void calcSpeedPlain();
    void calcSpeedSpreadAndAveraged();
    void calcSpeedHovering();
    void calcWayLatitudeOnly();
    void calcWayBothCoordinates();
    void calcWayJitterNotAdded();
    void calcWayFewRecords();
    void calcWayNaN();
    void deriveTrackPassSelection_data();
    void deriveTrackPassSelection();
};

void TestPasses::spreading_data()
{
    QTest::addColumn<Values>("steps");
    QTest::addColumn<Values>("spread");

    QTest::newRow("two groups") << Values{12, 0, 0, 9, 0} << Values{4, 4, 4, 4.5, 4.5};
    // The first five share the 10; records 5 and 6 form a group with a zero
    // share; the last record is its own group.
    QTest::newRow("long run") << Values{10, 0, 0, 0, 0, 0, 0, 7} << Values{2, 2, 2, 2, 2, 0, 0, 7};
    QTest::newRow("last record joins") << Values{10, 0, 0} << Values{10.0 / 3, 10.0 / 3, 10.0 / 3};
    QTest::newRow("no zeros") << Values{1, 2, 3} << Values{1, 2, 3};
    // A NaN ends the run before it; the zeros after it share it.
    QTest::newRow("NaN step") << Values{6, 0, kNaN, 0, 0} << Values{3, 3, kNaN, kNaN, kNaN};
    QTest::newRow("only zeros") << Values{0, 0, 0, 0, 0, 0, 0} << Values{0, 0, 0, 0, 0, 0, 0};
    QTest::newRow("one record") << Values{5} << Values{5};
    QTest::newRow("none") << Values{} << Values{};
}

void TestPasses::spreading()
{
    QFETCH(Values, steps);
    QFETCH(Values, spread);
    FlightRecordList records = WithSpeeds(steps);
    SpreadSpeeds(records);
    QVERIFY2(SameValues(Speeds(records), spread), Show(Speeds(records)));
}

void TestPasses::averaging_data()
{
    QTest::addColumn<Values>("speeds");
    QTest::addColumn<int>("passes");
    QTest::addColumn<Values>("averaged");

    // By hand: (0,4) -> 2,2; (2,0) -> 1,1; (1,0) -> 0.5,0.5.
    QTest::newRow("one sweep") << Values{0, 4, 0, 0} << 1 << Values{2, 1, 0.5, 0.5};
    // Second sweep over [2, 1, 0.5, 0.5]: 1.5,1.5; 1,1; 0.75,0.75.
    QTest::newRow("two sweeps") << Values{0, 4, 0, 0} << 2 << Values{1.5, 1, 0.75, 0.75};
    QTest::newRow("no sweep") << Values{0, 4, 0, 0} << 0 << Values{0, 4, 0, 0};
    // Pairs with a NaN member are left alone; the sweep goes on with the unchanged value.
    QTest::newRow("NaN in the middle") << Values{2, kNaN, 4, 6} << 1 << Values{2, kNaN, 5, 5};
    QTest::newRow("NaN first") << Values{kNaN, 4, 0} << 1 << Values{kNaN, 2, 2};
    // inf - inf is NaN: that pair stays as it is.
    QTest::newRow("equal infinities") << Values{kInf, kInf} << 1 << Values{kInf, kInf};
    QTest::newRow("one value") << Values{3} << 3 << Values{3};
}

void TestPasses::averaging()
{
    QFETCH(Values, speeds);
    QFETCH(int, passes);
    QFETCH(Values, averaged);
    FlightRecordList records = WithSpeeds(speeds);
    AverageSpeeds(records, passes);
    QVERIFY2(SameValues(Speeds(records), averaged), Show(Speeds(records)));
}

void TestPasses::averagingKeepsTotal()
{
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> speed(0.0, 12.0);
    Values v;
    for (int i = 0; i < 500; ++i)
        v.append(speed(rng));
    const double before = std::accumulate(v.begin(), v.end(), 0.0);
    FlightRecordList records = WithSpeeds(v);
    AverageSpeeds(records, 3);
    const Values after = Speeds(records);
    QVERIFY(std::fabs(std::accumulate(after.begin(), after.end(), 0.0) - before) < 1e-9 * before);
    QVERIFY(!SameValues(after, v));
}

void TestPasses::smoothGps()
{
    // Latitudes [0, 1, 2, 3], by hand: (0,1) -> 0.5; (0.5,2) -> 1.25;
    // (1.25,3) -> 2.125. Longitudes [0, 0, 0, 8]: the first two pairs stay
    // 0, (0,8) -> 4, 4. Both coordinates go through the same sweep.
    FlightRecordList records = WithPositions({0, 1, 2, 3}, {0, 0, 0, 8});
    for (FlightRecord& r : records) {
        r.HomeLat = 1.0;
        r.HomeLon = 2.0;
        r.Barometer = 3.0;
    }
    SmoothGps(records, 1);
    const Values lat{0.5, 1.25, 2.125, 2.125};
    const Values lon{0, 0, 4, 4};
    for (std::size_t i = 0; i < records.size(); ++i) {
        QCOMPARE(records[i].Lat, lat[static_cast<int>(i)]);
        QCOMPARE(records[i].Lon, lon[static_cast<int>(i)]);
        QCOMPARE(records[i].HomeLat, 1.0);
        QCOMPARE(records[i].HomeLon, 2.0);
        QCOMPARE(records[i].Barometer, 3.0);
        QCOMPARE(records[i].Speed, 0.0);
    }

    // A second sweep over [0.5, 1.25, 2.125, 2.125]: 0.875; 1.5; 1.8125.
    FlightRecordList twice = WithPositions({0, 1, 2, 3}, {0, 0, 0, 0});
    SmoothGps(twice, 2);
    QCOMPARE(twice[0].Lat, 0.875);
    QCOMPARE(twice[1].Lat, 1.5);
    QCOMPARE(twice[2].Lat, 1.8125);
    QCOMPARE(twice[3].Lat, 1.8125);
}

void TestPasses::smoothGpsNoPasses()
{
    for (int passes : {0, -1, -100}) {
        FlightRecordList records = WithPositions({0, 1, 2, 3}, {4, 5, 6, 7});
        SmoothGps(records, passes);
        for (std::size_t i = 0; i < records.size(); ++i) {
            QCOMPARE(records[i].Lat, double(i));
            QCOMPARE(records[i].Lon, double(i + 4));
        }
    }
    FlightRecordList none;
    SmoothGps(none, 5);
    QVERIFY(none.empty());
}

void TestPasses::calcSpeedPlain()
{
    // Without passes the speeds are the step lengths to the next record;
    // the last record has no successor and keeps 0.
    FlightRecordList records = WithPositions({0, 0, 1, 1}, {0, 1, 1, 1});
    CalcSpeed(records, 0);
    const double oneDegree = 3.141592653589793 * 6378200.0 / 180.0;
    QVERIFY(std::fabs(records[0].Speed - oneDegree) < 1e-6);
    QVERIFY(std::fabs(records[1].Speed - oneDegree) < 1e-6);
    QCOMPARE(records[2].Speed, 0.0);
    QCOMPARE(records[3].Speed, 0.0);

    FlightRecordList one = WithPositions({-34.6}, {-58.4});
    CalcSpeed(one, 3);
    QCOMPARE(one[0].Speed, 0.0);
}

void TestPasses::calcSpeedSpreadAndAveraged()
{
    // Steps d, 0, 0, e, 0 (d and e each about one thousandth of a degree of
    // latitude). Spread: d/3, d/3, d/3, e/2, e/2. One sweep, by hand:
    // (d/3,d/3) stays; (d/3,d/3) stays; (d/3,e/2) -> m = (d/3 + e/2)/2;
    // (m,e/2) -> (m + e/2)/2. With d = e that is d/3, d/3, 5d/12, 11d/24, 11d/24.
    FlightRecordList records =
        WithPositions({-34.600, -34.601, -34.601, -34.601, -34.602}, {-58.4, -58.4, -58.4, -58.4, -58.4});
    const double d = Step(records[0], records[1]);
    const double e = Step(records[3], records[4]);
    CalcSpeed(records, 1);
    const double m = (d / 3 + e / 2) / 2;
    const Values expected{d / 3, d / 3, m, (m + e / 2) / 2, (m + e / 2) / 2};
    QVERIFY2(SameValues(Speeds(records), expected), Show(Speeds(records)));
    QVERIFY(std::fabs(records[3].Speed - 11 * d / 24) < 1e-3);
}

void TestPasses::calcSpeedHovering()
{
    // A position repeated for a long time measures exactly 0 per step, even
    // at latitudes where the plain law of cosines rounds to NaN, so the
    // spreading sees zeros and no NaN enters the speeds.
    for (int step = -8000; step <= 8000; step += 97) {
        const double lat = step / 100.0 + 0.0001;
        FlightRecordList records = WithPositions(Values(8, lat), Values(8, -58.3816));
        records[7].Lat = lat + 0.001;
        CalcSpeed(records, 3);
        double total = 0.0;
        for (const FlightRecord& r : records) {
            QVERIFY(!std::isnan(r.Speed));
            total += r.Speed;
        }
        // Averaging keeps the one real step of the track.
        const double real = Step(records[6], records[7]);
        QVERIFY(std::fabs(total - real) < 1e-9 * real);
    }
}

void TestPasses::calcWayLatitudeOnly()
{
    // The latitude changes at records 2 and 3, then stays. Record 2's change
    // is not counted (2 - 0 < 5), nor record 3's or 4's; at record 5 the
    // change from record 0 counts in full.
    const double a = -34.6000;
    const double b = -34.6001;
    const double c = -34.6002;
    FlightRecordList records = WithPositions({a, a, b, c, c, c, c}, Values(7, -58.4));
    CalcWay(records, 100.0);
    const double step = GreatCircleDistance(a, -58.4, c, -58.4);
    for (int i = 0; i < 5; ++i)
        QCOMPARE(records[static_cast<std::size_t>(i)].Way, 100.0);
    QCOMPARE(records[5].Way, 100.0 + step);
    QCOMPARE(records[6].Way, 100.0 + step);
}

void TestPasses::calcWayBothCoordinates()
{
    // A diagonal movement at every record counts at once, every time.
    FlightRecordList records = WithPositions({0, 0.001, 0.002, 0.004}, {0, 0.001, 0.003, 0.004});
    CalcWay(records, 0.0);
    double way = 0.0;
    QCOMPARE(records[0].Way, 0.0);
    for (std::size_t i = 1; i < records.size(); ++i) {
        way += Step(records[i - 1], records[i]);
        QCOMPARE(records[i].Way, way);
    }
    QVERIFY(way > 0.0);
}

void TestPasses::calcWayJitterNotAdded()
{
    // The latitude flips one step and back; it is never away for five
    // records, so nothing is added. Then it moves away for good: counted at
    // the fifth record after the last counted one (record 0), not before.
    const double a = 10.0000;
    const double b = 10.0001;
    FlightRecordList records = WithPositions({a, b, a, b, a, a, a, a, a}, Values(9, 20.0));
    CalcWay(records, 5.0);
    for (const FlightRecord& r : records)
        QCOMPARE(r.Way, 5.0);

    FlightRecordList moved = WithPositions({a, a, a, b, b, b, b, b}, Values(8, 20.0));
    CalcWay(moved, 0.0);
    QCOMPARE(moved[4].Way, 0.0);
    QCOMPARE(moved[5].Way, GreatCircleDistance(a, 20.0, b, 20.0));
    QCOMPARE(moved[7].Way, moved[5].Way);
}

void TestPasses::calcWayFewRecords()
{
    FlightRecordList none;
    CalcWay(none, 3.0);
    CalcSpeed(none, 3);
    QVERIFY(none.empty());

    FlightRecordList one = WithPositions({-34.6}, {-58.4});
    DeriveTrack(one, 0, 12.5);
    QCOMPARE(one[0].Way, 12.5);
    QCOMPARE(one[0].Speed, 0.0);
    QCOMPARE(one[0].Lat, -34.6);
}

void TestPasses::calcWayNaN()
{
    // A NaN position counts as changed; its step makes the way NaN from
    // there on.
    FlightRecordList records = WithPositions({0, 0.001, kNaN, 0.003}, {0, 0.001, 0.002, 0.003});
    CalcWay(records, 0.0);
    QVERIFY(!std::isnan(records[1].Way));
    QVERIFY(std::isnan(records[2].Way));
    QVERIFY(std::isnan(records[3].Way));
}

void TestPasses::deriveTrackPassSelection_data()
{
    QTest::addColumn<int>("smoothing");
    QTest::newRow("0") << 0;
    QTest::newRow("-2") << -2;
    QTest::newRow("1") << 1;
    QTest::newRow("5") << 5;
}

void TestPasses::deriveTrackPassSelection()
{
    QFETCH(int, smoothing);
    // A track that stands still for a few records between diagonal steps.
    const Values lats{0, 0, 0, 0.0001, 0.0001, 0.0002, 0.0002, 0.0002, 0.0003, 0.0004};
    const Values lons{0, 0, 0, 0.0001, 0.0001, 0.0002, 0.0002, 0.0002, 0.0003, 0.0004};
    FlightRecordList records = WithPositions(lats, lons);
    DeriveTrack(records, smoothing, 7.0);

    // Steps of the unsmoothed track, measured by hand from the positions.
    const FlightRecordList raw = WithPositions(lats, lons);
    if (smoothing <= 0) {
        // Positions untouched; speeds spread over the standing records and
        // averaged in three sweeps, which keeps the total.
        double stepTotal = 0.0;
        double speedTotal = 0.0;
        for (std::size_t i = 0; i < records.size(); ++i) {
            QCOMPARE(records[i].Lat, raw[i].Lat);
            QCOMPARE(records[i].Lon, raw[i].Lon);
            if (i + 1 < raw.size())
                stepTotal += Step(raw[i], raw[i + 1]);
            speedTotal += records[i].Speed;
        }
        QVERIFY(std::fabs(speedTotal - stepTotal) < 1e-9 * stepTotal);
        // No record is left at 0 speed: the standing records got a share.
        for (const FlightRecord& r : records)
            QVERIFY(r.Speed > 0.0);
        // Both coordinates change together, so each change counts at once:
        // at records 3, 5, 8 and 9.
        const double way = Step(raw[0], raw[3]) + Step(raw[3], raw[5]) + Step(raw[5], raw[8]) + Step(raw[8], raw[9]);
        QCOMPARE(records.back().Way, 7.0 + way);
        QCOMPARE(records[4].Way, 7.0 + Step(raw[0], raw[3]));
    } else {
        // Positions smoothed; speeds are the plain steps between them.
        FlightRecordList smoothed = raw;
        SmoothGps(smoothed, smoothing);
        for (std::size_t i = 0; i < records.size(); ++i) {
            QCOMPARE(records[i].Lat, smoothed[i].Lat);
            QCOMPARE(records[i].Lon, smoothed[i].Lon);
            const double expected = i + 1 < records.size() ? Step(smoothed[i], smoothed[i + 1]) : 0.0;
            QCOMPARE(records[i].Speed, expected);
        }
        QVERIFY(records[3].Lat != raw[3].Lat);
        // The way is measured along the smoothed positions.
        CalcWay(smoothed, 7.0);
        for (std::size_t i = 0; i < records.size(); ++i)
            QCOMPARE(records[i].Way, smoothed[i].Way);
    }
    QCOMPARE(records.front().Way, 7.0);
}

QTEST_GUILESS_MAIN(TestPasses)
#include "test_passes.moc"
