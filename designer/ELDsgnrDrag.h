#pragma once
// Drags on the design surface. A drag is an object that lives from the press that starts it to the
// release (commit) or the Esc (cancel) that ends it; the engine owns it meanwhile. The frame is common
// to every kind: the figures it shows on the surface's overlay, the mouse grab, the confinement to the
// container and the snapping of the pointer. The kinds differ in what they draw and what they change at the
// end.

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
    // Begin and every move of the pointer erase the figures drawn last and draw the new ones with their
    // hint; commit and cancel erase them, and commit then makes the change.
    void Begin(const QPoint& globalPos);
    void Move(const QPoint& globalPos);
    void Commit(const QPoint& globalPos);
    void Cancel();
    // Whether the drag has drawn figures on the surface's overlay.
    bool Drawing() const { return m_drawing; }

protected:
    using TFigure = TDFigure;
    // The feedback for the pointer at pos.
    virtual QList<TFigure> Figures(const QPoint& pos) const = 0;
    virtual QString HintText(const QPoint&) const { return {}; }
    // Whether the figures are drawn over a picture of the surface, so that nothing under them repaints
    // while they move: worth it for many figures, not for one outline.
    virtual bool UsesPicture() const { return false; }
    // The change the drag makes when it ends at pos.
    virtual void Committed(const QPoint& pos) = 0;

    QWidget* Container() const { return m_container; }
    // Where the drag began, in the container's coordinates.
    QPoint StartPos() const { return m_startPos; }
    bool PointerMoved() const { return m_pointerMoved; }

    TDEng& m_eng;

private:
    QPoint SnapPoint(const QPoint& raw) const;
    QPoint ToContainer(const QPoint& globalPos) const;
    void Show(const QPoint& pos);
    void Erase();

    TDragOptions m_options;
    // Guarded: the drag container may be freed while a drag runs.
    QPointer<QWidget> m_container;
    bool m_drawing = false;
    QRect m_confine;
    QPoint m_startPoint;
    QPoint m_lastPoint;
    QPoint m_startPos;
    bool m_pointerMoved = false;
};

// Moves the selected controls, all siblings, by the same offset.
class TDEng::TMoveDrag final : public TDEng::TDrag {
public:
    // The controls are those selected now.
    TMoveDrag(TDEng& engine, QWidget* container, const TDragOptions& options);

protected:
    QList<TFigure> Figures(const QPoint& pos) const override;
    QString HintText(const QPoint& pos) const override;
    void Committed(const QPoint& pos) override;
    bool UsesPicture() const override { return true; }

private:
    struct Entry {
        TDRect Bounds;
        QPointer<TControl> Control;
    };
    QList<Entry> m_entries;
    int m_minLeft = INT_MAX;
    int m_minTop = INT_MAX;
};

// Resizes one control by the edges its pressed handle names.
class TDEng::TResizeDrag final : public TDEng::TDrag {
public:
    TResizeDrag(TDEng& engine, TControl* control, THandlePosition handle, const TDragOptions& options);

protected:
    QList<TFigure> Figures(const QPoint& pos) const override;
    QString HintText(const QPoint& pos) const override;
    void Committed(const QPoint& pos) override;

private:
    // The control's bounds with the pointer's offset added to the edges the handle drags.
    TDRect NewRect(const QPoint& pos) const;
    QPointer<TControl> m_control;
    THandlePosition m_handle;
};

// Selects the children of the container that a band drawn with the mouse touches. The band shows once
// the pointer moves: a band of one point is not worth the overlay's picture.
class TDEng::TBandDrag final : public TDEng::TDrag {
public:
    using TDrag::TDrag;

protected:
    QList<TFigure> Figures(const QPoint& pos) const override;
    void Committed(const QPoint& pos) override;

private:
    TDRect Band(const QPoint& pos) const;
};

// Creates a control of the class the designer asked for, in the rectangle drawn with the mouse.
class TDEng::TInsertDrag final : public TDEng::TDrag {
public:
    TInsertDrag(TDEng& engine, const TControlClass* controlClass, TControl* container,
                const TDragOptions& options);

protected:
    QList<TFigure> Figures(const QPoint& pos) const override;
    QString HintText(const QPoint& pos) const override;
    void Committed(const QPoint& pos) override;

private:
    TDRect Rect(const QPoint& pos) const;
    const TControlClass* m_class;
    QPointer<TControl> m_target;
};
