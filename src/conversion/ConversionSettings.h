#pragma once

#include "conversion/Conversion.h"
#include "output/Placeholders.h"  // the output pattern's placeholders, listed by both programs

#include <QString>

#include <vector>

// How the two numeric fields of a conversion are read, shared by the window
// and velloa-cli so that both interpret the same text the same way.

// "Smooth GPS, sec": a whole number in base 10, at most 3600; any other text
// gives 0.
int ReadSmoothingCount(const QString& text);

// "Way before, m": a number with "." as decimal point whatever the locale,
// no digit grouping; text that is no number, and NaN, give 0 metres.
double ReadWayBefore(const QString& text);

// "Privacy radius, m": a number with "." as decimal point; text that is no
// number, a negative number, infinity and NaN give false.
bool ReadPrivacyRadius(const QString& text, double* metres);

// The text the window puts back into "Way before, m" after a run: the way
// in metres with one decimal ("nan" for NaN).
QString FormatWayBefore(double wayMetres);

// The choices of "Log format", in the order shown: "Automatic", each layout
// by the drones that write it, "Input patterns below".
struct LogFormatOption {
    QString Label;
    QString Id;  // ConversionRequest::FormatId
};
std::vector<LogFormatOption> LogFormatOptions();

// The built-in output pattern, with CR LF line ends (as the window's
// editor starts) or with LF (as the editor hands its text back, and so
// velloa-cli's default: both programs write identical files).
QString DefaultPatternCrLf();
QString DefaultPatternLf();
