#pragma once
// TELObjectList: an ordered list that owns its entries. The property grid's item tree is built from it:
// every item is a list of its child items, and destroying an item destroys its children.

#include <QList>

class TELObjectList {
public:
    TELObjectList() = default;
    TELObjectList(const TELObjectList&) = delete;
    TELObjectList& operator=(const TELObjectList&) = delete;
    virtual ~TELObjectList();

    int Count() const { return static_cast<int>(m_items.size()); }
    TELObjectList* Get(int index) const { return m_items.at(index); }
    int IndexOf(const TELObjectList* item) const;
    // Takes ownership of the entry and appends it.
    int Add(TELObjectList* item);
    void Insert(int index, TELObjectList* item);
    // Removes and destroys the entry.
    void Delete(int index);
    // Removes the entry without destroying it; the caller owns it afterwards.
    TELObjectList* Extract(int index);
    // Destroys every entry, last first.
    void Clear();

protected:
    // Notifications after an entry was added, before and after one is removed, after all were cleared.
    virtual void Inserted(TELObjectList* item) { (void)item; }
    virtual void Removing(TELObjectList* item) { (void)item; }
    virtual void Removed() {}
    virtual void Cleared() {}

private:
    QList<TELObjectList*> m_items;
};
