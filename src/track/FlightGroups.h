#pragma once

#include "input/LogFamily.h"

#include <QString>

#include <vector>

// Which logs of a card are one flight. A drone starts a new log (and a new
// video) every few minutes or at a file-size limit; the cues and the frame
// counter of each start again at 0, the name's counter (DJI_0001,
// DJI_0002, ...) runs on.

// What grouping needs to know of one log.
struct ClipFacts {
    QString Name;                 // the file name (its counter orders logs without dates)
    qint64 FirstLocalMs = kNoTime;  // the first dated record's local time
    qint64 LastLocalMs = kNoTime;   // the last dated record's local time, to its cue end
    bool HasFix = false;
    double FirstLat = 0.0, FirstLon = 0.0;  // the first and last position with a fix
    double LastLat = 0.0, LastLon = 0.0;
    qint64 DurationMs = 0;  // first cue start to last cue end (0 without cues)
};

ClipFacts FactsOfLog(const QString& name, const FlightLog& log);

// The counter of a file name: the digits at the end of its base name
// ("DJI_0042.SRT" -> 42); -1 without.
int NameCounter(const QString& name);

// Greatest pause between two clips of one flight with dates, and greatest
// distance between the last fix of one clip and the first of the next
// without dates.
constexpr qint64 kLongestJoinPauseMs = 120000;
constexpr double kLongestJoinGapM = 30.0;

// Orders the clips (by their first date and time when every clip has one,
// else by name: counter, then the whole name) and cuts them into flights:
// the next clip belongs to the flight of the one before when it starts at
// most kLongestJoinPauseMs after that one ends, and not before it (both dated), or, when either
// has no date, when its counter is the next one and its first fix lies
// within kLongestJoinGapM of the last fix before. Returns the flights in
// order, each the indexes of its clips in `clips`, in flight order.
std::vector<std::vector<std::size_t>> GroupFlights(const std::vector<ClipFacts>& clips);
