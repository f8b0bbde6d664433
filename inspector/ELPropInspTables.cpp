#include "inspector/ELPropInspTables.h"

#include "core/Exceptions.h"
#include "core/IdentTable.h"

#include <QDir>
#include <QKeySequence>
#include <QLibraryInfo>
#include <QLocale>
#include <QRegularExpression>

namespace {

const TIdentEntry Charsets[] = {
    {0, "ANSI_CHARSET"},      {1, "DEFAULT_CHARSET"},    {2, "SYMBOL_CHARSET"},
    {77, "MAC_CHARSET"},      {128, "SHIFTJIS_CHARSET"}, {129, "HANGEUL_CHARSET"},
    {130, "JOHAB_CHARSET"},   {134, "GB2312_CHARSET"},   {136, "CHINESEBIG5_CHARSET"},
    {161, "GREEK_CHARSET"},   {162, "TURKISH_CHARSET"},  {163, "VIETNAMESE_CHARSET"},
    {177, "HEBREW_CHARSET"},  {178, "ARABIC_CHARSET"},   {186, "BALTIC_CHARSET"},
    {204, "RUSSIAN_CHARSET"}, {222, "THAI_CHARSET"},     {238, "EASTEUROPE_CHARSET"},
    {255, "OEM_CHARSET"},
};

// Key codes of the shortcut values and the Qt keys they stand for.
struct TKeyEntry {
    int Code;
    Qt::Key Key;
};

const TKeyEntry Keys[] = {
    {0x08, Qt::Key_Backspace}, {0x09, Qt::Key_Tab},    {0x0D, Qt::Key_Return},   {0x1B, Qt::Key_Escape},
    {0x20, Qt::Key_Space},     {0x21, Qt::Key_PageUp}, {0x22, Qt::Key_PageDown}, {0x23, Qt::Key_End},
    {0x24, Qt::Key_Home},      {0x25, Qt::Key_Left},   {0x26, Qt::Key_Up},       {0x27, Qt::Key_Right},
    {0x28, Qt::Key_Down},      {0x2D, Qt::Key_Insert}, {0x2E, Qt::Key_Delete},
};

Qt::Key codeToKey(int code) {
    if ((code >= 'A' && code <= 'Z') || (code >= '0' && code <= '9'))
        return Qt::Key(code);
    if (code >= 0x70 && code <= 0x87)
        return Qt::Key(Qt::Key_F1 + (code - 0x70));
    for (const TKeyEntry& e : Keys)
        if (e.Code == code)
            return e.Key;
    return Qt::Key_unknown;
}

int keyToCode(Qt::Key key) {
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9))
        return int(key);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return 0x70 + (key - Qt::Key_F1);
    if (key == Qt::Key_Enter)
        return 0x0D;
    for (const TKeyEntry& e : Keys)
        if (e.Key == key)
            return e.Code;
    return 0;
}

const QDate DayZero(1899, 12, 30);

// The locale's format with a four-digit year, so a typed date never lands in the wrong century.
QString fullYear(QString format) {
    if (!format.contains(QLatin1String("yyyy")))
        format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return format;
}

bool inRange(qint64 v, qint64 lo, qint64 hi) {
    return v >= lo && v <= hi;
}

} // namespace

namespace ELTables {

const QStringList& CharsetIdents() {
    static const QStringList idents = IdentTable::Idents(Charsets);
    return idents;
}

QString CharsetToIdent(int charset) {
    return IdentTable::ToIdent(Charsets, charset);
}

bool IdentToCharset(const QString& ident, int& charset) {
    return IdentTable::FromIdent(Charsets, ident, charset);
}

QStringList ImeNames() {
    // Each input context plugin is one installed input method ("compose", "ibus", ...).
    QStringList names;
    const QDir dir(QLibraryInfo::path(QLibraryInfo::PluginsPath) + QLatin1String("/platforminputcontexts"));
    static const QRegularExpression plugin(QStringLiteral("^lib(.+?)(platforminputcontext)?plugin\\.so$"));
    for (const QString& file : dir.entryList(QDir::Files)) {
        const QRegularExpressionMatch m = plugin.match(file);
        if (m.hasMatch())
            names.append(m.captured(1));
    }
    return names;
}

QString ShortCutToText(int shortCut) {
    const Qt::Key key = codeToKey(shortCut & 0xFF);
    if (key == Qt::Key_unknown)
        return QString();
    Qt::KeyboardModifiers mods;
    if (shortCut & scShift)
        mods |= Qt::ShiftModifier;
    if (shortCut & scCtrl)
        mods |= Qt::ControlModifier;
    if (shortCut & scAlt)
        mods |= Qt::AltModifier;
    return QKeySequence(QKeyCombination(mods, key)).toString(QKeySequence::PortableText);
}

int TextToShortCut(const QString& text) {
    const QKeySequence sequence = QKeySequence::fromString(text.trimmed(), QKeySequence::PortableText);
    if (sequence.count() != 1)
        return 0;
    const QKeyCombination combination = sequence[0];
    const int code = keyToCode(combination.key());
    if (!code)
        return 0;
    int result = code;
    const Qt::KeyboardModifiers mods = combination.keyboardModifiers();
    if (mods & Qt::ShiftModifier)
        result |= scShift;
    if (mods & Qt::ControlModifier)
        result |= scCtrl;
    if (mods & Qt::AltModifier)
        result |= scAlt;
    if (mods & ~(Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier))
        return 0;
    return result;
}

const QList<int>& ShortCutList() {
    static const QList<int> list = [] {
        QList<int> result;
        for (int c = 'A'; c <= 'Z'; ++c)
            result << (scCtrl | c);
        for (int c = 'A'; c <= 'Z'; ++c)
            result << (scCtrl | scAlt | c);
        for (int mods : {0, scCtrl, scShift, scShift | scCtrl})
            for (int f = 0; f < 12; ++f)
                result << (mods | (0x70 + f));
        result << 0x2D << (scShift | 0x2D) << (scCtrl | 0x2D) << 0x2E << (scShift | 0x2E) << (scCtrl | 0x2E)
               << (scAlt | 0x08) << (scShift | scAlt | 0x08);
        return result;
    }();
    return list;
}

const QStringList& VarTypeNames() {
    static const QStringList names{"Unassigned", "Null",     "Smallint", "Integer", "Single",   "Double",
                                   "Currency",   "Date",     "OleStr",   "Boolean", "Shortint", "Byte",
                                   "Word",       "LongWord", "Int64",    "String"};
    return names;
}

TVarType VarTypeOf(const QVariant& value) {
    if (!value.isValid())
        return vtUnassigned;
    switch (value.metaType().id()) {
    case QMetaType::Nullptr:
        return vtNull;
    case QMetaType::Short:
        return vtSmallint;
    case QMetaType::Int:
        return vtInteger;
    case QMetaType::Float:
        return vtSingle;
    case QMetaType::Double:
        return vtDouble;
    case QMetaType::QDateTime:
    case QMetaType::QDate:
        return vtDate;
    case QMetaType::QString:
        return vtOleStr;
    case QMetaType::Bool:
        return vtBoolean;
    case QMetaType::SChar:
        return vtShortint;
    case QMetaType::UChar:
        return vtByte;
    case QMetaType::UShort:
        return vtWord;
    case QMetaType::UInt:
        return vtLongWord;
    case QMetaType::LongLong:
        return vtInt64;
    case QMetaType::QByteArray:
        return vtString;
    default:
        return value.metaType() == QMetaType::fromType<TELCurrency>() ? vtCurrency : vtUnknown;
    }
}

QVariant DefaultVariant(TVarType type) {
    QVariant result;
    if (type == vtOleStr)
        return QString();
    if (type == vtString)
        return QByteArray();
    if (type == vtDate)
        return ValueToDateTime(0);
    ConvertVariant(QVariant(0), type, result);
    return result;
}

bool ConvertVariant(const QVariant& value, TVarType type, QVariant& result) {
    const TVarType from = VarTypeOf(value);
    // Numbers, texts and dates pass through a number or a text.
    QString text = from == vtString ? QString::fromLocal8Bit(value.toByteArray()) : value.toString();
    double number = 0;
    bool isNumber = false;
    if (from == vtCurrency) {
        number = value.value<TELCurrency>().Value();
        isNumber = true;
        text = QString::number(number, 'g', 18);
    } else if (from == vtDate) {
        number = DateTimeToValue(value.toDateTime());
        isNumber = true;
        text = DateTimeToText(number);
    } else if (from == vtBoolean) {
        number = value.toBool() ? -1 : 0; // the toolkit's True is -1 as a number
        isNumber = true;
        text = value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    } else if (from == vtNull || from == vtUnassigned) {
        return false;
    } else {
        number = text.trimmed().toDouble(&isNumber);
    }
    auto integer = [&](qint64 lo, qint64 hi, auto make) {
        if (!isNumber || number != double(qint64(number)) || !inRange(qint64(number), lo, hi))
            return false;
        result = make(qint64(number));
        return true;
    };
    switch (type) {
    case vtUnassigned:
        result = QVariant();
        return true;
    case vtNull:
        result = QVariant::fromValue(nullptr);
        return true;
    case vtSmallint:
        return integer(-32768, 32767, [](qint64 v) { return QVariant::fromValue(short(v)); });
    case vtInteger:
        return integer(INT_MIN, INT_MAX, [](qint64 v) { return QVariant(int(v)); });
    case vtShortint:
        return integer(-128, 127, [](qint64 v) { return QVariant::fromValue(static_cast<signed char>(v)); });
    case vtByte:
        return integer(0, 255, [](qint64 v) { return QVariant::fromValue(static_cast<uchar>(v)); });
    case vtWord:
        return integer(0, 65535, [](qint64 v) { return QVariant::fromValue(static_cast<ushort>(v)); });
    case vtLongWord:
        return integer(0, 4294967295LL, [](qint64 v) { return QVariant::fromValue(static_cast<uint>(v)); });
    case vtInt64:
        return integer(LLONG_MIN, LLONG_MAX,
                       [](qint64 v) { return QVariant::fromValue(static_cast<qlonglong>(v)); });
    case vtSingle:
        if (!isNumber)
            return false;
        result = QVariant::fromValue(float(number));
        return true;
    case vtDouble:
        if (!isNumber)
            return false;
        result = QVariant(number);
        return true;
    case vtCurrency:
        if (!isNumber)
            return false;
        result = QVariant::fromValue(TELCurrency::FromDouble(number));
        return true;
    case vtDate:
        if (from == vtOleStr || from == vtString) {
            try {
                result = ValueToDateTime(TextToDateTime(text));
            } catch (const Exception&) {
                return false;
            }
            return true;
        }
        if (!isNumber)
            return false;
        result = ValueToDateTime(number);
        return true;
    case vtOleStr:
        result = text;
        return true;
    case vtString:
        result = text.toLocal8Bit();
        return true;
    case vtBoolean:
        if (text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
            result = true;
        else if (text.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
            result = false;
        else if (isNumber)
            result = number != 0;
        else
            return false;
        return true;
    default:
        return false;
    }
}

QString VariantToText(const QVariant& value) {
    switch (VarTypeOf(value)) {
    case vtUnassigned:
        return QString();
    case vtNull:
        return QStringLiteral("(Null)");
    case vtBoolean:
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case vtCurrency:
        return QLocale().toCurrencyString(value.value<TELCurrency>().Value());
    case vtDate:
        return DateTimeToText(DateTimeToValue(value.toDateTime()));
    case vtSingle:
        return QString::number(value.toFloat(), 'g', 7);
    case vtDouble:
        return QString::number(value.toDouble(), 'g', 15);
    case vtString:
        return QString::fromLocal8Bit(value.toByteArray());
    default:
        return value.toString();
    }
}

QString VariantToString(const QVariant& value) {
    if (VarTypeOf(value) == vtCurrency)
        return QString::number(value.value<TELCurrency>().Value(), 'g', 18);
    return VariantToText(value);
}

double DateTimeToValue(const QDateTime& dateTime) {
    const double days = DayZero.daysTo(dateTime.date());
    const double fraction = dateTime.time().msecsSinceStartOfDay() / 86400000.0;
    // Before day zero the fraction still counts away from it.
    return days >= 0 ? days + fraction : days - fraction;
}

QDateTime ValueToDateTime(double value) {
    const qint64 days = qint64(value);
    const double fraction = qAbs(value - double(days));
    return QDateTime(DayZero.addDays(days), QTime(0, 0).addMSecs(int(qRound64(fraction * 86400000.0))));
}

QString DateFormat() {
    return fullYear(QLocale().dateFormat(QLocale::ShortFormat));
}

QString TimeFormat() {
    // The locale's long time format without a time zone.
    QString format = QLocale().timeFormat(QLocale::LongFormat);
    static const QRegularExpression zone(QStringLiteral("\\s*t+\\s*"));
    format.replace(zone, QString());
    return format.trimmed();
}

QString DateToText(double value) {
    return value == 0 ? QString() : QLocale().toString(ValueToDateTime(value).date(), DateFormat());
}

QString TimeToText(double value) {
    return value == 0 ? QString() : QLocale().toString(ValueToDateTime(value).time(), TimeFormat());
}

QString DateTimeToText(double value) {
    if (value == 0)
        return QString();
    const QDateTime dt = ValueToDateTime(value);
    QString text = QLocale().toString(dt.date(), DateFormat());
    if (dt.time() != QTime(0, 0))
        text += QLatin1Char(' ') + QLocale().toString(dt.time(), TimeFormat());
    return text;
}

double TextToDate(const QString& text) {
    const QString t = text.trimmed();
    for (const QString& format :
         {DateFormat(), QLocale().dateFormat(QLocale::ShortFormat), QStringLiteral("yyyy-MM-dd")}) {
        const QDate date = QLocale().toDate(t, format);
        if (date.isValid())
            return DayZero.daysTo(date);
    }
    throw EConvertError(QStringLiteral("'%1' is not a valid date").arg(text));
}

double TextToTime(const QString& text) {
    const QString t = text.trimmed();
    for (const QString& format : {TimeFormat(), QLocale().timeFormat(QLocale::ShortFormat),
                                  QStringLiteral("HH:mm:ss"), QStringLiteral("HH:mm")}) {
        const QTime time = QLocale().toTime(t, format);
        if (time.isValid())
            return time.msecsSinceStartOfDay() / 86400000.0;
    }
    throw EConvertError(QStringLiteral("'%1' is not a valid time").arg(text));
}

double TextToDateTime(const QString& text) {
    const QString t = text.trimmed();
    const QDateTime dt = QLocale().toDateTime(t, DateFormat() + QLatin1Char(' ') + TimeFormat());
    if (dt.isValid())
        return DateTimeToValue(dt);
    const QDateTime iso = QDateTime::fromString(t, Qt::ISODate);
    if (iso.isValid())
        return DateTimeToValue(iso);
    try {
        return TextToDate(t);
    } catch (const EConvertError&) {
        throw EConvertError(QStringLiteral("'%1' is not a valid date and time").arg(text));
    }
}

} // namespace ELTables
