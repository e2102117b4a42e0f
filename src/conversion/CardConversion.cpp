#include "conversion/CardConversion.h"

#include "conversion/ConversionSettings.h"
#include "conversion/ReadSummary.h"

#include <QDirIterator>
#include <QSet>
#include <QFileInfo>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <future>
#include <mutex>
#include <numeric>
#include <set>
#include <thread>

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

void RunInOrder(std::size_t count, int jobs, const std::function<void(std::size_t)>& work,
                const std::function<void(std::size_t)>& done)
{
    const std::size_t threads = std::min<std::size_t>(std::max(jobs, 1), count);
    if (threads <= 1) {
        for (std::size_t i = 0; i < count; ++i) {
            work(i);
            done(i);
        }
        return;
    }
    std::atomic<std::size_t> next{0};
    std::mutex mutex;
    std::condition_variable finished;
    std::vector<char> ready(count, 0);
    std::vector<std::thread> pool;
    for (std::size_t t = 0; t < threads; ++t) {
        pool.emplace_back([&] {
            for (std::size_t i = next++; i < count; i = next++) {
                work(i);
                const std::lock_guard<std::mutex> lock(mutex);
                ready[i] = 1;
                finished.notify_all();
            }
        });
    }
    for (std::size_t i = 0; i < count; ++i) {
        std::unique_lock<std::mutex> lock(mutex);
        finished.wait(lock, [&] { return ready[i] != 0; });
        lock.unlock();
        done(i);
    }
    for (std::thread& thread : pool)
        thread.join();
}

void ReadClips(std::vector<CardClip>& clips, const ConversionOptions& options, int jobs, CardWatch* watch)
{
    RunInOrder(clips.size(), jobs, [&](std::size_t i) {
        CardClip& clip = clips[i];
        if (watch && watch->Cancelled())
            return;
        clip.Result = ReadFlightLog(clip.Log, options.Request.Patterns, options.Request.FormatId,
                                    WantsCameraSettings(RequestForLog(options, clip.Log, 0.0)));
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

FlightConversion ConvertFlight(std::vector<CardClip>& clips, const CardFlight& flight, const ConversionOptions& options,
                               JoinMode mode, int jobs, bool keepFlights, CardWatch* watch)
{
    FlightConversion conversion;
    conversion.StartWayM = conversion.EndWayM = options.Request.WayBeforeM;
    double wayBefore = options.Request.WayBeforeM;
    JoinContext join;
    bool allRead = true;
    const bool whole = mode == JoinMode::Auto && flight.Complete && flight.Clips.size() > 1;
    const std::size_t n = flight.Clips.size();
    // Joined clips (Auto, no log read by the input patterns) need only the
    // first clip before them: they are derived side by side, and their ways
    // run on in flight order. Chained ones are derived one after the other.
    bool joinedFlight = mode == JoinMode::Auto;
    for (const std::size_t i : flight.Clips) {
        const LogReadResult& read = clips[i].Result;
        if (!clips[i].Read || (read.Status == ReadStatus::Ok && (!read.Log.Family || read.Log.Family->ReadByPatterns())))
            joinedFlight = false;
    }
    const TrackSettings settings = TrackSettingsOf(options.Request);
    std::vector<ConversionRequest> requests(n);
    JoinContext start;  // what the clips derived side by side take: the first clip's home and take-off
    conversion.Clips.resize(n);
    conversion.Summaries.resize(n);
    conversion.Skipped.assign(n, 0);
    const auto cancelled = [&] { return watch && watch->Cancelled(); };
    const auto derive = [&](std::size_t k) {
        CardClip& clip = clips[flight.Clips[k]];
        if (cancelled()) {
            conversion.Skipped[k] = 1;
            return;
        }
        requests[k] = RequestForLog(options, clip.Log, joinedFlight ? options.Request.WayBeforeM : wayBefore);
        ConversionRequest request = requests[k];
        request.Outputs.clear();
        LogReadResult read = clip.Read ? std::move(clip.Result)
                                       : ReadFlightLog(clip.Log, request.Patterns, request.FormatId, WantsCameraSettings(requests[k]));
        conversion.Clips[k] = ConvertReadLog(request, std::move(read), joinedFlight ? &start : nullptr);
    };
    // The clips' outputs are written on other threads, at most `jobs` clips
    // at a time, while the next ones are derived.
    std::deque<std::future<void>> writing;
    const auto finish = [&](std::size_t k) {
        ConversionResult& result = conversion.Clips[k];
        if (cancelled()) {
            conversion.Skipped[k] = 1;
            result.Flight = Flight();
            return;
        }
        WriteOutputs(requests[k], result);
        if (watch)
            ++watch->ClipsDone;
        QString summary = BuildReadSummary(result.Flight, requests[k]);
        conversion.Summaries[k] = summary.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        if (!keepFlights && !whole)
            result.Flight = Flight();
    };
    const auto carry = [&](std::size_t k) {
        ConversionResult& result = conversion.Clips[k];
        if (conversion.Skipped[k])
            return;
        if (result.Read != ReadStatus::Ok) {
            allRead = false;
            return;
        }
        if (joinedFlight) {
            RunWayOn(result.Flight, settings, join);
            result.WayAfterM = result.Flight.Points.back().WayM;
        }
        // As the window's field carries it: the way with one decimal, read back.
        wayBefore = joinedFlight ? result.WayAfterM : ReadWayBefore(FormatWayBefore(result.WayAfterM));
        conversion.EndWayM = result.WayAfterM;
        if (jobs <= 1) {
            finish(k);
            return;
        }
        while (writing.size() >= static_cast<std::size_t>(jobs)) {
            writing.front().get();
            writing.pop_front();
        }
        writing.push_back(std::async(std::launch::async, finish, k));
    };
    std::size_t k = 0;
    for (; k < n && !(joinedFlight && join.Started); ++k) {
        derive(k);
        carry(k);
    }
    start = join;
    RunInOrder(n - k, joinedFlight ? jobs : 1, [&](std::size_t j) { derive(k + j); }, [&](std::size_t j) { carry(k + j); });
    for (std::future<void>& write : writing)
        write.get();
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

    std::vector<const Flight*> parts;
    for (const Flight& part : derived)
        parts.push_back(&part);
    const Flight wholeFlight = JoinClips(parts);
    derived.clear();
    const QString firstLog = clips[flight.Clips.front()].Log;
    const QString flightLog = DeriveOutputNames(firstLog).Base + QStringLiteral(".flight.SRT");
    const ConversionRequest request = RequestForLog(options, flightLog, wayBefore);
    for (const ConversionRequest::Output& output : request.Outputs) {
        // The subtitle file and the route belong to each clip's video.
        if (!output.Kind->ByDefault)
            conversion.FlightOutputs.push_back({output.Kind, output.Name});
    }
    // The CSV takes about as long as the other three together: it starts
    // first, so that the others share the other core meanwhile.
    std::vector<std::size_t> order(conversion.FlightOutputs.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_partition(order.begin(), order.end(), [&](std::size_t k) {
        return QLatin1String(conversion.FlightOutputs[k].Kind->Id) == QLatin1String("csv");
    });
    RunInOrder(order.size(), jobs, [&](std::size_t j) {
        ConversionResult::Output& written = conversion.FlightOutputs[order[j]];
        written.Check = CheckOutputName(written.Name, firstLog);
        if (written.Check == NameCheck::Ok)
            written.Status = SaveOutput(*written.Kind, wholeFlight, request.OutPattern, written.Name);
    }, [](std::size_t) {});
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
