#include "input/LogReader.h"

#include "input/BlockSplitter.h"
#include "input/SrtParser.h"
#include "input/VideoLog.h"

#include <QFile>
#include <QFileInfo>

namespace {

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

} // namespace

LogReadResult ReadFlightLog(const QString& fileName, const InputPatterns& patterns, const QString& formatId, bool camera)
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
            result = ReadFlightLog(log, patterns, formatId, camera);
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
    // Read piece by piece: only the block being read is held as text. The
    // records are reserved for the most blocks the file can hold (pages
    // never touched cost no memory).
    constexpr qint64 kSmallestBlockBytes = 48;
    LogParser parser(patterns, formatId, static_cast<std::size_t>(file.size() / kSmallestBlockBytes + 1), camera);
    BlockSplitter splitter([&](const QString& block) {
        parser.Add(block);
        return true;
    });
    constexpr int kPieceBytes = 1 << 20;
    for (;;) {
        const qint64 got = file.read(splitter.Space(kPieceBytes), kPieceBytes);
        // A read that fails after a successful open would otherwise hand back
        // a silently shortened flight.
        if (got < 0) {
            result.Status = ReadStatus::NotOpened;
            return result;
        }
        if (!splitter.Commit(static_cast<int>(got), got == 0))
            break;
    }
    result.Log = parser.Finish();
    // A file without a single position (an empty file, a photo, a drone that
    // logs no GPS, a layout the patterns do not fit) is not a flight.
    if (!result.Log.HasAnyPosition())
        result.Status = ReadStatus::NoPositions;
    return result;
}
