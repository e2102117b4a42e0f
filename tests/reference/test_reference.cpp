// Every folder under data/reference is one case: flight.SRT, `args` (velloa-cli
// options, one a line, `--name=value`), expected.<suffix> for each output that
// must be written (flight.<suffix>), and where messages matter expected.stdout,
// expected.stderr (none: nothing on standard error) and expected.exit (none:
// 0). Each case runs through the core functions and through velloa-cli; every
// kind of output (OutputKinds()) is compared byte for byte, so a kind without
// an expected file must not be written; every route, GPX track, KML, CSV and
// GeoJSON is handed to the programs that read them. A differing output is kept
// in the build tree for `diff -u`.
// The log of each layout-* case is also put into a video as its subtitle
// track (by the ffmpeg program; MP4 and MOV in turn), which must give the
// same records and outputs, and only a video maps the video libraries.
#include "conversion/CommandLineOptions.h"
#include "input/LogReader.h"
#include "support/Support.h"

#include <QCommandLineParser>
#include <QTemporaryDir>

namespace {

const QString kData = QStringLiteral(TEST_DATA_DIR "/reference/");

// The conversion as velloa-cli runs it, through the core's conversion path
// alone: the case's options, read by velloa-cli's own option set, into one
// request (a file an option names lies in the case's folder); the log is
// the case's flight.SRT unless `input` names another.
void ConvertWithCore(const QString& folder, const QStringList& args, const QString& outDir,
                     const QString& input = QString())
{
    QCommandLineParser parser;
    const ConversionOptionSet set;
    set.AddTo(parser);
    QVERIFY2(parser.parse(QStringList{QStringLiteral("velloa-cli")} + args), qPrintable(parser.errorText()));
    ConversionOptions options;
    ConversionOptionSet::Error error;
    const QString here = QDir::currentPath();
    QDir::setCurrent(folder);
    const bool read = set.Read(parser, &options, &error);
    QDir::setCurrent(here);
    if (!read)
        return;  // nothing to write: the case expects velloa-cli's failure
    options.OutputDir = outDir;
    Convert(RequestForLog(options, input.isEmpty() ? folder + QStringLiteral("flight.SRT") : input,
                          options.Request.WayBeforeM));
}

// `actual` must equal the case's expected.<suffix>, "<missing>" when it has none.
void Compare(const QString& folder, const QString& suffix, const QByteArray& actual, const QString& half)
{
    const QString expectedPath = folder + QStringLiteral("expected.") + suffix;
    if (actual == ReadFile(expectedPath))
        return;
    const QString keep = QCoreApplication::applicationDirPath() + QStringLiteral("/reference-actual/")
        + QDir(folder).dirName() + QLatin1Char('/') + half + QLatin1Char('.') + suffix;
    QDir().mkpath(QFileInfo(keep).path());
    WriteFile(keep, actual);
    QFAIL(qPrintable(QStringLiteral("%1 differs: diff -u %2 %3").arg(half, expectedPath, keep)));
}

// Every kind of output in `dir` against the expected one ("<missing>" for
// both when the case has none and none was written).
void CompareOutputs(const QString& folder, const QString& dir, const QString& half)
{
    for (const OutputKind& kind : OutputKinds()) {
        const QString suffix = QLatin1String(kind.Suffix + 1), output = dir + QStringLiteral("/flight.") + suffix;
        Compare(folder, suffix, ReadFile(output), half);
        if (&kind == &RouteOutput() && QFile::exists(output))
            VERIFY_GPX(output);
    }
}

// The geometries GDAL's ogrinfo reads from a file, each as its "lat lon"
// pairs (six decimals, as GPSBabel writes them).
QList<QStringList> OgrGeometries(const QStringList& options, QString* error)
{
    QList<QStringList> geometries;
    for (const QString& text : QString::fromUtf8(RunTool(QStringList{QStringLiteral("ogrinfo"), QStringLiteral("-ro"),
             QStringLiteral("-al"), QStringLiteral("-q")} + options, error)).split(QLatin1Char('\n'))) {
        const QString wkt = text.trimmed();
        if (!(wkt.startsWith(QLatin1String("POINT")) || wkt.contains(QLatin1String("LINESTRING"))) || wkt.endsWith(QLatin1String("EMPTY")))
            continue;
        QStringList pairs;  // a MULTILINESTRING's lines one after the other
        for (const QString& tuple : wkt.section(QLatin1Char('('), 1).remove(QLatin1Char('(')).remove(QLatin1Char(')')).split(QLatin1Char(','))) {
            const QStringList n = tuple.simplified().split(QLatin1Char(' '));
            pairs << QString::number(n.value(1).toDouble(), 'f', 6) + QLatin1Char(' ') + QString::number(n.value(0).toDouble(), 'f', 6);
        }
        geometries << pairs;
    }
    return geometries;
}

// What outside programs read from the outputs for other programs, where a
// case writes them: xmllint finds the GPX track valid GPX 1.1; GPSBabel
// reads the same points, with the same times, from the track and from the
// KML's path and replay (the points with a time); ogrinfo reads the same
// path from the GeoJSON and a point from every CSV row with a position.
void ReadBack(const QString& dir)
{
    const QString base = dir + QStringLiteral("/flight.");
    if (!QFile::exists(base + QStringLiteral("track.gpx")))
        return;
    REQUIRE_TOOLS({"xmllint", "gpsbabel", "ogrinfo"});
    QString error;
    RunTool({QStringLiteral("xmllint"), QStringLiteral("--noout"), QStringLiteral("--schema"), QStringLiteral(GPX_SCHEMA_PATH),
             base + QStringLiteral("track.gpx")}, &error);
    const QStringList track = GpsBabelPoints(QStringLiteral("gpx"), base + QStringLiteral("track.gpx"), &error);
    const QStringList kml = GpsBabelPoints(QStringLiteral("kml"), base + QStringLiteral("kml"), &error);
    const QList<QStringList> geojson = OgrGeometries({base + QStringLiteral("geojson")}, &error);
    const QList<QStringList> csv = OgrGeometries({QStringLiteral("-oo"), QStringLiteral("X_POSSIBLE_NAMES=longitude"),
        QStringLiteral("-oo"), QStringLiteral("Y_POSSIBLE_NAMES=latitude"), base + QStringLiteral("csv")}, &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QStringList places, timed;  // the KML's path, then its replay: the points with a time
    for (const QString& point : track) {
        places << point.section(QLatin1Char(' '), 0, 1);
        if (point != places.last())
            timed << point;
    }
    QVERIFY(!track.isEmpty());
    QCOMPARE(kml, places + timed);
    QCOMPARE(geojson.value(0), places);
    int fixes = 0;
    for (const QByteArray& row : ReadFile(base + QStringLiteral("csv")).split('\n').mid(1))
        fixes += !row.split(',').value(3).isEmpty();
    QCOMPARE(csv.size(), fixes);
}

// The records read from the log against the generator's account of every
// block (expected.records.tsv; "-": no value), number for number.
void CompareRecords(const QString& folder, const QString& input = QString())
{
    const QByteArray tsv = ReadFile(folder + QStringLiteral("expected.records.tsv"));
    if (tsv == "<missing>")
        return;
    const FlightLog log = ReadFlightLog(input.isEmpty() ? folder + QStringLiteral("flight.SRT") : input, InputPatterns::Defaults(),
                                        AutomaticFormatId()).Log;
    const FlightRecordList& records = log.Records;
    const double degrees = log.InRadians ? 180.0 / 3.14159265358979323846 : 1.0;  // the account writes radians as logged
    const QList<QByteArray> rows = tsv.trimmed().split('\n').mid(1);
    QCOMPARE(int(records.size()), rows.size());
    for (int i = 0; i < rows.size(); ++i) {
        const QList<QByteArray> f = rows[i].split('\t');
        const FlightRecord& r = records[static_cast<std::size_t>(i)];
        const auto same = [&](const QByteArray& text, bool has, double value, double scale = 1.0) {
            return text == "-" ? !has : has && value == text.toDouble() * scale;
        };
        const QDateTime local = QDateTime::fromString(QString::fromLatin1(f[2]), Qt::ISODateWithMs);
        QVERIFY2(r.CueStartMs == f[0].toLongLong() && r.CueEndMs() == f[1].toLongLong()
                     && (f[2] == "-" ? r.LocalTimeMs == kNoTime : r.LocalTimeMs == local.toMSecsSinceEpoch() + local.offsetFromUtc() * 1000LL)
                     && same(f[3], r.Gives(FlightRecord::HasPosition), r.Lat, degrees) && same(f[4], r.Gives(FlightRecord::HasPosition), r.Lon, degrees)
                     && same(f[5], r.Gives(FlightRecord::HasHome), r.HomeLat) && same(f[6], r.Gives(FlightRecord::HasHome), r.HomeLon)
                     && same(f[7], r.Gives(FlightRecord::HasHeight), r.HeightM) && same(f[8], r.Gives(FlightRecord::HasAltitude), r.AltitudeM),
                 qPrintable(QStringLiteral("block %1: %2").arg(i + 1).arg(QString::fromLatin1(rows[i]))));
    }
}

// A video of the log as its subtitle track, by the ffmpeg program; its complaint.
QByteArray MakeVideo(const QString& log, const QString& video)
{
    return RunProgram(QStringLiteral("ffmpeg -v error -f lavfi -i color=c=black:s=32x32:r=5:d=1 -i %1 -map 0 -map 1 "
                                     "-c:v mpeg4 -c:s mov_text %2").arg(log, video).split(QLatin1Char(' '))).err;
}

bool VideoLibrariesMapped()
{
    return ReadFile(QStringLiteral("/proc/self/maps")).contains("libavformat");
}

} // namespace

class TestReference : public QObject {
    Q_OBJECT

private slots:
    void conversion_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QStringList>("args");
        for (const QString& name : QDir(kData).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
            const QString args = QString::fromUtf8(ReadFile(kData + name + QStringLiteral("/args")));
            QTest::newRow(qPrintable(name)) << kData + name + QLatin1Char('/')
                                            << (args == QLatin1String("<missing>") ? QStringList()
                                                   : args.split(QLatin1Char('\n'), Qt::SkipEmptyParts));
        }
    }

    void conversion()
    {
        QFETCH(QString, folder);
        QFETCH(QStringList, args);
        QTemporaryDir core, cli;
        CompareRecords(folder);
        ConvertWithCore(folder, args, core.path());
        CompareOutputs(folder, core.path(), QStringLiteral("core"));
        static int videos = 0;
        QVERIFY(videos > 0 || !VideoLibrariesMapped());
        if (QTest::currentTestFailed())
            return;
        // A block cut after its cue holds no text, which a subtitle track cannot hold.
        const QByteArray log = ReadFile(folder + QStringLiteral("flight.SRT")).trimmed();
        if (QDir(folder).dirName().startsWith(QLatin1String("layout-")) && !log.mid(log.lastIndexOf('\n')).contains("-->")) {
            QTemporaryDir video;
            const QString name = video.filePath(++videos % 2 ? QStringLiteral("flight.mp4") : QStringLiteral("flight.MOV"));
            QCOMPARE(MakeVideo(folder + QStringLiteral("flight.SRT"), name), QByteArray());
            CompareRecords(folder, name);
            ConvertWithCore(folder, args, video.path(), name);
            QVERIFY(VideoLibrariesMapped());
            CompareOutputs(folder, video.path(), QStringLiteral("video"));
        }

        for (const QString& name : Entries(folder))
            QVERIFY(QFile::copy(folder + name, cli.filePath(name)));
        const ProcessRun run = RunProgram(QStringList{QStringLiteral(VELLOA_CLI_PATH)} + args
                                          + QStringList{QStringLiteral("flight.SRT")}, cli.path());
        CompareOutputs(folder, cli.path(), QStringLiteral("cli"));
        if (QFile::exists(folder + QStringLiteral("expected.stdout")))
            Compare(folder, QStringLiteral("stdout"), run.out, QStringLiteral("cli"));
        Compare(folder, QStringLiteral("stderr"), run.err.isEmpty() ? QByteArray("<missing>") : run.err, QStringLiteral("cli"));
        const QByteArray exit = ReadFile(folder + QStringLiteral("expected.exit"));
        QCOMPARE(run.exitCode, exit == "<missing>" ? 0 : exit.trimmed().toInt());
        ReadBack(core.path());
    }

    // Logs of every layout, variant and frame rate read from a video give
    // the outputs of the same log read from its .SRT, byte for byte.
    void videoAsLog_data()
    {
        QTest::addColumn<QString>("generator");
        for (const char* options : {"A --no-fix 3", "B", "C --variant p4p", "C --variant mini2", "C --variant rtk --no-fix 2",
                                    "D --variant mini3 --fps 60", "D --variant mavic2 --fps 24", "D --variant air2 --fps 25",
                                    "D --variant mavic3 --fps 50", "D --variant h20 --fps 30"})
            QTest::newRow(options) << QString::fromLatin1(options);
    }

    void videoAsLog()
    {
        QFETCH(QString, generator);
        QTemporaryDir dir;
        const QString log = dir.filePath(QStringLiteral("log.SRT")), video = dir.filePath(QStringLiteral("v/log.mov"));
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("v")));
        RunProgram(QStringLiteral("python3 " GENERATOR_PATH " %1 --duration 12 --family %2").arg(log, generator).split(QLatin1Char(' ')));
        QCOMPARE(MakeVideo(log, video), QByteArray());
        for (const QString& input : {log, video})
            QCOMPARE(RunProgram({QStringLiteral(VELLOA_CLI_PATH), QStringLiteral("--quiet"), QStringLiteral("--all"), input}).exitCode, 0);
        const QStringList outputs = Entries(dir.filePath(QStringLiteral("v")));
        QCOMPARE(outputs.size(), 7);
        for (const QString& name : outputs)
            QVERIFY2(name == QLatin1String("log.mov") || ReadFile(dir.filePath(name)) == ReadFile(dir.filePath(QStringLiteral("v/")) + name), qPrintable(name));
    }
};

QTEST_GUILESS_MAIN(TestReference)
#include "test_reference.moc"
