// The controller's write actions: the window's settings into a request,
// one conversion, and the user told what came of it.
#include "window/SornLogic.h"

#include "conversion/ConversionSettings.h"
#include "conversion/Messages.h"
#include "window/CardWindow.h"
#include "window/MainWindowWidgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

void SornLogic::Pressed_WriteSrt()
{
    const std::optional<ConversionResult> result = WriteOneOutput(SubtitleOutput(), Widgets->OutSrtFileNameEdit->text());
    // The way reached is carried into the field only when the file was
    // written: the next file of a split flight continues from it, and a
    // press after a failed write does not count this file twice.
    if (result && result->Wrote(SubtitleOutput())) {
        const double way = result->WayAfterM;
        m_written = {Widgets->InFileNameEdit->text(), FormatWayBefore(way), Widgets->WayBeforeEdit->text()};
        Widgets->WayBeforeEdit->setText(FormatWayBefore(way));
        Widgets->WayBeforeEdit->setStyleSheet(way != 0.0 ? Widgets->StyleChanged : Widgets->StyleNone);  // NaN counts as not 0
    }
}

void SornLogic::Pressed_WriteGpx()
{
    WriteOneOutput(RouteOutput(), Widgets->OutGpxFileNameEdit->text());
}

std::optional<ConversionResult> SornLogic::WriteOneOutput(const OutputKind& kind, const QString& outputName)
{
    std::optional<ConversionRequest> request = ReadInput(&kind, outputName);
    if (!request)
        return std::nullopt;
    if (Card->Active()) {  // several logs: every checked flight, off the UI thread
        Card->Write(*request);
        return std::nullopt;
    }
    ConversionResult result = Convert(*request);
    if (result.Read != ReadStatus::Ok) {
        Show(ConversionFailureMessage(result));
        return std::nullopt;
    }
    ShowFlight(result.Flight);
    // The subtitle file's button tells what was read before the outcome.
    if (&kind == &SubtitleOutput())
        Show(ReadInformationMessage(result.Flight, *request));
    Show(OutputOutcomeMessage(result.Outputs.front()));
    return result;
}

std::optional<ConversionRequest> SornLogic::ReadInput(const OutputKind* kind, const QString& outputName)
{
    if (Widgets->InFileNameEdit->text().isEmpty()) {
        Show(InputNameMissingMessage());
        return std::nullopt;
    }
    ConversionRequest request = Widgets->Request();
    if (request.PrivacyRadiusM < 0.0) {
        Show(PrivacyRadiusRefusedMessage());
        return std::nullopt;
    }
    WidgetsToSettings();  // the controller's copies, as the request has them
    if (kind)
        request.Outputs.push_back({kind, outputName});
    // The picker shows the camera settings of the flight written too.
    request.CameraSettings = true;
    // The other outputs of the log whose subtitle file was just written
    // start from the way that file started from, not the way it reached.
    if (kind != &SubtitleOutput() && request.InputName == m_written.Log && Widgets->WayBeforeEdit->text() == m_written.WayAfter)
        request.WayBeforeM = ReadWayBefore(m_written.WayBefore);
    return request;
}
