#pragma once
// Checks made on a layout's raw text before the XML reader sees it: what the reader would hang on, run out
// of memory on, or spend minutes on.

#include "core/FileName.h"

#include <QByteArray>
#include <QString>
#include <QStringView>

// Largest layout file that is read. Far above any real layout (256 elements take some 60 KB), low enough
// that a wrong file is refused before it fills the memory.
constexpr qint64 MaxLayoutFileSize = 64 * 1024 * 1024;

// Most attributes one element may carry; a layout element has 13, or 14 with a name. The XML reader compares
// every attribute of a tag with all those before it, so a tag with tens of thousands of them takes seconds.
constexpr int MaxElementAttributes = 256;

// The content of a layout file, opened by the name's own spelling (also one that is not valid UTF-8).
// Refuses anything but a regular file (a FIFO or a device would block the reader or never end) and files
// larger than MaxLayoutFileSize, before reading them. Raises Exception "Cannot open file "%s". %s".
QByteArray ReadLayoutFileBytes(const TFileName& fileName);

// Raise Exception naming the line of the first start tag with more than MaxElementAttributes attributes.
// The bytes are those of a file in any encoding the XML reader detects.
void CheckAttributeCounts(const QByteArray& bytes);
void CheckAttributeCounts(QStringView text);
