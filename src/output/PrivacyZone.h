#pragma once

#include "track/Flight.h"

// The privacy zone: a circle of Flight::PrivacyRadiusM metres around home.
// A shared video or track would otherwise show to the metre where the pilot
// took off. With the zone on, the positions inside it are left out of the
// GPX route and track, KML, GeoJSON and CSV, no home point is written, and
// the subtitle file prints no position inside it and no home point.

// Whether the flight has a privacy zone.
inline bool HasPrivacyZone(const Flight& flight)
{
    return flight.PrivacyRadiusM > 0.0;
}

// Whether the point lies in a zone of `radiusM` metres: its distance from
// home (as {Distance} prints it) is at most the radius; a distance that is
// no number counts as inside. Always false for a radius of 0 (no zone).
inline bool InPrivacyZone(double radiusM, const TrackPoint& point)
{
    return radiusM > 0.0 && !(point.DistanceHomeM > radiusM);
}

// Whether the point lies in the flight's zone.
inline bool InPrivacyZone(const Flight& flight, const TrackPoint& point)
{
    return InPrivacyZone(flight.PrivacyRadiusM, point);
}

// How many points lie in the zone.
std::size_t CountInPrivacyZone(const Flight& flight);

// The flight without the records and points in the zone (the same flight
// when it has no zone).
Flight WithoutPrivacyZone(const Flight& flight);
