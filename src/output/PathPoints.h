#pragma once

#include "output/FixedNumber.h"
#include "track/Flight.h"

#include <QByteArray>
#include <QString>

#include <vector>

class QIODevice;

// What the GPX track, KML and GeoJSON outputs share: which records make the
// path, its elevations and how numbers and times are written.

// Decimals written of metres and m/s (degrees: kDegreeDecimals).
constexpr int kMetreDecimals = 2;

// The records of the path, one per second of flight, in file order: every
// record with a fix of a one-per-second log; for a per-frame log, of the
// records whose cue time (TrackPoint::TimeMs) rounds to the same whole
// second, the one with a fix nearest that second. Records without a fix, and
// those whose fix lies in the privacy zone (output/PrivacyZone.h), are left
// out.
std::vector<size_t> PathSamples(const Flight& flight);
// The same, one list per recording of the flight (a recording without a fix
// has none, unless it is the only one), cut as SamplesByClip cuts them: the
// segments of the GPX track and the KML path. A later recording's seconds
// are those of its own cues.
std::vector<std::vector<size_t>> PathSegments(const Flight& flight);

// `samples` cut where the flight's clips start (Flight::ClipStarts), and
// with a privacy zone where the path passes through it (a logged position
// inside it lies between two samples): one piece per clip, and per pass
// outside the zone, that has a sample. No line is drawn across the zone.
std::vector<std::vector<size_t>> SamplesByClip(const Flight& flight, const std::vector<size_t>& samples);

// The elevations of the points in metres: above sea level where the flight
// has such heights (Flight::HasAltitude), otherwise above take-off.
class PathElevations {
public:
    explicit PathElevations(const Flight& flight);
    // Whether any record gives a height (above take-off or sea level).
    bool Any() const { return m_any; }
    // The elevation of point `index`; false without heights or when the value
    // is not a number.
    bool At(size_t index, double* metres) const;

private:
    const Flight& m_flight;
    bool m_any = false;
};

// Whether the times of the flight are written with milliseconds: per-frame
// logs and logs whose dates carry them.
bool TimesWithMilliseconds(const Flight& flight);

// Appends "YYYY-MM-DDThh:mm:ss", then ".mmm" when `milliseconds`, then "Z"
// when `utc`, for `ms` milliseconds since 1970-01-01T00:00 (proleptic
// Gregorian calendar, years 0 to 9999).
void AppendIsoTime(QByteArray& out, qint64 ms, bool milliseconds, bool utc);
// The same written into `out`, which has room for kIsoTimeRoom characters;
// returns the end of the text.
constexpr int kIsoTimeRoom = 24;
char* WriteIsoTime(char* out, qint64 ms, bool milliseconds, bool utc);
QString IsoTime(qint64 ms, bool milliseconds, bool utc);

// `value` with `decimals` digits after the point, as AppendFixed writes it.
QString FixedText(double value, int decimals);

// One write of all the bytes; false when it failed or was short.
bool WriteAllBytes(QIODevice* device, const char* data, qint64 size);
inline bool WriteAllBytes(QIODevice* device, const QByteArray& bytes)
{
    return WriteAllBytes(device, bytes.constData(), bytes.size());
}
