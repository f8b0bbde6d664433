#include "shell/KvdUIBuilder_FileStamp.h"

#include "layout/KvdUILayoutSource.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

TFileStamp TFileStamp::Of(const QString& fileName) {
    TFileStamp stamp;
    stamp.Known = true;
    const QFileInfo info(fileName);
    if (!info.exists() || !info.isFile())
        return stamp;
    stamp.Exists = true;
    stamp.Size = info.size();
    stamp.Modified = info.lastModified().toUTC();
    if (stamp.Size > MaxLayoutFileSize)
        return stamp;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return stamp;
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (hash.addData(&file))
        stamp.Hash = hash.result();
    return stamp;
}

bool TFileStamp::SameContent(const TFileStamp& other) const {
    if (Exists != other.Exists)
        return false;
    if (!Exists)
        return true;
    // Without a hash on either side only an identical size and time can vouch for the content.
    if (Hash.isEmpty() || other.Hash.isEmpty())
        return Size == other.Size && Modified == other.Modified;
    return Size == other.Size && Hash == other.Hash;
}

QString TFileStamp::ToText() const {
    if (!Known)
        return QString();
    if (!Exists)
        return QStringLiteral("missing");
    return QStringLiteral("%1 %2 %3")
        .arg(Size)
        .arg(Modified.toMSecsSinceEpoch())
        .arg(QString::fromLatin1(Hash.toHex()));
}

TFileStamp TFileStamp::FromText(const QString& text) {
    TFileStamp stamp;
    if (text.isEmpty())
        return stamp;
    stamp.Known = true;
    const QStringList parts = text.split(QLatin1Char(' '));
    if (parts.size() != 3)
        return stamp;
    bool sizeOk = false, timeOk = false;
    stamp.Size = parts.at(0).toLongLong(&sizeOk);
    const qint64 ms = parts.at(1).toLongLong(&timeOk);
    if (!sizeOk || !timeOk)
        return stamp;
    stamp.Exists = true;
    stamp.Modified = QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC);
    stamp.Hash = QByteArray::fromHex(parts.at(2).toLatin1());
    return stamp;
}
