// Drags: the common begin, move and end, the snapping of the pointer, the four feedback callbacks
// (move, resize, rubber band, insertion) and the overlay they draw on.

#include "designer/ELDsgnrEngine.h"

#include "designer/ELDsgnrHandles.h"

#include <QApplication>
#include <QCursor>
#include <QPaintEvent>
#include <QPainter>
#include <climits>
#include <cmath>

namespace {

struct TMoveState : TDDragState {
    struct Entry {
        TDRect Bounds;
        QPointer<TControl> Control;
    };
    QList<Entry> Entries;
    QPoint Start;
    QPoint Offset;
    int MinLeft = INT_MAX;
    int MinTop = INT_MAX;
};

struct TResizeState : TDDragState {
    QPointer<TControl> Control;
    int Handle = 0;
    QPoint Start;
    QPoint Offset;
    // The control's bounds with the offset added to the edges the handle drags.
    TDRect NewRect() const {
        TDRect r = TDRect::FromQRect(Control->BoundsRect());
        if (Handle == 0 || Handle == 6 || Handle == 7)
            r.left += Offset.x();
        if (Handle == 0 || Handle == 1 || Handle == 2)
            r.top += Offset.y();
        if (Handle == 2 || Handle == 3 || Handle == 4)
            r.right += Offset.x();
        if (Handle == 4 || Handle == 5 || Handle == 6)
            r.bottom += Offset.y();
        return r.Normalized();
    }
};

struct TBandState : TDDragState {
    QPoint Current;
    QPoint Start;
    TDRect Band() const {
        return {std::min(Current.x(), Start.x()), std::min(Current.y(), Start.y()),
                std::max(Current.x(), Start.x()), std::max(Current.y(), Start.y())};
    }
};

struct TInsertState : TDDragState {
    QPoint Start;
    QPoint Offset;
    bool Drawn = false;
    TDRect Rect() const {
        TDRect r = TDRect{Start.x(), Start.y(), Start.x() + Offset.x(), Start.y() + Offset.y()}.Normalized();
        ++r.right;
        ++r.bottom;
        return r;
    }
};

TDRect shifted(const TDRect& r, const QPoint& offset) {
    return {r.left + offset.x(), r.top + offset.y(), r.right + offset.x(), r.bottom + offset.y()};
}

QString sizeText(const TDRect& r) {
    return QStringLiteral("%1 x %2").arg(r.right - r.left).arg(r.bottom - r.top);
}

} // namespace

TDRect TDRect::Normalized() const {
    return {std::min(left, right), std::min(top, bottom), std::max(left, right), std::max(top, bottom)};
}

// --- overlay -----------------------------------------------------------------------------------------------

TDEngCanvas::TDEngCanvas(QWidget* container) : QWidget(nullptr) {
    // The picture under the overlay, as the window shows it now (the controls paint once, here).
    QWidget* window = container->window();
    const QRect area(container->mapTo(window, QPoint(0, 0)), container->size());
    m_snapshot = window->grab(area);
    setParent(container);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setGeometry(container->rect());
    raise();
    show();
}

void TDEngCanvas::DrawOutline(const TDRect& rect) {
    Toggle({rect, false});
}

void TDEngCanvas::DrawBand(const TDRect& rect) {
    Toggle({rect, true});
}

void TDEngCanvas::Toggle(const Figure& figure) {
    const qsizetype index = m_figures.indexOf(figure);
    if (index >= 0)
        m_figures.removeAt(index);
    else
        m_figures.append(figure);
    update(Extent(figure));
}

QRect TDEngCanvas::Extent(const Figure& figure) {
    return figure.Rect.Normalized().ToQRect().adjusted(-2, -2, 2, 2);
}

void TDEngCanvas::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.setClipRegion(event->region());
    painter.drawPixmap(0, 0, m_snapshot);
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    painter.setBrush(Qt::NoBrush);
    for (const Figure& f : m_figures) {
        const TDRect r = f.Rect;
        if (f.Band) {
            painter.setPen(QPen(QColor(255, 255, 255), 1, Qt::DotLine));
            painter.drawRect(QRect(r.left, r.top, r.right - r.left, r.bottom - r.top));
        } else {
            // A 2-pixel frame just inside the control's bounds.
            painter.setPen(QPen(QColor(128, 128, 128), 2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
            painter.drawRect(QRectF(r.left + 1, r.top + 1, r.right - r.left - 2, r.bottom - r.top - 2));
        }
    }
}

// --- drag frame --------------------------------------------------------------------------------------------

void TDEng::BeginDrag(QWidget* container, bool snap, bool lockX, bool alignStart, bool lockY,
                      TDragCallback callback, const QPoint& globalPos) {
    m_hint->Hide();
    QCoreApplication::sendPostedEvents(m_surface->window(), QEvent::UpdateRequest);
    m_canvas = new TDEngCanvas(container);
    m_dragContainer = container;
    m_dragCallback = callback;
    m_snap = snap;
    m_lockX = lockX;
    m_lockY = lockY;
    const QRect containerArea(container->mapToGlobal(QPoint(0, 0)), container->size());
    const QRect surfaceArea(m_surface->mapToGlobal(QPoint(0, 0)), m_surface->size());
    m_confine = containerArea & surfaceArea;
    m_startPoint = globalPos;
    if (alignStart && m_designer->SnapToGrid()) {
        const auto* form = qobject_cast<TDPForm*>(m_surface);
        const int sx = form ? form->ScrollX() : 0;
        const int sy = form ? form->ScrollY() : 0;
        QPoint p = m_surface->mapFromGlobal(m_startPoint);
        p.setX((sx + p.x()) / m_grid->XStep() * m_grid->XStep() - sx);
        p.setY((sy + p.y()) / m_grid->YStep() * m_grid->YStep() - sy);
        m_startPoint = m_surface->mapToGlobal(p);
    }
    m_startPoint = SnapPoint(globalPos);
    try {
        m_root->grabMouse();
        m_lastPoint = m_startPoint;
        m_dragState = (this->*callback)(nullptr, dpBegin, m_startPoint);
    } catch (...) {
        if (QWidget::mouseGrabber() == m_root)
            m_root->releaseMouse();
        m_confine = QRect();
        delete m_canvas.data();
        m_canvas = nullptr;
        m_dragContainer = nullptr;
        throw;
    }
    m_dragging = true;
}

QPoint TDEng::SnapPoint(const QPoint& raw) const {
    QPoint p = raw;
    if (!m_confine.isEmpty()) {
        p.setX(std::clamp(p.x(), m_confine.left(), m_confine.right()));
        p.setY(std::clamp(p.y(), m_confine.top(), m_confine.bottom()));
    }
    const bool snapping = m_snap && m_designer->SnapToGrid();
    // Steps are counted from the drag start; a half step goes to the even neighbour.
    auto axis = [&](int pos, int start, int step, bool locked) {
        if (locked)
            return start;
        if (snapping)
            return start + step * int(std::nearbyint(double(pos - start) / step));
        return pos;
    };
    return {axis(p.x(), m_startPoint.x(), m_grid->XStep(), m_lockX),
            axis(p.y(), m_startPoint.y(), m_grid->YStep(), m_lockY)};
}

void TDEng::DragTo(const QPoint& globalPos) {
    if (!m_confine.isEmpty() && !m_confine.contains(globalPos) &&
        QGuiApplication::platformName() != QLatin1String("offscreen")) {
        // Keep the real pointer inside the allowed area too.
        QCursor::setPos(std::clamp(globalPos.x(), m_confine.left(), m_confine.right()),
                        std::clamp(globalPos.y(), m_confine.top(), m_confine.bottom()));
    }
    const QPoint p = SnapPoint(globalPos);
    if (p == m_lastPoint)
        return;
    m_dragState = (this->*m_dragCallback)(m_dragState, dpMove, p);
    m_lastPoint = p;
}

void TDEng::EndDrag(bool commit, const QPoint& globalPos) {
    m_dragging = false;
    TDDragState* state = std::exchange(m_dragState, nullptr);
    auto cleanUp = [this] {
        if (QWidget::mouseGrabber() == m_root)
            m_root->releaseMouse();
        m_confine = QRect();
        delete m_canvas.data();
        m_canvas = nullptr;
        m_dragContainer = nullptr;
    };
    try {
        const QPoint p = SnapPoint(globalPos);
        (this->*m_dragCallback)(state, commit ? dpCommit : dpCancel, p);
    } catch (...) {
        cleanUp();
        throw;
    }
    cleanUp();
}

void TDEng::CancelDrag() {
    if (!m_dragging)
        return;
    EndDrag(false, m_lastPoint);
    m_selection->SetHandlesVisible(true);
}

QPoint TDEng::ToContainer(const QPoint& globalPos) const {
    return m_dragContainer ? m_dragContainer->mapFromGlobal(globalPos) : globalPos;
}

void TDEng::DrawOutline(const TDRect& rect) {
    if (m_canvas)
        m_canvas->DrawOutline(rect);
}

void TDEng::DrawBand(const TDRect& rect) {
    if (m_canvas)
        m_canvas->DrawBand(rect);
}

void TDEng::ShowDragHint(const QString& text) {
    m_hint->SetCaption(text);
    m_hint->Show(false, false, nullptr, false);
}

// --- callbacks ---------------------------------------------------------------------------------------------

TDDragState* TDEng::MoveCallback(TDDragState* state, TDragPhase phase, const QPoint& pos) {
    const QPoint cp = ToContainer(pos);
    auto* s = static_cast<TMoveState*>(state);
    auto draw = [&](const QPoint& offset) {
        for (const TMoveState::Entry& e : s->Entries)
            if (e.Control && !(e.Control->DesignLocks() & dlMove))
                DrawOutline(shifted(e.Bounds, offset));
    };
    auto hint = [&] {
        if (m_designer->ShowingHints() & htMove)
            ShowDragHint(
                QStringLiteral("%1, %2").arg(s->MinLeft + s->Offset.x()).arg(s->MinTop + s->Offset.y()));
    };
    switch (phase) {
    case dpBegin: {
        s = new TMoveState;
        for (int i = 0; i < m_selection->Count(); ++i) {
            TControl* c = m_selection->Items(i);
            s->Entries.append({TDRect::FromQRect(c->BoundsRect()), c});
            s->MinLeft = std::min(s->MinLeft, c->Left());
            s->MinTop = std::min(s->MinTop, c->Top());
        }
        s->Start = cp;
        s->Offset = cp - s->Start;
        draw(s->Offset);
        hint();
        return s;
    }
    case dpMove:
        m_hint->Hide();
        draw(s->Offset);
        s->Offset = cp - s->Start;
        draw(s->Offset);
        hint();
        return s;
    case dpCommit: {
        std::unique_ptr<TMoveState> owned(s);
        m_hint->Hide();
        draw(s->Offset);
        const QPoint offset = cp - s->Start;
        if (offset != QPoint(0, 0)) {
            for (const TMoveState::Entry& e : s->Entries)
                if (e.Control && !(e.Control->DesignLocks() & dlMove))
                    e.Control->SetBounds(e.Bounds.left + offset.x(), e.Bounds.top + offset.y(),
                                         e.Bounds.right - e.Bounds.left, e.Bounds.bottom - e.Bounds.top);
            NotifyModified();
        }
        return nullptr;
    }
    case dpCancel: {
        std::unique_ptr<TMoveState> owned(s);
        m_hint->Hide();
        draw(s->Offset);
        return nullptr;
    }
    }
    return state;
}

TDDragState* TDEng::ResizeCallback(TDDragState* state, TDragPhase phase, const QPoint& pos) {
    const QPoint cp = ToContainer(pos);
    auto* s = static_cast<TResizeState*>(state);
    auto hint = [&] {
        if (m_designer->ShowingHints() & htSize)
            ShowDragHint(sizeText(s->NewRect()));
    };
    switch (phase) {
    case dpBegin: {
        s = new TResizeState;
        s->Control = m_selection->LastSelected();
        TDSelCtrlItem* item = m_selection->ItemOf(s->Control);
        s->Handle = item ? item->PressedHandle() : 4;
        s->Start = cp;
        DrawOutline(s->NewRect());
        hint();
        return s;
    }
    case dpMove:
        if (!s->Control)
            return s;
        m_hint->Hide();
        DrawOutline(s->NewRect());
        s->Offset = cp - s->Start;
        DrawOutline(s->NewRect());
        hint();
        return s;
    case dpCommit: {
        std::unique_ptr<TResizeState> owned(s);
        m_hint->Hide();
        if (!s->Control)
            return nullptr;
        DrawOutline(s->NewRect());
        s->Offset = cp - s->Start;
        const TDRect r = s->NewRect();
        if (r != TDRect::FromQRect(s->Control->BoundsRect())) {
            s->Control->SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
            s->Control->repaint();
            NotifyModified();
        }
        return nullptr;
    }
    case dpCancel: {
        std::unique_ptr<TResizeState> owned(s);
        m_hint->Hide();
        if (s->Control)
            DrawOutline(s->NewRect());
        return nullptr;
    }
    }
    return state;
}

TDDragState* TDEng::BandCallback(TDDragState* state, TDragPhase phase, const QPoint& pos) {
    const QPoint cp = ToContainer(pos);
    auto* s = static_cast<TBandState*>(state);
    switch (phase) {
    case dpBegin:
        s = new TBandState;
        s->Current = s->Start = cp;
        DrawBand(s->Band());
        return s;
    case dpMove:
        DrawBand(s->Band());
        s->Current = cp;
        DrawBand(s->Band());
        return s;
    case dpCommit: {
        std::unique_ptr<TBandState> owned(s);
        DrawBand(s->Band());
        s->Current = cp;
        const TDRect band = s->Band();
        auto* container = qobject_cast<TControl*>(m_dragContainer.data());
        m_selection->Batch([&] {
            if (container)
                for (TControl* c : container->ChildControls()) {
                    if (!IsDesignedControl(c))
                        continue;
                    const TDRect r = TDRect::FromQRect(c->BoundsRect());
                    if (r.right < band.left || r.left > band.right || r.bottom < band.top ||
                        r.top > band.bottom)
                        continue;
                    m_selection->Add(c);
                }
            if (m_selection->Count() > 1)
                m_selection->Remove(m_root);
        });
        return nullptr;
    }
    case dpCancel: {
        std::unique_ptr<TBandState> owned(s);
        DrawBand(s->Band());
        return nullptr;
    }
    }
    return state;
}

TDDragState* TDEng::InsertCallback(TDDragState* state, TDragPhase phase, const QPoint& pos) {
    const QPoint cp = ToContainer(pos);
    auto* s = static_cast<TInsertState*>(state);
    switch (phase) {
    case dpBegin:
        s = new TInsertState;
        s->Start = cp;
        return s;
    case dpMove:
        m_hint->Hide();
        if (s->Drawn)
            DrawOutline(s->Rect());
        s->Offset = cp - s->Start;
        DrawOutline(s->Rect());
        s->Drawn = true;
        if (m_designer->ShowingHints() & htInsert)
            ShowDragHint(sizeText(s->Rect()));
        return s;
    case dpCancel: {
        std::unique_ptr<TInsertState> owned(s);
        m_hint->Hide();
        if (s->Drawn)
            DrawOutline(s->Rect());
        return nullptr;
    }
    case dpCommit: {
        std::unique_ptr<TInsertState> owned(s);
        m_hint->Hide();
        if (s->Drawn)
            DrawOutline(s->Rect());
        s->Offset = cp - s->Start;
        const TDRect r = s->Rect();
        TControl* container = m_insertContainer;
        if (!container || !m_insertClass)
            return nullptr; // the container went away during the drag
        TControl* c = m_insertClass->Create(m_root);
        try {
            const int w = r.right - r.left, h = r.bottom - r.top;
            if (w >= 2 || h >= 2)
                c->SetBounds(r.left, r.top, w, h);
            else
                c->SetBounds(r.left, r.top, c->Width(), c->Height());
            c->SetName(MakeUniqueName(QString::fromLatin1(c->metaObject()->className())));
            c->SetParentControl(container);
        } catch (...) {
            delete c;
            throw;
        }
        m_selection->SelectOnly(c);
        m_designer->DoControlInserted();
        NotifyModified();
        return nullptr;
    }
    }
    return state;
}
