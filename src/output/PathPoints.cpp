#include "output/PathPoints.h"

#include "input/CivilTime.h"
#include "output/FixedNumber.h"
#include "output/PrivacyZone.h"

#include <QIODevice>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

char* WriteDigits(char* out, qint64 value, int width)
{
    for (int i = width - 1; i >= 0; --i, value /= 10)
        out[i] = static_cast<char>('0' + value % 10);
    return out + width;
}

} // namespace

// The samples of points [first, end), per frame on the time axis less
// `shiftMs`: the seconds of each recording's own cues, as the route counts them.
std::vector<size_t> PathSamples(const Flight& flight, size_t first, size_t end, bool perFrame, qint64 shiftMs)
{
    std::vector<size_t> samples;
    const FlightRecordList& records = flight.Log.Records;
    const Track& points = flight.Points;
    end = std::min(end, records.size());
    // A fix inside the privacy zone counts as none.
    const bool zone = HasPrivacyZone(flight);
    const auto hasFix = [&](size_t i) {
        return records[i].Gives(FlightRecord::HasPosition) && !(zone && LoggedInPrivacyZone(flight, i));
    };
    if (!perFrame) {
        for (size_t i = first; i < end; ++i) {
            if (hasFix(i))
                samples.push_back(i);
        }
        return samples;
    }
    // Runs of records that round to the same second; the best of each run.
    const auto cue = [&](size_t i) { return points[i].TimeMs - shiftMs; };
    size_t i = first;
    while (i < end) {
        const qint64 second = FloorDiv(cue(i) + 500, 1000);
        size_t best = end;
        qint64 bestDistance = 0;
        for (; i < end && FloorDiv(cue(i) + 500, 1000) == second; ++i) {
            const qint64 distance = std::llabs(cue(i) - second * 1000);
            if (hasFix(i) && (best == end || distance < bestDistance)) {
                best = i;
                bestDistance = distance;
            }
        }
        if (best != end)
            samples.push_back(best);
    }
    return samples;
}

std::vector<std::vector<size_t>> PathSegments(const Flight& flight)
{
    std::vector<std::vector<size_t>> segments;
    if (flight.Recordings.empty())
        segments.push_back(PathSamples(flight, 0, flight.Log.Records.size(), flight.PerFrame, 0));
    for (const TrackRecording& r : flight.Recordings) {
        std::vector<size_t> samples = PathSamples(flight, r.First, r.End, r.PerFrame, r.ShiftMs);
        if (!samples.empty() || segments.empty())
            segments.push_back(std::move(samples));
    }
    if (flight.ClipStarts.empty() && !HasPrivacyZone(flight))
        return segments;
    // A flight joined from clips: a recording never runs across a clip's
    // start; nor does a line run across the privacy zone.
    std::vector<std::vector<size_t>> pieces;
    for (const std::vector<size_t>& segment : segments) {
        for (std::vector<size_t>& piece : SamplesByClip(flight, segment))
            pieces.push_back(std::move(piece));
    }
    if (pieces.empty() && flight.ClipStarts.empty())
        pieces.emplace_back();  // the one empty segment of a log without a sample
    return pieces;
}

std::vector<std::vector<size_t>> SamplesByClip(const Flight& flight, const std::vector<size_t>& samples)
{
    std::vector<std::vector<size_t>> pieces;
    auto clipStart = flight.ClipStarts.begin();
    const bool zone = HasPrivacyZone(flight);
    for (const size_t i : samples) {
        bool next = pieces.empty();
        while (clipStart != flight.ClipStarts.end() && i >= *clipStart) {
            ++clipStart;
            next = true;
        }
        if (zone && !next) {
            for (size_t j = pieces.back().back() + 1; j < i && !next; ++j)
                next = LoggedInPrivacyZone(flight, j);
        }
        if (next)
            pieces.emplace_back();
        pieces.back().push_back(i);
    }
    return pieces;
}

std::vector<size_t> PathSamples(const Flight& flight)
{
    std::vector<size_t> samples;
    for (const std::vector<size_t>& segment : PathSegments(flight))
        samples.insert(samples.end(), segment.begin(), segment.end());
    return samples;
}

PathElevations::PathElevations(const Flight& flight)
    : m_flight(flight)
    , m_any(flight.HasAltitude)
{
    for (size_t i = 0; !m_any && i < flight.Log.Records.size(); ++i)
        m_any = flight.Log.Records[i].Gives(FlightRecord::HasHeight);
}

bool PathElevations::At(size_t index, double* metres) const
{
    if (!m_any)
        return false;
    if (m_flight.HasAltitude && !AltitudeLoggedAt(m_flight, index))
        return false;  // another drone's height above sea level
    *metres = m_flight.HasAltitude ? m_flight.Log.Records[index].AltitudeM : m_flight.Points[index].HeightM;
    return std::isfinite(*metres);
}

bool TimesWithMilliseconds(const Flight& flight)
{
    if (flight.PerFrame)
        return true;
    for (const TrackPoint& point : flight.Points) {
        if (point.LocalMs != kNoTime && FloorDiv(point.LocalMs, 1000) * 1000 != point.LocalMs)
            return true;
    }
    return false;
}

char* WriteIsoTime(char* out, qint64 ms, bool milliseconds, bool utc)
{
    const qint64 days = FloorDiv(ms, kMsPerDay);
    const qint64 inDay = ms - days * kMsPerDay;
    const CivilDate date = CivilFromDays(days);
    out = WriteDigits(out, date.Year, 4);
    *out++ = '-';
    out = WriteDigits(out, date.Month, 2);
    *out++ = '-';
    out = WriteDigits(out, date.Day, 2);
    *out++ = 'T';
    out = WriteDigits(out, inDay / 3600000, 2);
    *out++ = ':';
    out = WriteDigits(out, inDay / 60000 % 60, 2);
    *out++ = ':';
    out = WriteDigits(out, inDay / 1000 % 60, 2);
    if (milliseconds) {
        *out++ = '.';
        out = WriteDigits(out, inDay % 1000, 3);
    }
    if (utc)
        *out++ = 'Z';
    return out;
}

void AppendIsoTime(QByteArray& out, qint64 ms, bool milliseconds, bool utc)
{
    char text[kIsoTimeRoom];
    out.append(text, static_cast<int>(WriteIsoTime(text, ms, milliseconds, utc) - text));
}

QString IsoTime(qint64 ms, bool milliseconds, bool utc)
{
    QByteArray text;
    AppendIsoTime(text, ms, milliseconds, utc);
    return QString::fromLatin1(text);
}

QString FixedText(double value, int decimals)
{
    QByteArray text;
    AppendFixed(text, value, decimals);
    return QString::fromLatin1(text);
}

bool WriteAllBytes(QIODevice* device, const char* data, qint64 size)
{
    return size == 0 || device->write(data, size) == size;
}
