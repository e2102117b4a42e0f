#pragma once

#include "input/FlightRecord.h"

#include <QString>

#include <vector>

// What the window's flight view shows of one log: one sample per record and
// the figures a pilot asks first. Everything is taken from the records as
// the track passes left them (DeriveTrack): positions as smoothed, Speed and
// Way as derived, Barometer as read.

struct FlightSample {
    double TimeS = 0.0;    // from the first record's cue start, seconds
    double EastM = 0.0;    // position east of the first record's home point, metres
    double NorthM = 0.0;   // position north of it, metres
    double HeightM = 0.0;  // Barometer: height above take-off, metres
    double SpeedMS = 0.0;  // Speed: metres per one-second record (may be NaN)
    double WayM = 0.0;     // Way, the way before included
};

struct FlightFigures {
    std::vector<FlightSample> Samples;  // in record order
    QString FormatName;                 // the log format, as the caller names it
    int RecordCount = 0;
    double FlightTimeS = 0.0;           // first cue start to last cue end
    double PathFlownM = 0.0;            // Way of the last record minus Way of the first
    double MaxDistanceFromHomeM = 0.0;  // greatest distance of a position from its record's home point
    double MaxHeightM = 0.0;            // greatest Barometer
    double TopSpeedMS = 0.0;            // greatest Speed (NaN speeds are skipped)
};

// The series and figures of `records` (all zero for an empty list). A cue is
// read from SrtTime ("HH:MM:SS,mmm --> HH:MM:SS,mmm"); a record whose cue
// cannot be read is taken one second after the one before it, as the track
// passes take every record. East and north are measured on the same sphere
// as every distance, in a plane through the home point (north up).
FlightFigures ComputeFlightFigures(const FlightRecordList& records, const QString& formatName);
