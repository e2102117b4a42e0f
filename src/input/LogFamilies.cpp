#include "input/LogFamily.h"

#include "input/SrtParser.h"
#include "input/TextScan.h"
#include "input/families/Families.h"

#include <QList>

#include <cmath>

const std::vector<LogFamily>& LogFamilies()
{
    static const std::vector<LogFamily> families = {
        {"A", "Mavic Pro, Phantom 3/4, Inspire (HOME, GPS, BAROMETER)", "HOME and GPS fields", false,
         RecogniseHomeGps, MakePatternReader},
        {"B", "Matrice 300 RTK (GPS latitude first)", "GPS latitude first", false, RecogniseLatFirstGps,
         MakeLatFirstGpsReader},
        {"C", "Phantom 4 Pro/RTK, Mavic Mini, Mini 2, Mini SE (one line)", "comma-separated fields", false,
         RecogniseCommaFields, MakeCommaFieldsReader},
        {"D", "Mavic 2/3, Air 2/2S/3, Mini 3/4, FPV, Avata (per frame)", "bracketed fields", true,
         RecogniseBracketFields, MakeBracketFieldsReader},
    };
    return families;
}

const LogFamily* FindLogFamily(const QString& id)
{
    for (const LogFamily& family : LogFamilies()) {
        if (id == QLatin1String(family.Id))
            return &family;
    }
    return nullptr;
}

const LogFamily* RecogniseLogFamily(const QList<QString>& firstBlocks)
{
    for (const QString& block : firstBlocks) {
        for (const LogFamily& family : LogFamilies()) {
            if (family.Recognise(block))
                return &family;
        }
    }
    return nullptr;
}

bool FlightLog::HasAnyPosition() const
{
    for (const FlightRecord& record : Records) {
        if (record.Gives(FlightRecord::HasPosition))
            return true;
    }
    return false;
}

void ReadCounterAndCue(const QString& block, FlightRecord& record)
{
    // The cue as the default SrtTime pattern takes it: held as text only
    // when it is not the usual spelling of the cue times.
    const bool cue = ScanCue(block, record.CueStartMs, record.CueEndMs);
    const QStringView text = CueText(block);
    char spelling[32];
    if (cue && SpelledAs(text, spelling, FormatCue(record.CueStartMs, record.CueEndMs, spelling)))
        record.Spelled |= FlightRecord::SrtTimeIsCue;
    else
        record.SrtTime = text.toString();
}

void SetPosition(FlightRecord& record, double lat, double lon)
{
    if (lat == 0.0 && lon == 0.0)
        return;
    record.Lat = lat;
    record.Lon = lon;
    record.Has |= FlightRecord::HasPosition;
}

namespace {

// How many blocks a layout is recognised from: the first blocks with text.
constexpr int kRecognitionBlocks = 20;

int BlocksPerSecond(const FlightRecordList& records)
{
    for (const FlightRecord& record : records) {
        if (record.CueStartMs != kNoTime && record.CueEndMs > record.CueStartMs)
            return static_cast<int>(std::lround(1000.0 / static_cast<double>(record.CueEndMs - record.CueStartMs)));
    }
    return 0;
}

} // namespace

FlightLog ParseLog(const QByteArray& bytes, const InputPatterns& patterns, const QString& formatId)
{
    FlightLog log;
    if (formatId == AutomaticFormatId()) {
        QList<QString> first;
        ForEachSrtBlock(bytes, [&](const QString& block) {
            first.append(block);
            return first.size() < kRecognitionBlocks;
        });
        log.Family = RecogniseLogFamily(first);
    } else {
        log.Family = FindLogFamily(formatId);
    }
    // Family A is read by the six patterns as they stand in the window.
    const auto reader = log.Family ? log.Family->MakeReader(patterns) : MakePatternReader(patterns);
    const bool mergeTails = log.Family && log.Family->PerFrame;

    // Counting first lets the list be allocated once at its final size, which
    // matters for logs of a million blocks.
    log.Records.reserve(CountSrtBlocks(bytes));
    ForEachSrtBlock(bytes, [&](const QString& block) {
        // A block without a cue inside a per-frame log is the tail of the
        // block before it, cut off by an empty line the drone writes.
        if (mergeTails && !log.Records.empty() && FindAscii(block, QLatin1String("-->")) < 0) {
            reader->Read(block, log.Records.back());
            return true;
        }
        log.Records.emplace_back();
        reader->Read(block, log.Records.back());
        return true;
    });
    log.BlocksPerSecond = BlocksPerSecond(log.Records);
    return log;
}
