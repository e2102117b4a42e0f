#pragma once

#include "overlay/OverlayVideo.h"

#include <QCommandLineOption>
#include <QString>

class QCommandLineParser;

// The outputs made with the clip, which are written only when asked for by
// name: the overlay video (--overlay) and how it looks (--overlay-size,
// --overlay-fps, --overlay-codec, --overlay-corner, --overlay-items), and
// the copy of the clip carrying the computed subtitles (--video-copy).
struct VideoOutputSettings {
    bool Wanted = false;        // the overlay
    OverlayVideoRequest Video;  // without its Clip and Output, which each log gives
    bool CopyWanted = false;    // the video copy
};

// Each value's reading: false, with the text of what is allowed, for a value
// outside it. A size is WxH, each from 16 to 8192 and even for ProRes; a
// rate a number above 0 and at most 240.
bool ReadOverlaySize(const QString& text, OverlayCodec codec, QSize* size, QString* error);
bool ReadOverlayFps(const QString& text, double* fps, QString* error);
bool ReadOverlayCodec(const QString& text, OverlayCodec* codec, QString* error);
bool ReadOverlayCorner(const QString& text, OverlayCorner* corner, QString* error);
bool ReadOverlayItems(const QString& text, int* items, QString* error);

// velloa-cli's options of the outputs made with the clip.
class VideoOutputOptionSet {
public:
    VideoOutputOptionSet();
    QList<QCommandLineOption> Options() const;
    // False, with `error` naming what is allowed, for a bad value.
    bool Read(const QCommandLineParser& parser, VideoOutputSettings* settings, QString* error) const;

private:
    QCommandLineOption m_overlay, m_size, m_fps, m_codec, m_corner, m_items, m_copy;
};

// The clip an overlay follows: the log itself when it is a video, else the
// video of the same base name beside it (.mp4 or .mov, any case); empty when
// there is none.
QString ClipForLog(const QString& log);

// The overlay's name: "<base>.overlay.mov" beside the log, or in `folder`
// when it is not empty.
QString OverlayOutputName(const QString& log, const QString& folder);

// What writing an overlay gave, in velloa-cli's words: "NAME has been
// written (N frames)" when written, else the failure after "velloa-cli:
// NAME: ".
QString OverlayOutcomeText(const OverlayVideoResult& result, const QString& output, const QString& clip);
