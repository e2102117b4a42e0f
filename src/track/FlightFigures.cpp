#include "track/FlightFigures.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// The larger of the two; a NaN value never wins.
double Greater(double best, double value)
{
    return value > best ? value : best;
}

} // namespace

FlightFigures ComputeFlightFigures(const Flight& flight)
{
    FlightFigures figures;
    const FlightRecordList& records = flight.Log.Records;
    figures.Records = static_cast<int>(records.size());
    figures.FormatName = flight.Log.Family ? QLatin1String(flight.Log.Family->Layout) : QStringLiteral("input patterns");
    const Track& points = flight.Points;
    if (points.empty())
        return figures;

    // The last block lasts until its cue ends; without a cue end, until its
    // start.
    const qint64 lastEnd = records.back().CueEndMs != kNoTime ? records.back().CueEndMs : points.back().TimeMs;
    figures.FlightTimeS = static_cast<double>(std::max<qint64>(0, lastEnd - points.front().TimeMs)) / 1000.0;
    figures.PathM = points.back().WayM - points.front().WayM;
    // A flight that stays below its take-off point has a negative greatest
    // height.
    figures.MaxHeightM = -std::numeric_limits<double>::infinity();
    for (const TrackPoint& point : points) {
        figures.MaxDistanceHomeM = Greater(figures.MaxDistanceHomeM, point.DistanceHomeM);
        figures.MaxHeightM = Greater(figures.MaxHeightM, point.HeightM);
        figures.TopSpeedMs = Greater(figures.TopSpeedMs, point.SpeedMs);
    }
    if (std::isinf(figures.MaxHeightM))
        figures.MaxHeightM = 0.0;
    return figures;
}
