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
        constexpr qint64 kHalfWindowMs = 500;
        const qint64 t = points[index].TimeMs;
        while (before > 0 && points[before].TimeMs > t - kHalfWindowMs)
            --before;
        while (after + 1 < n && points[after].TimeMs < t + kHalfWindowMs)
            ++after;
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
    constexpr qint64 kHalfWindowMs = 500;
    const qint64 t = points[index].TimeMs;
    while (m_before + 1 <= index && points[m_before + 1].TimeMs <= t - kHalfWindowMs)
        ++m_before;
    m_after = std::max(m_after, index);
    while (m_after + 1 < n && points[m_after].TimeMs < t + kHalfWindowMs)
        ++m_after;
    const qint64 intervalMs = points[m_after].TimeMs - points[m_before].TimeMs;
    return intervalMs > 0 ? (points[m_after].HeightM - points[m_before].HeightM) / (static_cast<double>(intervalMs) / 1000.0)
                          : 0.0;
}
