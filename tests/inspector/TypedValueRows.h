#pragma once
// Rows of a typed-values table, one call a row, in the columns TInspectorDriver::addTypedValueColumns
// sets up: the property, the text typed into its row, the value the row shows afterwards and the message
// shown (none when the value is taken).

#include <QString>
#include <QTest>

inline void AddTypedValueRow(const char* name, const QString& prop, const QString& typed,
                             const QString& shown, const QString& error = QString()) {
    QTest::newRow(name) << prop << typed << shown << error;
}
