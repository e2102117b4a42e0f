#include "app/SornLogic.h"
#include "input/ConversionSettings.h"
#include "output/Conversion.h"
#include "output/ReadSummary.h"
#include "ui/MainWindowWidgets.h"

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
    std::optional<ConversionRequest> request = RequestFromWindow(kind, outputName);
    if (!request)
        return std::nullopt;
    ConversionResult result = Convert(*request);
    if (result.Read != ReadStatus::Ok) {
        Show(ConversionFailureMessage(result));
        return std::nullopt;
    }
    ShowFlight(result.Flight);
    // The subtitle file's button tells what was read before the outcome.
    if (&kind == &SubtitleOutput())
        Show({UserMessage::Kind::Information, QStringLiteral("Read information"), BuildReadSummary(result.Flight)});
    const ConversionResult::Output& output = result.Outputs.front();
    Show(WriteOutcomeMessage(output.Status, output.Name));
    return result;
}
