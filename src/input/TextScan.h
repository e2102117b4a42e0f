#pragma once

#include <QString>

// Small scanners shared by the log readers. Each that takes `pos` looks at
// `s` from there and, on success, moves `pos` past what it read.

inline bool IsAsciiDigit(QChar c)
{
    return c.unicode() >= '0' && c.unicode() <= '9';
}

// Whether `s` holds the ASCII text `word` at `at` (false out of range).
inline bool AsciiAt(const QChar* s, int n, int at, QLatin1String word)
{
    const int length = word.size();
    if (at < 0 || at + length > n)
        return false;
    const char* w = word.data();
    for (int i = 0; i < length; ++i) {
        if (s[at + i].unicode() != static_cast<uchar>(w[i]))
            return false;
    }
    return true;
}

// The index of the first `needle` (ASCII) in `s` at or after `from`, or -1.
// Unlike QString::indexOf(QLatin1String) it allocates nothing.
int FindAscii(QStringView s, QLatin1String needle, int from = 0);

// A decimal number: optional sign, digits, optional point and digits. The
// value equals QString::toDouble of the same text.
bool ScanNumber(QStringView s, int& pos, double& value);

// The number after `name` in `s`: the name, optional blanks, an optional
// `separator` with optional blanks after it, then the number. Searches from
// `from`; returns false when the name is missing or no number follows it.
bool NumberAfter(QStringView s, QLatin1String name, QChar separator, double& value, int from = 0);

// "hh:mm:ss,mmm --> hh:mm:ss,mmm" anywhere in `s` (blanks around the arrow
// optional, '.' also taken for ','): both times in milliseconds.
// `usualSpelling` tells whether the 13 characters either side of the arrow
// are exactly what FormatCue writes for them.
bool ScanCue(QStringView s, qint64& startMs, qint64& endMs, bool* usualSpelling = nullptr);

// The first date-time "YYYY<sep>MM<sep>DD hh:mm:ss" in `s`, with optional
// ",mmm[,uuu]" or ".mmm" after the seconds (the month and day may be written
// with one digit): local wall-clock milliseconds since 1970-01-01 00:00.
// `usualSpelling` tells whether `s` is exactly what FormatLocalTime writes.
bool ScanDateTime(QStringView s, QChar dateSeparator, qint64& localMs, bool* usualSpelling = nullptr);

// The spellings that {FlyTime} and {SrtTime} print for typed times:
// "YYYY.MM.DD hh:mm:ss" (19 characters) and "hh:mm:ss,mmm --> hh:mm:ss,mmm"
// (29). Each writes into `out` and returns the length, or 0 when the time
// has no such spelling (a year beyond 9999, a cue of 100 hours or more).
int FormatLocalTime(qint64 localMs, char* out);
int FormatCue(qint64 startMs, qint64 endMs, char* out);

// The 13 characters either side of the first "-->" (the cue as {SrtTime}
// prints it, as the default SrtTime pattern takes it), or "not found".
QStringView CueText(QStringView block);

// The value of `length` characters of the shape [-]?[0-9]*[.]?[0-9]*, equal
// to QString::toDouble of that text ("." alone and "-." give 0); text of
// another shape gives what toDouble gives.
double DecimalTextValue(const QChar* s, int length);
