#include "tools/LayoutLoad.h"

#include "core/Control.h"
#include "layout/KvdUIElement.h"
#include "layout/KvdUILayoutFile.h"

QString LoadLayoutText(const QString& fileName) {
    RegisterElementClasses();
    TKvdUIElement::SetDefaultElementChangeHandler([](TKvdUIElement* element, TKvdUIElementChange kind) {
        if (kind == ecCreated)
            element->SetID(element->ID());
    });
    TControl root;
    root.SetBounds(0, 0, LayoutSurfaceWidth, LayoutSurfaceHeight);
    ReadLayout(&root, fileName);
    const QString text = WriteLayout(&root);
    // Elements notify while the root frees them; nothing may run on them then.
    TKvdUIElement::SetDefaultElementChangeHandler({});
    for (TKvdUIElement* e : root.findChildren<TKvdUIElement*>())
        e->OnElementChange = nullptr;
    return text;
}
