#pragma once
// The bounded queue of lines behind TConsoleWriter, the same on every system. Not synchronised: the
// writer that owns it guards it where a thread of its own takes from it.

#include <QByteArray>

class TLineQueue {
public:
    explicit TLineQueue(qsizetype maxBytes) : m_max(maxBytes) {}

    // Adds the line and its break, preceded by the notice of the lines dropped before it. A line that does
    // not fit (with that notice) is dropped and counted instead; false then.
    bool Add(const QByteArray& line) {
        const QByteArray notice = m_dropped > 0 ? Notice() : QByteArray();
        const qsizetype needed = line.size() + 1 + (notice.isEmpty() ? 0 : notice.size() + 1);
        if (needed > m_max - Size()) {
            ++m_dropped;
            return false;
        }
        if (!notice.isEmpty()) {
            Append(notice);
            m_dropped = 0;
        }
        Append(line);
        return true;
    }

    // At the end: the reader learns of the last gap even when the notice no longer fits.
    void AddDropNotice() {
        if (m_dropped > 0) {
            Append(Notice());
            m_dropped = 0;
        }
    }

    const char* Data() const { return m_bytes.constData() + m_head; }
    qsizetype Size() const { return m_bytes.size() - m_head; }
    qint64 Dropped() const { return m_dropped; }

    // The first n bytes were written.
    void Consume(qsizetype n) {
        m_head += n;
        if (m_head == m_bytes.size())
            Clear();
    }
    void Clear() {
        m_bytes.clear();
        m_head = 0;
    }

private:
    QByteArray Notice() const { return "dropped " + QByteArray::number(m_dropped) + " lines"; }

    void Append(const QByteArray& line) {
        // Written bytes are removed once they are half of the buffer, so appending stays cheap.
        if (m_head > 0 && m_head >= m_bytes.size() / 2) {
            m_bytes.remove(0, m_head);
            m_head = 0;
        }
        m_bytes += line;
        m_bytes += '\n';
    }

    qsizetype m_max;
    QByteArray m_bytes;
    qsizetype m_head = 0; // bytes at the front of m_bytes already written
    qint64 m_dropped = 0; // lines dropped since the last notice
};
