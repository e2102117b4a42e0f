// The flight view after each press of either button: figures against the
// flight's known path, the drawn track against the map's own scale bar.
#include "window/SornLogic.h"
#include "support/Support.h"
#include "support/DialogDriver.h"
#include "input/LogReader.h"
#include "track/TrackPasses.h"
#include "window/FlightCharts.h"
#include "window/FlightPreview.h"
#include "window/FlightView.h"
#include "window/MapView.h"
#include "window/Playback.h"

#include <QComboBox>
#include <QPlainTextEdit>
#include <QSlider>
#include <QToolButton>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>
#include "window/MainWindowWidgets.h"

#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

namespace {

constexpr double kRadius = 6378200.0, kRad = 3.14159265358979323846 / 180.0, kHomeLat = -34.6;

// The flight in metres east and north of home: 5 m/s on bearing 60 degrees
// for 60 s, then on bearing 330; climbing 1 m/s to 30 m. Every step changes
// both coordinates, so every step counts for the way.
struct Point { double east, north, height; };
QVector<Point> KnownPath(int records)
{
    QVector<Point> path = {{0.0, 0.0, 0.0}};
    for (int s = 1; s < records; ++s) {
        const double bearing = (s <= 60 ? 60.0 : 330.0) * kRad;
        path.append({path.last().east + 5.0 * std::sin(bearing), path.last().north + 5.0 * std::cos(bearing),
                     std::min(30.0, double(s))});
    }
    return path;
}

// One block a second, cues from 0, dates from `start` seconds past noon.
QByteArray Log(const QVector<Point>& path, bool heights = true, int start = 0)
{
    QByteArray log;
    for (int i = 0; i < path.size(); ++i) {
        const QTime t = QTime(0, 0).addSecs(i);
        log += QStringLiteral("%1\n%2,000 --> %3,000\nHOME(-58.3800,-34.6000) 2019.06.20 %4\nGPS(%5,%6,17)%7\n\n")
                   .arg(i + 1).arg(t.toString(QStringLiteral("HH:mm:ss")), t.addSecs(1).toString(QStringLiteral("HH:mm:ss")))
                   .arg(QTime(12, 0).addSecs(start + i).toString(QStringLiteral("HH:mm:ss")))
                   .arg(-58.38 + path[i].east / (kRadius * kRad * std::cos(kHomeLat * kRad)), 0, 'f', 7)
                   .arg(kHomeLat + path[i].north / (kRadius * kRad), 0, 'f', 7)
                   .arg(heights ? QStringLiteral(" BAROMETER:%1").arg(path[i].height, 0, 'f', 1) : QString()).toUtf8();
    }
    return log;
}

QString FigureText(const FlightView* view, const char* name, bool numberOnly = false)
{
    const QString text = view->findChild<QLabel*>(QLatin1String(name))->text();
    return numberOnly ? text.section(QLatin1Char(' '), 0, 0) : text;
}
double Figure(const FlightView* view, const char* name) { return FigureText(view, name, true).toDouble(); }

}  // namespace

class TestFlightView : public QObject {
    Q_OBJECT

private slots:
    void eachPressShowsItsFlight()
    {
        QTemporaryDir dir;
        SornLogic logic;
        MainWindowWidgets* w = logic.Widgets;
        w->Window->resize(1300, 700);
        w->Window->show();
        DialogDriver driver;
        w->SmoothGpsEdit->setText(QStringLiteral("0"));  // positions as flown
        FlightView* view = w->FlightPane;
        QVERIFY(view->isHidden());
        for (const auto& [button, records] : {std::pair{w->WriteSrtButton, 101}, {w->WriteGpxButton, 31}}) {
            const QVector<Point> path = KnownPath(records);
            w->InFileNameEdit->setText(dir.filePath(QStringLiteral("f%1.SRT").arg(records)));
            QVERIFY(WriteFile(w->InFileNameEdit->text(), Log(path)));
            emit w->InFileNameEdit->editingFinished();
            QTest::mouseClick(button, Qt::LeftButton);
            QTRY_COMPARE(Figure(view, "RecordCountValue"), double(records));
            QVERIFY(view->isVisible());

            // From the path: steps of 5 m, one cue second per record.
            double farthest = 0, eastmost = 0, northmost = 0, eastOfNorthmost = 0;
            for (const Point& p : path) {
                farthest = std::max(farthest, std::hypot(p.east, p.north));
                eastmost = std::max(eastmost, p.east);
                if (p.north > northmost)
                    northmost = p.north, eastOfNorthmost = p.east;
            }
            QCOMPARE(FigureText(view, "FlightTimeValue"),
                     QStringLiteral("%1:%2 (%3 s)").arg(records / 60).arg(records % 60, 2, 10, QLatin1Char('0')).arg(records));
            QVERIFY(std::abs(Figure(view, "PathFlownValue") - 5.0 * (records - 1)) < 0.5
                    && std::abs(Figure(view, "MaxDistanceValue") - farthest) < 0.2);
            QVERIFY(Figure(view, "MaxHeightValue") == 30.0 && Figure(view, "TopSpeedValue") == 5.0);
            if (button == w->WriteSrtButton)  // the way written agrees with the path flown
                QCOMPARE(w->WayBeforeEdit->text(), FigureText(view, "PathFlownValue", true));

            // The track (saturated pixels, 3 px pen) against the scale bar (longest pure black run):
            // extent east and north, and its top where the path's northmost point lies (north up).
            const QImage map = view->Map->grab().toImage();
            QRect track;
            int topX = 0, bar = 0;
            for (int y = 0; y < map.height(); ++y) {
                for (int x = 0, run = 0; x < map.width(); ++x) {
                    const QColor c = map.pixelColor(x, y);
                    run = c == Qt::black ? run + 1 : 0;
                    bar = std::max(bar, run);
                    if (c.hsvSaturationF() > 0.5 && c.valueF() > 0.3) {
                        topX = track.isNull() ? x : topX;
                        track |= QRect(x, y, 1, 1);
                    }
                }
            }
            const double perMetre = bar / view->Map->ScaleBarMetres();
            const QString drawn = QStringLiteral("%1 x %2 px at %3 px/m").arg(track.width()).arg(track.height()).arg(perMetre);
            QVERIFY2(std::abs(track.width() - 3 - eastmost * perMetre) <= 4, qPrintable(drawn));
            QVERIFY2(std::abs(track.height() - 3 - northmost * perMetre) <= 4, qPrintable(drawn));
            QVERIFY2(std::abs(topX - track.left() - eastOfNorthmost * perMetre) <= 5, qPrintable(drawn));
        }

        // Playback over the last flight (31 records, one a second): the slider, 16x for a
        // second of wall time, the arrow keys; the figures, the subtitle from the pattern as
        // it stands, the marker on the map and the cursor on the charts follow.
        w->OutPatternEdit->setPlainText(QStringLiteral("#{ID} {Way} m"));
        const QVector<Point> path = KnownPath(31);
        PlaybackBar* play = view->Playback;
        const double before = w->WayBeforeEdit->text().toDouble();  // the first flight's path
        play->RateCombo->setCurrentIndex(play->RateCombo->findData(16));
        const std::vector<std::pair<std::function<void()>, int>> steps = {
            {[&] { play->SetIndex(10); }, 10}, {[&] { play->Advance(1000); }, 26},
            {[&] { QTest::keyClick(play->Slider, Qt::Key_Left); }, 25}, {[&] { QTest::keyClick(play->Slider, Qt::Key_Right); }, 26},
            {[&] { play->SetPlaying(true); play->Advance(5000); }, 30}};
        for (const auto& [step, index] : steps) {
            step();
            QCOMPARE(play->Index(), index);
            QCOMPARE(FigureText(view, "MomentTimeValue"), QStringLiteral("0:%1 (%2 s)").arg(index, 2, 10, QLatin1Char('0')).arg(index));
            QCOMPARE(Figure(view, "MomentHeightValue"), path[index].height);
            QVERIFY(std::abs(Figure(view, "MomentDistanceValue") - std::hypot(path[index].east, path[index].north)) < 0.2);
            QCOMPARE(view->SubtitlePreview->toPlainText(), QStringLiteral("#%1 %2 m").arg(index + 1).arg(before + 5 * index, 0, 'f', 1));
            const QPointF at = view->Map->PointAt(index);
            const QImage map = view->Map->grab().toImage();
            const int ring = std::min(map.pixelColor(int(at.x() + 8), int(at.y())).value(), map.pixelColor(int(at.x() + 9), int(at.y())).value());
            QVERIFY2(ring < 40, qPrintable(QString::number(ring)));  // the marker's black ring
            auto* cursor = qobject_cast<QtCharts::QLineSeries*>(view->SpeedChart->chart()->series().value(1));
            QVERIFY(cursor && cursor->count() == 2 && cursor->at(0).x() == index);
        }
        QVERIFY(!play->Playing());  // stopped at the end

        // The picture: a PNG of map, figures and charts; an unwritable name is refused.
        const QString png = dir.filePath(QStringLiteral("flight.png"));
        QVERIFY(view->SavePicture(png));
        QCOMPARE(QImage(png).size(), view->Picture->size());
        QVERIFY(!view->SavePicture(dir.filePath(QStringLiteral("missing/flight.png"))));

        // With a privacy zone of 52 m the picture leaves out the points 0 to 10 (5 m apart
        // along a line from home), the lines to them and the home point; the view itself
        // keeps them all.
        const QString shared = dir.filePath(QStringLiteral("shared.png"));
        QVERIFY(view->SavePicture(shared, 52.0));
        const QImage zoned(shared), own = view->Picture->grab().toImage();
        const QPoint offset = view->Map->mapTo(view->Picture, QPoint(0, 0));
        auto count = [&](const QImage& image, int index, bool dark) {
            const QPoint at = view->Map->PointAt(index).toPoint() + offset;
            int n = 0;
            for (int y = at.y() - 14; y <= at.y() + 14; ++y)
                for (int x = at.x() - 14; x <= at.x() + 14; ++x) {
                    const QColor c = image.pixelColor(x, y);
                    n += dark ? c.value() < 60 : c.saturation() > 120;  // markers black, the track in colour
                }
            return n;
        };
        QVERIFY(count(own, 0, true) > 40 && count(own, 5, false) > 10);
        QCOMPARE(count(zoned, 0, true), 0);
        QCOMPARE(count(zoned, 5, false), 0);
        QVERIFY(count(zoned, 20, false) > 10 && count(zoned, 20, false) == count(own, 20, false));
        QTRY_VERIFY(!logic.Preview->Busy());
        QTest::mouseClick(view->HideButton, Qt::LeftButton);
        QVERIFY(view->isHidden());
        emit w->InFileNameEdit->editingFinished();  // the same log again shows it again
        QTRY_VERIFY(view->isVisible());
    }

    // The view alone: a 31 s flight played, clicked and followed; then one of two recordings
    // without heights, read from a video.
    void seekFollowAndWhatTheLogGives()
    {
        QTemporaryDir dir;
        auto flight = [&](const QByteArray& log) {
            WriteFile(dir.filePath(QStringLiteral("f.SRT")), log);
            return DeriveFlight(ReadFlightLog(dir.filePath(QStringLiteral("f.SRT")), InputPatterns::Defaults(), AutomaticFormatId()).Log, {});
        };
        FlightView view;
        view.resize(1000, 700);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        view.ShowFlight(flight(Log(KnownPath(31))), dir.filePath(QStringLiteral("f.SRT")));
        PlaybackBar* play = view.Playback;

        // The slider ends where the last block does (31 s), and a click beside the handle
        // moves one second of flight: here one record.
        QCOMPARE(play->TimeLabel->text(), QStringLiteral("0:00 / 0:31"));
        QTest::mouseClick(play->Slider, Qt::LeftButton, {}, QPoint(play->Slider->width() - 4, play->Slider->height() / 2));
        QCOMPARE(play->Index(), 1);
        play->Advance(60000);
        QCOMPARE(play->TimeLabel->text(), QStringLiteral("0:30 / 0:31"));

        // A click on the track, or on a chart at 20.5 s, shows that moment.
        QTest::mouseClick(view.Map, Qt::LeftButton, {}, view.Map->PointAt(12).toPoint());
        QCOMPARE(play->Index(), 12);
        QtCharts::QChart* chart = view.SpeedChart->chart();
        const QPointF at = chart->mapToScene(chart->mapToPosition(QPointF(20.5, 2.0), chart->series().value(0)));
        QTest::mouseClick(view.SpeedChart->viewport(), Qt::LeftButton, {}, view.SpeedChart->mapFromScene(at));
        QCOMPARE(play->Index(), 20);

        // Zoomed in on the start, the marker played to the end leaves the map unless it is followed.
        for (bool follow : {false, true}) {
            play->SetIndex(0);
            view.Map->FollowButton->setChecked(follow);
            view.Map->ZoomBy(4, view.Map->PointAt(0));
            QVERIFY(view.Map->rect().contains(view.Map->PointAt(0).toPoint()));
            play->Advance(29000);
            QCOMPARE(play->Index(), 29);
            QCOMPARE(view.Map->rect().contains(view.Map->PointAt(29).toPoint()), follow);
            view.Map->FitFlight();
        }

        // Two recordings (the cues start again, the dates 9 s later), no heights, from a video.
        Flight two = flight(Log(KnownPath(31), false) + Log(KnownPath(20), false, 40));
        two.Log.Source = FlightLog::ReadFrom::VideoTrack;
        view.ShowFlight(two, dir.filePath(QStringLiteral("DJI_0002.MP4")));
        QCOMPARE(view.FileLabel->text(), QStringLiteral("DJI_0002.MP4, read from the video's subtitle track"));
        QCOMPARE(FigureText(&view, "MaxHeightValue"), QStringLiteral("No heights in the log"));
        QVERIFY(view.HeightChart->isHidden() && view.Charts->NoHeightsLabel->isVisible());
        QList<int> lines;  // the distance chart's lines but the cursor (the second series)
        const QList<QtCharts::QAbstractSeries*> series = view.DistanceChart->chart()->series();
        for (int i = 0; i < series.size(); ++i)
            if (i != 1)
                lines << qobject_cast<QtCharts::QLineSeries*>(series[i])->count();
        QCOMPARE(lines, (QList<int>{31, 20}));
    }
};

QTEST_MAIN(TestFlightView)
#include "test_flight_view.moc"
