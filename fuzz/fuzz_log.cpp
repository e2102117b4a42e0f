// Any bytes as a flight log, through the whole path of a conversion: decode,
// split, recognise the layout and read it (in order and in pieces side by
// side; and read it as every layout), fill gaps, derive the track with
// and without smoothing, and write every output to memory.
#include "input/InputPatterns.h"
#include "input/LogFamily.h"
#include "input/LogReader.h"
#include "input/SrtParser.h"
#include "output/Outputs.h"
#include "output/SrtWriter.h"
#include "support/SameLog.h"
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
    FlightLog log = ParseLog(bytes, patterns, AutomaticFormatId());
    // Read in pieces side by side, as files are read, wherever the pieces
    // end, the log holds the same.
    QByteArray copy = bytes;
    QBuffer device(&copy);
    device.open(QIODevice::ReadOnly);
    LogParser parser(patterns, AutomaticFormatId());
    if (!ReadLogBlocks(device, parser, 2, 1 + int(size % 97), 1 + int(size % 61))
        || !LogDifference(parser.Finish(), log).isEmpty())
        abort();
    Flight flight = DeriveFlight(std::move(log), {5, 0.0, false});
    for (const LogFamily& family : LogFamilies())
        DeriveFlight(ParseLog(bytes, patterns, QLatin1String(family.Id)), {0, 12.5, true});

    // The outputs for other programs write the times in UTC.
    SetUtcTimes(flight, QTimeZone::utc());
    for (const OutputKind& kind : OutputKinds()) {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        if (!kind.Write(flight, pattern, &buffer))
            abort();  // a buffer never refuses a write
        // The subtitle writer renders into a 4 MiB chunk buffer that it
        // reserves on every call; the written bytes must be exactly the
        // one-piece rendering.
        if (&kind == &SubtitleOutput() && buffer.data() != RenderSrtBlocks(flight, pattern))
            abort();
    }
    return 0;
}
