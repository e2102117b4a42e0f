#include "cli/Cli.h"

#include "input/ConversionSettings.h"
#include "input/InputPatterns.h"
#include "input/LogReader.h"
#include "output/OutputFiles.h"
#include "output/ReadSummary.h"
#include "output/SrtWriter.h"
#include "track/TrackPasses.h"

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
    QString OutPattern;
    int SmoothingCount = 0;
    double WayBefore = 0.0;
    QString OutputDir;  // empty: beside each log
    bool WriteSrt = true;
    bool WriteGpx = true;
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

// Reports the outcome of one output as the window would: the name written is
// kept for the summary, a failure goes to `err` at once. Returns whether the
// file was written.
bool Report(WriteStatus status, const QString& name, QStringList& written, QTextStream& err)
{
    if (status == WriteStatus::Written) {
        written << WriteOutcomeMessage(status, name).Text;
        return true;
    }
    Fail(err, name, WriteOutcomeMessage(status, name).Text);
    return false;
}

// Converts one log; returns whether every requested file was written.
// `wayBefore` is carried in and out as the window's field carries it.
bool ConvertLog(const QString& log, const CliOptions& options, double& wayBefore, QTextStream& out, QTextStream& err)
{
    LogReadResult read = ReadFlightLog(log, options.Patterns);
    if (read.Status != ReadStatus::Ok && read.Status != ReadStatus::Empty) {
        Fail(err, log, ReadOutcomeMessage(read.Status).Text);
        return false;
    }
    if (read.Records.empty()) {  // also an empty file
        Fail(err, log, QStringLiteral("no subtitle blocks"));
        return false;
    }

    const OutputNames names = DeriveOutputNames(log);
    FlightRecordList& records = read.Records;
    QStringList written;
    bool ok = true;

    // The route is made from the positions as parsed, so it is written
    // before the track passes change them (no copy of the records needed).
    if (options.WriteGpx) {
        const QString gpxName = OutputPath(names.Gpx, options.OutputDir);
        WriteStatus status = CheckOutputName(gpxName, log);
        if (status == WriteStatus::Written)
            status = SaveGpxFile(records, gpxName);
        ok = Report(status, gpxName, written, err) && ok;
    }

    DeriveTrack(records, options.SmoothingCount, wayBefore);

    if (options.WriteSrt) {
        const QString srtName = OutputPath(names.Srt, options.OutputDir);
        const WriteStatus check = CheckOutputName(srtName, log);
        if (check == WriteStatus::Written) {
            ok = Report(SaveSrtFile(records, options.OutPattern, srtName), srtName, written, err) && ok;
            // As the window's field carries it: the way with one decimal,
            // read back (the window advances it even when the write failed).
            wayBefore = ReadWayBefore(FormatWayBefore(records.back().Way));
        } else {
            ok = Report(check, srtName, written, err) && ok;
        }
    }
    if (!options.Quiet) {
        QString summary = BuildReadSummary(records);
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
        "Converts DJI flight-log subtitle files (.SRT) into a computed subtitle file (.sorned.srt)\n"
        "and a GPX 1.1 route (.gpx), as Velloa's two buttons do. Several LOGs are one flight:\n"
        "each continues the way reached by the one before."));
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
    const QCommandLineOption noSrtOption(QStringLiteral("no-srt"), QStringLiteral("Do not write the .sorned.srt file."));
    const QCommandLineOption noGpxOption(QStringLiteral("no-gpx"), QStringLiteral("Do not write the .gpx file."));
    const QCommandLineOption quietOption(QStringLiteral("quiet"), QStringLiteral("Print no summary and no file names."));
    parser.addOptions({helpOption, versionOption, smoothOption, wayOption, patternFileOption, patternOption,
        outputDirOption, noSrtOption, noGpxOption, quietOption});
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

    CliOptions options;
    options.SmoothingCount = ReadSmoothingCount(parser.value(smoothOption));
    options.WayBefore = ReadWayBefore(parser.value(wayOption));
    options.WriteSrt = !parser.isSet(noSrtOption);
    options.WriteGpx = !parser.isSet(noGpxOption);
    options.Quiet = parser.isSet(quietOption);
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
        allWritten = ConvertLog(log, options, wayBefore, out, err) && allWritten;
    return allWritten ? ExitOk : ExitFailed;
}
