#include "input/LogFamily.h"

#include "input/CivilTime.h"

#include "input/BlockSplitter.h"
#include "input/SrtParser.h"
#include "input/TextScan.h"
#include "input/families/Families.h"

#include <QList>

#include <algorithm>
#include <cmath>
#include <iterator>

const std::vector<LogFamily>& LogFamilies()
{
    static const std::vector<LogFamily> families = {
        {"A-Hb", "Phantom 3/4, Inspire 1, older firmware (HOME, GPS, Hb)", "HOME and GPS fields with Hb", false,
         RecogniseHomeGpsHb, MakeHomeGpsHbReader},
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

bool FlightLog::GivesHeights() const
{
    for (const LogRecording& recording : Recordings) {
        if (!recording.Family || recording.Family->ReadByPatterns())
            return true;
    }
    if (Recordings.empty() && (!Family || Family->ReadByPatterns()))
        return true;
    constexpr std::uint8_t kHeights = FlightRecord::HasHeight | FlightRecord::HasAltitude;
    return std::any_of(Records.begin(), Records.end(), [](const FlightRecord& r) { return (r.Has & kHeights) != 0; });
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
    qint64 endMs = record.CueEndMs();
    ScanCue(block, record.CueStartMs, endMs, &usual);
    record.SetCueEndMs(endMs);
    if (usual)
        record.Spelled |= FlightRecord::SrtTimeIsCue;
    else
        record.SetSrtTime(CueText(block).toString());
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

// The frame rates cameras record at; a rate measured within 3 % of one of
// them is that rate (59.94 frames a second is "60").
constexpr int kFrameRates[] = {24, 25, 30, 48, 50, 60, 100, 120};

// From the cue spans of the first records with cues in [first, end) (one
// frame's span alternates between two whole milliseconds, 16 and 17 at 60
// per second).
int BlocksPerSecond(const FlightRecordList& records, std::size_t first, std::size_t end)
{
    constexpr int kSpans = 60;
    qint64 total = 0;
    int spans = 0;
    for (std::size_t i = first; i < end; ++i) {
        const FlightRecord& record = records[i];
        if (record.CueStartMs != kNoTime && record.CueEndMs() > record.CueStartMs) {
            total += record.CueEndMs() - record.CueStartMs;
            if (++spans == kSpans)
                break;
        }
    }
    if (spans == 0)
        return 0;
    const double rate = 1000.0 * spans / static_cast<double>(total);
    for (const int named : kFrameRates) {
        if (std::fabs(rate - named) <= 0.03 * named)
            return named;
    }
    return static_cast<int>(std::lround(rate));
}

// The six patterns read the log: as the user asked (no family), or as the
// Mavic Pro's layout.
bool ReadByPatterns(const LogFamily* family)
{
    return !family || family->ReadByPatterns();
}

// A log without a single cue line: the cues from the dates, the first block
// at 00:00:00,000, each ending where the next begins and the last lasting as
// long as the one before it. A date that jumps by a change of the clocks
// (an hour back, an hour forward) runs on from the date before; one that
// runs backwards otherwise never moves a cue back; blocks whose dates repeat
// share the time to the next date evenly (a second: no cue is empty).
// Returns false (nothing changed) when a block has a cue or none has a date.
bool CuesFromDates(FlightRecordList& records)
{
    qint64 origin = kNoTime;
    for (const FlightRecord& r : records) {
        if (r.CueStartMs != kNoTime)
            return false;
        if (origin == kNoTime && r.LocalTimeMs != kNoTime)
            origin = r.LocalTimeMs;
    }
    if (origin == kNoTime)
        return false;
    qint64 start = 0;
    qint64 lastDate = kNoTime;
    for (FlightRecord& r : records) {
        if (r.LocalTimeMs != kNoTime) {
            if (lastDate != kNoTime)
                origin += ClockChangeMs(r.LocalTimeMs - lastDate);
            lastDate = r.LocalTimeMs;
            start = std::max(start, r.LocalTimeMs - origin);
        }
        r.CueStartMs = start;
    }
    // Runs of equal starts share the span to the next start (the last run a
    // second).
    for (std::size_t i = 0; i < records.size();) {
        std::size_t end = i + 1;
        while (end < records.size() && records[end].CueStartMs == records[i].CueStartMs)
            ++end;
        const qint64 first = records[i].CueStartMs;
        const qint64 span = (end < records.size() ? records[end].CueStartMs : first + 1000) - first;
        const qint64 count = static_cast<qint64>(end - i);
        for (std::size_t k = i + 1; k < end; ++k)
            records[k].CueStartMs = first + span * static_cast<qint64>(k - i) / count;
        i = end;
    }
    for (std::size_t i = 0; i < records.size(); ++i) {
        FlightRecord& r = records[i];
        if (i + 1 < records.size())
            r.SetCueEndMs(records[i + 1].CueStartMs);
        else
            r.SetCueEndMs(r.CueStartMs + (i > 0 ? records[i - 1].CueEndMs() - records[i - 1].CueStartMs : 1000));
        r.SetSrtTime(QString());
        r.Spelled |= FlightRecord::SrtTimeIsCue;
    }
    return true;
}

// Every position of the log within |lat| <= pi/2 and |lon| <= pi (the sea
// south of Ghana, where no flight of a per-frame log takes place).
bool PositionsInRadians(const FlightRecordList& records)
{
    constexpr double kPi = 3.14159265358979323846;
    bool any = false;
    for (const FlightRecord& r : records) {
        if (r.Gives(FlightRecord::HasPosition)) {
            if (!(std::fabs(r.Lat) <= kPi / 2 && std::fabs(r.Lon) <= kPi))
                return false;
            any = true;
        }
        if (r.Gives(FlightRecord::HasHome) && !(std::fabs(r.HomeLat) <= kPi / 2 && std::fabs(r.HomeLon) <= kPi))
            return false;
    }
    return any;
}

// Whether a block inside a per-frame log is the tail of the block before
// it, cut off by an empty line the drone writes (the H20's line "0" and its
// zoom field): it has no cue or date of its own.
bool IsTail(const QString& block)
{
    if (FindAscii(block, QLatin1String("-->")) >= 0)
        return false;
    qint64 date = 0;
    return !ScanDateTime(block, QLatin1Char('-'), date) && !ScanDateTime(block, QLatin1Char('.'), date);
}

// The layout of a block that gives no position in `current` but is written
// in another (clips of two drones edited into one file); nullptr when none.
const LogFamily* OtherLayout(const LogFamily* current, const QString& block)
{
    if (current && current->Recognise(block))
        return nullptr;  // a block of this layout without a fix (the older family A's "GPS(N/A,N/A,7)")
    for (const LogFamily& family : LogFamilies()) {
        if (&family != current && !(ReadByPatterns(&family) && ReadByPatterns(current)) && family.Recognise(block))
            return &family;
    }
    return nullptr;
}

// Reads `block` into `records`: into the last record when it is a tail
// (`mergeTails`), else into a new one, which shares the texts of the one
// before where they are the same. Returns the new record, nullptr for a
// tail.
const FlightRecord* ReadInto(BlockReader& reader, bool mergeTails, FlightRecordList& records, const QString& block)
{
    if (mergeTails && !records.empty() && IsTail(block)) {
        reader.Read(block, records.back());
        return nullptr;
    }
    records.emplace_back();
    reader.Read(block, records.back());
    if (records.size() > 1)
        records.back().ShareExtras(records[records.size() - 2]);
    return &records.back();
}

} // namespace

LogParser::LogParser(const InputPatterns& patterns, const QString& formatId, std::size_t expectedBlocks, bool camera)
    : m_patterns(patterns)
    , m_camera(camera)
{
    m_log.Records.reserve(expectedBlocks);
    if (formatId == AutomaticFormatId())
        m_recognising = m_automatic = true;
    else
        Choose(FindLogFamily(formatId));
}

void LogParser::Choose(const LogFamily* family)
{
    m_log.Family = family;
    m_log.Recordings.push_back({0, family, 0, 0.0});
    // Family A is read by the six patterns as they stand in the window.
    m_reader = family ? family->MakeReader(m_patterns) : MakePatternReader(m_patterns);
    m_reader->ReadsCamera = m_camera;
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
    const FlightRecord* record = ReadInto(*m_reader, m_mergeTails, m_log.Records, block);
    if (m_automatic && record && !record->Gives(FlightRecord::HasPosition)) {
        if (const LogFamily* other = OtherLayout(m_log.Recordings.back().Family, block))
            SwitchLayout(*other, block);
    }
}

// The block gives no position in the layout being read but is written in
// `family`: it starts a recording read in that layout.
void LogParser::SwitchLayout(const LogFamily& family, const QString& block)
{
    m_reader = family.MakeReader(m_patterns);
    m_reader->ReadsCamera = m_camera;
    m_mergeTails = family.ContinuesTails;
    m_log.Records.back() = FlightRecord();
    m_reader->Read(block, m_log.Records.back());
    m_log.Recordings.push_back({m_log.Records.size() - 1, &family, 0, 0.0});
}

void LogParser::AddBlocks(const char* data, int size, bool textStart)
{
    BlockSplitter([this](const QString& block) {
        Add(block);
        return true;
    }, textStart).Feed(data, size, true);
}

PieceReading::PieceReading(const LogParser& parser, int readers)
    : m_family(parser.m_log.Recordings.empty() ? nullptr : parser.m_log.Recordings.back().Family)
    , m_known(!parser.m_recognising)
    , m_automatic(parser.m_automatic)
    , m_layouts(parser.m_log.Recordings.size())
{
    for (int i = 0; m_known && i < std::max(readers, 1); ++i) {
        m_idle.push_back(m_family ? m_family->MakeReader(parser.m_patterns) : MakePatternReader(parser.m_patterns));
        m_idle.back()->ReadsCamera = parser.m_camera;
    }
}

void LogParser::Take(LogPiece& piece)
{
    if (piece.InOrder || m_recognising || piece.Layouts != m_log.Recordings.size()) {
        AddBlocks(piece.Bytes.constData(), piece.Bytes.size(), false);
        return;
    }
    FlightRecordList& records = m_log.Records;
    const std::size_t first = records.size();
    records.insert(records.end(), std::make_move_iterator(piece.Records.begin()),
                   std::make_move_iterator(piece.Records.end()));
    piece.Records.clear();
    if (first > 0 && first < records.size())
        records[first].ShareExtras(records[first - 1]);
}

void PieceReading::Read(LogPiece& piece) const
{
    piece.Layouts = m_layouts;
    piece.Records.clear();
    piece.InOrder = !m_known;
    if (piece.InOrder)
        return;
    std::unique_ptr<BlockReader> reader;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        reader = std::move(m_idle.back());
        m_idle.pop_back();
    }
    const bool mergeTails = m_family && m_family->ContinuesTails;
    BlockSplitter([&](const QString& block) {
        // A tail of the block before the piece, or a block of another
        // layout, needs the parser.
        if (piece.Records.empty() && mergeTails && IsTail(block)) {
            piece.InOrder = true;
            return false;
        }
        const FlightRecord* record = ReadInto(*reader, mergeTails, piece.Records, block);
        if (m_automatic && record && !record->Gives(FlightRecord::HasPosition) && OtherLayout(m_family, block)) {
            piece.InOrder = true;
            return false;
        }
        return true;
    }, false).Feed(piece.Bytes.constData(), piece.Bytes.size(), true);
    if (piece.InOrder)
        piece.Records.clear();
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_idle.push_back(std::move(reader));
}

FlightLog LogParser::Finish()
{
    if (m_recognising)
        Choose(nullptr);
    FlightRecordList& records = m_log.Records;
    if (!ReadByPatterns(m_log.Family))
        m_log.CuesFromDates = CuesFromDates(records);
    // A layout that changed at the very first block of its recording holds
    // for the whole of it.
    std::vector<LogRecording> layouts;
    for (const LogRecording& recording : m_log.Recordings) {
        if (!layouts.empty() && layouts.back().First == recording.First)
            layouts.pop_back();
        layouts.push_back(recording);
    }
    m_log.Recordings = std::move(layouts);
    // A cue that runs backwards starts a recording, and so does a date that
    // runs more than 2 s ahead of the first date plus the cue time since (a
    // log cut and joined again, its cues counted on), unless it jumps by a
    // change of the clocks: the count then runs on from the changed clock.
    constexpr qint64 kDateLeadMs = 2000;
    std::vector<LogRecording> recordings;
    std::size_t layout = 0;
    qint64 lastCue = kNoTime;
    qint64 baseCue = kNoTime;
    qint64 baseDate = kNoTime;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const qint64 cue = records[i].CueStartMs;
        const qint64 date = records[i].LocalTimeMs;
        const bool dated = cue != kNoTime && date != kNoTime;
        const qint64 clockChange = dated && baseDate != kNoTime && cue >= lastCue
            ? ClockChangeMs(date - (baseDate + (cue - baseCue))) : 0;
        bool starts = false;
        if (layout < m_log.Recordings.size() && m_log.Recordings[layout].First == i) {
            recordings.push_back(m_log.Recordings[layout++]);
            starts = true;
        } else if (clockChange != 0) {
            baseDate += clockChange;
        } else if ((cue != kNoTime && lastCue != kNoTime && cue < lastCue)
                   || (dated && baseDate != kNoTime && date > baseDate + (cue - baseCue) + kDateLeadMs)) {
            recordings.push_back(recordings.back());
            recordings.back().First = i;
            starts = true;
        }
        if (starts)
            baseDate = kNoTime;
        if (dated && baseDate == kNoTime) {
            baseDate = date;
            baseCue = cue;
        }
        if (cue != kNoTime)
            lastCue = cue;
    }
    for (std::size_t k = 0; k < recordings.size(); ++k) {
        LogRecording& recording = recordings[k];
        const std::size_t end = k + 1 < recordings.size() ? recordings[k + 1].First : records.size();
        recording.BlocksPerSecond = BlocksPerSecond(records, recording.First, end);
        if (!ReadByPatterns(recording.Family))
            recording.HalfUnitDeg = 0.5 * std::pow(10.0, -WrittenDecimals(records, recording.First, end, FlightRecord::HasPosition));
    }
    m_log.Recordings = std::move(recordings);
    m_log.BlocksPerSecond = m_log.Recordings.empty() ? 0 : m_log.Recordings.front().BlocksPerSecond;
    if (!ReadByPatterns(m_log.Family) && m_log.BlocksPerSecond > 1 && PositionsInRadians(records)) {
        m_log.InRadians = true;
        constexpr double kDegrees = 180.0 / 3.14159265358979323846;
        for (FlightRecord& r : records) {
            r.Lat *= kDegrees;
            r.Lon *= kDegrees;
            r.HomeLat *= kDegrees;
            r.HomeLon *= kDegrees;
        }
        for (LogRecording& recording : m_log.Recordings)
            recording.HalfUnitDeg *= kDegrees;
    }
    return std::move(m_log);
}

FlightLog ParseLog(const QByteArray& bytes, const InputPatterns& patterns, const QString& formatId)
{
    LogParser parser(patterns, formatId);
    parser.AddBlocks(bytes.constData(), bytes.size(), true);
    return parser.Finish();
}

int WrittenDecimals(const FlightRecordList& records, std::size_t first, std::size_t end, FlightRecord::Value value)
{
    constexpr int kMostDecimals = 8;
    constexpr std::size_t kSampled = 4000;
    int decimals = 0;
    std::size_t seen = 0;
    for (std::size_t i = first; i < end && seen < kSampled && decimals < kMostDecimals; ++i) {
        const FlightRecord& r = records[i];
        if (!r.Gives(value))
            continue;
        ++seen;
        const double values[2] = {value == FlightRecord::HasPosition ? r.Lat
                                  : value == FlightRecord::HasHeight ? r.HeightM : r.AltitudeM,
                                  value == FlightRecord::HasPosition ? r.Lon : 0.0};
        for (const double v : values) {
            double scaled = std::fabs(v) * std::pow(10.0, decimals);
            while (decimals < kMostDecimals && std::fabs(scaled - std::round(scaled)) > std::max(1e-6, scaled * 1e-9)) {
                ++decimals;
                scaled *= 10.0;
            }
        }
    }
    return decimals;
}
