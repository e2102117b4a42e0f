#include "input/SrtParser.h"

#include "input/BlockSplitter.h"
#include "input/TextScan.h"

#include <cstdint>
#include <cstring>
#include <mutex>
#include <type_traits>
#include <utility>

namespace {

// A pattern that begins with ".*" matches somewhere exactly when it matches at
// the start of the block ("." takes any character, line ends too, so the
// ".*" can take in whatever lies before a later match), and QRegExp finds
// the same match there, since it tries the start first. Unanchored, QRegExp
// still tries every later start when there is no match, which is quadratic
// in the block's length: hours for a log of one long line. Anchored with "^",
// it stops after the first start. Quantified ".*?", ".**", ".*+" and ".*{n}"
// are left as they are.
QString AnchoredWhereSafe(const QString& text)
{
    if (text.startsWith(QLatin1String(".*")) && (text.size() == 2 || !QStringLiteral("?*+{").contains(text[2])))
        return QLatin1Char('^') + text;
    return text;
}

// Whether the pattern refers back to a group numbered 1000 or more (a
// backslash, a digit 1 to 9 and three digits more): no pattern has that
// many groups, and Qt's QRegExp reads a long run of such digits past its
// own memory (a crash found by fuzzing: "--\1000000000000000000000000").
bool HasHugeBackReference(const QString& text)
{
    for (int i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != QLatin1Char('\\'))
            continue;
        const QChar next = text[i + 1];
        if (next.unicode() >= '1' && next.unicode() <= '9') {
            int end = i + 2;
            while (end < text.size() && IsAsciiDigit(text[end]))
                ++end;
            if (end - (i + 1) >= 4)
                return true;
        }
        ++i;  // the escaped character, a backslash too
    }
    return false;
}

} // namespace

namespace {

std::mutex& RegExpCacheLock()
{
    static std::mutex lock;
    return lock;
}

} // namespace

CompiledPatterns::CompiledPatterns(const InputPatterns& patterns)
{
    const std::lock_guard<std::mutex> lock(RegExpCacheLock());
    m_expressions = std::make_unique<std::array<QRegExp, InputPatterns::Count>>();
    for (int i = 0; i < InputPatterns::Count; ++i) {
        QRegExp& rx = (*m_expressions)[static_cast<std::size_t>(i)];
        rx = QRegExp(AnchoredWhereSafe(patterns.Texts[static_cast<std::size_t>(i)]), Qt::CaseSensitive,
                     QRegExp::RegExp);
        rx.setMinimal(false);
        m_refused[static_cast<std::size_t>(i)] = HasHugeBackReference(patterns.Texts[static_cast<std::size_t>(i)]);
        m_builtIn[static_cast<std::size_t>(i)] = DefaultPatternMatcher::Handles(i, patterns.Texts[static_cast<std::size_t>(i)]);
    }
}

CompiledPatterns::~CompiledPatterns()
{
    const std::lock_guard<std::mutex> lock(RegExpCacheLock());
    m_expressions.reset();
}

bool CompiledPatterns::Search(int index, const QString& block)
{
    if (m_builtIn[static_cast<std::size_t>(index)])
        return m_matcher.Search(index, block);
    QRegExp& rx = (*m_expressions)[static_cast<std::size_t>(index)];
    // An invalid pattern (unbalanced parentheses, say) is a pattern that
    // never matches; indexIn would report -1 for it as well. So is one that
    // QRegExp cannot run safely.
    if (!rx.isValid() || m_refused[static_cast<std::size_t>(index)])
        return false;
    return rx.indexIn(block, 0, QRegExp::CaretAtZero) >= 0;
}

QString CompiledPatterns::Cap(int index, int n) const
{
    // A group the pattern does not have, or one that took no part in the
    // match, gives empty text.
    if (m_builtIn[static_cast<std::size_t>(index)])
        return m_matcher.Cap(index, n);
    return (*m_expressions)[static_cast<std::size_t>(index)].cap(n);
}

QStringView CompiledPatterns::CapView(int index, int n)
{
    if (m_builtIn[static_cast<std::size_t>(index)])
        return m_matcher.CapView(index, n);
    m_capture = (*m_expressions)[static_cast<std::size_t>(index)].cap(n);
    return m_capture;
}

double CompiledPatterns::CapNumber(int index, int n) const
{
    if (m_builtIn[static_cast<std::size_t>(index)])
        return m_matcher.CapNumber(index, n);
    return (*m_expressions)[static_cast<std::size_t>(index)].cap(n).toDouble();
}

MatchedPatterns ParseSrtBlock(const QString& block, FlightRecord& record, CompiledPatterns& patterns)
{
    MatchedPatterns matched = 0;
    const auto bit = [](InputPatterns::Index index) { return MatchedPatterns(1) << index; };

    // Id and SrtTime are always set; everything else only on a match, so an
    // unmatched value keeps what the record held.
    if (patterns.Search(InputPatterns::ID, block)) {
        record.SetId(patterns.Cap(InputPatterns::ID, 1));
        matched |= bit(InputPatterns::ID);
    } else {
        record.SetId(QString());
    }

    if (patterns.Search(InputPatterns::SrtTime, block)) {
        // Held as text only when it is not the usual spelling of its times.
        const QStringView text = patterns.CapView(InputPatterns::SrtTime, 1);
        bool usual = false;
        qint64 endMs = record.CueEndMs();
        const bool read = ScanCue(text, record.CueStartMs, endMs, &usual);
        record.SetCueEndMs(endMs);
        if (read && usual && text.size() == 29)
            record.Spelled |= FlightRecord::SrtTimeIsCue;
        else
            record.SetSrtTime(text.toString());
        matched |= bit(InputPatterns::SrtTime);
    } else {
        record.SetSrtTime(QStringLiteral("not found"));
    }

    // The log writes longitude first, latitude second. A point of exactly
    // 0, 0 is what the drone writes before it has a fix: no value.
    if (patterns.Search(InputPatterns::Home, block)) {
        const double lon = patterns.CapNumber(InputPatterns::Home, 1);
        const double lat = patterns.CapNumber(InputPatterns::Home, 2);
        if (!(lat == 0.0 && lon == 0.0)) {
            record.HomeLon = lon;
            record.HomeLat = lat;
            record.Has |= FlightRecord::HasHome;
            matched |= bit(InputPatterns::Home);
        }
    }

    if (patterns.Search(InputPatterns::GPS, block)) {
        const double lon = patterns.CapNumber(InputPatterns::GPS, 1);
        const double lat = patterns.CapNumber(InputPatterns::GPS, 2);
        if (!(lat == 0.0 && lon == 0.0)) {
            record.Lon = lon;
            record.Lat = lat;
            record.Has |= FlightRecord::HasPosition;
            matched |= bit(InputPatterns::GPS);
        }
    }

    if (patterns.Search(InputPatterns::Barometer, block)) {
        record.HeightM = patterns.CapNumber(InputPatterns::Barometer, 1);
        record.Has |= FlightRecord::HasHeight;
        matched |= bit(InputPatterns::Barometer);
    }

    if (patterns.Search(InputPatterns::FlyTime, block)) {
        const QStringView text = patterns.CapView(InputPatterns::FlyTime, 1);
        bool usual = false;
        if (ScanDateTime(text, QLatin1Char('.'), record.LocalTimeMs, &usual) && usual)
            record.Spelled |= FlightRecord::FlyTimeIsLocalTime;
        else
            record.SetFlyTime(text.toString());
        matched |= bit(InputPatterns::FlyTime);
    }

    return matched;
}

MatchedPatterns ParseSrtBlock(const QString& block, FlightRecord& record, const InputPatterns& patterns)
{
    CompiledPatterns compiled(patterns);
    return ParseSrtBlock(block, record, compiled);
}

QStringList SplitSrtBlocks(const QByteArray& bytes)
{
    QStringList blocks;
    BlockSplitter([&](const QString& block) {
        blocks.append(block);
        return true;
    }).Feed(bytes.constData(), bytes.size(), true);
    return blocks;
}
