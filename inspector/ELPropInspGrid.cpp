#include "inspector/ELPropInspGrid.h"

#include "core/DeferredError.h"

#include "inspector/ELPropInspInplace.h"

#include <QApplication>
#include <QFocusEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScopeGuard>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QWheelEvent>
#include <functional>

// --- TELPropsPageItem ----------------------------------------------------------------------------------

TELPropsPageItem::TELPropsPageItem(TELCustomPropsPage* owner, TELPropsPageItem* parent)
    : m_owner(owner), m_parent(parent) {}

TELPropsPageItem::~TELPropsPageItem() {
    // The base destroys the children without notifications; only the row map slot needs clearing.
    if (m_owner)
        m_owner->ItemDeleted(this);
}

TELPropsPageItem* TELPropsPageItem::Add() {
    TELPropsPageItem* item = CreateItem();
    TELObjectList::Add(item);
    return item;
}

TELPropsPageItem* TELPropsPageItem::CreateItem() {
    return m_owner->CreateItem(this);
}

int TELPropsPageItem::Level() const {
    int level = 0;
    for (const TELPropsPageItem* p = m_parent; p; p = p->m_parent)
        ++level;
    return level;
}

void TELPropsPageItem::Change() {
    if (m_owner)
        m_owner->ItemsChange();
}

void TELPropsPageItem::UpdateExpanded() {
    if (m_expanded && !HasChildren())
        m_expanded = false;
}

void TELPropsPageItem::SetCaption(const QString& value) {
    if (m_caption == value)
        return;
    m_caption = value;
    Change();
}

void TELPropsPageItem::DoSetDisplayValue(const QString& value) {
    if (m_displayValue == value)
        return;
    m_displayValue = value;
    Change();
}

void TELPropsPageItem::SetEditStyle(TELPropsPageItemEditStyle value) {
    if (m_editStyle == value)
        return;
    m_editStyle = value;
    Change();
}

void TELPropsPageItem::SetReadOnly(bool value) {
    if (m_readOnly == value)
        return;
    m_readOnly = value;
    Change();
}

void TELPropsPageItem::SetAutoApply(bool value) {
    if (m_autoApply == value)
        return;
    m_autoApply = value;
    Change();
}

void TELPropsPageItem::SetOwnerDrawPickList(bool value) {
    if (m_ownerDrawPickList == value)
        return;
    m_ownerDrawPickList = value;
    Change();
}

void TELPropsPageItem::SetChildrenState(TELPropsPageItemChildren value) {
    if (m_children == value)
        return;
    m_children = value;
    UpdateExpanded();
    Change();
}

void TELPropsPageItem::Expand() {
    if (!HasChildren() || m_expanded)
        return;
    m_expanded = true;
    TELPropsPageUpdate bracket(m_owner);
    m_owner->ItemExpanded(this);
    m_owner->ItemsChange();
}

void TELPropsPageItem::Collapse() {
    m_expanded = false;
    TELPropsPageUpdate bracket(m_owner);
    m_owner->ItemCollapsed(this);
    m_owner->ItemsChange();
}

void TELPropsPageItem::PickListMeasureHeight(const QString&, QPainter*, int&) {}
void TELPropsPageItem::PickListMeasureWidth(const QString&, QPainter*, int&) {}
void TELPropsPageItem::PickListDrawValue(const QString&, QPainter*, const QRect&, bool) {}

void TELPropsPageItem::Inserted(TELObjectList*) {
    Change();
}

void TELPropsPageItem::Removing(TELObjectList*) {}

void TELPropsPageItem::Removed() {
    UpdateExpanded();
    Change();
}

void TELPropsPageItem::Cleared() {
    UpdateExpanded();
    Change();
}

// --- TELPropsPageItems ---------------------------------------------------------------------------------

TELPropsPageItem* TELPropsPageItems::Add() {
    TELPropsPageItem* item = m_owner->CreateItem(nullptr);
    TELObjectList::Add(item);
    return item;
}

void TELPropsPageItems::Inserted(TELObjectList*) {
    m_owner->ItemsChange();
}

void TELPropsPageItems::Removing(TELObjectList*) {}

void TELPropsPageItems::Removed() {
    m_owner->ItemsChange();
}

void TELPropsPageItems::Cleared() {
    m_owner->ItemsChange();
}

// --- TELCustomPropsPage ----------------------------------------------------------------------------------

TELCustomPropsPage::TELCustomPropsPage(QWidget* parent)
    : QAbstractScrollArea(parent), m_items(new TELPropsPageItems(this)) {
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    verticalScrollBar()->setTracking(true);
    verticalScrollBar()->setSingleStep(1);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::Button));
    setPalette(pal);
    viewport()->setAutoFillBackground(false);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setMouseTracking(true);
    m_editor = new TELPropsPageInplaceEdit(this);
    m_editor->hide();
    setFocusPolicy(Qt::StrongFocus);
    setFocusProxy(m_editor);
    resize(188, 193);
}

TELCustomPropsPage::~TELCustomPropsPage() {
    m_destroying = true;
    // The editor goes first: losing the focus must not apply an edit to a page being torn down.
    TELPropsPageInplaceEdit* editor = m_editor;
    m_editor = nullptr;
    setFocusProxy(nullptr);
    delete editor;
    delete m_items;
    m_items = nullptr;
}

void TELCustomPropsPage::BeginUpdate() {
    ++m_updateCount;
}

void TELCustomPropsPage::EndUpdate() {
    if (m_updateCount > 0)
        --m_updateCount;
    if (m_updateCount == 0 && m_rebuildPending)
        DoItemsChange();
}

void TELCustomPropsPage::ItemsChange() {
    DoItemsChange();
}

void TELCustomPropsPage::DoItemsChange() {
    if (m_updateCount > 0 || m_destroying || !m_editor) {
        m_rebuildPending = true;
        return;
    }
    m_rebuildPending = false;
    TELPropsPageItem* remembered = ActiveItem();
    for (TELPropsPageItem* item : std::as_const(m_rows))
        if (item)
            item->m_row = -1;
    m_rows.clear();
    // Depth first, in list order; children only of expanded items.
    std::function<void(TELPropsPageItem*)> walk = [&](TELPropsPageItem* item) {
        item->m_row = static_cast<int>(m_rows.size());
        m_rows.append(item);
        if (item->m_expanded)
            for (int i = 0; i < item->Count(); ++i)
                walk(item->Item(i));
    };
    for (int i = 0; i < m_items->Count(); ++i)
        walk(m_items->Item(i));

    TELPropsPageItem* shown = remembered;
    while (shown && shown->m_row < 0)
        shown = shown->Parent();
    if (shown)
        m_row = shown->m_row;
    else if (m_rows.isEmpty())
        m_row = -1;
    else
        m_row = qBound(0, m_row, RowCount() - 1);
    m_prevRow = m_row;
    UpdateScrollBar();
    if (m_row >= 0 && m_row < m_topRow)
        SetTopRow(m_row);
    viewport()->update();
    UpdateEditor();
}

void TELCustomPropsPage::ItemDeleted(TELPropsPageItem* item) {
    if (item->m_row >= 0 && item->m_row < m_rows.size() && m_rows.at(item->m_row) == item)
        m_rows[item->m_row] = nullptr;
    item->m_row = -1;
}

TELPropsPageItem* TELCustomPropsPage::ItemByRow(int row) const {
    return row >= 0 && row < m_rows.size() ? m_rows.at(row) : nullptr;
}

TELPropsPageItem* TELCustomPropsPage::CreateItem(TELPropsPageItem* parent) {
    return new TELPropsPageItem(this, parent);
}

void TELCustomPropsPage::SetRow(int row) {
    if (row < 0 || row >= RowCount())
        return;
    if (row == m_row) {
        return;
    }
    UpdateData(m_row);
    const int old = m_row;
    m_row = row;
    if (m_row < m_topRow)
        SetTopRow(m_row);
    else if (m_row >= m_topRow + VisibleRowCount())
        SetTopRow(m_row - VisibleRowCount() + 1);
    InvalidateRows(old - 1, old + 1);
    InvalidateRows(m_row - 1, m_row + 1);
    m_prevRow = m_row;
    UpdateEditor();
}

void TELCustomPropsPage::InvalidateRows(int from, int to) {
    from = qMax(from, m_topRow);
    to = qMin(to, RowCount() - 1);
    if (from > to)
        return;
    viewport()->update(
        QRect(0, (from - m_topRow) * m_rowHeight, viewport()->width(), (to - from + 1) * m_rowHeight));
}

int TELCustomPropsPage::VisibleRowCount() const {
    return qMax(1, viewport()->height() / m_rowHeight);
}

int TELCustomPropsPage::ColWidth(int col) const {
    return col == 0 ? m_colWidth0 : qMax(0, viewport()->width() - m_colWidth0);
}

QRect TELCustomPropsPage::CellRect(int col, int row) const {
    const int top = (row - m_topRow) * m_rowHeight;
    return col == 0 ? QRect(0, top, m_colWidth0, m_rowHeight)
                    : QRect(m_colWidth0, top, ColWidth(1), m_rowHeight);
}

int TELCustomPropsPage::RowAt(int y) const {
    if (y < 0)
        return -1;
    const int row = m_topRow + y / m_rowHeight;
    return row < RowCount() ? row : -1;
}

void TELCustomPropsPage::SetTopRow(int row) {
    row = qBound(0, row, qMax(0, RowCount() - VisibleRowCount()));
    if (row == m_topRow && verticalScrollBar()->value() == row)
        return;
    m_topRow = row;
    verticalScrollBar()->setValue(row);
    viewport()->update();
    PlaceEditor();
}

void TELCustomPropsPage::UpdateScrollBar() {
    const int visible = VisibleRowCount();
    QScrollBar* bar = verticalScrollBar();
    bar->setPageStep(visible);
    bar->setRange(0, qMax(0, RowCount() - visible));
    const int top = qBound(0, m_topRow, qMax(0, RowCount() - visible));
    if (top != m_topRow) {
        m_topRow = top;
        viewport()->update();
    }
    bar->setValue(m_topRow);
}

void TELCustomPropsPage::scrollContentsBy(int, int) {
    m_topRow = verticalScrollBar()->value();
    viewport()->update();
    PlaceEditor();
}

void TELCustomPropsPage::SetSplitter(int value) {
    value = qMin(value, viewport()->width() - 40);
    value = qMax(value, 40);
    if (value == m_colWidth0)
        return;
    m_colWidth0 = value;
    viewport()->update();
    PlaceEditor();
}

void TELCustomPropsPage::SetValuesColor(const QColor& value) {
    if (m_valuesColor == value)
        return;
    m_valuesColor = value;
    viewport()->update();
}

void TELCustomPropsPage::SetGridLines(bool value) {
    if (m_gridLines == value)
        return;
    m_gridLines = value;
    viewport()->update();
}

void TELCustomPropsPage::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    const int splitter = m_colWidth0;
    m_colWidth0 = -1; // force the limits to be applied again
    SetSplitter(splitter);
    UpdateScrollBar();
    PlaceEditor();
}

void TELCustomPropsPage::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        RowHeightChanged();
    else if (event->type() == QEvent::PaletteChange)
        viewport()->update();
}

void TELCustomPropsPage::RowHeightChanged() {
    m_rowHeight = QFontMetrics(font()).height() + 3;
    m_editor->setFont(font());
    UpdateScrollBar();
    viewport()->update();
    PlaceEditor();
}

// --- editing -----------------------------------------------------------------------------------------

void TELCustomPropsPage::UpdateData(int row) {
    TELPropsPageItem* item = ItemByRow(row);
    if (!item) {
        UpdateEditor();
        return;
    }
    // A rejected value leaves the stored one in the editor.
    const auto showStored = qScopeGuard([this] { UpdateEditor(); });
    item->SetDisplayValue(m_editText);
}

void TELCustomPropsPage::UpdateEditor() {
    TELPropsPageItem* item = ActiveItem();
    const QScopedValueRollback updating(m_updatingEditor, true);
    if (!item) {
        m_editor->hide();
        m_editText.clear();
        return;
    }
    m_editor->SetEditStyle(item->EditStyle());
    m_editor->setReadOnly(item->ReadOnly());
    QPalette pal = m_editor->palette();
    if (item->ReadOnly()) {
        pal.setColor(QPalette::Base, palette().color(QPalette::Button));
        pal.setColor(QPalette::Text, palette().color(QPalette::WindowText));
    } else {
        pal.setColor(QPalette::Base, palette().color(QPalette::Base));
        pal.setColor(QPalette::Text, palette().color(QPalette::Text));
    }
    m_editor->setPalette(pal);
    const QString text = item->DisplayValue();
    if (m_editor->text() != text)
        m_editor->setText(text);
    m_editText = text;
    PlaceEditor();
}

void TELCustomPropsPage::PlaceEditor() {
    if (!ActiveItem()) {
        m_editor->hide();
        return;
    }
    const QRect cell = CellRect(1, m_row);
    if (m_row < m_topRow || m_row >= m_topRow + VisibleRowCount() + 1 || cell.width() <= 1) {
        // Scrolled out of sight: keep it hidden but alive so it keeps the focus.
        m_editor->setGeometry(
            QRect(cell.left() + 1, -m_rowHeight * 2, qMax(1, cell.width() - 1), m_rowHeight - 3));
        return;
    }
    m_editor->setGeometry(cell.left() + 1, cell.top() + 1, cell.width() - 1, cell.height() - 3);
    if (!m_editor->isVisible() && isVisible()) {
        const bool hadFocus = hasFocus();
        m_editor->show();
        if (hadFocus)
            m_editor->setFocus();
    } else if (!isVisible()) {
        m_editor->setVisible(true);
    }
}

void TELCustomPropsPage::EditTextChanged(const QString& text) {
    if (m_updatingEditor)
        return;
    m_editText = text;
    TELPropsPageItem* item = ActiveItem();
    if (item && item->AutoApply())
        item->SetDisplayValue(text);
}

void TELCustomPropsPage::EditorLostFocus() {
    if (!m_destroying)
        UpdateData(m_row);
}

void TELCustomPropsPage::ToggleItem(TELPropsPageItem* item) {
    if (item->Expanded())
        item->Collapse();
    else
        item->Expand();
}

// --- mouse and keyboard ----------------------------------------------------------------------------------

bool TELCustomPropsPage::InSplitterZone(int x) const {
    return x >= m_colWidth0 - 4 && x <= m_colWidth0;
}

bool TELCustomPropsPage::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::MouseMove) {
        auto* me = static_cast<QMouseEvent*>(event);
        if (m_splitterDragging || InSplitterZone(qRound(me->position().x())))
            viewport()->setCursor(Qt::SplitHCursor);
        else
            viewport()->unsetCursor();
    }
    return QAbstractScrollArea::viewportEvent(event);
}

void TELCustomPropsPage::mousePressEvent(QMouseEvent* event) {
    RunGuarded([&] {
        if (event->button() != Qt::LeftButton)
            return;
        const int x = qRound(event->position().x());
        const int y = qRound(event->position().y());
        if (InSplitterZone(x)) {
            m_splitterDragging = true;
            m_splitterOffset = x - m_colWidth0;
            return;
        }
        m_editor->setFocus();
        const int row = RowAt(y);
        TELPropsPageItem* item = ItemByRow(row);
        if (!item)
            return;
        SetRow(row);
        if (x < m_colWidth0 && item->HasChildren() && x >= item->Indent() && x < item->Indent() + 13) {
            // SetRow may have rebuilt the rows; act on the item only while it is still there.
            if (ItemByRow(row) == item)
                ToggleItem(item);
        }
    });
}

void TELCustomPropsPage::mouseMoveEvent(QMouseEvent* event) {
    RunGuarded([&] {
        const int x = qRound(event->position().x());
        const int y = qRound(event->position().y());
        if (m_splitterDragging) {
            SetSplitter(x - m_splitterOffset);
            return;
        }
        if (!(event->buttons() & Qt::LeftButton))
            return;
        if (y < 0) {
            if (m_row > 0)
                SetRow(m_row - 1);
        } else if (y >= viewport()->height()) {
            if (m_row < RowCount() - 1)
                SetRow(m_row + 1);
        } else {
            const int row = RowAt(y);
            if (row >= 0)
                SetRow(row);
        }
    });
}

void TELCustomPropsPage::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        m_splitterDragging = false;
}

void TELCustomPropsPage::mouseDoubleClickEvent(QMouseEvent* event) {
    RunGuarded([&] {
        // The second press of a double click acts as a press; outside the expand box it also toggles.
        mousePressEvent(event);
        if (event->button() != Qt::LeftButton || m_splitterDragging)
            return;
        const int x = qRound(event->position().x());
        const int row = RowAt(qRound(event->position().y()));
        TELPropsPageItem* item = ItemByRow(row);
        if (!item || x >= m_colWidth0 || !item->HasChildren())
            return;
        if (x >= item->Indent() && x < item->Indent() + 13)
            return;
        ToggleItem(item);
    });
}

void TELCustomPropsPage::wheelEvent(QWheelEvent* event) {
    const int delta = event->angleDelta().y();
    if (delta > 0 && m_topRow > 0)
        SetTopRow(m_topRow - 1);
    else if (delta < 0 && m_topRow + VisibleRowCount() < RowCount())
        SetTopRow(m_topRow + 1);
    event->accept();
}

void TELCustomPropsPage::keyPressEvent(QKeyEvent* event) {
    RunGuarded([&] {
        if (RowCount() == 0) {
            QAbstractScrollArea::keyPressEvent(event);
            return;
        }
        const int page = VisibleRowCount();
        switch (event->key()) {
        case Qt::Key_Up:
            SetRow(qMax(0, m_row - 1));
            break;
        case Qt::Key_Down:
            SetRow(qMin(RowCount() - 1, m_row + 1));
            break;
        case Qt::Key_PageUp:
            SetRow(qMax(0, m_row - page));
            break;
        case Qt::Key_PageDown:
            SetRow(qMin(RowCount() - 1, m_row + page));
            break;
        case Qt::Key_Home:
            SetRow(0);
            break;
        case Qt::Key_End:
            SetRow(RowCount() - 1);
            break;
        default:
            QAbstractScrollArea::keyPressEvent(event);
            return;
        }
        event->accept();
    });
}

void TELCustomPropsPage::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    if (m_editor && m_editor->isVisible())
        m_editor->setFocus(event->reason());
}
