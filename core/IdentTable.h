#pragma once
// A table of identifiers for integer values (colour, cursor and character-set names), looked up both ways;
// identifiers match without regard to letter case.

#include <QString>
#include <QStringList>
#include <span>

struct TIdentEntry {
    qint32 Value;
    const char* Ident;
};

namespace IdentTable {

// The identifiers in table order, or sorted without regard to letter case.
inline QStringList Idents(std::span<const TIdentEntry> table, bool sorted = false) {
    QStringList result;
    for (const TIdentEntry& e : table)
        result.append(QString::fromLatin1(e.Ident));
    if (sorted)
        result.sort(Qt::CaseInsensitive);
    return result;
}

// The identifier of a value, or an empty string when the table has none.
inline QString ToIdent(std::span<const TIdentEntry> table, qint32 value) {
    for (const TIdentEntry& e : table)
        if (e.Value == value)
            return QString::fromLatin1(e.Ident);
    return QString();
}

// The value of an identifier; false when the table has none.
inline bool FromIdent(std::span<const TIdentEntry> table, const QString& ident, qint32& value) {
    for (const TIdentEntry& e : table)
        if (ident.compare(QLatin1String(e.Ident), Qt::CaseInsensitive) == 0) {
            value = e.Value;
            return true;
        }
    return false;
}

} // namespace IdentTable
