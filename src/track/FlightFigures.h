#pragma once

#include "track/TrackPasses.h"

#include <QString>

// The figures of a whole flight, from its derived track: what the GeoJSON
// output carries as properties and the flight view shows.
struct FlightFigures {
    double FlightTimeS = 0.0;       // video time from the first cue start to the last cue end, seconds
    double PathM = 0.0;             // way flown in this log (the way before not counted), metres
    double MaxDistanceHomeM = 0.0;  // greatest distance from home, metres
    double MaxHeightM = 0.0;        // greatest height above take-off, metres
    double TopSpeedMs = 0.0;        // greatest speed, metres per second
    int Records = 0;                // blocks read
    QString FormatName;             // the layout's words (LogFamily::Layout), or "input patterns"
};

// The figures of `flight`; all 0 for a flight without records. Values that
// are not numbers (a NaN speed) are passed over; a path whose way is NaN
// stays NaN.
FlightFigures ComputeFlightFigures(const Flight& flight);
