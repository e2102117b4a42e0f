#include "input/LogReader.h"

#include "input/InOrder.h"
#include "input/SrtParser.h"
#include "input/VideoLog.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// The fewest bytes a block of a log with positions takes.
constexpr int kSmallestBlockBytes = 48;

// The blocks of the video's subtitle track, read as the blocks of a .SRT.
LogReadResult ReadVideoLog(QFile& file, const InputPatterns& patterns, const QString& formatId, bool camera)
{
    LogReadResult result;
    LogParser parser(patterns, formatId, 0, camera);
    const VideoReadStatus status = ForEachVideoBlock(file.handle(), nullptr, 0, kMaxLogBytes, [&](const QString& block) {
        parser.Add(block);
        return true;
    });
    result.Log = parser.Finish();
    result.Log.Source = FlightLog::ReadFrom::VideoTrack;
    if (status == VideoReadStatus::TooLarge)
        result.Status = ReadStatus::TooLarge;
    else if (status == VideoReadStatus::Unreadable)
        result.Status = ReadStatus::VideoUnreadable;
    else if (status == VideoReadStatus::NoSubtitles || !result.Log.HasAnyPosition())
        result.Status = ReadStatus::NoFlightInVideo;
    return result;
}

// Where a piece of the log may end: the largest p in (from, end] right after
// an empty line, that is right after two line ends in a row; 0 when there is
// none. A CR LF cut in two there is harmless: its CR ends the empty line,
// and its LF, at the start of the next piece, only makes another.
int LastCut(const char* d, int from, int end)
{
    for (int p = end; p > from && p >= 2; --p) {
        const char last = d[p - 1];
        if (last != '\n' && last != '\r')
            continue;
        const int start = last == '\n' && d[p - 2] == '\r' ? p - 2 : p - 1;  // of the line end before p
        if (start >= 1 && (d[start - 1] == '\n' || d[start - 1] == '\r'))
            return p;
    }
    return 0;
}

// Cuts a log into pieces of whole blocks, holding only what is not handed
// out yet. The text ends at the first NUL, as BlockSplitter's does.
class PieceCutter {
public:
    // `bytes`: about how much each piece reads (its room is made here).
    PieceCutter(QIODevice& device, int bytes)
        : m_device(device)
    {
        m_held.reserve(2 * bytes);
    }

    // The next piece, into `piece`: the blocks completed by reading about
    // `bytes` more (more when no block ends within them); `rest`: the whole
    // rest of the text.
    void Next(QByteArray& piece, int bytes, bool rest)
    {
        for (;;) {
            if (!m_ended)
                ReadMore(bytes);
            const int cut = m_ended ? m_held.size() : rest ? 0 : LastCut(m_held.constData(), m_searched, m_held.size());
            if (cut > 0 || m_ended) {
                piece.resize(cut);
                std::memcpy(piece.data(), m_held.constData(), static_cast<std::size_t>(cut));
                m_held.remove(0, cut);
                m_searched = m_held.size();
                return;
            }
            m_searched = m_held.size();
        }
    }

    bool Failed() const { return m_failed; }

private:
    void ReadMore(int bytes)
    {
        const int held = m_held.size();
        m_held.resize(held + bytes);
        const qint64 got = m_device.read(m_held.data() + held, bytes);
        // A read that fails after a successful open would otherwise hand
        // back a silently shortened flight.
        m_failed = got < 0;
        const int size = got > 0 ? static_cast<int>(got) : 0;
        const void* nul = std::memchr(m_held.constData() + held, '\0', static_cast<std::size_t>(size));
        m_held.resize(nul ? static_cast<int>(static_cast<const char*>(nul) - m_held.constData()) : held + size);
        m_ended = got <= 0 || nul;
    }

    QIODevice& m_device;
    QByteArray m_held;
    int m_searched = 0;  // LastCut has looked at the cuts up to here
    bool m_ended = false;
    bool m_failed = false;
};

} // namespace

bool ReadLogBlocks(QIODevice& device, LogParser& parser, int jobs, int firstBytes, int pieceBytes)
{
    PieceCutter cutter(device, pieceBytes);
    QByteArray first;
    cutter.Next(first, firstBytes, false);
    parser.AddBlocks(first.constData(), first.size(), true);
    const PieceReading reading(parser, jobs);
    // One piece more than the log holds reads what was added while it was read.
    const std::size_t count = static_cast<std::size_t>(std::max<qint64>(0, device.size() - first.size()) / pieceBytes + 2);
    // Two pieces a thread, their room made here: the threads' own heaps
    // would keep it once freed.
    std::vector<LogPiece> pieces(std::min(count, 2 * static_cast<std::size_t>(std::max(jobs, 1))));
    for (LogPiece& piece : pieces) {
        piece.Bytes.reserve(pieceBytes + pieceBytes / 4);
        piece.Records.reserve(static_cast<std::size_t>(pieceBytes / kSmallestBlockBytes));
    }
    InOrderStep cutInOrder;
    RunInRing(count, jobs, pieces, [&](std::size_t i, LogPiece& piece) {
        cutInOrder.Step(i, [&] { cutter.Next(piece.Bytes, pieceBytes, i + 1 == count); });
        reading.Read(piece);
    }, [&](std::size_t, LogPiece& piece) { parser.Take(piece); });
    return !cutter.Failed();
}

LogReadResult ReadFlightLog(const QString& fileName, const InputPatterns& patterns, const QString& formatId, bool camera,
                            int jobs)
{
    LogReadResult result;
    if (!QFile::exists(fileName)) {
        result.Status = ReadStatus::Missing;
        return result;
    }
    // A directory exists but holds no log; refuse it explicitly rather than
    // rely on the platform's open() to do so.
    if (QFileInfo(fileName).isDir()) {
        result.Status = ReadStatus::NotOpened;
        return result;
    }

    const bool video = IsVideoName(fileName);
    if (video) {
        const QString log = LogBesideVideo(fileName);
        if (!log.isEmpty()) {
            result = ReadFlightLog(log, patterns, formatId, camera, jobs);
            result.Log.Source = FlightLog::ReadFrom::LogBesideVideo;
            result.Log.SourceName = QFileInfo(log).fileName();
            return result;
        }
    }

    QFile file(fileName);
    // No text mode: CR LF must reach the block splitter unchanged.
    if (!file.open(QIODevice::ReadOnly)) {
        result.Status = ReadStatus::NotOpened;
        return result;
    }
    if (video)
        return ReadVideoLog(file, patterns, formatId, camera);
    if (file.size() > kMaxLogBytes) {
        result.Status = ReadStatus::TooLarge;
        return result;
    }
    // The records are reserved for the most blocks the file can hold (pages
    // never touched cost no memory).
    LogParser parser(patterns, formatId, static_cast<std::size_t>(file.size() / kSmallestBlockBytes + 1), camera);
    if (!ReadLogBlocks(file, parser, jobs)) {
        result.Status = ReadStatus::NotOpened;
        return result;
    }
    result.Log = parser.Finish();
    // A file without a single position (an empty file, a photo, a drone that
    // logs no GPS, a layout the patterns do not fit) is not a flight.
    if (!result.Log.HasAnyPosition())
        result.Status = ReadStatus::NoPositions;
    return result;
}
