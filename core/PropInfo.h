#pragma once
// Published properties: the reflection layer used by the inspector, the layout file and the designer's
// clipboard. A property is published when a class of this program declares it with Q_PROPERTY; the
// properties of Qt's own classes (QObject, QWidget) are not published.
//
// Per property a class may add, with Q_CLASSINFO:
//   "type:<Prop>"    "<TypeName>"  distinct type identity (see TypeInfo.h)
//   "default:<Prop>" "<text>"      streaming default, as text in the property's own notation
//                                  ("alNone", "akLeft,akTop", "8", "True"); without it the
//                                  property is always stored.

#include "core/TypeInfo.h"

#include <QList>
#include <QMetaProperty>
#include <QObject>
#include <QVariant>

struct TPropInfo {
    QString Name;
    const TTypeInfo* PropType = nullptr;
    QMetaProperty Meta;
    bool Readable = true;
    bool Writable = true;
    bool HasDefault = false;
    // The default as a value of the property's type (ordinal, set mask, text or number).
    QVariant Default;
};

using TPropList = QList<const TPropInfo*>;

namespace Props {
// Published properties of an object in declaration order (base classes first).
const TPropList& GetPropList(const QObject* object);
const TPropList& GetPropList(const QMetaObject* metaObject);
// The published property of that name (letter case ignored), or nullptr.
const TPropInfo* GetPropInfo(const QObject* object, const QString& name);
const TPropInfo* GetPropInfo(const QMetaObject* metaObject, const QString& name);

// Typed readers and writers. Writers raise EPropertyError when the property is read-only or the
// object refuses the value.
qint64 GetOrdProp(const QObject* object, const TPropInfo* prop);
void SetOrdProp(QObject* object, const TPropInfo* prop, qint64 value);
qint64 GetInt64Prop(const QObject* object, const TPropInfo* prop);
void SetInt64Prop(QObject* object, const TPropInfo* prop, qint64 value);
double GetFloatProp(const QObject* object, const TPropInfo* prop);
void SetFloatProp(QObject* object, const TPropInfo* prop, double value);
QString GetStrProp(const QObject* object, const TPropInfo* prop);
void SetStrProp(QObject* object, const TPropInfo* prop, const QString& value);
QVariant GetVariantProp(const QObject* object, const TPropInfo* prop);
void SetVariantProp(QObject* object, const TPropInfo* prop, const QVariant& value);
QObject* GetObjectProp(const QObject* object, const TPropInfo* prop);
void SetObjectProp(QObject* object, const TPropInfo* prop, QObject* value);

// Enumeration properties by name; SetEnumProp raises EPropertyError "Invalid property value" for an
// unknown name.
QString GetEnumProp(const QObject* object, const TPropInfo* prop);
void SetEnumProp(QObject* object, const TPropInfo* prop, const QString& name);

// Sets as text: element names in ordinal order, joined by commas, optionally in square brackets.
QString SetToString(const TTypeInfo* setType, qint64 value, bool brackets = false);
// Parses such a text (brackets optional, blanks around names ignored). Raises EPropertyError
// "Invalid property value" for an unknown element name.
qint64 StringToSet(const TTypeInfo* setType, const QString& text);

// Value of the property converted to text in its own notation, and back (used for defaults,
// tools and tests).
QString GetPropText(const QObject* object, const TPropInfo* prop);
void SetPropText(QObject* object, const TPropInfo* prop, const QString& text);

// True when the property has a streaming default and the object's value equals it.
bool IsDefaultPropValue(const QObject* object, const TPropInfo* prop);
} // namespace Props
