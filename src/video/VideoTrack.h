#pragma once

// The interface of the video reader, a module of its own (libvelloa_video.so)
// that links libavformat and is loaded only when a video is opened
// (src/input/VideoLog.cpp): plain C, so that neither side depends on the
// other's C++ or Qt.

#include <stddef.h>
#include <stdint.h>

extern "C" {

// One sample of the video's subtitle track: its start and duration in
// ticks of TimeBaseNum / TimeBaseDen seconds (the track's time scale), and
// the text after the sample's 16-bit length, without the style boxes after
// it (UTF-8, not terminated).
struct VelloaVideoSample {
    int64_t Start;
    int64_t Duration;
    int32_t TimeBaseNum;
    int32_t TimeBaseDen;
    const char* Text;
    int32_t Size;
};

enum VelloaVideoStatus {
    VelloaVideoOk = 0,           // every sample of the track was given
    VelloaVideoNoSubtitles = 1,  // an MP4 or MOV without a mov_text track
    VelloaVideoDamaged = 2,      // not an MP4 or MOV, or damaged or cut short
    VelloaVideoStopped = 3,      // the sample function asked to stop
};

// Returns nonzero to go on, zero to stop.
typedef int (*VelloaVideoSampleFunction)(void* context, const VelloaVideoSample* sample);

// Reads the mov_text subtitle track of an MP4 or MOV, every other track
// discarded unread, and gives each sample (empty ones too) in track order.
// The video is read from the open file descriptor `fd` (from its start,
// with pread) or, when fd < 0, from the `size` bytes at `data`. Returns a
// VelloaVideoStatus.
typedef int (*VelloaReadVideoSubtitlesFunction)(int fd, const unsigned char* data, size_t size,
                                                VelloaVideoSampleFunction sample, void* context);
int velloa_read_video_subtitles(int fd, const unsigned char* data, size_t size, VelloaVideoSampleFunction sample,
                                void* context);
}

#define VELLOA_VIDEO_READ_SYMBOL "velloa_read_video_subtitles"
