// The camera fields as each layout spells them, the placeholders whose empty
// text would join their neighbours, and the privacy zone in the outputs that
// the reference cases do not cover.
#include "input/CameraFields.h"
#include "input/LogReader.h"
#include "output/Outputs.h"
#include "output/Placeholders.h"
#include "output/PrivacyZone.h"
#include "output/SrtWriter.h"
#include "track/GreatCircle.h"
#include "track/TrackPasses.h"
#include "support/Support.h"

#include <QBuffer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <tuple>

class TestOverlay : public QObject {
    Q_OBJECT

private slots:
    // The texts of {ISO} to {DigitalZoom}, "|"-separated.
    void cameraFields_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("comma");
        QTest::addColumn<QString>("texts");
        QTest::newRow("Mavic Pro, EV blank") << "ISO:100 Shutter:60 EV: Fnum:2.2" << false << "100|1/60||2.2|||";
        QTest::newRow("TV and IR") << "ISO:100 TV:60 EV: 0 IR:F2.8" << false << "100|1/60|0|2.8|||";
        QTest::newRow("thirds") << "ISO:400 Shutter:1000 EV:-1/3 Fnum:F2.8" << false << "400|1/1000|-1/3|2.8|||";
        QTest::newRow("comma") << "F/3.2, SS 160, ISO 100, EV +0.7, DZOOM 2.500, GPS (1, 2, 3)" << true << "100|1/160|+0.7|3.2|||2.5";
        QTest::newRow("comma, no camera") << "GPS (1, 2, 3), D 4.00m" << true << "||||||";
    }
    void cameraFields()
    {
        QFETCH(QString, line);
        QFETCH(bool, comma);
        QFETCH(QString, texts);
        CameraSettings camera;
        comma ? ReadCommaCameraFields(line, camera) : ReadColonCameraFields(line, camera);
        QStringList got;
        for (const Placeholder p : {Placeholder::Iso, Placeholder::Shutter, Placeholder::Ev, Placeholder::FNumber,
                                    Placeholder::FocalLength, Placeholder::ColorTemp, Placeholder::DigitalZoom})
            got << QString::fromLatin1(CameraText(p, camera));
        QCOMPARE(got.join(QLatin1Char('|')), texts);
    }

    // Bracketed fields in both scales (hundredths and tenths without a
    // point). An empty {ISO} joins its neighbours into a name: {Lat}, replaced
    // after it, gives the latitude; {GPS}, replaced before it, stays text.
    void bracketFieldsAndJoins_data()
    {
        QTest::addColumn<QString>("block");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("text");
        const QString scaled = QStringLiteral("1\n00:00:00,000 --> 00:00:00,033\n[iso : 100] [shutter : 1/500.0] "
                                              "[fnum : 280] [ct : 5600] [focal_len : 240] [latitude : 45.5] [longtitude : 2.25]");
        const QString written = QStringLiteral("1\n00:00:00,000 --> 00:00:00,033\n[fnum: 2.8] [focal_len: 24.00] "
                                               "[dzoom_ratio: 10000, delta:0],[latitude: 45.5] [longitude: 2.25]");
        QTest::newRow("scaled") << scaled << "{ISO} {Shutter} f/{FNumber} {FocalLength}mm {ColorTemp}K" << "100 1/500 f/2.8 24mm 5600K";
        QTest::newRow("as written") << written << "f/{FNumber} {FocalLength}mm x{DigitalZoom} [{ISO}]" << "f/2.8 24mm x1 []";
        QTest::newRow("empty joins a later name") << written << "{{ISO}Lat}" << "45.500000";
        QTest::newRow("empty joins an earlier name") << written << "{{ISO}GPS}" << "{GPS}";
    }
    void bracketFieldsAndJoins()
    {
        QFETCH(QString, block);
        QFETCH(QString, pattern);
        QFETCH(QString, text);
        const Flight flight = DeriveFlight(ParseLog(block.toUtf8(), InputPatterns::Defaults(), QStringLiteral("D")), {});
        QCOMPARE(QString::fromUtf8(RenderSrtBlocks(flight, pattern)), text);
        QCOMPARE(RenderSrtRecord(flight, 0, pattern), text);
    }

    // A generated flight with a zone, through velloa-cli: no output (and not
    // the summary) writes a position within the radius of home, measured
    // here from the coordinates as written, so neither the home point; a
    // pattern with {Distance} prints no position at all; the GeoJSON's
    // figures stay those of the whole flight. A card of clips: every clip's
    // outputs and the whole flight's.
    void privacyZone_data()
    {
        QTest::addColumn<QString>("generator");
        QTest::addColumn<double>("radius");
        QTest::addColumn<QByteArray>("pattern");  // empty: the built-in one
        const QByteArray marked("G {GPS}\nL {Lat} {Lon}\nH {Home}\n\n");
        QTest::newRow("A walk") << "--family=A --duration=300" << 150.0 << marked;
        QTest::newRow("D line, per frame") << "--family=D --fps=25 --duration=40 --path=line" << 60.0 << marked;
        QTest::newRow("C Mini 2, built-in pattern") << "--family=C --variant=mini2 --duration=200" << 100.0 << QByteArray();
        QTest::newRow("D card of three clips") << "--family=D --duration=60 --path=line --split=20" << 100.0 << marked;
    }
    void privacyZone()
    {
        QFETCH(QString, generator);
        QFETCH(double, radius);
        QFETCH(QByteArray, pattern);
        QTemporaryDir dir;
        const bool card = generator.contains(QLatin1String("--split"));
        const QString log = dir.filePath(card ? QStringLiteral("card") : QStringLiteral("flight.SRT"));
        const QString tsv = dir.filePath(QStringLiteral("records.tsv"));
        QVERIFY(!card || QDir(dir.path()).mkdir(QStringLiteral("card")));
        RunProgram(QStringList{QStringLiteral("python3"), QStringLiteral(GENERATOR_PATH), QStringLiteral("--records-out"), tsv,
                               card ? log + QStringLiteral("/DJI_") : log} + generator.split(QLatin1Char(' ')));
        const QList<QByteArray> first = ReadFile(tsv).split('\n').value(1).split('\t');  // home as logged, else the first fix
        const double homeLat = first[5] == "-" ? first[3].toDouble() : first[5].toDouble();
        const double homeLon = first[6] == "-" ? first[4].toDouble() : first[6].toDouble();
        QStringList cli{QStringLiteral(VELLOA_CLI_PATH), QStringLiteral("--all"), QStringLiteral("--time-zone=UTC"), log};
        if (!pattern.isEmpty() && WriteFile(dir.filePath(QStringLiteral("p.txt")), pattern))
            cli << QStringLiteral("--out-pattern-file=") + dir.filePath(QStringLiteral("p.txt"));
        const auto convert = [&](double radiusM, const QString& into) {
            const ProcessRun run = RunProgram(cli + QStringList{QStringLiteral("--privacy-radius=%1").arg(radiusM),
                                                               QStringLiteral("--output-dir=") + dir.filePath(into)});
            QCOMPARE(run.exitCode, 0);
            WriteFile(dir.filePath(into + QStringLiteral("/flight.stdout")), run.out);
        };
        convert(0.0, QStringLiteral("whole"));
        convert(radius, QStringLiteral("zone"));
        // The positions of the outputs of a kind as [lat, lon]: the captures of `re`, in that order or (lonFirst) the other.
        const auto positions = [&](const char* suffix, const char* re, bool lonFirst, const QString& into = QStringLiteral("zone")) {
            QList<std::pair<double, double>> found;
            QString text;
            for (const QString& name : Entries(dir.filePath(into))) {
                const bool track = name.endsWith(QLatin1String(".track.gpx"));
                if (name.endsWith(QLatin1Char('.') + QLatin1String(suffix)) && !(track && QLatin1String(suffix) == QLatin1String("gpx")))
                    text += QString::fromUtf8(ReadFile(dir.filePath(into + QLatin1Char('/') + name)));
            }
            for (auto m = QRegularExpression(QLatin1String(re)).globalMatch(text); m.hasNext();) {
                const QRegularExpressionMatch match = m.next();
                const double a = match.captured(1).toDouble(), b = match.captured(2).toDouble();
                found.append(lonFirst ? std::pair{b, a} : std::pair{a, b});
            }
            return found;
        };
        const char* number = "(-?[0-9]+\\.[0-9]+|nan)";
        const QString pair = QStringLiteral("%1%2%1").arg(QLatin1String(number));
        const struct { const char* suffix; QString re; bool lonFirst; bool some; } outputs[] = {
            {"gpx", QStringLiteral("lat=\"%1\" lon=\"%1\"").arg(QLatin1String(number)), false, true},
            {"track.gpx", QStringLiteral("lat=\"%1\" lon=\"%1\"").arg(QLatin1String(number)), false, true},
            {"kml", pair.arg(QStringLiteral("[, ]")).prepend(QLatin1String("[>\n]")), true, true},
            {"csv", pair.arg(QLatin1String(",")).prepend(QLatin1String("(?m)^[^,\n]*,[^,\n]*,[^,\n]*,")), false, true},
            {"geojson", pair.arg(QLatin1String(",")).prepend(QLatin1String("\\[")), true, true},
            {"sorned.srt", pair.arg(QLatin1String(",")).prepend(QLatin1String("G ")), true, !pattern.isEmpty()},
            {"sorned.srt", pair.arg(QLatin1String(" ")).prepend(QLatin1String("L ")), false, !pattern.isEmpty()},
            {"sorned.srt", pair.arg(QLatin1String(",")).prepend(QLatin1String("(?:GPS:|H )")), true, false},  // built-in, {Home}
            {"stdout", pair.arg(QLatin1String(", ")).prepend(QLatin1String("GPS: ")), false, card},  // a later clip's first
        };
        for (const auto& output : outputs) {
            const auto found = positions(output.suffix, qPrintable(output.re), output.lonFirst);
            QVERIFY2(output.some == !found.isEmpty(), output.suffix);
            for (const auto& [lat, lon] : found)
                QVERIFY2(HaversineDistance(homeLat, homeLon, lat, lon) > radius,
                         qPrintable(QStringLiteral("%1: %2, %3").arg(QLatin1String(output.suffix)).arg(lat).arg(lon)));
        }
        const QByteArray summary = ReadFile(dir.filePath(QStringLiteral("zone/flight.stdout")));
        QCOMPARE(summary.contains("Privacy zone: positions left out of the subtitles, which print distances from home\n"), pattern.isEmpty());
        int inside = 0;  // the logged positions in the zone: those of the CSV without one
        for (const auto& [lat, lon] : positions("csv", qPrintable(outputs[3].re), false, QStringLiteral("whole")))
            inside += !(HaversineDistance(homeLat, homeLon, lat, lon) > radius);
        QVERIFY(inside > 0 && (card || summary.contains(QStringLiteral("Privacy: %1 positions within %2 m of home left out\n").arg(inside).arg(radius).toUtf8())));
        const auto figures = [&](const QString& file) {
            QJsonObject properties = QJsonDocument::fromJson(ReadFile(dir.filePath(file)))
                                         .object()[QStringLiteral("features")].toArray()[0].toObject()[QStringLiteral("properties")].toObject();
            properties.remove(QStringLiteral("start_utc"));  // the written path's first and last times
            properties.remove(QStringLiteral("end_utc"));
            return properties;
        };
        for (const QString& name : Entries(dir.filePath(QStringLiteral("zone"))).filter(QStringLiteral(".geojson")))
            QCOMPARE(figures(QStringLiteral("zone/") + name), figures(QStringLiteral("whole/") + name));
    }

    // A log of two recordings (a line from home, its cues restarted halfway)
    // with a zone over the first points of the first one: the second still
    // starts a segment, the KML keeps the heights asked for, and the CSV
    // leaves out the distance from home.
    void privacyZoneRecordings()
    {
        const QString joined = QStringLiteral(TEST_DATA_DIR "/reference/restart-d-line/flight.SRT");
        Flight two = DeriveFlight(ReadFlightLog(joined, InputPatterns::Defaults(), AutomaticFormatId()).Log, {});
        two.PrivacyRadiusM = 5.0;
        two.Kml = KmlHeights::SeaLevel;
        const std::size_t gone = CountInPrivacyZone(two);
        QVERIFY(two.Recordings.size() == 2 && gone > 0 && gone < two.Recordings[1].First);
        for (const auto& [id, mark, count] : {std::tuple{"gpx-track", "<trkseg>", 2}, {"kml", "<altitudeMode>absolute<", 2},
                                              {"csv", "distance_home_m", 0}}) {
            QBuffer device;
            device.open(QIODevice::WriteOnly);
            QVERIFY(FindOutputKind(QLatin1String(id))->Write(two, QString(), &device));
            QCOMPARE(int(device.data().count(mark)), count);
        }
    }
};

QTEST_GUILESS_MAIN(TestOverlay)
#include "test_overlay.moc"
