// Family B: a date line and "GPS(lat,lon,0.0M) BAROMETER:h.hM", no home point,
// one block per second (Matrice 300 RTK). Latitude stands first here, the
// reverse of family A, although the text looks alike.
#include "input/families/Families.h"

#include "input/TextScan.h"

namespace {

class LatFirstGpsReader : public BlockReader {
public:
    void Read(const QString& block, FlightRecord& record) override
    {
        ReadCounterAndCue(block, record);
        if (ScanDateTime(block, QLatin1Char('.'), record.LocalTimeMs))
            record.Spelled |= FlightRecord::FlyTimeIsLocalTime;
        const int gps = FindAscii(block, QLatin1String("GPS("));
        if (gps >= 0) {
            int p = gps + 4;
            double lat = 0.0, lon = 0.0;
            if (ScanNumber(block, p, lat) && p < block.size() && block[p] == QLatin1Char(',')
                && ScanNumber(block, ++p, lon))
                SetPosition(record, lat, lon);
        }
        if (NumberAfter(block, QLatin1String("BAROMETER"), QLatin1Char(':'), record.HeightM))
            record.Has |= FlightRecord::HasHeight;
    }
};

} // namespace

bool RecogniseLatFirstGps(const QString& block)
{
    return block.contains(QLatin1String("GPS(")) && !block.contains(QLatin1String("HOME("));
}

std::unique_ptr<BlockReader> MakeLatFirstGpsReader(const InputPatterns&)
{
    return std::make_unique<LatFirstGpsReader>();
}
