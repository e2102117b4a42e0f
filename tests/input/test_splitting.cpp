// Cutting a log into block texts, and filling values a block did not have.

#include "input/InputPatterns.h"
#include "input/SrtParser.h"

#include <QtTest>

#include <random>

namespace {

// An independent statement of the block rules, on the decoded text as a
// whole: decode everything before the first NUL as QString::fromUtf8 does,
// drop a leading byte-order mark, then walk the characters line by line.
QStringList ReferenceSplit(const QByteArray& bytes)
{
    const int nul = bytes.indexOf('\0');
    QString text = QString::fromUtf8(nul < 0 ? bytes : bytes.left(nul));
    // Qt 5's decoder already drops one leading mark; drop it by hand only
    // where the decoder keeps it.
    const bool decoderKeepsMark = !QString::fromUtf8("\xEF\xBB\xBF").isEmpty();
    if (decoderKeepsMark && bytes.startsWith("\xEF\xBB\xBF"))
        text.remove(0, 1);

    QStringList blocks;
    int blockStart = -1;
    int blockEnd = -1;
    int i = 0;
    const int n = text.size();
    while (i < n) {
        int j = i;
        while (j < n && text[j] != QLatin1Char('\r') && text[j] != QLatin1Char('\n'))
            ++j;
        if (j > i) {
            if (blockStart < 0)
                blockStart = i;
            blockEnd = j;
        } else if (blockStart >= 0) {
            blocks.append(text.mid(blockStart, blockEnd - blockStart));
            blockStart = -1;
        }
        if (j == n)
            break;
        i = j + ((text[j] == QLatin1Char('\r') && j + 1 < n && text[j + 1] == QLatin1Char('\n')) ? 2 : 1);
    }
    if (blockStart >= 0)
        blocks.append(text.mid(blockStart, blockEnd - blockStart));
    return blocks;
}

QByteArray Utf8(const char* s)
{
    return QByteArray(s);
}

QString Text(const char* s)
{
    return QString::fromUtf8(s);
}

QByteArray Full(int n, const char* gps, const char* baro, const char* home = "30.2345,59.8765")
{
    return QByteArray::number(n) + "\r\n00:00:0" + QByteArray::number(n) + ",000 --> 00:00:0"
           + QByteArray::number(n + 1) + ",000\r\nHOME(" + home + ") 2019.06.20 12:34:5" + QByteArray::number(n)
           + "\r\nGPS(" + gps + ",17) BAROMETER:" + baro + "\r\n\r\n";
}

// The parsed fields, "Id|SrtTime|HomeLat|HomeLon|Lat|Lon|FlyTime|Barometer".
QString Fields(const FlightRecord& r)
{
    const auto n = [](double x) { return QString::number(x, 'g', 15); };
    return QStringList{r.Id, r.SrtTime, n(r.HomeLat), n(r.HomeLon), n(r.Lat), n(r.Lon), r.FlyTime, n(r.Barometer)}
        .join(QLatin1Char('|'));
}

}  // namespace

class TestSplitting : public QObject {
    Q_OBJECT

private slots:
    void split_data();
    void split();
    void agreesWithWholeTextDecoding();
    void nonAsciiIntact();
    void recordsAndGapFilling_data();
    void recordsAndGapFilling();
};

void TestSplitting::split_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("blocks");

    const QStringList twoCrLf = {QStringLiteral("1\r\nx"), QStringLiteral("2\r\ny")};

    QTest::newRow("CR LF") << Utf8("1\r\nx\r\n\r\n2\r\ny\r\n\r\n") << twoCrLf;
    QTest::newRow("LF") << Utf8("1\nx\n\n2\ny\n\n") << QStringList{QStringLiteral("1\nx"), QStringLiteral("2\ny")};
    QTest::newRow("lone CR") << Utf8("1\rx\r\r2\ry\r\r")
                             << QStringList{QStringLiteral("1\rx"), QStringLiteral("2\ry")};
    // Line ends inside a block stay as they stood; "\r\r\n" is a line ended
    // by a lone CR followed by an empty line ended by CR LF.
    QTest::newRow("mixed") << Utf8("1\r\nx\ny\rz\n\r\n2\r\r\nw")
                           << QStringList{QStringLiteral("1\r\nx\ny\rz"), QStringLiteral("2"), QStringLiteral("w")};
    // LF then CR is two line ends, not one.
    QTest::newRow("LF CR") << Utf8("a\n\rb") << QStringList{QStringLiteral("a"), QStringLiteral("b")};
    QTest::newRow("extra empty lines") << Utf8("\r\n\r\n1\r\nx\r\n\r\n\r\n\r\n\r\n2\r\ny\r\n\r\n\r\n") << twoCrLf;
    QTest::newRow("no final empty line") << Utf8("1\r\nx\r\n\r\n2\r\ny\r\n") << twoCrLf;
    QTest::newRow("no final line end") << Utf8("1\r\nx\r\n\r\n2\r\ny") << twoCrLf;
    QTest::newRow("truncated last block")
        << Utf8("1\r\n00:00:00,000 --> 00:00:01,000\r\n\r\n2\r\n00:00:01,0")
        << QStringList{QStringLiteral("1\r\n00:00:00,000 --> 00:00:01,000"), QStringLiteral("2\r\n00:00:01,0")};
    QTest::newRow("NUL padding") << QByteArray("1\r\nx\r\n\r\n2\r\ny\r\n\0\0\0\0\0\0", 18) << twoCrLf;
    QTest::newRow("NUL inside a block")
        << QByteArray("1\r\nx\r\n\r\n2\0\r\ny\r\n\r\n3\r\nz\r\n", 22)
        << QStringList{QStringLiteral("1\r\nx"), QStringLiteral("2")};
    QTest::newRow("NUL first") << QByteArray("\0" "1\r\nx", 5) << QStringList();
    QTest::newRow("byte-order mark") << Utf8("\xEF\xBB\xBF" "1\r\nx\r\n\r\n2\r\ny") << twoCrLf;
    QTest::newRow("byte-order mark, empty first line") << Utf8("\xEF\xBB\xBF\r\n1\r\nx\r\n\r\n2\r\ny") << twoCrLf;
    // Only the first mark is dropped; a second is an ordinary character.
    QTest::newRow("two byte-order marks")
        << Utf8("\xEF\xBB\xBF\xEF\xBB\xBF" "1\r\nx")
        << QStringList{QString(QChar(0xFEFF)) + QStringLiteral("1\r\nx")};
    QTest::newRow("mark at a later line start")
        << Utf8("1\r\n\xEF\xBB\xBFx\r\n\r\n\xEF\xBB\xBF")
        << QStringList{QStringLiteral("1\r\n") + QChar(0xFEFF) + QStringLiteral("x"), QString(QChar(0xFEFF))};
    // Each lone invalid byte becomes one replacement character; the line
    // structure around it is untouched.
    QTest::newRow("invalid UTF-8")
        << Utf8("1\xFF\r\nx\xC0\r\n\r\n\xFE" "2")
        << QStringList{QStringLiteral("1") + QChar(QChar::ReplacementCharacter) + QStringLiteral("\r\nx")
                           + QChar(QChar::ReplacementCharacter),
                       QString(QChar(QChar::ReplacementCharacter)) + QStringLiteral("2")};
    QTest::newRow("only empty lines") << Utf8("\r\n\n\r\r\n") << QStringList();
    QTest::newRow("nothing") << QByteArray() << QStringList();
}

void TestSplitting::split()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, blocks);
    QCOMPARE(SplitSrtBlocks(bytes), blocks);
    // The hand-written expectations and the whole-text reference agree.
    QCOMPARE(ReferenceSplit(bytes), blocks);
}

void TestSplitting::agreesWithWholeTextDecoding()
{
    // Random byte strings built from line ends, ASCII, valid and broken
    // multi-byte sequences, byte-order marks and NULs: the blocks must be
    // what cutting the wholly decoded text gives, in particular where an
    // unfinished sequence stands right before a line end.
    const char* const pieces[] = {
        "\r", "\n", "\r\n", "a", "7", "\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x9A\x81", "\xE2\x82", "\xF0\x9F",
        "\xC3", "\x80", "\xFF", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xEF\xBB\xBF", "\xEF\xBB",
    };
    std::mt19937 rng(20190620);
    for (int round = 0; round < 20000; ++round) {
        QByteArray bytes;
        const int count = static_cast<int>(rng() % 16);
        for (int i = 0; i < count; ++i)
            bytes.append(pieces[rng() % (sizeof pieces / sizeof pieces[0])]);
        if (rng() % 10 == 0)
            bytes.insert(static_cast<int>(rng() % static_cast<unsigned>(bytes.size() + 1)), '\0');
        const QStringList actual = SplitSrtBlocks(bytes);
        const QStringList expected = ReferenceSplit(bytes);
        if (actual != expected)
            QFAIL(qPrintable(QStringLiteral("bytes %1").arg(QString::fromLatin1(bytes.toHex()))));
    }
}

void TestSplitting::nonAsciiIntact()
{
    // 13 characters either side of the arrow for the default SrtTime pattern,
    // two of them outside ASCII on each side; FlyTime takes the rest of the
    // block, including a character outside the Basic Multilingual Plane.
    InputPatterns p = InputPatterns::Defaults();
    p.Texts[InputPatterns::FlyTime] = QStringLiteral("HOME[(][-0-9., ]*[)][ ](.*)$");
    const QByteArray bytes = Utf8(
        "1\r\n\xC3\xB6\xC3\xB6:00:00,000 --> 00:00:01,0\xE2\x82\xAC\xE2\x82\xAC\r\n"
        "HOME(30.2345,59.8765) 2019.06.20 12:34:56 \xD0\x9C\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0 "
        "\xF0\x9F\x9A\x81\r\n\r\n");
    const FlightRecordList records = ParseSrtText(bytes, p);
    QCOMPARE(records.size(), std::size_t(1));
    QCOMPARE(records[0].SrtTime, Text("\xC3\xB6\xC3\xB6:00:00,000 --> 00:00:01,0\xE2\x82\xAC\xE2\x82\xAC"));
    QCOMPARE(records[0].FlyTime,
             Text("2019.06.20 12:34:56 \xD0\x9C\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0 \xF0\x9F\x9A\x81"));
}

void TestSplitting::recordsAndGapFilling_data()
{
    // Every block gives one record, whatever matched. Positions, home and
    // height a block lacks come from the nearest earlier block that had them,
    // or before the first such block from the nearest later one; Id, SrtTime
    // and FlyTime are never borrowed. ID needs a block of digits alone.
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("records");  // as Fields() shows them
    QTest::newRow("record per block, LF")
        << Utf8("7\n\njunk\n\n1\n00:00:00,000 --> 00:00:01,000\nGPS(1.5,2.5,3)\n")
        << QStringList{Text("7|not found|0|0|2.5|1.5||0"), Text("|not found|0|0|2.5|1.5||0"),
                       Text("|00:00:00,000 --> 00:00:01,000|0|0|2.5|1.5||0")};
    // The first two take the third block's values, not the fourth's.
    QTest::newRow("leading gap")
        << Utf8("1\r\n\r\n2\r\n\r\n") + Full(3, "-58.3820,-34.6041", "1.5", "-58.3816,-34.6037")
               + Full(4, "-58.3830,-34.6051", "2.5", "-58.3000,-34.6000")
        << QStringList{Text("1|not found|-34.6037|-58.3816|-34.6041|-58.382||1.5"),
                       Text("2|not found|-34.6037|-58.3816|-34.6041|-58.382||1.5"),
                       Text("|00:00:03,000 --> 00:00:04,000|-34.6037|-58.3816|-34.6041|-58.382|2019.06.20 12:34:53|1.5"),
                       Text("|00:00:04,000 --> 00:00:05,000|-34.6|-58.3|-34.6051|-58.383|2019.06.20 12:34:54|2.5")};
    // The gap takes block 2's values, not block 4's.
    QTest::newRow("middle gap")
        << Full(1, "1.0,2.0", "10.0") + Full(2, "1.5,2.5", "11.0")
               + Utf8("3\r\n00:00:03,000 --> 00:00:04,000\r\nGPS(broken\r\n\r\n") + Full(4, "3.0,4.0", "13.0")
        << QStringList{Text("|00:00:01,000 --> 00:00:02,000|59.8765|30.2345|2|1|2019.06.20 12:34:51|10"),
                       Text("|00:00:02,000 --> 00:00:03,000|59.8765|30.2345|2.5|1.5|2019.06.20 12:34:52|11"),
                       Text("|00:00:03,000 --> 00:00:04,000|59.8765|30.2345|2.5|1.5||11"),
                       Text("|00:00:04,000 --> 00:00:05,000|59.8765|30.2345|4|3|2019.06.20 12:34:54|13")};
    // A recording cut short inside its time range, then NUL padding: the last
    // block keeps the last known position instead of jumping to 0, 0.
    QTest::newRow("trailing gap")
        << Full(1, "-58.3820,-34.6041", "3.5") + Full(2, "-58.3821,-34.6042", "3.7") + Utf8("3\r\n00:00:03,0")
               + QByteArray(64, '\0')
        << QStringList{Text("|00:00:01,000 --> 00:00:02,000|59.8765|30.2345|-34.6041|-58.382|2019.06.20 12:34:51|3.5"),
                       Text("|00:00:02,000 --> 00:00:03,000|59.8765|30.2345|-34.6042|-58.3821|2019.06.20 12:34:52|3.7"),
                       Text("|not found|59.8765|30.2345|-34.6042|-58.3821||3.7")};
    QTest::newRow("nothing matched") << Utf8("1\r\nfoo\r\n\r\n2\r\nbar\r\n\r\n3\r\nbaz")
                                     << QStringList{Text("|not found|0|0|0|0||0"), Text("|not found|0|0|0|0||0"), Text("|not found|0|0|0|0||0")};
    // Each value is filled from where its own pattern matched.
    QTest::newRow("fields independently") << Utf8("BAROMETER:7.5\r\n\r\nGPS(1.5,2.5,9)\r\n\r\nHOME(3.5,4.5)\r\n\r\n")
                                          << QStringList{Text("|not found|4.5|3.5|2.5|1.5||7.5"),
                                                         Text("|not found|4.5|3.5|2.5|1.5||7.5"),
                                                         Text("|not found|4.5|3.5|2.5|1.5||7.5")};
}

void TestSplitting::recordsAndGapFilling()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, records);
    QStringList parsed;
    for (const FlightRecord& r : ParseSrtText(bytes, InputPatterns::Defaults())) {
        parsed << Fields(r);
        QCOMPARE(r.Speed, 0.0);
        QCOMPARE(r.Way, 0.0);
    }
    QCOMPARE(parsed, records);
}

QTEST_GUILESS_MAIN(TestSplitting)
#include "test_splitting.moc"
