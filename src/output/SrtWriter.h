#pragma once

#include "track/TrackPasses.h"

#include <QByteArray>
#include <QString>

class QIODevice;

// The built-in output pattern: four lines and an empty one, each ended by
// CR LF (129 characters).
QString DefaultOutputPattern();

// Expands the output pattern for one record and its track point at list
// position `index` (from 0). The ten placeholders are replaced one after the other in the order
// {ID} (index + 1), {SrtTime}, {GPS} (lon,lat, 4 decimals), {Home},
// {Barometer} (1), {FlyTime}, {Distance} (home to position, m, 1),
// {SpeedMS} (2), {SpeedKMH} (1), {Way} (1); each works over the text the
// previous ones left. Any other text is copied unchanged.
QString ExpandSrtBlock(const FlightRecord& record, const TrackPoint& point, int index, const QString& pattern);

// The whole computed subtitle file: the UTF-8 expansion of the pattern for
// every record, in list order, with nothing before, between or after.
QByteArray RenderSrtBlocks(const Flight& flight, const QString& pattern);

// Writes the same bytes to an open device. Returns false when any write
// failed or was short.
bool WriteSrtBlocks(const Flight& flight, const QString& pattern, QIODevice* device);
