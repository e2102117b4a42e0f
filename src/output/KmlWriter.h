#pragma once

#include "track/Flight.h"

class QIODevice;

// A KML 2.2 document for Google Earth: a Placemark "Home" (the home point,
// on the ground), a Placemark "Path" with the flight path as a LineString
// of the points of PathSamples (a Point when there is only one), and, when
// any of those points has a UTC time, a Placemark "Replay" with a gx:Track
// of the timed points, one <when> each, so that Google Earth can replay the
// flight. Heights (PathElevations) are `absolute` when they are above sea
// level, `relativeToGround` when above take-off; without any the path is
// clamped to the ground. UTF-8 without BOM, LF line ends, the same bytes on
// every run. Returns false when the write failed or was short.
bool WriteKml(const Flight& flight, QIODevice* device);
