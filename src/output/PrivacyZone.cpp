#include "output/PrivacyZone.h"

#include "output/FixedNumber.h"
#include "track/GreatCircle.h"

double WrittenDegrees(double value, int decimals)
{
    char text[kWriteFixedRoom];
    const char* end = decimals >= 1 && decimals <= 6 ? WriteFixed(text, value, decimals) : nullptr;
    if (!end)
        return value;
    bool ok = false;
    const double written = QByteArray::fromRawData(text, static_cast<int>(end - text)).toDouble(&ok);
    return ok ? written : value;
}

bool InPrivacyZone(double radiusM, const FlightRecord& home, double lat, double lon)
{
    return radiusM > 0.0 && !(HaversineDistance(home.HomeLat, home.HomeLon, lat, lon) > radiusM);
}

bool InPrivacyZone(const Flight& flight, const FlightRecord& home, double lat, double lon, int decimals)
{
    if (!HasPrivacyZone(flight))
        return false;
    // Rounding moves each coordinate by at most half a unit of its last
    // decimal, less than a whole unit of latitude along the diagonal: a
    // position farther than that from the zone's edge stays on its side, and
    // only one near the edge is written out and read back.
    static constexpr double kUnits[] = {1.0, 1e-1, 1e-2, 1e-3, 1e-4, 1e-5, 1e-6};
    constexpr double kMetresPerDegree = kSphereRadiusMetres * 3.141592653589793 / 180.0;
    const double marginM = decimals >= 1 && decimals <= 6 ? kUnits[decimals] * kMetresPerDegree : 0.0;
    const double distanceM = HaversineDistance(home.HomeLat, home.HomeLon, lat, lon);
    if (distanceM > flight.PrivacyRadiusM + marginM)
        return false;
    if (distanceM < flight.PrivacyRadiusM - marginM)
        return true;
    return InPrivacyZone(flight.PrivacyRadiusM, home, WrittenDegrees(lat, decimals), WrittenDegrees(lon, decimals));
}

bool LoggedInPrivacyZone(const Flight& flight, std::size_t index)
{
    if (!HasPrivacyZone(flight))
        return false;
    const FlightRecord& record = flight.Log.Records[index];
    return record.Gives(FlightRecord::HasPosition)
        && InPrivacyZone(flight, record, record.Lat, WrittenLon(record.Lon, kDegreeDecimals), kDegreeDecimals);
}

std::size_t CountInPrivacyZone(const Flight& flight)
{
    std::size_t count = 0;
    for (std::size_t i = 0; i < flight.Log.Records.size() && i < flight.Points.size(); ++i)
        count += LoggedInPrivacyZone(flight, i);
    return count;
}
