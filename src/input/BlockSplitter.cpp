#include "input/BlockSplitter.h"

#include <cstdint>
#include <cstring>

namespace {

// The position of the first CR or LF in [from, end), or end. memchr is
// vectorised; the CR search only covers the line up to its LF, and none is
// made in a text without CR.
int LineEnd(const char* d, int from, int end, bool hasCr)
{
    const void* lf = std::memchr(d + from, '\n', static_cast<std::size_t>(end - from));
    const int lineEnd = lf ? static_cast<int>(static_cast<const char*>(lf) - d) : end;
    if (!hasCr)
        return lineEnd;
    const void* cr = std::memchr(d + from, '\r', static_cast<std::size_t>(lineEnd - from));
    return cr ? static_cast<int>(static_cast<const char*>(cr) - d) : lineEnd;
}

constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";

} // namespace

BlockSplitter::BlockSplitter(BlockFunction block, bool textStart)
    : m_block(std::move(block))
    , m_started(!textStart)
{
}

bool BlockSplitter::Feed(const char* data, int size, bool last)
{
    if (m_ended)
        return false;
    // The whole of what is left, given at once, is read where it stands,
    // without a copy (nothing is held: no block or line has begun).
    if (m_buffer.isEmpty() && last) {
        if (const void* nul = size > 0 ? std::memchr(data, '\0', static_cast<std::size_t>(size)) : nullptr)
            size = static_cast<int>(static_cast<const char*>(nul) - data);
        m_hasCr = m_hasCr || (size > 0 && std::memchr(data, '\r', static_cast<std::size_t>(size)) != nullptr);
        const bool mark = !m_started && size >= 3 && std::memcmp(data, kByteOrderMark, 3) == 0;
        m_started = true;
        m_scan = mark ? 3 : 0;
        const bool going = Scan(data, size, true);
        m_ended = true;
        return going;
    }
    char* room = Space(size);
    if (size > 0)
        std::memcpy(room, data, static_cast<std::size_t>(size));
    return Commit(size, last);
}

char* BlockSplitter::Space(int size)
{
    m_held = m_buffer.size();
    m_buffer.resize(m_held + size);
    return m_buffer.data() + m_held;
}

bool BlockSplitter::Commit(int size, bool last)
{
    if (m_ended)
        return false;
    const char* data = m_buffer.constData() + m_held;
    if (const void* nul = size > 0 ? std::memchr(data, '\0', static_cast<std::size_t>(size)) : nullptr) {
        size = static_cast<int>(static_cast<const char*>(nul) - data);
        last = true;
    }
    m_buffer.resize(m_held + size);
    m_hasCr = m_hasCr || (size > 0 && std::memchr(data, '\r', static_cast<std::size_t>(size)) != nullptr);
    if (!m_started) {
        if (m_buffer.size() < 3 && !last)
            return true;
        m_started = true;
        if (m_buffer.startsWith(kByteOrderMark))
            m_scan = 3;
    }
    const bool going = Scan(m_buffer.constData(), m_buffer.size(), last);
    if (last || !going) {
        m_ended = true;
        m_buffer.clear();
        return false;
    }
    // Only the block being read (or the line being read) is kept.
    const int keep = m_inBlock ? m_blockBegin : m_scan;
    if (keep > 0) {
        m_buffer.remove(0, keep);
        m_scan -= keep;
        m_blockBegin -= keep;
        m_blockEnd -= keep;
    }
    return true;
}

bool BlockSplitter::Scan(const char* d, int end, bool last)
{
    int p = m_scan;
    while (p < end) {
        const int q = LineEnd(d, p, end, m_hasCr);
        // A line without its end, or a CR whose LF may still come, waits
        // for more bytes.
        if (!last && (q == end || (d[q] == '\r' && q + 1 == end)))
            break;
        if (q > p) {
            if (!m_inBlock) {
                m_blockBegin = p;
                m_inBlock = true;
            }
            m_blockEnd = q;
        } else if (m_inBlock) {
            m_inBlock = false;
            if (!m_block(Decode(d, m_blockBegin, m_blockEnd)))
                return false;
        }
        if (q == end) {
            p = end;
            break;
        }
        p = q + ((d[q] == '\r' && q + 1 < end && d[q + 1] == '\n') ? 2 : 1);
    }
    m_scan = p;
    if (last && m_inBlock) {
        m_inBlock = false;
        return m_block(Decode(d, m_blockBegin, m_blockEnd));
    }
    return true;
}

namespace {

// Whether no byte has its top bit set, eight bytes at a time.
bool IsAscii(const char* d, int n)
{
    std::uint64_t bits = 0;
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, d + i, sizeof word);
        bits |= word;
    }
    for (; i < n; ++i)
        bits |= static_cast<unsigned char>(d[i]);
    return (bits & 0x8080808080808080ull) == 0;
}

} // namespace

// A block starts right after a line end (ASCII), where the decoder holds no
// pending sequence, so decoding block by block gives the characters of the
// whole text, with one exception: fromUtf8 drops a byte-order mark at the
// start of what it is given, while inside the text the mark is an ordinary
// character (U+FEFF). Marks at the start of a block are therefore decoded
// by hand.
QString BlockSplitter::Decode(const char* d, int first, int last) const
{
    int marks = 0;
    while (last - first >= 3 && std::memcmp(d + first, kByteOrderMark, 3) == 0) {
        ++marks;
        first += 3;
    }
    // ASCII, the usual case, is widened as it stands: what fromUtf8 makes of
    // it, without its decoder.
    QString text = IsAscii(d + first, last - first) ? QString::fromLatin1(d + first, last - first)
                                                   : QString::fromUtf8(d + first, last - first);
    if (marks > 0)
        text.prepend(QString(marks, QChar(0xFEFF)));
    return text;
}
