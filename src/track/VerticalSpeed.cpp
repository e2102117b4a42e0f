#include "track/VerticalSpeed.h"

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
