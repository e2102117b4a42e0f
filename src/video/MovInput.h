#pragma once

// An MP4 or MOV opened with libavformat's MOV demuxer (the only demuxer
// allowed: nothing else is probed), read from a file descriptor with pread
// or from memory, its index checked against the file: what the subtitle
// reader and the frame-time reader of the video module share.

extern "C" {
#include <libavformat/avformat.h>
}

#include <stddef.h>
#include <stdint.h>

namespace video {

// Where the bytes come from: a file descriptor read with pread, or memory.
struct Source {
    int Fd = -1;
    const unsigned char* Data = nullptr;
    int64_t Size = 0;
    int64_t Position = 0;
};

// The source of an open regular file (false for anything else), or of
// `size` bytes at `data` when fd < 0.
bool MakeSource(int fd, const unsigned char* data, size_t size, Source* source);

// `what` into the caller's buffer of `size` bytes, followed by libav's words
// for `code` when it is an error (below 0).
void SetMessage(char* buffer, int size, const char* what, int code = 0);

class MovInput {
public:
    MovInput() = default;
    MovInput(const MovInput&) = delete;
    MovInput& operator=(const MovInput&) = delete;
    ~MovInput();

    // Opens the source; returns a VelloaVideoStatus: VelloaVideoOk, or
    // VelloaVideoDamaged for a file that is not an MP4 or MOV, is cut short,
    // or whose index points outside it.
    int Open(const Source& source);
    AVFormatContext* Format() const { return m_format; }
    // The MOV demuxer leaves the picture size of MPEG-4 Part 2 and H.263
    // video to the decoder: for a video track without one, the first frames
    // are read to find it (the muxer refuses a track of no size).
    void ReadPictureSizes();

private:
    Source m_source;
    AVIOContext* m_io = nullptr;
    AVFormatContext* m_format = nullptr;
};

} // namespace video
