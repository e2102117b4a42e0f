#pragma once

#include <QByteArray>
#include <QIODevice>

#include <algorithm>

// A write-only device that takes a fixed number of bytes and then fails, the
// way a full disk or a pulled stick fails a file. In Fail mode a write that
// does not fit writes nothing and returns -1; in Short mode it writes what
// still fits and returns that smaller count. It remembers whether anything
// tried to write after the first failed or short write.
class FailingDevice : public QIODevice {
public:
    enum class Mode { Fail, Short };

    FailingDevice(qint64 capacity, Mode mode) : m_capacity(capacity), m_mode(mode)
    {
        open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    }

    const QByteArray& Written() const { return m_written; }
    bool Failed() const { return m_failed; }
    // Write calls made after the first failed or short one.
    int WritesAfterFailure() const { return m_writesAfterFailure; }

protected:
    qint64 readData(char*, qint64) override { return -1; }

    qint64 writeData(const char* data, qint64 size) override
    {
        if (m_failed)
            ++m_writesAfterFailure;
        const qint64 room = m_capacity - m_written.size();
        if (size <= room) {
            m_written.append(data, static_cast<int>(size));
            return size;
        }
        m_failed = true;
        if (m_mode == Mode::Fail)
            return -1;
        const qint64 taken = std::max<qint64>(room, 0);
        m_written.append(data, static_cast<int>(taken));
        return taken;
    }

private:
    qint64 m_capacity;
    Mode m_mode;
    QByteArray m_written;
    bool m_failed = false;
    int m_writesAfterFailure = 0;
};
