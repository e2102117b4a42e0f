#pragma once

#include <QHash>
#include <QImage>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

class QNetworkAccessManager;
class QNetworkReply;

// Slippy-map tiles for the flight view, fetched with Qt Network from an
// address template with {z}, {x} and {y} (OpenStreetMap's standard tiles by
// default) and kept in a disk cache under the user's cache folder. Follows
// the tile usage policy of OpenStreetMap: a User-Agent naming Velloa and its
// version, at most two requests at a time, cached tiles reused. A tile that
// cannot be had is not asked for again until the address changes; nothing
// here ever waits or shows a box.
class TileSource : public QObject {
    Q_OBJECT

public:
    explicit TileSource(QObject* parent = nullptr);

    static QString DefaultUrl();    // https://tile.openstreetmap.org/{z}/{x}/{y}.png
    static QString Attribution();   // "© OpenStreetMap contributors"
    static QString UserAgent();     // "Velloa/<version> ..."
    // The address the window starts with: `commandLine` when given (the
    // --tile-url option), else the environment variable VELLOA_TILE_URL when
    // set, else DefaultUrl().
    static QString StartUrl(const QString& commandLine = QString());

    // Sets the address template; "none" (or an empty text) turns tiles off.
    // Forgets the tiles held in memory and the failures.
    void SetUrlTemplate(const QString& url);
    QString UrlTemplate() const { return m_template; }
    bool Enabled() const { return !m_template.isEmpty(); }

    // The tile (z, x, y) when it is at hand; otherwise a null image, and the
    // tile is queued (once) unless it failed before.
    QImage Tile(int z, int x, int y);
    // Drops the queued requests not yet sent (a new view asks anew).
    void ForgetQueued() { m_queue.clear(); }
    // Some tile could not be fetched (no network, server gone, refused).
    bool HadFailure() const { return m_failure; }

    static constexpr int kMaxRunning = 2;

signals:
    void TileArrived();

private:
    void StartNext();
    void Finished(QNetworkReply* reply, const QString& key);

    QNetworkAccessManager* m_network = nullptr;
    QString m_template;
    QHash<QString, QImage> m_tiles;
    QSet<QString> m_pending;  // queued or running
    QSet<QString> m_failed;
    QStringList m_queue;      // keys "z/x/y", the newest last
    int m_running = 0;
    bool m_failure = false;
};
