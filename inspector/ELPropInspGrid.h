#pragma once
// The two-column property grid: property names on the left, indented by nesting level with an expand
// box, values on the right, edited in place. The grid knows nothing of properties; the inspector fills
// it with items bound to property editors.

#include "core/Exceptions.h"
#include "inspector/ELControls.h"

#include <QAbstractScrollArea>
#include <QColor>
#include <QPixmap>
#include <QStringList>

class QPainter;
class TELCustomPropsPage;
class TELPropsPageInplaceEdit;

class EELPropsPage : public Exception {
public:
    using Exception::Exception;
};

enum TELPropsPageItemEditStyle { esSimple, esEllipsis, esPickList };

// Whether an item shows an expand box: chAuto when it holds children, chAlways, chNever.
enum TELPropsPageItemChildren { chAuto = 0, chAlways = 1, chNever = 2 };

class TELPropsPageItem : public TELObjectList {
    friend class TELCustomPropsPage;

public:
    TELPropsPageItem(TELCustomPropsPage* owner, TELPropsPageItem* parent);
    ~TELPropsPageItem() override;

    // Creates a child item of the page's item class and appends it.
    TELPropsPageItem* Add();
    TELPropsPageItem* Item(int index) const { return static_cast<TELPropsPageItem*>(Get(index)); }

    TELCustomPropsPage* Owner() const { return m_owner; }
    TELPropsPageItem* Parent() const { return m_parent; }
    int Level() const;
    int Indent() const { return Level() * 10; }
    int Row() const { return m_row; }

    QString Caption() const { return m_caption; }
    void SetCaption(const QString& value);
    QString DisplayValue() const { return GetDisplayValue(); }
    void SetDisplayValue(const QString& value) { DoSetDisplayValue(value); }
    TELPropsPageItemEditStyle EditStyle() const { return m_editStyle; }
    void SetEditStyle(TELPropsPageItemEditStyle value);
    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool value);
    bool AutoApply() const { return m_autoApply; }
    void SetAutoApply(bool value);
    bool OwnerDrawPickList() const { return m_ownerDrawPickList; }
    void SetOwnerDrawPickList(bool value);
    TELPropsPageItemChildren ChildrenState() const { return m_children; }
    void SetChildrenState(TELPropsPageItemChildren value);
    bool HasChildren() const { return m_children == chAlways || (m_children == chAuto && Count() > 0); }
    bool Expanded() const { return m_expanded; }
    void Expand();
    void Collapse();

    // The grid calls these for the in-place editor and its drop-down list.
    void GetPickList(QStringList& result) { GetEditPickList(result); }
    void MeasureHeight(const QString& value, QPainter* canvas, int& height) {
        PickListMeasureHeight(value, canvas, height);
    }
    void MeasureWidth(const QString& value, QPainter* canvas, int& width) {
        PickListMeasureWidth(value, canvas, width);
    }
    void DrawValue(const QString& value, QPainter* canvas, const QRect& rect, bool selected) {
        PickListDrawValue(value, canvas, rect, selected);
    }
    void ButtonClick() { EditButtonClick(); }
    void DblClick() { EditDblClick(); }

protected:
    virtual TELPropsPageItem* CreateItem();
    // Rebuilds the page's rows after a change of this item.
    virtual void Change();
    virtual void UpdateExpanded();
    virtual QString GetDisplayValue() const { return m_displayValue; }
    virtual void DoSetDisplayValue(const QString& value);
    virtual void GetEditPickList(QStringList& result) { (void)result; }
    virtual void PickListMeasureHeight(const QString& value, QPainter* canvas, int& height);
    virtual void PickListMeasureWidth(const QString& value, QPainter* canvas, int& width);
    virtual void PickListDrawValue(const QString& value, QPainter* canvas, const QRect& rect, bool selected);
    virtual void EditButtonClick() {}
    virtual void EditDblClick() {}

    void Inserted(TELObjectList* item) override;
    void Removing(TELObjectList* item) override;
    void Removed() override;
    void Cleared() override;

private:
    TELCustomPropsPage* m_owner;
    TELPropsPageItem* m_parent;
    TELPropsPageItemChildren m_children = chAuto;
    QString m_caption;
    bool m_expanded = false;
    QString m_displayValue;
    TELPropsPageItemEditStyle m_editStyle = esSimple;
    int m_row = -1;
    bool m_readOnly = false;
    bool m_autoApply = false;
    bool m_ownerDrawPickList = false;
};

// The top-level items of a page.
class TELPropsPageItems : public TELObjectList {
public:
    explicit TELPropsPageItems(TELCustomPropsPage* owner) : m_owner(owner) {}
    TELPropsPageItem* Add();
    TELPropsPageItem* Item(int index) const { return static_cast<TELPropsPageItem*>(Get(index)); }

protected:
    void Inserted(TELObjectList* item) override;
    void Removing(TELObjectList* item) override;
    void Removed() override;
    void Cleared() override;

private:
    TELCustomPropsPage* m_owner;
};

class TELCustomPropsPage : public QAbstractScrollArea {
    Q_OBJECT
    friend class TELPropsPageItem;
    friend class TELPropsPageItems;
    friend class TELPropsPageInplaceEdit;

public:
    explicit TELCustomPropsPage(QWidget* parent = nullptr);
    ~TELCustomPropsPage() override;

    void BeginUpdate();
    void EndUpdate();
    // Recomputes the row map from the item tree; deferred inside an update bracket.
    void ItemsChange();

    TELPropsPageItems* Items() const { return m_items; }
    int RowCount() const { return static_cast<int>(m_rows.size()); }
    TELPropsPageItem* ItemByRow(int row) const;
    // The current row (-1 without rows) and selecting a row, which applies the pending edit first.
    int Row() const { return m_row; }
    void SetRow(int row);
    TELPropsPageItem* ActiveItem() const { return ItemByRow(m_row); }
    int TopRow() const { return m_topRow; }
    void SetTopRow(int row);
    int VisibleRowCount() const;
    int RowHeight() const { return m_rowHeight; }
    int ColWidth(int col) const;
    QRect CellRect(int col, int row) const;
    // Row under a viewport point, or -1.
    int RowAt(int y) const;

    int Splitter() const { return m_colWidth0; }
    void SetSplitter(int value);
    QColor ValuesColor() const { return m_valuesColor; }
    void SetValuesColor(const QColor& value);
    bool GridLines() const { return m_gridLines; }
    void SetGridLines(bool value);

    TELPropsPageInplaceEdit* InplaceEditor() const { return m_editor; }
    QString EditText() const { return m_editText; }
    // Applies the text in the in-place editor to the current item (as Enter does).
    void ApplyEdit() { UpdateData(m_row); }

    QSize sizeHint() const override { return QSize(188, 193); }

protected:
    virtual TELPropsPageItem* CreateItem(TELPropsPageItem* parent);
    virtual void ItemExpanded(TELPropsPageItem* item) { (void)item; }
    virtual void ItemCollapsed(TELPropsPageItem* item) { (void)item; }
    virtual QColor GetItemCaptionColor(TELPropsPageItem* item) {
        (void)item;
        return palette().color(QPalette::WindowText);
    }

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool viewportEvent(QEvent* event) override;

private:
    void DoItemsChange();
    void ItemDeleted(TELPropsPageItem* item);
    void UpdateData(int row);
    void UpdateEditor();
    void PlaceEditor();
    void UpdateScrollBar();
    void InvalidateRows(int from, int to);
    void DrawCell(QPainter& painter, int col, int row, const QRect& rect);
    void EditTextChanged(const QString& text);
    void EditorLostFocus();
    void ToggleItem(TELPropsPageItem* item);
    bool InSplitterZone(int x) const;
    void RowHeightChanged();

    TELPropsPageItems* m_items;
    QList<TELPropsPageItem*> m_rows;
    int m_updateCount = 0;
    bool m_splitterDragging = false;
    bool m_rebuildPending = false;
    bool m_destroying = false;
    bool m_updatingEditor = false;
    int m_splitterOffset = 0;
    QString m_editText;
    int m_prevRow = -1;
    int m_row = -1;
    int m_topRow = 0;
    int m_colWidth0 = 84;
    int m_rowHeight = 16;
    QColor m_valuesColor = QColor(0, 0, 128);
    bool m_gridLines = true;
    QPixmap m_cellBitmap;
    QPixmap m_separator;
    QColor m_separatorColor;
    TELPropsPageInplaceEdit* m_editor;
};

// Keeps the page's update bracket open while it lives, so that the rows are rebuilt once at the end, also
// when the work inside raises.
class TELPropsPageUpdate {
public:
    explicit TELPropsPageUpdate(TELCustomPropsPage* page) : m_page(page) { m_page->BeginUpdate(); }
    ~TELPropsPageUpdate() { m_page->EndUpdate(); }
    Q_DISABLE_COPY_MOVE(TELPropsPageUpdate)

private:
    TELCustomPropsPage* m_page;
};
