// A card of clips: the flights found, a flight joined over its clips, the
// outputs of the whole flight and a clip that cannot be read. Expectations
// come from the generated geometry: a straight line at 12 m/s climbing at
// 1 m/s from the take-off, so at flight time t the drone is 12 t metres
// from home and min(t, 40) metres up.
#include "support/Support.h"

#include "conversion/CardConversion.h"

namespace {

// Runs the generator with `args` (split at spaces, then _ read as a space) writing into `dir`.
bool Generate(const QString& dir, const QByteArray& args)
{
    QStringList command{QStringLiteral("python3"), QStringLiteral(GENERATOR_PATH)};
    for (const QByteArray& arg : args.split(' '))
        command << QString::fromUtf8(arg).replace(QLatin1Char('_'), QLatin1Char(' ')).replace(QStringLiteral("@"), dir + QStringLiteral("/DJI_"));
    return RunProgram(command).exitCode == 0;
}

} // namespace

class TestCards : public QObject {
    Q_OBJECT

private slots:
    void card_data()
    {
        QTest::addColumn<QByteArrayList>("make");  // generator runs; @ is the card's DJI_ prefix
        QTest::addColumn<QByteArray>("remove");    // a clip taken off the card
        QTest::addColumn<QByteArray>("flights");   // clips per flight
        QTest::addColumn<double>("pathM");         // the first flight's way with --smooth 0
        QTest::addColumn<double>("lastClipS");     // flight time at its last clip's first block
        const QByteArray line = "--path line --speed 12 --line-ends lf ";
        QTest::newRow("per-frame, three clips and a flight an hour later")
            << QByteArrayList{line + "--family D --duration 30 --split 10 @",
                              line + "--family D --duration 20 --split 10 --first-counter 4 --start-time 2019-06-20_13:40:00 @"}
            << QByteArray() << QByteArray("3 2") << 359.6 << 20.0;
        // Read by the input patterns, so chained: the 12 m across the join are not counted.
        QTest::newRow("layout A with HOME, two clips") << QByteArrayList{line + "--family A --decimals 6 --blocks 60 --split 30 @"}
                                                       << QByteArray() << QByteArray("2") << 696.0 << 30.0;
        QTest::newRow("loop recording, one-minute clips, no dates")
            << QByteArrayList{line + "--family C --decimals 6 --blocks 180 --split 60 @"} << QByteArray() << QByteArray("3")
            << 2148.0 << 120.0;
        QTest::newRow("clip missing, dated: one flight across the pause")
            << QByteArrayList{line + "--family D --variant mavic2 --duration 30 --split 10 @"} << QByteArray("DJI_0002.SRT")
            << QByteArray("2") << 359.6 << 20.0;
        // Its log only in the video's subtitle track (made by the ffmpeg program): the video is the clip.
        QTest::newRow("clip as a video without its log") << QByteArrayList{line + "--family D --duration 30 --split 10 @"}
                                                         << QByteArray("video DJI_0002") << QByteArray("3") << 359.6 << 20.0;
        QTest::newRow("clip missing, no dates: two flights")
            << QByteArrayList{line + "--family C --decimals 6 --blocks 90 --split 30 @"} << QByteArray("DJI_0002.SRT")
            << QByteArray("1 1") << 348.0 << 0.0;
    }

    void card()
    {
        QFETCH(QByteArrayList, make);
        QFETCH(QByteArray, remove);
        QTemporaryDir dir;
        for (const QByteArray& args : make)
            QVERIFY(Generate(dir.path(), args));
        if (remove.startsWith("video ")) {
            const QString clip = dir.filePath(QString::fromLatin1(remove.mid(6)));
            QCOMPARE(RunProgram(QStringLiteral("ffmpeg -v error -f lavfi -i color=c=black:s=32x32:r=30:d=10 -i %1.SRT -map 0 -map 1 "
                                               "-c:v mpeg4 -c:s mov_text %1.MP4").arg(clip).split(QLatin1Char(' '))).err, QByteArray());
            remove = remove.mid(6) + ".SRT";
        }
        if (!remove.isEmpty())
            QVERIFY(QFile::remove(dir.filePath(QString::fromLatin1(remove))));

        // The flights as velloa-cli lists them.
        const ProcessRun run = RunProgram({QStringLiteral(VELLOA_CLI_PATH), QStringLiteral("--flights"),
                                           QStringLiteral("--smooth=0"), dir.path()});
        QCOMPARE(run.exitCode, 0);
        QStringList counts;
        for (const QString& text : QString::fromUtf8(run.out).split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            counts << text.section(QLatin1Char(' '), 2, 2);
        QTEST(counts.join(QLatin1Char(' ')).toUtf8(), "flights");
        const QString first = QString::fromUtf8(run.out).section(QStringLiteral(", path "), 1).section(QLatin1Char(' '), 0, 0);
        QFETCH(double, pathM);
        QVERIFY2(qAbs(first.toDouble() - pathM) < 3.0, qPrintable(first));

        // The last clip of the first flight, joined: its distance from the
        // flight's home and its height run on from the clips before.
        ConversionOptions options;
        options.Request.SmoothingCount = 0;
        std::vector<CardClip> clips;
        for (const QString& log : LogsInFolder(dir.path(), false))
            clips.emplace_back(log);
        ReadClips(clips, options, 2);
        const std::vector<CardFlight> flights = PlanFlights(clips, JoinMode::Auto);
        const FlightConversion flight = ConvertFlight(clips, flights.front(), options, JoinMode::Auto, 2, true);
        QFETCH(double, lastClipS);
        const TrackPoint& start = flight.Clips.back().Flight.Points.front();
        QVERIFY2(qAbs(start.DistanceHomeM - 12.0 * lastClipS) < 12.0, qPrintable(QString::number(start.DistanceHomeM)));
        QVERIFY2(qAbs(start.HeightM - qMin(lastClipS, 40.0)) < 1.5, qPrintable(QString::number(start.HeightM)));
    }

    // The outputs of the whole flight, and a clip that cannot be read.
    void flightOutputs()
    {
        QTemporaryDir dir;
        QVERIFY(Generate(dir.path(), "--family D --duration 30 --split 10 --path line @"));
        QVERIFY(Generate(dir.path(), "--family D --duration 8 --first-counter 9 --split 10 --start-time 2019-06-20_14:00:00 --path line @"));
        QVERIFY(Generate(dir.path(), "--family A --blocks 40 --split 20 --first-counter 20 --start-time 2020-01-01_10:00:00 @"));
        // Clips of 6.5 s at 25 a second: each later one starts off a whole second.
        QVERIFY(Generate(dir.path(), "--family D --fps 25 --duration 20 --split 6.5 --first-counter 30 --start-time 2021-05-01_09:00:00 --path line @"));
        ProcessRun run = RunProgram({QStringLiteral(VELLOA_CLI_PATH), QStringLiteral("--quiet"), QStringLiteral("--all"),
                                     QStringLiteral("--jobs=2"), dir.path()});
        QCOMPARE(run.exitCode, 0);
        const QByteArray track = ReadFile(dir.filePath(QStringLiteral("DJI_0001.flight.track.gpx")));
        QCOMPARE(track.count("<trkseg>"), 3);
        QCOMPARE(ReadFile(dir.filePath(QStringLiteral("DJI_0020.flight.track.gpx"))).count("<trkseg>"), 2);
        QVERIFY(ReadFile(dir.filePath(QStringLiteral("DJI_0001.flight.geojson"))).contains("\"MultiLineString\""));
        QCOMPARE(ReadFile(dir.filePath(QStringLiteral("DJI_0001.flight.kml"))).count("<LineString>"), 3);
        QVERIFY(QFile::exists(dir.filePath(QStringLiteral("DJI_0001.flight.csv"))));
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("DJI_0009.flight.kml"))));  // a flight of one clip
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("DJI_0001.flight.sorned.srt"))));
        // The whole flight's points are the clips' own, each sampled on its own cues' seconds.
        const auto points = [&](const QString& name) {
            QByteArrayList lines = ReadFile(dir.filePath(name)).split('\n');
            lines.erase(std::remove_if(lines.begin(), lines.end(), [](const QByteArray& l) { return !l.contains("<trkpt"); }), lines.end());
            return lines;
        };
        QByteArrayList clipPoints;
        for (const char* clip : {"DJI_0030", "DJI_0031", "DJI_0032", "DJI_0033"})
            clipPoints += points(QLatin1String(clip) + QStringLiteral(".track.gpx"));
        QVERIFY(clipPoints.size() > 20);
        QCOMPARE(points(QStringLiteral("DJI_0030.flight.track.gpx")), clipPoints);

        // Logs read by the input patterns: each clip as --join chain writes it.
        const QStringList logs{dir.filePath(QStringLiteral("DJI_0020.SRT")), dir.filePath(QStringLiteral("DJI_0021.SRT"))};
        QCOMPARE(RunProgram(QStringList{QStringLiteral(VELLOA_CLI_PATH), QStringLiteral("--quiet"),
                                        QStringLiteral("--output-dir=") + dir.filePath(QStringLiteral("chain"))} + logs).exitCode, 0);
        for (const char* name : {"DJI_0021.sorned.srt", "DJI_0021.gpx"})
            QCOMPARE(ReadFile(dir.filePath(QStringLiteral("chain/") + QLatin1String(name))),
                     ReadFile(dir.filePath(QLatin1String(name))));

        // A clip of no use: reported by name, the others converted, no
        // outputs of that flight as a whole.
        const QStringList flightFiles = QDir(dir.path()).entryList({QStringLiteral("DJI_0001.flight.*")});
        for (const QString& name : flightFiles)
            QVERIFY(QFile::remove(dir.filePath(name)));
        QVERIFY(WriteFile(dir.filePath(QStringLiteral("DJI_0002.SRT")), ""));
        QVERIFY(QFile::remove(dir.filePath(QStringLiteral("DJI_0003.sorned.srt"))));
        run = RunProgram({QStringLiteral(VELLOA_CLI_PATH), QStringLiteral("--quiet"), QStringLiteral("--all"), dir.path()});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.err, QByteArray("velloa-cli: ") + dir.filePath(QStringLiteral("DJI_0002.SRT")).toUtf8()
                              + ": no GPS positions found\n");
        QVERIFY(QFile::exists(dir.filePath(QStringLiteral("DJI_0003.sorned.srt"))));
        QVERIFY(QDir(dir.path()).entryList({QStringLiteral("DJI_0001.flight.*")}).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestCards)
#include "test_cards.moc"
