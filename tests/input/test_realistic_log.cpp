// A generated flight of ten minutes south-west of Greenwich, read from disk
// and measured, checked against an independent reading of the same file.

#include "input/LogReader.h"
#include "track/GreatCircle.h"
#include "track/TrackPasses.h"

#include <QtTest>

#include <cmath>

namespace {

struct Point {
    double lat = 0.0;
    double lon = 0.0;
};

// Haversine distance on the sphere the program measures on. It is well
// conditioned for short steps, unlike the law of cosines.
double Haversine(const Point& a, const Point& b)
{
    const double rad = 3.141592653589793 / 180.0;
    const double dLat = (b.lat - a.lat) * rad;
    const double dLon = (b.lon - a.lon) * rad;
    const double h = std::sin(dLat / 2) * std::sin(dLat / 2)
                     + std::cos(a.lat * rad) * std::cos(b.lat * rad) * std::sin(dLon / 2) * std::sin(dLon / 2);
    return 2.0 * kSphereRadiusMetres * std::asin(std::sqrt(h));
}

// "GPS(lon,lat,sats) BAROMETER:h" -> the numbers, by plain string cutting.
bool ParseGpsLine(const QByteArray& line, Point& p, double& height)
{
    if (!line.startsWith("GPS("))
        return false;
    const int close = line.indexOf(')');
    const QList<QByteArray> numbers = line.mid(4, close - 4).split(',');
    const int colon = line.indexOf("BAROMETER:");
    if (close < 0 || numbers.size() != 3 || colon < 0)
        return false;
    bool okLon = false;
    bool okLat = false;
    bool okHeight = false;
    p.lon = numbers[0].toDouble(&okLon);
    p.lat = numbers[1].toDouble(&okLat);
    height = line.mid(colon + 10).toDouble(&okHeight);
    return okLon && okLat && okHeight;
}

}  // namespace

class TestRealisticLog : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void readAndMeasure();

private:
    bool Generate(const QString& lineEnds, const QString& path);

    QTemporaryDir m_dir;
    QString m_python;
    QString m_logPath;
};

// Line ends are covered by test_splitting.cpp; the flight is written with LF.
bool TestRealisticLog::Generate(const QString& lineEnds, const QString& path)
{
    QProcess generator;
    generator.start(m_python, {QStringLiteral(SOURCE_DIR "/tools/make_flight_log.py"), QStringLiteral("--blocks"),
                               QStringLiteral("600"), QStringLiteral("--line-ends"), lineEnds,
                               QStringLiteral("--start-lat"), QStringLiteral("-34.6037"),
                               QStringLiteral("--start-lon"), QStringLiteral("-58.3816"), QStringLiteral("--seed"),
                               QStringLiteral("11"), path});
    if (!generator.waitForFinished(60000))
        return false;
    if (generator.exitStatus() != QProcess::NormalExit || generator.exitCode() != 0) {
        qWarning("%s", generator.readAllStandardError().constData());
        return false;
    }
    return true;
}

void TestRealisticLog::initTestCase()
{
    m_python = QStandardPaths::findExecutable(QStringLiteral("python3"));
    if (m_python.isEmpty())
        QSKIP("python3 is needed to generate the log");
    QVERIFY(m_dir.isValid());
    m_logPath = m_dir.filePath(QStringLiteral("DJI_0001.SRT"));
    QVERIFY(Generate(QStringLiteral("lf"), m_logPath));
}

void TestRealisticLog::readAndMeasure()
{
    QFile file(m_logPath);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    file.close();
    QVERIFY(!bytes.contains('\r'));

    // Independent reading: blocks are separated by one empty line, and the
    // fourth of their five lines holds the position and the height.
    QVector<Point> points;
    QVector<double> heights;
    QList<QByteArray> lines;
    const QList<QByteArray> all = bytes.split('\n');
    for (int i = 0; i <= all.size(); ++i) {
        if (i < all.size() && !all[i].isEmpty()) {
            lines.append(all[i]);
            continue;
        }
        if (lines.isEmpty())
            continue;
        QCOMPARE(lines.size(), 5);
        Point p;
        double h = 0.0;
        QVERIFY2(ParseGpsLine(lines[3], p, h), lines[3].constData());
        points.append(p);
        heights.append(h);
        lines.clear();
    }
    QCOMPARE(points.size(), 600);

    const LogReadResult result = ReadFlightLog(m_logPath, InputPatterns::Defaults());
    QCOMPARE(result.Status, ReadStatus::Ok);
    FlightRecordList records = result.Records;
    QCOMPARE(records.size(), std::size_t(600));

    // First and last blocks: the generator starts at second 0 at 12:34:56
    // and writes one block per second, so block 600 covers 00:09:59 to
    // 00:10:00 and is stamped 599 s later, at 12:44:55.
    QCOMPARE(records.front().SrtTime, QStringLiteral("00:00:00,000 --> 00:00:01,000"));
    QCOMPARE(records.back().SrtTime, QStringLiteral("00:09:59,000 --> 00:10:00,000"));
    QCOMPARE(records.front().FlyTime, QStringLiteral("2019.06.20 12:34:56"));
    QCOMPARE(records.back().FlyTime, QStringLiteral("2019.06.20 12:44:55"));
    QVERIFY(records.front().Id.isEmpty());  // ID matches a block of digits alone
    for (const FlightRecord& r : records) {
        QCOMPARE(r.HomeLat, -34.6037);
        QCOMPARE(r.HomeLon, -58.3816);
    }
    for (int i = 0; i < points.size(); ++i) {
        const FlightRecord& r = records[static_cast<std::size_t>(i)];
        QCOMPARE(r.Lat, points[i].lat);
        QCOMPARE(r.Lon, points[i].lon);
        QCOMPARE(r.Barometer, heights[i]);
        QVERIFY(r.Lat < 0.0 && r.Lon < 0.0);
    }

    CalcWay(records, 0.0);

    // The counting rule, restated: a change in both coordinates counts at
    // once, a change in one only when five records have passed since the
    // last counted one; the whole distance from that record is added.
    double way = 0.0;
    double tolerance = 0.0;
    int last = 0;
    int counted = 0;
    int singleCoordinate = 0;
    for (int i = 0; i < points.size(); ++i) {
        const bool lat = points[i].lat != points[last].lat;
        const bool lon = points[i].lon != points[last].lon;
        if ((lat && lon) || ((lat || lon) && i - last >= 5)) {
            if (!(lat && lon))
                ++singleCoordinate;
            const double step = Haversine(points[last], points[i]);
            way += step;
            // The program's law of cosines loses precision on short steps:
            // a rounding error of a few units in the last place of the
            // cosine x = 1 - (d/R)^2/2 moves d by about 4e-16 R^2 / d.
            tolerance += 4.0 * 2.2e-16 * kSphereRadiusMetres * kSphereRadiusMetres / step + 1e-9 * step;
            last = i;
            ++counted;
        }
        const double actual = records[static_cast<std::size_t>(i)].Way;
        if (std::fabs(actual - way) > tolerance)
            QFAIL(qPrintable(QStringLiteral("record %1: way %2, expected %3 +- %4")
                                 .arg(i)
                                 .arg(actual, 0, 'f', 6)
                                 .arg(way, 0, 'f', 6)
                                 .arg(tolerance)));
    }
    // The flight is realistic enough to exercise both ways of counting.
    QVERIFY(counted > 50);
    QVERIFY(singleCoordinate > 10);
    QVERIFY(way > 500.0);
    qInfo("way %.3f m over %d counted steps, tolerance %.6f m, difference %.9f m", way, counted, tolerance,
          records.back().Way - way);
    QVERIFY(std::fabs(records.back().Way - way) <= 1e-5 * way);
}

QTEST_GUILESS_MAIN(TestRealisticLog)
#include "test_realistic_log.moc"
