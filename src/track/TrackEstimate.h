#pragma once

#include "track/Flight.h"

// The track of one recording estimated from its logged positions, their cue
// times and the precision they are written with.
//
// A logged value written to d decimals lies within half a unit of its d-th
// decimal of the truth: its cell. Each axis (north, east and, with
// UseHeight, height) is smoothed by a constant-velocity Rauch-Tung-Striebel
// smoother whose measurement error is the cell's and whose time scale is
// "Smooth GPS, sec": it passes motion slower than that time scale and
// removes the steps of the logged precision. A turn tighter than the time
// scale would be cut short, so the smoother runs again at half the time
// scale, and again, down to a quarter of a second, and each stretch of the
// track takes the longest time scale whose estimate stays inside the logged
// cells around it. The positions are then kept inside their cells.
struct EstimatePrecision {
    double PositionHalfUnitDeg = 0.0;  // half a unit of the positions' last decimal
    double HeightHalfUnitM = 0.0;      // half a unit of the heights' last decimal
};

// Estimates points [first, end): Lat/Lon (inside the cells), SpeedMs (the
// estimated velocity's magnitude; 3-D with settings.UseHeight), WayM (its
// running integral over time, from wayBeforeM) and DistanceHomeM. With
// settings.SmoothingCount <= 0 the positions are the logged ones and each
// speed is the step to the next position over its time (the last record's
// the step before it). A record without a step of time around it reads 0.
// records[i] gives point i's logged position and home, as FillTrack fills
// them.
void EstimateRecording(Track& points, const FlightRecordList& records, std::size_t first, std::size_t end,
                       const TrackSettings& settings, const EstimatePrecision& precision, double wayBeforeM);
