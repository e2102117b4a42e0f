#pragma once

#include "track/TrackPasses.h"

// The vertical speed of point `index` in m/s, up positive, from the heights
// above take-off (TrackPoint::HeightM) over a second, the way speed is
// measured: per frame, from the last point at or before half a second before
// it to the first at or after half a second after it (the first and the last
// point where there is none), per second between them; one block per
// second, from the point to the next, per second of cue time between them
// (a step of no time counts as one second), the last point 0.
double VerticalSpeedAt(const Flight& flight, std::size_t index);

// The same for the points of a flight taken in increasing order, as a
// writer goes through them: the ends of the window only move forward, as
// CalcSpeedOverTime moves them.
class VerticalSpeeds {
public:
    explicit VerticalSpeeds(const Flight& flight) : m_flight(flight) {}
    double At(std::size_t index);
    // Whether an instance first asked for any point gives what one asked
    // for every point from the first gives: one block per second, or times
    // that never run back (the second around a point is then the same
    // however its ends got there).
    static bool SameFromAnyStart(const Flight& flight);

private:
    const Flight& m_flight;
    std::size_t m_next = 0;  // the index after the last one asked for
    SecondAround m_second;
};
