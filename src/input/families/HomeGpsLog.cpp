// Family A: "HOME(lon,lat) date" and "GPS(lon,lat,sats) BAROMETER:h", one block
// per second (Mavic Pro, Phantom 3 and 4, Inspire). Read by the six input
// patterns, whose defaults are written for it.
#include "input/families/Families.h"

#include "input/CameraFields.h"
#include "input/SrtParser.h"

namespace {

class PatternReader : public BlockReader {
public:
    explicit PatternReader(const InputPatterns& patterns)
        : m_patterns(patterns)
    {
    }
    void Read(const QString& block, FlightRecord& record) override
    {
        ParseSrtBlock(block, record, m_patterns);
        if (ReadsCamera)
            ReadColonCameraFields(block, record);
    }

private:
    CompiledPatterns m_patterns;
};

} // namespace

bool RecogniseHomeGps(const QString& block)
{
    return block.contains(QLatin1String("HOME(")) && block.contains(QLatin1String("GPS("));
}

std::unique_ptr<BlockReader> MakePatternReader(const InputPatterns& patterns)
{
    return std::make_unique<PatternReader>(patterns);
}
