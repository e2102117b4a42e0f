#include "output/GpxWriter.h"

#include "output/FixedNumber.h"
#include "output/Maker.h"
#include "output/PathPoints.h"
#include "output/PrivacyZone.h"

#include <QIODevice>
#include <QString>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

// Decimals of the route's degrees.
constexpr int kRouteDecimals = 5;

QByteArray HeaderBytes()
{
    QString text = QStringLiteral("<?xml version=\"1.0\"?>\r\n");
    text += QStringLiteral("<gpx version=\"1.1\" creator=\"");
    text += QLatin1String(kMakerSiteTag);
    text += QStringLiteral("\" xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\""
                           " xmlns=\"http://www.topografix.com/GPX/1/1\""
                           " xsi:schemaLocation=\"http://www.topografix.com/GPX/1/1"
                           " http://www.topografix.com/GPX/1/1/gpx.xsd\">\r\n");
    text += QStringLiteral("<rte>\r\n");
    return text.toUtf8();
}

QByteArray FooterBytes()
{
    return QByteArrayLiteral("</rte>\r\n</gpx>\r\n");
}

// The numbers contain no braces, so filling the point templates by
// concatenation gives the same text as replacing {Lt}, {Lg} and {H} in turn.
// Without a height: "<rtept lat="{Lt}" lon="{Lg}">\r\n</rtept>\r\n"; with
// one: "<rtept lat="{Lt}" lon="{Lg}">\r\n<ele>{H}</ele>\r\n</rtept>\r\n".
void AppendPoint(QByteArray& out, double latDeg, double lonDeg, const double* heightMetres)
{
    out += "<rtept lat=\"";
    AppendFixed(out, latDeg, kRouteDecimals);
    out += "\" lon=\"";
    // GPX longitudes lie in [-180, 180): the antimeridian is written as
    // -180, which is the same meridian.
    const int lonStart = out.size();
    AppendFixed(out, lonDeg, kRouteDecimals);
    if (out.size() - lonStart == 9 && std::memcmp(out.constData() + lonStart, "180.00000", 9) == 0)
        out.insert(lonStart, '-');
    out += "\">\r\n";
    if (heightMetres) {
        out += "<ele>";
        AppendFixed(out, *heightMetres, 2);
        out += "</ele>\r\n";
    }
    out += "</rtept>\r\n";
}

// One point's piece, in a buffer kept between calls (no allocation per point).
const QByteArray& PointBytes(double latDeg, double lonDeg, const double* heightMetres = nullptr)
{
    thread_local QByteArray bytes;
    bytes.resize(0);
    AppendPoint(bytes, latDeg, lonDeg, heightMetres);
    return bytes;
}

// Truncation toward zero into the 32-bit HeightOffset. A barometer beyond the
// int range (only possible with a user-made pattern) is clamped instead of
// being converted with undefined behaviour.
int TruncateToInt(double metres)
{
    if (metres <= static_cast<double>(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    if (metres >= static_cast<double>(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    return static_cast<int>(metres);
}

}  // namespace

bool WriteGpxHeader(QIODevice* device)
{
    return WriteAllBytes(device, HeaderBytes());
}

bool WriteGpxPoint(double latDeg, double lonDeg, QIODevice* device)
{
    return WriteAllBytes(device, PointBytes(latDeg, lonDeg));
}

bool WriteGpxPointWithHeight(double latDeg, double lonDeg, double heightMetres, QIODevice* device)
{
    return WriteAllBytes(device, PointBytes(latDeg, lonDeg, &heightMetres));
}

bool WriteGpxFooter(QIODevice* device)
{
    return WriteAllBytes(device, FooterBytes());
}

std::vector<size_t> RouteSamples(const Flight& flight, int step)
{
    std::vector<size_t> samples;
    const FlightRecordList& records = flight.Log.Records;
    if (step < 1)
        return samples;
    std::vector<TrackRecording> recordings = flight.Recordings;
    if (recordings.empty())
        recordings.push_back({0, records.size(), flight.PerFrame, 0.0});
    // At most one record in `step` of each recording: no growing copies of
    // a long log's samples beside its records.
    samples.reserve(records.size() / static_cast<size_t>(step) + recordings.size());
    // The route writes the positions with gaps filled: where one lies in the
    // privacy zone, the record is passed over as if the log had none.
    const bool zone = HasPrivacyZone(flight);
    const auto inZone = [&](size_t i) {
        const FlightRecord& fix = records[i];  // the logged position, gaps filled
        return zone && InPrivacyZone(flight, fix, fix.Lat, fix.Lon, kRouteDecimals);
    };
    for (const TrackRecording& r : recordings) {
        const size_t end = std::min(r.End, records.size());
        if (!r.PerFrame) {
            size_t kept = 0;
            for (size_t i = r.First; i < end; ++i) {
                if (!inZone(i) && kept++ % static_cast<size_t>(step) == 0)
                    samples.push_back(i);
            }
            continue;
        }
        // Per frame: the first record, then the first one whose cue starts
        // at or after each further `step` seconds (records without a cue are
        // passed over).
        const qint64 stepMs = qint64(step) * 1000;
        qint64 next = kNoTime;
        for (size_t i = r.First; i < end; ++i) {
            if (inZone(i))
                continue;
            const qint64 cue = records[i].CueStartMs;
            if (next == kNoTime) {
                samples.push_back(i);
                next = cue == kNoTime ? kNoTime : cue + stepMs;
            } else if (cue != kNoTime && cue >= next) {
                samples.push_back(i);
                while (next <= cue)
                    next += stepMs;
            }
        }
    }
    return samples;
}

bool WriteGpxRoute(const Flight& flight, QIODevice* device, int step)
{
    // A step below 1 would sample the first record forever.
    if (step < 1 || !WriteGpxHeader(device))
        return false;
    const Track& points = flight.Points;
    const std::vector<size_t> samples = RouteSamples(flight, step);

    // Elevations are written as soon as one sampled height is not 0 (a NaN
    // counts as not 0). HeightOffset lifts a route that dips below the home
    // level so that the lowest elevation lies within (-1, 0].
    bool heightsPresent = false;
    int heightOffset = 0;
    for (const size_t i : samples) {
        const double height = points[i].HeightM;
        if (!(height == 0.0))
            heightsPresent = true;
        if (static_cast<double>(heightOffset) > height)
            heightOffset = TruncateToInt(height);
    }

    const FlightRecordList& records = flight.Log.Records;  // the logged positions, gaps filled
    for (size_t k = 0; k < samples.size(); ++k) {
        const TrackPoint& point = points[samples[k]];
        const FlightRecord& fix = records[samples[k]];
        // The position is unchanged since the previous sampled record (and
        // so since the last written point). NaN never equals anything, so a
        // NaN position is always written.
        if (k > 0 && fix.Lat == records[samples[k - 1]].Lat && fix.Lon == records[samples[k - 1]].Lon)
            continue;
        const bool written = heightsPresent
            ? WriteGpxPointWithHeight(fix.Lat, fix.Lon, point.HeightM - static_cast<double>(heightOffset), device)
            : WriteGpxPoint(fix.Lat, fix.Lon, device);
        if (!written)
            return false;
    }
    return WriteGpxFooter(device);
}
