// The outputs for other programs (GPX track, KML, CSV, GeoJSON) as those
// programs read them, and the log times they carry in UTC. The logs in
// tests/data/outputs/ and their expected points are described in its
// README.txt; the UTC times in utc.tsv were worked out from the zones' rules.
#include "output/Outputs.h"
#include "support/Support.h"
#include "track/LogTime.h"

#include <QDateTime>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// A tool's complaint (empty when it exits 0); its standard output in `out`.
QString RunTool(const QString& program, const QStringList& arguments, QByteArray* out = nullptr)
{
    const ProcessRun run = RunProgram(QStringList{program} + arguments);
    if (out)
        *out = run.out;
    return run.exitCode == 0 ? QString() : program + QStringLiteral(": ") + QString::fromUtf8(run.err);
}

// GPSBabel's unicsv line: comma-separated, text fields in double quotes.
QStringList CsvFields(const QString& line)
{
    QStringList fields = line.split(QLatin1Char(','));
    for (QString& field : fields)
        field.remove(QLatin1Char('"'));
    return fields;
}

ProcessRun RunCli(const QStringList& arguments)
{
    return RunProgram(QStringList{QStringLiteral(VELLOA_CLI_PATH)} + arguments);
}

struct Coordinate {
    double Lat = 0.0;
    double Lon = 0.0;
};

// "lon lat [height]" tuples inside the brackets of a WKT line.
void AppendTuples(const QString& wkt, QVector<Coordinate>& path)
{
    const int open = wkt.lastIndexOf(QLatin1Char('('));
    const QString inside = wkt.mid(open + 1, wkt.indexOf(QLatin1Char(')')) - open - 1);
    for (const QString& tuple : inside.split(QLatin1Char(','))) {
        const QStringList numbers = tuple.simplified().split(QLatin1Char(' '));
        path.append({numbers.value(1).toDouble(), numbers.value(0).toDouble()});
    }
}

// The path as GDAL's ogrinfo reads it: the first LINESTRING, or else every
// POINT in feature order. Empty with the error in `error` on failure.
QVector<Coordinate> OgrPath(const QString& file, const QStringList& options, QString* error)
{
    QByteArray out;
    *error = RunTool(QStringLiteral("ogrinfo"),
        QStringList{QStringLiteral("-ro"), QStringLiteral("-al"), QStringLiteral("-q")} + options + QStringList{file}, &out);
    QVector<Coordinate> line;
    QVector<Coordinate> points;
    for (const QString& text : QString::fromUtf8(out).split(QLatin1Char('\n'))) {
        const QString geometry = text.trimmed();
        if (geometry.startsWith(QLatin1String("LINESTRING")) && line.isEmpty())
            AppendTuples(geometry, line);
        else if (geometry.startsWith(QLatin1String("POINT")) && !geometry.contains(QLatin1String("EMPTY")))
            AppendTuples(geometry, points);
    }
    return line.isEmpty() ? points : line;
}

// GPSBabel's reading of the tracks of a file: one "lat lon date time" per
// point (date and time empty when the point has none).
QStringList GpsBabelTrack(const QString& format, const QString& file, QString* error)
{
    QByteArray csv;
    *error = RunTool(QStringLiteral("gpsbabel"),
        {QStringLiteral("-t"), QStringLiteral("-i"), format, QStringLiteral("-f"), file, QStringLiteral("-o"),
         QStringLiteral("unicsv,utc=0"), QStringLiteral("-F"), QStringLiteral("-")},
        &csv);
    QStringList lines = QString::fromUtf8(csv).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    const QStringList header = CsvFields(lines.value(0).trimmed());
    QStringList points;
    for (const QString& line : lines.mid(1)) {
        const QStringList fields = CsvFields(line.trimmed());
        points << QStringList{fields.value(header.indexOf(QStringLiteral("Latitude"))),
                              fields.value(header.indexOf(QStringLiteral("Longitude"))),
                              fields.value(header.indexOf(QStringLiteral("Date"))),
                              fields.value(header.indexOf(QStringLiteral("Time")))}.join(QLatin1Char(' '));
    }
    return points;
}

QStringList Ends(const char* first, const char* last)
{
    return {QLatin1String(first), QLatin1String(last)};
}

} // namespace

class TestOutputs : public QObject {
    Q_OBJECT

private slots:
    void utcTimes_data();
    void utcTimes();
    void consumersReadBack_data();
    void consumersReadBack();
};

// data/outputs/utc.tsv: name, zone, local time, UTC (empty: the zone is refused).
void TestOutputs::utcTimes_data()
{
    QTest::addColumn<QString>("zone");
    QTest::addColumn<QString>("local");
    QTest::addColumn<QString>("utc");
    for (const QByteArray& line : ReadFile(QStringLiteral(TEST_DATA_DIR "/outputs/utc.tsv")).split('\n')) {
        const QStringList row = QString::fromUtf8(line).split(QLatin1Char('\t'));
        if (row.size() == 4)
            QTest::newRow(qPrintable(row[0])) << row[1] << row[2] << row[3];
    }
}

void TestOutputs::utcTimes()
{
    QFETCH(QString, zone);
    QFETCH(QString, local);
    QFETCH(QString, utc);
    QTimeZone parsed;
    QCOMPARE(ParseTimeZone(zone, &parsed), !utc.isEmpty());
    if (utc.isEmpty())
        return;
    const qint64 localMs = QDateTime::fromString(local + QLatin1Char('Z'), Qt::ISODate).toMSecsSinceEpoch();
    LocalToUtc toUtc(parsed);
    // A day before (another offset for some rows), then the same hour: the
    // offset kept from an earlier call must be the right one.
    for (const qint64 earlier : {localMs - 86400000, localMs - localMs % 3600000})
        toUtc.ToUtcMs(earlier);
    QCOMPARE(QDateTime::fromMSecsSinceEpoch(toUtc.ToUtcMs(localMs), Qt::UTC).toString(Qt::ISODate), utc);
}

void TestOutputs::consumersReadBack_data()
{
    QTest::addColumn<QString>("log");
    QTest::addColumn<QString>("zone");
    QTest::addColumn<int>("points");   // of the path: one per second, records without a fix left out
    QTest::addColumn<int>("csvFixes");  // CSV rows with a position
    QTest::addColumn<QStringList>("ends");  // first and last point: "lat lon date time" as GPSBabel prints them
    QTest::newRow("A, per second, Madrid summer") << "a_madrid.SRT" << "Europe/Madrid" << 3 << 3
        << Ends("40.416800 -3.703800 2023/07/15 10:00:01", "40.417200 -3.704200 2023/07/15 10:00:03");
    QTest::newRow("C, no date") << "c_no_date.SRT" << "+05:30" << 3 << 3
        << Ends("-33.868800 151.209300  ", "-33.869200 151.209700  ");
    QTest::newRow("D, per frame, +05:30") << "d_frames.SRT" << "+05:30" << 3 << 8
        << Ends("-41.286470 174.776246 2024/04/27 05:01:55.268", "-41.286540 174.776316 2024/04/27 05:01:57.018");
}

void TestOutputs::consumersReadBack()
{
    QFETCH(QString, log);
    QFETCH(QString, zone);
    QFETCH(int, points);
    QFETCH(int, csvFixes);
    QFETCH(QStringList, ends);
    for (const char* tool : {"xmllint", "gpsbabel", "ogrinfo"})
        if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
            QSKIP("xmllint, gpsbabel or ogrinfo is not installed");
    QTemporaryDir dir;
    const ProcessRun run = RunCli({QStringLiteral("--all"), QStringLiteral("--time-zone"), zone, QStringLiteral("--output-dir"),
                                   dir.path(), QStringLiteral(TEST_DATA_DIR "/outputs/") + log});
    QVERIFY2(run.exitCode == 0, run.err.constData());
    const bool timed = !ends[0].endsWith(QLatin1Char(' '));
    QCOMPARE(run.out.contains("No dates in the log: the outputs carry no times"), !timed);
    const QString base = dir.filePath(QFileInfo(log).completeBaseName());
    QString error = RunTool(QStringLiteral("xmllint"), {QStringLiteral("--noout"), QStringLiteral("--schema"),
                                                       QStringLiteral(GPX_SCHEMA_PATH), base + QStringLiteral(".track.gpx")});
    QVERIFY2(error.isEmpty(), qPrintable(error));

    const QStringList csvOptions{QStringLiteral("-oo"), QStringLiteral("X_POSSIBLE_NAMES=longitude"), QStringLiteral("-oo"),
                                 QStringLiteral("Y_POSSIBLE_NAMES=latitude")};
    for (const OutputKind& kind : OutputKinds()) {  // every output for other programs
        const QString suffix = QLatin1String(kind.Suffix);
        const bool csv = suffix == QLatin1String(".csv");
        if (kind.ByDefault)
            continue;
        const QVector<Coordinate> path = OgrPath(base + suffix, csv ? csvOptions : QStringList(), &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QVERIFY2(path.size() == (csv ? csvFixes : points), qPrintable(suffix + QStringLiteral(": %1").arg(path.size())));
        for (const int end : {0, 1}) {
            const QStringList expected = ends[end].split(QLatin1Char(' '));
            const Coordinate read = end ? path.last() : path.first();
            QVERIFY2(qAbs(read.Lat - expected[0].toDouble()) < 1e-9 && qAbs(read.Lon - expected[1].toDouble()) < 1e-9,
                     qPrintable(suffix + QStringLiteral(": %1 %2").arg(read.Lat, 0, 'f', 6).arg(read.Lon, 0, 'f', 6)));
        }
    }

    // GPSBabel: the GPX track's points with their times; from the KML the
    // path without times, then the replay with them when the log has dates.
    const QStringList track = GpsBabelTrack(QStringLiteral("gpx"), base + QStringLiteral(".track.gpx"), &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QCOMPARE(track.size(), points);
    QCOMPARE(QStringList({track.first(), track.last()}), ends);
    const QStringList kml = GpsBabelTrack(QStringLiteral("kml"), base + QStringLiteral(".kml"), &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QCOMPARE(kml.size(), timed ? 2 * points : points);
    QCOMPARE(kml.last(), ends[1]);
}

QTEST_GUILESS_MAIN(TestOutputs)
#include "test_outputs.moc"
