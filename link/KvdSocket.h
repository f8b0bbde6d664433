#pragma once
// TKvdSocket: carries the Dromo protocol over one TCP connection. It owns the socket, one reader thread
// per connection, the ring buffer in which the received stream is reassembled and the framing that cuts
// whole packets out of it. Every failed socket call becomes one line of text passed to OnError. What
// happens when the link comes up or goes down, and what is done with each packet, is supplied by a
// descendant (Open, Close, HandlePacket).
//
// Threads. The reader thread never holds a plain pointer to the component: it reaches it through a
// shared state object (see KvdSocketThread.h) that the component detaches on destruction, after which
// the reader finishes without touching it. With Synchronized true the reader hands each received chunk
// to the component's thread and waits until that chunk is processed, the connection is closed or the
// component goes away, so that thread may close the link or destroy the component at any time without
// waiting for the reader to return first. A handler must not destroy the component that called it
// (deleteLater does it safely).

#include "link/KvdFramer.h"
#include "link/KvdSocketBuffer.h"
#include "link/KvdSocketWriter.h"
#include "link/KvdSysSocket.h"
#include "link/KvdTypes.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <memory>
#include <mutex>

struct TKvdSocketShared;
class TKvdConnection;
class TKvdSocketThread;

class TKvdSocket : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString Address READ Address WRITE SetAddress)
    Q_PROPERTY(int Port READ Port WRITE SetPort)
    Q_PROPERTY(quint8 Version READ Version WRITE SetVersion)
    Q_PROPERTY(bool Synchronized READ Synchronized WRITE SetSynchronized)

public:
    static constexpr int BufferCapacity = 32768;
    static constexpr int RecvSize = 16384;
    static constexpr int PacketAreaSize = 16384;
    static constexpr int DefaultSendTimeout = 5000;
    static constexpr int DefaultConnectTimeout = 5000;

    explicit TKvdSocket(QObject* owner = nullptr);
    ~TKvdSocket() override;

    // Receives every error text; may be called on the reader thread. Assign while inactive.
    TKvdSocketErrorEvent OnError;

    QString Address() const;
    void SetAddress(const QString& value);
    int Port() const;
    void SetPort(int value);
    quint8 Version() const { return m_version.load(); }
    void SetVersion(quint8 value);
    quint8 SizeUnit() const { return m_sizeUnit.load(); }
    bool Synchronized() const { return m_synchronized.load(); }
    void SetSynchronized(bool value) { m_synchronized = value; }
    // Milliseconds the writer waits for a peer that takes no data before the link is taken down.
    int SendTimeout() const { return m_sendTimeout.load(); }
    void SetSendTimeout(int milliseconds) { m_sendTimeout = qMax(1, milliseconds); }
    // Milliseconds a connect may take before it fails as timed out.
    int ConnectTimeout() const { return m_connectTimeout.load(); }
    void SetConnectTimeout(int milliseconds) { m_connectTimeout = qMax(1, milliseconds); }

    bool Active() const { return m_active.load(); }
    // Brings the link up (Open) or down (Close) under the lock; does nothing when unchanged.
    void SetActive(bool value);

    // The connected socket's handle, or KvdSys::InvalidSocket (-1).
    KvdSys::SocketHandle Handle() const;

    // Creates the socket and connects to Address:Port; starts the reader and writer threads when
    // connected. Returns the handle, or KvdSys::InvalidSocket after a failure (which has been reported).
    KvdSys::SocketHandle OpenSocket();
    // Releases the socket: nothing more received is delivered and the reader's pending receive ends;
    // the writer sends what is queued, then shuts the socket down.
    void CloseSocket();
    // Queues the bytes for the writer and returns length; never waits for the peer. With more set, the
    // writer waits for the rest of the run, so that a run of packets goes out in one send; the last
    // send of a run must not set it. Without a connection reports a bad handle and returns -1; on a
    // connection that has failed returns -1 without a report (the failure has been reported once).
    int SendRaw(const void* data, int length, bool more = false);
    // Returns result unchanged; when it is -1 reports the system's last error (KvdSys::LastError) as
    // "[Address:Port] message", unless the call would merely have blocked.
    int CheckResult(int result);
    // Reports the system error code as "[Address:Port] message".
    void ReportSystemError(int code);
    // Calls OnError; an exception thrown by the handler is dropped.
    void ReportError(const QString& message);

    // Appends received bytes and delivers every whole packet in stream order.
    // Each packet the framer cuts goes to HandlePacket when it has at least 2 bytes, a size byte other
    // than 0 and a type from 1 to 67, and is dropped silently otherwise. An exception escaping the handler
    // is reported through OnError and the stream goes on.
    void ProcessData(const void* data, int length);
    // Discards everything the buffer holds.
    void DrainBuffer();
    const TKvdSocketBuffer& Buffer() const { return m_framer.Buffer(); }

protected:
    // One whole packet that passed the delivery test.
    virtual void HandlePacket(const TKvdPacket& packet) = 0;
    // Called by SetActive with Active already true, under the lock.
    virtual void Open() = 0;
    // Called by SetActive with Active already false, under the lock.
    virtual void Close() = 0;

    // Stores Active without running Open or Close (a failed Open puts it back this way).
    void SetActiveDirect(bool value) { m_active = value; }
    // Takes the link down through Close, detaches every reader thread and joins every writer thread. A
    // descendant calls it first in its destructor, so that Close still runs as the descendant's.
    void ShutDown();

private:
    friend class TKvdSocketThread;
    friend class TKvdSocketWriter;

    // Runs chunks that reader threads handed to this component's thread.
    Q_INVOKABLE void ProcessPending();
    // Frames one chunk of the connection, unless that connection has been closed or replaced.
    void ProcessChunk(const TKvdConnection& connection, const quint8* data, int length);
    // The reader thread's start: empties the buffer for its connection.
    void BeginConnection(quint64 generation);
    // The reader thread's end: takes the link down when its connection is still the current one.
    void EndConnection(quint64 generation);
    void DetachReaders();
    // The writer's failure: reports the error once no packet of the connection is being delivered,
    // unless the connection had been closed already or the link is no longer active, then marks the
    // connection closed.
    void GiveUp(TKvdConnection& connection, int code);
    void Fatal(const QString& message);
    // The delivery test of ProcessData.
    static bool Deliverable(const quint8* packet, int areaLength);
    // Passes the packet to HandlePacket; an exception escaping the handler is reported.
    void Handle(const quint8* packet, int length);
    std::shared_ptr<TKvdConnection> CurrentConnection() const;

    std::shared_ptr<TKvdSocketShared> m_shared;
    TKvdWriterThreads m_writers;

    mutable std::mutex m_propsMutex; // Address and Port are read by error reports on the reader thread
    QString m_address;
    int m_port = 0;
    std::atomic<quint8> m_version{9};
    std::atomic<quint8> m_sizeUnit{4};
    std::atomic<bool> m_synchronized{true};
    std::atomic<int> m_sendTimeout{DefaultSendTimeout};
    std::atomic<int> m_connectTimeout{DefaultConnectTimeout};

    std::atomic<bool> m_active{false};
    std::recursive_mutex m_activeLock; // serialises changes of Active and the Open/Close they run
    quint64 m_generation = 0;          // connections opened so far; guarded by m_activeLock

    mutable std::mutex m_connectionMutex;
    std::shared_ptr<TKvdConnection> m_connection;

    // Framing: the framer and the packet area are used by one thread at a time.
    std::recursive_mutex m_processLock;
    TKvdFramer m_framer{4, BufferCapacity};
    quint64 m_bufferGeneration = 0;
    std::unique_ptr<quint8[]> m_packetArea;
    bool m_detached = false;
    // The connection whose chunk is being framed; delivery stops when it is closed meanwhile.
    const TKvdConnection* m_framing = nullptr;
};
