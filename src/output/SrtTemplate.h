#pragma once

#include "output/ByteSink.h"
#include "track/Flight.h"

#include <QString>

#include <cstddef>
#include <functional>
#include <limits>

namespace subtitles {

// The fast renderer of the subtitle file: writes the expansion of every
// record of `flight` with `pattern` to `out`, the pattern cut once into
// literal pieces and value slots (output/SrtTemplate.cpp says when that
// equals the one-piece replacements, and falls back on them where it does
// not); calls `flush` whenever `out` has grown past `flushBytes`. Stops
// early, returning false, when flush returns false. Records [first, end)
// alone give the bytes they give in the whole file when
// VerticalSpeeds::SameFromAnyStart.
bool RenderSrtInto(const Flight& flight, const QString& pattern, ByteSink& out, int flushBytes,
                   const std::function<bool(ByteSink&)>& flush, std::size_t first = 0,
                   std::size_t end = std::numeric_limits<std::size_t>::max());

} // namespace subtitles
