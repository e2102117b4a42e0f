#include "app/SornLogic.h"
#include "input/LogReader.h"
#include "ui/MainWindowWidgets.h"

#include <QLineEdit>

std::optional<FlightRecordList> SornLogic::ReadInput()
{
    if (Widgets->InFileNameEdit->text().isEmpty()) {
        Show({UserMessage::Kind::Warning, QStringLiteral("Au..."), QStringLiteral("Please, specify input file name")});
        return std::nullopt;
    }
    WidgetsToSettings();
    return ReadSrtFile(Widgets->InFileNameEdit->text(), *Patterns);
}

std::optional<FlightRecordList> SornLogic::ReadSrtFile(const QString& fileName, const InputPatterns& patterns)
{
    LogReadResult result = ReadFlightLog(fileName, patterns);
    if (result.Status != ReadStatus::Ok) {
        Show(ReadOutcomeMessage(result.Status));  // nothing for an empty file
        return std::nullopt;
    }
    return std::move(result.Records);
}
