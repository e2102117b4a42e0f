#pragma once

#include "track/Flight.h"
#include "track/GreatCircle.h"

// The points of the records with nothing derived yet but the filled gaps: a
// record without Home, position, height or cue time (a block cut short, a
// block before the GPS fix) takes the value of the nearest earlier record
// that has it, else of the nearest later one; with none at all the value
// stays 0 (a time: one second per record). Where no record gives a home
// point, the home is the first position with a fix. Where no record gives a
// height above take-off but some give one above sea level, the height is
// taken relative to the first of those. The filled homes, positions and
// heights above sea level are written into the records themselves (their
// Has bits unchanged); the points get the times, the heights above take-off
// and, in Lat/Lon, the filled positions. On up to `jobs` threads.
Track FillTrack(FlightRecordList& records, bool* hasAltitude = nullptr, int jobs = 1);


// --- One block per second (families A, B, C) --------------------------------
// `passes` in-place pairwise averaging sweeps over Lat and Lon (none when
// passes < 1), each stretch between pauses in the cues (a step of more than
// 1.5 s) on its own. Longitudes are averaged the shorter way round, so a
// flight across the antimeridian stays on its side of the earth.
void SmoothGps(Track& points, int passes);

// Speed of point i = distance from point i to point i + 1 in metres, per
// second of cue time between them (a gap in the cues counts as elapsed
// time; without cue times a step is one second); the last point keeps 0.
// With passes >= 1 each step is then spread over the run of exact zeros
// after it (at most five points share it), and `passes` averaging sweeps
// follow, leaving pairs whose difference is NaN. With useHeight the distance
// includes the change of height. The steps are measured on `jobs` threads.
void CalcSpeed(Track& points, int passes, bool useHeight = false, int jobs = 1);

// The two stages of CalcSpeed with passes >= 1 that follow the measuring.
void SpreadSpeeds(Track& points);
void AverageSpeeds(Track& points, int passes);

// Way of point i = wayBeforeMetres plus every counted step up to point i. A
// step counts when both coordinates changed since the last counted point,
// or one changed and that point lies at least five points back (with
// useHeight also when the height changed; the step is then 3-D). The steps
// are measured on up to jobs threads; the sums are the same on any number.
void CalcWay(Track& points, double wayBeforeMetres, bool useHeight = false, int jobs = 1);

// --- Several blocks per second (family D) -----------------------------------
// Smoothing over `seconds` passes of the one-per-second sweeps, run on the
// positions nearest each whole second of cue time and interpolated back to
// every point, so that it smooths a flight alike at any frame rate.
void SmoothGpsOverTime(Track& points, int seconds);
// Speed of point i = distance covered from half a second before it to half a
// second after it, per second (a frame's step is the size of the position's
// last decimal, far too coarse to measure over one frame).
void CalcSpeedOverTime(Track& points, bool useHeight);

// The second around a point of a per-frame track, for speeds measured over
// it: the last point at or before 0.5 s earlier (else the first) and the
// first at or after 0.5 s later (else the last). Moved to points in
// increasing order, each step costs what the window moved.
struct SecondAround {
    static constexpr qint64 kHalfWindowMs = 500;
    std::size_t Before = 0;
    std::size_t After = 0;
    void MoveTo(const Track& points, std::size_t i);
    // The second around point i found from it, in any order.
    static SecondAround At(const Track& points, std::size_t i);
    // The time between Before and After, in seconds (0 for one point).
    double Seconds(const Track& points) const
    {
        return static_cast<double>(points[After].TimeMs - points[Before].TimeMs) / 1000.0;
    }
};
// Way: a step counts once the position lies at least a metre from the last
// counted point (the jitter of a hovering drone never does); the last point
// takes whatever remains.
void CalcWayOverTime(Track& points, double wayBeforeMetres, bool useHeight);

// DistanceHomeM of every point, from its home (records[i], the record of
// point i, as FillTrack left it) to its smoothed position; on `jobs`
// threads.
void CalcDistanceHome(Track& points, const FlightRecord* records, bool perFrame, int jobs = 1);

// The passes as a conversion runs them. One block per second: SmoothGps with
// SmoothingCount passes; CalcSpeed with 3 passes when SmoothingCount <= 0,
// none otherwise; CalcWay. Per frame: the OverTime passes. Then
// CalcDistanceHome.
void DeriveTrack(Track& points, const FlightRecord* records, const TrackSettings& settings, bool perFrame = false);

// The local times of the points (TrackPoint::LocalMs) of one recording from
// its records, from the cue times as FillTrack leaves them.
void SetLocalTimes(const FlightRecordList& records, Track& points, std::size_t first, std::size_t end);

// The log's records filled and derived, as a Flight. Each recording is
// derived on its own, by the passes or estimated (TrackRecording::HalfUnitDeg,
// TrackSettings::Method); the way adds the straight line across
// each join, and the time axis (TimeMs) runs on across it, by the dates'
// difference where both sides have dates.
Flight DeriveFlight(FlightLog log, const TrackSettings& settings);
