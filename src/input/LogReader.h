#pragma once

#include "input/FlightRecord.h"
#include "input/InputPatterns.h"
#include "input/UserMessage.h"

#include <QString>

enum class ReadStatus {
    Ok,         // Records holds the parsed list (possibly empty)
    Missing,    // the file does not exist
    NotOpened,  // it exists but cannot be opened for reading (permission, directory)
    Empty,      // it holds no byte at all
    TooLarge,   // it is larger than kMaxLogBytes
};

// The largest log that is read: 1 GiB, some 6 million blocks, days of a log
// written per video frame. Reading holds the whole file and then about 250
// bytes per block, so this bounds a read to a few GiB of memory; it also
// stays below what one Qt byte array can hold (2 GiB), which would otherwise
// come back silently empty.
constexpr qint64 kMaxLogBytes = qint64(1) << 30;

struct LogReadResult {
    ReadStatus Status = ReadStatus::Ok;
    FlightRecordList Records;
};

// Reads a whole flight log and parses it with ParseSrtText. Never shows
// anything: the caller turns a failure into a message.
LogReadResult ReadFlightLog(const QString& fileName, const InputPatterns& patterns);

// What the user is told about a failed read: a warning titled "Info" with
// "File not exists." (Missing), "File not opened." (NotOpened) or "File too
// large." (TooLarge); nothing for Ok and for Empty (an empty file is not
// reported).
UserMessage ReadOutcomeMessage(ReadStatus status);
