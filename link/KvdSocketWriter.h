#pragma once
// The sending side of one connection: a bounded queue of outgoing bytes and the thread that writes it
// to the socket. Whoever sends only appends to the queue, so no caller ever waits on the network; the
// writer takes everything queued at once and sends it in one call. When the peer takes nothing for
// the whole send timeout, or the queue overflows, the writer gives the connection up: it reports one
// error, marks the connection closed so that nothing more received on it is delivered, and shuts the
// socket down, which ends the reader and with it the link. The error is reported on the writer thread,
// so an OnError handler must not wait for another thread.

#include <QByteArray>

#include <condition_variable>
#include <memory>
#include <mutex>

struct TKvdSocketShared;
class TKvdConnection;

class TKvdOutgoing {
public:
    // Bytes that may wait for the peer: many refreshes of a full layout.
    static constexpr int Capacity = 1 << 20;

    // Queues a whole packet. With more set, the writer is not woken yet, so that a run of packets goes
    // out in one send. False when the connection has failed or is closing, or when the packet does not
    // fit (the connection then fails).
    bool Append(const void* data, int length, bool more);
    // No more bytes are accepted; the writer sends what is queued, then shuts the socket down.
    void Finish();

private:
    friend class TKvdSocketWriter;

    std::mutex m_mutex;
    std::condition_variable m_changed;
    QByteArray m_pending;
    bool m_wake = false;       // a run is complete: the writer may send
    bool m_finishing = false;  // no more appends; flush and shut down
    bool m_overflowed = false; // a packet did not fit: the stream is broken
    bool m_failed = false;     // the writer has given the connection up
};

// The writer thread of one connection.
class TKvdSocketWriter {
public:
    // Starts the thread at once; it ends after Finish has been flushed or the connection failed.
    static void Create(std::shared_ptr<TKvdSocketShared> shared, std::shared_ptr<TKvdConnection> connection);

private:
    TKvdSocketWriter(std::shared_ptr<TKvdSocketShared> shared, std::shared_ptr<TKvdConnection> connection);
    void Run();
    // Sends all bytes; the errno of the failure (ETIMEDOUT when the peer took nothing), or 0.
    int SendAll(const QByteArray& bytes);
    // Gives the connection up with one error report.
    void Fail(int code);

    const std::shared_ptr<TKvdSocketShared> m_shared;
    const std::shared_ptr<TKvdConnection> m_connection;
};
