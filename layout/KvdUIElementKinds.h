#pragma once
// The table of element kinds: one entry per kind of layout element with everything the program needs to
// offer it as a tool, create it by class name, show it in the element tree and filter the inspector.
// The main window builds its insertion tools, their tool bar and context-menu entries and the tree
// images from this table; the layout reader and the clipboard create elements through the class
// registry, which RegisterElementClasses fills from it.

#include "core/ClassRegistry.h"

#include <QList>
#include <QSize>
#include <QStringList>

class QMetaObject;
class QObject;
class QPainter;

struct TKvdUIElementKind {
    // Name, meta-object and factory; the name is the class name stored in layout files.
    TControlClass Class;
    // What the user reads: "Panel" gives the tool's caption and hint "Add Panel".
    QString Caption;
    // Object name of the insertion tool action.
    QString ToolAction;
    QSize DefaultSize;
    // The published properties the inspector lists for elements of this kind.
    QStringList ShownProperties;
    // Draws the 16 x 16 picture of the tool button and of the element's tree node.
    void (*PaintIcon)(QPainter& painter) = nullptr;
};

// Every kind, in the order of the tool bar.
const QList<TKvdUIElementKind>& ElementKinds();
// The kind of an element (exact class); nullptr for anything else, such as the root control.
const TKvdUIElementKind* ElementKindOf(const QObject* object);
const TKvdUIElementKind* ElementKindOf(const QMetaObject* metaObject);
// The kind registered under a class name; nullptr when there is none.
const TKvdUIElementKind* ElementKindNamed(const QString& className);
