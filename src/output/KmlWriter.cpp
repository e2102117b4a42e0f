#include "output/KmlWriter.h"

#include "output/PathPoints.h"

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
        : flight.HasAltitude                       ? QStringLiteral("absolute")
                                                   : QStringLiteral("relativeToGround");
    const bool milliseconds = TimesWithMilliseconds(flight);
    std::vector<size_t> timed;
    for (const size_t i : samples) {
        if (flight.Points[i].UtcMs != kNoTime)
            timed.push_back(i);
    }
    // The coordinates of point i: "lon,lat[,height]" in a LineString,
    // "lon lat height" in a gx:Track (0 without a height).
    const auto coordinates = [&](size_t i, QChar separator, bool zeroHeight) {
        double elevation = 0.0;
        const bool known = elevations.At(i, &elevation);
        if (!known)
            elevation = 0.0;
        return Coordinates(flight.Log.Records[i], known || zeroHeight ? &elevation : nullptr, separator);
    };

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

    if (!flight.Points.empty()) {
        WriteNamedStart(xml, QStringLiteral("Placemark"), QStringLiteral("Home"));
        xml.writeStartElement(kKmlNamespace, QStringLiteral("Point"));
        xml.writeTextElement(kKmlNamespace, QStringLiteral("coordinates"),
            FixedText(flight.Points.front().HomeLon, kDegreeDecimals) + QLatin1Char(',')
                + FixedText(flight.Points.front().HomeLat, kDegreeDecimals));
        xml.writeEndElement();
        xml.writeEndElement();
    }
    if (!samples.empty()) {
        WriteNamedStart(xml, QStringLiteral("Placemark"), QStringLiteral("Path"));
        xml.writeTextElement(kKmlNamespace, QStringLiteral("styleUrl"), QStringLiteral("#path"));
        const std::vector<std::vector<size_t>> pieces = SamplesByClip(flight, samples);
        // A flight of several clips: one line each.
        if (pieces.size() > 1)
            xml.writeStartElement(kKmlNamespace, QStringLiteral("MultiGeometry"));
        for (const std::vector<size_t>& piece : pieces) {
            // A LineString needs two points at least.
            xml.writeStartElement(kKmlNamespace, piece.size() > 1 ? QStringLiteral("LineString") : QStringLiteral("Point"));
            xml.writeTextElement(kKmlNamespace, QStringLiteral("altitudeMode"), altitudeMode);
            xml.writeStartElement(kKmlNamespace, QStringLiteral("coordinates"));
            for (size_t k = 0; k < piece.size(); ++k)
                xml.writeCharacters((k ? QStringLiteral("\n") : QString()) + coordinates(piece[k], QLatin1Char(','), false));
            xml.writeEndElement();
            xml.writeEndElement();
        }
        if (pieces.size() > 1)
            xml.writeEndElement();
        xml.writeEndElement();
    }
    if (!timed.empty()) {
        WriteNamedStart(xml, QStringLiteral("Placemark"), QStringLiteral("Replay"));
        xml.writeTextElement(kKmlNamespace, QStringLiteral("styleUrl"), QStringLiteral("#path"));
        xml.writeStartElement(kGxNamespace, QStringLiteral("Track"));
        xml.writeTextElement(kKmlNamespace, QStringLiteral("altitudeMode"), altitudeMode);
        for (const size_t i : timed)
            xml.writeTextElement(kKmlNamespace, QStringLiteral("when"), IsoTime(flight.Points[i].UtcMs, milliseconds, true));
        for (const size_t i : timed)
            xml.writeTextElement(kGxNamespace, QStringLiteral("coord"), coordinates(i, QLatin1Char(' '), true));
        xml.writeEndElement();
        xml.writeEndElement();
    }
    xml.writeEndDocument();
    return !xml.hasError();
}
