#pragma once
// TKvdUIElementCaptionProperty: the inspector's editor for an element's Text. It keeps the plain text
// editing of a string property and adds an ellipsis button that opens the multi-line text editor.
// It serves one element at a time: the Text row is not offered for several selected elements.

#include "inspector/ELPropInspEditors.h"

class TKvdUIElementCaptionProperty : public TELStringPropEditor {
public:
    using TELStringPropEditor::TELStringPropEditor;
    TELPropAttrs GetAttrs() override;
    void Edit() override;
};
