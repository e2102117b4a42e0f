#pragma once

#include "input/FlightRecord.h"
#include "input/LogFamily.h"
#include "input/InputPatterns.h"

#include <QIODevice>
#include <QString>

enum class ReadStatus {
    Ok,         // Records holds the parsed list (possibly empty)
    Missing,    // the file does not exist
    NotOpened,  // it exists but cannot be opened for reading (permission, directory)
    TooLarge,   // it is larger than kMaxLogBytes
    NoPositions,  // no block gives a position (also an empty file); Log holds what was read
    UnknownTimeZone,  // the conversion's time zone names no zone: nothing was read
    NoFlightInVideo,  // a video (.mp4, .mov) without a subtitle track, or whose track gives no position
    VideoUnreadable,  // a video that is none, or is damaged or cut short
};

// The largest log that is read: 1 GiB, some 6 million blocks, days of a log
// written per video frame. Reading holds the whole file and then about 250
// bytes per block, so this bounds a read to a few GiB of memory; it also
// stays below what one Qt byte array can hold (2 GiB), which would otherwise
// come back silently empty.
constexpr qint64 kMaxLogBytes = qint64(1) << 30;

// How ReadFlightLog cuts a .SRT: a first piece of 64 KiB read in order (it
// finds the layout), then pieces of 256 KiB, each read by one thread.
constexpr int kFirstLogPieceBytes = 1 << 16;
constexpr int kLogPieceBytes = 1 << 18;

// Reads the blocks of `device` (a log from its first byte) into `parser`:
// the blocks completed by the first `firstBytes` in order, then pieces of
// whole blocks, about `pieceBytes` each, `jobs` read side by side and taken
// in file order; what the parser then holds is what adding the blocks one
// at a time gives. Only a few pieces are held at a time. False when a read
// fails.
bool ReadLogBlocks(QIODevice& device, LogParser& parser, int jobs, int firstBytes = kFirstLogPieceBytes,
                   int pieceBytes = kLogPieceBytes);

struct LogReadResult {
    ReadStatus Status = ReadStatus::Ok;
    FlightLog Log;
};

// Reads a whole flight log and parses it with ParseLog (`formatId` as there).
// A name ending in .mp4 or .mov (any case) is a video: the .SRT of the same
// base beside it is read when there is one, else the video's subtitle track
// (VideoLog.h); the log's Source says which. Never shows anything: the
// caller turns a failure into a message.
// `camera`: whether the records get the camera settings (LogParser).
// `jobs`: how many threads read a .SRT's blocks side by side.
LogReadResult ReadFlightLog(const QString& fileName, const InputPatterns& patterns, const QString& formatId,
                            bool camera = true, int jobs = 1);
