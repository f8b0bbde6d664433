#include "link/KvdSysSocket.h"

#include <QByteArray>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <winsock2.h>
#include <ws2tcpip.h>

#include <climits>
#include <iterator>

static_assert(KvdSys::WouldBlock == WSAEWOULDBLOCK);
static_assert(KvdSys::TimedOut == WSAETIMEDOUT);
static_assert(KvdSys::BadHandle == WSAENOTSOCK);
static_assert(KvdSys::AddressNotAvailable == WSAEADDRNOTAVAIL);
static_assert(SOCKET(KvdSys::InvalidSocket) == INVALID_SOCKET);

namespace KvdSys {

namespace {

// Winsock is started once per process, by the first socket made (thread-safe static initialisation);
// it stays up until the process ends. The code of a failed start, or 0.
int StartError() {
    static const int error = [] {
        WSADATA data;
        return ::WSAStartup(MAKEWORD(2, 2), &data);
    }();
    return error;
}

SOCKET Native(SocketHandle socket) {
    return SOCKET(socket);
}

bool SetBlocking(SOCKET socket, bool blocking) {
    u_long nonBlocking = blocking ? 0 : 1;
    return ::ioctlsocket(socket, FIONBIO, &nonBlocking) == 0;
}

// A dotted IPv4 address; the short forms ("127.1") that the Unix side accepts as well.
bool ParseAddress(const QByteArray& address, in_addr& result) {
    if (::inet_pton(AF_INET, address.constData(), &result) == 1)
        return true;
    if (address.isEmpty())
        return false;
    const unsigned long value = ::inet_addr(address.constData());
    if (value == INADDR_NONE)
        return false;
    result.s_addr = value;
    return true;
}

} // namespace

SocketHandle OpenTcpSocket() {
    if (const int error = StartError()) {
        ::WSASetLastError(error);
        return InvalidSocket;
    }
    const SOCKET socket = ::WSASocketW(AF_INET, SOCK_STREAM, IPPROTO_TCP, nullptr, 0,
                                       WSA_FLAG_OVERLAPPED | WSA_FLAG_NO_HANDLE_INHERIT);
    return socket == INVALID_SOCKET ? InvalidSocket : SocketHandle(socket);
}

bool SetReceiveBufferSize(SocketHandle socket, int bytes) {
    return ::setsockopt(Native(socket), SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&bytes),
                        sizeof bytes) == 0;
}

bool SetSendTimeout(SocketHandle socket, int milliseconds) {
    const DWORD timeout = DWORD(milliseconds);
    return ::setsockopt(Native(socket), SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&timeout),
                        sizeof timeout) == 0;
}

// The connect itself runs non-blocking, so that an address that never answers cannot hold the caller for
// the system's own connect timeout.
int ConnectWithin(SocketHandle handle, const QByteArray& address, quint16 port, int timeoutMs) {
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(port);
    if (!ParseAddress(address, peer.sin_addr)) {
        ::WSASetLastError(WSAEADDRNOTAVAIL);
        return -1;
    }
    const SOCKET socket = Native(handle);
    if (!SetBlocking(socket, false))
        return -1;
    int result = ::connect(socket, reinterpret_cast<const sockaddr*>(&peer), sizeof peer);
    int code = result == 0 ? 0 : ::WSAGetLastError();
    if (result != 0 && code == WSAEWOULDBLOCK) {
        WSAPOLLFD waiting{};
        waiting.fd = socket;
        waiting.events = POLLWRNORM;
        const int ready = ::WSAPoll(&waiting, 1, qMax(0, timeoutMs));
        if (ready == 0) {
            code = WSAETIMEDOUT;
        } else if (ready < 0) {
            code = ::WSAGetLastError();
        } else {
            int error = 0;
            int length = sizeof error;
            ::getsockopt(socket, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length);
            if (error == 0 && (waiting.revents & POLLWRNORM)) {
                result = 0;
                code = 0;
            } else {
                code = error != 0 ? error : WSAECONNREFUSED;
            }
        }
    }
    SetBlocking(socket, true);
    ::WSASetLastError(code);
    return result == 0 ? 0 : -1;
}

qint64 Send(SocketHandle socket, const char* data, qint64 length) {
    const int sent = ::send(Native(socket), data, int(qMin<qint64>(length, INT_MAX)), 0);
    return sent == SOCKET_ERROR ? -1 : sent;
}

qint64 Receive(SocketHandle socket, char* data, qint64 length) {
    // A shutdown from another thread does not end a recv that is already waiting, so the wait for data
    // is done in slices.
    WSAPOLLFD waiting{};
    waiting.fd = Native(socket);
    waiting.events = POLLRDNORM;
    const int ready = ::WSAPoll(&waiting, 1, ReceiveSlice);
    if (ready == SOCKET_ERROR)
        return -1;
    if (ready == 0) {
        ::WSASetLastError(WSAEWOULDBLOCK);
        return -1;
    }
    const int received = ::recv(Native(socket), data, int(qMin<qint64>(length, INT_MAX)), 0);
    return received == SOCKET_ERROR ? -1 : received;
}

void ShutdownReceive(SocketHandle socket) {
    ::shutdown(Native(socket), SD_RECEIVE);
}

void ShutdownBoth(SocketHandle socket) {
    ::shutdown(Native(socket), SD_BOTH);
    // A shutdown leaves a send that waits for the peer waiting; cancelling the socket's pending calls
    // ends it (and a waiting receive) at once.
    ::CancelIoEx(reinterpret_cast<HANDLE>(Native(socket)), nullptr);
}

void Close(SocketHandle socket) {
    ::closesocket(Native(socket));
}

int LastError() {
    return ::WSAGetLastError();
}

QString ErrorText(int code) {
    wchar_t text[512];
    const DWORD length =
        ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, DWORD(code),
                         MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), text, DWORD(std::size(text)), nullptr);
    if (length == 0)
        return QStringLiteral("Unknown error %1").arg(code);
    // The system's messages end with a line break.
    return QString::fromWCharArray(text, int(length)).trimmed();
}

} // namespace KvdSys
