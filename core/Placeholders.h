#pragma once
// Placeholders such as {lap} in button texts, filled in when a layout is sent or checked.
// Header-only and Qt Core only: the link fills them in for the simulator, the layout checks to measure
// the captions.

#include <QString>
#include <QStringList>

#include <functional>
#include <limits>
#include <memory>
#include <vector>

// Trims blanks and control characters from both ends.
inline QString TrimControls(const QString& text) {
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first).unicode() <= 0x20)
        ++first;
    while (last > first && text.at(last - 1).unicode() <= 0x20)
        --last;
    return text.mid(first, last - first);
}

namespace PlaceholderDetail {

// The placeholder name of an argument: trimmed, cut at its first "=", wrapped in braces; empty when
// nothing is left.
inline QString PlaceholderName(const QString& arg) {
    QString name = TrimControls(arg);
    const qsizetype equals = name.indexOf(QLatin1Char('='));
    if (equals >= 0)
        name = TrimControls(name.left(equals));
    if (name.isEmpty())
        return name;
    if (!name.startsWith(QLatin1Char('{')))
        name.prepend(QLatin1Char('{'));
    if (!name.endsWith(QLatin1Char('}')))
        name.append(QLatin1Char('}'));
    return name;
}

// One replacement pass as a pull stream: it reads characters from its source as they are asked for and
// replaces each occurrence of the name, ignoring letter case, left to right without overlap, as
// QString::replace does. Chained, the passes give the text of all replacements in turn while reading
// only as much as the characters asked for need, so a cut result never builds the whole expansion.
class ReplacePass {
public:
    ReplacePass(std::function<bool(QChar&)> source, const QString& name, const QString& replacement)
        : m_source(std::move(source)), m_name(name), m_replacement(replacement) {}

    bool Next(QChar& out) {
        for (;;) {
            if (m_emitting < m_replacement.size()) {
                out = m_replacement.at(m_emitting++);
                return true;
            }
            while (Buffered() < m_name.size() && !m_sourceDone) {
                QChar c;
                if (m_source(c))
                    m_window.append(c);
                else
                    m_sourceDone = true;
            }
            if (Buffered() == 0)
                return false;
            const QStringView window = QStringView(m_window).mid(m_at);
            if (window.size() == m_name.size() && window.compare(m_name, Qt::CaseInsensitive) == 0) {
                Consume(m_name.size());
                m_emitting = 0;
                continue;
            }
            out = m_window.at(m_at);
            Consume(1);
            return true;
        }
    }

private:
    qsizetype Buffered() const { return m_window.size() - m_at; }
    void Consume(qsizetype count) {
        m_at += count;
        // Drop what has been read once it outweighs the window, so each character moves O(1) times.
        if (m_at >= qMax<qsizetype>(64, m_name.size())) {
            m_window.remove(0, m_at);
            m_at = 0;
        }
    }

    std::function<bool(QChar&)> m_source;
    const QString m_name;
    const QString m_replacement;
    QString m_window;
    qsizetype m_at = 0;
    qsizetype m_emitting = std::numeric_limits<qsizetype>::max(); // index into the replacement
    bool m_sourceDone = false;
};

} // namespace PlaceholderDetail

// Replaces each placeholder named in Args, read as pairs of name and replacement in order, in Text,
// ignoring letter case. A name is trimmed, cut at its first "=" and wrapped in braces when it lacks them;
// an empty name replaces nothing, and a last name without a replacement is left out. With Limit of 0 or
// more only the first Limit characters of the result are made, and only the work they need.
inline QString ReplacePlaceholders(const QString& Text, const QStringList& Args, qsizetype Limit = -1) {
    using namespace PlaceholderDetail;
    if (Limit < 0)
        Limit = std::numeric_limits<qsizetype>::max();
    // Every name starts with a brace, so a text without one has nothing to replace.
    if (!Text.contains(QLatin1Char('{')))
        return Limit < Text.size() ? Text.left(Limit) : Text;
    std::vector<std::unique_ptr<ReplacePass>> passes;
    for (qsizetype i = 0; i + 1 < Args.size(); i += 2) {
        const QString name = PlaceholderName(Args.at(i));
        if (name.isEmpty())
            continue;
        std::function<bool(QChar&)> source;
        if (passes.empty()) {
            source = [&Text, at = qsizetype(0)](QChar& c) mutable {
                if (at >= Text.size())
                    return false;
                c = Text.at(at++);
                return true;
            };
        } else {
            source = [previous = passes.back().get()](QChar& c) { return previous->Next(c); };
        }
        passes.push_back(std::make_unique<ReplacePass>(std::move(source), name, Args.at(i + 1)));
    }
    if (passes.empty())
        return Limit < Text.size() ? Text.left(Limit) : Text;
    QString result;
    QChar c;
    while (result.size() < Limit && passes.back()->Next(c))
        result.append(c);
    return result;
}
