// A random output pattern over a random log: the pattern is the text before
// the first NUL byte, the log the bytes after it. The subtitle file as the
// writer renders it (each pattern compiled once, records put together in
// place) must be, byte for byte, the one-piece rendering of every record
// (each placeholder replaced in turn over the whole pattern).
// Seeds: the patterns and logs of the reference folders that print every
// placeholder, with and without a privacy zone.
#include "input/InputPatterns.h"
#include "input/LogFamily.h"
#include "input/SrtParser.h"
#include "output/SrtWriter.h"
#include "track/LogTime.h"
#include "track/TrackPasses.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const InputPatterns patterns = InputPatterns::Defaults();
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<int>(size));
    const int nul = bytes.indexOf('\0');
    if (nul < 0)
        return 0;
    const QString pattern = QString::fromUtf8(bytes.left(nul));
    Flight flight = DeriveFlight(ParseLog(bytes.mid(nul + 1), patterns, AutomaticFormatId()), {5, 0.0, false});
    // The pattern's first byte, when a digit, sets a privacy zone of that
    // many tens of metres.
    if (nul > 0 && bytes[0] >= '1' && bytes[0] <= '9')
        flight.PrivacyRadiusM = 10.0 * (bytes[0] - '0');
    SetUtcTimes(flight, QTimeZone::utc());
    QByteArray onePiece;
    for (int i = 0; i < static_cast<int>(flight.Log.Records.size()); ++i)
        onePiece += RenderSrtRecord(flight, i, pattern).toUtf8();
    if (RenderSrtBlocks(flight, pattern) != onePiece)
        abort();
    return 0;
}
