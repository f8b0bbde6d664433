#include "core/XmlError.h"

#include <QXmlStreamReader>

namespace {

// The reader's text for bytes its decoder rejects; the program loads no translations.
constexpr QLatin1StringView EncodingError("Encountered incorrectly encoded content.");

// The length of the UTF-8 sequence at p (before end), or 0 when it is not one: a shortened, overlong or
// surrogate sequence, or one past U+10FFFF, as Qt's decoder rejects them.
qsizetype SequenceLength(const uchar* p, const uchar* end) {
    const uchar lead = *p;
    if (lead < 0x80)
        return 1;
    qsizetype length = 0;
    uchar low = 0x80, high = 0xBF; // the range of the byte after the lead
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (end - p < length || p[1] < low || p[1] > high)
        return 0;
    for (qsizetype i = 2; i < length; ++i)
        if ((p[i] & 0xC0) != 0x80)
            return 0;
    return length;
}

// The offset of the first byte that does not start a UTF-8 sequence, or -1.
qsizetype FirstBadByte(const QByteArray& bytes) {
    const auto* begin = reinterpret_cast<const uchar*>(bytes.constData());
    const uchar* end = begin + bytes.size();
    for (const uchar* p = begin; p < end;) {
        const qsizetype length = SequenceLength(p, end);
        if (length == 0)
            return p - begin;
        p += length;
    }
    return -1;
}

QString Message(const QString& text, qint64 line, qint64 column) {
    return QStringLiteral("%1 (line %2, column %3)").arg(text).arg(line).arg(column);
}

} // namespace

QString XmlErrorMessage(const QXmlStreamReader& xml, const QByteArray& bytes) {
    if (xml.errorString() == EncodingError) {
        const qsizetype bad = FirstBadByte(bytes);
        if (bad >= 0) {
            const qsizetype lineStart = bytes.lastIndexOf('\n', bad - 1) + 1;
            const qint64 line = bytes.left(lineStart).count('\n') + 1;
            // Columns count characters before the place on its line, as the reader counts them.
            const qint64 column = QString::fromUtf8(bytes.mid(lineStart, bad - lineStart)).size();
            return Message(xml.errorString(), line, column);
        }
    }
    return Message(xml.errorString(), xml.lineNumber(), xml.columnNumber());
}
