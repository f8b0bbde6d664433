#pragma once
// Writes a file whose name is given as bytes, for tests of names that are not valid UTF-8 (Qt's file
// classes would take the name as text).

#include <QByteArray>

#include <fcntl.h>
#include <unistd.h>

// Creates (or empties) the file named by those bytes and writes bytes to it; false when any step fails.
inline bool WriteByName(const QByteArray& path, const QByteArray& bytes) {
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const bool written = ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
    return ::close(fd) == 0 && written;
}
