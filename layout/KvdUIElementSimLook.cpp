// The simulator look of the design surface: each element drawn by the button renderer from the same
// fields its button packet carries, so the surface shows what the driver will see. Placeholders are
// drawn as written, highlighted, because they are only filled in when the layout is sent.

#include "layout/KvdUIElement.h"

#include "layout/KvdUIDocument.h"

#include "simview/KvdSimPaint.h"

#include <QPainter>

namespace {

// Design pixels per simulator unit.
constexpr qreal DesignScale = 2;

} // namespace

bool TKvdUIElement::SimulatorLook() const {
    // The document of the census, once the element is counted in one; else the owner's, if it has one.
    const TKvdUIDocument* document = m_document ? m_document : TKvdUIDocument::Of(Owner());
    return document && document->SimulatorLook();
}

void TKvdUIElement::UpdateOpacity() {
    // Opaque elements spare Qt painting what lies under them; a transparent button in the simulator
    // look needs exactly that.
    setAttribute(Qt::WA_OpaquePaintEvent, !(m_style == stTransparent && SimulatorLook()));
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
