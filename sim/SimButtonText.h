#pragma once
// A button's text laid out once for a scale: only the glyphs that show inside the button, placed where
// the simulator renderer puts them (font, alignment, padding, baseline), so that repainting a button
// draws a handful of glyphs instead of shaping its whole text again. Box, frame and marks are left to
// the renderer (PaintSimButton of the button without its text); the text goes on top, as there.

#include "simview/KvdSimPaint.h"

#include <QColor>
#include <QGlyphRun>
#include <QList>

struct TSimButtonText {
    qreal Scale = 0;       // the scale it was laid out for; 0 when not laid out yet
    QList<QGlyphRun> Runs; // glyph positions relative to the button's top-left pixel
    QColor Color;
    QColor ShadowColor;
    qreal Shadow = 0; // offset of the shadow under the text of a transparent button; 0 for none

    static TSimButtonText LayOut(const TKvdSimButton& button, qreal scale,
                                 const TKvdSimLook& look = TKvdSimLook());
    // Draws into pixels (the button's rectangle at the scale it was laid out for), clipped to it.
    void Paint(QPainter& painter, const QRectF& pixels) const;
};
