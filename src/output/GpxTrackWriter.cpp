#include "output/GpxTrackWriter.h"

#include "output/Maker.h"
#include "output/PathPoints.h"

#include <QXmlStreamWriter>

namespace {

const QString kGpxNamespace = QStringLiteral("http://www.topografix.com/GPX/1/1");
const QString kSchemaNamespace = QStringLiteral("http://www.w3.org/2001/XMLSchema-instance");

} // namespace

bool WriteGpxTrack(const Flight& flight, QIODevice* device)
{
    // Written straight to the device: the track of a long log is large.
    QXmlStreamWriter xml(device);
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(2);
    xml.writeStartDocument();
    xml.writeDefaultNamespace(kGpxNamespace);
    xml.writeNamespace(kSchemaNamespace, QStringLiteral("xsi"));
    xml.writeStartElement(kGpxNamespace, QStringLiteral("gpx"));
    xml.writeAttribute(QStringLiteral("version"), QStringLiteral("1.1"));
    xml.writeAttribute(QStringLiteral("creator"), QLatin1String(kMakerSiteTag));
    xml.writeAttribute(kSchemaNamespace, QStringLiteral("schemaLocation"),
                       kGpxNamespace + QStringLiteral(" http://www.topografix.com/GPX/1/1/gpx.xsd"));
    xml.writeStartElement(kGpxNamespace, QStringLiteral("trk"));
    xml.writeStartElement(kGpxNamespace, QStringLiteral("trkseg"));

    const bool milliseconds = TimesWithMilliseconds(flight);
    const PathElevations elevations(flight);
    auto clipStart = flight.ClipStarts.begin();
    for (const size_t i : PathSamples(flight)) {
        // A flight of several clips: one segment each.
        if (clipStart != flight.ClipStarts.end() && i >= *clipStart) {
            while (clipStart != flight.ClipStarts.end() && i >= *clipStart)
                ++clipStart;
            xml.writeEndElement();
            xml.writeStartElement(kGpxNamespace, QStringLiteral("trkseg"));
        }
        const FlightRecord& record = flight.Log.Records[i];
        xml.writeStartElement(kGpxNamespace, QStringLiteral("trkpt"));
        xml.writeAttribute(QStringLiteral("lat"), FixedText(record.Lat, kDegreeDecimals));
        xml.writeAttribute(QStringLiteral("lon"), FixedText(record.Lon, kDegreeDecimals));
        double elevation = 0.0;
        if (elevations.At(i, &elevation))
            xml.writeTextElement(kGpxNamespace, QStringLiteral("ele"), FixedText(elevation, kMetreDecimals));
        if (flight.Points[i].UtcMs != kNoTime)
            xml.writeTextElement(kGpxNamespace, QStringLiteral("time"), IsoTime(flight.Points[i].UtcMs, milliseconds, true));
        xml.writeEndElement();
    }
    xml.writeEndDocument();
    return !xml.hasError();
}
