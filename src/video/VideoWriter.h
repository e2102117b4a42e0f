#pragma once

// The video module's second half (libvelloa_video.so, beside the subtitle
// reader of VideoTrack.h): the frame times of a clip, and a QuickTime writer
// of pictures with an alpha channel. Plain C, like the reader, so that
// neither side depends on the other's C++ or Qt.

#include <stddef.h>
#include <stdint.h>

extern "C" {

// The first video stream of an MP4 or MOV: its picture size, time scale and
// frames. Frame k is shown from Times[k] ticks (TimeBaseNum / TimeBaseDen
// seconds each) after the first frame, in presentation order.
struct VelloaVideoFrames {
    int32_t Width;
    int32_t Height;
    int32_t TimeBaseNum;
    int32_t TimeBaseDen;
    int64_t Count;
    int64_t* Times;  // Count entries; freed by velloa_free_video_frames
};

// Reads the frame times of the video in the open file descriptor `fd` from
// its packets (no picture is decoded). Returns a VelloaVideoStatus of
// VideoTrack.h: VelloaVideoNoSubtitles stands for "no video stream" here.
typedef int (*VelloaReadVideoFramesFunction)(int fd, VelloaVideoFrames* frames);
int velloa_read_video_frames(int fd, VelloaVideoFrames* frames);
typedef void (*VelloaFreeVideoFramesFunction)(VelloaVideoFrames* frames);
void velloa_free_video_frames(VelloaVideoFrames* frames);

// The codecs of the overlay: PNG, QuickTime Animation (RLE) and ProRes 4444,
// each with an alpha channel.
enum VelloaOverlayCodec { VelloaOverlayPng = 0, VelloaOverlayQtrle = 1, VelloaOverlayProres = 2 };

struct VelloaOverlayWriter;

// Opens `path` (a new QuickTime file) for pictures of width x height in
// `codec`, times in ticks of timeBaseNum / timeBaseDen seconds, encoded on
// `threads` threads. Null on failure, with the reason in `error`.
typedef VelloaOverlayWriter* (*VelloaOpenOverlayFunction)(const char* path, int width, int height, int codec,
                                                           int timeBaseNum, int timeBaseDen, int threads,
                                                           char* error, int errorSize);
VelloaOverlayWriter* velloa_open_overlay(const char* path, int width, int height, int codec, int timeBaseNum,
                                         int timeBaseDen, int threads, char* error, int errorSize);

// Adds a picture (8-bit B, G, R, A in memory, not premultiplied, `stride`
// bytes a row) shown from `start` for `duration` ticks. With a null `bgra`
// the picture before it is shown again, without being encoded again.
// Returns 0 on success.
typedef int (*VelloaOverlayFrameFunction)(VelloaOverlayWriter* writer, const uint8_t* bgra, int stride, int64_t start,
                                          int64_t duration);
int velloa_overlay_frame(VelloaOverlayWriter* writer, const uint8_t* bgra, int stride, int64_t start,
                         int64_t duration);

// Finishes the file (keep != 0) or abandons it, and frees the writer.
// Returns 0 when the file was finished; the caller removes a file that was
// not.
typedef int (*VelloaCloseOverlayFunction)(VelloaOverlayWriter* writer, int keep);
int velloa_close_overlay(VelloaOverlayWriter* writer, int keep);
}

#define VELLOA_VIDEO_FRAMES_SYMBOL "velloa_read_video_frames"
#define VELLOA_FREE_VIDEO_FRAMES_SYMBOL "velloa_free_video_frames"
#define VELLOA_OPEN_OVERLAY_SYMBOL "velloa_open_overlay"
#define VELLOA_OVERLAY_FRAME_SYMBOL "velloa_overlay_frame"
#define VELLOA_CLOSE_OVERLAY_SYMBOL "velloa_close_overlay"

extern "C" {

// One sample of the computed subtitle track: shown from StartMs to EndMs
// (milliseconds of the clip), its text UTF-8 (not terminated).
struct VelloaSubtitleCue {
    int64_t StartMs;
    int64_t EndMs;
    const char* Text;
    int32_t Size;
};

struct VelloaCopyRequest {
    const char* OutPath;       // the file to write (a new one)
    const char* Format;        // "mp4" or "mov": the clip's own container
    const VelloaSubtitleCue* Cues;
    int64_t CueCount;
    const char* Location;      // ISO 6709 ("+47.3769+008.5417/"), or null: none written
    const char* CreationTime;  // ISO 8601 in UTC, or null: the clip's kept
    int KeepClipSubtitles;     // the clip's own subtitle tracks, after the computed one
    int KeepClipLocation;      // the clip's own location tags
};

// Copies the video in the open file descriptor `fd` packet for packet (no
// track is decoded or encoded again) into request->OutPath, with the cues as
// its first subtitle track (mov_text, titled "Velloa", the default one).
// Tracks the container cannot carry are left out; their names (handler
// names, else codec tags) go into `leftOut`, separated by ", ". Returns
// VelloaVideoOk, VelloaVideoDamaged for a clip that cannot be read, or -1
// when the copy cannot be written (`error` says why; the caller removes the
// file).
typedef int (*VelloaCopyVideoFunction)(int fd, const VelloaCopyRequest* request, char* leftOut, int leftOutSize,
                                       char* error, int errorSize);
int velloa_copy_video(int fd, const VelloaCopyRequest* request, char* leftOut, int leftOutSize, char* error,
                      int errorSize);
}

#define VELLOA_COPY_VIDEO_SYMBOL "velloa_copy_video"
