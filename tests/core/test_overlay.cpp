// The camera fields as each layout spells them, the placeholders whose empty
// text would join their neighbours, and the privacy zone in the outputs that
// the reference cases do not cover.
#include "input/CameraFields.h"
#include "input/LogReader.h"
#include "output/Outputs.h"
#include "output/Placeholders.h"
#include "output/PrivacyZone.h"
#include "conversion/ReadSummary.h"
#include "output/SrtWriter.h"
#include "track/TrackPasses.h"
#include "support/Support.h"

#include <QBuffer>
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

    // With a zone, no output holds the home point or a position inside it,
    // the CSV has no distance from home, and the summary counts what was
    // left out.
    void privacyZone()
    {
        const QString log = QStringLiteral(TEST_DATA_DIR "/reference/privacy-a/flight.SRT");
        Flight flight = DeriveFlight(ReadFlightLog(log, InputPatterns::Defaults(), AutomaticFormatId()).Log, {});
        flight.PrivacyRadiusM = 40.0;
        const std::size_t inside = CountInPrivacyZone(flight), rows = flight.Points.size() - inside;
        QVERIFY(inside > 0 && rows > 0);
        QVERIFY(BuildReadSummary(flight).contains(QStringLiteral("Privacy: %1 positions within 40 m of home left out\r\n").arg(inside)));
        for (const char* id : {"csv", "kml", "geojson", "gpx-track"}) {
            QBuffer device;
            device.open(QIODevice::WriteOnly);
            QVERIFY(FindOutputKind(QLatin1String(id))->Write(flight, QString(), &device));
            QVERIFY2(!device.data().contains("Home") && !device.data().contains("distance_home_m,"), id);
            if (QByteArray(id) == "csv")
                QCOMPARE(std::size_t(device.data().count("\r\n")), rows + 1);
        }
        const Flight kept = WithoutPrivacyZone(flight);
        for (const TrackPoint& point : kept.Points)
            QVERIFY(point.DistanceHomeM > 40.0);

        // A log of two recordings (a line from home, its cues restarted halfway): the zone
        // takes the first points of the first one; the second still starts a segment, and
        // the KML keeps the heights asked for.
        const QString joined = QStringLiteral(TEST_DATA_DIR "/reference/restart-d-line/flight.SRT");
        Flight two = DeriveFlight(ReadFlightLog(joined, InputPatterns::Defaults(), AutomaticFormatId()).Log, {});
        two.PrivacyRadiusM = 5.0;
        two.Kml = KmlHeights::SeaLevel;
        const std::size_t gone = CountInPrivacyZone(two);
        QVERIFY(two.Recordings.size() == 2 && gone > 0 && gone < two.Recordings[1].First);
        const Flight shared = WithoutPrivacyZone(two);
        QCOMPARE(shared.Recordings.size(), std::size_t(2));
        QCOMPARE(shared.Recordings[1].First, two.Recordings[1].First - gone);
        QCOMPARE(shared.Recordings[1].End, two.Points.size() - gone);
        for (const auto& [id, mark, count] : {std::tuple{"gpx-track", "<trkseg>", 2}, {"kml", "<altitudeMode>absolute<", 2}}) {
            QBuffer device;
            device.open(QIODevice::WriteOnly);
            QVERIFY(FindOutputKind(QLatin1String(id))->Write(two, QString(), &device));
            QCOMPARE(int(device.data().count(mark)), count);
        }
    }
};

QTEST_GUILESS_MAIN(TestOverlay)
#include "test_overlay.moc"
