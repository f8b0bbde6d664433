#include "core/TypeInfo.h"

#include <QHash>
#include <QMutex>
#include <limits>
#include <memory>

namespace {

// All type descriptors live for the whole program; their addresses are their identities.
struct Registry {
    QMutex mutex;
    QHash<QString, const TTypeInfo*> byName;
    QHash<QString, const TTypeInfo*> sets;
    QHash<const QMetaObject*, const TTypeInfo*> classes;
    std::vector<std::unique_ptr<TTypeInfo>> storage;

    const TTypeInfo* Add(TTypeInfo info) {
        storage.push_back(std::make_unique<TTypeInfo>(std::move(info)));
        return storage.back().get();
    }
};

Registry& registry() {
    // Process-wide: type identities must be the same for every caller, like the types they stand for.
    static Registry r;
    return r;
}

const TTypeInfo* makeOrdinal(const char* name, TTypeKind kind, qint64 minValue, qint64 maxValue) {
    return TypeInfo::RegisterOrdinalType(QString::fromLatin1(name), kind, minValue, maxValue);
}

QString enumKey(const QMetaEnum& e) {
    return QString::fromLatin1(e.enumName());
}

} // namespace

QString TTypeInfo::EnumName(qint64 value) const {
    const qint64 index = value - MinValue;
    if (index >= 0 && index < EnumNames.size())
        return EnumNames.at(index);
    return QString::number(value);
}

qint64 TTypeInfo::EnumValue(const QString& name) const {
    for (int i = 0; i < EnumNames.size(); ++i)
        if (EnumNames.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return MinValue + i;
    return -1;
}

namespace TypeInfo {

const TTypeInfo* RegisterOrdinalType(const QString& name, TTypeKind kind, qint64 minValue, qint64 maxValue) {
    Registry& r = registry();
    QMutexLocker lock(&r.mutex);
    if (const TTypeInfo* known = r.byName.value(name))
        return known;
    TTypeInfo info;
    info.Kind = kind;
    info.Name = name;
    info.MinValue = minValue;
    info.MaxValue = maxValue;
    const TTypeInfo* added = r.Add(std::move(info));
    r.byName.insert(name, added);
    return added;
}

const TTypeInfo* RegisterTypeAlias(const QString& name, TTypeKind kind) {
    switch (kind) {
    case TTypeKind::tkInteger:
        return RegisterOrdinalType(name, kind, std::numeric_limits<qint32>::min(),
                                   std::numeric_limits<qint32>::max());
    case TTypeKind::tkInt64:
        return RegisterOrdinalType(name, kind, std::numeric_limits<qint64>::min(),
                                   std::numeric_limits<qint64>::max());
    case TTypeKind::tkChar:
        return RegisterOrdinalType(name, kind, 0, 255);
    case TTypeKind::tkWChar:
        return RegisterOrdinalType(name, kind, 0, 65535);
    case TTypeKind::tkFloat:
        return RegisterFloatType(name, TFloatType::ftDouble);
    default:
        return RegisterOrdinalType(name, kind, 0, 0);
    }
}

const TTypeInfo* RegisterFloatType(const QString& name, TFloatType floatType) {
    Registry& r = registry();
    QMutexLocker lock(&r.mutex);
    if (const TTypeInfo* known = r.byName.value(name))
        return known;
    TTypeInfo info;
    info.Kind = TTypeKind::tkFloat;
    info.Name = name;
    info.FloatType = floatType;
    const TTypeInfo* added = r.Add(std::move(info));
    r.byName.insert(name, added);
    return added;
}

const TTypeInfo* Find(const QString& name) {
    // Named identities are registered on first use; make sure a lookup by name sees all of them.
    static const bool builtins = [] {
        for (auto fn : {Integer,  Byte,    Word,      Cardinal,  Int64,        Boolean,      Char,
                        WideChar, String,  Double,    Single,    Variant,      TCaption,     TComponentName,
                        TColor,   TCursor, TShortCut, TTabOrder, TModalResult, TFontCharset, TFontName,
                        TImeName, TDate,   TTime,     TDateTime, THelpContext, TNotifyEvent})
            fn();
        return true;
    }();
    Q_UNUSED(builtins);
    Registry& r = registry();
    QMutexLocker lock(&r.mutex);
    return r.byName.value(name);
}

const TTypeInfo* ForEnum(const QMetaEnum& metaEnum) {
    Registry& r = registry();
    const QString name = enumKey(metaEnum);
    {
        QMutexLocker lock(&r.mutex);
        if (const TTypeInfo* known = r.byName.value(name))
            return known;
    }
    TTypeInfo info;
    info.Kind = TTypeKind::tkEnumeration;
    if (metaEnum.isFlag()) {
        // The element type of a set: ordinals are bit indexes, named after the bit values.
        info.Name = name;
        for (int bit = 0; bit < 32; ++bit) {
            const char* key = metaEnum.valueToKey(1 << bit);
            if (!key)
                break;
            info.EnumNames.append(QString::fromLatin1(key));
        }
    } else {
        info.Name = name;
        for (int value = 0;; ++value) {
            const char* key = metaEnum.valueToKey(value);
            if (!key)
                break;
            info.EnumNames.append(QString::fromLatin1(key));
        }
    }
    info.MinValue = 0;
    info.MaxValue = info.EnumNames.size() - 1;
    QMutexLocker lock(&r.mutex);
    if (const TTypeInfo* known = r.byName.value(info.Name))
        return known;
    const QString key = info.Name;
    const TTypeInfo* added = r.Add(std::move(info));
    r.byName.insert(key, added);
    return added;
}

const TTypeInfo* ForSet(const QMetaEnum& metaEnum) {
    Registry& r = registry();
    const QString name = QString::fromLatin1(metaEnum.name());
    {
        QMutexLocker lock(&r.mutex);
        if (const TTypeInfo* known = r.sets.value(name))
            return known;
    }
    const TTypeInfo* element = ForEnum(metaEnum);
    TTypeInfo info;
    info.Kind = TTypeKind::tkSet;
    info.Name = name;
    info.CompType = element;
    info.MinValue = 0;
    info.MaxValue = (qint64(1) << element->EnumNames.size()) - 1;
    QMutexLocker lock(&r.mutex);
    if (const TTypeInfo* known = r.sets.value(name))
        return known;
    const TTypeInfo* added = r.Add(std::move(info));
    r.sets.insert(name, added);
    return added;
}

const TTypeInfo* ForClass(const QMetaObject* metaObject) {
    Registry& r = registry();
    QMutexLocker lock(&r.mutex);
    if (const TTypeInfo* known = r.classes.value(metaObject))
        return known;
    TTypeInfo info;
    info.Kind = TTypeKind::tkClass;
    info.Name = QString::fromLatin1(metaObject->className());
    info.ClassType = metaObject;
    const TTypeInfo* added = r.Add(std::move(info));
    r.classes.insert(metaObject, added);
    if (!r.byName.contains(added->Name))
        r.byName.insert(added->Name, added);
    return added;
}

const TTypeInfo* Integer() {
    static const TTypeInfo* t = RegisterTypeAlias(QStringLiteral("Integer"), TTypeKind::tkInteger);
    return t;
}
const TTypeInfo* Byte() {
    static const TTypeInfo* t = makeOrdinal("Byte", TTypeKind::tkInteger, 0, 255);
    return t;
}
const TTypeInfo* Word() {
    static const TTypeInfo* t = makeOrdinal("Word", TTypeKind::tkInteger, 0, 65535);
    return t;
}
const TTypeInfo* Cardinal() {
    static const TTypeInfo* t = makeOrdinal("Cardinal", TTypeKind::tkInteger, 0, 4294967295LL);
    return t;
}
const TTypeInfo* Int64() {
    static const TTypeInfo* t = RegisterTypeAlias(QStringLiteral("Int64"), TTypeKind::tkInt64);
    return t;
}
const TTypeInfo* Boolean() {
    static const TTypeInfo* t = [] {
        Registry& r = registry();
        QMutexLocker lock(&r.mutex);
        TTypeInfo info;
        info.Kind = TTypeKind::tkEnumeration;
        info.Name = QStringLiteral("Boolean");
        info.EnumNames = {QStringLiteral("False"), QStringLiteral("True")};
        info.MinValue = 0;
        info.MaxValue = 1;
        const TTypeInfo* added = r.Add(std::move(info));
        r.byName.insert(added->Name, added);
        return added;
    }();
    return t;
}
const TTypeInfo* Char() {
    static const TTypeInfo* t = RegisterTypeAlias(QStringLiteral("Char"), TTypeKind::tkChar);
    return t;
}
const TTypeInfo* WideChar() {
    static const TTypeInfo* t = RegisterTypeAlias(QStringLiteral("WideChar"), TTypeKind::tkWChar);
    return t;
}
const TTypeInfo* String() {
    static const TTypeInfo* t = RegisterTypeAlias(QStringLiteral("string"), TTypeKind::tkLString);
    return t;
}
const TTypeInfo* Double() {
    static const TTypeInfo* t = RegisterFloatType(QStringLiteral("Double"), TFloatType::ftDouble);
    return t;
}
const TTypeInfo* Single() {
    static const TTypeInfo* t = RegisterFloatType(QStringLiteral("Single"), TFloatType::ftSingle);
    return t;
}
const TTypeInfo* Variant() {
    static const TTypeInfo* t = RegisterTypeAlias(QStringLiteral("Variant"), TTypeKind::tkVariant);
    return t;
}

#define KVD_ALIAS(fn, text, kind)                                                                            \
    const TTypeInfo* fn() {                                                                                  \
        static const TTypeInfo* t = RegisterTypeAlias(QStringLiteral(text), kind);                           \
        return t;                                                                                            \
    }
#define KVD_ORDINAL(fn, text, lo, hi)                                                                        \
    const TTypeInfo* fn() {                                                                                  \
        static const TTypeInfo* t = makeOrdinal(text, TTypeKind::tkInteger, lo, hi);                         \
        return t;                                                                                            \
    }
KVD_ALIAS(TCaption, "TCaption", TTypeKind::tkLString)
KVD_ALIAS(TComponentName, "TComponentName", TTypeKind::tkLString)
KVD_ALIAS(TFontName, "TFontName", TTypeKind::tkLString)
KVD_ALIAS(TImeName, "TImeName", TTypeKind::tkLString)
KVD_ALIAS(TNotifyEvent, "TNotifyEvent", TTypeKind::tkMethod)
KVD_ORDINAL(TColor, "TColor", -2147483647LL - 1, 2147483647LL)
KVD_ORDINAL(TCursor, "TCursor", -32768, 32767)
KVD_ORDINAL(TShortCut, "TShortCut", 0, 65535)
KVD_ORDINAL(TTabOrder, "TTabOrder", -1, 32767)
KVD_ORDINAL(TModalResult, "TModalResult", -2147483647LL - 1, 2147483647LL)
KVD_ORDINAL(TFontCharset, "TFontCharset", 0, 255)
KVD_ORDINAL(THelpContext, "THelpContext", -2147483647LL - 1, 2147483647LL)
#undef KVD_ALIAS
#undef KVD_ORDINAL

const TTypeInfo* TDate() {
    static const TTypeInfo* t = RegisterFloatType(QStringLiteral("TDate"), TFloatType::ftDouble);
    return t;
}
const TTypeInfo* TTime() {
    static const TTypeInfo* t = RegisterFloatType(QStringLiteral("TTime"), TFloatType::ftDouble);
    return t;
}
const TTypeInfo* TDateTime() {
    static const TTypeInfo* t = RegisterFloatType(QStringLiteral("TDateTime"), TFloatType::ftDouble);
    return t;
}

} // namespace TypeInfo
