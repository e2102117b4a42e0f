#pragma once

#include "input/InputPatterns.h"

#include <QString>

// A matcher for the six built-in pattern texts that gives exactly what
// QRegExp gives for them (same match or no match, same captures), in one
// linear scan each instead of QRegExp's backtracking. Logs of a million blocks
// spend most of their reading time in QRegExp otherwise, and the leading
// ".*" of the Home and GPS patterns makes QRegExp quadratic on a long block.
// Any other pattern text is left to QRegExp.
class DefaultPatternMatcher {
public:
    // Whether `text` is the built-in text of pattern `index`, which this
    // matcher can stand in for.
    static bool Handles(int index, const QString& text);

    // Searches pattern `index` (which Handles) in `block`; on a match the
    // captures are held until the next search.
    bool Search(int index, const QString& block);
    // Capture n (0 = the whole match) of the last successful search; empty
    // for a group the pattern does not have.
    QString Cap(int n) const;
    // Cap(n).toDouble(), without making the text: the number captures of the
    // built-in patterns are all of the shape [-]?[0-9]*[.][0-9]*.
    double CapNumber(int n) const;

private:
    bool MatchId(const QChar* s, int n);
    bool MatchSrtTime(const QChar* s, int n);
    bool MatchCoordinates(const QChar* s, int n, const char* word, int wordLength, ushort close);
    bool MatchFlyTime(const QChar* s, int n);
    bool MatchBarometer(const QChar* s, int n);

    QString m_block;
    int m_starts[3] = {0, 0, 0};
    int m_lengths[3] = {0, 0, 0};
    int m_groups = 0;
};
