#include "output/Outputs.h"

#include "output/CsvWriter.h"
#include "output/GeoJsonWriter.h"
#include "output/GpxTrackWriter.h"
#include "output/GpxWriter.h"
#include "output/KmlWriter.h"
#include "output/SrtWriter.h"

namespace {

bool WriteRoute(const Flight& flight, QIODevice* device)
{
    return WriteGpxRoute(flight, device, GpxRecordStep);
}

} // namespace

const std::vector<OutputKind>& OutputKinds()
{
    static const std::vector<OutputKind> kinds = {
        {"srt", ".sorned.srt", nullptr, WriteSrtBlocks, "computed subtitle file", true},
        {"gpx", ".gpx", WriteRoute, nullptr, "GPX 1.1 route", true},
        {"gpx-track", ".track.gpx", WriteGpxTrack, nullptr, "GPX 1.1 track with UTC times", false},
        {"kml", ".kml", WriteKml, nullptr, "KML 2.2 path for Google Earth", false},
        {"csv", ".csv", WriteCsv, nullptr, "CSV table of every record", false},
        {"geojson", ".geojson", WriteGeoJson, nullptr, "GeoJSON path and home point", false},
    };
    return kinds;
}

const OutputKind& SubtitleOutput()
{
    static const OutputKind& kind = *FindOutputKind(QStringLiteral("srt"));
    return kind;
}

const OutputKind& RouteOutput()
{
    static const OutputKind& kind = *FindOutputKind(QStringLiteral("gpx"));
    return kind;
}

const OutputKind* FindOutputKind(const QString& id)
{
    for (const OutputKind& kind : OutputKinds()) {
        if (id == QLatin1String(kind.Id))
            return &kind;
    }
    return nullptr;
}
