#pragma once

#include "input/DefaultPatternMatcher.h"
#include "input/FlightRecord.h"
#include "input/InputPatterns.h"
#include "input/LogFamily.h"

#include <QByteArray>
#include <QRegExp>
#include <QStringList>

#include <array>
#include <functional>
#include <memory>

// Which of the patterns matched in one block: bit (1 << InputPatterns::Index).
using MatchedPatterns = unsigned;

// The six patterns compiled once, to be applied to every block of a file.
// Each is a QRegExp in RegExp syntax, case-sensitive and greedy; an invalid
// pattern never matches, and so does one that refers back to a group
// numbered 1000 or more. A pattern whose text is the built-in one is run by
// DefaultPatternMatcher instead, with the same results.
class CompiledPatterns {
public:
    explicit CompiledPatterns(const InputPatterns& patterns);
    ~CompiledPatterns();
    CompiledPatterns(const CompiledPatterns&) = delete;
    CompiledPatterns& operator=(const CompiledPatterns&) = delete;

    // Searches pattern `index` in `block` from its first character (caret at
    // zero, leftmost match). Returns false on no match; on a match, capture
    // n is available through cap(index, n) until the next search.
    bool Search(int index, const QString& block);
    QString Cap(int index, int n) const;
    // The same as a view, valid until the next search or CapView.
    QStringView CapView(int index, int n);
    // Cap(index, n).toDouble(), faster for the built-in patterns.
    double CapNumber(int index, int n) const;

private:
    // Made and dropped under a lock: QRegExp shares its compiled patterns
    // through a cache of its own, behind a lock that thread checkers cannot
    // see (Qt is not built for them).
    std::unique_ptr<std::array<QRegExp, InputPatterns::Count>> m_expressions;
    std::array<bool, InputPatterns::Count> m_builtIn{};
    std::array<bool, InputPatterns::Count> m_refused{};  // run by no one: it never matches
    DefaultPatternMatcher m_matcher;  // scans a block once for every built-in pattern
    QString m_capture;                // what CapView of a QRegExp capture shows
};

// Fills `record` from one block text. Id becomes capture 1 of ID or empty,
// SrtTime capture 1 of SrtTime or "not found" (its cue times are read from
// that text); Home (lon, lat), GPS (lon, lat), Barometer (the height above
// take-off) and FlyTime (with its date-time) are set only on a match, and a
// Home or GPS of exactly 0, 0 counts as no match (it is what the drone writes
// before it has a fix). Numbers are read as QString::toDouble reads them (C
// locale, anything else gives 0). Returns which patterns matched.
MatchedPatterns ParseSrtBlock(const QString& block, FlightRecord& record, CompiledPatterns& patterns);
MatchedPatterns ParseSrtBlock(const QString& block, FlightRecord& record, const InputPatterns& patterns);

// Cuts a log into block texts. The bytes are decoded as UTF-8 up to the first
// NUL (invalid sequences become U+FFFD, a leading byte-order mark is
// dropped). A line ends at CR LF, LF or a lone CR; a block is a maximal run
// of non-empty lines, joined by the line ends that stood between them. The
// last block needs no empty line or line end after it.
QStringList SplitSrtBlocks(const QByteArray& bytes);
