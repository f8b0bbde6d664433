// The simulator look of the design surface: each element drawn by the button renderer from the same
// fields its button packet carries, so the surface shows what the driver will see. Placeholders are
// drawn as written, highlighted, because they are only filled in when the layout is sent.

#include "layout/KvdUIElement.h"

#include "simview/KvdSimPaint.h"

#include <QApplication>
#include <QPainter>

namespace {

// One switch for every element of the process: the look is a view setting of the program, not of a layout.
bool g_simulatorLook = false;

// Design pixels per simulator unit.
constexpr qreal DesignScale = 2;

} // namespace

bool TKvdUIElement::SimulatorLook() {
    return g_simulatorLook;
}

void TKvdUIElement::SetSimulatorLook(bool on) {
    if (on == g_simulatorLook)
        return;
    g_simulatorLook = on;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        QList<TKvdUIElement*> elements = top->findChildren<TKvdUIElement*>();
        if (auto* self = qobject_cast<TKvdUIElement*>(top))
            elements.append(self);
        for (TKvdUIElement* e : std::as_const(elements)) {
            e->UpdateOpacity();
            e->update();
        }
    }
}

void TKvdUIElement::UpdateOpacity() {
    // Opaque elements spare Qt painting what lies under them; a transparent button in the simulator
    // look needs exactly that.
    setAttribute(Qt::WA_OpaquePaintEvent, !(g_simulatorLook && m_style == stTransparent));
}

void TKvdUIElement::PaintSimulatorLook(QPainter& painter) {
    TKvdSimButton button;
    button.ClickID = m_id;
    button.BStyle = EncodeBStyle();
    button.TypeIn = m_inputLength;
    button.Text = m_text;
    TKvdSimLook look;
    look.MarkPlaceholders = true;
    PaintSimButtonIn(painter, QRectF(0, 0, width(), height()), button, DesignScale, look);
}
