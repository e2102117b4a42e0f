#pragma once

#include "track/Flight.h"

#include <QString>

#include <vector>

class QIODevice;

// One kind of file a conversion writes. Adding one takes three steps: a
// writer file in src/output/, a row in OutputKinds() (src/output/Outputs.cpp)
// and its expected file in the reference case folders of tests/data/. The
// window's output rows, velloa-cli's options and the tests are built from
// the table.
struct OutputKind {
    const char* Id;      // "srt": velloa-cli's --no-srt, expected.<Id> in the tests
    const char* Suffix;  // appended to the log's name without ".SRT"
    // Writes the whole file to an open device; false on any failed or short
    // write. The subtitle file alone also takes the output pattern
    // (WriteWithPattern; Write is null for it).
    bool (*WriteFlight)(const Flight& flight, QIODevice* device);
    // (WriteWithPattern renders with `jobs` threads.)
    bool (*WriteWithPattern)(const Flight& flight, const QString& pattern, QIODevice* device, int jobs);
    const char* Description;  // "GPX 1.1 track with UTC times": velloa-cli's help
    // Written when no output is asked for by name (velloa-cli writes the
    // others with --<Id> or --all).
    bool ByDefault;

    // Writes this output of the flight with the output pattern (used by the
    // subtitle file only, which renders it with `jobs` threads).
    bool Write(const Flight& flight, const QString& pattern, QIODevice* device, int jobs = 1) const
    {
        return WriteWithPattern ? WriteWithPattern(flight, pattern, device, jobs) : WriteFlight(flight, device);
    }
};

// Every output, in the order the window lists them and velloa-cli writes
// those beyond the two default ones.
const std::vector<OutputKind>& OutputKinds();
const OutputKind& SubtitleOutput();
const OutputKind& RouteOutput();
// The kind of an id (exact), or nullptr.
const OutputKind* FindOutputKind(const QString& id);
