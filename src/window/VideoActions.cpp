// The controller's writes made with the clip beside the log: the overlay
// video and the copy of the clip, off the UI thread with their progress.
#include "window/SornLogic.h"

#include "conversion/Messages.h"
#include "conversion/VideoCopy.h"
#include "conversion/VideoOutputOptions.h"
#include "window/MainWindowWidgets.h"
#include "window/ProgressRun.h"

#include <QFile>
#include <QLineEdit>

#include <algorithm>
#include <memory>

void SornLogic::WriteVideoOutput(bool overlay)
{
    if (m_videoRun->Busy())
        return;
    std::optional<ConversionRequest> request = ReadInput(nullptr, QString());
    if (!request)
        return;
    OverlayVideoRequest video;
    QString error;
    if (overlay && !Widgets->OverlaySettings(&video, &error)) {
        Show(VideoOutputMessage(false, QString(), error));
        return;
    }
    const QString log = request->InputName;
    const QString clip = ClipForLog(log);
    if (!overlay && clip.isEmpty()) {
        Show(VideoOutputMessage(false, log, NoVideoBesideLogText()));
        return;
    }
    const QString output = (overlay ? Widgets->OverlayNameEdit : Widgets->VideoCopyNameEdit)->text().trimmed();
    const ConversionResult::Output name{nullptr, output, CheckOutputName(output, log)};
    if (name.Check != NameCheck::Ok) {
        Show(OutputOutcomeMessage(name));
        return;
    }
    video.Clip = clip;
    video.Output = output;
    struct Outcome {
        ConversionResult Read;
        bool Written = false;
        QString Text;
    };
    auto outcome = std::make_shared<Outcome>();
    const ConversionRequest reading = *request;
    QWidget* controls = Widgets->Window->findChild<QWidget*>(QStringLiteral("ControlsScroll"));
    controls->setEnabled(false);
    // The overlay counts its frames in thousandths; the copy has no measure.
    m_videoRun->Start(VideoWritingText(output), overlay ? 1000 : 0, [outcome, reading, video, overlay](CardWatch& watch) {
        outcome->Read = Convert(reading);
        const Flight& flight = outcome->Read.Flight;
        if (outcome->Read.Read != ReadStatus::Ok || watch.Cancelled())
            return;
        OverlayVideoResult written;
        if (overlay) {
            written = WriteOverlayVideo(flight, reading.OutPattern, video, [&watch](qint64 done, qint64 total) {
                watch.ClipsDone = static_cast<int>(1000 * done / std::max<qint64>(total, 1));
                return !watch.Cancelled();
            });
        } else {
            const VideoCopyResult copy = WriteVideoCopy(flight, reading.OutPattern, video.Clip, video.Output);
            outcome->Written = copy.State == VideoCopyResult::Status::Written;
            outcome->Text = VideoCopyOutcomeText(copy, video.Output);
            if (!outcome->Written || !watch.Cancelled())
                return;
            // The copy cannot stop half-way: a cancelled one goes once whole.
            QFile::remove(video.Output);
            written.Status = OverlayVideoStatus::Cancelled;
        }
        outcome->Written = written.Status == OverlayVideoStatus::Written;
        outcome->Text = OverlayOutcomeText(written, video.Output, video.Clip);
    }, [this, outcome, controls, output] {
        controls->setEnabled(true);
        if (outcome->Read.Read != ReadStatus::Ok) {
            Show(ConversionFailureMessage(outcome->Read));
            return;
        }
        ShowFlight(outcome->Read.Flight);
        if (!outcome->Text.isEmpty())  // empty: cancelled before the log was read
            Show(VideoOutputMessage(outcome->Written, output, outcome->Text));
    });
}
