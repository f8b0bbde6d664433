#pragma once
// Tables the type editors share: character-set identifiers, input-method names, shortcut values and
// texts, variant type names, and the date and time formats.

#include <QDateTime>
#include <QStringList>
#include <QVariant>

namespace ELTables {

// Character sets of fonts by identifier ("ANSI_CHARSET" 0, "DEFAULT_CHARSET" 1, ...).
const QStringList& CharsetIdents();
QString CharsetToIdent(int charset);
bool IdentToCharset(const QString& ident, int& charset);

// Names of the input methods installed for Qt applications (its input context plugins).
QStringList ImeNames();

// A shortcut value holds a key code in its low byte and the modifiers as 0x2000 Shift, 0x4000 Ctrl,
// 0x8000 Alt. Texts are Qt's portable key sequence texts ("Ctrl+A", "Shift+F1", "Alt+Backspace").
constexpr int scShift = 0x2000;
constexpr int scCtrl = 0x4000;
constexpr int scAlt = 0x8000;
QString ShortCutToText(int shortCut);
// 0 when the text is no single shortcut of a known key.
int TextToShortCut(const QString& text);
// The shortcuts offered in a shortcut row's list, in order (108 values).
const QList<int>& ShortCutList();

// Variant types by name, as offered in a variant's type row; index = position in VarTypeNames.
enum TVarType {
    vtUnassigned,
    vtNull,
    vtSmallint,
    vtInteger,
    vtSingle,
    vtDouble,
    vtCurrency,
    vtDate,
    vtOleStr,
    vtBoolean,
    vtShortint,
    vtByte,
    vtWord,
    vtLongWord,
    vtInt64,
    vtString,
    vtUnknown = -1
};
const QStringList& VarTypeNames();
TVarType VarTypeOf(const QVariant& value);
// The value converted to the type; false when it cannot be.
bool ConvertVariant(const QVariant& value, TVarType type, QVariant& result);
QVariant DefaultVariant(TVarType type);
// A variant as a row shows it: currency in currency format, "False"/"True", "(Null)" for Null.
QString VariantToText(const QVariant& value);
// A variant converted to a string: as shown, but currency as a plain number.
QString VariantToString(const QVariant& value);

// Dates, times and both as day counts since 1899-12-30 with the time as the fraction of a day, shown
// in the locale's short date format (with a four-digit year) and a time format with seconds.
double DateTimeToValue(const QDateTime& dateTime);
QDateTime ValueToDateTime(double value);
QString DateFormat();
QString TimeFormat();
QString DateToText(double value);
QString TimeToText(double value);
QString DateTimeToText(double value);
// Raise EConvertError for text that is no date, time or date and time.
double TextToDate(const QString& text);
double TextToTime(const QString& text);
double TextToDateTime(const QString& text);

} // namespace ELTables

// A currency amount held by a variant, with four decimals as the toolkit keeps them.
struct TELCurrency {
    qint64 Scaled = 0; // amount times 10000
    double Value() const { return double(Scaled) / 10000.0; }
    static TELCurrency FromDouble(double value) { return TELCurrency{qRound64(value * 10000.0)}; }
    bool operator==(const TELCurrency& other) const { return Scaled == other.Scaled; }
};
Q_DECLARE_METATYPE(TELCurrency)
