#include "input/DefaultPatternMatcher.h"

namespace {

bool IsDigit(QChar c)
{
    return c.unicode() >= '0' && c.unicode() <= '9';
}

// Whether s[at..] begins with the ASCII text `word`.
inline bool HasWordAt(const QChar* s, int n, int at, const char* word, int wordLength)
{
    if (at < 0 || at + wordLength > n || s[at].unicode() != static_cast<uchar>(word[0]))
        return false;
    for (int i = 0; i < wordLength; ++i) {
        if (s[at + i].unicode() != static_cast<uchar>(word[i]))
            return false;
    }
    return true;
}

// [-]?[0-9]+[.][0-9]* from `at`; returns the end, or -1. Every part is
// deterministic: the optional sign must be taken when present (a digit
// cannot match it), and no digit run can swallow the point after it.
int SignedDecimal(const QChar* s, int n, int at)
{
    int i = at;
    if (i < n && s[i].unicode() == '-')
        ++i;
    const int digits = i;
    while (i < n && IsDigit(s[i]))
        ++i;
    if (i == digits || i >= n || s[i].unicode() != '.')
        return -1;
    ++i;
    while (i < n && IsDigit(s[i]))
        ++i;
    return i;
}

} // namespace

bool DefaultPatternMatcher::Handles(int index, const QString& text)
{
    static const InputPatterns defaults = InputPatterns::Defaults();
    return index >= 0 && index < InputPatterns::Count && text == defaults.Texts[static_cast<std::size_t>(index)];
}

bool DefaultPatternMatcher::Search(int index, const QString& block)
{
    m_block = block;  // shares the data, no copy
    m_groups = 0;
    const QChar* s = block.constData();
    const int n = block.size();
    switch (index) {
    case InputPatterns::ID:
        return MatchId(s, n);
    case InputPatterns::SrtTime:
        return MatchSrtTime(s, n);
    case InputPatterns::Home:
        return MatchCoordinates(s, n, "HOME(", 5, ')');
    case InputPatterns::GPS:
        return MatchCoordinates(s, n, "GPS(", 4, ',');
    case InputPatterns::FlyTime:
        return MatchFlyTime(s, n);
    case InputPatterns::Barometer:
        return MatchBarometer(s, n);
    default:
        return false;
    }
}

QString DefaultPatternMatcher::Cap(int n) const
{
    if (n < 0 || n >= m_groups)
        return QString();
    return m_block.mid(m_starts[n], m_lengths[n]);
}

double DefaultPatternMatcher::CapNumber(int n) const
{
    if (n < 0 || n >= m_groups)
        return 0.0;
    const QChar* s = m_block.constData() + m_starts[n];
    const int length = m_lengths[n];
    // Digits with an optional sign and one point. When the digits form an
    // integer below 2^53 and there are at most 22 of them after the point,
    // integer / 10^k is one correctly rounded division of two exact doubles,
    // the value QString::toDouble gives too. Anything longer goes to it.
    static const double kPowersOfTen[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12,
        1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    int i = 0;
    const bool negative = length > 0 && s[0].unicode() == '-';
    if (negative)
        ++i;
    quint64 digits = 0;
    int digitCount = 0;
    int fractionDigits = 0;
    bool afterPoint = false;
    bool shapeOk = true;
    for (; i < length; ++i) {
        const ushort c = s[i].unicode();
        if (c >= '0' && c <= '9') {
            if (digits != 0 || c != '0')
                ++digitCount;  // significant digits only
            digits = digits * 10 + (c - '0');
            fractionDigits += afterPoint;
            if (digitCount > 15)
                break;
        } else if (c == '.' && !afterPoint) {
            afterPoint = true;
        } else {
            shapeOk = false;
            break;
        }
    }
    if (i < length || !shapeOk || fractionDigits > 22)
        return Cap(n).toDouble();
    if (length - negative - afterPoint == 0)
        return 0.0;  // "." or "-.": no number, which toDouble reads as 0
    const double value = static_cast<double>(digits) / kPowersOfTen[fractionDigits];
    return negative ? -value : value;
}

// ^([0-9]*)$ : "^" and "$" stand for the ends of the whole block.
bool DefaultPatternMatcher::MatchId(const QChar* s, int n)
{
    for (int i = 0; i < n; ++i) {
        if (!IsDigit(s[i]))
            return false;
    }
    m_groups = 2;
    m_starts[0] = m_starts[1] = 0;
    m_lengths[0] = m_lengths[1] = n;
    return true;
}

// (.{13}-->.{13}) : the leftmost "-->" with 13 characters of any kind on
// either side.
bool DefaultPatternMatcher::MatchSrtTime(const QChar* s, int n)
{
    for (int arrow = 13; arrow + 3 + 13 <= n; ++arrow) {
        if (HasWordAt(s, n, arrow, "-->", 3)) {
            m_groups = 2;
            m_starts[0] = m_starts[1] = arrow - 13;
            m_lengths[0] = m_lengths[1] = 29;
            return true;
        }
    }
    return false;
}

// .*WORD[(](number)[,](number)CLOSE : the greedy ".*" from the start of the
// block makes the last WORD( whose numbers follow the one that counts (an
// earlier one cannot reach further, since the numbers never contain a
// WORD). Capture 1 is the longitude, capture 2 the latitude.
bool DefaultPatternMatcher::MatchCoordinates(const QChar* s, int n, const char* word, int wordLength, ushort close)
{
    for (int at = n - wordLength; at >= 0; --at) {
        if (!HasWordAt(s, n, at, word, wordLength))
            continue;
        const int first = at + wordLength;
        const int firstEnd = SignedDecimal(s, n, first);
        if (firstEnd < 0 || firstEnd >= n || s[firstEnd].unicode() != ',')
            continue;
        const int second = firstEnd + 1;
        const int secondEnd = SignedDecimal(s, n, second);
        if (secondEnd < 0 || secondEnd >= n || s[secondEnd].unicode() != close)
            continue;
        m_groups = 3;
        m_starts[0] = 0;
        m_lengths[0] = secondEnd + 1;
        m_starts[1] = first;
        m_lengths[1] = firstEnd - first;
        m_starts[2] = second;
        m_lengths[2] = secondEnd - second;
        return true;
    }
    return false;
}

// HOME[(][-0-9., ]*[)][ ](20[0-9][0-9][.][0-9][0-9][.][0-9][0-9][ ][0-9:]{8})
// : the leftmost HOME( followed by the date and time.
bool DefaultPatternMatcher::MatchFlyTime(const QChar* s, int n)
{
    // The capture: 20dd.dd.dd dd:dd:dd with [0-9:] in the last eight places.
    static const char kShape[] = "20dd.dd.dd tttttttt";
    for (int at = 0; at + 5 <= n; ++at) {
        if (!HasWordAt(s, n, at, "HOME(", 5))
            continue;
        int i = at + 5;
        while (i < n) {
            const ushort c = s[i].unicode();
            if (!((c >= '0' && c <= '9') || c == '-' || c == '.' || c == ',' || c == ' '))
                break;
            ++i;
        }
        if (i + 2 + 19 > n || s[i].unicode() != ')' || s[i + 1].unicode() != ' ')
            continue;
        const int capture = i + 2;
        bool fits = true;
        for (int k = 0; k < 19 && fits; ++k) {
            const ushort c = s[capture + k].unicode();
            switch (kShape[k]) {
            case 'd':
                fits = c >= '0' && c <= '9';
                break;
            case 't':
                fits = (c >= '0' && c <= '9') || c == ':';
                break;
            default:
                fits = c == static_cast<uchar>(kShape[k]);
            }
        }
        if (!fits)
            continue;
        m_groups = 2;
        m_starts[0] = at;
        m_lengths[0] = capture + 19 - at;
        m_starts[1] = capture;
        m_lengths[1] = 19;
        return true;
    }
    return false;
}

// BAROMETER[:]([-]?[0-9]*[.][0-9]*) : the leftmost BAROMETER: followed by a
// number with a point (the digits before the point may be absent).
bool DefaultPatternMatcher::MatchBarometer(const QChar* s, int n)
{
    for (int at = 0; at + 10 <= n; ++at) {
        if (!HasWordAt(s, n, at, "BAROMETER:", 10))
            continue;
        const int value = at + 10;
        int i = value;
        if (i < n && s[i].unicode() == '-')
            ++i;
        while (i < n && IsDigit(s[i]))
            ++i;
        if (i >= n || s[i].unicode() != '.')
            continue;
        ++i;
        while (i < n && IsDigit(s[i]))
            ++i;
        m_groups = 2;
        m_starts[0] = at;
        m_lengths[0] = i - at;
        m_starts[1] = value;
        m_lengths[1] = i - value;
        return true;
    }
    return false;
}
