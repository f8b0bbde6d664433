#pragma once
// The message of a layout text that does not read, for every reader of layout text. Qt Core only.

#include <QByteArray>
#include <QString>

class QXmlStreamReader;

// "TEXT (line L, column C)" for the reader's error. Given the bytes it read, an encoding error is placed
// at the first byte that is not UTF-8: the XML reader decodes ahead of what it has parsed and places that
// error where its decoding began (line 1 for a small file).
QString XmlErrorMessage(const QXmlStreamReader& xml, const QByteArray& bytes = QByteArray());
