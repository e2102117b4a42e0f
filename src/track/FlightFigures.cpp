#include "track/FlightFigures.h"

#include "track/GreatCircle.h"

#include <QRegularExpression>

#include <cmath>
#include <optional>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kRadiansPerDegree = kPi / 180.0;

struct Cue {
    double StartS = 0.0;
    std::optional<double> EndS;
};

// Seconds of "HH:MM:SS,mmm" captures starting at `first`.
double Seconds(const QRegularExpressionMatch& m, int first)
{
    return m.captured(first).toDouble() * 3600.0 + m.captured(first + 1).toDouble() * 60.0
        + m.captured(first + 2).toDouble() + m.captured(first + 3).toDouble() / 1000.0;
}

std::optional<Cue> ReadCue(const QString& srtTime)
{
    static const QRegularExpression time(QStringLiteral(
        "(\\d+):(\\d\\d):(\\d\\d)[,.](\\d\\d\\d)(?:\\s*-->\\s*(\\d+):(\\d\\d):(\\d\\d)[,.](\\d\\d\\d))?"));
    const QRegularExpressionMatch m = time.match(srtTime);
    if (!m.hasMatch())
        return std::nullopt;
    Cue cue;
    cue.StartS = Seconds(m, 1);
    if (m.capturedLength(5) > 0)
        cue.EndS = Seconds(m, 5);
    return cue;
}

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

FlightFigures ComputeFlightFigures(const FlightRecordList& records, const QString& formatName)
{
    FlightFigures figures;
    figures.FormatName = formatName;
    figures.RecordCount = static_cast<int>(records.size());
    if (records.empty())
        return figures;

    const FlightRecord& first = records.front();
    const double metresPerDegree = kSphereRadiusMetres * kRadiansPerDegree;
    const double eastScale = metresPerDegree * std::cos(first.HomeLat * kRadiansPerDegree);

    std::optional<double> cueOrigin;
    double previousTime = -1.0;
    double lastEnd = 0.0;
    figures.MaxHeightM = first.Barometer;
    figures.Samples.reserve(records.size());
    for (const FlightRecord& r : records) {
        FlightSample s;
        const std::optional<Cue> cue = ReadCue(r.SrtTime);
        if (cue && !cueOrigin)
            cueOrigin = cue->StartS;
        s.TimeS = cue ? cue->StartS - *cueOrigin : previousTime + 1.0;
        lastEnd = cue && cue->EndS ? *cue->EndS - *cueOrigin : s.TimeS + 1.0;
        previousTime = s.TimeS;

        s.EastM = LongitudeDelta(r.Lon, first.HomeLon) * eastScale;
        s.NorthM = (r.Lat - first.HomeLat) * metresPerDegree;
        s.HeightM = r.Barometer;
        s.SpeedMS = r.Speed;
        s.WayM = r.Way;
        figures.Samples.push_back(s);

        // fmax skips a NaN argument.
        figures.MaxDistanceFromHomeM
            = std::fmax(figures.MaxDistanceFromHomeM, GreatCircleDistance(r.HomeLat, r.HomeLon, r.Lat, r.Lon));
        figures.MaxHeightM = std::fmax(figures.MaxHeightM, r.Barometer);
        figures.TopSpeedMS = std::fmax(figures.TopSpeedMS, r.Speed);
    }
    figures.FlightTimeS = lastEnd - figures.Samples.front().TimeS;
    figures.PathFlownM = records.back().Way - first.Way;
    return figures;
}
