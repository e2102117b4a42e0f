#pragma once

#include "input/FlightRecord.h"
#include "input/InputPatterns.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <memory>
#include <mutex>
#include <vector>

// Reads the values of one block into a record. A reader sets only what it
// finds (see FlightRecord::Has); the record starts empty.
class BlockReader {
public:
    virtual ~BlockReader() = default;
    // Whether the camera settings are read too (they cost a fifth of the
    // reading of a Mavic Pro log, and most conversions print none).
    bool ReadsCamera = true;
    virtual void Read(const QString& block, FlightRecord& record) = 0;
};

// One layout of DJI flight-log subtitles. Adding a layout takes three steps:
// a file in src/input/families/ with its recogniser and reader, a row in
// LogFamilies() (src/input/LogFamilies.cpp), and a reference case folder in
// tests/data/reference/. The window's "Log format" choice, velloa-cli's
// --format and the tests are built from the table.
struct LogFamily {
    const char* Id;       // --format value
    const char* Drones;   // what the user reads in the window's choice
    const char* Layout;   // the summary's "Log format: ..." words
    // Whether a block without a cue continues the block before: the drones
    // of this layout wrap a block over an empty line (the H20's tails).
    // Whether a log is per frame is measured, not given by its layout
    // (Flight::PerFrame).
    bool ContinuesTails;
    // Whether one block (with text) is written in this layout.
    bool (*Recognise)(const QString& block);
    // The reader for a whole file; `patterns` are the six input patterns.
    std::unique_ptr<BlockReader> (*MakeReader)(const InputPatterns& patterns);

    // Whether the six input patterns read this layout (the Mavic Pro's):
    // its logs read as they always have, and the summary names no layout.
    bool ReadByPatterns() const;
};

// Every layout, in the order they are tried on a block (no two recognise
// the same block).
const std::vector<LogFamily>& LogFamilies();
// The family of an id (exact), or nullptr.
const LogFamily* FindLogFamily(const QString& id);

// The --format values and the window's choice besides the families.
inline QString AutomaticFormatId() { return QStringLiteral("auto"); }
inline QString PatternsFormatId() { return QStringLiteral("patterns"); }

// One recording within a log: a run of records read in one layout whose cues
// never run backwards. Two recordings joined into one file (a video joined
// with its log, loop recording, clips of two drones edited together) start
// their cues again, or change layout, where the next one begins.
struct LogRecording {
    std::size_t First = 0;                // its first record
    const LogFamily* Family = nullptr;    // as FlightLog::Family, for these records
    int BlocksPerSecond = 0;              // as FlightLog::BlocksPerSecond
    // Half a unit of the last decimal the log writes for a position, in
    // degrees (0.00005 for four decimals); 0 where the positions are read by
    // the six input patterns, whose smoothing stays as it always was.
    double HalfUnitDeg = 0.0;
};

// The most decimals any of the first values `value` (HasPosition: latitude
// and longitude; HasHeight; HasAltitude) of records [first, end) is written
// with (a value of four decimals times 10^4 is a whole number, give or take
// the rounding of a double); 0 when none gives it.
int WrittenDecimals(const FlightRecordList& records, std::size_t first, std::size_t end, FlightRecord::Value value);

// A flight log as read: its records and how it was read.
struct FlightLog {
    FlightRecordList Records;
    // The layout read; nullptr when the six input patterns were applied as
    // the user asked (or no layout was recognised).
    const LogFamily* Family = nullptr;
    // Blocks per second of video time (from the cues), 0 when unknown: the
    // frame rate of a per-frame log (59.94 counts as 60).
    int BlocksPerSecond = 0;
    // What was read when a video was named: its subtitle track, or the log
    // beside it (SourceName, the .SRT's file name). The records are the same
    // either way; only the read summary tells.
    enum class ReadFrom { LogFile, VideoTrack, LogBesideVideo };
    ReadFrom Source = ReadFrom::LogFile;
    QString SourceName;
    // The recordings in file order (one at least when there are records).
    std::vector<LogRecording> Recordings;
    // No block had a cue line: the cues were taken from the dates.
    bool CuesFromDates = false;
    // Every position of a per-frame log lay within |lat| <= pi/2 and |lon| <=
    // pi: it was written in radians and has been turned into degrees.
    bool InRadians = false;

    bool HasAnyPosition() const;
    // Whether the log gives heights: some block gives a height (above
    // take-off or sea level), or the six input patterns read it (their
    // Barometer reads 0.0 where it finds none, as it always has).
    bool GivesHeights() const;
    // How the log was read, as the read summary and the flight view name it:
    // "bracketed fields, 30 blocks per second", or "input patterns".
    QString FormatName() const;
};

// A run of whole blocks of a log (cut after an empty line, or at the end of
// the text), read apart from the parser, on any thread, by a PieceReading,
// and taken into the parser in file order (LogParser::Take).
struct LogPiece {
    QByteArray Bytes;
    FlightRecordList Records;
    // Its blocks are to be read in order after all: the first continues the
    // block before the piece (a tail), or one is written in another layout.
    bool InOrder = false;
    std::size_t Layouts = 0;  // the parser's recordings when it was read
};

class LogParser;

// Reads pieces in the layout `parser` reads when this is made. Read may run
// on up to `readers` threads at once while the parser goes on: it reads
// nothing of the parser, and each piece is read by a reader of its own, made
// (and freed) on the thread that made this, so that no pattern is compiled
// on two threads at once.
class PieceReading {
public:
    PieceReading(const LogParser& parser, int readers);
    void Read(LogPiece& piece) const;

private:
    const LogFamily* m_family = nullptr;
    bool m_known = false;  // the layout is known (recognised, or given)
    bool m_automatic = false;
    std::size_t m_layouts = 0;
    mutable std::mutex m_mutex;
    mutable std::vector<std::unique_ptr<BlockReader>> m_idle;  // the readers not reading a piece now
};

// Reads block texts, given one at a time in file order, into the records of
// a FlightLog, never failing. `formatId` is "auto" (recognise the layout from
// the first blocks; family A and unrecognised logs use `patterns`),
// "patterns" (apply `patterns`) or a family id.
class LogParser {
public:
    // `camera`: whether the records get the camera settings.
    LogParser(const InputPatterns& patterns, const QString& formatId, std::size_t expectedBlocks = 0, bool camera = true);
    void Add(const QString& block);
    // Adds the blocks of `size` bytes of whole blocks (cut as LogPiece's);
    // `textStart`: the log's first bytes, where a byte-order mark is passed
    // over.
    void AddBlocks(const char* data, int size, bool textStart);
    // Takes the records of a piece read apart (PieceReading), the next in file order; reads
    // its blocks here instead when they are to be read in order, or were
    // read in a layout that has changed since.
    void Take(LogPiece& piece);
    FlightLog Finish();

private:
    friend class PieceReading;
    void Choose(const LogFamily* family);
    void Read(const QString& block);
    void SwitchLayout(const LogFamily& family, const QString& block);

    InputPatterns m_patterns;
    bool m_recognising = false;
    QList<QString> m_waiting;  // the first blocks, while the layout is not known
    std::unique_ptr<BlockReader> m_reader;
    bool m_automatic = false;  // the layout is recognised (and may change)
    bool m_mergeTails = false;
    bool m_camera = true;
    FlightLog m_log;
};

// The same for a whole log's bytes, cut into blocks as SplitSrtBlocks cuts.
FlightLog ParseLog(const QByteArray& bytes, const InputPatterns& patterns, const QString& formatId);
