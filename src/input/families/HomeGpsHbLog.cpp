// Family A as older firmware writes it: "HOME(lon,lat) 2017.8.5 14:11:51"
// (the month and day without a leading zero) and "GPS(lon,lat,sats)
// Hb:118.7 Hs:0.0" (Hb, the height above take-off from the barometer, where
// newer firmware writes BAROMETER; Hs from the ultrasonic sensor), one
// block per second (Phantom 3 and 4, Inspire 1). The six input patterns
// find neither its heights nor its dates, so it has a reader of its own.
#include "input/families/Families.h"

#include "input/CameraFields.h"
#include "input/TextScan.h"

namespace {

// "(x,y" after `name`: the two first numbers of the bracket.
bool PairAfter(const QString& block, QLatin1String name, double& first, double& second)
{
    const int at = FindAscii(block, name);
    if (at < 0)
        return false;
    int p = at + name.size();
    return ScanNumber(block, p, first) && p < block.size() && block[p] == QLatin1Char(',') && ScanNumber(block, ++p, second);
}

class HomeGpsHbReader : public BlockReader {
public:
    void Read(const QString& block, FlightRecord& record) override
    {
        ReadCounterAndCue(block, record);
        double lon = 0.0, lat = 0.0;
        if (PairAfter(block, QLatin1String("HOME("), lon, lat) && !(lat == 0.0 && lon == 0.0)) {
            record.HomeLat = lat;
            record.HomeLon = lon;
            record.Has |= FlightRecord::HasHome;
        }
        if (PairAfter(block, QLatin1String("GPS("), lon, lat))
            SetPosition(record, lat, lon);
        if (NumberAfter(block, QLatin1String("Hb"), QLatin1Char(':'), record.HeightM))
            record.Has |= FlightRecord::HasHeight;
        ReadDate(block, record);
        if (ReadsCamera)
            ReadColonCameraFields(block, record);
    }

private:
    // The date after the home point's bracket, to the end of its line;
    // {FlyTime} prints it as logged.
    static void ReadDate(const QString& block, FlightRecord& record)
    {
        const int home = FindAscii(block, QLatin1String("HOME("));
        const int close = home < 0 ? -1 : FindAscii(block, QLatin1String(") "), home);
        if (close < 0)
            return;
        int end = close + 2;
        while (end < block.size() && block[end] != QLatin1Char('\r') && block[end] != QLatin1Char('\n'))
            ++end;
        const QStringView text = QStringView(block).mid(close + 2, end - close - 2).trimmed();
        bool usual = false;
        if (!ScanDateTime(text, QLatin1Char('.'), record.LocalTimeMs, &usual))
            return;
        if (usual)
            record.Spelled |= FlightRecord::FlyTimeIsLocalTime;
        else
            record.SetFlyTime(text.toString());
    }
};

} // namespace

bool RecogniseHomeGpsHb(const QString& block)
{
    return block.contains(QLatin1String("HOME(")) && block.contains(QLatin1String("GPS(")) && block.contains(QLatin1String("Hb:"));
}

std::unique_ptr<BlockReader> MakeHomeGpsHbReader(const InputPatterns&)
{
    return std::make_unique<HomeGpsHbReader>();
}
