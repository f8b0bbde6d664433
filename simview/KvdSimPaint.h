#pragma once
// Painting button records the way the simulator shows them on the driver's screen: a dark, light or
// transparent box, one line of text cut at the box's edges, clickable buttons framed and type-in
// buttons marked with an entry line. Everything is drawn at a scale of pixels per simulator unit.

#include "simview/KvdSimButton.h"

#include <QColor>
#include <QList>

class QPainter;

// The colours of the simulator's buttons, and whether "{name}" placeholders are to be highlighted
// (for layouts still to be filled in; the simulator itself never sees an unexpanded placeholder).
struct TKvdSimLook {
    QColor Screen{52, 58, 64};        // the screen behind the buttons
    QColor DarkBack{18, 20, 24};      // style byte 0x20
    QColor LightBack{196, 202, 210};  // style byte 0x10
    QColor TextOnDark{236, 238, 240}; // also on transparent buttons
    QColor TextOnLight{16, 18, 22};
    QColor TextShadow{0, 0, 0};      // under the text of transparent buttons
    QColor ClickFrame{250, 184, 36}; // the frame of clickable buttons
    QColor TypeInMark{72, 190, 255}; // the entry line of type-in buttons
    QColor PlaceholderBack{255, 221, 0};
    QColor PlaceholderText{0, 0, 0};
    bool MarkPlaceholders = false;
};

// The button at its place on the screen: its unit rectangle times scale.
void PaintSimButton(QPainter& painter, const TKvdSimButton& button, qreal scale,
                    const TKvdSimLook& look = TKvdSimLook());
// The button drawn into pixels instead of its own place (the design surface paints each element in
// its own widget); scale still sets the size of frame and marks.
void PaintSimButtonIn(QPainter& painter, const QRectF& pixels, const TKvdSimButton& button, qreal scale,
                      const TKvdSimLook& look = TKvdSimLook());
// How wide the button text is drawn into a box of that height, in pixels: one line, control characters as
// spaces, placeholders as written.
qreal SimTextWidth(const QString& text, qreal heightPixels);
// Where a text line of that width starts when the button is drawn into pixels, as its alignment places it
// (scale sets the padding of left and right aligned text). What lies outside pixels is cut.
qreal SimTextStart(const QRectF& pixels, const TKvdSimButton& button, qreal width, qreal scale);
// The whole button area, 200 x 200 units times scale from the painter's origin: the screen colour,
// then the buttons in order, later ones over earlier ones.
void PaintSimScreen(QPainter& painter, const QList<TKvdSimButton>& buttons, qreal scale,
                    const TKvdSimLook& look = TKvdSimLook());
