#pragma once

#include "input/FlightRecord.h"
#include "input/LogFamily.h"

#include <vector>

// The derived layer: one point per record, made from the records as read by
// FillTrack and completed by the passes below, in this order: SmoothGps,
// CalcSpeed, CalcWay, CalcDistanceHome (DeriveTrack runs them all). Writers
// and the flight view only format these values.
struct TrackPoint {
    double FixLat = 0.0;   // the position as read, gaps filled (degrees)
    double FixLon = 0.0;
    double Lat = 0.0;      // the position after smoothing (degrees)
    double Lon = 0.0;
    double HomeLat = 0.0;  // the home point: as read, else the first fix
    double HomeLon = 0.0;
    double HeightM = 0.0;     // height above take-off, gaps filled
    double AltitudeM = 0.0;   // height above sea level (when HasAltitude)
    double SpeedMs = 0.0;     // metres per record interval (one second)
    double WayM = 0.0;        // metres along the path, from the way before
    double DistanceHomeM = 0.0;  // from home to the smoothed position
};
using Track = std::vector<TrackPoint>;

// A flight: the log as read and its derived track, point i for record i.
struct Flight {
    FlightLog Log;
    Track Points;
    bool HasAltitude = false;  // some record gives the height above sea level
};

// The points of the records with nothing derived yet but the filled gaps: a
// record without Home, position or height (a block cut short, a block
// before the GPS fix) takes the value of the nearest earlier record that has
// it, else of the nearest later one; with none at all the value stays 0.
// Where no record gives a home point, the home is the first position with a
// fix. Where no record gives a height above take-off but some give one above
// sea level, the height is taken relative to the first of those. Lat/Lon
// start as the filled positions.
Track FillTrack(const FlightRecordList& records, bool* hasAltitude = nullptr);

// `passes` in-place pairwise averaging sweeps over Lat and Lon (none when
// passes < 1).
void SmoothGps(Track& points, int passes);

// Speed of point i = distance from point i to point i + 1 in metres (per
// second); the last point keeps 0. With passes >= 1 each step is then spread
// over the run of exact zeros after it (at most five points share it), and
// `passes` averaging sweeps follow, leaving pairs whose difference is NaN.
void CalcSpeed(Track& points, int passes);

// The two stages of CalcSpeed with passes >= 1 that follow the measuring,
// working on the step lengths already held in SpeedMs: the spreading over
// runs of exact zeros, and `passes` averaging sweeps that leave NaN pairs.
void SpreadSpeeds(Track& points);
void AverageSpeeds(Track& points, int passes);

// Way of point i = wayBeforeMetres plus every counted step up to point i. A
// step counts when both coordinates changed since the last counted point,
// or one changed and that point lies at least five points back.
void CalcWay(Track& points, double wayBeforeMetres);

// DistanceHomeM of every point, from its home to its smoothed position.
void CalcDistanceHome(Track& points);

// The passes as a conversion runs them: SmoothGps with smoothingCount
// passes; CalcSpeed with 3 passes when smoothingCount <= 0, none otherwise;
// CalcWay from wayBeforeMetres; CalcDistanceHome.
void DeriveTrack(Track& points, int smoothingCount, double wayBeforeMetres);

// Reads nothing: the log's records filled and derived, as a Flight.
Flight DeriveFlight(FlightLog log, int smoothingCount, double wayBeforeMetres);
