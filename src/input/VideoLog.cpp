#include "input/VideoLog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <QMutex>

#include <cstring>

namespace {

// Wide enough for ticks times 2000 times the time base's numerator.
__extension__ typedef __int128 Wide;

// Milliseconds of `ticks` * num / den seconds, to the nearest (halves up),
// at least 0 and at most a thousand years: the cue of a sample is rounded
// from its exact start and end, never summed from rounded durations.
qint64 RoundedMs(Wide ticks, qint32 num, qint32 den)
{
    if (num <= 0 || den <= 0 || ticks <= 0)
        return 0;
    const Wide ms = (ticks * 2000 * num + den) / (static_cast<Wide>(den) * 2);
    constexpr qint64 kLongest = qint64(1000) * 365 * 24 * 3600 * 1000;
    return ms > kLongest ? kLongest : static_cast<qint64>(ms);
}

// The module beside the installed programs (../lib/velloa from bin/), which
// is also where the build puts it relative to its programs and tests.
QLibrary& VideoModule()
{
    // Loaded once and kept for the rest of the run (QLibrary never unloads
    // on destruction).
    static QLibrary library([] {
        const QString programDir = QCoreApplication::instance() ? QCoreApplication::applicationDirPath()
                                                                : QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
        return QDir(programDir).filePath(QStringLiteral(VELLOA_VIDEO_MODULE));
    }());
    return library;
}

VelloaReadVideoSubtitlesFunction LoadReader()
{
    return reinterpret_cast<VelloaReadVideoSubtitlesFunction>(VideoModuleSymbol(VELLOA_VIDEO_READ_SYMBOL));
}

struct Walk {
    const std::function<bool(const QString&)>* Block;
    qint64 TextLeft;
    int Counter = 0;
    bool TooLarge = false;
};

int OnSample(void* context, const VelloaVideoSample* sample)
{
    auto* walk = static_cast<Walk*>(context);
    if (sample->Size <= 0)
        return 1;
    walk->TextLeft -= sample->Size;
    if (walk->TextLeft < 0) {
        walk->TooLarge = true;
        return 0;
    }
    const QString block = VideoSampleBlock(walk->Counter + 1, *sample);
    if (block.isEmpty())
        return 1;
    ++walk->Counter;
    return (*walk->Block)(block) ? 1 : 0;
}

} // namespace

QFunctionPointer VideoModuleSymbol(const char* name)
{
    static QMutex mutex;
    QMutexLocker lock(&mutex);
    return VideoModule().resolve(name);
}

bool IsVideoName(const QString& fileName)
{
    return fileName.endsWith(QLatin1String(".mp4"), Qt::CaseInsensitive)
        || fileName.endsWith(QLatin1String(".mov"), Qt::CaseInsensitive);
}

QString LogBesideVideo(const QString& videoName)
{
    const QFileInfo video(videoName);
    const QString base = video.fileName().chopped(4);
    for (const QString& suffix : {QStringLiteral(".SRT"), QStringLiteral(".srt")}) {
        const QString name = video.dir().filePath(base + suffix);
        if (QFileInfo(name).isFile())
            return name;
    }
    // Other spellings of the suffix (".Srt") need a look at the folder.
    const QStringList names = video.dir().entryList({base + QStringLiteral(".*")}, QDir::Files);
    for (const QString& name : names) {
        if (name.size() == base.size() + 4 && name.startsWith(base) && name.endsWith(QLatin1String(".srt"), Qt::CaseInsensitive))
            return video.dir().filePath(name);
    }
    return QString();
}

QString VideoSampleBlock(int counter, const VelloaVideoSample& sample)
{
    int size = sample.Size;
    if (const void* nul = size > 0 ? std::memchr(sample.Text, '\0', static_cast<std::size_t>(size)) : nullptr)
        size = static_cast<int>(static_cast<const char*>(nul) - sample.Text);
    while (size > 0 && (sample.Text[size - 1] == '\n' || sample.Text[size - 1] == '\r'))
        --size;
    if (size <= 0)
        return QString();
    const qint64 startMs = RoundedMs(sample.Start, sample.TimeBaseNum, sample.TimeBaseDen);
    const qint64 endMs = RoundedMs(static_cast<Wide>(sample.Start) + sample.Duration, sample.TimeBaseNum,
                                   sample.TimeBaseDen);
    const auto time = [](qint64 ms) {
        return QString::asprintf("%02lld:%02lld:%02lld,%03lld", ms / 3600000, ms / 60000 % 60, ms / 1000 % 60, ms % 1000);
    };
    return QString::number(counter) + QLatin1Char('\n') + time(startMs) + QLatin1String(" --> ") + time(endMs)
        + QLatin1Char('\n') + QString::fromUtf8(sample.Text, size);
}

VideoReadStatus ForEachVideoBlock(int fd, const unsigned char* data, std::size_t size, qint64 maxTextBytes,
                                  const std::function<bool(const QString&)>& block,
                                  VelloaReadVideoSubtitlesFunction reader)
{
    if (!reader)
        reader = LoadReader();
    if (!reader)
        return VideoReadStatus::Unreadable;
    Walk walk{&block, maxTextBytes};
    const int status = reader(fd, data, size, OnSample, &walk);
    if (walk.TooLarge)
        return VideoReadStatus::TooLarge;
    switch (status) {
    case VelloaVideoOk:
    case VelloaVideoStopped: return VideoReadStatus::Ok;
    case VelloaVideoNoSubtitles: return VideoReadStatus::NoSubtitles;
    default: return VideoReadStatus::Unreadable;
    }
}
