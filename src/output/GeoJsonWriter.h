#pragma once

#include "track/Flight.h"

class QIODevice;

// A GeoJSON document (RFC 7946) for web maps and QGIS: a FeatureCollection
// of two features, the path and the home point. The path is a LineString of
// [longitude, latitude, height] for the points of PathSamples (a Point when
// there is only one; [longitude, latitude] when the log gives no height),
// the height as PathElevations gives it; its properties are the figures of
// the flight (ComputeFlightFigures): flight_time_s, path_m,
// max_distance_home_m, max_height_m, top_speed_ms, records, log_format,
// elevation ("above sea level" or "above take-off"), and start_utc and
// end_utc where the path's first and last points have UTC times. Numbers are
// rounded to 6 decimals for degrees and 2 for the rest and written in their
// shortest form; a value that is not a number is null. UTF-8 without BOM, one
// line and a LF, the same bytes on every run. Returns false when the write
// failed or was short.
bool WriteGeoJson(const Flight& flight, QIODevice* device);
