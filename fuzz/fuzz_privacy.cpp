// A privacy zone over a log: the first byte sets the radius (5 to 1,280 m),
// the rest is the log. Every output is written to memory and read back here:
// the GPX lat and lon attributes, the KML and GeoJSON coordinates, the CSV's
// latitude and longitude columns, the subtitle file's GPS text
// (its position and home). None may lie
// in the zone (measured as the program measures, on the position as
// written), which also keeps the home point out of every file. Positions
// are measured against home when the log's points share one.
// Seeds: logs of the reference folders, each behind a radius byte.
#include "input/InputPatterns.h"
#include "input/LogFamily.h"
#include "input/SrtParser.h"
#include "output/Outputs.h"
#include "output/PrivacyZone.h"
#include "track/LogTime.h"
#include "track/TrackPasses.h"

#include <QBuffer>
#include <QRegularExpression>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

// (lat, lon) pairs the regular expression finds, its captures in `latFirst` order.
void CheckPositions(const Flight& flight, const QString& text, const QRegularExpression& re, bool latFirst)
{
    const FlightRecord& home = flight.Log.Records.front();
    for (auto it = re.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const double a = m.captured(1).toDouble(), b = m.captured(2).toDouble();
        if (InPrivacyZone(flight.PrivacyRadiusM, home, latFirst ? a : b, latFirst ? b : a))
            abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const InputPatterns patterns = InputPatterns::Defaults();
    // (The default pattern prints the distance from home, and so no position
    // at all with a zone; this one prints positions and home.)
    static const QString pattern = QStringLiteral("{ID}\n{SrtTime}\nGPS:{GPS} GPS:{Home}\n\n");
    static const QString number = QStringLiteral("(-?[0-9.]+(?:[eE][-+]?[0-9]+)?)");
    static const QRegularExpression gpx(QStringLiteral("lat=\"%1\" lon=\"%1\"").arg(number));
    static const QRegularExpression lonLat(QStringLiteral("(?:^|[\\s\\[>])%1,%1").arg(number));
    static const QRegularExpression csv(QStringLiteral("^(?:[^,\\n]*,){3}%1,%1,").arg(number),
                                        QRegularExpression::MultilineOption);
    static const QRegularExpression srt(QStringLiteral("GPS:%1,%1").arg(number));
    if (size < 1)
        return 0;
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<int>(size));
    Flight flight = DeriveFlight(ParseLog(bytes.mid(1), patterns, AutomaticFormatId()), {});
    flight.PrivacyRadiusM = 5.0 * (1 + data[0]);
    SetUtcTimes(flight, QTimeZone::utc());
    bool oneHome = !flight.Points.empty();
    for (const FlightRecord& r : flight.Log.Records)
        oneHome = oneHome && r.HomeLat == flight.Log.Records.front().HomeLat && r.HomeLon == flight.Log.Records.front().HomeLon;
    for (const OutputKind& kind : OutputKinds()) {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        if (!kind.Write(flight, pattern, &buffer) || !oneHome)
            continue;
        const QString text = QString::fromUtf8(buffer.data());
        const QString id = QString::fromLatin1(kind.Id);
        if (id.contains(QLatin1String("gpx")))
            CheckPositions(flight, text, gpx, true);
        else if (id == QLatin1String("kml") || id == QLatin1String("geojson"))
            CheckPositions(flight, text, lonLat, false);
        else if (id == QLatin1String("csv"))
            CheckPositions(flight, text, csv, true);
        else if (id == QLatin1String("srt"))
            CheckPositions(flight, text, srt, false);
        else
            abort();  // an output this target does not read
    }
    return 0;
}
