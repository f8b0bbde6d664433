#include "link/KvdSysSocket.h"

#include <QByteArray>

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

static_assert(KvdSys::WouldBlock == EWOULDBLOCK && KvdSys::WouldBlock == EAGAIN);
static_assert(KvdSys::TimedOut == ETIMEDOUT);
static_assert(KvdSys::BadHandle == EBADF);
static_assert(KvdSys::AddressNotAvailable == EADDRNOTAVAIL);

namespace KvdSys {

SocketHandle OpenTcpSocket() {
    return ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
}

bool SetReceiveBufferSize(SocketHandle socket, int bytes) {
    return ::setsockopt(int(socket), SOL_SOCKET, SO_RCVBUF, &bytes, sizeof bytes) == 0;
}

bool SetSendTimeout(SocketHandle socket, int milliseconds) {
    const timeval timeout{milliseconds / 1000, (milliseconds % 1000) * 1000};
    return ::setsockopt(int(socket), SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout) == 0;
}

// The connect itself runs non-blocking, so that an address that never answers cannot hold the caller for
// the system's own connect timeout of minutes.
int ConnectWithin(SocketHandle socket, const QByteArray& address, quint16 port, int timeoutMs) {
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(port);
    if (::inet_aton(address.constData(), &peer.sin_addr) == 0) {
        errno = EADDRNOTAVAIL;
        return -1;
    }
    const int fd = int(socket);
    const int flags = ::fcntl(fd, F_GETFL);
    ::fcntl(fd, F_SETFL, flags | O_NONBLOCK);
    int result = ::connect(fd, reinterpret_cast<const sockaddr*>(&peer), sizeof peer);
    if (result == -1 && errno == EINPROGRESS) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        pollfd waiting{fd, POLLOUT, 0};
        int ready;
        do {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            ready = ::poll(&waiting, 1, int(qMax<qint64>(0, left.count())));
        } while (ready == -1 && errno == EINTR);
        if (ready == 0) {
            errno = ETIMEDOUT;
        } else if (ready > 0) {
            int error = 0;
            socklen_t length = sizeof error;
            ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length);
            if (error == 0)
                result = 0;
            else
                errno = error;
        }
    }
    const int code = errno;
    ::fcntl(fd, F_SETFL, flags);
    errno = code;
    return result;
}

qint64 Send(SocketHandle socket, const char* data, qint64 length) {
    ssize_t sent;
    do
        sent = ::send(int(socket), data, size_t(length), MSG_NOSIGNAL);
    while (sent == -1 && errno == EINTR);
    return sent;
}

qint64 Receive(SocketHandle socket, char* data, qint64 length) {
    ssize_t received;
    do
        received = ::recv(int(socket), data, size_t(length), 0);
    while (received == -1 && errno == EINTR);
    return received;
}

void ShutdownReceive(SocketHandle socket) {
    ::shutdown(int(socket), SHUT_RD);
}

void ShutdownBoth(SocketHandle socket) {
    ::shutdown(int(socket), SHUT_RDWR);
}

void Close(SocketHandle socket) {
    ::close(int(socket));
}

int LastError() {
    return errno;
}

QString ErrorText(int code) {
    char text[256];
    const char* message = strerror_r(code, text, sizeof text);
    return QString::fromLocal8Bit(message).trimmed();
}

} // namespace KvdSys
