#include "conversion/VideoOutputOptions.h"

#include "conversion/OutputNames.h"
#include "input/VideoLog.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

struct Named {
    const char* Name;
    int Value;
};

const Named kCodecs[] = {{"png", int(OverlayCodec::Png)}, {"qtrle", int(OverlayCodec::Qtrle)},
                         {"prores", int(OverlayCodec::Prores)}};
const Named kCorners[] = {{"top-left", int(OverlayCorner::TopLeft)}, {"top-right", int(OverlayCorner::TopRight)},
                          {"bottom-left", int(OverlayCorner::BottomLeft)},
                          {"bottom-right", int(OverlayCorner::BottomRight)}};
const Named kItems[] = {{"text", OverlayText}, {"map", OverlayMap}, {"gauges", OverlayGauges}};

template <std::size_t N>
QString AllowedNames(const Named (&names)[N])
{
    QStringList list;
    for (const Named& n : names)
        list << QLatin1String(n.Name);
    return list.join(QStringLiteral(", "));
}

template <std::size_t N>
bool ReadNamed(const QString& text, const Named (&names)[N], const char* option, int* value, QString* error)
{
    for (const Named& n : names) {
        if (text == QLatin1String(n.Name)) {
            *value = n.Value;
            return true;
        }
    }
    *error = QStringLiteral("--%1 must be one of: %2").arg(QLatin1String(option), AllowedNames(names));
    return false;
}

} // namespace

bool ReadOverlaySize(const QString& text, OverlayCodec codec, QSize* size, QString* error)
{
    const QRegularExpressionMatch match = QRegularExpression(QStringLiteral("^(\\d{1,4})x(\\d{1,4})$")).match(text);
    const int width = match.hasMatch() ? match.captured(1).toInt() : 0;
    const int height = match.hasMatch() ? match.captured(2).toInt() : 0;
    const bool even = codec != OverlayCodec::Prores || (width % 2 == 0 && height % 2 == 0);
    if (width < 16 || width > 8192 || height < 16 || height > 8192 || !even) {
        *error = QStringLiteral("--overlay-size must be WxH, each from 16 to 8192%1 (as 1920x1080)")
                     .arg(codec == OverlayCodec::Prores ? QStringLiteral(" and even for prores") : QString());
        return false;
    }
    *size = QSize(width, height);
    return true;
}

bool ReadOverlayFps(const QString& text, double* fps, QString* error)
{
    bool number = false;
    const double value = text.toDouble(&number);
    if (!number || !(value > 0.0) || value > 240.0) {
        *error = QStringLiteral("--overlay-fps must be a number of frames a second above 0 and at most 240");
        return false;
    }
    *fps = value;
    return true;
}

bool ReadOverlayCodec(const QString& text, OverlayCodec* codec, QString* error)
{
    int value = 0;
    if (!ReadNamed(text, kCodecs, "overlay-codec", &value, error))
        return false;
    *codec = static_cast<OverlayCodec>(value);
    return true;
}

bool ReadOverlayCorner(const QString& text, OverlayCorner* corner, QString* error)
{
    int value = 0;
    if (!ReadNamed(text, kCorners, "overlay-corner", &value, error))
        return false;
    *corner = static_cast<OverlayCorner>(value);
    return true;
}

bool ReadOverlayItems(const QString& text, int* items, QString* error)
{
    *items = 0;
    for (const QString& item : text.split(QLatin1Char(','))) {
        int value = 0;
        if (!ReadNamed(item.trimmed(), kItems, "overlay-items", &value, error)) {
            *error = QStringLiteral("--overlay-items must be a list of: %1").arg(AllowedNames(kItems));
            return false;
        }
        *items |= value;
    }
    return true;
}

VideoOutputOptionSet::VideoOutputOptionSet()
    : m_overlay(QStringLiteral("overlay"),
                QStringLiteral("Also write <base>.overlay.mov: a video with a transparent background showing, frame "
                               "by frame, the subtitle text, a minimap and gauges of speed and height, to lay over "
                               "the clip in a video editor. It follows the video of the same name beside the log "
                               "(or the video the log was read from): its size, rate and frames.")),
      m_size(QStringLiteral("overlay-size"),
             QStringLiteral("The overlay's size without a clip, or instead of the clip's (default 1920x1080)."),
             QStringLiteral("WxH")),
      m_fps(QStringLiteral("overlay-fps"),
            QStringLiteral("The overlay's frames a second without a clip, or instead of the clip's (default: the "
                           "log's own rate for a log of a block per frame, else 30)."),
            QStringLiteral("N")),
      m_codec(QStringLiteral("overlay-codec"),
              QStringLiteral("The overlay's codec, each with transparency: png (the default), qtrle, prores "
                             "(ProRes 4444)."),
              QStringLiteral("CODEC")),
      m_corner(QStringLiteral("overlay-corner"),
               QStringLiteral("Where the overlay's text stands: top-left, top-right, bottom-left (the default), "
                              "bottom-right; the map and gauges take the other side."),
               QStringLiteral("CORNER")),
      m_items(QStringLiteral("overlay-items"),
              QStringLiteral("What the overlay shows, a comma-separated list of text, map, gauges (default all)."),
              QStringLiteral("LIST")),
      m_copy(QStringLiteral("video-copy"),
             QStringLiteral("Also write <base>.sorned.<ext>: a copy of the video beside the log (or the video the log "
                            "was read from), its video and sound unchanged, with the computed subtitles as its first "
                            "subtitle track."))
{
}

QList<QCommandLineOption> VideoOutputOptionSet::Options() const
{
    return {m_overlay, m_size, m_fps, m_codec, m_corner, m_items, m_copy};
}

bool VideoOutputOptionSet::Read(const QCommandLineParser& parser, VideoOutputSettings* settings, QString* error) const
{
    settings->Wanted = parser.isSet(m_overlay);
    settings->CopyWanted = parser.isSet(m_copy);
    OverlayVideoRequest& video = settings->Video;
    if (parser.isSet(m_codec) && !ReadOverlayCodec(parser.value(m_codec), &video.Codec, error))
        return false;
    if (parser.isSet(m_size) && !ReadOverlaySize(parser.value(m_size), video.Codec, &video.Look.Size, error))
        return false;
    video.SizeGiven = parser.isSet(m_size);
    if (parser.isSet(m_fps) && !ReadOverlayFps(parser.value(m_fps), &video.Fps, error))
        return false;
    if (parser.isSet(m_corner) && !ReadOverlayCorner(parser.value(m_corner), &video.Look.Corner, error))
        return false;
    if (parser.isSet(m_items) && !ReadOverlayItems(parser.value(m_items), &video.Look.Items, error))
        return false;
    return true;
}

QString ClipForLog(const QString& log)
{
    if (IsVideoName(log))
        return log;
    const QFileInfo info(log);
    const QString base = QFileInfo(DeriveOutputNames(log).Base).fileName();
    const QStringList names = info.dir().entryList({base + QStringLiteral(".*")}, QDir::Files, QDir::Name);
    for (const QString& name : names) {
        if (name.size() == base.size() + 4 && IsVideoName(name))
            return info.dir().filePath(name);
    }
    return QString();
}

QString OverlayOutputName(const QString& log, const QString& folder)
{
    const QString base = DeriveOutputNames(log).Base + QStringLiteral(".overlay.mov");
    return folder.isEmpty() ? base : QDir(folder).filePath(QFileInfo(base).fileName());
}

QString OverlayOutcomeText(const OverlayVideoResult& result, const QString& output, const QString& clip)
{
    switch (result.Status) {
    case OverlayVideoStatus::Written:
        return QStringLiteral("%1 has been written (%2 frames)").arg(output).arg(result.Frames);
    case OverlayVideoStatus::NoVideoModule:
        return QStringLiteral("the video libraries cannot be loaded");
    case OverlayVideoStatus::ClipUnreadable:
        return QStringLiteral("the clip %1 cannot be read%2")
            .arg(clip, result.Detail.isEmpty() ? QString() : QStringLiteral(": ") + result.Detail);
    case OverlayVideoStatus::Cancelled:
        return QStringLiteral("cancelled, nothing written");
    case OverlayVideoStatus::NotWritten:
        break;
    }
    return QStringLiteral("the overlay video cannot be written%1")
        .arg(result.Detail.isEmpty() ? QString() : QStringLiteral(": ") + result.Detail);
}
