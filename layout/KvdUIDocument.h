#pragma once
// A layout document: the root control that owns every element of one layout, the receiver of the
// elements' change notifications, and the census of the IDs in use that the ID rule consults. Elements
// find their document through their owner, so two layouts in one process (the builder's and a test's)
// share nothing.

#include "layout/KvdUIElement.h"

#include <QHash>
#include <QPointer>

#include <array>

class TKvdUIDocument {
public:
    // onElementChange receives every notification of the document's elements; an element placed on the
    // surface (ecCreated) has already been given a free ID then.
    explicit TKvdUIDocument(TKvdUIElementChangeEvent onElementChange = {});
    // Frees the root and with it every element; they still notify while they go.
    ~TKvdUIDocument();
    TKvdUIDocument(const TKvdUIDocument&) = delete;
    TKvdUIDocument& operator=(const TKvdUIDocument&) = delete;

    TControl* Root() const { return m_root; }
    // The document whose root control is owner; nullptr for any other control.
    static TKvdUIDocument* Of(const TControl* owner);

    // How many of the 256 IDs no element holds: an element added beyond them would share one.
    int FreeIDCount() const;
    // How many elements hold id.
    int IDHolderCount(quint8 id) const { return m_idCount[id]; }

    // Whether the document's elements are drawn as the simulator shows their buttons (real text, style
    // and alignment, placeholders highlighted) instead of by kind and ID. Setting it repaints them all.
    bool SimulatorLook() const { return m_simulatorLook; }
    void SetSimulatorLook(bool on);

    TKvdUIElementChangeEvent OnElementChange;

private:
    friend class TKvdUIElement;
    void ElementChanged(TKvdUIElement* element, TKvdUIElementChange kind);
    // How many elements hold each ID.
    std::array<int, 256> m_idCount{};
    // The element of each name in use.
    QHash<QString, TKvdUIElement*> m_names;
    QPointer<TControl> m_root;
    bool m_simulatorLook = false;
};
