#pragma once

#include "output/Outputs.h"

#include <QString>

enum class WriteStatus {
    Written,
    NothingToWrite,  // no records: no file is created or touched
    NotOpened,       // the output file cannot be created
    WriteFailed,     // a write failed or the file could not be completed
};

// Writes one output of the flight to `outputName`. The file is written to a
// temporary file beside it and renamed over it only when complete, so on
// any failure an existing file is left as it was and no partial file
// remains. A flight without records writes nothing (NothingToWrite).
WriteStatus SaveOutput(const OutputKind& kind, const Flight& flight, const QString& pattern, const QString& outputName);
