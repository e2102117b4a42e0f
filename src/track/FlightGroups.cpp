#include "track/FlightGroups.h"

#include "track/Flight.h"
#include "track/GreatCircle.h"

#include <QFileInfo>

#include <algorithm>
#include <numeric>

ClipFacts FactsOfLog(const QString& name, const FlightLog& log)
{
    ClipFacts facts;
    facts.Name = name;
    qint64 firstCue = kNoTime;
    qint64 lastCue = kNoTime;
    for (const FlightRecord& r : log.Records) {
        if (r.LocalTimeMs != kNoTime) {
            if (facts.FirstLocalMs == kNoTime)
                facts.FirstLocalMs = r.LocalTimeMs;
            facts.LastLocalMs = r.LocalTimeMs + BlockLengthMs(r, log.BlocksPerSecond);
        }
        if (r.Gives(FlightRecord::HasPosition)) {
            if (!facts.HasFix) {
                facts.FirstLat = r.Lat;
                facts.FirstLon = r.Lon;
            }
            facts.HasFix = true;
            facts.LastLat = r.Lat;
            facts.LastLon = r.Lon;
        }
        if (r.CueStartMs != kNoTime && firstCue == kNoTime)
            firstCue = r.CueStartMs;
        if (r.CueEndMs() != kNoTime)
            lastCue = r.CueEndMs();
    }
    if (firstCue != kNoTime && lastCue != kNoTime)
        facts.DurationMs = std::max<qint64>(lastCue - firstCue, 0);
    return facts;
}

int NameCounter(const QString& name)
{
    const QString base = QFileInfo(name).completeBaseName();
    int start = base.size();
    while (start > 0 && base.at(start - 1).isDigit())
        --start;
    if (start == base.size() || base.size() - start > 9)
        return -1;
    return base.midRef(start).toInt();
}

namespace {

// Clips that overlap in time by more than this are not one recording.
constexpr qint64 kClockSlackMs = 1000;

bool JoinsOn(const ClipFacts& a, const ClipFacts& b)
{
    if (a.FirstLocalMs != kNoTime && b.FirstLocalMs != kNoTime)
        return b.FirstLocalMs - a.LastLocalMs >= -kClockSlackMs && b.FirstLocalMs - a.LastLocalMs <= kLongestJoinPauseMs;
    const int counter = NameCounter(a.Name);
    return counter >= 0 && NameCounter(b.Name) == counter + 1 && a.HasFix && b.HasFix
        && HaversineDistance(a.LastLat, a.LastLon, b.FirstLat, b.FirstLon) <= kLongestJoinGapM;
}

} // namespace

std::vector<std::vector<std::size_t>> GroupFlights(const std::vector<ClipFacts>& clips)
{
    std::vector<std::size_t> order(clips.size());
    std::iota(order.begin(), order.end(), std::size_t(0));
    const bool dated = std::all_of(clips.begin(), clips.end(),
        [](const ClipFacts& c) { return c.FirstLocalMs != kNoTime; });
    const auto byName = [&](std::size_t x, std::size_t y) {
        const int cx = NameCounter(clips[x].Name);
        const int cy = NameCounter(clips[y].Name);
        if (cx != cy)
            return cx < cy;
        return clips[x].Name < clips[y].Name;
    };
    std::stable_sort(order.begin(), order.end(), [&](std::size_t x, std::size_t y) {
        if (dated && clips[x].FirstLocalMs != clips[y].FirstLocalMs)
            return clips[x].FirstLocalMs < clips[y].FirstLocalMs;
        return byName(x, y);
    });
    std::vector<std::vector<std::size_t>> flights;
    for (std::size_t k = 0; k < order.size(); ++k) {
        if (k == 0 || !JoinsOn(clips[order[k - 1]], clips[order[k]]))
            flights.emplace_back();
        flights.back().push_back(order[k]);
    }
    return flights;
}
