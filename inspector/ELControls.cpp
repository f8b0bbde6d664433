#include "inspector/ELControls.h"

TELObjectList::~TELObjectList() {
    // Not Clear(): the notifications are virtual and the derived part is already gone.
    while (!m_items.isEmpty())
        delete m_items.takeLast();
}

int TELObjectList::IndexOf(const TELObjectList* item) const {
    for (int i = 0; i < m_items.size(); ++i)
        if (m_items.at(i) == item)
            return i;
    return -1;
}

int TELObjectList::Add(TELObjectList* item) {
    m_items.append(item);
    Inserted(item);
    return Count() - 1;
}

void TELObjectList::Insert(int index, TELObjectList* item) {
    m_items.insert(index, item);
    Inserted(item);
}

void TELObjectList::Delete(int index) {
    TELObjectList* item = m_items.at(index);
    Removing(item);
    m_items.removeAt(index);
    delete item;
    Removed();
}

TELObjectList* TELObjectList::Extract(int index) {
    TELObjectList* item = m_items.at(index);
    Removing(item);
    m_items.removeAt(index);
    Removed();
    return item;
}

void TELObjectList::Clear() {
    while (!m_items.isEmpty()) {
        TELObjectList* item = m_items.last();
        Removing(item);
        m_items.removeLast();
        delete item;
    }
    Cleared();
}
