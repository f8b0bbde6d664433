#include "tools/LayoutLoad.h"

#include "layout/KvdUIDocument.h"
#include "layout/KvdUILayoutFile.h"

QString LoadLayoutText(const TFileName& fileName) {
    RegisterElementClasses();
    TKvdUIDocument document;
    document.Root()->SetBounds(0, 0, LayoutSurfaceWidth, LayoutSurfaceHeight);
    ReadLayout(document.Root(), fileName);
    return WriteLayout(document.Root());
}
