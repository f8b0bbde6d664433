#pragma once
// The sending side of one connection: a bounded queue of outgoing bytes and the thread that writes it
// to the socket. Whoever sends only appends to the queue, so no caller ever waits on the network; the
// writer takes everything queued at once and sends it in one call. When the peer takes nothing for
// the whole send timeout, or the queue overflows, the writer gives the connection up: it reports one
// error, marks the connection closed so that nothing more received on it is delivered, and shuts the
// socket down, which ends the reader and with it the link. The error is reported on the writer thread,
// so an OnError handler must not wait for another thread. The writer threads of a component are joined
// by the component (TKvdWriterThreads): those that have ended whenever a new one starts, the rest when
// the component is destroyed.

#include <QByteArray>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

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
    // Whether the writer thread has left its loop.
    bool Ended();
    // Finish, then waits until the writer has ended; false when the deadline came first.
    bool FinishAndWait(std::chrono::steady_clock::time_point deadline);

private:
    friend class TKvdSocketWriter;

    std::mutex m_mutex;
    std::condition_variable m_changed;
    QByteArray m_pending;
    bool m_wake = false;       // a run is complete: the writer may send
    bool m_finishing = false;  // no more appends; flush and shut down
    bool m_overflowed = false; // a packet did not fit: the stream is broken
    bool m_failed = false;     // the writer has given the connection up
    bool m_ended = false;      // the writer thread has left its loop and touches nothing more
};

// The writer thread of one connection.
class TKvdSocketWriter {
public:
    TKvdSocketWriter(std::shared_ptr<TKvdSocketShared> shared, std::shared_ptr<TKvdConnection> connection);
    // The thread's body: it returns after Finish has been flushed or the connection failed.
    void Run();

private:
    // Sends all bytes; the system's code of the failure (KvdSys::TimedOut when the peer took nothing), or 0.
    int SendAll(const QByteArray& bytes);
    // Gives the connection up with one error report.
    void Fail(int code);

    const std::shared_ptr<TKvdSocketShared> m_shared;
    const std::shared_ptr<TKvdConnection> m_connection;
};

// The writer threads a component has started. Closing a connection never waits for its writer (it may be
// sending to a peer that has stopped reading); the thread is joined later, once it has ended.
class TKvdWriterThreads {
public:
    // How long destruction lets a writer flush what is queued (a closing packet, say) before it cuts the
    // connection off; a peer that takes the bytes needs far less.
    static constexpr std::chrono::milliseconds FlushGrace{250};

    TKvdWriterThreads() = default;
    TKvdWriterThreads(const TKvdWriterThreads&) = delete;
    TKvdWriterThreads& operator=(const TKvdWriterThreads&) = delete;
    ~TKvdWriterThreads() { JoinAll(); }

    // Joins the writers that have ended, then starts one for the connection.
    void Start(std::shared_ptr<TKvdSocketShared> shared, std::shared_ptr<TKvdConnection> connection);
    // Joins every writer: each gets FlushGrace to send what its queue holds, after which its socket is
    // shut down, which ends a send that is waiting for the peer at once. Called on destruction.
    void JoinAll();

private:
    struct Writer {
        std::thread Thread;
        // Weak, so that the socket is closed as soon as the reader and the writer have let go of it.
        std::weak_ptr<TKvdConnection> Connection;
    };
    std::mutex m_mutex;
    std::vector<Writer> m_writers;
};
