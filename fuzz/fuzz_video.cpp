// Any bytes as a video: the subtitle track's reader over memory (libavformat
// through an AVIOContext of its own over the bytes, every other track
// discarded), its samples as blocks through recognition and the readers.
// Seeds: small MP4 and MOV files made by the ffmpeg program from logs.
#include "input/LogFamily.h"
#include "input/VideoLog.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const InputPatterns patterns = InputPatterns::Defaults();
    LogParser parser(patterns, AutomaticFormatId());
    int blocks = 0;
    const VideoReadStatus status = ForEachVideoBlock(-1, data, size, 1 << 20, [&](const QString& block) {
        ++blocks;
        parser.Add(block);
        return true;
    }, velloa_read_video_subtitles);
    // A video that is refused gives no block; the log holds one record per block.
    if ((status == VideoReadStatus::NoSubtitles && blocks > 0) || parser.Finish().Records.size() > std::size_t(blocks))
        abort();
    return 0;
}
