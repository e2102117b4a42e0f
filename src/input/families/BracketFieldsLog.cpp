// Family D: bracketed fields "[latitude: x] [longitude: y]", one block per
// video frame (Mavic 2, Air 2/2S, FPV, Mini 3/4, Mavic 3, Air 3, Avata, Neo,
// Matrice 300 H20). Variants: "[latitude : x] [longtitude : y]" (Mavic 2),
// "[altitude: z]" or "[rel_alt: r abs_alt: a]", the date as
// "YYYY-MM-DD hh:mm:ss,mmm,uuu" or "YYYY-MM-DD hh:mm:ss.mmm". A block of an
// H20 camera holds an empty line; its tail (a line "0" and a bracket line)
// has no cue and is read into the block before it.
#include "input/families/Families.h"

#include "input/TextScan.h"

namespace {

class BracketFieldsReader : public BlockReader {
public:
    void Read(const QString& block, FlightRecord& record) override
    {
        if (block.contains(QLatin1String("-->")))
            ReadCounterAndCue(block, record);
        ScanDateTime(block, QLatin1Char('-'), record.LocalTimeMs, &record.FlyTime);
        double lat = 0.0, lon = 0.0;
        if (NumberAfter(block, QLatin1String("[latitude"), QLatin1Char(':'), lat)
            && (NumberAfter(block, QLatin1String("[longitude"), QLatin1Char(':'), lon)
                || NumberAfter(block, QLatin1String("[longtitude"), QLatin1Char(':'), lon)))
            SetPosition(record, lat, lon);
        if (NumberAfter(block, QLatin1String("rel_alt"), QLatin1Char(':'), record.HeightM))
            record.Has |= FlightRecord::HasHeight;
        if (NumberAfter(block, QLatin1String("abs_alt"), QLatin1Char(':'), record.AltitudeM)
            || NumberAfter(block, QLatin1String("[altitude"), QLatin1Char(':'), record.AltitudeM))
            record.Has |= FlightRecord::HasAltitude;
    }
};

} // namespace

bool RecogniseBracketFields(const QString& block)
{
    return block.contains(QLatin1String("[latitude")) || block.contains(QLatin1String("FrameCnt"))
        || block.contains(QLatin1String("SrtCnt"));
}

std::unique_ptr<BlockReader> MakeBracketFieldsReader(const InputPatterns&)
{
    return std::make_unique<BracketFieldsReader>();
}
