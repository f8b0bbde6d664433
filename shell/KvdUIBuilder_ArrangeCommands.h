#pragma once
// The Arrange commands of the builder (Edit -> Arrange, the surface's context menu and a tool-bar group):
// their action names, captions, tips, pictures and keys, in menu order.

#include "designer/ELDsgnrArrange.h"

#include <QKeySequence>
#include <QList>

#include <optional>

struct TArrangeCommand {
    const char* Name;
    const char* Caption;
    const char* Tip;
    int Image;
    QKeySequence Key;
    // Empty for Duplicate.
    std::optional<TArrangeKind> Kind;
};

// Every command, in the order of the menu: three horizontal alignments, three vertical, two
// distributions, three sizes and Duplicate.
const QList<TArrangeCommand>& ArrangeCommands();
