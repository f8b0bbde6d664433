#pragma once
// Files that tests write before the code under test reads them, and read back after it wrote them.

#include <QByteArray>
#include <QFile>
// Only the checks: the whole of QTest here would come before a fixture that chooses how QTest
// delivers mouse events.
#include <QtTest/qtestcase.h>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

// Creates (or empties) the file and writes bytes to it, failing the test when that does not succeed.
inline void WriteFile(const QString& name, const QByteArray& bytes) {
    QFile file(name);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

// The file's contents; a file that cannot be read gives a marker text, so that it never passes for an
// empty one.
inline QByteArray ReadFile(const QString& name) {
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

// Creates (or empties) the file named by those bytes, which need not be valid UTF-8 (Qt's file classes
// would take the name as text), and writes bytes to it; false when any step fails. On Windows names are
// text, and the bytes are that text in the local encoding.
inline bool WriteByName(const QByteArray& path, const QByteArray& bytes) {
#ifdef Q_OS_WIN
    QFile file(QFile::decodeName(path));
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
#else
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const bool written = ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
    return ::close(fd) == 0 && written;
#endif
}
