// Drags: the common frame (figures on the overlay, grab, confinement, snapping) and the four kinds (move,
// resize, rubber band, insertion).

#include "designer/ELDsgnrDrag.h"

#include <QApplication>
#include <QCursor>
#include <cmath>
#include <memory>

namespace {

TDRect shifted(const TDRect& r, const QPoint& offset) {
    return {r.left + offset.x(), r.top + offset.y(), r.right + offset.x(), r.bottom + offset.y()};
}

QString sizeText(const TDRect& r) {
    return QStringLiteral("%1 x %2").arg(r.right - r.left).arg(r.bottom - r.top);
}

} // namespace

// --- drag frame --------------------------------------------------------------------------------------------

TDEng::TDrag::TDrag(TDEng& engine, QWidget* container, const TDragOptions& options)
    : m_eng(engine), m_options(options), m_container(container) {
    m_eng.m_hint->Hide();
}

TDEng::TDrag::~TDrag() {
    if (QWidget::mouseGrabber() == m_eng.m_root)
        m_eng.m_root->releaseMouse();
    if (m_drawing && m_eng.m_overlay)
        m_eng.m_overlay->EndFigures();
}

void TDEng::TDrag::Begin(const QPoint& globalPos) {
    TControl* surface = m_eng.m_surface;
    const QRect containerArea(m_container->mapToGlobal(QPoint(0, 0)), m_container->size());
    const QRect surfaceArea(surface->mapToGlobal(QPoint(0, 0)), surface->size());
    m_confine = containerArea & surfaceArea;
    m_startPoint = globalPos;
    if (m_options.AlignStart && m_eng.m_designer->SnapToGrid()) {
        const auto* form = qobject_cast<TDPForm*>(surface);
        const int sx = form ? form->ScrollX() : 0;
        const int sy = form ? form->ScrollY() : 0;
        const TELDesignerGrid* grid = m_eng.m_grid;
        QPoint p = surface->mapFromGlobal(m_startPoint);
        p.setX((sx + p.x()) / grid->XStep() * grid->XStep() - sx);
        p.setY((sy + p.y()) / grid->YStep() * grid->YStep() - sy);
        m_startPoint = surface->mapToGlobal(p);
    }
    // Snapping counts from the aligned point, so the start lands on the grid nearest the pointer.
    m_startPoint = SnapPoint(globalPos);
    m_eng.m_root->grabMouse();
    m_lastPoint = m_startPoint;
    m_startPos = ToContainer(m_startPoint);
    Show(m_startPos);
}

void TDEng::TDrag::Move(const QPoint& globalPos) {
    if (!m_confine.isEmpty() && !m_confine.contains(globalPos) &&
        QGuiApplication::platformName() != QLatin1String("offscreen")) {
        // Keep the real pointer inside the allowed area too.
        QCursor::setPos(std::clamp(globalPos.x(), m_confine.left(), m_confine.right()),
                        std::clamp(globalPos.y(), m_confine.top(), m_confine.bottom()));
    }
    const QPoint p = SnapPoint(globalPos);
    if (p == m_lastPoint)
        return;
    m_pointerMoved = true;
    m_eng.m_hint->Hide();
    Show(ToContainer(p));
    m_lastPoint = p;
}

void TDEng::TDrag::Commit(const QPoint& globalPos) {
    m_eng.m_hint->Hide();
    Erase();
    Committed(ToContainer(SnapPoint(globalPos)));
}

void TDEng::TDrag::Cancel() {
    m_eng.m_hint->Hide();
    Erase();
}

void TDEng::TDrag::Show(const QPoint& pos) {
    const QList<TFigure> figures = Figures(pos);
    TDEngOverlay* overlay = m_eng.m_overlay;
    // A press that draws nothing (a click that only clears the selection) pays nothing for the figures.
    if (overlay && (m_drawing || !figures.isEmpty())) {
        if (!m_drawing && UsesPicture())
            overlay->TakePicture();
        m_drawing = true;
        overlay->SetFigures(m_container, figures);
    }
    const QString text = HintText(pos);
    if (!text.isEmpty())
        m_eng.ShowDragHint(text);
}

void TDEng::TDrag::Erase() {
    if (m_drawing && m_eng.m_overlay)
        m_eng.m_overlay->SetFigures(m_container, {});
}

QPoint TDEng::TDrag::SnapPoint(const QPoint& raw) const {
    QPoint p = raw;
    if (!m_confine.isEmpty()) {
        p.setX(std::clamp(p.x(), m_confine.left(), m_confine.right()));
        p.setY(std::clamp(p.y(), m_confine.top(), m_confine.bottom()));
    }
    const bool snapping = m_options.Snap && m_eng.m_designer->SnapToGrid();
    // Steps are counted from the drag start; a half step goes to the even neighbour.
    auto axis = [&](int pos, int start, int step, bool locked) {
        if (locked)
            return start;
        if (snapping)
            return start + step * int(std::nearbyint(double(pos - start) / step));
        return pos;
    };
    return {axis(p.x(), m_startPoint.x(), m_eng.m_grid->XStep(), m_options.LockX),
            axis(p.y(), m_startPoint.y(), m_eng.m_grid->YStep(), m_options.LockY)};
}

QPoint TDEng::TDrag::ToContainer(const QPoint& globalPos) const {
    return m_container ? m_container->mapFromGlobal(globalPos) : globalPos;
}

// --- the engine's side -------------------------------------------------------------------------------------

void TDEng::BeginDrag(std::unique_ptr<TDrag> drag, const QPoint& globalPos) {
    drag->Begin(globalPos); // a drag that fails to begin cleans up as it goes
    m_drag = std::move(drag);
}

void TDEng::EndDrag(bool commit, const QPoint& globalPos) {
    // The engine is no longer dragging while the drag ends, also when ending it fails.
    const std::unique_ptr<TDrag> drag = std::move(m_drag);
    if (commit)
        drag->Commit(globalPos);
    else
        drag->Cancel();
}

void TDEng::CancelDrag() {
    if (!m_drag)
        return;
    EndDrag(false, QPoint());
    m_selection->SetHandlesVisible(true);
}

TDEngOverlay* TDEng::Canvas() const {
    return m_drag && m_drag->Drawing() ? m_overlay.data() : nullptr;
}

void TDEng::ShowDragHint(const QString& text) {
    m_hint->SetCaption(text);
    m_hint->Show(false, false, nullptr, false);
}

// --- move --------------------------------------------------------------------------------------------------

TDEng::TMoveDrag::TMoveDrag(TDEng& engine, QWidget* container, const TDragOptions& options)
    : TDrag(engine, container, options) {
    TELDesignerSelectedControls* selection = m_eng.m_selection;
    for (int i = 0; i < selection->Count(); ++i) {
        TControl* c = selection->Items(i);
        m_entries.append({TDRect::FromQRect(c->BoundsRect()), c});
        m_minLeft = std::min(m_minLeft, c->Left());
        m_minTop = std::min(m_minTop, c->Top());
    }
}

QList<TDEng::TDrag::TFigure> TDEng::TMoveDrag::Figures(const QPoint& pos) const {
    QList<TFigure> figures;
    for (const Entry& e : m_entries)
        if (e.Control && !(e.Control->DesignLocks() & dlMove))
            figures.append({shifted(e.Bounds, pos - StartPos())});
    return figures;
}

QString TDEng::TMoveDrag::HintText(const QPoint& pos) const {
    if (!(m_eng.m_designer->ShowingHints() & htMove))
        return {};
    const QPoint offset = pos - StartPos();
    return QStringLiteral("%1, %2").arg(m_minLeft + offset.x()).arg(m_minTop + offset.y());
}

void TDEng::TMoveDrag::Committed(const QPoint& pos) {
    const QPoint offset = pos - StartPos();
    if (offset == QPoint(0, 0))
        return;
    for (const Entry& e : m_entries)
        if (e.Control && !(e.Control->DesignLocks() & dlMove))
            e.Control->SetBounds(e.Bounds.left + offset.x(), e.Bounds.top + offset.y(),
                                 e.Bounds.right - e.Bounds.left, e.Bounds.bottom - e.Bounds.top);
    m_eng.NotifyModified();
}

// --- resize ------------------------------------------------------------------------------------------------

TDEng::TResizeDrag::TResizeDrag(TDEng& engine, TControl* control, THandlePosition handle,
                                const TDragOptions& options)
    : TDrag(engine, control->parentWidget(), options), m_control(control), m_handle(handle) {}

TDRect TDEng::TResizeDrag::NewRect(const QPoint& pos) const {
    const QPoint offset = pos - StartPos();
    TDRect r = TDRect::FromQRect(m_control->BoundsRect());
    const THandleEdges edges = EdgesOf(m_handle);
    if (edges.Left)
        r.left += offset.x();
    if (edges.Top)
        r.top += offset.y();
    if (edges.Right)
        r.right += offset.x();
    if (edges.Bottom)
        r.bottom += offset.y();
    return r.Normalized();
}

QList<TDEng::TDrag::TFigure> TDEng::TResizeDrag::Figures(const QPoint& pos) const {
    if (!m_control)
        return {};
    return {{NewRect(pos)}};
}

QString TDEng::TResizeDrag::HintText(const QPoint& pos) const {
    if (!m_control || !(m_eng.m_designer->ShowingHints() & htSize))
        return {};
    return sizeText(NewRect(pos));
}

void TDEng::TResizeDrag::Committed(const QPoint& pos) {
    if (!m_control)
        return;
    const TDRect r = NewRect(pos);
    if (r == TDRect::FromQRect(m_control->BoundsRect()))
        return;
    m_control->SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
    m_control->repaint();
    m_eng.NotifyModified();
}

// --- rubber band -------------------------------------------------------------------------------------------

TDRect TDEng::TBandDrag::Band(const QPoint& pos) const {
    const QPoint start = StartPos();
    return {std::min(pos.x(), start.x()), std::min(pos.y(), start.y()), std::max(pos.x(), start.x()),
            std::max(pos.y(), start.y())};
}

QList<TDEng::TDrag::TFigure> TDEng::TBandDrag::Figures(const QPoint& pos) const {
    if (!PointerMoved())
        return {};
    return {{Band(pos), true}};
}

void TDEng::TBandDrag::Committed(const QPoint& pos) {
    const TDRect band = Band(pos);
    auto* container = qobject_cast<TControl*>(Container());
    TELDesignerSelectedControls* selection = m_eng.m_selection;
    selection->Batch([&] {
        if (container)
            for (TControl* c : container->ChildControls()) {
                if (!m_eng.IsDesignedControl(c))
                    continue;
                const TDRect r = TDRect::FromQRect(c->BoundsRect());
                if (r.right < band.left || r.left > band.right || r.bottom < band.top || r.top > band.bottom)
                    continue;
                selection->Add(c);
            }
        if (selection->Count() > 1)
            selection->Remove(m_eng.m_root);
    });
}

// --- insertion ---------------------------------------------------------------------------------------------

TDEng::TInsertDrag::TInsertDrag(TDEng& engine, const TControlClass* controlClass, TControl* container,
                                const TDragOptions& options)
    : TDrag(engine, container, options), m_class(controlClass), m_target(container) {}

TDRect TDEng::TInsertDrag::Rect(const QPoint& pos) const {
    const QPoint start = StartPos();
    TDRect r = TDRect{start.x(), start.y(), pos.x(), pos.y()}.Normalized();
    ++r.right;
    ++r.bottom;
    return r;
}

// Nothing shows until the pointer moves.
QList<TDEng::TDrag::TFigure> TDEng::TInsertDrag::Figures(const QPoint& pos) const {
    if (!PointerMoved())
        return {};
    return {{Rect(pos)}};
}

QString TDEng::TInsertDrag::HintText(const QPoint& pos) const {
    if (!PointerMoved() || !(m_eng.m_designer->ShowingHints() & htInsert))
        return {};
    return sizeText(Rect(pos));
}

void TDEng::TInsertDrag::Committed(const QPoint& pos) {
    const TDRect r = Rect(pos);
    TControl* container = m_target;
    if (!container)
        return; // the container went away during the drag
    TControl* const root = m_eng.m_root;
    // Freed again if any step below fails.
    std::unique_ptr<TControl> made(m_class->Create(root));
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (w >= 2 || h >= 2)
        made->SetBounds(r.left, r.top, w, h);
    else
        made->SetBounds(r.left, r.top, made->Width(), made->Height());
    made->SetName(m_eng.MakeUniqueName(QString::fromLatin1(made->metaObject()->className())));
    made->SetParentControl(container);
    m_eng.m_designer->DoControlsAdding({made.get()}, container);
    TControl* c = made.release();
    m_eng.m_selection->SelectOnly(c);
    m_eng.m_designer->DoControlInserted();
    m_eng.NotifyModified();
}
