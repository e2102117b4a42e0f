#include "output/PlaceholderValues.h"

#include <algorithm>
#include <vector>

namespace subtitles {

QString PlaceholderName(int slot)
{
    static const std::vector<QString> names = [] {
        std::vector<QString> list;
        for (const PlaceholderInfo& info : Placeholders())
            list.push_back(QLatin1String(info.Name));
        return list;
    }();
    return names[static_cast<size_t>(slot)];
}

bool MayBeEmpty(int slot)
{
    return slot == SlotGps || slot == SlotHome || slot == SlotBarometer || (slot >= SlotIso && slot <= SlotVSpeed)
        || slot == SlotHeightFt || slot >= SlotDate;
}

QString SlotText(int slot, const FlightRecord& record, const TrackPoint& point, int index, const FlightValues& flight)
{
    if (slot == SlotSrtTime)
        return record.SrtTimeText();
    if (slot == SlotFlyTime)
        return record.FlyTimeText();
    QByteArray bytes;
    ByteSink sink(bytes, 64);
    Spellings spellings(flight.Source);
    PutNumberSlot(sink, slot, record, point, index, flight, spellings);
    sink.Finish();
    return QString::fromLatin1(bytes);
}

QString ExpandBlock(const FlightRecord& record, const TrackPoint& point, int index, const QString& pattern,
                    const FlightValues& flight)
{
    QString text = pattern;
    for (int slot = 0; slot < SlotCount; ++slot) {
        const QString name = PlaceholderName(slot);
        // Only compute a value (the distance costs trigonometry) when its
        // placeholder is there.
        if (text.contains(name))
            text.replace(name, SlotText(slot, record, point, index, flight));
    }
    return text;
}

namespace {

// Whether the pattern prints some of `which` in some record: the name is in
// it, or forms where values between its pieces are empty.
bool PatternPrints(const QString& pattern, std::initializer_list<Placeholder> which)
{
    // The replacements in their order with every value empty: an empty
    // value is the only one that can join its neighbours into a name.
    QString text = pattern;
    for (int slot = 0; slot < SlotCount; ++slot) {
        const QString name = PlaceholderName(slot);
        if (!text.contains(name))
            continue;
        if (std::find(which.begin(), which.end(), static_cast<Placeholder>(slot)) != which.end())
            return true;
        text.remove(name);
    }
    return false;
}

} // namespace

} // namespace subtitles

bool SubtitlesLeaveOutPositions(const Flight& flight, const QString& pattern)
{
    return HasPrivacyZone(flight) && subtitles::PatternPrints(pattern, {Placeholder::Distance, Placeholder::DistanceFt})
        && subtitles::PatternPrints(pattern, {Placeholder::Gps, Placeholder::Lat, Placeholder::Lon});
}
