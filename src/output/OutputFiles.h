#pragma once

#include "output/Outputs.h"
#include "input/UserMessage.h"

#include <QString>

// The output names derived from an input name: one ".SRT", ".MP4" or ".MOV"
// suffix (any case) is cut off, then each output's suffix is appended.
struct OutputNames {
    QString Base;  // the input name without its suffix
    QString Srt;
    QString Gpx;
};
OutputNames DeriveOutputNames(const QString& inputName);

enum class WriteStatus {
    Written,
    NothingToWrite,  // no records: no file is created or touched
    NameMissing,     // the output name is empty
    SameAsInput,     // the output name resolves to the input file
    NotOpened,       // the output file cannot be created
    WriteFailed,     // a write failed or the file could not be completed
};

// Checks an output name before anything is written: NameMissing, SameAsInput
// or Written (meaning: fine to write).
WriteStatus CheckOutputName(const QString& outputName, const QString& inputName);

// True when both names lead to the same existing file (after resolving
// relative parts and symbolic links).
bool NamesSameFile(const QString& a, const QString& b);

// Writes one output of the flight to `outputName`. The file is written to a
// temporary file beside it and renamed over it only when complete, so on
// any failure an existing file is left as it was and no partial file
// remains. A flight without records writes nothing (NothingToWrite).
WriteStatus SaveOutput(const OutputKind& kind, const Flight& flight, const QString& pattern, const QString& outputName);

// What the user is told about a write: "OK"/"<name> has been writed!",
// "Info"/"File not opened for writing.", "Fail"/"<name> - something wrong
// during writing...", "Au..."/"Please, specify output file name" or
// "Output file must differ from input file"; nothing for NothingToWrite.
UserMessage WriteOutcomeMessage(WriteStatus status, const QString& outputName);
