#include "conversion/ConversionSettings.h"

#include "output/SrtWriter.h"

#include <algorithm>
#include <cmath>

int ReadSmoothingCount(const QString& text)
{
    bool ok = false;
    const int count = text.toInt(&ok, 10);
    // An hour of smoothing is far beyond any use; more would only freeze the
    // window for hours.
    constexpr int kMaxSmoothingCount = 3600;
    return ok ? std::min(count, kMaxSmoothingCount) : 0;
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

bool ReadPrivacyRadius(const QString& text, double* metres)
{
    bool ok = false;
    const double radius = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(radius) || radius < 0.0)
        return false;
    *metres = radius;
    return true;
}

QString FormatWayBefore(double wayMetres)
{
    return QString::number(wayMetres, 'f', 1);
}

std::vector<LogFormatOption> LogFormatOptions()
{
    std::vector<LogFormatOption> choices{{QStringLiteral("Automatic"), AutomaticFormatId()}};
    for (const LogFamily& family : LogFamilies())
        choices.push_back({QLatin1String(family.Drones), QLatin1String(family.Id)});
    choices.push_back({QStringLiteral("Input patterns below"), PatternsFormatId()});
    return choices;
}

QString DefaultPatternCrLf()
{
    return DefaultOutputPattern();
}

QString DefaultPatternLf()
{
    return DefaultOutputPattern().replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}
