#pragma once
// The editors for the toolkit's distinct property types: component references and names, variants,
// dates and times, colours, cursors, fonts and their parts, modal results, pen and brush styles, tab
// orders, shortcuts and string lists.

#include "core/Graphics.h"
#include "inspector/ELPropInspEditors.h"
#include "inspector/ELPropInspTables.h"

class TELComponentPropEditor : public TELPropEditor {
public:
    using TELPropEditor::TELPropEditor;
    TELPropAttrs GetAttrs() override;
    QString GetValue() override;
    void SetValue(const QString& value) override;
    void GetValues(QStringList& values) override;
    void GetSubProps(const TELGetEditorClassFunc& getEditorClass, QList<TELPropEditor*>& result) override;
    bool AllEqual() override;
};

class TELComponentNamePropEditor : public TELStringPropEditor {
public:
    using TELStringPropEditor::TELStringPropEditor;
    TELPropAttrs GetAttrs() override { return peNotNested; }
};

class TELVariantPropEditor : public TELPropEditor {
public:
    using TELPropEditor::TELPropEditor;
    TELPropAttrs GetAttrs() override { return peSubProperties | peMultiSelect; }
    QString GetValue() override;
    void SetValue(const QString& value) override;
    void GetSubProps(const TELGetEditorClassFunc& getEditorClass, QList<TELPropEditor*>& result) override;
};

class TELVariantTypePropEditor : public TELNestedPropEditor {
public:
    using TELNestedPropEditor::TELNestedPropEditor;
    TELPropAttrs GetAttrs() override { return peValueList | peSortedValues | peMultiSelect; }
    QString GetPropName() override { return QStringLiteral("Type"); }
    QString GetValue() override;
    void SetValue(const QString& value) override;
    void GetValues(QStringList& values) override;
    bool AllEqual() override;
};

// A date, a time of day or both, kept as a float count of days and shown and typed through a pair of
// conversions; empty text stores zero.
template <QString (*ToText)(double), double (*FromText)(const QString&)>
class TELDayCountPropEditor : public TELPropEditor {
public:
    using TELPropEditor::TELPropEditor;
    QString GetValue() override { return ToText(GetFloatValue()); }
    void SetValue(const QString& value) override {
        SetFloatValue(value.trimmed().isEmpty() ? 0 : FromText(value));
    }
};

class TELDatePropEditor : public TELDayCountPropEditor<ELTables::DateToText, ELTables::TextToDate> {
public:
    using TELDayCountPropEditor::TELDayCountPropEditor;
};

class TELTimePropEditor : public TELDayCountPropEditor<ELTables::TimeToText, ELTables::TextToTime> {
public:
    using TELDayCountPropEditor::TELDayCountPropEditor;
};

class TELDateTimePropEditor
    : public TELDayCountPropEditor<ELTables::DateTimeToText, ELTables::TextToDateTime> {
public:
    using TELDayCountPropEditor::TELDayCountPropEditor;
};

class TELColorPropEditor : public TELIntegerPropEditor {
public:
    using TELIntegerPropEditor::TELIntegerPropEditor;
    TELPropAttrs GetAttrs() override { return peValueList | peDialog | peMultiSelect | peOwnerDrawValues; }
    QString GetValue() override;
    void SetValue(const QString& value) override;
    void GetValues(QStringList& values) override;
    void Edit() override;
    void MeasureHeight(const QString& value, QPainter* canvas, int& height) override;
    void MeasureWidth(const QString& value, QPainter* canvas, int& width) override;
    void DrawValue(const QString& value, QPainter* canvas, const QRect& rect, bool selected) override;
};

// An integer whose values have names (cursors, character sets): a named value is shown and may be typed
// as its name, any other as its number; the names make the value list.
template <QString (*ToIdent)(int), bool (*FromIdent)(const QString&, int&), const QStringList& (*Idents)()>
class TELNamedIntegerPropEditor : public TELIntegerPropEditor {
public:
    using TELIntegerPropEditor::TELIntegerPropEditor;
    QString GetValue() override {
        const int value = int(GetOrdValue());
        const QString ident = ToIdent(value);
        return ident.isEmpty() ? QString::number(value) : ident;
    }
    void SetValue(const QString& value) override {
        int named = 0;
        if (FromIdent(value.trimmed(), named))
            SetOrdValue(named);
        else
            TELIntegerPropEditor::SetValue(value);
    }
    void GetValues(QStringList& values) override { values.append(Idents()); }
};

class TELCursorPropEditor : public TELNamedIntegerPropEditor<Graphics::CursorToIdent, Graphics::IdentToCursor,
                                                             Graphics::CursorIdents> {
public:
    using TELNamedIntegerPropEditor::TELNamedIntegerPropEditor;
    static constexpr int CursorSize = 32;
    TELPropAttrs GetAttrs() override {
        return peValueList | peSortedValues | peMultiSelect | peOwnerDrawValues;
    }
    void MeasureHeight(const QString& value, QPainter* canvas, int& height) override;
    void MeasureWidth(const QString& value, QPainter* canvas, int& width) override;
    void DrawValue(const QString& value, QPainter* canvas, const QRect& rect, bool selected) override;
};

class TELFontCharsetPropEditor
    : public TELNamedIntegerPropEditor<ELTables::CharsetToIdent, ELTables::IdentToCharset,
                                       ELTables::CharsetIdents> {
public:
    using TELNamedIntegerPropEditor::TELNamedIntegerPropEditor;
    TELPropAttrs GetAttrs() override { return peValueList | peSortedValues | peMultiSelect; }
};

class TELFontNamePropEditor : public TELStringPropEditor {
public:
    using TELStringPropEditor::TELStringPropEditor;
    TELPropAttrs GetAttrs() override { return peValueList | peSortedValues | peMultiSelect; }
    void GetValues(QStringList& values) override;
};

class TELImeNamePropEditor : public TELStringPropEditor {
public:
    using TELStringPropEditor::TELStringPropEditor;
    TELPropAttrs GetAttrs() override { return peValueList | peSortedValues | peMultiSelect; }
    void GetValues(QStringList& values) override;
};

class TELFontPropEditor : public TELClassPropEditor {
public:
    using TELClassPropEditor::TELClassPropEditor;
    TELPropAttrs GetAttrs() override { return peSubProperties | peDialog | peMultiSelect | peReadOnly; }
    void Edit() override;
};

class TELModalResultPropEditor : public TELIntegerPropEditor {
public:
    using TELIntegerPropEditor::TELIntegerPropEditor;
    TELPropAttrs GetAttrs() override { return peValueList | peMultiSelect; }
    QString GetValue() override;
    void SetValue(const QString& value) override;
    void GetValues(QStringList& values) override;
};

// An enumeration of drawing styles: each value is shown with a sample of its style before its name.
class TELStyleSamplePropEditor : public TELEnumPropEditor {
public:
    using TELEnumPropEditor::TELEnumPropEditor;
    TELPropAttrs GetAttrs() override { return TELEnumPropEditor::GetAttrs() | peOwnerDrawValues; }
    void MeasureHeight(const QString& value, QPainter* canvas, int& height) override;
    void MeasureWidth(const QString& value, QPainter* canvas, int& width) override;
    void DrawValue(const QString& value, QPainter* canvas, const QRect& rect, bool selected) override;

protected:
    // Draws the sample of the style with that ordinal value into its framed box.
    virtual void DrawSample(QPainter* canvas, const QRect& box, qint64 style) = 0;
};

class TELPenStylePropEditor : public TELStyleSamplePropEditor {
public:
    using TELStyleSamplePropEditor::TELStyleSamplePropEditor;

protected:
    void DrawSample(QPainter* canvas, const QRect& box, qint64 style) override;
};

class TELBrushStylePropEditor : public TELStyleSamplePropEditor {
public:
    using TELStyleSamplePropEditor::TELStyleSamplePropEditor;

protected:
    void DrawSample(QPainter* canvas, const QRect& box, qint64 style) override;
};

class TELTabOrderPropEditor : public TELIntegerPropEditor {
public:
    using TELIntegerPropEditor::TELIntegerPropEditor;
    TELPropAttrs GetAttrs() override { return {}; }
};

class TELShortCutPropEditor : public TELOrdinalPropEditor {
public:
    using TELOrdinalPropEditor::TELOrdinalPropEditor;
    TELPropAttrs GetAttrs() override { return peValueList | peMultiSelect; }
    QString GetValue() override;
    void SetValue(const QString& value) override;
    void GetValues(QStringList& values) override;
};

class TELStringsPropEditor : public TELClassPropEditor {
public:
    using TELClassPropEditor::TELClassPropEditor;
    TELPropAttrs GetAttrs() override { return peDialog | peMultiSelect | peReadOnly; }
    void Edit() override;
};
