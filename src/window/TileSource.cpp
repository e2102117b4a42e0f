#include "window/TileSource.h"

#include <QDir>
#include <QNetworkAccessManager>
#include <QNetworkDiskCache>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QStandardPaths>

namespace {

constexpr int kMemoryTiles = 512;   // tiles kept decoded; beyond that the memory starts over
constexpr int kTimeoutMs = 15000;   // a tile that takes longer counts as failed
constexpr qint64 kDiskCacheBytes = 200LL * 1024 * 1024;

QString Key(int z, int x, int y)
{
    return QStringLiteral("%1/%2/%3").arg(z).arg(x).arg(y);
}

}  // namespace

TileSource::TileSource(QObject* parent)
    : QObject(parent)
    , m_network(new QNetworkAccessManager(this))
{
    auto* cache = new QNetworkDiskCache(m_network);
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    cache->setCacheDirectory(QDir(folder.isEmpty() ? QDir::tempPath() : folder).filePath(QStringLiteral("tiles")));
    cache->setMaximumCacheSize(kDiskCacheBytes);
    m_network->setCache(cache);
}

QString TileSource::DefaultUrl()
{
    return QStringLiteral("https://tile.openstreetmap.org/{z}/{x}/{y}.png");
}

QString TileSource::Attribution()
{
    return QStringLiteral("\u00A9 OpenStreetMap contributors");
}

QString TileSource::UserAgent()
{
    return QStringLiteral("Velloa/") + QLatin1String(VELLOA_VERSION) + QStringLiteral(" (flight log viewer)");
}

QString TileSource::StartUrl(const QString& commandLine)
{
    if (!commandLine.isEmpty())
        return commandLine;
    if (qEnvironmentVariableIsSet("VELLOA_TILE_URL"))
        return qEnvironmentVariable("VELLOA_TILE_URL");
    return DefaultUrl();
}

void TileSource::SetUrlTemplate(const QString& url)
{
    const QString text = url.trimmed();
    m_template = text.compare(QLatin1String("none"), Qt::CaseInsensitive) == 0 ? QString() : text;
    m_tiles.clear();
    m_failed.clear();
    m_queue.clear();
    m_failure = false;
}

QImage TileSource::Tile(int z, int x, int y)
{
    if (!Enabled())
        return {};
    const QString key = Key(z, x, y);
    const auto found = m_tiles.constFind(key);
    if (found != m_tiles.constEnd())
        return *found;
    if (m_failed.contains(key))
        return {};
    if (!m_queue.contains(key))
        m_queue.append(key);
    StartNext();
    return {};
}

void TileSource::StartNext()
{
    while (m_running < kMaxRunning && !m_queue.isEmpty()) {
        const QString key = m_queue.takeLast();
        if (m_pending.contains(key))
            continue;
        const QStringList zxy = key.split(QLatin1Char('/'));
        QString address = m_template;
        address.replace(QLatin1String("{z}"), zxy[0]).replace(QLatin1String("{x}"), zxy[1]).replace(QLatin1String("{y}"), zxy[2]);
        QNetworkRequest request{QUrl(address)};
        request.setHeader(QNetworkRequest::UserAgentHeader, UserAgent());
        request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::PreferCache);
        request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
        request.setTransferTimeout(kTimeoutMs);
        QNetworkReply* reply = m_network->get(request);
        const QString used = m_template;
        connect(reply, &QNetworkReply::finished, this, [this, reply, key, used] {
            reply->deleteLater();
            --m_running;
            if (used == m_template)
                Finished(reply, key);
            m_pending.remove(key);
            StartNext();
        });
        m_pending.insert(key);
        ++m_running;
    }
}

void TileSource::Finished(QNetworkReply* reply, const QString& key)
{
    QImage tile;
    if (reply->error() == QNetworkReply::NoError)
        tile.loadFromData(reply->readAll());
    if (tile.isNull()) {
        m_failed.insert(key);
        m_failure = true;
    } else {
        if (m_tiles.size() >= kMemoryTiles)
            m_tiles.clear();
        m_tiles.insert(key, tile);
    }
    emit TileArrived();
}
