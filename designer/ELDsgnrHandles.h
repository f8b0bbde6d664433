#pragma once
// The visible companions of the selection: the grab handles around every selected control and the
// hint bubble that shows a control's name on hover and the position or size during drags.

#include "designer/ELDsgnr.h"

#include <QColor>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <array>

class TDSelCtrlItem;

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

// One selected control and the handles the overlay draws for it: eight around a single selection, the four
// corner marks inside each control of a multiple selection.
class TDSelCtrlItem {
public:
    TDSelCtrlItem(TELDesignerSelectedControls* owner, TControl* control);
    ~TDSelCtrlItem();
    TDSelCtrlItem(const TDSelCtrlItem&) = delete;
    TDSelCtrlItem& operator=(const TDSelCtrlItem&) = delete;

    TELDesignerSelectedControls* OwnerList() const { return m_owner; }
    TControl* Control() const { return m_control; }
    TDSelCtrlItemMode Mode() const { return m_mode; }
    // Sets the mode and places the handles again; the overlay repaints what changed.
    void SetMode(TDSelCtrlItemMode mode);
    void Refresh();
    THandlePosition PressedHandle() const { return m_pressedHandle; }
    void SetPressedHandle(THandlePosition position) { m_pressedHandle = position; }

    // Where the handles were last placed. A handle is 5 x 5 pixels, in the coordinates of the parent the
    // control had then (ParentOfHandles()).
    QRect HandleRect(THandlePosition position) const { return m_rects[quint8(position)]; }
    bool HandleShown(THandlePosition position) const;
    const QWidget* ParentOfHandles() const { return m_parent; }
    QColor HandleBorderColor() const { return m_border; }
    QColor HandleFillColor() const { return m_fill; }
    // The pointer's shape over a handle: the resize arrow of its edges, or the arrow when it cannot resize.
    Qt::CursorShape HandleCursor(THandlePosition position) const;

private:
    // Has the overlay repaint the handles the current mode shows at rects on parent: where they were, or
    // where they are now shown.
    void Invalidate(const QWidget* parent, const std::array<QRect, 8>& rects, bool shown) const;

    TELDesignerSelectedControls* m_owner;
    TControl* m_control;
    QMetaObject::Connection m_watch;
    TDSelCtrlItemMode m_mode = hmNone;
    THandlePosition m_pressedHandle = THandlePosition::TopLeft;
    QPointer<QWidget> m_parent;
    std::array<QRect, 8> m_rects{};
    QColor m_border;
    QColor m_fill;
    bool m_resizable = true;
    // False until the handles of the current mode have been placed.
    bool m_placed = false;
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
