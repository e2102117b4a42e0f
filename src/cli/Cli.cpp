#include "cli/Cli.h"

#include "conversion/CardConversion.h"
#include "conversion/CommandLineOptions.h"
#include "conversion/ConversionSettings.h"
#include "conversion/Messages.h"
#include "conversion/VideoCopy.h"
#include "conversion/VideoOutputOptions.h"

#include <QCommandLineParser>
#include <QDir>
#include <QTextStream>
#include <QThread>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {

const QString kProgram = QStringLiteral("velloa-cli");

enum ExitCode { ExitOk = 0, ExitFailed = 1, ExitUsage = 2 };

void Fail(QTextStream& err, const QString& name, const QString& message)
{
    err << kProgram << ": " << name << ": " << message << '\n';
    err.flush();
}

// Prints what converting one flight gave; returns whether every requested
// file was written. The way is carried whatever happens to the outputs:
// it belongs to the flight.
bool PrintFlight(const FlightOutcome& outcome, bool quiet, QTextStream& out, QTextStream& err)
{
    const auto print = [&](const std::vector<FlightOutcome::File>& files, const QString& heading) {
        QStringList written;
        for (const FlightOutcome::File& file : files) {
            if (file.Written)
                written << file.Text;
            else
                Fail(err, file.Name, file.Text);
        }
        if (!quiet) {
            out << heading;
            for (const QString& line : written)
                out << line << '\n';
        }
        out.flush();
    };
    for (const FlightOutcome::Clip& clip : outcome.Clips) {
        if (clip.Converted())
            print(clip.Files, clip.Log + QStringLiteral(":\n") + clip.Summary);
        else if (!clip.Skipped)
            Fail(err, clip.Log, CommandLineFailureText(*clip.Result));
    }
    print(outcome.FlightFiles, QString());
    return outcome.AllWritten;
}

bool StandardErrorIsTerminal()
{
    return isatty(fileno(stderr)) != 0;
}

// Ctrl-C or a termination while an overlay is written: the overlay stops,
// removes its unfinished file, and velloa-cli exits with 130.
std::atomic<bool> g_interrupted{false};

extern "C" void OnInterrupt(int)
{
    g_interrupted = true;
}

// Prints what writing a video output gave: its text on standard output
// unless quiet, or as a failure; returns `written`.
bool Report(bool written, const QString& name, const QString& text, bool quiet, QTextStream& out, QTextStream& err)
{
    if (!written) {
        Fail(err, name, text);
    } else if (!quiet) {
        out << text << '\n';
        out.flush();
    }
    return written;
}

// Writes the overlay video of every clip of the flight that was read;
// returns whether each was written. A terminal sees the progress.
bool WriteOverlays(const std::vector<CardClip>& clips, const CardFlight& flight, const FlightConversion& conversion,
                   const ConversionOptions& options, const VideoOutputSettings& overlay, bool quiet, QTextStream& out,
                   QTextStream& err)
{
    bool ok = true;
    const bool progress = !quiet && StandardErrorIsTerminal();
    for (std::size_t k = 0; k < conversion.Clips.size() && !g_interrupted; ++k) {
        const ConversionResult& result = conversion.Clips[k];
        if (result.Read != ReadStatus::Ok)
            continue;
        const QString& log = clips[flight.Clips[k]].Log;
        OverlayVideoRequest request = overlay.Video;
        request.Clip = ClipForLog(log);
        request.Output = OverlayOutputName(log, options.OutputDir);
        const OverlayVideoResult written = WriteOverlayVideo(result.Flight, options.Request.OutPattern, request,
            [&](qint64 done, qint64 total) {
                if (progress) {
                    err << "\r\033[K" << kProgram << ": " << request.Output << ": " << (100 * done / std::max<qint64>(total, 1))
                        << " % of " << total << " frames";
                    err.flush();
                }
                return !g_interrupted.load();
            });
        if (progress) {
            err << "\r\033[K";
            err.flush();
        }
        ok = Report(written.Status == OverlayVideoStatus::Written, request.Output,
                    OverlayOutcomeText(written, request.Output, request.Clip), quiet, out, err) && ok;
    }
    return ok;
}

// Writes the copy of every clip of the flight that was read, carrying the
// computed subtitles; returns whether each was written.
bool WriteVideoCopies(const std::vector<CardClip>& clips, const CardFlight& flight, const FlightConversion& conversion,
                      const ConversionOptions& options, bool quiet, QTextStream& out, QTextStream& err)
{
    bool ok = true;
    for (std::size_t k = 0; k < conversion.Clips.size(); ++k) {
        const ConversionResult& result = conversion.Clips[k];
        if (result.Read != ReadStatus::Ok)
            continue;
        const QString& log = clips[flight.Clips[k]].Log;
        const QString clip = ClipForLog(log);
        if (clip.isEmpty()) {
            Fail(err, log, NoVideoBesideLogText());
            ok = false;
            continue;
        }
        const QString output = VideoCopyName(log, clip, options.OutputDir);
        const VideoCopyResult written = WriteVideoCopy(result.Flight, options.Request.OutPattern, clip, output);
        ok = Report(written.State == VideoCopyResult::Status::Written, output, VideoCopyOutcomeText(written, output), quiet,
                    out, err) && ok;
    }
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
        "one before. A FOLDER (a card of clips) is cut into flights, each clip's outputs written\n"
        "and, for a flight of several clips, the track outputs of the whole flight once."));
    const QCommandLineOption helpOption({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help."));
    const QCommandLineOption versionOption({QStringLiteral("v"), QStringLiteral("version")}, QStringLiteral("Show the version."));
    const QCommandLineOption quietOption(QStringLiteral("quiet"), QStringLiteral("Print no summary and no file names."));
    const QCommandLineOption recursiveOption(QStringLiteral("recursive"),
        QStringLiteral("Also take the logs in the subfolders of a FOLDER."));
    const QCommandLineOption flightsOption(QStringLiteral("flights"),
        QStringLiteral("Print the flights found, one line each, and convert nothing."));
    const QCommandLineOption joinOption(QStringLiteral("join"),
        QStringLiteral("How logs make flights: chain (each LOG continues the one before; the default for files), "
                       "auto (the flights are found by time, name and position; the default for a FOLDER), "
                       "none (each LOG on its own)."),
        QStringLiteral("MODE"));
    const QCommandLineOption jobsOption(QStringLiteral("jobs"),
        QStringLiteral("Work on up to N threads: N flights at the same time, or the threads left over read, estimate "
                       "and render each log in pieces side by side (default: the number of cores)."),
        QStringLiteral("N"));
    const QCommandLineOption listPlaceholdersOption(QStringLiteral("list-placeholders"),
        QStringLiteral("Print every placeholder of the output pattern and its meaning, one per line, and exit."));
    parser.addOptions({helpOption, versionOption});
    const ConversionOptionSet conversionOptions;
    const VideoOutputOptionSet videoOptions;
    conversionOptions.AddTo(parser, QList<QCommandLineOption>{quietOption, listPlaceholdersOption, recursiveOption,
                                                              flightsOption, joinOption, jobsOption}
                                        + videoOptions.Options());
    parser.addPositionalArgument(QStringLiteral("LOG"),
        QStringLiteral("Flight log(s) or video(s) to convert, in flight order, or FOLDERs of them."), QStringLiteral("LOG..."));

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

    const QStringList given = parser.positionalArguments();
    if (given.isEmpty())
        return usageError(QStringLiteral("no LOG given"));
    JoinMode mode = JoinMode::Chain;
    if (parser.isSet(joinOption) && !ParseJoinMode(parser.value(joinOption), &mode))
        return usageError(QStringLiteral("unknown --join mode: %1").arg(parser.value(joinOption)));
    int jobs = QThread::idealThreadCount();
    if (parser.isSet(jobsOption)) {
        bool number = false;
        jobs = parser.value(jobsOption).toInt(&number);
        if (!number || jobs < 1)
            return usageError(QStringLiteral("--jobs needs a whole number of 1 or more"));
    }
    ConversionOptions options;
    ConversionOptionSet::Error error;
    if (!conversionOptions.Read(parser, &options, &error)) {
        if (error.Usage)
            return usageError(error.Text);
        Fail(err, error.Name, error.Text);
        return ExitFailed;
    }

    VideoOutputSettings overlay;
    QString overlayError;
    if (!videoOptions.Read(parser, &overlay, &overlayError))
        return usageError(overlayError);

    CardInput input = CardInputOf(given, parser.isSet(recursiveOption));
    for (const QString& folder : qAsConst(input.EmptyFolders))
        Fail(err, folder, NoLogsInFolderText());
    bool allWritten = input.EmptyFolders.isEmpty();
    std::vector<CardClip>& clips = input.Clips;
    if (input.Folder && !parser.isSet(joinOption))
        mode = JoinMode::Auto;
    const bool listOnly = parser.isSet(flightsOption);
    if (listOnly)
        options.Outputs.clear();
    if (!listOnly && !options.OutputDir.isEmpty() && !QDir().mkpath(options.OutputDir)) {
        Fail(err, options.OutputDir, OutputFolderNotCreatedText());
        return ExitFailed;
    }
    if (mode == JoinMode::Auto || listOnly)
        ReadClips(clips, options, jobs);
    const std::vector<CardFlight> flights = PlanFlights(clips, mode);

    const bool quiet = parser.isSet(quietOption);
    if (overlay.Wanted) {
        std::signal(SIGINT, OnInterrupt);
        std::signal(SIGTERM, OnInterrupt);
    }
    const bool progress = !quiet && flights.size() > 1 && StandardErrorIsTerminal();
    int number = 0;
    // The overlay and the video copy take each clip's flight after its files are written.
    ConvertFlights(clips, flights, options, mode, jobs, overlay.Wanted || overlay.CopyWanted, nullptr,
        [&](std::size_t k, const FlightConversion& conversion) {
            if (progress)
                err << "\r\033[K";
            // Listing, only the clips that cannot be read are told.
            const bool written = PrintFlight(OutcomeOfFlight(clips, flights[k], conversion), quiet || listOnly, out, err);
            allWritten = written && allWritten;
            const FlightSummary summary = SummariseFlight(clips, flights[k], conversion);
            if (listOnly && !summary.Clips.isEmpty()) {
                out << FlightLineText(++number, summary.Clips, summary.StartLocalMs, summary.DurationMs, summary.PathM) << '\n';
                out.flush();
            }
            if (!listOnly && overlay.Wanted)
                allWritten = WriteOverlays(clips, flights[k], conversion, options, overlay, quiet, out, err) && allWritten;
            if (!listOnly && overlay.CopyWanted)
                allWritten = WriteVideoCopies(clips, flights[k], conversion, options, quiet, out, err) && allWritten;
            if (progress) {
                err << kProgram << ": " << (k + 1) << " of " << flights.size() << " flights\r";
                if (k + 1 == flights.size())
                    err << "\033[K";
            }
            err.flush();
        });
    if (listOnly)
        return ExitOk;
    if (g_interrupted)
        return 130;
    return allWritten ? ExitOk : ExitFailed;
}
