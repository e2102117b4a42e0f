#include "input/SrtParser.h"

#include "input/TextScan.h"

#include <cstdint>
#include <cstring>
#include <type_traits>
#include <utility>

namespace {

// A pattern that begins with ".*" matches somewhere exactly when it matches at
// the start of the block ("." takes any character, line ends too, so the
// ".*" can take in whatever lies before a later match), and QRegExp finds
// the same match there, since it tries the start first. Unanchored, QRegExp
// still tries every later start when there is no match, which is quadratic
// in the block's length: hours for a log of one long line. Anchored with "^",
// it stops after the first start. Quantified ".*?", ".**", ".*+" and ".*{n}"
// are left as they are.
QString AnchoredWhereSafe(const QString& text)
{
    if (text.startsWith(QLatin1String(".*")) && (text.size() == 2 || !QStringLiteral("?*+{").contains(text[2])))
        return QLatin1Char('^') + text;
    return text;
}

} // namespace

CompiledPatterns::CompiledPatterns(const InputPatterns& patterns)
{
    for (int i = 0; i < InputPatterns::Count; ++i) {
        QRegExp& rx = m_expressions[static_cast<std::size_t>(i)];
        rx = QRegExp(AnchoredWhereSafe(patterns.Texts[static_cast<std::size_t>(i)]), Qt::CaseSensitive,
                     QRegExp::RegExp);
        rx.setMinimal(false);
        m_builtIn[static_cast<std::size_t>(i)] = DefaultPatternMatcher::Handles(i, patterns.Texts[static_cast<std::size_t>(i)]);
    }
}

bool CompiledPatterns::Search(int index, const QString& block)
{
    if (m_builtIn[static_cast<std::size_t>(index)])
        return m_matcher.Search(index, block);
    QRegExp& rx = m_expressions[static_cast<std::size_t>(index)];
    // An invalid pattern (unbalanced parentheses, say) is a pattern that
    // never matches; indexIn would report -1 for it as well.
    if (!rx.isValid())
        return false;
    return rx.indexIn(block, 0, QRegExp::CaretAtZero) >= 0;
}

QString CompiledPatterns::Cap(int index, int n) const
{
    // A group the pattern does not have, or one that took no part in the
    // match, gives empty text.
    if (m_builtIn[static_cast<std::size_t>(index)])
        return m_matcher.Cap(index, n);
    return m_expressions[static_cast<std::size_t>(index)].cap(n);
}

QStringView CompiledPatterns::CapView(int index, int n)
{
    if (m_builtIn[static_cast<std::size_t>(index)])
        return m_matcher.CapView(index, n);
    m_capture = m_expressions[static_cast<std::size_t>(index)].cap(n);
    return m_capture;
}

double CompiledPatterns::CapNumber(int index, int n) const
{
    if (m_builtIn[static_cast<std::size_t>(index)])
        return m_matcher.CapNumber(index, n);
    return m_expressions[static_cast<std::size_t>(index)].cap(n).toDouble();
}

MatchedPatterns ParseSrtBlock(const QString& block, FlightRecord& record, CompiledPatterns& patterns)
{
    MatchedPatterns matched = 0;
    const auto bit = [](InputPatterns::Index index) { return MatchedPatterns(1) << index; };

    // Id and SrtTime are always set; everything else only on a match, so an
    // unmatched value keeps what the record held.
    if (patterns.Search(InputPatterns::ID, block)) {
        record.Id = patterns.Cap(InputPatterns::ID, 1);
        matched |= bit(InputPatterns::ID);
    } else {
        record.Id = QString();
    }

    if (patterns.Search(InputPatterns::SrtTime, block)) {
        // Held as text only when it is not the usual spelling of its times.
        const QStringView text = patterns.CapView(InputPatterns::SrtTime, 1);
        char spelling[32];
        if (ScanCue(text, record.CueStartMs, record.CueEndMs)
            && SpelledAs(text, spelling, FormatCue(record.CueStartMs, record.CueEndMs, spelling)))
            record.Spelled |= FlightRecord::SrtTimeIsCue;
        else
            record.SrtTime = text.toString();
        matched |= bit(InputPatterns::SrtTime);
    } else {
        record.SrtTime = QStringLiteral("not found");
    }

    // The log writes longitude first, latitude second. A point of exactly
    // 0, 0 is what the drone writes before it has a fix: no value.
    if (patterns.Search(InputPatterns::Home, block)) {
        const double lon = patterns.CapNumber(InputPatterns::Home, 1);
        const double lat = patterns.CapNumber(InputPatterns::Home, 2);
        if (!(lat == 0.0 && lon == 0.0)) {
            record.HomeLon = lon;
            record.HomeLat = lat;
            record.Has |= FlightRecord::HasHome;
            matched |= bit(InputPatterns::Home);
        }
    }

    if (patterns.Search(InputPatterns::GPS, block)) {
        const double lon = patterns.CapNumber(InputPatterns::GPS, 1);
        const double lat = patterns.CapNumber(InputPatterns::GPS, 2);
        if (!(lat == 0.0 && lon == 0.0)) {
            record.Lon = lon;
            record.Lat = lat;
            record.Has |= FlightRecord::HasPosition;
            matched |= bit(InputPatterns::GPS);
        }
    }

    if (patterns.Search(InputPatterns::Barometer, block)) {
        record.HeightM = patterns.CapNumber(InputPatterns::Barometer, 1);
        record.Has |= FlightRecord::HasHeight;
        matched |= bit(InputPatterns::Barometer);
    }

    if (patterns.Search(InputPatterns::FlyTime, block)) {
        const QStringView text = patterns.CapView(InputPatterns::FlyTime, 1);
        char spelling[32];
        if (ScanDateTime(text, QLatin1Char('.'), record.LocalTimeMs)
            && SpelledAs(text, spelling, FormatLocalTime(record.LocalTimeMs, spelling)))
            record.Spelled |= FlightRecord::FlyTimeIsLocalTime;
        else
            record.FlyTime = text.toString();
        matched |= bit(InputPatterns::FlyTime);
    }

    return matched;
}

MatchedPatterns ParseSrtBlock(const QString& block, FlightRecord& record, const InputPatterns& patterns)
{
    CompiledPatterns compiled(patterns);
    return ParseSrtBlock(block, record, compiled);
}

namespace {

// The bytes of a log that hold text: after a leading UTF-8 byte-order mark,
// up to the first NUL (recordings cut short are often padded with NULs).
struct TextBytes {
    const char* data = nullptr;
    int begin = 0;
    int end = 0;
    bool hasCr = true;  // false: LF line ends only, no CR to look for
};

TextBytes TextRange(const QByteArray& bytes)
{
    TextBytes t;
    t.data = bytes.constData();
    const int size = bytes.size();
    const void* nul = size > 0 ? std::memchr(t.data, '\0', static_cast<std::size_t>(size)) : nullptr;
    t.end = nul ? static_cast<int>(static_cast<const char*>(nul) - t.data) : size;
    if (t.end >= 3 && std::memcmp(t.data, "\xEF\xBB\xBF", 3) == 0)
        t.begin = 3;
    t.hasCr = std::memchr(t.data, '\r', static_cast<std::size_t>(t.end)) != nullptr;
    return t;
}

// Calls f(first, last) with the byte range of every block, in file order: a
// block is a maximal run of non-empty lines, from the first byte of its
// first line to the last byte of its last line, so that the line ends inside
// it stay as they stood. Lines end at CR LF, LF or a lone CR. CR and LF are
// single bytes that never occur inside a UTF-8 sequence, so cutting the bytes
// here cuts the decoded text at the same places.
// The position of the first CR or LF in [from, end), or end. memchr is
// vectorised; the CR search only covers the line up to its LF.
int LineEnd(const char* d, int from, int end, bool hasCr)
{
    const void* lf = std::memchr(d + from, '\n', static_cast<std::size_t>(end - from));
    const int lineEnd = lf ? static_cast<int>(static_cast<const char*>(lf) - d) : end;
    if (!hasCr)
        return lineEnd;
    const void* cr = std::memchr(d + from, '\r', static_cast<std::size_t>(lineEnd - from));
    return cr ? static_cast<int>(static_cast<const char*>(cr) - d) : lineEnd;
}

// Calls f(first, last); a callback that returns bool stops the walk with false.
template <typename F>
bool Visit(F& f, int first, int last)
{
    if constexpr (std::is_same_v<decltype(f(first, last)), bool>) {
        return f(first, last);
    } else {
        f(first, last);
        return true;
    }
}

template <typename F>
void ForEachBlock(const TextBytes& t, F&& f)
{
    const char* const d = t.data;
    bool inBlock = false;
    int blockBegin = 0;
    int blockEnd = 0;
    int p = t.begin;
    while (p < t.end) {
        const int q = LineEnd(d, p, t.end, t.hasCr);
        if (q > p) {
            if (!inBlock) {
                blockBegin = p;
                inBlock = true;
            }
            blockEnd = q;
        } else if (inBlock) {
            if (!Visit(f, blockBegin, blockEnd))
                return;
            inBlock = false;
        }
        if (q == t.end)
            break;
        p = q + ((d[q] == '\r' && q + 1 < t.end && d[q + 1] == '\n') ? 2 : 1);
    }
    if (inBlock)
        Visit(f, blockBegin, blockEnd);
}

// Decodes the block [first, last) exactly as QString::fromUtf8 decodes it as
// part of the whole text, without ever holding the whole text decoded. A
// block starts right after a line end (ASCII), where the decoder holds no
// pending sequence, so decoding piece by piece gives the same characters,
// with one exception: fromUtf8 drops a byte-order mark at the start of what
// it is given, while inside the text the mark is an ordinary character
// (U+FEFF). Marks at the start of a block are therefore decoded by hand.
QString DecodeBlock(const TextBytes& t, int first, int last)
{
    int marks = 0;
    while (last - first >= 3 && std::memcmp(t.data + first, "\xEF\xBB\xBF", 3) == 0) {
        ++marks;
        first += 3;
    }
    QString text = QString::fromUtf8(t.data + first, last - first);
    if (marks > 0)
        text.prepend(QString(marks, QChar(0xFEFF)));
    return text;
}

}  // namespace

QStringList SplitSrtBlocks(const QByteArray& bytes)
{
    const TextBytes t = TextRange(bytes);
    QStringList blocks;
    ForEachBlock(t, [&](int first, int last) { blocks.append(DecodeBlock(t, first, last)); });
    return blocks;
}

FlightRecordList ParseSrtText(const QByteArray& bytes, const InputPatterns& patterns)
{
    return ParseLog(bytes, patterns, PatternsFormatId()).Records;
}

void ForEachSrtBlock(const QByteArray& bytes, const std::function<bool(const QString&)>& f)
{
    const TextBytes t = TextRange(bytes);
    ForEachBlock(t, [&](int first, int last) { return f(DecodeBlock(t, first, last)); });
}

std::size_t CountSrtBlocks(const QByteArray& bytes)
{
    std::size_t count = 0;
    ForEachBlock(TextRange(bytes), [&](int, int) { ++count; });
    return count;
}
