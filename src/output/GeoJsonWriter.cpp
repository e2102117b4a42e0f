#include "output/GeoJsonWriter.h"

#include "output/PathPoints.h"
#include "output/PrivacyZone.h"
#include "track/FlightFigures.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

namespace {

// The value rounded to `decimals` (QJsonDocument then writes the shortest
// text that reads back as it), or null when it is not a number.
QJsonValue Rounded(double value, int decimals)
{
    if (!std::isfinite(value))
        return QJsonValue();
    const double scale = std::pow(10.0, decimals);
    const double rounded = std::round(value * scale) / scale;
    return rounded == 0.0 ? 0.0 : rounded;  // never "-0"
}

QJsonArray Position(double lon, double lat)
{
    return {Rounded(WrittenLon(lon, kDegreeDecimals), kDegreeDecimals), Rounded(lat, kDegreeDecimals)};
}

QJsonObject Feature(const QString& type, const QJsonValue& coordinates, const QJsonObject& properties)
{
    return {{QStringLiteral("type"), QStringLiteral("Feature")},
            {QStringLiteral("geometry"), QJsonObject{{QStringLiteral("type"), type}, {QStringLiteral("coordinates"), coordinates}}},
            {QStringLiteral("properties"), properties}};
}

} // namespace

bool WriteGeoJson(const Flight& flight, QIODevice* device)
{
    const std::vector<size_t> samples = PathSamples(flight);
    const PathElevations elevations(flight);
    const auto positions = [&](const std::vector<size_t>& indexes) {
        QJsonArray line;
        for (const size_t i : indexes) {
            const FlightRecord& record = flight.Log.Records[i];
            QJsonArray position = Position(record.Lon, record.Lat);
            double elevation = 0.0;
            if (elevations.Any())
                position.append(elevations.At(i, &elevation) ? Rounded(elevation, kMetreDecimals) : QJsonValue(0.0));
            line.append(position);
        }
        return line;
    };
    const QJsonArray path = positions(samples);

    const FlightFigures figures = ComputeFlightFigures(flight);
    QJsonObject properties{
        {QStringLiteral("name"), QStringLiteral("Path")},
        {QStringLiteral("flight_time_s"), Rounded(figures.FlightTimeS, kMetreDecimals)},
        {QStringLiteral("path_m"), Rounded(figures.PathM, kMetreDecimals)},
        {QStringLiteral("max_distance_home_m"), Rounded(figures.MaxDistanceHomeM, kMetreDecimals)},
        {QStringLiteral("max_height_m"), Rounded(figures.MaxHeightM, kMetreDecimals)},
        {QStringLiteral("top_speed_ms"), Rounded(figures.TopSpeedMs, kMetreDecimals)},
        {QStringLiteral("records"), figures.Records},
        {QStringLiteral("log_format"), figures.FormatName},
    };
    if (elevations.Any())
        properties.insert(QStringLiteral("elevation"),
            flight.HasAltitude ? QStringLiteral("above sea level") : QStringLiteral("above take-off"));
    if (!samples.empty()) {
        const bool milliseconds = TimesWithMilliseconds(flight);
        const qint64 start = flight.Points[samples.front()].UtcMs;
        const qint64 end = flight.Points[samples.back()].UtcMs;
        if (start != kNoTime)
            properties.insert(QStringLiteral("start_utc"), IsoTime(start, milliseconds, true));
        if (end != kNoTime)
            properties.insert(QStringLiteral("end_utc"), IsoTime(end, milliseconds, true));
    }

    QJsonArray features;
    if (!path.isEmpty()) {
        // A LineString needs two positions at least.
        const std::vector<std::vector<size_t>> pieces = SamplesByClip(flight, samples);
        if (pieces.size() > 1) {
            // A flight of several clips: one line each.
            QJsonArray lines;
            for (const std::vector<size_t>& piece : pieces)
                lines.append(positions(piece));
            features.append(Feature(QStringLiteral("MultiLineString"), lines, properties));
        } else {
            features.append(path.size() > 1 ? Feature(QStringLiteral("LineString"), path, properties)
                                            : Feature(QStringLiteral("Point"), path.first(), properties));
        }
    }
    if (!flight.Points.empty() && !HasPrivacyZone(flight)) {  // no home point with a privacy zone
        const TrackPoint& first = flight.Points.front();
        features.append(Feature(QStringLiteral("Point"), Position(first.HomeLon, first.HomeLat),
                                {{QStringLiteral("name"), QStringLiteral("Home")}}));
    }
    const QJsonObject collection{{QStringLiteral("type"), QStringLiteral("FeatureCollection")},
                                 {QStringLiteral("features"), features}};
    return WriteAllBytes(device, QJsonDocument(collection).toJson(QJsonDocument::Compact) + '\n');
}
