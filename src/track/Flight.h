#pragma once

#include "input/FlightRecord.h"
#include "input/LogFamily.h"

#include <vector>

// The derived layer: one point per record, made from the records by
// FillTrack and completed by DeriveTrack's passes (smoothing, speed, way,
// distance from home, in this order). Writers and the flight view only
// format these values. The values a point shares with its record are held
// once, in the record: FillTrack fills the gaps of the flight's records in
// place (FlightRecord), so that record i's Lat/Lon is the position as read
// with gaps filled, its HomeLat/HomeLon point i's home and its AltitudeM
// point i's height above sea level.
struct TrackPoint {
    qint64 TimeMs = 0;     // cue start, gaps filled (milliseconds of video time)
    double Lat = 0.0;      // the position after smoothing (degrees)
    double Lon = 0.0;
    double HeightM = 0.0;     // height above take-off, gaps filled
    double SpeedMs = 0.0;     // metres per second
    double WayM = 0.0;        // metres along the path, from the way before
    double DistanceHomeM = 0.0;  // from home to the smoothed position
    // The record's local time in UTC, milliseconds since 1970-01-01T00:00Z;
    // kNoTime without a date, or until SetUtcTimes (track/LogTime.h) ran.
    qint64 UtcMs = kNoTime;
    // The record's local time (milliseconds since 1970-01-01 00:00, no zone):
    // its recording's first dated block's date plus its cue time since that
    // block, started again from a date that runs more than 2 s ahead; kNoTime
    // for a record without a date of its own.
    qint64 LocalMs = kNoTime;
};
using Track = std::vector<TrackPoint>;

// How long a block lasts, in milliseconds: its cue's span where the cue has
// one, else one block at `blocksPerSecond` (a second where that is unknown).
inline qint64 BlockLengthMs(const FlightRecord& record, int blocksPerSecond)
{
    if (record.CueStartMs != kNoTime && record.CueEndMs() != kNoTime && record.CueEndMs() > record.CueStartMs)
        return record.CueEndMs() - record.CueStartMs;
    return blocksPerSecond > 0 ? 1000 / blocksPerSecond : 1000;
}

// A speed in km/h from m/s, as every output and the view write it (one
// formula, so the last digit agrees everywhere).
inline double KmhFromMs(double speedMs)
{
    return (speedMs * 0.001) * 3600;
}
// One recording of a flight: points [First, End), read at one block per
// second or per frame.
struct TrackRecording {
    std::size_t First = 0;
    std::size_t End = 0;
    bool PerFrame = false;
    // LogRecording::HalfUnitDeg; with TrackMethod::Estimate also for a log
    // read by the six patterns, from its logged decimals. Above 0: the
    // recording is estimated.
    double HalfUnitDeg = 0.0;
    // What DeriveFlight added to the recording's cue times (TrackPoint::TimeMs)
    // so that the time axis runs on across the joins.
    qint64 ShiftMs = 0;
    // Whether some record of it gives the height above sea level; where it
    // gives none but the flight has one (clips of two drones), its AltitudeM
    // is only another drone's filled in, and no output prints it.
    bool GivesAltitude = false;
};

// How the track is derived: the passes as designed for logs read by the six
// input patterns and the estimate (track/TrackEstimate.h) for every other
// log, or the estimate for every log.
enum class TrackMethod { Design, Estimate };

// What a conversion derives the track with.
struct TrackSettings {
    int SmoothingCount = 5;   // "Smooth GPS, sec" (at most 3600 count)
    double WayBeforeM = 0.0;  // "Way before, m"
    bool UseHeight = false;   // "Use height for speed and way": 3-D distances
    // A later clip of a joined flight (track/JoinedFlight.h): the flight's
    // home, and heights the log gives only above sea level counted from the
    // flight's take-off altitude.
    bool HomeGiven = false;
    double HomeLat = 0.0;
    double HomeLon = 0.0;
    bool TakeOffAltitudeGiven = false;
    double TakeOffAltitudeM = 0.0;
    TrackMethod Method = TrackMethod::Design;
    int Jobs = 1;  // threads the estimate runs its windows on
};

// Which height the KML path is drawn at: automatic (above take-off wherever
// the log gives it, else above sea level), or as the user asked.
enum class KmlHeights { Automatic, TakeOff, SeaLevel };

// A flight: the log as read and its derived track, point i for record i.
struct Flight {
    FlightLog Log;
    Track Points;
    bool HasAltitude = false;  // some record gives the height above sea level
    bool PerFrame = false;     // several blocks per second: passes on the time axis
                               // (of the first recording)
    // The recordings, from the log's (one covering every point at least
    // when there are points).
    std::vector<TrackRecording> Recordings{};
    KmlHeights Kml = KmlHeights::Automatic;  // the conversion's choice for the KML
    // Positions within this many metres of home are kept out of the shared
    // outputs (output/PrivacyZone.h); 0: no privacy zone.
    double PrivacyRadiusM = 0.0;
    // A flight joined from several clips (track/JoinedFlight.h): the index of
    // each later clip's first point; the track outputs start a new segment
    // there. Empty for one log.
    std::vector<std::size_t> ClipStarts = {};
};

// Whether point `index` has a height above sea level of its own recording's
// (the flight has one, and the recording holding the point gives one).
inline bool AltitudeLoggedAt(const Flight& flight, std::size_t index)
{
    if (!flight.HasAltitude)
        return false;
    for (const TrackRecording& r : flight.Recordings) {
        if (index >= r.First && index < r.End)
            return r.GivesAltitude;
    }
    return true;
}
