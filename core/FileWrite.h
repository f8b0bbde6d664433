#pragma once
// The one way the programs write a whole file: layouts, recovery copies, pictures, generated code.
// Qt Core only.

#include <QByteArray>
#include <QString>

// Writes bytes as the whole content of fileName. Returns an empty string on success, else the reason in
// the system's words ("No space left on device", "Permission denied"). A regular file, or one that does
// not exist yet, is replaced only once the whole new content is on disk, so a failure leaves the old file
// as it was; every step is checked (opening, each write, the final rename). What is not a regular file (a
// pipe, /dev/stdout, a device) is written as it stands: there is nothing to replace.
QString WriteWholeFile(const QString& fileName, const QByteArray& bytes);
