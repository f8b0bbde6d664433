#include "layout/KvdUILayoutSource.h"

#include "core/Exceptions.h"

#include <QDir>
#include <QFile>
#include <QStringConverter>

namespace {

Exception CannotOpen(const TFileName& fileName, const QString& reason) {
    return Exception(
        QStringLiteral("Cannot open file \"%1\". %2").arg(QDir::toNativeSeparators(fileName.Text()), reason));
}

template <typename Char> bool At(const Char* p, const Char* end, const char* literal) {
    for (; *literal; ++p, ++literal)
        if (p == end || char16_t(*p) != char16_t(*literal))
            return false;
    return true;
}

// Counts start tags' attributes by their '=' outside quoted values. Comments, CDATA sections and
// processing instructions are skipped; in a well-formed document every other '<' starts markup.
template <typename Char> void CountAttributes(const Char* p, const Char* end) {
    int line = 1;
    const auto skipPast = [&](const char* terminator) {
        while (p < end && !At(p, end, terminator)) {
            if (*p == Char('\n'))
                ++line;
            ++p;
        }
    };
    while (p < end) {
        if (*p == Char('\n'))
            ++line;
        if (*p != Char('<')) {
            ++p;
        } else if (At(p, end, "<!--")) {
            p += 4;
            skipPast("-->");
        } else if (At(p, end, "<![CDATA[")) {
            p += 9;
            skipPast("]]>");
        } else if (At(p, end, "<?")) {
            p += 2;
            skipPast("?>");
        } else if (At(p, end, "</") || At(p, end, "<!")) {
            ++p;
        } else {
            const int tagLine = line;
            int count = 0;
            Char quote = 0;
            for (++p; p < end; ++p) {
                const Char c = *p;
                if (c == Char('\n'))
                    ++line;
                if (quote) {
                    if (c == quote)
                        quote = 0;
                } else if (c == Char('"') || c == Char('\'')) {
                    quote = c;
                } else if (c == Char('>')) {
                    break;
                } else if (c == Char('=') && ++count > MaxElementAttributes) {
                    throw Exception(QStringLiteral("An element has more than %1 attributes (line %2)")
                                        .arg(MaxElementAttributes)
                                        .arg(tagLine));
                }
            }
        }
    }
}

} // namespace

QByteArray ReadLayoutFileBytes(const TFileName& fileName) {
    QFile file;
    TFileFacts facts;
    if (const QString error = OpenForReading(fileName, file, facts); !error.isEmpty())
        throw CannotOpen(
            fileName, IsMangledName(fileName) ? QStringLiteral("The file name is not valid UTF-8") : error);
    if (!facts.Regular)
        throw CannotOpen(fileName, QStringLiteral("It is not a regular file"));
    if (facts.Size > MaxLayoutFileSize)
        throw CannotOpen(fileName, QStringLiteral("It is larger than %1 MB").arg(MaxLayoutFileSize >> 20));
    // Read in chunks: asking for the limit at once would allocate it for every file. A file that grows
    // while it is read is refused once it passes the limit.
    QByteArray bytes;
    bytes.reserve(qsizetype(facts.Size));
    char chunk[64 * 1024];
    qint64 got = 0;
    while ((got = file.read(chunk, sizeof chunk)) > 0) {
        if (bytes.size() + got > MaxLayoutFileSize)
            throw CannotOpen(fileName,
                             QStringLiteral("It is larger than %1 MB").arg(MaxLayoutFileSize >> 20));
        bytes.append(chunk, qsizetype(got));
    }
    if (got < 0)
        throw CannotOpen(fileName, file.errorString());
    return bytes;
}

void CheckAttributeCounts(const QByteArray& bytes) {
    // UTF-16 and UTF-32 are scanned as characters; in every other encoding the reader accepts, markup
    // characters are single ASCII bytes.
    const auto encoding = QStringConverter::encodingForData(bytes, u'<');
    if (encoding && *encoding != QStringConverter::Utf8 && *encoding != QStringConverter::Latin1) {
        QStringDecoder decode(*encoding);
        const QString text = decode(bytes);
        CheckAttributeCounts(QStringView(text));
        return;
    }
    CountAttributes(bytes.constData(), bytes.constData() + bytes.size());
}

void CheckAttributeCounts(QStringView text) {
    const auto* begin = reinterpret_cast<const char16_t*>(text.utf16());
    CountAttributes(begin, begin + text.size());
}
