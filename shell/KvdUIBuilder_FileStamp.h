#pragma once
// What a layout file held when the builder last read or wrote it: size, modification time and a hash of
// the content. Save compares it with the file on disk, so that a file another program changed or removed
// since is not overwritten without a question.

#include <QByteArray>
#include <QDateTime>
#include <QString>

struct TFileStamp {
    // False for a document that was never read from or written to a file.
    bool Known = false;
    // False when the file did not exist (or was not a regular file) at the time.
    bool Exists = false;
    qint64 Size = 0;
    QDateTime Modified;
    // SHA-256 of the content; empty when the file could not be read.
    QByteArray Hash;

    // The file as it is now. Reads it whole (layout files are small), but nothing that is not a regular
    // file: a FIFO would block.
    static TFileStamp Of(const QString& fileName);

    // True when both stand for the same content: both missing, or the same size and hash. A touched file
    // (new time, same bytes) counts as unchanged.
    bool SameContent(const TFileStamp& other) const;

    // Round trip through text, for the recovery copy.
    QString ToText() const;
    static TFileStamp FromText(const QString& text);
};
