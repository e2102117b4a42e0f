#include "output/Conversion.h"

#include "track/LogTime.h"

bool ConversionResult::Wrote(const OutputKind& kind) const
{
    for (const Output& output : Outputs) {
        if (output.Kind == &kind && output.Status == WriteStatus::Written)
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
    result.Flight.PrivacyRadiusM = request.PrivacyRadiusM;
    result.WayAfterM = result.Flight.Points.back().WayM;
    for (const ConversionRequest::Output& output : request.Outputs) {
        WriteStatus status = CheckOutputName(output.Name, request.InputName);
        if (status == WriteStatus::Written)
            status = SaveOutput(*output.Kind, result.Flight, request.OutPattern, output.Name);
        result.Outputs.push_back({output.Kind, output.Name, status});
    }
    return result;
}

UserMessage ConversionFailureMessage(const ConversionResult& result)
{
    UserMessage message = ReadOutcomeMessage(result.Read);
    if (result.Read == ReadStatus::UnknownTimeZone)
        message.Text = QStringLiteral("Unknown time zone: %1.").arg(result.UnknownTimeZone);
    return message;
}
