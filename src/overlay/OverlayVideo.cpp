#include "overlay/OverlayVideo.h"

#include "input/VideoLog.h"
#include "output/OutputFiles.h"
#include "video/VideoWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <algorithm>
#include <cmath>

namespace {

// The functions of the video module the overlay needs.
struct Module {
    VelloaReadVideoFramesFunction ReadFrames = nullptr;
    VelloaFreeVideoFramesFunction FreeFrames = nullptr;
    VelloaOpenOverlayFunction Open = nullptr;
    VelloaOverlayFrameFunction Frame = nullptr;
    VelloaCloseOverlayFunction Close = nullptr;

    bool Load()
    {
        ReadFrames = reinterpret_cast<VelloaReadVideoFramesFunction>(VideoModuleSymbol(VELLOA_VIDEO_FRAMES_SYMBOL));
        FreeFrames = reinterpret_cast<VelloaFreeVideoFramesFunction>(VideoModuleSymbol(VELLOA_FREE_VIDEO_FRAMES_SYMBOL));
        Open = reinterpret_cast<VelloaOpenOverlayFunction>(VideoModuleSymbol(VELLOA_OPEN_OVERLAY_SYMBOL));
        Frame = reinterpret_cast<VelloaOverlayFrameFunction>(VideoModuleSymbol(VELLOA_OVERLAY_FRAME_SYMBOL));
        Close = reinterpret_cast<VelloaCloseOverlayFunction>(VideoModuleSymbol(VELLOA_CLOSE_OVERLAY_SYMBOL));
        return ReadFrames && FreeFrames && Open && Frame && Close;
    }
};

// A frame rate as a fraction: whole rates as they are, the NTSC rates
// (29.97 = 30000/1001) as the cameras write them, any other to a
// thousandth.
void RateFraction(double fps, int* num, int* den)
{
    const double ntsc = fps * 1.001;
    if (std::abs(fps - std::round(fps)) < 1e-6) {
        *num = static_cast<int>(std::lround(fps));
        *den = 1;
    } else if (std::abs(ntsc - std::round(ntsc)) < 0.005) {
        *num = static_cast<int>(std::lround(ntsc)) * 1000;
        *den = 1001;
    } else {
        *num = static_cast<int>(std::lround(fps * 1000));
        *den = 1000;
    }
}

// The frames of the overlay: their times in ticks of the time base, and in
// milliseconds.
struct Timeline {
    int TimeBaseNum = 1;
    int TimeBaseDen = 30;
    std::vector<qint64> Ticks;  // start of each frame; one more: the end of the last
    std::vector<double> Ms;
};

Timeline EvenFrames(double fps, double durationMs)
{
    Timeline line;
    int num = 30, den = 1;
    RateFraction(fps, &num, &den);
    line.TimeBaseNum = den;
    line.TimeBaseDen = num;
    const qint64 count = std::max<qint64>(1, static_cast<qint64>(std::ceil(durationMs / 1000.0 * num / den - 1e-9)));
    for (qint64 k = 0; k <= count; ++k) {
        line.Ticks.push_back(k);
        if (k < count)
            line.Ms.push_back(1000.0 * static_cast<double>(k) * den / num);
    }
    return line;
}

} // namespace

double DefaultOverlayFps(const Flight& flight)
{
    if (!flight.PerFrame)
        return 30.0;
    // The median cue length of the log's records: its frame time.
    std::vector<qint64> lengths;
    for (const FlightRecord& r : flight.Log.Records) {
        if (r.CueStartMs != kNoTime && r.CueEndMs() > r.CueStartMs)
            lengths.push_back(r.CueEndMs() - r.CueStartMs);
    }
    if (lengths.empty())
        return 30.0;
    std::nth_element(lengths.begin(), lengths.begin() + static_cast<std::ptrdiff_t>(lengths.size() / 2), lengths.end());
    const double fps = 1000.0 / static_cast<double>(lengths[lengths.size() / 2]);
    // Cues are whole milliseconds: 33 ms is 30 frames a second, 42 is 24.
    for (const double common : {23.976, 24.0, 25.0, 29.97, 30.0, 47.952, 48.0, 50.0, 59.94, 60.0}) {
        if (std::abs(1000.0 / common - 1000.0 / fps) < 1.0)
            return common;
    }
    return std::clamp(fps, 1.0, 240.0);
}

std::vector<int> RecordsAtTimes(const Flight& flight, const std::vector<double>& timesMs)
{
    struct Cue {
        qint64 Start;
        qint64 End;
        int Index;
    };
    std::vector<Cue> cues;
    const FlightRecordList& records = flight.Log.Records;
    for (std::size_t i = 0; i < records.size() && i < flight.Points.size(); ++i) {
        if (records[i].CueStartMs != kNoTime && records[i].CueEndMs() > records[i].CueStartMs)
            cues.push_back({records[i].CueStartMs, records[i].CueEndMs(), static_cast<int>(i)});
    }
    std::stable_sort(cues.begin(), cues.end(), [](const Cue& a, const Cue& b) { return a.Start < b.Start; });
    std::vector<int> shown;
    shown.reserve(timesMs.size());
    std::size_t next = 0;  // the first cue starting after the time
    for (const double t : timesMs) {
        while (next < cues.size() && static_cast<double>(cues[next].Start) <= t)
            ++next;
        const bool covered = next > 0 && t < static_cast<double>(cues[next - 1].End);
        shown.push_back(covered ? cues[next - 1].Index : -1);
    }
    return shown;
}

OverlayVideoResult WriteOverlayVideo(const Flight& flight, const QString& pattern, const OverlayVideoRequest& request,
                                     const std::function<bool(qint64, qint64)>& progress)
{
    OverlayVideoResult result;
    Module module;
    if (!module.Load()) {
        result.Status = OverlayVideoStatus::NoVideoModule;
        return result;
    }
    OverlayLook look = request.Look;
    Timeline line;
    double durationMs = 0;
    for (const FlightRecord& r : flight.Log.Records) {
        if (r.CueEndMs() != kNoTime)
            durationMs = std::max(durationMs, static_cast<double>(r.CueEndMs()));
    }
    if (!request.Clip.isEmpty()) {
        QFile clip(request.Clip);
        VelloaVideoFrames frames{};
        if (!clip.open(QIODevice::ReadOnly) || module.ReadFrames(clip.handle(), &frames) != VelloaVideoOk) {
            result.Status = OverlayVideoStatus::ClipUnreadable;
            result.Detail = clip.isOpen() ? QString() : clip.errorString();
            return result;
        }
        if (!request.SizeGiven)
            look.Size = QSize(frames.Width, frames.Height);
        const double tick = 1000.0 * frames.TimeBaseNum / frames.TimeBaseDen;
        const qint64 count = frames.Count;
        const qint64 step = count > 1 ? (frames.Times[count - 1] - frames.Times[0]) / (count - 1) : 1;
        const qint64 end = frames.Times[count - 1] + std::max<qint64>(step, 1);
        if (request.Fps > 0) {
            line = EvenFrames(request.Fps, static_cast<double>(end) * tick);
        } else {
            line.TimeBaseNum = frames.TimeBaseNum;
            line.TimeBaseDen = frames.TimeBaseDen;
            for (qint64 k = 0; k < count; ++k) {
                line.Ticks.push_back(frames.Times[k]);
                line.Ms.push_back(static_cast<double>(frames.Times[k]) * tick);
            }
            line.Ticks.push_back(end);
        }
        module.FreeFrames(&frames);
    } else {
        line = EvenFrames(request.Fps > 0 ? request.Fps : DefaultOverlayFps(flight), durationMs);
    }
    const std::vector<int> shown = RecordsAtTimes(flight, line.Ms);
    const qint64 total = static_cast<qint64>(shown.size());
    result.Frames = total;

    // Written under a temporary name in the output's folder, renamed at the end.
    FileBeside part(request.Output);
    if (part.Path().isEmpty()) {
        result.Status = OverlayVideoStatus::NotWritten;
        result.Detail = part.Error();
        return result;
    }
    char error[256] = {};
    VelloaOverlayWriter* writer = module.Open(QFile::encodeName(part.Path()).constData(), look.Size.width(),
                                              look.Size.height(), static_cast<int>(request.Codec), line.TimeBaseNum,
                                              line.TimeBaseDen, QThread::idealThreadCount(), error, sizeof error);
    if (!writer) {
        result.Status = OverlayVideoStatus::NotWritten;
        result.Detail = QString::fromUtf8(error);
        return result;
    }
    const OverlayPainter painter(flight, pattern, look);
    QImage image(look.Size, QImage::Format_ARGB32_Premultiplied);
    QRect dirty = image.rect();
    int drawn = -2;  // the record of the picture last handed over
    bool ok = true;
    for (qint64 k = 0; k < total && ok; ++k) {
        if (k % 16 == 0 && progress && !progress(k, total)) {
            module.Close(writer, 0);
            result.Status = OverlayVideoStatus::Cancelled;
            return result;
        }
        const qint64 start = line.Ticks[static_cast<std::size_t>(k)];
        const qint64 duration = line.Ticks[static_cast<std::size_t>(k) + 1] - start;
        const int index = shown[static_cast<std::size_t>(k)];
        if (index == drawn) {
            ok = module.Frame(writer, nullptr, 0, start, duration) == 0;
            continue;
        }
        dirty = painter.Draw(index, image, dirty);
        drawn = index;
        // The codecs store straight colours beside their alpha.
        const QImage straight = image.convertToFormat(QImage::Format_ARGB32);
        ok = module.Frame(writer, straight.constBits(), static_cast<int>(straight.bytesPerLine()), start, duration) == 0;
    }
    if (module.Close(writer, ok ? 1 : 0) != 0 || !ok) {
        result.Status = OverlayVideoStatus::NotWritten;
        return result;
    }
    if (!part.Commit()) {
        result.Status = OverlayVideoStatus::NotWritten;
        result.Detail = part.Error();
        return result;
    }
    if (progress)
        progress(total, total);
    return result;
}
