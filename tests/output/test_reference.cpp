#include "input/InputPatterns.h"
#include "input/LogReader.h"
#include "output/GpxWriter.h"
#include "output/SrtWriter.h"
#include "track/TrackPasses.h"

#include "support/GpxConsumers.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTest>

// Every folder under data/reference holds a flight log (flight.SRT) and the
// two files a conversion with the start-up settings must produce from it:
// expected.sorned.srt (five smoothing sweeps, way before 0, the default output
// pattern with the LF line breaks the window hands over) and expected.gpx
// (the records as parsed, every fifth one). Each folder's README.txt says how
// its expected files were derived.
class TestReference : public QObject {
    Q_OBJECT

private slots:
    void conversion_data();
    void conversion();

private:
    static QByteArray ReadFile(const QString& path);
    static void CompareOrSave(const QByteArray& actual, const QString& expectedPath, const QString& caseName,
                              const QString& fileName);
};

QByteArray TestReference::ReadFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("cannot read ") + path.toUtf8();
    return file.readAll();
}

// On a mismatch the actual output goes into the build tree so that it can be
// compared with `diff -u expected actual`.
void TestReference::CompareOrSave(const QByteArray& actual, const QString& expectedPath, const QString& caseName,
                                  const QString& fileName)
{
    const QByteArray expected = ReadFile(expectedPath);
    if (actual == expected)
        return;
    const QString dir = QCoreApplication::applicationDirPath() + QStringLiteral("/reference-actual/") + caseName;
    QDir().mkpath(dir);
    const QString actualPath = dir + QLatin1Char('/') + fileName;
    QFile out(actualPath);
    if (out.open(QIODevice::WriteOnly))
        out.write(actual);
    QFAIL(qPrintable(QStringLiteral("%1 differs; see: diff -u %2 %3").arg(fileName, expectedPath, actualPath)));
}

void TestReference::conversion_data()
{
    QTest::addColumn<QString>("folder");
    const QDir root(QStringLiteral(TEST_DATA_DIR "/reference"));
    const QStringList cases = root.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    QVERIFY2(!cases.isEmpty(), "no reference cases found");
    for (const QString& name : cases)
        QTest::newRow(qPrintable(name)) << root.filePath(name);
}

void TestReference::conversion()
{
    QFETCH(QString, folder);
    const QString caseName = QDir(folder).dirName();

    const LogReadResult read = ReadFlightLog(folder + QStringLiteral("/flight.SRT"), InputPatterns::Defaults());
    QCOMPARE(int(read.Status), int(ReadStatus::Ok));
    QVERIFY(!read.Records.empty());

    // The route is made from the records as parsed.
    QBuffer gpx;
    QVERIFY(gpx.open(QIODevice::WriteOnly));
    QVERIFY(WriteGpxRoute(read.Records, &gpx, GpxRecordStep));

    FlightRecordList derived = read.Records;
    DeriveTrack(derived, 5, 0.0);
    QString pattern = DefaultOutputPattern();
    pattern.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const QByteArray srt = RenderSrtBlocks(derived, pattern);

    CompareOrSave(srt, folder + QStringLiteral("/expected.sorned.srt"), caseName, QStringLiteral("actual.sorned.srt"));
    CompareOrSave(gpx.data(), folder + QStringLiteral("/expected.gpx"), caseName, QStringLiteral("actual.gpx"));

    QVERIFY(!srt.startsWith("\xef\xbb\xbf"));
    VERIFY_GPX_CONSUMERS(gpx.data());
}

QTEST_GUILESS_MAIN(TestReference)
#include "test_reference.moc"
