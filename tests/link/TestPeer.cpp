#include "TestPeer.h"
#include "LinkTestUtil.h"

#include <QCoreApplication>

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

using Clock = std::chrono::steady_clock;

TestPeer::TestPeer() {
    m_listenFd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int yes = 1;
    ::setsockopt(m_listenFd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    ::bind(m_listenFd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::listen(m_listenFd, 64);
    socklen_t length = sizeof address;
    ::getsockname(m_listenFd, reinterpret_cast<sockaddr*>(&address), &length);
    m_port = ntohs(address.sin_port);
    if (::pipe2(m_wakePipe, O_CLOEXEC | O_NONBLOCK) != 0)
        m_wakePipe[0] = m_wakePipe[1] = -1;
    m_thread = std::thread([this] { Run(); });
}

TestPeer::~TestPeer() {
    m_stop = true;
    const char byte = 0;
    if (::write(m_wakePipe[1], &byte, 1) < 0) {
        // The thread also wakes up on its poll timeout.
    }
    m_thread.join();
    for (Connection& connection : m_connections)
        ::close(connection.Fd);
    ::close(m_listenFd);
    ::close(m_wakePipe[0]);
    ::close(m_wakePipe[1]);
}

void TestPeer::Run() {
    auto lastKeepAlive = Clock::now();
    while (!m_stop) {
        std::vector<pollfd> fds{{m_listenFd, POLLIN, 0}, {m_wakePipe[0], POLLIN, 0}};
        std::vector<int> indexes;
        {
            std::lock_guard lock(m_mutex);
            if (m_reading) {
                for (size_t i = 0; i < m_connections.size(); ++i) {
                    if (m_connections[i].Open) {
                        fds.push_back({m_connections[i].Fd, POLLIN, 0});
                        indexes.push_back(int(i));
                    }
                }
            }
        }
        ::poll(fds.data(), fds.size(), 20);
        if (fds[1].revents & POLLIN) {
            char drain[16];
            while (::read(m_wakePipe[0], drain, sizeof drain) > 0) {
            }
        }
        if (fds[0].revents & POLLIN) {
            const int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd >= 0) {
                const int yes = 1;
                ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
                std::lock_guard lock(m_mutex);
                m_connections.push_back(Connection{fd, m_accepted++, {}, true});
                m_changed.notify_all();
            }
        }
        for (size_t k = 2; k < fds.size(); ++k) {
            if (fds[k].revents & (POLLIN | POLLHUP | POLLERR)) {
                std::lock_guard lock(m_mutex);
                Receive(m_connections[size_t(indexes[k - 2])]);
            }
        }
        const int keepAlive = m_keepAliveMs;
        if (keepAlive > 0 && Clock::now() - lastKeepAlive >= std::chrono::milliseconds(keepAlive)) {
            lastKeepAlive = Clock::now();
            Send(Tiny(0));
        }
    }
}

// Called with m_mutex held.
void TestPeer::Receive(Connection& connection) {
    char data[4096];
    const ssize_t received = ::recv(connection.Fd, data, sizeof data, MSG_DONTWAIT);
    if (received < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
        return;
    if (received <= 0) {
        connection.Open = false;
        ++m_ended;
        m_changed.notify_all();
        return;
    }
    connection.Pending.append(data, received);
    for (;;) {
        if (connection.Pending.isEmpty())
            break;
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
        if (packet.size() >= 2 && packet.at(1) == 1) {
            if (m_answerInit) {
                const QByteArray version = Version();
                ::send(connection.Fd, version.constData(), size_t(version.size()), MSG_NOSIGNAL);
            }
            if (m_closeOnInit)
                ::shutdown(connection.Fd, SHUT_RDWR);
        }
    }
    m_changed.notify_all();
}

int TestPeer::Accepted() const {
    std::lock_guard lock(m_mutex);
    return m_accepted;
}

int TestPeer::Ended() const {
    std::lock_guard lock(m_mutex);
    return m_ended;
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

int TestPeer::NewestFd() const {
    for (auto it = m_connections.rbegin(); it != m_connections.rend(); ++it) {
        if (it->Open)
            return it->Fd;
    }
    return -1;
}

bool TestPeer::Send(const QByteArray& bytes) {
    std::lock_guard lock(m_mutex);
    const int fd = NewestFd();
    if (fd == -1)
        return false;
    return ::send(fd, bytes.constData(), size_t(bytes.size()), MSG_NOSIGNAL) == bytes.size();
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
    std::lock_guard lock(m_mutex);
    const int fd = NewestFd();
    if (fd != -1)
        ::shutdown(fd, SHUT_RDWR);
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
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd); // bound but never listening: connects are refused
    return ntohs(address.sin_port);
}
