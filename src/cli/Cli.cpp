#include "cli/Cli.h"

#include "conversion/CommandLineOptions.h"
#include "conversion/ConversionSettings.h"
#include "conversion/Messages.h"
#include "conversion/ReadSummary.h"

#include <QCommandLineParser>
#include <QDir>
#include <QTextStream>

namespace {

const QString kProgram = QStringLiteral("velloa-cli");

enum ExitCode { ExitOk = 0, ExitFailed = 1, ExitUsage = 2 };

void Fail(QTextStream& err, const QString& name, const QString& message)
{
    err << kProgram << ": " << name << ": " << message << '\n';
    err.flush();
}

// Converts one log; returns whether every requested file was written.
// `wayBefore` is carried in and out as the window's field carries it, and
// whatever happens to the outputs: the way belongs to the flight.
bool ConvertOneLog(const QString& log, const ConversionOptions& options, bool quiet, double& wayBefore,
                   QTextStream& out, QTextStream& err)
{
    const ConversionResult result = Convert(RequestForLog(options, log, wayBefore));
    if (result.Read != ReadStatus::Ok) {
        Fail(err, log, CommandLineFailureText(result));
        return false;
    }
    // As the window's field carries it: the way with one decimal, read back.
    wayBefore = ReadWayBefore(FormatWayBefore(result.WayAfterM));

    QStringList written;
    bool ok = true;
    for (const ConversionResult::Output& output : result.Outputs) {
        const QString text = OutputOutcomeMessage(output).Text;
        if (output.Written()) {
            written << text;
        } else {
            Fail(err, output.Name, text);
            ok = false;
        }
    }
    if (!quiet) {
        QString summary = BuildReadSummary(result.Flight);
        summary.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        out << log << ":\n" << summary;
        for (const QString& line : written)
            out << line << '\n';
    }
    out.flush();
    return ok;
}

} // namespace

int RunCli(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Converts DJI flight-log subtitle files (.SRT), or the subtitle track of a video (.MP4, .MOV)\n"
        "when no .SRT of the same name lies beside it, into a computed subtitle file (.sorned.srt)\n"
        "and a GPX 1.1 route (.gpx), as Velloa's two buttons do, and on request into a GPX track,\n"
        "KML, CSV and GeoJSON. Several LOGs are one flight: each continues the way reached by the\n"
        "one before."));
    const QCommandLineOption helpOption({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help."));
    const QCommandLineOption versionOption({QStringLiteral("v"), QStringLiteral("version")}, QStringLiteral("Show the version."));
    const QCommandLineOption quietOption(QStringLiteral("quiet"), QStringLiteral("Print no summary and no file names."));
    const QCommandLineOption listPlaceholdersOption(QStringLiteral("list-placeholders"),
        QStringLiteral("Print every placeholder of the output pattern and its meaning, one per line, and exit."));
    parser.addOptions({helpOption, versionOption});
    const ConversionOptionSet conversionOptions;
    conversionOptions.AddTo(parser, {quietOption, listPlaceholdersOption});
    parser.addPositionalArgument(QStringLiteral("LOG"), QStringLiteral("Flight log(s) or video(s) to convert, in flight order."),
        QStringLiteral("LOG..."));

    auto usageError = [&](const QString& message) {
        err << kProgram << ": " << message << "\n\n" << parser.helpText();
        err.flush();
        return ExitUsage;
    };

    if (!parser.parse(arguments))
        return usageError(parser.errorText());
    if (parser.isSet(helpOption)) {
        out << parser.helpText();
        out << "\nExit status: 0 when every requested file was written, 1 when any failed, 2 for bad usage.\n";
        out.flush();
        return ExitOk;
    }
    if (parser.isSet(versionOption)) {
        out << kProgram << ' ' << VELLOA_VERSION << '\n';
        out.flush();
        return ExitOk;
    }

    if (parser.isSet(listPlaceholdersOption)) {
        for (const PlaceholderInfo& placeholder : Placeholders())
            out << placeholder.Name << '\t' << placeholder.Meaning << '\n';
        out.flush();
        return ExitOk;
    }

    const QStringList logs = parser.positionalArguments();
    if (logs.isEmpty())
        return usageError(QStringLiteral("no LOG given"));
    ConversionOptions options;
    ConversionOptionSet::Error error;
    if (!conversionOptions.Read(parser, &options, &error)) {
        if (error.Usage)
            return usageError(error.Text);
        Fail(err, error.Name, error.Text);
        return ExitFailed;
    }
    if (!options.OutputDir.isEmpty() && !QDir().mkpath(options.OutputDir)) {
        Fail(err, options.OutputDir, OutputFolderNotCreatedText());
        return ExitFailed;
    }

    bool allWritten = true;
    double wayBefore = options.Request.WayBeforeM;
    for (const QString& log : logs)
        allWritten = ConvertOneLog(log, options, parser.isSet(quietOption), wayBefore, out, err) && allWritten;
    return allWritten ? ExitOk : ExitFailed;
}
