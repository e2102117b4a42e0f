#include "app/SornLogic.h"
#include "input/ConversionSettings.h"
#include "output/GpxWriter.h"
#include "output/OutputFiles.h"
#include "output/ReadSummary.h"
#include "track/TrackPasses.h"
#include "ui/MainWindowWidgets.h"

#include <QLineEdit>

void SornLogic::WriteSrtFile(const FlightRecordList& records, const QString& pattern, const QString& fileName)
{
    Show(WriteOutcomeMessage(SaveSrtFile(records, pattern, fileName), fileName));
}

void SornLogic::Pressed_WriteSrt()
{
    const QString inputName = Widgets->InFileNameEdit->text();
    std::optional<FlightRecordList> records = ReadInput();
    if (!records)
        return;

    const int smoothingCount = ReadSmoothingCount(Widgets->SmoothGpsEdit->text());
    const double wayBefore = ReadWayBefore(Widgets->WayBeforeEdit->text());
    DeriveTrack(*records, smoothingCount, wayBefore);
    ShowFlight(*records);

    Show({UserMessage::Kind::Information, QStringLiteral("Read information"), BuildReadSummary(*records)});

    const QString outputName = Widgets->OutSrtFileNameEdit->text();
    const WriteStatus nameCheck = CheckOutputName(outputName, inputName);
    if (nameCheck != WriteStatus::Written) {
        Show(WriteOutcomeMessage(nameCheck, outputName));
        return;
    }
    WriteSrtFile(*records, OutPattern, outputName);

    // The way reached is carried into the field even when the write failed,
    // so the next file of a split flight continues from it.
    if (!records->empty()) {
        const double way = records->back().Way;
        Widgets->WayBeforeEdit->setText(FormatWayBefore(way));
        Widgets->WayBeforeEdit->setStyleSheet(way != 0.0 ? Widgets->StyleChanged : Widgets->StyleNone);  // NaN counts as not 0
    }
}

void SornLogic::Pressed_WriteGpx()
{
    const QString inputName = Widgets->InFileNameEdit->text();
    std::optional<FlightRecordList> records = ReadInput();
    if (!records || records->empty())
        return;
    // The view shows the track as the subtitle action derives it; the route
    // is still written from the positions as parsed.
    FlightRecordList derived = *records;
    DeriveTrack(derived, ReadSmoothingCount(Widgets->SmoothGpsEdit->text()), ReadWayBefore(Widgets->WayBeforeEdit->text()));
    ShowFlight(derived);

    const QString outputName = Widgets->OutGpxFileNameEdit->text();
    WriteStatus status = CheckOutputName(outputName, inputName);
    if (status == WriteStatus::Written)
        status = SaveGpxFile(*records, outputName);
    Show(WriteOutcomeMessage(status, outputName));
}
