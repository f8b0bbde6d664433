// Placeholder expansion of button texts. The input is split at zero bytes: the first part is the text,
// the others are the argument values. An odd number of values must raise the documented error and
// nothing else; an even number must give, for any characters, what the plain library expansion gives
// (for each pair in turn, QString::replace ignoring letter case), and for ASCII inputs also what a
// hand-written reference gives: the name trimmed, cut at its first "=", wrapped in braces, and every
// occurrence in the current text replaced left to right. A result cut at a limit must be the same
// characters as the whole result cut afterwards. The same text and values must also go through a
// layout's button packets without failing.

#include "link/KvdUI.h"

#include <QStringList>
#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void Fail(const char* what, const QString& text) {
    std::fprintf(stderr, "placeholder oracle: %s\n%s\n", what, qPrintable(text));
    std::abort();
}

QString TrimmedName(QString name) {
    auto blank = [](QChar c) { return c.unicode() <= 0x20; };
    while (!name.isEmpty() && blank(name.front()))
        name.remove(0, 1);
    while (!name.isEmpty() && blank(name.back()))
        name.chop(1);
    return name;
}

QString ReplaceAll(const QString& text, const QString& name, const QString& replacement) {
    QString result;
    qsizetype at = 0;
    while (at < text.size()) {
        if (text.size() - at >= name.size() &&
            QStringView(text).mid(at, name.size()).compare(name, Qt::CaseInsensitive) == 0) {
            result += replacement;
            at += name.size();
        } else {
            result += text.at(at++);
        }
    }
    return result;
}

// Each pair's name (trimmed, cut at "=", wrapped in braces) and replacement in turn, applied to the
// whole current text by replace.
template <typename Replace> QString Expand(QString text, const QStringList& args, Replace replace) {
    for (qsizetype i = 0; i + 1 < args.size(); i += 2) {
        QString name = TrimmedName(args.at(i));
        if (name.contains(QLatin1Char('=')))
            name = TrimmedName(name.left(name.indexOf(QLatin1Char('='))));
        if (name.isEmpty())
            continue;
        if (!name.startsWith(QLatin1Char('{')))
            name.prepend(QLatin1Char('{'));
        if (!name.endsWith(QLatin1Char('}')))
            name.append(QLatin1Char('}'));
        text = replace(text, name, args.at(i + 1));
    }
    return text;
}

QString Reference(const QString& text, const QStringList& args) {
    return Expand(text, args, ReplaceAll);
}

// The expansion as the string library does it.
QString LibraryReference(const QString& text, const QStringList& args) {
    return Expand(text, args, [](QString current, const QString& name, const QString& replacement) {
        return current.replace(name, replacement, Qt::CaseInsensitive);
    });
}

bool Ascii(const QStringList& parts) {
    for (const QString& part : parts)
        for (QChar c : part)
            if (c.unicode() > 0x7F)
                return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    QStringList parts;
    for (const QByteArray& part : input.split('\0'))
        parts.append(QString::fromUtf8(part));
    const QString text = parts.takeFirst();
    const QStringList args = parts;

    QString result;
    try {
        result = ExpandPlaceholders(text, args);
    } catch (const EKvdLink& e) {
        if (args.size() % 2 == 0 ||
            e.Message() != QStringLiteral("Args array must have an even number of elements"))
            Fail("unexpected error", e.Message());
        return 0;
    }
    if (args.size() % 2 != 0)
        Fail("odd number of values accepted", text);
    if (result != LibraryReference(text, args))
        Fail("expansion differs from the library's", result);
    // Letter case outside ASCII is left to the library's folding, which the hand-written reference
    // does not restate.
    if (Ascii(parts + QStringList{text}) && result != Reference(text, args))
        Fail("expansion differs from the reference", result);
    for (qsizetype limit : {qsizetype(0), qsizetype(1), qsizetype(size % 300), qsizetype(241)})
        if (ExpandPlaceholders(text, args, limit) != result.left(limit))
            Fail("cut expansion differs from the whole one cut", result);

    QString escaped = text.toHtmlEscaped();
    escaped.replace(QLatin1Char('\n'), QStringLiteral("&#10;"));
    const QString layout = QStringLiteral("<ui><element id=\"1\" text=\"%1\"/></ui>").arg(escaped);
    try {
        for (quint8 unit : {quint8(1), quint8(4)}) {
            const QList<QByteArray> packets = TKvdUI::LayoutPackets(layout, args, 0, unit);
            for (const QByteArray& packet : packets) {
                if (!Dromo::FitsSizeByte(int(packet.size()), unit) ||
                    quint8(packet.at(0)) * unit != packet.size())
                    Fail("button packet does not match its size byte", text);
            }
        }
    } catch (const EKvdLink& e) {
        // Text with characters XML cannot carry is refused as malformed; nothing else may fail.
        if (!e.Message().contains(QStringLiteral("line")))
            Fail("layout with that text refused", e.Message());
    }
    return 0;
}
