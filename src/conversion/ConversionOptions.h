#pragma once

#include "conversion/Conversion.h"

#include <QString>

#include <vector>

// What a conversion of several logs is asked for, however it was asked
// (velloa-cli's options, the window's fields): everything of a request but
// the log and the output names, which RequestForLog adds.
struct ConversionOptions {
    ConversionRequest Request;
    std::vector<const OutputKind*> Outputs;  // in the order written
    QString OutputDir;                       // empty: beside each log
};

// The request for one log: `options` with the log, the way before it and
// each output's name (beside the log, or in the output folder).
ConversionRequest RequestForLog(const ConversionOptions& options, const QString& log, double wayBeforeM);
