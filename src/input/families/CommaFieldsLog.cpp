// Family C: one line of comma-separated fields, "GPS (lon, lat, sats)" and
// "H 52.10m", no date, one block per second (Phantom 4 Pro/Advanced/RTK,
// Mavic Mini, Mini 2, Mini SE). The Phantom 4 RTK may write "RTK (" for
// "GPS (" and adds "HOME (lon, lat, alt m)".
#include "input/families/Families.h"

#include "input/CameraFields.h"
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

bool At(const QString& s, int i, QLatin1String text)
{
    if (i + text.size() > s.size())
        return false;
    for (int k = 0; k < text.size(); ++k) {
        if (s[i + k].unicode() != static_cast<uchar>(text.data()[k]))
            return false;
    }
    return true;
}

class CommaFieldsReader : public BlockReader {
public:
    void Read(const QString& block, FlightRecord& record) override
    {
        ReadCounterAndCue(block, record);
        if (ReadsCamera)
            ReadCommaCameraFields(block, record);
        // One pass over the fields: "GPS (" or "RTK (", "HOME (" and ", H ".
        double lon = 0.0, lat = 0.0;
        const int n = block.size();
        for (int i = 0; i < n; ++i) {
            switch (block[i].unicode()) {
            case 'G':
            case 'R':
                if ((At(block, i, QLatin1String("GPS (")) || At(block, i, QLatin1String("RTK ("))) && PairAfter(block, i, 5, lon, lat))
                    SetPosition(record, lat, lon);
                break;
            case 'H':
                if (At(block, i, QLatin1String("HOME (")) && PairAfter(block, i, 6, lon, lat) && !(lat == 0.0 && lon == 0.0)) {
                    record.HomeLat = lat;
                    record.HomeLon = lon;
                    record.Has |= FlightRecord::HasHome;
                } else if (i >= 2 && At(block, i - 2, QLatin1String(", H "))) {
                    // "H 52.10m", not "H.S", the horizontal speed.
                    int p = i + 2;
                    if (ScanNumber(block, p, record.HeightM))
                        record.Has |= FlightRecord::HasHeight;
                }
                break;
            default:
                break;
            }
        }
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
