#pragma once

#include "track/Flight.h"

#include <limits>

// Radius of the sphere on which every distance is measured, in metres.
constexpr double kSphereRadiusMetres = 6378200.0;

// Distance in metres along a sphere of radius kSphereRadiusMetres between two
// points in decimal degrees (spherical law of cosines). Identical points give
// exactly 0; the cosine is clamped to [-1, 1], so nearly identical points
// never give NaN. A NaN or infinite argument gives NaN.
double GreatCircleDistance(double lat1Deg, double lon1Deg, double lat2Deg, double lon2Deg);

// The sine and cosine of the colatitude of the latitude last given, which
// the law of cosines needs of each end: a pass over a track keeps one per
// end, so that a point's are worked out once and not once per distance.
class Colatitude {
public:
    void Of(double latDeg);
    double Sin = 0.0;
    double Cos = 0.0;

private:
    double m_latDeg = std::numeric_limits<double>::quiet_NaN();  // none yet
};

// GreatCircleDistance, bit for bit, keeping each end's colatitude in `c1`
// and `c2`.
double GreatCircleDistance(double lat1Deg, double lon1Deg, double lat2Deg, double lon2Deg, Colatitude& c1,
                           Colatitude& c2);

// The same distance by the haversine formula: well conditioned for points
// centimetres apart, where the law of cosines moves in steps of millimetres
// (a per-frame log's positions move by about 0.1 m a frame). NaN in, NaN out.
double HaversineDistance(double lat1Deg, double lon1Deg, double lat2Deg, double lon2Deg);

// A longitude difference taken the shorter way round, in (-180, 180] for
// differences of longitudes within [-180, 180]. Away from the antimeridian
// (|d| <= 180) it is d itself, bit for bit.
inline double ShortLonDelta(double d)
{
    if (d > 180.0)
        return d - 360.0;
    if (d < -180.0)
        return d + 360.0;
    return d;
}

// A longitude brought back into (-180, 180] (unchanged when it is there).
inline double NormalLon(double lon)
{
    if (lon > 180.0)
        return lon - 360.0;
    if (lon <= -180.0)
        return lon + 360.0;
    return lon;
}

// The distance in metres between two points' smoothed positions: the law of
// cosines for one-per-second logs, the haversine for per-frame and estimated
// ones; with useHeight the change of height above take-off is added as the
// third side.
double StepDistance(const TrackPoint& a, const TrackPoint& b, bool haversine, bool useHeight);
// The law of cosines' StepDistance, keeping each end's colatitude.
double StepDistance(const TrackPoint& a, const TrackPoint& b, bool useHeight, Colatitude& ca, Colatitude& cb);
