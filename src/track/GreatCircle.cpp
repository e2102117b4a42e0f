#include "track/GreatCircle.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kDegreesPerHalfTurn = 180.0;

double WithClimb(double ground, const TrackPoint& a, const TrackPoint& b, bool useHeight)
{
    if (!useHeight)
        return ground;
    const double climb = b.HeightM - a.HeightM;
    return std::sqrt(ground * ground + climb * climb);
}

} // namespace

void Colatitude::Of(double latDeg)
{
    if (latDeg == m_latDeg)
        return;
    constexpr double kHalfPi = 1.5707963267948966;
    const double colat = kHalfPi - (latDeg * kPi) / kDegreesPerHalfTurn;
    Sin = std::sin(colat);
    Cos = std::cos(colat);
    m_latDeg = latDeg;
}

// Spherical law of cosines on colatitudes. The longitude difference is not
// reduced to +-180 degrees: only its cosine is used.
double GreatCircleDistance(double lat1Deg, double lon1Deg, double lat2Deg, double lon2Deg, Colatitude& c1,
                           Colatitude& c2)
{
    if (!std::isfinite(lat1Deg) || !std::isfinite(lon1Deg) || !std::isfinite(lat2Deg)
        || !std::isfinite(lon2Deg))
        return std::numeric_limits<double>::quiet_NaN();
    // A drone hovering repeats its position for many records; rounding would
    // otherwise make the cosine below land just above 1 (NaN) or just below
    // it (a few centimetres of phantom movement).
    if (lat1Deg == lat2Deg && lon1Deg == lon2Deg)
        return 0.0;
    c1.Of(lat1Deg);
    c2.Of(lat2Deg);
    const double dLon = ((lon2Deg - lon1Deg) * kPi) / kDegreesPerHalfTurn;
    const double x = c2.Cos * c1.Cos + c2.Sin * c1.Sin * std::cos(dLon);
    return std::acos(std::clamp(x, -1.0, 1.0)) * kSphereRadiusMetres;
}

double GreatCircleDistance(double lat1Deg, double lon1Deg, double lat2Deg, double lon2Deg)
{
    Colatitude c1;
    Colatitude c2;
    return GreatCircleDistance(lat1Deg, lon1Deg, lat2Deg, lon2Deg, c1, c2);
}

double HaversineDistance(double lat1Deg, double lon1Deg, double lat2Deg, double lon2Deg)
{
    constexpr double kRadiansPerDegree = 3.141592653589793 / 180.0;
    const double dLat = (lat2Deg - lat1Deg) * kRadiansPerDegree;
    const double dLon = (lon2Deg - lon1Deg) * kRadiansPerDegree;
    const double s = std::sin(dLat / 2);
    const double t = std::sin(dLon / 2);
    const double a = s * s + std::cos(lat1Deg * kRadiansPerDegree) * std::cos(lat2Deg * kRadiansPerDegree) * t * t;
    return 2.0 * kSphereRadiusMetres * std::asin(std::min(1.0, std::sqrt(a)));
}

double StepDistance(const TrackPoint& a, const TrackPoint& b, bool haversine, bool useHeight)
{
    if (!haversine) {
        Colatitude ca;
        Colatitude cb;
        return StepDistance(a, b, useHeight, ca, cb);
    }
    return WithClimb(HaversineDistance(a.Lat, a.Lon, b.Lat, b.Lon), a, b, useHeight);
}

double StepDistance(const TrackPoint& a, const TrackPoint& b, bool useHeight, Colatitude& ca, Colatitude& cb)
{
    return WithClimb(GreatCircleDistance(a.Lat, a.Lon, b.Lat, b.Lon, ca, cb), a, b, useHeight);
}
