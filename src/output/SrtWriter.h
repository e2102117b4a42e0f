#pragma once

#include "track/Flight.h"

#include <QByteArray>
#include <QString>

class QIODevice;

// The built-in output pattern: four lines and an empty one, each ended by
// CR LF (129 characters).
QString DefaultOutputPattern();

// The text of record `index` (from 0) of the flight: the output pattern
// with every placeholder (output/Placeholders.h) replaced, one after the
// other in their order, each over the text the previous ones left; any other
// text is copied unchanged. The ten first ones: {ID} (index + 1),
// {SrtTime}, {GPS} (lon,lat, 4 decimals), {Home}, {Barometer} (1),
// {FlyTime}, {Distance} (home to position, m, 1), {SpeedMS} (2),
// {SpeedKMH} (1), {Way} (1). A value the log lacks is empty; with a privacy
// zone, {Home} is always empty and {GPS}, {Lat} and {Lon} are empty where
// the position they write lies inside it, and throughout when
// SubtitlesLeaveOutPositions (output/PlaceholderValues.h).
// Empty for an index outside the flight.
QString RenderSrtRecord(const Flight& flight, int index, const QString& pattern);


// The whole computed subtitle file: the UTF-8 expansion of the pattern for
// every record, in list order, with nothing before, between or after.
QByteArray RenderSrtBlocks(const Flight& flight, const QString& pattern);

// Writes the same bytes to an open device, rendered by `jobs` threads side
// by side. Returns false when any write failed or was short.
bool WriteSrtBlocks(const Flight& flight, const QString& pattern, QIODevice* device, int jobs = 1);
