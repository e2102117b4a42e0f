#include "track/TrackEstimate.h"

#include "input/InOrder.h"
#include "track/GreatCircle.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr double kRadiansPerDegree = 3.14159265358979323846 / 180.0;
constexpr double kMetresPerDegree = kSphereRadiusMetres * kRadiansPerDegree;

// The time scales tried: "Smooth GPS, sec", then each kScaleStep of the one
// before, down to kShortestScaleS seconds. Where records are dense (a step of
// at most kDenseStepS) each time scale costs a pass over many records, and
// the fine cells of such logs show a turn at either ladder: it is coarser.
constexpr double kShortestScaleS = 0.25;
constexpr double kScaleStep = 0.7;
constexpr double kDenseScaleStep = 0.5;
constexpr double kDenseStepS = 0.25;
// An estimate counts as leaving its cell when it lies farther than this many
// half-widths of the cell from the logged value (a hovering drone's estimate
// on the border between two cells strays a little across it; a cut turn
// strays far).
constexpr double kCellSlack = 1.1;
// A record takes a time scale when no record within this many time scales of
// it leaves its cell at that scale.
constexpr double kCheckedScales = 2.5;
// Records are estimated in windows: a core of at least kCoreRecords records
// and, on either side, kMarginScales time scales of track, whose pull on the
// core has died away.
constexpr std::size_t kCoreRecords = 16384;
constexpr double kMarginScales = 4.0;
// The spread of the first velocity, metres per second.
constexpr double kFirstSpeedSpreadMs = 30.0;
// The filter has settled when its gains change by less than this fraction
// from one record to the next; steps of time within this fraction of the
// mean step keep it settled.
constexpr double kSettled = 1e-6;
constexpr double kSteadyStep = 0.05;

// One axis of a window: the logged values (as offsets from the window's
// first), the precision, the estimate at the time scale being run and the
// estimate each record took.
struct Axis {
    std::vector<double> Logged;
    double HalfUnit = 0.0;
    double FirstVelocityVariance = 0.0;
    std::vector<double> P, V;            // at the time scale being run
    std::vector<double> TakenP, TakenV;  // at the time scale each record took
};

// The filtered covariance of every record, kept for the backward pass.
struct Covariances {
    std::vector<double> P00, P01, P11;
    std::vector<unsigned char> Steady;  // record i's backward gains are the settled ones
};

// A constant-velocity Kalman filter forward over the window and the
// Rauch-Tung-Striebel pass backward; `q` is the spectral density of the
// acceleration. Only means are carried backward: the smoothed covariance is
// not needed for them. Once the filter has settled, and while the steps of
// time stay `regular` (within kSteadyStep of `stepS`: a per-frame log's cues,
// rounded to milliseconds), its gains and the backward gains stay those it
// settled on.
void SmoothAxis(const std::vector<double>& t, const std::vector<unsigned char>& regular, double stepS, Axis& axis,
                double q, Covariances& c)
{
    const std::size_t n = t.size();
    const double r = axis.HalfUnit * axis.HalfUnit / 3.0;  // uniform over the cell
    axis.P.resize(n);
    axis.V.resize(n);
    c.P00.resize(n);
    c.P01.resize(n);
    c.P11.resize(n);
    c.Steady.assign(n, 0);
    // The backward gains (c00 c01; c10 c11) from record i to i + 1 for its
    // filtered covariance (f00 f01; f01 f11) and the step dt; false where the
    // prediction's covariance is singular.
    struct Gains {
        double C00 = 0.0, C01 = 0.0, C10 = 0.0, C11 = 0.0;
    };
    const auto gains = [&](double f00, double f01, double f11, double dt, Gains& g) {
        const double qdt = q * dt;
        const double a = f00 + dt * (2.0 * f01 + dt * f11) + qdt * dt * dt / 3.0;
        const double b = f01 + dt * f11 + qdt * dt * 0.5;
        const double d = f11 + qdt;
        const double det = a * d - b * b;
        if (!(det > 0.0))
            return false;
        const double g00 = f00 + dt * f01, g10 = f01 + dt * f11;
        g = {(g00 * d - f01 * b) / det, (f01 * a - g00 * b) / det, (g10 * d - f11 * b) / det, (f11 * a - g10 * b) / det};
        return true;
    };
    double p = axis.Logged[0], v = 0.0, p00 = r, p01 = 0.0, p11 = axis.FirstVelocityVariance;
    double lastK0 = -1.0, lastK1 = 0.0;
    bool steady = false;
    Gains settled;
    axis.P[0] = p;
    axis.V[0] = v;
    c.P00[0] = p00;
    c.P01[0] = p01;
    c.P11[0] = p11;
    for (std::size_t i = 1; i < n; ++i) {
        const double dt = t[i] - t[i - 1];
        p += dt * v;
        const double innovation = axis.Logged[i] - p;
        if (steady) {
            if (regular[i]) {
                p += lastK0 * innovation;
                v += lastK1 * innovation;
                axis.P[i] = p;
                axis.V[i] = v;
                c.Steady[i - 1] = 1;
                continue;
            }
            // The record before holds the settled covariance.
            c.P00[i - 1] = p00;
            c.P01[i - 1] = p01;
            c.P11[i - 1] = p11;
            steady = false;
        }
        // A regular step's covariance is the mean step's, so that the gains
        // settle although the cues alternate between whole milliseconds.
        const double dc = regular[i] ? stepS : dt;
        const double qdt = q * dc;
        p00 += dc * (2.0 * p01 + dc * p11) + qdt * dc * dc / 3.0;
        p01 += dc * p11 + qdt * dc * 0.5;
        p11 += qdt;
        const double s = p00 + r;
        const double k0 = p00 / s, k1 = p01 / s;
        p += k0 * innovation;
        v += k1 * innovation;
        p11 -= k1 * p01;
        p01 *= 1.0 - k0;
        p00 *= 1.0 - k0;
        axis.P[i] = p;
        axis.V[i] = v;
        c.P00[i] = p00;
        c.P01[i] = p01;
        c.P11[i] = p11;
        steady = regular[i] && std::fabs(k0 - lastK0) <= kSettled * k0 && std::fabs(k1 - lastK1) <= kSettled * std::fabs(k1)
            && gains(p00, p01, p11, stepS, settled);
        lastK0 = k0;
        lastK1 = k1;
    }
    Gains g;
    for (std::size_t i = n - 1; i-- > 0;) {
        const double dt = t[i + 1] - t[i];
        const double dp = axis.P[i + 1] - (axis.P[i] + dt * axis.V[i]);
        const double dv = axis.V[i + 1] - axis.V[i];
        if (c.Steady[i]) {
            axis.P[i] += settled.C00 * dp + settled.C01 * dv;
            axis.V[i] += settled.C10 * dp + settled.C11 * dv;
        } else if (gains(c.P00[i], c.P01[i], c.P11[i], regular[i + 1] ? stepS : dt, g)) {
            axis.P[i] += g.C00 * dp + g.C01 * dv;
            axis.V[i] += g.C10 * dp + g.C11 * dv;
        }
    }
}

double Seconds(const Track& points, std::size_t i)
{
    return static_cast<double>(points[i].TimeMs) / 1000.0;
}

// One window of a recording: the core [Core, CoreEnd) whose records it
// estimates, within [From, To), kMarginScales time scales more on either
// side where the recording has them.
struct WindowSpan {
    std::size_t From, Core, CoreEnd, To;
    bool StartsRecording, EndsRecording;  // From, To: the recording's ends
};

// The estimate of the cores of windows of one recording, window after
// window; each window is estimated from its own records only, so two
// estimators may run two windows side by side.
class Estimator {
public:
    Estimator(Track& points, const FlightRecordList& records, const TrackSettings& settings,
              const EstimatePrecision& precision, double stepS)
        : m_points(points), m_records(records), m_useHeight(settings.UseHeight), m_scaleS(settings.SmoothingCount),
          m_stepS(stepS)
    {
        m_axes[0].HalfUnit = m_axes[1].HalfUnit = precision.PositionHalfUnitDeg;
        m_axes[0].FirstVelocityVariance = m_axes[1].FirstVelocityVariance
            = std::pow(kFirstSpeedSpreadMs / kMetresPerDegree, 2);
        m_axes[2].HalfUnit = precision.HeightHalfUnitM;
        m_axes[2].FirstVelocityVariance = kFirstSpeedSpreadMs * kFirstSpeedSpreadMs;
    }

    // Writes the position, speed and distance from home of the core's points.
    void Run(const WindowSpan& window)
    {
        m_startsRecording = window.StartsRecording;
        m_endsRecording = window.EndsRecording;
        Window(window.From, window.Core, window.CoreEnd, window.To);
    }

private:
    std::size_t AxisCount() const { return m_useHeight ? 3 : 2; }

    void Window(std::size_t from, std::size_t core, std::size_t coreEnd, std::size_t to)
    {
        const std::size_t n = to - from;
        const TrackPoint& origin = m_points[from];
        const FlightRecord& originFix = m_records[from];  // the logged position, gaps filled
        m_originLat = originFix.Lat;
        m_originCos = std::cos(m_originLat * kRadiansPerDegree);
        m_originSin = std::sin(m_originLat * kRadiansPerDegree);
        m_t.resize(n);
        m_regular.resize(n);
        for (Axis& axis : m_axes)
            axis.Logged.resize(n);
        double lon = 0.0;
        for (std::size_t k = 0; k < n; ++k) {
            const TrackPoint& p = m_points[from + k];
            const FlightRecord& fix = m_records[from + k];
            m_t[k] = static_cast<double>(p.TimeMs - origin.TimeMs) / 1000.0;
            m_regular[k] = k > 0 && std::fabs(m_t[k] - m_t[k - 1] - m_stepS) <= kSteadyStep * m_stepS;
            if (k > 0)
                lon += ShortLonDelta(fix.Lon - m_records[from + k - 1].Lon);
            m_axes[0].Logged[k] = fix.Lat - originFix.Lat;
            m_axes[1].Logged[k] = lon;
            m_axes[2].Logged[k] = p.HeightM - origin.HeightM;
        }
        ChooseScales(core - from, coreEnd - from);
        for (std::size_t k = core - from; k < coreEnd - from; ++k)
            Write(from + k, k, originFix);
    }

    // Runs the time scales from the longest down, until every record of the
    // core [coreFirst, coreEnd) of the window took one.
    void ChooseScales(std::size_t coreFirst, std::size_t coreEnd)
    {
        const std::size_t n = m_t.size();
        m_taken.assign(n, 0);
        for (Axis& axis : m_axes) {
            axis.TakenP.resize(n);
            axis.TakenV.resize(n);
        }
        m_left = coreEnd - coreFirst;
        const double step = m_stepS <= kDenseStepS ? kDenseScaleStep : kScaleStep;
        for (double scale = m_scaleS; m_left > 0; scale *= step) {
            // The smoother's response is a smoothing spline's: it halves
            // the power of a motion of period 2 pi `scale`.
            const double q = m_stepS / std::pow(scale, 4.0);
            for (std::size_t a = 0; a < AxisCount(); ++a) {
                Axis& axis = m_axes[a];
                SmoothAxis(m_t, m_regular, m_stepS, axis, q * axis.HalfUnit * axis.HalfUnit / 3.0, m_covariances);
            }
            const bool shortest = scale * step < kShortestScaleS;
            const double reach = kCheckedScales * scale;
            if (!shortest)
                MarkLeaving(scale);
            Take(coreFirst, coreEnd, shortest ? -1.0 : reach);
        }
    }

    // The records of the core that took no estimate yet take the current
    // time scale's where no record within `reach` left its cell (all of
    // them for a negative reach).
    void Take(std::size_t coreFirst, std::size_t coreEnd, double reach)
    {
        const std::size_t n = m_t.size();
        const bool all = reach < 0.0;
        double lastOut = -1e300;
        for (std::size_t k = 0; k < coreEnd && !all; ++k) {
            if (m_out[k])
                lastOut = m_t[k];
            m_near[k] = m_t[k] - lastOut <= reach;
        }
        double nextOut = 1e300;
        for (std::size_t k = n; k-- > coreEnd && !all;) {
            if (m_out[k])
                nextOut = m_t[k];
        }
        for (std::size_t k = coreEnd; k-- > coreFirst;) {
            if (!all && m_out[k])
                nextOut = m_t[k];
            if (m_taken[k] || (!all && (m_near[k] || nextOut - m_t[k] <= reach)))
                continue;
            m_taken[k] = 1;
            --m_left;
            for (std::size_t a = 0; a < AxisCount(); ++a) {
                Axis& axis = m_axes[a];
                axis.TakenP[k] = axis.P[k];
                axis.TakenV[k] = axis.V[k];
            }
        }
    }

    // m_out[k]: the estimate of record k lies farther from the logged value
    // than kCellSlack half-widths of the cell: a time scale too long for
    // the motion there cuts it short. Within one time scale (`scale`
    // seconds) of the recording's ends, where the estimate rests on the
    // records of one side only, none counts; the ends take the time scale
    // the records beyond allow.
    void MarkLeaving(double scale)
    {
        const std::size_t n = m_t.size();
        m_out.assign(n, 0);
        m_near.resize(n);
        std::size_t from = 0, to = n;
        while (m_startsRecording && from < n && m_t[from] < scale)
            ++from;
        while (m_endsRecording && to > from && m_t[to - 1] > m_t[n - 1] - scale)
            --to;
        for (std::size_t a = 0; a < AxisCount(); ++a) {
            const Axis& axis = m_axes[a];
            const double limit = axis.HalfUnit * kCellSlack;
            for (std::size_t k = from; k < to; ++k) {
                if (std::fabs(axis.P[k] - axis.Logged[k]) > limit)
                    m_out[k] = 1;
            }
        }
    }

    void Write(std::size_t i, std::size_t k, const FlightRecord& originFix)
    {
        TrackPoint& p = m_points[i];
        const FlightRecord& record = m_records[i];
        const auto inCell = [&](const Axis& axis) {
            return std::clamp(axis.TakenP[k], axis.Logged[k] - axis.HalfUnit, axis.Logged[k] + axis.HalfUnit);
        };
        p.Lat = originFix.Lat + inCell(m_axes[0]);
        p.Lon = NormalLon(record.Lon + (inCell(m_axes[1]) - m_axes[1].Logged[k]));
        const double north = m_axes[0].TakenV[k] * kMetresPerDegree;
        const double east = m_axes[1].TakenV[k] * kMetresPerDegree * CosNear(p.Lat);
        const double up = m_useHeight ? m_axes[2].TakenV[k] : 0.0;
        const double speed = std::sqrt(north * north + east * east + up * up);
        p.SpeedMs = std::isfinite(speed) ? speed : 0.0;
        p.DistanceHomeM = DistanceHome(p, record);
    }

    // The cosine of a latitude near the window's first, from its Taylor
    // series (within 1e-5 up to 200 km away).
    double CosNear(double latDeg) const
    {
        const double d = (latDeg - m_originLat) * kRadiansPerDegree;
        return m_originCos * (1.0 - d * d * 0.5) - m_originSin * d;
    }

    // The distance from home: on the plane tangent at their middle when home
    // is near (a few millimetres off within kNearHomeM), else the haversine.
    double DistanceHome(const TrackPoint& p, const FlightRecord& home) const
    {
        constexpr double kNearHomeM = 5000.0;
        const double north = (p.Lat - home.HomeLat) * kMetresPerDegree;
        const double east = ShortLonDelta(p.Lon - home.HomeLon) * kMetresPerDegree;
        if (std::fabs(north) > kNearHomeM || std::fabs(east) > 2.0 * kNearHomeM
            || std::fabs(p.Lat - m_originLat) > 1.0)
            return HaversineDistance(home.HomeLat, home.HomeLon, p.Lat, p.Lon);
        const double scaled = east * CosNear(0.5 * (p.Lat + home.HomeLat));
        return std::sqrt(north * north + scaled * scaled);
    }

    Track& m_points;
    const FlightRecordList& m_records;  // record i: point i's logged position and home, gaps filled
    bool m_useHeight;
    double m_scaleS;
    double m_stepS = 1.0;  // the recording's mean step of time
    Axis m_axes[3];        // north, east (degrees), height (metres)
    Covariances m_covariances;
    std::vector<double> m_t;  // seconds since the window's first record
    // m_regular[k]: the step from record k - 1 to k lies within kSteadyStep
    // of the mean step.
    std::vector<unsigned char> m_regular;
    std::vector<unsigned char> m_out, m_near, m_taken;
    std::size_t m_left = 0;  // records of the core that took no estimate yet
    double m_originLat = 0.0, m_originCos = 1.0, m_originSin = 0.0;  // the window's first latitude
    bool m_startsRecording = false, m_endsRecording = false;  // the window's
};

// The windows of the recording [first, end): cores of kCoreRecords records
// (the last up to half as many more).
std::vector<WindowSpan> Windows(const Track& points, std::size_t first, std::size_t end, double marginS)
{
    std::vector<WindowSpan> windows;
    std::size_t windowFirst = first;
    for (std::size_t core = first; core < end;) {
        const std::size_t coreEnd = end - core <= kCoreRecords * 3 / 2 ? end : core + kCoreRecords;
        while (Seconds(points, windowFirst) < Seconds(points, core) - marginS)
            ++windowFirst;
        std::size_t windowEnd = coreEnd;
        while (windowEnd < end && Seconds(points, windowEnd) <= Seconds(points, coreEnd - 1) + marginS)
            ++windowEnd;
        windows.push_back({windowFirst, core, coreEnd, windowEnd, windowFirst == first, windowEnd == end});
        core = coreEnd;
    }
    return windows;
}

// The estimate of one recording: its windows on settings.Jobs threads, an
// estimator for each thread; then the way, from the speeds, point after
// point.
void Estimate(Track& points, const FlightRecordList& records, std::size_t first, std::size_t end,
              const TrackSettings& settings, const EstimatePrecision& precision, double wayBeforeM)
{
    const double stepS = (Seconds(points, end - 1) - Seconds(points, first)) / static_cast<double>(end - first - 1);
    const std::vector<WindowSpan> windows = Windows(points, first, end, kMarginScales * settings.SmoothingCount);
    std::vector<Estimator> estimators;
    const std::size_t count = std::min(windows.size(), static_cast<std::size_t>(std::max(settings.Jobs, 1)));
    estimators.reserve(count);
    for (std::size_t k = 0; k < count; ++k)
        estimators.emplace_back(points, records, settings, precision, stepS);
    RunInRing(windows.size(), settings.Jobs, estimators,
               [&](std::size_t i, Estimator& estimator) { estimator.Run(windows[i]); }, [](std::size_t, Estimator&) {});
    double way = wayBeforeM;
    for (std::size_t i = first; i < end; ++i) {
        if (i > first)
            way += 0.5 * (points[i - 1].SpeedMs + points[i].SpeedMs) * (Seconds(points, i) - Seconds(points, i - 1));
        points[i].WayM = way;
    }
}

// The logged positions as they stand, speeds from each step over its time.
void MeasureLogged(Track& points, const FlightRecordList& records, std::size_t first, std::size_t end, bool useHeight,
                   double wayBeforeM)
{
    double way = wayBeforeM;
    for (std::size_t i = first; i < end; ++i) {
        TrackPoint& p = points[i];
        p.Lat = records[i].Lat;
        p.Lon = records[i].Lon;
    }
    for (std::size_t i = first; i < end; ++i) {
        TrackPoint& p = points[i];
        if (i > first)
            way += StepDistance(points[i - 1], p, true, useHeight);
        p.WayM = way;
        // The step to the next record, or for the last the step before it.
        const std::size_t a = i + 1 < end ? i : std::max(i, first + 1) - 1;
        const std::size_t b = std::min(a + 1, end - 1);
        const double seconds = static_cast<double>(points[b].TimeMs - points[a].TimeMs) / 1000.0;
        p.SpeedMs = seconds > 0.0 ? StepDistance(points[a], points[b], true, useHeight) / seconds : 0.0;
        p.DistanceHomeM = HaversineDistance(records[i].HomeLat, records[i].HomeLon, p.Lat, p.Lon);
    }
}

} // namespace

void EstimateRecording(Track& points, const FlightRecordList& records, std::size_t first, std::size_t end,
                       const TrackSettings& settings, const EstimatePrecision& precision, double wayBeforeM)
{
    if (end <= first)
        return;
    const bool timed = points[end - 1].TimeMs > points[first].TimeMs;
    if (settings.SmoothingCount <= 0 || !timed || !(precision.PositionHalfUnitDeg > 0.0)) {
        MeasureLogged(points, records, first, end, settings.UseHeight, wayBeforeM);
        return;
    }
    Estimate(points, records, first, end, settings, precision, wayBeforeM);
}
