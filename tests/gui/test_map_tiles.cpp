// Map tiles from a tile server on the loopback: asked for with Velloa's
// User-Agent, at most two at a time, drawn, taken from the disk cache on the
// next start, attributed; none asked for with "none"; a gone server leaves
// a note and no box.
#include "window/SornLogic.h"
#include "window/WindowStart.h"
#include "support/Support.h"
#include "window/FlightView.h"
#include "window/MainWindowWidgets.h"
#include "window/MapView.h"
#include "window/TileSource.h"

#include <QMessageBox>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

const QColor kTileColour(0x11, 0x99, 0x33);

// Serves every GET with one 256 px PNG of kTileColour, one request a connection.
struct TileServer : QObject {
    QTcpServer server;
    QStringList paths, agents;
    int open = 0, mostOpen = 0;
    QByteArray png;

    TileServer()
    {
        QImage tile(256, 256, QImage::Format_RGB32);
        tile.fill(kTileColour);
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        tile.save(&buffer, "PNG");
        server.listen(QHostAddress::LocalHost);
        connect(&server, &QTcpServer::newConnection, this, [this] {
            QTcpSocket* socket = server.nextPendingConnection();
            mostOpen = std::max(mostOpen, ++open);
            connect(socket, &QTcpSocket::disconnected, this, [this, socket] { --open; socket->deleteLater(); });
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
                const QByteArray request = socket->peek(socket->bytesAvailable());
                if (!request.contains("\r\n\r\n"))
                    return;
                socket->readAll();
                const QList<QByteArray> lines = request.split('\n');
                paths << QString::fromLatin1(lines.value(0).split(' ').value(1));
                for (const QByteArray& line : lines) {
                    if (line.toLower().startsWith("user-agent:"))
                        agents << QString::fromLatin1(line.mid(11).trimmed());
                }
                // Answered late, so that requests can overlap.
                QTimer::singleShot(30, socket, [this, socket] {
                    socket->write("HTTP/1.1 200 OK\r\nContent-Type: image/png\r\nCache-Control: max-age=86400\r\n"
                                  "Connection: close\r\nContent-Length: " + QByteArray::number(png.size()) + "\r\n\r\n" + png);
                    socket->disconnectFromHost();
                });
            });
        });
    }
    QString Url() const { return QStringLiteral("http://127.0.0.1:%1/{z}/{x}/{y}.png").arg(server.serverPort()); }
};

QByteArray Log()
{
    QByteArray log;
    for (int i = 0; i < 20; ++i) {
        log += QStringLiteral("%1\n00:00:%2,000 --> 00:00:%3,000\nHOME(8.5417,47.3769) 2019.06.20 12:00:%2\n"
                              "GPS(%4,47.3769,17) BAROMETER:10.0\n\n")
                   .arg(i + 1).arg(i, 2, 10, QLatin1Char('0')).arg(i + 1, 2, 10, QLatin1Char('0'))
                   .arg(8.5417 + i * 0.0004, 0, 'f', 4).toUtf8();
    }
    return log;
}

int Count(const QImage& image, const std::function<bool(const QColor&)>& wanted, const QRect& area)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += wanted(image.pixelColor(x, y));
    return count;
}

}  // namespace

class TestMapTiles : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    std::unique_ptr<SornLogic> Start(const QString& url)
    {
        QString out, err;
        QTextStream o(&out), e(&err);
        const QString log = m_dir.filePath(QStringLiteral("DJI_0001.SRT"));
        WriteFile(log, Log());
        std::unique_ptr<SornLogic> logic(StartWindow({QStringLiteral("velloa"), QStringLiteral("--tile-url"), url, log}, o, e).Logic);
        logic->Widgets->Window->resize(1000, 700);
        return logic;
    }

private slots:
    void initTestCase() { qputenv("XDG_CACHE_HOME", m_dir.filePath(QStringLiteral("cache")).toUtf8()); }

    void tilesComeFromTheServerThenFromTheCache()
    {
        TileServer server;
        int fetched = 0;
        for (int run = 0; run < 2; ++run) {
            std::unique_ptr<SornLogic> logic = Start(server.Url());
            FlightView* view = logic->Widgets->FlightPane;
            QTRY_VERIFY(view->isVisible() && !view->FileName().isEmpty());
            const auto tileShown = [&] {
                const QImage map = view->Map->grab().toImage();
                return Count(map, [](const QColor& c) { return c == kTileColour; }, map.rect()) > 1000;
            };
            QTRY_VERIFY_WITH_TIMEOUT(tileShown(), 10000);
            QTest::qWait(500);  // the layout settled, every tile in sight asked for
            if (run == 0) {
                QTRY_VERIFY(server.open == 0);
                fetched = server.paths.size();
                QVERIFY(fetched > 0);
                QVERIFY2(server.mostOpen <= TileSource::kMaxRunning, qPrintable(QString::number(server.mostOpen)));
                const QString zoom = QStringLiteral("/%1/").arg(view->Map->Zoom());
                for (int i = 0; i < server.paths.size(); ++i) {
                    QVERIFY2(server.paths[i].startsWith(zoom) && server.paths[i].endsWith(QLatin1String(".png")),
                             qPrintable(server.paths[i]));
                    QCOMPARE(server.agents.value(i), QStringLiteral("Velloa/%1 (flight log viewer)").arg(QLatin1String(VELLOA_VERSION)));
                }
                // The attribution: dark text on a light box, bottom right of the map and of the picture.
                const QString png = m_dir.filePath(QStringLiteral("flight.png"));
                QVERIFY(view->SavePicture(png));
                const QImage picture(png);
                const QPoint corner = view->Map->mapTo(view->Picture, view->Map->rect().bottomRight());
                const QRect box(corner.x() - 160, corner.y() - 14, 160, 14);
                QVERIFY(Count(picture, [](const QColor& c) { return c.value() < 90; }, box) > 30);
                QVERIFY(Count(picture, [](const QColor& c) { return c.value() > 200 && c.saturation() < 40; }, box) > 300);
            } else {
                QCOMPARE(server.paths.size(), fetched);  // the second start asked for nothing
            }
        }
    }

    void noTilesAskedForOrDrawnWithNoneAndNoHangWithoutServer()
    {
        TileServer server;
        TileServer gone;
        const QString goneUrl = gone.Url();
        gone.server.close();
        for (const QString& url : {QStringLiteral("none"), goneUrl}) {
            std::unique_ptr<SornLogic> logic = Start(url);
            FlightView* view = logic->Widgets->FlightPane;
            QTRY_VERIFY(view->isVisible() && !view->FileName().isEmpty());
            QCOMPARE(view->Tiles->Enabled(), url != QLatin1String("none"));
            QCOMPARE(view->TileUrlEdit->text(), url);
            if (url == goneUrl)
                QTRY_VERIFY_WITH_TIMEOUT(view->Tiles->HadFailure(), 5000);
            else
                QTest::qWait(300);
            const QImage map = view->Map->grab().toImage();
            QCOMPARE(Count(map, [](const QColor& c) { return c == kTileColour; }, map.rect()), 0);
            QVERIFY(server.paths.isEmpty());
            for (QWidget* top : QApplication::topLevelWidgets())
                QVERIFY(!qobject_cast<QMessageBox*>(top) || !top->isVisible());
        }
        // Shown, not written; a log that cannot be read is said so in the view, no box either.
        QVERIFY(!QFile::exists(m_dir.filePath(QStringLiteral("DJI_0001.sorned.srt"))) && !QFile::exists(m_dir.filePath(QStringLiteral("DJI_0001.gpx"))));
        QString out, err;
        QTextStream o(&out), e(&err);
        const QString missing = m_dir.filePath(QStringLiteral("missing.SRT"));
        std::unique_ptr<SornLogic> logic(StartWindow({QStringLiteral("velloa"), missing}, o, e).Logic);
        FlightView* view = logic->Widgets->FlightPane;
        QTRY_COMPARE(view->FileName(), missing);
        QVERIFY(view->isVisible() && view->FileLabel->text() == QLatin1String("missing.SRT"));
        QCOMPARE(view->findChild<QLabel*>(QStringLiteral("RecordCountValue"))->text(), QStringLiteral("-"));
        for (QWidget* top : QApplication::topLevelWidgets())
            QVERIFY(!qobject_cast<QMessageBox*>(top) || !top->isVisible());
    }
};

QTEST_MAIN(TestMapTiles)
#include "test_map_tiles.moc"
