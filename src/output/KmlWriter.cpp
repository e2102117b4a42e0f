#include "output/KmlWriter.h"

#include "output/PathPoints.h"
#include "output/PrivacyZone.h"

#include <QXmlStreamWriter>

#include <cmath>

namespace {

const QString kKmlNamespace = QStringLiteral("http://www.opengis.net/kml/2.2");
const QString kGxNamespace = QStringLiteral("http://www.google.com/kml/ext/2.2");

// "lon<separator>lat<separator>height", or "lon,lat" without a height.
QString Coordinates(const FlightRecord& record, const double* elevation, QChar separator)
{
    QString text = FixedText(WrittenLon(record.Lon, kDegreeDecimals), kDegreeDecimals) + separator + FixedText(record.Lat, kDegreeDecimals);
    if (elevation)
        text += separator + FixedText(*elevation, kMetreDecimals);
    return text;
}

void WriteNamedStart(QXmlStreamWriter& xml, const QString& element, const QString& name)
{
    xml.writeStartElement(kKmlNamespace, element);
    xml.writeTextElement(kKmlNamespace, QStringLiteral("name"), name);
}

} // namespace

// Whether the KML draws the path at the height above sea level (absolute)
// rather than above take-off (relativeToGround): only where the log gives
// nothing but the height above sea level, or when asked (and it gives one).
bool KmlAboveSeaLevel(const Flight& flight)
{
    if (!flight.HasAltitude || flight.Kml == KmlHeights::TakeOff)
        return false;
    if (flight.Kml == KmlHeights::SeaLevel)
        return true;
    for (const FlightRecord& record : flight.Log.Records) {
        if (record.Gives(FlightRecord::HasHeight))
            return false;
    }
    return true;
}

bool WriteKml(const Flight& flight, QIODevice* device)
{
    const std::vector<std::vector<size_t>> segments = PathSegments(flight);
    const std::vector<size_t> samples = PathSamples(flight);
    const PathElevations elevations(flight);
    const bool seaLevel = KmlAboveSeaLevel(flight);
    const QString altitudeMode = !elevations.Any() ? QStringLiteral("clampToGround")
        : seaLevel                                 ? QStringLiteral("absolute")
                                                   : QStringLiteral("relativeToGround");
    const bool milliseconds = TimesWithMilliseconds(flight);
    // The coordinates of point i: "lon,lat[,height]" in a LineString,
    // "lon lat height" in a gx:Track (0 without a height).
    const auto coordinates = [&](size_t i, QChar separator, bool zeroHeight) {
        double elevation = seaLevel ? flight.Log.Records[i].AltitudeM : flight.Points[i].HeightM;
        const bool known = elevations.Any() && std::isfinite(elevation) && (!seaLevel || AltitudeLoggedAt(flight, i));
        if (!known)
            elevation = 0.0;
        return Coordinates(flight.Log.Records[i], known || zeroHeight ? &elevation : nullptr, separator);
    };
    // Several recordings make several lines (and tracks) in one placemark.
    const bool multi = segments.size() > 1;

    // Written straight to the device: the path of a long log is large.
    QXmlStreamWriter xml(device);
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(2);
    xml.writeStartDocument();
    xml.writeDefaultNamespace(kKmlNamespace);
    xml.writeNamespace(kGxNamespace, QStringLiteral("gx"));
    xml.writeStartElement(kKmlNamespace, QStringLiteral("kml"));
    WriteNamedStart(xml, QStringLiteral("Document"), QStringLiteral("Flight"));
    xml.writeStartElement(kKmlNamespace, QStringLiteral("Style"));
    xml.writeAttribute(QStringLiteral("id"), QStringLiteral("path"));
    xml.writeStartElement(kKmlNamespace, QStringLiteral("LineStyle"));
    xml.writeTextElement(kKmlNamespace, QStringLiteral("color"), QStringLiteral("ff00a5ff"));  // aabbggrr: orange
    xml.writeTextElement(kKmlNamespace, QStringLiteral("width"), QStringLiteral("3"));
    xml.writeEndElement();
    xml.writeEndElement();

    if (!flight.Points.empty() && !HasPrivacyZone(flight)) {  // no home point with a privacy zone
        WriteNamedStart(xml, QStringLiteral("Placemark"), QStringLiteral("Home"));
        xml.writeStartElement(kKmlNamespace, QStringLiteral("Point"));
        xml.writeTextElement(kKmlNamespace, QStringLiteral("coordinates"),
            FixedText(WrittenLon(flight.Log.Records.front().HomeLon, kDegreeDecimals), kDegreeDecimals) + QLatin1Char(',')
                + FixedText(flight.Log.Records.front().HomeLat, kDegreeDecimals));
        xml.writeEndElement();
        xml.writeEndElement();
    }
    if (!samples.empty()) {
        WriteNamedStart(xml, QStringLiteral("Placemark"), QStringLiteral("Path"));
        xml.writeTextElement(kKmlNamespace, QStringLiteral("styleUrl"), QStringLiteral("#path"));
        if (multi)
            xml.writeStartElement(kKmlNamespace, QStringLiteral("MultiGeometry"));
        for (const std::vector<size_t>& segment : segments) {
            // A LineString needs two points at least.
            xml.writeStartElement(kKmlNamespace, segment.size() > 1 ? QStringLiteral("LineString") : QStringLiteral("Point"));
            xml.writeTextElement(kKmlNamespace, QStringLiteral("altitudeMode"), altitudeMode);
            xml.writeStartElement(kKmlNamespace, QStringLiteral("coordinates"));
            for (size_t k = 0; k < segment.size(); ++k)
                xml.writeCharacters((k ? QStringLiteral("\n") : QString()) + coordinates(segment[k], QLatin1Char(','), false));
            xml.writeEndElement();
            xml.writeEndElement();
        }
        if (multi)
            xml.writeEndElement();
        xml.writeEndElement();
    }
    std::vector<std::vector<size_t>> timed;
    for (const std::vector<size_t>& segment : segments) {
        timed.emplace_back();
        for (const size_t i : segment) {
            if (flight.Points[i].UtcMs != kNoTime)
                timed.back().push_back(i);
        }
        if (timed.back().empty())
            timed.pop_back();
    }
    if (!timed.empty()) {
        WriteNamedStart(xml, QStringLiteral("Placemark"), QStringLiteral("Replay"));
        xml.writeTextElement(kKmlNamespace, QStringLiteral("styleUrl"), QStringLiteral("#path"));
        if (timed.size() > 1)
            xml.writeStartElement(kGxNamespace, QStringLiteral("MultiTrack"));
        for (const std::vector<size_t>& track : timed) {
            xml.writeStartElement(kGxNamespace, QStringLiteral("Track"));
            xml.writeTextElement(kKmlNamespace, QStringLiteral("altitudeMode"), altitudeMode);
            for (const size_t i : track)
                xml.writeTextElement(kKmlNamespace, QStringLiteral("when"), IsoTime(flight.Points[i].UtcMs, milliseconds, true));
            for (const size_t i : track)
                xml.writeTextElement(kGxNamespace, QStringLiteral("coord"), coordinates(i, QLatin1Char(' '), true));
            xml.writeEndElement();
        }
        if (timed.size() > 1)
            xml.writeEndElement();
        xml.writeEndElement();
    }
    xml.writeEndDocument();
    return !xml.hasError();
}
