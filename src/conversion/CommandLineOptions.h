#pragma once

#include "conversion/ConversionOptions.h"

#include <QCommandLineOption>
#include <QString>

#include <vector>

class QCommandLineParser;

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
