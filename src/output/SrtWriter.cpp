#include "output/SrtWriter.h"

#include "output/PathPoints.h"
#include "output/PlaceholderValues.h"
#include "output/SrtTemplate.h"

#include <QIODevice>

#include <algorithm>
#include <limits>

namespace {

// Writes all of `out` in one call and empties it; a failed or short write
// is a failure.
bool WriteAll(QIODevice* device, ByteSink& out)
{
    const int size = out.Size();
    out.Clear();
    return WriteAllBytes(device, out.Data(), size);
}

constexpr int kFlushBytes = 256 * 1024;

}  // namespace

QString DefaultOutputPattern()
{
    return QStringLiteral(
        "{ID}\r\n"
        "{SrtTime}\r\n"
        "{FlyTime}   GPS:{GPS}   Hb:{Barometer}\r\n"
        "Dst: {Distance}m   Spd: {SpeedMS}m/s  ({SpeedKMH}km/h)   Way: {Way}m\r\n"
        "\r\n");
}

QString RenderSrtRecord(const Flight& flight, int index, const QString& pattern)
{
    if (index < 0 || static_cast<size_t>(index) >= std::min(flight.Log.Records.size(), flight.Points.size()))
        return QString();
    const subtitles::FlightValues values(flight, pattern);
    return subtitles::ExpandBlock(flight.Log.Records[static_cast<size_t>(index)], flight.Points[static_cast<size_t>(index)], index,
                       pattern, values);
}

QByteArray RenderSrtBlocks(const Flight& flight, const QString& pattern)
{
    QByteArray out;
    ByteSink sink(out, 64 * 1024);
    subtitles::RenderSrtInto(flight, pattern, sink, std::numeric_limits<int>::max(), [](ByteSink&) { return true; });
    sink.Finish();
    return out;
}

bool WriteSrtBlocks(const Flight& flight, const QString& pattern, QIODevice* device)
{
    QByteArray buffer;
    ByteSink sink(buffer, kFlushBytes + 64 * 1024);
    const auto flush = [device](ByteSink& out) { return WriteAll(device, out); };
    return subtitles::RenderSrtInto(flight, pattern, sink, kFlushBytes, flush) && flush(sink);
}
