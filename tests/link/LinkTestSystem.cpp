#include "LinkTestSystem.h"

#ifdef Q_OS_WIN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <winsock2.h>
// After winsock2.h, which includes windows.h without the older winsock.h:
#include <tlhelp32.h>
#else
#include <QDir>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#ifdef Q_OS_WIN
using Native = SOCKET;
using AddressLength = int;
static void CloseNative(qintptr socket) {
    ::closesocket(Native(socket));
}
static const char* OptionValue(const int& value) {
    return reinterpret_cast<const char*>(&value);
}
#else
using Native = int;
using AddressLength = socklen_t;
static void CloseNative(qintptr socket) {
    ::close(int(socket));
}
static const int* OptionValue(const int& value) {
    return &value;
}
#endif

bool SetSendBufferSize(qintptr socket, int bytes) {
    return ::setsockopt(Native(socket), SOL_SOCKET, SO_SNDBUF, OptionValue(bytes), sizeof bytes) == 0;
}

StalledListener::StalledListener() {
#ifdef Q_OS_WIN
    WSADATA data;
    m_started = ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
    if (!m_started)
        return;
#endif
    // A backlog of 0 holds one connection, which the filler takes.
    const Native listener = ::socket(AF_INET, SOCK_STREAM, 0);
    m_listener = qintptr(listener);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    AddressLength length = sizeof address;
    if (::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener, 0) != 0 ||
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return;
    const Native filler = ::socket(AF_INET, SOCK_STREAM, 0);
    m_filler = qintptr(filler);
    m_port = ntohs(address.sin_port);
    m_ready = ::connect(filler, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
}

StalledListener::~StalledListener() {
    if (m_filler != -1)
        CloseNative(m_filler);
    if (m_listener != -1)
        CloseNative(m_listener);
#ifdef Q_OS_WIN
    if (m_started)
        ::WSACleanup();
#endif
}

int ThreadsOfProcess() {
#ifdef Q_OS_WIN
    const HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return -1;
    const DWORD self = ::GetCurrentProcessId();
    int count = 0;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Thread32First(snapshot, &entry); more; more = ::Thread32Next(snapshot, &entry))
        count += entry.th32OwnerProcessID == self ? 1 : 0;
    ::CloseHandle(snapshot);
    return count;
#else
    return int(QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size());
#endif
}
