#include "core/PropInfo.h"

#include "core/Exceptions.h"

#include <QHash>
#include <QMetaClassInfo>
#include <QMutex>
#include <memory>
#include <unordered_map>

namespace {

struct ClassProps {
    TPropList list;
    std::vector<std::unique_ptr<TPropInfo>> storage;
};

// The first property index a class of this program declared: Qt's own classes are not published.
int publishedStart(const QMetaObject* mo) {
    for (const QMetaObject* m = mo; m; m = m->superClass())
        if (m->className()[0] == 'Q')
            return m->propertyCount();
    return 0;
}

QString classInfo(const QMetaObject* mo, const QByteArray& key) {
    const int index = mo->indexOfClassInfo(key.constData());
    return index < 0 ? QString() : QString::fromUtf8(mo->classInfo(index).value());
}

const TTypeInfo* typeFromMetaType(const QMetaProperty& p) {
    if (p.isFlagType())
        return TypeInfo::ForSet(p.enumerator());
    if (p.isEnumType())
        return TypeInfo::ForEnum(p.enumerator());
    const QMetaType type = p.metaType();
    switch (type.id()) {
    case QMetaType::Bool:
        return TypeInfo::Boolean();
    case QMetaType::Int:
    case QMetaType::Long:
        return TypeInfo::Integer();
    case QMetaType::UChar:
        return TypeInfo::Byte();
    case QMetaType::UShort:
        return TypeInfo::Word();
    case QMetaType::UInt:
    case QMetaType::ULong:
        return TypeInfo::Cardinal();
    case QMetaType::Short:
        return TypeInfo::RegisterOrdinalType(QStringLiteral("SmallInt"), TTypeKind::tkInteger, -32768, 32767);
    case QMetaType::SChar:
        return TypeInfo::RegisterOrdinalType(QStringLiteral("ShortInt"), TTypeKind::tkInteger, -128, 127);
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return TypeInfo::Int64();
    case QMetaType::Char:
        return TypeInfo::Char();
    case QMetaType::QChar:
        return TypeInfo::WideChar();
    case QMetaType::Double:
        return TypeInfo::Double();
    case QMetaType::Float:
        return TypeInfo::Single();
    case QMetaType::QString:
        return TypeInfo::String();
    case QMetaType::QVariant:
        return TypeInfo::Variant();
    default:
        break;
    }
    if (type.flags().testFlag(QMetaType::PointerToQObject) && type.metaObject())
        return TypeInfo::ForClass(type.metaObject());
    return TypeInfo::RegisterTypeAlias(QString::fromLatin1(type.name()), TTypeKind::tkUnknown);
}

// Converts a default or a typed-in text to a value of the type; throws on bad text.
QVariant parseText(const TTypeInfo* type, const QString& text) {
    switch (type->Kind) {
    case TTypeKind::tkInteger:
    case TTypeKind::tkInt64: {
        bool ok = false;
        const qint64 v = text.trimmed().toLongLong(&ok);
        if (!ok)
            throw EConvertError(Messages::NotAnInteger(text));
        return v;
    }
    case TTypeKind::tkEnumeration: {
        qint64 v = type->EnumValue(text.trimmed());
        if (v < 0) {
            bool ok = false;
            v = text.trimmed().toLongLong(&ok);
            if (!ok || v < type->MinValue || v > type->MaxValue)
                throw EPropertyError(Messages::InvalidPropertyValue());
        }
        return v;
    }
    case TTypeKind::tkSet:
        return Props::StringToSet(type, text);
    case TTypeKind::tkChar:
    case TTypeKind::tkWChar:
        if (text.size() != 1)
            throw EPropertyError(Messages::InvalidPropertyValue());
        return qint64(text.at(0).unicode());
    case TTypeKind::tkFloat: {
        bool ok = false;
        const double v = text.trimmed().toDouble(&ok);
        if (!ok)
            throw EConvertError(QStringLiteral("'%1' is not a valid floating point value").arg(text));
        return v;
    }
    default:
        return text;
    }
}

ClassProps* build(const QMetaObject* mo) {
    auto* result = new ClassProps;
    for (int i = publishedStart(mo); i < mo->propertyCount(); ++i) {
        const QMetaProperty p = mo->property(i);
        auto info = std::make_unique<TPropInfo>();
        info->Name = QString::fromLatin1(p.name());
        info->Meta = p;
        info->Readable = p.isReadable();
        info->Writable = p.isWritable();
        const QString declared = classInfo(mo, "type:" + QByteArray(p.name()));
        info->PropType = declared.isEmpty() ? nullptr : TypeInfo::Find(declared);
        if (!info->PropType)
            info->PropType = typeFromMetaType(p);
        const int defaultIndex = mo->indexOfClassInfo("default:" + QByteArray(p.name()));
        if (defaultIndex >= 0) {
            info->HasDefault = true;
            info->Default = parseText(info->PropType, QString::fromUtf8(mo->classInfo(defaultIndex).value()));
        }
        result->list.append(info.get());
        result->storage.push_back(std::move(info));
    }
    return result;
}

void requireWritable(const QObject* object, const TPropInfo* prop) {
    if (!object || !prop)
        throw EPropertyError(QStringLiteral("Property does not exist"));
    if (!prop->Writable)
        throw EPropertyError(QStringLiteral("Property %1 is read-only").arg(prop->Name));
}

void writeRaw(QObject* object, const TPropInfo* prop, QVariant value) {
    requireWritable(object, prop);
    const QMetaType target = prop->Meta.metaType();
    if (value.metaType() != target && target.id() != QMetaType::QVariant && !value.convert(target))
        throw EPropertyError(Messages::InvalidPropertyValue());
    if (!prop->Meta.write(object, value))
        throw EPropertyError(Messages::InvalidPropertyValue());
}

QVariant readRaw(const QObject* object, const TPropInfo* prop) {
    if (!object || !prop)
        throw EPropertyError(QStringLiteral("Property does not exist"));
    return prop->Meta.read(object);
}

} // namespace

namespace Props {

const TPropList& GetPropList(const QMetaObject* metaObject) {
    // Process-wide cache of what reflection derives from a class; it never changes once made.
    static QMutex mutex;
    static std::unordered_map<const QMetaObject*, std::unique_ptr<ClassProps>> cache;
    QMutexLocker lock(&mutex);
    std::unique_ptr<ClassProps>& entry = cache[metaObject];
    if (!entry)
        entry.reset(build(metaObject));
    return entry->list;
}

const TPropList& GetPropList(const QObject* object) {
    return GetPropList(object->metaObject());
}

const TPropInfo* GetPropInfo(const QMetaObject* metaObject, const QString& name) {
    for (const TPropInfo* p : GetPropList(metaObject))
        if (p->Name.compare(name, Qt::CaseInsensitive) == 0)
            return p;
    return nullptr;
}

const TPropInfo* GetPropInfo(const QObject* object, const QString& name) {
    return object ? GetPropInfo(object->metaObject(), name) : nullptr;
}

qint64 GetOrdProp(const QObject* object, const TPropInfo* prop) {
    const QVariant v = readRaw(object, prop);
    switch (v.metaType().id()) {
    case QMetaType::Bool:
        return v.toBool() ? 1 : 0;
    case QMetaType::QChar:
        return v.toChar().unicode();
    case QMetaType::Char:
        return static_cast<unsigned char>(v.value<char>());
    default:
        return v.toLongLong();
    }
}

void SetOrdProp(QObject* object, const TPropInfo* prop, qint64 value) {
    switch (prop ? prop->Meta.metaType().id() : 0) {
    case QMetaType::Bool:
        writeRaw(object, prop, QVariant(value != 0));
        return;
    case QMetaType::QChar:
        writeRaw(object, prop, QVariant(QChar(char16_t(value))));
        return;
    case QMetaType::Char:
        writeRaw(object, prop, QVariant::fromValue(char(value)));
        return;
    default:
        writeRaw(object, prop, QVariant(value));
    }
}

qint64 GetInt64Prop(const QObject* object, const TPropInfo* prop) {
    return readRaw(object, prop).toLongLong();
}

void SetInt64Prop(QObject* object, const TPropInfo* prop, qint64 value) {
    writeRaw(object, prop, QVariant(value));
}

double GetFloatProp(const QObject* object, const TPropInfo* prop) {
    return readRaw(object, prop).toDouble();
}

void SetFloatProp(QObject* object, const TPropInfo* prop, double value) {
    writeRaw(object, prop, QVariant(value));
}

QString GetStrProp(const QObject* object, const TPropInfo* prop) {
    return readRaw(object, prop).toString();
}

void SetStrProp(QObject* object, const TPropInfo* prop, const QString& value) {
    writeRaw(object, prop, QVariant(value));
}

QVariant GetVariantProp(const QObject* object, const TPropInfo* prop) {
    return readRaw(object, prop);
}

void SetVariantProp(QObject* object, const TPropInfo* prop, const QVariant& value) {
    writeRaw(object, prop, value);
}

QObject* GetObjectProp(const QObject* object, const TPropInfo* prop) {
    return readRaw(object, prop).value<QObject*>();
}

void SetObjectProp(QObject* object, const TPropInfo* prop, QObject* value) {
    requireWritable(object, prop);
    if (value && prop->PropType->ClassType && !value->metaObject()->inherits(prop->PropType->ClassType))
        throw EPropertyError(Messages::InvalidPropertyValue());
    QVariant v = QVariant::fromValue(value);
    const QMetaType target = prop->Meta.metaType();
    if (!v.convert(target))
        v = QVariant(target, &value); // a null pointer of the property's own type
    if (!prop->Meta.write(object, v))
        throw EPropertyError(Messages::InvalidPropertyValue());
}

QString GetEnumProp(const QObject* object, const TPropInfo* prop) {
    return prop->PropType->EnumName(GetOrdProp(object, prop));
}

void SetEnumProp(QObject* object, const TPropInfo* prop, const QString& name) {
    const qint64 value = prop->PropType->EnumValue(name);
    if (value < 0)
        throw EPropertyError(Messages::InvalidPropertyValue());
    SetOrdProp(object, prop, value);
}

QString SetToString(const TTypeInfo* setType, qint64 value, bool brackets) {
    QStringList names;
    const TTypeInfo* element = setType->CompType ? setType->CompType : setType;
    for (int bit = 0; bit < element->EnumNames.size(); ++bit)
        if (value & (qint64(1) << bit))
            names.append(element->EnumNames.at(bit));
    const QString joined = names.join(QLatin1Char(','));
    return brackets ? QLatin1Char('[') + joined + QLatin1Char(']') : joined;
}

qint64 StringToSet(const TTypeInfo* setType, const QString& text) {
    const TTypeInfo* element = setType->CompType ? setType->CompType : setType;
    QString body = text.trimmed();
    if (body.startsWith(QLatin1Char('[')) && body.endsWith(QLatin1Char(']')))
        body = body.mid(1, body.size() - 2);
    qint64 result = 0;
    for (const QString& item : body.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString name = item.trimmed();
        if (name.isEmpty())
            continue;
        const qint64 bit = element->EnumValue(name);
        if (bit < 0)
            throw EPropertyError(Messages::InvalidPropertyValue());
        result |= qint64(1) << bit;
    }
    return result;
}

QString GetPropText(const QObject* object, const TPropInfo* prop) {
    const TTypeInfo* type = prop->PropType;
    switch (type->Kind) {
    case TTypeKind::tkInteger:
        return QString::number(GetOrdProp(object, prop));
    case TTypeKind::tkInt64:
        return QString::number(GetInt64Prop(object, prop));
    case TTypeKind::tkEnumeration:
        return GetEnumProp(object, prop);
    case TTypeKind::tkSet:
        return SetToString(type, GetOrdProp(object, prop));
    case TTypeKind::tkChar:
    case TTypeKind::tkWChar:
        return QString(QChar(char16_t(GetOrdProp(object, prop))));
    case TTypeKind::tkFloat:
        return QString::number(GetFloatProp(object, prop), 'g', 15);
    case TTypeKind::tkClass: {
        const QObject* value = GetObjectProp(object, prop);
        return value ? value->objectName() : QString();
    }
    default:
        return GetVariantProp(object, prop).toString();
    }
}

void SetPropText(QObject* object, const TPropInfo* prop, const QString& text) {
    const TTypeInfo* type = prop->PropType;
    const QVariant value = parseText(type, text);
    switch (type->Kind) {
    case TTypeKind::tkInteger:
    case TTypeKind::tkEnumeration:
    case TTypeKind::tkSet:
    case TTypeKind::tkChar:
    case TTypeKind::tkWChar:
        SetOrdProp(object, prop, value.toLongLong());
        break;
    case TTypeKind::tkInt64:
        SetInt64Prop(object, prop, value.toLongLong());
        break;
    case TTypeKind::tkFloat:
        SetFloatProp(object, prop, value.toDouble());
        break;
    default:
        SetVariantProp(object, prop, value);
        break;
    }
}

bool IsDefaultPropValue(const QObject* object, const TPropInfo* prop) {
    if (!prop->HasDefault)
        return false;
    const TTypeInfo* type = prop->PropType;
    if (type->IsOrdinal())
        return GetOrdProp(object, prop) == prop->Default.toLongLong();
    if (type->Kind == TTypeKind::tkInt64)
        return GetInt64Prop(object, prop) == prop->Default.toLongLong();
    if (type->Kind == TTypeKind::tkFloat)
        return GetFloatProp(object, prop) == prop->Default.toDouble();
    return GetVariantProp(object, prop) == prop->Default;
}

} // namespace Props
