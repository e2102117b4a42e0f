#include "conversion/Conversion.h"

#include "input/InOrder.h"
#include "output/Placeholders.h"
#include "output/PrivacyZone.h"
#include "output/SrtWriter.h"
#include "track/LogTime.h"
#include "track/TrackPasses.h"

#include <QThread>

#include <algorithm>
#include <numeric>

bool ConversionResult::Wrote(const OutputKind& kind) const
{
    for (const Output& output : Outputs) {
        if (output.Kind == &kind && output.Written())
            return true;
    }
    return false;
}

bool ReadsAlike(const ConversionRequest& a, const ConversionRequest& b)
{
    return a.FormatId == b.FormatId && a.Patterns == b.Patterns && a.Track == b.Track && a.SmoothingCount == b.SmoothingCount
        && a.WayBeforeM == b.WayBeforeM && a.UseHeight == b.UseHeight && a.TimeZone == b.TimeZone;
}

namespace {

// The request's zone; false, and the result saying so, when it names none.
bool ReadZone(const ConversionRequest& request, ConversionResult& result, QTimeZone* zone)
{
    result.WayAfterM = request.WayBeforeM;
    if (ParseTimeZone(request.TimeZone, zone))
        return true;
    result.Read = ReadStatus::UnknownTimeZone;
    result.UnknownTimeZone = request.TimeZone;
    return false;
}

} // namespace

// Whether any output asked for prints camera settings: the CSV, or the
// subtitle file with a camera placeholder in its pattern. A request without
// outputs (the flight view) reads everything.
bool WantsCameraSettings(const ConversionRequest& request)
{
    if (request.Outputs.empty() || request.CameraSettings)
        return true;
    for (const ConversionRequest::Output& output : request.Outputs) {
        if (output.Kind == FindOutputKind(QStringLiteral("csv")))
            return true;
        if (output.Kind == &SubtitleOutput()) {
            for (const PlaceholderInfo& placeholder : Placeholders()) {
                if (placeholder.Id >= kFirstCameraPlaceholder && placeholder.Id <= kLastCameraPlaceholder
                    && request.OutPattern.contains(QLatin1String(placeholder.Name)))
                    return true;
            }
        }
    }
    return false;
}

LogReadResult ReadLogFor(const ConversionRequest& request, int jobs)
{
    return ReadFlightLog(request.InputName, request.Patterns, request.FormatId, WantsCameraSettings(request), jobs);
}

ConversionResult Convert(const ConversionRequest& request)
{
    // An unknown zone reads nothing.
    ConversionResult result;
    QTimeZone zone;
    if (!ReadZone(request, result, &zone))
        return result;
    const int jobs = QThread::idealThreadCount();
    result = DeriveReadLog(request, ReadLogFor(request, jobs), nullptr, jobs);
    if (result.Read == ReadStatus::Ok)
        WriteOutputs(request, result, jobs);
    return result;
}

ConversionResult DeriveReadLog(const ConversionRequest& request, LogReadResult read, const JoinContext* join, int jobs)
{
    ConversionResult result;
    QTimeZone zone;
    if (!ReadZone(request, result, &zone))
        return result;
    result.Read = read.Status;
    if (read.Status != ReadStatus::Ok)
        return result;

    TrackSettings settings = TrackSettingsOf(request);
    settings.Jobs = jobs;
    result.Flight = join ? DeriveJoinedClip(std::move(read.Log), settings, *join)
                         : DeriveFlight(std::move(read.Log), settings);
    SetUtcTimes(result.Flight, zone);
    result.Flight.Kml = request.Kml;
    result.Flight.PrivacyRadiusM = request.PrivacyRadiusM;
    result.WayAfterM = result.Flight.Points.back().WayM;
    return result;
}

void WriteOutputs(const ConversionRequest& request, ConversionResult& result, int jobs)
{
    const std::size_t first = result.Outputs.size();
    for (const ConversionRequest::Output& output : request.Outputs)
        result.Outputs.push_back({output.Kind, output.Name});
    // The CSV takes about as long as the other track outputs together: it
    // starts first, so that the others share the other cores meanwhile.
    std::vector<std::size_t> order(request.Outputs.size());
    std::iota(order.begin(), order.end(), first);
    std::stable_partition(order.begin(), order.end(), [&](std::size_t k) {
        return QLatin1String(result.Outputs[k].Kind->Id) == QLatin1String("csv");
    });
    RunInOrder(order.size(), jobs, [&](std::size_t j) {
        ConversionResult::Output& written = result.Outputs[order[j]];
        written.Check = CheckOutputName(written.Name, request.InputName);
        if (written.Check == NameCheck::Ok)
            written.Status = SaveOutput(*written.Kind, result.Flight, request.OutPattern, written.Name, jobs);
    }, [](std::size_t) {});
}

QString SubtitlePreview(const Flight& flight, std::size_t index, const QString& pattern)
{
    if (index >= flight.Log.Records.size() || index >= flight.Points.size())
        return QString();
    return RenderSrtRecord(flight, static_cast<int>(index), pattern);
}

std::vector<bool> PointsInPrivacyZone(const Flight& flight, double radiusM)
{
    std::vector<bool> inZone;
    inZone.reserve(flight.Points.size());
    for (std::size_t i = 0; i < flight.Points.size(); ++i) {
        const TrackPoint& point = flight.Points[i];
        inZone.push_back(InPrivacyZone(radiusM, flight.Log.Records[i], point.Lat, point.Lon));  // the view draws the estimate
    }
    return inZone;
}

TrackSettings TrackSettingsOf(const ConversionRequest& request)
{
    TrackSettings settings{request.SmoothingCount, request.WayBeforeM, request.UseHeight};
    settings.Method = request.Track;
    return settings;
}
