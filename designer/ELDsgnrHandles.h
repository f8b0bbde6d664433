#pragma once
// The visible companions of the selection: the grab handles around every selected control and the
// hint bubble that shows a control's name on hover and the position or size during drags.

#include "designer/ELDsgnr.h"

#include <QPointer>
#include <QSet>
#include <QTimer>
#include <QWidget>
#include <array>
#include <memory>

class TDSelCtrlItem;
class TDSelCtrlItemPoint;

// Where a grab handle sits on its control, clockwise from the top-left corner. Corners are the even
// positions; the resize drag moves the edges the handle's position names.
enum class THandlePosition : quint8 { TopLeft, Top, TopRight, Right, BottomRight, Bottom, BottomLeft, Left };

inline constexpr std::array<THandlePosition, 8> AllHandlePositions{
    THandlePosition::TopLeft,    THandlePosition::Top,         THandlePosition::TopRight,
    THandlePosition::Right,      THandlePosition::BottomRight, THandlePosition::Bottom,
    THandlePosition::BottomLeft, THandlePosition::Left};

constexpr bool IsCorner(THandlePosition position) {
    return (quint8(position) & 1) == 0;
}

// The edges of a control that a handle at a position drags.
struct THandleEdges {
    bool Left = false, Top = false, Right = false, Bottom = false;
};

constexpr THandleEdges EdgesOf(THandlePosition position) {
    using P = THandlePosition;
    return {position == P::TopLeft || position == P::BottomLeft || position == P::Left,
            position == P::TopLeft || position == P::Top || position == P::TopRight,
            position == P::TopRight || position == P::Right || position == P::BottomRight,
            position == P::BottomRight || position == P::Bottom || position == P::BottomLeft};
}

// Shows, places and frees many handles at a cost that grows with their number only. A newly shown child
// widget normally asks to be repainted on its own, and the repaint manager then compares each such widget
// with every sibling above it; handles leave that to the batch, which repaints the area of the handles it
// showed or freed through a lens (designer/ELDsgnrLens.h) when it ends. Showing or freeing a widget also
// makes Qt look for the widget under the pointer (asking the window system where the pointer is) to send
// enter and leave events. Qt sends none while a mouse grab is held, so while it shows corner marks or
// frees handles the batch holds one with a widget that is never shown and so reaches no window system.
// Corner marks keep the default cursor, and the next mouse move delivers the enter and leave events.
class THandleBatch {
public:
    THandleBatch() = default;
    ~THandleBatch();
    THandleBatch(const THandleBatch&) = delete;
    THandleBatch& operator=(const THandleBatch&) = delete;

    // Called before a handle is shown where it now is.
    void Showing(const TDSelCtrlItemPoint* handle, bool passive);
    // Puts a handle above every control of its container. Raising a widget costs time in proportion to
    // the number of its siblings, so a handle that no control covers stays where it is unless always is
    // set (the handles of a single selection keep their own order, in which the last one wins a press).
    void Raise(QWidget* handle, bool always);
    // Frees a handle when the batch ends.
    void Free(TDSelCtrlItemPoint* handle);

private:
    // An area to repaint: a handle, and the extent of its control with it.
    struct Spot {
        QRect Rect;
        QRect Extent;
    };
    struct Area {
        QPointer<QWidget> Container;
        QList<Spot> Shown;
        QList<QPointer<TDSelCtrlItemPoint>> Freed;
        // The handles that follow the container's last other child, once looked for.
        QSet<const QObject*> Top;
        bool TopKnown = false;
    };
    Area& AreaOf(QWidget* container);
    void HoldPointer();
    static void Repaint(Area& area);
    static Spot SpotOf(const TDSelCtrlItemPoint* handle);
    QList<Area> m_areas;
    std::unique_ptr<QWidget> m_grabber;
};

// One grab handle: a 5 x 5 square placed on the selected control's parent, above its siblings.
class TDSelCtrlItemPoint : public QWidget {
    Q_OBJECT

public:
    // Made on the container of the control when it has one, which spares moving it there.
    TDSelCtrlItemPoint(TDSelCtrlItem* item, THandlePosition position, QWidget* container);
    THandlePosition Position() const { return m_position; }
    QColor BorderColor() const { return m_border; }
    QColor FillColor() const { return m_fill; }
    // The control's bounds where the handle was last placed, in the same coordinates.
    QRect ControlRect() const { return m_controlRect; }
    void Refresh(THandleBatch& batch);
    // The item went away; the handle waits to be freed and takes no more presses.
    void Orphan() { m_item = nullptr; }

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    TDSelCtrlItem* m_item;
    THandlePosition m_position;
    QRect m_controlRect;
    QColor m_border;
    QColor m_fill;
};

// One selected control and its eight handles.
class TDSelCtrlItem {
public:
    TDSelCtrlItem(TELDesignerSelectedControls* owner, TControl* control);
    ~TDSelCtrlItem();
    TDSelCtrlItem(const TDSelCtrlItem&) = delete;
    TDSelCtrlItem& operator=(const TDSelCtrlItem&) = delete;

    TELDesignerSelectedControls* OwnerList() const { return m_owner; }
    TControl* Control() const { return m_control; }
    TDSelCtrlItemMode Mode() const { return m_mode; }
    void SetMode(TDSelCtrlItemMode mode);
    void SetMode(TDSelCtrlItemMode mode, THandleBatch& batch);
    void Refresh();
    void Refresh(THandleBatch& batch);
    THandlePosition PressedHandle() const { return m_pressedHandle; }
    void SetPressedHandle(THandlePosition position) { m_pressedHandle = position; }
    // The handle at a position; nullptr while the item has never shown it.
    TDSelCtrlItemPoint* Point(THandlePosition position) const { return m_points[quint8(position)]; }

private:
    TELDesignerSelectedControls* m_owner;
    TControl* m_control;
    // Created when the handles are first shown; they live on the control's parent and go with it.
    std::array<QPointer<TDSelCtrlItemPoint>, 8> m_points{};
    QMetaObject::Connection m_watch;
    TDSelCtrlItemMode m_mode = hmNone;
    THandlePosition m_pressedHandle = THandlePosition::TopLeft;
};

// The hint bubble. All hints share one tool-tip window; at most one hint is current, the one whose
// text the window shows.
class TDEngHint : public QObject {
    Q_OBJECT

public:
    TDEngHint();
    ~TDEngHint() override;

    QString Caption() const { return m_caption; }
    void SetCaption(const QString& text) { m_caption = text; }
    void Show(bool delayed, bool autoHide, QWidget* boundControl, bool hideOnInput);
    void Hide();
    bool Shown() const { return m_shown; }
    // Hides the hint when it is current, shown, hidden by input and the event is input.
    void CheckEvent(const QEvent* event);

    // The window that shows the current hint (tests and screenshots).
    static QWidget* Window();
    static TDEngHint* Current();
    // Whether an event ends a hint that hides on input.
    static bool IsHidingEvent(const QEvent* event);
    // Where the pointer was last seen by any mouse event of the application.
    static QPoint CursorPos();

private:
    enum class TimerMode { WaitingToShow, WaitingToHide };
    void Activate();
    void TimerFired();

    QString m_caption;
    QTimer m_timer;
    TimerMode m_mode = TimerMode::WaitingToShow;
    bool m_autoHide = false;
    QPointer<QWidget> m_boundControl;
    bool m_hasBoundControl = false;
    bool m_hideOnInput = false;
    bool m_shown = false;
};
