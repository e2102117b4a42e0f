// Speed and way against simulated flights whose truth is known: per-frame
// logs at the drones' frame rates, gaps in the cues, heights and the
// antimeridian.
#include "conversion/Conversion.h"
#include "output/GpxWriter.h"
#include "output/KmlWriter.h"
#include "output/PathPoints.h"
#include "track/LogTime.h"
#include "support/Support.h"

#include <QBuffer>
#include <QDateTime>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>

namespace {

struct Run {
    Flight flight;
    QVector<double> truthSpeed;  // m/s of each block, from the generator
    QVector<double> truthS;      // its cue start, s
};

// Generates a log (the generator's options, plus --truth-out), optionally
// edits its text, and converts it through the core with no output.
Run Simulate(const QStringList& options, int smoothing, bool useHeight = false,
             const std::function<QByteArray(QByteArray)>& edit = nullptr, TrackMethod method = TrackMethod::Design)
{
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("f.SRT")), truth = dir.filePath(QStringLiteral("t.tsv"));
    RunProgram(QStringList{QStringLiteral("python3"), QStringLiteral(GENERATOR_PATH), QStringLiteral("--line-ends"),
                           QStringLiteral("lf"), QStringLiteral("--truth-out"), truth, log} + options);
    if (edit)
        WriteFile(log, edit(ReadFile(log)));
    ConversionRequest request;
    request.InputName = log;
    request.SmoothingCount = smoothing;
    request.UseHeight = useHeight;
    request.Track = method;
    Run run;
    run.flight = Convert(request).Flight;
    for (const QByteArray& row : ReadFile(truth).trimmed().split('\n').mid(1)) {
        run.truthSpeed << row.split('\t').value(4).toDouble();
        run.truthS << row.split('\t').value(0).toDouble() / 1000;
    }
    return run;
}

double MaxSpeed(const Flight& flight, double fromS = 0, double toS = 1e9)
{
    double top = 0;
    for (const TrackPoint& p : flight.Points)
        if (p.TimeMs >= fromS * 1000 && p.TimeMs <= toS * 1000)
            top = std::max(top, p.SpeedMs);
    return top;
}

QStringList Frames(int fps, const char* path, int seconds)
{
    return {QStringLiteral("--family"), QStringLiteral("D"), QStringLiteral("--fps"), QString::number(fps),
            QStringLiteral("--path"), QLatin1String(path), QStringLiteral("--duration"), QString::number(seconds)};
}

// A per-frame log (30 blocks a second, six decimals) of a flight of known
// truth: an orbit of `radius` m (0: a line north-east) at `speed` m/s.
// `restartS`: the cues start again at 0 there; `cutS`: the 100 s after it are
// left out and the cues counted on; `noCues`, `radians`: the log's variants.
struct Frames30 {
    double radius, speed, seconds, restartS, cutS;
    bool noCues, radians;
};

Flight Fly(const Frames30& f)
{
    const double kPi = 3.14159265358979323846, earth = 6378200.0, lat0 = 47.3769, lon0 = 8.5417;
    QByteArray log;
    for (int i = 0; i < f.seconds * 30; ++i) {
        const double t = i / 30.0, a = f.speed * t / std::max(f.radius, 1.0);
        const double north = f.radius > 0 ? f.radius * std::sin(a) : f.speed * t / 2;
        const double east = f.radius > 0 ? f.radius * (1 - std::cos(a)) : f.speed * t * std::sqrt(3.0) / 2;
        if (f.cutS > 0 && t >= f.cutS && t < f.cutS + 100)
            continue;
        const qint64 ms = std::llround(t * 1000), cue = ms - (f.restartS > 0 && t >= f.restartS ? std::llround(f.restartS * 1000)
                                                            : f.cutS > 0 && t >= f.cutS ? 100000 : 0);
        const double scale = f.radians ? kPi / 180 : 1.0;
        const double lat = (lat0 + north / earth * 180 / kPi) * scale;
        const double lon = (lon0 + east / (earth * std::cos(lat0 * kPi / 180)) * 180 / kPi) * scale;
        const QTime cueTime = QTime(0, 0).addMSecs(int(cue));
        log += QByteArray::number(i + 1) + "\n";
        if (!f.noCues)
            log += cueTime.toString(QStringLiteral("hh:mm:ss,zzz")).toLatin1() + " --> "
                + cueTime.addMSecs(33).toString(QStringLiteral("hh:mm:ss,zzz")).toLatin1() + "\n";
        log += QDateTime(QDate(2023, 5, 1), QTime(12, 30)).addMSecs(ms).toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz")).toLatin1()
            + QStringLiteral("\n[latitude: %1] [longitude: %2] [rel_alt: 50.000 abs_alt: 450.000]\n\n")
                  .arg(lat, 0, 'f', f.radians ? 8 : 6).arg(lon, 0, 'f', f.radians ? 8 : 6).toLatin1();
    }
    QTemporaryDir dir;
    ConversionRequest request;
    request.InputName = dir.filePath(QStringLiteral("f.SRT"));
    WriteFile(request.InputName, log);
    return Convert(request).Flight;
}

} // namespace
Q_DECLARE_METATYPE(Frames30)

class TestTrack : public QObject {
    Q_OBJECT

private slots:
    void perFrame_data()
    {
        QTest::addColumn<int>("fps");
        for (int fps : {24, 30, 50, 60})
            QTest::addRow("%d fps", fps) << fps;
    }

    void perFrame()
    {
        QFETCH(int, fps);
        // A straight line at 12 m/s for 90 s: every speed within 3 % away
        // from the ends, none above 13.2.
        const Run line = Simulate(Frames(fps, "line", 90) << QStringLiteral("--speed") << QStringLiteral("12"), 5);
        for (const TrackPoint& p : line.flight.Points)
            QVERIFY2(p.SpeedMs <= 13.2 && (p.TimeMs < 15000 || p.TimeMs > 80000 || std::abs(p.SpeedMs - 12) <= 0.36),
                     qPrintable(QStringLiteral("%1 m/s at %2 ms").arg(p.SpeedMs).arg(p.TimeMs)));
        // A minute of hover, the last decimal jittering: no speed, no way.
        const Run hover = Simulate(Frames(fps, "hover", 60), 5);
        QVERIFY(MaxSpeed(hover.flight) < 0.5);
        QVERIFY(hover.flight.Points.back().WayM < 2.0);
        // A closed loop of 2 km with turns: without smoothing the way is the
        // logged positions' steps (their last decimal adds a little at high
        // frame rates), and smoothing costs what it costs once a second.
        const QStringList loop = Frames(fps, "loop", 200) << QStringLiteral("--length") << QStringLiteral("2000")
                                                           << QStringLiteral("--speed") << QStringLiteral("12");
        const double logged = Simulate(loop, 0).flight.Points.back().WayM;
        QVERIFY2(std::abs(logged - 2000) <= 50, qPrintable(QString::number(logged)));
        const double perSecond = Simulate({QStringLiteral("--family"), QStringLiteral("B"), QStringLiteral("--path"),
                                           QStringLiteral("loop"), QStringLiteral("--duration"), QStringLiteral("200"),
                                           QStringLiteral("--length"), QStringLiteral("2000"), QStringLiteral("--speed"),
                                           QStringLiteral("12")}, 5).flight.Points.back().WayM;
        const double smoothed = Simulate(loop, 5).flight.Points.back().WayM;
        QVERIFY2(std::abs(smoothed - perSecond) <= 0.02 * perSecond, qPrintable(QStringLiteral("%1 against %2").arg(smoothed).arg(perSecond)));
    }

    // A pause in the recording (a quarter of a line flight cut out) is
    // elapsed time: the jump across it is no speed spike, at one block a
    // second and per frame.
    void gapInTheCues_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::newRow("one per second") << QStringList{QStringLiteral("--family"), QStringLiteral("A"), QStringLiteral("--path"),
                                                       QStringLiteral("line"), QStringLiteral("--duration"), QStringLiteral("120")};
        QTest::newRow("per frame") << Frames(30, "line", 120);
    }
    void gapInTheCues()
    {
        QFETCH(QStringList, options);
        const auto cut = [](const QByteArray& text) {
            QStringList blocks = QString::fromLatin1(text).split(QStringLiteral("\n\n"));
            blocks.erase(blocks.begin() + blocks.size() / 4, blocks.begin() + blocks.size() / 2);
            return blocks.join(QStringLiteral("\n\n")).toLatin1();
        };
        // Within a tenth of the speeds of the same flight without the pause
        // (one-per-second positions are coarse: 12 m/s reads up to 14).
        options << QStringLiteral("--speed") << QStringLiteral("12");
        for (int smoothing : {0, 5}) {
            const double paused = MaxSpeed(Simulate(options, smoothing, false, cut).flight);
            QVERIFY2(paused <= 1.1 * MaxSpeed(Simulate(options, smoothing).flight), qPrintable(QString::number(paused)));
        }
    }

    // Smoothing keeps a per-frame log within its six decimals: orbits and a
    // line read their true way and speed; a log of two recordings (cues
    // that start again, or a date that jumps ahead of cues counted on) is
    // measured within each; logs without cues and in radians are read.
    void recordedTruth_data()
    {
        QTest::addColumn<Frames30>("flight");
        QTest::addColumn<double>("way");   // the truth, m (way: the flown path plus the jump across a cut)
        QTest::addColumn<double>("speed");  // the true speed, m/s
        QTest::addColumn<double>("within"); // the share way and speed must lie within
        QTest::newRow("orbit 30 m") << Frames30{30, 8, 60, 0, 0, false, false} << 480.0 << 8.0 << 0.02;
        QTest::newRow("orbit 100 m") << Frames30{100, 12, 60, 0, 0, false, false} << 720.0 << 12.0 << 0.01;
        QTest::newRow("line") << Frames30{0, 12, 60, 0, 0, false, false} << 720.0 << 12.0 << 0.01;
        QTest::newRow("cues restarted") << Frames30{0, 12, 60, 30, 0, false, false} << 720.0 << 12.0 << 0.02;
        QTest::newRow("cut, cues counted on") << Frames30{0, 12, 160, 0, 30, false, false} << 720.0 + 1200.0 << 12.0 << 0.02;
        QTest::newRow("no cues") << Frames30{0, 12, 20, 0, 0, true, false} << 240.0 << 12.0 << 0.02;
        QTest::newRow("radians") << Frames30{0, 12, 20, 0, 0, false, true} << 240.0 << 12.0 << 0.02;
    }
    void recordedTruth()
    {
        QFETCH(Frames30, flight);
        QFETCH(double, way);
        QFETCH(double, speed);
        QFETCH(double, within);
        const Flight read = Fly(flight);
        const double blocks = flight.seconds * 30 - (flight.cutS > 0 ? 3000 : 0);
        QCOMPARE(double(read.Points.size()), blocks);
        QVERIFY2(std::abs(read.Points.back().WayM - way) <= within * way, qPrintable(QString::number(read.Points.back().WayM)));
        std::vector<double> speeds;
        for (const TrackPoint& p : read.Points)
            speeds.push_back(p.SpeedMs);
        std::nth_element(speeds.begin(), speeds.begin() + speeds.size() / 2, speeds.end());
        QVERIFY2(std::abs(speeds[speeds.size() / 2] - speed) <= within * speed, qPrintable(QString::number(speeds[speeds.size() / 2])));
        QVERIFY2(MaxSpeed(read) <= 1.05 * speed, qPrintable(QString::number(MaxSpeed(read))));
        QVERIFY(read.Points.front().DistanceHomeM < 1.0);
        QVERIFY(std::abs(read.Points.front().Lat - 47.3769) < 0.001 && std::abs(read.Points.front().Lon - 8.5417) < 0.001);
        QCOMPARE(read.Log.InRadians, flight.radians);
        QCOMPARE(read.Log.CuesFromDates, flight.noCues);
        QCOMPARE(read.Recordings.size(), size_t(flight.restartS > 0 || flight.cutS > 0 ? 2 : 1));
        for (size_t i = 1; i < read.Points.size(); ++i)
            QVERIFY(read.Points[i].LocalMs > read.Points[i - 1].LocalMs);
    }

    // The estimated track against the generator's truth ("Smooth GPS, sec"
    // 5): way and median speed within a share of the truth's, the top speed
    // within a share or under a cap; while the drone flies faster than 2 m/s
    // the way moves at every block, and a last block flown reads its speed.
    // A line joined from two recordings adds the straight line across the
    // join; a second drone's clips edited after the first are a recording of
    // their own, at their own positions.
    void estimateAgainstTruth_data()
    {
        QTest::addColumn<QString>("options");
        QTest::addColumn<double>("way");     // m, 0: the truth's (its speeds over time)
        QTest::addColumn<double>("within");  // share for way and median speed
        QTest::addColumn<double>("top");     // share for the top speed (0: none)
        QTest::addColumn<double>("cap");     // m/s no speed reaches (0: none)
        QTest::addColumn<int>("recordings");
        QTest::addColumn<bool>("estimate");  // --track estimate
        const QString d = QStringLiteral("--family D --fps 30 --duration 60 --path ");
        QTest::newRow("D line") << d + QStringLiteral("line") << 0.0 << 0.01 << 0.03 << 0.0 << 1 << false;
        QTest::newRow("D loop, 5 decimals") << d + QStringLiteral("loop --length 800 --decimals 5 --variant mavic3")
                                            << 0.0 << 0.01 << 0.03 << 0.0 << 1 << false;
        QTest::newRow("D orbit 10 m") << d + QStringLiteral("orbit --radius 10 --speed 8") << 0.0 << 0.01 << 0.03 << 0.0 << 1 << false;
        QTest::newRow("C line north") << QStringLiteral("--family C --path line --heading 0 --duration 120") << 0.0 << 0.02 << 0.0 << 0.0 << 1 << false;
        QTest::newRow("B line east") << QStringLiteral("--family B --path line --heading 90 --duration 120") << 0.0 << 0.02 << 0.0 << 0.0 << 1 << false;
        QTest::newRow("C loop") << QStringLiteral("--family C --path loop --length 2000 --duration 160") << 0.0 << 0.02 << 0.0 << 0.0 << 1 << false;
        QTest::newRow("C orbit 50 m") << QStringLiteral("--family C --path orbit --radius 50 --duration 240") << 0.0 << 0.03 << 0.0 << 0.0 << 1 << false;
        QTest::newRow("B orbit 30 m") << QStringLiteral("--family B --path orbit --radius 30 --duration 240") << 0.0 << 0.05 << 0.0 << 0.0 << 1 << false;
        QTest::newRow("C hover on a cell border") << QStringLiteral("--family C --path hover --wander 0.5 --duration 300")
                                                  << 0.0 << 0.0 << 0.0 << 1.5 << 1 << false;
        QTest::newRow("A line, estimated") << QStringLiteral("--family A --path line --duration 120") << 0.0 << 0.02 << 0.0 << 0.0 << 1 << true;
        QTest::newRow("B line joined") << QStringLiteral("--path line --duration 60 --split 30 --joined --family B")
                                       << 708.0 << 0.02 << 0.0 << 0.0 << 2 << false;
        QTest::newRow("two drones") << QStringLiteral("--path line --duration 60 --family C --then") << 1150.1 << 0.02 << 0.0 << 0.0 << 2 << false;
    }
    void estimateAgainstTruth()
    {
        QFETCH(QString, options);
        QFETCH(double, way);
        QFETCH(double, within);
        QFETCH(double, top);
        QFETCH(double, cap);
        QFETCH(int, recordings);
        QFETCH(bool, estimate);
        QStringList args = options.split(QLatin1Char(' '));
        if (args.endsWith(QStringLiteral("--then")))
            args << QStringLiteral("--family D --path line --duration 5 --start-lat -34.6012 --start-lon -58.3790");
        const Run run = Simulate(args, 5, false, nullptr, estimate ? TrackMethod::Estimate : TrackMethod::Design);
        const Flight& read = run.flight;
        const auto median = [](std::vector<double> v) {
            std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
            return v[v.size() / 2];
        };
        std::vector<double> speeds;
        for (const TrackPoint& p : read.Points)
            speeds.push_back(p.SpeedMs);
        const std::vector<double> truth(run.truthSpeed.begin(), run.truthSpeed.end());
        double flown = 0;
        for (int i = 1; i < run.truthS.size(); ++i)
            flown += (truth[i] + truth[i - 1]) / 2 * (run.truthS[i] - run.truthS[i - 1]);
        way = way > 0 ? way : flown;
        const QString figures = QStringLiteral("way %1 of %2, median %3 of %4, top %5 of %6")
            .arg(read.Points.back().WayM).arg(way).arg(median(speeds)).arg(median(truth)).arg(MaxSpeed(read))
            .arg(*std::max_element(truth.begin(), truth.end()));
        QVERIFY2(std::abs(read.Points.back().WayM - way) <= within * way || within == 0, qPrintable(figures));
        QVERIFY2(std::abs(median(speeds) - median(truth)) <= within * median(truth) || within == 0, qPrintable(figures));
        const double truthTop = *std::max_element(truth.begin(), truth.end());
        QVERIFY2(top == 0 || std::abs(MaxSpeed(read) - truthTop) <= top * truthTop, qPrintable(figures));
        QVERIFY2(cap == 0 || MaxSpeed(read) < cap, qPrintable(figures));
        for (int i = 1; i < int(truth.size()) && i < int(speeds.size()); ++i) {
            QVERIFY2(truth[i] <= 2 || read.Points[i].WayM > read.Points[i - 1].WayM, qPrintable(QString::number(i)));
            QVERIFY2(truth[i] <= 2 || i + 1 < int(speeds.size()) || speeds[i] >= 0.9 * truth[i], qPrintable(figures));
        }
        QCOMPARE(int(read.Recordings.size()), recordings);
        const FlightRecord& second = read.Log.Records[read.Recordings.back().First];
        if (options.endsWith(QStringLiteral("--then")))
            QVERIFY(std::abs(second.Lat + 34.6012) < 1e-5 && std::abs(second.Lon + 58.3790) < 1e-5);
    }

    // A recording of one block, and blocks whose cues do not advance: every
    // figure finite; a record with no time to measure over reads 0 m/s.
    void degenerateRecordings()
    {
        const auto block = [](int n, int ms, const char* lat) {
            return QStringLiteral("%1\n00:00:00,%2 --> 00:00:00,%3\n<font size=\"28\">FrameCnt: %1\n[latitude: %4] "
                                  "[longitude: 8.541700] [rel_alt: 1.0 abs_alt: 0] </font>\n\n")
                .arg(n).arg(ms, 3, 10, QLatin1Char('0')).arg(ms + 33, 3, 10, QLatin1Char('0')).arg(QLatin1String(lat)).toLatin1();
        };
        const QByteArray one = block(1, 0, "47.376900");
        const QByteArray still = one + block(2, 33, "47.376910") + block(3, 33, "47.376920");
        for (const QByteArray& log : {one, still}) {
            for (int smoothing : {0, 5}) {
                const Flight flight = Simulate({QStringLiteral("--blocks"), QStringLiteral("1")}, smoothing, true,
                                               [&](QByteArray) { return log; }).flight;
                for (const TrackPoint& p : flight.Points)
                    QVERIFY(std::isfinite(p.SpeedMs) && std::isfinite(p.WayM) && std::isfinite(p.DistanceHomeM));
                if (smoothing == 0 || log == one)
                    QCOMPARE(flight.Points[log == one ? 0 : 1].SpeedMs, 0.0);
            }
        }
    }

    // Blocks without a fix or a home take the nearest earlier block's, else
    // the nearest later one's, in the flight's own records; what each block
    // gave (Has) stays as read.
    void gapsFilledInTheRecords()
    {
        const char* const positions[][2] = {{"0.0,0.0", "0.0,0.0"}, {"-58.3816,-34.6037", "-58.3810,-34.6030"},
                                            {"0.0,0.0", "0.0,0.0"}, {"-58.3800,-34.6000", "-58.3805,-34.6025"},
                                            {"0.0,0.0", "0.0,0.0"}};
        QByteArray log;
        for (int i = 0; i < 5; ++i)
            log += QStringLiteral("%1\n00:00:0%2,000 --> 00:00:0%3,000\nHOME(%4) 2019.06.20 12:34:5%2\nGPS(%5,19) BAROMETER:1.0\n\n")
                       .arg(i + 1).arg(i).arg(i + 1).arg(QLatin1String(positions[i][0]), QLatin1String(positions[i][1]))
                       .toLatin1();
        const Flight flight = DeriveFlight(ParseLog(log, InputPatterns::Defaults(), AutomaticFormatId()), {0, 0.0, false});
        const double expected[5][4] = {{-34.6030, -58.3810, -34.6037, -58.3816}, {-34.6030, -58.3810, -34.6037, -58.3816},
                                       {-34.6030, -58.3810, -34.6037, -58.3816}, {-34.6025, -58.3805, -34.6000, -58.3800},
                                       {-34.6025, -58.3805, -34.6000, -58.3800}};
        QCOMPARE(int(flight.Log.Records.size()), 5);
        for (int i = 0; i < 5; ++i) {
            const FlightRecord& r = flight.Log.Records[std::size_t(i)];
            QCOMPARE(r.Lat, expected[i][0]);
            QCOMPARE(r.Lon, expected[i][1]);
            QCOMPARE(r.HomeLat, expected[i][2]);
            QCOMPARE(r.HomeLon, expected[i][3]);
            const bool given = i == 1 || i == 3;
            QCOMPARE(r.Gives(FlightRecord::HasPosition), given);
            QCOMPARE(r.Gives(FlightRecord::HasHome), given);
            QCOMPARE(flight.Points[std::size_t(i)].Lat, expected[i][0]);  // unsmoothed
        }
    }

    // Longitudes as written: in [-180, 180) at the decimals written.
    void writtenLongitude_data()
    {
        QTest::addColumn<double>("lon");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<QString>("text");
        QTest::newRow("180.000001") << 180.000001 << 6 << QStringLiteral("-179.999999");
        QTest::newRow("rounds to 180") << 179.9999996 << 6 << QStringLiteral("-180.000000");
        QTest::newRow("below -180") << -180.5 << 6 << QStringLiteral("179.500000");
        QTest::newRow("-180 stays") << -180.0 << 6 << QStringLiteral("-180.000000");
        QTest::newRow("near, four decimals") << 179.99996 << 4 << QStringLiteral("-180.0000");
    }
    void writtenLongitude()
    {
        QFETCH(double, lon);
        QFETCH(int, decimals);
        QFETCH(QString, text);
        QCOMPARE(FixedText(WrittenLon(lon, decimals), decimals), text);
    }

    // Local times count on from the first date with the cues: a date that
    // repeats or runs behind moves nothing, one more than 2 s ahead starts
    // the count again; a block without a date has no time.
    void localTimes()
    {
        const qint64 cues[] = {0, 1000, 2000, 3000, 4000, 5000, 6000};
        const qint64 dates[] = {500, 1500, 1500, 1200, 9000, kNoTime, 11000};
        const qint64 expected[] = {500, 1500, 2500, 3500, 9000, kNoTime, 11000};
        FlightRecordList records(7);
        Track points(7);
        for (int i = 0; i < 7; ++i) {
            records[i].LocalTimeMs = dates[i];
            points[i].TimeMs = cues[i];
        }
        SetLocalTimes(records, points, 0, 7);
        for (int i = 0; i < 7; ++i)
            QCOMPARE(points[i].LocalMs, expected[i]);
    }

    // The computer's zone from TZ in POSIX form: the C library's offsets.
    void computerZoneFromTheCLibrary()
    {
        const QByteArray before = qgetenv("TZ");
        qputenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3");
        QTimeZone zone;
        QVERIFY(ParseTimeZone(QString(), &zone));
        const qint64 noon = QDateTime(QDate(2019, 6, 20), QTime(12, 0), Qt::UTC).toMSecsSinceEpoch();
        QCOMPARE(LocalToUtc(zone).ToUtcMs(noon), noon - 2 * 3600 * 1000);
        before.isNull() ? qunsetenv("TZ") : qputenv("TZ", before);
    }

    // KML heights: above take-off where the log gives it, above sea level
    // when asked.
    void kmlHeights()
    {
        Flight flight = Fly({0, 12, 10, 0, 0, false, false});
        for (const auto& [choice, mode, height] : {std::tuple{KmlHeights::Automatic, "relativeToGround", ",50.00\n"},
                                                   std::tuple{KmlHeights::TakeOff, "relativeToGround", ",50.00\n"},
                                                   std::tuple{KmlHeights::SeaLevel, "absolute", ",450.00\n"}}) {
            flight.Kml = choice;
            QBuffer kml;
            kml.open(QIODevice::WriteOnly);
            QVERIFY(WriteKml(flight, &kml));
            QVERIFY(kml.data().contains(QByteArray("<altitudeMode>") + mode) && kml.data().contains(height));
        }
    }

    // D12: with height, a vertical climb of 30 m is a way of 30 m, and a step
    // of 3 m north while climbing 4 m one of 5 m; without, nothing changes.
    void useHeight()
    {
        QByteArray climb, diagonal;
        for (int i = 0; i <= 30; ++i)
            climb += QStringLiteral("%1\n00:00:%2,000 --> 00:00:%3,000\n2023.03.11 09:15:44\nGPS(47.3769,8.5417,0.0M) BAROMETER:%4M\n\n")
                         .arg(i + 1).arg(i, 2, 10, QLatin1Char('0')).arg(i + 1, 2, 10, QLatin1Char('0')).arg(i).toLatin1();
        for (int i = 0; i < 2; ++i)
            diagonal += QStringLiteral("%1\n00:00:00,%2 --> 00:00:00,%3\n<font size=\"28\">FrameCnt: %1\n[latitude: %4] [longitude: 8.541700] [rel_alt: %5 abs_alt: 0] </font>\n\n")
                            .arg(i + 1).arg(i * 33, 3, 10, QLatin1Char('0')).arg(i * 33 + 33, 3, 10, QLatin1Char('0'))
                            .arg(i ? QStringLiteral("47.376927") : QStringLiteral("47.376900")).arg(i * 4).toLatin1();
        for (const auto& [log, withHeight, without] : {std::make_tuple(climb, 30.0, 0.0), std::make_tuple(diagonal, 5.0, 3.0)}) {
            for (bool use : {true, false}) {
                const Run run = Simulate({QStringLiteral("--blocks"), QStringLiteral("1")}, 0, use, [&](QByteArray) { return log; });
                const double expected = use ? withHeight : without;
                QVERIFY2(std::abs(run.flight.Points.back().WayM - expected) <= 0.01 * withHeight,
                         qPrintable(QStringLiteral("%1 against %2").arg(run.flight.Points.back().WayM).arg(expected)));
            }
        }
    }

    // D10: a flight across 180 degrees keeps true speeds and way, smoothed or
    // not, and its route never writes longitude 180.00000.
    void acrossTheAntimeridian()
    {
        for (const QStringList& layout : {QStringList{QStringLiteral("--family"), QStringLiteral("B")}, Frames(30, "antimeridian", 60)}) {
            for (int smoothing : {0, 5}) {
                const Run run = Simulate(layout + QStringList{QStringLiteral("--path"), QStringLiteral("antimeridian"),
                                                              QStringLiteral("--duration"), QStringLiteral("60")}, smoothing);
                const double top = *std::max_element(run.truthSpeed.begin(), run.truthSpeed.end());
                QVERIFY2(MaxSpeed(run.flight) <= 1.5 * top, qPrintable(QString::number(MaxSpeed(run.flight))));
                // Without smoothing: the logged positions' steps.
                QVERIFY(run.flight.Points.back().WayM <= (smoothing > 0 ? 1.05 : 1.1) * 60 * top);
            }
        }
        QBuffer route;
        route.open(QIODevice::WriteOnly);
        Flight flight;
        flight.Log.Records.resize(1);
        flight.Points.resize(1);
        flight.Log.Records[0].Lon = 179.999999;
        QVERIFY(WriteGpxRoute(flight, &route, 5) && route.data().contains("lon=\"-180.00000\""));
    }
};

QTEST_GUILESS_MAIN(TestTrack)
#include "test_track.moc"
