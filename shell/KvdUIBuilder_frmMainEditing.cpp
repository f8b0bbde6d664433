// The editing commands of the main window: insertion tools, the element tree and its two-way selection,
// the inspector filter, the element notifications, bulk updates and the designer's commands.

#include "shell/KvdUIBuilder_frmMain.h"

#include "core/Exceptions.h"
#include "designer/ELDsgnr.h"
#include "inspector/ELPropInspInspector.h"
#include "layout/KvdUIDocument.h"
#include "layout/KvdUIElementKinds.h"
#include "layout/KvdUILayoutFile.h"
#include "layout/KvdUILayoutSource.h"
#include "link/KvdUI.h"
#include "shell/KvdUIBuilder_Application.h"
#include "shell/KvdUIBuilder_Icons.h"
#include "shell/KvdUIBuilder_NameRow.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QTreeWidget>

#include <algorithm>

QAction* TfrmMain::ToolAction(const TKvdUIElementKind& kind) const {
    return m_kindTools.value(int(&kind - ElementKinds().data()));
}

QIcon TfrmMain::KindImage(const TKvdUIElementKind& kind) const {
    return m_kindImages.value(int(&kind - ElementKinds().data()));
}

int TfrmMain::NameColumnWidth() const {
    // A caption starts 13 pixels in (room for the expand box) and keeps 2 pixels to the column's edge.
    const QFontMetrics metrics(ELPropertyInspector1->font());
    int widest = 0;
    for (const TKvdUIElementKind& kind : ElementKinds())
        for (const QString& name : kind.ShownProperties)
            widest = std::max(widest, metrics.horizontalAdvance(name));
    return 13 + widest + 2 + metrics.averageCharWidth();
}

void TfrmMain::DescribeNode(const TKvdUIElement* element, QTreeWidgetItem* node) const {
    const TKvdUIElementKind* kind = ElementKindOf(element);
    node->setIcon(0, kind ? KindImage(*kind) : ImageList1.at(KvdIcons::imgElement));
    QString text = QString::asprintf("ID = %d", int(element->ID()));
    if (actElementNames && actElementNames->isChecked() && !element->ElementName().isEmpty())
        text += QLatin1Char(' ') + element->ElementName();
    node->setText(0, text);
}

void TfrmMain::ElementChange(TKvdUIElement* element, TKvdUIElementChange kind) {
    // While the document goes, m_doc is already empty.
    const bool bulk = m_doc && m_doc->InBulkUpdate();
    switch (kind) {
    case ecCreated:
        // During a bulk update the tree is built in one pass when it ends.
        m_tree->Add(element, bulk);
        break;
    case ecDestroying:
        m_tree->Remove(element, !m_destroying);
        // An ID another element still holds (a refused paste's copy, a file's clash) stays on the screen.
        if (!m_doc || m_doc->Model()->IDHolderCount(element->ID()) <= 1)
            KvdUI1->DeleteButtons(Dromo::BTN_DEL_ONE, element->ID(), element->ID(), 0);
        break;
    case ecChanged:
        m_tree->Update(element);
        if (!bulk && !edtElementName->hasFocus())
            NameRow->Update();
        break;
    }
}

void TfrmMain::actToolPointerExecute(QAction* sender) {
    SetScreenCursor(sender == actToolPointer ? Qt::ArrowCursor : Qt::DragMoveCursor);
}

void TfrmMain::ELDesigner1ControlInserting(QObject*, const TControlClass*& controlClass) {
    // No element may be created while no document is open: it would have no node in the tree.
    if (!DocumentOpen())
        return;
    for (const TKvdUIElementKind& kind : ElementKinds())
        if (ToolAction(kind)->isChecked())
            controlClass = ClassRegistry::Find(kind.Class.Name);
}

void TfrmMain::ELDesigner1ControlInserted(QObject*) {
    Execute(actToolPointer);
}

// An insert, paste or duplicate is refused as a whole when its elements would share IDs (all 256 are
// taken), nest deeper than a layout is read back, or make a layout larger than Open reads.
void TfrmMain::ELDesigner1ControlsAdding(QObject*, const QList<TControl*>& controls, TControl* container) {
    QList<const TKvdUIElement*> added;
    int depth = 0;
    for (TControl* c : controls)
        if (const auto* e = qobject_cast<const TKvdUIElement*>(c)) {
            added << e;
            for (const TKvdUIElement* inner : e->findChildren<const TKvdUIElement*>())
                added << inner;
            depth = std::max(depth, 1 + ElementDepth(e));
        }
    if (m_doc->Model()->FreeIDCount() == 0)
        for (const TKvdUIElement* e : std::as_const(added))
            if (m_doc->Model()->IDHolderCount(e->ID()) > 1)
                throw Exception(QStringLiteral("Every ID from 0 to 255 is in use, so a layout holds no more "
                                               "than 256 elements: delete some before adding more"));
    for (const QWidget* w = container; w && w != m_root; w = w->parentWidget())
        if (qobject_cast<const TKvdUIElement*>(w))
            ++depth;
    if (depth > MaxLayoutDepth)
        throw Exception(
            QStringLiteral("This would nest elements %1 levels deep; a layout nested more than %2 "
                           "levels deep cannot be opened again")
                .arg(depth)
                .arg(MaxLayoutDepth));
    // The added elements are in place already: the text Save would write is the whole measure.
    if (WriteLayout(m_root).toUtf8().size() > MaxLayoutFileSize)
        throw Exception(QStringLiteral("This would make the layout larger than %1 MB, which Open refuses")
                            .arg(MaxLayoutFileSize >> 20));
}

void TfrmMain::AttachTreeChange(bool attach) {
    if (attach == m_treeAttached)
        return;
    m_treeAttached = attach;
    if (attach)
        connect(TreeView1, &QTreeWidget::currentItemChanged, this,
                [this](QTreeWidgetItem* node) { RunGuarded([this, node] { TreeView1Change(node); }); });
    else
        disconnect(TreeView1, &QTreeWidget::currentItemChanged, this, nullptr);
}

void TfrmMain::ELDesigner1ChangeSelection(QObject*) {
    AttachTreeChange(false);
    ELPropertyInspector1->BeginUpdate();
    try {
        QList<TControl*> controls;
        ELDesigner1->SelectedControls()->GetControls(controls);
        QList<QObject*> objects;
        for (TControl* control : controls)
            objects << control;
        ELPropertyInspector1->SetObjects(objects);
        if (controls.size() > 1) {
            TreeView1->setCurrentItem(nullptr);
            TreeView1->clearSelection();
        } else if (controls.size() == 1) {
            if (QTreeWidgetItem* node = NodeOf(controls.first())) {
                TreeView1->setCurrentItem(node);
                node->setExpanded(true);
            }
        }
    } catch (...) {
        ELPropertyInspector1->EndUpdate();
        AttachTreeChange(true);
        throw;
    }
    ELPropertyInspector1->EndUpdate();
    AttachTreeChange(true);
    NameRow->Update();
}

void TfrmMain::ELDesigner1Modified(QObject*) {
    ELPropertyInspector1->RefreshValues();
    m_doc->MarkModified();
}

void TfrmMain::ELPropertyInspector1FilterProp(QObject*, QObject* instance, const TPropInfo* propInfo,
                                              bool& includeProp) {
    // An element shows what its kind lists; anything else (the root control) what any kind would show.
    includeProp = false;
    const TKvdUIElementKind* own = ElementKindOf(instance);
    for (const TKvdUIElementKind& kind : ElementKinds())
        if ((!own || own == &kind) && kind.ShownProperties.contains(propInfo->Name, Qt::CaseInsensitive))
            includeProp = true;
}

void TfrmMain::TreeView1Change(QTreeWidgetItem* node) {
    if (m_destroying || !node || m_doc->InBulkUpdate())
        return;
    TControl* control = NodeControl(node);
    if (!control || !ELDesigner1->Active())
        return;
    ELDesigner1->SelectedControls()->SelectOnly(control);
}

void TfrmMain::BulkUpdateStarted() {
    TreeView1->setUpdatesEnabled(false);
    // Elements placed on a hidden surface are shown with it in one go at the end: no repaint and no
    // search for the widget under the mouse per element.
    m_rootHidden = m_root->isVisible();
    if (m_rootHidden) {
        m_rootFocus = QApplication::focusWidget();
        if (m_rootFocus && m_rootFocus != m_root && !m_root->isAncestorOf(m_rootFocus))
            m_rootFocus = nullptr;
        m_root->hide();
    }
    ELPropertyInspector1->BeginUpdate();
}

void TfrmMain::BulkUpdateEnded() {
    ELPropertyInspector1->EndUpdate();
    m_tree->Rebuild(false);
    if (m_rootHidden) {
        m_rootHidden = false;
        m_root->show();
        if (m_rootFocus)
            m_rootFocus->setFocus();
    }
    TreeView1->setUpdatesEnabled(true);
}

void TfrmMain::actDeleteExecute() {
    ELDesigner1->DeleteSelected();
}

void TfrmMain::actCutExecute() {
    ELDesigner1->Cut();
}

void TfrmMain::actCopyExecute() {
    ELDesigner1->Copy();
}

void TfrmMain::actPasteExecute() {
    ELDesigner1->Paste();
}

void TfrmMain::actSelectAllExecute() {
    ELDesigner1->SelectedControls()->SelectAll();
}

void TfrmMain::actBringToFrontExecute() {
    ELDesigner1->SelectedControls()->BringToFront();
}

void TfrmMain::actSendToBackExecute() {
    ELDesigner1->SelectedControls()->SendToBack();
}

void TfrmMain::actClearExecute() {
    m_doc->Clear();
}

void TfrmMain::actUndoExecute() {
    m_doc->Undo();
}

void TfrmMain::actRedoExecute() {
    m_doc->Redo();
}
