// Every folder under data/reference is one case: flight.SRT, `args` (velloa-cli
// options, one a line, `--name=value`), expected.<suffix> for each output that
// must be written (flight.<suffix>), and where messages matter expected.stdout,
// expected.stderr (none: nothing on standard error) and expected.exit (none:
// 0). Each case runs through the core functions and through velloa-cli; every
// output is compared byte for byte and every route is handed to the GPX
// consumers. A differing output is kept in the build tree for `diff -u`.
#include "input/ConversionSettings.h"
#include "input/LogReader.h"
#include "output/OutputFiles.h"
#include "output/SrtWriter.h"
#include "support/Support.h"
#include "track/TrackPasses.h"

#include <QTemporaryDir>

namespace {

const QString kData = QStringLiteral(TEST_DATA_DIR "/reference/");

// The conversion as velloa-cli runs it, from the core functions alone: the
// route from the records as parsed, the subtitles after the track passes.
void ConvertWithCore(const QString& folder, const QStringList& args, const QString& outDir)
{
    InputPatterns patterns = InputPatterns::Defaults();
    QString smooth = QStringLiteral("5"), way = QStringLiteral("0.0");
    QString pattern = DefaultOutputPattern().replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    for (const QString& arg : args) {
        const QString name = arg.section(QLatin1Char('='), 0, 0), value = arg.section(QLatin1Char('='), 1);
        if (name == QLatin1String("--smooth"))
            smooth = value;
        else if (name == QLatin1String("--way-before"))
            way = value;
        else if (name == QLatin1String("--pattern"))
            patterns.Texts[InputPatterns::IndexOfLabel(value.section(QLatin1Char('='), 0, 0))] = value.section(QLatin1Char('='), 1);
        else if (name == QLatin1String("--out-pattern-file"))
            pattern = QString::fromUtf8(ReadFile(folder + value));
    }
    LogReadResult read = ReadFlightLog(folder + QStringLiteral("flight.SRT"), patterns);
    if (!args.contains(QStringLiteral("--no-gpx")))
        SaveGpxFile(read.Records, outDir + QStringLiteral("/flight.gpx"));
    DeriveTrack(read.Records, ReadSmoothingCount(smooth), ReadWayBefore(way));
    if (!args.contains(QStringLiteral("--no-srt")))
        SaveSrtFile(read.Records, pattern, outDir + QStringLiteral("/flight.sorned.srt"));
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
        if (suffix == QLatin1String("stdout") || suffix == QLatin1String("stderr") || suffix == QLatin1String("exit"))
            continue;
        const QString output = dir + QStringLiteral("/flight.") + suffix;
        Compare(folder, suffix, ReadFile(output), half);
        if (suffix == QLatin1String("gpx"))
            VERIFY_GPX(output);
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
