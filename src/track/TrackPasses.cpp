#include "track/TrackPasses.h"

#include "track/GreatCircle.h"

#include <cmath>

namespace {

// The in-place pairwise sweep: each pair (j, j + 1), in increasing j, takes
// its midpoint, so record j enters its second pair already changed. Every
// step keeps the pair's sum, so a sweep keeps the total.
template <typename Field>
void AveragingStep(TrackPoint& a, TrackPoint& b, Field field)
{
    const double h = (b.*field - a.*field) * 0.5;
    a.*field += h;
    b.*field -= h;
}

// At most this many points share one measured step when spreading.
constexpr int kMaxSpreadGroup = 5;

}  // namespace

void SmoothGps(Track& points, int passes)
{
    if (passes < 1 || points.size() < 2)
        return;
    for (int pass = 0; pass < passes; ++pass) {
        for (std::size_t j = 0; j + 1 < points.size(); ++j) {
            AveragingStep(points[j], points[j + 1], &TrackPoint::Lat);
            AveragingStep(points[j], points[j + 1], &TrackPoint::Lon);
        }
    }
}

void SpreadSpeeds(Track& points)
{
    // The log's positions are coarse, so the drone seems to stand still for
    // a few points and then jump; the jump is shared out over the points
    // that did not move (exact zeros only: a NaN ends the run).
    const std::size_t n = points.size();
    std::size_t i = 0;
    while (i < n) {
        const double step = points[i].SpeedMs;
        std::size_t group = 1;
        while (group < static_cast<std::size_t>(kMaxSpreadGroup) && i + group < n
               && points[i + group].SpeedMs == 0.0)
            ++group;
        const double share = step / static_cast<double>(group);
        for (std::size_t k = i; k < i + group; ++k)
            points[k].SpeedMs = share;
        i += group;
    }
}

void AverageSpeeds(Track& points, int passes)
{
    for (int pass = 0; pass < passes; ++pass) {
        for (std::size_t j = 0; j + 1 < points.size(); ++j) {
            const double a = points[j].SpeedMs;
            const double b = points[j + 1].SpeedMs;
            const double diff = b - a;
            // A NaN speed is not averaged into its neighbours.
            if (std::isnan(diff))
                continue;
            const double h = diff * 0.5;
            points[j].SpeedMs = a + h;
            points[j + 1].SpeedMs = b - h;
        }
    }
}

void CalcSpeed(Track& points, int passes)
{
    // Points are one second apart, so a step length in metres is a speed in
    // metres per second. The last point has no successor and keeps 0.
    for (std::size_t i = 0; i + 1 < points.size(); ++i) {
        const TrackPoint& a = points[i];
        const TrackPoint& b = points[i + 1];
        points[i].SpeedMs = GreatCircleDistance(a.Lat, a.Lon, b.Lat, b.Lon);
    }
    if (passes < 1)
        return;
    SpreadSpeeds(points);
    AverageSpeeds(points, passes);
}

void CalcWay(Track& points, double wayBeforeMetres)
{
    // A one-coordinate change waits until five points have passed since the
    // last counted point, so that jitter of one precision step that comes
    // back is never added; when a step counts, the whole distance from the
    // last counted point is added and no movement is lost.
    constexpr std::size_t kSingleCoordinateDelay = 5;
    double way = wayBeforeMetres;
    std::size_t last = 0;
    for (std::size_t i = 0; i < points.size(); ++i) {
        TrackPoint& r = points[i];
        const TrackPoint& k = points[last];
        // Written as negated equality so that a NaN counts as changed.
        const bool latChanged = !(r.Lat == k.Lat);
        const bool lonChanged = !(r.Lon == k.Lon);
        const bool counts = (latChanged && lonChanged)
                            || ((latChanged || lonChanged) && i - last >= kSingleCoordinateDelay);
        if (counts) {
            way += GreatCircleDistance(k.Lat, k.Lon, r.Lat, r.Lon);
            last = i;
        }
        r.WayM = way;
    }
}

void DeriveTrack(Track& points, int smoothingCount, double wayBeforeMetres)
{
    // Exactly one of the two smoothings runs: smoothed positions already
    // give gradual step lengths; unsmoothed ones need their speeds spread.
    constexpr int kSpeedSweeps = 3;
    SmoothGps(points, smoothingCount);
    CalcSpeed(points, smoothingCount <= 0 ? kSpeedSweeps : 0);
    CalcWay(points, wayBeforeMetres);
    CalcDistanceHome(points);
}

void CalcDistanceHome(Track& points)
{
    for (TrackPoint& p : points)
        p.DistanceHomeM = GreatCircleDistance(p.HomeLat, p.HomeLon, p.Lat, p.Lon);
}

namespace {

// Gives every point the value `has` says the record at `source` has, via
// `copy(record, point)`: from the nearest earlier record that has it, else
// the nearest later one. Returns false (nothing copied) when none has it.
template <typename Has, typename Copy>
bool FillFromNearest(const FlightRecordList& records, Track& points, Has has, Copy copy)
{
    const std::size_t n = records.size();
    std::size_t source = 0;
    while (source < n && !has(records[source]))
        ++source;
    if (source == n)
        return false;
    for (std::size_t i = 0; i < n; ++i) {
        if (has(records[i]))
            source = i;
        copy(records[source], points[i]);
    }
    return true;
}

} // namespace

Track FillTrack(const FlightRecordList& records, bool* hasAltitude)
{
    Track points(records.size());
    const auto gives = [](FlightRecord::Value value) {
        return [value](const FlightRecord& r) { return r.Gives(value); };
    };
    FillFromNearest(records, points, gives(FlightRecord::HasPosition), [](const FlightRecord& r, TrackPoint& p) {
        p.FixLat = p.Lat = r.Lat;
        p.FixLon = p.Lon = r.Lon;
    });
    const bool homes = FillFromNearest(records, points, gives(FlightRecord::HasHome),
        [](const FlightRecord& r, TrackPoint& p) {
            p.HomeLat = r.HomeLat;
            p.HomeLon = r.HomeLon;
        });
    if (!homes && !points.empty()) {
        // The take-off point of a layout that writes none: the first fix.
        for (TrackPoint& p : points) {
            p.HomeLat = points.front().FixLat;
            p.HomeLon = points.front().FixLon;
        }
    }
    const bool altitudes = FillFromNearest(records, points, gives(FlightRecord::HasAltitude),
        [](const FlightRecord& r, TrackPoint& p) { p.AltitudeM = r.AltitudeM; });
    if (hasAltitude)
        *hasAltitude = altitudes;
    const bool heights = FillFromNearest(records, points, gives(FlightRecord::HasHeight),
        [](const FlightRecord& r, TrackPoint& p) { p.HeightM = r.HeightM; });
    if (!heights && altitudes) {
        const double takeOff = points.front().AltitudeM;
        for (TrackPoint& p : points)
            p.HeightM = p.AltitudeM - takeOff;
    }
    return points;
}

Flight DeriveFlight(FlightLog log, int smoothingCount, double wayBeforeMetres)
{
    Flight flight;
    flight.Points = FillTrack(log.Records, &flight.HasAltitude);
    flight.Log = std::move(log);
    DeriveTrack(flight.Points, smoothingCount, wayBeforeMetres);
    return flight;
}
