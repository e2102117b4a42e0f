#include "track/VerticalSpeed.h"

#include <algorithm>

double VerticalSpeedAt(const Flight& flight, std::size_t index)
{
    const Track& points = flight.Points;
    const std::size_t n = points.size();
    if (index >= n)
        return 0.0;
    std::size_t before = index;
    std::size_t after = index;
    if (flight.PerFrame) {
        const SecondAround second = SecondAround::At(points, index);
        before = second.Before;
        after = second.After;
    } else if (index + 1 < n) {
        after = index + 1;
    }
    const qint64 intervalMs = points[after].TimeMs - points[before].TimeMs;
    const double rise = points[after].HeightM - points[before].HeightM;
    if (flight.PerFrame)
        return intervalMs > 0 ? rise / (static_cast<double>(intervalMs) / 1000.0) : 0.0;
    return intervalMs > 0 ? rise / (static_cast<double>(intervalMs) / 1000.0) : rise;
}

double VerticalSpeeds::At(std::size_t index)
{
    const Track& points = m_flight.Points;
    const std::size_t n = points.size();
    if (!m_flight.PerFrame || index >= n || index + 1 < m_next)
        return VerticalSpeedAt(m_flight, index);  // one block per second, or out of order
    m_next = index + 1;
    m_second.MoveTo(points, index);
    const double seconds = m_second.Seconds(points);
    return seconds > 0 ? (points[m_second.After].HeightM - points[m_second.Before].HeightM) / seconds : 0.0;
}

bool VerticalSpeeds::SameFromAnyStart(const Flight& flight)
{
    const Track& points = flight.Points;
    return !flight.PerFrame || std::is_sorted(points.begin(), points.end(), [](const TrackPoint& a, const TrackPoint& b) {
        return a.TimeMs < b.TimeMs;
    });
}
