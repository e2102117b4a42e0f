#pragma once

#include "track/Flight.h"

class QIODevice;

// A GPX 1.1 document with one track of one segment: a <trkpt> for every
// record of PathSamples (one per second of flight, records without a fix
// left out) at its position as read, with <ele> (PathElevations: above sea
// level where the log gives it, else above take-off) and <time> in UTC
// (with milliseconds where the log has them) where the record has a date
// and SetUtcTimes gave it one. UTF-8 without BOM, LF line ends, the same
// bytes on every run. Returns false when the write failed or was short.
bool WriteGpxTrack(const Flight& flight, QIODevice* device);
