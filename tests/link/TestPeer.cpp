#include "TestPeer.h"
#include "LinkTestUtil.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>

#include <chrono>
#include <thread>

using Clock = std::chrono::steady_clock;

namespace {
// What the peer takes from the system per connection before it reads again. With reading stopped, no
// more than this is taken, so that a peer that does not read soon leaves the sender's buffers full.
constexpr qint64 ReadWindow = 16384;
} // namespace

// The peer's object on its thread: hands every event to the peer first.
class PeerContext : public QObject {
public:
    explicit PeerContext(std::function<bool(QEvent*)> handle) : m_handle(std::move(handle)) {}
    // From now on the peer is not asked: it is going away while the thread winds down.
    void Detach() { m_detached = true; }

protected:
    bool event(QEvent* event) override { return (!m_detached && m_handle(event)) || QObject::event(event); }

private:
    const std::function<bool(QEvent*)> m_handle;
    bool m_detached = false;
};

constexpr QEvent::Type RunCallsEvent = QEvent::User;

TestPeer::TestPeer() : m_thread(std::make_unique<QThread>()) {
    m_context = new PeerContext([this](QEvent* event) { return RunCalls(event); });
    m_context->moveToThread(m_thread.get());
    // What is left of the peer's objects goes with the context when the thread ends.
    QObject::connect(m_thread.get(), &QThread::finished, m_context, &QObject::deleteLater);
    // The thread's event dispatcher exists once it has started; nothing is posted to it before.
    QObject::connect(
        m_thread.get(), &QThread::started, m_context,
        [this] {
            std::lock_guard lock(m_callMutex);
            m_started = true;
            m_callDone.notify_all();
        },
        Qt::DirectConnection);
    m_thread->start();
    {
        std::unique_lock lock(m_callMutex);
        m_callDone.wait(lock, [this] { return m_started; });
    }
    OnPeerThread([this] {
        m_server = new QTcpServer(m_context);
        m_server->setMaxPendingConnections(1000);
        QObject::connect(m_server, &QTcpServer::newConnection, m_context, [this] { Accept(); });
        m_server->listen(QHostAddress::LocalHost, 0);
        m_port = m_server->serverPort();
        m_keepAlive = new QTimer(m_context);
        QObject::connect(m_keepAlive, &QTimer::timeout, m_context, [this] { SendNewest(Tiny(0)); });
    });
}

TestPeer::~TestPeer() {
    OnPeerThread([this] {
        m_keepAlive->stop();
        m_server->close();
        for (const auto& connection : m_connections) {
            QObject::disconnect(connection->Socket, nullptr, m_context, nullptr);
            connection->Socket->abort();
        }
        static_cast<PeerContext*>(m_context)->Detach();
    });
    m_thread->quit();
    m_thread->wait();
}

// The call and its completion pass through m_callMutex rather than through Qt's own queue, so that race
// checkers, which cannot see inside Qt, see the hand-over both ways.
void TestPeer::OnPeerThread(const std::function<void()>& call) {
    PendingCall pending{&call};
    std::unique_lock lock(m_callMutex);
    m_calls.push_back(&pending);
    QCoreApplication::postEvent(m_context, new QEvent(RunCallsEvent));
    m_callDone.wait(lock, [&] { return pending.Done; });
}

bool TestPeer::RunCalls(QEvent* event) {
    // Events a call sends to the context meanwhile (a child added, say) are not ours.
    if (m_runningCalls)
        return false;
    // The event was made under the lock, so it is looked at only under the lock.
    std::lock_guard lock(m_callMutex);
    if (event->type() != RunCallsEvent)
        return false;
    m_runningCalls = true;
    while (!m_calls.empty()) {
        PendingCall* pending = m_calls.front();
        m_calls.pop_front();
        (*pending->Call)();
        pending->Done = true;
    }
    m_runningCalls = false;
    m_callDone.notify_all();
    return true;
}

void TestPeer::Accept() {
    while (QTcpSocket* socket = m_server->nextPendingConnection()) {
        socket->setParent(m_context);
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        socket->setReadBufferSize(ReadWindow);
        auto connection = std::make_unique<Connection>();
        connection->Socket = socket;
        Connection* at = connection.get();
        QObject::connect(socket, &QTcpSocket::readyRead, m_context, [this, at] { Receive(*at); });
        QObject::connect(socket, &QTcpSocket::disconnected, m_context, [this, at] { End(*at); });
        std::lock_guard lock(m_mutex);
        connection->Index = m_accepted++;
        m_connections.push_back(std::move(connection));
        m_changed.notify_all();
    }
}

void TestPeer::Receive(Connection& connection) {
    if (!m_reading)
        return;
    QTcpSocket* socket = connection.Socket;
    if (!m_recording) {
        char drop[ReadWindow];
        qint64 dropped = 0;
        for (qint64 n; (n = socket->read(drop, sizeof drop)) > 0;)
            dropped += n;
        std::lock_guard lock(m_mutex);
        m_bytesReceived += dropped;
        return;
    }
    const QByteArray data = socket->readAll();
    if (data.isEmpty())
        return;
    connection.Pending.append(data);
    {
        std::lock_guard lock(m_mutex);
        m_bytesReceived += data.size();
    }
    Frame(connection);
}

void TestPeer::Frame(Connection& connection) {
    std::unique_lock lock(m_mutex);
    while (!connection.Pending.isEmpty()) {
        const int n = quint8(connection.Pending.at(0)) * 4;
        if (n == 0) {
            // Not a packet: recorded as it stands, and the rest is not framed.
            m_packets.append({connection.Index, connection.Pending});
            connection.Pending.clear();
            break;
        }
        if (connection.Pending.size() < n)
            break;
        const QByteArray packet = connection.Pending.left(n);
        connection.Pending.remove(0, n);
        m_packets.append({connection.Index, packet});
        if (packet.at(1) == 1) {
            if (m_answerInit) {
                connection.Socket->write(Version());
                connection.Socket->flush();
            }
            // What has been written still goes out first.
            if (m_closeOnInit)
                connection.Socket->disconnectFromHost();
        }
    }
    m_changed.notify_all();
}

void TestPeer::End(Connection& connection) {
    if (connection.Ended)
        return;
    connection.Ended = true;
    std::lock_guard lock(m_mutex);
    ++m_ended;
    m_changed.notify_all();
}

TestPeer::Connection* TestPeer::Newest() {
    for (auto it = m_connections.rbegin(); it != m_connections.rend(); ++it) {
        if ((*it)->Socket->state() == QAbstractSocket::ConnectedState)
            return it->get();
    }
    return nullptr;
}

bool TestPeer::SendNewest(const QByteArray& bytes) {
    Connection* connection = Newest();
    if (!connection)
        return false;
    const bool written = connection->Socket->write(bytes) == bytes.size();
    connection->Socket->flush();
    return written;
}

void TestPeer::SetAnswerInit(bool value) {
    OnPeerThread([this, value] { m_answerInit = value; });
}

void TestPeer::SetKeepAlive(int milliseconds) {
    OnPeerThread([this, milliseconds] {
        if (milliseconds > 0)
            m_keepAlive->start(milliseconds);
        else
            m_keepAlive->stop();
    });
}

void TestPeer::SetReading(bool value) {
    OnPeerThread([this, value] {
        m_reading = value;
        // What piled up meanwhile is taken now.
        if (value)
            for (const auto& connection : m_connections)
                Receive(*connection);
    });
}

void TestPeer::SetCloseOnInit(bool value) {
    OnPeerThread([this, value] { m_closeOnInit = value; });
}

void TestPeer::SetRecording(bool value) {
    OnPeerThread([this, value] { m_recording = value; });
}

int TestPeer::Accepted() const {
    std::lock_guard lock(m_mutex);
    return m_accepted;
}

int TestPeer::Ended() const {
    std::lock_guard lock(m_mutex);
    return m_ended;
}

qint64 TestPeer::BytesReceived() const {
    std::lock_guard lock(m_mutex);
    return m_bytesReceived;
}

// Waits for the condition while the calling thread keeps handling its events, so that a client with
// Synchronized true living on this thread can go on processing what it receives.
template <typename Condition> bool TestPeer::WaitUntil(int timeoutMs, Condition condition) const {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        std::unique_lock lock(m_mutex);
        if (condition())
            return true;
        if (Clock::now() >= deadline)
            return false;
        m_changed.wait_for(lock, std::chrono::milliseconds(2));
    }
}

bool TestPeer::WaitForAccepted(int count, int timeoutMs) const {
    return WaitUntil(timeoutMs, [&] { return m_accepted >= count; });
}

bool TestPeer::WaitForEnded(int count, int timeoutMs) const {
    return WaitUntil(timeoutMs, [&] { return m_ended >= count; });
}

bool TestPeer::WaitForPackets(int count, int timeoutMs) const {
    return WaitUntil(timeoutMs, [&] { return m_packets.size() >= count; });
}

QList<TestPeer::Packet> TestPeer::Packets() const {
    std::lock_guard lock(m_mutex);
    return m_packets;
}

QList<QByteArray> TestPeer::PacketBytes() const {
    std::lock_guard lock(m_mutex);
    QList<QByteArray> bytes;
    for (const Packet& packet : m_packets)
        bytes.append(packet.Bytes);
    return bytes;
}

void TestPeer::ClearPackets() {
    std::lock_guard lock(m_mutex);
    m_packets.clear();
}

bool TestPeer::Send(const QByteArray& bytes) {
    bool sent = false;
    OnPeerThread([&] { sent = SendNewest(bytes); });
    return sent;
}

bool TestPeer::SendBytewise(const QByteArray& bytes, int pauseMs) {
    for (char byte : bytes) {
        if (!Send(QByteArray(1, byte)))
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs));
    }
    return true;
}

void TestPeer::CloseConnection() {
    OnPeerThread([this] {
        if (Connection* connection = Newest())
            connection->Socket->disconnectFromHost();
    });
}

static QByteArray Record(int length, quint8 type) {
    QByteArray record(length, '\0');
    record[0] = char(length / 4);
    record[1] = char(type);
    return record;
}

QByteArray TestPeer::Version(const QByteArray& text4, const QByteArray& text12) {
    QByteArray record = Record(20, 2);
    record.replace(4, qMin<int>(text4.size(), 8), text4.left(8));
    record.replace(12, qMin<int>(text12.size(), 8), text12.left(8));
    return record;
}

QByteArray TestPeer::Tiny(quint8 subCode) {
    QByteArray record = Record(4, 3);
    record[3] = char(subCode);
    return record;
}

QByteArray TestPeer::Click(quint8 clickId, quint8 flags) {
    QByteArray record = Record(8, 46);
    record[4] = char(clickId);
    record[6] = char(flags);
    return record;
}

QByteArray TestPeer::Typed(quint8 clickId, const QByteArray& text) {
    QByteArray record = Record(8 + 96 + 4, 47);
    record[4] = char(clickId);
    record.replace(8, qMin<int>(text.size(), 96), text.left(96));
    return record;
}

QByteArray TestPeer::Console(const QByteArray& text, quint8 chat) {
    QByteArray record = Record(8 + 128 + 4, 11);
    record[6] = char(chat);
    record.replace(8, qMin<int>(text.size(), 128), text.left(128));
    return record;
}

quint16 ClosedPort() {
    // A port that was free a moment ago and has nothing listening on it now: connects are refused.
    QTcpServer server;
    if (!server.listen(QHostAddress::LocalHost, 0))
        return 0;
    const quint16 port = server.serverPort();
    server.close();
    return port;
}
