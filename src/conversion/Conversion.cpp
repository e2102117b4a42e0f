#include "conversion/Conversion.h"

#include "output/SrtWriter.h"
#include "track/LogTime.h"

bool ConversionResult::Wrote(const OutputKind& kind) const
{
    for (const Output& output : Outputs) {
        if (output.Kind == &kind && output.Written())
            return true;
    }
    return false;
}

ConversionResult Convert(const ConversionRequest& request)
{
    ConversionResult result;
    result.WayAfterM = request.WayBeforeM;
    QTimeZone zone;
    if (!ParseTimeZone(request.TimeZone, &zone)) {
        result.Read = ReadStatus::UnknownTimeZone;
        result.UnknownTimeZone = request.TimeZone;
        return result;
    }
    LogReadResult read = ReadFlightLog(request.InputName, request.Patterns, request.FormatId);
    result.Read = read.Status;
    if (read.Status != ReadStatus::Ok)
        return result;

    result.Flight = DeriveFlight(std::move(read.Log), {request.SmoothingCount, request.WayBeforeM, request.UseHeight});
    SetUtcTimes(result.Flight, zone);
    result.Flight.Kml = request.Kml;
    result.Flight.PrivacyRadiusM = request.PrivacyRadiusM;
    result.WayAfterM = result.Flight.Points.back().WayM;
    for (const ConversionRequest::Output& output : request.Outputs) {
        ConversionResult::Output written{output.Kind, output.Name};
        written.Check = CheckOutputName(output.Name, request.InputName);
        if (written.Check == NameCheck::Ok)
            written.Status = SaveOutput(*output.Kind, result.Flight, request.OutPattern, output.Name);
        result.Outputs.push_back(written);
    }
    return result;
}

QString SubtitlePreview(const Flight& flight, std::size_t index, const QString& pattern)
{
    if (index >= flight.Log.Records.size() || index >= flight.Points.size())
        return QString();
    return RenderSrtRecord(flight, static_cast<int>(index), pattern);
}
