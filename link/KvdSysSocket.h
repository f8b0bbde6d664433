#pragma once
// The few socket calls the link's transport makes, over POSIX sockets (KvdSysSocketPosix.cpp) or Winsock
// (KvdSysSocketWin.cpp). Nothing else in the link includes an operating-system header. Every failing call
// returns -1 (or false) and leaves its code for LastError, in the system's own numbering (errno values on
// Unix, WSA codes on Windows), so that ErrorText gives the system's own message for it.

#include <QByteArray>
#include <QString>
#include <QtGlobal>

namespace KvdSys {

// A socket of the system: a descriptor on Unix, a SOCKET on Windows (whose invalid value is -1 here too).
using SocketHandle = qintptr;
constexpr SocketHandle InvalidSocket = -1;

// The codes the transport tells apart; each platform file checks them against the system's.
#ifdef Q_OS_WIN
constexpr int WouldBlock = 10035;          // WSAEWOULDBLOCK
constexpr int TimedOut = 10060;            // WSAETIMEDOUT
constexpr int BadHandle = 10038;           // WSAENOTSOCK
constexpr int AddressNotAvailable = 10049; // WSAEADDRNOTAVAIL
#else
constexpr int WouldBlock = 11;          // EAGAIN, which is EWOULDBLOCK
constexpr int TimedOut = 110;           // ETIMEDOUT
constexpr int BadHandle = 9;            // EBADF
constexpr int AddressNotAvailable = 99; // EADDRNOTAVAIL
#endif

// A blocking TCP socket that child processes do not inherit, or InvalidSocket.
SocketHandle OpenTcpSocket();
bool SetReceiveBufferSize(SocketHandle socket, int bytes);
// A send that the peer does not take within that time fails (LastError: WouldBlock or TimedOut).
bool SetSendTimeout(SocketHandle socket, int milliseconds);
// Connects to the dotted IPv4 address (no host name is looked up: AddressNotAvailable) and port, failing
// with TimedOut after timeoutMs. The socket is blocking again afterwards. 0 or -1.
int ConnectWithin(SocketHandle socket, const QByteArray& address, quint16 port, int timeoutMs);
// Sends what the system takes at once (at least one byte unless it fails); never raises SIGPIPE.
qint64 Send(SocketHandle socket, const char* data, qint64 length);
// Receives what has arrived, waiting for at least one byte; 0 at the end of the stream. Where a shutdown
// does not end a receive that is waiting (Windows), it waits at most ReceiveSlice and then fails with
// WouldBlock, so that the caller can check whether it still wants to receive.
qint64 Receive(SocketHandle socket, char* data, qint64 length);
constexpr int ReceiveSlice = 50; // milliseconds
// Ends the receiving side: a receive waiting on the socket returns (on Windows: within ReceiveSlice).
void ShutdownReceive(SocketHandle socket);
// Ends both sides; a send waiting for the peer fails at once.
void ShutdownBoth(SocketHandle socket);
void Close(SocketHandle socket);

// The code of the calling thread's last failed call.
int LastError();
// The system's message for a code, without trailing line breaks.
QString ErrorText(int code);

} // namespace KvdSys
