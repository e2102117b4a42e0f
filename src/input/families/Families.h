#pragma once

// The recognisers and readers of the log layouts, one file each; the table
// that lists them is LogFamilies() (src/input/LogFamilies.cpp).

#include "input/LogFamily.h"

bool RecogniseHomeGps(const QString& block);
std::unique_ptr<BlockReader> MakePatternReader(const InputPatterns& patterns);
bool RecogniseHomeGpsHb(const QString& block);
std::unique_ptr<BlockReader> MakeHomeGpsHbReader(const InputPatterns& patterns);
bool RecogniseLatFirstGps(const QString& block);
std::unique_ptr<BlockReader> MakeLatFirstGpsReader(const InputPatterns& patterns);
bool RecogniseCommaFields(const QString& block);
std::unique_ptr<BlockReader> MakeCommaFieldsReader(const InputPatterns& patterns);
bool RecogniseBracketFields(const QString& block);
std::unique_ptr<BlockReader> MakeBracketFieldsReader(const InputPatterns& patterns);

// Shared by the readers of the layouts without patterns.
// SrtTime and the cue times from the cue line.
void ReadCounterAndCue(const QString& block, FlightRecord& record);
// Sets the position unless it is exactly 0, 0 (no fix yet).
void SetPosition(FlightRecord& record, double lat, double lon);
