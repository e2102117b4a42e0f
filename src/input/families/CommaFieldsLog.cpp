// Family C: one line of comma-separated fields, "GPS (lon, lat, sats)" and
// "H 52.10m", no date, one block per second (Phantom 4 Pro/Advanced/RTK,
// Mavic Mini, Mini 2, Mini SE). The Phantom 4 RTK may write "RTK (" for
// "GPS (" and adds "HOME (lon, lat, alt m)".
#include "input/families/Families.h"

#include "input/TextScan.h"

namespace {

// "(x, y" after `name` at `at`: the two first numbers of the bracket.
bool PairAfter(const QString& block, int at, int nameLength, double& first, double& second)
{
    int p = at + nameLength;
    if (!ScanNumber(block, p, first) || p >= block.size() || block[p] != QLatin1Char(','))
        return false;
    ++p;
    while (p < block.size() && block[p] == QLatin1Char(' '))
        ++p;
    return ScanNumber(block, p, second);
}

class CommaFieldsReader : public BlockReader {
public:
    void Read(const QString& block, FlightRecord& record) override
    {
        ReadCounterAndCue(block, record);
        double lon = 0.0, lat = 0.0;
        int at = block.indexOf(QLatin1String("GPS ("));
        if (at < 0)
            at = block.indexOf(QLatin1String("RTK ("));
        if (at >= 0 && PairAfter(block, at, 5, lon, lat))
            SetPosition(record, lat, lon);
        const int home = block.indexOf(QLatin1String("HOME ("));
        if (home >= 0 && PairAfter(block, home, 6, lon, lat) && !(lat == 0.0 && lon == 0.0)) {
            record.HomeLat = lat;
            record.HomeLon = lon;
            record.Has |= FlightRecord::HasHome;
        }
        // ", H 52.10m": not "H.S", the horizontal speed.
        if (NumberAfter(block, QLatin1String(", H "), QChar(), record.HeightM))
            record.Has |= FlightRecord::HasHeight;
    }
};

} // namespace

bool RecogniseCommaFields(const QString& block)
{
    return block.contains(QLatin1String("GPS (")) || block.contains(QLatin1String("RTK ("));
}

std::unique_ptr<BlockReader> MakeCommaFieldsReader(const InputPatterns&)
{
    return std::make_unique<CommaFieldsReader>();
}
