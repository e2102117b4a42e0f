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

    // Texts that are the usual spelling of the typed times (bits of
    // Spelled) are not held as text: a million records would otherwise
    // hold two million small strings.
    enum Spelling : std::uint8_t {
        SrtTimeIsCue = 1,       // SrtTime is FormatCue(CueStartMs, CueEndMs)
        FlyTimeIsLocalTime = 2,  // FlyTime is FormatLocalTime(LocalTimeMs)
    };

    QString Id;                  // capture 1 of the ID pattern (family A)
    QString SrtTime;             // the text {SrtTime} prints, unless SrtTimeIsCue
    qint64 CueStartMs = kNoTime;  // cue start and end, milliseconds of video time
    qint64 CueEndMs = kNoTime;
    QString FlyTime;             // the text {FlyTime} prints, unless FlyTimeIsLocalTime
    qint64 LocalTimeMs = kNoTime;  // local wall-clock milliseconds since 1970-01-01 00:00 (no zone)
    double HomeLat = 0.0;
    double HomeLon = 0.0;
    double Lat = 0.0;
    double Lon = 0.0;
    double HeightM = 0.0;
    double AltitudeM = 0.0;
    std::uint8_t Has = 0;
    std::uint8_t Spelled = 0;

    bool Gives(Value value) const { return (Has & value) != 0; }
    // The texts {SrtTime} ("not found" when the block had none) and
    // {FlyTime} (empty when none) print.
    QString SrtTimeText() const;
    QString FlyTimeText() const;
};

// The records of one file in file order, held by value.
using FlightRecordList = std::vector<FlightRecord>;
