// A card of logs: the input split at NUL bytes, each piece a log (at most
// eight) written as DJI_000k.SRT in a temporary folder; the folder read,
// grouped into flights, joined and every output written to files, as
// velloa-cli converts a folder. Every clip lies in exactly one flight, each
// flight holds a clip, and a clip with records writes no empty file.
// Seeds: pieces of reference logs, one to three per card, some continuing
// one another.
#include "conversion/CardConversion.h"
#include "conversion/ConversionSettings.h"
#include "output/Outputs.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QTemporaryDir dir;
    const QList<QByteArray> logs = QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<int>(size)).split('\0');
    for (int k = 0; k < logs.size() && k < 8; ++k) {
        QFile file(dir.filePath(QStringLiteral("DJI_000%1.SRT").arg(k + 1)));
        if (!file.open(QIODevice::WriteOnly) || file.write(logs[k]) != logs[k].size())
            abort();
    }
    ConversionOptions options;
    options.Request.OutPattern = DefaultPatternLf();
    options.Request.TimeZone = QStringLiteral("UTC");
    options.Request.PrivacyRadiusM = logs.size() > 2 ? 30.0 : 0.0;
    for (const OutputKind& kind : OutputKinds())
        options.Outputs.push_back(&kind);
    options.OutputDir = dir.filePath(QStringLiteral("out"));
    CardInput card = CardInputOf({dir.path()}, false);
    ReadClips(card.Clips, options, 1);
    const std::vector<CardFlight> flights = PlanFlights(card.Clips, JoinMode::Auto);
    std::vector<int> uses(card.Clips.size(), 0);
    for (const CardFlight& flight : flights) {
        if (flight.Clips.empty())
            abort();
        for (std::size_t clip : flight.Clips)
            ++uses.at(clip);
    }
    for (int used : uses) {
        if (used != 1)
            abort();
    }
    ConvertFlights(card.Clips, flights, options, JoinMode::Auto, 1, true, nullptr,
                   [&](std::size_t k, const FlightConversion& conversion) {
        if (conversion.Clips.size() != flights.at(k).Clips.size())
            abort();
        for (const ConversionResult& clip : conversion.Clips) {
            for (const ConversionResult::Output& output : clip.Outputs) {
                if (output.Written() && (clip.Flight.Log.Records.empty() || QFileInfo(output.Name).size() == 0))
                    abort();
            }
        }
        for (const ConversionResult::Output& output : conversion.FlightOutputs) {
            if (output.Written() && QFileInfo(output.Name).size() == 0)
                abort();
        }
    });
    return 0;
}
