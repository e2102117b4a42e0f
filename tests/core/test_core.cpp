// The core checks that no reference case can make: differential tests of the
// fast paths against Qt, the distance mends, the writers' failures and log
// times at the changes of the clocks.
#include "input/BlockSplitter.h"
#include "conversion/ConversionSettings.h"
#include "input/SrtParser.h"
#include "input/LogReader.h"
#include "input/VideoLog.h"
#include "output/FixedNumber.h"
#include "output/Outputs.h"
#include "output/Placeholders.h"
#include "output/SrtWriter.h"
#include "conversion/Conversion.h"
#include "support/SameLog.h"
#include "support/Support.h"
#include "track/GreatCircle.h"
#include "track/LogTime.h"

#include <QBuffer>
#include <QDateTime>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>
#include <cstring>
#include <random>

namespace {

const char* const kTokens[] = {"HOME(", "GPS(", "BAROMETER:", "-->", " --> ", "HOME", "(", ")", ",", ".", "-", " ",
    ":", "\r\n", "\n", "0", "7", "2019", "30.2345", "-58.4001", ".5", "12:34:56", "00:00:11,000", "-0.0", "2019.06.20 ",
    "9007199254740993.5", "x", "gps(", "\xC3\xA9", "HOME(-3.5,4.)", "GPS(1.0,-2.,"};

// A realistic block, damaged by a few random edits (every third is token soup).
QString RandomBlock(std::mt19937& random, int b)
{
    const auto number = [&] { return QString::number(int(random() % 360) - 180) + QLatin1Char('.') + QString::number(random() % 99999); };
    const auto token = [&] { return QString::fromUtf8(kTokens[random() % (sizeof kTokens / sizeof *kTokens)]); };
    QString block;
    if (b % 3 == 2) {
        for (int i = random() % 40; i > 0; --i)
            block += token();
        return block;
    }
    block = QString::number(random() % 9999) + QStringLiteral("\r\n00:00:11,000 --> 00:00:12,000\r\nHOME(") + number()
        + QLatin1Char(',') + number() + QStringLiteral(") 2019.06.20 12:34:56\r\nGPS(") + number() + QLatin1Char(',')
        + number() + QStringLiteral(",17) BAROMETER:") + number();
    for (int e = b % 3 ? random() % 4 + 1 : 0; e > 0; --e)
        block.replace(random() % block.size(), random() % 3, token());
    return block;
}

// A device that takes `room` bytes and then fails (-1) or writes short.
struct FullDevice : QIODevice {
    FullDevice(qint64 room, bool shortWrite) : room(room), shortWrite(shortWrite) { open(WriteOnly | Unbuffered); }
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override
    {
        writesAfterFull += full;
        const qint64 taken = std::min(size, room - written.size());
        full = full || taken < size;
        written.append(data, int(taken));
        return taken < size && !shortWrite ? -1 : taken;
    }
    qint64 room;
    bool shortWrite, full = false;
    int writesAfterFull = 0;
    QByteArray written;
};

} // namespace

class TestCore : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    // The built-in matcher, and edited patterns starting with ".*" (run
    // anchored), give exactly QRegExp's matches and captures.
    void patternsAgreeWithQRegExp()
    {
        QStringList texts;
        for (const QString& text : InputPatterns::Defaults().Texts)
            texts << text;
        texts << QStringLiteral(".*GPS[(]([-0-9.]+)[,]([-0-9.]+)") << QStringLiteral(".*HOME|BAROMETER:([0-9.]*)")
              << QStringLiteral(".*\\r\\n([0-9]+)$") << QStringLiteral(".*(GPS|HOME)[(]");
        std::mt19937 random(20190626);
        for (int t = 0; t < texts.size(); ++t) {
            const int index = t < InputPatterns::Count ? t : int(InputPatterns::GPS);
            InputPatterns patterns = InputPatterns::Defaults();
            patterns.Texts[index] = texts[t];
            CompiledPatterns compiled(patterns);
            QRegExp plain(texts[t]);
            int matches = 0;
            for (int b = 0; b < 6000; ++b) {
                const QString block = RandomBlock(random, b);
                const bool found = plain.indexIn(block, 0, QRegExp::CaretAtZero) >= 0;
                QVERIFY2(compiled.Search(index, block) == found, qPrintable(texts[t] + QStringLiteral(" on ") + block));
                for (int c = 0; found && c <= plain.captureCount(); ++c) {
                    QCOMPARE(compiled.Cap(index, c), plain.cap(c));
                    if (c > 0 && t < InputPatterns::Count && index != InputPatterns::ID && index != InputPatterns::SrtTime
                        && index != InputPatterns::FlyTime)
                        QCOMPARE(compiled.CapNumber(index, c), plain.cap(c).toDouble());
                }
                matches += found;
            }
            QVERIFY2(matches > 0 && matches < 6000, qPrintable(texts[t]));
        }
    }

    // A pattern that refers back to group 1000 or more never matches (Qt's
    // QRegExp read past its memory on one, found by fuzzing); smaller group
    // numbers and escaped backslashes before digits are left to QRegExp.
    void hugeBackReferencesNeverMatch()
    {
        const QString block = QStringLiteral("12\n00:00:11,000 --> 00:00:12,000\nGPS(30.2351,59.8771,17) \\1234");
        const struct {
            const char* text;
            bool found;
        } cases[] = {{"--\\1000000000000000000000000000000", false}, {"--\\6660", false},
                     {"(GPS)\\1?", true}, {"\\\\1234", true}};
        for (const auto& c : cases) {
            InputPatterns patterns = InputPatterns::Defaults();
            patterns.Texts[InputPatterns::SrtTime] = QLatin1String(c.text);
            CompiledPatterns compiled(patterns);
            QVERIFY2(compiled.Search(InputPatterns::SrtTime, block) == c.found, c.text);
        }
    }

    // Unanchored, a leading ".*" on a block of one long line took hours.
    void leadingDotStarOnALongLineEnds()
    {
        InputPatterns patterns = InputPatterns::Defaults();
        patterns.Texts[InputPatterns::GPS] = QStringLiteral(".*GPSx([0-9]+)");
        CompiledPatterns compiled(patterns);
        QElapsedTimer timer;
        timer.start();
        QVERIFY(!compiled.Search(InputPatterns::GPS, QString(1000 * 1000, QLatin1Char('a'))));
        QString block(4 * 1000 * 1000, QLatin1Char('H'));
        for (int i = 0; i < block.size(); i += 7)
            block[i] = QLatin1Char('(');
        CompiledPatterns defaults(InputPatterns::Defaults());
        for (int i = 0; i < InputPatterns::Count; ++i)
            QVERIFY(!defaults.Search(i, block));
        QVERIFY2(timer.elapsed() < 20000, "searches over a long line must not be quadratic");
    }

    void fixedNumbersAgreeWithQString()
    {
        std::mt19937_64 random(626);
        QByteArray out;
        for (int i = 0; i < 400000; ++i) {
            double value = std::ldexp(double(random() % 3600000) - 1800000.0, -int(random() % 20));  // ties live here
            if (i % 4 == 0) {
                const quint64 bits = random();
                std::memcpy(&value, &bits, sizeof value);
            }
            const int decimals = 1 + int(random() % 6);
            out.clear();
            AppendFixed(out, value, decimals);
            QCOMPARE(out, QString::number(value, 'f', decimals).toLatin1());
        }
        for (double value : {0.125, -2.25, -0.04, -0.0, 1e20, 1e-320, double(NAN), -double(INFINITY)}) {
            out.clear();
            AppendFixed(out, value, 1);
            QCOMPARE(out, QString::number(value, 'f', 1).toLatin1());
        }
    }

    // D1: identical points give exactly 0 at every latitude, nearly identical
    // ones never NaN; only a NaN or infinite input does.
    void distanceOfIdenticalPoints()
    {
        for (int step = -900000; step <= 900000; step += 37) {
            const double lat = step / 10000.0, lon = step % 3600 / 10.0;
            QCOMPARE(GreatCircleDistance(lat, lon, lat, lon), 0.0);
            QVERIFY(!std::isnan(GreatCircleDistance(lat, lon, lat + 1e-13, lon)));
        }
        QCOMPARE(GreatCircleDistance(0, 0, 0, 1), 6378200.0 * M_PI / 180);
        QVERIFY(std::isnan(GreatCircleDistance(NAN, 0, NAN, 0)));
        QVERIFY(std::isnan(GreatCircleDistance(0, INFINITY, 0, 0)));
    }

    // The settings fields as both programs read them; D13: a huge "Smooth
    // GPS, sec" counts as an hour, not a billion sweeps.
    void settingsFields()
    {
        const std::pair<const char*, int> smooth[] = {{"5", 5}, {"3600", 3600}, {"3601", 3600}, {"1000000000", 3600},
                                                       {"99999999999", 0}, {"-2", -2}, {"2.5", 0}, {"", 0}};
        for (const auto& [text, count] : smooth)
            QCOMPARE(ReadSmoothingCount(QLatin1String(text)), count);
        const std::pair<const char*, double> way[] = {{"12.5", 12.5}, {"1,5", 0.0}, {"nan", 0.0}, {"-3", -3.0}, {"x", 0.0}};
        for (const auto& [text, metres] : way)
            QCOMPARE(ReadWayBefore(QLatin1String(text)), metres);
    }

    // D2: the blocks, as "|"-separated texts with line ends shown as \r, \n.
    void splitting_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("blocks");
        QTest::newRow("CR LF") << QByteArray("a\r\nb\r\n\r\nc\r\n\r\n") << "a\\r\\nb|c";
        QTest::newRow("LF, no end") << QByteArray("a\nb\n\n\n\nc") << "a\\nb|c";
        QTest::newRow("lone CR, mixed") << QByteArray("a\rb\n\r\nc\r\r") << "a\\rb|c";
        QTest::newRow("blank line is not empty") << QByteArray("a\n \nb") << "a\\n \\nb";
        QTest::newRow("mark, NUL") << QByteArray("\xEF\xBB\xBF" "a\n\nb\0\n\nc", 12) << "a|b";
        QTest::newRow("bad UTF-8") << QByteArray("\xFF\n\n\xC3\xA9") << QString::fromUtf8("\xEF\xBF\xBD|\xC3\xA9");
        QTest::newRow("nothing") << QByteArray("\r\n\n\r") << "";
    }
    void splitting()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, blocks);
        QCOMPARE(SplitSrtBlocks(bytes).join(QLatin1Char('|')).replace(QLatin1Char('\r'), QStringLiteral("\\r"))
                     .replace(QLatin1Char('\n'), QStringLiteral("\\n")), blocks);
    }

    // A video's subtitle sample as a block: the cue rounded from the exact
    // start and end (29.97 frames a second: 1001 of 30000; halves go up),
    // the text up to a NUL without its last line ends; an empty sample none.
    void videoSampleBlocks_data()
    {
        QTest::addColumn<qint64>("start");
        QTest::addColumn<qint64>("duration");
        QTest::addColumn<int>("den");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("block");
        QTest::newRow("frame 1") << qint64(1001) << qint64(1001) << 30000 << QByteArray("a\r\nb\n\n") << "7\n00:00:00,033 --> 00:00:00,067\na\r\nb";
        QTest::newRow("frame 2") << qint64(2002) << qint64(1001) << 30000 << QByteArray("a\0b", 3) << "7\n00:00:00,067 --> 00:00:00,100\na";
        QTest::newRow("half up") << qint64(1) << qint64(2) << 2000 << QByteArray("x") << "7\n00:00:00,001 --> 00:00:00,002\nx";
        QTest::newRow("100 hours") << qint64(360000) << qint64(1) << 1 << QByteArray("x") << "7\n100:00:00,000 --> 100:00:01,000\nx";
        QTest::newRow("filler") << qint64(0) << qint64(5) << 1000 << QByteArray("\r\n") << "";
    }
    void videoSampleBlocks()
    {
        QFETCH(qint64, start);
        QFETCH(qint64, duration);
        QFETCH(int, den);
        QFETCH(QByteArray, text);
        QFETCH(QString, block);
        QCOMPARE(VideoSampleBlock(7, {start, duration, 1, den, text.constData(), int(text.size())}), block);
    }

    // A log read piece by piece (as files are read) is cut into the same
    // blocks as the whole log at once, wherever the pieces end: inside a
    // CR LF, a UTF-8 sequence, a mark or a long block.
    void splittingPieceByPiece()
    {
        std::mt19937 random(7);
        const char* parts[] = {"\r\n", "\n", "\r", "\r\n\r\n", "\n\n", "\xEF\xBB\xBF", "\xC3\xA9", "\xE2\x82", "GPS(1.5,2,", "x", "\0"};
        for (int run = 0; run < 3000; ++run) {
            QByteArray log;
            for (int n = random() % 40; n > 0; --n)
                log += parts[random() % (run % 2 ? 11 : 10)];
            QStringList pieces;
            BlockSplitter splitter([&](const QString& block) {
                pieces << block;
                return true;
            });
            for (int at = 0;;) {
                const int size = std::min<int>(random() % 5, log.size() - at);
                if (!splitter.Feed(log.constData() + at, size, at + size == log.size() && random() % 2))
                    break;
                at += size;
            }
            QCOMPARE(pieces, SplitSrtBlocks(log));
        }
    }

    // A log read in pieces side by side, as files are read, holds what
    // reading its blocks one after the other gives, wherever the pieces end:
    // every reference log, and logs that change layout, continue a block
    // over an empty line (the H20's tails), end lines with a lone CR, or
    // hold a mark or a NUL inside.
    void readingInPieces_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("format");
        for (const QString& folder : QDir(QStringLiteral(TEST_DATA_DIR "/reference")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            const QString log = QStringLiteral(TEST_DATA_DIR "/reference/%1/flight.SRT").arg(folder);
            if (QFile::exists(log))
                QTest::newRow(qPrintable(folder)) << ReadFile(log) << AutomaticFormatId();
        }
        const QByteArray h20 = ReadFile(QStringLiteral(TEST_DATA_DIR "/reference/layout-d-h20/flight.SRT"));
        QTest::newRow("h20 as D") << h20 << QStringLiteral("D");
        const QByteArray a = ReadFile(QStringLiteral(TEST_DATA_DIR "/reference/placeholders-a/flight.SRT"));
        QTest::newRow("A by the patterns") << a << PatternsFormatId();
        QByteArray c = ReadFile(QStringLiteral(TEST_DATA_DIR "/reference/layout-c-p4p/flight.SRT"));
        QTest::newRow("lone CR") << c.replace("\r\n", "\r").replace('\n', '\r') << AutomaticFormatId();
        // A counter alone is a block the ID pattern takes, unless a mark
        // stands before it.
        QByteArray marked = a.left(a.indexOf("\n\n") + 2);
        for (int i = 0; i < 60; ++i)
            marked += "\xEF\xBB\xBF" + QByteArray::number(i) + "\n\n" + QByteArray::number(i) + "\n\n";
        QTest::newRow("marks inside") << marked << AutomaticFormatId();
        QTest::newRow("NUL inside") << QByteArray(a).insert(a.size() / 2, '\0') << AutomaticFormatId();
        const QString joined = m_dir.filePath(QStringLiteral("joined.SRT"));
        RunProgram({QStringLiteral("python3"), QStringLiteral(GENERATOR_PATH), QStringLiteral("--duration"), QStringLiteral("40"),
                    QStringLiteral("--then"), QStringLiteral("--family D --variant h20 --duration 3 --then '--family C --duration 30'"),
                    joined});
        QTest::newRow("A, then H20, then C") << ReadFile(joined) << AutomaticFormatId();
    }
    void readingInPieces()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, format);
        const InputPatterns patterns = InputPatterns::Defaults();
        const FlightLog inOrder = ParseLog(bytes, patterns, format);
        const std::pair<int, int> sizes[] = {{1, 1}, {5, 3}, {100, 37}, {700, 300}, {kFirstLogPieceBytes, kLogPieceBytes}};
        for (const auto& size : sizes) {
            if (size.second < 10 && bytes.size() > 10000)
                continue;
            QBuffer device(&bytes);
            device.open(QIODevice::ReadOnly);
            LogParser parser(patterns, format);
            QVERIFY(ReadLogBlocks(device, parser, 2, size.first, size.second));
            const QString difference = LogDifference(parser.Finish(), inOrder);
            QVERIFY2(difference.isEmpty(), qPrintable(QStringLiteral("pieces of %1: ").arg(size.second) + difference));
        }
    }

    // D5: whatever byte the device stops at, failed or short, every writer
    // reports it, writes nothing after it, and what arrived is a prefix.
    void writeFailuresAreReported()
    {
        Flight flight;
        flight.Log.Records.resize(12);
        flight.Points.resize(12);
        for (int i = 0; i < 12; ++i) {
            FlightRecord& r = flight.Log.Records[i];
            r.Lat = r.Lon = flight.Points[i].Lat = flight.Points[i].HeightM = i + 1;
            r.Has = FlightRecord::HasPosition | FlightRecord::HasHeight;
            flight.Points[i].UtcMs = 1561034096000 + 1000 * i;
        }
        for (const OutputKind& kind : OutputKinds()) {
            QBuffer whole;
            whole.open(QIODevice::WriteOnly);
            QVERIFY(kind.Write(flight, DefaultOutputPattern(), &whole));
            const QByteArray& expected = whole.data();
            for (qint64 room = 0; room <= expected.size(); ++room) {
                for (const bool shortWrite : {false, true}) {
                    FullDevice device(room, shortWrite);
                    QVERIFY2(kind.Write(flight, DefaultOutputPattern(), &device) == (room == expected.size()),
                             qPrintable(QStringLiteral("%1 at %2").arg(QLatin1String(kind.Id)).arg(room)));
                    QVERIFY(expected.startsWith(device.written) && device.writesAfterFull == 0);
                }
            }
        }
    }

    // The subtitle file rendered in runs side by side is the one-piece
    // rendering, with every placeholder, per frame and once a second, with
    // a privacy zone; a device that stops takes a prefix and nothing after.
    void subtitlesSideBySide()
    {
        QString everyPlaceholder;
        for (const PlaceholderInfo& placeholder : Placeholders())
            everyPlaceholder += QLatin1String(placeholder.Name) + QStringLiteral(" |");
        for (const QString& family : {QStringLiteral("D"), QStringLiteral("A")}) {
            const QString log = m_dir.filePath(family + QStringLiteral(".SRT"));
            RunProgram({QStringLiteral("python3"), QStringLiteral(GENERATOR_PATH), QStringLiteral("--family"), family,
                        QStringLiteral("--blocks"), QStringLiteral("5000"), QStringLiteral("--path"), QStringLiteral("orbit"), log});
            Flight flight = DeriveFlight(ParseLog(ReadFile(log), InputPatterns::Defaults(), AutomaticFormatId()), {0, 0.0, false});
            SetUtcTimes(flight, QTimeZone::utc());
            QCOMPARE(flight.Points.size(), std::size_t(5000));
            for (const double radius : {0.0, 25.0}) {
                flight.PrivacyRadiusM = radius;
                for (const QString& pattern : {DefaultOutputPattern(), everyPlaceholder}) {
                    const QByteArray whole = RenderSrtBlocks(flight, pattern);
                    QBuffer buffer;
                    buffer.open(QIODevice::WriteOnly);
                    QVERIFY(WriteSrtBlocks(flight, pattern, &buffer, 2));
                    QVERIFY2(buffer.data() == whole, qPrintable(family));
                    for (const qint64 room : {qint64(0), qint64(whole.size() / 3), qint64(whole.size() - 1)}) {
                        FullDevice device(room, room % 2 != 0);
                        QVERIFY(!WriteSrtBlocks(flight, pattern, &device, 2));
                        QVERIFY(whole.startsWith(device.written) && device.writesAfterFull == 0);
                    }
                }
            }
        }
    }

    // A flight derived on two threads (the estimate's windows, the passes'
    // steps and distances from home in ranges) is the flight derived on
    // one, bit for bit, the way summed across the windows too.
    void derivingSideBySide_data()
    {
        QTest::addColumn<QString>("generator");
        QTest::addColumn<int>("smoothing");
        QTest::addColumn<int>("recordings");
        QTest::newRow("per frame, estimated in windows") << "--family D --blocks 36000 --path orbit" << 5 << 1;
        QTest::newRow("once a second, the passes") << "--blocks 3000 --path orbit" << 5 << 1;
        QTest::newRow("once a second, unsmoothed") << "--blocks 3000" << 0 << 1;
        QTest::newRow("hovering on a cell border, no fix over the first half") << "--blocks 3000 --path hover --wander 2 --no-fix 1600" << 0 << 1;
        QTest::newRow("two recordings") << "--blocks 2000 --then --family_C_--blocks_2000" << 5 << 2;
    }
    void derivingSideBySide()
    {
        QFETCH(QString, generator);
        QFETCH(int, smoothing);
        QFETCH(int, recordings);
        const QString log = m_dir.filePath(QStringLiteral("derived.SRT"));
        QStringList command{QStringLiteral("python3"), QStringLiteral(GENERATOR_PATH), log};
        for (const QString& arg : generator.split(QLatin1Char(' ')))
            command << QString(arg).replace(QLatin1Char('_'), QLatin1Char(' '));
        QCOMPARE(RunProgram(command).exitCode, 0);
        FlightLog read = ParseLog(ReadFile(log), InputPatterns::Defaults(), AutomaticFormatId());
        // The fix lost over the middle, where the ranges meet: those records are filled from before it.
        const std::size_t middle = read.Records.size() / 2;
        for (std::size_t i = middle - 100; i < middle + 100; ++i)
            read.Records[i].Has = static_cast<std::uint8_t>(
                read.Records[i].Has & ~(FlightRecord::HasPosition | FlightRecord::HasHeight | FlightRecord::HasAltitude));
        TrackSettings settings;
        settings.SmoothingCount = smoothing;
        const Flight inOrder = DeriveFlight(read, settings);
        settings.Jobs = 2;
        const Flight sideBySide = DeriveFlight(read, settings);
        QVERIFY(inOrder.Points.size() >= 3000);
        QCOMPARE(int(inOrder.Recordings.size()), recordings);
        QCOMPARE(sideBySide.Points.size(), inOrder.Points.size());
        static_assert(sizeof(TrackPoint) == 9 * 8, "a track point without padding");
        QVERIFY(std::memcmp(sideBySide.Points.data(), inOrder.Points.data(), inOrder.Points.size() * sizeof(TrackPoint)) == 0);
        QCOMPARE(LogDifference(sideBySide.Log, inOrder.Log), QString());  // the records as filled
    }

    // A path across longitude 180 whose crossing lies in the privacy zone
    // (home 10.6 m west of it, the two records beside it 21 m from home):
    // the GeoJSON line ends before the crossing and the next starts after it.
    void geoJsonCrossingInPrivacyZone()
    {
        Flight flight;
        const double lons[] = {179.9999, 179.9996, 179.9997, -179.9999, -179.9998};
        for (const double lon : lons) {
            FlightRecord record;
            record.Lat = record.HomeLat = -16.8;
            record.Lon = lon;
            record.HomeLon = lons[0];
            record.Has = FlightRecord::HasPosition;
            flight.Log.Records.push_back(record);
            TrackPoint point;
            point.Lat = -16.8;
            point.Lon = lon;
            flight.Points.push_back(point);
        }
        flight.Recordings = {{0, 5}};
        flight.PrivacyRadiusM = 15.0;
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        QVERIFY(FindOutputKind(QStringLiteral("geojson"))->Write(flight, QString(), &buffer));
        QVERIFY2(buffer.data().contains(
                     R"("coordinates":[[[179.9996,-16.8],[179.9997,-16.8]],[[-179.9999,-16.8],[-179.9998,-16.8]]])"),
                 buffer.data().constData());
    }

    // Log times to UTC (data/utc_times.tsv: name, zone, local time, UTC; empty:
    // the zone is refused), worked out from the zones' rules.
    void utcTimes_data()
    {
        QTest::addColumn<QString>("zone");
        QTest::addColumn<QString>("local");
        QTest::addColumn<QString>("utc");
        for (const QByteArray& line : ReadFile(QStringLiteral(TEST_DATA_DIR "/utc_times.tsv")).split('\n')) {
            const QStringList row = QString::fromUtf8(line).split(QLatin1Char('\t'));
            if (row.size() == 4)
                QTest::newRow(qPrintable(row[0])) << row[1] << row[2] << row[3];
        }
    }

    void utcTimes()
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

    // A log across a change of the clocks (data/clock_changes.tsv: name,
    // zone, first date, UTC and local time four seconds on), with cues and
    // without (the cues taken from the dates), is one recording whose UTC
    // times run on a second a block and whose local times are the zone's.
    void clockChanges_data()
    {
        QTest::addColumn<QString>("zone");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("utc");
        QTest::addColumn<QString>("local");
        QTest::addColumn<QStringList>("layout");
        for (const QByteArray& line : ReadFile(QStringLiteral(TEST_DATA_DIR "/clock_changes.tsv")).split('\n')) {
            const QStringList row = QString::fromUtf8(line).split(QLatin1Char('\t'));
            if (row.size() != 5)
                continue;
            for (const char* layout : {"A", "D --variant mavic2 --fps 1 --no-cues"})
                QTest::newRow(qPrintable(row[0] + QStringLiteral(", ") + QLatin1String(layout)))
                    << row[1] << row[2] << row[3] << row[4] << QString::fromLatin1(layout).split(QLatin1Char(' '));
        }
    }

    void clockChanges()
    {
        QFETCH(QString, zone);
        QFETCH(QString, first);
        QFETCH(QString, utc);
        QFETCH(QString, local);
        QFETCH(QStringList, layout);
        QTemporaryDir dir;
        ConversionRequest request;
        request.InputName = dir.filePath(QStringLiteral("f.SRT"));
        request.TimeZone = zone;
        RunProgram(QStringList{QStringLiteral("python3"), QStringLiteral(GENERATOR_PATH), request.InputName,
                               QStringLiteral("--duration"), QStringLiteral("5"), QStringLiteral("--time-zone"), zone,
                               QStringLiteral("--start-time"), QString(first).replace(QLatin1Char('T'), QLatin1Char(' ')),
                               QStringLiteral("--family")} + layout);
        const Flight flight = Convert(request).Flight;
        QCOMPARE(flight.Points.size(), size_t(5));
        QCOMPARE(flight.Recordings.size(), size_t(1));
        QCOMPARE(flight.Log.Records.back().CueStartMs, qint64(4000));
        const auto iso = [](qint64 ms) { return QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC).toString(Qt::ISODate); };
        const TrackPoint& last = flight.Points.back();
        QCOMPARE(iso(last.UtcMs - last.UtcMs % 1000), utc);
        QCOMPARE(iso(last.LocalMs - last.LocalMs % 1000).chopped(1), local);
        for (size_t i = 1; i < flight.Points.size(); ++i)
            QCOMPARE(flight.Points[i].UtcMs - flight.Points[i - 1].UtcMs, qint64(1000));
    }

    // Blocks without cues whose dates repeat share the time to the next date
    // evenly: no cue is empty, none repeats.
    void repeatedDatesShareTheirSecond()
    {
        QByteArray log;
        for (const char* date : {"12:00:00", "12:00:00", "12:00:00", "12:00:01", "12:00:02", "12:00:02"})
            log += QByteArray("1\n2023.10.29 ") + date + "\n[latitude : -20.2533] [longtitude : 149.0251]\n\n";
        const FlightLog read = ParseLog(log, InputPatterns::Defaults(), AutomaticFormatId());
        const qint64 starts[] = {0, 333, 666, 1000, 2000, 2500};
        QCOMPARE(read.Records.size(), size_t(6));
        for (size_t i = 0; i < 6; ++i) {
            QCOMPARE(read.Records[i].CueStartMs, starts[i]);
            QCOMPARE(read.Records[i].CueEndMs(), i + 1 < 6 ? starts[i + 1] : 3000);
        }
    }

    // Cue ends of any length read back as written (a per-frame layout reads
    // its whole cue line): beyond 2^31 - 1 ms (596:31:23,647) they do not
    // fit where a record keeps its cue end, and are kept apart.
    void longCuesReadBack()
    {
        const qint64 hour = 3600000;
        const struct {
            const char* cue;
            qint64 endMs;
        } cases[] = {{"00:00:00,000 --> 00:00:01,000", 1000},
                     {"00:00:00,000 --> 596:31:23,647", 2147483647},
                     {"00:00:00,000 --> 596:31:23,648", 2147483648},
                     {"00:00:00,000 --> 999:59:59,999", 1000 * hour - 1},
                     {"700:00:00,000 --> 00:00:01,000", 1000}};
        QByteArray log;
        for (const auto& c : cases)
            log += QByteArray("1\n") + c.cue + "\n2019-06-20 12:34:56.104\n[latitude: -34.603708] [longitude: -58.381600]\n\n";
        const FlightLog read = ParseLog(log, InputPatterns::Defaults(), AutomaticFormatId());
        QCOMPARE(read.Records.size(), std::size(cases));
        for (std::size_t i = 0; i < std::size(cases); ++i)
            QCOMPARE(read.Records[i].CueEndMs(), cases[i].endMs);
        QCOMPARE(read.Records[4].CueStartMs, 700 * hour);
    }
};

QTEST_GUILESS_MAIN(TestCore)
#include "test_core.moc"
