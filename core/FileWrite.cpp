#include "core/FileWrite.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstring>

namespace {

// Qt's message for the failure, or the system's when Qt has none to give (a folder that cannot be
// written reports an empty or "Unknown error" string on some versions).
QString Reason(const QFileDevice& file, int savedErrno) {
    const QString qt = file.errorString();
    if (!qt.isEmpty() && qt != QLatin1String("Unknown error"))
        return qt;
    if (savedErrno != 0)
        return QString::fromLocal8Bit(std::strerror(savedErrno));
    return qt.isEmpty() ? QStringLiteral("Unknown error") : qt;
}

// Unbuffered, so that every write reaches the system and its failure is seen here, not lost in a flush
// that reports success. A short write (a disk filling up) is followed by another, which then fails with
// the reason.
bool WriteAll(QFileDevice& file, const QByteArray& bytes) {
    for (qint64 done = 0; done < bytes.size();) {
        const qint64 written = file.write(bytes.constData() + done, bytes.size() - done);
        if (written <= 0)
            return false;
        done += written;
    }
    return true;
}

} // namespace

QString WriteWholeFile(const QString& fileName, const QByteArray& bytes) {
    const QFileInfo info(fileName);
    errno = 0;
    if (info.exists() && !info.isFile() && !info.isDir()) {
        QFile file(fileName);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || !WriteAll(file, bytes))
            return Reason(file, errno);
        return QString();
    }
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return Reason(file, errno);
    if (!WriteAll(file, bytes)) {
        const int saved = errno;
        const QString reason = Reason(file, saved);
        file.cancelWriting();
        return reason;
    }
    if (!file.commit())
        return Reason(file, errno);
    return QString();
}
