#include "output/PrivacyZone.h"

#include "output/FixedNumber.h"
#include "output/PathPoints.h"
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

bool InPrivacyZone(double radiusM, const TrackPoint& point, double lat, double lon)
{
    return radiusM > 0.0 && !(HaversineDistance(point.HomeLat, point.HomeLon, lat, lon) > radiusM);
}

bool LoggedInPrivacyZone(const Flight& flight, std::size_t index)
{
    if (!HasPrivacyZone(flight))
        return false;
    const FlightRecord& record = flight.Log.Records[index];
    return record.Gives(FlightRecord::HasPosition)
        && InPrivacyZone(flight, flight.Points[index], record.Lat, WrittenLon(record.Lon, kDegreeDecimals), kDegreeDecimals);
}

std::size_t CountInPrivacyZone(const Flight& flight)
{
    std::size_t count = 0;
    for (std::size_t i = 0; i < flight.Log.Records.size() && i < flight.Points.size(); ++i)
        count += LoggedInPrivacyZone(flight, i);
    return count;
}
