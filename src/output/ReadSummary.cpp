#include "output/ReadSummary.h"

namespace {
QString SummaryNumber(double value)
{
    return QString::number(value, 'g', 6);
}
} // namespace

QString BuildReadSummary(const FlightRecordList& records)
{
    const QString lineEnd = QStringLiteral("\r\n");
    QString summary = QStringLiteral("Parsed ") + QString::number(records.size()) + QStringLiteral(" records") + lineEnd + lineEnd;
    if (records.empty())
        return summary;
    // Latitude first here, unlike the {GPS} placeholder of the subtitles.
    const FlightRecord& first = records.front();
    summary += QStringLiteral("First: GPS: ") + SummaryNumber(first.Lat) + QStringLiteral(", ") + SummaryNumber(first.Lon)
        + QStringLiteral(" SrtTime: ") + first.SrtTime + lineEnd;
    summary += QStringLiteral("Way: ") + SummaryNumber(records.back().Way) + lineEnd;
    return summary;
}
