#include "input/TextScan.h"

#include "input/CivilTime.h"
#include "input/DigitPairs.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

bool IsBlank(QChar c)
{
    return c.unicode() == ' ' || c.unicode() == '\t';
}

// Reads 1 to `maxDigits` digits (at least `minDigits`) as a whole number.
bool ScanDigits(QStringView s, int& pos, int minDigits, int maxDigits, int& value)
{
    int i = pos;
    value = 0;
    while (i < s.size() && i - pos < maxDigits && IsAsciiDigit(s[i]))
        value = value * 10 + (s[i++].unicode() - '0');
    if (i - pos < minDigits)
        return false;
    pos = i;
    return true;
}

bool ScanChar(QStringView s, int& pos, QChar c)
{
    if (pos < s.size() && s[pos] == c) {
        ++pos;
        return true;
    }
    return false;
}

// "hh:mm:ss" followed by [,.]mmm, in milliseconds.
bool ScanCueTime(QStringView s, int& pos, qint64& ms)
{
    int h = 0, m = 0, sec = 0, milli = 0;
    int p = pos;
    if (!ScanDigits(s, p, 1, 3, h) || !ScanChar(s, p, QLatin1Char(':')) || !ScanDigits(s, p, 2, 2, m)
        || !ScanChar(s, p, QLatin1Char(':')) || !ScanDigits(s, p, 2, 2, sec))
        return false;
    if (!ScanChar(s, p, QLatin1Char(',')) && !ScanChar(s, p, QLatin1Char('.')))
        return false;
    if (!ScanDigits(s, p, 3, 3, milli))
        return false;
    ms = ((qint64(h) * 60 + m) * 60 + sec) * 1000 + milli;
    pos = p;
    return true;
}

// Whether the 29 characters at `d` read "99:99:99,999 --> 99:99:99,999",
// 9 standing for any ASCII digit.
bool HasCueShape(const QChar* d)
{
    const auto digits = [d](int i, int n) { return std::all_of(d + i, d + i + n, IsAsciiDigit); };
    for (int half = 0; half <= 17; half += 17) {
        if (!digits(half, 2) || d[half + 2] != QLatin1Char(':') || !digits(half + 3, 2)
            || d[half + 5] != QLatin1Char(':') || !digits(half + 6, 2) || d[half + 8] != QLatin1Char(',')
            || !digits(half + 9, 3))
            return false;
    }
    return AsciiAt(d, 29, 12, QLatin1String(" --> "));
}

} // namespace

int FindAscii(QStringView s, QLatin1String needle, int from)
{
    const int n = needle.size();
    if (n == 0)
        return from <= s.size() ? from : -1;
    const QChar* d = s.data();
    const ushort first = static_cast<uchar>(needle.data()[0]);
    for (int i = std::max(0, from), last = s.size() - n; i <= last; ++i) {
        if (d[i].unicode() == first && AsciiAt(d, s.size(), i, needle))
            return i;
    }
    return -1;
}

double DecimalTextValue(const QChar* s, int length)
{
    // Digits with an optional sign and one point. When the digits form an
    // integer below 10^15 (at most 15 significant digits: below 2^53) and
    // there are at most 22 of them after the point, integer / 10^k is one
    // correctly rounded division of two exact doubles, the value
    // QString::toDouble gives too. Anything else goes to it.
    static const double kPowersOfTen[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12,
        1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    constexpr int kMostDigits = 19;  // 10^19 - 1 still fits 64 bits
    const bool negative = length > 0 && s[0].unicode() == '-';
    int i = negative ? 1 : 0;
    quint64 digits = 0;
    int count = 0;
    const auto readDigits = [&] {
        for (; i < length; ++i) {
            const unsigned digit = static_cast<unsigned>(s[i].unicode()) - '0';
            if (digit > 9u)
                break;
            if (++count <= kMostDigits)
                digits = digits * 10 + digit;
        }
    };
    readDigits();
    const int wholeEnd = i;
    const bool point = i < length && s[i].unicode() == '.';
    if (point) {
        ++i;
        readDigits();
    }
    const int fractionDigits = point ? i - wholeEnd - 1 : 0;
    if (i < length || count > kMostDigits || digits >= 1000000000000000ull || fractionDigits > 22)
        return QString(s, length).toDouble();
    if (count == 0)
        return 0.0;  // "", "-", "." or "-.": no number, which toDouble reads as 0
    const double value = static_cast<double>(digits) / kPowersOfTen[fractionDigits];
    return negative ? -value : value;
}

bool ScanNumber(QStringView s, int& pos, double& value)
{
    int i = pos;
    if (i < s.size() && (s[i] == QLatin1Char('-') || s[i] == QLatin1Char('+')))
        ++i;
    const int wholeStart = i;
    while (i < s.size() && IsAsciiDigit(s[i]))
        ++i;
    int digits = i - wholeStart;
    if (i < s.size() && s[i] == QLatin1Char('.'))
        ++i;
    const int fractionStart = i;
    while (i < s.size() && IsAsciiDigit(s[i]))
        ++i;
    digits += i - fractionStart;
    if (digits == 0)
        return false;
    const int start = s[pos] == QLatin1Char('+') ? pos + 1 : pos;
    value = DecimalTextValue(s.data() + start, i - start);
    pos = i;
    return true;
}

bool NumberAfter(QStringView s, QLatin1String name, QChar separator, double& value, int from)
{
    const int at = FindAscii(s, name, from);
    if (at < 0)
        return false;
    int p = at + name.size();
    while (p < s.size() && IsBlank(s[p]))
        ++p;
    if (ScanChar(s, p, separator)) {
        while (p < s.size() && IsBlank(s[p]))
            ++p;
    }
    return ScanNumber(s, p, value);
}

bool ScanCue(QStringView s, qint64& startMs, qint64& endMs, bool* usualSpelling)
{
    if (usualSpelling)
        *usualSpelling = false;
    // The usual spelling, "hh:mm:ss,mmm --> hh:mm:ss,mmm" (what FormatCue
    // writes), read at its fixed places. A text of just that shape (the
    // cue the SrtTime pattern takes) has its arrow at 13 and none before.
    const bool cueOnly = s.size() == 29 && HasCueShape(s.data());
    const int arrow = cueOnly ? 13 : FindAscii(s, QLatin1String("-->"));
    if (arrow < 0)
        return false;
    if (arrow >= 13 && arrow + 16 <= s.size()) {
        const QChar* d = s.data() + arrow - 13;
        const bool fits = cueOnly || HasCueShape(d);
        const bool clean = fits && (arrow == 13 || !s[arrow - 14].isDigit()) && (arrow + 16 == s.size() || !s[arrow + 16].isDigit());
        if (clean) {
            const auto at = [d](int i, int n) {
                qint64 v = 0;
                for (int k = 0; k < n; ++k)
                    v = v * 10 + (d[i + k].unicode() - '0');
                return v;
            };
            startMs = ((at(0, 2) * 60 + at(3, 2)) * 60 + at(6, 2)) * 1000 + at(9, 3);
            endMs = ((at(17, 2) * 60 + at(20, 2)) * 60 + at(23, 2)) * 1000 + at(26, 3);
            // Minutes and seconds beyond 59 read right, but are not spelled so.
            if (usualSpelling)
                *usualSpelling = at(3, 2) < 60 && at(6, 2) < 60 && at(20, 2) < 60 && at(23, 2) < 60;
            return true;
        }
    }
    // The start time ends right before the blanks in front of the arrow.
    int startEnd = arrow;
    while (startEnd > 0 && IsBlank(s[startEnd - 1]))
        --startEnd;
    int startPos = startEnd;
    while (startPos > 0 && (IsAsciiDigit(s[startPos - 1]) || s[startPos - 1] == QLatin1Char(':')
                            || s[startPos - 1] == QLatin1Char(',') || s[startPos - 1] == QLatin1Char('.')))
        --startPos;
    int endPos = arrow + 3;
    while (endPos < s.size() && IsBlank(s[endPos]))
        ++endPos;
    qint64 a = 0, b = 0;
    if (!ScanCueTime(s, startPos, a) || startPos != startEnd || !ScanCueTime(s, endPos, b))
        return false;
    startMs = a;
    endMs = b;
    return true;
}

namespace {

// "YYYY<sep>MM<sep>DD hh:mm:ss", every field at its full width, in the 19
// characters at `d`: year, month, day, hours, minutes and seconds into `v`.
bool FullWidthDateTime(const QChar* d, QChar separator, int (&v)[6])
{
    static const int kStarts[6] = {0, 5, 8, 11, 14, 17};
    for (int k = 0; k < 6; ++k) {
        v[k] = 0;
        for (int i = kStarts[k]; i < kStarts[k] + (k == 0 ? 4 : 2); ++i) {
            const unsigned digit = static_cast<unsigned>(d[i].unicode()) - '0';
            if (digit > 9u)
                return false;
            v[k] = v[k] * 10 + static_cast<int>(digit);
        }
    }
    return d[4] == separator && d[7] == separator && d[10] == QLatin1Char(' ') && d[13] == QLatin1Char(':')
        && d[16] == QLatin1Char(':');
}

} // namespace

bool ScanDateTime(QStringView s, QChar dateSeparator, qint64& localMs, bool* usualSpelling)
{
    if (usualSpelling)
        *usualSpelling = false;
    // "YYYY.MM.DD hh:mm:ss" and nothing more, the usual spelling: its first
    // separator is the one the search below starts from, and a valid date
    // there is the one it finds.
    int v[6] = {};
    if (s.size() == 19 && dateSeparator == QLatin1Char('.') && FullWidthDateTime(s.data(), dateSeparator, v)
        && ValidDate(v[0], v[1], v[2]) && v[3] <= 23 && v[4] <= 59 && v[5] <= 59) {
        localMs = DaysFromCivil(v[0], v[1], v[2]) * kMsPerDay + ((qint64(v[3]) * 60 + v[4]) * 60 + v[5]) * 1000;
        if (usualSpelling)
            *usualSpelling = true;
        return true;
    }
    for (int at = static_cast<int>(s.indexOf(dateSeparator)); at >= 0; at = static_cast<int>(s.indexOf(dateSeparator, at + 1))) {
        int p = at - 4;
        if (p < 0)
            continue;
        // year, month, day, hours, minutes, seconds: read at their places
        // when every field has its full width (the usual case), else field
        // by field (a month or day may have one digit).
        if (p + 19 <= s.size() && FullWidthDateTime(s.data() + p, dateSeparator, v)) {
            p += 19;
        } else if (!ScanDigits(s, p, 4, 4, v[0]) || p != at || !ScanChar(s, p, dateSeparator)
                   || !ScanDigits(s, p, 1, 2, v[1]) || !ScanChar(s, p, dateSeparator) || !ScanDigits(s, p, 1, 2, v[2])
                   || !ScanChar(s, p, QLatin1Char(' ')) || !ScanDigits(s, p, 2, 2, v[3])
                   || !ScanChar(s, p, QLatin1Char(':')) || !ScanDigits(s, p, 2, 2, v[4])
                   || !ScanChar(s, p, QLatin1Char(':')) || !ScanDigits(s, p, 2, 2, v[5])) {
            continue;
        }
        if (!ValidDate(v[0], v[1], v[2]) || v[3] > 23 || v[4] > 59 || v[5] > 59)
            continue;
        // Milliseconds after the seconds, where the log writes them.
        int milli = 0;
        const bool fraction = ScanChar(s, p, QLatin1Char(',')) || ScanChar(s, p, QLatin1Char('.'));
        if (!fraction || !ScanDigits(s, p, 3, 3, milli))
            milli = 0;
        localMs = DaysFromCivil(v[0], v[1], v[2]) * kMsPerDay + ((qint64(v[3]) * 60 + v[4]) * 60 + v[5]) * 1000
            + milli;
        // "YYYY.MM.DD hh:mm:ss" and nothing more is what FormatLocalTime writes.
        if (usualSpelling)
            *usualSpelling = dateSeparator == QLatin1Char('.') && at == 4 && p == 19 && s.size() == 19;
        return true;
    }
    return false;
}

namespace {

// Writes `value` (0 to 9999) as `width` digits ending before `end`, two at
// a time.
void PutDigits(char* end, int width, qint64 value)
{
    auto v = static_cast<unsigned>(value);
    for (; width >= 2; width -= 2, v /= 100) {
        end -= 2;
        std::memcpy(end, kDigitPairs.Text + 2 * (v % 100), 2);
    }
    if (width == 1)
        end[-1] = static_cast<char>('0' + v % 10);
}

} // namespace

int FormatLocalTime(qint64 localMs, char* out)
{
    const qint64 days = FloorDiv(localMs, kMsPerDay);
    const qint64 ms = localMs - days * kMsPerDay;
    // Records of one flight share their day: the calendar is worked out
    // once per day.
    thread_local qint64 lastDays = std::numeric_limits<qint64>::min();
    thread_local CivilDate date;
    if (days != lastDays) {
        date = CivilFromDays(days);
        lastDays = days;
    }
    const qint64 year = date.Year;
    const int month = date.Month, day = date.Day;
    if (year < 0 || year > 9999)
        return 0;
    std::memcpy(out, "YYYY.MM.DD hh:mm:ss", 19);
    PutDigits(out + 4, 4, year);
    PutDigits(out + 7, 2, month);
    PutDigits(out + 10, 2, day);
    PutDigits(out + 13, 2, ms / 3600000);
    PutDigits(out + 16, 2, ms / 60000 % 60);
    PutDigits(out + 19, 2, ms / 1000 % 60);
    return 19;
}

int FormatCue(qint64 startMs, qint64 endMs, char* out)
{
    if (startMs < 0 || endMs < 0 || startMs >= 100 * 3600000LL || endMs >= 100 * 3600000LL)
        return 0;
    std::memcpy(out, "hh:mm:ss,mmm --> hh:mm:ss,mmm", 29);
    const qint64 times[2] = {startMs, endMs};
    for (int k = 0; k < 2; ++k) {
        char* at = out + 17 * k;
        PutDigits(at + 2, 2, times[k] / 3600000);
        PutDigits(at + 5, 2, times[k] / 60000 % 60);
        PutDigits(at + 8, 2, times[k] / 1000 % 60);
        PutDigits(at + 12, 3, times[k] % 1000);
    }
    return 29;
}

QStringView CueText(QStringView block)
{
    const int arrow = FindAscii(block, QLatin1String("-->"));
    if (arrow < 13 || arrow + 3 + 13 > block.size())
        return QStringView(u"not found");
    return block.mid(arrow - 13, 29);
}
