#pragma once
// The property inspector: lists the published properties a set of objects have in common, one row
// per property with an editor bound to it, and changes them for all objects at once.

#include "core/Graphics.h"
#include "inspector/ELPropInspEditors.h"
#include "inspector/ELPropInspGrid.h"

#include <memory>

class TELCustomPropertyInspector;

enum TELPropertyInspectorPropKind { pkProperties = 0x1, pkEvents = 0x2, pkReadOnly = 0x4 };
Q_DECLARE_FLAGS(TELPropertyInspectorPropKinds, TELPropertyInspectorPropKind)
Q_DECLARE_OPERATORS_FOR_FLAGS(TELPropertyInspectorPropKinds)

struct TELPropertyInspectorEditorDescr {
    const TTypeInfo* TypeInfo = nullptr;
    const QMetaObject* ObjectClass = nullptr;
    QString PropName;
    TELPropEditorClass EditorClass = nullptr;
};

using TELPropertyInspectorOnFilterProp =
    std::function<void(QObject* sender, QObject* instance, const TPropInfo* propInfo, bool& includeProp)>;
using TELPropertyInspectorOnGetEditorClass = std::function<void(
    QObject* sender, QObject* instance, const TPropInfo* propInfo, TELPropEditorClass& editorClass)>;
using TELPropertyInspectorOnGetCaptionColor = std::function<void(
    QObject* sender, const TTypeInfo* propTypeInfo, const QString& propName, QColor& color)>;
using TELNotifyEvent = std::function<void(QObject* sender)>;
using TELOnGetComponent =
    std::function<void(QObject* sender, const QString& componentName, QObject*& component)>;
using TELOnGetComponentNames =
    std::function<void(QObject* sender, const QMetaObject* componentClass, QStringList& result)>;
using TELOnGetComponentName = std::function<void(QObject* sender, QObject* component, QString& name)>;

class TELPropertyInspectorItem : public TELPropsPageItem {
public:
    TELPropertyInspectorItem(TELCustomPropsPage* owner, TELPropsPageItem* parent);
    ~TELPropertyInspectorItem() override;

    TELPropEditor* Editor() const { return m_editor; }
    // Takes ownership of the editor.
    void SetEditor(TELPropEditor* editor);
    // Reads caption, presentation and value text from the editor.
    void UpdateParams();
    TELPropertyInspectorItem* Item(int index) const {
        return static_cast<TELPropertyInspectorItem*>(TELPropsPageItem::Item(index));
    }

protected:
    QString GetDisplayValue() const override { return m_displayValue; }
    void DoSetDisplayValue(const QString& value) override;
    void GetEditPickList(QStringList& result) override;
    void PickListMeasureHeight(const QString& value, QPainter* canvas, int& height) override;
    void PickListMeasureWidth(const QString& value, QPainter* canvas, int& width) override;
    void PickListDrawValue(const QString& value, QPainter* canvas, const QRect& rect, bool selected) override;
    void EditButtonClick() override;
    void EditDblClick() override;

private:
    TELCustomPropertyInspector* Inspector() const;
    QString EditorValueText() const;

    TELPropEditor* m_editor = nullptr;
    QString m_displayValue;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

class TELCustomPropertyInspector : public TELCustomPropsPage {
    Q_OBJECT
    friend class TELPropertyInspectorItem;

public:
    explicit TELCustomPropertyInspector(QWidget* parent = nullptr);
    ~TELCustomPropertyInspector() override;

    // Raises EELPropsPage while an editor is writing a value.
    void SetObjects(const QList<QObject*>& objects);
    const QList<QObject*>& Objects() const { return m_objects; }
    void RegisterEditor(const TTypeInfo* typeInfo, const QMetaObject* objectClass,
                        TELPropEditorClass editorClass, const QString& propName = QString());
    const QList<TELPropertyInspectorEditorDescr>& EditorRegistry() const { return m_registry; }
    // Re-reads every row from its editor without rebuilding the rows.
    void RefreshValues();
    // The editor class the rules give for a property of an object, or nullptr.
    TELPropEditorClass EditorClassFor(QObject* instance, const TPropInfo* propInfo) {
        return GetEditorClass(instance, propInfo);
    }
    TELPropertyInspectorItem* ItemByName(const QString& caption, TELPropsPageItem* parent = nullptr) const;

    TELPropertyInspectorPropKinds PropKinds() const { return m_propKinds; }
    void SetPropKinds(TELPropertyInspectorPropKinds value);
    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool value);
    bool ExpandComponentRefs() const { return m_expandComponentRefs; }
    void SetExpandComponentRefs(bool value);
    QColor ComponentRefColor() const { return m_componentRefColor; }
    void SetComponentRefColor(const QColor& value);
    QColor ComponentRefChildColor() const { return m_componentRefChildColor; }
    void SetComponentRefChildColor(const QColor& value);
    bool ChangingValue() const { return m_changingValue; }

    TELPropertyInspectorOnFilterProp OnFilterProp;
    TELPropertyInspectorOnGetEditorClass OnGetEditorClass;
    TELPropertyInspectorOnGetCaptionColor OnGetCaptionColor;
    TELNotifyEvent OnModified;
    TELOnGetComponent OnGetComponent;
    TELOnGetComponentNames OnGetComponentNames;
    TELOnGetComponentName OnGetComponentName;

protected:
    TELPropsPageItem* CreateItem(TELPropsPageItem* parent) override;
    void ItemExpanded(TELPropsPageItem* item) override;
    void ItemCollapsed(TELPropsPageItem* item) override;
    QColor GetItemCaptionColor(TELPropsPageItem* item) override;

    virtual TELPropEditorClass GetEditorClass(QObject* instance, const TPropInfo* propInfo);
    virtual void DoGetComponent(const QString& componentName, QObject*& component);
    virtual void DoGetComponentNames(const QMetaObject* componentClass, QStringList& result);
    virtual void DoGetComponentName(QObject* component, QString& name);
    virtual void DoFilterProp(QObject* instance, const TPropInfo* propInfo, bool& includeProp);
    virtual void DoGetCaptionColor(const TTypeInfo* propTypeInfo, const QString& propName, QColor& color);

private:
    void Change();
    void BindItem(TELPropertyInspectorItem* item, TELPropEditor* editor);
    void EditorModified();

    QList<QObject*> m_objects;
    QList<TELPropertyInspectorEditorDescr> m_registry;
    TELPropertyInspectorPropKinds m_propKinds = pkProperties;
    QColor m_componentRefColor = QColor(128, 0, 0);
    QColor m_componentRefChildColor = QColor(0, 128, 0);
    bool m_expandComponentRefs = true;
    bool m_readOnly = false;
    bool m_changingValue = false;
};

// The inspector with its settings published.
class TELPropertyInspector : public TELCustomPropertyInspector {
    Q_OBJECT
    Q_PROPERTY(int Splitter READ Splitter WRITE SetSplitter)
    Q_PROPERTY(int ValuesColor READ ValuesColorValue WRITE SetValuesColorValue)
    Q_CLASSINFO("type:ValuesColor", "TColor")
    Q_CLASSINFO("default:ValuesColor", "8388608")
    Q_PROPERTY(int ComponentRefColor READ ComponentRefColorValue WRITE SetComponentRefColorValue)
    Q_CLASSINFO("type:ComponentRefColor", "TColor")
    Q_CLASSINFO("default:ComponentRefColor", "128")
    Q_PROPERTY(
        int ComponentRefChildColor READ ComponentRefChildColorValue WRITE SetComponentRefChildColorValue)
    Q_CLASSINFO("type:ComponentRefChildColor", "TColor")
    Q_CLASSINFO("default:ComponentRefChildColor", "32768")
    Q_PROPERTY(bool GridLines READ GridLines WRITE SetGridLines)
    Q_CLASSINFO("default:GridLines", "True")
    Q_PROPERTY(bool ReadOnly READ ReadOnly WRITE SetReadOnly)
    Q_CLASSINFO("default:ReadOnly", "False")
    Q_PROPERTY(bool ExpandComponentRefs READ ExpandComponentRefs WRITE SetExpandComponentRefs)
    Q_CLASSINFO("default:ExpandComponentRefs", "True")

public:
    using TELCustomPropertyInspector::TELCustomPropertyInspector;
    // The colours as TColor values, for the published properties.
    int ValuesColorValue() const { return Graphics::QColorToColor(ValuesColor()); }
    void SetValuesColorValue(int value) { SetValuesColor(Graphics::ColorToQColor(value)); }
    int ComponentRefColorValue() const { return Graphics::QColorToColor(ComponentRefColor()); }
    void SetComponentRefColorValue(int value) { SetComponentRefColor(Graphics::ColorToQColor(value)); }
    int ComponentRefChildColorValue() const { return Graphics::QColorToColor(ComponentRefChildColor()); }
    void SetComponentRefChildColorValue(int value) {
        SetComponentRefChildColor(Graphics::ColorToQColor(value));
    }
};
