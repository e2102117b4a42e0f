#pragma once

#include "conversion/ConversionOptions.h"
#include "input/InOrder.h"
#include "track/FlightGroups.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <vector>

// A card of clips: several logs, grouped into flights and converted flight
// by flight (see track/FlightGroups.h and track/JoinedFlight.h).

enum class JoinMode {
    Chain,  // the logs in the order given are one flight, each continuing the way of the one before
    Auto,   // the flights are found (GroupFlights), each joined
    None,   // every log on its own
};
// "chain", "auto" or "none"; false for anything else.
bool ParseJoinMode(const QString& text, JoinMode* mode);

// The logs (names ending ".srt" in any case) of a folder, ordered by path;
// with `recursive` also those of its subfolders.
QStringList LogsInFolder(const QString& folder, bool recursive);

// One log of the card: its name and, once read, what reading gave.
struct CardClip {
    explicit CardClip(const QString& log = QString()) : Log(log) {}
    QString Log;
    bool Read = false;  // Result holds the read (else the log is read when converted)
    LogReadResult Result;
    ClipFacts Facts;    // when Read and Result is Ok
};

// The clips that velloa-cli's LOG arguments or the window's input field
// name: each folder's logs (LogsInFolder), any other name as it is.
struct CardInput {
    std::vector<CardClip> Clips;
    QStringList EmptyFolders;  // the folders named that hold no log
    bool Folder = false;       // a folder was named
};
CardInput CardInputOf(const QStringList& names, bool recursive);

// The names an input field's text gives: several names each in double
// quotes ("a.SRT" "b.SRT", as InputTextOfNames writes them), or else the
// text itself.
QStringList NamesOfInputText(const QString& text);
QString InputTextOfNames(const QStringList& names);

struct CardFlight {
    std::vector<std::size_t> Clips;  // indexes into the card's clips, in flight order
    // Every clip of the flight can be read, and none next to it by counter
    // was unreadable: the outputs of the whole flight may be written.
    bool Complete = true;
};

// What a run of the window over a card is watched by, from any thread:
// Cancel stops it between clips (a clip's outputs are all written or none,
// each file whole), ClipsDone counts the clips read and those converted.
// velloa-cli watches nothing (nullptr).
struct CardWatch {
    std::atomic<bool> Cancel{false};
    std::atomic<int> ClipsDone{0};
    bool Cancelled() const { return Cancel.load(); }
};

// Reads every log of `clips` (Read and Facts set), `jobs` at a time; after
// a cancel the logs not yet read stay unread.
void ReadClips(std::vector<CardClip>& clips, const ConversionOptions& options, int jobs, CardWatch* watch = nullptr);

// The flights of the card. Chain: one flight of every clip in the given
// order; None: one per clip; Auto: GroupFlights over the clips read (they
// must be read), then each unreadable clip on its own, the flights holding
// the clips next to it by name counter not Complete.
std::vector<CardFlight> PlanFlights(const std::vector<CardClip>& clips, JoinMode mode);

// What converting one flight gave.
struct FlightConversion {
    std::vector<ConversionResult> Clips;  // one per clip, in flight order (Flight kept only on request)
    std::vector<QString> Summaries;       // each clip's read summary (when read)
    // The outputs of the whole flight (`<first clip>.flight<suffix>`) of the
    // requested GPX track, KML, CSV and GeoJSON; only for a Complete flight
    // of two or more clips.
    std::vector<ConversionResult::Output> FlightOutputs;
    double StartWayM = 0.0;  // the way before the first clip
    double EndWayM = 0.0;    // the way after the last clip read
    // Per clip: left out by a cancel, nothing of it written (its result
    // holds no outputs); with any, the outputs of the whole flight are not
    // written either.
    std::vector<char> Skipped;
};

// Converts one flight: every clip's own outputs, then the outputs of the
// whole flight. Chain and None carry the way from clip to clip as the
// window's field does (one decimal); Auto joins the clips (DeriveJoinedClip),
// except logs read by the input patterns, which are chained. The clips'
// outputs are written `jobs` at a time. Clips read before are moved out of
// `clips`. A cancel of `watch` leaves the clips not yet written out.
FlightConversion ConvertFlight(std::vector<CardClip>& clips, const CardFlight& flight, const ConversionOptions& options,
                               JoinMode mode, int jobs = 1, bool keepFlights = false, CardWatch* watch = nullptr);

// Converts every flight of `flights` (ConvertFlight), `jobs` flights side
// by side, or the clips of a lone flight side by side; `done(k, conversion)`
// is called on the calling thread in flight order, after which the
// conversion is let go.
void ConvertFlights(std::vector<CardClip>& clips, const std::vector<CardFlight>& flights, const ConversionOptions& options,
                    JoinMode mode, int jobs, bool keepFlights, CardWatch* watch,
                    const std::function<void(std::size_t, const FlightConversion&)>& done);

// One flight as velloa-cli's --flights lists it and the window's flight
// list shows it (FlightLineText), from what ConvertFlight gave.
struct FlightSummary {
    QStringList Clips;  // the clips read, in flight order (none: no clip could be read)
    qint64 StartLocalMs = kNoTime;  // the first block's local time
    qint64 DurationMs = 0;  // from the first clip's first block to the last one's last (undated: the clips' lengths)
    double PathM = 0.0;     // the way flown over the clips
};
FlightSummary SummariseFlight(const std::vector<CardClip>& clips, const CardFlight& flight, const FlightConversion& conversion);

// What a flight's conversion wrote and what failed, and why, in the order
// the clips and files came: what velloa-cli prints and the window tallies.
struct FlightOutcome {
    struct File {
        QString Name;
        bool Written = false;
        QString Text;  // OutputOutcomeMessage's (empty: nothing to write)
    };
    struct Clip {
        QString Log;
        bool Skipped = false;  // left out by a cancel
        const ConversionResult* Result = nullptr;  // Read not Ok: not converted
        std::vector<File> Files;
        QString Summary;  // the read summary, LF line ends
        bool Converted() const { return !Skipped && Result->Read == ReadStatus::Ok; }
    };
    std::vector<Clip> Clips;
    std::vector<File> FlightFiles;  // the outputs of the whole flight
    // No clip skipped or unread and every file written.
    bool AllWritten = true;
};
// Holds pointers into `conversion`.
FlightOutcome OutcomeOfFlight(const std::vector<CardClip>& clips, const CardFlight& flight, const FlightConversion& conversion);
