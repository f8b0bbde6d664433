#pragma once
// The overlay of a design surface: one transparent widget above the designed controls that paints every
// grab handle and corner mark of the selection and the figures of the running drag. It takes no mouse
// input; the engine asks it which handle lies under a press or the pointer.

#include "designer/ELDsgnrHandles.h"

#include <QList>
#include <QPixmap>
#include <QWidget>

class TELDesignerSelectedControls;

// A rectangle with exclusive right and bottom edges, as the drags compute them.
struct TDRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    static TDRect FromQRect(const QRect& r) {
        return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
    }
    QRect ToQRect() const { return QRect(left, top, right - left, bottom - top); }
    TDRect Normalized() const;
    bool operator==(const TDRect&) const = default;
};

// A drag's feedback: a control's outline, or the rubber band (in the drag container's coordinates).
struct TDFigure {
    TDRect Rect;
    bool Band = false;
    bool operator==(const TDFigure&) const = default;
};

// A handle under a point: the selected control's entry and the handle's position on it.
struct THandleHit {
    TDSelCtrlItem* Item = nullptr;
    THandlePosition Position = THandlePosition::TopLeft;
    explicit operator bool() const { return Item != nullptr; }
};

class TDEngOverlay : public QWidget {
    Q_OBJECT

public:
    TDEngOverlay(QWidget* surface, TELDesignerSelectedControls* selection);

    // Keeps the overlay over the whole surface and above every control on it.
    void FollowSurface();

    // Handles: an area (in the coordinates of a control's parent) where a handle was or now is; it is
    // repainted when the change is flushed, at once by the selection or else from the event loop. Covered
    // says that a shown handle now covers every pixel of the area. Extent is the area of all handles of
    // the control together: many areas are repainted in bands, and a band does not end inside an extent.
    void Invalidate(const QWidget* parent, const QRect& rect, bool covered, const QRect& extent);
    void Flush();
    // The topmost shown handle at a point of the overlay.
    THandleHit HandleAt(const QPoint& pos) const;

    // Drag figures, drawn in exclusive-or mode over what the window shows. With a picture the overlay shows
    // the surface as it was when the picture was taken, so that nothing under it repaints while many
    // figures move; without one only the pixels along the figures' edges are repainted.
    void TakePicture();
    void SetFigures(QWidget* container, const QList<TDFigure>& figures);
    void EndFigures();
    int FigureCount() const { return m_figures.size(); }
    bool HasPicture() const { return !m_picture.isNull(); }
    // The picture of the surface the figures are drawn over; null without one.
    const QPixmap& Picture() const { return m_picture; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPoint OffsetOf(const QWidget* parent) const;
    // The part of the overlay in which a parent's children show.
    QRect ClipOf(const QWidget* parent) const;
    QRegion FigureEdges() const;
    void PaintOver(const QRegion& region);
    void PaintHandles(QPainter& painter, const QRect& area);
    void PaintFigures(QPainter& painter);

    TELDesignerSelectedControls* m_selection;
    // An area to repaint, and the rows of its extent (in overlay coordinates).
    struct TArea {
        QRect Rect;
        int ExtentTop = 0, ExtentBottom = 0;
    };
    static QList<QRegion> BandsOf(QList<TArea>& areas);
    // Areas to repaint with what lies under them, and areas the handles alone repaint.
    QList<TArea> m_dirty;
    QList<TArea> m_covered;
    bool m_flushQueued = false;
    // The whole overlay waits to be repainted from the event loop (a drag's picture is gone), which
    // repaints any handle areas with it.
    bool m_wholePending = false;
    QPixmap m_picture;
    QList<TDFigure> m_figures;
    // The figures' container in overlay coordinates; figures are clipped to it.
    QRect m_figureClip;
    QPoint m_figureOffset;
};
