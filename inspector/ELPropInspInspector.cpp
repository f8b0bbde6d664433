#include "inspector/ELPropInspInspector.h"

#include <QScopedValueRollback>

#include <algorithm>

namespace {

void sortValues(QStringList& values) {
    std::sort(values.begin(), values.end(),
              [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
}

} // namespace

// --- TELPropertyInspectorItem ------------------------------------------------------------------------------

TELPropertyInspectorItem::TELPropertyInspectorItem(TELCustomPropsPage* owner, TELPropsPageItem* parent)
    : TELPropsPageItem(owner, parent) {}

TELPropertyInspectorItem::~TELPropertyInspectorItem() {
    *m_alive = false;
    delete m_editor;
}

TELCustomPropertyInspector* TELPropertyInspectorItem::Inspector() const {
    return static_cast<TELCustomPropertyInspector*>(Owner());
}

void TELPropertyInspectorItem::SetEditor(TELPropEditor* editor) {
    if (editor == m_editor)
        return;
    delete m_editor;
    m_editor = editor;
}

QString TELPropertyInspectorItem::EditorValueText() const {
    if (!m_editor)
        return QString();
    return m_editor->AllEqual() ? m_editor->GetValue() : QString();
}

void TELPropertyInspectorItem::UpdateParams() {
    if (!m_editor)
        return;
    TELCustomPropertyInspector* inspector = Inspector();
    TELPropsPageUpdate bracket(inspector);
    SetCaption(m_editor->GetPropName());
    const TELPropAttrs attrs = m_editor->GetAttrs();
    if (inspector->ReadOnly())
        SetEditStyle(esSimple);
    else if (attrs.testFlag(peValueList))
        SetEditStyle(esPickList);
    else if (attrs.testFlag(peDialog))
        SetEditStyle(esEllipsis);
    else
        SetEditStyle(esSimple);
    const bool expandable = attrs.testFlag(peSubProperties) &&
                            !(attrs.testFlag(peComponentRef) && !inspector->ExpandComponentRefs());
    SetChildrenState(expandable ? chAlways : chNever);
    SetReadOnly(attrs.testFlag(peReadOnly) || inspector->ReadOnly());
    SetAutoApply(attrs.testFlag(peLiveUpdate));
    SetOwnerDrawPickList(attrs.testFlag(peOwnerDrawValues));
    const QString value = EditorValueText();
    if (value != m_displayValue) {
        m_displayValue = value;
        Change();
    }
}

void TELPropertyInspectorItem::DoSetDisplayValue(const QString& value) {
    if (!m_editor || value == m_displayValue)
        return;
    TELCustomPropertyInspector* inspector = Inspector();
    const QString before = m_displayValue;
    const std::weak_ptr<bool> alive = m_alive;
    {
        const QScopedValueRollback changing(inspector->m_changingValue, true);
        m_editor->SetValue(value);
    }
    // The modified handling may have rebuilt the whole inspector, this item included.
    if (alive.expired())
        return;
    const QString now = EditorValueText();
    if (now == before)
        return;
    TELPropsPageUpdate bracket(inspector);
    m_displayValue = now;
    Change();
    if (Expanded() && m_editor->GetAttrs().testFlag(peVolatileSubProperties)) {
        Collapse();
        Expand();
    }
}

void TELPropertyInspectorItem::GetEditPickList(QStringList& result) {
    if (!m_editor)
        return;
    m_editor->GetValues(result);
    if (m_editor->GetAttrs().testFlag(peSortedValues))
        sortValues(result);
}

void TELPropertyInspectorItem::PickListMeasureHeight(const QString& value, QPainter* canvas, int& height) {
    if (m_editor)
        m_editor->MeasureHeight(value, canvas, height);
}

void TELPropertyInspectorItem::PickListMeasureWidth(const QString& value, QPainter* canvas, int& width) {
    if (m_editor)
        m_editor->MeasureWidth(value, canvas, width);
}

void TELPropertyInspectorItem::PickListDrawValue(const QString& value, QPainter* canvas, const QRect& rect,
                                                 bool selected) {
    if (m_editor)
        m_editor->DrawValue(value, canvas, rect, selected);
}

void TELPropertyInspectorItem::EditButtonClick() {
    if (m_editor && !Inspector()->ReadOnly())
        m_editor->Edit();
}

void TELPropertyInspectorItem::EditDblClick() {
    if (!m_editor || Inspector()->ReadOnly())
        return;
    const TELPropAttrs attrs = m_editor->GetAttrs();
    if (attrs.testFlag(peValueList) && !attrs.testFlag(peDialog)) {
        QStringList values;
        GetEditPickList(values);
        if (values.isEmpty())
            return;
        const int index = static_cast<int>(values.indexOf(DisplayValue()));
        SetDisplayValue(values.at(index < 0 ? 0 : (index + 1) % values.size()));
    } else if (attrs.testFlag(peDialog)) {
        m_editor->Edit();
    }
}

// --- TELCustomPropertyInspector
// --------------------------------------------------------------------------------

TELCustomPropertyInspector::TELCustomPropertyInspector(QWidget* parent) : TELCustomPropsPage(parent) {}

TELCustomPropertyInspector::~TELCustomPropertyInspector() = default;

TELPropsPageItem* TELCustomPropertyInspector::CreateItem(TELPropsPageItem* parent) {
    return new TELPropertyInspectorItem(this, parent);
}

void TELCustomPropertyInspector::SetObjects(const QList<QObject*>& objects) {
    if (m_changingValue)
        throw EELPropsPage(
            QStringLiteral("Property inspector is changing property value. Can not change objects"));
    m_objects = objects;
    Change();
}

void TELCustomPropertyInspector::Change() {
    TELPropsPageUpdate bracket(this);
    Items()->Clear();
    if (m_objects.isEmpty())
        return;
    QList<TELPropEditor*> editors;
    ELGetObjectsProps(
        this, m_objects,
        [this](QObject* instance, const TPropInfo* prop) { return GetEditorClass(instance, prop); }, false,
        editors);
    for (TELPropEditor* editor : editors)
        BindItem(static_cast<TELPropertyInspectorItem*>(Items()->Add()), editor);
}

void TELCustomPropertyInspector::BindItem(TELPropertyInspectorItem* item, TELPropEditor* editor) {
    item->SetEditor(editor);
    editor->OnModified = [this](TELPropEditor*) { EditorModified(); };
    editor->OnGetComponent = [this](const QString& name, QObject*& component) {
        DoGetComponent(name, component);
    };
    editor->OnGetComponentNames = [this](const QMetaObject* cls, QStringList& result) {
        DoGetComponentNames(cls, result);
    };
    editor->OnGetComponentName = [this](QObject* component, QString& name) {
        DoGetComponentName(component, name);
    };
    item->UpdateParams();
}

void TELCustomPropertyInspector::EditorModified() {
    RefreshValues();
    if (OnModified)
        OnModified(this);
}

void TELCustomPropertyInspector::RefreshValues() {
    TELPropsPageUpdate bracket(this);
    std::function<void(TELPropsPageItem*)> refresh = [&](TELPropsPageItem* item) {
        static_cast<TELPropertyInspectorItem*>(item)->UpdateParams();
        for (int i = 0; i < item->Count(); ++i)
            refresh(item->Item(i));
    };
    for (int i = 0; i < Items()->Count(); ++i)
        refresh(Items()->Item(i));
}

void TELCustomPropertyInspector::RegisterEditor(const TTypeInfo* typeInfo, const QMetaObject* objectClass,
                                                TELPropEditorClass editorClass, const QString& propName) {
    const TELPropertyInspectorEditorDescr entry{typeInfo, objectClass, propName, editorClass};
    auto same =
        std::find_if(m_registry.begin(), m_registry.end(), [&](const TELPropertyInspectorEditorDescr& e) {
            return e.TypeInfo == typeInfo && e.ObjectClass == objectClass &&
                   e.PropName.compare(propName, Qt::CaseInsensitive) == 0 && e.EditorClass == editorClass;
        });
    if (same != m_registry.end())
        *same = entry;
    else
        m_registry.append(entry);
    Change();
}

TELPropEditorClass TELCustomPropertyInspector::GetEditorClass(QObject* instance, const TPropInfo* propInfo) {
    if (OnGetEditorClass) {
        TELPropEditorClass answer = nullptr;
        OnGetEditorClass(this, instance, propInfo, answer);
        if (answer)
            return answer;
    }
    const TTypeInfo* type = propInfo->PropType;
    const TTypeKind kind = type->Kind;
    const bool qualifies =
        (m_propKinds.testFlag(pkProperties) && kind != TTypeKind::tkMethod && kind != TTypeKind::tkUnknown) ||
        (m_propKinds.testFlag(pkEvents) && kind == TTypeKind::tkMethod);
    if (!qualifies)
        return nullptr;
    if (!propInfo->Readable)
        return nullptr;
    if (!propInfo->Writable && !m_propKinds.testFlag(pkReadOnly) && kind != TTypeKind::tkClass)
        return nullptr;
    bool include = true;
    DoFilterProp(instance, propInfo, include);
    if (!include)
        return nullptr;
    for (auto it = m_registry.crbegin(); it != m_registry.crend(); ++it) {
        const bool typeMatches = it->TypeInfo == type ||
                                 (it->TypeInfo && it->TypeInfo->Kind == TTypeKind::tkClass &&
                                  kind == TTypeKind::tkClass && type->ClassType && it->TypeInfo->ClassType &&
                                  type->ClassType->inherits(it->TypeInfo->ClassType));
        if (!typeMatches)
            continue;
        if (it->ObjectClass && !instance->metaObject()->inherits(it->ObjectClass))
            continue;
        if (!it->PropName.isEmpty() && it->PropName.compare(propInfo->Name, Qt::CaseInsensitive) != 0)
            continue;
        return it->EditorClass;
    }
    if (TELPropEditorClass builtIn = ELBuiltInEditorClass(type))
        return builtIn;
    return ELEditorClassByKind(type);
}

void TELCustomPropertyInspector::DoGetComponent(const QString& componentName, QObject*& component) {
    if (OnGetComponent)
        OnGetComponent(this, componentName, component);
}

void TELCustomPropertyInspector::DoGetComponentNames(const QMetaObject* componentClass, QStringList& result) {
    if (OnGetComponentNames)
        OnGetComponentNames(this, componentClass, result);
}

void TELCustomPropertyInspector::DoGetComponentName(QObject* component, QString& name) {
    if (OnGetComponentName)
        OnGetComponentName(this, component, name);
}

void TELCustomPropertyInspector::DoFilterProp(QObject* instance, const TPropInfo* propInfo,
                                              bool& includeProp) {
    if (OnFilterProp)
        OnFilterProp(this, instance, propInfo, includeProp);
}

void TELCustomPropertyInspector::DoGetCaptionColor(const TTypeInfo* propTypeInfo, const QString& propName,
                                                   QColor& color) {
    if (OnGetCaptionColor)
        OnGetCaptionColor(this, propTypeInfo, propName, color);
}

void TELCustomPropertyInspector::ItemExpanded(TELPropsPageItem* item) {
    auto* inspectorItem = static_cast<TELPropertyInspectorItem*>(item);
    TELPropEditor* editor = inspectorItem->Editor();
    if (!editor || (editor->GetAttrs().testFlag(peComponentRef) && !m_expandComponentRefs))
        return;
    QList<TELPropEditor*> subEditors;
    editor->GetSubProps(
        [this](QObject* instance, const TPropInfo* prop) { return GetEditorClass(instance, prop); },
        subEditors);
    TELPropsPageUpdate bracket(this);
    for (TELPropEditor* sub : subEditors)
        BindItem(static_cast<TELPropertyInspectorItem*>(item->Add()), sub);
}

void TELCustomPropertyInspector::ItemCollapsed(TELPropsPageItem* item) {
    item->Clear();
}

QColor TELCustomPropertyInspector::GetItemCaptionColor(TELPropsPageItem* item) {
    auto* inspectorItem = static_cast<TELPropertyInspectorItem*>(item);
    auto* parent = static_cast<TELPropertyInspectorItem*>(item->Parent());
    QColor color = palette().color(QPalette::WindowText);
    TELPropEditor* editor = inspectorItem->Editor();
    if (editor && editor->GetAttrs().testFlag(peComponentRef))
        color = m_componentRefColor;
    else if (parent && parent->Editor() && parent->Editor()->GetAttrs().testFlag(peComponentRef))
        color = m_componentRefChildColor;
    if (editor)
        DoGetCaptionColor(editor->GetPropType(), editor->GetPropName(), color);
    return color;
}

TELPropertyInspectorItem* TELCustomPropertyInspector::ItemByName(const QString& caption,
                                                                 TELPropsPageItem* parent) const {
    const int count = parent ? parent->Count() : Items()->Count();
    for (int i = 0; i < count; ++i) {
        TELPropsPageItem* item = parent ? parent->Item(i) : Items()->Item(i);
        if (item->Caption().compare(caption, Qt::CaseInsensitive) == 0)
            return static_cast<TELPropertyInspectorItem*>(item);
    }
    return nullptr;
}

void TELCustomPropertyInspector::SetPropKinds(TELPropertyInspectorPropKinds value) {
    if (m_propKinds == value)
        return;
    m_propKinds = value;
    Change();
}

void TELCustomPropertyInspector::SetReadOnly(bool value) {
    if (m_readOnly == value)
        return;
    m_readOnly = value;
    Change();
}

void TELCustomPropertyInspector::SetExpandComponentRefs(bool value) {
    if (m_expandComponentRefs == value)
        return;
    m_expandComponentRefs = value;
    Change();
}

void TELCustomPropertyInspector::SetComponentRefColor(const QColor& value) {
    if (m_componentRefColor == value)
        return;
    m_componentRefColor = value;
    viewport()->update();
}

void TELCustomPropertyInspector::SetComponentRefChildColor(const QColor& value) {
    if (m_componentRefChildColor == value)
        return;
    m_componentRefChildColor = value;
    viewport()->update();
}
