#include "core/ComponentStream.h"

#include "core/ClassRegistry.h"
#include "core/Control.h"
#include "core/Exceptions.h"
#include "core/PropInfo.h"

#include <QtEndian>
#include <cstring>
#include <memory>
#include <utility>

namespace ComponentStream {

QString InvalidStreamFormat() {
    return QStringLiteral("Invalid stream format");
}

QString StreamReadError() {
    return QStringLiteral("Stream read error");
}

namespace {

bool isIntTag(quint8 tag) {
    return tag == vaInt8 || tag == vaInt16 || tag == vaInt32 || tag == vaInt64;
}

// The range an ordinal property accepts; types without a declared range take what Qt can hold.
void checkRange(const TTypeInfo* type, qint64 value) {
    if (type->MaxValue > type->MinValue && (value < type->MinValue || value > type->MaxValue))
        throw EReadError(Messages::InvalidPropertyValue());
}

} // namespace

// --- writer ----------------------------------------------------------------------------------------------

void TWriter::WriteComponent(TControl* component) {
    m_data.append(Signature, 4);
    WriteRecord(component);
}

void TWriter::WriteListEnd() {
    m_data.append('\0');
}

void TWriter::WriteRecord(TControl* component) {
    WriteName(QString::fromLatin1(component->metaObject()->className()));
    WriteName(component->Name());
    for (const TPropInfo* prop : Props::GetPropList(component))
        WriteProperty(component, prop);
    m_data.append('\0');
    for (TControl* child : component->ChildControls())
        if (child->Owner() && (!m_root || child->Owner() == m_root))
            WriteRecord(child);
    m_data.append('\0');
}

void TWriter::WriteName(const QString& name) {
    const QByteArray bytes = name.toLatin1().left(255);
    m_data.append(char(bytes.size()));
    m_data.append(bytes);
}

void TWriter::WriteInt(qint64 value) {
    char buffer[8];
    if (value >= -128 && value <= 127) {
        m_data.append(char(vaInt8));
        m_data.append(char(qint8(value)));
    } else if (value >= -32768 && value <= 32767) {
        m_data.append(char(vaInt16));
        qToLittleEndian(qint16(value), buffer);
        m_data.append(buffer, 2);
    } else if (value >= INT32_MIN && value <= INT32_MAX) {
        m_data.append(char(vaInt32));
        qToLittleEndian(qint32(value), buffer);
        m_data.append(buffer, 4);
    } else {
        m_data.append(char(vaInt64));
        qToLittleEndian(value, buffer);
        m_data.append(buffer, 8);
    }
}

void TWriter::WriteUtf8(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    char buffer[4];
    m_data.append(char(vaUtf8));
    qToLittleEndian(quint32(bytes.size()), buffer);
    m_data.append(buffer, 4);
    m_data.append(bytes);
}

QString TWriter::ReferenceName(const QObject* object) const {
    const auto* control = qobject_cast<const TControl*>(object);
    if (!control || control->Name().isEmpty())
        return QString();
    if (control == m_root || control->Owner() == m_root)
        return control->Name();
    if (control->Owner() && !control->Owner()->Name().isEmpty())
        return control->Owner()->Name() + QLatin1Char('.') + control->Name();
    return QString();
}

void TWriter::WriteProperty(TControl* component, const TPropInfo* prop) {
    if (!prop->Readable || !prop->Writable || prop->Name == QLatin1String("Name"))
        return;
    if (Props::IsDefaultPropValue(component, prop))
        return;
    const TTypeInfo* type = prop->PropType;
    const qsizetype mark = m_data.size();
    WriteName(prop->Name);
    switch (type->Kind) {
    case TTypeKind::tkInteger:
    case TTypeKind::tkChar:
    case TTypeKind::tkWChar:
        WriteInt(Props::GetOrdProp(component, prop));
        return;
    case TTypeKind::tkInt64:
        WriteInt(Props::GetInt64Prop(component, prop));
        return;
    case TTypeKind::tkEnumeration: {
        const qint64 value = Props::GetOrdProp(component, prop);
        if (type == TypeInfo::Boolean()) {
            m_data.append(char(value ? vaTrue : vaFalse));
        } else {
            m_data.append(char(vaIdent));
            WriteName(type->EnumName(value));
        }
        return;
    }
    case TTypeKind::tkSet: {
        const TTypeInfo* element = type->CompType ? type->CompType : type;
        const qint64 value = Props::GetOrdProp(component, prop);
        m_data.append(char(vaSet));
        for (int bit = 0; bit < element->EnumNames.size() && bit < 63; ++bit)
            if (value & (qint64(1) << bit))
                WriteName(element->EnumNames.at(bit));
        m_data.append('\0');
        return;
    }
    case TTypeKind::tkFloat: {
        char buffer[8];
        const double value = Props::GetFloatProp(component, prop);
        quint64 bits;
        std::memcpy(&bits, &value, 8);
        qToLittleEndian(bits, buffer);
        m_data.append(char(vaDouble));
        m_data.append(buffer, 8);
        return;
    }
    case TTypeKind::tkString:
    case TTypeKind::tkLString:
    case TTypeKind::tkWString:
        WriteUtf8(Props::GetStrProp(component, prop));
        return;
    case TTypeKind::tkClass: {
        const QString name = ReferenceName(Props::GetObjectProp(component, prop));
        if (!name.isEmpty()) {
            m_data.append(char(vaIdent));
            WriteName(name);
            return;
        }
        break; // no reference, or an object the stream cannot name: not stored
    }
    case TTypeKind::tkVariant: {
        const QVariant v = Props::GetVariantProp(component, prop);
        switch (v.metaType().id()) {
        case QMetaType::UnknownType:
            m_data.append(char(vaNil));
            return;
        case QMetaType::Bool:
            m_data.append(char(v.toBool() ? vaTrue : vaFalse));
            return;
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
            WriteInt(v.toLongLong());
            return;
        case QMetaType::QString:
            WriteUtf8(v.toString());
            return;
        default:
            break;
        }
        break;
    }
    default:
        break;
    }
    m_data.truncate(mark); // a value this stream has no encoding for is left out
}

// --- reader ----------------------------------------------------------------------------------------------

TReader::TReader(const QByteArray& data, TControl* root, QWidget* parent)
    : m_data(data), m_root(root), m_parent(parent) {}

quint8 TReader::PeekByte() const {
    if (m_pos >= m_data.size())
        throw EReadError(StreamReadError());
    return quint8(m_data.at(m_pos));
}

quint8 TReader::ReadByte() {
    const quint8 b = PeekByte();
    ++m_pos;
    return b;
}

QByteArray TReader::ReadBytes(qint64 count) {
    if (count < 0 || count > m_data.size() - m_pos)
        throw EReadError(StreamReadError());
    const QByteArray result = m_data.mid(m_pos, count);
    m_pos += count;
    return result;
}

QString TReader::ReadName() {
    const int length = ReadByte();
    return QString::fromLatin1(ReadBytes(length));
}

void TReader::ReadSignature() {
    if (ReadBytes(4) != QByteArray(Signature, 4))
        throw EReadError(InvalidStreamFormat());
}

qint64 TReader::ReadIntValue(quint8 tag) {
    switch (tag) {
    case vaInt8:
        return qint8(ReadByte());
    case vaInt16:
        return qFromLittleEndian<qint16>(ReadBytes(2).constData());
    case vaInt32:
        return qFromLittleEndian<qint32>(ReadBytes(4).constData());
    case vaInt64:
        return qFromLittleEndian<qint64>(ReadBytes(8).constData());
    default:
        throw EReadError(Messages::InvalidPropertyValue());
    }
}

QList<TControl*> TReader::ReadComponents() {
    QList<TControl*> result;
    while (PeekByte() != 0) {
        ReadSignature();
        TControl* component = ReadRecord(m_parent, 0);
        result.append(component);
        if (OnComponentRead)
            OnComponentRead(component);
    }
    ReadByte();
    ResolveFixups();
    return result;
}

TControl* TReader::ReadRecord(QWidget* parent, int depth) {
    if (depth > MaxDepth)
        throw EReadError(InvalidStreamFormat());
    const QString className = ReadName();
    const QString storedName = ReadName();
    const TControlClass* controlClass = ClassRegistry::Find(className);
    if (!controlClass || !controlClass->Create)
        throw EReadError(QStringLiteral("Class %1 not found").arg(className));
    // Freed again when the record turns out to be bad.
    std::unique_ptr<TControl> component(controlClass->Create(m_root));
    component->SetLoading(true);
    component->SetName(OnSetName ? OnSetName(component.get(), storedName) : storedName);
    if (parent)
        component->SetParentControl(parent);
    while (PeekByte() != 0)
        ReadProperty(component.get());
    ReadByte();
    while (PeekByte() != 0)
        ReadRecord(component.get(), depth + 1);
    ReadByte();
    component->SetLoading(false);
    return component.release();
}

void TReader::ReadProperty(TControl* component) {
    const QString name = ReadName();
    const TPropInfo* prop = Props::GetPropInfo(component, name);
    if (!prop || name.compare(QLatin1String("Name"), Qt::CaseInsensitive) == 0)
        throw EReadError(QStringLiteral("Property %1 does not exist").arg(name));
    if (!prop->Writable)
        throw EReadError(QStringLiteral("Property %1 is read-only").arg(prop->Name));
    const TTypeInfo* type = prop->PropType;
    const quint8 tag = ReadByte();
    switch (type->Kind) {
    case TTypeKind::tkInteger:
    case TTypeKind::tkChar:
    case TTypeKind::tkWChar: {
        const qint64 value = ReadIntValue(tag);
        checkRange(type, value);
        Props::SetOrdProp(component, prop, value);
        return;
    }
    case TTypeKind::tkInt64:
        Props::SetInt64Prop(component, prop, ReadIntValue(tag));
        return;
    case TTypeKind::tkEnumeration: {
        qint64 value = -1;
        if (type == TypeInfo::Boolean() && (tag == vaFalse || tag == vaTrue))
            value = tag == vaTrue ? 1 : 0;
        else if (tag == vaIdent)
            value = type->EnumValue(ReadName());
        if (value < 0)
            throw EReadError(Messages::InvalidPropertyValue());
        Props::SetOrdProp(component, prop, value);
        return;
    }
    case TTypeKind::tkSet: {
        if (tag != vaSet)
            throw EReadError(Messages::InvalidPropertyValue());
        const TTypeInfo* element = type->CompType ? type->CompType : type;
        qint64 value = 0;
        for (QString item = ReadName(); !item.isEmpty(); item = ReadName()) {
            const qint64 bit = element->EnumValue(item);
            if (bit < 0 || bit > 62)
                throw EReadError(Messages::InvalidPropertyValue());
            value |= qint64(1) << bit;
        }
        Props::SetOrdProp(component, prop, value);
        return;
    }
    case TTypeKind::tkFloat: {
        if (isIntTag(tag)) {
            Props::SetFloatProp(component, prop, double(ReadIntValue(tag)));
            return;
        }
        if (tag != vaDouble)
            throw EReadError(Messages::InvalidPropertyValue());
        const quint64 bits = qFromLittleEndian<quint64>(ReadBytes(8).constData());
        double value;
        std::memcpy(&value, &bits, 8);
        Props::SetFloatProp(component, prop, value);
        return;
    }
    case TTypeKind::tkString:
    case TTypeKind::tkLString:
    case TTypeKind::tkWString: {
        if (tag != vaUtf8)
            throw EReadError(Messages::InvalidPropertyValue());
        const quint32 length = qFromLittleEndian<quint32>(ReadBytes(4).constData());
        Props::SetStrProp(component, prop, QString::fromUtf8(ReadBytes(qint64(length))));
        return;
    }
    case TTypeKind::tkClass:
        if (tag == vaNil) {
            Props::SetObjectProp(component, prop, nullptr);
            return;
        }
        if (tag != vaIdent)
            throw EReadError(Messages::InvalidPropertyValue());
        m_fixups.append({component, prop, ReadName()});
        return;
    case TTypeKind::tkVariant: {
        QVariant value;
        if (tag == vaTrue || tag == vaFalse) {
            value = tag == vaTrue;
        } else if (isIntTag(tag)) {
            value = ReadIntValue(tag);
        } else if (tag == vaUtf8) {
            const quint32 length = qFromLittleEndian<quint32>(ReadBytes(4).constData());
            value = QString::fromUtf8(ReadBytes(qint64(length)));
        } else if (tag != vaNil) {
            throw EReadError(Messages::InvalidPropertyValue());
        }
        Props::SetVariantProp(component, prop, value);
        return;
    }
    default:
        throw EReadError(Messages::InvalidPropertyValue());
    }
}

void TReader::ResolveFixups() {
    const QList<Fixup> fixups = std::exchange(m_fixups, {});
    for (const Fixup& fixup : fixups) {
        if (!fixup.Instance)
            continue; // the component was freed after a failed record
        QString name = fixup.Name;
        TControl* target = nullptr;
        const qsizetype dot = name.indexOf(QLatin1Char('.'));
        if (dot >= 0) {
            if (TControl* owner = m_root ? m_root->FindComponent(name.left(dot)) : nullptr)
                target = owner->FindComponent(name.mid(dot + 1));
        } else {
            if (OnReferenceName)
                name = OnReferenceName(name);
            if (m_root && name.compare(m_root->Name(), Qt::CaseInsensitive) == 0 && !name.isEmpty())
                target = m_root;
            else if (m_root)
                target = m_root->FindComponent(name);
        }
        if (target) // a name that is not found leaves the reference empty
            Props::SetObjectProp(fixup.Instance, fixup.Prop, target);
    }
}

} // namespace ComponentStream
