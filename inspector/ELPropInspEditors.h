#pragma once
// Property editors: each converts one published property of one or more objects to text and back and
// tells the inspector how to present the row (drop-down list, ellipsis button, sub-rows, owner-drawn
// entries, read-only). The inspector creates one editor per row through its editor class.

#include "core/Exceptions.h"
#include "core/PropInfo.h"

#include <QColor>
#include <QFlags>
#include <QList>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <typeinfo>

class QPainter;
class QRect;
class TELCustomPropertyInspector;
class TELPropEditor;

class EELPropEditor : public Exception {
public:
    using Exception::Exception;
};

enum TELPropAttr : unsigned {
    peValueList = 0x1,
    peSubProperties = 0x2,
    peDialog = 0x4,
    peMultiSelect = 0x8,
    peSortedValues = 0x10,
    peReadOnly = 0x20,
    peVolatileSubProperties = 0x40,
    peNotNested = 0x80,
    peLiveUpdate = 0x100,
    peOwnerDrawValues = 0x200,
    peComponentRef = 0x400,
};
Q_DECLARE_FLAGS(TELPropAttrs, TELPropAttr)
Q_DECLARE_OPERATORS_FOR_FLAGS(TELPropAttrs)

// An editor class: its identity is the address of its descriptor, so two answers name the same class
// exactly when the pointers are equal. ELPropEditorClass<T>() gives the descriptor of T, which must have
// the constructor (TELCustomPropertyInspector* owner, int propCount).
struct TELPropEditorMeta {
    const char* ClassName;
    TELPropEditor* (*Create)(TELCustomPropertyInspector* owner, int propCount);
};
using TELPropEditorClass = const TELPropEditorMeta*;

template <class T> TELPropEditorClass ELPropEditorClass() {
    static const TELPropEditorMeta meta{
        typeid(T).name(),
        [](TELCustomPropertyInspector* owner, int count) -> TELPropEditor* { return new T(owner, count); }};
    return &meta;
}

// The editor class the inspector's rules give for a property of an object, or nullptr for none.
using TELGetEditorClassFunc = std::function<TELPropEditorClass(QObject* instance, const TPropInfo* propInfo)>;
using TELOnGetComponentFunc = std::function<void(const QString& componentName, QObject*& component)>;
using TELOnGetComponentNamesFunc =
    std::function<void(const QMetaObject* componentClass, QStringList& result)>;
using TELOnGetComponentNameFunc = std::function<void(QObject* component, QString& name)>;

class TELPropEditor {
public:
    TELPropEditor(TELCustomPropertyInspector* owner, int propCount);
    TELPropEditor(const TELPropEditor&) = delete;
    TELPropEditor& operator=(const TELPropEditor&) = delete;
    virtual ~TELPropEditor();

    virtual QString GetValue();
    virtual void SetValue(const QString& value);
    virtual TELPropAttrs GetAttrs();
    virtual void GetValues(QStringList& values);
    virtual void GetSubProps(const TELGetEditorClassFunc& getEditorClass, QList<TELPropEditor*>& result);
    virtual QString GetPropName();
    virtual bool AllEqual();
    virtual void Edit();
    virtual void MeasureHeight(const QString& value, QPainter* canvas, int& height);
    virtual void MeasureWidth(const QString& value, QPainter* canvas, int& width);
    virtual void DrawValue(const QString& value, QPainter* canvas, const QRect& rect, bool selected);

    void SetPropEntry(int index, QObject* instance, const TPropInfo* propInfo);
    int PropCount() const { return m_count; }
    QObject* GetInstance(int index = 0) const { return m_props.at(index).Instance; }
    const TPropInfo* GetPropInfo(int index = 0) const { return m_props.at(index).PropInfo; }
    const TTypeInfo* GetPropType() const { return GetPropInfo()->PropType; }
    TELCustomPropertyInspector* Owner() const { return m_owner; }

    // Readers of the n-th object's value and writers to every served object; a write then reports the
    // modification.
    qint64 GetOrdValue(int index = 0) const;
    qint64 GetInt64Value(int index = 0) const;
    double GetFloatValue(int index = 0) const;
    QString GetStrValue(int index = 0) const;
    QVariant GetVarValue(int index = 0) const;
    QObject* GetObjectValue(int index = 0) const;
    void SetOrdValue(qint64 value);
    void SetInt64Value(qint64 value);
    void SetFloatValue(double value);
    void SetStrValue(const QString& value);
    void SetVarValue(const QVariant& value);
    void SetObjectValue(QObject* value);

    std::function<void(TELPropEditor* sender)> OnModified;
    TELOnGetComponentFunc OnGetComponent;
    TELOnGetComponentNamesFunc OnGetComponentNames;
    TELOnGetComponentNameFunc OnGetComponentName;

protected:
    // Nested editors copy their parent's pairs.
    explicit TELPropEditor(const TELPropEditor* parent);
    void Modified();
    // True when valueOf(i) gives the same for every edited object i.
    template <class ValueOf> bool AllValuesEqual(ValueOf valueOf) const {
        if (PropCount() <= 1)
            return true;
        const auto first = valueOf(0);
        for (int i = 1; i < PropCount(); ++i)
            if (valueOf(i) != first)
                return false;
        return true;
    }

private:
    struct TPropEntry {
        QObject* Instance = nullptr;
        const TPropInfo* PropInfo = nullptr;
    };
    TELCustomPropertyInspector* m_owner;
    int m_count;
    QList<TPropEntry> m_props;
};

// The base of sub-row editors: serves the same objects and property as its parent.
class TELNestedPropEditor : public TELPropEditor {
public:
    explicit TELNestedPropEditor(const TELPropEditor* parent) : TELPropEditor(parent) {}
    QString GetPropName() override { return QStringLiteral("SubProp"); }
};

class TELOrdinalPropEditor : public TELPropEditor {
public:
    using TELPropEditor::TELPropEditor;
    bool AllEqual() override;
};

class TELIntegerPropEditor : public TELOrdinalPropEditor {
public:
    using TELOrdinalPropEditor::TELOrdinalPropEditor;
    QString GetValue() override;
    void SetValue(const QString& value) override;
};

class TELCharPropEditor : public TELOrdinalPropEditor {
public:
    using TELOrdinalPropEditor::TELOrdinalPropEditor;
    QString GetValue() override;
    void SetValue(const QString& value) override;
};

class TELEnumPropEditor : public TELOrdinalPropEditor {
public:
    using TELOrdinalPropEditor::TELOrdinalPropEditor;
    TELPropAttrs GetAttrs() override;
    QString GetValue() override;
    void SetValue(const QString& value) override;
    void GetValues(QStringList& values) override;
};

class TELFloatPropEditor : public TELPropEditor {
public:
    using TELPropEditor::TELPropEditor;
    QString GetValue() override;
    void SetValue(const QString& value) override;
    bool AllEqual() override;
};

class TELStringPropEditor : public TELPropEditor {
public:
    using TELPropEditor::TELPropEditor;
    QString GetValue() override;
    void SetValue(const QString& value) override;
    bool AllEqual() override;
};

class TELSetPropEditor : public TELOrdinalPropEditor {
public:
    using TELOrdinalPropEditor::TELOrdinalPropEditor;
    TELPropAttrs GetAttrs() override;
    QString GetValue() override;
    void GetSubProps(const TELGetEditorClassFunc& getEditorClass, QList<TELPropEditor*>& result) override;
};

// One element of a set, as a True/False sub-row of the set's row.
class TELSetElemPropEditor : public TELNestedPropEditor {
public:
    TELSetElemPropEditor(const TELPropEditor* parent, int element);
    TELPropAttrs GetAttrs() override;
    QString GetPropName() override;
    QString GetValue() override;
    void SetValue(const QString& value) override;
    void GetValues(QStringList& values) override;
    bool AllEqual() override;

private:
    const TTypeInfo* ElementType() const;
    int m_element;
};

class TELCaptionPropEditor : public TELStringPropEditor {
public:
    using TELStringPropEditor::TELStringPropEditor;
    TELPropAttrs GetAttrs() override;
};

class TELClassPropEditor : public TELPropEditor {
public:
    using TELPropEditor::TELPropEditor;
    TELPropAttrs GetAttrs() override;
    QString GetValue() override;
    void GetSubProps(const TELGetEditorClassFunc& getEditorClass, QList<TELPropEditor*>& result) override;
};

class TELInt64PropEditor : public TELPropEditor {
public:
    using TELPropEditor::TELPropEditor;
    QString GetValue() override;
    void SetValue(const QString& value) override;
    bool AllEqual() override;
};

// The common published properties of several objects with their editors, in name order. An editor
// is kept when there is one object or it allows several, and, in the sub-rows of a component
// reference (nestedInComponent), only when it is not marked peNotNested.
void ELGetObjectsProps(TELCustomPropertyInspector* owner, const QList<QObject*>& objects,
                       const TELGetEditorClassFunc& getEditorClass, bool nestedInComponent,
                       QList<TELPropEditor*>& result);

// The editor classes chosen for a type by the built-in table and by kind; nullptr when the table
// has no entry.
TELPropEditorClass ELBuiltInEditorClass(const TTypeInfo* type);
TELPropEditorClass ELEditorClassByKind(const TTypeInfo* type);
