#include "designer/ELDsgnrHandles.h"

#include "core/DeferredError.h"
#include "core/Graphics.h"
#include "designer/ELDsgnrEngine.h"

#include <QMouseEvent>
#include <QPainter>

namespace {

Qt::CursorShape resizeCursor(int position) {
    switch (position) {
    case 0:
    case 4:
        return Qt::SizeFDiagCursor;
    case 1:
    case 5:
        return Qt::SizeVerCursor;
    case 2:
    case 6:
        return Qt::SizeBDiagCursor;
    default:
        return Qt::SizeHorCursor;
    }
}

} // namespace

// --- handle ------------------------------------------------------------------------------------------------

TDSelCtrlItemPoint::TDSelCtrlItemPoint(TDSelCtrlItem* item, int position)
    : QWidget(nullptr), m_item(item), m_position(position) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(5, 5);
}

void TDSelCtrlItemPoint::Refresh() {
    TControl* control = m_item->Control();
    QWidget* parent = control->parentWidget();
    const TDSelCtrlItemMode mode = m_item->Mode();
    const bool visible = mode == hmSingle || (mode == hmMulti && m_position % 2 == 0);
    if (!parent) {
        hide();
        return;
    }
    if (parentWidget() != parent) {
        if (!visible)
            return; // never placed, nothing to hide
        setParent(parent);
    }
    const int e = mode == hmSingle ? 2 : 0;
    const int l = control->Left(), t = control->Top(), w = control->Width(), h = control->Height();
    int top = 0, left = 0;
    switch (m_position) {
    case 0:
    case 1:
    case 2:
        top = t - e;
        break;
    case 3:
    case 7:
        top = t + h / 2 - 2;
        break;
    default:
        top = t + h - 5 + e;
        break;
    }
    switch (m_position) {
    case 0:
    case 6:
    case 7:
        left = l - e;
        break;
    case 1:
    case 5:
        left = l + w / 2 - 2;
        break;
    default:
        left = l + w - 5 + e;
        break;
    }
    setGeometry(left, top, 5, 5);

    TELDesignerSelectedControls* list = m_item->OwnerList();
    const TELCustomDesigner* d = list->Designer();
    const quint16 locks = control->DesignLocks();
    int border, fill;
    if (list->Focused()) {
        border = mode == hmSingle ? d->HandleBorderClr() : d->MultySelectHandleBorderClr();
        fill = mode == hmSingle ? d->HandleClr() : d->MultySelectHandleClr();
        if (locks & dlMove)
            fill = d->LockedHandleClr();
        if (locks & dlResize)
            border = d->LockedHandleClr();
    } else {
        border = mode == hmSingle ? d->InactiveHandleBorderClr() : d->MultySelectHandleBorderClr();
        fill = mode == hmSingle ? d->InactiveHandleClr() : d->MultySelectHandleClr();
    }
    m_border = Graphics::ColorToQColor(border);
    m_fill = Graphics::ColorToQColor(fill);

    if (mode == hmSingle && !(locks & dlResize))
        setCursor(resizeCursor(m_position));
    else
        setCursor(Qt::ArrowCursor);
    if (visible) {
        raise();
        show();
    } else {
        hide();
    }
    update();
}

void TDSelCtrlItemPoint::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), m_fill);
    painter.setPen(m_border);
    painter.drawRect(0, 0, width() - 1, height() - 1);
}

void TDSelCtrlItemPoint::mousePressEvent(QMouseEvent* event) {
    // Accepted in every case: a press on a corner mark must not reach the control under it.
    event->accept();
    if (event->button() != Qt::LeftButton || m_item->Mode() != hmSingle)
        return;
    m_item->SetPressedHandle(quint8(m_position));
    if (TDEng* engine = m_item->OwnerList()->Designer()->Engine()) {
        try {
            engine->HandlePointPress(m_item, event->globalPosition().toPoint());
        } catch (...) {
            RaiseDeferred(std::current_exception());
        }
    }
}

// --- selected control --------------------------------------------------------------------------------------

TDSelCtrlItem::TDSelCtrlItem(TELDesignerSelectedControls* owner, TControl* control)
    : m_owner(owner), m_control(control) {
    m_watch = QObject::connect(control, &TControl::Destroying, [owner](TControl* c) { owner->Remove(c); });
    owner->ItemAdded(this);
}

TDSelCtrlItem::~TDSelCtrlItem() {
    QObject::disconnect(m_watch);
    for (QPointer<TDSelCtrlItemPoint>& point : m_points)
        delete point.data();
    m_owner->ItemRemoved(this);
}

void TDSelCtrlItem::SetMode(TDSelCtrlItemMode mode) {
    if (mode == m_mode)
        return;
    m_mode = mode;
    Refresh();
}

void TDSelCtrlItem::Refresh() {
    for (int i = 0; i < 8; ++i) {
        // A handle is made the first time its mode shows it.
        const bool shown = m_mode == hmSingle || (m_mode == hmMulti && i % 2 == 0);
        if (!m_points[i] && shown)
            m_points[i] = new TDSelCtrlItemPoint(this, i);
        if (m_points[i])
            m_points[i]->Refresh();
    }
}
