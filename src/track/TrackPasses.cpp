#include "track/TrackPasses.h"

#include "input/InOrder.h"
#include "track/GreatCircle.h"
#include "track/TrackEstimate.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

// The in-place pairwise sweep: each pair (j, j + 1), in increasing j, takes
// its midpoint, so point j enters its second pair already changed. Every
// step keeps the pair's sum, so a sweep keeps the total.
void AveragingStep(TrackPoint& a, TrackPoint& b)
{
    const double hLat = (b.Lat - a.Lat) * 0.5;
    a.Lat += hLat;
    b.Lat -= hLat;
    const double hLon = ShortLonDelta(b.Lon - a.Lon) * 0.5;
    a.Lon = NormalLon(a.Lon + hLon);
    b.Lon = NormalLon(b.Lon - hLon);
}

// At most this many points share one measured step when spreading.
constexpr int kMaxSpreadGroup = 5;

// Runs `smooth(begin, end)` over each stretch of the track. A pause in the
// recording (a jump of the cues) ends a stretch: positions on either side of
// it are not averaged together, or the jump across it would be spread over
// the seconds next to it.
template <typename Smooth>
void ForEachStretch(const Track& points, Smooth smooth)
{
    constexpr qint64 kLongestStepMs = 1500;
    std::size_t begin = 0;
    for (std::size_t end = 1; end <= points.size(); ++end) {
        if (end < points.size() && points[end].TimeMs - points[end - 1].TimeMs <= kLongestStepMs)
            continue;
        smooth(begin, end);
        begin = end;
    }
}

}  // namespace

void SmoothGps(Track& points, int passes)
{
    if (passes < 1 || points.size() < 2)
        return;
    ForEachStretch(points, [&](std::size_t begin, std::size_t end) {
        for (int pass = 0; pass < passes; ++pass) {
            for (std::size_t j = begin; j + 1 < end; ++j)
                AveragingStep(points[j], points[j + 1]);
        }
    });
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

void CalcSpeed(Track& points, int passes, bool useHeight, int jobs)
{
    // Points one second apart make a step in metres a speed in metres per
    // second as it stands; a longer interval (a pause, files joined) divides.
    ForRanges(points.empty() ? 0 : points.size() - 1, jobs, [&](std::size_t begin, std::size_t end) {
        Colatitude here;
        Colatitude next;
        for (std::size_t i = begin; i < end; ++i) {
            double step = StepDistance(points[i], points[i + 1], useHeight, here, next);
            std::swap(here, next);
            const qint64 intervalMs = points[i + 1].TimeMs - points[i].TimeMs;
            if (intervalMs > 0 && intervalMs != 1000)
                step /= static_cast<double>(intervalMs) / 1000.0;
            points[i].SpeedMs = step;
        }
    });
    if (passes < 1)
        return;
    SpreadSpeeds(points);
    AverageSpeeds(points, passes);
}

void CalcWay(Track& points, double wayBeforeMetres, bool useHeight, int jobs)
{
    // A one-coordinate change waits until five points have passed since the
    // last counted point, so that jitter of one precision step that comes
    // back is never added; when a step counts, the whole distance from the
    // last counted point is added and no movement is lost.
    constexpr std::size_t kSingleCoordinateDelay = 5;
    // Three passes, the way held in WayM between them: which points count,
    // and from which point, is a quick pass in order; the counted steps'
    // lengths, the costly part, are measured in ranges side by side; they are
    // then summed in order, the same sums as in one pass. No length is
    // negative, so -1 marks a point that does not count. A range reads the
    // positions of points in other ranges, never their WayM.
    constexpr double kNotCounted = -1.0;
    std::size_t last = 0;
    for (std::size_t i = 0; i < points.size(); ++i) {
        TrackPoint& r = points[i];
        const TrackPoint& k = points[last];
        // Written as negated equality so that a NaN counts as changed.
        const bool latChanged = !(r.Lat == k.Lat);
        const bool lonChanged = !(r.Lon == k.Lon);
        const bool climbed = useHeight && !(r.HeightM == k.HeightM);
        const bool counts = (latChanged && lonChanged)
                            || ((latChanged || lonChanged) && i - last >= kSingleCoordinateDelay) || climbed;
        r.WayM = counts ? static_cast<double>(last) : kNotCounted;
        if (counts)
            last = i;
    }
    ForRanges(points.size(), jobs, [&](std::size_t begin, std::size_t end) {
        Colatitude counted;
        Colatitude current;
        for (std::size_t i = begin; i < end; ++i) {
            TrackPoint& r = points[i];
            if (r.WayM == kNotCounted)
                continue;
            r.WayM = StepDistance(points[static_cast<std::size_t>(r.WayM)], r, useHeight, counted, current);
            std::swap(counted, current);
        }
    });
    double way = wayBeforeMetres;
    for (TrackPoint& r : points) {
        if (!(r.WayM == kNotCounted))
            way += r.WayM;
        r.WayM = way;
    }
}

void SmoothGpsOverTime(Track& points, int seconds)
{
    const std::size_t n = points.size();
    if (seconds < 1 || n < 2)
        return;
    // The positions nearest each whole second from the first point on.
    const qint64 start = points.front().TimeMs;
    const qint64 span = points.back().TimeMs - start;
    if (span <= 0)
        return;
    Track perSecond(static_cast<std::size_t>(span / 1000) + 2);
    std::size_t i = 0;
    for (std::size_t k = 0; k < perSecond.size(); ++k) {
        const qint64 t = start + qint64(k) * 1000;
        while (i + 1 < n && std::llabs(points[i + 1].TimeMs - t) <= std::llabs(points[i].TimeMs - t))
            ++i;
        perSecond[k] = points[i];
    }
    SmoothGps(perSecond, seconds);
    // Back to every point, linearly between the seconds either side of it.
    for (TrackPoint& p : points) {
        const double u = static_cast<double>(p.TimeMs - start) / 1000.0;
        const std::size_t k = std::min(static_cast<std::size_t>(std::max(0.0, std::floor(u))), perSecond.size() - 2);
        const double f = std::clamp(u - static_cast<double>(k), 0.0, 1.0);
        const TrackPoint& a = perSecond[k];
        const TrackPoint& b = perSecond[k + 1];
        p.Lat = a.Lat + (b.Lat - a.Lat) * f;
        p.Lon = NormalLon(a.Lon + ShortLonDelta(b.Lon - a.Lon) * f);
    }
}

SecondAround SecondAround::At(const Track& points, std::size_t i)
{
    const qint64 t = points[i].TimeMs;
    SecondAround second{i, i};
    while (second.Before > 0 && points[second.Before].TimeMs > t - kHalfWindowMs)
        --second.Before;
    while (second.After + 1 < points.size() && points[second.After].TimeMs < t + kHalfWindowMs)
        ++second.After;
    return second;
}

void SecondAround::MoveTo(const Track& points, std::size_t i)
{
    const qint64 t = points[i].TimeMs;
    while (Before + 1 <= i && points[Before + 1].TimeMs <= t - kHalfWindowMs)
        ++Before;
    After = std::max(After, i);
    while (After + 1 < points.size() && points[After].TimeMs < t + kHalfWindowMs)
        ++After;
}

void CalcSpeedOverTime(Track& points, bool useHeight)
{
    SecondAround second;
    for (std::size_t i = 0; i < points.size(); ++i) {
        second.MoveTo(points, i);
        const double seconds = second.Seconds(points);
        points[i].SpeedMs = seconds > 0
            ? StepDistance(points[second.Before], points[second.After], true, useHeight) / seconds
            : 0.0;
    }
}

void CalcWayOverTime(Track& points, double wayBeforeMetres, bool useHeight)
{
    constexpr double kWayStepMetres = 1.0;
    double way = wayBeforeMetres;
    std::size_t last = 0;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const double step = StepDistance(points[last], points[i], true, useHeight);
        // Written as a negation so that a NaN step counts (and shows).
        if (!(step < kWayStepMetres) || (i + 1 == points.size() && step > 0.0)) {
            way += step;
            last = i;
        }
        points[i].WayM = way;
    }
}

void CalcDistanceHome(Track& points, const FlightRecord* records, bool perFrame, int jobs)
{
    ForRanges(points.size(), jobs, [&](std::size_t begin, std::size_t end) {
        Colatitude home;
        Colatitude here;
        for (std::size_t i = begin; i < end; ++i) {
            TrackPoint& p = points[i];
            const FlightRecord& r = records[i];
            p.DistanceHomeM = perFrame ? HaversineDistance(r.HomeLat, r.HomeLon, p.Lat, p.Lon)
                                       : GreatCircleDistance(r.HomeLat, r.HomeLon, p.Lat, p.Lon, home, here);
        }
    });
}

namespace {

void SmoothTrack(Track& points, int smoothing, bool perFrame)
{
    if (perFrame)
        SmoothGpsOverTime(points, smoothing);
    else
        SmoothGps(points, smoothing);
}

void MeasureTrack(Track& points, const TrackSettings& settings, bool perFrame)
{
    if (perFrame) {
        CalcSpeedOverTime(points, settings.UseHeight);
        CalcWayOverTime(points, settings.WayBeforeM, settings.UseHeight);
    } else {
        // Exactly one of the two smoothings runs: smoothed positions already
        // give gradual step lengths; unsmoothed ones need their speeds spread.
        constexpr int kSpeedSweeps = 3;
        CalcSpeed(points, settings.SmoothingCount <= 0 ? kSpeedSweeps : 0, settings.UseHeight, settings.Jobs);
        CalcWay(points, settings.WayBeforeM, settings.UseHeight, settings.Jobs);
    }
}

} // namespace

void DeriveTrack(Track& points, const FlightRecord* records, const TrackSettings& settings, bool perFrame)
{
    SmoothTrack(points, settings.SmoothingCount, perFrame);
    MeasureTrack(points, settings, perFrame);
    CalcDistanceHome(points, records, perFrame, settings.Jobs);
}

void SetLocalTimes(const FlightRecordList& records, Track& points, std::size_t first, std::size_t end)
{
    // A logged date more than this far ahead of the counted time is a clock
    // set or a new recording: the count starts again from it.
    constexpr qint64 kLeadMs = 2000;
    std::size_t dated = first;
    while (dated < end && records[dated].LocalTimeMs == kNoTime)
        ++dated;
    if (dated == end) {
        for (std::size_t i = first; i < end; ++i)
            points[i].LocalMs = kNoTime;
        return;
    }
    qint64 baseDate = records[dated].LocalTimeMs;
    qint64 baseCue = points[dated].TimeMs;
    for (std::size_t i = first; i < dated; ++i)
        points[i].LocalMs = kNoTime;
    for (std::size_t i = first; i < end; ++i) {
        const qint64 logged = records[i].LocalTimeMs;
        // A block without a date of its own (one cut short) stays without.
        if (logged == kNoTime) {
            points[i].LocalMs = kNoTime;
            continue;
        }
        qint64 local = baseDate + (points[i].TimeMs - baseCue);
        if (logged > local + kLeadMs) {
            baseDate = local = logged;
            baseCue = points[i].TimeMs;
        }
        points[i].LocalMs = local;
    }
}

namespace {

// Gives every record i the value the nearest earlier record that has it
// holds, else the nearest later one's, via `fill(source, i)`; a record that
// has it is its own source, and fill must then leave the record alone, as
// another range may be reading it. Returns false (nothing filled) when no
// record has it. A record filled keeps its Has bits, so the sources stay as
// read. The records are filled in ranges on up to `jobs` threads.
template <typename Has, typename Fill>
bool FillFromNearest(const FlightRecordList& records, Has has, Fill fill, int jobs)
{
    const std::size_t n = records.size();
    std::size_t first = 0;
    while (first < n && !has(records[first]))
        ++first;
    if (first == n)
        return false;
    ForRanges(n, jobs, [&](std::size_t begin, std::size_t end) {
        std::size_t source = first;
        for (std::size_t k = begin; k > first; --k) {
            if (has(records[k - 1])) {
                source = k - 1;
                break;
            }
        }
        for (std::size_t i = begin; i < end; ++i) {
            if (has(records[i]))
                source = i;
            fill(source, i);
        }
    });
    return true;
}

} // namespace

Track FillTrack(FlightRecordList& records, bool* hasAltitude, int jobs)
{
    Track points(records.size());
    const auto gives = [](FlightRecord::Value value) {
        return [value](const FlightRecord& r) { return r.Gives(value); };
    };
    const bool times = FillFromNearest(records, [](const FlightRecord& r) { return r.CueStartMs != kNoTime; },
        [&](std::size_t s, std::size_t i) { points[i].TimeMs = records[s].CueStartMs; }, jobs);
    if (!times) {
        for (std::size_t i = 0; i < points.size(); ++i)
            points[i].TimeMs = qint64(i) * 1000;
    }
    FillFromNearest(records, gives(FlightRecord::HasPosition), [&](std::size_t s, std::size_t i) {
        points[i].Lat = records[s].Lat;
        points[i].Lon = records[s].Lon;
        if (s != i) {
            records[i].Lat = records[s].Lat;
            records[i].Lon = records[s].Lon;
        }
    }, jobs);
    const bool homes = FillFromNearest(records, gives(FlightRecord::HasHome), [&](std::size_t s, std::size_t i) {
        if (s != i) {
            records[i].HomeLat = records[s].HomeLat;
            records[i].HomeLon = records[s].HomeLon;
        }
    }, jobs);
    if (!homes && !records.empty()) {
        // The take-off point of a layout that writes none: the first fix.
        const double lat = records.front().Lat;
        const double lon = records.front().Lon;
        for (FlightRecord& r : records) {
            r.HomeLat = lat;
            r.HomeLon = lon;
        }
    }
    const bool altitudes = FillFromNearest(records, gives(FlightRecord::HasAltitude), [&](std::size_t s, std::size_t i) {
        if (s != i)
            records[i].AltitudeM = records[s].AltitudeM;
    }, jobs);
    if (hasAltitude)
        *hasAltitude = altitudes;
    const bool heights = FillFromNearest(records, gives(FlightRecord::HasHeight),
        [&](std::size_t s, std::size_t i) { points[i].HeightM = records[s].HeightM; }, jobs);
    if (!heights && altitudes) {
        const double takeOff = records.front().AltitudeM;
        for (std::size_t i = 0; i < points.size(); ++i)
            points[i].HeightM = records[i].AltitudeM - takeOff;
    }
    return points;
}

namespace {

// Half a unit of the last decimal records [first, end) write `value` with.
double HalfUnit(const FlightRecordList& records, std::size_t first, std::size_t end, FlightRecord::Value value)
{
    return 0.5 * std::pow(10.0, -WrittenDecimals(records, first, end, value));
}

// The heights' half unit: of the heights above take-off where the log gives
// them, else of those above sea level they are counted from.
double HeightHalfUnit(const FlightRecordList& records, std::size_t first, std::size_t end)
{
    const bool heights = std::any_of(records.begin() + static_cast<std::ptrdiff_t>(first),
        records.begin() + static_cast<std::ptrdiff_t>(end),
        [](const FlightRecord& r) { return r.Gives(FlightRecord::HasHeight); });
    return HalfUnit(records, first, end, heights ? FlightRecord::HasHeight : FlightRecord::HasAltitude);
}

// A part of a track as a track of its own, and back.
Track Part(const Track& points, const TrackRecording& r)
{
    return Track(points.begin() + static_cast<std::ptrdiff_t>(r.First), points.begin() + static_cast<std::ptrdiff_t>(r.End));
}

void PutBack(Track& points, const Track& part, const TrackRecording& r)
{
    std::copy(part.begin(), part.end(), points.begin() + static_cast<std::ptrdiff_t>(r.First));
}

} // namespace

Flight DeriveFlight(FlightLog log, const TrackSettings& settings)
{
    Flight flight;
    flight.Points = FillTrack(log.Records, &flight.HasAltitude, settings.Jobs);
    flight.PerFrame = log.BlocksPerSecond > 1;
    const bool heightsGiven = std::any_of(log.Records.begin(), log.Records.end(),
        [](const FlightRecord& r) { return r.Gives(FlightRecord::HasHeight); });
    for (std::size_t i = 0; i < flight.Points.size(); ++i) {
        FlightRecord& r = log.Records[i];
        if (settings.HomeGiven) {
            r.HomeLat = settings.HomeLat;
            r.HomeLon = settings.HomeLon;
        }
        if (settings.TakeOffAltitudeGiven && !heightsGiven && flight.HasAltitude)
            flight.Points[i].HeightM = r.AltitudeM - settings.TakeOffAltitudeM;
    }
    for (std::size_t k = 0; k < log.Recordings.size(); ++k) {
        const LogRecording& r = log.Recordings[k];
        const std::size_t end = k + 1 < log.Recordings.size() ? log.Recordings[k + 1].First : log.Records.size();
        if (end > r.First)
            flight.Recordings.push_back({r.First, end, r.BlocksPerSecond > 1, r.HalfUnitDeg});
    }
    if (flight.Recordings.empty() && !flight.Points.empty())
        flight.Recordings.push_back({0, flight.Points.size(), flight.PerFrame, 0.0});
    for (TrackRecording& r : flight.Recordings) {
        r.GivesAltitude = flight.HasAltitude
            && std::any_of(log.Records.begin() + static_cast<std::ptrdiff_t>(r.First),
                           log.Records.begin() + static_cast<std::ptrdiff_t>(r.End),
                           [](const FlightRecord& record) { return record.Gives(FlightRecord::HasAltitude); });
    }
    flight.Log = std::move(log);
    Track& points = flight.Points;
    for (const TrackRecording& r : flight.Recordings)
        SetLocalTimes(flight.Log.Records, points, r.First, r.End);
    for (TrackRecording& r : flight.Recordings) {
        if (settings.Method == TrackMethod::Estimate && !(r.HalfUnitDeg > 0.0))
            r.HalfUnitDeg = HalfUnit(flight.Log.Records, r.First, r.End, FlightRecord::HasPosition);
    }
    if (flight.Recordings.size() <= 1 && !(flight.Recordings.empty() || flight.Recordings.front().HalfUnitDeg > 0.0)) {
        DeriveTrack(points, flight.Log.Records.data(), settings, flight.PerFrame);
        return flight;
    }
    // The time axis runs on across each join: by the dates' difference where
    // both sides have dates, else by the last block's span.
    for (std::size_t k = 1; k < flight.Recordings.size(); ++k) {
        TrackRecording& r = flight.Recordings[k];
        const TrackPoint& last = points[r.First - 1];
        const FlightRecord& lastRecord = flight.Log.Records[r.First - 1];
        qint64 gap = BlockLengthMs(lastRecord, flight.Recordings[k - 1].PerFrame ? flight.Log.BlocksPerSecond : 1);
        if (last.LocalMs != kNoTime && points[r.First].LocalMs != kNoTime && points[r.First].LocalMs > last.LocalMs)
            gap = points[r.First].LocalMs - last.LocalMs;
        r.ShiftMs = last.TimeMs + gap - points[r.First].TimeMs;
        for (std::size_t i = r.First; i < r.End; ++i)
            points[i].TimeMs += r.ShiftMs;
    }
    // Each recording derived on its own; the way adds the straight line
    // from the last position before a join to the first after it (the drone
    // did fly there).
    for (std::size_t k = 0; k < flight.Recordings.size(); ++k) {
        const TrackRecording& r = flight.Recordings[k];
        const bool estimated = r.HalfUnitDeg > 0.0;
        Track part;
        if (estimated) {
            const EstimatePrecision precision{r.HalfUnitDeg, HeightHalfUnit(flight.Log.Records, r.First, r.End)};
            EstimateRecording(points, flight.Log.Records, r.First, r.End, settings, precision, 0.0);
        } else {
            part = Part(points, r);
            SmoothTrack(part, settings.SmoothingCount, r.PerFrame);
        }
        TrackSettings measure = settings;
        if (k > 0) {
            const TrackPoint& last = points[r.First - 1];
            const TrackPoint& first = estimated ? points[r.First] : part.front();
            measure.WayBeforeM = last.WayM + StepDistance(last, first, r.PerFrame || estimated, settings.UseHeight);
        }
        if (estimated) {
            for (std::size_t i = r.First; i < r.End; ++i)
                points[i].WayM += measure.WayBeforeM;
            continue;
        }
        MeasureTrack(part, measure, r.PerFrame);
        CalcDistanceHome(part, flight.Log.Records.data() + r.First, r.PerFrame, settings.Jobs);
        PutBack(points, part, r);
    }
    return flight;
}
