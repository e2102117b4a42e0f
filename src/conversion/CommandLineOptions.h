#pragma once

#include "conversion/Conversion.h"

#include <QCommandLineOption>
#include <QString>

#include <vector>

class QCommandLineParser;

// What the conversion options of a command line ask for: everything of a
// request but the log and the output names, which RequestForLog adds.
struct ConversionOptions {
    ConversionRequest Request;
    std::vector<const OutputKind*> Outputs;  // in the order written
    QString OutputDir;                       // empty: beside each log
};

// velloa-cli's conversion options (--smooth, --way-before, --pattern,
// --format, --out-pattern-file, --use-height, --track, --time-zone, --kml-altitude,
// --privacy-radius, --output-dir,
// --all and one --<id> / --no-<id> per output kind), shared with the tests
// that run a case's options through the core without the program.
class ConversionOptionSet {
public:
    ConversionOptionSet();

    // Adds every option to `parser`, the program's own `others` after the
    // general ones and before those of each output kind.
    void AddTo(QCommandLineParser& parser, const QList<QCommandLineOption>& others = {}) const;

    struct Error {
        bool Usage = true;  // bad usage (exit 2); else a file named by an option failed (exit 1)
        QString Name;       // the file, when not Usage
        QString Text;
    };
    // Reads the parsed options into `options`; false and `error` for a bad
    // value or an output pattern file that cannot be read.
    bool Read(const QCommandLineParser& parser, ConversionOptions* options, Error* error) const;

private:
    QCommandLineOption m_smooth, m_wayBefore, m_patternFile, m_pattern, m_format, m_useHeight, m_track, m_timeZone,
        m_kmlAltitude, m_privacy, m_outputDir, m_all;
};

// The request for one log: `options` with the log, the way before it and
// each output's name (beside the log, or in the output folder).
ConversionRequest RequestForLog(const ConversionOptions& options, const QString& log, double wayBeforeM);

// The output pattern the window uses at start-up: the built-in pattern with
// LF line breaks (the window's editor hands its text back so), so that both
// programs write identical files.
QString DefaultPatternAsWindowUsesIt();
