// Any bytes as a flight log, through the whole path of a conversion: decode,
// split, recognise the layout and read it (and read it as every layout), fill gaps, derive the track with
// and without smoothing, set its times, and write every output kind to memory.
#include "input/InputPatterns.h"
#include "input/LogFamily.h"
#include "input/SrtParser.h"
#include "output/GpxWriter.h"
#include "output/Outputs.h"
#include "output/SrtWriter.h"
#include "track/LogTime.h"
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
    // Recognition picks a layout from the first blocks; every layout's
    // reader then meets the same bytes too.
    Flight flight = DeriveFlight(ParseLog(bytes, patterns, AutomaticFormatId()), {5, 0.0, false});
    for (const LogFamily& family : LogFamilies())
        DeriveFlight(ParseLog(bytes, patterns, QLatin1String(family.Id)), {0, 12.5, true});

    QBuffer gpx;
    gpx.open(QIODevice::WriteOnly);
    if (!WriteGpxRoute(flight, &gpx, GpxRecordStep))
        abort();  // a buffer never refuses a write

    // The writer renders into a 4 MiB chunk buffer that it reserves on every
    // call; the written bytes must be exactly the one-piece rendering.
    QBuffer srt;
    srt.open(QIODevice::WriteOnly);
    if (!WriteSrtBlocks(flight, pattern, &srt))
        abort();
    if (srt.data() != RenderSrtBlocks(flight, pattern))
        abort();

    // The outputs for other programs, from the times in UTC.
    SetUtcTimes(flight, QTimeZone::utc());
    for (const OutputKind& kind : OutputKinds()) {
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        if (!kind.Write(flight, pattern, &out))
            abort();
    }
    return 0;
}
