// Reading a log from disk, and reading the two numeric fields of a conversion.

#include "input/ConversionSettings.h"
#include "input/LogReader.h"

#include <QtTest>

#include <cmath>
#include <limits>

#include <unistd.h>

namespace {

QString WriteFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return QString();
    return path;
}

void CheckMessage(const UserMessage& m, const QString& text)
{
    QCOMPARE(m.Icon, UserMessage::Kind::Warning);
    QCOMPARE(m.Title, QStringLiteral("Info"));
    QCOMPARE(m.Text, text);
}

}  // namespace

class TestReader : public QObject {
    Q_OBJECT

private slots:
    void missingFile();
    void directory();
    void unreadableFile();
    void failedRead();
    void emptyFile();
    void tooLargeFile();
    void goodFile();
    void smoothingCount_data();
    void smoothingCount();
    void wayBefore_data();
    void wayBefore();
    void wayBeforeIgnoresLocale();
    void formatWayBefore_data();
    void formatWayBefore();
};

void TestReader::missingFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    for (const QString& name : {dir.filePath(QStringLiteral("nothing.SRT")), QStringLiteral("   ")}) {
        const LogReadResult r = ReadFlightLog(name, InputPatterns::Defaults());
        QCOMPARE(r.Status, ReadStatus::Missing);
        QVERIFY(r.Records.empty());
    }
    CheckMessage(ReadOutcomeMessage(ReadStatus::Missing), QStringLiteral("File not exists."));
}

void TestReader::directory()
{
    // A directory exists but is no log: refused, not read as an empty list.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("flight.SRT")));
    for (const QString& name : {dir.path(), dir.filePath(QStringLiteral("flight.SRT"))}) {
        const LogReadResult r = ReadFlightLog(name, InputPatterns::Defaults());
        QCOMPARE(r.Status, ReadStatus::NotOpened);
        QVERIFY(r.Records.empty());
    }
    CheckMessage(ReadOutcomeMessage(ReadStatus::NotOpened), QStringLiteral("File not opened."));
}

void TestReader::unreadableFile()
{
    if (::geteuid() == 0)
        QSKIP("root reads files whatever their permissions");
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = WriteFile(dir, QStringLiteral("locked.SRT"), "1\r\nx\r\n\r\n");
    QVERIFY(!path.isEmpty());
    QVERIFY(QFile::setPermissions(path, QFileDevice::WriteOwner));
    const LogReadResult r = ReadFlightLog(path, InputPatterns::Defaults());
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QCOMPARE(r.Status, ReadStatus::NotOpened);
    QVERIFY(r.Records.empty());
}

void TestReader::failedRead()
{
    // Opening /proc/self/mem succeeds, but reading from its start fails with
    // an I/O error. A read that fails must not pass for a (shortened) log.
    const QString path = QStringLiteral("/proc/self/mem");
    if (!QFileInfo::exists(path))
        QSKIP("needs Linux /proc");
    const LogReadResult r = ReadFlightLog(path, InputPatterns::Defaults());
    QCOMPARE(r.Status, ReadStatus::NotOpened);
    QVERIFY(r.Records.empty());
}

void TestReader::emptyFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = WriteFile(dir, QStringLiteral("empty.SRT"), QByteArray());
    QVERIFY(!path.isEmpty());
    const LogReadResult r = ReadFlightLog(path, InputPatterns::Defaults());
    QCOMPARE(r.Status, ReadStatus::Empty);
    QVERIFY(r.Records.empty());
    // An empty file is not reported to the user.
    QVERIFY(ReadOutcomeMessage(ReadStatus::Empty).IsEmpty());
    QVERIFY(ReadOutcomeMessage(ReadStatus::Ok).IsEmpty());
}

void TestReader::tooLargeFile()
{
    // A sparse file just over the limit: refused before anything is read.
    // (Qt hands back an empty array for a file beyond 2 GiB, which used to
    // pass for an empty log without a word.)
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("huge.SRT"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(file.resize(kMaxLogBytes + 1));
    file.close();
    const LogReadResult r = ReadFlightLog(path, InputPatterns::Defaults());
    QCOMPARE(r.Status, ReadStatus::TooLarge);
    CheckMessage(ReadOutcomeMessage(ReadStatus::TooLarge), QStringLiteral("File too large."));
}

void TestReader::goodFile()
{
    // Two blocks with CR LF; the bytes must arrive unchanged (no text mode),
    // so the time range keeps no stray CR.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QByteArray bytes =
        "1\r\n00:00:00,000 --> 00:00:01,000\r\nHOME(-58.3816,-34.6037) 2019.06.20 12:34:56\r\n"
        "GPS(-58.3816,-34.6037,17) BAROMETER:-0.2\r\n\r\n"
        "2\r\n00:00:01,000 --> 00:00:02,000\r\nHOME(-58.3816,-34.6037) 2019.06.20 12:34:57\r\n"
        "GPS(-58.3817,-34.6038,17) BAROMETER:0.8";
    const QString path = WriteFile(dir, QStringLiteral("flight.SRT"), bytes);
    QVERIFY(!path.isEmpty());
    const LogReadResult r = ReadFlightLog(path, InputPatterns::Defaults());
    QCOMPARE(r.Status, ReadStatus::Ok);
    QCOMPARE(r.Records.size(), std::size_t(2));
    QCOMPARE(r.Records[0].SrtTime, QStringLiteral("00:00:00,000 --> 00:00:01,000"));
    QCOMPARE(r.Records[0].Barometer, -0.2);
    QCOMPARE(r.Records[1].Lat, -34.6038);
    QCOMPARE(r.Records[1].Lon, -58.3817);
    QCOMPARE(r.Records[1].FlyTime, QStringLiteral("2019.06.20 12:34:57"));

    // A file of nothing but empty lines is read, and gives an empty list.
    const QString blank = WriteFile(dir, QStringLiteral("blank.SRT"), "\r\n\r\n");
    const LogReadResult b = ReadFlightLog(blank, InputPatterns::Defaults());
    QCOMPARE(b.Status, ReadStatus::Ok);
    QVERIFY(b.Records.empty());
}

void TestReader::smoothingCount_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("count");
    QTest::newRow("start-up value") << QStringLiteral("5") << 5;
    QTest::newRow("zero") << QStringLiteral("0") << 0;
    QTest::newRow("negative") << QStringLiteral("-3") << -3;
    QTest::newRow("decimal") << QStringLiteral("2.5") << 0;
    QTest::newRow("letters") << QStringLiteral("abc") << 0;
    QTest::newRow("empty") << QString() << 0;
    QTest::newRow("hexadecimal") << QStringLiteral("0x10") << 0;
    QTest::newRow("too large for int") << QStringLiteral("99999999999") << 0;
}

void TestReader::smoothingCount()
{
    QFETCH(QString, text);
    QFETCH(int, count);
    QCOMPARE(ReadSmoothingCount(text), count);
}

void TestReader::wayBefore_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("metres");
    QTest::newRow("start-up value") << QStringLiteral("0.0") << 0.0;
    QTest::newRow("decimal point") << QStringLiteral("12.5") << 12.5;
    QTest::newRow("negative") << QStringLiteral("-3.25") << -3.25;
    QTest::newRow("decimal comma") << QStringLiteral("1,5") << 0.0;
    QTest::newRow("digit grouping") << QStringLiteral("1,234.5") << 0.0;
    QTest::newRow("letters") << QStringLiteral("abc") << 0.0;
    QTest::newRow("nan") << QStringLiteral("nan") << 0.0;
    QTest::newRow("empty") << QString() << 0.0;
    QTest::newRow("exponent") << QStringLiteral("1.5e3") << 1500.0;
}

void TestReader::wayBefore()
{
    QFETCH(QString, text);
    QFETCH(double, metres);
    QCOMPARE(ReadWayBefore(text), metres);
}

void TestReader::wayBeforeIgnoresLocale()
{
    // A German user still types a point; a comma is still no number.
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const double point = ReadWayBefore(QStringLiteral("12.5"));
    const double comma = ReadWayBefore(QStringLiteral("1,5"));
    QLocale::setDefault(saved);
    QCOMPARE(point, 12.5);
    QCOMPARE(comma, 0.0);
}

void TestReader::formatWayBefore_data()
{
    QTest::addColumn<double>("metres");
    QTest::addColumn<QString>("text");
    QTest::newRow("zero") << 0.0 << QStringLiteral("0.0");
    QTest::newRow("rounded") << 12.34 << QStringLiteral("12.3");
    QTest::newRow("five digits") << 12345.67 << QStringLiteral("12345.7");
    QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN() << QStringLiteral("nan");
}

void TestReader::formatWayBefore()
{
    QFETCH(double, metres);
    QFETCH(QString, text);
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const QString formatted = FormatWayBefore(metres);
    QLocale::setDefault(saved);
    QCOMPARE(formatted, text);
    // What is written back reads back as the same value (NaN as 0).
    if (!std::isnan(metres))
        QCOMPARE(ReadWayBefore(formatted), text.toDouble());
    else
        QCOMPARE(ReadWayBefore(formatted), 0.0);
}

QTEST_GUILESS_MAIN(TestReader)
#include "test_reader.moc"
