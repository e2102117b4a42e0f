#include "track/LogTime.h"

#include "input/CivilTime.h"
#include "track/Flight.h"

#include <QDateTime>
#include <QRegularExpression>

#include <algorithm>
#include <ctime>

namespace {

constexpr int kMaxOffsetSeconds = 14 * 3600;  // the widest offsets in use (Kiribati)

// "+05:30", "-03:00", "+0530", "-3": a sign, one or two digits of hours and
// optionally two of minutes.
bool ParseOffset(const QString& text, int* seconds)
{
    static const QRegularExpression offset(QStringLiteral("^([+-])(\\d{1,2})(?::?(\\d{2}))?$"));
    const QRegularExpressionMatch match = offset.match(text);
    if (!match.hasMatch())
        return false;
    const int hours = match.captured(2).toInt();
    const int minutes = match.captured(3).isEmpty() ? 0 : match.captured(3).toInt();
    if (minutes > 59)
        return false;
    const int magnitude = (hours * 60 + minutes) * 60;
    if (magnitude > kMaxOffsetSeconds)
        return false;
    *seconds = match.captured(1) == QLatin1String("-") ? -magnitude : magnitude;
    return true;
}

// This computer's zone. TZ may hold what QTimeZone cannot name (POSIX rules
// such as "CET-1CEST,M3.5.0,M10.5.0/3", a path to a zone file, ":..."): then
// a file of the zone database the path names, else the C library's own
// reading of TZ (an invalid QTimeZone, which LocalToUtc takes for it).
QTimeZone ComputerZone()
{
    QByteArray tz = qgetenv("TZ");
    if (tz.isEmpty()) {
        const QTimeZone system = QTimeZone::systemTimeZone();
        return system.isValid() ? system : QTimeZone::utc();
    }
    if (tz.startsWith(':'))
        tz.remove(0, 1);
    const int database = tz.indexOf("zoneinfo/");
    if (database >= 0)
        tz.remove(0, database + 9);
    const QTimeZone named(tz);
    return named.isValid() ? named : QTimeZone();
}

} // namespace

bool ParseTimeZone(const QString& text, QTimeZone* zone)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) {
        *zone = ComputerZone();
        return true;
    }
    if (trimmed == QLatin1String("UTC") || trimmed == QLatin1String("Z")) {
        *zone = QTimeZone::utc();
        return true;
    }
    int seconds = 0;
    if (ParseOffset(trimmed, &seconds)) {
        *zone = QTimeZone(seconds);
        return true;
    }
    // A zone id is plain ASCII; anything else cannot name a file of the
    // zone database.
    for (const QChar c : trimmed) {
        if (c.unicode() > 0x7E || c.unicode() <= 0x20)
            return false;
    }
    const QTimeZone named(trimmed.toLatin1());
    if (!named.isValid())
        return false;
    *zone = named;
    return true;
}

LocalToUtc::LocalToUtc(const QTimeZone& zone)
    : m_zone(zone)
{
    if (!m_zone.isValid())
        tzset();  // localtime_r need not read TZ itself
}

qint64 LocalToUtc::OffsetMsAtUtc(qint64 utcMs) const
{
    if (!m_zone.isValid()) {
        // The C library's zone, as `date` computes it.
        const std::time_t seconds = static_cast<std::time_t>(FloorDiv(utcMs, 1000));
        std::tm local {};
        return localtime_r(&seconds, &local) ? qint64(local.tm_gmtoff) * 1000 : 0;
    }
    return qint64(m_zone.offsetFromUtc(QDateTime::fromMSecsSinceEpoch(utcMs, Qt::UTC))) * 1000;
}

// The offsets in force a day before and a day after bound the ones that can
// apply (no zone changes its clocks twice within two days). A reading fits
// an offset when that offset is in force at the instant it gives.
qint64 LocalToUtc::OffsetMsOfLocal(qint64 localMs) const
{
    const qint64 before = OffsetMsAtUtc(localMs - kMsPerDay);
    if (OffsetMsAtUtc(localMs - before) == before)
        return before;  // also the first reading of a repeated hour
    const qint64 after = OffsetMsAtUtc(localMs + kMsPerDay);
    if (OffsetMsAtUtc(localMs - after) == after)
        return after;
    return before;  // a skipped hour
}

qint64 LocalToUtc::ToUtcMs(qint64 localMs)
{
    if (localMs == kNoTime)
        return kNoTime;
    return localMs - m_localHour.At(localMs, [this](qint64 ms) { return OffsetMsOfLocal(ms); });
}

qint64 LocalToUtc::ToLocalMs(qint64 utcMs)
{
    if (utcMs == kNoTime)
        return kNoTime;
    return utcMs + m_utcHour.At(utcMs, [this](qint64 ms) { return OffsetMsAtUtc(ms); });
}

void SetUtcTimes(Flight& flight, const QTimeZone& zone)
{
    LocalToUtc clock(zone);
    const FlightRecordList& records = flight.Log.Records;
    Track& points = flight.Points;
    const std::size_t count = std::min(records.size(), points.size());
    std::vector<TrackRecording> recordings = flight.Recordings;
    if (recordings.empty())
        recordings.push_back({0, count});
    for (const TrackRecording& r : recordings) {
        const std::size_t end = std::min(r.End, count);
        std::size_t dated = r.First;
        while (dated < end && records[dated].LocalTimeMs == kNoTime)
            ++dated;
        const qint64 baseUtc = dated < end ? clock.ToUtcMs(records[dated].LocalTimeMs) : kNoTime;
        const qint64 baseTime = dated < end ? points[dated].TimeMs : 0;
        for (std::size_t i = r.First; i < end; ++i) {
            TrackPoint& point = points[i];
            point.UtcMs = i < dated || records[i].LocalTimeMs == kNoTime ? kNoTime : baseUtc + (point.TimeMs - baseTime);
            point.LocalMs = clock.ToLocalMs(point.UtcMs);
        }
    }
}

bool FlightHasDates(const Flight& flight)
{
    for (const FlightRecord& record : flight.Log.Records) {
        if (record.LocalTimeMs != kNoTime)
            return true;
    }
    return false;
}
