#include "output/SrtWriter.h"

#include "output/PathPoints.h"

#include "input/TextScan.h"
#include "output/FixedNumber.h"
#include "output/PathPoints.h"
#include "output/Placeholders.h"
#include "output/PrivacyZone.h"
#include "track/VerticalSpeed.h"

#include <QIODevice>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <initializer_list>
#include <limits>
#include <vector>

namespace {

// The placeholders in the order in which they are replaced (see
// Placeholders()). The order matters: text inserted for one placeholder is
// searched by every later one.
enum Slot { SlotId = 0, SlotSrtTime, SlotGps, SlotHome, SlotBarometer, SlotFlyTime,
            SlotDistance, SlotSpeedMs, SlotSpeedKmh, SlotWay,
            SlotIso, SlotShutter, SlotFNumber, SlotEv, SlotFocalLength, SlotColorTemp, SlotDigitalZoom,
            SlotAltitude, SlotVSpeed, SlotSpeedMph, SlotSpeedKnots, SlotDistanceFt, SlotHeightFt,
            SlotWayKm, SlotWayMi, SlotDate, SlotTime, SlotTimeUtc, SlotLat, SlotLon, SlotCount };
static_assert(SlotIso == int(Placeholder::Iso) && SlotDigitalZoom == int(Placeholder::DigitalZoom)
                  && SlotLon == int(Placeholder::Lon),
              "a slot is its placeholder's number");

QString PlaceholderName(int slot)
{
    static const std::vector<QString> names = [] {
        std::vector<QString> list;
        for (const PlaceholderInfo& info : Placeholders())
            list.push_back(QLatin1String(info.Name));
        return list;
    }();
    return names[static_cast<size_t>(slot)];
}

// The placeholders whose text may be empty: the camera settings and the
// values a log may lack (the heights of a log without them), and the
// positions a privacy zone hides.
bool MayBeEmpty(int slot)
{
    return slot == SlotGps || slot == SlotHome || slot == SlotBarometer || (slot >= SlotIso && slot <= SlotVSpeed)
        || slot == SlotHeightFt || slot >= SlotDate;
}

// The bytes of the computed subtitle file as they are made: a cursor into
// a QByteArray sized ahead, so that most values are written in place
// without a call to QByteArray per piece.
class ByteSink {
public:
    explicit ByteSink(QByteArray& bytes, int capacity) : m_bytes(bytes)
    {
        m_bytes.resize(capacity);
        m_at = m_bytes.data();
        m_end = m_at + m_bytes.size();
    }

    // Makes room for `count` more bytes and returns where they go; MoveTo
    // then moves past what was written there.
    char* Room(int count)
    {
        if (m_end - m_at < count)
            Grow(count);
        return m_at;
    }
    void MoveTo(char* at) { m_at = at; }

    void Append(const char* bytes, int count)
    {
        std::memcpy(Room(count), bytes, static_cast<size_t>(count));
        m_at += count;
    }
    void Append(const QByteArray& bytes) { Append(bytes.constData(), bytes.size()); }
    void Append(char c)
    {
        *Room(1) = c;
        ++m_at;
    }

    int Size() const { return static_cast<int>(m_at - m_bytes.constData()); }
    const char* Data() const { return m_bytes.constData(); }
    void Clear() { m_at = m_bytes.data(); }
    // Cuts the QByteArray to what was written.
    void Finish() { m_bytes.resize(Size()); }

private:
    void Grow(int count)
    {
        const int size = Size();
        constexpr qint64 kLargest = std::numeric_limits<int>::max() - 64;
        if (qint64(size) + count > kLargest)
            qBadAlloc();  // more than a QByteArray holds
        const qint64 wanted = std::max<qint64>(qint64(m_bytes.size()) * 2, qint64(size) + count);
        m_bytes.resize(static_cast<int>(std::min(wanted, kLargest)));
        m_at = m_bytes.data() + size;
        m_end = m_bytes.data() + m_bytes.size();
    }

    QByteArray& m_bytes;
    char* m_at = nullptr;
    char* m_end = nullptr;
};

// Numbers WriteFixed leaves out (not finite, too large).
void PutUnusualFixed(ByteSink& out, double value, int decimals)
{
    QByteArray text;
    AppendFixed(text, value, decimals);
    out.Append(text);
}

template <int Decimals>
inline void PutFixed(ByteSink& out, double value)
{
    if (char* end = WriteFixed<Decimals>(out.Room(kWriteFixedRoom), value))
        out.MoveTo(end);
    else
        PutUnusualFixed(out, value, Decimals);
}

void PutLonLat(ByteSink& out, double lonDeg, double latDeg)
{
    PutFixed<4>(out, WrittenLon(lonDeg, 4));
    out.Append(',');
    PutFixed<4>(out, latDeg);
}

// A whole number as QString::number(value, 'f', 0) writes it.
void PutWhole(ByteSink& out, double value)
{
    if (std::isfinite(value) && std::fabs(value) < 1.0e15) {
        char* at = out.Room(kWriteFixedRoom);
        if (value < 0.0)
            *at++ = '-';  // also when it rounds to zero, as QString::number writes it
        out.MoveTo(WriteDecimal(at, static_cast<std::uint64_t>(std::round(std::fabs(value)))));
    } else {
        PutUnusualFixed(out, value, 0);
    }
}

// What the values of one flight's records share.
struct FlightValues {
    FlightValues(const Flight& flight, const QString& pattern)
        : Source(flight), HasPosition(flight.Log.HasAnyPosition()), Heights(flight.Log.GivesHeights()),
          Private(HasPrivacyZone(flight)), NoPositions(SubtitlesLeaveOutPositions(flight, pattern))
    {
    }
    // Whether the position, written with `decimals` decimals, is one the
    // privacy zone hides.
    bool Hides(const TrackPoint& point, double lat, double lon, int decimals) const
    {
        return NoPositions || (Private && InPrivacyZone(Source, point, lat, lon, decimals));
    }
    const Flight& Source;
    bool HasPosition;
    bool Heights;  // a log without heights prints the heights empty
    bool Private;
    bool NoPositions;  // every position is left out
};

// The spelling "YYYY.MM.DD hh:mm:ss" of a time, kept while the records
// fall in the same second (per-frame logs have dozens in each).
class SecondSpelling {
public:
    // The 19 characters, or nullptr when there is no time or no spelling.
    const char* Of(qint64 ms)
    {
        if (ms == kNoTime)
            return nullptr;
        if (!m_kept || quint64(ms) - quint64(m_secondMs) >= 1000) {
            m_length = FormatLocalTime(ms, m_text);
            const qint64 intoSecond = ms % 1000;
            m_secondMs = ms - (intoSecond < 0 ? intoSecond + 1000 : intoSecond);
            m_kept = true;
        }
        return m_length == 19 ? m_text : nullptr;
    }

private:
    bool m_kept = false;
    qint64 m_secondMs = 0;
    char m_text[32] = {};
    int m_length = 0;
};

// What the values of records taken in order keep from one to the next.
struct Spellings {
    explicit Spellings(const Flight& flight) : Rises(flight) {}
    SecondSpelling Local;
    SecondSpelling Utc;
    VerticalSpeeds Rises;
};

// "YYYY-MM-DD" or "hh:mm:ss" out of a spelling.
void PutDate(ByteSink& out, const char* spelling)
{
    if (!spelling)
        return;
    char* at = out.Room(10);
    std::memcpy(at, spelling, 10);
    at[4] = at[7] = '-';
    out.MoveTo(at + 10);
}

void PutClock(ByteSink& out, const char* spelling)
{
    if (spelling)
        out.Append(spelling + 11, 8);
}

// Writes the text of a value placeholder (every one but {SrtTime} and
// {FlyTime}): plain ASCII, formatted as QString::number writes the numbers
// (format 'f'), so the file reads the same on every locale. A value the
// record lacks, and a position the privacy zone hides, writes nothing.
inline void PutNumberSlot(ByteSink& out, int slot, const FlightRecord& record, const TrackPoint& point, int index,
                          const FlightValues& flight, Spellings& spellings)
{
    const CameraSettings& camera = record.Camera;
    switch (slot) {
    case SlotId: out.MoveTo(WriteDecimal(out.Room(kWriteFixedRoom), static_cast<std::uint64_t>(index) + 1)); break;
    case SlotGps:
        if (!flight.Hides(point, point.Lat, WrittenLon(point.Lon, 4), 4))
            PutLonLat(out, point.Lon, point.Lat);
        break;
    case SlotHome:
        if (!flight.Private)
            PutLonLat(out, point.HomeLon, point.HomeLat);
        break;
    case SlotBarometer:
        if (flight.Heights)
            PutFixed<1>(out, point.HeightM);
        break;
    case SlotDistance: PutFixed<1>(out, point.DistanceHomeM); break;
    case SlotSpeedMs: PutFixed<2>(out, point.SpeedMs); break;
    // Metres per second to kilometres per hour, in exactly this order of
    // operations so the rounding of the last digit never varies.
    case SlotSpeedKmh: PutFixed<1>(out, KmhFromMs(point.SpeedMs)); break;
    case SlotWay: PutFixed<1>(out, point.WayM); break;
    case SlotIso:
    case SlotShutter:
    case SlotFNumber:
    case SlotEv:
    case SlotFocalLength:
    case SlotColorTemp:
    case SlotDigitalZoom:
        out.MoveTo(WriteCameraText(out.Room(kCameraTextRoom), static_cast<Placeholder>(slot), camera));
        break;
    case SlotAltitude:
        if (AltitudeLoggedAt(flight.Source, static_cast<std::size_t>(index)))
            PutFixed<1>(out, point.AltitudeM);
        break;
    case SlotVSpeed:
        if (flight.Heights)
            PutFixed<1>(out, spellings.Rises.At(static_cast<std::size_t>(index)));
        break;
    // 1 mi = 1,609.344 m, 1 nmi = 1,852 m, 1 ft = 0.3048 m; again in a fixed
    // order of operations.
    case SlotSpeedMph: PutFixed<1>(out, (point.SpeedMs * 3600) / 1609.344); break;
    case SlotSpeedKnots: PutFixed<1>(out, (point.SpeedMs * 3600) / 1852); break;
    case SlotDistanceFt: PutWhole(out, point.DistanceHomeM / 0.3048); break;
    case SlotHeightFt:
        if (flight.Heights)
            PutWhole(out, point.HeightM / 0.3048);
        break;
    case SlotWayKm: PutFixed<2>(out, point.WayM / 1000); break;
    case SlotWayMi: PutFixed<2>(out, point.WayM / 1609.344); break;
    case SlotDate: PutDate(out, spellings.Local.Of(point.LocalMs)); break;
    case SlotTime: PutClock(out, spellings.Local.Of(point.LocalMs)); break;
    case SlotTimeUtc: PutClock(out, spellings.Utc.Of(point.UtcMs)); break;
    case SlotLat:
        if (flight.HasPosition && !flight.Hides(point, point.Lat, point.Lon, 6))
            PutFixed<6>(out, point.Lat);
        break;
    case SlotLon:
        if (flight.HasPosition && !flight.Hides(point, point.Lat, point.Lon, 6))
            PutFixed<6>(out, point.Lon);
        break;
    default: break;
    }
}

// The text that replaces placeholder `slot` for one record.
QString SlotText(int slot, const FlightRecord& record, const TrackPoint& point, int index, const FlightValues& flight)
{
    if (slot == SlotSrtTime)
        return record.SrtTimeText();
    if (slot == SlotFlyTime)
        return record.FlyTimeText();
    QByteArray bytes;
    ByteSink sink(bytes, 64);
    Spellings spellings(flight.Source);
    PutNumberSlot(sink, slot, record, point, index, flight, spellings);
    sink.Finish();
    return QString::fromLatin1(bytes);
}

// The successive replacements of every placeholder, one after the other.
QString ExpandBlock(const FlightRecord& record, const TrackPoint& point, int index, const QString& pattern,
                    const FlightValues& flight)
{
    QString text = pattern;
    for (int slot = 0; slot < SlotCount; ++slot) {
        const QString name = PlaceholderName(slot);
        // Only compute a value (the distance costs trigonometry) when its
        // placeholder is there.
        if (text.contains(name))
            text.replace(name, SlotText(slot, record, point, index, flight));
    }
    return text;
}

// UTF-8 of `text` appended to `out`; ASCII, the usual case, byte by byte.
void PutUtf8(ByteSink& out, const QString& text)
{
    for (const QChar c : text) {
        if (c.unicode() >= 0x80) {
            out.Append(text.toUtf8());
            return;
        }
    }
    char* bytes = out.Room(text.size());
    for (const QChar c : text)
        *bytes++ = static_cast<char>(c.unicode());
    out.MoveTo(bytes);
}

// Writes the spelling a Format function writes for the record's times
// (at most 32 characters).
template <typename Format, typename... Times>
void PutSpelling(ByteSink& out, Format format, Times... times)
{
    char* text = out.Room(32);
    out.MoveTo(text + format(times..., text));
}

bool IsAsciiLetter(QChar c)
{
    const ushort u = c.unicode();
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z');
}

bool IsBrace(QChar c)
{
    return c == QLatin1Char('{') || c == QLatin1Char('}');
}

/*
 * Expanding the pattern by successive QString::replace calls per record
 * is simple but slow for long logs. The pattern is therefore cut once into a
 * template: literal pieces and value slots, found by running the same
 * replacements over the literal pieces only. Writing a record is then a
 * concatenation of the literal pieces and the record's values.
 *
 * That concatenation equals the successive replacements exactly when no
 * inserted value takes part in a later match. Every placeholder name is
 * "{" + ASCII letters + "}". The values (digits, '.', ',', '-', '+', '/',
 * ':', "nan", "inf") contain no brace and no placeholder name contains
 * "nan" or "inf", so a value that is not empty can never be part of a later
 * match. The values that may be empty (MayBeEmpty) are checked per record
 * where their slot's neighbours could join, as below. The
 * two free texts (SrtTime, FlyTime) are checked per record: a text without
 * braces that holds at least one character other than an ASCII letter can
 * never lie inside a later match either. An empty text is safe when the
 * characters on either side of each of its slots cannot be joined into a
 * placeholder. A record that fails these checks takes the plain successive
 * replacements, so odd texts such as a FlyTime reading "{Way}" come out as
 * the replacements make them.
 *
 * The pieces are encoded to UTF-8 separately; that equals encoding the whole
 * text as long as no surrogate pair is split at a piece boundary, which the
 * per-record check also covers for the free texts.
 */
class SrtTemplate {
public:
    SrtTemplate(const QString& pattern, const Flight& flight)
        : m_spellings(flight)
    {
        // Each element: literal text (slot < 0) or a value slot.
        std::vector<Element> elements;
        elements.push_back(Element{-1, pattern});
        for (int slot = 0; slot < SlotCount; ++slot) {
            const QString name = PlaceholderName(slot);
            std::vector<Element> next;
            for (const Element& element : elements) {
                if (element.Slot >= 0) {
                    next.push_back(element);
                    continue;
                }
                int from = 0;
                for (;;) {
                    const int at = element.Text.indexOf(name, from);
                    if (at < 0)
                        break;
                    if (at > from)
                        next.push_back(Element{-1, element.Text.mid(from, at - from)});
                    next.push_back(Element{slot, QString()});
                    from = at + name.size();
                }
                if (from < element.Text.size())
                    next.push_back(Element{-1, element.Text.mid(from)});
            }
            elements.swap(next);
        }

        m_emptySafe.fill(true);
        QByteArray literal;  // bytes before the next slot
        const auto addPiece = [this, &literal](int slot) {
            Piece piece{literal, {}, slot};
            std::memcpy(piece.Head, literal.constData(), std::min<size_t>(sizeof piece.Head, literal.size()));
            m_pieces.push_back(piece);
            literal.clear();
        };
        for (size_t i = 0; i < elements.size(); ++i) {
            const Element& element = elements[i];
            if (element.Slot < 0) {
                literal += element.Text.toUtf8();
                // A literal piece that begins or ends in half a surrogate
                // pair might pair up with its neighbour in the whole text.
                if (element.Text.front().isSurrogate() || element.Text.back().isSurrogate())
                    m_literalsSplit = true;
                continue;
            }
            addPiece(element.Slot);
            m_used[static_cast<size_t>(element.Slot)] = true;
            // With an empty value the neighbours touch; they can only form a
            // new placeholder when the left one ends in '{' or a letter and
            // the right one starts with '}' or a letter. A neighbouring slot
            // is not looked into: such a slot counts as unsafe.
            const bool leftSafe = i == 0
                || (elements[i - 1].Slot < 0 && !IsAsciiLetter(elements[i - 1].Text.back())
                    && elements[i - 1].Text.back() != QLatin1Char('{'));
            const bool rightSafe = i + 1 == elements.size()
                || (elements[i + 1].Slot < 0 && !IsAsciiLetter(elements[i + 1].Text.front())
                    && elements[i + 1].Text.front() != QLatin1Char('}'));
            if (!leftSafe && !rightSafe) {
                m_emptySafe[static_cast<size_t>(element.Slot)] = false;
                if (MayBeEmpty(element.Slot))
                    m_mayJoin.push_back(element.Slot);
            }
        }
        if (!literal.isEmpty())
            addPiece(kNoSlot);
    }

    // True when the record's free texts cannot interact with the
    // replacements, so PutRecord gives the exact expansion.
    bool Fits(const FlightRecord& record, const TrackPoint& point, int index, const FlightValues& flight)
    {
        // The usual spellings of the times hold digits and no braces.
        return !m_literalsSplit && ((record.Spelled & FlightRecord::SrtTimeIsCue) || TextFits(SlotSrtTime, record.SrtTime))
            && ((record.Spelled & FlightRecord::FlyTimeIsLocalTime) || TextFits(SlotFlyTime, record.FlyTime))
            && (m_mayJoin.empty() || NoneEmpty(record, point, index, flight));
    }

    void PutRecord(const FlightRecord& record, const TrackPoint& point, int index, const FlightValues& flight,
                   ByteSink& out)
    {
        for (const Piece& piece : m_pieces) {
            if (piece.Literal.size() <= static_cast<int>(sizeof piece.Head)) {
                // A fixed-size copy is a few moves, not a call.
                char* at = out.Room(sizeof piece.Head);
                std::memcpy(at, piece.Head, sizeof piece.Head);
                out.MoveTo(at + piece.Literal.size());
            } else {
                out.Append(piece.Literal);
            }
            switch (piece.Slot) {
            case kNoSlot: break;
            case SlotSrtTime:
                if (record.Spelled & FlightRecord::SrtTimeIsCue)
                    PutSpelling(out, FormatCue, record.CueStartMs, record.CueEndMs);
                else
                    PutUtf8(out, record.SrtTime);
                break;
            case SlotFlyTime:
                if (record.Spelled & FlightRecord::FlyTimeIsLocalTime)
                    PutLocalTime(out, record.LocalTimeMs);
                else
                    PutUtf8(out, record.FlyTime);
                break;
            default: PutNumberSlot(out, piece.Slot, record, point, index, flight, m_spellings); break;
            }
        }
    }

private:
    struct Element {
        int Slot;
        QString Text;
    };
    // A literal text (may be empty) and the slot after it (or none, at
    // the end of the pattern).
    struct Piece {
        QByteArray Literal;
        char Head[16];  // the first bytes of Literal, padded with zeros
        int Slot;
    };
    static constexpr int kNoSlot = -1;

    // The local time is spelled to the second, and per-frame logs have
    // many records in each second: the last spelling is kept.
    void PutLocalTime(ByteSink& out, qint64 localMs)
    {
        if (quint64(localMs) - quint64(m_timeSecondMs) >= 1000 || !m_timeKept) {
            m_timeLength = FormatLocalTime(localMs, m_timeText);
            const qint64 intoSecond = localMs % 1000;
            m_timeSecondMs = localMs - (intoSecond < 0 ? intoSecond + 1000 : intoSecond);
            m_timeKept = true;
        }
        char* at = out.Room(sizeof m_timeText);
        std::memcpy(at, m_timeText, sizeof m_timeText);
        out.MoveTo(at + m_timeLength);
    }

    // Whether every value of m_mayJoin has text for this record.
    bool NoneEmpty(const FlightRecord& record, const TrackPoint& point, int index, const FlightValues& flight)
    {
        for (const int slot : m_mayJoin) {
            QByteArray bytes;
            ByteSink sink(bytes, 64);
            PutNumberSlot(sink, slot, record, point, index, flight, m_spellings);
            if (sink.Size() == 0)
                return false;
        }
        return true;
    }

    bool TextFits(int slot, const QString& text) const
    {
        if (!m_used[static_cast<size_t>(slot)])
            return true;
        if (text.isEmpty())
            return m_emptySafe[static_cast<size_t>(slot)];
        if (text.front().isSurrogate() || text.back().isSurrogate())
            return false;
        bool nonLetter = false;
        for (const QChar c : text) {
            if (IsBrace(c))
                return false;
            if (!IsAsciiLetter(c))
                nonLetter = true;
        }
        return nonLetter;
    }

    std::vector<Piece> m_pieces;
    std::array<bool, SlotCount> m_used{};
    std::array<bool, SlotCount> m_emptySafe{};
    std::vector<int> m_mayJoin;  // slots that may be empty and whose neighbours could join
    Spellings m_spellings;
    bool m_literalsSplit = false;
    bool m_timeKept = false;
    qint64 m_timeSecondMs = 0;  // the start of the second m_timeText spells
    char m_timeText[32] = {};
    int m_timeLength = 0;
};

// Writes the expansion of every record to `out`; calls `flush` whenever
// `out` has grown past `flushBytes`. Stops early when flush returns false.
template <typename Flush>
bool RenderInto(const Flight& flight, const QString& pattern, ByteSink& out, int flushBytes, Flush flush)
{
    SrtTemplate compiled(pattern, flight);
    const FlightValues values(flight, pattern);
    const FlightRecordList& records = flight.Log.Records;
    for (int index = 0; index < static_cast<int>(records.size()); ++index) {
        const FlightRecord& record = records[static_cast<size_t>(index)];
        const TrackPoint& point = flight.Points[static_cast<size_t>(index)];
        if (compiled.Fits(record, point, index, values))
            compiled.PutRecord(record, point, index, values, out);
        else
            out.Append(ExpandBlock(record, point, index, pattern, values).toUtf8());
        if (out.Size() >= flushBytes && !flush(out))
            return false;
    }
    return true;
}

// Writes all of `out` in one call and empties it; a failed or short write
// is a failure.
bool WriteAll(QIODevice* device, ByteSink& out)
{
    const int size = out.Size();
    out.Clear();
    return WriteAllBytes(device, out.Data(), size);
}

constexpr int kFlushBytes = 256 * 1024;

}  // namespace

QString DefaultOutputPattern()
{
    return QStringLiteral(
        "{ID}\r\n"
        "{SrtTime}\r\n"
        "{FlyTime}   GPS:{GPS}   Hb:{Barometer}\r\n"
        "Dst: {Distance}m   Spd: {SpeedMS}m/s  ({SpeedKMH}km/h)   Way: {Way}m\r\n"
        "\r\n");
}

namespace {

// Whether the pattern prints some of `which` in some record: the name is in
// it, or forms where values between its pieces are empty.
bool PatternPrints(const QString& pattern, std::initializer_list<Placeholder> which)
{
    // The replacements in their order with every value empty: an empty
    // value is the only one that can join its neighbours into a name.
    QString text = pattern;
    for (int slot = 0; slot < SlotCount; ++slot) {
        const QString name = PlaceholderName(slot);
        if (!text.contains(name))
            continue;
        if (std::find(which.begin(), which.end(), static_cast<Placeholder>(slot)) != which.end())
            return true;
        text.remove(name);
    }
    return false;
}

}  // namespace

bool SubtitlesLeaveOutPositions(const Flight& flight, const QString& pattern)
{
    return HasPrivacyZone(flight) && PatternPrints(pattern, {Placeholder::Distance, Placeholder::DistanceFt})
        && PatternPrints(pattern, {Placeholder::Gps, Placeholder::Lat, Placeholder::Lon});
}

QString RenderSrtRecord(const Flight& flight, int index, const QString& pattern)
{
    if (index < 0 || static_cast<size_t>(index) >= std::min(flight.Log.Records.size(), flight.Points.size()))
        return QString();
    const FlightValues values(flight, pattern);
    return ExpandBlock(flight.Log.Records[static_cast<size_t>(index)], flight.Points[static_cast<size_t>(index)], index,
                       pattern, values);
}

QByteArray RenderSrtBlocks(const Flight& flight, const QString& pattern)
{
    QByteArray out;
    ByteSink sink(out, 64 * 1024);
    RenderInto(flight, pattern, sink, std::numeric_limits<int>::max(), [](ByteSink&) { return true; });
    sink.Finish();
    return out;
}

bool WriteSrtBlocks(const Flight& flight, const QString& pattern, QIODevice* device)
{
    QByteArray buffer;
    ByteSink sink(buffer, kFlushBytes + 64 * 1024);
    const auto flush = [device](ByteSink& out) { return WriteAll(device, out); };
    return RenderInto(flight, pattern, sink, kFlushBytes, flush) && flush(sink);
}
