#pragma once

#include "input/InputPatterns.h"

#include <QString>

#include <array>

// A matcher for the six built-in pattern texts that gives exactly what
// QRegExp gives for them (same match or no match, same captures), from one
// linear scan of the block for all six instead of six backtracking searches.
// Logs of a million blocks spend most of their reading time in QRegExp
// otherwise, and the leading ".*" of the Home and GPS patterns makes QRegExp
// quadratic on a long block. Any other pattern text is left to QRegExp.
class DefaultPatternMatcher {
public:
    // Whether `text` is the built-in text of pattern `index`, which this
    // matcher can stand in for.
    static bool Handles(int index, const QString& text);

    // Whether pattern `index` (which Handles) matches `block`. The block is
    // scanned once for all six; asking again for the same block reuses that.
    // The captures are held until a different block is searched.
    bool Search(int index, const QString& block);
    // Capture n (0 = the whole match) of pattern `index` in the last block
    // searched; empty for no match or a group the pattern does not have.
    QString Cap(int index, int n) const;
    // The same as a view into the block searched, valid until the next search.
    QStringView CapView(int index, int n) const;
    // Cap(index, n).toDouble(), without making the text: the number captures
    // of the built-in patterns are all of the shape [-]?[0-9]*[.][0-9]*.
    double CapNumber(int index, int n) const;

private:
    struct Match {
        bool Found = false;
        int Groups = 0;  // captures including the whole match
        int Starts[3] = {0, 0, 0};
        int Lengths[3] = {0, 0, 0};
    };

    void Scan(const QString& block);

    QString m_block;  // the block scanned (shared, not copied)
    bool m_scanned = false;
    std::array<Match, InputPatterns::Count> m_matches;
};
