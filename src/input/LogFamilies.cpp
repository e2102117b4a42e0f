#include "input/LogFamily.h"

#include "input/LargePages.h"

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

bool LogFamily::ReadByPatterns() const
{
    return MakeReader == MakePatternReader;
}

bool FlightLog::HasAnyPosition() const
{
    for (const FlightRecord& record : Records) {
        if (record.Gives(FlightRecord::HasPosition))
            return true;
    }
    return false;
}

QString FlightLog::FormatName() const
{
    if (!Family)
        return QStringLiteral("input patterns");
    QString name = QLatin1String(Family->Layout);
    if (BlocksPerSecond > 0)
        name += QStringLiteral(", %1 %2 per second")
                    .arg(BlocksPerSecond)
                    .arg(BlocksPerSecond == 1 ? QStringLiteral("block") : QStringLiteral("blocks"));
    return name;
}

void ReadCounterAndCue(const QString& block, FlightRecord& record)
{
    // The cue as the default SrtTime pattern takes it: held as text only
    // when it is not the usual spelling of the cue times.
    bool usual = false;
    ScanCue(block, record.CueStartMs, record.CueEndMs, &usual);
    if (usual)
        record.Spelled |= FlightRecord::SrtTimeIsCue;
    else
        record.SrtTime = CueText(block).toString();
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

// From the cue spans of the first records with cues (one frame's span
// alternates between two whole milliseconds, 16 and 17 at 60 per second).
int BlocksPerSecond(const FlightRecordList& records)
{
    constexpr int kSpans = 60;
    qint64 total = 0;
    int spans = 0;
    for (const FlightRecord& record : records) {
        if (record.CueStartMs != kNoTime && record.CueEndMs > record.CueStartMs) {
            total += record.CueEndMs - record.CueStartMs;
            if (++spans == kSpans)
                break;
        }
    }
    return spans > 0 ? static_cast<int>(std::lround(1000.0 * spans / static_cast<double>(total))) : 0;
}

} // namespace

LogParser::LogParser(const InputPatterns& patterns, const QString& formatId, std::size_t expectedBlocks)
    : m_patterns(patterns)
{
    m_log.Records.reserve(expectedBlocks);
    AdviseLargePages(m_log.Records.data(), m_log.Records.capacity() * sizeof(FlightRecord));
    if (formatId == AutomaticFormatId())
        m_recognising = true;
    else
        Choose(FindLogFamily(formatId));
}

void LogParser::Choose(const LogFamily* family)
{
    m_log.Family = family;
    // Family A is read by the six patterns as they stand in the window.
    m_reader = family ? family->MakeReader(m_patterns) : MakePatternReader(m_patterns);
    m_mergeTails = family && family->ContinuesTails;
    m_recognising = false;
    for (const QString& block : m_waiting)
        Read(block);
    m_waiting.clear();
}

void LogParser::Add(const QString& block)
{
    if (!m_recognising) {
        Read(block);
        return;
    }
    m_waiting.append(block);
    for (const LogFamily& family : LogFamilies()) {
        if (family.Recognise(block))
            return Choose(&family);
    }
    if (m_waiting.size() >= kRecognitionBlocks)
        Choose(nullptr);
}

void LogParser::Read(const QString& block)
{
    // A block without a cue is the tail of the block before it, cut off by
    // an empty line the drone writes.
    if (m_mergeTails && !m_log.Records.empty() && FindAscii(block, QLatin1String("-->")) < 0) {
        m_reader->Read(block, m_log.Records.back());
        return;
    }
    m_log.Records.emplace_back();
    m_reader->Read(block, m_log.Records.back());
}

FlightLog LogParser::Finish()
{
    if (m_recognising)
        Choose(nullptr);
    m_log.BlocksPerSecond = BlocksPerSecond(m_log.Records);
    return std::move(m_log);
}

FlightLog ParseLog(const QByteArray& bytes, const InputPatterns& patterns, const QString& formatId)
{
    LogParser parser(patterns, formatId);
    ForEachSrtBlock(bytes, [&](const QString& block) {
        parser.Add(block);
        return true;
    });
    return parser.Finish();
}
