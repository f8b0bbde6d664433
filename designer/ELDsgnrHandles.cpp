#include "designer/ELDsgnrHandles.h"

#include "core/DeferredError.h"
#include "core/Graphics.h"
#include "designer/ELDsgnrEngine.h"
#include "designer/ELDsgnrOverlay.h"

namespace {

Qt::CursorShape resizeCursor(THandlePosition position) {
    switch (position) {
    case THandlePosition::TopLeft:
    case THandlePosition::BottomRight:
        return Qt::SizeFDiagCursor;
    case THandlePosition::Top:
    case THandlePosition::Bottom:
        return Qt::SizeVerCursor;
    case THandlePosition::TopRight:
    case THandlePosition::BottomLeft:
        return Qt::SizeBDiagCursor;
    case THandlePosition::Right:
    case THandlePosition::Left:
        break;
    }
    return Qt::SizeHorCursor;
}

// One axis of a handle's place: at the dragged low edge, in the middle, or at the dragged high edge.
int handleOffset(bool low, bool high, int start, int length, int e) {
    if (low)
        return start - e;
    if (high)
        return start + length - 5 + e;
    return start + length / 2 - 2;
}

} // namespace

// --- selected control --------------------------------------------------------------------------------------

TDSelCtrlItem::TDSelCtrlItem(TELDesignerSelectedControls* owner, TControl* control)
    : m_owner(owner), m_control(control) {
    m_watch = QObject::connect(control, &TControl::Destroying, [owner](TControl* c) { owner->Remove(c); });
    owner->ItemAdded(this);
}

TDSelCtrlItem::~TDSelCtrlItem() {
    QObject::disconnect(m_watch);
    Invalidate(m_parent, m_rects, false);
    m_owner->ItemRemoved(this);
}

bool TDSelCtrlItem::HandleShown(THandlePosition position) const {
    return m_parent && (m_mode == hmSingle || (m_mode == hmMulti && IsCorner(position)));
}

Qt::CursorShape TDSelCtrlItem::HandleCursor(THandlePosition position) const {
    return m_mode == hmSingle && m_resizable ? resizeCursor(position) : Qt::ArrowCursor;
}

void TDSelCtrlItem::Invalidate(const QWidget* parent, const std::array<QRect, 8>& rects, bool shown) const {
    if (!parent || m_mode == hmNone)
        return;
    TDEng* engine = m_owner->Designer()->Engine();
    TDEngOverlay* overlay = engine ? engine->Overlay() : nullptr;
    if (!overlay)
        return;
    // Each handle on its own: the area around a control's corner marks is the whole control.
    const QRect extent =
        rects[quint8(THandlePosition::TopLeft)] | rects[quint8(THandlePosition::BottomRight)];
    for (THandlePosition position : AllHandlePositions)
        if (m_mode == hmSingle || IsCorner(position))
            overlay->Invalidate(parent, rects[quint8(position)], shown, extent);
}

void TDSelCtrlItem::SetMode(TDSelCtrlItemMode mode) {
    if (mode == m_mode)
        return;
    Invalidate(m_parent, m_rects, false);
    m_mode = mode;
    m_placed = false;
    Refresh();
}

void TDSelCtrlItem::Refresh() {
    const QPointer<QWidget> parentBefore = m_parent;
    const std::array<QRect, 8> rectsBefore = m_rects;
    const QColor borderBefore = m_border, fillBefore = m_fill;
    m_parent = m_control->parentWidget();
    const int e = m_mode == hmSingle ? 2 : 0;
    for (THandlePosition position : AllHandlePositions) {
        const THandleEdges edges = EdgesOf(position);
        m_rects[quint8(position)] =
            QRect(handleOffset(edges.Left, edges.Right, m_control->Left(), m_control->Width(), e),
                  handleOffset(edges.Top, edges.Bottom, m_control->Top(), m_control->Height(), e), 5, 5);
    }

    const TELDesignerSelectedControls* list = m_owner;
    const TELCustomDesigner* d = list->Designer();
    const quint16 locks = m_control->DesignLocks();
    int border, fill;
    if (list->Focused()) {
        border = m_mode == hmSingle ? d->HandleBorderClr() : d->MultySelectHandleBorderClr();
        fill = m_mode == hmSingle ? d->HandleClr() : d->MultySelectHandleClr();
        if (locks & dlMove)
            fill = d->LockedHandleClr();
        if (locks & dlResize)
            border = d->LockedHandleClr();
    } else {
        border = m_mode == hmSingle ? d->InactiveHandleBorderClr() : d->MultySelectHandleBorderClr();
        fill = m_mode == hmSingle ? d->InactiveHandleClr() : d->MultySelectHandleClr();
    }
    m_border = Graphics::ColorToQColor(border);
    m_fill = Graphics::ColorToQColor(fill);
    m_resizable = !(locks & dlResize);

    const bool changed = !m_placed || m_parent != parentBefore || m_rects != rectsBefore ||
                         m_border != borderBefore || m_fill != fillBefore;
    m_placed = true;
    if (changed) {
        Invalidate(parentBefore, rectsBefore, false);
        Invalidate(m_parent, m_rects, true);
    }
}
