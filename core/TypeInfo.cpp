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

    // The type registered under that name; the first call for a name registers what make() describes.
    template <class Make> const TTypeInfo* Named(const QString& name, Make make) {
        QMutexLocker lock(&mutex);
        if (const TTypeInfo* known = byName.value(name))
            return known;
        TTypeInfo info = make();
        info.Name = name;
        const TTypeInfo* added = Add(std::move(info));
        byName.insert(name, added);
        return added;
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
    return registry().Named(name, [&] {
        TTypeInfo info;
        info.Kind = kind;
        info.MinValue = minValue;
        info.MaxValue = maxValue;
        return info;
    });
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
    return registry().Named(name, [&] {
        TTypeInfo info;
        info.Kind = TTypeKind::tkFloat;
        info.FloatType = floatType;
        return info;
    });
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
    return registry().Named(enumKey(metaEnum), [&] {
        TTypeInfo info;
        info.Kind = TTypeKind::tkEnumeration;
        // The element type of a set has bit indexes for ordinals, named after the bit values.
        const bool bits = metaEnum.isFlag();
        for (int i = 0; !bits || i < 32; ++i) {
            const char* key = metaEnum.valueToKey(bits ? 1 << i : i);
            if (!key)
                break;
            info.EnumNames.append(QString::fromLatin1(key));
        }
        info.MinValue = 0;
        info.MaxValue = info.EnumNames.size() - 1;
        return info;
    });
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

const TTypeInfo* Boolean() {
    static const TTypeInfo* t = registry().Named(QStringLiteral("Boolean"), [] {
        TTypeInfo info;
        info.Kind = TTypeKind::tkEnumeration;
        info.EnumNames = {QStringLiteral("False"), QStringLiteral("True")};
        info.MinValue = 0;
        info.MaxValue = 1;
        return info;
    });
    return t;
}

// The built-in types, each registered once on first use.
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
#define KVD_FLOAT(fn, text, floatType)                                                                       \
    const TTypeInfo* fn() {                                                                                  \
        static const TTypeInfo* t = RegisterFloatType(QStringLiteral(text), floatType);                      \
        return t;                                                                                            \
    }
KVD_ALIAS(Integer, "Integer", TTypeKind::tkInteger)
KVD_ORDINAL(Byte, "Byte", 0, 255)
KVD_ORDINAL(Word, "Word", 0, 65535)
KVD_ORDINAL(Cardinal, "Cardinal", 0, 4294967295LL)
KVD_ALIAS(Int64, "Int64", TTypeKind::tkInt64)
KVD_ALIAS(Char, "Char", TTypeKind::tkChar)
KVD_ALIAS(WideChar, "WideChar", TTypeKind::tkWChar)
KVD_ALIAS(String, "string", TTypeKind::tkLString)
KVD_FLOAT(Double, "Double", TFloatType::ftDouble)
KVD_FLOAT(Single, "Single", TFloatType::ftSingle)
KVD_ALIAS(Variant, "Variant", TTypeKind::tkVariant)
KVD_FLOAT(TDate, "TDate", TFloatType::ftDouble)
KVD_FLOAT(TTime, "TTime", TFloatType::ftDouble)
KVD_FLOAT(TDateTime, "TDateTime", TFloatType::ftDouble)
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
#undef KVD_FLOAT

} // namespace TypeInfo
