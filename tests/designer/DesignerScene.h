#pragma once
// What the designer's tests and its benchmark both set up: a design panel in a window with a designer on a
// root control, and controls that paint a framed box and count their paint events.

#include "core/Control.h"
#include "designer/ELDsgnr.h"

#include <QPainter>
#include <QWidget>
#include <memory>

// Fills a control's rectangle and frames it; paints counts the paint events, so that a test or a benchmark
// can tell what repainted.
inline void PaintCountedBox(QWidget* control, int& paints, const QColor& fill, const QColor& frame) {
    ++paints;
    QPainter p(control);
    p.fillRect(control->rect(), fill);
    p.setPen(frame);
    p.drawRect(control->rect().adjusted(0, 0, -1, -1));
}

// A design panel at panelRect in window and a designer of root on it: a grid of 2 pixels that is not drawn,
// hints while sizing, moving and inserting. The panel belongs to the window.
inline std::unique_ptr<TELDesigner> NewDesignerOnPanel(QWidget* window, const QRect& panelRect,
                                                       TControl* root) {
    auto* panel = new TELDesignPanel;
    panel->SetParentControl(window);
    panel->SetBounds(panelRect.x(), panelRect.y(), panelRect.width(), panelRect.height());
    auto designer = std::make_unique<TELDesigner>();
    designer->SetDesignControl(root);
    designer->SetDesignPanel(panel);
    designer->Grid()->SetXStep(2);
    designer->Grid()->SetYStep(2);
    designer->Grid()->SetVisible(false);
    designer->SetShowingHints(htSize | htMove | htInsert);
    return designer;
}
