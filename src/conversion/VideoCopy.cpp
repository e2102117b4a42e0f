#include "conversion/VideoCopy.h"

#include "conversion/OutputNames.h"
#include "input/VideoLog.h"
#include "output/OutputFiles.h"
#include "output/PrivacyZone.h"
#include "output/SrtWriter.h"
#include "overlay/OverlayFrame.h"
#include "video/VideoWriter.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <vector>

QString VideoCopyName(const QString& log, const QString& clip, const QString& folder)
{
    const QString name = DeriveOutputNames(log).Base + QStringLiteral(".sorned.") + QFileInfo(clip).suffix();
    return folder.isEmpty() ? name : QDir(folder).filePath(QFileInfo(name).fileName());
}

VideoCopyResult WriteVideoCopy(const Flight& flight, const QString& pattern, const QString& clip, const QString& output)
{
    VideoCopyResult result;
    const auto copy = reinterpret_cast<VelloaCopyVideoFunction>(VideoModuleSymbol(VELLOA_COPY_VIDEO_SYMBOL));
    if (!copy) {
        result.State = VideoCopyResult::Status::NoVideoModule;
        return result;
    }
    QFile in(clip);
    if (!in.open(QIODevice::ReadOnly)) {
        result.State = VideoCopyResult::Status::ClipUnreadable;
        result.Detail = in.errorString();
        return result;
    }
    // The subtitle file's blocks, the lines after each cue line.
    std::vector<QByteArray> texts;
    std::vector<VelloaSubtitleCue> cues;
    const FlightRecordList& records = flight.Log.Records;
    for (std::size_t i = 0; i < records.size() && i < flight.Points.size(); ++i) {
        if (records[i].CueStartMs == kNoTime || records[i].CueEndMs() <= records[i].CueStartMs)
            continue;
        texts.push_back(OverlayTextLines(RenderSrtRecord(flight, static_cast<int>(i), pattern))
                            .join(QLatin1Char('\n')).toUtf8().left(65535));
        cues.push_back({records[i].CueStartMs, records[i].CueEndMs(), nullptr, 0});
    }
    for (std::size_t k = 0; k < cues.size(); ++k) {
        cues[k].Text = texts[k].constData();
        cues[k].Size = texts[k].size();
    }
    // Home as the location, unless a zone hides it; the first date in UTC.
    const bool zone = HasPrivacyZone(flight);
    QByteArray location, created;
    if (!zone && !flight.Points.empty())
        location = QString::asprintf("%+08.4f%+09.4f/", flight.Log.Records.front().HomeLat, flight.Log.Records.front().HomeLon).toLatin1();
    for (const TrackPoint& p : flight.Points) {
        if (p.UtcMs != kNoTime) {
            created = QDateTime::fromMSecsSinceEpoch(p.UtcMs, Qt::UTC).toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz000Z")).toLatin1();
            break;
        }
    }
    FileBeside part(output);
    if (part.Path().isEmpty()) {
        result.State = VideoCopyResult::Status::NotWritten;
        result.Detail = part.Error();
        return result;
    }
    const QByteArray path = QFile::encodeName(part.Path());
    const QByteArray format = QFileInfo(clip).suffix().toLower() == QLatin1String("mov") ? "mov" : "mp4";
    const VelloaCopyRequest request{path.constData(), format.constData(), cues.data(), static_cast<int64_t>(cues.size()),
                                    location.isEmpty() ? nullptr : location.constData(),
                                    created.isEmpty() ? nullptr : created.constData(), zone ? 0 : 1, zone ? 0 : 1};
    char leftOut[512] = {};
    char error[256] = {};
    const int status = copy(in.handle(), &request, leftOut, sizeof leftOut, error, sizeof error);
    result.LeftOut = QString::fromUtf8(leftOut);
    if (status != VelloaVideoOk) {
        result.State = status == VelloaVideoDamaged ? VideoCopyResult::Status::ClipUnreadable
                                                    : VideoCopyResult::Status::NotWritten;
        result.Detail = QString::fromUtf8(error);
        return result;
    }
    if (!part.Commit()) {
        result.State = VideoCopyResult::Status::NotWritten;
        result.Detail = part.Error();
    }
    return result;
}

QString VideoCopyOutcomeText(const VideoCopyResult& result, const QString& output)
{
    switch (result.State) {
    case VideoCopyResult::Status::Written:
        return QStringLiteral("%1 has been written").arg(output)
            + (result.LeftOut.isEmpty() ? QString() : QStringLiteral("\n%1: left out: %2").arg(output, result.LeftOut));
    case VideoCopyResult::Status::NoVideoModule:
        return QStringLiteral("the video libraries cannot be loaded");
    case VideoCopyResult::Status::ClipUnreadable:
        return QStringLiteral("the clip cannot be read");
    case VideoCopyResult::Status::NotWritten:
        break;
    }
    return QStringLiteral("the video copy cannot be written") + (result.Detail.isEmpty() ? QString() : QStringLiteral(": ") + result.Detail);
}

QString NoVideoBesideLogText()
{
    return QStringLiteral("no video beside the log");
}
