#pragma once

#include "video/VideoTrack.h"

#include <QString>
#include <QtGlobal>

#include <functional>

// Flight logs inside videos: many DJI drones store the log's text, block for
// block, as the mov_text subtitle track of the MP4 or MOV. The track is read
// by a module of its own (libvelloa_video.so, which links libavformat),
// loaded the first time a video is opened, so that reading a .SRT maps no
// video library.

// A function of the video module (null when the module or the function
// cannot be loaded); the module is loaded on the first call.
QFunctionPointer VideoModuleSymbol(const char* name);

// Whether the name ends in ".mp4" or ".mov" (any case).
bool IsVideoName(const QString& fileName);

// The log of the same base beside a video ("DJI_0042.SRT" beside
// "DJI_0042.MP4", the suffix in any case), or empty when there is none.
QString LogBesideVideo(const QString& videoName);

// The text of the block that a sample stands for, as a .SRT writes it: the
// counter, the cue (each time rounded to the nearest millisecond from the
// sample's start and end in the track's time scale), then the text up to
// its first NUL, without line ends at its end. Empty when the text is empty
// (the samples that fill the gaps between cues).
QString VideoSampleBlock(int counter, const VelloaVideoSample& sample);

enum class VideoReadStatus {
    Ok,
    NoSubtitles,  // no mov_text track
    Unreadable,   // not an MP4 or MOV, damaged or cut short, or no reader
    TooLarge,     // the track's text exceeds `maxTextBytes`
};

// Passes the block of every sample with text, in track order, to `block`
// (which returns false to stop). The video is the open file descriptor `fd`
// or, when fd < 0, `size` bytes at `data`. With a null `reader`, the module
// is loaded (Unreadable when it cannot be).
VideoReadStatus ForEachVideoBlock(int fd, const unsigned char* data, std::size_t size, qint64 maxTextBytes,
                                  const std::function<bool(const QString&)>& block,
                                  VelloaReadVideoSubtitlesFunction reader = nullptr);
