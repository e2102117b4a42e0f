#include "conversion/ReadSummary.h"

#include "output/Outputs.h"
#include "output/PlaceholderValues.h"
#include "output/PrivacyZone.h"
#include "output/SrtWriter.h"
#include "track/LogTime.h"

namespace {
QString SummaryNumber(double value)
{
    return QString::number(value, 'g', 6);
}
} // namespace

QString BuildReadSummary(const Flight& flight, const ConversionRequest& request)
{
    const QString lineEnd = QStringLiteral("\r\n");
    const FlightRecordList& records = flight.Log.Records;
    QString summary = QStringLiteral("Parsed ") + QString::number(records.size()) + QStringLiteral(" records") + lineEnd + lineEnd;
    if (records.empty())
        return summary;
    // Latitude first here, unlike the {GPS} placeholder of the subtitles;
    // a position the privacy zone hides, as written here, is not.
    const TrackPoint& first = flight.Points.front();
    const QString lat = SummaryNumber(first.Lat), lon = SummaryNumber(first.Lon);
    const bool hidden = HasPrivacyZone(flight) && InPrivacyZone(flight.PrivacyRadiusM, records.front(), lat.toDouble(), lon.toDouble());
    summary += QStringLiteral("First: GPS: ") + (hidden ? QStringLiteral("in the privacy zone") : lat + QStringLiteral(", ") + lon)
        + QStringLiteral(" SrtTime: ") + records.front().SrtTimeText() + lineEnd;
    summary += QStringLiteral("Way: ") + SummaryNumber(flight.Points.back().WayM) + lineEnd;
    const LogFamily* family = flight.Log.Family;
    if (family && !family->ReadByPatterns())
        summary += QStringLiteral("Log format: ") + flight.Log.FormatName() + lineEnd;
    if (flight.Log.CuesFromDates)
        summary += QStringLiteral("No cue times in the log: cues taken from the dates") + lineEnd;
    if (!FlightHasDates(flight))
        summary += QStringLiteral("No dates in the log: the outputs carry no times") + lineEnd;
    if (!flight.Log.GivesHeights())
        summary += QStringLiteral("No heights in the log") + lineEnd;
    if (flight.Log.InRadians)
        summary += QStringLiteral("Positions in radians: read as such") + lineEnd;
    if (flight.Log.Source == FlightLog::ReadFrom::VideoTrack)
        summary += QStringLiteral("Read from the video's subtitle track") + lineEnd;
    else if (flight.Log.Source == FlightLog::ReadFrom::LogBesideVideo)
        summary += QStringLiteral("Read from the log beside the video: ") + flight.Log.SourceName + lineEnd;
    if (HasPrivacyZone(flight))
        summary += QStringLiteral("Privacy: %1 positions within %2 m of home left out")
                       .arg(CountInPrivacyZone(flight))
                       .arg(SummaryNumber(flight.PrivacyRadiusM))
            + lineEnd;
    for (const ConversionRequest::Output& output : request.Outputs) {
        if (output.Kind == &SubtitleOutput() && SubtitlesLeaveOutPositions(flight, request.OutPattern)) {
            summary += QStringLiteral("Privacy zone: positions left out of the subtitles, which print distances from home") + lineEnd;
            break;
        }
    }
    return summary;
}
