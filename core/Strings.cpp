#include "core/Strings.h"

#include <QRegularExpression>

void TStrings::SetLines(const QStringList& lines) {
    if (m_lines == lines)
        return;
    m_lines = lines;
    Q_EMIT Changed();
}

void TStrings::Add(const QString& line) {
    m_lines.append(line);
    Q_EMIT Changed();
}

void TStrings::Clear() {
    SetLines({});
}

QString TStrings::Text() const {
    QString result;
    for (const QString& line : m_lines)
        result += line + QLatin1Char('\n');
    return result;
}

void TStrings::SetText(const QString& text) {
    static const QRegularExpression breaks(QStringLiteral("\r\n|\n|\r"));
    QStringList lines = text.split(breaks);
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast(); // the break after the last line starts no new line
    SetLines(lines);
}
