// Any bytes as a flight log, through the whole path of a conversion: decode,
// split, parse with the default patterns, fill gaps, derive the track with
// and without smoothing, and write both outputs to memory.
#include "input/InputPatterns.h"
#include "input/SrtParser.h"
#include "output/GpxWriter.h"
#include "output/SrtWriter.h"
#include "track/TrackPasses.h"

#include <QBuffer>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const InputPatterns patterns = InputPatterns::Defaults();
    static const QString pattern = DefaultOutputPattern();

    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<int>(size));
    FlightRecordList records = ParseSrtText(bytes, patterns);

    QBuffer gpx;
    gpx.open(QIODevice::WriteOnly);
    if (!WriteGpxRoute(records, &gpx, GpxRecordStep))
        abort();  // a buffer never refuses a write

    FlightRecordList unsmoothed = records;
    DeriveTrack(records, 5, 0.0);
    DeriveTrack(unsmoothed, 0, 12.5);
    // The writer renders into a 4 MiB chunk buffer that it reserves on every
    // call; rendering the second list in one piece keeps the runs fast, and
    // the written bytes must be exactly the one-piece rendering.
    QBuffer srt;
    srt.open(QIODevice::WriteOnly);
    if (!WriteSrtBlocks(records, pattern, &srt))
        abort();
    if (srt.data() != RenderSrtBlocks(records, pattern))
        abort();
    RenderSrtBlocks(unsmoothed, pattern);
    return 0;
}
