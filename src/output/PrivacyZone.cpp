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
    // Everything the flight carries (its KML choice, recordings, clips),
    // then the points in the zone taken out and every index moved down.
    Flight kept = flight;
    const std::size_t n = std::min(flight.Points.size(), flight.Log.Records.size());
    std::vector<std::size_t> moved(n + 1, 0);  // point i's index in `kept` (the count kept before it)
    std::size_t count = 0;
    for (std::size_t i = 0; i < n; ++i) {
        moved[i] = count;
        if (InPrivacyZone(flight, flight.Points[i]))
            continue;
        kept.Log.Records[count] = flight.Log.Records[i];
        kept.Points[count] = flight.Points[i];
        ++count;
    }
    moved[n] = count;
    kept.Log.Records.resize(count);
    kept.Points.resize(count);
    const auto at = [&](std::size_t i) { return moved[std::min(i, n)]; };
    kept.Recordings.clear();
    for (const TrackRecording& r : flight.Recordings) {
        TrackRecording part = r;
        part.First = at(r.First);
        part.End = at(r.End);
        if (part.End > part.First)
            kept.Recordings.push_back(part);
    }
    kept.ClipStarts.clear();
    for (const std::size_t start : flight.ClipStarts) {
        const std::size_t i = at(start);
        if (i > 0 && i < count && (kept.ClipStarts.empty() || kept.ClipStarts.back() < i))
            kept.ClipStarts.push_back(i);
    }
    return kept;
}
