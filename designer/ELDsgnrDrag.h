#pragma once
// Drags on the design surface. A drag is an object that lives from the press that starts it to the
// release (commit) or the Esc (cancel) that ends it; the engine owns it meanwhile. The frame is common
// to every kind: the overlay that shows the feedback, the mouse grab, the confinement to the container
// and the snapping of the pointer. The kinds differ in what they draw and what they change at the end.

#include "designer/ELDsgnrEngine.h"
#include "designer/ELDsgnrHandles.h"

#include <QPointer>
#include <climits>

class TDEng::TDrag {
public:
    // Hides the hint. The overlay is put on container when the first figure is drawn.
    TDrag(TDEng& engine, QWidget* container, const TDragOptions& options);
    // Releases the mouse grab and removes the overlay, however the drag ended.
    virtual ~TDrag();
    TDrag(const TDrag&) = delete;
    TDrag& operator=(const TDrag&) = delete;

    // Positions are screen positions; the kinds see them snapped and in the container's coordinates.
    void Begin(const QPoint& globalPos);
    void Move(const QPoint& globalPos);
    void Commit(const QPoint& globalPos);
    void Cancel();
    // The overlay; nullptr until a figure has been drawn.
    TDEngCanvas* Canvas() const { return m_canvas; }

protected:
    virtual void Started(const QPoint& pos) = 0;
    virtual void Moved(const QPoint& pos) = 0;
    virtual void Committed(const QPoint& pos) = 0;
    virtual void Cancelled() = 0;

    void DrawOutline(const TDRect& rect);
    void DrawBand(const TDRect& rect);
    QWidget* Container() const { return m_container; }

    TDEng& m_eng;

private:
    QPoint SnapPoint(const QPoint& raw) const;
    QPoint ToContainer(const QPoint& globalPos) const;
    // Lets the surface finish its pending repaints and puts the overlay on the container, once.
    TDEngCanvas* DrawingCanvas();

    TDragOptions m_options;
    // Guarded: the drag container, and the overlay on it, may be freed while a drag runs.
    QPointer<QWidget> m_container;
    QPointer<TDEngCanvas> m_canvas;
    QRect m_confine;
    QPoint m_startPoint;
    QPoint m_lastPoint;
};

// Moves the selected controls, all siblings, by the same offset.
class TDEng::TMoveDrag final : public TDEng::TDrag {
public:
    using TDrag::TDrag;

protected:
    void Started(const QPoint& pos) override;
    void Moved(const QPoint& pos) override;
    void Committed(const QPoint& pos) override;
    void Cancelled() override;

private:
    struct Entry {
        TDRect Bounds;
        QPointer<TControl> Control;
    };
    void Draw();
    void ShowHint();
    QList<Entry> m_entries;
    QPoint m_start;
    QPoint m_offset;
    int m_minLeft = INT_MAX;
    int m_minTop = INT_MAX;
};

// Resizes one control by the edges its pressed handle names.
class TDEng::TResizeDrag final : public TDEng::TDrag {
public:
    TResizeDrag(TDEng& engine, TControl* control, THandlePosition handle, const TDragOptions& options);

protected:
    void Started(const QPoint& pos) override;
    void Moved(const QPoint& pos) override;
    void Committed(const QPoint& pos) override;
    void Cancelled() override;

private:
    // The control's bounds with the offset added to the edges the handle drags.
    TDRect NewRect() const;
    void ShowHint();
    QPointer<TControl> m_control;
    THandlePosition m_handle;
    QPoint m_start;
    QPoint m_offset;
};

// Selects the children of the container that a band drawn with the mouse touches.
class TDEng::TBandDrag final : public TDEng::TDrag {
public:
    using TDrag::TDrag;

protected:
    void Started(const QPoint& pos) override;
    void Moved(const QPoint& pos) override;
    void Committed(const QPoint& pos) override;
    void Cancelled() override;

private:
    TDRect Band() const;
    void Erase();
    QPoint m_start;
    QPoint m_current;
    bool m_drawn = false;
};

// Creates a control of the class the designer asked for, in the rectangle drawn with the mouse.
class TDEng::TInsertDrag final : public TDEng::TDrag {
public:
    TInsertDrag(TDEng& engine, const TControlClass* controlClass, TControl* container,
                const TDragOptions& options);

protected:
    void Started(const QPoint& pos) override;
    void Moved(const QPoint& pos) override;
    void Committed(const QPoint& pos) override;
    void Cancelled() override;

private:
    TDRect Rect() const;
    void Erase();
    const TControlClass* m_class;
    QPointer<TControl> m_target;
    QPoint m_start;
    QPoint m_offset;
    bool m_drawn = false;
};
