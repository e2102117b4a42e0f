#include "output/SrtTemplate.h"

#include "output/PlaceholderValues.h"

#include <array>
#include <cstring>
#include <vector>

namespace subtitles {
namespace {

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
        return !m_literalsSplit && ((record.Spelled & FlightRecord::SrtTimeIsCue) || TextFits(SlotSrtTime, record.SrtTime()))
            && ((record.Spelled & FlightRecord::FlyTimeIsLocalTime) || TextFits(SlotFlyTime, record.FlyTime()))
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
                    PutSpelling(out, FormatCue, record.CueStartMs, record.CueEndMs());
                else
                    PutUtf8(out, record.SrtTime());
                break;
            case SlotFlyTime:
                if (record.Spelled & FlightRecord::FlyTimeIsLocalTime)
                    PutLocalTime(out, record.LocalTimeMs);
                else
                    PutUtf8(out, record.FlyTime());
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

    // The logged local time, spelled to the second (FlightRecord::FlyTimeText).
    void PutLocalTime(ByteSink& out, qint64 localMs)
    {
        const char* text = nullptr;
        const int length = m_flyTimes.Spell(localMs, &text);
        out.Append(text, length);
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
    SecondSpelling m_flyTimes;
};

} // namespace

bool RenderSrtInto(const Flight& flight, const QString& pattern, ByteSink& out, int flushBytes,
                   const std::function<bool(ByteSink&)>& flush, std::size_t first, std::size_t end)
{
    SrtTemplate compiled(pattern, flight);
    const FlightValues values(flight, pattern);
    const FlightRecordList& records = flight.Log.Records;
    const int last = static_cast<int>(std::min(end, records.size()));
    for (int index = static_cast<int>(first); index < last; ++index) {
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

} // namespace subtitles
