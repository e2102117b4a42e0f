// The flight view after reading a simulated flight with either button: the
// figures against values worked out from the flight's known path, the drawn
// track against the map's own scale bar, and "Save picture".
#include "app/SornLogic.h"
#include "support/DialogDriver.h"
#include "ui/FlightView.h"
#include "ui/MainWindowWidgets.h"

#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <memory>

namespace {

constexpr double kDegree = 6378200.0 * 3.14159265358979323846 / 180.0;  // metres per degree of latitude
constexpr double kHomeLat = -34.6, kHomeLon = -58.38;

// The flight, in metres east and north of home: 60 s at 5 m/s on bearing
// 60 degrees, then 40 s at 5 m/s on bearing 330; climbing 1 m/s to 30 m.
// Every step changes both coordinates, so every step counts for the way.
struct Point {
    double east, north, height;
};
QVector<Point> KnownPath()
{
    QVector<Point> path = {{0.0, 0.0, 0.0}};
    for (int s = 1; s <= 100; ++s) {
        const double bearing = (s <= 60 ? 60.0 : 330.0) * kDegree / 6378200.0;
        path.append({path.last().east + 5.0 * std::sin(bearing), path.last().north + 5.0 * std::cos(bearing),
                     std::min(30.0, double(s))});
    }
    return path;
}

QByteArray Log(const QVector<Point>& path)
{
    QByteArray log;
    for (int i = 0; i < path.size(); ++i) {
        const QTime t = QTime(0, 0).addSecs(i);
        const double lat = kHomeLat + path[i].north / kDegree;
        const double lon = kHomeLon + path[i].east / (kDegree * std::cos(kHomeLat * kDegree / 6378200.0));
        log += QStringLiteral("%1\n%2,000 --> %3,000\nHOME(-58.3800,-34.6000) 2019.06.20 12:00:00\n"
                              "GPS(%4,%5,17) BAROMETER:%6\n\n")
                   .arg(i + 1).arg(t.toString(QStringLiteral("HH:mm:ss")), t.addSecs(1).toString(QStringLiteral("HH:mm:ss")))
                   .arg(lon, 0, 'f', 7).arg(lat, 0, 'f', 7).arg(path[i].height, 0, 'f', 1).toUtf8();
    }
    return log;
}

// The number a figure starts with.
double Figure(const FlightView* view, const char* name)
{
    return view->findChild<QLabel*>(QLatin1String(name))->text().section(QLatin1Char(' '), 0, 0).toDouble();
}

}  // namespace

class TestFlightView : public QObject {
    Q_OBJECT

private slots:
    void figuresAndTrackMatchTheFlight_data()
    {
        QTest::addColumn<QString>("button");
        QTest::newRow("subtitle file") << QStringLiteral("WriteSrtButton");
        QTest::newRow("GPX route") << QStringLiteral("WriteGpxButton");
    }
    void figuresAndTrackMatchTheFlight()
    {
        QFETCH(QString, button);
        QTemporaryDir dir;
        const QVector<Point> path = KnownPath();
        QFile log(dir.filePath(QStringLiteral("flight.SRT")));
        QVERIFY(log.open(QIODevice::WriteOnly) && log.write(Log(path)) > 0);
        log.close();
        SornLogic logic;
        MainWindowWidgets* w = logic.Widgets;
        w->Window->resize(1300, 700);
        w->Window->show();
        DialogDriver driver;
        w->InFileNameEdit->setText(log.fileName());
        emit w->InFileNameEdit->editingFinished();
        w->SmoothGpsEdit->setText(QStringLiteral("0"));  // positions as flown
        QVERIFY(w->FlightPane->isHidden());
        QTest::mouseClick(w->Window->findChild<QPushButton*>(button), Qt::LeftButton);
        QTRY_VERIFY(w->FlightPane->isVisible());

        // Figures worked out from the path: 100 steps of 5 m; the end is the
        // point farthest from home; the cues run from 0 s to 101 s.
        double farthest = 0.0;
        for (const Point& p : path)
            farthest = std::max(farthest, std::hypot(p.east, p.north));
        const FlightView* view = w->FlightPane;
        QCOMPARE(view->findChild<QLabel*>(QStringLiteral("FlightTimeValue"))->text(), QStringLiteral("1:41 (101 s)"));
        QCOMPARE(Figure(view, "RecordCountValue"), 101.0);
        QVERIFY(std::abs(Figure(view, "PathFlownValue") - 500.0) < 0.5);
        QVERIFY(std::abs(Figure(view, "MaxDistanceValue") - farthest) < 0.2);
        QCOMPARE(Figure(view, "MaxHeightValue"), 30.0);
        QCOMPARE(Figure(view, "TopSpeedValue"), 5.0);
        if (button == QLatin1String("WriteSrtButton"))  // the way written agrees with the path flown
            QCOMPARE(w->WayBeforeEdit->text(), view->findChild<QLabel*>(QStringLiteral("PathFlownValue"))->text().section(QLatin1Char(' '), 0, 0));

        // The drawn track (its saturated pixels) against the scale bar (the
        // longest run of pure black): extent east and north, and the top of
        // the track where the path's northmost point lies, north up.
        const QImage map = view->Map->grab().toImage();
        QRect track;
        int topX = 0, bar = 0;
        for (int y = 0; y < map.height(); ++y) {
            int run = 0;
            for (int x = 0; x < map.width(); ++x) {
                const QColor c = map.pixelColor(x, y);
                run = c == Qt::black ? run + 1 : 0;
                bar = std::max(bar, run);
                if (c.hsvSaturationF() > 0.5 && c.valueF() > 0.3) {
                    if (track.isNull())
                        topX = x;
                    track |= QRect(x, y, 1, 1);
                }
            }
        }
        const double pixelsPerMetre = bar / view->Map->ScaleBarMetres();
        const double eastmost = path[60].east, northmost = path.last().north;
        QVERIFY2(std::abs(track.width() - eastmost * pixelsPerMetre) <= 5, qPrintable(QString::number(track.width())));
        QVERIFY2(std::abs(track.height() - northmost * pixelsPerMetre) <= 5, qPrintable(QString::number(track.height())));
        QVERIFY(std::abs(topX - track.left() - path.last().east * pixelsPerMetre) <= 5);

        // The picture: a PNG of the map, figures and charts; a name that
        // cannot be written is refused.
        const QString png = dir.filePath(QStringLiteral("flight.png"));
        QVERIFY(view->SavePicture(png));
        QCOMPARE(QImage(png).size(), view->Picture->size());
        QVERIFY(!view->SavePicture(dir.filePath(QStringLiteral("missing/flight.png"))));
    }

    void nextPressShowsTheNextFlight()
    {
        QTemporaryDir dir;
        SornLogic logic;
        MainWindowWidgets* w = logic.Widgets;
        DialogDriver driver;
        for (int records : {101, 31}) {
            QFile log(dir.filePath(QStringLiteral("f%1.SRT").arg(records)));
            QVERIFY(log.open(QIODevice::WriteOnly) && log.write(Log(KnownPath().mid(0, records))) > 0);
            log.close();
            w->InFileNameEdit->setText(log.fileName());
            emit w->InFileNameEdit->editingFinished();
            QTest::mouseClick(w->WriteGpxButton, Qt::LeftButton);
            QTRY_COMPARE(Figure(w->FlightPane, "RecordCountValue"), double(records));
        }
        QTest::mouseClick(w->FlightPane->HideButton, Qt::LeftButton);
        QVERIFY(w->FlightPane->isHidden());
    }
};

QTEST_MAIN(TestFlightView)
#include "test_flight_view.moc"
