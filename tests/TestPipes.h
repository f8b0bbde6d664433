#pragma once
// Pipes between a test and the code under test, read without ever waiting: the tests stop reading on
// purpose to see what a writer then does. File descriptors as the C runtime has them on every system.

#include <QByteArray>

#include <algorithm>

#include <fcntl.h>
#ifdef Q_OS_UNIX
#include <poll.h>
#include <unistd.h>
#else
#include <io.h>
#endif
#include "tests/WindowsApi.h"

#ifdef Q_OS_UNIX
inline bool MakePipe(int fds[2]) {
    return ::pipe2(fds, O_CLOEXEC) == 0;
}
inline void CloseFd(int fd) {
    ::close(fd);
}
inline bool WriteFd(int fd, const QByteArray& bytes) {
    return ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
}
// Whatever the pipe holds now.
inline QByteArray ReadAvailable(int fd) {
    QByteArray got;
    char buffer[65536];
    pollfd readable{fd, POLLIN, 0};
    while (::poll(&readable, 1, 0) == 1) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0)
            break;
        got.append(buffer, n);
    }
    return got;
}
#else
// Text mode on the writing end, as the standard output of a program.
inline bool MakePipe(int fds[2]) {
    return ::_pipe(fds, 65536, _O_TEXT | _O_NOINHERIT) == 0;
}
inline void CloseFd(int fd) {
    ::_close(fd);
}
inline bool WriteFd(int fd, const QByteArray& bytes) {
    return ::_write(fd, bytes.constData(), unsigned(bytes.size())) == bytes.size();
}
// Whatever the pipe holds now, as raw bytes (the C runtime's text mode would take the carriage returns).
inline QByteArray ReadAvailable(int fd) {
    QByteArray got;
    const auto pipe = reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
    char buffer[65536];
    DWORD available = 0, n = 0;
    while (::PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) && available > 0 &&
           ::ReadFile(pipe, buffer, std::min<DWORD>(available, sizeof buffer), &n, nullptr) && n > 0)
        got.append(buffer, qsizetype(n));
    return got;
}
#endif
