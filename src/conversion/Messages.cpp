#include "conversion/Messages.h"

#include <QFileInfo>

#include <algorithm>
#include <cmath>

#include "conversion/ReadSummary.h"
#include "output/Maker.h"
#include "input/TextScan.h"

namespace {
using Kind = UserMessage::Kind;
} // namespace

UserMessage ReadOutcomeMessage(ReadStatus status)
{
    const char* text = nullptr;
    switch (status) {
    case ReadStatus::Missing: text = "File not exists."; break;
    case ReadStatus::NotOpened: text = "File not opened."; break;
    case ReadStatus::TooLarge: text = "File too large."; break;
    case ReadStatus::NoPositions: text = "No GPS positions found."; break;
    case ReadStatus::UnknownTimeZone: text = "Unknown time zone."; break;
    case ReadStatus::NoFlightInVideo: text = "This video holds no flight record (no subtitle track)."; break;
    case ReadStatus::VideoUnreadable: text = "The video cannot be read (damaged or incomplete)."; break;
    case ReadStatus::Ok: return {};
    }
    return {Kind::Warning, QStringLiteral("Info"), QLatin1String(text)};
}

UserMessage ConversionFailureMessage(const ConversionResult& result)
{
    UserMessage message = ReadOutcomeMessage(result.Read);
    if (result.Read == ReadStatus::UnknownTimeZone)
        message.Text = QStringLiteral("Unknown time zone: %1.").arg(result.UnknownTimeZone);
    return message;
}

QString CommandLineFailureText(const ConversionResult& result)
{
    switch (result.Read) {
    case ReadStatus::NoPositions: return QStringLiteral("no GPS positions found");
    case ReadStatus::NoFlightInVideo: return QStringLiteral("no flight record in the video");
    case ReadStatus::VideoUnreadable: return QStringLiteral("the video cannot be read");
    default: break;
    }
    return ConversionFailureMessage(result).Text;
}

UserMessage OutputOutcomeMessage(const ConversionResult::Output& output)
{
    switch (output.Check) {
    case NameCheck::Empty:
        return {Kind::Warning, QStringLiteral("Au..."), QStringLiteral("Please, specify output file name")};
    case NameCheck::SameAsInput:
        return {Kind::Warning, QStringLiteral("Au..."), QStringLiteral("Output file must differ from input file")};
    case NameCheck::Ok:
        break;
    }
    switch (output.Status) {
    case WriteStatus::Written:
        return {Kind::Information, QStringLiteral("OK"), output.Name + QStringLiteral(" has been writed!")};
    case WriteStatus::NothingToWrite:
        return {};
    case WriteStatus::NotOpened:
        return {Kind::Warning, QStringLiteral("Info"), QStringLiteral("File not opened for writing.")};
    case WriteStatus::WriteFailed:
        return FileNotWrittenMessage(output.Name);
    }
    return {};
}

UserMessage VideoOutputMessage(bool written, const QString& name, const QString& text)
{
    if (written)
        return {Kind::Information, QStringLiteral("OK"), text};
    return {Kind::Warning, QStringLiteral("Fail"), name.isEmpty() ? text : name + QStringLiteral(": ") + text};
}

QString VideoWritingText(const QString& name)
{
    return QStringLiteral("Writing %1...").arg(QFileInfo(name).fileName());
}

UserMessage ReadInformationMessage(const Flight& flight, const ConversionRequest& request)
{
    return {Kind::Information, QStringLiteral("Read information"), BuildReadSummary(flight, request)};
}

UserMessage InputNameMissingMessage()
{
    return {Kind::Warning, QStringLiteral("Au..."), QStringLiteral("Please, specify input file name")};
}

UserMessage PrivacyRadiusRefusedMessage()
{
    return {Kind::Warning, QStringLiteral("Au..."), QStringLiteral("Privacy radius, m: please give a number of metres, 0 or more")};
}

UserMessage FileNotWrittenMessage(const QString& fileName)
{
    return {Kind::Warning, QStringLiteral("Fail"), fileName + QStringLiteral(" - something wrong during writing...")};
}

QString NoLogsInFolderText()
{
    return QStringLiteral("no logs in the folder");
}

QString FlightLineText(int number, const QStringList& clips, qint64 startLocalMs, qint64 durationMs, double pathM)
{
    return QStringLiteral("Flight %1: %2 %3, start %4, duration %5, path %6 m: %7")
        .arg(number)
        .arg(clips.size())
        .arg(clips.size() == 1 ? QStringLiteral("clip") : QStringLiteral("clips"))
        .arg(FlightStartText(startLocalMs), FlightDurationText(durationMs), FlightPathText(pathM), clips.join(QLatin1Char(' ')));
}

QString OutputFolderNotCreatedText()
{
    return QStringLiteral("Output folder cannot be created.");
}

QString WindowTitleText()
{
    return QStringLiteral("Velloa (") + QLatin1String(kMakerSiteTag) + QStringLiteral(", ")
        + QLatin1String(kTitleDate) + QStringLiteral(")");
}

QString MakerAddressText()
{
    return QLatin1String(kMakerAddress);
}

// --- A card of clips in the window ------------------------------------------

QString FlightStartText(qint64 startLocalMs)
{
    if (startLocalMs == kNoTime)
        return QStringLiteral("no date");
    char text[32];
    return QString::fromLatin1(text, FormatLocalTime(startLocalMs, text));
}

QString DurationText(qint64 durationMs, bool hours)
{
    const qint64 seconds = (std::max<qint64>(durationMs, 0) + 500) / 1000;
    if (!hours && seconds < 3600)
        return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600)
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QString MetresText(double metres)
{
    return std::isfinite(metres) ? QString::number(metres, 'f', 1) + QStringLiteral(" m") : QStringLiteral("-");
}

QString SpeedText(double metresPerSecond)
{
    if (!std::isfinite(metresPerSecond))
        return QStringLiteral("-");
    return QString::number(metresPerSecond, 'f', 1) + QStringLiteral(" m/s (")
        + QString::number(KmhFromMs(metresPerSecond), 'f', 1) + QStringLiteral(" km/h)");
}

QString ScaleText(double metres)
{
    return metres >= 1000.0 ? QString::number(metres / 1000.0) + QStringLiteral(" km")
                            : QString::number(metres) + QStringLiteral(" m");
}

QString FlightDurationText(qint64 durationMs)
{
    return DurationText(durationMs, true);
}

QString FlightPathText(double pathM)
{
    return QString::number(pathM, 'f', 1);
}

QStringList FlightListHeaders()
{
    QStringList headers;
    headers.insert(NumberColumn, QStringLiteral("Flight"));
    headers.insert(StartColumn, QStringLiteral("Start"));
    headers.insert(DurationColumn, QStringLiteral("Duration"));
    headers.insert(ClipsColumn, QStringLiteral("Clips"));
    headers.insert(PathColumn, QStringLiteral("Path, m"));
    headers.insert(LogsColumn, QStringLiteral("Logs"));
    return headers;
}

QString OutputsBesideClipsText()
{
    return QStringLiteral("beside each clip");
}

QString OutputFolderHintText()
{
    return QStringLiteral("Several logs: each file goes beside its clip, or into the folder typed here.");
}

QString CardReadingText(int logs)
{
    return QStringLiteral("Reading %1 logs...").arg(logs);
}

QString CardConvertingText(int logs)
{
    return QStringLiteral("Converting %1 logs...").arg(logs);
}

QString ClipFailureText(const QString& name, const QString& why)
{
    return name + QStringLiteral(": ") + why;
}

UserMessage OutputFolderNotCreatedMessage(const QString& folder)
{
    return {Kind::Warning, QStringLiteral("Info"), ClipFailureText(folder, OutputFolderNotCreatedText())};
}

UserMessage CardSummaryMessage(const CardRunFacts& facts)
{
    const auto count = [](int n, const char* one, const char* many) {
        return QStringLiteral("%1 %2").arg(n).arg(QLatin1String(n == 1 ? one : many));
    };
    // At most a dozen names a list, so that the box fits the screen.
    const auto names = [](const QStringList& list) {
        const int shown = list.size() > 12 ? 10 : list.size();
        QString text = list.mid(0, shown).join(QLatin1Char('\n'));
        if (shown < list.size())
            text += QStringLiteral("\n... and %1 more").arg(list.size() - shown);
        return text;
    };
    QString text = count(facts.Flights, "flight", "flights") + QStringLiteral(", ") + count(facts.Clips, "clip", "clips")
        + QStringLiteral(" converted.");
    const QString where = facts.Folder.isEmpty() ? QStringLiteral("beside each clip") : QStringLiteral("into ") + facts.Folder;
    text += QStringLiteral("\n\nWritten %1: %2").arg(where, count(facts.Written.size(), "file", "files"));
    if (!facts.Written.isEmpty())
        text += QStringLiteral("\n") + names(facts.Written);
    if (!facts.Failed.isEmpty())
        text += QStringLiteral("\n\nFailed: %1\n").arg(facts.Failed.size()) + names(facts.Failed);
    if (facts.NotConverted > 0)
        text += QStringLiteral("\n\nCancelled: %1 not converted.").arg(count(facts.NotConverted, "clip", "clips"));
    if (!facts.Failed.isEmpty())
        return {Kind::Warning, QStringLiteral("Fail"), text};
    return {Kind::Information, facts.NotConverted > 0 ? QStringLiteral("Info") : QStringLiteral("OK"), text};
}
