#pragma once

#include "input/FlightRecord.h"
#include "input/LogFamily.h"
#include "input/InputPatterns.h"

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
LogReadResult ReadFlightLog(const QString& fileName, const InputPatterns& patterns, const QString& formatId,
                            bool camera = true);
