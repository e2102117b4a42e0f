#pragma once

#include "overlay/OverlayVideo.h"

#include <QCommandLineOption>
#include <QString>

class QCommandLineParser;

// The overlay video as a conversion asks for it: whether it is written, and
// how it looks (--overlay-size, --overlay-fps, --overlay-codec,
// --overlay-corner, --overlay-items).
struct OverlaySettings {
    bool Wanted = false;
    OverlayVideoRequest Video;  // without its Clip and Output, which each log gives
};

// Each value's reading: false, with the text of what is allowed, for a value
// outside it. A size is WxH, each from 16 to 8192 and even for ProRes; a
// rate a number above 0 and at most 240.
bool ReadOverlaySize(const QString& text, OverlayCodec codec, QSize* size, QString* error);
bool ReadOverlayFps(const QString& text, double* fps, QString* error);
bool ReadOverlayCodec(const QString& text, OverlayCodec* codec, QString* error);
bool ReadOverlayCorner(const QString& text, OverlayCorner* corner, QString* error);
bool ReadOverlayItems(const QString& text, int* items, QString* error);

// velloa-cli's overlay options.
class OverlayOptionSet {
public:
    OverlayOptionSet();
    QList<QCommandLineOption> Options() const;
    // False, with `error` naming what is allowed, for a bad value.
    bool Read(const QCommandLineParser& parser, OverlaySettings* settings, QString* error) const;

private:
    QCommandLineOption m_overlay, m_size, m_fps, m_codec, m_corner, m_items;
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
