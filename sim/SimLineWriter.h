#pragma once
// Lines for a reader that may fall behind or stop reading (the headless stand-in's standard output):
// written without ever blocking the event loop, from a queue of bounded size. When the reader is so far
// behind that the queue is full, new lines are dropped and the next line that fits is preceded by
// "dropped N lines".

#include <QByteArray>
#include <QObject>

class QSocketNotifier;

class TSimLineWriter : public QObject {
    Q_OBJECT

public:
    // Writes to the file descriptor fd, which stays open; at most maxQueued bytes wait for the reader.
    TSimLineWriter(int fd, qsizetype maxQueued, QObject* parent = nullptr);
    ~TSimLineWriter() override;

    // Queues one line (without its line break) and writes as much as the reader takes now.
    void Write(const QByteArray& line);
    // Before the program ends: writes what waits while the reader takes it, and gives up once the reader
    // has taken nothing for idleMs. True when everything was written.
    bool Drain(int idleMs);

    qsizetype Queued() const { return m_queue.size() - m_head; }
    qint64 Dropped() const { return m_dropped; }

private:
    void Flush();
    void Append(const QByteArray& line);

    int m_fd;
    bool m_ownFd = false;    // m_fd was opened here, non-blocking, for the descriptor given
    int m_restoreFlags = -1; // the descriptor's flags before it was made non-blocking
    bool m_broken = false;   // the reader has gone: lines are thrown away
    qsizetype m_maxQueued;
    QByteArray m_queue;
    qsizetype m_head = 0; // bytes at the front of m_queue already written
    qint64 m_dropped = 0; // lines dropped since the last notice
    QSocketNotifier* m_notifier = nullptr;
};
