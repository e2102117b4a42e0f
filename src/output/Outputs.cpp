#include "output/Outputs.h"

#include "output/GpxWriter.h"
#include "output/SrtWriter.h"

namespace {

bool WriteSubtitles(const Flight& flight, const QString& pattern, QIODevice* device)
{
    return WriteSrtBlocks(flight, pattern, device);
}

bool WriteRoute(const Flight& flight, const QString&, QIODevice* device)
{
    return WriteGpxRoute(flight, device, GpxRecordStep);
}

} // namespace

const std::vector<OutputKind>& OutputKinds()
{
    static const std::vector<OutputKind> kinds = {
        {"srt", ".sorned.srt", WriteSubtitles},
        {"gpx", ".gpx", WriteRoute},
    };
    return kinds;
}

const OutputKind& SubtitleOutput()
{
    return OutputKinds()[0];
}

const OutputKind& RouteOutput()
{
    return OutputKinds()[1];
}
