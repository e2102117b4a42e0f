#pragma once

#include "input/CivilTime.h"
#include "input/FlightRecord.h"

#include <QString>
#include <QTimeZone>

struct Flight;

// The logs write the local wall-clock time of the remote controller or phone
// without a zone. These functions turn it into UTC, in the zone the user
// names, with the daylight-saving rules of the flight's own date.

// The zone of `text`: an IANA name ("Europe/Madrid"), "UTC" or "Z", an
// offset from UTC ("+05:30", "-03:00", "+0530", "-3"; at most 14 hours), or
// any other zone id Qt knows (POSIX rules such as "EST5EDT"). Empty text (or
// blanks only) is this computer's zone, and UTC where the computer has none;
// where QTimeZone cannot name the zone TZ gives, it is an invalid QTimeZone:
// LocalToUtc then takes the offsets from the C library, as `date` does.
// Returns false, leaving `zone` alone, when the text names no zone.
bool ParseTimeZone(const QString& text, QTimeZone* zone);

// Converts local wall-clock milliseconds (FlightRecord::LocalTimeMs) of one
// zone to UTC milliseconds since 1970-01-01T00:00Z, and back. A local time
// that does not exist (the hour skipped when the clocks go forward) is read
// with the offset before the change, so 02:30 in Madrid on the last Sunday of March
// is 01:30Z, just as 03:30 summer time is. A local time that happens twice
// (the hour repeated when the clocks go back) is read as the first of the
// two, in summer time. The offset is looked up once per local hour and kept
// for the next call in the same hour, so converting the millions of records
// of a per-frame log costs a few look-ups per hour of flight.
class LocalToUtc {
public:
    explicit LocalToUtc(const QTimeZone& zone);
    // kNoTime stays kNoTime.
    qint64 ToUtcMs(qint64 localMs);
    // The wall-clock time of the zone at an instant (unique, unlike the
    // other way round); the offset is kept for its UTC hour likewise.
    qint64 ToLocalMs(qint64 utcMs);

private:
    qint64 OffsetMsAtUtc(qint64 utcMs) const;
    qint64 OffsetMsOfLocal(qint64 localMs) const;

    // An offset looked up once per hour (local or UTC) and kept for the
    // next call in the same hour; an hour whose two ends disagree (clocks
    // change on a whole local hour almost everywhere) is looked up call by
    // call.
    struct KeptOffset {
        qint64 Hour = kNoTime;
        qint64 OffsetMs = 0;
        bool Uniform = false;
        template <typename OffsetOf>
        qint64 At(qint64 ms, OffsetOf offsetOf)
        {
            const qint64 hour = FloorDiv(ms, kMsPerHour);
            if (hour != Hour) {
                Hour = hour;
                OffsetMs = offsetOf(hour * kMsPerHour);
                Uniform = offsetOf(hour * kMsPerHour + kMsPerHour - 1) == OffsetMs;
            }
            return Uniform ? OffsetMs : offsetOf(ms);
        }
    };

    QTimeZone m_zone;
    KeptOffset m_localHour;  // by local hour, for ToUtcMs
    KeptOffset m_utcHour;    // by UTC hour, for ToLocalMs
};

// Sets UtcMs and LocalMs of every point of the flight in `zone`: within a
// recording, a block's UTC time is the recording's first dated block's date
// in UTC plus the cue time since, so it runs on when the clocks change (the
// logged dates jump by the change of offset, or repeat an hour); its LocalMs
// is that instant on the zone's clock (02:00:00 follows 02:59:59 when the
// clocks go back). A point whose block has no date of its own, or that comes
// before its recording's first dated block, has neither (kNoTime).
void SetUtcTimes(Flight& flight, const QTimeZone& zone);

// Whether any record of the flight gives a date and time.
bool FlightHasDates(const Flight& flight);
