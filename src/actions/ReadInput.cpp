#include "app/SornLogic.h"
#include "input/ConversionSettings.h"
#include "ui/MainWindowWidgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

std::optional<ConversionRequest> SornLogic::RequestFromWindow(const OutputKind& kind, const QString& outputName)
{
    if (Widgets->InFileNameEdit->text().isEmpty()) {
        Show({UserMessage::Kind::Warning, QStringLiteral("Au..."), QStringLiteral("Please, specify input file name")});
        return std::nullopt;
    }
    ConversionRequest request;
    if (!ReadPrivacyRadius(Widgets->PrivacyRadiusEdit->text(), &request.PrivacyRadiusM)) {
        Show({UserMessage::Kind::Warning, QStringLiteral("Au..."),
              QStringLiteral("Privacy radius, m: please give a number of metres, 0 or more")});
        return std::nullopt;
    }
    WidgetsToSettings();
    request.InputName = Widgets->InFileNameEdit->text();
    request.Patterns = *Patterns;
    request.FormatId = Widgets->LogFormatCombo->currentData().toString();
    request.OutPattern = OutPattern;
    request.SmoothingCount = ReadSmoothingCount(Widgets->SmoothGpsEdit->text());
    request.WayBeforeM = ReadWayBefore(Widgets->WayBeforeEdit->text());
    request.UseHeight = Widgets->UseHeightCheck->isChecked();
    request.TimeZone = Widgets->TimeZoneEdit->text().trimmed();
    request.Outputs.push_back({&kind, outputName});
    return request;
}
