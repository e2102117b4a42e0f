// A zone and a log: the zone's text (an IANA name, an offset, a POSIX rule,
// anything) is the text before the first NUL byte, the log the bytes after
// it. Within a recording the UTC times SetUtcTimes gives never run back.
// Seeds: logs of the reference folders whose dates cross a change of the
// clocks, each with its zone, and other zones and offsets.
#include "input/InputPatterns.h"
#include "input/LogFamily.h"
#include "input/SrtParser.h"
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
    QTimeZone zone;
    if (nul < 0 || !ParseTimeZone(QString::fromUtf8(bytes.left(nul)), &zone))
        return 0;
    Flight flight = DeriveFlight(ParseLog(bytes.mid(nul + 1), patterns, AutomaticFormatId()), {});
    SetUtcTimes(flight, zone);
    for (const TrackRecording& recording : flight.Recordings) {
        qint64 last = kNoTime;
        for (std::size_t i = recording.First; i < recording.End && i < flight.Points.size(); ++i) {
            const qint64 utc = flight.Points[i].UtcMs;
            if (utc != kNoTime && last != kNoTime && utc < last)
                abort();
            if (utc != kNoTime)
                last = utc;
        }
    }
    return 0;
}
