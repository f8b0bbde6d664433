#pragma once
// The layout text: the XML form of a whole layout. The same text is a saved .kvdui file, an undo
// snapshot and the payload of the live preview.
//
// <ui>
//   <element type="TKvdUIPanel" align="0" anchors="akLeft,akTop" rel_left="40" rel_top="60" width="250"
//            height="200" id="0" text="" typein="0" bstyle="32" left="40" top="60">
//     <element type="TKvdUIButton" ... />
//   </element>
// </ui>

#include "core/FileName.h"
#include "core/Types.h"

#include <QString>

class TControl;
class TKvdUIElement;
class QWidget;

// Size of the root control, in design pixels: the simulator screen as the builder shows it.
constexpr int LayoutSurfaceWidth = 400;
constexpr int LayoutSurfaceHeight = 400;

// Deepest nesting of elements the reader accepts; deeper documents are refused with a message instead of
// exhausting the stack.
constexpr int MaxLayoutDepth = 100;

// How deep the elements below control nest: 0 with none, 1 when none of them holds another.
int ElementDepth(const QWidget* control);

// Builds the layout text of the elements on the surface; saves it to fileName when that is not empty
// (replacing the file only once the new content is complete on disk). Returns the text. Saving raises
// Exception, and leaves the file alone, when the text is one the reader would refuse (nested more than
// MaxLayoutDepth levels, larger than MaxLayoutFileSize) or when the writer had to leave a character out.
QString WriteLayout(TControl* surface, const QString& fileName = QString());

// Creates the elements of a layout on the surface, from the file when fileName is not empty, else from
// xmlText (an empty text creates nothing). Raises Exception with the reader's message; elements created
// before a failure stay on the surface.
void ReadLayout(TControl* surface, const TFileName& fileName, const QString& xmlText = QString());

QString AnchorsToText(TAnchors anchors);
TAnchors TextToAnchors(const QString& text);
