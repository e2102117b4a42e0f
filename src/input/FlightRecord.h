#pragma once

#include <QString>

#include <cstdint>
#include <limits>
#include <vector>

// A time that the block does not give.
constexpr qint64 kNoTime = std::numeric_limits<qint64>::min();

// One subtitle block of a flight log, as read: nothing here is computed from
// other blocks. The derived values (gaps filled, smoothing, speed, way,
// distance from home) are made from these records in src/track.
// Latitudes and longitudes are decimal degrees, heights metres.
struct FlightRecord {
    // Which values the block gave (bits of Has).
    enum Value : std::uint8_t {
        HasHome = 1,      // HomeLat, HomeLon
        HasPosition = 2,  // Lat, Lon (a fix of exactly 0, 0 is no fix)
        HasHeight = 4,    // HeightM: height above the take-off point
        HasAltitude = 8,  // AltitudeM: height above sea level
    };

    QString Id;                  // the block counter as the log reader found it
    QString SrtTime;             // the cue text for {SrtTime}; "not found" when none
    qint64 CueStartMs = kNoTime;  // cue start and end, milliseconds of video time
    qint64 CueEndMs = kNoTime;
    QString FlyTime;             // the date-time for {FlyTime}; empty when none
    qint64 LocalTimeMs = kNoTime;  // the same as local wall-clock milliseconds since 1970-01-01 00:00 (no zone)
    double HomeLat = 0.0;
    double HomeLon = 0.0;
    double Lat = 0.0;
    double Lon = 0.0;
    double HeightM = 0.0;
    double AltitudeM = 0.0;
    std::uint8_t Has = 0;

    bool Gives(Value value) const { return (Has & value) != 0; }
};

// The records of one file in file order, held by value.
using FlightRecordList = std::vector<FlightRecord>;
