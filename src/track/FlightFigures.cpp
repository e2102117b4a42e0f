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
    const FlightRecord& home = flight.Log.Records.front();
    const double metresPerDegree = kSphereRadiusMetres * kRadiansPerDegree;
    const double eastScale = metresPerDegree * std::cos(home.HomeLat * kRadiansPerDegree);
    figures.SeaLevel = flight.HasAltitude;
    for (size_t i = 0; figures.SeaLevel && i < flight.Log.Records.size(); ++i)
        figures.SeaLevel = !flight.Log.Records[i].Gives(FlightRecord::HasHeight);
    const auto height = [&](std::size_t i) {
        return figures.SeaLevel ? flight.Log.Records[i].AltitudeM : points[i].HeightM;
    };
    figures.MaxHeightM = height(0);
    figures.Samples.reserve(points.size());
    for (std::size_t i = 0; i < points.size(); ++i) {
        const TrackPoint& p = points[i];
        FlightSample s;
        s.TimeS = (p.TimeMs - first.TimeMs) / 1000.0;
        // The shorter way round: a flight across the antimeridian stays in one piece.
        s.EastM = ShortLonDelta(p.Lon - home.HomeLon) * eastScale;
        s.NorthM = (p.Lat - home.HomeLat) * metresPerDegree;
        s.HeightM = height(i);
        s.SpeedMS = p.SpeedMs;
        s.WayM = p.WayM;
        figures.Samples.push_back(s);
        // fmax skips a NaN argument.
        figures.MaxDistanceHomeM = std::fmax(figures.MaxDistanceHomeM, p.DistanceHomeM);
        figures.MaxHeightM = std::fmax(figures.MaxHeightM, height(i));
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
