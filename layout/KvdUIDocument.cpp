#include "layout/KvdUIDocument.h"

#include <algorithm>

namespace {

// The root control knows its document, which is how elements reach it through their owner.
class TKvdUIRoot : public TControl {
public:
    explicit TKvdUIRoot(TKvdUIDocument* document) : Document(document) {}
    TKvdUIDocument* const Document;
};

} // namespace

TKvdUIDocument::TKvdUIDocument(TKvdUIElementChangeEvent onElementChange)
    : OnElementChange(std::move(onElementChange)), m_root(new TKvdUIRoot(this)) {}

TKvdUIDocument::~TKvdUIDocument() {
    delete m_root;
}

TKvdUIDocument* TKvdUIDocument::Of(const TControl* owner) {
    const auto* root = dynamic_cast<const TKvdUIRoot*>(owner);
    return root ? root->Document : nullptr;
}

void TKvdUIDocument::SetSimulatorLook(bool on) {
    if (on == m_simulatorLook)
        return;
    m_simulatorLook = on;
    if (!m_root)
        return;
    for (TKvdUIElement* element : m_root->findChildren<TKvdUIElement*>()) {
        element->UpdateOpacity();
        element->update();
    }
}

void TKvdUIDocument::ElementChanged(TKvdUIElement* element, TKvdUIElementChange kind) {
    // An element placed on the surface (inserted, pasted or read) takes a free ID.
    if (kind == ecCreated)
        element->SetID(element->ID());
    if (OnElementChange)
        OnElementChange(element, kind);
}

int TKvdUIDocument::FreeIDCount() const {
    return int(std::count(m_idCount.begin(), m_idCount.end(), 0));
}
