#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

// Cuts a log into block texts, from bytes fed in pieces of any size, holding
// only the block being read. The text starts after a UTF-8 byte-order mark
// and ends at the first NUL (recordings cut short are often padded with
// NULs). A line ends at CR LF, LF or a lone CR; a block is a maximal run of
// non-empty lines, joined by the line ends that stood between them; the last
// block needs no empty line or line end after it. Each block is decoded from
// UTF-8 on its own (invalid sequences become U+FFFD), which gives exactly the
// characters of decoding the whole text.
class BlockSplitter {
public:
    using BlockFunction = std::function<bool(const QString& block)>;

    // `textStart`: the bytes fed begin the text, where a byte-order mark is
    // passed over; false for bytes that go on from whole blocks cut before
    // them (a mark there is a character of the block).
    explicit BlockSplitter(BlockFunction block, bool textStart = true);

    // Reads `size` more bytes (`last`: the end of the log) and passes every
    // block completed by them to the block function, in order, until it
    // returns false. Returns false once the text has ended or the function
    // stopped the walk.
    bool Feed(const char* data, int size, bool last);

private:
    // Feed's way with bytes that go on from those held: Space gives room for
    // `size` more bytes after them, Commit takes the `size` bytes written
    // there and scans.
    char* Space(int size);
    bool Commit(int size, bool last);
    bool Scan(const char* d, int end, bool last);
    QString Decode(const char* d, int first, int last) const;

    BlockFunction m_block;
    QByteArray m_buffer;  // the bytes from the block (or line) being read on
    int m_held = 0;       // how many of them were there before the last Space
    int m_scan = 0;       // where the next line starts, in m_buffer
    int m_blockBegin = 0;
    int m_blockEnd = 0;
    bool m_inBlock = false;
    bool m_started = false;  // the byte-order mark has been looked for
    bool m_hasCr = false;
    bool m_ended = false;
};
