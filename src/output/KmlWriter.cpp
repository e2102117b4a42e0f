#include "output/KmlWriter.h"

#include "output/PathPoints.h"

#include <QStringList>
#include <QXmlStreamWriter>

namespace {

const QString kKmlNamespace = QStringLiteral("http://www.opengis.net/kml/2.2");
const QString kGxNamespace = QStringLiteral("http://www.google.com/kml/ext/2.2");

// "lon<separator>lat<separator>height", or "lon,lat" without a height.
QString Coordinates(const FlightRecord& record, const double* elevation, QChar separator)
{
    QString text = FixedText(record.Lon, kDegreeDecimals) + separator + FixedText(record.Lat, kDegreeDecimals);
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

bool WriteKml(const Flight& flight, QIODevice* device)
{
    const std::vector<size_t> samples = PathSamples(flight);
    const PathElevations elevations(flight);
    const QString altitudeMode = !elevations.Any() ? QStringLiteral("clampToGround")
        : flight.HasAltitude              ? QStringLiteral("absolute")
                                          : QStringLiteral("relativeToGround");
    QStringList path;
    QStringList when;
    QStringList coords;
    const bool milliseconds = TimesWithMilliseconds(flight);
    for (const size_t i : samples) {
        const FlightRecord& record = flight.Log.Records[i];
        double elevation = 0.0;
        const bool hasElevation = elevations.At(i, &elevation);
        path << Coordinates(record, hasElevation ? &elevation : nullptr, QLatin1Char(','));
        if (flight.Points[i].UtcMs != kNoTime) {
            when << IsoTime(flight.Points[i].UtcMs, milliseconds, true);
            const double ground = 0.0;
            coords << Coordinates(record, hasElevation ? &elevation : &ground, QLatin1Char(' '));
        }
    }

    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
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

    if (!flight.Points.empty()) {
        WriteNamedStart(xml, QStringLiteral("Placemark"), QStringLiteral("Home"));
        xml.writeStartElement(kKmlNamespace, QStringLiteral("Point"));
        xml.writeTextElement(kKmlNamespace, QStringLiteral("coordinates"),
            FixedText(flight.Points.front().HomeLon, kDegreeDecimals) + QLatin1Char(',')
                + FixedText(flight.Points.front().HomeLat, kDegreeDecimals));
        xml.writeEndElement();
        xml.writeEndElement();
    }
    if (!path.isEmpty()) {
        WriteNamedStart(xml, QStringLiteral("Placemark"), QStringLiteral("Path"));
        xml.writeTextElement(kKmlNamespace, QStringLiteral("styleUrl"), QStringLiteral("#path"));
        // A LineString needs two points at least.
        xml.writeStartElement(kKmlNamespace, path.size() > 1 ? QStringLiteral("LineString") : QStringLiteral("Point"));
        xml.writeTextElement(kKmlNamespace, QStringLiteral("altitudeMode"), altitudeMode);
        xml.writeTextElement(kKmlNamespace, QStringLiteral("coordinates"), path.join(QLatin1Char('\n')));
        xml.writeEndElement();
        xml.writeEndElement();
    }
    if (!when.isEmpty()) {
        WriteNamedStart(xml, QStringLiteral("Placemark"), QStringLiteral("Replay"));
        xml.writeTextElement(kKmlNamespace, QStringLiteral("styleUrl"), QStringLiteral("#path"));
        xml.writeStartElement(kGxNamespace, QStringLiteral("Track"));
        xml.writeTextElement(kKmlNamespace, QStringLiteral("altitudeMode"), altitudeMode);
        for (const QString& time : when)
            xml.writeTextElement(kKmlNamespace, QStringLiteral("when"), time);
        for (const QString& coord : coords)
            xml.writeTextElement(kGxNamespace, QStringLiteral("coord"), coord);
        xml.writeEndElement();
        xml.writeEndElement();
    }
    xml.writeEndDocument();
    return !xml.hasError() && WriteAllBytes(device, bytes);
}
