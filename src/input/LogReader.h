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
};

struct LogReadResult {
    ReadStatus Status = ReadStatus::Ok;
    FlightRecordList Records;
};

// Reads a whole flight log and parses it with ParseSrtText. Never shows
// anything: the caller turns a failure into a message.
LogReadResult ReadFlightLog(const QString& fileName, const InputPatterns& patterns);

// What the user is told about a failed read: a warning titled "Info" with
// "File not exists." (Missing) or "File not opened." (NotOpened); nothing
// for Ok and for Empty (an empty file is not reported).
UserMessage ReadOutcomeMessage(ReadStatus status);
