#pragma once
// The connection between designed controls and the designer that edits them. A designer installs a
// hook on the surface that hosts the root control; a control finds it by walking up its parents
// (TControl::Designer). Events themselves reach the designer through its own event filter.

#include "core/Types.h"

class TControl;
class QString;

class TDesignerHook {
public:
    virtual ~TDesignerHook() = default;
    // Something changed the design outside the designer's own operations.
    virtual void Modified() = 0;
    // A component owned by the root control was inserted or is being removed.
    virtual void Notification(TControl* component, TOperation operation) = 0;
    // Called before a designed component gets a new, non-empty name; raises to refuse it.
    virtual void ValidateRename(TControl* component, const QString& currentName, const QString& newName) = 0;
};
