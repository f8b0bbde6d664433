#include "designer/ELDsgnrHandles.h"

#include "core/DeferredError.h"
#include "core/Graphics.h"
#include "designer/ELDsgnrEngine.h"
#include "designer/ELDsgnrLens.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>

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

// --- batch -----------------------------------------------------------------------------------------------

THandleBatch::~THandleBatch() {
    for (Area& area : m_areas)
        if (area.Container) // else the freed handles went with it
            Repaint(area);
    if (m_grabber)
        m_grabber->releaseMouse();
}

void THandleBatch::Repaint(Area& area) {
    QList<Spot> spots = std::move(area.Shown);
    for (const QPointer<TDSelCtrlItemPoint>& h : std::as_const(area.Freed)) {
        if (!h)
            continue;
        if (h->isVisible())
            spots.append(SpotOf(h));
        TDLens::FreeQuietly(h);
    }
    // A drag's overlay over the container repaints all of it when it goes.
    if (area.Container->findChild<TDEngCanvas*>(QString(), Qt::FindDirectChildrenOnly))
        return;
    // Handles lie in rows: a band holds the highest control left and every one that reaches into it, so
    // that a control with marks at its top and bottom paints once.
    std::sort(spots.begin(), spots.end(), [](const Spot& a, const Spot& b) {
        return std::pair(a.Extent.top(), a.Extent.left()) < std::pair(b.Extent.top(), b.Extent.left());
    });
    QList<QRegion> bands;
    qsizetype next = 0;
    while (next < spots.size()) {
        QList<QRect> rects{spots.at(next).Rect};
        int bottom = spots.at(next++).Extent.bottom();
        while (next < spots.size() && spots.at(next).Extent.top() <= bottom) {
            bottom = std::max(bottom, spots.at(next).Extent.bottom());
            rects.append(spots.at(next++).Rect);
        }
        // In reading order each mark extends the region at its end, which QRegion does without a merge.
        std::sort(rects.begin(), rects.end(), [](const QRect& a, const QRect& b) {
            return std::pair(a.top(), a.left()) < std::pair(b.top(), b.left());
        });
        QRegion band;
        for (const QRect& r : std::as_const(rects))
            band += r;
        bands.append(band);
    }
    TDLens::Repaint(area.Container, std::move(bands));
}

THandleBatch::Spot THandleBatch::SpotOf(const TDSelCtrlItemPoint* handle) {
    return {handle->geometry(), handle->geometry() | handle->ControlRect()};
}

THandleBatch::Area& THandleBatch::AreaOf(QWidget* container) {
    auto it =
        std::find_if(m_areas.begin(), m_areas.end(), [&](const Area& a) { return a.Container == container; });
    if (it != m_areas.end())
        return *it;
    m_areas.append({container, {}, {}, {}, false});
    return m_areas.last();
}

void THandleBatch::Free(TDSelCtrlItemPoint* handle) {
    AreaOf(handle->parentWidget()).Freed.append(handle);
    HoldPointer();
}

void THandleBatch::Showing(const TDSelCtrlItemPoint* handle, bool passive) {
    AreaOf(handle->parentWidget()).Shown.append(SpotOf(handle));
    if (passive)
        HoldPointer();
}

void THandleBatch::HoldPointer() {
    if (!m_grabber && !QWidget::mouseGrabber() && !QApplication::activePopupWidget()) {
        m_grabber = std::make_unique<QWidget>();
        m_grabber->grabMouse();
    }
}

void THandleBatch::Raise(QWidget* handle, bool always) {
    QWidget* container = handle->parentWidget();
    Area& area = AreaOf(container);
    const QObjectList& children = container->children();
    if (!area.TopKnown) {
        for (qsizetype i = children.size() - 1; i >= 0; --i) {
            const QObject* child = children.at(i);
            if (!child->isWidgetType())
                continue;
            if (!qobject_cast<const TDSelCtrlItemPoint*>(child))
                break;
            area.Top.insert(child);
        }
        area.TopKnown = true;
    }
    // A handle placed on its container last is on top already.
    const bool onTop = area.Top.contains(handle) || children.last() == handle;
    if (always || !onTop)
        handle->raise();
    area.Top.insert(handle);
}

// --- handle ------------------------------------------------------------------------------------------------

TDSelCtrlItemPoint::TDSelCtrlItemPoint(TDSelCtrlItem* item, THandlePosition position, QWidget* container)
    : QWidget(container), m_item(item), m_position(position) {
    // Not marked opaque although it paints every pixel: opaque children cut holes into the region their
    // parent repaints, and with thousands of handles that region becomes too costly to compute.
    resize(5, 5);
}

void TDSelCtrlItemPoint::Refresh(THandleBatch& batch) {
    TControl* control = m_item->Control();
    QWidget* parent = control->parentWidget();
    const TDSelCtrlItemMode mode = m_item->Mode();
    const bool visible = mode == hmSingle || (mode == hmMulti && IsCorner(m_position));
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
    const THandleEdges edges = EdgesOf(m_position);
    setGeometry(handleOffset(edges.Left, edges.Right, control->Left(), control->Width(), e),
                handleOffset(edges.Top, edges.Bottom, control->Top(), control->Height(), e), 5, 5);
    m_controlRect = control->geometry();

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
    const QColor newBorder = Graphics::ColorToQColor(border);
    const QColor newFill = Graphics::ColorToQColor(fill);
    const bool recoloured = newBorder != m_border || newFill != m_fill;
    m_border = newBorder;
    m_fill = newFill;

    const Qt::CursorShape shape =
        mode == hmSingle && !(locks & dlResize) ? resizeCursor(m_position) : Qt::ArrowCursor;
    if (!testAttribute(Qt::WA_SetCursor) || cursor().shape() != shape)
        setCursor(shape);
    if (!visible) {
        hide();
        return;
    }
    const bool wasShown = !isHidden();
    batch.Raise(this, mode == hmSingle);
    if (!wasShown) {
        batch.Showing(this, mode == hmMulti);
        show();
    } else if (recoloured) {
        update();
    }
}

bool TDSelCtrlItemPoint::event(QEvent* event) {
    // The repaint that showing asks for; the batch that showed the handle repaints its area.
    if (event->type() == QEvent::UpdateLater)
        return true;
    return QWidget::event(event);
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
    if (!m_item || event->button() != Qt::LeftButton || m_item->Mode() != hmSingle)
        return;
    m_item->SetPressedHandle(m_position);
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
        if (point) {
            point->Orphan();
            m_owner->Discard(point);
        }
    m_owner->ItemRemoved(this);
}

void TDSelCtrlItem::SetMode(TDSelCtrlItemMode mode) {
    THandleBatch batch;
    SetMode(mode, batch);
}

void TDSelCtrlItem::SetMode(TDSelCtrlItemMode mode, THandleBatch& batch) {
    if (mode == m_mode)
        return;
    m_mode = mode;
    Refresh(batch);
}

void TDSelCtrlItem::Refresh() {
    THandleBatch batch;
    Refresh(batch);
}

void TDSelCtrlItem::Refresh(THandleBatch& batch) {
    for (THandlePosition position : AllHandlePositions) {
        QPointer<TDSelCtrlItemPoint>& point = m_points[quint8(position)];
        // A handle is made the first time its mode shows it.
        const bool shown = m_mode == hmSingle || (m_mode == hmMulti && IsCorner(position));
        if (!point && shown)
            point = new TDSelCtrlItemPoint(this, position, m_control->parentWidget());
        if (point)
            point->Refresh(batch);
    }
}
