#include "cli/Cli.h"

#include "input/ConversionSettings.h"
#include "input/InputPatterns.h"
#include "input/LogReader.h"
#include "output/Conversion.h"
#include "output/OutputFiles.h"
#include "output/Placeholders.h"
#include "output/ReadSummary.h"
#include "output/SrtWriter.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

namespace {

const QString kProgram = QStringLiteral("velloa-cli");

enum ExitCode { ExitOk = 0, ExitFailed = 1, ExitUsage = 2 };

struct CliOptions {
    InputPatterns Patterns = InputPatterns::Defaults();
    QString FormatId = AutomaticFormatId();
    QString OutPattern;
    int SmoothingCount = 0;
    double WayBefore = 0.0;
    bool UseHeight = false;
    QString TimeZone;  // empty: this computer's zone
    double PrivacyRadiusM = 0.0;
    QString OutputDir;  // empty: beside each log
    std::vector<const OutputKind*> Outputs;  // in the order written
    bool Quiet = false;
    QStringList Logs;
};

void Fail(QTextStream& err, const QString& name, const QString& message)
{
    err << kProgram << ": " << name << ": " << message << '\n';
    err.flush();
}

// The window's editor hands its text back with LF line breaks, so with the
// start-up settings the window writes the default pattern with LF; the
// command line does the same so that both write identical files.
QString DefaultPatternAsWindowUsesIt()
{
    QString pattern = DefaultOutputPattern();
    pattern.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return pattern;
}

QString OutputPath(const QString& derived, const QString& outputDir)
{
    if (outputDir.isEmpty())
        return derived;
    return QDir(outputDir).filePath(QFileInfo(derived).fileName());
}

// Converts one log; returns whether every requested file was written.
// `wayBefore` is carried in and out as the window's field carries it, and
// whatever happens to the outputs: the way belongs to the flight.
bool ConvertOneLog(const QString& log, const CliOptions& options, double& wayBefore, QTextStream& out, QTextStream& err)
{
    ConversionRequest request;
    request.InputName = log;
    request.Patterns = options.Patterns;
    request.FormatId = options.FormatId;
    request.OutPattern = options.OutPattern;
    request.SmoothingCount = options.SmoothingCount;
    request.WayBeforeM = wayBefore;
    request.UseHeight = options.UseHeight;
    request.TimeZone = options.TimeZone;
    request.PrivacyRadiusM = options.PrivacyRadiusM;
    const OutputNames names = DeriveOutputNames(log);
    for (const OutputKind* kind : options.Outputs)
        request.Outputs.push_back({kind, OutputPath(names.Base + QLatin1String(kind->Suffix), options.OutputDir)});

    const ConversionResult result = Convert(request);
    if (result.Read != ReadStatus::Ok) {
        Fail(err, log, result.Read == ReadStatus::NoPositions ? QStringLiteral("no GPS positions found")
                                                              : ConversionFailureMessage(result).Text);
        return false;
    }
    // As the window's field carries it: the way with one decimal, read back.
    wayBefore = ReadWayBefore(FormatWayBefore(result.WayAfterM));

    QStringList written;
    bool ok = true;
    for (const ConversionResult::Output& output : result.Outputs) {
        const QString text = WriteOutcomeMessage(output.Status, output.Name).Text;
        if (output.Status == WriteStatus::Written) {
            written << text;
        } else {
            Fail(err, output.Name, text);
            ok = false;
        }
    }
    if (!options.Quiet) {
        QString summary = BuildReadSummary(result.Flight);
        summary.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        out << log << ":\n" << summary;
        for (const QString& line : written)
            out << line << '\n';
    }
    out.flush();
    return ok;
}

QString FormatHelp()
{
    QString text = QStringLiteral("Log layout: auto (recognised from the first blocks; the default), ");
    for (const LogFamily& family : LogFamilies())
        text += QStringLiteral("%1 (%2), ").arg(QLatin1String(family.Id), QLatin1String(family.Drones));
    return text + QStringLiteral("or patterns (the six input patterns, as --pattern sets them).");
}

} // namespace

int RunCli(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Converts DJI flight-log subtitle files (.SRT) into a computed subtitle file (.sorned.srt)\n"
        "and a GPX 1.1 route (.gpx), as Velloa's two buttons do, and on request into a GPX track,\n"
        "KML, CSV and GeoJSON. Several LOGs are one flight: each continues the way reached by the\n"
        "one before."));
    const QCommandLineOption helpOption({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help."));
    const QCommandLineOption versionOption({QStringLiteral("v"), QStringLiteral("version")}, QStringLiteral("Show the version."));
    const QCommandLineOption smoothOption(QStringLiteral("smooth"),
        QStringLiteral("GPS smoothing passes (\"Smooth GPS, sec\"); 0 or less spreads and averages speeds instead."),
        QStringLiteral("TEXT"), QStringLiteral("5"));
    const QCommandLineOption wayOption(QStringLiteral("way-before"),
        QStringLiteral("Way flown before the first LOG, in metres (\"Way before, m\")."), QStringLiteral("TEXT"),
        QStringLiteral("0.0"));
    const QCommandLineOption patternFileOption(QStringLiteral("out-pattern-file"),
        QStringLiteral("Output pattern, UTF-8, used unchanged (default: the built-in pattern with LF line ends)."),
        QStringLiteral("FILE"));
    const QCommandLineOption patternOption(QStringLiteral("pattern"),
        QStringLiteral("Replace an input pattern; LABEL is one of ID, SrtTime, Home, GPS, FlyTime, Barometer. Repeatable."),
        QStringLiteral("LABEL=REGEX"));
    const QCommandLineOption outputDirOption(QStringLiteral("output-dir"),
        QStringLiteral("Write the outputs into DIR (created when missing) instead of beside each LOG."),
        QStringLiteral("DIR"));
    const QCommandLineOption formatOption(QStringLiteral("format"), FormatHelp(), QStringLiteral("NAME"),
        AutomaticFormatId());
    const QCommandLineOption useHeightOption(QStringLiteral("use-height"),
        QStringLiteral("Speed and way over 3-D distances, with the change of height (\"Use height for speed and way\")."));
    const QCommandLineOption timeZoneOption(QStringLiteral("time-zone"),
        QStringLiteral("Zone of the log's local times, for the UTC times of the outputs: an IANA name "
                       "(Europe/Madrid), UTC, or an offset (+05:30); default: this computer's zone."),
        QStringLiteral("ZONE"));
    const QCommandLineOption privacyOption(QStringLiteral("privacy-radius"),
        QStringLiteral("Leave the positions within M metres of home, and the home point, out of the outputs "
                       "(\"Privacy radius, m\"; 0, the default, is off)."),
        QStringLiteral("M"), QStringLiteral("0"));
    const QCommandLineOption listPlaceholdersOption(QStringLiteral("list-placeholders"),
        QStringLiteral("Print every placeholder of the output pattern and its meaning, one per line, and exit."));
    const QCommandLineOption allOption(QStringLiteral("all"), QStringLiteral("Write every output."));
    const QCommandLineOption quietOption(QStringLiteral("quiet"), QStringLiteral("Print no summary and no file names."));
    parser.addOptions({helpOption, versionOption, smoothOption, wayOption, patternFileOption, patternOption,
        useHeightOption, formatOption, timeZoneOption, privacyOption, outputDirOption, allOption, quietOption,
        listPlaceholdersOption});
    // From the table of outputs: --<id> for each output not written by
    // default, --no-<id> for every output.
    for (const OutputKind& kind : OutputKinds()) {
        if (!kind.ByDefault)
            parser.addOption({QLatin1String(kind.Id),
                QStringLiteral("Also write the %1 (%2).").arg(QLatin1String(kind.Description), QLatin1String(kind.Suffix))});
    }
    for (const OutputKind& kind : OutputKinds()) {
        parser.addOption({QStringLiteral("no-") + QLatin1String(kind.Id),
            QStringLiteral("Do not write the %1 (%2).").arg(QLatin1String(kind.Description), QLatin1String(kind.Suffix))});
    }
    parser.addPositionalArgument(QStringLiteral("LOG"), QStringLiteral("Flight log(s) to convert, in flight order."),
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

    CliOptions options;
    if (!ReadPrivacyRadius(parser.value(privacyOption), &options.PrivacyRadiusM))
        return usageError(QStringLiteral("bad --privacy-radius \"%1\": expected a number of metres, 0 or more")
                              .arg(parser.value(privacyOption)));
    options.SmoothingCount = ReadSmoothingCount(parser.value(smoothOption));
    options.WayBefore = ReadWayBefore(parser.value(wayOption));
    // The outputs written by default first, the route before the subtitle
    // file as the summary has always listed them, then the others in the
    // order of the table.
    const auto wanted = [&](const OutputKind& kind) {
        return !parser.isSet(QStringLiteral("no-") + QLatin1String(kind.Id))
            && (kind.ByDefault || parser.isSet(allOption) || parser.isSet(QLatin1String(kind.Id)));
    };
    for (auto kind = OutputKinds().rbegin(); kind != OutputKinds().rend(); ++kind) {
        if (kind->ByDefault && wanted(*kind))
            options.Outputs.push_back(&*kind);
    }
    for (const OutputKind& kind : OutputKinds()) {
        if (!kind.ByDefault && wanted(kind))
            options.Outputs.push_back(&kind);
    }
    options.TimeZone = parser.value(timeZoneOption);
    options.Quiet = parser.isSet(quietOption);
    options.UseHeight = parser.isSet(useHeightOption);
    options.OutputDir = parser.value(outputDirOption);
    options.Logs = parser.positionalArguments();
    if (options.Logs.isEmpty())
        return usageError(QStringLiteral("no LOG given"));

    for (const QString& assignment : parser.values(patternOption)) {
        const int equals = assignment.indexOf(QLatin1Char('='));
        const int index = equals < 0 ? -1 : InputPatterns::IndexOfLabel(assignment.left(equals));
        if (index < 0)
            return usageError(QStringLiteral("bad --pattern \"%1\": expected LABEL=REGEX with LABEL one of "
                                              "ID, SrtTime, Home, GPS, FlyTime, Barometer").arg(assignment));
        options.Patterns.Texts[index] = assignment.mid(equals + 1);
    }
    options.FormatId = parser.value(formatOption);
    if (parser.isSet(patternOption) && !parser.isSet(formatOption))
        options.FormatId = PatternsFormatId();  // the user's own patterns apply as written
    if (options.FormatId != AutomaticFormatId() && options.FormatId != PatternsFormatId()
        && !FindLogFamily(options.FormatId))
        return usageError(QStringLiteral("bad --format \"%1\"").arg(options.FormatId));

    if (parser.isSet(patternFileOption)) {
        const QString patternFile = parser.value(patternFileOption);
        QFile file(patternFile);
        if (!file.exists()) {
            Fail(err, patternFile, ReadOutcomeMessage(ReadStatus::Missing).Text);
            return ExitFailed;
        }
        if (!file.open(QIODevice::ReadOnly)) {
            Fail(err, patternFile, ReadOutcomeMessage(ReadStatus::NotOpened).Text);
            return ExitFailed;
        }
        options.OutPattern = QString::fromUtf8(file.readAll());
    } else {
        options.OutPattern = DefaultPatternAsWindowUsesIt();
    }

    if (!options.OutputDir.isEmpty() && !QDir().mkpath(options.OutputDir)) {
        Fail(err, options.OutputDir, QStringLiteral("Output folder cannot be created."));
        return ExitFailed;
    }

    bool allWritten = true;
    double wayBefore = options.WayBefore;
    for (const QString& log : options.Logs)
        allWritten = ConvertOneLog(log, options, wayBefore, out, err) && allWritten;
    return allWritten ? ExitOk : ExitFailed;
}
