#pragma once

#include "conversion/Conversion.h"
#include "track/Flight.h"

#include <QString>

// The text of the "Read information" box: "Parsed <n> records\r\n\r\n", then
// for a non-empty flight "First: GPS: <lat>, <lon> SrtTime: <time>\r\nWay:
// <way of the last point>\r\n", numbers in 'g' format with 6 digits; for a
// layout other than family A a line "Log format: <layout>, <n> blocks per
// second\r\n", and for such a log without any date (family C) a last line
// "No dates in the log: the outputs carry no times\r\n", for a log without
// any height "No heights in the log\r\n"; when a video was
// named, "Read from the video's subtitle track\r\n" or "Read from the log
// beside the video: <name>\r\n".
// With a privacy zone the first position reads "in the privacy zone" where
// it lies in the zone as written here, a last line "Privacy: <n> positions
// within <radius> m of home left out\r\n" counts the logged positions in
// it, and when `request` writes the subtitle file with a pattern that
// prints distances from home beside positions (SubtitlesLeaveOutPositions),
// "Privacy zone: positions left out of the subtitles, which print distances
// from home\r\n" follows.
QString BuildReadSummary(const Flight& flight, const ConversionRequest& request);
