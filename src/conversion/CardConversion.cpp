#include "conversion/CardConversion.h"

#include "conversion/ConversionSettings.h"
#include "conversion/Messages.h"
#include "conversion/ReadSummary.h"

#include <QDirIterator>
#include <QSet>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <set>

bool ParseJoinMode(const QString& text, JoinMode* mode)
{
    if (text == QLatin1String("chain"))
        *mode = JoinMode::Chain;
    else if (text == QLatin1String("auto"))
        *mode = JoinMode::Auto;
    else if (text == QLatin1String("none"))
        *mode = JoinMode::None;
    else
        return false;
    return true;
}

QStringList LogsInFolder(const QString& folder, bool recursive)
{
    // The logs, and the videos whose log does not lie beside them (the
    // video's subtitle track holds the same text).
    QStringList logs, videos;
    QDirIterator it(folder, {QStringLiteral("*.srt"), QStringLiteral("*.mp4"), QStringLiteral("*.mov")},
        QDir::Files | QDir::Readable | QDir::Hidden, recursive ? QDirIterator::Subdirectories : QDirIterator::NoIteratorFlags);
    while (it.hasNext()) {
        const QString path = it.next();
        if (path.endsWith(QLatin1String(".sorned.srt"), Qt::CaseInsensitive))
            continue;
        (path.endsWith(QLatin1String(".srt"), Qt::CaseInsensitive) ? logs : videos) << path;
    }
    QSet<QString> logBases;
    for (const QString& log : qAsConst(logs))
        logBases.insert(DeriveOutputNames(log).Base.toCaseFolded());
    for (const QString& video : qAsConst(videos)) {
        if (!logBases.contains(DeriveOutputNames(video).Base.toCaseFolded()))
            logs << video;
    }
    std::sort(logs.begin(), logs.end());
    return logs;
}

namespace {

// The threads each of `parts` done side by side takes within itself (reading
// a log, its estimate, its subtitle file): those `jobs` leaves over, one at
// least.
int JobsEach(int jobs, std::size_t parts)
{
    return std::max(1, jobs / static_cast<int>(std::max<std::size_t>(parts, 1)));
}

} // namespace

void ReadClips(std::vector<CardClip>& clips, const ConversionOptions& options, int jobs, CardWatch* watch)
{
    const int readJobs = JobsEach(jobs, clips.size());
    RunInOrder(clips.size(), jobs, [&](std::size_t i) {
        CardClip& clip = clips[i];
        if (watch && watch->Cancelled())
            return;
        clip.Result = ReadLogFor(RequestForLog(options, clip.Log, 0.0), readJobs);
        clip.Read = true;
        if (clip.Result.Status == ReadStatus::Ok)
            clip.Facts = FactsOfLog(clip.Log, clip.Result.Log);
        if (watch)
            ++watch->ClipsDone;
    }, [](std::size_t) {});
}

std::vector<CardFlight> PlanFlights(const std::vector<CardClip>& clips, JoinMode mode)
{
    std::vector<CardFlight> flights;
    if (mode == JoinMode::Chain && !clips.empty()) {
        flights.emplace_back();
        for (std::size_t i = 0; i < clips.size(); ++i)
            flights.back().Clips.push_back(i);
    } else if (mode == JoinMode::None) {
        for (std::size_t i = 0; i < clips.size(); ++i)
            flights.push_back({{i}, true});
    } else if (mode == JoinMode::Auto) {
        std::vector<ClipFacts> facts;
        std::vector<std::size_t> readable;
        std::set<int> unreadableCounters;
        for (std::size_t i = 0; i < clips.size(); ++i) {
            if (clips[i].Result.Status == ReadStatus::Ok) {
                facts.push_back(clips[i].Facts);
                readable.push_back(i);
            } else if (NameCounter(clips[i].Log) >= 0) {
                unreadableCounters.insert(NameCounter(clips[i].Log));
            }
        }
        for (const std::vector<std::size_t>& group : GroupFlights(facts)) {
            CardFlight flight;
            for (const std::size_t k : group) {
                flight.Clips.push_back(readable[k]);
                const int counter = NameCounter(clips[readable[k]].Log);
                if (counter >= 0 && (unreadableCounters.count(counter - 1) || unreadableCounters.count(counter + 1)))
                    flight.Complete = false;
            }
            flights.push_back(flight);
        }
        for (std::size_t i = 0; i < clips.size(); ++i) {
            if (clips[i].Result.Status != ReadStatus::Ok)
                flights.push_back({{i}, false});
        }
    }
    for (CardFlight& flight : flights) {
        for (const std::size_t i : flight.Clips)
            flight.Complete = flight.Complete && (!clips[i].Read || clips[i].Result.Status == ReadStatus::Ok);
    }
    return flights;
}

void ConvertFlights(std::vector<CardClip>& clips, const std::vector<CardFlight>& flights, const ConversionOptions& options,
                    JoinMode mode, int jobs, bool keepFlights, CardWatch* watch,
                    const std::function<void(std::size_t, const FlightConversion&)>& done)
{
    std::vector<FlightConversion> conversions(flights.size());
    const int clipJobs = flights.size() == 1 ? jobs : 1;
    RunInOrder(flights.size(), jobs,
        [&](std::size_t k) { conversions[k] = ConvertFlight(clips, flights[k], options, mode, clipJobs, keepFlights, watch); },
        [&](std::size_t k) {
            done(k, conversions[k]);
            conversions[k] = FlightConversion();
        });
}

namespace {

// Whether the clips of `flight` are joined (DeriveJoinedClip, RunWayOn):
// with Auto, every clip read before and none read by the input patterns.
bool JoinsClips(const std::vector<CardClip>& clips, const CardFlight& flight, JoinMode mode)
{
    return mode == JoinMode::Auto && std::all_of(flight.Clips.begin(), flight.Clips.end(), [&](std::size_t i) {
        const LogReadResult& read = clips[i].Result;
        return clips[i].Read && (read.Status != ReadStatus::Ok || (read.Log.Family && !read.Log.Family->ReadByPatterns()));
    });
}

} // namespace

FlightConversion ConvertFlight(std::vector<CardClip>& clips, const CardFlight& flight, const ConversionOptions& options,
                               JoinMode mode, int jobs, bool keepFlights, CardWatch* watch)
{
    FlightConversion conversion;
    conversion.StartWayM = conversion.EndWayM = options.Request.WayBeforeM;
    const std::size_t n = flight.Clips.size();
    conversion.Clips.resize(n);
    conversion.Summaries.resize(n);
    conversion.Skipped.assign(n, 0);
    const bool whole = mode == JoinMode::Auto && flight.Complete && n > 1;
    // Joined clips need only the first clip before them: they are derived
    // side by side, and their ways run on in flight order. Chained ones are
    // derived one after the other, each from the way the one before reached.
    const bool joined = JoinsClips(clips, flight, mode);
    const int stepJobs = JobsEach(jobs, n);
    const TrackSettings settings = TrackSettingsOf(options.Request);
    std::vector<ConversionRequest> requests(n);
    JoinContext join;   // the flight so far
    JoinContext start;  // what the clips derived side by side take: the first clip's home and take-off
    double wayBefore = options.Request.WayBeforeM;
    bool allRead = true;
    const auto cancelled = [&] { return watch && watch->Cancelled(); };

    // Read (unless read before) and derive one clip.
    const auto derive = [&](std::size_t k) {
        CardClip& clip = clips[flight.Clips[k]];
        if (cancelled()) {
            conversion.Skipped[k] = 1;
            return;
        }
        requests[k] = RequestForLog(options, clip.Log, joined ? options.Request.WayBeforeM : wayBefore);
        LogReadResult read = clip.Read ? std::move(clip.Result) : ReadLogFor(requests[k], stepJobs);
        conversion.Clips[k] = DeriveReadLog(requests[k], std::move(read), joined ? &start : nullptr, stepJobs);
    };
    // In flight order: the clip's way runs on from the one before (joined),
    // or the next one starts from it as the window's field carries it (one
    // decimal, read back). False for a clip not to be written.
    const auto joinOn = [&](std::size_t k) {
        ConversionResult& result = conversion.Clips[k];
        if (conversion.Skipped[k])
            return false;
        if (result.Read != ReadStatus::Ok) {
            allRead = false;
            return false;
        }
        if (joined) {
            RunWayOn(result.Flight, settings, join);
            result.WayAfterM = result.Flight.Points.back().WayM;
        }
        wayBefore = joined ? result.WayAfterM : ReadWayBefore(FormatWayBefore(result.WayAfterM));
        conversion.EndWayM = result.WayAfterM;
        return true;
    };
    const auto write = [&](std::size_t k) {
        ConversionResult& result = conversion.Clips[k];
        if (cancelled()) {
            conversion.Skipped[k] = 1;
            result.Flight = Flight();
            return;
        }
        WriteOutputs(requests[k], result, stepJobs);
        if (watch)
            ++watch->ClipsDone;
        conversion.Summaries[k] = BuildReadSummary(result.Flight, requests[k]).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        if (!keepFlights && !whole)
            result.Flight = Flight();
    };

    std::size_t first = 0;  // the clips up to the first one read one after the other
    for (; joined && first < n && !join.Started; ++first) {
        derive(first);
        if (joinOn(first))
            write(first);
    }
    start = join;
    InOrderStep inOrder;
    RunInOrder(n - first, jobs, [&](std::size_t j) {
        const std::size_t k = first + j;
        if (joined)
            derive(k);
        bool toWrite = false;
        inOrder.Step(j, [&] {
            if (!joined)
                derive(k);
            toWrite = joinOn(k);
        });
        if (toWrite)
            write(k);
    }, [](std::size_t) {});

    allRead = allRead && std::find(conversion.Skipped.begin(), conversion.Skipped.end(), 1) == conversion.Skipped.end();
    std::vector<Flight> derived;  // the clips' flights, for the outputs of the whole flight
    for (ConversionResult& result : conversion.Clips) {
        if (whole && allRead && result.Read == ReadStatus::Ok)
            derived.push_back(keepFlights ? result.Flight : std::move(result.Flight));
        if (!keepFlights)
            result.Flight = Flight();
    }
    if (!whole || !allRead)
        return conversion;

    // The whole flight's outputs: those that are not the clip's own (the
    // subtitle file and the route belong to each clip's video).
    std::vector<const Flight*> parts;
    for (const Flight& part : derived)
        parts.push_back(&part);
    ConversionResult wholeFlight;
    wholeFlight.Flight = JoinClips(parts);
    derived.clear();
    const QString firstLog = clips[flight.Clips.front()].Log;
    ConversionRequest request = RequestForLog(options, DeriveOutputNames(firstLog).Base + QStringLiteral(".flight.SRT"), wayBefore);
    request.InputName = firstLog;
    request.Outputs.erase(std::remove_if(request.Outputs.begin(), request.Outputs.end(),
                                         [](const ConversionRequest::Output& output) { return output.Kind->ByDefault; }),
                          request.Outputs.end());
    WriteOutputs(request, wholeFlight, jobs);
    conversion.FlightOutputs = std::move(wholeFlight.Outputs);
    return conversion;
}

FlightSummary SummariseFlight(const std::vector<CardClip>& clips, const CardFlight& flight, const FlightConversion& conversion)
{
    FlightSummary summary;
    const ClipFacts* first = nullptr;
    const ClipFacts* last = nullptr;
    for (std::size_t c = 0; c < flight.Clips.size(); ++c) {
        const CardClip& clip = clips[flight.Clips[c]];
        if (conversion.Clips[c].Read != ReadStatus::Ok)
            continue;
        summary.Clips << clip.Log;
        first = first ? first : &clip.Facts;
        last = &clip.Facts;
        summary.DurationMs += clip.Facts.DurationMs;
    }
    if (!first)
        return summary;
    summary.StartLocalMs = first->FirstLocalMs;
    if (first->FirstLocalMs != kNoTime && last->LastLocalMs != kNoTime)
        summary.DurationMs = last->LastLocalMs - first->FirstLocalMs;
    summary.PathM = conversion.EndWayM - conversion.StartWayM;
    return summary;
}

FlightOutcome OutcomeOfFlight(const std::vector<CardClip>& clips, const CardFlight& flight, const FlightConversion& conversion)
{
    FlightOutcome outcome;
    const auto files = [&](const std::vector<ConversionResult::Output>& outputs) {
        std::vector<FlightOutcome::File> listed;
        for (const ConversionResult::Output& output : outputs) {
            listed.push_back({output.Name, output.Written(), OutputOutcomeMessage(output).Text});
            outcome.AllWritten = outcome.AllWritten && output.Written();
        }
        return listed;
    };
    for (std::size_t c = 0; c < flight.Clips.size(); ++c) {
        FlightOutcome::Clip clip;
        clip.Log = clips[flight.Clips[c]].Log;
        clip.Skipped = conversion.Skipped[c] != 0;
        clip.Result = &conversion.Clips[c];
        clip.Summary = conversion.Summaries[c];
        if (clip.Converted())
            clip.Files = files(clip.Result->Outputs);
        outcome.AllWritten = outcome.AllWritten && clip.Converted();
        outcome.Clips.push_back(clip);
    }
    outcome.FlightFiles = files(conversion.FlightOutputs);
    return outcome;
}

CardInput CardInputOf(const QStringList& names, bool recursive)
{
    CardInput input;
    for (const QString& name : names) {
        if (name.isEmpty() || !QFileInfo(name).isDir()) {
            input.Clips.emplace_back(name);
            continue;
        }
        input.Folder = true;
        const QStringList logs = LogsInFolder(name, recursive);
        if (logs.isEmpty())
            input.EmptyFolders << name;
        for (const QString& log : logs)
            input.Clips.emplace_back(log);
    }
    return input;
}

QStringList NamesOfInputText(const QString& text)
{
    static const QRegularExpression list(QStringLiteral("^\\s*(\"[^\"]*\"\\s*){2,}$"));
    if (!list.match(text).hasMatch())
        return {text};
    QStringList names;
    static const QRegularExpression quoted(QStringLiteral("\"([^\"]*)\""));
    for (QRegularExpressionMatchIterator it = quoted.globalMatch(text); it.hasNext();)
        names << it.next().captured(1);
    return names;
}

QString InputTextOfNames(const QStringList& names)
{
    return QLatin1Char('"') + names.join(QStringLiteral("\" \"")) + QLatin1Char('"');
}
