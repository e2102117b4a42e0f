#include "track/FlightFigures.h"

#include "track/GreatCircle.h"

#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kRadiansPerDegree = kPi / 180.0;

// Longitude difference brought into [-180, 180], so that a flight across
// the antimeridian stays in one piece.
double LongitudeDelta(double lon, double lonOrigin)
{
    double d = std::fmod(lon - lonOrigin, 360.0);
    if (d > 180.0)
        d -= 360.0;
    else if (d < -180.0)
        d += 360.0;
    return d;
}

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
        s.EastM = LongitudeDelta(p.Lon, first.HomeLon) * eastScale;
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

    const int rate = flight.Log.BlocksPerSecond > 0 ? flight.Log.BlocksPerSecond : 1;
    double lastEndMs = points.back().TimeMs + 1000.0 / rate;
    if (points.size() <= flight.Log.Records.size()) {
        const FlightRecord& last = flight.Log.Records[points.size() - 1];
        if (last.CueStartMs != kNoTime && last.CueEndMs != kNoTime)
            lastEndMs = points.back().TimeMs + double(last.CueEndMs - last.CueStartMs);
    }
    figures.FlightTimeS = (lastEndMs - first.TimeMs) / 1000.0;
    figures.PathM = points.back().WayM - first.WayM;
    return figures;
}
