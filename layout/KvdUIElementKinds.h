#pragma once
// The table of element kinds: one entry per kind of layout element with what the layout knows of it: its
// class, its caption, its default size and the properties the inspector shows. The main window builds its
// insertion tools, their tool bar and context-menu entries and the inspector filter from this table (their
// pictures are its own); the layout reader and the clipboard create elements through the class registry,
// which RegisterElementClasses fills from it.

#include "core/ClassRegistry.h"

#include <QList>
#include <QSize>
#include <QStringList>

class QMetaObject;
class QObject;

struct TKvdUIElementKind {
    // Name, meta-object and factory; the name is the class name stored in layout files.
    TControlClass Class;
    // What the user reads: "Panel" gives the tool's caption and hint "Add Panel".
    QString Caption;
    QSize DefaultSize;
    // The published properties the inspector lists for elements of this kind.
    QStringList ShownProperties;
};

// Every kind, in the order of the tool bar.
const QList<TKvdUIElementKind>& ElementKinds();
// The kind of an element (exact class); nullptr for anything else, such as the root control.
const TKvdUIElementKind* ElementKindOf(const QObject* object);
const TKvdUIElementKind* ElementKindOf(const QMetaObject* metaObject);
// The kind registered under a class name; nullptr when there is none.
const TKvdUIElementKind* ElementKindNamed(const QString& className);
