#include "track/TrackPasses.h"

#include "track/GreatCircle.h"

#include <cmath>

namespace {

// The in-place pairwise sweep: each pair (j, j + 1), in increasing j, takes
// its midpoint, so record j enters its second pair already changed. Every
// step keeps the pair's sum, so a sweep keeps the total.
template <typename Field>
void AveragingStep(FlightRecord& a, FlightRecord& b, Field field)
{
    const double h = (b.*field - a.*field) * 0.5;
    a.*field += h;
    b.*field -= h;
}

// At most this many records share one measured step when spreading.
constexpr int kMaxSpreadGroup = 5;

}  // namespace

void SmoothGps(FlightRecordList& records, int passes)
{
    if (passes < 1 || records.size() < 2)
        return;
    for (int pass = 0; pass < passes; ++pass) {
        for (std::size_t j = 0; j + 1 < records.size(); ++j) {
            AveragingStep(records[j], records[j + 1], &FlightRecord::Lat);
            AveragingStep(records[j], records[j + 1], &FlightRecord::Lon);
        }
    }
}

void SpreadSpeeds(FlightRecordList& records)
{
    // The log's positions are coarse, so the drone seems to stand still for
    // a few records and then jump; the jump is shared out over the records
    // that did not move (exact zeros only: a NaN ends the run).
    const std::size_t n = records.size();
    std::size_t i = 0;
    while (i < n) {
        const double step = records[i].Speed;
        std::size_t group = 1;
        while (group < static_cast<std::size_t>(kMaxSpreadGroup) && i + group < n
               && records[i + group].Speed == 0.0)
            ++group;
        const double share = step / static_cast<double>(group);
        for (std::size_t k = i; k < i + group; ++k)
            records[k].Speed = share;
        i += group;
    }
}

void AverageSpeeds(FlightRecordList& records, int passes)
{
    for (int pass = 0; pass < passes; ++pass) {
        for (std::size_t j = 0; j + 1 < records.size(); ++j) {
            const double a = records[j].Speed;
            const double b = records[j + 1].Speed;
            const double diff = b - a;
            // A NaN speed is not averaged into its neighbours.
            if (std::isnan(diff))
                continue;
            const double h = diff * 0.5;
            records[j].Speed = a + h;
            records[j + 1].Speed = b - h;
        }
    }
}

void CalcSpeed(FlightRecordList& records, int passes)
{
    // Records are one second apart, so a step length in metres is a speed in
    // metres per second. The last record has no successor and keeps 0.
    for (std::size_t i = 0; i + 1 < records.size(); ++i) {
        const FlightRecord& a = records[i];
        const FlightRecord& b = records[i + 1];
        records[i].Speed = GreatCircleDistance(a.Lat, a.Lon, b.Lat, b.Lon);
    }
    if (passes < 1)
        return;
    SpreadSpeeds(records);
    AverageSpeeds(records, passes);
}

void CalcWay(FlightRecordList& records, double wayBeforeMetres)
{
    // A one-coordinate change waits until five records have passed since the
    // last counted point, so that jitter of one precision step that comes
    // back is never added; when a step counts, the whole distance from the
    // last counted point is added and no movement is lost.
    constexpr std::size_t kSingleCoordinateDelay = 5;
    double way = wayBeforeMetres;
    std::size_t last = 0;
    for (std::size_t i = 0; i < records.size(); ++i) {
        FlightRecord& r = records[i];
        const FlightRecord& k = records[last];
        // Written as negated equality so that a NaN counts as changed.
        const bool latChanged = !(r.Lat == k.Lat);
        const bool lonChanged = !(r.Lon == k.Lon);
        const bool counts = (latChanged && lonChanged)
                            || ((latChanged || lonChanged) && i - last >= kSingleCoordinateDelay);
        if (counts) {
            way += GreatCircleDistance(k.Lat, k.Lon, r.Lat, r.Lon);
            last = i;
        }
        r.Way = way;
    }
}

void DeriveTrack(FlightRecordList& records, int smoothingCount, double wayBeforeMetres)
{
    // Exactly one of the two smoothings runs: smoothed positions already
    // give gradual step lengths; unsmoothed ones need their speeds spread.
    constexpr int kSpeedSweeps = 3;
    SmoothGps(records, smoothingCount);
    CalcSpeed(records, smoothingCount <= 0 ? kSpeedSweeps : 0);
    CalcWay(records, wayBeforeMetres);
}
