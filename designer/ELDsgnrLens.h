#pragma once
// Repainting parts of a design surface cheaply. Qt leaves out of a container's repaint what its opaque
// children cover, so handles lying on their controls would not be repainted with it, and marking each
// control instead costs a walk over every sibling above it. And Qt repaints an area in one pass over the
// children that cross it, taking each opaque child out of the region left for the children below it: over
// many controls that region gets a hole per control and the pass costs the square of their number.
// A lens is a transparent widget laid over the container for the moment: the window repaints what lies
// under it in stacking order, controls first and handles above them, one band of the area at a time.

#include <QList>
#include <QRect>
#include <QRegion>

class QWidget;

namespace TDLens {

// Repaints each band (container coordinates) in turn, from the event loop as a widget's own update would
// be, once the caller's changes are done; nothing happens if the container is gone or hidden by then.
void Repaint(QWidget* container, QList<QRegion> bands);
// Repaints an area of a container in horizontal strips that cross about 128 children each.
void RepaintArea(QWidget* container, const QRect& area);
// The height of such strips for an area with a number of children.
int StripHeight(int areaHeight, qsizetype children);
// Frees a child without marking its area for repainting: it leaves hidden while it takes no updates and
// with an empty geometry. The caller repaints the area.
void FreeQuietly(QWidget* child);

} // namespace TDLens
