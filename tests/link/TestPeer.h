#pragma once
// A loopback stand-in for the simulator: listens on 127.0.0.1 (a free port), accepts connections,
// answers the initialise packet with a version packet, can send keep-alives, records every packet it
// receives (framed with the 4-byte size unit) and sends whatever a test asks for on the newest
// connection. Its sockets live on a thread of their own with an event loop; every call from outside waits
// for that thread to carry it out, and every wait is bounded by a timeout.

#include <QByteArray>
#include <QList>
#include <QString>

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class QEvent;
class QObject;
class QTcpServer;
class QTcpSocket;
class QThread;
class QTimer;

class TestPeer {
public:
    struct Packet {
        int Connection; // index of the accepted connection, from 0
        QByteArray Bytes;
    };

    TestPeer();
    ~TestPeer();
    TestPeer(const TestPeer&) = delete;
    TestPeer& operator=(const TestPeer&) = delete;

    quint16 Port() const { return m_port; }

    // Answer each initialise packet with a version packet (on by default).
    void SetAnswerInit(bool value);
    // Send a keep-alive tiny packet every that many milliseconds on the newest connection (0: never).
    void SetKeepAlive(int milliseconds);
    // Stop reading from connections (their data piles up in the system's buffers).
    void SetReading(bool value);
    // Close each connection as soon as its initialise packet has arrived.
    void SetCloseOnInit(bool value);
    // Record and answer packets (on by default); off, received bytes are only counted and dropped.
    void SetRecording(bool value);

    int Accepted() const;
    // Connections that have ended, whichever side closed them.
    int Ended() const;
    // Bytes received on every connection so far.
    qint64 BytesReceived() const;
    // The waits keep handling the calling thread's events.
    bool WaitForAccepted(int count, int timeoutMs = 5000) const;
    bool WaitForEnded(int count, int timeoutMs = 5000) const;
    bool WaitForPackets(int count, int timeoutMs = 5000) const;
    QList<Packet> Packets() const;
    QList<QByteArray> PacketBytes() const;
    void ClearPackets();

    // Raw bytes on the newest connection; false when there is none or the send failed.
    bool Send(const QByteArray& bytes);
    // The bytes one per send call, pausing between them so that they arrive separately.
    bool SendBytewise(const QByteArray& bytes, int pauseMs = 2);
    // Closes the newest connection once what has been sent on it is on its way.
    void CloseConnection();

    // Records the peer sends (with the 4-byte size unit).
    static QByteArray Version(const QByteArray& text4 = "0.9", const QByteArray& text12 = "KV");
    static QByteArray Tiny(quint8 subCode);
    static QByteArray Click(quint8 clickId, quint8 flags);
    static QByteArray Typed(quint8 clickId, const QByteArray& text);
    static QByteArray Console(const QByteArray& text, quint8 chat);

private:
    // Used on the peer's thread only.
    struct Connection {
        QTcpSocket* Socket = nullptr;
        int Index = 0;
        QByteArray Pending;
        bool Ended = false;
    };

    struct PendingCall {
        const std::function<void()>* Call;
        bool Done = false;
    };

    // Runs the call on the peer's thread and returns when it has run.
    void OnPeerThread(const std::function<void()>& call);
    // The peer's thread: runs the calls handed over when the event is the one that announces them.
    bool RunCalls(QEvent* event);
    template <typename Condition> bool WaitUntil(int timeoutMs, Condition condition) const;
    // The handlers of the peer's thread.
    void Accept();
    void Receive(Connection& connection);
    void Frame(Connection& connection);
    void End(Connection& connection);
    bool SendNewest(const QByteArray& bytes);
    Connection* Newest();

    std::unique_ptr<QThread> m_thread;
    QObject* m_context = nullptr; // lives on m_thread; parent of the server, the sockets and the timer
    QTcpServer* m_server = nullptr;
    QTimer* m_keepAlive = nullptr;
    quint16 m_port = 0;
    bool m_answerInit = true; // these four: peer's thread only
    bool m_reading = true;
    bool m_closeOnInit = false;
    bool m_recording = true;
    std::vector<std::unique_ptr<Connection>> m_connections; // peer's thread only

    std::mutex m_callMutex; // guards the hand-over of calls to the peer's thread
    std::condition_variable m_callDone;
    std::deque<PendingCall*> m_calls;
    bool m_started = false;
    bool m_runningCalls = false; // peer's thread only

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    QList<Packet> m_packets; // guarded by m_mutex, as are the counts
    int m_accepted = 0;
    int m_ended = 0;
    qint64 m_bytesReceived = 0;
};
