#include "input/ConversionSettings.h"

#include <cmath>

int ReadSmoothingCount(const QString& text)
{
    bool ok = false;
    const int count = text.toInt(&ok, 10);
    return ok ? count : 0;
}

double ReadWayBefore(const QString& text)
{
    // QString::toDouble reads the C locale whatever the user's locale is and
    // rejects digit grouping, so "1,5" is no number rather than 1.5 or 15.
    bool ok = false;
    const double way = text.toDouble(&ok);
    if (!ok || std::isnan(way))
        return 0.0;
    return way;
}

QString FormatWayBefore(double wayMetres)
{
    return QString::number(wayMetres, 'f', 1);
}
