// The built-in matcher must give exactly what QRegExp gives for the built-in
// pattern texts: the same match or no match and the same captures, on
// realistic blocks, on damaged ones and on random token soup.
#include "input/DefaultPatternMatcher.h"
#include "input/InputPatterns.h"
#include "input/SrtParser.h"

#include <QRegExp>
#include <QtTest>

#include <cstring>
#include <random>

namespace {

const char* const kTokens[] = {"HOME(", "GPS(", "BAROMETER:", "-->", "HOME", "GPS", "BAROMETER", "(", ")", ",",
    ".", "-", " ", ":", "\r\n", "\n", "\r", "0", "1", "7", "20", "2019", "59", "30.2345", "-58.4001", ".5", "12:34:56",
    "00:00:11,000", " --> ", "-0.0", "9007199254740993.5", "0.1000000000000000055511151231257827",
    "000123.4500", "-.", "2019.06.20 ", "x", "home(", "gps(", "\xC3\xA9", "\xF0\x9F\x9A\x81", "\t", "{", "]"};

QString RealisticBlock(std::mt19937& random)
{
    std::uniform_int_distribution<int> number(0, 99999);
    const QString lon = QString::number(number(random) % 360 - 180) + QLatin1Char('.') + QString::number(number(random));
    const QString lat = QString::number(number(random) % 180 - 90) + QLatin1Char('.') + QString::number(number(random));
    return QString::number(number(random)) + QStringLiteral("\r\n00:00:11,000 --> 00:00:12,000\r\nHOME(") + lon
        + QLatin1Char(',') + lat + QStringLiteral(") 2019.06.20 12:34:56\r\nGPS(") + lat + QLatin1Char(',') + lon
        + QStringLiteral(",17) BAROMETER:") + QString::number(number(random) % 2000 - 100) + QStringLiteral(".4");
}

QString Damaged(QString block, std::mt19937& random)
{
    std::uniform_int_distribution<int> edits(1, 4);
    const int count = edits(random);
    for (int e = 0; e < count && !block.isEmpty(); ++e) {
        std::uniform_int_distribution<int> at(0, block.size() - 1);
        const int position = at(random);
        const QString token = QString::fromUtf8(kTokens[random() % (sizeof kTokens / sizeof *kTokens)]);
        switch (random() % 3) {
        case 0:
            block.remove(position, 1 + int(random() % 6));
            break;
        case 1:
            block.insert(position, token);
            break;
        default:
            block.replace(position, 1, token);
        }
    }
    return block;
}

QString TokenSoup(std::mt19937& random)
{
    QString block;
    const int count = int(random() % 40);
    for (int i = 0; i < count; ++i)
        block += QString::fromUtf8(kTokens[random() % (sizeof kTokens / sizeof *kTokens)]);
    return block;
}

} // namespace

class TestDefaultMatcher : public QObject {
    Q_OBJECT

private slots:
    void handlesOnlyTheBuiltInTexts();
    void knownCases_data();
    void knownCases();
    void agreesWithQRegExp();
    void longBlockIsLinear();
    void leadingDotStarPatternsKeepTheirMatches();
    void leadingDotStarOnALongLineEnds();
};

void TestDefaultMatcher::handlesOnlyTheBuiltInTexts()
{
    const InputPatterns defaults = InputPatterns::Defaults();
    for (int i = 0; i < InputPatterns::Count; ++i) {
        QVERIFY(DefaultPatternMatcher::Handles(i, defaults.Texts[i]));
        QVERIFY(!DefaultPatternMatcher::Handles(i, defaults.Texts[i] + QLatin1Char(' ')));
        QVERIFY(!DefaultPatternMatcher::Handles((i + 1) % InputPatterns::Count, defaults.Texts[i]));
    }
    // The texts without minus signs are other patterns: QRegExp runs them.
    QVERIFY(!DefaultPatternMatcher::Handles(
        InputPatterns::GPS, QStringLiteral(".*GPS[(]([0-9]+[.][0-9]*)[,]([0-9]+[.][0-9]*)[,]")));
}

void TestDefaultMatcher::knownCases_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("block");
    QTest::addColumn<QStringList>("captures");  // empty: no match

    const QString worked = QStringLiteral("12\r\n00:00:11,000 --> 00:00:12,000\r\nHOME(30.2345,59.8765) 2019.06.20 "
                                          "12:34:56\r\nGPS(30.2351,59.8771,17) BAROMETER:25.4");
    QTest::newRow("id digits only") << int(InputPatterns::ID) << QStringLiteral("7") << QStringList{QStringLiteral("7")};
    QTest::newRow("id in a block") << int(InputPatterns::ID) << worked << QStringList();
    QTest::newRow("time") << int(InputPatterns::SrtTime) << worked
                          << QStringList{QStringLiteral("00:00:11,000 --> 00:00:12,000")};
    QTest::newRow("time too short") << int(InputPatterns::SrtTime) << QStringLiteral("1:0 --> 1:1") << QStringList();
    QTest::newRow("home") << int(InputPatterns::Home) << worked
                          << QStringList{QStringLiteral("30.2345"), QStringLiteral("59.8765")};
    QTest::newRow("last home counts") << int(InputPatterns::Home) << QStringLiteral("HOME(1.0,2.0) HOME(-3.5,4.)")
                                      << QStringList{QStringLiteral("-3.5"), QStringLiteral("4.")};
    QTest::newRow("broken last home") << int(InputPatterns::Home) << QStringLiteral("HOME(1.0,2.0) HOME(3,4.0)")
                                      << QStringList{QStringLiteral("1.0"), QStringLiteral("2.0")};
    QTest::newRow("gps") << int(InputPatterns::GPS) << worked
                         << QStringList{QStringLiteral("30.2351"), QStringLiteral("59.8771")};
    QTest::newRow("gps needs third comma") << int(InputPatterns::GPS) << QStringLiteral("GPS(1.0,2.0)") << QStringList();
    QTest::newRow("fly time") << int(InputPatterns::FlyTime) << worked << QStringList{QStringLiteral("2019.06.20 12:34:56")};
    QTest::newRow("fly time negative home")
        << int(InputPatterns::FlyTime) << QStringLiteral("HOME(-58.4,-34.6) 2019.06.20 12:00:00")
        << QStringList{QStringLiteral("2019.06.20 12:00:00")};
    QTest::newRow("barometer") << int(InputPatterns::Barometer) << worked << QStringList{QStringLiteral("25.4")};
    QTest::newRow("barometer lone point") << int(InputPatterns::Barometer) << QStringLiteral("BAROMETER:.")
                                          << QStringList{QStringLiteral(".")};
    QTest::newRow("barometer long digits") << int(InputPatterns::Barometer)
                                           << QStringLiteral("BAROMETER:12345678901234567890.5")
                                           << QStringList{QStringLiteral("12345678901234567890.5")};
    QTest::newRow("barometer second try") << int(InputPatterns::Barometer)
                                          << QStringLiteral("BAROMETER:-x BAROMETER:-1.5")
                                          << QStringList{QStringLiteral("-1.5")};
}

void TestDefaultMatcher::knownCases()
{
    QFETCH(int, index);
    QFETCH(QString, block);
    QFETCH(QStringList, captures);
    DefaultPatternMatcher matcher;
    QCOMPARE(matcher.Search(index, block), !captures.isEmpty());
    for (int i = 0; i < captures.size(); ++i) {
        QCOMPARE(matcher.Cap(index, i + 1), captures[i]);
        QCOMPARE(matcher.CapNumber(index, i + 1), captures[i].toDouble());
    }
}

void TestDefaultMatcher::agreesWithQRegExp()
{
    const InputPatterns defaults = InputPatterns::Defaults();
    std::array<QRegExp, InputPatterns::Count> expressions;
    for (int i = 0; i < InputPatterns::Count; ++i)
        expressions[i] = QRegExp(defaults.Texts[i], Qt::CaseSensitive, QRegExp::RegExp);

    std::mt19937 random(20190626);
    DefaultPatternMatcher matcher;
    int matches = 0;
    const int blocks = 30000;
    for (int b = 0; b < blocks; ++b) {
        QString block;
        switch (b % 3) {
        case 0:
            block = RealisticBlock(random);
            break;
        case 1:
            block = Damaged(RealisticBlock(random), random);
            break;
        default:
            block = TokenSoup(random);
        }
        for (int i = 0; i < InputPatterns::Count; ++i) {
            const bool expected = expressions[i].indexIn(block, 0, QRegExp::CaretAtZero) >= 0;
            const bool actual = matcher.Search(i, block);
            if (expected != actual || (expected && [&] {
                    for (int c = 0; c <= 3; ++c) {
                        if (expressions[i].cap(c) != matcher.Cap(i, c))
                            return true;
                        // The numbers, bit for bit (the sign of a zero too).
                        const double expectedNumber = expressions[i].cap(c).toDouble();
                        const double actualNumber = matcher.CapNumber(i, c);
                        if (std::memcmp(&expectedNumber, &actualNumber, sizeof(double)) != 0)
                            return true;
                    }
                    return false;
                }()))
                QFAIL(qPrintable(QStringLiteral("pattern %1 differs on block \"%2\"").arg(InputPatterns::Label(i), block)));
            matches += actual;
        }
    }
    // The mix must exercise both outcomes of every pattern.
    QVERIFY(matches > blocks);
    QVERIFY(matches < blocks * InputPatterns::Count);
}

void TestDefaultMatcher::longBlockIsLinear()
{
    // One block of 4 million characters without a line break, as a binary
    // file can give: every search must end promptly.
    QString block(4 * 1000 * 1000, QLatin1Char('H'));
    for (int i = 0; i < block.size(); i += 7)
        block[i] = QLatin1Char('(');
    DefaultPatternMatcher matcher;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < InputPatterns::Count; ++i)
        QVERIFY(!matcher.Search(i, block));
    QVERIFY2(timer.elapsed() < 20000, "searches over a long block must not be quadratic");
}

// Edited patterns that start with ".*" are run anchored at the start of the
// block: the same matches and captures as QRegExp gives the text unanchored.
void TestDefaultMatcher::leadingDotStarPatternsKeepTheirMatches()
{
    const QStringList texts = {QStringLiteral(".*GPS[(]([-0-9.]+)[,]([-0-9.]+)"), QStringLiteral(".*HOME|BAROMETER:([0-9.]*)"),
        QStringLiteral(".*(GPS|HOME)[(]"), QStringLiteral(".*"), QStringLiteral(".*\\r\\n([0-9]+)$"),
        QStringLiteral(".*?GPS"), QStringLiteral(".*[("), QStringLiteral("GPS[(]([-0-9.]+)")};
    std::mt19937 random(7);
    for (const QString& text : texts) {
        InputPatterns patterns = InputPatterns::Defaults();
        patterns.Texts[InputPatterns::GPS] = text;
        CompiledPatterns compiled(patterns);
        QRegExp plain(text, Qt::CaseSensitive, QRegExp::RegExp);
        for (int b = 0; b < 3000; ++b) {
            const QString block = b % 2 ? TokenSoup(random) : Damaged(RealisticBlock(random), random);
            const bool expected = plain.indexIn(block, 0, QRegExp::CaretAtZero) >= 0;
            QCOMPARE(compiled.Search(InputPatterns::GPS, block), expected);
            for (int c = 0; expected && c <= 3; ++c)
                QCOMPARE(compiled.Cap(InputPatterns::GPS, c), plain.cap(c));
        }
    }
}

void TestDefaultMatcher::leadingDotStarOnALongLineEnds()
{
    // A file without line breaks is one block; unanchored, QRegExp would try
    // all of its million starts (hours). This must simply come back.
    InputPatterns patterns = InputPatterns::Defaults();
    patterns.Texts[InputPatterns::GPS] = QStringLiteral(".*GPSx([0-9]+)");
    CompiledPatterns compiled(patterns);
    QVERIFY(!compiled.Search(InputPatterns::GPS, QString(1000 * 1000, QLatin1Char('a'))));
}

QTEST_GUILESS_MAIN(TestDefaultMatcher)
#include "test_default_matcher.moc"
