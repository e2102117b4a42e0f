#pragma once

#include "output/FixedNumber.h"

#include <QByteArray>
#include <QString>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

// The bytes of a text output as they are made (the subtitle file, the CSV):
// a cursor into a QByteArray sized ahead, so that most values are written
// in place without a call to QByteArray per piece.
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
inline void PutUnusualFixed(ByteSink& out, double value, int decimals)
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

// A whole number as QString::number(value, 'f', 0) writes it.
inline void PutWhole(ByteSink& out, double value)
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

// UTF-8 of `text` appended to `out`; ASCII, the usual case, byte by byte.
inline void PutUtf8(ByteSink& out, const QString& text)
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
