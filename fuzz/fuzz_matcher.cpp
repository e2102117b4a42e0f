// Differential check of the built-in pattern matcher: every one of the six
// built-in patterns is applied to the input (decoded as UTF-8, as the log
// reader decodes a block) both by QRegExp, exactly as a user-edited pattern
// is run, and by DefaultPatternMatcher, which stands in for QRegExp whenever
// the pattern text is the built-in one. Any difference in match or no match,
// in captures 0 to 3, or in the numbers read from the number captures (the
// matcher's own CapNumber against QString::toDouble of QRegExp's capture,
// bit for bit, so that -0 and 0 differ) aborts. QRegExp is the reference:
// the window has always read logs through it. One matcher serves all inputs,
// as one serves all blocks of a log.
#include "input/DefaultPatternMatcher.h"
#include "input/InputPatterns.h"

#include <QRegExp>
#include <QString>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

[[noreturn]] void Disagree(int index, const QString& block, const char* what, int cap, const QString& expected,
                           const QString& actual)
{
    std::fprintf(stderr, "pattern %d (%s): %s differs at cap %d\nQRegExp: [%s]\nmatcher: [%s]\nblock: [%s]\n", index,
                 qPrintable(InputPatterns::Label(index)), what, cap, qPrintable(expected), qPrintable(actual),
                 qPrintable(block));
    std::abort();
}

bool SameNumber(double a, double b)
{
    if (a != a || b != b)
        return a != a && b != b;
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// The captures that hold numbers: Home and GPS 1 and 2, Barometer 1.
bool IsNumberCapture(int index, int n)
{
    if (index == InputPatterns::Home || index == InputPatterns::GPS)
        return n == 1 || n == 2;
    return index == InputPatterns::Barometer && n == 1;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const InputPatterns defaults = InputPatterns::Defaults();
    static std::array<QRegExp, InputPatterns::Count> expressions = [] {
        std::array<QRegExp, InputPatterns::Count> rx;
        for (int i = 0; i < InputPatterns::Count; ++i) {
            rx[static_cast<std::size_t>(i)] = QRegExp(defaults.Texts[static_cast<std::size_t>(i)], Qt::CaseSensitive,
                                                      QRegExp::RegExp);
            rx[static_cast<std::size_t>(i)].setMinimal(false);
            if (!rx[static_cast<std::size_t>(i)].isValid() || !DefaultPatternMatcher::Handles(i, defaults.Texts[static_cast<std::size_t>(i)]))
                std::abort();
        }
        return rx;
    }();

    const QString block = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<int>(size));
    static DefaultPatternMatcher matcher;
    for (int i = 0; i < InputPatterns::Count; ++i) {
        QRegExp& rx = expressions[static_cast<std::size_t>(i)];
        const bool expected = rx.indexIn(block, 0, QRegExp::CaretAtZero) >= 0;
        const bool actual = matcher.Search(i, block);
        if (expected != actual)
            Disagree(i, block, "match", -1, expected ? rx.cap(0) : QStringLiteral("<no match>"),
                     actual ? matcher.Cap(i, 0) : QStringLiteral("<no match>"));
        if (!expected)
            continue;
        for (int n = 0; n <= 3; ++n) {
            const QString want = rx.cap(n);
            const QString got = matcher.Cap(i, n);
            if (want != got)
                Disagree(i, block, "capture", n, want, got);
            if (IsNumberCapture(i, n)) {
                const double number = matcher.CapNumber(i, n);
                if (!SameNumber(want.toDouble(), number))
                    Disagree(i, block, "number", n, QString::number(want.toDouble(), 'g', 17),
                             QString::number(number, 'g', 17));
            }
        }
    }
    return 0;
}
