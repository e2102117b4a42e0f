#pragma once

#include "track/Flight.h"

// The privacy zone: a circle of Flight::PrivacyRadiusM metres around home.
// A shared video or track would otherwise show to the metre where the pilot
// took off. With the zone on, no output writes a position inside it, nor the
// home point. Each output measures the position it writes, as it writes it
// (rounded to its decimals): the GPX track, KML, GeoJSON and CSV write the
// logged positions, the route the logged ones with gaps filled, the
// subtitle file, the summary and the flight view the estimated (smoothed)
// ones. The outputs keep the figures of the whole flight.

// Whether the flight has a privacy zone.
inline bool HasPrivacyZone(const Flight& flight)
{
    return flight.PrivacyRadiusM > 0.0;
}

// The degrees `value` as an output writes them with `decimals` decimals
// (1 to 6), read back; `value` itself for any other count.
double WrittenDegrees(double value, int decimals);

// The one rule: whether the position (lat, lon), as written, lies in a zone
// of `radiusM` metres around the home of a point, which its record holds
// (FlightRecord::HomeLat, HomeLon, as deriving fills them): its distance
// from home on the sphere of every distance is at most the radius; a
// distance that is no number counts as inside. Always false for a radius of
// 0 (no zone).
bool InPrivacyZone(double radiusM, const FlightRecord& home, double lat, double lon);

// The same for the flight's zone, the position rounded to `decimals` (1 to
// 6) first.
bool InPrivacyZone(const Flight& flight, const FlightRecord& home, double lat, double lon, int decimals);

// Whether record `index` writes a logged position (as the GPX track, KML,
// GeoJSON and CSV write it, six decimals) that lies in the flight's zone.
bool LoggedInPrivacyZone(const Flight& flight, std::size_t index);

// How many records' logged positions lie in the zone.
std::size_t CountInPrivacyZone(const Flight& flight);
