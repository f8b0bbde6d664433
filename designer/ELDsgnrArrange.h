#pragma once
// The arrange commands of a layout editor: align, space and size the selected controls of one container
// against the first selected one, and duplicate the selection. The geometry works on plain rectangles;
// the commands on the designer apply it to the selection through each control's SetBounds.

#include <QList>
#include <QRect>
#include <QSize>

class TControl;
class TELCustomDesigner;

enum class TArrangeKind {
    AlignLefts,
    AlignHorzCenters,
    AlignRights,
    AlignTops,
    AlignVertCenters,
    AlignBottoms,
    SpaceHorizontally,
    SpaceVertically,
    SameWidth,
    SameHeight,
    SameSize,
};

namespace ELDsgnrArrange {

// How many controls the command needs: two to align or size, three to space.
int MinimumCount(TArrangeKind kind);

// The rectangles after the command. The first rectangle is the reference of the align and size
// commands and never changes; spacing keeps the two outermost rectangles (by left or top edge) and
// spreads the others between them with equal gaps. Positions the command computes (centres, spaced
// positions) are rounded to multiples of step; edges taken from the reference are kept exactly.
QList<QRect> ArrangeRects(const QList<QRect>& rects, TArrangeKind kind, QSize step = QSize(1, 1));

// The selected controls the commands act on, in selection order and without the design control itself:
// empty unless they all have the same parent. A command is enabled while they are at least its minimum.
QList<TControl*> SelectedSiblings(const TELCustomDesigner* designer);

// Applies the command to the selected siblings. A control locked against moving keeps its position, one
// locked against resizing its size. Reports a modification when any bounds changed.
void Arrange(TELCustomDesigner* designer, TArrangeKind kind);

bool CanDuplicate(const TELCustomDesigner* designer);
// Copies the selected siblings (not those locked against copying) through the designer's component
// stream, without the clipboard, into the same container, one grid step right of and below their
// originals, and selects the copies.
void Duplicate(TELCustomDesigner* designer);

} // namespace ELDsgnrArrange
