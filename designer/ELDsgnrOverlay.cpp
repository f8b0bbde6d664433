#include "designer/ELDsgnrOverlay.h"

#include "designer/ELDsgnr.h"

#include <QCoreApplication>
#include <QHash>
#include <QPaintEvent>
#include <QPainter>

namespace {

// A picture of an area of a window as it shows it now, as QWidget::grab takes it. Qt renders an area in
// one pass that takes every opaque control out of the region left for the controls below it, which costs
// the square of the number of controls the area holds, so the picture is rendered in strips that cross
// about 128 children each.
QPixmap picture(QWidget* window, const QRect& area, qsizetype children) {
    const int stripHeight = std::max(32, int(area.height() * 128 / std::max<qsizetype>(children, 1)));
    const qreal ratio = window->devicePixelRatio();
    QPixmap pixmap(area.size() * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    for (int y = 0; y < area.height(); y += stripHeight) {
        const QRect strip(area.left(), area.top() + y, area.width(),
                          std::min(stripHeight, area.height() - y));
        window->render(&pixmap, QPoint(0, y), QRegion(strip),
                       QWidget::DrawWindowBackground | QWidget::DrawChildren | QWidget::IgnoreMask);
    }
    return pixmap;
}

// The pixels an outline of a figure touches: its 2-pixel frame and the dotted band, with a margin.
QRegion edgesOf(const QRect& r) {
    const QRect outer = r.adjusted(-2, -2, 2, 2);
    const QRect inner = r.adjusted(3, 3, -3, -3);
    return inner.isEmpty() ? QRegion(outer) : QRegion(outer).subtracted(inner);
}

} // namespace

TDRect TDRect::Normalized() const {
    return {std::min(left, right), std::min(top, bottom), std::max(left, right), std::max(top, bottom)};
}

TDEngOverlay::TDEngOverlay(QWidget* surface, TELDesignerSelectedControls* selection)
    : QWidget(surface), m_selection(selection) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    FollowSurface();
    show();
}

void TDEngOverlay::FollowSurface() {
    if (geometry() != parentWidget()->rect())
        setGeometry(parentWidget()->rect());
    const QObjectList& siblings = parentWidget()->children();
    if (siblings.isEmpty() || siblings.last() != this)
        raise();
}

QPoint TDEngOverlay::OffsetOf(const QWidget* parent) const {
    return parent->mapTo(parentWidget(), QPoint(0, 0)) - pos();
}

QRect TDEngOverlay::ClipOf(const QWidget* parent) const {
    // Children show only inside their parent and each of its ancestors up to the surface.
    QRect clip = rect();
    const QWidget* surface = parentWidget();
    for (const QWidget* w = parent; w && w != surface; w = w->parentWidget()) {
        if (w->isHidden())
            return {};
        clip &= QRect(OffsetOf(w), w->size());
    }
    return clip;
}

// --- handles -----------------------------------------------------------------------------------------------

void TDEngOverlay::Invalidate(const QWidget* parent, const QRect& rect, bool covered, const QRect& extent) {
    if (rect.isEmpty() || (parent != parentWidget() && !parentWidget()->isAncestorOf(parent)))
        return;
    const QPoint offset = OffsetOf(parent);
    const QRect area = rect.translated(offset) & ClipOf(parent);
    if (area.isEmpty())
        return;
    const QRect rows = (extent | rect).translated(offset);
    (covered ? m_covered : m_dirty).append({area, rows.top(), rows.bottom()});
    if (!m_flushQueued) {
        m_flushQueued = true;
        QMetaObject::invokeMethod(this, &TDEngOverlay::Flush, Qt::QueuedConnection);
    }
}

namespace {

// About how many areas a band holds.
constexpr qsizetype BandAreas = 128;

} // namespace

// The areas in reading order, cut into bands of about BandAreas areas, each united into a region. A band ends
// only where the next area's extent lies wholly below every extent in it, so a control is not repainted in
// two bands, and each band lies below the one before it: the bands together are united by appending them.
// Within a band uniting is cheap, as it holds few rectangles (uniting them all at once merges each one that
// starts a row again into all the rows before it).
QList<QRegion> TDEngOverlay::BandsOf(QList<TArea>& areas) {
    std::sort(areas.begin(), areas.end(), [](const TArea& a, const TArea& b) {
        return std::pair(a.Rect.top(), a.Rect.left()) < std::pair(b.Rect.top(), b.Rect.left());
    });
    QList<QRegion> bands;
    QRegion band;
    qsizetype count = 0;
    int bottom = 0;
    for (const TArea& a : std::as_const(areas)) {
        if (count >= BandAreas && a.ExtentTop > bottom) {
            bands.append(band);
            band = QRegion();
            count = 0;
        }
        band += a.Rect;
        bottom = count++ ? std::max(bottom, a.ExtentBottom) : a.ExtentBottom;
    }
    if (count)
        bands.append(band);
    areas.clear();
    return bands;
}

void TDEngOverlay::Flush() {
    m_flushQueued = false;
    QRegion covered;
    for (const QRegion& band : BandsOf(m_covered))
        covered += band;
    if (!covered.isEmpty())
        PaintOver(covered);
    // What a handle now covers needs nothing under it repainted. The rest is repainted with what lies under
    // it. Qt repaints an area in one pass that takes every opaque control out of the region left for the
    // controls below it, which costs the square of the number of areas it crosses, so many areas are
    // repainted band by band at once rather than together from the event loop, unless the whole overlay
    // waits to be repainted anyway.
    const QList<QRegion> dirty = BandsOf(m_dirty);
    const bool inBands = dirty.size() > 1 && isVisible() && !m_wholePending;
    for (const QRegion& band : dirty) {
        const QRegion uncovered = band - covered;
        if (uncovered.isEmpty())
            continue;
        if (inBands)
            repaint(uncovered);
        else
            update(uncovered);
    }
}

void TDEngOverlay::PaintOver(const QRegion& region) {
    if (!isVisible() || testAttribute(Qt::WA_OpaquePaintEvent)) {
        update(region);
        return;
    }
    // Painted while the overlay claims to paint every pixel itself, the window repaints the handles alone
    // instead of every control under them (thousands of small areas over as many controls cost the square
    // of their number). The window first finishes what it was asked to repaint, which the claim would hide:
    // the repaints that widgets shown since ask for, then the window's pending repaint.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateLater);
    QCoreApplication::sendPostedEvents(window(), QEvent::UpdateRequest);
    setAttribute(Qt::WA_OpaquePaintEvent);
    repaint(region);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

THandleHit TDEngOverlay::HandleAt(const QPoint& pos) const {
    // The last handle painted is the one on top. Most handles share a parent, whose place is found once.
    const QWidget* lastParent = nullptr;
    QPoint offset;
    bool inside = false;
    for (int i = m_selection->Count() - 1; i >= 0; --i) {
        TDSelCtrlItem* item = m_selection->ItemOf(m_selection->Items(i));
        const QWidget* parent = item ? item->ParentOfHandles() : nullptr;
        if (!parent || item->Mode() == hmNone)
            continue;
        if (parent != lastParent) {
            lastParent = parent;
            offset = OffsetOf(parent);
            inside = ClipOf(parent).contains(pos);
        }
        if (!inside)
            continue;
        for (auto it = AllHandlePositions.rbegin(); it != AllHandlePositions.rend(); ++it)
            if (item->HandleShown(*it) && item->HandleRect(*it).translated(offset).contains(pos))
                return {item, *it};
    }
    return {};
}

void TDEngOverlay::PaintHandles(QPainter& painter, const QRect& area) {
    struct Place {
        QPoint Offset;
        QRect Clip;
    };
    QHash<const QWidget*, Place> places;
    for (int i = 0; i < m_selection->Count(); ++i) {
        const TDSelCtrlItem* item = m_selection->ItemOf(m_selection->Items(i));
        const QWidget* parent = item ? item->ParentOfHandles() : nullptr;
        if (!parent || item->Mode() == hmNone)
            continue;
        auto place = places.find(parent);
        if (place == places.end())
            place = places.insert(parent, {OffsetOf(parent), ClipOf(parent) & area});
        if (place->Clip.isEmpty())
            continue;
        for (THandlePosition position : AllHandlePositions) {
            if (!item->HandleShown(position))
                continue;
            const QRect r = item->HandleRect(position).translated(place->Offset);
            if (!r.intersects(place->Clip))
                continue;
            // A clip of the painter's own costs a pass over the area being repainted, so only a handle its
            // parent cuts off gets one.
            const bool cut = !place->Clip.contains(r);
            if (cut) {
                painter.save();
                painter.setClipRect(place->Clip, Qt::IntersectClip);
            }
            painter.fillRect(r, item->HandleFillColor());
            painter.setPen(item->HandleBorderColor());
            painter.drawRect(r.adjusted(0, 0, -1, -1));
            if (cut)
                painter.restore();
        }
    }
}

// --- drag figures ------------------------------------------------------------------------------------------

void TDEngOverlay::TakePicture() {
    // The window first finishes what it was asked to repaint, so that the picture shows it.
    QWidget* window = this->window();
    QCoreApplication::sendPostedEvents(window, QEvent::UpdateRequest);
    const QRect area(mapTo(window, QPoint(0, 0)), size());
    // The overlay is in the picture too; it has nothing to show yet (handles hide during drags).
    m_picture = picture(window, area, parentWidget()->findChildren<QWidget*>().size());
    // While it shows the picture, the overlay paints every pixel itself.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QRegion TDEngOverlay::FigureEdges() const {
    if (!m_picture.isNull()) {
        // Over the picture the overlay repaints alone, and one rectangle around many figures is cheaper to
        // repaint than the edges of each.
        QRect extent;
        for (const TDFigure& f : m_figures)
            extent |= f.Rect.Normalized().ToQRect().adjusted(-2, -2, 2, 2);
        return QRegion(extent.translated(m_figureOffset) & m_figureClip);
    }
    QRegion region;
    for (const TDFigure& f : m_figures)
        region += edgesOf(f.Rect.Normalized().ToQRect().translated(m_figureOffset));
    return region & m_figureClip;
}

void TDEngOverlay::SetFigures(QWidget* container, const QList<TDFigure>& figures) {
    if (figures == m_figures && container && OffsetOf(container) == m_figureOffset)
        return;
    const QRegion before = FigureEdges();
    m_figures = figures;
    if (container) {
        m_figureOffset = OffsetOf(container);
        m_figureClip = ClipOf(container) & QRect(m_figureOffset, container->size());
    }
    update(before + FigureEdges());
}

void TDEngOverlay::EndFigures() {
    const QRegion before = FigureEdges();
    m_figures.clear();
    if (!m_picture.isNull()) {
        // What changed under the picture was not repainted while it covered the surface.
        m_picture = QPixmap();
        setAttribute(Qt::WA_OpaquePaintEvent, false);
        m_wholePending = true;
        update();
    } else {
        update(before);
    }
}

void TDEngOverlay::PaintFigures(QPainter& painter) {
    painter.save();
    painter.setClipRect(m_figureClip);
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    painter.setBrush(Qt::NoBrush);
    for (const TDFigure& f : std::as_const(m_figures)) {
        const QRect r = f.Rect.ToQRect().translated(m_figureOffset);
        const TDRect n = f.Rect;
        if (f.Band) {
            painter.setPen(QPen(QColor(255, 255, 255), 1, Qt::DotLine));
            painter.drawRect(
                QRect(n.left, n.top, n.right - n.left, n.bottom - n.top).translated(m_figureOffset));
        } else {
            // A 2-pixel frame just inside the control's bounds.
            painter.setPen(QPen(QColor(128, 128, 128), 2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
            painter.drawRect(QRectF(r.left() + 1, r.top() + 1, r.width() - 2, r.height() - 2));
        }
    }
    painter.restore();
}

void TDEngOverlay::paintEvent(QPaintEvent* event) {
    if (m_wholePending && (QRegion(rect()) - event->region()).isEmpty())
        m_wholePending = false;
    QPainter painter(this);
    painter.setClipRegion(event->region());
    if (!m_picture.isNull())
        painter.drawPixmap(0, 0, m_picture);
    PaintHandles(painter, event->rect());
    if (!m_figures.isEmpty())
        PaintFigures(painter);
}
