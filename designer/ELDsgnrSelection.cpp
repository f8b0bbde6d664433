#include "designer/ELDsgnr.h"

#include "designer/ELDsgnrEngine.h"
#include "designer/ELDsgnrHandles.h"

#include <QSet>

namespace {

// Repaints the handles that changed now rather than from the event loop.
void flushHandles(const TELCustomDesigner* designer) {
    if (TDEng* engine = designer->Engine())
        if (TDEngOverlay* overlay = engine->Overlay())
            overlay->Flush();
}

} // namespace

// --- grid --------------------------------------------------------------------------------------------------

TELDesignerGrid::TELDesignerGrid(TELCustomDesigner* designer) : m_designer(designer) {}

void TELDesignerGrid::Assign(const TELDesignerGrid& source) {
    m_xStep = source.m_xStep;
    m_yStep = source.m_yStep;
    m_visible = source.m_visible;
    m_color = source.m_color;
}

void TELDesignerGrid::Changed() {
    if (m_designer)
        m_designer->GridChanged();
}

// --- selection list ----------------------------------------------------------------------------------------

TELDesignerSelectedControls::TELDesignerSelectedControls(TELCustomDesigner* designer)
    : m_designer(designer) {}

TELDesignerSelectedControls::~TELDesignerSelectedControls() {
    m_destroying = true;
    while (!m_items.isEmpty())
        delete m_items.last();
}

void TELDesignerSelectedControls::CheckActive() const {
    if (!m_designer->Active())
        throw EELDesigner(QStringLiteral("Designer mast be active"));
}

TControl* TELDesignerSelectedControls::Items(int index) const {
    return m_items.at(index)->Control();
}

int TELDesignerSelectedControls::IndexOf(TControl* control) const {
    if (!Contains(control))
        return -1;
    for (int i = 0; i < m_items.size(); ++i)
        if (m_items.at(i)->Control() == control)
            return i;
    return -1;
}

TDSelCtrlItem* TELDesignerSelectedControls::ItemOf(TControl* control) const {
    return m_itemOf.value(control);
}

int TELDesignerSelectedControls::Add(TControl* control) {
    CheckActive();
    if (Contains(control))
        return IndexOf(control);
    TDEng* engine = m_designer->Engine();
    if (!control || !engine || !engine->IsDesignedControl(control))
        throw EELDesigner(
            QStringLiteral("Control '%1' can not be selected").arg(control ? control->Name() : QString()));
    new TDSelCtrlItem(this, control); // appends itself and signals the change
    return m_items.size() - 1;
}

void TELDesignerSelectedControls::Remove(TControl* control) {
    delete ItemOf(control); // removes itself and signals the change
}

void TELDesignerSelectedControls::RemoveAt(int index) {
    delete m_items.at(index); // removes itself and signals the change
}

void TELDesignerSelectedControls::ItemAdded(TDSelCtrlItem* item) {
    m_items.append(item);
    m_itemOf.insert(item->Control(), item);
    Change();
}

void TELDesignerSelectedControls::ItemRemoved(TDSelCtrlItem* item) {
    // Items mostly leave from the end of the list.
    const qsizetype index = m_items.lastIndexOf(item);
    if (index >= 0)
        m_items.removeAt(index);
    m_itemOf.remove(item->Control());
    Change();
}

void TELDesignerSelectedControls::Clear() {
    SelectOnly(nullptr);
}

void TELDesignerSelectedControls::SelectOnly(TControl* control) {
    CheckActive();
    Batch([&] {
        for (int i = m_items.size() - 1; i >= 0; --i)
            if (i < m_items.size() && m_items.at(i)->Control() != control)
                RemoveAt(i);
        if (m_items.isEmpty() && control)
            Add(control);
    });
}

void TELDesignerSelectedControls::SetSelection(const QList<TControl*>& controls) {
    CheckActive();
    const QSet<TControl*> wanted(controls.begin(), controls.end());
    Batch([&] {
        for (int i = m_items.size() - 1; i >= 0; --i)
            if (!wanted.contains(m_items.at(i)->Control()))
                RemoveAt(i);
        for (TControl* c : controls)
            Add(c);
    });
}

void TELDesignerSelectedControls::KeepSiblingsOf(QWidget* parent) {
    CheckActive();
    Batch([&] {
        for (int i = m_items.size() - 1; i >= 0; --i)
            if (m_items.at(i)->Control()->parentWidget() != parent)
                RemoveAt(i);
    });
}

TControl* TELDesignerSelectedControls::LastSelected() const {
    return m_items.isEmpty() ? nullptr : m_items.last()->Control();
}

void TELDesignerSelectedControls::GetControls(QList<TControl*>& list) const {
    list.clear();
    for (TDSelCtrlItem* item : m_items)
        if (item->Control() != m_root)
            list.append(item->Control());
}

void TELDesignerSelectedControls::SelectAll() {
    CheckActive();
    m_designer->Engine()->SelectAllInto(this);
}

void TELDesignerSelectedControls::BringToFront() {
    Restack(&QWidget::raise);
}

void TELDesignerSelectedControls::SendToBack() {
    Restack(&QWidget::lower);
}

void TELDesignerSelectedControls::Restack(void (QWidget::*move)()) {
    CheckActive();
    for (TDSelCtrlItem* item : QList<TDSelCtrlItem*>(m_items))
        if (item->Control() != m_root)
            (item->Control()->*move)();
    m_designer->Engine()->NotifyModified();
}

void TELDesignerSelectedControls::BeginUpdate() {
    ++m_updateCount;
}

void TELDesignerSelectedControls::EndUpdate() {
    if (m_updateCount > 0)
        --m_updateCount;
    if (m_updateCount == 0 && m_changePending)
        Change();
}

void TELDesignerSelectedControls::Change() {
    if (m_updateCount > 0) {
        m_changePending = true;
        return;
    }
    m_changePending = false;
    if (m_destroying)
        return;
    UpdateModes();
    m_designer->DoChangeSelection();
}

// Sets every entry's mode and repositions and recolours its handles, each once.
void TELDesignerSelectedControls::UpdateModes() {
    for (TDSelCtrlItem* item : m_items) {
        TDSelCtrlItemMode mode = hmNone;
        if (m_handlesVisible && item->Control() != m_root)
            mode = m_items.size() == 1 ? hmSingle : hmMulti;
        if (mode != item->Mode())
            item->SetMode(mode);
        else
            item->Refresh();
    }
    flushHandles(m_designer);
}

void TELDesignerSelectedControls::UpdateHandles() {
    for (TDSelCtrlItem* item : m_items)
        item->Refresh();
    flushHandles(m_designer);
}

void TELDesignerSelectedControls::UpdateHandlesOf(TControl* control) {
    if (TDSelCtrlItem* item = ItemOf(control)) {
        item->Refresh();
        flushHandles(m_designer);
    }
}

void TELDesignerSelectedControls::SetHandlesVisible(bool value) {
    if (StoreChanged(m_handlesVisible, value))
        UpdateModes();
}

void TELDesignerSelectedControls::SetFocused(bool value) {
    if (StoreChanged(m_focused, value))
        UpdateHandles();
}

void TELDesignerSelectedControls::SetRoot(TControl* value) {
    if (StoreChanged(m_root, value))
        UpdateModes();
}
