#pragma once
// Whether two readings of a log hold the same, bit for bit (header-only, Qt
// Core: the fuzz targets use it too).
#include "input/LogFamily.h"

#include <cstring>

// The first difference between two logs as read ("record 12: Lat"), or an
// empty text when they hold the same records, recordings and facts.
inline QString LogDifference(const FlightLog& a, const FlightLog& b)
{
    const auto same = [](double x, double y) { return std::memcmp(&x, &y, sizeof x) == 0; };
    if (a.Records.size() != b.Records.size())
        return QStringLiteral("%1 records against %2").arg(a.Records.size()).arg(b.Records.size());
    for (std::size_t i = 0; i < a.Records.size(); ++i) {
        const FlightRecord& x = a.Records[i];
        const FlightRecord& y = b.Records[i];
        const char* field = x.CueStartMs != y.CueStartMs ? "CueStartMs"
            : x.CueEndMs() != y.CueEndMs() ? "CueEndMs"
            : x.LocalTimeMs != y.LocalTimeMs ? "LocalTimeMs"
            : !same(x.HomeLat, y.HomeLat) || !same(x.HomeLon, y.HomeLon) ? "Home"
            : !same(x.Lat, y.Lat) || !same(x.Lon, y.Lon) ? "position"
            : !same(x.HeightM, y.HeightM) || !same(x.AltitudeM, y.AltitudeM) ? "heights"
            : x.Has != y.Has || x.Spelled != y.Spelled ? "Has or Spelled"
            : x.Id() != y.Id() || x.SrtTime() != y.SrtTime() || x.FlyTime() != y.FlyTime() ? "texts"
            : !(x.Camera() == y.Camera()) ? "Camera" : nullptr;
        if (field)
            return QStringLiteral("record %1: %2").arg(i).arg(QLatin1String(field));
    }
    if (a.Recordings.size() != b.Recordings.size())
        return QStringLiteral("%1 recordings against %2").arg(a.Recordings.size()).arg(b.Recordings.size());
    for (std::size_t k = 0; k < a.Recordings.size(); ++k) {
        const LogRecording& x = a.Recordings[k];
        const LogRecording& y = b.Recordings[k];
        if (x.First != y.First || x.Family != y.Family || x.BlocksPerSecond != y.BlocksPerSecond
            || !same(x.HalfUnitDeg, y.HalfUnitDeg))
            return QStringLiteral("recording %1").arg(k);
    }
    if (a.Family != b.Family || a.BlocksPerSecond != b.BlocksPerSecond || a.CuesFromDates != b.CuesFromDates
        || a.InRadians != b.InRadians)
        return QStringLiteral("the log's layout, rate or flags");
    return QString();
}
