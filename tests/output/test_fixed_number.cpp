// The fast number formatter must write exactly what QString::number(v, 'f',
// n) writes, for the precisions the writers use and around every boundary.
#include "output/FixedNumber.h"

#include <QtTest>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>

class TestFixedNumber : public QObject {
    Q_OBJECT

private slots:
    void knownValues_data();
    void knownValues();
    void agreesWithQString();
};

void TestFixedNumber::knownValues_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<QByteArray>("expected");
    // Half-way cases round away from zero on the exact binary value: 0.125
    // is exact, 0.15 is really 0.1499999999999999944...
    QTest::newRow("tie up") << 0.125 << 2 << QByteArray("0.13");
    QTest::newRow("not a tie") << 0.15 << 1 << QByteArray("0.1");
    QTest::newRow("negative tie") << -2.25 << 1 << QByteArray("-2.3");
    QTest::newRow("negative to zero") << -0.04 << 1 << QByteArray("-0.0");
    QTest::newRow("negative zero") << -0.0 << 1 << QByteArray("0.0");
    QTest::newRow("zero padded") << 30.1 << 5 << QByteArray("30.10000");
    QTest::newRow("five decimals") << 59.987654 << 5 << QByteArray("59.98765");
    QTest::newRow("speed") << 18.0 << 1 << QByteArray("18.0");
    QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN() << 2 << QByteArray("nan");
    QTest::newRow("minus infinity") << -std::numeric_limits<double>::infinity() << 1 << QByteArray("-inf");
    QTest::newRow("huge") << 1e20 << 1 << QByteArray("100000000000000000000.0");
    QTest::newRow("tiny") << 1e-320 << 4 << QByteArray("0.0000");
}

void TestFixedNumber::knownValues()
{
    QFETCH(double, value);
    QFETCH(int, decimals);
    QFETCH(QByteArray, expected);
    QByteArray out("x");
    AppendFixed(out, value, decimals);
    QCOMPARE(out, QByteArray("x") + expected);
}

void TestFixedNumber::agreesWithQString()
{
    std::mt19937_64 random(626);
    std::uniform_real_distribution<double> degrees(-180.0, 180.0);
    std::uniform_int_distribution<int> decimalsPick(1, 6);
    std::uniform_int_distribution<std::uint64_t> bits;
    QByteArray out;
    for (int i = 0; i < 400000; ++i) {
        double value = 0.0;
        switch (i % 4) {
        case 0:  // coordinates and heights as logs hold them
            value = degrees(random);
            break;
        case 1:  // values on a decimal grid, where ties live
            value = std::round(degrees(random) * 1000.0) / 1000.0 + (i % 8 == 1 ? 0.0005 : 0.0);
            break;
        case 2: {  // any bit pattern
            const std::uint64_t b = bits(random);
            std::memcpy(&value, &b, sizeof value);
            break;
        }
        default:  // ways of up to thousands of kilometres
            value = std::ldexp(degrees(random), int(random() % 40));
        }
        const int decimals = decimalsPick(random);
        out.clear();
        AppendFixed(out, value, decimals);
        const QByteArray expected = QString::number(value, 'f', decimals).toLatin1();
        if (out != expected)
            QFAIL(qPrintable(QStringLiteral("%1 with %2 decimals: %3, expected %4")
                                 .arg(value, 0, 'g', 17)
                                 .arg(decimals)
                                 .arg(QString::fromLatin1(out), QString::fromLatin1(expected))));
    }
}

QTEST_GUILESS_MAIN(TestFixedNumber)
#include "test_fixed_number.moc"
