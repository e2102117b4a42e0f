#pragma once

#include "track/Flight.h"

#include <QString>

#include <vector>

// What the window's flight view shows of one flight, one sample per point,
// and the figures a pilot asks first (also the GeoJSON output's
// properties). Everything is taken from the derived track (TrackPoint) as
// the conversion left it; nothing is computed anew but the plane position
// and the greatest values.

struct FlightSample {
    double TimeS = 0.0;    // TimeMs from the first point's, seconds
    double EastM = 0.0;    // smoothed position east of the first point's home, metres
    double NorthM = 0.0;   // and north of it
    double HeightM = 0.0;  // height above take-off (above sea level: FlightFigures::SeaLevel)
    double SpeedMS = 0.0;  // SpeedMs (may be NaN)
    double WayM = 0.0;     // WayM, the way before included
};

struct FlightFigures {
    std::vector<FlightSample> Samples;  // in point order
    QString FormatName;                 // the layout read, as the read summary names it
    int Records = 0;
    double FlightTimeS = 0.0;           // first cue start to last cue end
    double PathM = 0.0;            // WayM of the last point minus WayM of the first
    double MaxDistanceHomeM = 0.0;  // greatest DistanceHomeM
    double MaxHeightM = 0.0;            // greatest HeightM
    // The log gives no height above take-off, only one above sea level: the
    // heights are those (a height counted from the first block is no height
    // above take-off when the clip starts in the air).
    bool SeaLevel = false;
    double TopSpeedMs = 0.0;            // greatest SpeedMs (NaN speeds are skipped)
};

// The series and figures of `flight` (all zero without points). The last
// point lasts to its record's cue end, or one block interval when it has
// none. East and north are measured on the sphere of every distance, in a
// plane through the home point (north up).
FlightFigures ComputeFlightFigures(const Flight& flight);

// Whether some record gives a height (above take-off or above sea level):
// what the flight view charts and the overlay's gauge show. A log read by
// the six input patterns without one still prints the design's 0.0 in the
// files (FlightLog::GivesHeights).
bool FlightHasHeights(const Flight& flight);
