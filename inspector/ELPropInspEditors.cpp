#include "inspector/ELPropInspEditors.h"

#include "core/Control.h"
#include "core/Graphics.h"
#include "core/Strings.h"
#include "inspector/ELPropInspTypeEditors.h"

#include <QHash>
#include <algorithm>

namespace {

[[noreturn]] void rangeError(const TTypeInfo* type) {
    throw EELPropEditor(
        QStringLiteral("Value must be between %1 and %2").arg(type->MinValue).arg(type->MaxValue));
}

qint64 parseInt64(const QString& text) {
    bool ok = false;
    const qint64 value = text.trimmed().toLongLong(&ok);
    if (!ok)
        throw EConvertError(Messages::NotAnInteger(text));
    return value;
}

} // namespace

// --- TELPropEditor -------------------------------------------------------------------------------------

TELPropEditor::TELPropEditor(TELCustomPropertyInspector* owner, int propCount)
    : m_owner(owner), m_count(propCount), m_props(propCount) {}

TELPropEditor::TELPropEditor(const TELPropEditor* parent)
    : m_owner(parent->m_owner), m_count(parent->m_count), m_props(parent->m_props) {}

TELPropEditor::~TELPropEditor() = default;

QString TELPropEditor::GetValue() {
    return QStringLiteral("(Unknown)");
}

void TELPropEditor::SetValue(const QString&) {}

TELPropAttrs TELPropEditor::GetAttrs() {
    return peMultiSelect;
}

void TELPropEditor::GetValues(QStringList&) {}

void TELPropEditor::GetSubProps(const TELGetEditorClassFunc&, QList<TELPropEditor*>&) {}

QString TELPropEditor::GetPropName() {
    return GetPropInfo()->Name;
}

bool TELPropEditor::AllEqual() {
    return m_count == 1;
}

void TELPropEditor::Edit() {}

void TELPropEditor::MeasureHeight(const QString&, QPainter*, int&) {}

void TELPropEditor::MeasureWidth(const QString&, QPainter*, int&) {}

void TELPropEditor::DrawValue(const QString&, QPainter*, const QRect&, bool) {}

void TELPropEditor::SetPropEntry(int index, QObject* instance, const TPropInfo* propInfo) {
    m_props[index] = TPropEntry{instance, propInfo};
}

void TELPropEditor::Modified() {
    if (OnModified)
        OnModified(this);
}

qint64 TELPropEditor::GetOrdValue(int index) const {
    return Props::GetOrdProp(GetInstance(index), GetPropInfo(index));
}

qint64 TELPropEditor::GetInt64Value(int index) const {
    return Props::GetInt64Prop(GetInstance(index), GetPropInfo(index));
}

double TELPropEditor::GetFloatValue(int index) const {
    return Props::GetFloatProp(GetInstance(index), GetPropInfo(index));
}

QString TELPropEditor::GetStrValue(int index) const {
    return Props::GetStrProp(GetInstance(index), GetPropInfo(index));
}

QVariant TELPropEditor::GetVarValue(int index) const {
    return Props::GetVariantProp(GetInstance(index), GetPropInfo(index));
}

QObject* TELPropEditor::GetObjectValue(int index) const {
    return Props::GetObjectProp(GetInstance(index), GetPropInfo(index));
}

void TELPropEditor::SetOrdValue(qint64 value) {
    for (int i = 0; i < m_count; ++i)
        Props::SetOrdProp(GetInstance(i), GetPropInfo(i), value);
    Modified();
}

void TELPropEditor::SetInt64Value(qint64 value) {
    for (int i = 0; i < m_count; ++i)
        Props::SetInt64Prop(GetInstance(i), GetPropInfo(i), value);
    Modified();
}

void TELPropEditor::SetFloatValue(double value) {
    for (int i = 0; i < m_count; ++i)
        Props::SetFloatProp(GetInstance(i), GetPropInfo(i), value);
    Modified();
}

void TELPropEditor::SetStrValue(const QString& value) {
    for (int i = 0; i < m_count; ++i)
        Props::SetStrProp(GetInstance(i), GetPropInfo(i), value);
    Modified();
}

void TELPropEditor::SetVarValue(const QVariant& value) {
    for (int i = 0; i < m_count; ++i)
        Props::SetVariantProp(GetInstance(i), GetPropInfo(i), value);
    Modified();
}

void TELPropEditor::SetObjectValue(QObject* value) {
    for (int i = 0; i < m_count; ++i)
        Props::SetObjectProp(GetInstance(i), GetPropInfo(i), value);
    Modified();
}

// --- ordinal editors -----------------------------------------------------------------------------------

bool TELOrdinalPropEditor::AllEqual() {
    return AllValuesEqual([this](int i) { return GetOrdValue(i); });
}

QString TELIntegerPropEditor::GetValue() {
    return QString::number(GetOrdValue());
}

void TELIntegerPropEditor::SetValue(const QString& value) {
    const qint64 number = parseInt64(value);
    const TTypeInfo* type = GetPropType();
    if (number < type->MinValue || number > type->MaxValue)
        rangeError(type);
    SetOrdValue(number);
}

QString TELCharPropEditor::GetValue() {
    const qint64 code = GetOrdValue();
    if (code >= 33 && code <= 127)
        return QString(QChar(char16_t(code)));
    return QLatin1Char('#') + QString::number(code);
}

void TELCharPropEditor::SetValue(const QString& value) {
    qint64 code = 0;
    if (value.size() == 1)
        code = value.at(0).unicode();
    else if (value.startsWith(QLatin1Char('#')))
        code = parseInt64(value.mid(1));
    else if (!value.isEmpty())
        throw EELPropEditor(Messages::InvalidPropertyValue());
    const TTypeInfo* type = GetPropType();
    if (code < type->MinValue || code > type->MaxValue)
        rangeError(type);
    SetOrdValue(code);
}

TELPropAttrs TELEnumPropEditor::GetAttrs() {
    return peValueList | peSortedValues | peMultiSelect;
}

QString TELEnumPropEditor::GetValue() {
    const TTypeInfo* type = GetPropType();
    qint64 value = GetOrdValue();
    if (value > type->MaxValue || value < type->MinValue)
        value = type->MaxValue;
    return type->EnumName(value);
}

void TELEnumPropEditor::SetValue(const QString& value) {
    const TTypeInfo* type = GetPropType();
    for (int i = 0; i < type->EnumNames.size(); ++i)
        if (type->EnumNames.at(i).compare(value, Qt::CaseInsensitive) == 0) {
            SetOrdValue(type->MinValue + i);
            return;
        }
    throw EELPropEditor(Messages::InvalidPropertyValue());
}

void TELEnumPropEditor::GetValues(QStringList& values) {
    const TTypeInfo* type = GetPropType();
    // A type that starts below zero only offers its 0 and 1 (the way a boolean-like type is listed).
    const qint64 low = type->MinValue < 0 ? 0 : type->MinValue;
    const qint64 high = type->MinValue < 0 ? qMin<qint64>(1, type->MaxValue) : type->MaxValue;
    for (qint64 v = low; v <= high; ++v)
        values.append(type->EnumName(v));
}

// --- floats, strings, 64-bit integers ------------------------------------------------------------------

QString TELFloatPropEditor::GetValue() {
    int digits = 15;
    switch (GetPropType()->FloatType) {
    case TFloatType::ftSingle:
        digits = 7;
        break;
    case TFloatType::ftDouble:
        digits = 15;
        break;
    default:
        digits = 18;
        break;
    }
    return QString::number(GetFloatValue(), 'g', digits);
}

void TELFloatPropEditor::SetValue(const QString& value) {
    bool ok = false;
    const double number = value.trimmed().toDouble(&ok);
    if (!ok)
        throw EConvertError(QStringLiteral("'%1' is not a valid floating point value").arg(value));
    SetFloatValue(number);
}

bool TELFloatPropEditor::AllEqual() {
    return AllValuesEqual([this](int i) { return GetFloatValue(i); });
}

QString TELStringPropEditor::GetValue() {
    return GetStrValue();
}

void TELStringPropEditor::SetValue(const QString& value) {
    SetStrValue(value);
}

bool TELStringPropEditor::AllEqual() {
    return AllValuesEqual([this](int i) { return GetStrValue(i); });
}

TELPropAttrs TELCaptionPropEditor::GetAttrs() {
    return peMultiSelect | peLiveUpdate;
}

QString TELInt64PropEditor::GetValue() {
    return QString::number(GetInt64Value());
}

void TELInt64PropEditor::SetValue(const QString& value) {
    SetInt64Value(parseInt64(value));
}

bool TELInt64PropEditor::AllEqual() {
    return AllValuesEqual([this](int i) { return GetInt64Value(i); });
}

// --- sets ------------------------------------------------------------------------------------------------

TELPropAttrs TELSetPropEditor::GetAttrs() {
    return peSubProperties | peMultiSelect | peReadOnly;
}

QString TELSetPropEditor::GetValue() {
    return Props::SetToString(GetPropType(), GetOrdValue(), true);
}

void TELSetPropEditor::GetSubProps(const TELGetEditorClassFunc&, QList<TELPropEditor*>& result) {
    const TTypeInfo* element = GetPropType()->CompType;
    if (!element)
        return;
    for (int i = 0; i < element->EnumNames.size(); ++i)
        result.append(new TELSetElemPropEditor(this, i));
}

TELSetElemPropEditor::TELSetElemPropEditor(const TELPropEditor* parent, int element)
    : TELNestedPropEditor(parent), m_element(element) {}

const TTypeInfo* TELSetElemPropEditor::ElementType() const {
    return GetPropType()->CompType;
}

TELPropAttrs TELSetElemPropEditor::GetAttrs() {
    return peValueList | peSortedValues | peMultiSelect;
}

QString TELSetElemPropEditor::GetPropName() {
    return ElementType()->EnumNames.at(m_element);
}

QString TELSetElemPropEditor::GetValue() {
    return (GetOrdValue() & (qint64(1) << m_element)) ? QStringLiteral("True") : QStringLiteral("False");
}

void TELSetElemPropEditor::SetValue(const QString& value) {
    qint64 set = GetOrdValue(0);
    if (value.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        set |= qint64(1) << m_element;
    else
        set &= ~(qint64(1) << m_element);
    SetOrdValue(set);
}

void TELSetElemPropEditor::GetValues(QStringList& values) {
    values << QStringLiteral("False") << QStringLiteral("True");
}

bool TELSetElemPropEditor::AllEqual() {
    const qint64 bit = qint64(1) << m_element;
    return AllValuesEqual([this, bit](int i) { return bool(GetOrdValue(i) & bit); });
}

// --- classes ---------------------------------------------------------------------------------------------

TELPropAttrs TELClassPropEditor::GetAttrs() {
    return peSubProperties | peMultiSelect | peReadOnly;
}

QString TELClassPropEditor::GetValue() {
    return QLatin1Char('(') + GetPropType()->Name + QLatin1Char(')');
}

void TELClassPropEditor::GetSubProps(const TELGetEditorClassFunc& getEditorClass,
                                     QList<TELPropEditor*>& result) {
    QList<QObject*> objects;
    for (int i = 0; i < PropCount(); ++i)
        if (QObject* held = GetObjectValue(i))
            objects.append(held);
    if (!objects.isEmpty())
        ELGetObjectsProps(Owner(), objects, getEditorClass, false, result);
}

// --- common properties -------------------------------------------------------------------------------------

void ELGetObjectsProps(TELCustomPropertyInspector* owner, const QList<QObject*>& objects,
                       const TELGetEditorClassFunc& getEditorClass, bool nestedInComponent,
                       QList<TELPropEditor*>& result) {
    if (objects.isEmpty())
        return;
    const int count = static_cast<int>(objects.size());
    auto sorted = [](const QObject* object) {
        TPropList list = Props::GetPropList(object);
        std::stable_sort(list.begin(), list.end(), [](const TPropInfo* a, const TPropInfo* b) {
            return a->Name.compare(b->Name, Qt::CaseInsensitive) < 0;
        });
        return list;
    };
    // Candidates from the first object; per candidate the matching property of every object.
    const TPropList first = sorted(objects.first());
    QList<QList<const TPropInfo*>> matches;
    matches.reserve(first.size());
    for (const TPropInfo* p : first)
        matches.append(QList<const TPropInfo*>{p});
    // Objects of one class share one property list, so the candidates are looked up once per class.
    QHash<const TPropList*, QList<const TPropInfo*>> counterparts;
    for (int k = 1; k < count; ++k) {
        const TPropList& list = Props::GetPropList(objects.at(k));
        auto found = counterparts.constFind(&list);
        if (found == counterparts.constEnd()) {
            QHash<QString, const TPropInfo*> byName;
            for (const TPropInfo* p : list)
                byName.insert(p->Name.toLower(), p);
            QList<const TPropInfo*> others;
            others.reserve(first.size());
            for (const TPropInfo* p : first) {
                const TPropInfo* other = byName.value(p->Name.toLower());
                others.append(other && other->PropType == p->PropType ? other : nullptr);
            }
            found = counterparts.insert(&list, others);
        }
        for (qsizetype i = 0; i < matches.size(); ++i) {
            if (matches.at(i).isEmpty())
                continue;
            if (const TPropInfo* other = found->at(i))
                matches[i].append(other);
            else
                matches[i].clear();
        }
    }
    for (const auto& m : matches) {
        if (m.isEmpty())
            continue;
        const TELPropEditorClass editorClass = getEditorClass(objects.first(), m.first());
        if (!editorClass)
            continue;
        bool same = true;
        for (int k = 1; k < count && same; ++k)
            same = getEditorClass(objects.at(k), m.at(k)) == editorClass;
        if (!same)
            continue;
        TELPropEditor* editor = editorClass->Create(owner, count);
        for (int k = 0; k < count; ++k)
            editor->SetPropEntry(k, objects.at(k), m.at(k));
        const TELPropAttrs attrs = editor->GetAttrs();
        if ((count == 1 || attrs.testFlag(peMultiSelect)) &&
            !(nestedInComponent && attrs.testFlag(peNotNested)))
            result.append(editor);
        else
            delete editor;
    }
}

// --- editor class tables
// -------------------------------------------------------------------------------------

TELPropEditorClass ELBuiltInEditorClass(const TTypeInfo* type) {
    using namespace TypeInfo;
    struct TEntry {
        const TTypeInfo* Type;
        TELPropEditorClass EditorClass;
    };
    static const TEntry table[] = {
        {TComponentName(), ELPropEditorClass<TELComponentNamePropEditor>()},
        {TDate(), ELPropEditorClass<TELDatePropEditor>()},
        {TTime(), ELPropEditorClass<TELTimePropEditor>()},
        {TDateTime(), ELPropEditorClass<TELDateTimePropEditor>()},
        {TCaption(), ELPropEditorClass<TELCaptionPropEditor>()},
        {TColor(), ELPropEditorClass<TELColorPropEditor>()},
        {TCursor(), ELPropEditorClass<TELCursorPropEditor>()},
        {TFontCharset(), ELPropEditorClass<TELFontCharsetPropEditor>()},
        {TFontName(), ELPropEditorClass<TELFontNamePropEditor>()},
        {TImeName(), ELPropEditorClass<TELImeNamePropEditor>()},
        {TModalResult(), ELPropEditorClass<TELModalResultPropEditor>()},
        {ForEnum(QMetaEnum::fromType<KvdGraphics::TPenStyle>()), ELPropEditorClass<TELPenStylePropEditor>()},
        {ForEnum(QMetaEnum::fromType<KvdGraphics::TBrushStyle>()),
         ELPropEditorClass<TELBrushStylePropEditor>()},
        {TTabOrder(), ELPropEditorClass<TELTabOrderPropEditor>()},
        {TShortCut(), ELPropEditorClass<TELShortCutPropEditor>()},
    };
    for (const TEntry& e : table)
        if (e.Type == type)
            return e.EditorClass;
    if (type->Kind == TTypeKind::tkClass && type->ClassType) {
        if (type->ClassType->inherits(&TFont::staticMetaObject))
            return ELPropEditorClass<TELFontPropEditor>();
        if (type->ClassType->inherits(&TStrings::staticMetaObject))
            return ELPropEditorClass<TELStringsPropEditor>();
    }
    return nullptr;
}

TELPropEditorClass ELEditorClassByKind(const TTypeInfo* type) {
    switch (type->Kind) {
    case TTypeKind::tkInteger:
        return ELPropEditorClass<TELIntegerPropEditor>();
    case TTypeKind::tkChar:
    case TTypeKind::tkWChar:
        return ELPropEditorClass<TELCharPropEditor>();
    case TTypeKind::tkEnumeration:
        return ELPropEditorClass<TELEnumPropEditor>();
    case TTypeKind::tkFloat:
        return ELPropEditorClass<TELFloatPropEditor>();
    case TTypeKind::tkString:
    case TTypeKind::tkLString:
    case TTypeKind::tkWString:
        return ELPropEditorClass<TELStringPropEditor>();
    case TTypeKind::tkSet:
        return ELPropEditorClass<TELSetPropEditor>();
    case TTypeKind::tkClass:
        if (type->ClassType && type->ClassType->inherits(&TControl::staticMetaObject))
            return ELPropEditorClass<TELComponentPropEditor>();
        return ELPropEditorClass<TELClassPropEditor>();
    case TTypeKind::tkVariant:
        return ELPropEditorClass<TELVariantPropEditor>();
    case TTypeKind::tkInt64:
        return ELPropEditorClass<TELInt64PropEditor>();
    default:
        return ELPropEditorClass<TELPropEditor>();
    }
}
