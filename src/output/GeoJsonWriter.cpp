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

// A position of the path as written: longitude in [-180, 180), elevation
// in metres (used only where the path has elevations).
struct PathPosition {
    double Lon, Lat, Ele;
    size_t Index;  // the record's
};

QJsonArray PositionArray(double lon, double lat, double ele, bool withEle)
{
    QJsonArray position{Rounded(lon, kDegreeDecimals), Rounded(lat, kDegreeDecimals)};
    if (withEle)
        position.append(std::isfinite(ele) ? Rounded(ele, kMetreDecimals) : QJsonValue(0.0));
    return position;
}

// The lines of a path: one more wherever the path crosses the antimeridian
// (a step of more than 180 degrees of longitude), cut there at a point
// interpolated on both sides, at 180 and at -180 (RFC 7946, 3.1.9). A
// crossing inside the privacy zone is not written: the line ends before it.
QJsonArray LinesCutAtAntimeridian(const Flight& flight, const std::vector<PathPosition>& path, bool withEle)
{
    QJsonArray lines;
    QJsonArray line;
    for (size_t k = 0; k < path.size(); ++k) {
        const PathPosition& p = path[k];
        if (k > 0 && std::fabs(p.Lon - path[k - 1].Lon) > 180.0) {
            const PathPosition& a = path[k - 1];
            const double side = a.Lon > 0.0 ? 180.0 : -180.0;  // the side the path leaves
            const double to = p.Lon + 2.0 * side;                // p's longitude beyond it
            const double f = (side - a.Lon) / (to - a.Lon);
            const double lat = a.Lat + (p.Lat - a.Lat) * f;
            const double ele = a.Ele + (p.Ele - a.Ele) * f;
            if (InPrivacyZone(flight, flight.Log.Records[a.Index], lat, side, kDegreeDecimals)) {
                lines.append(line);
                line = QJsonArray{PositionArray(p.Lon, p.Lat, p.Ele, withEle)};
                continue;
            }
            // A point on the antimeridian itself is not written twice.
            if (a.Lon != side)
                line.append(PositionArray(side, lat, ele, withEle));
            lines.append(line);
            line = QJsonArray{PositionArray(-side, lat, ele, withEle)};
            if (p.Lon == -side)
                continue;
        }
        line.append(PositionArray(p.Lon, p.Lat, p.Ele, withEle));
    }
    lines.append(line);
    return lines;
}

} // namespace

bool WriteGeoJson(const Flight& flight, QIODevice* device)
{
    const std::vector<size_t> samples = PathSamples(flight);
    const PathElevations elevations(flight);
    const auto lines = [&](const std::vector<size_t>& indexes) {
        std::vector<PathPosition> path;
        path.reserve(indexes.size());
        for (const size_t i : indexes) {
            const FlightRecord& record = flight.Log.Records[i];
            double elevation = 0.0;
            if (!elevations.At(i, &elevation))
                elevation = 0.0;
            path.push_back({WrittenLon(record.Lon, kDegreeDecimals), record.Lat, elevation, i});
        }
        return LinesCutAtAntimeridian(flight, path, elevations.Any());
    };

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
    if (!samples.empty()) {
        // A flight of several clips: one line each, and more where a line
        // crosses the antimeridian. A LineString needs two positions at least.
        QJsonArray all;
        for (const std::vector<size_t>& piece : SamplesByClip(flight, samples)) {
            for (const QJsonValue& line : lines(piece))
                all.append(line);
        }
        if (all.size() > 1)
            features.append(Feature(QStringLiteral("MultiLineString"), all, properties));
        else if (all.first().toArray().size() > 1)
            features.append(Feature(QStringLiteral("LineString"), all.first(), properties));
        else
            features.append(Feature(QStringLiteral("Point"), all.first().toArray().first(), properties));
    }
    if (!flight.Points.empty() && !HasPrivacyZone(flight)) {  // no home point with a privacy zone
        const FlightRecord& first = flight.Log.Records.front();
        features.append(Feature(QStringLiteral("Point"), Position(first.HomeLon, first.HomeLat),
                                {{QStringLiteral("name"), QStringLiteral("Home")}}));
    }
    const QJsonObject collection{{QStringLiteral("type"), QStringLiteral("FeatureCollection")},
                                 {QStringLiteral("features"), features}};
    return WriteAllBytes(device, QJsonDocument(collection).toJson(QJsonDocument::Compact) + '\n');
}
