#pragma once
// A loopback stand-in for the simulator: listens on 127.0.0.1 (a free port), accepts connections,
// answers the initialise packet with a version packet, can send keep-alives, records every packet it
// receives (framed with the 4-byte size unit) and sends whatever a test asks for on the newest
// connection. Everything runs on one thread of its own; every wait is bounded by a timeout.

#include <QByteArray>
#include <QList>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

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
    void SetAnswerInit(bool value) { m_answerInit = value; }
    // Send a keep-alive tiny packet every that many milliseconds on the newest connection (0: never).
    void SetKeepAlive(int milliseconds) { m_keepAliveMs = milliseconds; }
    // Stop reading from connections (their data piles up in the kernel).
    void SetReading(bool value) { m_reading = value; }
    // Close each connection as soon as its initialise packet has arrived.
    void SetCloseOnInit(bool value) { m_closeOnInit = value; }

    int Accepted() const;
    // Connections whose other end has closed (receive returned 0 or failed).
    int Ended() const;
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
    // Closes the newest connection.
    void CloseConnection();

    // Records the peer sends (with the 4-byte size unit).
    static QByteArray Version(const QByteArray& text4 = "0.9", const QByteArray& text12 = "KV");
    static QByteArray Tiny(quint8 subCode);
    static QByteArray Click(quint8 clickId, quint8 flags);
    static QByteArray Typed(quint8 clickId, const QByteArray& text);
    static QByteArray Console(const QByteArray& text, quint8 chat);

private:
    struct Connection {
        int Fd = -1;
        int Index = 0;
        QByteArray Pending;
        bool Open = true;
    };
    void Run();
    template <typename Condition> bool WaitUntil(int timeoutMs, Condition condition) const;
    void Receive(Connection& connection);
    int NewestFd() const;

    int m_listenFd = -1;
    int m_wakePipe[2] = {-1, -1};
    quint16 m_port = 0;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_answerInit{true};
    std::atomic<int> m_keepAliveMs{0};
    std::atomic<bool> m_reading{true};
    std::atomic<bool> m_closeOnInit{false};

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    std::vector<Connection> m_connections; // guarded by m_mutex
    std::mutex m_sendMutex;                // one sender at a time on a connection
    QList<Packet> m_packets;
    int m_accepted = 0;
    int m_ended = 0;
    std::thread m_thread;
};
