#include "output/SrtWriter.h"

#include "input/InOrder.h"
#include "output/PathPoints.h"
#include "output/PlaceholderValues.h"
#include "output/SrtTemplate.h"
#include "track/VerticalSpeed.h"

#include <QIODevice>

#include <algorithm>
#include <atomic>
#include <vector>
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
// The room of the bytes being made: a block or more past kFlushBytes.
constexpr int kSinkBytes = kFlushBytes + 64 * 1024;
// Records rendered in one run when several threads write the file: about
// half kFlushBytes of the built-in pattern's blocks.
constexpr std::size_t kRunRecords = 1024;

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

bool WriteSrtBlocks(const Flight& flight, const QString& pattern, QIODevice* device, int jobs)
{
    const std::size_t records = flight.Log.Records.size();
    if (jobs <= 1 || records <= kRunRecords || !VerticalSpeeds::SameFromAnyStart(flight)) {
        QByteArray buffer;
        ByteSink sink(buffer, kSinkBytes);
        const auto flush = [device](ByteSink& out) { return WriteAll(device, out); };
        return subtitles::RenderSrtInto(flight, pattern, sink, kFlushBytes, flush) && flush(sink);
    }
    // Runs of records rendered side by side, each into bytes of its own
    // (two a thread, their room made here: the threads' own heaps would keep
    // it once freed), written in order.
    const std::size_t runs = (records + kRunRecords - 1) / kRunRecords;
    std::vector<QByteArray> rendered(std::min(runs, 2 * static_cast<std::size_t>(jobs)));
    for (QByteArray& bytes : rendered)
        bytes.reserve(kSinkBytes);
    std::atomic<bool> failed{false};
    RunInRing(runs, jobs, rendered, [&](std::size_t run, QByteArray& bytes) {
        if (failed)
            return;
        ByteSink sink(bytes, kSinkBytes);
        subtitles::RenderSrtInto(flight, pattern, sink, std::numeric_limits<int>::max(), [](ByteSink&) { return true; },
                                 run * kRunRecords, (run + 1) * kRunRecords);
        sink.Finish();
    }, [&](std::size_t, const QByteArray& bytes) {
        if (!failed && !WriteAllBytes(device, bytes))
            failed = true;
    });
    return !failed;
}
