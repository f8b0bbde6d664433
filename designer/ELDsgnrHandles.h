#pragma once
// The visible companions of the selection: the grab handles around every selected control and the
// hint bubble that shows a control's name on hover and the position or size during drags.

#include "designer/ELDsgnr.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <array>

class TDSelCtrlItem;

// One grab handle: a 5 x 5 square placed on the selected control's parent, above its siblings.
class TDSelCtrlItemPoint : public QWidget {
    Q_OBJECT

public:
    TDSelCtrlItemPoint(TDSelCtrlItem* item, int position);
    int Position() const { return m_position; }
    QColor BorderColor() const { return m_border; }
    QColor FillColor() const { return m_fill; }
    void Refresh();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    TDSelCtrlItem* m_item;
    int m_position;
    QColor m_border;
    QColor m_fill;
};

// One selected control and its eight handles, numbered clockwise from the top-left corner.
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
    void Refresh();
    quint8 PressedHandle() const { return m_pressedHandle; }
    void SetPressedHandle(quint8 index) { m_pressedHandle = index; }
    // The handle of a position; nullptr while the item has never shown its handles.
    TDSelCtrlItemPoint* Point(int index) const { return m_points[index]; }

private:
    TELDesignerSelectedControls* m_owner;
    TControl* m_control;
    // Created when the handles are first shown; they live on the control's parent and go with it.
    std::array<QPointer<TDSelCtrlItemPoint>, 8> m_points{};
    QMetaObject::Connection m_watch;
    TDSelCtrlItemMode m_mode = hmNone;
    quint8 m_pressedHandle = 0;
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
