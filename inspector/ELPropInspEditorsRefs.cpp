// Editors for component references, variants, modal results, shortcuts and string lists.

#include "core/Control.h"
#include "core/Strings.h"
#include "inspector/ELPropInspTables.h"
#include "inspector/ELPropInspTypeEditors.h"
#include "inspector/ELStringsEdit.h"

#include <QApplication>

namespace {

const QStringList& ModalResultNames() {
    static const QStringList names{"mrNone", "mrOk", "mrCancel", "mrAbort",   "mrRetry",   "mrIgnore",
                                   "mrYes",  "mrNo", "mrAll",    "mrNoToAll", "mrYesToAll"};
    return names;
}

} // namespace

// --- component references ----------------------------------------------------------------------------------

TELPropAttrs TELComponentPropEditor::GetAttrs() {
    TELPropAttrs attrs = GetPropInfo()->Writable
                             ? (peComponentRef | peValueList | peSortedValues | peMultiSelect)
                             : (peComponentRef | peReadOnly | peMultiSelect);
    if (GetObjectValue(0) && AllEqual())
        attrs |= peSubProperties | peVolatileSubProperties;
    return attrs;
}

QString TELComponentPropEditor::GetValue() {
    QObject* component = GetObjectValue(0);
    if (!component)
        return QString();
    QString name = component->objectName();
    if (OnGetComponentName)
        OnGetComponentName(component, name);
    return name;
}

void TELComponentPropEditor::SetValue(const QString& value) {
    QObject* component = nullptr;
    if (!value.isEmpty()) {
        if (OnGetComponent)
            OnGetComponent(value, component);
        const QMetaObject* cls = GetPropType()->ClassType;
        if (!component || (cls && !component->metaObject()->inherits(cls)))
            throw EPropertyError(Messages::InvalidPropertyValue());
    }
    SetObjectValue(component);
}

void TELComponentPropEditor::GetValues(QStringList& values) {
    if (OnGetComponentNames)
        OnGetComponentNames(GetPropType()->ClassType, values);
}

void TELComponentPropEditor::GetSubProps(const TELGetEditorClassFunc& getEditorClass,
                                         QList<TELPropEditor*>& result) {
    QList<QObject*> components;
    for (int i = 0; i < PropCount(); ++i)
        if (QObject* component = GetObjectValue(i))
            components.append(component);
    if (!components.isEmpty())
        ELGetObjectsProps(Owner(), components, getEditorClass, true, result);
}

bool TELComponentPropEditor::AllEqual() {
    return AllValuesEqual([this](int i) { return GetObjectValue(i); });
}

// --- variants
// -----------------------------------------------------------------------------------------------

QString TELVariantPropEditor::GetValue() {
    return ELTables::VariantToText(GetVarValue());
}

void TELVariantPropEditor::SetValue(const QString& value) {
    if (value.isEmpty()) {
        SetVarValue(QVariant());
        return;
    }
    if (value.compare(QLatin1String("(Null)"), Qt::CaseInsensitive) == 0) {
        SetVarValue(QVariant::fromValue(nullptr));
        return;
    }
    const ELTables::TVarType type = ELTables::VarTypeOf(GetVarValue());
    QVariant converted;
    if (type != ELTables::vtUnassigned && type != ELTables::vtNull && type != ELTables::vtUnknown &&
        ELTables::ConvertVariant(QVariant(value), type, converted) &&
        (type == ELTables::vtDate || ELTables::VariantToString(converted) == value)) {
        SetVarValue(converted);
        return;
    }
    SetVarValue(QVariant(value));
}

void TELVariantPropEditor::GetSubProps(const TELGetEditorClassFunc&, QList<TELPropEditor*>& result) {
    result.append(new TELVariantTypePropEditor(this));
}

QString TELVariantTypePropEditor::GetValue() {
    const QVariant value = GetVarValue();
    const ELTables::TVarType type = ELTables::VarTypeOf(value);
    return type == ELTables::vtUnknown ? QString::fromLatin1(value.metaType().name())
                                       : ELTables::VarTypeNames().at(type);
}

void TELVariantTypePropEditor::SetValue(const QString& value) {
    const QStringList& names = ELTables::VarTypeNames();
    qsizetype index = -1;
    for (qsizetype i = 0; i < names.size() && index < 0; ++i)
        if (names.at(i).compare(value, Qt::CaseInsensitive) == 0)
            index = i;
    if (index < 0)
        throw EELPropEditor(QStringLiteral("Unknown Type"));
    const auto type = ELTables::TVarType(index);
    QVariant result;
    if (!ELTables::ConvertVariant(GetVarValue(), type, result))
        result = ELTables::DefaultVariant(type);
    SetVarValue(result);
}

void TELVariantTypePropEditor::GetValues(QStringList& values) {
    values.append(ELTables::VarTypeNames());
}

bool TELVariantTypePropEditor::AllEqual() {
    return AllValuesEqual([this](int i) { return ELTables::VarTypeOf(GetVarValue(i)); });
}

// --- modal results and shortcuts
// --------------------------------------------------------------------------------

QString TELModalResultPropEditor::GetValue() {
    const qint64 value = GetOrdValue();
    return value >= 0 && value < ModalResultNames().size() ? ModalResultNames().at(value)
                                                           : QString::number(value);
}

void TELModalResultPropEditor::SetValue(const QString& value) {
    if (value.isEmpty()) {
        SetOrdValue(0);
        return;
    }
    for (int i = 0; i < ModalResultNames().size(); ++i)
        if (ModalResultNames().at(i).compare(value, Qt::CaseInsensitive) == 0) {
            SetOrdValue(i);
            return;
        }
    TELIntegerPropEditor::SetValue(value);
}

void TELModalResultPropEditor::GetValues(QStringList& values) {
    values.append(ModalResultNames());
}

QString TELShortCutPropEditor::GetValue() {
    const qint64 value = GetOrdValue();
    if (value == 0)
        return QStringLiteral("(None)");
    const QString text = ELTables::ShortCutToText(int(value));
    return text.isEmpty() ? QString::number(value) : text;
}

void TELShortCutPropEditor::SetValue(const QString& value) {
    if (value.trimmed().isEmpty() ||
        value.trimmed().compare(QLatin1String("(None)"), Qt::CaseInsensitive) == 0) {
        SetOrdValue(0);
        return;
    }
    const int shortCut = ELTables::TextToShortCut(value);
    if (!shortCut)
        throw EELPropEditor(Messages::InvalidPropertyValue());
    SetOrdValue(shortCut);
}

void TELShortCutPropEditor::GetValues(QStringList& values) {
    values.append(QStringLiteral("(None)"));
    for (int shortCut : ELTables::ShortCutList())
        values.append(ELTables::ShortCutToText(shortCut));
}

// --- string lists
// ---------------------------------------------------------------------------------------------------

void TELStringsPropEditor::Edit() {
    auto* first = qobject_cast<TStrings*>(GetObjectValue(0));
    TELStringsEditorDlg dialog(QApplication::activeWindow());
    if (first)
        dialog.SetLines(first->Lines());
    if (!dialog.Execute())
        return;
    const QStringList lines = dialog.Lines();
    for (int i = 0; i < PropCount(); ++i)
        if (auto* strings = qobject_cast<TStrings*>(GetObjectValue(i)))
            strings->SetLines(lines);
    Modified();
}
