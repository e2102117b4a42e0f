#pragma once

#include "input/FlightRecord.h"

class QIODevice;

// The conversion samples every GpxRecordStep-th record for the route.
constexpr int GpxRecordStep = 5;

// The creator attribute of every document is kMakerSiteTag (output/Maker.h).

// Each piece is one write of CR LF-ended lines; each returns false when its
// write failed or was short.
bool WriteGpxHeader(QIODevice* device);
bool WriteGpxPoint(double latDeg, double lonDeg, QIODevice* device);
bool WriteGpxPointWithHeight(double latDeg, double lonDeg, double heightMetres, QIODevice* device);
bool WriteGpxFooter(QIODevice* device);

// A GPX 1.1 document with one route of the records at 0, step, 2 step, ...
// A sampled record is skipped when its position equals the previous sampled
// one. When any sampled Barometer is not 0 every point gets an elevation of
// Barometer - HeightOffset, HeightOffset being the lowest sampled Barometer
// truncated toward zero when it is negative, else 0. Returns false at the
// first failed piece (nothing after it is written). `step` must be >= 1.
bool WriteGpxRoute(const FlightRecordList& records, QIODevice* device, int step);
