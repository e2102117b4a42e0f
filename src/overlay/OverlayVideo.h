#pragma once

#include "overlay/OverlayFrame.h"

#include <QString>

#include <functional>

// The overlay as a video: one picture per frame of the clip (its size, rate
// and frame times read from the clip's video stream), or, without a clip, at
// a size and rate of its own over the log's duration. Frame k shows the
// record whose cue covers the frame's time; a frame that no cue covers
// (before the first, after the last, a gap between recordings) is fully
// transparent. Frames that show the same record in a row are drawn and
// encoded once. The video is written to a temporary file beside the output
// and renamed to it only when whole: a failed or cancelled run leaves
// nothing behind.

enum class OverlayCodec { Png, Qtrle, Prores };

struct OverlayVideoRequest {
    OverlayLook Look;       // its size is the clip's unless SizeGiven
    bool SizeGiven = false;
    double Fps = 0.0;       // frames a second when given (> 0): overrides the clip's rate
    OverlayCodec Codec = OverlayCodec::Png;
    QString Clip;           // the video the overlay follows; empty: none
    QString Output;         // the .overlay.mov to write
};

enum class OverlayVideoStatus {
    Written,
    NoVideoModule,   // the video module cannot be loaded
    ClipUnreadable,  // the clip is no MP4 or MOV with a video stream
    NotWritten,      // the file could not be made or written (Detail says why)
    Cancelled,
};

struct OverlayVideoResult {
    OverlayVideoStatus Status = OverlayVideoStatus::Written;
    QString Detail;
    qint64 Frames = 0;  // frames of the video (written or planned)
};

// The frame rate of the overlay without a clip: the log's own for a
// per-frame log (from its cues), else 30.
double DefaultOverlayFps(const Flight& flight);

// Writes the overlay of `flight` drawn with the output `pattern`.
// `progress(done, total)` is called now and then; it returns false to
// cancel.
OverlayVideoResult WriteOverlayVideo(const Flight& flight, const QString& pattern, const OverlayVideoRequest& request,
                                     const std::function<bool(qint64, qint64)>& progress);

// For each of the frame times (milliseconds from the clip's start, in
// increasing order), the index of the record whose cue covers it, or -1.
std::vector<int> RecordsAtTimes(const Flight& flight, const std::vector<double>& timesMs);
