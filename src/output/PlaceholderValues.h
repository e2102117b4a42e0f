#pragma once

// The values of the subtitle file's placeholders, record by record: what
// each placeholder prints (PutNumberSlot, SlotText) and the successive
// replacements of a block in one piece (ExpandBlock), which the fast
// renderer (output/SrtTemplate.h) must equal byte for byte.

#include "input/TextScan.h"
#include "output/ByteSink.h"
#include "output/Placeholders.h"
#include "output/PrivacyZone.h"
#include "track/Flight.h"
#include "track/VerticalSpeed.h"

#include <QString>

#include <initializer_list>

// Whether, with the flight's privacy zone, the subtitles print every
// position empty: the pattern prints a distance from home ({Distance},
// {DistanceFt}) beside positions, and a few such pairs give home away.
bool SubtitlesLeaveOutPositions(const Flight& flight, const QString& pattern);

namespace subtitles {

// The placeholders in the order in which they are replaced (see
// Placeholders()). The order matters: text inserted for one placeholder is
// searched by every later one.
enum Slot { SlotId = 0, SlotSrtTime, SlotGps, SlotHome, SlotBarometer, SlotFlyTime,
            SlotDistance, SlotSpeedMs, SlotSpeedKmh, SlotWay,
            SlotIso, SlotShutter, SlotFNumber, SlotEv, SlotFocalLength, SlotColorTemp, SlotDigitalZoom,
            SlotAltitude, SlotVSpeed, SlotSpeedMph, SlotSpeedKnots, SlotDistanceFt, SlotHeightFt,
            SlotWayKm, SlotWayMi, SlotDate, SlotTime, SlotTimeUtc, SlotLat, SlotLon, SlotCount };
static_assert(SlotIso == int(Placeholder::Iso) && SlotDigitalZoom == int(Placeholder::DigitalZoom)
                  && SlotLon == int(Placeholder::Lon),
              "a slot is its placeholder's number");

QString PlaceholderName(int slot);
// The placeholders whose text may be empty: the camera settings and the
// values a log may lack (the heights of a log without them), and the
// positions a privacy zone hides.
bool MayBeEmpty(int slot);

// What the values of one flight's records share.
struct FlightValues {
    FlightValues(const Flight& flight, const QString& pattern)
        : Source(flight), HasPosition(flight.Log.HasAnyPosition()), Heights(flight.Log.GivesHeights()),
          Private(HasPrivacyZone(flight)), NoPositions(SubtitlesLeaveOutPositions(flight, pattern))
    {
    }
    // Whether the position, written with `decimals` decimals, is one the
    // privacy zone around the home `record` holds hides.
    bool Hides(const FlightRecord& record, double lat, double lon, int decimals) const
    {
        return NoPositions || (Private && InPrivacyZone(Source, record, lat, lon, decimals));
    }
    const Flight& Source;
    bool HasPosition;
    bool Heights;  // a log without heights prints the heights empty
    bool Private;
    bool NoPositions;  // every position is left out
};

// The spelling "YYYY.MM.DD hh:mm:ss" of a time, kept while the records
// fall in the same second (per-frame logs have dozens in each).
class SecondSpelling {
public:
    // The spelling's length (0 without a time); its text in `text`.
    int Spell(qint64 ms, const char** text)
    {
        if (ms == kNoTime)
            return 0;
        if (!m_kept || quint64(ms) - quint64(m_secondMs) >= 1000) {
            m_length = FormatLocalTime(ms, m_text);
            const qint64 intoSecond = ms % 1000;
            m_secondMs = ms - (intoSecond < 0 ? intoSecond + 1000 : intoSecond);
            m_kept = true;
        }
        *text = m_text;
        return m_length;
    }
    // The 19 characters, or nullptr when there is no time or no spelling.
    const char* Of(qint64 ms)
    {
        const char* text = nullptr;
        return Spell(ms, &text) == 19 ? text : nullptr;
    }

private:
    bool m_kept = false;
    qint64 m_secondMs = 0;
    char m_text[32] = {};
    int m_length = 0;
};

// What the values of records taken in order keep from one to the next.
struct Spellings {
    explicit Spellings(const Flight& flight) : Rises(flight) {}
    SecondSpelling Local;
    SecondSpelling Utc;
    VerticalSpeeds Rises;
};

// "YYYY-MM-DD" or "hh:mm:ss" out of a spelling.
inline void PutDate(ByteSink& out, const char* spelling)
{
    if (!spelling)
        return;
    char* at = out.Room(10);
    std::memcpy(at, spelling, 10);
    at[4] = at[7] = '-';
    out.MoveTo(at + 10);
}

inline void PutClock(ByteSink& out, const char* spelling)
{
    if (spelling)
        out.Append(spelling + 11, 8);
}

inline void PutLonLat(ByteSink& out, double lonDeg, double latDeg)
{
    PutFixed<4>(out, WrittenLon(lonDeg, 4));
    out.Append(',');
    PutFixed<4>(out, latDeg);
}

// Writes the text of a value placeholder (every one but {SrtTime} and
// {FlyTime}): plain ASCII, formatted as QString::number writes the numbers
// (format 'f'), so the file reads the same on every locale. A value the
// record lacks, and a position the privacy zone hides, writes nothing.
inline void PutNumberSlot(ByteSink& out, int slot, const FlightRecord& record, const TrackPoint& point, int index,
                          const FlightValues& flight, Spellings& spellings)
{
    switch (slot) {
    case SlotId: out.MoveTo(WriteDecimal(out.Room(kWriteFixedRoom), static_cast<std::uint64_t>(index) + 1)); break;
    case SlotGps:
        if (!flight.Hides(record, point.Lat, WrittenLon(point.Lon, 4), 4))
            PutLonLat(out, point.Lon, point.Lat);
        break;
    case SlotHome:
        if (!flight.Private)
            PutLonLat(out, record.HomeLon, record.HomeLat);
        break;
    case SlotBarometer:
        if (flight.Heights)
            PutFixed<1>(out, point.HeightM);
        break;
    case SlotDistance: PutFixed<1>(out, point.DistanceHomeM); break;
    case SlotSpeedMs: PutFixed<2>(out, point.SpeedMs); break;
    // Metres per second to kilometres per hour, in exactly this order of
    // operations so the rounding of the last digit never varies.
    case SlotSpeedKmh: PutFixed<1>(out, KmhFromMs(point.SpeedMs)); break;
    case SlotWay: PutFixed<1>(out, point.WayM); break;
    case SlotIso:
    case SlotShutter:
    case SlotFNumber:
    case SlotEv:
    case SlotFocalLength:
    case SlotColorTemp:
    case SlotDigitalZoom:
        out.MoveTo(WriteCameraText(out.Room(kCameraTextRoom), static_cast<Placeholder>(slot), record.Camera()));
        break;
    case SlotAltitude:
        if (AltitudeLoggedAt(flight.Source, static_cast<std::size_t>(index)))
            PutFixed<1>(out, record.AltitudeM);
        break;
    case SlotVSpeed:
        if (flight.Heights)
            PutFixed<1>(out, spellings.Rises.At(static_cast<std::size_t>(index)));
        break;
    // 1 mi = 1,609.344 m, 1 nmi = 1,852 m, 1 ft = 0.3048 m; again in a fixed
    // order of operations.
    case SlotSpeedMph: PutFixed<1>(out, (point.SpeedMs * 3600) / 1609.344); break;
    case SlotSpeedKnots: PutFixed<1>(out, (point.SpeedMs * 3600) / 1852); break;
    case SlotDistanceFt: PutWhole(out, point.DistanceHomeM / 0.3048); break;
    case SlotHeightFt:
        if (flight.Heights)
            PutWhole(out, point.HeightM / 0.3048);
        break;
    case SlotWayKm: PutFixed<2>(out, point.WayM / 1000); break;
    case SlotWayMi: PutFixed<2>(out, point.WayM / 1609.344); break;
    case SlotDate: PutDate(out, spellings.Local.Of(point.LocalMs)); break;
    case SlotTime: PutClock(out, spellings.Local.Of(point.LocalMs)); break;
    case SlotTimeUtc: PutClock(out, spellings.Utc.Of(point.UtcMs)); break;
    case SlotLat:
        if (flight.HasPosition && !flight.Hides(record, point.Lat, point.Lon, 6))
            PutFixed<6>(out, point.Lat);
        break;
    case SlotLon:
        if (flight.HasPosition && !flight.Hides(record, point.Lat, point.Lon, 6))
            PutFixed<6>(out, point.Lon);
        break;
    default: break;
    }
}

// The text that replaces placeholder `slot` for one record.
QString SlotText(int slot, const FlightRecord& record, const TrackPoint& point, int index, const FlightValues& flight);

// The successive replacements of every placeholder, one after the other.
QString ExpandBlock(const FlightRecord& record, const TrackPoint& point, int index, const QString& pattern,
                    const FlightValues& flight);

} // namespace subtitles
