#include "shell/KvdUIBuilder_ElementTree.h"

#include "core/Control.h"
#include "layout/KvdUIElement.h"

#include <QTreeWidget>

TElementTree::TElementTree(QTreeWidget* view, Describe describe)
    : m_view(view), m_describe(std::move(describe)) {}

TControl* TElementTree::NodeControl(const QTreeWidgetItem* node) {
    if (!node)
        return nullptr;
    return qobject_cast<TControl*>(node->data(0, Qt::UserRole).value<QObject*>());
}

QTreeWidgetItem* TElementTree::NodeOf(const TControl* control) const {
    if (control && control == m_root)
        return m_rootNode;
    return m_nodes.value(control);
}

void TElementTree::ShowDocument(TControl* root, const QIcon& icon, const QString& caption) {
    m_root = root;
    if (m_view->topLevelItemCount() == 0) {
        m_rootNode = new QTreeWidgetItem(m_view);
        m_rootNode->setIcon(0, icon);
        m_rootNode->setData(0, Qt::UserRole, QVariant::fromValue<QObject*>(root));
    }
    m_view->topLevelItem(0)->setText(0, caption);
}

void TElementTree::Clear() {
    m_view->clear();
    m_rootNode = nullptr;
    m_nodes.clear();
}

QTreeWidgetItem* TElementTree::NewNode(TKvdUIElement* element) {
    auto* node = new QTreeWidgetItem;
    node->setData(0, Qt::UserRole, QVariant::fromValue<QObject*>(element));
    m_nodes.insert(element, node);
    Update(element);
    return node;
}

void TElementTree::Add(TKvdUIElement* element, bool bulk) {
    if (bulk)
        m_stale = true;
    else if (QTreeWidgetItem* parentNode = NodeOf(element->ParentControl()))
        parentNode->addChild(NewNode(element)); // without a document there is no node to hang it under
}

void TElementTree::Remove(TKvdUIElement* element, bool deleteNode) {
    QTreeWidgetItem* node = m_nodes.take(element);
    if (!node)
        return;
    // A panel's node takes the nodes of the elements inside it along.
    std::function<void(QTreeWidgetItem*)> forget = [&](QTreeWidgetItem* item) {
        for (int i = 0; i < item->childCount(); ++i) {
            m_nodes.remove(NodeControl(item->child(i)));
            forget(item->child(i));
        }
    };
    forget(node);
    node->setData(0, Qt::UserRole, QVariant());
    if (deleteNode)
        delete node;
}

void TElementTree::Update(const TKvdUIElement* element) {
    if (QTreeWidgetItem* node = m_nodes.value(element))
        m_describe(element, node);
}

void TElementTree::UpdateAll() {
    for (auto it = m_nodes.constBegin(); it != m_nodes.constEnd(); ++it)
        if (const auto* element = qobject_cast<const TKvdUIElement*>(it.key()))
            m_describe(element, it.value());
}

void TElementTree::DropElementNodes() {
    if (m_rootNode)
        qDeleteAll(m_rootNode->takeChildren());
    m_nodes.clear();
}

void TElementTree::Rebuild(bool force) {
    if (!force && !m_stale)
        return;
    m_stale = false;
    DropElementNodes();
    if (!m_rootNode || !m_root)
        return;
    std::function<QList<QTreeWidgetItem*>(const TControl*)> nodesIn = [&](const TControl* parent) {
        QList<QTreeWidgetItem*> nodes;
        for (TControl* child : parent->ChildControls()) {
            if (auto* element = qobject_cast<TKvdUIElement*>(child)) {
                QTreeWidgetItem* node = NewNode(element);
                node->addChildren(nodesIn(element));
                nodes << node;
            }
        }
        return nodes;
    };
    m_rootNode->addChildren(nodesIn(m_root));
}
