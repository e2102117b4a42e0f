#include "input/DefaultPatternMatcher.h"

#include "input/TextScan.h"

#if defined(__SSE2__) && defined(__GNUC__)
#include <emmintrin.h>
#endif

namespace {

// [-]?[0-9]+[.][0-9]* from `at`; returns the end, or -1. Every part is
// deterministic: the optional sign must be taken when present (a digit
// cannot match it), and no digit run can swallow the point after it.
int SignedDecimal(const QChar* s, int n, int at)
{
    int i = at;
    if (i < n && s[i].unicode() == '-')
        ++i;
    const int digits = i;
    while (i < n && IsAsciiDigit(s[i]))
        ++i;
    if (i == digits || i >= n || s[i].unicode() != '.')
        return -1;
    ++i;
    while (i < n && IsAsciiDigit(s[i]))
        ++i;
    return i;
}


// The tail of .*WORD[(]([-]?[0-9]+[.][0-9]*)[,]([-]?[0-9]+[.][0-9]*)CLOSE
// after WORD( at `first`: the two numbers and the closing character.
// Returns the end of the match, or -1; `second` and `firstEnd` receive the
// places of the second number and the end of the first.
int CoordinatesTail(const QChar* s, int n, int first, ushort close, int& firstEnd, int& secondEnd)
{
    firstEnd = SignedDecimal(s, n, first);
    if (firstEnd < 0 || firstEnd >= n || s[firstEnd].unicode() != ',')
        return -1;
    secondEnd = SignedDecimal(s, n, firstEnd + 1);
    if (secondEnd < 0 || secondEnd >= n || s[secondEnd].unicode() != close)
        return -1;
    return secondEnd + 1;
}

// The tail of HOME[(][-0-9., ]*[)][ ](20[0-9][0-9][.][0-9][0-9][.][0-9][0-9][ ][0-9:]{8})
// after HOME( at `from`: returns where the date and time start, or -1.
int FlyTimeTail(const QChar* s, int n, int from)
{
    int i = from;
    while (i < n) {
        const ushort c = s[i].unicode();
        if (!((c >= '0' && c <= '9') || c == '-' || c == '.' || c == ',' || c == ' '))
            break;
        ++i;
    }
    if (i + 2 + 19 > n || s[i].unicode() != ')' || s[i + 1].unicode() != ' ')
        return -1;
    const int capture = i + 2;
    // 20dd.dd.dd tttttttt, t standing for [0-9:]
    const QChar* d = s + capture;
    if (!AsciiAt(d, 19, 0, QLatin1String("20")) || !IsAsciiDigit(d[2]) || !IsAsciiDigit(d[3])
        || d[4] != QLatin1Char('.') || !IsAsciiDigit(d[5]) || !IsAsciiDigit(d[6]) || d[7] != QLatin1Char('.')
        || !IsAsciiDigit(d[8]) || !IsAsciiDigit(d[9]) || d[10] != QLatin1Char(' '))
        return -1;
    for (int k = 11; k < 19; ++k) {
        if (!IsAsciiDigit(d[k]) && d[k] != QLatin1Char(':'))
            return -1;
    }
    return capture;
}

// The tail of BAROMETER[:]([-]?[0-9]*[.][0-9]*) after the colon at `from`:
// returns the end of the number, or -1. The digits before the point may be
// absent; the optional sign must be taken when present, since nothing else
// can match it.
int BarometerTail(const QChar* s, int n, int from)
{
    int i = from;
    if (i < n && s[i].unicode() == '-')
        ++i;
    while (i < n && IsAsciiDigit(s[i]))
        ++i;
    if (i >= n || s[i].unicode() != '.')
        return -1;
    ++i;
    while (i < n && IsAsciiDigit(s[i]))
        ++i;
    return i;
}

// The first place from `i` on that holds a character a match may start
// with ('H', 'G', 'B' or '-'), or n. Most of a block is passed over here,
// eight characters at a time where the processor allows.
int NextStart(const QChar* s, int n, int i)
{
#if defined(__SSE2__) && defined(__GNUC__)
    const __m128i h = _mm_set1_epi16('H');
    const __m128i g = _mm_set1_epi16('G');
    const __m128i b = _mm_set1_epi16('B');
    const __m128i dash = _mm_set1_epi16('-');
    for (; i + 8 <= n; i += 8) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
        const __m128i hit = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi16(v, h), _mm_cmpeq_epi16(v, g)),
                                         _mm_or_si128(_mm_cmpeq_epi16(v, b), _mm_cmpeq_epi16(v, dash)));
        const int mask = _mm_movemask_epi8(hit);
        if (mask != 0)
            return i + __builtin_ctz(static_cast<unsigned>(mask)) / 2;
    }
#endif
    for (; i < n; ++i) {
        const ushort c = s[i].unicode();
        if (c == 'H' || c == 'G' || c == 'B' || c == '-')
            return i;
    }
    return n;
}

} // namespace

bool DefaultPatternMatcher::Handles(int index, const QString& text)
{
    static const InputPatterns defaults = InputPatterns::Defaults();
    return index >= 0 && index < InputPatterns::Count && text == defaults.Texts[static_cast<std::size_t>(index)];
}

bool DefaultPatternMatcher::Search(int index, const QString& block)
{
    if (!m_scanned || block.constData() != m_block.constData() || block.size() != m_block.size())
        Scan(block);
    return m_matches[static_cast<std::size_t>(index)].Found;
}

QString DefaultPatternMatcher::Cap(int index, int n) const
{
    const Match& match = m_matches[static_cast<std::size_t>(index)];
    if (!match.Found || n < 0 || n >= match.Groups)
        return QString();
    return m_block.mid(match.Starts[n], match.Lengths[n]);
}

QStringView DefaultPatternMatcher::CapView(int index, int n) const
{
    const Match& match = m_matches[static_cast<std::size_t>(index)];
    if (!match.Found || n < 0 || n >= match.Groups)
        return QStringView();
    return QStringView(m_block).mid(match.Starts[n], match.Lengths[n]);
}

/*
 * One pass over the block finds all six matches:
 *  - ID, ^([0-9]*)$: "^" and "$" stand for the ends of the whole block, so it
 *    matches a block of digits only, all of it;
 *  - SrtTime, (.{13}-->.{13}): the leftmost "-->" with 13 characters of any
 *    kind (line ends too) on either side;
 *  - Home and GPS, .*WORD[(]number[,]number CLOSE: the greedy ".*" from the
 *    start of the block makes the LAST WORD( followed by its numbers the one
 *    that counts (an earlier one cannot reach further: the numbers never hold
 *    a WORD); capture 1 is the longitude, capture 2 the latitude;
 *  - FlyTime and Barometer: the FIRST HOME( and BAROMETER: whose tails fit.
 * Every tail is deterministic: no character class before a fixed character
 * can take that character, so there is nothing to backtrack into.
 */
void DefaultPatternMatcher::Scan(const QString& block)
{
    m_block = block;
    m_scanned = true;
    m_matches.fill(Match());
    const QChar* s = block.constData();
    const int n = block.size();
    Match& id = m_matches[InputPatterns::ID];
    Match& time = m_matches[InputPatterns::SrtTime];
    Match& home = m_matches[InputPatterns::Home];
    Match& gps = m_matches[InputPatterns::GPS];
    Match& flyTime = m_matches[InputPatterns::FlyTime];
    Match& barometer = m_matches[InputPatterns::Barometer];

    int i = 0;
    while (i < n && IsAsciiDigit(s[i]))
        ++i;
    if (i == n)
        id = Match{true, 2, {0, 0, 0}, {n, n, 0}};
    for (i = NextStart(s, n, i); i < n; i = NextStart(s, n, i + 1)) {
        const ushort c = s[i].unicode();
        int firstEnd = 0;
        int secondEnd = 0;
        switch (c) {
        case 'H':
            if (AsciiAt(s, n, i, QLatin1String("HOME("))) {
                const int end = CoordinatesTail(s, n, i + 5, ')', firstEnd, secondEnd);
                if (end >= 0)
                    home = Match{true, 3, {0, i + 5, firstEnd + 1}, {end, firstEnd - (i + 5), secondEnd - (firstEnd + 1)}};
                if (!flyTime.Found) {
                    const int capture = FlyTimeTail(s, n, i + 5);
                    if (capture >= 0)
                        flyTime = Match{true, 2, {i, capture, 0}, {capture + 19 - i, 19, 0}};
                }
            }
            break;
        case 'G':
            if (AsciiAt(s, n, i, QLatin1String("GPS("))) {
                const int end = CoordinatesTail(s, n, i + 4, ',', firstEnd, secondEnd);
                if (end >= 0)
                    gps = Match{true, 3, {0, i + 4, firstEnd + 1}, {end, firstEnd - (i + 4), secondEnd - (firstEnd + 1)}};
            }
            break;
        case 'B':
            if (!barometer.Found && AsciiAt(s, n, i, QLatin1String("BAROMETER:"))) {
                const int end = BarometerTail(s, n, i + 10);
                if (end >= 0)
                    barometer = Match{true, 2, {i, i + 10, 0}, {end - i, end - (i + 10), 0}};
            }
            break;
        case '-':
            if (!time.Found && i >= 13 && i + 3 + 13 <= n && AsciiAt(s, n, i, QLatin1String("-->")))
                time = Match{true, 2, {i - 13, i - 13, 0}, {29, 29, 0}};
            break;
        default:
            break;
        }
    }
}

double DefaultPatternMatcher::CapNumber(int index, int n) const
{
    const Match& match = m_matches[static_cast<std::size_t>(index)];
    if (!match.Found || n < 0 || n >= match.Groups)
        return 0.0;
    return DecimalTextValue(m_block.constData() + match.Starts[n], match.Lengths[n]);
}

