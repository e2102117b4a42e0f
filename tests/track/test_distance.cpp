// Distances on the sphere of radius 6378200 m.

#include "track/GreatCircle.h"

#include <QtTest>

#include <cmath>
#include <limits>

namespace {

constexpr double kPi = 3.141592653589793;
// One degree of arc on the sphere: pi * 6378200 / 180 = 111318.8445... m.
const double kOneDegree = kPi * 6378200.0 / 180.0;

bool RelativelyClose(double actual, double expected, double tolerance)
{
    return std::fabs(actual - expected) <= tolerance * std::fabs(expected);
}

// The cosine of the central angle as the plain law of cosines rounds it,
// without any special case: used to show that the sample below holds
// positions where that formula alone would go wrong.
double RawCosine(double lat1, double lon1, double lat2, double lon2)
{
    const double c1 = 1.5707963267948966 - (lat1 * kPi) / 180.0;
    const double c2 = 1.5707963267948966 - (lat2 * kPi) / 180.0;
    const double d = ((lon2 - lon1) * kPi) / 180.0;
    return std::cos(c2) * std::cos(c1) + std::sin(c2) * std::sin(c1) * std::cos(d);
}

}  // namespace

class TestDistance : public QObject {
    Q_OBJECT

private slots:
    void knownDistances_data();
    void knownDistances();
    void symmetric_data();
    void symmetric();
    void repeatedPositionIsExactlyZero();
    void nearlyIdenticalNeverNaN();
    void notFiniteGivesNaN_data();
    void notFiniteGivesNaN();
};

void TestDistance::knownDistances_data()
{
    QTest::addColumn<double>("lat1");
    QTest::addColumn<double>("lon1");
    QTest::addColumn<double>("lat2");
    QTest::addColumn<double>("lon2");
    QTest::addColumn<double>("metres");
    QTest::addColumn<double>("relTolerance");

    QTest::newRow("one degree of longitude on the equator") << 0.0 << 0.0 << 0.0 << 1.0 << kOneDegree << 1e-9;
    QTest::newRow("one degree of latitude") << 40.0 << -75.0 << 41.0 << -75.0 << kOneDegree << 1e-9;
    QTest::newRow("one degree of latitude, south") << -35.0 << -58.0 << -34.0 << -58.0 << kOneDegree << 1e-9;
    // 0.001 degree of latitude: 111.3188 m, "about 111.32".
    QTest::newRow("thousandth of a degree") << 55.7580 << 37.6237 << 55.7590 << 37.6237 << 111.3188 << 1e-4;
    QTest::newRow("across the 180 meridian") << 0.0 << 179.5 << 0.0 << -179.5 << kOneDegree << 1e-9;
    // Antipodes: half the circumference, pi * 6378200.
    QTest::newRow("pole to pole") << 90.0 << 0.0 << -90.0 << 0.0 << 20037706.26 << 1e-9;
    QTest::newRow("antipodes on the equator") << 0.0 << 0.0 << 0.0 << 180.0 << 20037706.26 << 1e-9;
    QTest::newRow("antipodes south-west") << -34.6 << -58.4 << 34.6 << 121.6 << 20037706.26 << 1e-7;
}

void TestDistance::knownDistances()
{
    QFETCH(double, lat1);
    QFETCH(double, lon1);
    QFETCH(double, lat2);
    QFETCH(double, lon2);
    QFETCH(double, metres);
    QFETCH(double, relTolerance);
    const double d = GreatCircleDistance(lat1, lon1, lat2, lon2);
    QVERIFY2(RelativelyClose(d, metres, relTolerance), qPrintable(QString::number(d, 'f', 6)));
}

void TestDistance::symmetric_data()
{
    QTest::addColumn<double>("lat1");
    QTest::addColumn<double>("lon1");
    QTest::addColumn<double>("lat2");
    QTest::addColumn<double>("lon2");
    QTest::newRow("short step") << -34.6037 << -58.3816 << -34.6038 << -58.3815;
    QTest::newRow("long way") << 59.8765 << 30.2345 << -33.8688 << 151.2093;
    QTest::newRow("0 and 360") << 0.0 << 0.0 << 0.0 << 360.0;
    QTest::newRow("across 180") << 10.0 << 179.9 << 10.1 << -179.9;
}

void TestDistance::symmetric()
{
    QFETCH(double, lat1);
    QFETCH(double, lon1);
    QFETCH(double, lat2);
    QFETCH(double, lon2);
    const double there = GreatCircleDistance(lat1, lon1, lat2, lon2);
    const double back = GreatCircleDistance(lat2, lon2, lat1, lon1);
    QVERIFY(!std::isnan(there));
    QCOMPARE(there, back);
    if (QByteArray(QTest::currentDataTag()) == "0 and 360")
        QVERIFY(there < 1e-6);
}

void TestDistance::repeatedPositionIsExactlyZero()
{
    // A hovering drone repeats its position record after record. Whatever
    // the latitude, the distance must be exactly 0: a NaN would poison the
    // accumulated way, and a few centimetres would count as movement.
    int rawNotOne = 0;
    int checked = 0;
    for (int step = -900000; step <= 900000; step += 37) {
        const double lat = step / 10000.0;
        for (double lon : {-179.9999, -58.3816, 0.0, 30.2345, 180.0}) {
            const double d = GreatCircleDistance(lat, lon, lat, lon);
            if (d != 0.0)
                QFAIL(qPrintable(QStringLiteral("lat %1 lon %2 gives %3").arg(lat, 0, 'f', 4).arg(lon).arg(d)));
            if (RawCosine(lat, lon, lat, lon) != 1.0)
                ++rawNotOne;
            ++checked;
        }
    }
    // The sample must hold latitudes where the plain formula misses 1.
    QVERIFY2(rawNotOne > checked / 100, qPrintable(QString::number(rawNotOne)));
}

void TestDistance::nearlyIdenticalNeverNaN()
{
    // Points one rounding step apart: the cosine may round above 1, which
    // must be clamped rather than handed to acos.
    int rawAboveOne = 0;
    for (int step = -89000; step <= 89000; step += 7) {
        const double lat = step / 1000.0;
        const double lon = -58.3816;
        const double lat2 = std::nextafter(lat, 100.0);
        const double lon2 = std::nextafter(lon, 200.0);
        const double d = GreatCircleDistance(lat, lon, lat2, lon2);
        if (std::isnan(d) || d < 0.0 || d > 1.0)
            QFAIL(qPrintable(QStringLiteral("lat %1 gives %2").arg(lat).arg(d)));
        if (RawCosine(lat, lon, lat2, lon2) > 1.0)
            ++rawAboveOne;
    }
    QVERIFY2(rawAboveOne > 0, "the sample must hold cosines that round above 1");
}

void TestDistance::notFiniteGivesNaN_data()
{
    QTest::addColumn<int>("argument");
    QTest::addColumn<double>("value");
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    for (int i = 0; i < 4; ++i) {
        QTest::addRow("NaN as argument %d", i + 1) << i << nan;
        QTest::addRow("+inf as argument %d", i + 1) << i << inf;
        QTest::addRow("-inf as argument %d", i + 1) << i << -inf;
    }
}

void TestDistance::notFiniteGivesNaN()
{
    QFETCH(int, argument);
    QFETCH(double, value);
    double a[4] = {-34.6, -58.4, -34.6, -58.4};
    a[argument] = value;
    QVERIFY(std::isnan(GreatCircleDistance(a[0], a[1], a[2], a[3])));
    // Also when both points are "the same" non-finite value.
    double b[4] = {value, value, value, value};
    QVERIFY(std::isnan(GreatCircleDistance(b[0], b[1], b[2], b[3])));
}

QTEST_GUILESS_MAIN(TestDistance)
#include "test_distance.moc"
