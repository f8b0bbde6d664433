// The editing commands of the main window: insertion tools, the element tree and its two-way selection,
// the inspector filter, the element notifications, bulk updates and the designer's commands.

#include "shell/KvdUIBuilder_frmMain.h"

#include "designer/ELDsgnr.h"
#include "inspector/ELPropInspInspector.h"
#include "link/KvdUI.h"
#include "shell/KvdUIBuilder_Application.h"
#include "shell/KvdUIBuilder_Icons.h"

#include <QAction>
#include <QTreeWidget>

namespace {
const char* const ShownProperties[] = {"Align", "Anchors", "ID",          "Text",      "Top",  "Left",
                                       "Width", "Height",  "InputLength", "Alignment", "Style"};
} // namespace

int TfrmMain::NameColumnWidth() const {
    // A caption starts 13 pixels in (room for the expand box) and keeps 2 pixels to the column's edge.
    const QFontMetrics metrics(ELPropertyInspector1->font());
    int widest = 0;
    for (const char* name : ShownProperties)
        widest = std::max(widest, metrics.horizontalAdvance(QString::fromLatin1(name)));
    return 13 + widest + 2 + metrics.averageCharWidth();
}

TControl* TfrmMain::NodeControl(const QTreeWidgetItem* node) {
    if (!node)
        return nullptr;
    return qobject_cast<TControl*>(node->data(0, Qt::UserRole).value<QObject*>());
}

QTreeWidgetItem* TfrmMain::NodeOf(TControl* control) const {
    if (auto* element = qobject_cast<TKvdUIElement*>(control))
        return element->TreeNode;
    if (control && control == m_root)
        return m_rootNode;
    return nullptr;
}

void TfrmMain::UpdateNode(TKvdUIElement* element) {
    QTreeWidgetItem* node = element->TreeNode;
    if (!node)
        return;
    int image = KvdIcons::imgElement;
    if (qobject_cast<TKvdUIPanel*>(element))
        image = KvdIcons::imgPanel;
    else if (qobject_cast<TKvdUIButton*>(element))
        image = KvdIcons::imgButton;
    else if (qobject_cast<TKvdUIText*>(element))
        image = KvdIcons::imgText;
    node->setIcon(0, ImageList1.at(image));
    node->setText(0, QString::asprintf("ID = %d", int(element->ID())));
}

void TfrmMain::ElementChange(TKvdUIElement* element, TKvdUIElementChange kind) {
    switch (kind) {
    case ecCreated: {
        element->SetID(element->ID());
        // Without a document there is no root node to hang the element's node under.
        if (QTreeWidgetItem* parentNode = NodeOf(element->ParentControl())) {
            auto* node = new QTreeWidgetItem(parentNode);
            node->setData(0, Qt::UserRole, QVariant::fromValue<QObject*>(element));
            element->TreeNode = node;
        }
        UpdateNode(element);
        break;
    }
    case ecDestroying:
        if (QTreeWidgetItem* node = element->TreeNode) {
            element->TreeNode = nullptr;
            // A panel's node takes the nodes of the elements inside it along; they must not keep a
            // reference to a deleted node.
            std::function<void(QTreeWidgetItem*)> forget = [&](QTreeWidgetItem* item) {
                for (int i = 0; i < item->childCount(); ++i) {
                    QTreeWidgetItem* child = item->child(i);
                    if (auto* inner = qobject_cast<TKvdUIElement*>(NodeControl(child)))
                        inner->TreeNode = nullptr;
                    forget(child);
                }
            };
            forget(node);
            node->setData(0, Qt::UserRole, QVariant());
            if (!m_destroying)
                delete node;
        }
        KvdUI1->DeleteButtons(0, element->ID(), element->ID(), 0);
        break;
    case ecChanged:
        UpdateNode(element);
        break;
    }
    if (m_destroying)
        return;
    ScheduleRefresh();
    if (!m_bulkUpdate)
        m_modified = true;
}

void TfrmMain::actToolPointerExecute(QAction* sender) {
    SetScreenCursor(sender == actToolPointer ? Qt::ArrowCursor : Qt::DragMoveCursor);
}

void TfrmMain::ELDesigner1ControlInserting(QObject*, const TControlClass*& controlClass) {
    // No element may be created while no document is open: it would have no node in the tree.
    if (!DocumentOpen())
        return;
    if (actToolButton->isChecked())
        controlClass = ClassRegistry::Find(QStringLiteral("TKvdUIButton"));
    else if (actToolText->isChecked())
        controlClass = ClassRegistry::Find(QStringLiteral("TKvdUIText"));
    else if (actToolPanel->isChecked())
        controlClass = ClassRegistry::Find(QStringLiteral("TKvdUIPanel"));
}

void TfrmMain::ELDesigner1ControlInserted(QObject*) {
    Execute(actToolPointer);
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
}

void TfrmMain::ELDesigner1Modified(QObject*) {
    ELPropertyInspector1->RefreshValues();
    m_modified = true;
}

void TfrmMain::ELPropertyInspector1FilterProp(QObject*, QObject*, const TPropInfo* propInfo,
                                              bool& includeProp) {
    includeProp = false;
    const QString name = propInfo->Name.toLower();
    for (const char* shown : ShownProperties) {
        if (name == QString::fromLatin1(shown).toLower()) {
            includeProp = true;
            return;
        }
    }
}

void TfrmMain::TreeView1Change(QTreeWidgetItem* node) {
    if (m_destroying || !node || m_bulkUpdate)
        return;
    TControl* control = NodeControl(node);
    if (!control || !ELDesigner1->Active())
        return;
    ELDesigner1->SelectedControls()->SelectOnly(control);
}

void TfrmMain::BeginBulkUpdate() {
    m_bulkUpdate = true;
    if (m_treeUpdate++ == 0)
        TreeView1->setUpdatesEnabled(false);
    ELPropertyInspector1->BeginUpdate();
}

void TfrmMain::EndBulkUpdate() {
    ELPropertyInspector1->EndUpdate();
    if (--m_treeUpdate == 0)
        TreeView1->setUpdatesEnabled(true);
    m_bulkUpdate = false;
    ScheduleRefresh();
}

void TfrmMain::ClearElements(bool bracket) {
    if (bracket)
        BeginBulkUpdate();
    try {
        QList<TControl*> children = m_root->ChildControls();
        while (!children.isEmpty()) {
            delete children.first();
            children = m_root->ChildControls();
        }
    } catch (...) {
        if (bracket)
            EndBulkUpdate();
        throw;
    }
    if (bracket)
        EndBulkUpdate();
    KvdUI1->DeleteButtons(1, 0, 0, 0);
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
    ClearElements(true);
}

void TfrmMain::actUndoExecute() {
    m_skipSnapshot = true;
    const QString text = m_history->Undo();
    LoadLayout(QString(), text);
}

void TfrmMain::actRedoExecute() {
    m_skipSnapshot = true;
    const QString text = m_history->Redo();
    LoadLayout(QString(), text);
}
