// Times each stage of a conversion of one log with the built-in settings:
//   velloa-stages LOG [RUNS]
// Prints the median of RUNS (default 5) for every stage, in milliseconds.
#include "input/InputPatterns.h"
#include "input/SrtParser.h"
#include "output/GpxWriter.h"
#include "output/SrtWriter.h"
#include "track/TrackPasses.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRegExp>

#include <algorithm>
#include <cstdio>
#include <map>
#include <vector>

namespace {

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: velloa-stages LOG [RUNS]\n");
        return 2;
    }
    const int runs = args.size() > 2 ? std::max(1, args[2].toInt()) : 5;
    const InputPatterns defaults = InputPatterns::Defaults();
    QString pattern = DefaultOutputPattern();
    pattern.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));

    const char* const stages[] = {"read file", "split and decode", "parse, built-in patterns",
        "parse, six QRegExp searches", "track passes", "subtitle writer", "GPX writer"};
    std::map<std::string, std::vector<double>> times;
    qint64 bytesRead = 0;
    std::size_t records = 0;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        auto lap = [&](const char* stage) {
            times[stage].push_back(timer.nsecsElapsed() / 1e6);
            timer.restart();
        };

        timer.start();
        QFile file(args[1]);
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot open %s\n", qPrintable(args[1]));
            return 1;
        }
        const QByteArray bytes = file.readAll();
        bytesRead = bytes.size();
        lap(stages[0]);

        const QStringList blocks = SplitSrtBlocks(bytes);
        lap(stages[1]);

        // Parsing from the blocks already split; the reader does both in one
        // pass, without holding the list of block texts.
        CompiledPatterns compiled(defaults);
        FlightRecordList list(static_cast<std::size_t>(blocks.size()));
        for (int i = 0; i < blocks.size(); ++i)
            ParseSrtBlock(blocks[i], list[static_cast<std::size_t>(i)], compiled);
        lap(stages[2]);

        std::vector<QRegExp> expressions;
        for (const QString& text : defaults.Texts)
            expressions.emplace_back(text, Qt::CaseSensitive, QRegExp::RegExp);
        int found = 0;
        for (const QString& block : blocks) {
            for (QRegExp& rx : expressions)
                found += rx.indexIn(block, 0, QRegExp::CaretAtZero) >= 0;
        }
        lap(stages[3]);
        if (found < 0)
            return 1;

        FlightLog log;
        log.Records = std::move(list);
        const Flight flight = DeriveFlight(std::move(log), {5, 0.0, false});
        lap(stages[4]);

        QBuffer srt;
        srt.open(QIODevice::WriteOnly);
        WriteSrtBlocks(flight, pattern, &srt);
        lap(stages[5]);

        QBuffer gpx;
        gpx.open(QIODevice::WriteOnly);
        WriteGpxRoute(flight, &gpx, GpxRecordStep);
        lap(stages[6]);
        records = flight.Log.Records.size();
    }

    std::printf("%s: %lld bytes, %zu records, median of %d runs\n", qPrintable(args[1]),
        static_cast<long long>(bytesRead), records, runs);
    for (const char* stage : stages) {
        const double ms = Median(times[stage]);
        std::printf("  %-30s %9.1f ms  %8.1f MB/s\n", stage, ms, bytesRead / 1e6 / (ms / 1e3));
    }
    return 0;
}
