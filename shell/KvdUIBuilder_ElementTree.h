#pragma once
// The element tree beside the design surface: the document's node with one node per element below it, in
// the elements' own nesting. Nodes follow the elements one by one, or, after a bulk update that marked the
// tree stale, are built again in one pass.

#include <QHash>

#include <functional>

class QIcon;
class QTreeWidget;
class QTreeWidgetItem;
class TControl;
class TKvdUIElement;

class TElementTree {
public:
    // describe gives a node its icon and text for the element it stands for.
    using Describe = std::function<void(const TKvdUIElement*, QTreeWidgetItem*)>;
    TElementTree(QTreeWidget* view, Describe describe);

    // The control a node stands for (the root control for the document's node), or null.
    static TControl* NodeControl(const QTreeWidgetItem* node);
    // The node of the element, or the document's node for the root control; null when it has none.
    QTreeWidgetItem* NodeOf(const TControl* control) const;

    // The document's node for root, made when there is none, with this icon and caption.
    void ShowDocument(TControl* root, const QIcon& icon, const QString& caption);
    // No document: every node goes.
    void Clear();

    // A new element: its node under its parent's, or, during a bulk update, the tree is marked stale.
    void Add(TKvdUIElement* element, bool bulk);
    // An element that goes: its node and those inside it; the nodes are left to the view while the window
    // itself goes (deleteNode false).
    void Remove(TKvdUIElement* element, bool deleteNode);
    // The node's icon and text again, for one element or for all.
    void Update(const TKvdUIElement* element);
    void UpdateAll();
    // Every element node goes in one pass (the elements then find none to remove).
    void DropElementNodes();
    // Built again from the document's elements when a bulk update marked it stale (or always, with force).
    void Rebuild(bool force = true);

private:
    QTreeWidgetItem* NewNode(TKvdUIElement* element);

    QTreeWidget* m_view;
    Describe m_describe;
    TControl* m_root = nullptr;
    QTreeWidgetItem* m_rootNode = nullptr;
    QHash<const TControl*, QTreeWidgetItem*> m_nodes;
    bool m_stale = false; // elements came during a bulk update without nodes
};
