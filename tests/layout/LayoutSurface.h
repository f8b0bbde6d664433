#pragma once
// The layout tests' design surface: a layout document whose root is the builder's 400 x 400 surface and
// takes controls, so that every element placed on it gets a free ID as in the builder.

#include "layout/KvdUIDocument.h"
#include "layout/KvdUILayoutFile.h"

class TTestSurface : public TKvdUIDocument {
public:
    explicit TTestSurface(TKvdUIElementChangeEvent onElementChange = {})
        : TKvdUIDocument(std::move(onElementChange)) {
        Root()->SetBounds(0, 0, LayoutSurfaceWidth, LayoutSurfaceHeight);
        Root()->SetAcceptsControls(true);
    }
    // The elements go newest first, while the document still counts their IDs.
    ~TTestSurface() { Clear(); }
    void Clear() {
        while (Root()->ComponentCount() > 0)
            delete Root()->Components(Root()->ComponentCount() - 1);
    }
};
