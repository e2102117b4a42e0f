#include "track/FlightFigures.h"

#include <algorithm>

#include "track/GreatCircle.h"

#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kRadiansPerDegree = kPi / 180.0;

}  // namespace

FlightFigures ComputeFlightFigures(const Flight& flight)
{
    FlightFigures figures;
    figures.FormatName = flight.Log.FormatName();
    const Track& points = flight.Points;
    figures.Records = static_cast<int>(points.size());
    if (points.empty())
        return figures;

    const TrackPoint& first = points.front();
    const double metresPerDegree = kSphereRadiusMetres * kRadiansPerDegree;
    const double eastScale = metresPerDegree * std::cos(first.HomeLat * kRadiansPerDegree);
    figures.SeaLevel = flight.HasAltitude;
    for (size_t i = 0; figures.SeaLevel && i < flight.Log.Records.size(); ++i)
        figures.SeaLevel = !flight.Log.Records[i].Gives(FlightRecord::HasHeight);
    const auto height = [&](const TrackPoint& p) { return figures.SeaLevel ? p.AltitudeM : p.HeightM; };
    figures.MaxHeightM = height(first);
    figures.Samples.reserve(points.size());
    for (const TrackPoint& p : points) {
        FlightSample s;
        s.TimeS = (p.TimeMs - first.TimeMs) / 1000.0;
        // The shorter way round: a flight across the antimeridian stays in one piece.
        s.EastM = ShortLonDelta(p.Lon - first.HomeLon) * eastScale;
        s.NorthM = (p.Lat - first.HomeLat) * metresPerDegree;
        s.HeightM = height(p);
        s.SpeedMS = p.SpeedMs;
        s.WayM = p.WayM;
        figures.Samples.push_back(s);
        // fmax skips a NaN argument.
        figures.MaxDistanceHomeM = std::fmax(figures.MaxDistanceHomeM, p.DistanceHomeM);
        figures.MaxHeightM = std::fmax(figures.MaxHeightM, height(p));
        figures.TopSpeedMs = std::fmax(figures.TopSpeedMs, p.SpeedMs);
    }

    const FlightRecord none;
    const FlightRecord& last = points.size() <= flight.Log.Records.size() ? flight.Log.Records[points.size() - 1] : none;
    const double lastEndMs = double(points.back().TimeMs + BlockLengthMs(last, flight.Log.BlocksPerSecond));
    figures.FlightTimeS = (lastEndMs - first.TimeMs) / 1000.0;
    figures.PathM = points.back().WayM - first.WayM;
    return figures;
}

bool FlightHasHeights(const Flight& flight)
{
    return flight.HasAltitude
        || std::any_of(flight.Log.Records.begin(), flight.Log.Records.end(),
                       [](const FlightRecord& r) { return r.Gives(FlightRecord::HasHeight); });
}
