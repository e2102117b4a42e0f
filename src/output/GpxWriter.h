#pragma once

#include "track/Flight.h"

#include <vector>

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

// The records the route is made of, of each recording in turn (a log of
// several recordings starts its cues again, or changes its layout, at each):
// its first, first + step, first + 2 step, ... for one block per second;
// per frame its first record and then the first at or after every further
// `step` seconds of cue time. With a privacy zone the records whose position
// (gaps filled) lies in it are passed over before counting.
std::vector<size_t> RouteSamples(const Flight& flight, int step);

// A GPX 1.1 document with one route of the sampled points' positions as read
// (gaps filled, not smoothed). A sampled point is skipped when its position
// equals the previous sampled one. When any sampled height above take-off is
// not 0 every point gets an elevation of HeightM - HeightOffset,
// HeightOffset being the lowest sampled height truncated toward zero when it
// is negative, else 0. Returns false at the first failed piece (nothing
// after it is written). `step` must be >= 1.
bool WriteGpxRoute(const Flight& flight, QIODevice* device, int step);
