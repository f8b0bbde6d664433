#include "core/FileName.h"

#include <QFile>
#include <QFileInfo>

#include <cstring>
#include <optional>

// qt_error_string takes a Windows error code on Windows; errno values need the C library's own table.
QString ErrnoText(int code) {
#ifdef Q_OS_WIN
    return QString::fromLocal8Bit(std::strerror(code));
#else
    return qt_error_string(code);
#endif
}

#ifdef Q_OS_UNIX
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr char16_t EscapedByte = 0xDC00; // ArgumentText's code unit for an invalid byte b is 0xDC00 + b

bool RoundTrips(const QByteArray& bytes) {
    return QFile::encodeName(QFile::decodeName(bytes)) == bytes;
}

// The bytes ArgumentText escaped; nothing when text is not such an escape.
std::optional<QByteArray> Unescape(const QString& text) {
    QByteArray bytes;
    bool escaped = false;
    for (const QChar c : text) {
        const char16_t unit = c.unicode();
        if (unit >= EscapedByte + 0x80 && unit <= EscapedByte + 0xFF)
            escaped = true;
        else if (unit >= 0x80)
            return std::nullopt;
        bytes += char(unit & 0xFF);
    }
    if (!escaped)
        return std::nullopt;
    return bytes;
}
} // namespace

TFileName::TFileName(const QString& name) {
    const std::optional<QByteArray> bytes = Unescape(name);
    m_bytes = bytes ? *bytes : QFile::encodeName(name);
}

TFileName TFileName::FromBytes(const QByteArray& bytes) {
    TFileName name;
    name.m_bytes = bytes;
    return name;
}

bool TFileName::IsEmpty() const {
    return m_bytes.isEmpty();
}

bool TFileName::IsText() const {
    return RoundTrips(m_bytes);
}

QString TFileName::Text() const {
    return QFile::decodeName(m_bytes);
}

QString TFileName::KeptText() const {
    return IsText() ? Text() : ArgumentText(m_bytes.constData());
}

bool operator==(const TFileName& a, const TFileName& b) {
    return a.m_bytes == b.m_bytes;
}

QString ArgumentText(const char* argument) {
    const QByteArray bytes(argument);
    if (RoundTrips(bytes))
        return QFile::decodeName(bytes);
    QString text;
    text.reserve(bytes.size());
    for (const char byte : bytes) {
        const auto value = static_cast<unsigned char>(byte);
        text += QChar(value < 0x80 ? char16_t(value) : char16_t(EscapedByte + value));
    }
    return text;
}

QString OpenForReading(const TFileName& name, QFile& file, TFileFacts& facts) {
    const int fd = ::open(name.Bytes().constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return qt_error_string(errno);
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        const int error = errno;
        ::close(fd);
        return qt_error_string(error);
    }
    if (!file.open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return file.errorString();
    }
    facts.Regular = S_ISREG(info.st_mode);
    facts.Size = qint64(info.st_size);
    return QString();
}

bool IsSameFile(const TFileName& a, const TFileName& b) {
    struct stat first {};
    struct stat second {};
    if (a.IsEmpty() || b.IsEmpty() || ::stat(a.Bytes().constData(), &first) != 0 ||
        ::stat(b.Bytes().constData(), &second) != 0)
        return false;
    return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

bool IsMangledName(const TFileName& name) {
    const QString text = name.Text();
    if (!text.contains(QChar::ReplacementCharacter) || QFileInfo::exists(text))
        return false;
    // Qt's folder listings leave out names that are not valid UTF-8, so the folder is read here.
    const QFileInfo info(text);
    DIR* folder = ::opendir(QFile::encodeName(info.absolutePath()).constData());
    if (!folder)
        return false;
    bool found = false;
    while (const dirent* entry = ::readdir(folder)) {
        const QByteArray entryName(entry->d_name);
        if (!RoundTrips(entryName) && QFile::decodeName(entryName) == info.fileName()) {
            found = true;
            break;
        }
    }
    ::closedir(folder);
    return found;
}

#else // Windows: names are UTF-16 text, which Qt's file classes take as they are.

#include <QDir>

#include <cerrno>
#include <fcntl.h>
#include <io.h>
#include <string>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

TFileName::TFileName(const QString& name) : m_name(name) {}

bool TFileName::IsEmpty() const {
    return m_name.isEmpty();
}

bool TFileName::IsText() const {
    return true;
}

QString TFileName::Text() const {
    return m_name;
}

QString TFileName::KeptText() const {
    return m_name;
}

bool operator==(const TFileName& a, const TFileName& b) {
    return a.m_name == b.m_name;
}

QString ArgumentText(const char* argument) {
    return QString::fromLocal8Bit(argument);
}

QString OpenForReading(const TFileName& name, QFile& file, TFileFacts& facts) {
    // Devices (NUL, CON, COM1, "\\.\" paths; the reserved names also inside any folder) and named pipes
    // open like files and may wait for input for ever, and a folder does not open at all: the kind is
    // asked of the handle itself, and only a file on disk is handed on.
    const std::wstring path = QDir::toNativeSeparators(name.Text()).toStdWString();
    const HANDLE handle =
        ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        // Qt words the system's reason as everywhere else in the program, and reaches names too long for
        // the call above.
        const QFileInfo info(name.Text());
        file.setFileName(name.Text());
        if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
            return file.errorString();
        facts.Regular = info.isFile();
        facts.Size = info.size();
        return QString();
    }
    BY_HANDLE_FILE_INFORMATION info{};
    facts.Regular = ::GetFileType(handle) == FILE_TYPE_DISK && ::GetFileInformationByHandle(handle, &info) &&
                    !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    if (!facts.Regular) {
        ::CloseHandle(handle);
        return QString();
    }
    facts.Size = qint64((quint64(info.nFileSizeHigh) << 32) | info.nFileSizeLow);
    const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY | _O_BINARY);
    if (fd < 0) {
        ::CloseHandle(handle);
        return ErrnoText(errno);
    }
    if (!file.open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        ::_close(fd);
        return file.errorString();
    }
    return QString();
}

bool IsMangledName(const TFileName&) {
    return false;
}

bool IsSameFile(const TFileName& a, const TFileName& b) {
    const QString first = QFileInfo(a.Text()).canonicalFilePath();
    return !first.isEmpty() &&
           first.compare(QFileInfo(b.Text()).canonicalFilePath(), Qt::CaseInsensitive) == 0;
}

#endif
