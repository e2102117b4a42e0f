#include "output/PrivacyZone.h"

std::size_t CountInPrivacyZone(const Flight& flight)
{
    std::size_t count = 0;
    for (const TrackPoint& point : flight.Points)
        count += InPrivacyZone(flight, point);
    return count;
}

Flight WithoutPrivacyZone(const Flight& flight)
{
    if (!HasPrivacyZone(flight))
        return flight;
    Flight kept;
    kept.Log.Family = flight.Log.Family;
    kept.Log.BlocksPerSecond = flight.Log.BlocksPerSecond;
    kept.HasAltitude = flight.HasAltitude;
    kept.PerFrame = flight.PerFrame;
    kept.PrivacyRadiusM = flight.PrivacyRadiusM;
    const std::size_t n = std::min(flight.Points.size(), flight.Log.Records.size());
    for (std::size_t i = 0; i < n; ++i) {
        if (InPrivacyZone(flight, flight.Points[i]))
            continue;
        kept.Log.Records.push_back(flight.Log.Records[i]);
        kept.Points.push_back(flight.Points[i]);
    }
    return kept;
}
