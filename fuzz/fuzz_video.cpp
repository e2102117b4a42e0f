// Any bytes as a video: the subtitle track's reader as velloa-cli runs it (a
// file descriptor read with pread, here an in-memory file of the bytes, the
// program's own limit on the text), libavformat over its own AVIOContext,
// every other track discarded; its samples as blocks through recognition and
// the readers.
// Seeds: small MP4 and MOV files made by the ffmpeg program from logs, and
// damaged files found by fuzzing.
#include "input/LogFamily.h"
#include "input/LogReader.h"
#include "input/VideoLog.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const InputPatterns patterns = InputPatterns::Defaults();
    const int fd = memfd_create("video", MFD_CLOEXEC);
    if (fd < 0 || write(fd, data, size) != static_cast<ssize_t>(size))
        abort();
    LogParser parser(patterns, AutomaticFormatId());
    int blocks = 0;
    const VideoReadStatus status = ForEachVideoBlock(fd, nullptr, 0, kMaxLogBytes, [&](const QString& block) {
        ++blocks;
        parser.Add(block);
        return true;
    }, velloa_read_video_subtitles);
    close(fd);
    // A video that is refused gives no block; the log holds one record per block.
    if ((status == VideoReadStatus::NoSubtitles && blocks > 0) || parser.Finish().Records.size() > std::size_t(blocks))
        abort();
    return 0;
}
