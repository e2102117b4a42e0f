#pragma once

#include "track/Flight.h"

class QIODevice;

// A CSV table (RFC 4180: CR LF line ends, "," between fields, UTF-8 without
// BOM; no field needs quotes) with a header row and one row per record, in
// file order:
//   cue_start_s      cue start in seconds of video time (3 decimals)
//   time_utc         "2019-06-20T10:34:56Z" (SetUtcTimes; ".mmm" where the log has them)
//   time_local       the log's own "2019-06-20T12:34:56"
//   latitude, longitude   degrees as read (6 decimals)
//   height_m         height above take-off as read (2 decimals)
//   altitude_m       height above sea level as read (2)
//   speed_ms, speed_kmh, distance_home_m, way_m   from the derived track (2;
//                    no distance_home_m with a privacy zone)
//   iso, shutter_s, f_number, ev, focal_length_mm, color_temp_k, digital_zoom
//                    the camera settings as the placeholders print them, each
//                    column only when some record gives its value
// "." is the decimal point. A field the record does not give (no date, no
// fix, no height) or that is not a number is left empty. Returns false when
// a write failed or was short.
bool WriteCsv(const Flight& flight, QIODevice* device);
