#pragma once
// Type information of published properties: what the inspector needs to choose an editor, what the
// component stream needs to encode a value and what the layout file needs to convert text.
//
// A TTypeInfo is identified by its address: two properties have "the same type" exactly when their
// TTypeInfo pointers are equal. Qt collapses typedefs (a TCaption property looks like QString), so a class
// states a distinct identity with Q_CLASSINFO("type:<Property>", "<TypeName>"); the name must have been
// registered with RegisterTypeAlias or RegisterOrdinalType.

#include <QMetaEnum>
#include <QMetaProperty>
#include <QString>
#include <QStringList>

enum class TTypeKind {
    tkUnknown,
    tkInteger,
    tkChar,
    tkEnumeration,
    tkFloat,
    tkString,
    tkSet,
    tkClass,
    tkMethod,
    tkWChar,
    tkLString,
    tkWString,
    tkVariant,
    tkInt64,
};

enum class TFloatType { ftSingle, ftDouble, ftExtended, ftComp, ftCurr };

struct TTypeInfo {
    TTypeKind Kind = TTypeKind::tkUnknown;
    QString Name;
    // Ordinal range (integer, char, enumeration, Int64). Enumerations run 0..MinValue+names-1.
    qint64 MinValue = 0;
    qint64 MaxValue = 0;
    // Enumeration names by ordinal (index = ordinal - MinValue).
    QStringList EnumNames;
    // Set: the element type (an enumeration whose ordinal is the bit index).
    const TTypeInfo* CompType = nullptr;
    TFloatType FloatType = TFloatType::ftDouble;
    // Class: the class of the referenced object.
    const QMetaObject* ClassType = nullptr;

    bool IsOrdinal() const {
        return Kind == TTypeKind::tkInteger || Kind == TTypeKind::tkChar ||
               Kind == TTypeKind::tkEnumeration || Kind == TTypeKind::tkWChar || Kind == TTypeKind::tkSet;
    }
    bool IsString() const {
        return Kind == TTypeKind::tkString || Kind == TTypeKind::tkLString || Kind == TTypeKind::tkWString;
    }
    // Enumeration name of an ordinal, or the number as text when out of range.
    QString EnumName(qint64 value) const;
    // Ordinal of an enumeration name (letter case ignored), or -1.
    qint64 EnumValue(const QString& name) const;
};

namespace TypeInfo {
// Built-in types.
const TTypeInfo* Integer();
const TTypeInfo* Byte();
const TTypeInfo* Word();
const TTypeInfo* Cardinal();
const TTypeInfo* Int64();
const TTypeInfo* Boolean();
const TTypeInfo* Char();
const TTypeInfo* WideChar();
const TTypeInfo* String();
const TTypeInfo* Double();
const TTypeInfo* Single();
const TTypeInfo* Variant();

// Named identities over a base kind: RegisterTypeAlias("TCaption", TTypeKind::tkLString). Registering
// a name twice returns the first registration.
const TTypeInfo* RegisterTypeAlias(const QString& name, TTypeKind kind);
const TTypeInfo* RegisterOrdinalType(const QString& name, TTypeKind kind, qint64 minValue, qint64 maxValue);
const TTypeInfo* RegisterFloatType(const QString& name, TFloatType floatType);
// A type registered under a name (aliases, and enumerations and classes already seen), or nullptr.
const TTypeInfo* Find(const QString& name);

// The enumeration described by a Qt meta enum. For a flag enum this is the element type, whose
// ordinals are bit indexes; ForSet gives the set type built on it.
const TTypeInfo* ForEnum(const QMetaEnum& metaEnum);
const TTypeInfo* ForSet(const QMetaEnum& metaEnum);
// The class type of a QObject-derived class.
const TTypeInfo* ForClass(const QMetaObject* metaObject);

// The identities the inspector's built-in editor table keys on. They are registered once, at first use.
const TTypeInfo* TCaption();
const TTypeInfo* TComponentName();
const TTypeInfo* TColor();
const TTypeInfo* TCursor();
const TTypeInfo* TShortCut();
const TTypeInfo* TTabOrder();
const TTypeInfo* TModalResult();
const TTypeInfo* TFontCharset();
const TTypeInfo* TFontName();
const TTypeInfo* TImeName();
const TTypeInfo* TDate();
const TTypeInfo* TTime();
const TTypeInfo* TDateTime();
const TTypeInfo* THelpContext();
// The plain event type: an event (method) property is declared as a QString holding the handler's
// name, with Q_CLASSINFO("type:<Prop>", "TNotifyEvent").
const TTypeInfo* TNotifyEvent();
} // namespace TypeInfo
