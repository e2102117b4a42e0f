// Every folder under data/reference is one case: flight.SRT, `args` (velloa-cli
// options, one a line, `--name=value`), expected.<suffix> for each output that
// must be written (flight.<suffix>), and where messages matter expected.stdout,
// expected.stderr (none: nothing on standard error) and expected.exit (none:
// 0). Each case runs through the core functions and through velloa-cli; every
// output is compared byte for byte and every route is handed to the GPX
// consumers. A differing output is kept in the build tree for `diff -u`.
#include "input/ConversionSettings.h"
#include "input/LogReader.h"
#include "output/Conversion.h"
#include "output/OutputFiles.h"
#include "output/SrtWriter.h"
#include "support/Support.h"
#include "track/TrackPasses.h"

#include <QTemporaryDir>

namespace {

const QString kData = QStringLiteral(TEST_DATA_DIR "/reference/");

// The conversion as velloa-cli runs it, through the core's conversion path
// alone: the case's options into one request.
void ConvertWithCore(const QString& folder, const QStringList& args, const QString& outDir)
{
    ConversionRequest request;
    request.InputName = folder + QStringLiteral("flight.SRT");
    request.OutPattern = DefaultOutputPattern().replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QString smooth = QStringLiteral("5"), way = QStringLiteral("0.0");
    for (const QString& arg : args) {
        const QString name = arg.section(QLatin1Char('='), 0, 0), value = arg.section(QLatin1Char('='), 1);
        if (name == QLatin1String("--smooth"))
            smooth = value;
        else if (name == QLatin1String("--way-before"))
            way = value;
        else if (name == QLatin1String("--format"))
            request.FormatId = value;
        else if (name == QLatin1String("--use-height"))
            request.UseHeight = true;
        else if (name == QLatin1String("--time-zone"))
            request.TimeZone = value;
        else if (name == QLatin1String("--privacy-radius"))
            QVERIFY(ReadPrivacyRadius(value, &request.PrivacyRadiusM));
        else if (name == QLatin1String("--pattern") && request.FormatId == AutomaticFormatId())
            request.FormatId = PatternsFormatId();  // as velloa-cli: a pattern given applies as written
        if (name == QLatin1String("--pattern"))
            request.Patterns.Texts[InputPatterns::IndexOfLabel(value.section(QLatin1Char('='), 0, 0))] = value.section(QLatin1Char('='), 1);
        else if (name == QLatin1String("--out-pattern-file"))
            request.OutPattern = QString::fromUtf8(ReadFile(folder + value));
    }
    request.SmoothingCount = ReadSmoothingCount(smooth);
    request.WayBeforeM = ReadWayBefore(way);
    for (const OutputKind& kind : OutputKinds()) {
        if (kind.ByDefault && !args.contains(QStringLiteral("--no-") + QLatin1String(kind.Id)))
            request.Outputs.push_back({&kind, outDir + QStringLiteral("/flight") + QLatin1String(kind.Suffix)});
    }
    Convert(request);
}

// `actual` must equal the case's expected.<suffix>, "<missing>" when it has none.
void Compare(const QString& folder, const QString& suffix, const QByteArray& actual, const QString& half)
{
    const QString expectedPath = folder + QStringLiteral("expected.") + suffix;
    if (actual == ReadFile(expectedPath))
        return;
    const QString keep = QCoreApplication::applicationDirPath() + QStringLiteral("/reference-actual/")
        + QDir(folder).dirName() + QLatin1Char('/') + half + QLatin1Char('.') + suffix;
    QDir().mkpath(QFileInfo(keep).path());
    WriteFile(keep, actual);
    QFAIL(qPrintable(QStringLiteral("%1 differs: diff -u %2 %3").arg(half, expectedPath, keep)));
}

// The outputs that appeared in `dir` against the expected ones, both ways.
void CompareOutputs(const QString& folder, const QString& dir, const QStringList& before, const QString& half)
{
    QStringList suffixes;
    for (const QString& name : QDir(folder).entryList({QStringLiteral("expected.*")}))
        suffixes << name.mid(9);
    for (const QString& name : Entries(dir))
        if (!before.contains(name))
            suffixes << name.section(QLatin1Char('.'), 1);
    suffixes.removeDuplicates();
    for (const QString& suffix : suffixes) {
        if (suffix == QLatin1String("stdout") || suffix == QLatin1String("stderr") || suffix == QLatin1String("exit")
            || suffix.endsWith(QLatin1String(".tsv")))
            continue;
        const QString output = dir + QStringLiteral("/flight.") + suffix;
        Compare(folder, suffix, ReadFile(output), half);
        if (suffix == QLatin1String("gpx"))
            VERIFY_GPX(output);
    }
}

// The records read from the log against the generator's account of every
// block (expected.records.tsv; "-": no value), number for number.
void CompareRecords(const QString& folder)
{
    const QByteArray tsv = ReadFile(folder + QStringLiteral("expected.records.tsv"));
    if (tsv == "<missing>")
        return;
    const FlightRecordList records = ReadFlightLog(folder + QStringLiteral("flight.SRT"), InputPatterns::Defaults(),
                                                   AutomaticFormatId()).Log.Records;
    const QList<QByteArray> rows = tsv.trimmed().split('\n').mid(1);
    QCOMPARE(int(records.size()), rows.size());
    for (int i = 0; i < rows.size(); ++i) {
        const QList<QByteArray> f = rows[i].split('\t');
        const FlightRecord& r = records[static_cast<std::size_t>(i)];
        const auto same = [&](const QByteArray& text, bool has, double value) {
            return text == "-" ? !has : has && value == text.toDouble();
        };
        const QDateTime local = QDateTime::fromString(QString::fromLatin1(f[2]), Qt::ISODateWithMs);
        QVERIFY2(r.CueStartMs == f[0].toLongLong() && r.CueEndMs == f[1].toLongLong()
                     && (f[2] == "-" ? r.LocalTimeMs == kNoTime : r.LocalTimeMs == local.toMSecsSinceEpoch() + local.offsetFromUtc() * 1000LL)
                     && same(f[3], r.Gives(FlightRecord::HasPosition), r.Lat) && same(f[4], r.Gives(FlightRecord::HasPosition), r.Lon)
                     && same(f[5], r.Gives(FlightRecord::HasHome), r.HomeLat) && same(f[6], r.Gives(FlightRecord::HasHome), r.HomeLon)
                     && same(f[7], r.Gives(FlightRecord::HasHeight), r.HeightM) && same(f[8], r.Gives(FlightRecord::HasAltitude), r.AltitudeM),
                 qPrintable(QStringLiteral("block %1: %2").arg(i + 1).arg(QString::fromLatin1(rows[i]))));
    }
}

} // namespace

class TestReference : public QObject {
    Q_OBJECT

private slots:
    void conversion_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QStringList>("args");
        for (const QString& name : QDir(kData).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
            const QString args = QString::fromUtf8(ReadFile(kData + name + QStringLiteral("/args")));
            QTest::newRow(qPrintable(name)) << kData + name + QLatin1Char('/')
                                            << (args == QLatin1String("<missing>") ? QStringList()
                                                   : args.split(QLatin1Char('\n'), Qt::SkipEmptyParts));
        }
    }

    void conversion()
    {
        QFETCH(QString, folder);
        QFETCH(QStringList, args);
        QTemporaryDir core, cli;
        CompareRecords(folder);
        ConvertWithCore(folder, args, core.path());
        CompareOutputs(folder, core.path(), {}, QStringLiteral("core"));
        if (QTest::currentTestFailed())
            return;

        for (const QString& name : Entries(folder))
            QVERIFY(QFile::copy(folder + name, cli.filePath(name)));
        const QStringList before = Entries(cli.path());
        const ProcessRun run = RunProgram(QStringList{QStringLiteral(VELLOA_CLI_PATH)} + args
                                          + QStringList{QStringLiteral("flight.SRT")}, cli.path());
        CompareOutputs(folder, cli.path(), before, QStringLiteral("cli"));
        if (QFile::exists(folder + QStringLiteral("expected.stdout")))
            Compare(folder, QStringLiteral("stdout"), run.out, QStringLiteral("cli"));
        Compare(folder, QStringLiteral("stderr"), run.err.isEmpty() ? QByteArray("<missing>") : run.err, QStringLiteral("cli"));
        const QByteArray exit = ReadFile(folder + QStringLiteral("expected.exit"));
        QCOMPARE(run.exitCode, exit == "<missing>" ? 0 : exit.trimmed().toInt());
    }
};

QTEST_GUILESS_MAIN(TestReference)
#include "test_reference.moc"
